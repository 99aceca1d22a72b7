// The common file dialogs, with comdlg32 loaded on first use: the program starts without it (and
// the printing libraries it brings), and most runs never open a file dialog. The calls answer as
// the system's own do; where comdlg32 cannot be loaded they answer FALSE and FileDialogError
// gives CDERR_INITIALIZATION.
#pragma once

#include <windows.h>

#include <commdlg.h>

namespace atl {

BOOL GetOpenFileName(OPENFILENAMEW *ofn);
BOOL GetSaveFileName(OPENFILENAMEW *ofn);
// CommDlgExtendedError of the last call above.
DWORD FileDialogError();

} // namespace atl

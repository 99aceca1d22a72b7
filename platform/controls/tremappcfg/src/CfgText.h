// The library's resource texts: they live in the program's module (res/tremappcfg.rc is linked
// into it).
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>

namespace tremappcfg {

HINSTANCE ResourceModule();
std::wstring LoadText(UINT id);
// Resource text `id` with "%1", "%2", ... replaced by the inserts.
std::wstring FormatText(UINT id, std::initializer_list<std::wstring> inserts);

}  // namespace tremappcfg

// A window's text as UTF-8, and where the library's own windows are placed (internal).
#pragma once

#include <windows.h>

#include <string>

namespace cuiutil {

// The whole text of `window` (its caption, or a control's content); empty for no window.
std::string WindowText(HWND window);

// Centres `window` on `owner` when that is shown and not minimised, else on the work area; never
// above or left of the screen's corner.
void CenterOnOwner(HWND window, HWND owner);

}  // namespace cuiutil

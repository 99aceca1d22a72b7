// A window's text as UTF-8 (internal).
#pragma once

#include <windows.h>

#include <string>

namespace cuiutil {

// The whole text of `window` (its caption, or a control's content); empty for no window.
std::string WindowText(HWND window);

}  // namespace cuiutil

// Reading a window's text as a user reads it.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// The window's text, whole: as UTF-8, and as the window holds it.
std::string TextOf(HWND wnd);
std::wstring WideTextOf(HWND wnd);

}  // namespace testsupport

// Finding the windows of the programs under test, as a user would see them.
#pragma once

#include "e2e/Wait.h"

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct WindowQuery {
   std::string className;      // empty: any class
   std::string title;          // empty: any title
   bool titleContains = false; // the title need only contain `title`
   DWORD processId = 0;        // 0: any process
   bool visibleOnly = true;    // skip hidden windows
};

// The top-level windows that match, in z-order (topmost first).
std::vector<HWND> FindTopLevelWindows(const WindowQuery &query);
// The first matching top-level window once one exists; null after the bound.
HWND WaitForWindow(const WindowQuery &query, DWORD timeoutMs = kStartTimeoutMs);
// A dialog box (class #32770: message boxes too) of the process, with the title if not empty.
HWND WaitForDialog(DWORD processId, const std::string &title = "", DWORD timeoutMs = kReplyTimeoutMs);
// A descendant of `parent` with the control id, at any depth.
HWND WaitForChild(HWND parent, int id, DWORD timeoutMs = kReplyTimeoutMs);
// True once the window is destroyed or hidden.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = kReplyTimeoutMs);

} // namespace e2e

// Reading what a window shows: its text, its controls and the lines of a message box.
#pragma once

#include "e2e/Wait.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace e2e {

struct ChildWindow {
   HWND window;
   int id;
   std::string className;
   std::string text;
   bool visible;
   bool enabled;
};

// The window's text by WM_GETTEXT (an edit control's contents too); nothing when the window
// is gone or does not answer within the bound.
std::optional<std::string> ReadText(HWND window, DWORD timeoutMs = kReplyTimeoutMs);
// Every descendant of `parent`, in the order EnumChildWindows gives them.
std::vector<ChildWindow> ListChildren(HWND parent);
// The non-empty texts of the visible static controls of a dialog (a message box's message).
std::vector<std::string> StaticTexts(HWND dialog);
// The texts of StaticTexts joined by "\n".
std::string DialogMessage(HWND dialog);

} // namespace e2e

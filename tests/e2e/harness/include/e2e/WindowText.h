// Reading what a window shows: its text, its controls and the lines of a message box. Texts are
// UTF-8, read and set in UTF-16 (the W forms), so any language's text comes back intact.
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
// Sets the window's text by WM_SETTEXT (an edit control's contents too), as a program does;
// false when the window is gone, does not answer within the bound or refuses the text.
bool SetText(HWND window, const std::string &text, DWORD timeoutMs = kReplyTimeoutMs);
// Every descendant of `parent`, in the order EnumChildWindows gives them.
std::vector<ChildWindow> ListChildren(HWND parent);
// The non-empty texts of the visible static controls of a dialog (a message box's message).
std::vector<std::string> StaticTexts(HWND dialog);
// The texts of StaticTexts joined by "\n".
std::string DialogMessage(HWND dialog);

} // namespace e2e

// Commands, keys and clicks, delivered the way a menu, the keyboard or the mouse would.
#pragma once

#include "e2e/Wait.h"

#include <windows.h>

#include <string>

namespace e2e {

enum KeyModifier : unsigned { kNoModifier = 0, kShift = 1, kControl = 2, kAlt = 4 };

// Posts WM_COMMAND; notification 0 is a menu's, 1 an accelerator's. Posting never waits for
// what the command does (a modal box, the end of the program).
bool PostCommand(HWND window, WORD commandId, WORD notification = 0);
// Posts WM_KEYDOWN and WM_KEYUP of a key without modifiers to the window (a control).
bool PostKey(HWND window, UINT virtualKey);
// Posts one WM_CHAR per UTF-16 unit of the (UTF-8) text.
bool PostChars(HWND window, const std::string &text);
// Makes the window's top-level window the foreground window and types the key with its
// modifiers through the system's input queue, so accelerators with Ctrl, Shift or Alt see the
// modifiers held down. The key goes to whatever has the keyboard focus in that window.
bool PressKey(HWND window, UINT virtualKey, unsigned modifiers = kNoModifier,
              DWORD timeoutMs = kReplyTimeoutMs);
// Types the (UTF-8) text into the control as a keyboard does, through the system's input queue
// with one KEYEVENTF_UNICODE key per UTF-16 unit, so accented, Greek, Cyrillic or CJK letters
// arrive as typed. The control's top-level window is made the foreground window; the control
// must have the keyboard focus (a click into it gives it, as for a user), else nothing is typed.
bool TypeText(HWND control, const std::string &text, DWORD timeoutMs = kReplyTimeoutMs);
// Makes the window's top-level window the foreground window and clicks the point of the
// window's client area through the system's input queue, as the mouse does; nothing is
// clicked when another window still covers the point at the end of the bound.
bool Click(HWND window, int x, int y, bool right = false, DWORD timeoutMs = kReplyTimeoutMs);
// Clicks `clicks` times at a screen point through the system's input queue, with no wait for
// the foreground. The pointer's move goes in one batch with the buttons: a pointer motion of an
// earlier move that the program reads late cannot take the click elsewhere.
bool ClickAtScreen(POINT screen, bool right = false, int clicks = 1);
// Moves the pointer to a screen point and, in the same batch, sends `buttons` (MOUSEEVENTF_LEFTDOWN,
// MOUSEEVENTF_LEFTUP, ... or 0 for the move alone): the steps of a drag.
bool MouseAtScreen(POINT screen, DWORD buttons = 0);
// Clicks a dialog's button (BM_CLICK, posted) found by control id or by caption; a caption
// is compared without its '&' marks.
bool ClickButton(HWND dialog, int id);
bool ClickButtonByText(HWND dialog, const std::string &caption);
// Posts WM_CLOSE, as the title bar's close button does.
bool RequestClose(HWND window);

} // namespace e2e

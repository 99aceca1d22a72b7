#include "e2e/Input.h"

#include "e2e/WindowText.h"

#include "FailureText.h"

#include "tremorybase/Text.h"

#include <vector>

namespace e2e {

namespace {

bool Post(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, const char *what)
{
   // The W form: a character posted as WM_CHAR is a UTF-16 unit.
   if (!PostMessageW(window, msg, wParam, lParam)) {
      return FailWithSystemError(std::string(what) + ": cannot post to " + DescribeWindow(window));
   }
   return true;
}

// Keys of the extended block, whose scan codes need the extended flag to be read right.
bool IsExtendedKey(UINT vk)
{
   switch (vk) {
   case VK_INSERT: case VK_DELETE: case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
   case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: case VK_DIVIDE: case VK_NUMLOCK:
   case VK_RCONTROL: case VK_RMENU: case VK_APPS:
      return true;
   }
   return false;
}

// A key of the character itself rather than of a key on the keyboard, as an input method or
// the on-screen keyboard types it: the program receives the character as WM_CHAR.
INPUT CharacterInput(wchar_t unit, bool up)
{
   INPUT input = {};
   input.type = INPUT_KEYBOARD;
   input.ki.wScan = static_cast<WORD>(unit);
   input.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
   return input;
}

INPUT KeyInput(UINT vk, bool up)
{
   INPUT input = {};
   input.type = INPUT_KEYBOARD;
   input.ki.wVk = static_cast<WORD>(vk);
   input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
   input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0);
   return input;
}

std::string WithoutMnemonics(const std::string &text)
{
   std::string plain;
   for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '&' && i + 1 < text.size()) {
         ++i;
      }
      plain += text[i];
   }
   return plain;
}

// Makes the window's top-level window the foreground window, so real input goes to it.
bool BringToForeground(HWND window, const char *what, DWORD timeoutMs, HWND *root)
{
   *root = GetAncestor(window, GA_ROOT);
   if (!*root) {
      return Fail(std::string(what) + ": the window is gone");
   }
   if (!WaitUntil([&] {
          if (GetForegroundWindow() != *root) {
             SetForegroundWindow(*root);
          }
          return GetForegroundWindow() == *root;
       }, timeoutMs, 50)) {
      return Fail(std::string(what) + ": " + DescribeWindow(*root) + " did not come to the foreground");
   }
   return true;
}

bool Send(std::vector<INPUT> &inputs, const char *what)
{
   UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
   if (sent != inputs.size()) {
      return FailWithSystemError(std::string(what) + ": the input was refused");
   }
   return true;
}

// The window that has the keyboard focus in the thread of `window`; null when none has.
HWND FocusOfThreadOf(HWND window)
{
   GUITHREADINFO info = {};
   info.cbSize = sizeof info;
   return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

} // namespace

bool PostCommand(HWND window, WORD commandId, WORD notification)
{
   ClearFailure();
   return Post(window, WM_COMMAND, MAKEWPARAM(commandId, notification), 0, "PostCommand");
}

bool PostKey(HWND window, UINT virtualKey)
{
   ClearFailure();
   LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
   LPARAM extended = IsExtendedKey(virtualKey) ? (1 << 24) : 0;
   // lParam: repeat count 1; key up adds "previously down" and "being released".
   return Post(window, WM_KEYDOWN, virtualKey, 1 | scan | extended, "PostKey") &&
          Post(window, WM_KEYUP, virtualKey, 1 | scan | extended | (LPARAM(3) << 30), "PostKey");
}

bool PostChars(HWND window, const std::string &text)
{
   ClearFailure();
   for (wchar_t unit : WideFromUtf8(text)) {
      if (!Post(window, WM_CHAR, unit, 1, "PostChars")) {
         return false;
      }
   }
   return true;
}

bool PressKey(HWND window, UINT virtualKey, unsigned modifiers, DWORD timeoutMs)
{
   ClearFailure();
   HWND root = nullptr;
   if (!BringToForeground(window, "PressKey", timeoutMs, &root)) {
      return false;
   }
   const UINT order[] = {VK_CONTROL, VK_SHIFT, VK_MENU};
   const unsigned flags[] = {kControl, kShift, kAlt};
   std::vector<INPUT> inputs;
   for (int i = 0; i < 3; ++i) {
      if (modifiers & flags[i]) {
         inputs.push_back(KeyInput(order[i], false));
      }
   }
   inputs.push_back(KeyInput(virtualKey, false));
   inputs.push_back(KeyInput(virtualKey, true));
   for (int i = 2; i >= 0; --i) {
      if (modifiers & flags[i]) {
         inputs.push_back(KeyInput(order[i], true));
      }
   }
   return Send(inputs, "PressKey");
}

bool TypeText(HWND control, const std::string &text, DWORD timeoutMs)
{
   ClearFailure();
   HWND root = nullptr;
   if (!BringToForeground(control, "TypeText", timeoutMs, &root)) {
      return false;
   }
   if (!WaitUntil([&] { return FocusOfThreadOf(control) == control; }, timeoutMs, 20)) {
      HWND focus = FocusOfThreadOf(control);
      return Fail("TypeText: " + DescribeWindow(control) + " does not have the keyboard focus (" +
                  (focus ? DescribeWindow(focus) + " has it" : std::string("no window has it")) + ")");
   }
   std::vector<INPUT> inputs;
   for (wchar_t unit : WideFromUtf8(text)) {
      inputs.push_back(CharacterInput(unit, false));
      inputs.push_back(CharacterInput(unit, true));
   }
   return inputs.empty() || Send(inputs, "TypeText");
}

bool Click(HWND window, int x, int y, bool right, DWORD timeoutMs)
{
   ClearFailure();
   HWND root = nullptr;
   if (!BringToForeground(window, "Click", timeoutMs, &root)) {
      return false;
   }
   // A window just shown may still be placed or covered for a moment.
   POINT point = {};
   HWND hit = nullptr;
   if (!WaitUntil([&] {
          point = {x, y};
          ClientToScreen(window, &point);
          hit = WindowFromPoint(point);
          return hit == window || IsChild(window, hit);
       }, timeoutMs, 20)) {
      return Fail("Click: the point (" + std::to_string(x) + ", " + std::to_string(y) + ") of " +
                  DescribeWindow(window) + " is covered by " + DescribeWindow(hit));
   }
   return ClickAtScreen(point, right);
}

namespace {

// The pointer's move to a screen point as an absolute move at the middle of its pixel, then
// the buttons, in one batch after the pointer was placed there.
bool SendAtScreen(POINT screen, const std::vector<DWORD> &buttons, const char *what)
{
   if (!SetCursorPos(screen.x, screen.y)) {
      return FailWithSystemError(std::string(what) + ": cannot move the mouse");
   }
   const LONGLONG width = GetSystemMetrics(SM_CXSCREEN);
   const LONGLONG height = GetSystemMetrics(SM_CYSCREEN);
   std::vector<INPUT> inputs(1 + buttons.size());
   for (size_t i = 0; i < inputs.size(); ++i) {
      inputs[i].type = INPUT_MOUSE;
      inputs[i].mi.dwFlags = i == 0 ? MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE : buttons[i - 1];
   }
   inputs[0].mi.dx = static_cast<LONG>(((2 * screen.x + 1) * 65536LL) / (2 * width));
   inputs[0].mi.dy = static_cast<LONG>(((2 * screen.y + 1) * 65536LL) / (2 * height));
   return Send(inputs, what);
}

} // namespace

bool ClickAtScreen(POINT screen, bool right, int clicks)
{
   ClearFailure();
   std::vector<DWORD> buttons;
   for (int i = 0; i < clicks; ++i) {
      buttons.push_back(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
      buttons.push_back(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
   }
   return SendAtScreen(screen, buttons, "Click");
}

bool MouseAtScreen(POINT screen, DWORD buttons)
{
   ClearFailure();
   return SendAtScreen(screen, buttons ? std::vector<DWORD>{buttons} : std::vector<DWORD>{}, "Mouse");
}

bool ClickButton(HWND dialog, int id)
{
   ClearFailure();
   HWND button = GetDlgItem(dialog, id);
   if (!button) {
      return Fail("ClickButton: no button " + std::to_string(id) + " in " + DescribeWindow(dialog));
   }
   return Post(button, BM_CLICK, 0, 0, "ClickButton");
}

bool ClickButtonByText(HWND dialog, const std::string &caption)
{
   ClearFailure();
   for (const ChildWindow &child : ListChildren(dialog)) {
      if (lstrcmpiA(child.className.c_str(), "Button") == 0 &&
          WithoutMnemonics(child.text) == WithoutMnemonics(caption)) {
         return Post(child.window, BM_CLICK, 0, 0, "ClickButtonByText");
      }
   }
   return Fail("ClickButtonByText: no button \"" + caption + "\" in " + DescribeWindow(dialog));
}

bool RequestClose(HWND window)
{
   ClearFailure();
   return Post(window, WM_CLOSE, 0, 0, "RequestClose");
}

} // namespace e2e

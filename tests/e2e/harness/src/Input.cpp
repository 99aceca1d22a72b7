#include "e2e/Input.h"

#include "e2e/WindowText.h"

#include "FailureText.h"

#include <vector>

namespace e2e {

namespace {

bool Post(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, const char *what)
{
   if (!PostMessageA(window, msg, wParam, lParam)) {
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

INPUT KeyInput(UINT vk, bool up)
{
   INPUT input = {};
   input.type = INPUT_KEYBOARD;
   input.ki.wVk = static_cast<WORD>(vk);
   input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
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

} // namespace

bool PostCommand(HWND window, WORD commandId, WORD notification)
{
   ClearFailure();
   return Post(window, WM_COMMAND, MAKEWPARAM(commandId, notification), 0, "PostCommand");
}

bool PostKey(HWND window, UINT virtualKey)
{
   ClearFailure();
   LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC)) << 16;
   LPARAM extended = IsExtendedKey(virtualKey) ? (1 << 24) : 0;
   // lParam: repeat count 1; key up adds "previously down" and "being released".
   return Post(window, WM_KEYDOWN, virtualKey, 1 | scan | extended, "PostKey") &&
          Post(window, WM_KEYUP, virtualKey, 1 | scan | extended | (LPARAM(3) << 30), "PostKey");
}

bool PostChars(HWND window, const std::string &text)
{
   ClearFailure();
   for (unsigned char c : text) {
      if (!Post(window, WM_CHAR, c, 1, "PostChars")) {
         return false;
      }
   }
   return true;
}

bool PressKey(HWND window, UINT virtualKey, unsigned modifiers, DWORD timeoutMs)
{
   ClearFailure();
   HWND root = GetAncestor(window, GA_ROOT);
   if (!root) {
      return Fail("PressKey: the window is gone");
   }
   if (!WaitUntil([&] {
          if (GetForegroundWindow() != root) {
             SetForegroundWindow(root);
          }
          return GetForegroundWindow() == root;
       }, timeoutMs, 50)) {
      return Fail("PressKey: " + DescribeWindow(root) + " did not come to the foreground");
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
   UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
   if (sent != inputs.size()) {
      return FailWithSystemError("PressKey: the input was refused");
   }
   return true;
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

#include "e2e/WindowText.h"

#include "FailureText.h"

#include "tremorybase/Text.h"

namespace e2e {

namespace {

const size_t kMaxText = 65536;

BOOL CALLBACK CollectChild(HWND window, LPARAM param)
{
   reinterpret_cast<std::vector<HWND> *>(param)->push_back(window);
   return TRUE;
}

} // namespace

std::optional<std::string> ReadText(HWND window, DWORD timeoutMs)
{
   ClearFailure();
   // One WM_GETTEXT in UTF-16 with a buffer large enough: under Wine an ANSI WM_GETTEXTLENGTH
   // to another process waits for the answer without the bound.
   std::wstring text(kMaxText, L'\0');
   DWORD_PTR copied = 0;
   if (!IsWindow(window) ||
       !SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                            SMTO_ABORTIFHUNG, timeoutMs, &copied)) {
      FailWithSystemError("ReadText: no answer from " + DescribeWindow(window));
      return std::nullopt;
   }
   text.resize(copied < text.size() ? copied : text.size() - 1);
   return Utf8FromWide(text);
}

bool SetText(HWND window, const std::string &text, DWORD timeoutMs)
{
   ClearFailure();
   const std::wstring wide = WideFromUtf8(text);
   DWORD_PTR done = 0;
   if (!IsWindow(window) ||
       !SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()),
                            SMTO_ABORTIFHUNG, timeoutMs, &done)) {
      return FailWithSystemError("SetText: no answer from " + DescribeWindow(window));
   }
   if (!done) {
      return Fail("SetText: " + DescribeWindow(window) + " refused the text");
   }
   return true;
}

std::vector<ChildWindow> ListChildren(HWND parent)
{
   std::vector<HWND> windows;
   EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&windows));
   std::vector<ChildWindow> children;
   for (HWND window : windows) {
      WCHAR className[256] = L"";
      GetClassNameW(window, className, ARRAYSIZE(className));
      children.push_back({window, GetDlgCtrlID(window), Utf8FromWide(className), ReadText(window).value_or(""),
                          IsWindowVisible(window) != FALSE, IsWindowEnabled(window) != FALSE});
   }
   return children;
}

std::vector<std::string> StaticTexts(HWND dialog)
{
   std::vector<std::string> texts;
   for (const ChildWindow &child : ListChildren(dialog)) {
      if (child.visible && !child.text.empty() && lstrcmpiA(child.className.c_str(), "Static") == 0) {
         texts.push_back(child.text);
      }
   }
   return texts;
}

std::string DialogMessage(HWND dialog)
{
   std::string message;
   for (const std::string &text : StaticTexts(dialog)) {
      message += (message.empty() ? "" : "\n") + text;
   }
   return message;
}

} // namespace e2e

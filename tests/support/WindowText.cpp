#include "WindowText.h"

#include <vector>

namespace testsupport {

std::wstring WideTextOf(HWND wnd)
{
   std::vector<wchar_t> text(static_cast<size_t>(GetWindowTextLengthW(wnd)) + 1, L'\0');
   int length = GetWindowTextW(wnd, text.data(), static_cast<int>(text.size()));
   return std::wstring(text.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

std::string TextOf(HWND wnd)
{
   std::wstring wide = WideTextOf(wnd);
   if (wide.empty()) {
      return std::string();
   }
   int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
   std::string text(static_cast<size_t>(size), '\0');
   WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size, nullptr, nullptr);
   return text;
}

}  // namespace testsupport

#include "WindowText.h"

#include "tremorybase/Text.h"

namespace cuiutil {

std::string WindowText(HWND window)
{
   int length = window ? GetWindowTextLengthW(window) : 0;
   if (length <= 0) {
      return std::string();
   }
   std::wstring text(static_cast<size_t>(length) + 1, L'\0');
   length = GetWindowTextW(window, &text[0], length + 1);
   text.resize(static_cast<size_t>(length > 0 ? length : 0));
   return Utf8FromWide(text);
}

}  // namespace cuiutil

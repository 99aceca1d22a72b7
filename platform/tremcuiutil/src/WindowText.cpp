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

void CenterOnOwner(HWND window, HWND owner)
{
   RECT area;
   if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
      GetWindowRect(owner, &area);
   } else {
      SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
   }
   RECT self;
   GetWindowRect(window, &self);
   int x = (area.left + area.right - (self.right - self.left)) / 2;
   int y = (area.top + area.bottom - (self.bottom - self.top)) / 2;
   SetWindowPos(window, nullptr, x > 0 ? x : 0, y > 0 ? y : 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace cuiutil

#include "atl/Window.h"

namespace atl {

namespace detail {

std::string WindowTextUtf8(HWND wnd)
{
   int length = ::GetWindowTextLengthW(wnd);
   if (length <= 0) {
      return std::string();
   }
   std::wstring text(static_cast<size_t>(length) + 1, L'\0');
   int got = ::GetWindowTextW(wnd, &text[0], length + 1);
   text.resize(got > 0 ? static_cast<size_t>(got) : 0);
   return Utf8FromWide(text);
}

int CopyUtf8(const std::string &text, LPSTR buffer, int size)
{
   if (!buffer || size <= 0) {
      return 0;
   }
   size_t count = text.size() < static_cast<size_t>(size) ? text.size() : static_cast<size_t>(size) - 1;
   // A continuation byte (10xxxxxx) at the cut means a character would be split: drop all of it.
   while (count > 0 && count < text.size() && (static_cast<unsigned char>(text[count]) & 0xC0) == 0x80) {
      --count;
   }
   text.copy(buffer, count);
   buffer[count] = '\0';
   return static_cast<int>(count);
}

} // namespace detail

RECT CWindow::rcDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

BOOL CWindow::TextToBSTR(HWND wnd, BSTR &text)
{
   ::SysFreeString(text);
   text = nullptr;
   int len = ::GetWindowTextLengthW(wnd);
   text = ::SysAllocStringLen(nullptr, static_cast<UINT>(len));
   if (!text) {
      return FALSE;
   }
   int got = ::GetWindowTextW(wnd, text, len + 1);
   if (got < len) {
      // The text shrank in between; keep the BSTR length honest.
      BSTR exact = ::SysAllocStringLen(text, static_cast<UINT>(got));
      ::SysFreeString(text);
      text = exact;
   }
   return text != nullptr;
}

BOOL CWindow::CenterWindow(HWND center)
{
   DWORD style = GetStyle();
   HWND parent = nullptr;
   if (!center) {
      center = (style & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER);
   }
   RECT self, area, target;
   ::GetWindowRect(m_hWnd, &self);
   if (style & WS_CHILD) {
      parent = ::GetParent(m_hWnd);
      ::GetClientRect(parent, &area);
      if (center && center != parent) {
         ::GetWindowRect(center, &target);
         ::MapWindowPoints(nullptr, parent, reinterpret_cast<LPPOINT>(&target), 2);
      } else {
         target = area;
      }
   } else {
      // An owner that is hidden or minimised is no place to centre on.
      if (center && (!::IsWindowVisible(center) || ::IsIconic(center))) {
         center = nullptr;
      }
      HMONITOR monitor = ::MonitorFromWindow(center ? center : m_hWnd, MONITOR_DEFAULTTONEAREST);
      MONITORINFO info;
      info.cbSize = sizeof(info);
      if (!::GetMonitorInfoW(monitor, &info)) {
         return FALSE;
      }
      area = info.rcWork;
      if (center) {
         ::GetWindowRect(center, &target);
      } else {
         target = area;
      }
   }
   int width = self.right - self.left;
   int height = self.bottom - self.top;
   int x = (target.left + target.right) / 2 - width / 2;
   int y = (target.top + target.bottom) / 2 - height / 2;
   if (x + width > area.right) {
      x = area.right - width;
   }
   if (x < area.left) {
      x = area.left;
   }
   if (y + height > area.bottom) {
      y = area.bottom - height;
   }
   if (y < area.top) {
      y = area.top;
   }
   return ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace atl

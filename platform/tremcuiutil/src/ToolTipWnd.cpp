#include "cui/ToolTipWnd.h"

#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <algorithm>
#include <exception>

namespace wui {
namespace control {

namespace {

const wchar_t kClassName[] = L"TremNotificationTip";
const int kMargin = 8;
const int kIconSize = 32;
const int kGap = 4;

bool RegisterTipClass(WNDPROC proc)
{
   static bool registered = false;
   if (registered) {
      return true;
   }
   WNDCLASSEXW wc = {};
   wc.cbSize = sizeof wc;
   wc.style = CS_DROPSHADOW;
   wc.lpfnWndProc = proc;
   wc.hInstance = GetModuleHandleW(nullptr);
   wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32649));   // IDC_HAND
   wc.hbrBackground = GetSysColorBrush(COLOR_INFOBK);
   wc.lpszClassName = kClassName;
   registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
   return registered;
}

// The system icons by id (the IDI_ names are narrow-string resources without UNICODE).
LPCWSTR IconOf(int kind)
{
   switch (kind) {
   case ToolTipWnd::KIND_WARNING: return MAKEINTRESOURCEW(32515);
   case ToolTipWnd::KIND_ERROR: return MAKEINTRESOURCEW(32513);
   default: return MAKEINTRESOURCEW(32516);
   }
}

}  // namespace

ToolTipWnd *ToolTipWnd::CreateInstance(HWND owner, const RECT *rect)
{
   if (!RegisterTipClass(&ToolTipWnd::WndProc)) {
      return nullptr;
   }
   auto *tip = new ToolTipWnd;
   RECT place = rect ? *rect : RECT{0, 0, 0, 0};
   tip->wnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, nullptr, WS_POPUP | WS_BORDER,
                               place.left, place.top, place.right - place.left, place.bottom - place.top, owner,
                               nullptr, GetModuleHandleW(nullptr), tip);
   if (!tip->wnd_) {
      delete tip;
      return nullptr;
   }
   NONCLIENTMETRICSW metrics = {};
   metrics.cbSize = sizeof metrics;
   if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
      LOGFONTW bold = metrics.lfStatusFont;
      bold.lfWeight = FW_BOLD;
      tip->boldFont_ = CreateFontIndirectW(&bold);
   }
   return tip;
}

ToolTipWnd::~ToolTipWnd()
{
   if (boldFont_) {
      DeleteObject(boldFont_);
   }
}

void ToolTipWnd::Destroy()
{
   if (wnd_) {
      SetWindowLongPtrW(wnd_, GWLP_USERDATA, 0);
      DestroyWindow(wnd_);
      wnd_ = nullptr;
   }
   delete this;
}

SIZE ToolTipWnd::Measure()
{
   HDC dc = GetDC(wnd_);
   int textWidth = kMaxWidth - 2 * kMargin - kIconSize - kGap;
   HGDIOBJ old = SelectObject(dc, boldFont_ ? static_cast<HGDIOBJ>(boldFont_) : GetStockObject(DEFAULT_GUI_FONT));
   RECT line = {0, 0, textWidth, 0};
   std::wstring text = WideFromUtf8(text_);
   std::wstring detail = WideFromUtf8(detail_);
   DrawTextW(dc, text.c_str(), -1, &line, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
   SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
   RECT more = {0, 0, textWidth, 0};
   if (!detail_.empty()) {
      DrawTextW(dc, detail.c_str(), -1, &more, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
   }
   SelectObject(dc, old);
   ReleaseDC(wnd_, dc);
   int width = std::max(line.right, more.right);
   int height = (line.bottom - line.top) + (detail_.empty() ? 0 : kGap + more.bottom - more.top);
   SIZE size = {2 * kMargin + kIconSize + kGap + width + 2, 2 * kMargin + std::max(kIconSize, height) + 2};
   return size;
}

void ToolTipWnd::Show(int kind, const std::string &text, const std::string &detail)
{
   if (!wnd_) {
      return;
   }
   kind_ = kind;
   text_ = text;
   detail_ = detail;
   SIZE size = Measure();
   SetWindowPos(wnd_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
   InvalidateRect(wnd_, nullptr, TRUE);
   ShowWindow(wnd_, SW_SHOWNOACTIVATE);
}

void ToolTipWnd::Hide()
{
   if (wnd_) {
      ShowWindow(wnd_, SW_HIDE);
   }
}

bool ToolTipWnd::IsVisible() const
{
   return wnd_ && IsWindowVisible(wnd_);
}

void ToolTipWnd::PlaceAbove(const RECT &anchor)
{
   if (!wnd_) {
      return;
   }
   RECT own = {};
   GetWindowRect(wnd_, &own);
   int width = own.right - own.left;
   int height = own.bottom - own.top;
   int x = anchor.right - width;
   int y = anchor.top - height;
   MONITORINFO monitor = {};
   monitor.cbSize = sizeof monitor;
   if (GetMonitorInfoW(MonitorFromRect(&anchor, MONITOR_DEFAULTTONEAREST), &monitor)) {
      const RECT &work = monitor.rcWork;
      x = std::max<int>(work.left, std::min<int>(x, work.right - width));
      y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
   }
   SetWindowPos(wnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ToolTipWnd::Paint(HDC dc)
{
   RECT client = {};
   GetClientRect(wnd_, &client);
   FillRect(dc, &client, GetSysColorBrush(COLOR_INFOBK));
   DrawIcon(dc, kMargin, kMargin, LoadIconW(nullptr, IconOf(kind_)));
   SetBkMode(dc, TRANSPARENT);
   SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
   RECT area = {kMargin + kIconSize + kGap, kMargin, client.right - kMargin, client.bottom - kMargin};
   HGDIOBJ old = SelectObject(dc, boldFont_ ? static_cast<HGDIOBJ>(boldFont_) : GetStockObject(DEFAULT_GUI_FONT));
   RECT line = area;
   int used = DrawTextW(dc, WideFromUtf8(text_).c_str(), -1, &line, DT_WORDBREAK | DT_NOPREFIX);
   SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
   if (!detail_.empty()) {
      RECT more = area;
      more.top += used + kGap;
      DrawTextW(dc, WideFromUtf8(detail_).c_str(), -1, &more, DT_WORDBREAK | DT_NOPREFIX);
   }
   SelectObject(dc, old);
}

LRESULT ToolTipWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
   switch (message) {
   case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(wnd_, &ps);
      Paint(dc);
      EndPaint(wnd_, &ps);
      return 0;
   }
   case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
   case WM_LBUTTONUP:
      Hide();
      closed.emit();
      return 0;
   default:
      return DefWindowProcW(wnd_, message, wParam, lParam);
   }
}

LRESULT CALLBACK ToolTipWnd::WndProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam)
{
   if (message == WM_NCCREATE) {
      auto *create = reinterpret_cast<CREATESTRUCTW *>(lParam);
      SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
   }
   auto *tip = reinterpret_cast<ToolTipWnd *>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
   if (!tip || tip->GetWindow() != wnd) {
      return DefWindowProcW(wnd, message, wParam, lParam);
   }
   // Nothing a listener throws goes back into the system.
   try {
      return tip->HandleMessage(message, wParam, lParam);
   } catch (const std::exception &error) {
      Warning("ToolTipWnd: a handler failed: %s\n", error.what());
   } catch (...) {
      Warning("ToolTipWnd: a handler failed\n");
   }
   return 0;
}

}  // namespace control
}  // namespace wui

// CWindow: a thin, copyable wrapper over an HWND; it owns nothing. Everything reaches the window
// through the W calls, so no text passes the system's code page: text functions take UTF-8 or
// wide strings, and a text-bearing message sent with SendMessage (WM_SETTEXT, LB_ADDSTRING, ...)
// carries wide text.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstddef>
#include <string>

#include "atl/Module.h"
#include "tremorybase/Text.h"

namespace atl {

namespace detail {

// A text argument that may be NULL, for a W call; the wide copy lives as long as this object.
class WideArg {
public:
   explicit WideArg(LPCSTR text) : null_(!text), wide_(text ? WideFromUtf8(text) : std::wstring()) {}
   operator LPCWSTR() const { return null_ ? nullptr : wide_.c_str(); }

private:
   bool null_;
   std::wstring wide_;
};

// A class or resource name, which may also be an atom or id (MAKEINTATOM, MAKEINTRESOURCE), for a
// W call.
class WideNameArg {
public:
   explicit WideNameArg(LPCSTR name)
      : atom_(IS_INTRESOURCE(name) ? reinterpret_cast<LPCWSTR>(name) : nullptr),
        wide_(IS_INTRESOURCE(name) ? std::wstring() : WideFromUtf8(name))
   {
   }
   operator LPCWSTR() const { return atom_ ? atom_ : wide_.c_str(); }

private:
   LPCWSTR atom_;
   std::wstring wide_;
};

// The window's text as UTF-8.
std::string WindowTextUtf8(HWND wnd);
// Copies as much of `text` as fits in `size` bytes with its terminating zero, never cutting a
// character in two; the bytes copied.
int CopyUtf8(const std::string &text, LPSTR buffer, int size);

} // namespace detail

// A rectangle argument that may be given as a pointer, a reference or NULL.
class _U_RECT {
public:
   _U_RECT(LPRECT rect) : m_lpRect(rect) {}
   _U_RECT(RECT &rect) : m_lpRect(&rect) {}
   _U_RECT(int null) : m_lpRect(nullptr) { (void)null; }
   _U_RECT(std::nullptr_t) : m_lpRect(nullptr) {}
   LPRECT m_lpRect;
};

// A menu handle or, for a child window, its control id.
class _U_MENUorID {
public:
   _U_MENUorID(HMENU menu) : m_hMenu(menu) {}
   _U_MENUorID(UINT id) : m_hMenu(reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))) {}
   _U_MENUorID(int id) : m_hMenu(reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))) {}
   HMENU m_hMenu;
};

class CWindow {
public:
   HWND m_hWnd;

   static RECT rcDefault;

   CWindow(HWND hWnd = nullptr) : m_hWnd(hWnd) {}
   CWindow &operator=(HWND hWnd) { m_hWnd = hWnd; return *this; }
   operator HWND() const { return m_hWnd; }

   static LPCTSTR GetWndClassName() { return nullptr; }

   void Attach(HWND hWnd) { m_hWnd = hWnd; }
   HWND Detach() { HWND h = m_hWnd; m_hWnd = nullptr; return h; }

   HWND Create(LPCTSTR className, HWND parent, _U_RECT rect = nullptr, LPCTSTR windowName = nullptr,
               DWORD style = 0, DWORD exStyle = 0, _U_MENUorID menuOrId = 0U, LPVOID createParam = nullptr)
   {
      RECT *rc = rect.m_lpRect ? rect.m_lpRect : &rcDefault;
      m_hWnd = ::CreateWindowExW(exStyle, detail::WideNameArg(className), detail::WideArg(windowName), style,
                                 rc->left, rc->top, rc->right - rc->left, rc->bottom - rc->top, parent,
                                 menuOrId.m_hMenu, _Module.GetModuleInstance(), createParam);
      return m_hWnd;
   }
   BOOL DestroyWindow()
   {
      if (!::DestroyWindow(m_hWnd)) {
         return FALSE;
      }
      m_hWnd = nullptr;
      return TRUE;
   }

   // Styles and window data.
   DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
   DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }
   BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0) { return ModifyLong(GWL_STYLE, remove, add, swpFlags); }
   BOOL ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0) { return ModifyLong(GWL_EXSTYLE, remove, add, swpFlags); }
   // The W forms: setting GWLP_WNDPROC with the A form would make the window an ANSI one.
   LONG_PTR GetWindowLongPtr(int index) const { return ::GetWindowLongPtrW(m_hWnd, index); }
   LONG_PTR SetWindowLongPtr(int index, LONG_PTR value) { return ::SetWindowLongPtrW(m_hWnd, index, value); }

   // Messages.
   LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::SendMessageW(m_hWnd, msg, wParam, lParam); }
   BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const { return ::PostMessageW(m_hWnd, msg, wParam, lParam); }
   LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
   {
      return ::SendDlgItemMessageW(m_hWnd, id, msg, wParam, lParam);
   }

   // Text: narrow strings are UTF-8, and a narrow buffer gets UTF-8 cut at a character boundary.
   BOOL SetWindowText(LPCSTR text) { return ::SetWindowTextW(m_hWnd, detail::WideArg(text)); }
   BOOL SetWindowText(LPCWSTR text) { return ::SetWindowTextW(m_hWnd, text); }
   int GetWindowText(LPSTR buffer, int size) const
   {
      return detail::CopyUtf8(detail::WindowTextUtf8(m_hWnd), buffer, size);
   }
   int GetWindowText(LPWSTR buffer, int size) const { return ::GetWindowTextW(m_hWnd, buffer, size); }
   // Replaces `text` with a new BSTR (freed by the caller); FALSE when out of memory.
   BOOL GetWindowText(BSTR &text) const { return TextToBSTR(m_hWnd, text); }
   // In bytes of UTF-8, what GetWindowText(LPSTR, int) needs less the terminating zero.
   int GetWindowTextLength() const { return static_cast<int>(detail::WindowTextUtf8(m_hWnd).size()); }
   BOOL SetDlgItemText(int id, LPCSTR text) { return ::SetDlgItemTextW(m_hWnd, id, detail::WideArg(text)); }
   BOOL SetDlgItemText(int id, LPCWSTR text) { return ::SetDlgItemTextW(m_hWnd, id, text); }
   UINT GetDlgItemText(int id, LPSTR buffer, int size) const
   {
      return static_cast<UINT>(detail::CopyUtf8(detail::WindowTextUtf8(::GetDlgItem(m_hWnd, id)), buffer, size));
   }
   UINT GetDlgItemText(int id, LPWSTR buffer, int size) const { return ::GetDlgItemTextW(m_hWnd, id, buffer, size); }
   BOOL GetDlgItemText(int id, BSTR &text) const { return TextToBSTR(::GetDlgItem(m_hWnd, id), text); }
   UINT GetDlgItemInt(int id, BOOL *translated = nullptr, BOOL isSigned = TRUE) const
   {
      return ::GetDlgItemInt(m_hWnd, id, translated, isSigned);
   }
   BOOL SetDlgItemInt(int id, UINT value, BOOL isSigned = TRUE) { return ::SetDlgItemInt(m_hWnd, id, value, isSigned); }
   BOOL CheckDlgButton(int id, UINT check) { return ::CheckDlgButton(m_hWnd, id, check); }
   UINT IsDlgButtonChecked(int id) const { return ::IsDlgButtonChecked(m_hWnd, id); }
   // Class names are ASCII.
   int GetClassName(LPSTR buffer, int size) const { return ::GetClassNameA(m_hWnd, buffer, size); }
   HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
   void SetFont(HFONT font, BOOL redraw = TRUE) { SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(redraw, 0)); }
   HICON SetIcon(HICON icon, BOOL big = TRUE)
   {
      return reinterpret_cast<HICON>(SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
   }
   void SetRedraw(BOOL redraw = TRUE) { SendMessage(WM_SETREDRAW, redraw, 0); }

   // Relations.
   CWindow GetDlgItem(int id) const { return CWindow(::GetDlgItem(m_hWnd, id)); }
   int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
   int SetDlgCtrlID(int id) { return static_cast<int>(::SetWindowLongPtrW(m_hWnd, GWLP_ID, id)); }
   CWindow GetParent() const { return CWindow(::GetParent(m_hWnd)); }
   CWindow SetParent(HWND newParent) { return CWindow(::SetParent(m_hWnd, newParent)); }
   CWindow GetWindow(UINT cmd) const { return CWindow(::GetWindow(m_hWnd, cmd)); }
   CWindow GetTopLevelParent() const
   {
      HWND top = m_hWnd;
      for (HWND h = m_hWnd; h; h = (::GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD) ? ::GetParent(h) : nullptr) {
         top = h;
      }
      return CWindow(top);
   }
   BOOL IsChild(HWND wnd) const { return ::IsChild(m_hWnd, wnd); }
   HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
   BOOL SetMenu(HMENU menu) { return ::SetMenu(m_hWnd, menu); }

   // State.
   BOOL IsWindow() const { return ::IsWindow(m_hWnd); }
   BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
   BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
   BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
   BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
   BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
   BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
   HWND SetFocus() { return ::SetFocus(m_hWnd); }
   static HWND GetFocus() { return ::GetFocus(); }
   HWND SetActiveWindow() { return ::SetActiveWindow(m_hWnd); }
   BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
   BOOL BringWindowToTop() { return ::BringWindowToTop(m_hWnd); }
   HWND SetCapture() { return ::SetCapture(m_hWnd); }

   // Geometry.
   BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE)
   {
      return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
   }
   BOOL MoveWindow(LPCRECT rect, BOOL repaint = TRUE)
   {
      return ::MoveWindow(m_hWnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, repaint);
   }
   BOOL SetWindowPos(HWND after, int x, int y, int cx, int cy, UINT flags)
   {
      return ::SetWindowPos(m_hWnd, after, x, y, cx, cy, flags);
   }
   BOOL SetWindowPos(HWND after, LPCRECT rect, UINT flags)
   {
      return ::SetWindowPos(m_hWnd, after, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, flags);
   }
   BOOL GetWindowRect(LPRECT rect) const { return ::GetWindowRect(m_hWnd, rect); }
   BOOL GetClientRect(LPRECT rect) const { return ::GetClientRect(m_hWnd, rect); }
   BOOL GetWindowPlacement(WINDOWPLACEMENT *wp) const { return ::GetWindowPlacement(m_hWnd, wp); }
   BOOL SetWindowPlacement(const WINDOWPLACEMENT *wp) { return ::SetWindowPlacement(m_hWnd, wp); }
   BOOL ClientToScreen(LPPOINT point) const { return ::ClientToScreen(m_hWnd, point); }
   BOOL ClientToScreen(LPRECT rect) const
   {
      return ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(rect)) && ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(rect) + 1);
   }
   BOOL ScreenToClient(LPPOINT point) const { return ::ScreenToClient(m_hWnd, point); }
   BOOL ScreenToClient(LPRECT rect) const
   {
      return ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(rect)) && ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(rect) + 1);
   }
   int MapWindowPoints(HWND to, LPPOINT points, UINT count) const { return ::MapWindowPoints(m_hWnd, to, points, count); }
   int MapWindowPoints(HWND to, LPRECT rect) const
   {
      return ::MapWindowPoints(m_hWnd, to, reinterpret_cast<LPPOINT>(rect), 2);
   }
   // Centres on `center` (default: the parent of a child window, else the owner), kept inside
   // the work area of the monitor it ends up on.
   BOOL CenterWindow(HWND center = nullptr);

   // Painting.
   BOOL Invalidate(BOOL erase = TRUE) { return ::InvalidateRect(m_hWnd, nullptr, erase); }
   BOOL InvalidateRect(LPCRECT rect, BOOL erase = TRUE) { return ::InvalidateRect(m_hWnd, rect, erase); }
   BOOL ValidateRect(LPCRECT rect) { return ::ValidateRect(m_hWnd, rect); }
   BOOL UpdateWindow() { return ::UpdateWindow(m_hWnd); }
   BOOL RedrawWindow(LPCRECT rect = nullptr, HRGN region = nullptr, UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
   {
      return ::RedrawWindow(m_hWnd, rect, region, flags);
   }
   HDC BeginPaint(LPPAINTSTRUCT ps) { return ::BeginPaint(m_hWnd, ps); }
   void EndPaint(LPPAINTSTRUCT ps) { ::EndPaint(m_hWnd, ps); }
   HDC GetDC() { return ::GetDC(m_hWnd); }
   int ReleaseDC(HDC dc) { return ::ReleaseDC(m_hWnd, dc); }

   // Timers and boxes.
   UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc = nullptr) { return ::SetTimer(m_hWnd, id, elapse, proc); }
   BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
   int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK)
   {
      return ::MessageBoxW(m_hWnd, detail::WideArg(text), detail::WideArg(caption), type);
   }
   int MessageBox(LPCWSTR text, LPCWSTR caption = nullptr, UINT type = MB_OK)
   {
      return ::MessageBoxW(m_hWnd, text, caption, type);
   }

private:
   BOOL ModifyLong(int index, DWORD remove, DWORD add, UINT swpFlags)
   {
      DWORD old = static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, index));
      DWORD now = (old & ~remove) | add;
      if (old == now) {
         return FALSE;
      }
      ::SetWindowLongPtrW(m_hWnd, index, static_cast<LONG_PTR>(now));
      if (swpFlags != 0) {
         ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
      }
      return TRUE;
   }
   static BOOL TextToBSTR(HWND wnd, BSTR &text);
};

} // namespace atl

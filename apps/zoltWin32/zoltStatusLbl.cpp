#include "zoltStatusLbl.h"

#include "zoltResources.h"
#include "zoltWndUtil.h"

CZOLTStatusLbl::~CZOLTStatusLbl()
{
   FreeResources();
}

bool CZOLTStatusLbl::Attach(HWND window, UINT bitmapId, HBRUSH brush, bool separator)
{
   if (!window || !SubclassWindow(window)) {
      return false;
   }
   LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
   style &= ~(WS_BORDER | SS_TYPEMASK);
   ::SetWindowLongA(m_hWnd, GWL_STYLE, style | SS_OWNERDRAW);
   ::SetWindowLongA(m_hWnd, GWL_EXSTYLE, ::GetWindowLongA(m_hWnd, GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
   brush_ = brush;
   if (bitmapId) {
      bitmap_.reset(::LoadBitmapA(GetResourceInstance(), MAKEINTRESOURCEA(bitmapId)));
      BITMAP info = {};
      if (bitmap_ && ::GetObjectA(bitmap_, sizeof(info), &info)) {
         width_ = info.bmWidth;
         height_ = info.bmHeight;
         atl::ScopedWindowDC dc(m_hWnd);
         memDC_ = atl::ScopedDC(dc);
         bitmapSelected_ = atl::ScopedSelection(memDC_, bitmap_);
      }
   }
   RECT client = {};
   ::GetClientRect(m_hWnd, &client);
   if (separator) {
      SetWindowPos(nullptr, 0, 0, 1, client.bottom, SWP_NOMOVE | SWP_NOZORDER);
   } else {
      SetWindowPos(nullptr, 0, 0, client.right, height_ + 3, SWP_NOMOVE | SWP_NOZORDER);
   }
   return true;
}

LRESULT CZOLTStatusLbl::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   const DRAWITEMSTRUCT *item = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
   RECT rc = item->rcItem;
   if (memDC_) {
      ::FrameRect(item->hDC, &rc, brush_);
      ::StretchBlt(item->hDC, rc.left + 1, rc.top + 1, rc.right - rc.left - 2, rc.bottom - rc.top - 2, memDC_, 0, 0,
                   width_, height_, SRCCOPY);
   } else if (brush_) {
      ::FillRect(item->hDC, &rc, brush_);
   }
   const std::string text = GetWindowTextUtf8(m_hWnd);
   if (!text.empty()) {
      atl::ScopedSelection font(item->hDC, reinterpret_cast<HGDIOBJ>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
      ::SetBkMode(item->hDC, TRANSPARENT);
      rc.left += 5;
      DrawTextUtf8(item->hDC, text, &rc, DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
   }
   return TRUE;
}

LRESULT CZOLTStatusLbl::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   FreeResources();
   bHandled = FALSE;
   return 0;
}

void CZOLTStatusLbl::FreeResources()
{
   bitmapSelected_.restore();
   memDC_ = atl::ScopedDC();
   bitmap_.reset();
}

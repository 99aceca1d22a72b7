#include "zoltStatusBtn.h"

#include "zoltResources.h"
#include "zoltStatusBase.h"
#include "zoltWndUtil.h"

namespace {

SIZE IconSize(HICON icon)
{
   SIZE size = {0, 0};
   ICONINFO info = {};
   if (icon && ::GetIconInfo(icon, &info)) {
      // The bitmaps are copies the caller owns.
      atl::ScopedBitmap color(info.hbmColor);
      atl::ScopedBitmap mask(info.hbmMask);
      BITMAP bitmap = {};
      HBITMAP measured = info.hbmColor ? info.hbmColor : info.hbmMask;
      if (::GetObjectA(measured, sizeof(bitmap), &bitmap)) {
         size.cx = bitmap.bmWidth;
         size.cy = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
      }
   }
   return size;
}

HICON LoadPageIcon(UINT id)
{
   if (!id) {
      return nullptr;
   }
   return static_cast<HICON>(::LoadImageA(GetResourceInstance(), MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, 0));
}

}  // namespace

LinkButtonLayout LayoutLinkButton(SIZE itemSize, SIZE iconSize, bool iconLeft)
{
   LinkButtonLayout layout = {};
   if (iconLeft) {
      layout.icon = POINT{0, (itemSize.cy - iconSize.cy) / 2};
      layout.text = RECT{iconSize.cx + 10, 0, itemSize.cx, itemSize.cy};
      layout.format = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
   } else {
      layout.icon = POINT{(itemSize.cx - iconSize.cx) / 2, 0};
      layout.text = RECT{0, iconSize.cy, itemSize.cx, itemSize.cy};
      layout.format = DT_CENTER | DT_WORDBREAK | DT_END_ELLIPSIS;
   }
   return layout;
}

CZOLTStatusBtn::~CZOLTStatusBtn()
{
   FreeResources();
}

bool CZOLTStatusBtn::Attach(HWND window, UINT iconId, UINT disabledIconId, HINSTANCE cursorModule, LPCSTR cursorId)
{
   if (!window || !SubclassWindow(window)) {
      return false;
   }
   ::SetWindowLongA(m_hWnd, GWL_STYLE, ::GetWindowLongA(m_hWnd, GWL_STYLE) | BS_OWNERDRAW);
   cursor_ = ::LoadCursorA(cursorModule, cursorId);
   iconId_ = iconId;
   disabledIconId_ = disabledIconId;
   iconsLoaded_ = false;
   atl::ScopedWindowDC dc(m_hWnd);
   memDC_ = atl::ScopedDC(dc);
   return true;
}

LRESULT CZOLTStatusBtn::OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   const DRAWITEMSTRUCT *item = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
   const RECT &rc = item->rcItem;
   LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
   if (style & BS_BITMAP) {
      HBITMAP image = reinterpret_cast<HBITMAP>(::SendMessageA(m_hWnd, BM_GETIMAGE, IMAGE_BITMAP, 0));
      BITMAP info = {};
      if (image && memDC_ && ::GetObjectA(image, sizeof(info), &info)) {
         atl::ScopedSelection selected(memDC_, image);
         int x = rc.left + (rc.right - rc.left - info.bmWidth) / 2;
         int y = rc.top + (rc.bottom - rc.top - info.bmHeight) / 2;
         ::BitBlt(item->hDC, x, y, info.bmWidth, info.bmHeight, memDC_, 0, 0, SRCCOPY);
      }
      return TRUE;
   }
   LoadIcons();
   bool disabled = (item->itemState & ODS_DISABLED) != 0;
   HICON icon = disabled && disabledIcon_ ? disabledIcon_ : icon_;
   SIZE iconSize = IconSize(icon);
   SIZE itemSize = {rc.right - rc.left, rc.bottom - rc.top};
   LinkButtonLayout layout = LayoutLinkButton(itemSize, iconSize, (style & BS_RIGHT) == BS_RIGHT);
   if (icon) {
      ::DrawIconEx(item->hDC, rc.left + layout.icon.x, rc.top + layout.icon.y, icon, 0, 0, 0, nullptr, DI_NORMAL);
   }
   const std::string text = GetWindowTextUtf8(m_hWnd);
   RECT textRect = layout.text;
   ::OffsetRect(&textRect, rc.left, rc.top);
   atl::ScopedSelection font(item->hDC, reinterpret_cast<HGDIOBJ>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)));
   ::SetBkMode(item->hDC, TRANSPARENT);
   ::SetTextColor(item->hDC, disabled ? statuspage::kDisabledColor : statuspage::kLinkColor);
   DrawTextUtf8(item->hDC, text, &textRect, layout.format);
   return TRUE;
}

LRESULT CZOLTStatusBtn::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   if (::GetWindowLongA(m_hWnd, GWL_STYLE) & BS_BITMAP) {
      return TRUE;
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CZOLTStatusBtn::OnSetCursor(UINT, WPARAM, LPARAM, BOOL &)
{
   ::SetCursor(cursor_);
   return TRUE;
}

LRESULT CZOLTStatusBtn::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   FreeResources();
   bHandled = FALSE;
   return 0;
}

void CZOLTStatusBtn::LoadIcons()
{
   if (iconsLoaded_) {
      return;
   }
   iconsLoaded_ = true;
   icon_ = LoadPageIcon(iconId_);
   disabledIcon_ = LoadPageIcon(disabledIconId_);
}

void CZOLTStatusBtn::FreeResources()
{
   iconsLoaded_ = false;
   iconId_ = 0;
   disabledIconId_ = 0;
   if (icon_) {
      ::DestroyIcon(icon_);
      icon_ = nullptr;
   }
   if (disabledIcon_) {
      ::DestroyIcon(disabledIcon_);
      disabledIcon_ = nullptr;
   }
   memDC_ = atl::ScopedDC();
}

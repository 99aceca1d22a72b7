#include "zoltStatusLV.h"

#include "zoltWndUtil.h"

int StretchedLastColumnWidth(int columnWidth, int itemRight, int clientRight)
{
   return static_cast<short>(columnWidth - itemRight + clientRight);
}

void CZOLTStatusLV::Picture::Set(HWND window, HBITMAP newBitmap)
{
   Free();
   BITMAP info = {};
   if (!newBitmap || !::GetObjectA(newBitmap, sizeof(info), &info)) {
      return;
   }
   bitmap.reset(newBitmap);
   width = info.bmWidth;
   height = info.bmHeight;
   atl::ScopedWindowDC windowDC(window);
   dc = atl::ScopedDC(windowDC);
   selected = atl::ScopedSelection(dc, bitmap);
}

void CZOLTStatusLV::Picture::Free()
{
   selected.restore();
   dc = atl::ScopedDC();
   bitmap.reset();
   width = 0;
   height = 0;
}

CZOLTStatusLV::CZOLTStatusLV()
{
   uxtheme_ = ::LoadLibraryA("uxtheme.dll");
   if (uxtheme_) {
      setWindowTheme_ = reinterpret_cast<SetWindowThemeFn>(
         reinterpret_cast<void *>(::GetProcAddress(uxtheme_, "SetWindowTheme")));
   }
}

CZOLTStatusLV::~CZOLTStatusLV()
{
   gradient_.Free();
   ascending_.Free();
   descending_.Free();
   if (uxtheme_) {
      ::FreeLibrary(uxtheme_);
   }
}

HWND CZOLTStatusLV::Header() const
{
   return reinterpret_cast<HWND>(::SendMessageA(m_hWnd, LVM_GETHEADER, 0, 0));
}

void CZOLTStatusLV::SetHeaderBitmap(HBITMAP bitmap)
{
   gradient_.Set(m_hWnd, bitmap);
}

void CZOLTStatusLV::SetSortArrows(HBITMAP ascending, HBITMAP descending)
{
   ascending_.Set(m_hWnd, ascending);
   descending_.Set(m_hWnd, descending);
}

int CZOLTStatusLV::InsertColumn(const std::string &title, int index, int width, int value)
{
   LVCOLUMNW column = {};
   column.mask = LVCF_WIDTH;
   column.cx = width;
   int inserted = static_cast<int>(::SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
   if (inserted < 0) {
      return -1;
   }
   HDITEMW item = {};
   item.mask = HDI_FORMAT | HDI_LPARAM;
   item.fmt = HDF_OWNERDRAW;
   item.lParam = reinterpret_cast<LPARAM>(new Column{title, value});
   ::SendMessageW(Header(), HDM_SETITEMW, inserted, reinterpret_cast<LPARAM>(&item));
   return inserted;
}

LRESULT CZOLTStatusLV::OnDrawHeaderItem(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   const DRAWITEMSTRUCT *draw = reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
   if (draw->hwndItem != Header()) {
      bHandled = FALSE;
      return 0;
   }
   RECT rc = draw->rcItem;
   if (gradient_.dc) {
      ::FrameRect(draw->hDC, &rc, headerBrush_);
      ::StretchBlt(draw->hDC, rc.left + 1, rc.top + 1, rc.right - rc.left - 1, rc.bottom - rc.top - 1, gradient_.dc, 0,
                   0, gradient_.width, gradient_.height, SRCCOPY);
   } else if (headerBrush_) {
      ::FillRect(draw->hDC, &rc, headerBrush_);
   }
   HDITEMW item = {};
   item.mask = HDI_LPARAM;
   ::SendMessageW(Header(), HDM_GETITEMW, draw->itemID, reinterpret_cast<LPARAM>(&item));
   const Column *column = reinterpret_cast<const Column *>(item.lParam);
   if (column && !column->title.empty()) {
      RECT text = rc;
      text.left += 5;
      ::SetBkMode(draw->hDC, TRANSPARENT);
      DrawTextUtf8(draw->hDC, column->title, &text, DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
   }
   if (static_cast<int>(draw->itemID) == sortColumn_) {
      const Picture &arrow = sortDescending_ ? descending_ : ascending_;
      if (arrow.dc) {
         ::BitBlt(draw->hDC, rc.right - arrow.width - 1, rc.top + 1, arrow.width, arrow.height, arrow.dc, 0, 0, SRCCOPY);
      }
   }
   return TRUE;
}

LRESULT CZOLTStatusLV::OnSize(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   if (!stretchLast_) {
      bHandled = FALSE;
      return 0;
   }
   DefWindowProc();
   HWND header = Header();
   int count = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
   if (count > 0) {
      RECT client = {};
      GetClientRect(&client);
      RECT item = {};
      ::SendMessageA(header, HDM_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&item));
      int width = static_cast<int>(::SendMessageA(m_hWnd, LVM_GETCOLUMNWIDTH, count - 1, 0));
      int stretched = StretchedLastColumnWidth(width, item.right, client.right);
      if (stretched > 0) {
         ::SendMessageA(m_hWnd, LVM_SETCOLUMNWIDTH, count - 1, MAKELPARAM(stretched, 0));
      }
   }
   return 0;
}

LRESULT CZOLTStatusLV::OnScrollingInput(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   // Posted, so the owner hears of it once the list has moved.
   ::PostMessageA(m_hWnd, WM_ZOLT_LIST_SCROLLED, 0, 0);
   bHandled = FALSE;
   return 0;
}

LRESULT CZOLTStatusLV::OnScrolled(UINT, WPARAM, LPARAM, BOOL &)
{
   scrolled.emit();
   return 0;
}

LRESULT CZOLTStatusLV::OnHeaderNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   const NMHEADERW *header = reinterpret_cast<const NMHEADERW *>(lParam);
   if (header->hdr.hwndFrom != Header()) {
      bHandled = FALSE;
      return 0;
   }
   switch (header->hdr.code) {
   case HDN_BEGINTRACKA:
   case HDN_BEGINTRACKW:
      trackingDivider_ = true;
      break;
   case HDN_ENDTRACKA:
   case HDN_ENDTRACKW:
      trackingDivider_ = false;
      break;
   case HDN_ITEMCHANGEDA:
   case HDN_ITEMCHANGEDW:
      return OnHeaderItemChanged(header);
   case HDN_ENDDRAG:
      return OnHeaderEndDrag(header);
   default:
      break;
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CZOLTStatusLV::OnHeaderItemChanged(const NMHEADERW *header)
{
   UINT mask = header->pitem ? header->pitem->mask : 0;
   if ((mask & HDI_ORDER) || ((mask & HDI_WIDTH) && !trackingDivider_)) {
      InvalidateRect(nullptr, TRUE);
      columnsChanged.emit();
   }
   return DefWindowProc();
}

LRESULT CZOLTStatusLV::OnHeaderEndDrag(const NMHEADERW *header)
{
   int width = static_cast<int>(::SendMessageA(m_hWnd, LVM_GETCOLUMNWIDTH, 0, 0));
   ::PostMessageA(m_hWnd, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(width, 0));
   int order = header->pitem ? header->pitem->iOrder : -1;
   return columnMoved.emit(header->iItem, order) ? FALSE : TRUE;
}

LRESULT CZOLTStatusLV::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   HWND header = Header();
   while (::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) > 0) {
      HDITEMW item = {};
      item.mask = HDI_LPARAM;
      ::SendMessageW(header, HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
      // The column records are ours: freed with their columns.
      delete reinterpret_cast<Column *>(item.lParam);
      if (!::SendMessageA(m_hWnd, LVM_DELETECOLUMN, 0, 0)) {
         break;
      }
   }
   gradient_.Free();
   ascending_.Free();
   descending_.Free();
   bHandled = FALSE;
   return 0;
}

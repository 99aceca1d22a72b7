#include "CheckedListCtl.h"

#include "tremorybase/Log.h"

namespace tremappsdk {

namespace {

constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_CLIPCHILDREN | LVS_REPORT |
                             LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT;
constexpr int kCellPadding = 4;
constexpr int kMaxCellText = 260;

const wchar_t *TextOf(BSTR text)
{
   return text ? text : L"";
}

void FillColor(HDC dc, const RECT &rect, COLORREF color)
{
   ::SetBkColor(dc, color);
   ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

}  // namespace

void DrawCheckBox(HDC dc, const RECT &box, bool checked)
{
   FillColor(dc, box, RGB(90, 90, 100));
   RECT inside = {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
   FillColor(dc, inside, RGB(255, 255, 255));
   if (!checked) {
      return;
   }
   int size = box.right - box.left;
   HPEN pen = ::CreatePen(PS_SOLID, 2, RGB(20, 110, 40));
   HGDIOBJ old = ::SelectObject(dc, pen);
   POINT mark[3] = {{box.left + 3, box.top + size / 2},
                    {box.left + size / 2 - 1, box.bottom - 4},
                    {box.right - 3, box.top + 3}};
   ::Polyline(dc, mark, 3);
   ::SelectObject(dc, old);
   ::DeleteObject(pen);
}

void ImageStrip::Reset()
{
   if (dc_) {
      ::SelectObject(dc_, old_);
      ::DeleteDC(dc_);
   }
   if (bitmap_) {
      ::DeleteObject(bitmap_);
   }
   dc_ = nullptr;
   bitmap_ = nullptr;
   old_ = nullptr;
   images_ = nullptr;
   count_ = 0;
   size_ = 0;
}

bool ImageStrip::Prepare(HDC like, HIMAGELIST images, COLORREF background)
{
   if (!images) {
      return false;
   }
   int count = ImageList_GetImageCount(images);
   if (dc_ && images == images_ && background == background_ && count == count_) {
      return true;
   }
   Reset();
   int cx = 0;
   int cy = 0;
   ImageList_GetIconSize(images, &cx, &cy);
   if (count <= 0 || cx <= 0) {
      return false;
   }
   dc_ = ::CreateCompatibleDC(like);
   bitmap_ = ::CreateCompatibleBitmap(like, cx * count, cy);
   if (!dc_ || !bitmap_) {
      Reset();
      return false;
   }
   old_ = ::SelectObject(dc_, bitmap_);
   RECT all = {0, 0, cx * count, cy};
   FillColor(dc_, all, background);
   for (int i = 0; i < count; ++i) {
      ImageList_Draw(images, i, dc_, i * cx, 0, ILD_TRANSPARENT);
   }
   images_ = images;
   background_ = background;
   count_ = count;
   size_ = cx;
   return true;
}

void ImageStrip::Draw(HDC dc, int index, int x, int y) const
{
   if (dc_ && index >= 0 && index < count_) {
      ::BitBlt(dc, x, y, size_, size_, dc_, index * size_, 0, SRCCOPY);
   }
}

CellMark CCheckedListWnd::MarkAt(int row, int column) const
{
   if (row < 0 || static_cast<size_t>(row) >= marks.size() || column < 0 ||
       static_cast<size_t>(column) >= marks[row].size()) {
      return CellMark::kNone;
   }
   return marks[row][column];
}

LRESULT CCheckedListWnd::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   bHandled = FALSE;
   if (toggleColumn < 1) {
      return 0;
   }
   LVHITTESTINFO hit = {};
   hit.pt = POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
   if (::SendMessageW(m_hWnd, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit)) < 0 ||
       hit.iSubItem < toggleColumn || MarkAt(hit.iItem, hit.iSubItem) == CellMark::kNone) {
      return 0;
   }
   keyColumn = hit.iSubItem;
   Toggle(hit.iItem, hit.iSubItem);
   return 0;
}

LRESULT CCheckedListWnd::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
   bHandled = FALSE;
   int columns = ColumnCount();
   if (toggleColumn < 1 || toggleColumn >= columns) {
      return 0;
   }
   if (keyColumn < toggleColumn || keyColumn >= columns) {
      keyColumn = toggleColumn;
   }
   int row = static_cast<int>(::SendMessageW(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
   switch (wParam) {
   case VK_SPACE:
      bHandled = TRUE;
      Toggle(row, keyColumn);
      break;
   case VK_LEFT:
   case VK_RIGHT:
      bHandled = TRUE;
      keyColumn += wParam == VK_LEFT ? (keyColumn > toggleColumn ? -1 : 0) : (keyColumn + 1 < columns ? 1 : 0);
      InvalidateRect(nullptr, FALSE);
      break;
   default:
      break;
   }
   return 0;
}

int CCheckedListWnd::ColumnCount() const
{
   HWND header = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0));
   return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

bool CCheckedListWnd::Toggle(int row, int column)
{
   if (MarkAt(row, column) == CellMark::kNone) {
      return false;
   }
   bool checked = MarkAt(row, column) != CellMark::kChecked;
   NMLISTVIEW ask = {};
   ask.hdr.hwndFrom = m_hWnd;
   ask.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(m_hWnd));
   ask.hdr.code = CLN_TOGGLECHECK;
   ask.iItem = row;
   ask.iSubItem = column;
   ask.uNewState = checked ? 1 : 0;
   if (::SendMessageW(::GetParent(m_hWnd), WM_NOTIFY, ask.hdr.idFrom, reinterpret_cast<LPARAM>(&ask)) != 0) {
      return false;
   }
   // The parent may have refilled the rows meanwhile.
   if (MarkAt(row, column) == CellMark::kNone) {
      return false;
   }
   marks[row][column] = checked ? CellMark::kChecked : CellMark::kUnchecked;
   InvalidateRect(nullptr, FALSE);
   return true;
}

LRESULT CCheckedListWnd::OnPrintClient(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   RECT client = {};
   ::GetClientRect(m_hWnd, &client);
   PaintRows(reinterpret_cast<HDC>(wParam), client);
   return 0;
}

LRESULT CCheckedListWnd::OnSetRedraw(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   // The switch stays here: the system list's own, turned on again, erases the list and its
   // header at once (16 ms for a team of 30 machines), while the rows paint every pixel
   // themselves at the next paint.
   redraw = wParam != FALSE;
   if (redraw) {
      ::InvalidateRect(m_hWnd, nullptr, FALSE);
   }
   return 0;
}

LRESULT CCheckedListWnd::OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL &)
{
   // The paint fills every pixel.
   return 1;
}

LRESULT CCheckedListWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL &)
{
   PAINTSTRUCT paint = {};
   HDC dc = ::BeginPaint(m_hWnd, &paint);
   RECT client = {};
   ::GetClientRect(m_hWnd, &client);
   if (dc && client.right > 0 && client.bottom > 0) {
      HDC memory = ::CreateCompatibleDC(dc);
      HBITMAP bitmap = ::CreateCompatibleBitmap(dc, client.right, client.bottom);
      if (memory && bitmap) {
         HGDIOBJ old = ::SelectObject(memory, bitmap);
         PaintRows(memory, client);
         ::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
         ::SelectObject(memory, old);
      }
      if (bitmap) {
         ::DeleteObject(bitmap);
      }
      if (memory) {
         ::DeleteDC(memory);
      }
   }
   ::EndPaint(m_hWnd, &paint);
   return 0;
}

void CCheckedListWnd::PaintRows(HDC dc, const RECT &area)
{
   HFONT font = reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0));
   HGDIOBJ oldFont = ::SelectObject(dc, font ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
   const COLORREF window = ::GetSysColor(COLOR_WINDOW);
   const COLORREF grid = ::GetSysColor(COLOR_BTNFACE);
   FillColor(dc, area, window);
   ::SetBkMode(dc, TRANSPARENT);

   HWND header = reinterpret_cast<HWND>(::SendMessageW(m_hWnd, LVM_GETHEADER, 0, 0));
   int columns = header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
   std::vector<int> widths(columns);
   for (int column = 0; column < columns; ++column) {
      widths[column] = static_cast<int>(::SendMessageW(m_hWnd, LVM_GETCOLUMNWIDTH, column, 0));
   }
   bool focused = ::GetFocus() == m_hWnd;
   const bool enabled = ::IsWindowEnabled(m_hWnd) != FALSE;
   int rows = static_cast<int>(::SendMessageW(m_hWnd, LVM_GETITEMCOUNT, 0, 0));
   int top = static_cast<int>(::SendMessageW(m_hWnd, LVM_GETTOPINDEX, 0, 0));
   top = top < 0 ? 0 : top;
   int chosen = static_cast<int>(::SendMessageW(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
   // Rows are all one height: the first shown gives the place of every other.
   RECT first = {LVIR_BOUNDS, 0, 0, 0};
   if (top >= rows || !::SendMessageW(m_hWnd, LVM_GETITEMRECT, top, reinterpret_cast<LPARAM>(&first))) {
      rows = 0;
   }
   const int rowHeight = first.bottom - first.top;
   wchar_t text[kMaxCellText];
   for (int row = top; row < rows; ++row) {
      RECT bounds = first;
      ::OffsetRect(&bounds, 0, (row - top) * rowHeight);
      if (bounds.top >= area.bottom) {
         break;
      }
      bool selected = row == chosen;
      COLORREF back = !selected ? window : ::GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
      ::SetTextColor(dc, ::GetSysColor(!enabled               ? COLOR_GRAYTEXT
                                       : selected && focused ? COLOR_HIGHLIGHTTEXT
                                                             : COLOR_WINDOWTEXT));
      if (selected) {
         FillColor(dc, bounds, back);
      }
      ImageStrip &strip = selected ? selected_ : plain_;
      bool haveImages = strip.Prepare(dc, images, back);
      int x = bounds.left;
      for (int column = 0; column < columns; ++column) {
         RECT cell = {x, bounds.top, x + widths[column], bounds.bottom};
         x = cell.right;
         if (cell.right <= area.left || cell.left >= area.right) {
            continue;
         }
         int height = cell.bottom - cell.top;
         CellMark mark = MarkAt(row, column);
         if (column > 0 && mark != CellMark::kNone) {
            int box = height - 4 < 13 ? height - 4 : 13;
            RECT square = {cell.left + (widths[column] - box) / 2, cell.top + (height - box) / 2, 0, 0};
            square.right = square.left + box;
            square.bottom = square.top + box;
            DrawCheckBox(dc, square, mark == CellMark::kChecked);
            if (selected && focused && column == keyColumn && column >= toggleColumn && toggleColumn >= 1) {
               RECT ring = {square.left - 2, square.top - 2, square.right + 2, square.bottom + 2};
               ::SetTextColor(dc, RGB(0, 0, 0));
               ::DrawFocusRect(dc, &ring);
               ::SetTextColor(dc, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
            }
         } else {
            LVITEMW item = {};
            item.mask = LVIF_TEXT | (column == 0 ? LVIF_IMAGE : 0);
            item.iItem = row;
            item.iSubItem = column;
            item.pszText = text;
            item.cchTextMax = kMaxCellText;
            text[0] = 0;
            ::SendMessageW(m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            RECT words = {cell.left + kCellPadding, cell.top, cell.right - kCellPadding, cell.bottom};
            if (column == 0 && haveImages && item.iImage >= 0) {
               strip.Draw(dc, item.iImage, cell.left + 2, cell.top + (height - strip.Size()) / 2);
               words.left = cell.left + 2 + strip.Size() + kCellPadding;
            }
            ::DrawTextW(dc, item.pszText ? item.pszText : text, -1, &words,
                        DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
         }
         RECT rule = {cell.right - 1, cell.top, cell.right, cell.bottom};
         FillColor(dc, rule, grid);
      }
      RECT line = {bounds.left, bounds.bottom - 1, x, bounds.bottom};
      FillColor(dc, line, grid);
   }
   ::SelectObject(dc, oldFont);
}

CheckedListCtl::~CheckedListCtl()
{
   if (wnd_.IsWindow()) {
      HWND window = wnd_.m_hWnd;
      wnd_.UnsubclassWindow(TRUE);
      ::DestroyWindow(window);
   }
   if (images_) {
      ImageList_Destroy(images_);
   }
}

HRESULT __stdcall CheckedListCtl::CreateWnd(HWND parent, const RECT *rect, UINT id, HIMAGELIST images)
{
   if (!rect || !parent) {
      return E_POINTER;
   }
   if (wnd_.IsWindow()) {
      return E_UNEXPECTED;
   }
   INITCOMMONCONTROLSEX init = {sizeof(init), ICC_LISTVIEW_CLASSES};
   ::InitCommonControlsEx(&init);
   HWND window = ::CreateWindowExW(0, WC_LISTVIEWW, L"", kListStyle, rect->left, rect->top, rect->right - rect->left,
                                   rect->bottom - rect->top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                   ::GetModuleHandleW(nullptr), nullptr);
   if (!window) {
      return HRESULT_FROM_WIN32(::GetLastError());
   }
   ::SendMessageW(window, LVM_SETEXTENDEDLISTVIEWSTYLE, kListExStyle, kListExStyle);
   if (!wnd_.SubclassWindow(window)) {
      Warning("CheckedListCtl: the list cannot be subclassed\n");
   }
   return put_Images(images);
}

HRESULT __stdcall CheckedListCtl::put_Images(HIMAGELIST images)
{
   HIMAGELIST copy = images ? ImageList_Duplicate(images) : nullptr;
   if (images && !copy) {
      return E_OUTOFMEMORY;
   }
   if (wnd_.m_hWnd) {
      ::SendMessageW(wnd_.m_hWnd, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(copy));
      ::InvalidateRect(wnd_.m_hWnd, nullptr, FALSE);
   }
   if (images_) {
      ImageList_Destroy(images_);
   }
   images_ = copy;
   wnd_.SetImages(images_);
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::get_Window(HWND *window)
{
   if (!window) {
      return E_POINTER;
   }
   *window = wnd_.m_hWnd;
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::put_ToggleColumn(long column)
{
   wnd_.toggleColumn = column;
   wnd_.keyColumn = column;
   return S_OK;
}

int CheckedListCtl::ColumnCount() const
{
   return columns_;
}

bool CheckedListCtl::ValidCell(long row, long column) const
{
   // Every row is inserted and removed here too, so the marks have one entry per row.
   return wnd_.m_hWnd && row >= 0 && static_cast<size_t>(row) < wnd_.marks.size() && column >= 0 &&
          column < columns_;
}

HRESULT __stdcall CheckedListCtl::AddColumn(BSTR title, long width, long *index)
{
   if (!wnd_.m_hWnd) {
      return E_UNEXPECTED;
   }
   LVCOLUMNW column = {};
   column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
   column.fmt = LVCFMT_LEFT;
   column.cx = width;
   column.pszText = const_cast<wchar_t *>(TextOf(title));
   int at = ColumnCount();
   int added = static_cast<int>(::SendMessageW(wnd_.m_hWnd, LVM_INSERTCOLUMNW, at, reinterpret_cast<LPARAM>(&column)));
   if (added < 0) {
      return E_FAIL;
   }
   ++columns_;
   if (index) {
      *index = added;
   }
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::SetColumnTitle(long column, BSTR title)
{
   if (column < 0 || column >= ColumnCount()) {
      return E_INVALIDARG;
   }
   LVCOLUMNW info = {};
   info.mask = LVCF_TEXT;
   info.pszText = const_cast<wchar_t *>(TextOf(title));
   return ::SendMessageW(wnd_.m_hWnd, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&info)) ? S_OK : E_FAIL;
}

HRESULT __stdcall CheckedListCtl::get_ColumnCount(long *count)
{
   if (!count) {
      return E_POINTER;
   }
   *count = ColumnCount();
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::GetColumnWidth(long column, long *width)
{
   if (!width) {
      return E_POINTER;
   }
   if (column < 0 || column >= ColumnCount()) {
      return E_INVALIDARG;
   }
   *width = static_cast<long>(::SendMessageW(wnd_.m_hWnd, LVM_GETCOLUMNWIDTH, column, 0));
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::InsertRow(long row, BSTR text, long image, LONG_PTR data, long *index)
{
   if (!wnd_.m_hWnd) {
      return E_UNEXPECTED;
   }
   LVITEMW item = {};
   item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
   item.iItem = row < 0 ? 0 : row;
   item.pszText = const_cast<wchar_t *>(TextOf(text));
   item.iImage = image < 0 ? I_IMAGENONE : image;
   item.lParam = data;
   int added = static_cast<int>(::SendMessageW(wnd_.m_hWnd, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
   if (added < 0) {
      return E_FAIL;
   }
   size_t at = static_cast<size_t>(added) < wnd_.marks.size() ? static_cast<size_t>(added) : wnd_.marks.size();
   wnd_.marks.insert(wnd_.marks.begin() + at, std::vector<CellMark>());
   if (index) {
      *index = added;
   }
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::SetRow(long row, BSTR text, long image, LONG_PTR data)
{
   if (!ValidCell(row, 0)) {
      return E_INVALIDARG;
   }
   wnd_.marks[row].clear();
   LVITEMW item = {};
   item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
   item.iItem = row;
   item.pszText = const_cast<wchar_t *>(TextOf(text));
   item.iImage = image < 0 ? I_IMAGENONE : image;
   item.lParam = data;
   return ::SendMessageW(wnd_.m_hWnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? S_OK : E_FAIL;
}

HRESULT __stdcall CheckedListCtl::DeleteRow(long row)
{
   if (!ValidCell(row, 0)) {
      return E_INVALIDARG;
   }
   wnd_.marks.erase(wnd_.marks.begin() + row);
   return ::SendMessageW(wnd_.m_hWnd, LVM_DELETEITEM, row, 0) ? S_OK : E_FAIL;
}

HRESULT __stdcall CheckedListCtl::get_RowCount(long *count)
{
   if (!count) {
      return E_POINTER;
   }
   *count = wnd_.m_hWnd ? static_cast<long>(::SendMessageW(wnd_.m_hWnd, LVM_GETITEMCOUNT, 0, 0)) : 0;
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::GetItemData(long row, LONG_PTR *data)
{
   if (!data) {
      return E_POINTER;
   }
   *data = 0;
   if (!ValidCell(row, 0)) {
      return E_INVALIDARG;
   }
   LVITEMW item = {};
   item.mask = LVIF_PARAM;
   item.iItem = row;
   if (!::SendMessageW(wnd_.m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
      return E_FAIL;
   }
   *data = item.lParam;
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::SetCellText(long row, long column, BSTR text)
{
   if (!ValidCell(row, column)) {
      return E_INVALIDARG;
   }
   if (wnd_.MarkAt(row, column) != CellMark::kNone) {
      wnd_.marks[row][column] = CellMark::kNone;
   }
   LVITEMW item = {};
   item.mask = LVIF_TEXT;
   item.iItem = row;
   item.iSubItem = column;
   item.pszText = const_cast<wchar_t *>(TextOf(text));
   return ::SendMessageW(wnd_.m_hWnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? S_OK : E_FAIL;
}

void CheckedListCtl::InvalidateCell(long row, long column)
{
   if (!wnd_.redraw) {
      return;
   }
   RECT cell = {};
   cell.top = column;
   cell.left = LVIR_BOUNDS;
   if (::SendMessageW(wnd_.m_hWnd, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell))) {
      ::InvalidateRect(wnd_.m_hWnd, &cell, FALSE);
   }
}

HRESULT __stdcall CheckedListCtl::SetCellCheck(long row, long column, VARIANT_BOOL checked)
{
   if (column < 1 || !ValidCell(row, column) || static_cast<size_t>(row) >= wnd_.marks.size()) {
      return E_INVALIDARG;
   }
   std::vector<CellMark> &marks = wnd_.marks[row];
   if (marks.size() <= static_cast<size_t>(column)) {
      marks.resize(column + 1, CellMark::kNone);
   }
   marks[column] = checked ? CellMark::kChecked : CellMark::kUnchecked;
   InvalidateCell(row, column);
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::GetCellCheck(long row, long column, VARIANT_BOOL *checked)
{
   if (!checked) {
      return E_POINTER;
   }
   *checked = VARIANT_FALSE;
   if (!ValidCell(row, column)) {
      return E_INVALIDARG;
   }
   CellMark mark = wnd_.MarkAt(row, column);
   if (mark == CellMark::kNone) {
      return S_FALSE;
   }
   *checked = mark == CellMark::kChecked ? VARIANT_TRUE : VARIANT_FALSE;
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::get_Selection(long *row)
{
   if (!row) {
      return E_POINTER;
   }
   *row = wnd_.m_hWnd ? static_cast<long>(::SendMessageW(wnd_.m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                          MAKELPARAM(LVNI_SELECTED, 0)))
                      : -1;
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::put_Selection(long row)
{
   if (!wnd_.m_hWnd) {
      return E_UNEXPECTED;
   }
   LVITEMW state = {};
   state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
   if (row < 0) {
      ::SendMessageW(wnd_.m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
      return S_OK;
   }
   if (!ValidCell(row, 0)) {
      return E_INVALIDARG;
   }
   state.state = LVIS_SELECTED | LVIS_FOCUSED;
   ::SendMessageW(wnd_.m_hWnd, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&state));
   ::SendMessageW(wnd_.m_hWnd, LVM_ENSUREVISIBLE, row, FALSE);
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::Clear()
{
   if (!wnd_.m_hWnd) {
      return S_OK;
   }
   ClearRows();
   return ClearColumns();
}

HRESULT __stdcall CheckedListCtl::ClearColumns()
{
   for (int column = columns_ - 1; column >= 0 && wnd_.m_hWnd; --column) {
      ::SendMessageW(wnd_.m_hWnd, LVM_DELETECOLUMN, column, 0);
   }
   columns_ = 0;
   for (std::vector<CellMark> &marks : wnd_.marks) {
      marks.clear();
   }
   return S_OK;
}

HRESULT __stdcall CheckedListCtl::ClearRows()
{
   wnd_.marks.clear();
   if (wnd_.m_hWnd) {
      ::SendMessageW(wnd_.m_hWnd, LVM_DELETEALLITEMS, 0, 0);
   }
   return S_OK;
}

}  // namespace tremappsdk

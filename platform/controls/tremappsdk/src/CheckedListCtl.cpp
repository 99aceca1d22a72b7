#include "CheckedListCtl.h"

#include "tremorybase/Log.h"

namespace tremappsdk {

namespace {

constexpr COLORREF kMaskColor = RGB(255, 0, 255);
constexpr DWORD kListStyle =
   WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS;
constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_GRIDLINES;

const wchar_t *TextOf(BSTR text)
{
   return text ? text : L"";
}

}  // namespace

HBITMAP DrawCheckBox(int size, bool checked)
{
   HDC screen = ::GetDC(nullptr);
   HDC dc = ::CreateCompatibleDC(screen);
   HBITMAP bitmap = ::CreateCompatibleBitmap(screen, size, size);
   ::ReleaseDC(nullptr, screen);
   if (!dc || !bitmap) {
      if (dc) {
         ::DeleteDC(dc);
      }
      if (bitmap) {
         ::DeleteObject(bitmap);
      }
      return nullptr;
   }
   HGDIOBJ old = ::SelectObject(dc, bitmap);
   RECT all = {0, 0, size, size};
   HBRUSH mask = ::CreateSolidBrush(kMaskColor);
   ::FillRect(dc, &all, mask);
   ::DeleteObject(mask);
   // A box of 13 pixels centred in the image, like the system's check boxes.
   int box = size < 13 ? size : 13;
   int left = (size - box) / 2;
   RECT frame = {left, left, left + box, left + box};
   ::FillRect(dc, &frame, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
   HBRUSH edge = ::CreateSolidBrush(RGB(90, 90, 100));
   ::FrameRect(dc, &frame, edge);
   ::DeleteObject(edge);
   if (checked) {
      HPEN pen = ::CreatePen(PS_SOLID, 2, RGB(20, 110, 40));
      HGDIOBJ oldPen = ::SelectObject(dc, pen);
      ::MoveToEx(dc, left + 3, left + box / 2, nullptr);
      ::LineTo(dc, left + box / 2 - 1, left + box - 4);
      ::LineTo(dc, left + box - 3, left + 3);
      ::SelectObject(dc, oldPen);
      ::DeleteObject(pen);
   }
   ::SelectObject(dc, old);
   ::DeleteDC(dc);
   return bitmap;
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
       hit.iSubItem != toggleColumn) {
      return 0;
   }
   LVITEMW item = {};
   item.mask = LVIF_IMAGE;
   item.iItem = hit.iItem;
   item.iSubItem = hit.iSubItem;
   if (!::SendMessageW(m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
      return 0;
   }
   if (item.iImage == checkedImage || item.iImage == uncheckedImage) {
      item.iImage = item.iImage == checkedImage ? uncheckedImage : checkedImage;
      ::SendMessageW(m_hWnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
   }
   return 0;
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
   images_ = images ? ImageList_Duplicate(images) : ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 2, 0);
   if (images_) {
      int cx = 16;
      int cy = 16;
      ImageList_GetIconSize(images_, &cx, &cy);
      for (bool checked : {false, true}) {
         HBITMAP box = DrawCheckBox(cx < cy ? cx : cy, checked);
         int index = box ? ImageList_AddMasked(images_, box, kMaskColor) : -1;
         (checked ? wnd_.checkedImage : wnd_.uncheckedImage) = index;
         if (box) {
            ::DeleteObject(box);
         }
      }
      ::SendMessageW(window, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
   }
   if (!wnd_.SubclassWindow(window)) {
      Warning("CheckedListCtl: the list cannot be subclassed\n");
   }
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
   return S_OK;
}

int CheckedListCtl::ColumnCount() const
{
   HWND header = wnd_.m_hWnd ? reinterpret_cast<HWND>(::SendMessageW(wnd_.m_hWnd, LVM_GETHEADER, 0, 0)) : nullptr;
   return header ? static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

bool CheckedListCtl::ValidCell(long row, long column) const
{
   long rows = wnd_.m_hWnd ? static_cast<long>(::SendMessageW(wnd_.m_hWnd, LVM_GETITEMCOUNT, 0, 0)) : 0;
   return row >= 0 && row < rows && column >= 0 && column < ColumnCount();
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
   if (index) {
      *index = added;
   }
   return S_OK;
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
   LVITEMW item = {};
   item.mask = column == 0 ? LVIF_TEXT : LVIF_TEXT | LVIF_IMAGE;
   item.iItem = row;
   item.iSubItem = column;
   item.pszText = const_cast<wchar_t *>(TextOf(text));
   item.iImage = I_IMAGENONE;
   return ::SendMessageW(wnd_.m_hWnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? S_OK : E_FAIL;
}

HRESULT __stdcall CheckedListCtl::SetCellCheck(long row, long column, VARIANT_BOOL checked)
{
   if (column < 1 || !ValidCell(row, column)) {
      return E_INVALIDARG;
   }
   LVITEMW item = {};
   item.mask = LVIF_TEXT | LVIF_IMAGE;
   item.iItem = row;
   item.iSubItem = column;
   item.pszText = const_cast<wchar_t *>(L"");
   item.iImage = checked ? wnd_.checkedImage : wnd_.uncheckedImage;
   return ::SendMessageW(wnd_.m_hWnd, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item)) ? S_OK : E_FAIL;
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
   LVITEMW item = {};
   item.mask = LVIF_IMAGE;
   item.iItem = row;
   item.iSubItem = column;
   if (column == 0 || !::SendMessageW(wnd_.m_hWnd, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
      return S_FALSE;
   }
   if (item.iImage >= 0 && item.iImage == wnd_.checkedImage) {
      *checked = VARIANT_TRUE;
      return S_OK;
   }
   return item.iImage >= 0 && item.iImage == wnd_.uncheckedImage ? S_OK : S_FALSE;
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
   ::SendMessageW(wnd_.m_hWnd, LVM_DELETEALLITEMS, 0, 0);
   for (int column = ColumnCount() - 1; column >= 0; --column) {
      ::SendMessageW(wnd_.m_hWnd, LVM_DELETECOLUMN, column, 0);
   }
   return S_OK;
}

}  // namespace tremappsdk

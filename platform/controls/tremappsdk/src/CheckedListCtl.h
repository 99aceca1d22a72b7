// "Tremappsdk.CheckedListCtl.9": a report list view with row images and check-box cells. The list
// view keeps the rows, their texts, the selection, the header and the scrolling; the control keeps
// the cells' check marks and paints the rows itself into one off-screen bitmap.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "atl/Atl.h"
#include "atl/ComObject.h"
#include "tremappsdk/CheckedListCtl.h"

namespace tremappsdk {

// A cell's mark: none (a text cell), or a check box checked or not.
enum class CellMark : signed char { kNone = -1, kUnchecked = 0, kChecked = 1 };

// Images drawn once on a background colour, for copying into rows with one blit each.
class ImageStrip {
public:
   ~ImageStrip() { Reset(); }
   // The strip of `images` on `background`, made again when either changed.
   bool Prepare(HDC like, HIMAGELIST images, COLORREF background);
   void Draw(HDC dc, int index, int x, int y) const;
   int Size() const { return size_; }
   void Reset();

private:
   HDC dc_ = nullptr;
   HBITMAP bitmap_ = nullptr;
   HGDIOBJ old_ = nullptr;
   HIMAGELIST images_ = nullptr;
   COLORREF background_ = CLR_INVALID;
   int count_ = 0;
   int size_ = 0;
};

// The list-view window: it paints itself and toggles the marks of the toggle column.
class CCheckedListWnd : public CWindowImpl<CCheckedListWnd> {
public:
   BEGIN_MSG_MAP(CCheckedListWnd)
      MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
      MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
      MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
      MESSAGE_HANDLER(WM_PAINT, OnPaint)
      MESSAGE_HANDLER(WM_SETREDRAW, OnSetRedraw)
      MESSAGE_HANDLER(WM_PRINTCLIENT, OnPrintClient)
   END_MSG_MAP()

   long toggleColumn = -1;
   // The cell of the selected row the space bar toggles.
   long keyColumn = -1;
   HIMAGELIST images = nullptr;
   // Per row, per column.
   std::vector<std::vector<CellMark>> marks;

   CellMark MarkAt(int row, int column) const;
   // New row images: the strips drawn from the old ones go.
   void SetImages(HIMAGELIST list)
   {
      images = list;
      plain_.Reset();
      selected_.Reset();
   }
   // False between WM_SETREDRAW FALSE and TRUE: changes then need no invalidation of their own.
   bool redraw = true;

private:
   LRESULT OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);
   LRESULT OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL &bHandled);
   // Asks the parent, then toggles the mark; false when there is none or the parent refused.
   bool Toggle(int row, int column);
   int ColumnCount() const;
   LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnPrintClient(UINT, WPARAM wParam, LPARAM, BOOL &);
   LRESULT OnSetRedraw(UINT, WPARAM wParam, LPARAM, BOOL &bHandled);
   void PaintRows(HDC dc, const RECT &area);

   ImageStrip plain_;
   ImageStrip selected_;
};

class CheckedListCtl : public atl::ComObject<ICheckedListCtl> {
public:
   CheckedListCtl() = default;
   ~CheckedListCtl() override;

   HRESULT __stdcall CreateWnd(HWND parent, const RECT *rect, UINT id, HIMAGELIST images) override;
   HRESULT __stdcall get_Window(HWND *window) override;
   HRESULT __stdcall put_ToggleColumn(long column) override;
   HRESULT __stdcall AddColumn(BSTR title, long width, long *index) override;
   HRESULT __stdcall SetColumnTitle(long column, BSTR title) override;
   HRESULT __stdcall get_ColumnCount(long *count) override;
   HRESULT __stdcall GetColumnWidth(long column, long *width) override;
   HRESULT __stdcall InsertRow(long row, BSTR text, long image, LONG_PTR data, long *index) override;
   HRESULT __stdcall SetRow(long row, BSTR text, long image, LONG_PTR data) override;
   HRESULT __stdcall DeleteRow(long row) override;
   HRESULT __stdcall get_RowCount(long *count) override;
   HRESULT __stdcall GetItemData(long row, LONG_PTR *data) override;
   HRESULT __stdcall SetCellText(long row, long column, BSTR text) override;
   HRESULT __stdcall SetCellCheck(long row, long column, VARIANT_BOOL checked) override;
   HRESULT __stdcall GetCellCheck(long row, long column, VARIANT_BOOL *checked) override;
   HRESULT __stdcall get_Selection(long *row) override;
   HRESULT __stdcall put_Selection(long row) override;
   HRESULT __stdcall Clear() override;
   HRESULT __stdcall ClearRows() override;
   HRESULT __stdcall ClearColumns() override;
   HRESULT __stdcall put_Images(HIMAGELIST images) override;

private:
   bool ValidCell(long row, long column) const;
   int ColumnCount() const;
   void InvalidateCell(long row, long column);

   CCheckedListWnd wnd_;
   HIMAGELIST images_ = nullptr;
   int columns_ = 0;   // every column is added and removed here
};

// Draws a check box, checked or not, in `box` (about 13 pixels square).
void DrawCheckBox(HDC dc, const RECT &box, bool checked);

}  // namespace tremappsdk

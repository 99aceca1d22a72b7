// The checked list ("Tremappsdk.CheckedListCtl.9"): a report list view whose first column shows a
// row image and text, and whose other cells show text or a check box. The control creates its
// list-view window itself, as a child of the given parent under the given control id, so the
// parent receives the list view's own notifications (LVN_ITEMCHANGED, NM_DBLCLK, LVN_GETINFOTIP).
//
// Check marks are shown, never edited by the user, except in the columns from the one
// put_ToggleColumn names on (-1: none): a click, or the space bar on the cell Left and Right move
// to, toggles them. Before a mark changes the parent gets WM_NOTIFY with CLN_TOGGLECHECK (an
// NMLISTVIEW: iItem the row, iSubItem the column, uNewState 1 for checked, 0 for unchecked); a
// non-zero answer keeps the mark as it is. The control paints its rows itself, off screen and in
// one copy: the system's list view draws each cell and image on its own, which is slow for a few
// hundred cells.
//
// Register the class with tremappsdk::RegisterClasses() after CoInitialize.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <comdef.h>

struct ICheckedListCtl;
struct CheckedListCtl;

#define CLN_TOGGLECHECK (0U - 4701U)

__CRT_UUID_DECL(ICheckedListCtl, 0xc5d9cfaf, 0x8673, 0x4dbf, 0xae, 0x12, 0x90, 0x4e, 0x2f, 0xd8, 0x43, 0x59)
__CRT_UUID_DECL(CheckedListCtl, 0xe3aa8d10, 0x02e2, 0x4615, 0xb5, 0x24, 0x90, 0x8a, 0x3b, 0x87, 0x16, 0xe9)

_COM_SMARTPTR_TYPEDEF(ICheckedListCtl, __uuidof(ICheckedListCtl));

struct ICheckedListCtl : IUnknown {
   // Creates the list-view window in `parent` at `rect` (parent client coordinates) with control
   // id `id`. The row images are a copy of `images` (null: none); the copy also holds the check
   // boxes. E_UNEXPECTED when the window exists already.
   virtual HRESULT __stdcall CreateWnd(HWND parent, const RECT *rect, UINT id, HIMAGELIST images) = 0;
   // The list-view window; null before CreateWnd.
   virtual HRESULT __stdcall get_Window(HWND *window) = 0;
   // The first column whose check marks the user toggles (every column from it on); -1 for none.
   virtual HRESULT __stdcall put_ToggleColumn(long column) = 0;

   // Adds a column at the end; `index` (may be null) gets its position.
   virtual HRESULT __stdcall AddColumn(BSTR title, long width, long *index) = 0;
   virtual HRESULT __stdcall SetColumnTitle(long column, BSTR title) = 0;
   virtual HRESULT __stdcall get_ColumnCount(long *count) = 0;
   virtual HRESULT __stdcall GetColumnWidth(long column, long *width) = 0;

   // Inserts a row before `row` (at the end when past it) with the first cell's text and image
   // (-1: none) and the row's item data; `index` (may be null) gets the row's position.
   virtual HRESULT __stdcall InsertRow(long row, BSTR text, long image, LONG_PTR data, long *index) = 0;
   // Gives an existing row new first-cell text, image and item data; its other cells lose their
   // marks. Refilling rows in place is much quicker than removing and inserting them.
   virtual HRESULT __stdcall SetRow(long row, BSTR text, long image, LONG_PTR data) = 0;
   virtual HRESULT __stdcall DeleteRow(long row) = 0;
   virtual HRESULT __stdcall get_RowCount(long *count) = 0;
   virtual HRESULT __stdcall GetItemData(long row, LONG_PTR *data) = 0;
   // A cell's text (no check box); column 0 keeps its row image.
   virtual HRESULT __stdcall SetCellText(long row, long column, BSTR text) = 0;
   // Gives a cell of a column above 0 a check box, checked or not.
   virtual HRESULT __stdcall SetCellCheck(long row, long column, VARIANT_BOOL checked) = 0;
   // S_OK with the mark for a cell with a check box; S_FALSE (and VARIANT_FALSE) for one without.
   virtual HRESULT __stdcall GetCellCheck(long row, long column, VARIANT_BOOL *checked) = 0;

   // The selected row; -1 for none.
   virtual HRESULT __stdcall get_Selection(long *row) = 0;
   // Selects and shows one row (-1: clears the selection).
   virtual HRESULT __stdcall put_Selection(long row) = 0;
   // Removes every row and column.
   virtual HRESULT __stdcall Clear() = 0;
   // Removes every row; the columns stay as they are.
   virtual HRESULT __stdcall ClearRows() = 0;
   // Removes every column; the rows stay, with their first cells.
   virtual HRESULT __stdcall ClearColumns() = 0;
   // The row images again: a copy of `images` (null: none).
   virtual HRESULT __stdcall put_Images(HIMAGELIST images) = 0;
};

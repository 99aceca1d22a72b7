// "Tremappsdk.CheckedListCtl.9": a report list view with row images and check-box cells. The cells'
// check boxes are two images the control appends to its copy of the row images; a cell without
// one shows no image.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "atl/Atl.h"
#include "atl/ComObject.h"
#include "tremappsdk/CheckedListCtl.h"

namespace tremappsdk {

// The list-view window, subclassed for the clicks of the toggle column.
class CCheckedListWnd : public CWindowImpl<CCheckedListWnd> {
public:
   BEGIN_MSG_MAP(CCheckedListWnd)
      MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
   END_MSG_MAP()

   long toggleColumn = -1;
   int uncheckedImage = -1;
   int checkedImage = -1;

private:
   LRESULT OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);
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
   HRESULT __stdcall get_RowCount(long *count) override;
   HRESULT __stdcall GetItemData(long row, LONG_PTR *data) override;
   HRESULT __stdcall SetCellText(long row, long column, BSTR text) override;
   HRESULT __stdcall SetCellCheck(long row, long column, VARIANT_BOOL checked) override;
   HRESULT __stdcall GetCellCheck(long row, long column, VARIANT_BOOL *checked) override;
   HRESULT __stdcall get_Selection(long *row) override;
   HRESULT __stdcall put_Selection(long row) override;
   HRESULT __stdcall Clear() override;

private:
   bool ValidCell(long row, long column) const;
   int ColumnCount() const;

   CCheckedListWnd wnd_;
   HIMAGELIST images_ = nullptr;
};

// Draws a check box of `size` pixels, checked or not, as an image for an image list.
HBITMAP DrawCheckBox(int size, bool checked);

}  // namespace tremappsdk

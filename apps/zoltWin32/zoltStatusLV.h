// The list view of the status pages: a subclassed list view whose header is drawn on a gradient
// bitmap with sort arrows, whose last column can stretch to the list's width, and which tells its
// owner when columns move or change and when the list scrolls.
#pragma once

#include "atl/Atl.h"
#include "zoltWindowMessages.h"

#include <commctrl.h>

#include <string>

#include <sigc++/sigc++.h>

class CZOLTStatusLV : public CWindowImpl<CZOLTStatusLV> {
public:
   // What each header item carries (its lParam).
   struct Column {
      std::string title;
      int value;
   };

   CZOLTStatusLV();
   ~CZOLTStatusLV() override;

   BEGIN_MSG_MAP(CZOLTStatusLV)
      MESSAGE_HANDLER(WM_DRAWITEM, OnDrawHeaderItem)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_KEYDOWN, OnScrollingInput)
      MESSAGE_HANDLER(WM_VSCROLL, OnScrollingInput)
      MESSAGE_HANDLER(WM_MOUSEWHEEL, OnScrollingInput)
      MESSAGE_HANDLER(WM_ZOLT_LIST_SCROLLED, OnScrolled)
      MESSAGE_HANDLER(WM_NOTIFY, OnHeaderNotify)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      DEFAULT_REFLECTION_HANDLER()
   END_MSG_MAP()

   // Inserts a column of `width` with an owner-drawn header item carrying `title` and `value`;
   // the new index, -1 on failure.
   int InsertColumn(const std::string &title, int index, int width, int value);

   // The header's look: the gradient bitmap and the sort arrows become the list's (it deletes
   // them); the brush stays the owner's.
   void SetHeaderBitmap(HBITMAP bitmap);
   void SetSortArrows(HBITMAP ascending, HBITMAP descending);
   void SetHeaderBrush(HBRUSH brush) { headerBrush_ = brush; }
   void SetStretchLastColumn(bool stretch) { stretchLast_ = stretch; }
   void SetSortColumn(int column, bool descending)
   {
      sortColumn_ = column;
      sortDescending_ = descending;
   }
   int GetSortColumn() const { return sortColumn_; }
   bool IsSortedDescending() const { return sortDescending_; }
   // The theme entry of "uxtheme.dll", null when there is none.
   typedef HRESULT(WINAPI *SetWindowThemeFn)(HWND, LPCWSTR, LPCWSTR);
   SetWindowThemeFn GetSetWindowTheme() const { return setWindowTheme_; }

   sigc::signal<bool, int, int> columnMoved;   // (column index, its new order): true lets the drop happen
   sigc::signal<void> columnsChanged;
   sigc::signal<void> scrolled;

private:
   struct Picture {
      // In this order, so the bitmap is selected out before it goes.
      atl::ScopedBitmap bitmap;
      atl::ScopedDC dc;
      atl::ScopedSelection selected;
      int width = 0;
      int height = 0;
      void Set(HWND window, HBITMAP newBitmap);
      void Free();
   };

   LRESULT OnDrawHeaderItem(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnScrollingInput(UINT, WPARAM, LPARAM, BOOL &bHandled);
   LRESULT OnScrolled(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnHeaderNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);
   LRESULT OnHeaderItemChanged(const NMHEADERW *header);
   LRESULT OnHeaderEndDrag(const NMHEADERW *header);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled);
   HWND Header() const;

   Picture gradient_;
   HBRUSH headerBrush_ = nullptr;
   bool stretchLast_ = false;
   Picture ascending_;
   Picture descending_;
   int sortColumn_ = -1;
   bool sortDescending_ = false;
   HMODULE uxtheme_ = nullptr;
   SetWindowThemeFn setWindowTheme_ = nullptr;
   bool trackingDivider_ = false;
};

// The width the last column takes so its right edge meets the list's client right edge: its
// width less its item's right edge plus the client's right edge, as a 16-bit value.
int StretchedLastColumnWidth(int columnWidth, int itemRight, int clientRight);

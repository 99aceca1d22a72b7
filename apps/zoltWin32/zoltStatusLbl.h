// The label of the status pages: an owner-drawn static that draws a bitmap band (or a plain
// fill of its brush) with its text on it, or a one-pixel vertical rule.
#pragma once

#include "atl/Atl.h"

class CZOLTStatusLbl : public CWindowImpl<CZOLTStatusLbl> {
public:
   CZOLTStatusLbl() = default;
   ~CZOLTStatusLbl() override;

   BEGIN_MSG_MAP(CZOLTStatusLbl)
      MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      DEFAULT_REFLECTION_HANDLER()
   END_MSG_MAP()

   // Subclasses `window`; bitmap `bitmapId` (0: none) comes from the resource module and the
   // brush stays the caller's. With `separator` the label becomes a vertical rule one pixel
   // wide, else it takes the bitmap's height plus 3. False when it cannot be subclassed.
   bool Attach(HWND window, UINT bitmapId, HBRUSH brush, bool separator);

private:
   LRESULT OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled);
   void FreeResources();

   atl::ScopedBitmap bitmap_;
   atl::ScopedDC memDC_;
   atl::ScopedSelection bitmapSelected_;
   int width_ = 0;
   int height_ = 0;
   HBRUSH brush_ = nullptr;
};

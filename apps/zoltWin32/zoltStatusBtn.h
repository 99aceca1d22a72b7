// The link button of the status pages: an owner-drawn button that shows an icon with its text in
// the link colour (grey when disabled) and the hand cursor; a BS_BITMAP button shows its image
// centred instead.
#pragma once

#include "atl/Atl.h"

class CZOLTStatusBtn : public CWindowImpl<CZOLTStatusBtn> {
public:
   CZOLTStatusBtn() = default;
   ~CZOLTStatusBtn() override;

   BEGIN_MSG_MAP(CZOLTStatusBtn)
      MESSAGE_HANDLER(OCM_DRAWITEM, OnDrawItem)
      MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
      MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      DEFAULT_REFLECTION_HANDLER()
   END_MSG_MAP()

   // Subclasses `window` and makes it owner-drawn; icons come from the resource module (0: none),
   // the cursor from `cursorModule` (null: the system's). False when it cannot be subclassed.
   bool Attach(HWND window, UINT iconId, UINT disabledIconId, HINSTANCE cursorModule, LPCSTR cursorId);

private:
   LRESULT OnDrawItem(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL &bHandled);
   LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled);
   void FreeResources();
   // The icons are loaded when the button is first drawn: a page makes many buttons it may
   // never show.
   void LoadIcons();

   HCURSOR cursor_ = nullptr;
   HICON icon_ = nullptr;
   HICON disabledIcon_ = nullptr;
   UINT iconId_ = 0;
   UINT disabledIconId_ = 0;
   bool iconsLoaded_ = false;
   atl::ScopedDC memDC_;
};

// Where the icon and the text of a link button go in an item of `itemSize`.
struct LinkButtonLayout {
   POINT icon;
   RECT text;
   UINT format;
};
// BS_RIGHT: the icon at the left, vertically centred, the text beside it on one line; otherwise
// the icon centred at the top and the text wrapped below it.
LinkButtonLayout LayoutLinkButton(SIZE itemSize, SIZE iconSize, bool iconLeft);

// A push button that draws one glyph of a symbol font over its face (the machine list's Add
// shows a downward triangle: it opens a menu).
#pragma once

#include "atl/Atl.h"
#include "atl/Gdi.h"

#include <windows.h>

class CSymbolButton : public atl::CWindowImpl<CSymbolButton> {
public:
   enum Alignment { ALIGN_LEFT = 0, ALIGN_CENTER = 1, ALIGN_RIGHT = 2 };

   CSymbolButton() = default;

   BEGIN_MSG_MAP(CSymbolButton)
      MESSAGE_HANDLER(WM_PAINT, OnPaint)
      MESSAGE_HANDLER(WM_ERASEBKGND, OnPaint)
      MESSAGE_HANDLER(BM_SETSTATE, OnSetState)
   END_MSG_MAP()

   // Subclasses `button`; a font height of 0 takes the button's own font's. False when the
   // window could not be subclassed.
   bool Attach(HWND button, char glyph, Alignment alignment, int margin, const char *face, int fontHeight);
   // The glyph's square inside a client rectangle: x by the alignment and margin (a negative
   // margin is half the side), centred vertically; one pixel right and down when pressed.
   static RECT GlyphRect(const RECT &client, int side, Alignment alignment, int margin, bool pressed);

   int GetSide() const { return side_; }

private:
   LRESULT OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL &handled);
   LRESULT OnSetState(UINT msg, WPARAM wParam, LPARAM lParam, BOOL &handled);
   void Draw(bool pressed);

   char glyph_ = 0;
   Alignment alignment_ = ALIGN_RIGHT;
   int side_ = 0;
   int margin_ = 0;
   atl::ScopedFont font_;
   bool hasFace_ = false;
};

#include "zoltSymbolButton.h"

#include <cstdlib>

bool CSymbolButton::Attach(HWND button, char glyph, Alignment alignment, int margin, const char *face,
                           int fontHeight)
{
   if (!SubclassWindow(button)) {
      return false;
   }
   glyph_ = glyph;
   alignment_ = alignment;
   margin_ = margin;
   int height = fontHeight;
   if (height == 0) {
      LOGFONTA own = {};
      HFONT buttonFont = reinterpret_cast<HFONT>(::SendMessageA(button, WM_GETFONT, 0, 0));
      if (!buttonFont) {
         buttonFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
      }
      ::GetObjectA(buttonFont, sizeof(own), &own);
      height = own.lfHeight;
   }
   side_ = std::abs(height);
   // A glyph two units smaller than the square keeps clear of the button's edges. A symbol font is
   // asked for by its own character set: Wine maps the default one to a text font instead.
   const int glyphHeight = height < 0 ? height + 2 : height - 2;
   font_.reset(::CreateFontA(glyphHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face));
   // Where the system has no such font it hands out a text font, which would show the glyph's
   // letter: the triangle is then drawn by hand.
   hasFace_ = false;
   if (HDC dc = ::GetDC(button)) {
      HGDIOBJ old = ::SelectObject(dc, font_.get());
      char chosen[LF_FACESIZE] = "";
      ::GetTextFaceA(dc, LF_FACESIZE, chosen);
      hasFace_ = face && lstrcmpiA(chosen, face) == 0;
      ::SelectObject(dc, old);
      ::ReleaseDC(button, dc);
   }
   return true;
}

RECT CSymbolButton::GlyphRect(const RECT &client, int side, Alignment alignment, int margin, bool pressed)
{
   const int width = client.right - client.left;
   const int height = client.bottom - client.top;
   const int gap = margin < 0 ? side / 2 : margin;
   int x = client.left + gap;
   if (alignment == ALIGN_CENTER) {
      x = client.left + (width - side) / 2;
   } else if (alignment == ALIGN_RIGHT) {
      x = client.right - side - gap;
   }
   int y = client.top + (height - side) / 2;
   if (pressed) {
      ++x;
      ++y;
   }
   RECT square = {x, y, x + side, y + side};
   return square;
}

LRESULT CSymbolButton::OnPaint(UINT msg, WPARAM wParam, LPARAM lParam, BOOL &)
{
   LRESULT result = DefWindowProc(msg, wParam, lParam);
   Draw((::SendMessageA(m_hWnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0);
   return result;
}

LRESULT CSymbolButton::OnSetState(UINT msg, WPARAM wParam, LPARAM lParam, BOOL &)
{
   LRESULT result = DefWindowProc(msg, wParam, lParam);
   Draw(wParam != 0);
   return result;
}

void CSymbolButton::Draw(bool pressed)
{
   if (!m_hWnd || !font_.get()) {
      return;
   }
   RECT client;
   ::GetClientRect(m_hWnd, &client);
   RECT square = GlyphRect(client, side_, alignment_, margin_, pressed);
   HDC dc = ::GetDC(m_hWnd);
   if (!dc) {
      return;
   }
   const int saved = ::SaveDC(dc);
   ::SelectObject(dc, font_.get());
   ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
   ::SetBkMode(dc, TRANSPARENT);
   if (hasFace_) {
      char text[2] = {glyph_, 0};
      ::DrawTextA(dc, text, 1, &square, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
   } else {
      // A downward triangle, half as high as it is wide, in the middle of the square.
      const int width = (side_ / 2) | 1;
      const int left = square.left + (side_ - width) / 2;
      const int top = square.top + (side_ - width / 2) / 2;
      // Without a pen the polygon fills one pixel short of its right and bottom edges.
      POINT corners[3] = {{left, top}, {left + width, top}, {left + width / 2, top + width / 2 + 1}};
      ::SelectObject(dc, ::GetSysColorBrush(COLOR_BTNTEXT));
      ::SelectObject(dc, ::GetStockObject(NULL_PEN));
      ::Polygon(dc, corners, 3);
   }
   ::RestoreDC(dc, saved);
   ::ReleaseDC(m_hWnd, dc);
}

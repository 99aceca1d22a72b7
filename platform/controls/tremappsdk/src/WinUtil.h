// Small window helpers of the controls.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "atl/Gdi.h"

namespace tremappsdk {

inline int XParam(LPARAM lParam)
{
   return static_cast<short>(LOWORD(lParam));
}

inline int YParam(LPARAM lParam)
{
   return static_cast<short>(HIWORD(lParam));
}

// Answers WM_PAINT by drawing the whole client area off screen through `paint` (an HDC) and
// copying it in one go, so a control that repaints on every database change does not flicker.
template <class Paint>
void PaintBuffered(HWND window, Paint paint)
{
   PAINTSTRUCT ps;
   HDC dc = BeginPaint(window, &ps);
   RECT rc;
   GetClientRect(window, &rc);
   {
      atl::ScopedDC mem(dc);
      atl::ScopedBitmap bitmap(CreateCompatibleBitmap(dc, rc.right > 0 ? rc.right : 1, rc.bottom > 0 ? rc.bottom : 1));
      atl::ScopedSelection selected(mem, bitmap);
      paint(mem.get());
      BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
   }
   EndPaint(window, &ps);
}

// Adds `count` 16-pixel images to `images` in one go: `draw` (an HDC) draws them side by side on
// magenta, which the list takes as transparent.
template <class Draw>
void AddMaskedStrip(HIMAGELIST images, int count, Draw draw)
{
   atl::ScopedWindowDC screen(nullptr);
   atl::ScopedDC dc(screen);
   atl::ScopedBitmap bitmap(CreateCompatibleBitmap(screen, 16 * count, 16));
   {
      atl::ScopedSelection selected(dc, bitmap);
      RECT strip = {0, 0, 16 * count, 16};
      FillRect(dc, &strip, atl::ScopedBrush(CreateSolidBrush(RGB(255, 0, 255))));
      draw(dc.get());
   }
   ImageList_AddMasked(images, bitmap, RGB(255, 0, 255));
}

}  // namespace tremappsdk

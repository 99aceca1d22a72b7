// Small window helpers of the controls.
#pragma once

#include <windows.h>

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
   HDC mem = CreateCompatibleDC(dc);
   HBITMAP bitmap = CreateCompatibleBitmap(dc, rc.right > 0 ? rc.right : 1, rc.bottom > 0 ? rc.bottom : 1);
   HGDIOBJ old = SelectObject(mem, bitmap);
   paint(mem);
   BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
   SelectObject(mem, old);
   DeleteObject(bitmap);
   DeleteDC(mem);
   EndPaint(window, &ps);
}

}  // namespace tremappsdk

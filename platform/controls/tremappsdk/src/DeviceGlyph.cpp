#include "DeviceGlyph.h"

#include "atl/Gdi.h"
#include "tremappsdkRes.h"

namespace tremappsdk {

namespace {

class GdiPenBrush {
public:
   GdiPenBrush(HDC dc, COLORREF pen, COLORREF brush)
      : pen_(CreatePen(PS_SOLID, 1, pen)), brush_(CreateSolidBrush(brush)), penSelected_(dc, pen_),
        brushSelected_(dc, brush_)
   {
   }

private:
   // In this order, so both are selected out before they go.
   atl::ScopedPen pen_;
   atl::ScopedBrush brush_;
   atl::ScopedSelection penSelected_;
   atl::ScopedSelection brushSelected_;
};

COLORREF Grey(COLORREF c, bool enabled)
{
   if (enabled) {
      return c;
   }
   int y = (GetRValue(c) * 3 + GetGValue(c) * 6 + GetBValue(c)) / 10;
   y = 128 + y / 3;
   return RGB(y, y, y);
}

}  // namespace

void DrawDeviceGlyph(HDC dc, const RECT &box, const std::wstring &type, bool enabled)
{
   int x = box.left + (box.right - box.left - 16) / 2;
   int y = box.top + (box.bottom - box.top - 16) / 2;
   COLORREF outline = Grey(RGB(40, 40, 40), enabled);
   if (type == L"disk") {
      GdiPenBrush g(dc, outline, Grey(RGB(150, 160, 175), enabled));
      Rectangle(dc, x + 1, y + 4, x + 15, y + 13);
      GdiPenBrush led(dc, Grey(RGB(0, 150, 0), enabled), Grey(RGB(0, 200, 0), enabled));
      Rectangle(dc, x + 11, y + 9, x + 13, y + 11);
   } else if (type == L"cdrom") {
      GdiPenBrush g(dc, outline, Grey(RGB(210, 215, 225), enabled));
      Ellipse(dc, x + 1, y + 1, x + 15, y + 15);
      GdiPenBrush hole(dc, outline, GetSysColor(COLOR_3DFACE));
      Ellipse(dc, x + 6, y + 6, x + 10, y + 10);
   } else if (type == L"floppy") {
      GdiPenBrush g(dc, outline, Grey(RGB(60, 80, 160), enabled));
      Rectangle(dc, x + 2, y + 2, x + 14, y + 14);
      GdiPenBrush shutter(dc, outline, Grey(RGB(200, 200, 200), enabled));
      Rectangle(dc, x + 5, y + 2, x + 11, y + 7);
   } else if (type == L"ethernet") {
      GdiPenBrush g(dc, outline, Grey(RGB(90, 170, 90), enabled));
      Rectangle(dc, x + 2, y + 9, x + 14, y + 15);
      Rectangle(dc, x + 6, y + 2, x + 10, y + 9);
   } else if (type == L"sound") {
      GdiPenBrush g(dc, outline, Grey(RGB(200, 160, 60), enabled));
      POINT cone[] = {{x + 2, y + 6}, {x + 6, y + 6}, {x + 11, y + 2}, {x + 11, y + 14}, {x + 6, y + 10}, {x + 2, y + 10}};
      Polygon(dc, cone, 6);
   } else if (type == L"usb") {
      GdiPenBrush g(dc, outline, Grey(RGB(120, 120, 200), enabled));
      Rectangle(dc, x + 5, y + 1, x + 11, y + 9);
      Rectangle(dc, x + 3, y + 9, x + 13, y + 15);
   } else {
      GdiPenBrush g(dc, outline, Grey(RGB(180, 180, 180), enabled));
      RoundRect(dc, x + 2, y + 2, x + 14, y + 14, 4, 4);
   }
}

void DrawTabGlyph(HDC dc, const RECT &box, long tabKind)
{
   int x = box.left + (box.right - box.left - 16) / 2;
   int y = box.top + (box.bottom - box.top - 16) / 2;
   COLORREF outline = RGB(50, 50, 60);
   if (tabKind == 1) {
      GdiPenBrush g(dc, outline, RGB(230, 200, 120));
      POINT house[] = {{x + 8, y + 1}, {x + 15, y + 8}, {x + 13, y + 8}, {x + 13, y + 15}, {x + 3, y + 15}, {x + 3, y + 8}, {x + 1, y + 8}};
      Polygon(dc, house, 7);
      GdiPenBrush door(dc, outline, RGB(150, 90, 40));
      Rectangle(dc, x + 7, y + 10, x + 10, y + 15);
      return;
   }
   bool running = tabKind == 8;
   auto monitor = [&](int mx, int my, int w, int h) {
      GdiPenBrush frame(dc, outline, RGB(200, 200, 210));
      Rectangle(dc, mx, my, mx + w, my + h);
      GdiPenBrush screen(dc, outline, running ? RGB(40, 150, 60) : RGB(70, 80, 110));
      Rectangle(dc, mx + 2, my + 2, mx + w - 2, my + h - 2);
   };
   if (tabKind == 4) {
      monitor(x, y + 1, 10, 8);
      monitor(x + 6, y + 7, 10, 8);
      return;
   }
   if (tabKind == 7 || tabKind == 8 || tabKind == 11) {
      monitor(x + 1, y + 1, 14, 11);
      GdiPenBrush stand(dc, outline, RGB(200, 200, 210));
      Rectangle(dc, x + 5, y + 12, x + 11, y + 15);
      return;
   }
   GdiPenBrush page(dc, outline, RGB(250, 250, 250));
   POINT doc[] = {{x + 3, y + 1}, {x + 10, y + 1}, {x + 13, y + 4}, {x + 13, y + 15}, {x + 3, y + 15}};
   Polygon(dc, doc, 5);
}

unsigned DeviceTypeStringId(const std::wstring &type)
{
   if (type == L"disk") {
      return IDS_TREMAPPSDK_DEV_DISK;
   }
   if (type == L"cdrom") {
      return IDS_TREMAPPSDK_DEV_CDROM;
   }
   if (type == L"floppy") {
      return IDS_TREMAPPSDK_DEV_FLOPPY;
   }
   if (type == L"ethernet") {
      return IDS_TREMAPPSDK_DEV_ETHERNET;
   }
   if (type == L"sound") {
      return IDS_TREMAPPSDK_DEV_SOUND;
   }
   if (type == L"usb") {
      return IDS_TREMAPPSDK_DEV_USB;
   }
   return IDS_TREMAPPSDK_DEV_OTHER;
}

}  // namespace tremappsdk

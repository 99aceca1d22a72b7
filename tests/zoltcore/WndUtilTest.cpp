// The shared window helpers: scaling, literal labels, placing controls and icon lists.
#include "zoltIconStrip.h"
#include "zoltWndUtil.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

SIZE BitmapSize(HBITMAP bitmap)
{
   BITMAP info = {};
   GetObjectA(bitmap, sizeof info, &info);
   SIZE size = {info.bmWidth, info.bmHeight};
   return size;
}

RECT Rect(int l, int t, int r, int b)
{
   RECT rc = {l, t, r, b};
   return rc;
}


// Every image of `list` drawn onto magenta, one row of 32-bit pixels per image side by side.
std::vector<DWORD> RenderImages(HIMAGELIST list)
{
   int w = 0;
   int h = 0;
   ImageList_GetIconSize(list, &w, &h);
   int count = ImageList_GetImageCount(list);
   BITMAPINFO info = {};
   info.bmiHeader.biSize = sizeof info.bmiHeader;
   info.bmiHeader.biWidth = w * count;
   info.bmiHeader.biHeight = -h;
   info.bmiHeader.biPlanes = 1;
   info.bmiHeader.biBitCount = 32;
   void *bits = nullptr;
   HDC dc = CreateCompatibleDC(nullptr);
   HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
   HGDIOBJ old = SelectObject(dc, bitmap);
   HBRUSH magenta = CreateSolidBrush(RGB(255, 0, 255));
   RECT all = {0, 0, w * count, h};
   FillRect(dc, &all, magenta);
   for (int i = 0; i < count; ++i) {
      ImageList_Draw(list, i, dc, i * w, 0, ILD_NORMAL);
   }
   GdiFlush();
   std::vector<DWORD> pixels(static_cast<const DWORD *>(bits), static_cast<const DWORD *>(bits) + w * count * h);
   SelectObject(dc, old);
   DeleteObject(bitmap);
   DeleteObject(magenta);
   DeleteDC(dc);
   return pixels;
}

}  // namespace

TEST(WndUtil, LabelsShowTheirTextLiterally)
{
   EXPECT_EQ(EscapeAmpersands("Save & close\tnow"), "Save && close now");
   EXPECT_EQ(EscapeAmpersands("plain"), "plain");
   _bstr_t escaped = EscapeAmpersandsBstr(_bstr_t(L"A&B\t"));
   EXPECT_STREQ(static_cast<const wchar_t *>(escaped), L"A&&B ");
   EXPECT_EQ(EscapeAmpersandsBstr(_bstr_t()).length(), 0u);
}

TEST(WndUtil, BitmapsShrinkToFitAndKeepTheirProportions)
{
   SIZE fit = FitSize(100, 50, 40, 40);
   EXPECT_EQ(fit.cx, 40);
   EXPECT_EQ(fit.cy, 20);
   fit = FitSize(100, 50, 400, 400);
   EXPECT_EQ(fit.cx, 100) << "never enlarged";
   EXPECT_EQ(fit.cy, 50);

   HDC screen = GetDC(nullptr);
   HBITMAP source = CreateCompatibleBitmap(screen, 100, 50);
   ReleaseDC(nullptr, screen);
   SIZE size = {};
   HBITMAP scaled = ScaleBitmapToFit(nullptr, source, Rect(0, 0, 40, 40), &size);
   ASSERT_NE(scaled, nullptr);
   EXPECT_EQ(BitmapSize(scaled).cx, 40);
   EXPECT_EQ(BitmapSize(scaled).cy, 20);
   EXPECT_EQ(size.cy, 20);
   DeleteObject(scaled);

   scaled = ScaleBitmapToFit(nullptr, source, Rect(10, 10, 10, 200), &size);
   EXPECT_EQ(scaled, nullptr) << "a rectangle without width makes no bitmap";
   EXPECT_EQ(size.cx, 0);
   EXPECT_EQ(ScaleBitmapToFit(nullptr, nullptr, Rect(0, 0, 40, 40), &size), nullptr);
   DeleteObject(source);
}

TEST(WndUtil, PlacedControlsAlignAndTheAreaShrinksByThemAndTheGap)
{
   RECT area = Rect(10, 10, 310, 210);
   RECT control = Rect(50, 60, 130, 80);  // 80 by 20
   RECT r = PlaceRect(control, area, PLACE_RIGHT_BOTTOM, ADVANCE_RIGHT_EDGE);
   EXPECT_EQ(r.right, 310);
   EXPECT_EQ(r.bottom, 210);
   EXPECT_EQ(r.left, 230);
   EXPECT_EQ(area.right, 310 - 80 - kPlaceGap);

   r = PlaceRect(control, area, PLACE_ACROSS_TOP, ADVANCE_TOP_EDGE);
   EXPECT_EQ(r.left, 10);
   EXPECT_EQ(r.right, area.right) << "stretched across";
   EXPECT_EQ(r.top, 10);
   EXPECT_EQ(area.top, 10 + 20 + kPlaceGap);

   RECT before = area;
   r = PlaceRect(control, area, 99, 99);
   EXPECT_EQ(r.left, control.left);
   EXPECT_EQ(area.top, before.top);

   HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
   HWND child = CreateWindowExA(0, "BUTTON", "x", WS_CHILD, 5, 5, 80, 20, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(77)), nullptr, nullptr);
   RECT placeArea = Rect(20, 30, 300, 250);
   PlaceDlgItem(parent, 77, placeArea, PLACE_LEFT_TOP, ADVANCE_LEFT_EDGE, FALSE);
   RECT moved;
   GetWindowRect(child, &moved);
   MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&moved), 2);
   EXPECT_EQ(moved.left, 20);
   EXPECT_EQ(moved.top, 30);
   EXPECT_EQ(placeArea.left, 20 + 80 + kPlaceGap);
   DestroyWindow(parent);
}

TEST(WndUtil, IconListsFillEmptySlotsAndMasksFollowTheRowAlignment)
{
   EXPECT_EQ(FillerMaskBytes(32, 32), 128u);
   EXPECT_EQ(FillerMaskBytes(24, 24), 96u) << "a 24-pixel row takes two words";
   EXPECT_EQ(FillerMaskBytes(16, 16), 32u);

   const UINT ids[] = {IDI_ZOLT, 0, IDI_HINT};
   HIMAGELIST list = CreateIconImageList(GetModuleHandleA(nullptr), ids, 3);
   ASSERT_NE(list, nullptr);
   EXPECT_EQ(ImageList_GetImageCount(list), 3);
   ImageList_Destroy(list);
   EXPECT_EQ(CreateIconImageList(nullptr, ids, 3), nullptr);
   EXPECT_EQ(CreateIconImageList(GetModuleHandleA(nullptr), ids, 0), nullptr);

   BYTE bits[96] = {};
   HICON small = CreateIcon(nullptr, 24, 24, 1, 1, bits, bits);
   HICON icons[] = {small, nullptr};
   list = IconImageListBuilder(icons, 2);
   ASSERT_NE(list, nullptr);
   int w = 0;
   int h = 0;
   ImageList_GetIconSize(list, &w, &h);
   EXPECT_EQ(w, 24);
   EXPECT_EQ(ImageList_GetImageCount(list), 2);
   ImageList_Destroy(list);
   DestroyIcon(small);
}

TEST(WndUtil, IconListsFromResourceBitsLookLikeListsOfLoadedIcons)
{
   // Toolbar icons (two sizes each, alpha channel) and an empty slot.
   const UINT ids[] = {11961, 11962, 0, 11963, 11973};
   HINSTANCE module = GetModuleHandleA(nullptr);
   HIMAGELIST fromBits = IconImageListFromResources(module, ids, 5);
   ASSERT_NE(fromBits, nullptr);

   HICON icons[5] = {};
   for (int i = 0; i < 5; ++i) {
      icons[i] = ids[i] ? static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(ids[i]), IMAGE_ICON, 0, 0, 0)) : nullptr;
   }
   ASSERT_NE(icons[0], nullptr);
   HIMAGELIST fromIcons = IconImageListBuilder(icons, 5);
   ASSERT_NE(fromIcons, nullptr);

   int bitsW = 0, bitsH = 0, iconsW = 0, iconsH = 0;
   ImageList_GetIconSize(fromBits, &bitsW, &bitsH);
   ImageList_GetIconSize(fromIcons, &iconsW, &iconsH);
   EXPECT_EQ(bitsW, iconsW) << "the image LoadImage picks at the icon's own size";
   EXPECT_EQ(bitsH, iconsH);
   EXPECT_EQ(ImageList_GetImageCount(fromBits), 5);
   std::vector<DWORD> a = RenderImages(fromBits);
   std::vector<DWORD> b = RenderImages(fromIcons);
   ASSERT_EQ(a.size(), b.size());
   size_t differ = 0;
   bool transparent = false;
   for (size_t i = 0; i < a.size(); ++i) {
      differ += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
      transparent = transparent || (a[i] & 0xFFFFFF) == 0xFF00FF;
   }
   EXPECT_EQ(differ, 0u) << "pixels that differ of " << a.size();
   EXPECT_TRUE(transparent) << "the icons' transparent pixels show what lies under them";
   // The empty slot is the filler's opaque black.
   for (int y = 0; y < bitsH; ++y) {
      EXPECT_EQ(a[static_cast<size_t>(y) * bitsW * 5 + 2 * bitsW] & 0xFFFFFF, 0u);
   }

   for (HICON icon : icons) {
      if (icon) {
         DestroyIcon(icon);
      }
   }
   ImageList_Destroy(fromBits);
   ImageList_Destroy(fromIcons);

   // Not an icon group of the module, or icons of two sizes: the caller loads icons instead.
   const UINT unknown[] = {11961, 65000};
   EXPECT_EQ(IconImageListFromResources(module, unknown, 2), nullptr);
   const UINT mixed[] = {11961, IDI_HINT};
   EXPECT_EQ(IconImageListFromResources(module, mixed, 2), nullptr);
   EXPECT_EQ(IconImageListFromResources(module, ids, 0), nullptr);
}

TEST(WndUtil, ListHelpers)
{
   const int values[] = {4, 8, 8, 15};
   EXPECT_EQ(FindIndexInArray(8, values, 4), 1);
   EXPECT_EQ(FindIndexInArray(16, values, 4), -1);
   EXPECT_EQ(FindIndexInArray(4, values, 0), -1);
   EXPECT_EQ(FindIndexInArray(4, nullptr, 4), -1);

   sigc::signal<void> signal;
   int calls = 0;
   std::list<sigc::connection> connections;
   connections.push_back(signal.connect([&] { ++calls; }));
   connections.push_back(signal.connect([&] { ++calls; }));
   DisconnectAll(connections);
   signal.emit();
   EXPECT_EQ(calls, 0);
   EXPECT_TRUE(connections.empty());
}

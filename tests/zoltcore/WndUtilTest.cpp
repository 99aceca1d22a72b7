// The shared window helpers: scaling, literal labels, placing controls and icon lists.
#include "zoltWndUtil.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>

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

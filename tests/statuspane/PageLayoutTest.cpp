// The page template's fonts, colours, extent and stretch rule, the link button's layout, the
// pane's scroll bars over a real page, and the screenshot window's size.
#include "zoltScreenshotDlg.h"
#include "zoltStatusBase.h"
#include "zoltStatusBtn.h"
#include "zoltStatusLV.h"
#include "zoltStatusNone.h"
#include "zoltStatusPane.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <vector>

namespace {

// A top-level window to hold a pane.
HWND MakeHolder(int width, int height)
{
   return CreateWindowExA(0, "Static", "status pane test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, width, height,
                          nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

RECT ChildRect(HWND parent, HWND child)
{
   RECT rect = {};
   GetWindowRect(child, &rect);
   MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&rect), 2);
   return rect;
}

// Shown by its own style (the holder itself is never shown).
bool Visible(HWND window)
{
   return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

SCROLLINFO ScrollInfo(HWND window, int bar)
{
   SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
   GetScrollInfo(window, bar, &info);
   return info;
}

class PaneTest : public ::testing::Test {
protected:
   void SetUp() override
   {
      holder_ = MakeHolder(400, 300);
      RECT rect = {0, 0, 200, 150};
      ASSERT_TRUE(pane_.Create(holder_, &rect, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0));
   }
   void TearDown() override { DestroyWindow(holder_); }

   HWND holder_ = nullptr;
   CZOLTStatusPane pane_;
};

}  // namespace

TEST(StatusPageTemplate, BoldFontsAreScaledFromTheDialogFont)
{
   statuspage::FontHeights heights = statuspage::BoldFontHeights(-11);
   EXPECT_EQ(heights.plain, -11);
   EXPECT_EQ(heights.large, -16);
   EXPECT_EQ(heights.medium, -13);
   heights = statuspage::BoldFontHeights(13);
   EXPECT_EQ(heights.large, 19);
   EXPECT_EQ(heights.medium, 15);
}

TEST(StatusPageTemplate, StretchedEdgeKeeps100PixelsAndA10PixelMargin)
{
   EXPECT_EQ(statuspage::StretchedEdge(20, 500), 490);
   // Narrower than the control plus 110: the control stays 100 wide.
   EXPECT_EQ(statuspage::StretchedEdge(300, 350), 400);
   EXPECT_EQ(statuspage::StretchedEdge(300, 410), 400);
   EXPECT_EQ(statuspage::StretchedEdge(300, 411), 401);
}

TEST(StatusPageTemplate, ExtentOnlyGrowsToTheFarthestChild)
{
   SIZE extent = {0, 0};
   statuspage::GrowExtent(extent, RECT{10, 10, 300, 200});
   EXPECT_EQ(extent.cx, 300);
   EXPECT_EQ(extent.cy, 200);
   statuspage::GrowExtent(extent, RECT{0, 0, 50, 50});
   EXPECT_EQ(extent.cx, 300);
   EXPECT_EQ(extent.cy, 200);
   statuspage::GrowExtent(extent, RECT{0, 150, 120, 420});
   EXPECT_EQ(extent.cx, 300);
   EXPECT_EQ(extent.cy, 420);
}

TEST(StatusPageTemplate, ButtonsKeysAndColours)
{
   using statuspage::CommandOfButton;
   using statuspage::PageCommand;
   EXPECT_EQ(CommandOfButton(1055), PageCommand::kNewVMAndOpen);
   EXPECT_EQ(CommandOfButton(1261), PageCommand::kNewVMAndOpen);
   EXPECT_EQ(CommandOfButton(1214), PageCommand::kOpenFile);
   EXPECT_EQ(CommandOfButton(1262), PageCommand::kNewTeam);
   EXPECT_EQ(CommandOfButton(1064), PageCommand::kVMSettings);
   // 1073 and 274 are page buttons that do nothing.
   EXPECT_TRUE(statuspage::IsPageButton(1073));
   EXPECT_TRUE(statuspage::IsPageButton(274));
   EXPECT_EQ(CommandOfButton(1073), PageCommand::kNone);
   EXPECT_EQ(CommandOfButton(274), PageCommand::kNone);
   EXPECT_FALSE(statuspage::IsPageButton(1063));

   MSG enter = {nullptr, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
   MSG space = {nullptr, WM_KEYDOWN, VK_SPACE, 0, 0, {0, 0}};
   MSG tab = {nullptr, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
   MSG enterUp = {nullptr, WM_KEYUP, VK_RETURN, 0, 0, {0, 0}};
   EXPECT_TRUE(statuspage::IsKeyLeftToControl(enter));
   EXPECT_TRUE(statuspage::IsKeyLeftToControl(space));
   EXPECT_FALSE(statuspage::IsKeyLeftToControl(tab));
   EXPECT_FALSE(statuspage::IsKeyLeftToControl(enterUp));

   EXPECT_EQ(statuspage::TextColorFor(1060), RGB(103, 121, 129));
   EXPECT_EQ(statuspage::TextColorFor(1162), RGB(103, 121, 129));
   EXPECT_EQ(statuspage::TextColorFor(1143), RGB(132, 32, 32));
   EXPECT_EQ(statuspage::TextColorFor(1053), RGB(0, 0, 0));
   EXPECT_EQ(statuspage::TextColorFor(0), RGB(0, 0, 0));
}

TEST(StatusPageWidgets, LinkButtonPutsTheIconBesideOrAboveTheText)
{
   LinkButtonLayout beside = LayoutLinkButton(SIZE{200, 24}, SIZE{16, 16}, true);
   EXPECT_EQ(beside.icon.x, 0);
   EXPECT_EQ(beside.icon.y, 4);
   EXPECT_EQ(beside.text.left, 26);
   EXPECT_EQ(beside.text.right, 200);
   EXPECT_TRUE(beside.format & DT_SINGLELINE);
   LinkButtonLayout above = LayoutLinkButton(SIZE{100, 60}, SIZE{32, 32}, false);
   EXPECT_EQ(above.icon.x, 34);
   EXPECT_EQ(above.icon.y, 0);
   EXPECT_EQ(above.text.top, 32);
   EXPECT_TRUE(above.format & DT_WORDBREAK);
   // The last list column reaches the client's right edge.
   EXPECT_EQ(StretchedLastColumnWidth(100, 250, 400), 250);
   EXPECT_EQ(StretchedLastColumnWidth(100, 250, 200), 50);
}

TEST(ScreenshotWindow, ClientAreaIsTheBitmapsSizeAndAClickCloses)
{
   HDC screen = GetDC(nullptr);
   HBITMAP bitmap = CreateCompatibleBitmap(screen, 640, 480);
   ReleaseDC(nullptr, screen);
   HWND owner = MakeHolder(300, 200);
   {
      CZOLTScreenshot dialog(bitmap, "Suspended screenshot of a.vmx");
      HWND window = dialog.Create(owner);
      ASSERT_TRUE(window);
      RECT client = {};
      GetClientRect(window, &client);
      EXPECT_EQ(client.right, 640);
      EXPECT_EQ(client.bottom, 480);
      char caption[64] = "";
      GetWindowTextA(window, caption, sizeof(caption));
      EXPECT_STREQ(caption, "Suspended screenshot of a.vmx");
      HWND picture = GetDlgItem(window, CZOLTScreenshot::kPictureId);
      EXPECT_EQ(reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0)) != nullptr, true);
      SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
      EXPECT_FALSE(IsWindow(window));
   }
   // The bitmap stays the caller's.
   BITMAP info = {};
   EXPECT_TRUE(GetObjectA(bitmap, sizeof(info), &info));
   DeleteObject(bitmap);
   DestroyWindow(owner);
}

TEST_F(PaneTest, NothingCurrentShowsTheNonePageWithBarsFromItsExtent)
{
   // Only the page shown is made: the others wait until they are first asked for.
   std::vector<HWND> made;
   for (HWND child = GetWindow(pane_.m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      made.push_back(child);
   }
   ASSERT_EQ(made.size(), 1u);
   EXPECT_EQ(made[0], pane_.GetShownPage());
   HWND none = pane_.GetPageWindow(kPageNone);
   ASSERT_TRUE(none);
   EXPECT_EQ(none, made[0]);
   EXPECT_EQ(pane_.GetShownPage(), none);
   EXPECT_TRUE(Visible(none));
   HWND vm = pane_.GetPageWindow(kPageVM);
   ASSERT_TRUE(vm);
   EXPECT_EQ(GetParent(vm), pane_.m_hWnd);
   EXPECT_FALSE(Visible(vm));
   EXPECT_EQ(pane_.GetPageWindow(kPageVM), vm) << "made once";
   // Pages nobody has built yet have no window.
   EXPECT_EQ(pane_.GetPageWindow(kPageMVMT), nullptr);
}

TEST_F(PaneTest, QuietMomentsMakeTheOtherPagesOneAtATime)
{
   auto children = [this]() {
      int count = 0;
      for (HWND child = GetWindow(pane_.m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
         ++count;
      }
      return count;
   };
   ASSERT_EQ(children(), 1);
   ASSERT_TRUE(pane_.MakeNextPage());
   HWND first = nullptr;
   for (HWND child = GetWindow(pane_.m_hWnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (child != pane_.GetShownPage()) {
         first = child;
      }
   }
   int made = 1;
   while (pane_.MakeNextPage()) {
      ++made;
      ASSERT_EQ(children(), 1 + made) << "one page per call";
      ASSERT_LT(made, kPageKindCount);
   }
   EXPECT_GE(made, 1);
   // The machine page is among them: asking for it makes nothing more, and none is shown.
   HWND vm = pane_.GetPageWindow(kPageVM);
   ASSERT_TRUE(vm);
   EXPECT_EQ(vm, first) << "the machine page is made first";
   EXPECT_EQ(children(), 1 + made);
   EXPECT_FALSE(Visible(vm));
   EXPECT_EQ(pane_.GetShownPage(), pane_.GetPageWindow(kPageNone));
   EXPECT_FALSE(pane_.MakeNextPage());
}

TEST_F(PaneTest, ScrollingMovesByLinesPagesAndStaysWhenTheSamePageIsShownAgain)
{
   HWND vm = pane_.GetPageWindow(kPageVM);
   ASSERT_TRUE(vm);
   pane_.ShowPage(vm, SIZE{500, 600});
   // Measured with both bars shown.
   RECT client = {};
   GetClientRect(pane_.m_hWnd, &client);
   EXPECT_TRUE(Visible(vm));
   EXPECT_FALSE(Visible(pane_.GetPageWindow(kPageNone)));
   SCROLLINFO vert = ScrollInfo(pane_.m_hWnd, SB_VERT);
   EXPECT_EQ(vert.nMax, 600);
   EXPECT_EQ(static_cast<LONG>(vert.nPage), client.bottom);
   EXPECT_EQ(vert.nPos, 0);

   SendMessageA(pane_.m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
   EXPECT_EQ(pane_.GetScrollOffset().y, -8);
   EXPECT_EQ(ScrollInfo(pane_.m_hWnd, SB_VERT).nPos, 8);
   SendMessageA(pane_.m_hWnd, WM_VSCROLL, SB_PAGEDOWN, 0);
   EXPECT_EQ(pane_.GetScrollOffset().y, -8 - client.bottom);
   SendMessageA(pane_.m_hWnd, WM_VSCROLL, SB_BOTTOM, 0);
   EXPECT_EQ(pane_.GetScrollOffset().y, -(600 - client.bottom));
   SendMessageA(pane_.m_hWnd, WM_HSCROLL, SB_LINEDOWN, 0);
   EXPECT_EQ(pane_.GetScrollOffset().x, -8);
   SendMessageA(pane_.m_hWnd, WM_VSCROLL, SB_ENDSCROLL, 0);
   EXPECT_EQ(pane_.GetScrollOffset().x, -8);

   // A watch that picks the same page again leaves the user where they were.
   pane_.ShowPage(vm, SIZE{500, 600});
   EXPECT_EQ(pane_.GetScrollOffset().y, -(600 - client.bottom));
   EXPECT_EQ(pane_.GetScrollOffset().x, -8);

   // Another page starts at the top.
   pane_.ShowPage(pane_.GetPageWindow(kPageNone), SIZE{500, 600});
   EXPECT_EQ(pane_.GetScrollOffset().x, 0);
   EXPECT_EQ(pane_.GetScrollOffset().y, 0);
   EXPECT_FALSE(Visible(vm));
}

TEST_F(PaneTest, GrowingThePanePastThePageClearsTheOffset)
{
   HWND vm = pane_.GetPageWindow(kPageVM);
   pane_.ShowPage(vm, SIZE{300, 300});
   SendMessageA(pane_.m_hWnd, WM_VSCROLL, SB_BOTTOM, 0);
   EXPECT_LT(pane_.GetScrollOffset().y, 0);
   SetWindowPos(pane_.m_hWnd, nullptr, 0, 0, 380, 280, SWP_NOMOVE | SWP_NOZORDER);
   RECT client = {};
   GetClientRect(pane_.m_hWnd, &client);
   if (client.bottom >= 300) {
      EXPECT_EQ(pane_.GetScrollOffset().y, 0);
   } else {
      EXPECT_EQ(pane_.GetScrollOffset().y, client.bottom - 300);
   }
   // The page covers the larger of the client area and its extent.
   RECT page = ChildRect(pane_.m_hWnd, vm);
   EXPECT_EQ(page.right - page.left, std::max<LONG>(client.right, 300));
   // No page: no bars.
   pane_.ShowPage(nullptr, SIZE{0, 0});
   EXPECT_EQ(pane_.GetShownPage(), nullptr);
   EXPECT_FALSE(GetWindowLongA(pane_.m_hWnd, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(PaneTest, MachinePageColoursStretchesAndMeasuresItsControls)
{
   HWND vm = pane_.GetPageWindow(kPageVM);
   ASSERT_TRUE(vm);
   HDC dc = CreateCompatibleDC(nullptr);
   HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageA(vm, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                                        reinterpret_cast<LPARAM>(GetDlgItem(vm, 1060))));
   EXPECT_EQ(GetTextColor(dc), RGB(103, 121, 129));
   LOGBRUSH logBrush = {};
   ASSERT_TRUE(GetObjectA(brush, sizeof(logBrush), &logBrush));
   EXPECT_EQ(logBrush.lbColor, RGB(255, 255, 255));
   SendMessageA(vm, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(vm, 1053)));
   EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
   DeleteDC(dc);

   HFONT font = reinterpret_cast<HFONT>(SendMessageA(GetDlgItem(vm, 1060), WM_GETFONT, 0, 0));
   LOGFONTA title = {};
   ASSERT_TRUE(GetObjectA(font, sizeof(title), &title));
   EXPECT_EQ(title.lfWeight, FW_BOLD);

   // Narrow: each stretched value keeps 100 pixels; wide: it ends 10 pixels short of the edge.
   SendMessageA(vm, WM_SIZE, 0, MAKELPARAM(300, 400));
   for (int id : {1053, 1055, 1057, 1059}) {
      RECT value = ChildRect(vm, GetDlgItem(vm, id));
      EXPECT_EQ(value.right - value.left, 100) << id;
   }
   SendMessageA(vm, WM_SIZE, 0, MAKELPARAM(1200, 900));
   for (int id : {1060, 1053, 1055, 1057, 1059, 1066}) {
      EXPECT_EQ(ChildRect(vm, GetDlgItem(vm, id)).right, 1190) << id;
   }
   EXPECT_EQ(ChildRect(vm, GetDlgItem(vm, 1070)).bottom, 890);
}

TEST(StatusPageTemplate, ExtentCountsHiddenChildrenAndNeverShrinks)
{
   HWND holder = MakeHolder(300, 200);
   CZOLTStatusNone page;
   ASSERT_TRUE(page.Create(holder, nullptr));
   EXPECT_EQ(page.GetExtent().cx, 0);
   HWND shown = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 10, 10, 290, 190, page.m_hWnd, nullptr,
                                nullptr, nullptr);
   page.ComputeExtent();
   EXPECT_EQ(page.GetExtent().cx, 300);
   EXPECT_EQ(page.GetExtent().cy, 200);
   HWND hidden = CreateWindowExA(0, "Static", "", WS_CHILD, 0, 300, 40, 120, page.m_hWnd, nullptr, nullptr, nullptr);
   page.ComputeExtent();
   EXPECT_EQ(page.GetExtent().cx, 300);
   EXPECT_EQ(page.GetExtent().cy, 420);
   DestroyWindow(hidden);
   DestroyWindow(shown);
   page.ComputeExtent();
   EXPECT_EQ(page.GetExtent().cy, 420);
   DestroyWindow(holder);
}

TEST(StatusPageWidgets, ListViewColumnsAreOwnerDrawnAndTellTheirOwner)
{
   HWND holder = MakeHolder(400, 300);
   HWND list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 200, holder, nullptr,
                               nullptr, nullptr);
   ASSERT_TRUE(list);
   {
      CZOLTStatusLV lv;
      ASSERT_TRUE(lv.SubclassWindow(list));
      EXPECT_EQ(lv.InsertColumn("Name", 0, 120, 1), 0);
      EXPECT_EQ(lv.InsertColumn("State", 1, 80, 2), 1);
      HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
      HDITEMA item = {};
      item.mask = HDI_FORMAT | HDI_LPARAM;
      ASSERT_TRUE(SendMessageA(header, HDM_GETITEMA, 1, reinterpret_cast<LPARAM>(&item)));
      EXPECT_TRUE(item.fmt & HDF_OWNERDRAW);
      const CZOLTStatusLV::Column *column = reinterpret_cast<const CZOLTStatusLV::Column *>(item.lParam);
      ASSERT_TRUE(column);
      EXPECT_EQ(column->title, "State");
      EXPECT_EQ(column->value, 2);
      EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 120);

      int changed = 0;
      int scrolled = 0;
      lv.columnsChanged.connect([&]() { ++changed; });
      lv.scrolled.connect([&]() { ++scrolled; });
      // A width change while a divider is dragged waits for the drop; an order change never does.
      HDITEMA width = {};
      width.mask = HDI_WIDTH;
      NMHEADERA notify = {};
      notify.hdr.hwndFrom = header;
      notify.hdr.code = HDN_BEGINTRACKA;
      SendMessageA(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
      notify.hdr.code = HDN_ITEMCHANGEDA;
      notify.pitem = &width;
      SendMessageA(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
      EXPECT_EQ(changed, 0);
      notify.hdr.code = HDN_ENDTRACKA;
      SendMessageA(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
      notify.hdr.code = HDN_ITEMCHANGEDA;
      SendMessageA(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
      EXPECT_EQ(changed, 1);
      HDITEMA order = {};
      order.mask = HDI_ORDER;
      notify.pitem = &order;
      SendMessageA(list, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notify));
      EXPECT_EQ(changed, 2);

      // The owner hears of scrolling once the list has handled the input.
      SendMessageA(list, WM_VSCROLL, SB_LINEDOWN, 0);
      EXPECT_EQ(scrolled, 0);
      MSG msg;
      while (PeekMessageA(&msg, list, 0, 0, PM_REMOVE)) {
         DispatchMessageA(&msg);
      }
      EXPECT_EQ(scrolled, 1);
      DestroyWindow(list);
   }
   DestroyWindow(holder);
}

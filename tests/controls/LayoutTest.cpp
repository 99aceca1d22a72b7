#include <gtest/gtest.h>

#include "DbUtil.h"
#include "GuestScreen.h"
#include "StatusbarLayout.h"
#include "TabStripLayout.h"

namespace {

using tremappsdk::GuestScreen;
using tremappsdk::StatusbarLayout;
using tremappsdk::TabStripLayout;

TEST(ControlsLayout, StatusbarKeepsTheGripAndIndicatorAndDropsDevicesThatDoNotFit)
{
   StatusbarLayout wide = StatusbarLayout::Compute(600, 22, 4, true, true);
   EXPECT_EQ(584, wide.grip.left);
   EXPECT_EQ(584 - StatusbarLayout::kRecordWidth, wide.record.left);
   ASSERT_EQ(4u, wide.devices.size());
   // Devices sit side by side, left of the indicator, the text ends before the first one.
   EXPECT_EQ(wide.record.left, wide.devices[3].right + 2);
   EXPECT_EQ(wide.devices[0].right + 2, wide.devices[1].left);
   EXPECT_LT(wide.text.right, wide.devices[0].left);
   POINT onSecond = {wide.devices[1].left + 3, 10};
   EXPECT_EQ(1, wide.DeviceAt(onSecond));
   POINT onText = {10, 10};
   EXPECT_EQ(-1, wide.DeviceAt(onText));

   // No capture and no grip: nothing is reserved for them.
   StatusbarLayout plain = StatusbarLayout::Compute(600, 22, 1, false, false);
   EXPECT_TRUE(IsRectEmpty(&plain.grip));
   EXPECT_TRUE(IsRectEmpty(&plain.record));
   EXPECT_EQ(600, plain.devices[0].right + 2);

   // A narrow bar keeps room for its text and shows fewer devices.
   StatusbarLayout narrow = StatusbarLayout::Compute(210, 22, 10, true, true);
   EXPECT_LT(narrow.devices.size(), 10u);
   EXPECT_GE(narrow.text.right - narrow.text.left, 90);
   StatusbarLayout tiny = StatusbarLayout::Compute(50, 22, 3, false, true);
   EXPECT_TRUE(tiny.devices.empty());
}

TEST(ControlsLayout, TabsShrinkToShareTheStripAndHitTestTheirCloseBoxes)
{
   TabStripLayout roomy = TabStripLayout::Compute({40, 300, 0}, 1000, 24);
   ASSERT_EQ(3u, roomy.tabs.size());
   EXPECT_EQ(TabStripLayout::kMaxWidth, roomy.tabs[1].box.right - roomy.tabs[1].box.left);
   EXPECT_EQ(TabStripLayout::kMinWidth, roomy.tabs[2].box.right - roomy.tabs[2].box.left);
   EXPECT_EQ(roomy.tabs[0].box.right, roomy.tabs[1].box.left);
   for (const TabStripLayout::Tab &tab : roomy.tabs) {
      EXPECT_LE(tab.text.right, tab.close.left);
      EXPECT_LE(tab.close.right, tab.box.right);
   }

   TabStripLayout crowded = TabStripLayout::Compute({150, 150, 150, 150}, 400, 24);
   for (const TabStripLayout::Tab &tab : crowded.tabs) {
      EXPECT_EQ(100, tab.box.right - tab.box.left);
   }
   TabStripLayout overfull = TabStripLayout::Compute(std::vector<int>(20, 150), 400, 24);
   EXPECT_EQ(TabStripLayout::kMinWidth, overfull.tabs[0].box.right - overfull.tabs[0].box.left);
   EXPECT_EQ(0, overfull.tabs[0].box.left);
   // A selected tab past the right edge slides the row until it shows whole.
   TabStripLayout slid = TabStripLayout::Compute(std::vector<int>(20, 150), 400, 24, 12);
   EXPECT_EQ(400, slid.tabs[12].box.right);
   EXPECT_LT(slid.tabs[0].box.right, 0);
   POINT onFirstShown = {1, 12};
   EXPECT_EQ(6, slid.HitTest(onFirstShown).tab);
   TabStripLayout visible = TabStripLayout::Compute(std::vector<int>(20, 150), 400, 24, 2);
   EXPECT_EQ(0, visible.tabs[0].box.left);

   POINT closeOfSecond = {(crowded.tabs[1].close.left + crowded.tabs[1].close.right) / 2, 12};
   TabStripLayout::Hit hit = crowded.HitTest(closeOfSecond);
   EXPECT_EQ(1, hit.tab);
   EXPECT_TRUE(hit.close);
   POINT labelOfThird = {crowded.tabs[2].text.left + 2, 12};
   hit = crowded.HitTest(labelOfThird);
   EXPECT_EQ(2, hit.tab);
   EXPECT_FALSE(hit.close);
   POINT pastTheTabs = {399, 12};
   EXPECT_EQ(-1, roomy.HitTest(pastTheTabs).tab);
}

TEST(ControlsLayout, GuestScreenIsScaledDownWithItsAspectAndCentred)
{
   RECT same = GuestScreen::Fit(800, 600, 1000, 700);
   EXPECT_EQ(800, same.right - same.left);
   EXPECT_EQ(600, same.bottom - same.top);
   EXPECT_EQ(100, same.left);
   EXPECT_EQ(50, same.top);

   RECT wideClient = GuestScreen::Fit(800, 600, 1000, 300);
   EXPECT_EQ(300, wideClient.bottom - wideClient.top);
   EXPECT_EQ(400, wideClient.right - wideClient.left);
   EXPECT_EQ(300, wideClient.left);

   RECT tallClient = GuestScreen::Fit(1024, 768, 512, 2000);
   EXPECT_EQ(512, tallClient.right - tallClient.left);
   EXPECT_EQ(384, tallClient.bottom - tallClient.top);

   RECT none = GuestScreen::Fit(800, 600, 0, 300);
   EXPECT_TRUE(IsRectEmpty(&none));

   EXPECT_EQ(L"0:00:00", GuestScreen::Uptime(999));
   EXPECT_EQ(L"1:01:05", GuestScreen::Uptime((3600 + 65) * 1000));
}

TEST(ControlsLayout, RecordKindsAndFileTitles)
{
   EXPECT_EQ(1, tremappsdk::TabKindOf(L"home", false));
   EXPECT_EQ(4, tremappsdk::TabKindOf(L"team", true));
   EXPECT_EQ(7, tremappsdk::TabKindOf(L"vm", false));
   EXPECT_EQ(8, tremappsdk::TabKindOf(L"vm", true));
   EXPECT_EQ(11, tremappsdk::TabKindOf(L"mvmt", false));
   EXPECT_EQ(14, tremappsdk::TabKindOf(L"quen", false));
   EXPECT_EQ(17, tremappsdk::TabKindOf(L"hotfix", false));
   EXPECT_EQ(0, tremappsdk::TabKindOf(L"bogus", false));
   EXPECT_EQ(L"XP Pro", tremappsdk::FileTitle(L"C:\\vms\\xp.d\\XP Pro.vmx"));
   EXPECT_EQ(L"team", tremappsdk::FileTitle(L"/home/u/team.vmtm"));
   EXPECT_EQ(L".hidden", tremappsdk::FileTitle(L"C:\\.hidden"));
}

}  // namespace

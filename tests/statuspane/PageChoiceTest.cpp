// Which page the pane shows for each object type and state, which pages each mode creates, the
// machine page's screenshot decision, and the pane's scrolling arithmetic.
#include "zoltStatusPane.h"
#include "zoltStatusVM.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <vector>

using statuspane::ChoosePage;
using statuspane::PageInputs;

namespace {

PageInputs Current(const char *type, int uiMode = 0, bool zephro = false, bool active = false)
{
   return PageInputs{true, type, uiMode, zephro, active};
}

std::vector<StatusPageKind> Pages(int uiMode, bool zephro)
{
   StatusPageKind kinds[kPageKindCount];
   int count = statuspane::PagesOfMode(uiMode, zephro, kinds);
   return std::vector<StatusPageKind>(kinds, kinds + count);
}

}  // namespace

TEST(StatusPageChoice, EachObjectTypeHasItsPage)
{
   EXPECT_EQ(ChoosePage(PageInputs{false, "vm", 0, false, false}), kPageNone);
   EXPECT_EQ(ChoosePage(Current("vm")), kPageVM);
   EXPECT_EQ(ChoosePage(Current("mvmt")), kPageMVMT);
   EXPECT_EQ(ChoosePage(Current("hotfix")), kPageHotFix);
   EXPECT_EQ(ChoosePage(Current("team")), kPageTeam);
   EXPECT_EQ(ChoosePage(Current("quen")), kPageQuen);
   // Another type leaves the shown page in place; so does an empty one.
   EXPECT_FALSE(ChoosePage(Current("server")).has_value());
   EXPECT_FALSE(ChoosePage(Current("")).has_value());
   // Types are matched exactly.
   EXPECT_FALSE(ChoosePage(Current("VM")).has_value());
}

TEST(StatusPageChoice, HomePageFollowsModeExtensionAndSession)
{
   EXPECT_EQ(ChoosePage(Current("home", 0, false)), kPageHomeDeskmoor);
   EXPECT_EQ(ChoosePage(Current("home", 0, true)), kPageHomeDeskmoorEE);
   EXPECT_EQ(ChoosePage(Current("home", 1, false, true)), kPageHome);
   EXPECT_EQ(ChoosePage(Current("home", 1, false, false)), kPageNoCnx);
   // The session matters only in mode 1.
   EXPECT_EQ(ChoosePage(Current("home", 0, false, true)), kPageHomeDeskmoor);
   EXPECT_EQ(ChoosePage(Current("vm", 1, false, false)), kPageVM);
}

TEST(StatusPageChoice, EachModeCreatesItsOwnHomePagesFirst)
{
   std::vector<StatusPageKind> always = {kPageVM, kPageNone, kPageMVMT, kPageQuen, kPageHotFix, kPageTeam};
   std::vector<StatusPageKind> local = {kPageHomeDeskmoor};
   local.insert(local.end(), always.begin(), always.end());
   EXPECT_EQ(Pages(0, false), local);
   std::vector<StatusPageKind> zephro = {kPageHomeDeskmoorEE, kPageVmNoAccess};
   zephro.insert(zephro.end(), always.begin(), always.end());
   EXPECT_EQ(Pages(0, true), zephro);
   std::vector<StatusPageKind> remote = {kPageHome, kPageNoCnx};
   remote.insert(remote.end(), always.begin(), always.end());
   EXPECT_EQ(Pages(1, true), remote);
   EXPECT_EQ(Pages(2, false), always);
}

TEST(StatusPageChoice, KindsWithoutAPageWindowShowTheNonePage)
{
   // The program as it stands: only the none and machine pages have windows.
   bool available[kPageKindCount] = {};
   available[kPageNone] = true;
   available[kPageVM] = true;
   auto shown = [&](const PageInputs &inputs) {
      std::optional<StatusPageKind> kind = ChoosePage(inputs);
      return kind ? statuspane::AvailablePage(*kind, available) : kPageKindCount;
   };
   EXPECT_EQ(shown(Current("vm")), kPageVM);
   EXPECT_EQ(shown(Current("vm", 1)), kPageVM);
   for (const char *type : {"mvmt", "hotfix", "team", "quen"}) {
      EXPECT_EQ(shown(Current(type)), kPageNone) << type;
   }
   EXPECT_EQ(shown(Current("home", 0, false)), kPageNone);
   EXPECT_EQ(shown(Current("home", 0, true)), kPageNone);
   EXPECT_EQ(shown(Current("home", 1, false, true)), kPageNone);
   EXPECT_EQ(shown(Current("home", 1, false, false)), kPageNone);
   EXPECT_EQ(shown(PageInputs{false, "", 0, false, false}), kPageNone);
   // An unknown type still leaves the shown page alone.
   EXPECT_EQ(shown(Current("server")), kPageKindCount);

   // A page whose window exists is shown, whichever it is.
   available[kPageTeam] = true;
   EXPECT_EQ(shown(Current("team")), kPageTeam);
   EXPECT_EQ(statuspane::AvailablePage(kPageKindCount, available), kPageNone);
}

TEST(StatusPaneScrolling, OffsetStaysBetweenClientLessExtentAndZero)
{
   using statuspane::OffsetAfterResize;
   // The page fits: no offset.
   EXPECT_EQ(OffsetAfterResize(-40, 500, 300), 0);
   EXPECT_EQ(OffsetAfterResize(0, 300, 300), 0);
   // Smaller pane: an offset within range stays, one past the end is pulled back.
   EXPECT_EQ(OffsetAfterResize(-40, 200, 300), -40);
   EXPECT_EQ(OffsetAfterResize(-150, 200, 300), -100);
   EXPECT_EQ(OffsetAfterResize(0, 200, 300), 0);
}

TEST(StatusPaneScrolling, RequestsMoveByLinesPagesAndToTheEnds)
{
   using statuspane::ScrollPosition;
   // A page of 500 in a pane of 200: positions run from 0 to 300.
   EXPECT_EQ(ScrollPosition(SB_LINEDOWN, 0, 0, 200, 500), 8);
   EXPECT_EQ(ScrollPosition(SB_LINEDOWN, 0, 296, 200, 500), 300);
   EXPECT_EQ(ScrollPosition(SB_LINEUP, 0, 5, 200, 500), 0);
   EXPECT_EQ(ScrollPosition(SB_PAGEDOWN, 0, 0, 200, 500), 200);
   EXPECT_EQ(ScrollPosition(SB_PAGEDOWN, 0, 200, 200, 500), 300);
   EXPECT_EQ(ScrollPosition(SB_PAGEUP, 0, 150, 200, 500), 0);
   EXPECT_EQ(ScrollPosition(SB_BOTTOM, 0, 0, 200, 500), 300);
   EXPECT_EQ(ScrollPosition(SB_TOP, 0, 120, 200, 500), 0);
   EXPECT_EQ(ScrollPosition(SB_THUMBTRACK, 77, 0, 200, 500), 77);
   EXPECT_EQ(ScrollPosition(SB_THUMBPOSITION, 40000, 0, 200, 50000), 40000);
   EXPECT_FALSE(ScrollPosition(SB_ENDSCROLL, 0, 10, 200, 500).has_value());
   // A pane larger than the page has no room to scroll.
   EXPECT_EQ(ScrollPosition(SB_BOTTOM, 0, 0, 800, 500), 0);
   EXPECT_EQ(ScrollPosition(SB_LINEDOWN, 0, 0, 800, 500), 0);
}

TEST(MachinePageRules, ScreenshotOnlyForASuspendedLocalMachine)
{
   using statusvm::ChooseScreenshotAction;
   using statusvm::ScreenshotAction;
   EXPECT_EQ(ChooseScreenshotAction(0, 2, false, 8, false), ScreenshotAction::kRequest);
   // Once asked, no second request until the answer comes.
   EXPECT_EQ(ChooseScreenshotAction(0, 2, false, 8, true), ScreenshotAction::kWait);
   EXPECT_EQ(ChooseScreenshotAction(0, 2, true, 8, false), ScreenshotAction::kKeep);
   // Old configurations have none, and are never asked.
   EXPECT_EQ(ChooseScreenshotAction(0, 2, false, 7, false), ScreenshotAction::kNoScreenshot);
   EXPECT_EQ(ChooseScreenshotAction(0, 1, true, 8, false), ScreenshotAction::kHide);
   EXPECT_EQ(ChooseScreenshotAction(0, 0, false, 8, false), ScreenshotAction::kHide);
   EXPECT_EQ(ChooseScreenshotAction(1, 2, false, 8, false), ScreenshotAction::kHide);
}

TEST(MachinePageRules, AScreenshotAnswerCountsOnlyForTheMachineItWasAskedFor)
{
   using statusvm::ChooseScreenshotAction;
   using statusvm::ScreenshotAction;
   statusvm::ScreenshotRequest request;
   EXPECT_FALSE(request.IsPending());
   unsigned first = request.Begin();
   EXPECT_TRUE(request.IsPending());
   // The page moves on to another suspended machine: it may ask at once...
   request.Forget();
   EXPECT_EQ(ChooseScreenshotAction(0, 2, false, 8, request.IsPending()), ScreenshotAction::kRequest);
   unsigned second = request.Begin();
   // ...and the first machine's late answer is not taken for the second's.
   EXPECT_FALSE(request.Accept(first));
   EXPECT_TRUE(request.IsPending());
   EXPECT_TRUE(request.Accept(second));
   EXPECT_FALSE(request.IsPending());
   // An answer comes once: a repeat is dropped.
   EXPECT_FALSE(request.Accept(second));
   // Forgetting with nothing out changes nothing for the next request.
   request.Forget();
   unsigned third = request.Begin();
   EXPECT_TRUE(request.Accept(third));
}

TEST(MachinePageRules, StateTextsRowsAndListenerText)
{
   EXPECT_EQ(statusvm::PowerStateStringId(0), 9u);
   EXPECT_EQ(statusvm::PowerStateStringId(1), 8u);
   EXPECT_EQ(statusvm::PowerStateStringId(2), 10u);
   EXPECT_EQ(statusvm::PowerStateStringId(3), 0u);
   EXPECT_FALSE(statusvm::IsPowerButtonEnabled(0));
   EXPECT_TRUE(statusvm::IsPowerButtonEnabled(1));
   EXPECT_TRUE(statusvm::IsPowerButtonEnabled(2));

   EXPECT_EQ(statusvm::JoinAncestors({"Base", "Middle", "Parent"}), "Base\r\nMiddle\r\nParent");
   EXPECT_EQ(statusvm::JoinAncestors({"Only"}), "Only");
   EXPECT_EQ(statusvm::JoinAncestors({}), "");

   EXPECT_EQ(statusvm::RemoteDisplayStringId(1), 41897u);
   EXPECT_EQ(statusvm::RemoteDisplayStringId(0), 41898u);
   EXPECT_EQ(statusvm::RemoteDisplayStringId(3), 41898u);

   // Rows stack in the order remote display, snapshot, clone; hidden rows take no place.
   statusvm::RowTops all = statusvm::StackOptionalRows(100, 12, true, true, true);
   EXPECT_EQ(all.remote, 100);
   EXPECT_EQ(all.snapshot, 112);
   EXPECT_EQ(all.clone, 124);
   statusvm::RowTops noRemote = statusvm::StackOptionalRows(100, 12, false, true, true);
   EXPECT_EQ(noRemote.snapshot, 100);
   EXPECT_EQ(noRemote.clone, 112);
   statusvm::RowTops cloneOnly = statusvm::StackOptionalRows(100, 12, false, false, true);
   EXPECT_EQ(cloneOnly.clone, 100);
}

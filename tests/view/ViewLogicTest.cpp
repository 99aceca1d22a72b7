// The tabbed view's rules, without windows: the child a view type shows, the context menu of each
// tab kind (read from the program's resources), the places of the tab strip and the console, a
// team's reserved space, when a team goes to its console, and which record shows a machine.
#include "resource.h"
#include "zoltView.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

bool SameRect(const RECT &a, const RECT &b)
{
   return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::set<UINT> CommandsOfMenu(unsigned menuId)
{
   std::set<UINT> ids;
   HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId));
   HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
   for (int i = 0; popup && i < GetMenuItemCount(popup); ++i) {
      UINT id = GetMenuItemID(popup, i);
      if (id != 0 && id != static_cast<UINT>(-1)) {
         ids.insert(id);
      }
   }
   if (menu) {
      DestroyMenu(menu);
   }
   return ids;
}

TEST(ViewChildren, EachViewTypeShowsExactlyItsChild)
{
   zoltview::ShownChildren summary = zoltview::ChildrenForViewType("summary");
   EXPECT_TRUE(summary.summary && !summary.appliance && !summary.console);
   zoltview::ShownChildren appliance = zoltview::ChildrenForViewType("appliance");
   EXPECT_TRUE(!appliance.summary && appliance.appliance && !appliance.console);
   zoltview::ShownChildren console = zoltview::ChildrenForViewType("console");
   EXPECT_TRUE(!console.summary && !console.appliance && console.console);
   for (const char *odd : {"", "Console", "sideways"}) {
      zoltview::ShownChildren none = zoltview::ChildrenForViewType(odd);
      EXPECT_FALSE(none.summary || none.appliance || none.console) << "\"" << odd << "\" shows nothing";
   }
}

TEST(ViewContextMenu, TabKindsWithAMenuGetTheirOwnFromTheResources)
{
   // Kind, menu and one command each menu must offer.
   struct Expected {
      long kind;
      unsigned menu;
      std::vector<UINT> commands;
   };
   const Expected expected[] = {
      {1, 616, {617}},
      {4, 527, {431, 613, 41402, 41405, 528, 41410}},
      {7, 415, {429, 166, 40062, 40019, 40020, 40021, 40059, 40060, 513, 40046}},
      {8, 415, {40062, 40019}},
      {11, 432, {430, 446, 437, 41899, 40062, 40046}},
      {14, 680, {681, 682, 683}},
      {17, 346, {347}},
   };
   for (const Expected &e : expected) {
      EXPECT_EQ(zoltview::ContextMenuOfTabKind(e.kind), e.menu) << "kind " << e.kind;
      std::set<UINT> commands = CommandsOfMenu(e.menu);
      EXPECT_FALSE(commands.empty()) << "menu " << e.menu << " loads with a popup";
      for (UINT id : e.commands) {
         EXPECT_TRUE(commands.count(id)) << "menu " << e.menu << " offers " << id;
      }
   }
   // Side-bar kinds and anything out of range have no tab menu.
   for (long kind : {-1L, 0L, 2L, 3L, 5L, 6L, 9L, 10L, 12L, 13L, 15L, 16L, 18L, 19L, 21L}) {
      EXPECT_EQ(zoltview::ContextMenuOfTabKind(kind), 0u) << "kind " << kind;
   }
}

TEST(ViewLayout, TabStripTakesTheTopRowUnlessHiddenOrFullScreen)
{
   RECT client = {0, 0, 640, 480};
   zoltview::ViewLayout tabs = zoltview::ComputeViewLayout(client, true, false);
   EXPECT_TRUE(tabs.showTabs);
   EXPECT_TRUE(SameRect(tabs.tabs, RECT{0, 0, 640, zoltview::kTabStripHeight}));
   EXPECT_TRUE(SameRect(tabs.console, RECT{0, zoltview::kTabStripHeight, 640, 480}));

   for (zoltview::ViewLayout bare :
        {zoltview::ComputeViewLayout(client, false, false), zoltview::ComputeViewLayout(client, true, true)}) {
      EXPECT_FALSE(bare.showTabs);
      EXPECT_TRUE(SameRect(bare.console, client)) << "the console gets the whole view";
   }

   // A view lower than the strip: the console is empty, never upside down.
   zoltview::ViewLayout low = zoltview::ComputeViewLayout(RECT{0, 0, 300, 10}, true, false);
   EXPECT_EQ(low.console.top, 10);
   EXPECT_EQ(low.console.bottom, 10);
}

TEST(ViewLayout, TeamsLeaveTheConsolesReservedSpace)
{
   RECT console = {0, 24, 640, 480};
   EXPECT_TRUE(SameRect(zoltview::AdjustForTeam(console, true, 100, 40), RECT{0, 24, 540, 440}));
   EXPECT_TRUE(SameRect(zoltview::AdjustForTeam(console, false, 100, 40), console)) << "machines keep it all";
   EXPECT_TRUE(SameRect(zoltview::AdjustForTeam(console, true, 1000, 1000), RECT{0, 24, 0, 24}))
       << "more reserved than there is leaves an empty area";
   EXPECT_TRUE(SameRect(zoltview::AdjustForTeam(console, true, -5, -5), console)) << "nothing negative is added";
}

TEST(ViewPower, TeamGoesToItsConsoleOnlyWhenItsStateTurnsOnOrStaysOnInTheConsole)
{
   const int on = 0, off = 1, suspended = 2;
   int last = off;
   EXPECT_TRUE(zoltview::TeamGoesToConsole(on, last, "summary")) << "powered on now";
   EXPECT_EQ(last, on);
   EXPECT_FALSE(zoltview::TeamGoesToConsole(on, last, "summary")) << "unchanged: a summary tab stays";
   EXPECT_TRUE(zoltview::TeamGoesToConsole(on, last, "console")) << "unchanged: a console tab stays";
   EXPECT_FALSE(zoltview::TeamGoesToConsole(suspended, last, "console")) << "suspended: back to the summary";
   EXPECT_EQ(last, suspended);
   EXPECT_FALSE(zoltview::TeamGoesToConsole(suspended, last, "console"));
   EXPECT_FALSE(zoltview::TeamGoesToConsole(off, last, "console"));
   EXPECT_EQ(last, off);
}

TEST(ViewPower, TheFirstRecordThatShowsTheMachineIsChosen)
{
   const std::string vm = "/vm/#0002/";
   std::map<std::string, bool> teamHolds = {{"C:\\a.vmtm", false}, {"C:\\b.vmtm", true}};
   std::map<std::string, std::string> templateMachine = {{"C:\\t.vmxa", vm}, {"C:\\u.vmxa", "/vm/#0009/"}};
   auto holds = [&](const std::string &path) { return teamHolds[path]; };
   auto machineOf = [&](const std::string &path) { return templateMachine[path]; };
   using Records = std::vector<zoltview::OpenedObjRecord>;
   const zoltview::OpenedObjRecord home = {"/r/#0000/", "home", ""};
   const zoltview::OpenedObjRecord other = {"/r/#0001/", "vm", "/vm/#0001/"};
   const zoltview::OpenedObjRecord own = {"/r/#0002/", "vm", vm};
   const zoltview::OpenedObjRecord teamA = {"/r/#0003/", "team", "C:\\a.vmtm"};
   const zoltview::OpenedObjRecord teamB = {"/r/#0004/", "team", "C:\\b.vmtm"};
   const zoltview::OpenedObjRecord tmplT = {"/r/#0005/", "mvmt", "C:\\t.vmxa"};
   const zoltview::OpenedObjRecord tmplU = {"/r/#0006/", "mvmt", "C:\\u.vmxa"};
   // A hot-fix record whose path happens to read like the machine's matches nothing.
   const zoltview::OpenedObjRecord hotfix = {"/r/#0007/", "hotfix", vm};

   EXPECT_EQ(zoltview::FindRecordOfMachine(Records{home, other, own}, vm, holds, machineOf), 2);
   EXPECT_EQ(zoltview::FindRecordOfMachine(Records{home, teamA, teamB, own}, vm, holds, machineOf), 2)
       << "a team that holds the machine, before its own tab";
   EXPECT_EQ(zoltview::FindRecordOfMachine(Records{tmplU, tmplT, own}, vm, holds, machineOf), 1);
   EXPECT_EQ(zoltview::FindRecordOfMachine(Records{hotfix, teamA, tmplU, other}, vm, holds, machineOf), -1);
   EXPECT_EQ(zoltview::FindRecordOfMachine(Records{own, own}, vm, holds, machineOf), 0)
       << "a machine shown by two tabs: only the first";
   EXPECT_EQ(zoltview::FindRecordOfMachine(Records{home, own}, "", holds, machineOf), -1) << "no machine path";
}

}  // namespace

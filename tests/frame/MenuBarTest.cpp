// The menu bar: which menus show, how each command is routed, the Window menu's list of tabs, tab
// switching through the database, and the team's next and previous machine.
#include "FrameTestEnv.h"
#include "resource.h"
#include "zoltFrame.h"
#include "zoltMenuUtil.h"

#include "cui/AppDataPaths.h"
#include "cui/Team.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string AddRecord(vmdb::Ctx &ctx, const std::string &type, const std::string &path)
{
   std::string record = ctx.Append(cui::appdata::kOpenedObjElements);
   ctx.Set(record + "type", type);
   ctx.Set(record + "path", path);
   return record;
}

std::vector<std::string> ButtonTexts(HWND toolbar)
{
   std::vector<std::string> texts;
   int count = static_cast<int>(SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0));
   for (int i = 0; i < count; ++i) {
      char text[64] = {};
      SendMessageA(toolbar, TB_GETBUTTONTEXTA, i, reinterpret_cast<LPARAM>(text));
      texts.push_back(text);
   }
   return texts;
}

TEST(MenuBarRoutes, EachGroupGoesItsWayAndTheWindowListStopsAtItsLastId)
{
   EXPECT_EQ(MenuBarRouteOf(IDM_FILE_EXIT), MenuRoute::Global);
   EXPECT_EQ(MenuBarRouteOf(IDM_VIEW_SIDEBAR), MenuRoute::Global);
   EXPECT_EQ(MenuBarRouteOf(IDM_VM_POWER_ON), MenuRoute::Object);
   EXPECT_EQ(MenuBarRouteOf(IDM_VM_SNAPSHOT_TAKE), MenuRoute::Object);
   EXPECT_EQ(MenuBarRouteOf(IDM_TEAM_POWER_ON), MenuRoute::CurrentObject);
   EXPECT_EQ(MenuBarRouteOf(IDM_ZEPHRO_POLICIES), MenuRoute::CurrentObject);
   EXPECT_EQ(MenuBarRouteOf(IDM_TEAM_SWITCH_FIRST_VM), MenuRoute::TeamSwitch);
   EXPECT_EQ(MenuBarRouteOf(41590), MenuRoute::TeamSwitch);
   EXPECT_EQ(MenuBarRouteOf(41591), MenuRoute::None);
   EXPECT_EQ(MenuBarRouteOf(IDM_TEAM_NEXT_VM), MenuRoute::TeamSwitch);
   EXPECT_EQ(MenuBarRouteOf(IDM_TEAM_ADD_CLONE), MenuRoute::TeamAdd);
   EXPECT_EQ(MenuBarRouteOf(41701), MenuRoute::TeamRemove);
   EXPECT_EQ(MenuBarRouteOf(50150), MenuRoute::Devices);
   EXPECT_EQ(MenuBarRouteOf(40500), MenuRoute::RecentSnapshots);
   EXPECT_EQ(MenuBarRouteOf(IDM_WINDOW_NEXT_TAB), MenuRoute::Tabs);
   EXPECT_EQ(MenuBarRouteOf(40089), MenuRoute::WindowMenu);
   EXPECT_EQ(MenuBarRouteOf(IDM_WINDOW_LAST_TAB), MenuRoute::WindowMenu);
   EXPECT_EQ(MenuBarRouteOf(40189), MenuRoute::None);
   EXPECT_EQ(MenuBarRouteOf(IDM_HELP_CHECK_UPDATES), MenuRoute::Global) << "40192 is no tab";
}

TEST(MenuBarRoutes, NextAndPreviousMachineWrapAndAnEmptyTeamHasNone)
{
   EXPECT_EQ(NextTeamVMIndex(0, 0, true), -1);
   EXPECT_EQ(NextTeamVMIndex(-1, 0, false), -1);
   EXPECT_EQ(NextTeamVMIndex(2, 3, true), 0);
   EXPECT_EQ(NextTeamVMIndex(0, 3, false), 2);
   EXPECT_EQ(NextTeamVMIndex(-1, 3, true), 1) << "a current machine not in the list counts as the first";
   EXPECT_EQ(NextTeamVMIndex(0, 1, true), 0);
}

TEST(MenuBarMenus, FavoritesAndInventoryNeverShowAndTheModeChoosesHostTeamAndZephro)
{
   EXPECT_EQ(RemovedTopLevelMenus(true, 0), (std::vector<int>{5, 4, 3}));
   EXPECT_EQ(RemovedTopLevelMenus(false, 1), (std::vector<int>{8, 7, 4, 3}));
   EXPECT_EQ(RemovedTopLevelMenus(false, 0), (std::vector<int>{8, 5, 4, 3}));

   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("menu bar test"));
   CZOLTMenubar &menubar = frame.GetCmdbar().GetMenubar();
   EXPECT_EQ(ButtonTexts(menubar.m_hWnd),
             (std::vector<std::string>{"&File", "&Edit", "&View", "V&M", "&Team", "&Window", "&Help"}));
   HMENU vm = GetSubMenu(menubar.GetMenu(), 3);
   MENUITEMINFOA info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_ID;
   ASSERT_TRUE(GetMenuItemInfoA(vm, 0, TRUE, &info));
   EXPECT_EQ(info.wID, 40073u) << "the VM > Power popup carries its id";
   frame.DestroyWindow();
}

TEST(MenuBarMenus, WindowMenuListsTheTabsWithNumbersAndEndsAtItsLastId)
{
   FrameTestEnv env;
   AddRecord(env.ctx, "home", "");
   std::string second = AddRecord(env.ctx, "team", "C:\\teams\\R&D.vmtm");
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("menu bar test"));
   CZOLTMenubar &menubar = frame.GetCmdbar().GetMenubar();
   HMENU window = menubar.GetWindowMenu();
   ASSERT_TRUE(window);
   EXPECT_EQ(GetMenuItemText(window, 40089), "&1   Home");
   EXPECT_EQ(GetMenuItemText(window, 40090), "&2   C:\\teams\\R&&D.vmtm") << "ampersands are doubled";
   EXPECT_EQ(GetMenuItemPath(window, 40090, false), second);
   EXPECT_EQ(GetMenuItemCount(window), 5) << "two tabs, a separator, next and previous";

   for (int i = 0; i < 110; ++i) {
      AddRecord(env.ctx, "vm", "/vm/#" + std::to_string(1000 + i) + "/");
   }
   menubar.RebuildWindowsMenu();
   EXPECT_TRUE(GetMenuItemText(window, IDM_WINDOW_LAST_TAB).size() > 0);
   EXPECT_EQ(GetMenuState(window, IDM_WINDOW_LAST_TAB + 1, MF_BYCOMMAND), static_cast<UINT>(-1));
   EXPECT_EQ(GetMenuState(window, IDM_HELP_CHECK_UPDATES, MF_BYCOMMAND), static_cast<UINT>(-1))
       << "the list never takes another command's id";
   EXPECT_EQ(GetMenuItemCount(window), 100 + 3);
   frame.DestroyWindow();
}

TEST(MenuBarMenus, WindowMenuShowsTabNamesInAnyScript)
{
   FrameTestEnv env;
   const std::string greek = u8"C:\\\u0395\u03b9\u03ba\u03bf\u03bd\u03b9\u03ba\u03ad\u03c2\\\u0394\u03bf\u03ba\u03b9\u03bc\u03ae.vmtm";
   const std::string cjk = u8"D:\\\u4eee\u60f3\u30de\u30b7\u30f3 & \u30c6\u30b9\u30c8.vmtm";
   AddRecord(env.ctx, "team", greek);
   std::string second = AddRecord(env.ctx, "team", cjk);
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("menu bar test"));
   HMENU window = frame.GetCmdbar().GetMenubar().GetWindowMenu();
   ASSERT_TRUE(window);
   wchar_t shown[256] = L"";
   GetMenuStringW(window, 40089, shown, 256, MF_BYCOMMAND);
   EXPECT_STREQ(shown, L"&1   C:\\\u0395\u03b9\u03ba\u03bf\u03bd\u03b9\u03ba\u03ad\u03c2\\\u0394\u03bf\u03ba\u03b9\u03bc\u03ae.vmtm");
   GetMenuStringW(window, 40090, shown, 256, MF_BYCOMMAND);
   EXPECT_STREQ(shown, L"&2   D:\\\u4eee\u60f3\u30de\u30b7\u30f3 && \u30c6\u30b9\u30c8.vmtm");
   EXPECT_EQ(GetMenuItemText(window, 40090), u8"&2   D:\\\u4eee\u60f3\u30de\u30b7\u30f3 && \u30c6\u30b9\u30c8.vmtm");
   EXPECT_EQ(GetMenuItemPath(window, 40090, false), second);
   frame.DestroyWindow();
}

// A team whose machines and LANs the test gives.
class ListTeam : public wui::Team {
public:
   ListTeam() : wui::Team("C:\\teams\\Lab.vmtm", "Lab") {}
   void AddVM(cui::VM *vm) { vms_.push_back(vm); }
   void AddNet(const std::string &id, const std::string &name) { nets_.push_back(new cui::TeamNet(id, name, 0, 0)); }
};

TEST(MenuBarMenus, TeamListsStopAtTheirLastIdsAndPartTheLansFromTheMachines)
{
   FrameTestEnv env;
   std::vector<std::unique_ptr<cui::VM>> vms;
   auto owned = std::make_unique<ListTeam>();
   ListTeam *team = owned.get();
   for (int i = 0; i < 100; ++i) {
      char path[32];
      snprintf(path, sizeof path, "/vm/#%04d/", 100 + i);
      env.ctx.Set(std::string(path) + "cfgFile", "C:\\vms\\m" + std::to_string(i) + ".vmx");
      // Names that sort against their order of addition: "m99" first, "m00" last.
      char name[8];
      snprintf(name, sizeof name, "m%02d", 99 - i);
      env.ctx.Set(std::string(path) + "vmx/cfgState/val/displayName", name);
      vms.push_back(std::make_unique<cui::VM>(env.ctx, path, nullptr));
      team->AddVM(vms.back().get());
      team->AddNet("pvn-" + std::to_string(i), "LAN " + std::to_string(i));
   }
   env.teams->AddTeam(std::move(owned));
   std::string record = AddRecord(env.ctx, "team", team->GetFilename());
   env.prefs->SetCurrentObj(record);

   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("menu bar test"));
   CZOLTMenubar &menubar = frame.GetCmdbar().GetMenubar();
   HMENU teamMenu = menubar.GetTeamMenu();
   ASSERT_TRUE(teamMenu);
   HMENU switchTo = FindPopupById(teamMenu, IDM_TEAM_SWITCH_MENU);
   HMENU remove = FindPopupById(teamMenu, IDM_TEAM_REMOVE_MENU);
   ASSERT_TRUE(switchTo && remove);

   menubar.RebuildTeamSwitchMenu(switchTo);
   EXPECT_EQ(GetMenuItemCount(switchTo), 90 + 3) << "90 machines, a separator, next and previous";
   EXPECT_NE(GetMenuState(switchTo, IDM_TEAM_SWITCH_LAST_VM, MF_BYCOMMAND), static_cast<UINT>(-1));
   EXPECT_EQ(GetMenuState(switchTo, IDM_TEAM_SWITCH_LAST_VM + 2, MF_BYCOMMAND), static_cast<UINT>(-1));
   EXPECT_NE(GetMenuItemText(switchTo, IDM_TEAM_SWITCH_FIRST_VM).find("m00"), std::string::npos)
      << "sorted by name: " << GetMenuItemText(switchTo, IDM_TEAM_SWITCH_FIRST_VM);

   menubar.RebuildTeamRemoveMenu(remove);
   EXPECT_EQ(GetMenuItemCount(remove), 90 + 1 + 90) << "90 machines, a separator, 90 LANs";
   EXPECT_TRUE(IsMenuSeparatorAt(remove, 90));
   EXPECT_EQ(GetMenuState(remove, IDM_TEAM_REMOVE_LAST_VM + 2, MF_BYCOMMAND), static_cast<UINT>(-1));
   EXPECT_EQ(GetMenuState(remove, IDM_TEAM_REMOVE_LAST_LAN + 2, MF_BYCOMMAND), static_cast<UINT>(-1));
   EXPECT_EQ(GetMenuItemText(remove, IDM_TEAM_REMOVE_FIRST_LAN), "&A   LAN 0");
   EXPECT_EQ(GetMenuItemPath(remove, IDM_TEAM_REMOVE_FIRST_LAN, false), "pvn-0") << "a LAN carries its network id";
   EXPECT_EQ(GetMenuItemPath(remove, IDM_TEAM_REMOVE_FIRST_VM, false), team->GetSortedVMList().front()->GetVmPath());
   frame.DestroyWindow();
}

TEST(MenuBarTabs, NextAndPreviousTabWrapThroughTheOpenedObjects)
{
   FrameTestEnv env;
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("menu bar test"));
   CZOLTMenubar &menubar = frame.GetCmdbar().GetMenubar();
   menubar.SwitchWindow(true);   // nothing opened: nothing happens
   EXPECT_EQ(env.ctx.Get(cui::appdata::kCurrentObj), "");

   std::string first = AddRecord(env.ctx, "home", "");
   AddRecord(env.ctx, "team", "a.vmtm");
   std::string last = AddRecord(env.ctx, "team", "b.vmtm");
   env.prefs->SetCurrentObj(last);
   menubar.SwitchWindow(true);
   EXPECT_EQ(env.prefs->GetCurrentObj(), first);
   menubar.SwitchWindow(false);
   EXPECT_EQ(env.prefs->GetCurrentObj(), last);

   // The Window menu's item makes its tab current.
   menubar.RebuildWindowsMenu();
   SendMessageA(menubar.m_hWnd, WM_COMMAND, 40089, 0);
   EXPECT_EQ(env.prefs->GetCurrentObj(), first);
   frame.DestroyWindow();
}

// Closes a popup left open by a test that went wrong, so the test fails instead of hanging.
VOID CALLBACK EndStuckMenu(HWND, UINT, UINT_PTR, DWORD)
{
   EndMenu();
}

TEST(MenuBarTracking, AnItemChosenInAnOpenPopupIsCarriedOut)
{
   FrameTestEnv env;
   std::string first = AddRecord(env.ctx, "home", "");
   std::string second = AddRecord(env.ctx, "team", "a.vmtm");
   env.prefs->SetCurrentObj(second);
   CZOLTFrame frame;
   ASSERT_TRUE(frame.CreateFrame("menu bar test"));
   CZOLTMenubar &menubar = frame.GetCmdbar().GetMenubar();
   std::vector<std::string> texts = ButtonTexts(menubar.m_hWnd);
   auto window = std::find(texts.begin(), texts.end(), "&Window");
   ASSERT_NE(window, texts.end());
   int index = static_cast<int>(window - texts.begin());

   // The popup's own loop reads the key typed while it is open: "&1" is the first tab.
   UINT_PTR timer = SetTimer(nullptr, 0, 5000, EndStuckMenu);
   PostMessageA(frame.m_hWnd, WM_CHAR, '1', 0);
   menubar.TrackMenu(index);
   EXPECT_EQ(menubar.GetMode(), CZOLTMenubar::MODE_IDLE);
   FrameTestEnv::Drain();
   EXPECT_EQ(env.prefs->GetCurrentObj(), first) << "the chosen tab became current";

   // Escape closes the popup without a choice and leaves the bar in keyboard mode.
   PostMessageA(frame.m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
   menubar.TrackMenu(index);
   EXPECT_EQ(menubar.GetMode(), CZOLTMenubar::MODE_KEYBOARD);
   FrameTestEnv::Drain();
   EXPECT_EQ(env.prefs->GetCurrentObj(), first);
   KillTimer(nullptr, timer);
   frame.DestroyWindow();
}

}  // namespace

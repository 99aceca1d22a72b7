// The state of menu items on the program's menu resources, asked of a real application object:
// no current object, a team, remote mode without a session, the clipboard items, the Window
// menu, and the walk over a popup that takes items out.
#include "AppTestEnvironment.h"
#include "zoltApp.h"
#include "zoltMenuUtil.h"

#include "res/resource.h"

#include "atl/Atl.h"
#include "atl/ClassTable.h"
#include "cui/AppDataPaths.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"
#include "vmdb/ClientClasses.h"
#include "vmdb/Classes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

ZOLT_APP_TEST_ENVIRONMENT();

const std::string kRecord = std::string(cui::appdata::kOpenedObjElements) + "menuTest/";

// A team manager that takes teams from the test.
class TestTeamMgr : public wui::TeamMgr {
public:
   using cui::TeamMgr::AddTeam;
};

// A machine manager that takes machines from the test.
class TestVMMgr : public wui::VMMgr {
public:
   TestVMMgr() : wui::VMMgr(nullptr) {}
   using cui::VMMgr::AddVM;
};

const char kVMPath[] = "/vm/#menuTest/";

class MenuState : public ::testing::Test {
protected:
   void SetUp() override
   {
      ctx_ = gApp->GetContext();
      cui::GetPrefs()->SetUIMode(cui::Prefs::UI_MODE_LOCAL);
      wui::GetPrefs()->SetCurrentObj("");
      main_ = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
      ASSERT_NE(main_, nullptr);
   }
   void TearDown() override
   {
      DestroyMenu(main_);
      if (teams_) {
         cui::SetTeamMgr(oldTeams_);
      }
      if (vms_) {
         cui::SetVMMgr(oldVMs_);
         vms_.reset();
      }
      ctx_->RemoveNode("/vm/#menuTest", VARIANT_TRUE);
      ctx_->RemoveNode(kRecord.c_str(), VARIANT_TRUE);
      ctx_->RemoveNode(cui::appdata::kSessionActive, VARIANT_TRUE);
      ctx_->RemoveNode("/user/vmlistState/val/item/#menuTest", VARIANT_TRUE);
   }

   // Top-level menu `index` of the main menu after the walk, as the menu bar would ask it.
   HMENU Walk(int index, const char *path = "")
   {
      HMENU sub = GetSubMenu(main_, index);
      gApp->UpdatePopupMenu(sub, kSourceMenuBar, _bstr_t(path));
      return sub;
   }
   bool Has(HMENU menu, UINT id) { return FindMenuHoldingItem(id, menu, true) != nullptr; }
   bool Enabled(HMENU menu, UINT id) { return !(GetMenuState(menu, id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)); }
   bool Checked(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

   wui::Team *AddTeam(const char *file)
   {
      if (!teams_) {
         oldTeams_ = cui::GetTeamMgr();
         teams_ = std::make_unique<TestTeamMgr>();
         cui::SetTeamMgr(teams_.get());
      }
      auto team = std::make_unique<wui::Team>(file, "Lab");
      wui::Team *added = team.get();
      teams_->AddTeam(std::move(team));
      return added;
   }
   // A machine the host has registered, in the given power state ("poweredOn", "poweredOff").
   cui::VM *AddVM(const char *execState, bool restricted = false)
   {
      const std::string cfg = std::string(kVMPath) + "vmx/cfgState/val/";
      ctx_->WriteValue((std::string(kVMPath) + "cfgFile").c_str(), _variant_t("C:\\VMs\\Menu.vmx"));
      ctx_->WriteValue((cfg + "displayName").c_str(), _variant_t("Menu"));
      ctx_->WriteValue((cfg + "gui/restricted").c_str(), _variant_t(static_cast<short>(restricted ? 1 : 0)));
      ctx_->WriteValue((std::string(kVMPath) + "vmx/execState/val").c_str(), _variant_t(execState));
      ctx_->WriteValue((std::string(kVMPath) + "present").c_str(), _variant_t(static_cast<short>(1)));
      oldVMs_ = cui::GetVMMgr();
      vms_ = std::make_unique<TestVMMgr>();
      cui::SetVMMgr(vms_.get());
      auto vm = std::make_unique<wui::VM>(gApp->GetModelCtx(), kVMPath, nullptr);
      cui::VM *added = vm.get();
      vms_->AddVM(std::move(vm));
      return added;
   }
   void MakeCurrent(const char *type, const char *path)
   {
      ctx_->WriteValue((kRecord + "type").c_str(), _variant_t(type));
      ctx_->WriteValue((kRecord + "path").c_str(), _variant_t(path));
      wui::GetPrefs()->SetCurrentObj(kRecord);
   }

   IVmdbContextPtr ctx_;
   HMENU main_ = nullptr;
   std::unique_ptr<TestTeamMgr> teams_;
   cui::TeamMgr *oldTeams_ = nullptr;
   std::unique_ptr<TestVMMgr> vms_;
   cui::VMMgr *oldVMs_ = nullptr;
};

TEST_F(MenuState, NoCurrentObjectGreysObjectCommandsAndTakesOutHiddenItems)
{
   HMENU file = Walk(0);
   EXPECT_FALSE(Enabled(file, IDM_FILE_CLOSE));
   EXPECT_FALSE(Enabled(file, IDM_FILE_FAVORITES));
   EXPECT_TRUE(Enabled(file, IDM_FILE_OPEN));
   EXPECT_TRUE(Enabled(file, IDM_FILE_EXIT));
   EXPECT_FALSE(Has(file, IDM_FILE_NEW_ZEPHRO_TEMPLATE)) << "no Zephro extension";
   EXPECT_FALSE(Has(file, IDM_FILE_CONNECT_ZEPHRO_SERVER));
   EXPECT_TRUE(Has(file, IDM_FILE_NEW_TEAM)) << "kept outside remote mode";

   HMENU view = Walk(2);
   EXPECT_FALSE(Has(view, IDM_VIEW_DATABASE_VIEWER));
   EXPECT_FALSE(Has(view, IDM_VIEW_TOOLBAR_ZEPHRO));
   EXPECT_FALSE(Enabled(view, IDM_VIEW_FULL_SCREEN));
   EXPECT_FALSE(Enabled(view, IDM_VIEW_CONSOLE));
   EXPECT_TRUE(Checked(view, IDM_VIEW_SUMMARY)) << "the view type defaults to the summary";
   EXPECT_FALSE(Checked(view, IDM_VIEW_CONSOLE));
   EXPECT_EQ(GetMenuItemText(view, IDM_VIEW_SIDEBAR), "Side&bar\tF9");

   HMENU host = Walk(5);
   EXPECT_FALSE(Has(host, IDM_HOST_DISCONNECT));
   EXPECT_FALSE(IsMenuSeparatorAt(host, GetMenuItemCount(host) - 1));

   HMENU vm = Walk(6);
   EXPECT_FALSE(Enabled(vm, IDM_VM_POWER_ON));
   EXPECT_FALSE(Enabled(vm, IDM_VM_SNAPSHOT_TAKE));
   EXPECT_FALSE(Has(vm, IDM_VM_SNAPSHOT_DELETE));
   EXPECT_FALSE(Has(vm, IDM_VM_FORK)) << "forks are off unless configured";
   EXPECT_FALSE(Has(vm, IDM_VM_REMOVE)) << "only in remote mode";
   EXPECT_FALSE(Has(vm, IDM_VM_REPLAY_GO_LIVE));
   EXPECT_FALSE(Enabled(vm, IDM_VM_SETTINGS));
   EXPECT_FALSE(Enabled(vm, IDM_VM_GRAB_INPUT));
   EXPECT_EQ(GetMenuItemText(vm, IDM_VM_TOOLS), "&Install Tools");

   HMENU help = Walk(10);
   EXPECT_FALSE(Has(help, IDM_HELP_ZEPHRO_GUIDE));
   EXPECT_EQ(GetMenuItemText(help, IDM_HELP_ABOUT), "&About " + CZOLTApp::GetAppTitle());
}

TEST_F(MenuState, RunningMachineEnablesItsCommands)
{
   cui::VM *vm = AddVM("poweredOn");
   ASSERT_EQ(vm->GetPowerState(), cui::VM::POWERED_ON);
   MakeCurrent("vm", kVMPath);

   EXPECT_TRUE(Enabled(Walk(0, kVMPath), IDM_FILE_CLOSE));
   EXPECT_EQ(GetMenuItemText(GetSubMenu(main_, 0), IDM_FILE_FAVORITES), "Add to &Favorites");
   HMENU view = Walk(2, kVMPath);
   EXPECT_TRUE(Enabled(view, IDM_VIEW_FULL_SCREEN));
   EXPECT_TRUE(Enabled(view, IDM_VIEW_FIT_GUEST));
   EXPECT_TRUE(Enabled(view, IDM_VIEW_CONSOLE));
   HMENU vmMenu = Walk(6, kVMPath);
   EXPECT_FALSE(Enabled(vmMenu, IDM_VM_POWER_ON)) << "already on";
   EXPECT_TRUE(Enabled(vmMenu, IDM_VM_POWER_OFF));
   EXPECT_TRUE(Enabled(vmMenu, IDM_VM_RESET));
   EXPECT_TRUE(Enabled(vmMenu, IDM_VM_CTRL_ALT_DEL));
   EXPECT_TRUE(Enabled(vmMenu, IDM_VM_CAPTURE_SCREEN));
   EXPECT_FALSE(Enabled(vmMenu, IDM_VM_CLONE)) << "a running machine is not cloned";
   EXPECT_FALSE(Enabled(vmMenu, IDM_VM_DELETE));
   EXPECT_TRUE(Enabled(vmMenu, IDM_VM_SETTINGS));

   // The machine's popup on a status page: no open, close or favourites items there.
   HMENU popup = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MENU_VM));
   HMENU items = GetSubMenu(popup, 0);
   gApp->UpdatePopupMenu(items, kSourceVMPopup, _bstr_t(kVMPath));
   EXPECT_FALSE(Has(items, IDM_VM_OPEN));
   EXPECT_FALSE(Has(items, IDM_VM_CLOSE));
   EXPECT_FALSE(Has(items, IDM_VM_FAVORITES));
   EXPECT_TRUE(Has(items, IDM_VM_REMOVE_FROM_TEAM)) << "only the status page's popup offers it";
   EXPECT_FALSE(Enabled(items, IDM_VM_REMOVE_FROM_TEAM)) << "the machine is in no team";
   EXPECT_FALSE(IsMenuSeparatorAt(items, 0)) << "no separator at the top";
   EXPECT_TRUE(Enabled(items, IDM_VM_POWER_OFF));
   DestroyMenu(popup);
}

TEST_F(MenuState, RestrictedMachineGreysTheRestrictedCommandsOnly)
{
   AddVM("poweredOn", true);
   MakeCurrent("vm", kVMPath);
   HMENU vmMenu = Walk(6, kVMPath);
   EXPECT_FALSE(Enabled(vmMenu, IDM_VM_POWER_OFF));
   EXPECT_FALSE(Enabled(vmMenu, IDM_VM_SETTINGS));
   EXPECT_FALSE(Enabled(vmMenu, IDM_VM_SNAPSHOT_MANAGER));
   EXPECT_TRUE(Enabled(vmMenu, IDM_VM_CTRL_ALT_DEL)) << "not a restricted command";
   HMENU view = Walk(2, kVMPath);
   EXPECT_FALSE(Enabled(view, IDM_VIEW_SIDEBAR));
   EXPECT_FALSE(Checked(view, IDM_VIEW_SIDEBAR)) << "no check mark while restricted";
   EXPECT_FALSE(Enabled(Walk(0, kVMPath), IDM_FILE_CLOSE));
}

TEST_F(MenuState, RemoteModeWithoutSessionGreysHostWork)
{
   cui::GetPrefs()->SetUIMode(cui::Prefs::UI_MODE_REMOTE);
   HMENU file = Walk(0);
   EXPECT_FALSE(Enabled(file, IDM_FILE_NEW_VM));
   EXPECT_FALSE(Enabled(file, IDM_FILE_OPEN));
   EXPECT_FALSE(Enabled(file, IDM_FILE_IMPORT));
   EXPECT_FALSE(Has(file, IDM_FILE_NEW_TEAM));
   EXPECT_FALSE(Has(file, IDM_FILE_MAP_DISKS));
   EXPECT_FALSE(Has(file, IDM_FILE_FAVORITES));
   HMENU host = Walk(5);
   EXPECT_FALSE(Enabled(host, IDM_HOST_NETWORK_SETTINGS));
   EXPECT_FALSE(Enabled(host, IDM_HOST_SETTINGS));
   EXPECT_TRUE(Enabled(host, IDM_HOST_SWITCH));
   EXPECT_EQ(GetMenuItemText(Walk(2), IDM_VIEW_SIDEBAR), "&Inventory\tF9");
   EXPECT_TRUE(Has(Walk(6), IDM_VM_REMOVE));

   ctx_->WriteValue(cui::appdata::kSessionActive, _variant_t(static_cast<short>(1)));
   DestroyMenu(main_);
   main_ = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
   file = Walk(0);
   EXPECT_TRUE(Enabled(file, IDM_FILE_OPEN)) << "an active session makes the host usable";
   EXPECT_TRUE(Enabled(file, IDM_FILE_IMPORT));
}

TEST_F(MenuState, TeamItemsFollowTheTeamAndTheFavorites)
{
   const char file[] = "C:\\Teams\\Lab.vmtm";
   AddTeam(file);
   HMENU popup = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MENU_TEAM));
   HMENU team = GetSubMenu(popup, 0);
   gApp->UpdatePopupMenu(team, kSourceTeamTab, _bstr_t(file));
   EXPECT_TRUE(Enabled(team, IDM_TEAM_CLOSE));
   EXPECT_TRUE(Enabled(team, IDM_TEAM_DELETE));
   EXPECT_FALSE(Has(team, IDM_TEAM_RENAME)) << "no rename from the team's own tab";
   EXPECT_FALSE(Enabled(team, IDM_TEAM_POWER_ON)) << "a team without machines cannot power on";
   EXPECT_EQ(GetMenuItemText(team, IDM_TEAM_POWER_ON), "Power &On") << "no key text outside the menu bar";
   EXPECT_EQ(GetMenuItemText(team, IDM_TEAM_FAVORITES), "Add to &Favorites");

   const char item[] = "/user/vmlistState/val/item/#menuTest/";
   ctx_->WriteValue((std::string(item) + "type").c_str(), _variant_t("team"));
   ctx_->WriteValue((std::string(item) + "type/team/cfgPath").c_str(), _variant_t("c:\\teams\\LAB.vmtm"));
   ctx_->WriteValue((std::string(item) + "present").c_str(), _variant_t(static_cast<short>(1)));
   gApp->UpdateMenuItemState(team, IDM_TEAM_FAVORITES, kSourceTeamTab, _bstr_t(file));
   EXPECT_EQ(GetMenuItemText(team, IDM_TEAM_FAVORITES), "Remove from &Favorites") << "listed, case aside";
   DestroyMenu(popup);

   // From the menu bar the team is the current object's, and the texts carry their keys.
   MakeCurrent("team", file);
   HMENU teamMenu = Walk(7, file);
   EXPECT_EQ(GetMenuItemText(teamMenu, IDM_TEAM_POWER_ON), "Power &On\tCtrl+Shift+B");
   EXPECT_FALSE(Enabled(teamMenu, IDM_TEAM_NEXT_VM)) << "next and previous need two machines";
   EXPECT_TRUE(Enabled(teamMenu, IDM_TEAM_ADD_NEW_VM));
   EXPECT_TRUE(Enabled(Walk(0, file), IDM_FILE_CLOSE)) << "an idle team can be closed";

   gApp->UpdatePopupMenu(GetSubMenu(main_, 7), kSourceMenuBar, _bstr_t("C:\\Teams\\Other.vmtm"));
   EXPECT_TRUE(Enabled(teamMenu, IDM_TEAM_ADD_NEW_VM)) << "the menu bar reads the current object";
}

TEST_F(MenuState, WalkReachesEveryItemWhileItemsAndSubmenusAreTakenOut)
{
   HMENU menu = CreatePopupMenu();
   AppendMenuA(menu, MF_STRING, IDM_VIEW_STATUS_BAR, "Status");
   AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
   AppendMenuA(menu, MF_STRING, IDM_VIEW_DATABASE_VIEWER, "Database");
   AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
   AppendMenuA(menu, MF_STRING, IDM_HOST_DISCONNECT, "Disconnect");
   HMENU sub = CreatePopupMenu();
   AppendMenuA(sub, MF_STRING, IDM_HELP_ZEPHRO_GUIDE, "Guide");
   AppendMenuA(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Emptied");
   AppendMenuA(menu, MF_STRING | MF_GRAYED, IDM_FILE_EXIT, "Exit");

   gApp->UpdatePopupMenu(menu, kSourceMenuBar, _bstr_t(""));
   // The database viewer goes with the separator before it; the disconnect item is followed by
   // the submenu, so it goes alone; the emptied submenu goes too.
   ASSERT_EQ(GetMenuItemCount(menu), 3);
   EXPECT_EQ(GetMenuItemID(menu, 0), static_cast<UINT>(IDM_VIEW_STATUS_BAR));
   EXPECT_TRUE(IsMenuSeparatorAt(menu, 1));
   EXPECT_EQ(GetMenuItemID(menu, 2), static_cast<UINT>(IDM_FILE_EXIT));
   EXPECT_TRUE(Enabled(menu, IDM_FILE_EXIT)) << "the last item was still reached";
   DestroyMenu(menu);
}

TEST_F(MenuState, WindowMenuMarksTheCurrentTabAndStopsAtItsLastId)
{
   MakeCurrent("home", "");
   HMENU menu = CreatePopupMenu();
   const std::string other = std::string(cui::appdata::kOpenedObjElements) + "other/";
   InsertMenuItemWithPath(menu, L"Home", 0, other.c_str(), IDM_WINDOW_FIRST_TAB);
   InsertMenuItemWithPath(menu, L"Current", 1, kRecord.c_str(), IDM_WINDOW_LAST_TAB);
   AppendMenuA(menu, MF_STRING | MF_GRAYED, IDM_WINDOW_LAST_TAB + 1, "Not a tab");
   AppendMenuA(menu, MF_STRING | MF_GRAYED, IDM_WINDOW_NEXT_TAB, "Next");
   gApp->UpdatePopupMenu(menu, kSourceMenuBar, _bstr_t(""));

   EXPECT_TRUE(Checked(menu, IDM_WINDOW_LAST_TAB));
   EXPECT_FALSE(Checked(menu, IDM_WINDOW_FIRST_TAB));
   EXPECT_TRUE(Enabled(menu, IDM_WINDOW_FIRST_TAB));
   EXPECT_FALSE(Enabled(menu, IDM_WINDOW_LAST_TAB + 1)) << "the id after the last tab is not a tab";
   EXPECT_FALSE(Enabled(menu, IDM_WINDOW_NEXT_TAB)) << "four items or fewer";
   AppendMenuA(menu, MF_STRING, IDM_HELP_ABOUT, "Fifth");
   gApp->UpdateMenuItemState(menu, IDM_WINDOW_NEXT_TAB, kSourceMenuBar, _bstr_t(""));
   EXPECT_TRUE(Enabled(menu, IDM_WINDOW_NEXT_TAB));
   RemoveMenuItemWithData(menu, 0);
   RemoveMenuItemWithData(menu, 0);
   DestroyMenu(menu);
}

// An edit control with the focus, for the cut, copy and paste items.
class EditFocus {
public:
   EditFocus()
   {
      top_ = CreateWindowExA(0, "STATIC", "menus", WS_POPUP | WS_VISIBLE, 0, 0, 200, 60, nullptr, nullptr, nullptr,
                             nullptr);
      edit_ = CreateWindowExA(0, "EDIT", "hello", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20, top_, nullptr, nullptr,
                              nullptr);
      SetForegroundWindow(top_);
      SetFocus(edit_);
   }
   ~EditFocus() { DestroyWindow(top_); }
   HWND Edit() const { return edit_; }

private:
   HWND top_;
   HWND edit_;
};

void PutOnClipboard(UINT format, const char *data)
{
   ASSERT_TRUE(OpenClipboard(nullptr));
   EmptyClipboard();
   size_t size = strlen(data) + 1;
   HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
   memcpy(GlobalLock(memory), data, size);
   GlobalUnlock(memory);
   SetClipboardData(format, memory);
   CloseClipboard();
}

TEST_F(MenuState, ClipboardItemsFollowTheSelectionAndTextOnTheClipboard)
{
   HMENU edit = GetSubMenu(main_, 1);
   EditFocus focus;
   ASSERT_EQ(GetFocus(), focus.Edit());

   SendMessageA(focus.Edit(), EM_SETSEL, 1, 1);
   PutOnClipboard(CF_TEXT, "text");
   Walk(1);
   EXPECT_FALSE(Enabled(edit, IDM_EDIT_CUT)) << "an empty selection";
   EXPECT_FALSE(Enabled(edit, IDM_EDIT_COPY));
   EXPECT_TRUE(Enabled(edit, IDM_EDIT_PASTE)) << "text on the clipboard";

   SendMessageA(focus.Edit(), EM_SETSEL, 0, 3);
   PutOnClipboard(RegisterClipboardFormatA("zolt menus test"), "not text");
   Walk(1);
   EXPECT_TRUE(Enabled(edit, IDM_EDIT_CUT));
   EXPECT_TRUE(Enabled(edit, IDM_EDIT_COPY));
   EXPECT_FALSE(Enabled(edit, IDM_EDIT_PASTE)) << "only text can be pasted";

   SetFocus(nullptr);
   PutOnClipboard(CF_TEXT, "text");
   Walk(1);
   EXPECT_FALSE(Enabled(edit, IDM_EDIT_PASTE)) << "no edit control has the focus";
}

}  // namespace

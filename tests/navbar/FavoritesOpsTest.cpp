// The application's favourites operations on the real state "/user/vmlistState/" answered by the
// simulated host, and the side bar's choices: list by UI mode, menus by object kind, routing of
// the chosen ids, the width while the edge is dragged.
#include "AppTestEnvironment.h"
#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltNavbar.h"

#include "res/resource.h"

#include "atl/Atl.h"
#include "atl/ClassTable.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/VM.h"
#include "tremorybase/Config.h"
#include "tremorybase/Poll.h"
#include "vmdb/ClientClasses.h"
#include "vmdb/Classes.h"
#include "tremappsdk/TremAppSdk.h"
#include "cui/AppDataPaths.h"
#include "cui/WuiPrefs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

ZOLT_APP_TEST_ENVIRONMENT();

const char kItems[] = "/user/vmlistState/val/item/#";

class Favorites : public ::testing::Test {
protected:
   void SetUp() override
   {
      ctx_ = gApp->GetContext();
      Clear();
   }
   void TearDown() override
   {
      Config_Set("test.host.noAnswer", "");
      Clear();
      for (const char *node : {"/vm/#favTest1", "/vm/#favTest2"}) {
         try {
            ctx_->RemoveNode(node, VARIANT_TRUE);
         } catch (const _com_error &) {
         }
      }
   }
   // Empties the favourites state; parts that are not there yet are fine.
   void Clear()
   {
      for (const char *node : {"/user/vmlistState/val", "/user/vmlistState/req"}) {
         try {
            ctx_->RemoveNode(node, VARIANT_TRUE);
         } catch (const _com_error &) {
         }
      }
      ctx_->WriteValue("/user/vmlistState/new", _variant_t(""));
   }
   std::string Read(const std::string &path) { return zoltdb::Text(_bstr_t(ctx_->ReadValue(path.c_str()))); }
   // The item elements' absolute paths.
   std::vector<std::string> Elements()
   {
      std::vector<std::string> all;
      if (!ctx_->TestNode("/user/vmlistState/val/item")) {
         return all;
      }
      for (_bstr_t e = ctx_->NextElement(kItems); e.length() > 0; e = ctx_->NextElement(e)) {
         all.push_back(zoltdb::Text(e));
      }
      return all;
   }
   size_t Requests()
   {
      size_t count = 0;
      for (_bstr_t e = ctx_->NextElement("/user/vmlistState/req/#"); e.length() > 0; e = ctx_->NextElement(e)) {
         ++count;
      }
      return count;
   }
   // Runs poll steps until the owner has answered every submission.
   bool Settle()
   {
      return Poll_RunUntil([this]() { return Read("/user/vmlistState/new").empty(); }, 3000);
   }
   std::unique_ptr<wui::VM> MakeVM(const char *vmPath, const char *file, const char *name, const char *team = "")
   {
      const std::string cfg = std::string(vmPath) + "vmx/cfgState/val/";
      ctx_->WriteValue((std::string(vmPath) + "cfgFile").c_str(), _variant_t(file));
      ctx_->WriteValue((cfg + "displayName").c_str(), _variant_t(name));
      ctx_->WriteValue((cfg + "configVersion").c_str(), _variant_t(8L));
      ctx_->WriteValue((cfg + "teamFile").c_str(), _variant_t(team));
      ctx_->WriteValue((std::string(vmPath) + "present").c_str(), _variant_t(static_cast<short>(1)));
      return std::make_unique<wui::VM>(gApp->GetModelCtx(), vmPath, nullptr);
   }
   _bstr_t Find(const char *file)
   {
      _bstr_t item;
      gApp->FindCfgPathInFavorites(item, _bstr_t(file));
      return item;
   }
   // The dialog window holding a button with this text, when one is up.
   struct ButtonSearch {
      const char *text;
      HWND found;
      static BOOL CALLBACK OnChild(HWND child, LPARAM param)
      {
         auto *s = reinterpret_cast<ButtonSearch *>(param);
         char buffer[64] = {};
         GetWindowTextA(child, buffer, sizeof buffer);
         if (std::string(buffer) == s->text && IsWindowVisible(child)) {
            s->found = child;
            return FALSE;
         }
         return TRUE;
      }
      static BOOL CALLBACK OnTop(HWND top, LPARAM param)
      {
         EnumChildWindows(top, &OnChild, param);
         return reinterpret_cast<ButtonSearch *>(param)->found == nullptr;
      }
   };
   static HWND FindButton(const char *text)
   {
      ButtonSearch search = {text, nullptr};
      EnumThreadWindows(GetCurrentThreadId(), &ButtonSearch::OnTop, reinterpret_cast<LPARAM>(&search));
      return search.found;
   }

   IVmdbContextPtr ctx_;
};

TEST_F(Favorites, AddWritesOneItemAndTheOwnerMakesItPresent)
{
   auto vm = MakeVM("/vm/#favTest1/", "C:\\VMs\\Alpha\\Alpha.vmx", "Alpha");
   gApp->AddVmListItem(vm.get());
   ASSERT_TRUE(Settle());
   std::vector<std::string> items = Elements();
   ASSERT_EQ(1u, items.size());
   const std::string item = items[0];
   EXPECT_EQ("1", Read(item + "id"));
   EXPECT_EQ("0", Read(item + "parentID"));
   EXPECT_EQ("-1", Read(item + "ix"));
   EXPECT_EQ("vm", Read(item + "type"));
   EXPECT_EQ("Alpha", Read(item + "type/vm/name"));
   EXPECT_EQ("/vm/#favTest1/", Read(item + "type/vm/vmPath"));
   EXPECT_EQ("8", Read(item + "type/vm/cfgVersion"));
   EXPECT_TRUE(ctx_->TestNode((item + "present").c_str()));
   EXPECT_TRUE(gApp->IsVMInFavorites(vm.get()));
   EXPECT_EQ(item, zoltdb::Text(Find("c:\\vms\\ALPHA\\alpha.VMX"))) << "found without regard to case";

   // The same file with other letters' case is already listed: nothing is added.
   auto same = MakeVM("/vm/#favTest2/", "c:\\vms\\alpha\\ALPHA.vmx", "Alpha again");
   gApp->AddVmListItem(same.get());
   ASSERT_TRUE(Settle());
   EXPECT_EQ(1u, Elements().size());
   EXPECT_EQ(0u, zoltdb::Text(Find("")).size()) << "an empty path finds nothing";
}

TEST_F(Favorites, TeamMachinesAndNullObjectsAreNotAdded)
{
   auto member = MakeVM("/vm/#favTest1/", "C:\\VMs\\Lab\\Web.vmx", "Web", "C:\\VMs\\Lab\\Lab.vmtm");
   ASSERT_TRUE(member->GetInTeam());
   gApp->AddVmListItem(member.get());
   gApp->AddVmListItem(nullptr);
   gApp->AddTeamToVMList(nullptr);
   gApp->AddMVMTToVMList(nullptr);
   ASSERT_TRUE(Settle());
   EXPECT_TRUE(Elements().empty());

   cui::Team team("C:\\VMs\\Lab\\Lab.vmtm", "Lab");
   gApp->AddTeamToVMList(&team);
   ASSERT_TRUE(Settle());
   ASSERT_EQ(1u, Elements().size());
   const std::string item = Elements()[0];
   EXPECT_EQ("team", Read(item + "type"));
   EXPECT_EQ("Lab", Read(item + "type/team/name"));
   EXPECT_EQ("0", Read(item + "type/team/isClone"));
   EXPECT_TRUE(gApp->IsTeamInFavorites(&team));
}

TEST_F(Favorites, NewIdIsTheSmallestFreeOne)
{
   EXPECT_EQ(1, gApp->NewFavoriteId());
   for (long id : {1L, 2L, 4L}) {
      _bstr_t element = ctx_->AppendElement(kItems);
      ctx_->WriteValue(element + "id", _variant_t(id));
   }
   EXPECT_EQ(3, gApp->NewFavoriteId());
   // An element whose id went missing is skipped, not a failure.
   ctx_->AppendElement(kItems);
   EXPECT_EQ(3, gApp->NewFavoriteId());
}

TEST_F(Favorites, RemoveAsksUnlessConfirmedAndNoSendsNothing)
{
   auto vm = MakeVM("/vm/#favTest1/", "C:\\VMs\\Beta.vmx", "Beta");
   gApp->AddVmListItem(vm.get());
   ASSERT_TRUE(Settle());
   ASSERT_TRUE(gApp->IsVMInFavorites(vm.get()));

   _bstr_t missing("C:\\VMs\\Nowhere.vmx");
   gApp->RemoveFromVMList(missing, false);
   EXPECT_EQ(nullptr, FindButton("&No")) << "no question for a file that is not listed";

   const size_t requests = Requests();
   _bstr_t file("C:\\VMs\\Beta.vmx");
   gApp->RemoveFromVMList(file, false);
   HWND no = FindButton("&No");
   ASSERT_NE(nullptr, no) << "the question is up";
   SendMessageA(no, BM_CLICK, 0, 0);
   ASSERT_TRUE(Settle());
   EXPECT_EQ(requests, Requests()) << "No sends no request";
   EXPECT_TRUE(gApp->IsVMInFavorites(vm.get())) << "No keeps the item";

   gApp->RemoveFromVMList(file, false);
   HWND yes = FindButton("&Yes");
   ASSERT_NE(nullptr, yes);
   SendMessageA(yes, BM_CLICK, 0, 0);
   ASSERT_TRUE(Settle());
   EXPECT_FALSE(gApp->IsVMInFavorites(vm.get()));

   // A removed item is not found, so adding the file again makes a new element.
   gApp->AddVmListItem(vm.get());
   ASSERT_TRUE(Settle());
   EXPECT_TRUE(gApp->IsVMInFavorites(vm.get()));
   gApp->RemoveFromVMList(file, true);
   ASSERT_TRUE(Settle());
   EXPECT_FALSE(gApp->IsVMInFavorites(vm.get())) << "confirmed: no question";
}

TEST_F(Favorites, ResubmittedAddSendsTheSameElementAgain)
{
   Config_Set("test.host.noAnswer", "vmlistState");
   auto vm = MakeVM("/vm/#favTest1/", "C:\\VMs\\Gamma.vmx", "Gamma");
   gApp->AddVmListItem(vm.get());
   const std::string request = Read("/user/vmlistState/new");
   ASSERT_FALSE(request.empty());
   // The owner tells the requester that the state changed under the request.
   Config_Set("test.host.noAnswer", "");
   ctx_->WriteValue((request + "status").c_str(), _variant_t("resubmit"));
   ctx_->WriteValue("/user/vmlistState/new", _variant_t(""));
   ASSERT_TRUE(Poll_RunUntil([&]() { return gApp->IsVMInFavorites(vm.get()); }, 3000));
   EXPECT_EQ(1u, Elements().size()) << "the retry adds no second element";
}

TEST(Navbar, ListByUIModeAndExtension)
{
   EXPECT_TRUE(navbar::ShowsFavorites(cui::Prefs::UI_MODE_LOCAL, false));
   EXPECT_FALSE(navbar::ShowsFavorites(cui::Prefs::UI_MODE_REMOTE, false));
   EXPECT_TRUE(navbar::ShowsFavorites(cui::Prefs::UI_MODE_REMOTE, true));
}

TEST(Navbar, ContextMenusByKindAndRoutingOfIds)
{
   EXPECT_EQ(static_cast<UINT>(IDR_MENU_TEAM), navbar::MenuOfKind(3));
   EXPECT_EQ(static_cast<UINT>(IDR_MENU_VM), navbar::MenuOfKind(9));
   EXPECT_EQ(static_cast<UINT>(IDR_MENU_MVMT), navbar::MenuOfKind(12));
   EXPECT_EQ(static_cast<UINT>(IDR_MENU_SERVER), navbar::MenuOfKind(13));
   EXPECT_EQ(static_cast<UINT>(IDR_MENU_FAVORITES_BACKGROUND), navbar::MenuOfKind(18));
   EXPECT_EQ(static_cast<UINT>(IDR_MENU_INVENTORY_BACKGROUND), navbar::MenuOfKind(19));
   EXPECT_EQ(0u, navbar::MenuOfKind(4));
   EXPECT_EQ(0u, navbar::MenuOfKind(11));

   EXPECT_EQ(navbar::ROUTE_RENAME, navbar::RouteOfCommand(436, false));
   EXPECT_EQ(navbar::ROUTE_NEW_FOLDER, navbar::RouteOfCommand(426, true));
   EXPECT_EQ(navbar::ROUTE_APP, navbar::RouteOfCommand(426, false)) << "no folders in the inventory";
   EXPECT_EQ(navbar::ROUTE_OPEN_SELECTION, navbar::RouteOfCommand(430, true));
   EXPECT_EQ(navbar::ROUTE_APP, navbar::RouteOfCommand(430, false));
   EXPECT_EQ(navbar::ROUTE_APP, navbar::RouteOfCommand(0, true)) << "a dismissed menu still reaches the app";
   EXPECT_EQ(navbar::ROUTE_APP, navbar::RouteOfCommand(40043, true));

   // Both background menus offer creation and open without an object.
   HMENU background = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MENU_FAVORITES_BACKGROUND));
   ASSERT_NE(nullptr, background);
   HMENU popup = GetSubMenu(background, 0);
   for (UINT id : {449u, 40043u, 41400u, 426u, 40009u}) {
      EXPECT_NE(static_cast<UINT>(-1), GetMenuState(popup, id, MF_BYCOMMAND)) << id;
   }
   DestroyMenu(background);
}

TEST(Navbar, DraggedWidthStaysWithinItsBounds)
{
   EXPECT_EQ(300, navbar::DraggedWidth(270, 30, 800));
   EXPECT_EQ(navbar::kMinWidth, navbar::DraggedWidth(270, -250, 800));
   EXPECT_EQ(700, navbar::DraggedWidth(270, 900, 700));
   EXPECT_EQ(1170, navbar::DraggedWidth(270, 900, 0)) << "no parent width: no upper bound";
}

// A side bar in UI mode 1 lists the current host's machines and follows the host link.
TEST(NavbarWindow, HostChangeMovesTheWatchAndRefreshesTheList)
{
   IVmdbContextPtr ctx = gApp->GetContext();
   const std::string oldHost = zoltdb::Text(_bstr_t(ctx->ReadValue(cui::appdata::kCurrentHost)));
   cui::GetPrefs()->SetUIMode(cui::Prefs::UI_MODE_REMOTE);
   HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 400, 500, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
   ASSERT_NE(nullptr, parent);
   {
      CZOLTNavbar bar;
      RECT rect = {0, 0, 270, 480};
      ASSERT_NE(nullptr, bar.Create(parent, &rect, nullptr, CZOLTNavbar::kChildStyle | WS_VISIBLE));
      EXPECT_FALSE(bar.ShowsFavorites());
      ASSERT_TRUE(bar.GetRegVmsCtl());
      EXPECT_EQ(oldHost.empty() || oldHost.back() == '/' ? oldHost : oldHost + "/", bar.GetHostPath());

      ctx->WriteValue("/host2/#navTest/vms/registeredvms/#0001/cfgPath", _variant_t("C:\\VMs\\One.vmx"));
      ctx->WriteValue(cui::appdata::kCurrentHost, _variant_t("/host2/#navTest/"));
      ASSERT_TRUE(Poll_RunUntil([&]() { return bar.GetHostPath() == "/host2/#navTest/"; }, 3000));
      ASSERT_TRUE(Poll_RunUntil([&]() { return bar.GetRegVmsCtl()->GetCount() == 1; }, 3000));
      ctx->WriteValue("/host2/#navTest/vms/registeredvms/#0002/cfgPath", _variant_t("C:\\VMs\\Two.vmx"));
      EXPECT_TRUE(Poll_RunUntil([&]() { return bar.GetRegVmsCtl()->GetCount() == 2; }, 3000))
         << "the new host's list is watched";

      // The close button turns the side-bar preference off.
      wui::GetPrefs()->SetSidebar(true);
      bar.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_NAVBAR_CLOSE, 0), 0);
      EXPECT_FALSE(wui::GetPrefs()->GetSidebar());
      wui::GetPrefs()->SetSidebar(true);

      MINMAXINFO info = {};
      bar.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
      EXPECT_EQ(navbar::kMinWidth, info.ptMinTrackSize.x);
      bar.DestroyWindow();
   }
   DestroyWindow(parent);
   ctx->WriteValue(cui::appdata::kCurrentHost, _variant_t(oldHost.c_str()));
   ctx->RemoveNode("/host2/#navTest", VARIANT_TRUE);
   cui::GetPrefs()->SetUIMode(cui::Prefs::UI_MODE_LOCAL);
}

}  // namespace

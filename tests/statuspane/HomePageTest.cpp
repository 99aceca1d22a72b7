// The home tab's pages: what the connected home page shows for the current host, and the desktop
// home page's title, introduction and buttons, on pages created as the pane creates them.
#include "WindowText.h"
#include "zoltApp.h"
#include "zoltResources.h"
#include "zoltStatusHome.h"

#include "cui/AppDataPaths.h"
#include "cui/Host.h"
#include "cui/Registry.h"
#include "cui/VmdbCtx.h"
#include "res/resource.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Text.h"
#include "vmdb/Classes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using testsupport::TextOf;

class HomePage : public ::testing::Test {
protected:
   void SetUp() override
   {
      ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
      vmdb::RegisterClasses();
      ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL)));
      db_->Connect(::testing::UnitTest::GetInstance()->current_test_info()->name(), VMDB_CONNECT_NAMED);
      ctx_ = vmdb::Ctx(db_->NewContext()->GetRawHandle(), true, vmdb::Ctx::kAll);
      ctx_.Set("/host2/#0000/setup/product/name", "Tremory Server");
      ctx_.Set("/host2/#0000/setup/product/versionDotted", "2.1.0");
      ctx_.Set("/host2/#0001/setup/product/name", "Tremory Server");
      ctx_.Set("/host2/#0001/setup/product/versionDotted", "2.2.0");
      ctx_.Set("/host2/#0001/info/hostname", "lab-7");
      holder_ = CreateWindowExA(0, "Static", "home page test", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
   }
   void TearDown() override
   {
      DestroyWindow(holder_);
      wui::SetCurrentHost(nullptr);
      ctx_ = vmdb::Ctx();
      db_ = nullptr;
      CoUninitialize();
   }

   IVmdbDatabasePtr db_;
   vmdb::Ctx ctx_;
   HWND holder_ = nullptr;
};

// The library never looks inside a connection; any address stands for a remote host's.
cui::Cnx *FakeConnection()
{
   static char connection;
   return reinterpret_cast<cui::Cnx *>(&connection);
}

}  // namespace

TEST_F(HomePage, HomeButtonsFollowTheHostsCapabilitiesAndNameLocalAndRemoteHosts)
{
   homepage::HomeButtons none = homepage::HomeButtonsFor(nullptr);
   EXPECT_FALSE(none.newVM);
   EXPECT_FALSE(none.openVM);
   EXPECT_FALSE(none.hostSettings);
   EXPECT_TRUE(none.line.empty());

   cui::Host local(nullptr, ctx_, "/host2/#0000/");
   homepage::HomeButtons buttons = homepage::HomeButtonsFor(&local);
   EXPECT_TRUE(buttons.newVM);
   EXPECT_TRUE(buttons.openVM);
   EXPECT_TRUE(buttons.hostSettings);
   EXPECT_EQ(buttons.line, tremapputil::ResString(IDS_HOME_CONNECTED)
                              .Format({LoadResString(IDS_LOCAL_HOST), "Tremory Server", "2.1.0"}));
   EXPECT_NE(buttons.line.find("2.1.0"), std::string::npos) << buttons.line;

   // A remote host is named by its own hostname; what it forbids stays disabled.
   ctx_.Set("/host2/#0001/cap/newVM", "0");
   ctx_.Set("/host2/#0001/cap/editSettings", "false");
   cui::Host remote(FakeConnection(), ctx_, "/host2/#0001/");
   buttons = homepage::HomeButtonsFor(&remote);
   EXPECT_FALSE(buttons.newVM);
   EXPECT_TRUE(buttons.openVM);
   EXPECT_FALSE(buttons.hostSettings);
   EXPECT_EQ(buttons.line, "Connected to lab-7, running Tremory Server 2.2.0");

   cui::Host pathless(nullptr, ctx_, "");
   EXPECT_FALSE(homepage::HomeButtonsFor(&pathless).openVM) << "a host without a node is no host";
}

TEST_F(HomePage, ConnectedHomePageDisablesHostButtonsWithoutAHostAndKeepsSwitchHost)
{
   cui::Host local(nullptr, ctx_, "/host2/#0000/");
   wui::SetCurrentHost(&local);
   CZOLTStatusHome page;
   ASSERT_TRUE(page.Create(holder_, nullptr));
   EXPECT_TRUE(IsWindowEnabled(page.GetDlgItem(1055)));
   EXPECT_TRUE(IsWindowEnabled(page.GetDlgItem(1056)));
   EXPECT_TRUE(IsWindowEnabled(page.GetDlgItem(1058)));
   EXPECT_NE(TextOf(page.GetDlgItem(1061)).find("Tremory Server 2.1.0"), std::string::npos);
   EXPECT_EQ(TextOf(page.GetDlgItem(1060)), LoadResString(IDS_CONSOLE_TITLE));
   EXPECT_EQ(TextOf(page.GetDlgItem(1052)), LoadResString(IDS_HOME_INTRO));
   EXPECT_TRUE(GetWindowLongA(page.GetDlgItem(1055), GWL_STYLE) & BS_OWNERDRAW) << "a link button";

   wui::SetCurrentHost(nullptr);
   page.UpdateHomeButtons(nullptr);
   EXPECT_FALSE(IsWindowEnabled(page.GetDlgItem(1055)));
   EXPECT_FALSE(IsWindowEnabled(page.GetDlgItem(1056)));
   EXPECT_FALSE(IsWindowEnabled(page.GetDlgItem(1058)));
   EXPECT_TRUE(IsWindowEnabled(page.GetDlgItem(1057))) << "switching host is always possible";
   EXPECT_EQ(TextOf(page.GetDlgItem(1061)), "");
   page.DestroyWindow();
}

TEST_F(HomePage, DesktopHomePageShowsTheApplicationTitleAndItsThreeButtons)
{
   CZOLTStatusHomeDeskmoor page;
   ASSERT_TRUE(page.Create(holder_, nullptr));
   EXPECT_EQ(TextOf(page.GetDlgItem(1060)), CZOLTApp::GetAppTitle());
   EXPECT_EQ(TextOf(page.GetDlgItem(1052)), LoadResString(IDS_HOME_INTRO_DESKMOOR));
   for (int id : {1055, 1096, 1214}) {
      EXPECT_TRUE(GetWindowLongA(page.GetDlgItem(id), GWL_STYLE) & BS_OWNERDRAW) << id;
   }
   // The title was fitted to its text; the extent reaches the last button.
   RECT title = {};
   GetWindowRect(page.GetDlgItem(1060), &title);
   EXPECT_GT(title.right - title.left, 0);
   RECT last = {};
   GetWindowRect(page.GetDlgItem(1214), &last);
   MapWindowPoints(nullptr, page.m_hWnd, reinterpret_cast<POINT *>(&last), 2);
   EXPECT_GE(page.GetExtent().cy, last.bottom);
   page.DestroyWindow();
}

TEST_F(HomePage, NoConnectionPageTellsWhichHostWasLostAndRemembersTheNextOne)
{
   std::string lastDest = "earlier-host";
   // Never connected: nothing was lost; the destination to name next time is this computer.
   homepage::ConnectionInfo info = homepage::ReadConnectionInfo(ctx_, lastDest);
   EXPECT_FALSE(info.lost);
   EXPECT_TRUE(info.message.empty());
   EXPECT_EQ(lastDest, LoadResString(IDS_LOCAL_HOST));

   // A remote session whose connection went away names the destination read before it.
   ctx_.Set(cui::appdata::kSessionCnxPath, "/cnx/#0001/");
   ctx_.Set(std::string(cui::appdata::kSession) + "/remote", vmdb::Value(true));
   ctx_.Set(cui::appdata::kSessionActive, vmdb::Value(false));
   ctx_.Set(cui::appdata::kCurrentHost, "/host2/#0001/");
   info = homepage::ReadConnectionInfo(ctx_, lastDest);
   EXPECT_TRUE(info.lost);
   EXPECT_EQ(info.message, tremapputil::ResString(IDS_DISCONNECTED_FROM).Format({LoadResString(IDS_LOCAL_HOST)}));
   EXPECT_EQ(lastDest, "lab-7");
   info = homepage::ReadConnectionInfo(ctx_, lastDest);
   EXPECT_NE(info.message.find("lab-7"), std::string::npos) << info.message;

   // An active session lost nothing.
   ctx_.Set(cui::appdata::kSessionActive, vmdb::Value(true));
   EXPECT_FALSE(homepage::ReadConnectionInfo(ctx_, lastDest).lost);
}

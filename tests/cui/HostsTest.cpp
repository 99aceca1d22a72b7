#include "cui/LocalHost.h"

#include <gtest/gtest.h>

#include "TestDb.h"
#include "cui/AppDataPaths.h"
#include "cui/DlgMgr.h"
#include "cui/Util.h"
#include "tremorybase/Config.h"

TEST(CuiHosts, LocalHostResolvesItsLinkAndSignalsChangesOfItsNode)
{
   TestDb db;
   vmdbstore::SchemaDecl link;
   link.name = "localHost";
   link.type = vmdbstore::NodeType::Link;
   link.linkTarget = "/host2/#";
   db.store->Declare(cui::appdata::kRoot, link);
   db.raw->Write("/host2/#0001/name", "local");
   db.raw->Write(cui::appdata::kLocalHost, "/host2/#0001/");

   cui::LocalHost host(db.ctx, std::string(cui::appdata::kLocalHost) + "/");
   EXPECT_EQ("/host2/#0001/", host.GetPath());
   int changes = 0;
   host.changed.connect([&changes]() { ++changes; });
   TestDb::Drain();
   changes = 0;
   db.raw->Write("/host2/#0001/setup/help/url/#0001/name", "guide");
   db.raw->Write("/host2/#0002/name", "other");
   EXPECT_EQ(0, changes);
   TestDb::Drain();
   EXPECT_EQ(1, changes);

   cui::LocalHost unset(db.ctx, std::string(cui::appdata::kRoot) + "missing/");
   EXPECT_EQ("", unset.GetPath());
}

TEST(CuiHosts, HostAnswersItsProductAndRegisteredMachinesAndSignalsTheirChanges)
{
   TestDb db;
   db.raw->Write("/host2/#0001/setup/product/name", "Tremory Deskmoor");
   db.raw->Write("/host2/#0001/setup/product/versionDotted", "1.0.0");
   db.raw->Write("/host2/#0001/vms/registeredvms", "");
   cui::Host host(nullptr, db.ctx, "/host2/#0001");
   EXPECT_EQ("/host2/#0001/", host.GetPath());
   EXPECT_EQ("Tremory Deskmoor", host.GetProductName());
   EXPECT_EQ("1.0.0", host.GetProductVersion());
   EXPECT_TRUE(host.GetRegisteredVMs().empty());

   int registered = 0;
   host.registeredVMsChanged.connect([&registered]() { ++registered; });
   TestDb::Drain();
   db.raw->Write("/host2/#0001/setup/product/versionDotted", "1.0.1");
   TestDb::Drain();
   EXPECT_EQ(0, registered);
   db.raw->Write("/host2/#0001/vms/registeredvms/#0001/cfgPath", "C:\\vms\\b.vmx");
   db.raw->Write("/host2/#0001/vms/registeredvms/#0000/cfgPath", "C:\\vms\\a.vmx");
   TestDb::Drain();
   EXPECT_LE(1, registered);
   EXPECT_EQ((std::vector<std::string>{"C:\\vms\\a.vmx", "C:\\vms\\b.vmx"}), host.GetRegisteredVMs());

   cui::Host none(nullptr, db.ctx, "");
   EXPECT_EQ("", none.GetProductName());
   EXPECT_TRUE(none.GetRegisteredVMs().empty());
}

TEST(CuiDlgMgr, PreTranslationAsksOnlyTheRegisteredWindowThatHoldsTheTarget)
{
   HWND outer = CreateWindowExA(0, "STATIC", "page", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
   HWND child = CreateWindowExA(0, "STATIC", "c", WS_CHILD, 0, 0, 5, 5, outer, nullptr, nullptr, nullptr);
   HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
   ASSERT_TRUE(outer && child && other);

   wui::DlgMgr mgr;
   std::vector<HWND> asked;
   MSG key = {child, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
   EXPECT_FALSE(mgr.PreTranslateMessage(&key, true)) << "no window registered";

   mgr.Register(outer, [&asked](MSG *msg) {
      asked.push_back(msg->hwnd);
      return true;
   });
   EXPECT_TRUE(mgr.PreTranslateMessage(&key, true));
   MSG paint = {child, WM_PAINT, 0, 0, 0, {0, 0}};
   EXPECT_FALSE(mgr.PreTranslateMessage(&paint, true));
   MSG elsewhere = {other, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
   EXPECT_FALSE(mgr.PreTranslateMessage(&elsewhere, true));
   EXPECT_EQ(std::vector<HWND>{child}, asked);

   mgr.UnRegister(outer);
   EXPECT_FALSE(mgr.PreTranslateMessage(&key, true));

   // A registered window destroyed without UnRegister is forgotten.
   mgr.Register(other);
   DestroyWindow(other);
   EXPECT_FALSE(mgr.PreTranslateMessage(&elsewhere, false));
   EXPECT_FALSE(mgr.IsRegistered(other));
   DestroyWindow(outer);
}

TEST(CuiUtil, ZephroExtensionFollowsItsConfigurationKey)
{
   EXPECT_FALSE(wui::util::HasZephroExtension());
   Config_Set("ui.zephro.extension", "true");
   EXPECT_TRUE(wui::util::HasZephroExtension());
   Config_Set("ui.zephro.extension", "0");
   EXPECT_FALSE(wui::util::HasZephroExtension());
}

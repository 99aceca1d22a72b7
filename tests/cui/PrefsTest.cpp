#include "cui/WuiPrefs.h"

#include <gtest/gtest.h>

#include "TestDb.h"
#include "cui/AppDataPaths.h"

namespace {

const std::string kReq = "/user/prefState/req/#ZOLT/";
const std::string kZolt = cui::appdata::kRoot;

class CuiPrefs : public ::testing::Test {
protected:
   CuiPrefs()
   {
      // The application declares its links; "currentObj" is one, relative to the subtree.
      vmdbstore::SchemaDecl link;
      link.name = "currentObj";
      link.type = vmdbstore::NodeType::Link;
      link.linkTarget = "../openedObj/#";
      db.store->Declare(kZolt, link);
      db.raw->Write(kZolt + "openedObj/#0000/type", "home");
      db.raw->Write(kZolt + "openedObj/#0001/type", "vm");
      db.raw->Write(kZolt + "openedObj/#0001/path", "/vm/#0003/");
      TestDb::Drain();
   }

   TestDb db;
   wui::Prefs prefs{db.ctx};
};

}  // namespace

TEST_F(CuiPrefs, AccessorsReadTheirNodesAndFallBackToTheirDefaults)
{
   EXPECT_FALSE(prefs.GetTrayIconEnabled());
   EXPECT_FALSE(prefs.GetBackgroundOnClose());
   EXPECT_FALSE(prefs.GetFullScreen());
   EXPECT_FALSE(prefs.GetQuickSwitch());
   EXPECT_TRUE(prefs.GetSidebar());
   EXPECT_TRUE(prefs.GetStatusBarShow());

   db.raw->Write(kReq + "val/zolt/trayIcon/enabled", "1");
   db.raw->Write(kReq + "val/zolt/backgroundOnClose", "true");
   db.raw->Write(kReq + "val/zolt/view/sidebar", "0");
   db.raw->Write(kReq + "val/zolt/view/statusBar", "false");
   db.raw->Write(kReq + "val/zolt/view/quickSwitch", "1");
   EXPECT_TRUE(prefs.GetTrayIconEnabled());
   EXPECT_TRUE(prefs.GetBackgroundOnClose());
   EXPECT_FALSE(prefs.GetSidebar());
   EXPECT_FALSE(prefs.GetStatusBarShow());
   EXPECT_TRUE(prefs.GetQuickSwitch());

   prefs.SetFullScreen(true);
   prefs.SetSidebar(true);
   EXPECT_EQ("1", db.raw->Read(kReq + "val/zolt/view/fullScreen"));
   EXPECT_EQ("1", db.raw->Read(kReq + "val/zolt/view/sidebar"));
   EXPECT_TRUE(prefs.GetFullScreen());
   prefs.SetFullScreen(false);
   EXPECT_EQ("0", db.raw->Read(kReq + "val/zolt/view/fullScreen"));
   EXPECT_TRUE(prefs.GetBool("val/zolt/tip/startup", true));
   EXPECT_FALSE(prefs.GetBool("val/zolt/deskmoorMode", false));
}

TEST_F(CuiPrefs, RunSettingsStayInMemory)
{
   EXPECT_EQ(cui::Prefs::UI_MODE_LOCAL, prefs.GetUIMode());
   prefs.SetUIMode(1);
   EXPECT_EQ(cui::Prefs::UI_MODE_REMOTE, prefs.GetUIMode());
   prefs.SetUIMode(7);
   EXPECT_EQ(cui::Prefs::UI_MODE_LOCAL, prefs.GetUIMode());

   EXPECT_TRUE(prefs.GetShowChrome());
   prefs.SetShowChrome(false);
   prefs.SetDebugMks(true);
   prefs.SetRemoteSession(true);
   EXPECT_FALSE(prefs.GetShowChrome());
   EXPECT_TRUE(prefs.GetDebugMks());
   EXPECT_TRUE(prefs.GetRemoteSession());
   EXPECT_FALSE(prefs.GetKeepVmxOnline());

   EXPECT_EQ("", prefs.GetSessionPath());
   prefs.SetSessionPath("/db/connection/#0002/");
   EXPECT_EQ("/db/connection/#0002/", db.raw->Read(kZolt + "session/cnxPath"));
   EXPECT_EQ("/db/connection/#0002/", prefs.GetSessionPath());
}

TEST_F(CuiPrefs, CurrentObjectLinkIsReadThroughItsRecordAndSignalledFromAPollStep)
{
   int changes = 0;
   prefs.currentObjChanged.connect([&changes]() { ++changes; });
   EXPECT_EQ("", prefs.GetCurrentObj());
   EXPECT_EQ("", prefs.GetCurrentObjType());
   EXPECT_EQ("", prefs.GetCurrentObjPath());

   prefs.SetCurrentObj(kZolt + "openedObj/#0001/");
   EXPECT_EQ(0, changes) << "raised inside the write";
   EXPECT_EQ(kZolt + "openedObj/#0001/", db.raw->Read(kZolt + "currentObj"));
   EXPECT_EQ(kZolt + "openedObj/#0001/", prefs.GetCurrentObj());
   EXPECT_EQ("vm", prefs.GetCurrentObjType());
   EXPECT_EQ("/vm/#0003/", prefs.GetCurrentObjPath());
   TestDb::Drain();
   EXPECT_EQ(1, changes);

   // Another writer's relative link value, and its removal, are heard and read as well.
   db.raw->Write(kZolt + "currentObj", "../openedObj/#0000/");
   TestDb::Drain();
   EXPECT_EQ(2, changes);
   EXPECT_EQ(kZolt + "openedObj/#0000/", prefs.GetCurrentObj());
   EXPECT_EQ("home", prefs.GetCurrentObjType());
   EXPECT_EQ("", prefs.GetCurrentObjPath());
   db.raw->Remove(kZolt + "currentObj", true);
   TestDb::Drain();
   EXPECT_EQ(3, changes);
   EXPECT_EQ("", prefs.GetCurrentObj());
   EXPECT_EQ("", prefs.GetCurrentObjType());

   // The transient link is not the current one: no signal.
   prefs.SetTransientObj(kZolt + "openedObj/#0001/");
   EXPECT_EQ("vm", prefs.GetTransientObjType());
   EXPECT_EQ("/vm/#0003/", prefs.GetTransientObjPath());
   prefs.UnsetTransientObj();
   EXPECT_FALSE(db.raw->Exists(kZolt + "transientObj"));
   EXPECT_EQ("", prefs.GetTransientObj());
   TestDb::Drain();
   EXPECT_EQ(3, changes);
}

TEST_F(CuiPrefs, ASignalOfADeletedPreferencesObjectIsNeverRaised)
{
   TestDb::Drain();
   {
      wui::Prefs shortLived(db.ctx);
      shortLived.currentObjChanged.connect([]() { ADD_FAILURE() << "raised after deletion"; });
      shortLived.SetCurrentObj(kZolt + "openedObj/#0000/");
   }
   TestDb::Drain();
}

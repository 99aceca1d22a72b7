#include "cui/Registry.h"

#include <gtest/gtest.h>

#include "TestDb.h"
#include "cui/AppDataPaths.h"
#include "cui/DlgMgr.h"
#include "cui/Error.h"
#include "cui/LocalHost.h"
#include "cui/RpcMgr.h"
#include "cui/TeamMgr.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"

namespace {

// The program's dialog factory, as far as the library sees it.
class AppDlgMgr : public cui::DlgMgr {};

}  // namespace

TEST(CuiRegistry, GettersAnswerNullBeforeAndExactlyWhatWasStoredAfter)
{
   EXPECT_FALSE(cui::GetVmdbCtx().IsValid());
   EXPECT_THROW(cui::GetNewVmdbCtx(), cui::Error);
   EXPECT_EQ(nullptr, cui::GetRpcMgr());
   EXPECT_EQ(nullptr, cui::GetPrefs());
   EXPECT_EQ(nullptr, wui::GetPrefs());
   EXPECT_EQ(nullptr, cui::GetClientHost());
   EXPECT_EQ(nullptr, wui::GetCurrentHost());
   EXPECT_EQ(nullptr, cui::GetVMMgr());
   EXPECT_EQ(nullptr, cui::GetTeamMgr());
   EXPECT_EQ(nullptr, cui::GetHotFixMgr());
   EXPECT_EQ(nullptr, cui::GetMVMTMgr());
   EXPECT_EQ(nullptr, wui::GetNavbar());
   EXPECT_EQ(nullptr, wui::GetAppContext());
   EXPECT_EQ(nullptr, wui::resource::GetInstance());
   EXPECT_TRUE(cui::GetBrowseSlot().empty());

   TestDb db;
   cui::SetVmdbCtx(db.ctx);
   EXPECT_EQ(db.ctx.GetRawHandle(), cui::GetVmdbCtx().GetRawHandle());
   EXPECT_NE(db.ctx.GetRawHandle(), cui::GetNewVmdbCtx().GetRawHandle());

   {
      vmdbLayout::rpc::Mgr rpc(db.ctx);
      wui::Prefs prefs;   // on the registered context
      cui::LocalHost host(db.ctx, std::string(cui::appdata::kLocalHost) + "/");
      wui::VMMgr vms(nullptr);
      wui::TeamMgr teams;
      HINSTANCE module = GetModuleHandleA(nullptr);
      cui::SetRpcMgr(&rpc);
      cui::SetPrefs(&prefs);
      cui::SetClientHost(&host);
      wui::SetCurrentHost(&host);
      cui::SetVMMgr(&vms);
      cui::SetTeamMgr(&teams);
      wui::resource::SetInstance(module);
      EXPECT_EQ(&rpc, cui::GetRpcMgr());
      EXPECT_EQ(&prefs, cui::GetPrefs());
      EXPECT_EQ(&prefs, wui::GetPrefs());
      EXPECT_EQ(&host, cui::GetClientHost());
      EXPECT_EQ(&host, wui::GetCurrentHost());
      EXPECT_EQ(&vms, cui::GetVMMgr());
      EXPECT_EQ(&vms, wui::GetVMMgr());
      EXPECT_EQ(&teams, wui::GetTeamMgr());
      EXPECT_EQ(module, wui::resource::GetInstance());
      wui::resource::SetInstance(nullptr);
      cui::SetRpcMgr(nullptr);
   }
   // Registered objects that die take themselves out.
   EXPECT_EQ(nullptr, cui::GetPrefs());
   EXPECT_EQ(nullptr, cui::GetClientHost());
   EXPECT_EQ(nullptr, wui::GetCurrentHost());
   EXPECT_EQ(nullptr, cui::GetVMMgr());
   EXPECT_EQ(nullptr, cui::GetTeamMgr());

   // A preferences object of the portable kind is no wui::Prefs.
   cui::Prefs plain(db.ctx);
   cui::SetPrefs(&plain);
   EXPECT_EQ(&plain, cui::GetPrefs());
   EXPECT_EQ(nullptr, wui::GetPrefs());
   cui::SetPrefs(nullptr);
   cui::SetVmdbCtx(vmdb::Ctx());
}

TEST(CuiRegistry, LibraryDialogManagerIsMadeOnFirstUseAndFollowsTheProgramsFactory)
{
   wui::DlgMgr *first = wui::GetDlgMgr();
   ASSERT_NE(nullptr, first);
   EXPECT_EQ(first, wui::GetDlgMgr());
   EXPECT_EQ(nullptr, first->GetAppDlgMgr());

   AppDlgMgr factory;
   cui::SetDlgMgr(&factory);
   wui::DlgMgr *over = wui::GetDlgMgr();
   EXPECT_EQ(&factory, over->GetAppDlgMgr());
   EXPECT_EQ(over, wui::GetDlgMgr());

   // The program deletes it at exit; a later call makes a fresh one.
   delete over;
   wui::DlgMgr *again = wui::GetDlgMgr();
   ASSERT_NE(nullptr, again);
   EXPECT_EQ(&factory, again->GetAppDlgMgr());
   delete again;
   cui::SetDlgMgr(nullptr);
}

TEST(CuiRegistry, CallbacksRunOnlyWhenSetAndNotBlocked)
{
   std::vector<std::string> opened;
   EXPECT_FALSE(cui::Browse("http://a"));
   cui::SetBrowseSlot([&opened](std::string url) { opened.push_back(url); });
   EXPECT_TRUE(cui::Browse("http://b"));
   cui::BrowseSlot slot = cui::GetBrowseSlot();
   slot.block();
   cui::SetBrowseSlot(slot);
   EXPECT_FALSE(cui::Browse("http://c"));
   EXPECT_EQ(std::vector<std::string>{"http://b"}, opened);
   cui::SetBrowseSlot(cui::BrowseSlot());

   wui::SetNewVMWizardSlot([](_bstr_t &cfg, _bstr_t &user, _bstr_t &, bool option) {
      cfg = "C:\\vms\\new.vmx";
      user = "ann";
      return option ? 1 : 0;
   });
   _bstr_t cfg, user, password;
   EXPECT_EQ(1, wui::GetNewVMWizardSlot()(cfg, user, password, true));
   EXPECT_STREQ("C:\\vms\\new.vmx", static_cast<const char *>(cfg));
   wui::SetNewVMWizardSlot(wui::NewVMWizardSlot());
   EXPECT_TRUE(wui::GetNewVMWizardSlot().empty());
}

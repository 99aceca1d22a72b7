// Sessions with the local and a remote host, the session end in its modes, and the saved tabs.
#include "SessionFixture.h"

#include "res/resource.h"
#include "cui/AppDataPaths.h"
#include "tremorybase/Config.h"
#include "zoltDlgMgr.h"
#include "zoltFrame.h"

#include <commctrl.h>

namespace {

const char kSaveTabs[] = "/user/prefState/req/#ZOLT/val/zolt/saveOpenedObjs";
const char kSavedTabs[] = "/user/prefState/req/#ZOLT/val/zolt/savedTabs/openedObj/#";

struct Outcome {
   int aborts = 0;
   bool cancelled = false;
   std::string error;
   int dones = 0;
   cui::AbortSlot Abort()
   {
      return [this](bool c, cui::Error e) {
         ++aborts;
         cancelled = c;
         error = e.what();
      };
   }
   cui::DoneSlot Done()
   {
      return [this]() { ++dones; };
   }
};

void *CountDeletionNotify(void *count)
{
   ++*static_cast<int *>(count);
   return nullptr;
}

void Press(HWND dlg, int id)
{
   SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

}  // namespace

class Session : public SessionFixture {
protected:
   bool NewLocalSession()
   {
      _bstr_t error;
      return app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error);
   }
   cui::VM *RunningVm(const std::string &name)
   {
      cui::VM *vm = OpenVm(name);
      if (!vm) {
         return nullptr;
      }
      bool on = false;
      vm->SetPowerState(cui::VM::POWERED_ON, cui::VM::POWEROP_DEFAULT, cui::AbortSlot(), [&]() { on = true; });
      EXPECT_TRUE(PollUntil([&]() { return on; }));
      return vm;
   }
};

TEST_F(Session, LocalSessionWritesItsRecordAndOpensHome)
{
   ASSERT_TRUE(NewLocalSession());
   EXPECT_EQ(Read(cui::appdata::kSessionActive), "1");
   EXPECT_EQ(Read(cui::appdata::kSessionDest), "");
   EXPECT_EQ(Read(cui::appdata::kSessionUser), "");
   EXPECT_FALSE(Exists(cui::appdata::kSessionCnxPath));
   ASSERT_TRUE(wui::GetCurrentHost());
   EXPECT_EQ(wui::GetCurrentHost()->GetPath(), Read(cui::appdata::kCurrentHost));
   EXPECT_NE(wui::GetCurrentHost(), cui::GetClientHost()) << "the session's host is its own object";
   EXPECT_EQ(Current(), cui::appdata::kHomeObj) << "nothing saved: the home tab";
   EXPECT_EQ(Read(std::string(cui::appdata::kHomeObj) + "type"), "home");
}

TEST_F(Session, EachNewSessionReplacesItsHostOnceAndStaysActive)
{
   ASSERT_TRUE(NewLocalSession());
   cui::Host *first = wui::GetCurrentHost();
   int deleted = 0;
   first->add_destroy_notify_callback(&deleted, &CountDeletionNotify);
   ASSERT_TRUE(NewLocalSession());
   EXPECT_EQ(deleted, 1) << "the old host goes exactly once";
   EXPECT_NE(wui::GetCurrentHost(), first);
   // The old session's machines close from a later poll step; that end belongs to the old one.
   Poll(300);
   EXPECT_EQ(Read(cui::appdata::kSessionActive), "1") << "the late end of the old session leaves the new one active";
}

TEST_F(Session, RemoteSessionOverAConnectionEndsWhenTheConnectionIsLost)
{
   MakeApp(true);
   Config_Set("test.remoteHosts", "farhost");
   _bstr_t error;
   ASSERT_TRUE(app_->NewSession(true, _bstr_t("farhost"), _bstr_t("joe"), _bstr_t("pw"), &error))
      << static_cast<const char *>(error);
   std::string cnx = wui::GetPrefs()->GetSessionPath();
   ASSERT_NE(cnx, "");
   EXPECT_EQ(Read(cui::appdata::kSessionDest), "farhost");
   EXPECT_EQ(Read(cui::appdata::kSessionUser), "joe");
   cui::Host *host = wui::GetCurrentHost();
   ASSERT_TRUE(host);
   EXPECT_NE(host->GetPath(), Read(cui::appdata::kLocalHost)) << "the remote host's own node";
   EXPECT_FALSE(host->registeredVMsChanged.empty()) << "the machines check follows the new host";

   EXPECT_FALSE(app_->NewSession(true, _bstr_t("nowhere"), _bstr_t("joe"), _bstr_t("pw"), &error));
   EXPECT_NE(std::string(static_cast<const char *>(error)).find("nowhere"), std::string::npos);
   EXPECT_EQ(wui::GetPrefs()->GetSessionPath(), cnx) << "a refused destination leaves the session";

   Write(cnx + "lastError", "5");
   EXPECT_TRUE(PollUntil([&]() { return Read(cui::appdata::kSessionActive) == "0"; })) << "a lost connection ends the session";
   EXPECT_FALSE(Exists(cnx)) << "and its connection";
   EXPECT_FALSE(Exists(cui::appdata::kCurrentHost));
}

class SessionEnd : public Session {};

TEST_F(SessionEnd, WithoutASessionOnlyTheDoneSlotRuns)
{
   Outcome outcome;
   EXPECT_TRUE(app_->CloseSession(CZOLTApp::CLOSE_ASK, outcome.Abort(), outcome.Done()));
   EXPECT_EQ(outcome.dones, 1);
   EXPECT_EQ(outcome.aborts, 0);
}

TEST_F(SessionEnd, EndingNowHandsOverThePreferencesAndMarksTheSessionInactive)
{
   ASSERT_TRUE(NewLocalSession());
   Write("/user/prefState/req/#ZOLT/val/zolt/marker", "7");
   Outcome outcome;
   EXPECT_TRUE(app_->CloseSession(CZOLTApp::CLOSE_NOW, outcome.Abort(), outcome.Done()));
   ASSERT_TRUE(PollUntil([&]() { return outcome.dones == 1; }));
   EXPECT_EQ(Read(cui::appdata::kSessionActive), "0");
   EXPECT_EQ(Read("/user/prefState/val/zolt/marker"), "7") << "the preference request was submitted";
   EXPECT_EQ(outcome.aborts, 0);
}

TEST_F(SessionEnd, AskingWhileTheQuestionIsUpRaisesNoSecondAndCancelKeepsTheSession)
{
   ASSERT_TRUE(NewLocalSession());
   ASSERT_TRUE(RunningVm("asked"));
   Outcome outcome;
   EXPECT_FALSE(app_->CloseSession(CZOLTApp::CLOSE_ASK, outcome.Abort(), outcome.Done()));
   ASSERT_EQ(app_->GetDlgMgr()->GetDlgCount(), 1u);
   EXPECT_FALSE(app_->CloseSession(CZOLTApp::CLOSE_ASK, outcome.Abort(), outcome.Done()));
   EXPECT_EQ(app_->GetDlgMgr()->GetDlgCount(), 1u) << "one question at a time";

   // The question's Cancel is its second button.
   HWND dlg = GetActiveWindow();
   for (HWND w = GetTopWindow(nullptr); w && !dlg; w = GetNextWindow(w, GW_HWNDNEXT)) {
      dlg = GetDlgItem(w, IDC_VMDLG_SECOND) ? w : nullptr;
   }
   ASSERT_TRUE(GetDlgItem(dlg, IDC_VMDLG_SECOND));
   Press(dlg, IDC_VMDLG_SECOND);
   Poll(100);
   EXPECT_EQ(outcome.aborts, 1);
   EXPECT_TRUE(outcome.cancelled) << "Cancel is a cancel, not a failure";
   EXPECT_EQ(outcome.dones, 0);
   EXPECT_EQ(Read(cui::appdata::kSessionActive), "1");
   EXPECT_EQ(app_->GetDlgMgr()->GetDlgCount(), 0u);
}

TEST_F(SessionEnd, PowerOffModeStopsTheMachinesThenEnds)
{
   ASSERT_TRUE(NewLocalSession());
   cui::VM *a = RunningVm("first");
   cui::VM *b = RunningVm("second");
   ASSERT_TRUE(a && b);
   std::string aFile = a->GetFilename();
   Outcome outcome;
   EXPECT_FALSE(app_->CloseSession(CZOLTApp::CLOSE_POWER_OFF, outcome.Abort(), outcome.Done()));
   ASSERT_TRUE(PollUntil([&]() { return outcome.dones == 1; }, 10000)) << "the next pass ends the session";
   EXPECT_EQ(Read(cui::appdata::kSessionActive), "0");
   EXPECT_EQ(outcome.aborts, 0);
   EXPECT_EQ(wui::GetVMMgr()->GetVMByCfgPath(aFile), nullptr) << "the session's machines are closed";
}

class SavedTabs : public Session {};

TEST_F(SavedTabs, WithSavingOffNothingIsWritten)
{
   ASSERT_TRUE(NewLocalSession());
   Outcome outcome;
   app_->CloseSession(CZOLTApp::CLOSE_NOW, outcome.Abort(), outcome.Done());
   ASSERT_TRUE(PollUntil([&]() { return outcome.dones == 1; }));
   EXPECT_EQ(CountElements(kSavedTabs), 0);
   EXPECT_EQ(CountElements("/user/prefState/val/zolt/savedTabs/openedObj/#"), 0);
}

TEST_F(SavedTabs, SavingReplacesTheSetOfTheDestinationAndKeepsOthers)
{
   Write(kSaveTabs, "1");
   ASSERT_TRUE(NewLocalSession());
   // A tab of another destination, saved by an earlier run.
   std::string other = std::string(kSavedTabs).substr(0, std::string(kSavedTabs).size() - 1) + "#0100/";
   Write(other + "present", "1");
   Write(other + "type", "vm");
   Write(other + "dest", "farhost");
   app_->OpenTabInt(_bstr_t("hotfix"), _bstr_t("/hotfix/#0001"), _bstr_t("r.vmhr"), false, false, nullptr);

   app_->SaveOpenedObjs();
   int saved = CountElements(kSavedTabs);
   EXPECT_EQ(saved, 3) << "home, the hot-fix request and the other destination's tab";
   EXPECT_EQ(Read("/user/prefState/req/#ZOLT/val/zolt/savedTabs/currentObj/type"), "home");
   app_->SaveOpenedObjs();
   app_->SaveOpenedObjs();
   EXPECT_EQ(CountElements(kSavedTabs), saved) << "saving again does not grow the preferences";
   EXPECT_EQ(Read(other + "present"), "1") << "another destination's tabs stay";

   app_->CloseObj(_bstr_t("hotfix"), _bstr_t("/hotfix/#0001"));
   app_->SaveOpenedObjs();
   int present = 0;
   for (const std::string &element : cui::GetVmdbCtx().Elements(kSavedTabs)) {
      present += Read(element + "present") == "1" ? 1 : 0;
   }
   EXPECT_EQ(present, 2) << "a closed tab is no longer present";
}

TEST_F(SavedTabs, OnlyTheFirstSessionOpensTheCommandLineFiles)
{
   MakeApp(false, {folder_ + "\\given.vmx"});
   ASSERT_TRUE(NewLocalSession());
   EXPECT_NE(Current(), cui::appdata::kHomeObj) << "the command line's file stands in for the saved tabs";
   ASSERT_TRUE(NewLocalSession());
   EXPECT_EQ(Current(), cui::appdata::kHomeObj) << "a later session restores its tabs instead";
}

TEST_F(SavedTabs, RestoreWhereEveryOpenFailsAtOnceEndsOnTheHomeTab)
{
   Write(kSaveTabs, "1");
   const std::string base = std::string(kSavedTabs).substr(0, std::string(kSavedTabs).size() - 1);
   Write(base + "#0001/present", "1");
   Write(base + "#0001/type", "team");
   Write(base + "#0001/path", "C:\\missing\\t.vmtm");
   Write(base + "#0002/present", "1");
   Write(base + "#0002/type", "vm");
   Write(base + "#0002/path", "/vm/#0003/");
   Write(base + "#0002/file", "C:\\missing\\gone.vmx");
   Write(base + "#0002/dest", "");
   Write("/user/prefState/req/#ZOLT/val/zolt/savedTabs/currentObj/path", "/vm/#0003/");
   ASSERT_TRUE(NewLocalSession());
   Poll(500);
   EXPECT_EQ(Current(), cui::appdata::kHomeObj);
   EXPECT_EQ(CountElements(cui::appdata::kOpenedObjElements), 1) << "only the home tab";
}

TEST_F(Session, HelpLinksComeFromTheLocalHostFirstNameWins)
{
   const std::string urls = Read(cui::appdata::kLocalHost) + "setup/help/url/";
   Write(urls + "#0001/name", "support");
   Write(urls + "#0001/address", "http://first.example/");
   Write(urls + "#0001/addressSerialNb", "http://first.example/?sn");
   Write(urls + "#0002/name", "support");
   Write(urls + "#0002/address", "http://second.example/");
   EXPECT_EQ(std::string(static_cast<const char *>(app_->GetUrl(_bstr_t("support"), false))), "http://first.example/");
   EXPECT_EQ(std::string(static_cast<const char *>(app_->GetUrl(_bstr_t("support"), true))),
             "http://first.example/?sn");
   EXPECT_EQ(app_->GetUrl(_bstr_t("manual"), false).length(), 0u);
}

// An application deleted while its frame is still up (an exception ended the main loop): the
// frame and its children go while the model they show still exists.
TEST_F(Session, DeletingTheApplicationWithItsFrameUpDestroysTheFrameFirst)
{
   ASSERT_TRUE(app_->GetFrame()->CreateFrame("session test"));
   ASSERT_TRUE(NewLocalSession());
   cui::VM *vm = RunningVm("shown");
   ASSERT_TRUE(vm);
   _bstr_t opened = app_->OpenVMTab(vm, false, false, true);
   ASSERT_GT(opened.length(), 0u);
   wui::GetPrefs()->SetCurrentObj(static_cast<const char *>(opened));
   Poll(50);
   HWND frame = app_->GetFrame()->m_hWnd;
   ASSERT_TRUE(IsWindow(frame));
   bool modelAliveAtDestroy = false;
   // The frame's own destruction: the machine manager and the preferences must still be there.
   struct Watch {
      static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR flag)
      {
         if (msg == WM_DESTROY) {
            *reinterpret_cast<bool *>(flag) = cui::GetVMMgr() != nullptr && wui::GetPrefs() != nullptr;
         }
         return DefSubclassProc(wnd, msg, wp, lp);
      }
   };
   ASSERT_TRUE(SetWindowSubclass(frame, &Watch::Proc, 1, reinterpret_cast<DWORD_PTR>(&modelAliveAtDestroy)));
   TearDown();
   EXPECT_FALSE(IsWindow(frame));
   EXPECT_TRUE(modelAliveAtDestroy) << "the frame went after the model it shows";
}

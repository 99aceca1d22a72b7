// The host settings and preferences windows of an application in-process: their pages by UI
// mode, OK submitting the request and its outcome reaching the completion, Cancel and refusals
// leaving nothing behind, and the wait for another client's submission.
#include "MachineCmdsFixture.h"
#include "SheetDriver.h"

#include "zoltAppSettings.h"

#include "cui/Prefs.h"
#include "res/resource.h"
#include "tremappcfg/TremAppCfg.h"
#include "tremappcfg/TremAppCfgRes.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Config.h"
#include "tremorybase/Text.h"

#include <chrono>

namespace {

const std::string kHost = "/host2/#0000/";
const std::string kState = kHost + "settingsState/";
const std::string kPrefsState = "/user/prefState/";
const std::string kPrefsElement = "/user/prefState/req/#ZOLT/";

std::vector<std::string> Texts(const std::vector<const wchar_t *> &pages)
{
   std::vector<std::string> texts;
   for (const wchar_t *page : pages) {
      texts.push_back(Utf8FromWide(page));
   }
   return texts;
}

class SettingsWindows : public MachineCmds {
protected:
   void SetUp() override
   {
      static bool registered = false;
      if (!registered) {
         registered = true;
         tremappcfg::RegisterClasses();
      }
      MachineCmds::SetUp();
      ASSERT_TRUE(PollUntil([this]() { return Exists(kState + "val/memory/max"); })) << "the host's settings";
   }
   void StartRemoteMode()
   {
      MakeApp(true);
      _bstr_t error;
      ASSERT_TRUE(app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error));
      ASSERT_EQ(cui::Prefs::UI_MODE_REMOTE, cui::GetPrefs()->GetUIMode());
   }

   // Opens Host > Settings and hands the sheet to `drive`; the tab captions it showed.
   std::vector<std::string> EditHostSettings(const std::function<void(HWND)> &drive)
   {
      std::vector<std::string> tabs;
      SheetDriver driver([&](HWND sheet) {
         tabs = TabCaptions(sheet);
         drive(sheet);
      });
      app_->EditHostSettings();
      return tabs;
   }
   std::vector<std::string> EditPreferences(const std::function<void(HWND)> &drive)
   {
      std::vector<std::string> tabs;
      SheetDriver driver([&](HWND sheet) {
         tabs = TabCaptions(sheet);
         drive(sheet);
      });
      app_->EditPreferences();
      return tabs;
   }
   static void Cancel(HWND sheet) { PressSheetButton(sheet, PSBTN_CANCEL); }

   int Requests() const { return CountElements(kState + "req/#"); }
};

}  // namespace

TEST_F(SettingsWindows, PagesFollowTheUIModeAndTheCurrentMachine)
{
   EXPECT_EQ((std::vector<std::string>{"tremappcfg.GlbGeneral.9", "tremappcfg.GlbMemory.9", "tremappcfg.GlbPriority.9",
                                       "tremappcfg.GlbDevices.9", "tremappcfg.GlbConnections.9"}),
             Texts(zoltsettings::HostSettingsPages(true)));
   EXPECT_EQ((std::vector<std::string>{"tremappcfg.GlbMemory.9", "tremappcfg.GlbPriority.9", "tremappcfg.GlbDevices.9",
                                       "tremappcfg.PropLockout.9"}),
             Texts(zoltsettings::HostSettingsPages(false)));
   const std::vector<std::string> prefs = {"tremappcfg.PrefInput.9", "tremappcfg.PrefHotKeys.9",
                                           "tremappcfg.PrefAutoFit.9", "tremappcfg.PrefTools.9"};
   std::vector<std::string> remote = Texts(zoltsettings::PreferencePages(true, false));
   ASSERT_EQ(5u, remote.size());
   EXPECT_EQ("tremappcfg.PrefWorkspaceConsole.9", remote[0]);
   EXPECT_EQ(prefs, std::vector<std::string>(remote.begin() + 1, remote.end()));
   std::vector<std::string> restricted = Texts(zoltsettings::PreferencePages(false, false));
   ASSERT_EQ(5u, restricted.size()) << "a restricted machine: the preference pages only";
   EXPECT_EQ("tremappcfg.PrefWorkspace.9", restricted[0]);
   std::vector<std::string> local = Texts(zoltsettings::PreferencePages(false, true));
   ASSERT_EQ(9u, local.size());
   EXPECT_EQ(restricted, std::vector<std::string>(local.begin(), local.begin() + 5));
   EXPECT_EQ(Texts(zoltsettings::HostSettingsPages(false)), std::vector<std::string>(local.begin() + 5, local.end()));

   // The windows themselves, in UI mode 0 and 1.
   EXPECT_EQ((std::vector<std::string>{"Memory", "Priority", "Devices", "Lockout"}), EditHostSettings(&Cancel));
   EXPECT_EQ((std::vector<std::string>{"Workspace", "Input", "Hot Keys", "Display", "Tools", "Memory", "Priority",
                                       "Devices", "Lockout"}),
             EditPreferences(&Cancel));
   StartRemoteMode();
   EXPECT_EQ((std::vector<std::string>{"General", "Memory", "Priority", "Devices", "Connections"}),
             EditHostSettings(&Cancel));
   EXPECT_EQ((std::vector<std::string>{"Workspace", "Input", "Hot Keys", "Display", "Tools"}),
             EditPreferences(&Cancel));
   EXPECT_EQ(0, Requests()) << "no host element for preferences without host pages";
}

TEST_F(SettingsWindows, OkSubmitsTheHostSettingsAndTheOutcomeReachesTheCompletion)
{
   Config_Set("test.vmmsg.answer", "");
   const std::string before = Read(kState + "val/memory/max");
   std::string shown;
   EditHostSettings([&](HWND sheet) {
      HWND memory = SelectPage(sheet, 0);
      shown = ItemText(memory, IDC_CFG_MEMORY_MAX);
      SetItemText(memory, IDC_CFG_MEMORY_MAX, "1024");
      CheckDlgButton(SelectPage(sheet, 3), IDC_CFG_LOCK_CREATE, BST_CHECKED);
      PressSheetButton(sheet, PSBTN_OK);
   });
   EXPECT_EQ(before, shown) << "the page showed the host's value";
   ASSERT_TRUE(PollUntil([this]() { return Read(kState + "val/memory/max") == "1024"; }));
   EXPECT_EQ("1", Read(kHost + "policy/lockoutCreateVM")) << "the lockout reaches the host";
   ASSERT_TRUE(PollUntil([this]() { return Requests() == 0; })) << "the answered element is removed";
   EXPECT_EQ("", Read(kState + "new"));
   // The watch went with the answer: a later element of the same name is not taken for it.
   Write(kState + "req/#0001/status", "error");
   Write(kState + "req/#0001/status/error/errMsg", "stale");
   DialogAnswerer box([](HWND dlg) { PostMessageW(dlg, WM_CLOSE, 0, 0); });
   Poll(300);
   EXPECT_FALSE(box.Answered()) << box.Text();
}

TEST_F(SettingsWindows, CancelSubmitsNothingAndLeavesNoElement)
{
   const std::string before = Read(kState + "val/memory/max");
   EditHostSettings([](HWND sheet) {
      SetItemText(SelectPage(sheet, 0), IDC_CFG_MEMORY_MAX, "64");
      Cancel(sheet);
   });
   Poll(100);
   EXPECT_EQ("", Read(kState + "new"));
   EXPECT_EQ(0, Requests()) << "read through another context: the batch was closed";
   EXPECT_EQ(before, Read(kState + "val/memory/max"));

   const std::string tabs = Read(kPrefsElement + "val/zolt/view/tabs");
   EditPreferences([](HWND sheet) {
      CheckDlgButton(SelectPage(sheet, 0), IDC_CFG_SHOW_TABS, BST_UNCHECKED);
      Cancel(sheet);
   });
   Poll(100);
   EXPECT_EQ("", Read(kPrefsState + "new"));
   EXPECT_EQ(tabs, Read(kPrefsElement + "val/zolt/view/tabs"));
   EXPECT_EQ(0, Requests());
}

TEST_F(SettingsWindows, ARefusedRequestShowsTheHostsErrorAndLeavesNothingOpen)
{
   Config_Set("test.vmmsg.answer", "");
   const std::string before = Read(kState + "val/memory/max");
   EditHostSettings([](HWND sheet) {
      SetItemText(SelectPage(sheet, 0), IDC_CFG_MEMORY_MAX, "99999999");
      PressSheetButton(sheet, PSBTN_OK);
   });
   DialogAnswerer box([](HWND dlg) { PostMessageW(dlg, WM_CLOSE, 0, 0); });
   ASSERT_TRUE(PollUntil([&]() { return box.Answered(); }));
   EXPECT_NE(std::string::npos, box.Text().find("Saving the settings failed: The reserved memory of 99999999 MB is "
                                                "more than"))
      << box.Text();
   EXPECT_EQ(before, Read(kState + "val/memory/max"));
   EXPECT_TRUE(PollUntil([this]() { return Requests() == 0; }));
   EXPECT_EQ("", Read(kState + "new"));

   // The next window opens and submits as usual.
   EditHostSettings([](HWND sheet) {
      SetItemText(SelectPage(sheet, 0), IDC_CFG_MEMORY_MAX, "256");
      PressSheetButton(sheet, PSBTN_OK);
   });
   EXPECT_TRUE(PollUntil([this]() { return Read(kState + "val/memory/max") == "256"; }));
}

TEST_F(SettingsWindows, SettingsChangedByAnotherClientMeanwhileAreNotOverwritten)
{
   Config_Set("test.vmmsg.answer", "");
   ASSERT_EQ("1", Read(kState + "version"));
   EditHostSettings([this](HWND sheet) {
      SetItemText(SelectPage(sheet, 0), IDC_CFG_MEMORY_MAX, "300");
      // Another client's change is taken while this window is open.
      Write(kState + "val/memory/max", "900");
      Write(kState + "version", "2");
      PressSheetButton(sheet, PSBTN_OK);
   });
   DialogAnswerer box([](HWND dlg) { PostMessageW(dlg, WM_CLOSE, 0, 0); });
   ASSERT_TRUE(PollUntil([&]() { return box.Answered(); }));
   EXPECT_NE(std::string::npos, box.Text().find(tremapputil::ResString(IDS_HOST_SETTINGS_CHANGED).Format())) << box.Text();
   EXPECT_EQ("900", Read(kState + "val/memory/max"));
   EXPECT_TRUE(PollUntil([this]() { return Requests() == 0; }));

   EditHostSettings([](HWND sheet) {
      SetItemText(SelectPage(sheet, 0), IDC_CFG_MEMORY_MAX, "300");
      PressSheetButton(sheet, PSBTN_OK);
   });
   EXPECT_TRUE(PollUntil([this]() { return Read(kState + "val/memory/max") == "300"; })) << "made over the new one";
   EXPECT_EQ("3", Read(kState + "version"));
}

TEST_F(SettingsWindows, PreferencesSubmitTheirElementAndTheHostsTogether)
{
   EditPreferences([](HWND sheet) {
      CheckDlgButton(SelectPage(sheet, 3), IDC_CFG_AUTOFIT_WINDOW, BST_CHECKED);
      SetItemText(SelectPage(sheet, 5), IDC_CFG_MEMORY_MAX, "768");
      PressSheetButton(sheet, PSBTN_OK);
   });
   ASSERT_TRUE(PollUntil([this]() { return Read(kPrefsElement + "status") == "ok"; }));
   EXPECT_TRUE(cui::GetPrefs()->GetAutofitWindow());
   EXPECT_EQ("1", Read(kPrefsState + "val/zolt/view/autofitWindow"));
   EXPECT_TRUE(PollUntil([this]() { return Read(kState + "val/memory/max") == "768"; }));
   EXPECT_TRUE(PollUntil([this]() { return Requests() == 0; }));
}

TEST_F(SettingsWindows, AnotherClientsPendingSubmissionIsWaitedFor)
{
   Config_Set("test.host.delayMs", "400");
   Write(kState + "req/#0050/val/priority/grabbed", "high");
   Write(kState + "new", kState + "req/#0050/");
   std::string otherStatus;
   std::string newWhenShown;
   EditHostSettings([&](HWND sheet) {
      otherStatus = Read(kState + "req/#0050/status");
      newWhenShown = Read(kState + "new");
      Cancel(sheet);
   });
   EXPECT_EQ("ok", otherStatus) << "the window opened only once the other submission was taken";
   EXPECT_EQ("", newWhenShown);
   EXPECT_EQ("high", Read(kState + "val/priority/grabbed"));
}

TEST_F(SettingsWindows, ASubmissionThatIsNeverTakenRefusesTheWindow)
{
   Config_Set("test.vmmsg.answer", "");
   Config_Set("test.host.noAnswer", "settingsState");
   Write(kState + "req/#0050/val/priority/grabbed", "high");
   Write(kState + "new", kState + "req/#0050/");
   SheetDriver sheet([](HWND s) { Cancel(s); });
   DialogAnswerer box([](HWND dlg) { PostMessageW(dlg, WM_COMMAND, IDOK, 0); });
   auto start = std::chrono::steady_clock::now();
   app_->EditHostSettings();
   auto waited = std::chrono::steady_clock::now() - start;
   EXPECT_FALSE(sheet.Driven());
   ASSERT_TRUE(box.Answered());
   EXPECT_EQ(tremapputil::ResString(IDS_SETTINGS_SUBMISSION_PENDING).Format(), box.Text());
   EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(waited).count(), zoltsettings::kPendingWaitMs - 100);
   EXPECT_EQ(kState + "req/#0050/", Read(kState + "new")) << "the other submission is left alone";
   EXPECT_EQ(1, Requests()) << "only the other client's element";
}

// The tip of the day: the library's tip source and the dialog that walks it, with its position
// and show-at-start-up choice kept in the user's preferences; the about box and its page; the
// Help commands that run them.
#include "WindowText.h"
#include "zoltAbout.h"
#include "zoltApp.h"
#include "zoltResources.h"
#include "zoltStatusAbout.h"
#include "zoltTips.h"

#include "atl/Atl.h"
#include "cui/Host.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "cui/TipMgr.h"
#include "res/resource.h"
#include "tremorybase/Base.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"
#include "vmdb/ClientClasses.h"
#include "vmdb/Classes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void StartProcess()
{
   static bool started = false;
   if (started) {
      return;
   }
   started = true;
   Base_Init();
   Base_InitPoll(nullptr, nullptr, nullptr);
   _Module.Init(nullptr, GetModuleHandleA(nullptr));
   CoInitialize(nullptr);
   vmdb::RegisterClasses();
   vmdb::RegisterClientClasses();
   Base_InitComplete();
}

using testsupport::TextOf;

struct Walk {
   std::vector<std::string> tips;
   std::vector<short> next;
   int doneCalls = 0;
   bool success = false;
   std::string error;

   void Ask(cui::TipMgr &mgr, short index)
   {
      mgr.GetNextTip(index,
                     [this](bool ok, cui::Error e) {
                        ++doneCalls;
                        success = ok;
                        error = e.GetText();
                     },
                     [this](std::string tip, short newIndex) {
                        tips.push_back(tip);
                        next.push_back(newIndex);
                     });
   }
};

std::string WriteTempFile(const std::string &name, const std::string &content)
{
   char temp[MAX_PATH] = "";
   GetTempPathA(MAX_PATH, temp);
   std::string path = std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId());
   FILE *file = fopen(path.c_str(), "wb");
   fwrite(content.data(), 1, content.size(), file);
   fclose(file);
   return path;
}

}  // namespace

TEST(TipMgr, BuiltInTipsWalkInOrderAndWrapAtTheEnd)
{
   cui::TipMgr mgr("");
   std::vector<std::string> all = mgr.GetTips();
   ASSERT_GE(all.size(), 10u);
   Walk walk;
   short index = 0;
   for (size_t i = 0; i < all.size() + 2; ++i) {
      walk.Ask(mgr, index);
      ASSERT_EQ(walk.next.size(), i + 1);
      index = walk.next.back();
   }
   EXPECT_EQ(walk.doneCalls, static_cast<int>(all.size() + 2));
   EXPECT_TRUE(walk.success);
   for (size_t i = 0; i < walk.tips.size(); ++i) {
      EXPECT_EQ(walk.tips[i], all[i % all.size()]) << "tip " << i;
   }
   EXPECT_EQ(walk.next[all.size() - 1], 0) << "the last tip leads back to the first";

   // An index past the end, or below zero (a damaged preference), starts over.
   Walk odd;
   odd.Ask(mgr, static_cast<short>(all.size() + 5));
   odd.Ask(mgr, -3);
   ASSERT_EQ(odd.tips.size(), 2u);
   EXPECT_EQ(odd.tips[0], all[0]);
   EXPECT_EQ(odd.tips[1], all[0]);
   EXPECT_EQ(odd.next[0], 1);
}

TEST(TipMgr, TipsFileSkipsBlankAndCommentLinesAndReportsWhenThereIsNothingToShow)
{
   std::string path = WriteTempFile("zolt-tips", "# heading\r\nFirst tip.\r\n\r\n  \nSecond tip.  \nThird tip");
   cui::TipMgr mgr(path);
   EXPECT_EQ(mgr.GetTips(), (std::vector<std::string>{"First tip.", "Second tip.", "Third tip"}));
   Walk walk;
   walk.Ask(mgr, 2);
   ASSERT_EQ(walk.tips.size(), 1u);
   EXPECT_EQ(walk.tips[0], "Third tip");
   EXPECT_EQ(walk.next[0], 0);
   DeleteFileA(path.c_str());

   std::string empty = WriteTempFile("zolt-tips-empty", "# nothing here\n\n");
   cui::TipMgr none(empty);
   Walk failed;
   failed.Ask(none, 0);
   EXPECT_TRUE(failed.tips.empty()) << "no tip slot without a tip";
   EXPECT_EQ(failed.doneCalls, 1);
   EXPECT_FALSE(failed.success);
   EXPECT_NE(failed.error.find("holds no tips"), std::string::npos) << failed.error;
   DeleteFileA(empty.c_str());

   cui::TipMgr missing(path + "-gone");
   Walk gone;
   gone.Ask(missing, 0);
   EXPECT_EQ(gone.doneCalls, 1);
   EXPECT_FALSE(gone.success);
   EXPECT_NE(gone.error.find("cannot be read"), std::string::npos) << gone.error;
}

class HelpDialogs : public ::testing::Test {
protected:
   static void SetUpTestSuite() { StartProcess(); }

   void SetUp() override
   {
      static int count = 0;
      CommandLineOptions options;
      options.databaseName = "tips-" + std::to_string(++count);
      options.forceDeskmoorMode = true;
      app_ = new CZOLTApp(options);
      gApp = app_;
   }

   void TearDown() override
   {
      delete app_;
      app_ = nullptr;
      gApp = nullptr;
      Poll_Reset();
   }

   std::string Pref(const char *node) { return cui::GetPrefs()->GetString(node); }

   CZOLTApp *app_ = nullptr;
};

TEST_F(HelpDialogs, NextTipsAndCloseContinueFromTheLastTipAndTheCheckBoxIsRemembered)
{
   std::vector<std::string> all = cui::TipMgr("").GetTips();
   ASSERT_GE(all.size(), 6u);
   {
      CZOLTTips tips;
      ASSERT_TRUE(tips.Create(nullptr));
      EXPECT_EQ(TextOf(tips.GetDlgItem(IDC_TIP_TEXT)), all[0]) << "no index saved yet";
      EXPECT_EQ(tips.IsDlgButtonChecked(IDC_TIP_STARTUP), BST_UNCHECKED);
      EXPECT_TRUE(reinterpret_cast<HFONT>(tips.SendDlgItemMessage(IDC_TIP_HEADING, WM_GETFONT, 0, 0)))
         << "the heading has its own font";
      for (int i = 1; i <= 3; ++i) {
         tips.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_TIP_NEXT, BN_CLICKED), 0);
         EXPECT_EQ(TextOf(tips.GetDlgItem(IDC_TIP_TEXT)), all[i]);
      }
      tips.CheckDlgButton(IDC_TIP_STARTUP, BST_CHECKED);
      tips.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      EXPECT_FALSE(IsWindow(tips.m_hWnd));
   }
   EXPECT_EQ(Pref(CZOLTTips::kIndexPref), "4");
   EXPECT_EQ(Pref(CZOLTTips::kStartupPref), "-1");
   EXPECT_TRUE(cui::GetPrefs()->GetBool(CZOLTTips::kStartupPref, false)) << "the start-up test reads it as set";

   // The next opening goes on after the last tip shown; the close box saves like Close.
   {
      CZOLTTips tips;
      ASSERT_TRUE(tips.Create(nullptr));
      EXPECT_EQ(TextOf(tips.GetDlgItem(IDC_TIP_TEXT)), all[4]);
      EXPECT_EQ(tips.IsDlgButtonChecked(IDC_TIP_STARTUP), BST_CHECKED);
      tips.CheckDlgButton(IDC_TIP_STARTUP, BST_UNCHECKED);
      tips.SendMessage(WM_CLOSE, 0, 0);
      EXPECT_FALSE(IsWindow(tips.m_hWnd));
   }
   EXPECT_EQ(Pref(CZOLTTips::kIndexPref), "5");
   EXPECT_EQ(Pref(CZOLTTips::kStartupPref), "0") << "clearing the box writes 0";
   EXPECT_FALSE(cui::GetPrefs()->GetBool(CZOLTTips::kStartupPref, true));
}

namespace {

std::vector<std::string> gCaptions;
HHOOK gHook = nullptr;

// Notes each dialog that comes up and closes it with Cancel.
LRESULT CALLBACK CloseDialogs(int code, WPARAM wParam, LPARAM lParam)
{
   if (code == HCBT_ACTIVATE) {
      HWND box = reinterpret_cast<HWND>(wParam);
      char cls[16] = "";
      GetClassNameA(box, cls, sizeof cls);
      if (lstrcmpA(cls, "#32770") == 0 && !GetParent(box) &&
          (gCaptions.empty() || gCaptions.back() != TextOf(box))) {
         gCaptions.push_back(TextOf(box));
         PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      }
   }
   return CallNextHookEx(gHook, code, wParam, lParam);
}

}  // namespace

TEST_F(HelpDialogs, HelpCommandsRunTheTipOfTheDayAndTheAboutBoxModally)
{
   gCaptions.clear();
   gHook = SetWindowsHookExA(WH_CBT, CloseDialogs, nullptr, GetCurrentThreadId());
   app_->OnHelpCommand(IDM_HELP_TIP_OF_THE_DAY);
   ASSERT_EQ(gCaptions.size(), 1u);
   EXPECT_EQ(gCaptions[0], "Tip of the Day");
   EXPECT_EQ(Pref(CZOLTTips::kIndexPref), "1") << "closing the dialog saved where it stopped";
   EXPECT_EQ(Pref(CZOLTTips::kStartupPref), "0");

   app_->OnHelpCommand(IDM_HELP_ABOUT);
   UnhookWindowsHookEx(gHook);
   gHook = nullptr;
   ASSERT_EQ(gCaptions.size(), 2u);
   EXPECT_NE(gCaptions[1].find(CZOLTApp::GetAppTitle()), std::string::npos) << gCaptions[1];
}

TEST_F(HelpDialogs, AboutPageFactsComeFromTheHostNodeOrFromThisComputer)
{
   vmdb::Ctx ctx = cui::GetNewVmdbCtx();
   ctx.Set("/host2/#0007/info/hostname", "lab-7");
   ctx.Set("/host2/#0007/info/memoryMB", "2048");
   ctx.Set("/host2/#0007/info/osVersion", "Linux 6.1");
   static char connection;
   cui::Host remote(reinterpret_cast<cui::Cnx *>(&connection), ctx, "/host2/#0007/");
   aboutpage::Facts facts = aboutpage::FactsFor(&remote, false);
   EXPECT_EQ(facts.product, CZOLTApp::GetAppTitle());
   EXPECT_EQ(facts.version, LoadResString(IDS_APP_VERSION));
   EXPECT_EQ(facts.hostName, "lab-7");
   EXPECT_EQ(facts.memory, "2048 MB");
   EXPECT_EQ(facts.hostOS, "Linux 6.1");
   EXPECT_EQ(aboutpage::FactsFor(&remote, true).product, LoadResString(IDS_ZEPHRO_EDITION));

   // A remote host that says nothing has no facts; this computer always has some.
   cui::Host silent(reinterpret_cast<cui::Cnx *>(&connection), ctx, "/host2/#0008/");
   facts = aboutpage::FactsFor(&silent, false);
   EXPECT_EQ(facts.hostName, "");
   EXPECT_EQ(facts.memory, "");
   facts = aboutpage::FactsFor(nullptr, false);
   EXPECT_FALSE(facts.hostName.empty());
   EXPECT_TRUE(facts.memory.size() > 3 && facts.memory.compare(facts.memory.size() - 3, 3, " MB") == 0)
      << facts.memory;
   EXPECT_EQ(facts.hostOS.rfind("Windows ", 0), 0u) << facts.hostOS;
}

TEST_F(HelpDialogs, AboutBoxPageCoversItsFrameAndTheTitleNamesTheEdition)
{
   CZOLTAbout about;
   ASSERT_TRUE(about.Create(nullptr));
   EXPECT_EQ(TextOf(about.m_hWnd), "About " + CZOLTApp::GetAppTitle());
   HWND frame = about.GetDlgItem(IDC_ABOUT_FRAME);
   HWND page = about.GetPageWindow();
   ASSERT_TRUE(page);
   EXPECT_FALSE(GetWindowLongA(frame, GWL_STYLE) & WS_VISIBLE) << "the frame is hidden under the page";
   EXPECT_TRUE(GetWindowLongA(page, GWL_STYLE) & WS_VISIBLE);
   RECT frameRect = {}, pageRect = {};
   GetWindowRect(frame, &frameRect);
   GetWindowRect(page, &pageRect);
   EXPECT_TRUE(EqualRect(&frameRect, &pageRect));
   EXPECT_TRUE(about.SendDlgItemMessage(IDC_ABOUT_ICON, STM_GETICON, 0, 0)) << "an icon is shown";
   EXPECT_EQ(TextOf(GetDlgItem(page, 1124)), CZOLTApp::GetAppTitle());
   EXPECT_NE(TextOf(GetDlgItem(page, 1063)).find(" MB"), std::string::npos);
   for (int id : {1246, 1117, 1118, 1119}) {
      EXPECT_FALSE(TextOf(about.GetDlgItem(id)).empty()) << "legal notice line " << id;
   }
   about.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
   EXPECT_FALSE(IsWindow(about.m_hWnd));
   EXPECT_FALSE(IsWindow(page)) << "the page goes with the box";
}

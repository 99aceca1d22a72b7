// The Help and Host commands, the home tab's close, the Zephro server popup with its address
// parsing and recent-server list, the web links, and the toolbar clean-up of the session end, on
// an application object built in-process.
#include "SessionFixture.h"

#include "zoltDlgMgr.h"

#include "cui/AppDataPaths.h"
#include "cui/WebLink.h"
#include "cui/ZephroServerMgr.h"
#include "res/resource.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <cstdlib>
#include <tuple>

namespace {

const char kHomepagePref[] = "/user/prefState/req/#ZOLT/val/zolt/view/homepage";
const char kHintOff[] = "/user/prefState/req/#ZOLT/val/hints/snapshotRemove/disabled";

std::string ReadLog()
{
   std::string text;
   std::string error;
   File_Read(Log_GetFileName(), text, error);
   return text;
}

// The log written from now on.
class LogTail {
public:
   LogTail() : start_(ReadLog().size()) {}
   std::string Text() const
   {
      std::string all = ReadLog();
      return all.size() > start_ ? all.substr(start_) : std::string();
   }

private:
   size_t start_;
};

// Answers every message box of the thread with one button, and counts them.
HHOOK gHook = nullptr;
int gAnswer = IDNO;
int gBoxes = 0;

LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam)
{
   if (code == HCBT_ACTIVATE) {
      HWND box = reinterpret_cast<HWND>(wParam);
      char cls[16] = "";
      GetClassNameA(box, cls, sizeof cls);
      if (lstrcmpA(cls, "#32770") == 0 && GetDlgItem(box, gAnswer)) {
         ++gBoxes;
         PostMessageA(box, WM_COMMAND, MAKEWPARAM(gAnswer, BN_CLICKED), 0);
      }
   }
   return CallNextHookEx(gHook, code, wParam, lParam);
}

// The texts of a window and its children.
std::string WindowTexts(HWND window)
{
   std::string texts;
   for (HWND child = window; child; child = child == window ? GetWindow(window, GW_CHILD) : GetWindow(child, GW_HWNDNEXT)) {
      wchar_t text[1024] = L"";
      GetWindowTextW(child, text, 1024);
      texts += Utf8FromWide(text) + "\n";
   }
   return texts;
}

// A visible top-level window of this thread showing `part`; null when none.
HWND FindWindowShowing(const std::string &part)
{
   struct Search {
      const std::string *part;
      HWND found;
      static BOOL CALLBACK OnWindow(HWND window, LPARAM param)
      {
         auto *s = reinterpret_cast<Search *>(param);
         if (IsWindowVisible(window) && WindowTexts(window).find(*s->part) != std::string::npos) {
            s->found = window;
            return FALSE;
         }
         return TRUE;
      }
   } search = {&part, nullptr};
   EnumThreadWindows(GetCurrentThreadId(), &Search::OnWindow, reinterpret_cast<LPARAM>(&search));
   return search.found;
}

}  // namespace

class HelpHost : public SessionFixture {
protected:
   static void SetUpTestSuite()
   {
      SessionFixture::SetUpTestSuite();
      if (!*Log_GetFileName()) {
         std::string log = File_GetTempFolder() + "helphost-" + std::to_string(GetCurrentProcessId()) + ".log";
         Config_Set("test.helphost.log", log.c_str());
         ASSERT_TRUE(Log_Start("helphost", "test.helphost.log", ""));
      }
   }
   void SetUp() override
   {
      for (const char *key : {"ui.zephro.extension", "link.216", "link.help"}) {
         Config_Set(key, "");
      }
      Config_Set("test.browser.log", "true");
      SessionFixture::SetUp();
   }

   bool NewLocalSession()
   {
      _bstr_t error;
      return app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error);
   }
   std::string OpenTab(const std::string &type, const std::string &path)
   {
      return static_cast<const char *>(
         app_->OpenTabInt(_bstr_t(type.c_str()), _bstr_t(path.c_str()), _bstr_t(path.c_str()), false, false, nullptr));
   }
   int AskEnableAllHints(int answer)
   {
      gAnswer = answer;
      gBoxes = 0;
      gHook = SetWindowsHookExA(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
      app_->OnHelpCommand(IDM_HELP_ENABLE_ALL_HINTS);
      UnhookWindowsHookEx(gHook);
      gHook = nullptr;
      return gBoxes;
   }
};

TEST_F(HelpHost, ClosingTheOnlyHomeTabLeavesNoCurrentObject)
{
   ASSERT_TRUE(NewLocalSession());
   ASSERT_EQ(Current(), cui::appdata::kHomeObj) << "a new session opens home";
   ASSERT_EQ(CountElements(cui::appdata::kOpenedObjElements), 1);

   app_->CloseHomepage();
   EXPECT_EQ(CountElements(cui::appdata::kOpenedObjElements), 0);
   EXPECT_EQ(Current(), "");
   EXPECT_FALSE(Exists(cui::appdata::kCurrentObj)) << "the link node is removed";
   EXPECT_EQ(Read(kHomepagePref), "0");
}

TEST_F(HelpHost, ClosingTheHomeTabMakesTheNextTabCurrentOrTheFirstWhenHomeWasLast)
{
   ASSERT_TRUE(NewLocalSession());
   std::string first = OpenTab("hotfix", "C:\\a.vmhr");
   std::string second = OpenTab("hotfix", "C:\\b.vmhr");
   ASSERT_EQ(Current(), cui::appdata::kHomeObj);
   app_->CloseHomepage();
   EXPECT_EQ(Current(), first) << "the tab after home";
   EXPECT_EQ(Read(kHomepagePref), "0");

   // A home record behind the others: the first tab becomes current, even when home was not.
   const std::string lastHome = std::string(cui::appdata::kOpenedObj) + "/#0fff/";
   Write(lastHome + "type", "home");
   Write(lastHome + "path", "");
   wui::GetPrefs()->SetCurrentObj(second);
   app_->CloseHomepage();
   EXPECT_FALSE(Exists(lastHome));
   EXPECT_EQ(Current(), first);
   EXPECT_EQ(CountElements(cui::appdata::kOpenedObjElements), 2);
}

TEST_F(HelpHost, ClosingWithoutAHomeTabStillKeepsHomeClosedAtTheNextStart)
{
   ASSERT_TRUE(NewLocalSession());
   std::string tab = OpenTab("hotfix", "C:\\a.vmhr");
   app_->CloseHomepage();
   ASSERT_EQ(Current(), tab);
   Write(kHomepagePref, "1");

   app_->CloseHomepage();
   EXPECT_EQ(Read(kHomepagePref), "0");
   EXPECT_EQ(Current(), tab) << "no home record: the current tab stays";
   EXPECT_EQ(CountElements(cui::appdata::kOpenedObjElements), 1);
}

TEST_F(HelpHost, HomePageLinksMapToTheirLinkNamesAndOpenTheHostsAddress)
{
   EXPECT_STREQ(HomePageLinkFor(IDM_HELP_SUPPORT).name, "support");
   EXPECT_TRUE(HomePageLinkFor(IDM_HELP_SUPPORT).serialNumberForm);
   EXPECT_STREQ(HomePageLinkFor(IDM_HELP_PRODUCTS).name, "products");
   EXPECT_TRUE(HomePageLinkFor(IDM_HELP_PRODUCTS).serialNumberForm);
   EXPECT_STREQ(HomePageLinkFor(IDM_HELP_REPORT).name, "report");
   EXPECT_TRUE(HomePageLinkFor(IDM_HELP_REPORT).serialNumberForm);
   EXPECT_STREQ(HomePageLinkFor(IDM_HELP_HOME_PAGE).name, "tremory");
   EXPECT_FALSE(HomePageLinkFor(IDM_HELP_HOME_PAGE).serialNumberForm);
   EXPECT_STREQ(HomePageLinkFor(IDM_HELP_ABOUT).name, "tremory") << "any other id";

   const std::string urls = Read(cui::appdata::kLocalHost) + "setup/help/url/";
   Write(urls + "#0001/name", "support");
   Write(urls + "#0001/address", "http://support.example/");
   Write(urls + "#0001/addressSerialNb", "http://support.example/?sn=1");
   Write(urls + "#0002/name", "tremory");
   Write(urls + "#0002/address", "http://home.example/");
   Write(urls + "#0002/addressSerialNb", "http://home.example/?sn=1");
   LogTail log;
   app_->OnHelpCommand(IDM_HELP_SUPPORT);
   app_->OnHelpCommand(IDM_HELP_HOME_PAGE);
   EXPECT_NE(log.Text().find("Browser: http://support.example/?sn=1\n"), std::string::npos) << log.Text();
   EXPECT_NE(log.Text().find("Browser: http://home.example/\n"), std::string::npos) << log.Text();
   EXPECT_EQ(log.Text().find("Browser: http://home.example/?sn"), std::string::npos);

   // A link the host does not publish opens nothing.
   LogTail none;
   app_->OnHelpCommand(IDM_HELP_REPORT);
   EXPECT_EQ(none.Text().find("Browser: "), std::string::npos) << none.Text();
}

TEST_F(HelpHost, ManualsOpenTheirWebLinksAndHelpTopicsTheEditionsHelp)
{
   LogTail log;
   app_->OnHelpCommand(IDM_HELP_MANUAL);
   app_->OnHelpCommand(IDM_HELP_ZEPHRO_GUIDE);
   Config_Set("link.216", "http://guide.example/start");
   app_->OnHelpCommand(IDM_HELP_GUIDE);
   app_->OnHelpCommand(IDM_HELP_TOPICS);
   std::string text = log.Text();
   EXPECT_NE(text.find("Browser: https://www.tremory.example/docs/manual/\n"), std::string::npos) << text;
   EXPECT_NE(text.find("Browser: https://www.tremory.example/docs/zephro-guide/\n"), std::string::npos) << text;
   EXPECT_NE(text.find("Browser: https://guide.example/start\n"), std::string::npos) << "the configured address";
   EXPECT_NE(text.find("Browser: https://www.tremory.example/help/zolt.html\n"), std::string::npos) << text;
}

TEST(WebLink, LookupGivesAFreeableAddressInTheAskedFormAndNothingForAnUnknownLink)
{
   char *secure = weblink::Lookup(weblink::LINK_MANUAL, true);
   ASSERT_TRUE(secure);
   EXPECT_STREQ(secure, "https://www.tremory.example/docs/manual/");
   free(secure);
   char *plain = weblink::Lookup(weblink::LINK_UPDATE_HELP, false);
   ASSERT_TRUE(plain);
   EXPECT_STREQ(plain, "http://www.tremory.example/support/update-check/");
   free(plain);
   EXPECT_EQ(weblink::Lookup(1, true), nullptr);

   Config_Set("link.1", "https://local.example/x");
   char *configured = weblink::Lookup(1, false);
   ASSERT_TRUE(configured);
   EXPECT_STREQ(configured, "http://local.example/x");
   free(configured);
   Config_Set("link.1", "");
}

TEST_F(HelpHost, EnableAllHintsAsksFirstAndActsOnlyOnYes)
{
   Write(kHintOff, "1");
   EXPECT_EQ(AskEnableAllHints(IDNO), 1);
   EXPECT_EQ(Read(kHintOff), "1") << "No keeps the hint off";
   EXPECT_EQ(AskEnableAllHints(IDYES), 1);
   EXPECT_FALSE(Exists(kHintOff)) << "Yes turns it on again";

   cui::Prefs *prefs = cui::GetPrefs();
   ASSERT_FALSE(prefs->GetShowEnabledHints());
   app_->OnHelpCommand(IDM_HELP_SHOW_ENABLED_HINTS);
   EXPECT_TRUE(prefs->GetShowEnabledHints());
   app_->OnHelpCommand(IDM_HELP_SHOW_ENABLED_HINTS);
   EXPECT_FALSE(prefs->GetShowEnabledHints());
}

TEST(ZephroAddress, TextsSplitIntoHostPortAndFlagOrGiveTheReason)
{
   std::string host = "kept";
   int port = 1;
   bool flag = false;
   EXPECT_EQ(cui::zephroutil::StringToAddress("zs.example", host, port, flag), "");
   EXPECT_EQ(host, "zs.example");
   EXPECT_EQ(port, 443);
   EXPECT_TRUE(flag);
   EXPECT_EQ(cui::zephroutil::StringToAddress(" http://zs.example:8080/ ", host, port, flag), "");
   EXPECT_EQ(host, "zs.example");
   EXPECT_EQ(port, 8080);
   EXPECT_FALSE(flag);
   EXPECT_EQ(cui::zephroutil::StringToAddress("http://zs.example", host, port, flag), "");
   EXPECT_EQ(port, 80);
   EXPECT_EQ(cui::zephroutil::StringToAddress("[fe80::1]:9443", host, port, flag), "");
   EXPECT_EQ(host, "fe80::1");
   EXPECT_EQ(port, 9443);

   // Every form the manager writes reads back the same.
   for (auto address : {std::make_tuple("a.example", 443, true), std::make_tuple("fe80::2", 8443, false)}) {
      std::string text = cui::zephroutil::AddressToString(std::get<0>(address), std::get<1>(address), std::get<2>(address));
      ASSERT_EQ(cui::zephroutil::StringToAddress(text, host, port, flag), "") << text;
      EXPECT_EQ(host, std::get<0>(address));
      EXPECT_EQ(port, std::get<1>(address));
      EXPECT_EQ(flag, std::get<2>(address));
   }

   host = "kept";
   port = 7;
   for (const char *bad : {"", "   ", "zs.example:", "zs.example:0", "zs.example:65536", "zs.example:8o",
                           "zs.example:-1", "ftp://zs.example", "zs example", "[fe80::1", "[zs]:443", ":443"}) {
      EXPECT_NE(cui::zephroutil::StringToAddress(bad, host, port, flag), "") << "\"" << bad << "\"";
   }
   EXPECT_EQ(host, "kept") << "a refused text leaves the outputs";
   EXPECT_EQ(port, 7);
   EXPECT_NE(cui::zephroutil::StringToAddress("zs.example:99999", host, port, flag).find("65535"), std::string::npos);
}

TEST_F(HelpHost, ServerConnectWithABadAddressShowsTheReasonAndNeverConnects)
{
   Config_Set("ui.zephro.extension", "true");
   MakeApp(false);
   ASSERT_TRUE(cui::ZephroServerMgrImpl::GetInstance());
   std::string host;
   int port = 0;
   bool flag = false;
   const std::string reason = cui::zephroutil::StringToAddress("zs.example:http", host, port, flag);
   ASSERT_NE(reason, "");

   LogTail log;
   _bstr_t bad("zs.example:http");
   app_->MenuButtonClicked(IDM_SERVER_CONNECT, bad, 13);
   ASSERT_EQ(app_->GetDlgMgr()->GetDlgCount(), 1u) << "an error dialog";
   EXPECT_TRUE(FindWindowShowing(reason)) << reason;
   Poll(100);
   EXPECT_EQ(log.Text().find("ZephroServerMgr::Connect"), std::string::npos) << log.Text();

   // A good address is handed to the server manager, whose failure is reported.
   _bstr_t good("zs.example:8443");
   app_->MenuButtonClicked(IDM_SERVER_CONNECT, good, 13);
   EXPECT_TRUE(PollUntil([&]() { return log.Text().find("no management server can be reached") != std::string::npos; }))
      << log.Text();
   EXPECT_NE(log.Text().find("ZephroServerMgr::Connect zs.example:8443"), std::string::npos) << log.Text();
   EXPECT_EQ(CountElements(cui::appdata::kOpenedObjElements), 0) << "no server tab";
}

TEST_F(HelpHost, RecentServersKeepTheLatestFirstAndForgetRemovesOne)
{
   cui::Prefs *prefs = cui::GetPrefs();
   prefs->SetQuenServerMRUEntry("a.example", "", "Yes", true, 443);
   prefs->SetQuenServerMRUEntry("b.example", "", "No", false, 8080);
   prefs->SetQuenServerMRUEntry("a.example", "", "No", true, 9443);
   std::vector<cui::Prefs::QuenServerMRUEntry> entries = prefs->GetQuenServerMRUEntries();
   ASSERT_EQ(entries.size(), 2u);
   EXPECT_EQ(entries[0].address, "a.example");
   EXPECT_EQ(entries[0].port, 9443);
   EXPECT_EQ(entries[0].directory, "No");
   EXPECT_EQ(entries[1].address, "b.example");
   EXPECT_FALSE(entries[1].flag);

   // The side bar names an entry by its address text.
   _bstr_t path(cui::zephroutil::AddressToString("b.example", 8080, false).c_str());
   app_->MenuButtonClicked(IDM_SERVER_FORGET, path, 13);
   entries = prefs->GetQuenServerMRUEntries();
   ASSERT_EQ(entries.size(), 1u);
   EXPECT_EQ(entries[0].address, "a.example");
   _bstr_t host("a.example");
   app_->OnQuenServerCommand(IDM_SERVER_FORGET, host, 13);
   EXPECT_TRUE(prefs->GetQuenServerMRUEntries().empty());
   _bstr_t unknown("c.example");
   app_->OnQuenServerCommand(IDM_SERVER_FORGET, unknown, 13);
   EXPECT_TRUE(prefs->GetQuenServerMRUEntries().empty());
}

TEST_F(HelpHost, DisconnectEndsTheSessionAndItsEndDropsToolbarListsThatNameNoButton)
{
   ASSERT_TRUE(NewLocalSession());
   wui::Prefs *prefs = wui::GetPrefs();
   Write(prefs->GetRequestPath() + wui::Prefs::ToolbarPath(wui::Prefs::TOOLBAR_POWER) + "items", "x,y");
   Write(prefs->GetRequestPath() + wui::Prefs::ToolbarPath(wui::Prefs::TOOLBAR_VIEW) + "items", "3,abc,5");
   Write(prefs->GetRequestPath() + wui::Prefs::ToolbarPath(wui::Prefs::TOOLBAR_SNAPSHOT) + "items", "2,1");

   app_->OnHostCommand(IDM_HOST_DISCONNECT);
   ASSERT_TRUE(PollUntil([&]() { return Read(cui::appdata::kSessionActive) == "0"; }));
   const std::string saved = "/user/prefState/";
   EXPECT_FALSE(Exists(saved + wui::Prefs::ToolbarPath(wui::Prefs::TOOLBAR_POWER) + "items"))
      << "a list naming no button gives the toolbar its defaults again";
   EXPECT_EQ(Read(saved + wui::Prefs::ToolbarPath(wui::Prefs::TOOLBAR_VIEW) + "items"), "3,5");
   EXPECT_EQ(Read(saved + wui::Prefs::ToolbarPath(wui::Prefs::TOOLBAR_SNAPSHOT) + "items"), "2,1");

   // No session left: another disconnect has nothing to end.
   app_->OnHostCommand(IDM_HOST_DISCONNECT);
   EXPECT_EQ(Read(cui::appdata::kSessionActive), "0");
}

TEST_F(HelpHost, ExitWhileTheAnsweredSuspendRunsAsksNothingMoreAndTheSessionEndsOnce)
{
   ASSERT_TRUE(NewLocalSession());
   cui::VM *vm = OpenVm("stopping");
   ASSERT_TRUE(vm);
   bool on = false;
   vm->SetPowerState(cui::VM::POWERED_ON, cui::VM::POWEROP_DEFAULT, cui::AbortSlot(), [&]() { on = true; });
   ASSERT_TRUE(PollUntil([&]() { return on; }));

   int firstDone = 0;
   int secondCalls = 0;
   EXPECT_FALSE(app_->CloseSession(CZOLTApp::CLOSE_SUSPEND, cui::AbortSlot(), [&]() { ++firstDone; }));
   LogTail log;
   // Exit again before the suspend has finished: the machine still counts as running.
   EXPECT_FALSE(app_->CloseSession(CZOLTApp::CLOSE_ASK, [&](bool, cui::Error) { ++secondCalls; },
                                   [&]() { ++secondCalls; }));
   EXPECT_EQ(app_->GetDlgMgr()->GetDlgCount(), 0u) << "no second question";
   EXPECT_NE(log.Text().find("the running machines are being stopped"), std::string::npos) << log.Text();

   ASSERT_TRUE(PollUntil([&]() { return firstDone == 1; }, 10000)) << "the suspend's pass ends the session";
   EXPECT_EQ(Read(cui::appdata::kSessionActive), "0");
   EXPECT_EQ(secondCalls, 0);

   // With the session over, asking again only calls its done slot.
   EXPECT_TRUE(app_->CloseSession(CZOLTApp::CLOSE_ASK, cui::AbortSlot(), [&]() { ++secondCalls; }));
   EXPECT_EQ(secondCalls, 1);
}

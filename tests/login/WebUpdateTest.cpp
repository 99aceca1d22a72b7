// The update check on an application built in-process, with the update service's answer from a
// file: the record it writes, when the update dialog and the failure's box appear, the check's
// preference, a timer that fires during a check, and what the dialog offers.
#include "ModalDriver.h"
#include "SessionFixture.h"

#include "zoltWebCheck.h"

#include "cui/AppDataPaths.h"
#include "cui/WebUpdate.h"
#include "res/resource.h"
#include "tremorybase/Config.h"

#include <fstream>

namespace {

const std::string kRecord = std::string(cui::appdata::kWebUpdate) + "/";
const std::string kPrefs = "/user/prefState/req/#ZOLT/val/zolt/webUpdate/";
// The message box's text.
const int kMessageBoxText = 0xffff;

class WebUpdate : public SessionFixture {
protected:
   void SetUp() override
   {
      MakeApp(false);
      Config_Set("webUpdate.answerDelayMs", "100");
   }
   void TearDown() override
   {
      SessionFixture::TearDown();
      for (const char *key : {"webUpdate.answerFile", "webUpdate.proxy.server", "webUpdate.proxy.port"}) {
         Config_Set(key, "");
      }
   }

   void Answer(const std::string &text)
   {
      const std::string file = folder_ + "\\answer";
      std::ofstream(file, std::ios::binary) << text;
      Config_Set("webUpdate.answerFile", file.c_str());
   }

   bool WaitForRecord(const std::string &value) { return PollUntil([&]() { return Read(kRecord + "updateAvailable") == value; }); }
};

const char kAvailable[] = "answer = \"available\"\nversion = \"6.1\"\nurl = \"https://updates.example/6.1\"\n"
                          "info = \"Faster snapshots.\"\n";

}  // namespace

TEST_F(WebUpdate, AnAvailableUpdateOpensTheDialogUnaskedWithItsPage)
{
   Answer(kAvailable);
   Write(kPrefs + "checkPeriod", "custom");
   Write(kPrefs + "checkValue", "3");
   int result = 0;
   ModalDriver driver([&](HWND dlg) {
      EXPECT_NE(ItemText(dlg, IDC_WEBCHECK_MESSAGE).find("A new version of"), std::string::npos)
         << ItemText(dlg, IDC_WEBCHECK_MESSAGE);
      EXPECT_EQ(ItemText(dlg, IDC_WEBCHECK_INFO), "Faster snapshots.");
      EXPECT_EQ(ItemText(dlg, IDC_WEBCHECK_PERIOD), "Every 3 days");
      EXPECT_FALSE(ItemText(dlg, IDC_WEBCHECK_LAST_CHECK).empty()) << "the check just made";
      EXPECT_TRUE(IsItemVisible(dlg, IDC_WEBCHECK_VISIT));
      EXPECT_TRUE(IsItemVisible(dlg, IDCANCEL));
      EXPECT_FALSE(IsItemVisible(dlg, IDOK));
      result = 1;
      Click(dlg, IDC_WEBCHECK_VISIT);
   });
   app_->StartWebUpdateCheck(false);
   ASSERT_TRUE(PollUntil([&]() { return driver.Seen() == 1 && result == 1; }));
   EXPECT_EQ(Read(kRecord + "updateAvailable"), "yes");
   EXPECT_EQ(Read(kRecord + "url"), "https://updates.example/6.1");
   EXPECT_EQ(Read(kRecord + "info"), "Faster snapshots.");
   EXPECT_NE(Read(kPrefs + "lastCheck/time"), "");
}

TEST_F(WebUpdate, NoUpdateIsShownOnlyWhenAsked)
{
   Answer("answer = \"upToDate\"\n");
   ModalDriver driver([](HWND dlg) {
      EXPECT_NE(ItemText(dlg, IDC_WEBCHECK_MESSAGE).find("up to date"), std::string::npos);
      EXPECT_TRUE(IsItemVisible(dlg, IDOK));
      EXPECT_FALSE(IsItemVisible(dlg, IDCANCEL));
      EXPECT_FALSE(IsItemVisible(dlg, IDC_WEBCHECK_VISIT));
      EXPECT_EQ(ItemText(dlg, IDC_WEBCHECK_PERIOD), "") << "no period chosen";
      Click(dlg, IDOK);
   });
   app_->StartWebUpdateCheck(false);
   ASSERT_TRUE(WaitForRecord("no"));
   Poll(200);
   EXPECT_EQ(driver.Seen(), 0);

   app_->StartWebUpdateCheck(true);
   ASSERT_TRUE(PollUntil([&]() { return driver.Seen() == 1; }));
}

TEST_F(WebUpdate, AFailureAskedForOffersRetryAndKeepsTheEarlierAnswer)
{
   Answer(kAvailable);
   {
      ModalDriver first([](HWND dlg) { Click(dlg, IDCANCEL); });
      app_->StartWebUpdateCheck(true);
      ASSERT_TRUE(WaitForRecord("yes"));
      ASSERT_TRUE(PollUntil([&]() { return first.Seen() == 1; }));
   }

   Answer("answer = \"error\"\nerror = \"The service is down.\"\n");
   Write(kPrefs + "lastCheck/time", "1");
   app_->StartWebUpdateCheck(false);
   ASSERT_TRUE(WaitForRecord("error"));
   EXPECT_EQ(Read(kRecord + "url"), "https://updates.example/6.1") << "an earlier answer stays";

   Write(kRecord + "updateAvailable", "no");
   Config_Set("webUpdate.proxy.server", "proxy.example");
   int boxes = 0;
   const int asked = cui::WebUpdate::GetServiceRequestCount();
   ModalDriver driver([&](HWND dlg) {
      ++boxes;
      EXPECT_NE(ItemText(dlg, kMessageBoxText).find("to check for updates"), std::string::npos) << ItemText(dlg, kMessageBoxText);
      EXPECT_EQ(ItemText(dlg, kMessageBoxText).find("proxy.example"), std::string::npos) << "a port is needed too";
      Click(dlg, boxes == 1 ? IDRETRY : IDCANCEL);
   });
   app_->StartWebUpdateCheck(true);
   ASSERT_TRUE(PollUntil([&]() { return boxes == 2; }));
   EXPECT_EQ(cui::WebUpdate::GetServiceRequestCount(), asked + 2) << "Retry checked again";
   EXPECT_EQ(Read(kRecord + "updateAvailable"), "error");

   std::string text;
   Config_Set("webUpdate.proxy.port", "3128");
   BuildWebUpdateErrorText(text);
   EXPECT_NE(text.find("proxy.example"), std::string::npos);
   EXPECT_NE(text.find("3128"), std::string::npos);
}

TEST_F(WebUpdate, AutomaticChecksHonourTheirPreference)
{
   Answer("answer = \"upToDate\"\n");
   const int asked = cui::WebUpdate::GetServiceRequestCount();
   Write(kPrefs + "checkPeriod", "manual");
   app_->StartWebUpdateCheck(false);
   Poll(300);
   EXPECT_EQ(cui::WebUpdate::GetServiceRequestCount(), asked) << "manual: never on its own";

   Write(kPrefs + "checkPeriod", "weekly");
   Write(kPrefs + "lastCheck/time", std::to_string(static_cast<long long>(time(nullptr)) - 3 * 86400));
   app_->StartWebUpdateCheck(false);
   Poll(300);
   EXPECT_EQ(cui::WebUpdate::GetServiceRequestCount(), asked) << "checked three days ago";

   Write(kPrefs + "lastCheck/time", std::to_string(static_cast<long long>(time(nullptr)) - 8 * 86400));
   app_->StartWebUpdateCheck(false);
   ASSERT_TRUE(WaitForRecord("no"));
   EXPECT_EQ(cui::WebUpdate::GetServiceRequestCount(), asked + 1);
}

TEST_F(WebUpdate, ATimerDuringACheckStartsNoSecondOne)
{
   Answer(kAvailable);
   Config_Set("webUpdate.answerDelayMs", "300");
   const int asked = cui::WebUpdate::GetServiceRequestCount();
   ModalDriver driver([](HWND dlg) { Click(dlg, IDCANCEL); });
   app_->StartWebUpdateCheck(false);
   CZOLTApp::OnWebUpdateTimer(nullptr, WM_TIMER, CZOLTApp::kWebUpdateTimer, 0);
   app_->StartWebUpdateCheck(true);
   ASSERT_TRUE(PollUntil([&]() { return driver.Seen() == 1; }));
   Poll(500);
   EXPECT_EQ(cui::WebUpdate::GetServiceRequestCount(), asked + 1);
   EXPECT_EQ(driver.Seen(), 1);

   // Once the check is over, the timer starts the next one.
   Write(kPrefs + "lastCheck/time", "1");
   CZOLTApp::OnWebUpdateTimer(nullptr, WM_TIMER, CZOLTApp::kWebUpdateTimer, 0);
   ASSERT_TRUE(PollUntil([&]() { return driver.Seen() == 2; }));
   EXPECT_EQ(cui::WebUpdate::GetServiceRequestCount(), asked + 2);
}

TEST_F(WebUpdate, TheDialogNeverOffersAnAddressThatIsNoWebPage)
{
   Write(kRecord + "updateAvailable", "yes");
   Write(kRecord + "url", "file:///C:/Windows/notepad.exe");
   Write(kRecord + "message", "Run the update now.");
   Write(kPrefs + "checkPeriod", "sometimes");
   ModalDriver driver([](HWND dlg) {
      EXPECT_EQ(ItemText(dlg, IDC_WEBCHECK_MESSAGE), "Run the update now.");
      EXPECT_FALSE(IsItemVisible(dlg, IDC_WEBCHECK_VISIT));
      EXPECT_TRUE(IsItemVisible(dlg, IDOK));
      EXPECT_EQ(ItemText(dlg, IDC_WEBCHECK_PERIOD), "");
      EXPECT_EQ(ItemText(dlg, IDC_WEBCHECK_LAST_CHECK), "");
      Click(dlg, IDOK);
   });
   CZOLTWebCheck dialog(app_->GetDatabase());
   EXPECT_EQ(dialog.DoModal(nullptr), IDOK);
   EXPECT_EQ(driver.Seen(), 1);
}

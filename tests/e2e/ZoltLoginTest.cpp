// Connecting to another host through the login dialog and the update check, driven as a user
// does: typing into the dialog, reading what it shows, the side bar of the host, a machine
// powered on there; the update dialog from the Help menu with the service's three answers, and
// the check at start-up following its preference.
#include "ScreenImage.h"
#include "SidebarSupport.h"
#include "ZoltRun.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

const char kLoginTitle[] = "Connect to Host";
const char kUpdateTitle[] = "Check for Updates";
const char kRegVmsClass[] = "TremappsdkRegVms";
const char kPassword[] = "Corr3ct-Horse";
const char kWrongPassword[] = "Wr0ng-Battery";

void KeepShot(const e2e::TestFolder &folder, HWND window, const std::string &name)
{
   // The dialog paints after it shows.
   Sleep(400);
   e2e::ScreenImage image = e2e::CaptureWindowFromScreen(window);
   EXPECT_FALSE(image.Empty()) << name;
   e2e::SavePng(image, folder.PathOf(name));
   e2e::SavePng(image, e2e::TestProgramFolder() + "\\" + name);
}

std::string ItemText(HWND dialog, int id)
{
   return e2e::ReadText(GetDlgItem(dialog, id)).value_or("");
}

bool IsShown(HWND dialog, int id)
{
   HWND item = GetDlgItem(dialog, id);
   return item && IsWindowVisible(item);
}

// Clicks into a field and types, as a user does. A combo box is typed into through its edit.
bool TypeInto(HWND dialog, int id, const std::string &text)
{
   HWND field = GetDlgItem(dialog, id);
   if (HWND edit = FindWindowExA(field, nullptr, "Edit", nullptr)) {
      field = edit;
   }
   // The keys are queued: the field holds the text once the dialog has read them.
   return field && e2e::Click(field, 4, 4) && e2e::TypeText(field, text) &&
          e2e::WaitUntil([&]() { return e2e::ReadText(field).value_or("") == text; }, 5000);
}

class LoginRun : public zoltrun::ZoltRun {
public:
   LoginRun(const e2e::TestFolder &folder, const std::string &extra)
      : ZoltRun(folder, "vmdb.dump = " + e2e::QuoteValue(folder.PathOf("dump.vmdb")) + "\n" + extra),
        folder_(folder)
   {
   }

   // Starts zolt as a user does, without naming a host: the login dialog asks for one.
   HWND StartAsked(e2e::Process &zolt) const
   {
      if (!StartSecond(zolt, "")) {
         ADD_FAILURE() << e2e::LastFailure();
         return nullptr;
      }
      HWND dialog = e2e::WaitForWindow({"#32770", kLoginTitle, false, zolt.Id()});
      EXPECT_TRUE(dialog) << e2e::LastFailure() << Log();
      return dialog;
   }

   // Everything the run left: its log, the user's saved data and the database at exit.
   std::string Traces() const
   {
      return Log() + e2e::ReadTextFile(folder_.PathOf("user.vmdb")).value_or("") +
             e2e::ReadTextFile(folder_.PathOf("dump.vmdb")).value_or("");
   }

private:
   const e2e::TestFolder &folder_;
};

}  // namespace

TEST(ZoltLogin, AWrongThenARightPasswordReachesTheHostWhoseMachinePowersOn)
{
   e2e::TestFolder folder;
   const std::string vmx = folder.WriteFile("Far Box.vmx", zoltrun::MachineVmx("Far Box"));
   LoginRun run(folder, "test.remoteHosts = \"farhost\"\n"
                        "test.remoteHost.farhost.users = " + e2e::QuoteValue(std::string("joe:") + kPassword) + "\n" +
                        "test.remoteHost.farhost.vms = " + e2e::QuoteValue(e2e::ToWindowsPath(vmx)) + "\n");
   {
      e2e::Process zolt;
      HWND dialog = run.StartAsked(zolt);
      ASSERT_TRUE(dialog);
      EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_LOGIN_REMOTE), BST_CHECKED);
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK))) << "nothing typed yet";
      KeepShot(folder, dialog, "login-start.png");
      ASSERT_TRUE(TypeInto(dialog, IDC_LOGIN_HOST, "farhost")) << e2e::LastFailure();
      ASSERT_TRUE(TypeInto(dialog, IDC_LOGIN_USER, "joe")) << e2e::LastFailure();
      ASSERT_TRUE(TypeInto(dialog, IDC_LOGIN_PASSWORD, kWrongPassword)) << e2e::LastFailure();
      ASSERT_TRUE(e2e::WaitUntil([&]() { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != FALSE; }, 5000));
      ASSERT_TRUE(e2e::ClickButton(dialog, IDOK));

      // The refusal is reported, and the dialog asks again with the host and user kept.
      ASSERT_TRUE(run.WaitForLog("Incorrect user name or password.")) << run.Log();
      ASSERT_TRUE(e2e::WaitUntil(
         [&]() {
            dialog = e2e::WaitForWindow({"#32770", kLoginTitle, false, zolt.Id()}, 200);
            return dialog && ItemText(dialog, IDC_LOGIN_ERROR).find("Incorrect") != std::string::npos;
         },
         zoltrun::kHostMs))
         << run.Log();
      EXPECT_EQ(ItemText(dialog, IDC_LOGIN_HOST), "farhost");
      EXPECT_EQ(ItemText(dialog, IDC_LOGIN_USER), "joe");
      EXPECT_EQ(ItemText(dialog, IDC_LOGIN_PASSWORD), "");
      KeepShot(folder, dialog, "login-error.png");
      ASSERT_TRUE(TypeInto(dialog, IDC_LOGIN_PASSWORD, kPassword)) << e2e::LastFailure();
      ASSERT_TRUE(e2e::ClickButton(dialog, IDOK));
      EXPECT_TRUE(e2e::WaitForWindowGone(dialog));

      // The host's machine is in the side bar; it opens there and powers on.
      HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, zolt.Id()});
      ASSERT_TRUE(frame);
      HWND sidebar = zoltside::WaitForSidebar(frame);
      ASSERT_TRUE(sidebar) << run.Log();
      HWND tree = zoltside::ListTree(sidebar, kRegVmsClass);
      ASSERT_TRUE(tree) << run.Log();
      zoltside::TreeRow row;
      ASSERT_TRUE(zoltside::WaitForRow(tree, "Far Box", row, zoltrun::kHostMs)) << run.Log();
      POINT centre = {(row.rect.left + row.rect.right) / 2, (row.rect.top + row.rect.bottom) / 2};
      ASSERT_TRUE(zoltside::DoubleClick(tree, centre.x, centre.y)) << e2e::LastFailure();
      ASSERT_TRUE(run.WaitForLog("Far Box.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
      ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_ON)) << run.Log();
      ASSERT_TRUE(zoltrun::Command(frame, IDM_VM_POWER_ON));
      EXPECT_TRUE(run.WaitForLog("powerOn done, poweredOn")) << run.Log();
      run.Close(zolt, frame);
   }
   const std::string dump = e2e::ReadTextFile(folder.PathOf("dump.vmdb")).value_or("");
   EXPECT_NE(dump.find("cnxType = \"remote\""), std::string::npos) << dump;

   // The next start offers the destination; cancelling leaves zolt without a session.
   {
      e2e::Process zolt;
      HWND dialog = run.StartAsked(zolt);
      ASSERT_TRUE(dialog);
      HWND box = GetDlgItem(dialog, IDC_LOGIN_HOST);
      EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 1);
      EXPECT_EQ(ItemText(dialog, IDC_LOGIN_HOST), "farhost");
      EXPECT_EQ(ItemText(dialog, IDC_LOGIN_USER), "joe");
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
      KeepShot(folder, dialog, "login-recent.png");
      ASSERT_TRUE(e2e::ClickButton(dialog, IDCANCEL));
      HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, zolt.Id()});
      ASSERT_TRUE(frame);
      run.Close(zolt, frame);
   }
   // Neither password is anywhere: not in the log, the user's data or the database.
   const std::string traces = run.Traces();
   EXPECT_NE(traces.find("farhost"), std::string::npos) << "the traces were read";
   EXPECT_EQ(traces.find(kPassword), std::string::npos);
   EXPECT_EQ(traces.find(kWrongPassword), std::string::npos);
}

TEST(ZoltLogin, TheUpdateDialogShowsEachAnswerOfTheService)
{
   e2e::TestFolder folder;
   const std::string answer = folder.PathOf("answer");
   zoltrun::ZoltRun run(folder, "webUpdate.answerFile = " + e2e::QuoteValue(answer) + "\n" +
                                   "webUpdate.answerDelayMs = \"50\"\ntest.browser.log = \"true\"\n" +
                                   "vmdb.preload = " +
                                   e2e::QuoteValue(folder.WriteFile(
                                      "preload", "/user/prefState/val/zolt/webUpdate/checkPeriod = \"weekly\"\n"
                                                 "/user/prefState/val/zolt/webUpdate/lastCheck/time = \"" +
                                                    std::to_string(time(nullptr)) + "\"\n")) +
                                   "\n");
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "");
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("WebUpdate: no check of")) << "checked today: nothing at start-up\n" << run.Log();

   ASSERT_TRUE(e2e::WriteTextFile(answer, "answer = \"upToDate\"\n"));
   ASSERT_TRUE(zoltrun::Command(frame, IDM_HELP_CHECK_UPDATES));
   HWND dialog = e2e::WaitForWindow({"#32770", kUpdateTitle, false, zolt.Id()}, zoltrun::kHostMs);
   ASSERT_TRUE(dialog) << run.Log();
   EXPECT_NE(ItemText(dialog, IDC_WEBCHECK_MESSAGE).find("is up to date"), std::string::npos);
   EXPECT_EQ(ItemText(dialog, IDC_WEBCHECK_PERIOD), "Every week");
   EXPECT_FALSE(ItemText(dialog, IDC_WEBCHECK_LAST_CHECK).empty());
   EXPECT_TRUE(IsShown(dialog, IDOK));
   EXPECT_FALSE(IsShown(dialog, IDC_WEBCHECK_VISIT));
   KeepShot(folder, dialog, "update-none.png");
   ASSERT_TRUE(e2e::ClickButton(dialog, IDOK));
   ASSERT_TRUE(e2e::WaitForWindowGone(dialog));

   ASSERT_TRUE(e2e::WriteTextFile(answer, "answer = \"available\"\nversion = \"6.1\"\n"
                                          "url = \"https://updates.example/6.1\"\n"
                                          "info = \"Version 6.1 brings faster snapshots.\"\n"));
   ASSERT_TRUE(zoltrun::Command(frame, IDM_HELP_CHECK_UPDATES));
   dialog = e2e::WaitForWindow({"#32770", kUpdateTitle, false, zolt.Id()}, zoltrun::kHostMs);
   ASSERT_TRUE(dialog) << run.Log();
   EXPECT_NE(ItemText(dialog, IDC_WEBCHECK_MESSAGE).find("A new version of"), std::string::npos);
   EXPECT_EQ(ItemText(dialog, IDC_WEBCHECK_INFO), "Version 6.1 brings faster snapshots.");
   EXPECT_TRUE(IsShown(dialog, IDC_WEBCHECK_VISIT));
   EXPECT_TRUE(IsShown(dialog, IDCANCEL));
   EXPECT_FALSE(IsShown(dialog, IDOK));
   KeepShot(folder, dialog, "update-available.png");
   ASSERT_TRUE(e2e::ClickButton(dialog, IDC_WEBCHECK_VISIT));
   EXPECT_TRUE(run.WaitForLog("Browser: https://updates.example/6.1")) << run.Log();
   ASSERT_TRUE(e2e::WaitForWindowGone(dialog));

   ASSERT_TRUE(e2e::WriteTextFile(answer, "answer = \"error\"\nerror = \"The service is down.\"\n"));
   ASSERT_TRUE(zoltrun::Command(frame, IDM_HELP_CHECK_UPDATES));
   HWND box = nullptr;
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() {
         box = e2e::WaitForDialog(zolt.Id(), "", 200);
         return box && e2e::DialogMessage(box).find("to check for updates") != std::string::npos;
      },
      zoltrun::kHostMs))
      << run.Log();
   KeepShot(folder, box, "update-error.png");
   ASSERT_TRUE(e2e::ClickButton(box, IDCANCEL));
   EXPECT_TRUE(e2e::WaitForWindowGone(box));
   run.Close(zolt, frame);
}

TEST(ZoltLogin, TheCheckAtStartUpFollowsItsPreference)
{
   // One folder a run: the preference is kept in the user's data.
   auto config = [](const e2e::TestFolder &folder, const std::string &period) {
      const std::string answer =
         folder.WriteFile("answer", "answer = \"available\"\nurl = \"https://updates.example/\"\n");
      return "webUpdate.answerFile = " + e2e::QuoteValue(answer) + "\nwebUpdate.answerDelayMs = \"50\"\n" +
             "vmdb.preload = " +
             e2e::QuoteValue(folder.WriteFile("preload", "/user/prefState/val/zolt/webUpdate/checkPeriod = \"" +
                                                            period + "\"\n")) +
             "\n";
   };
   {
      e2e::TestFolder folder;
      zoltrun::ZoltRun run(folder, config(folder, "manual"));
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "");
      ASSERT_TRUE(frame);
      EXPECT_TRUE(run.WaitForLog("WebUpdate: no check of")) << run.Log();
      EXPECT_EQ(run.Log().find("WebUpdate: checking"), std::string::npos);
      EXPECT_FALSE(e2e::WaitForWindow({"#32770", kUpdateTitle, false, zolt.Id()}, 1000));
      run.Close(zolt, frame);
   }
   {
      e2e::TestFolder folder;
      zoltrun::ZoltRun run(folder, config(folder, "daily"));
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "");
      ASSERT_TRUE(frame);
      // Never checked before: the check runs and its update shows unasked.
      HWND dialog = e2e::WaitForWindow({"#32770", kUpdateTitle, false, zolt.Id()}, zoltrun::kHostMs);
      ASSERT_TRUE(dialog) << run.Log();
      EXPECT_TRUE(IsShown(dialog, IDC_WEBCHECK_VISIT));
      ASSERT_TRUE(e2e::ClickButton(dialog, IDCANCEL));
      EXPECT_TRUE(e2e::WaitForWindowGone(dialog));
      run.Close(zolt, frame);
   }
}

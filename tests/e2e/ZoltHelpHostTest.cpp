// zolt.exe's exit, Help and Host commands as a user meets them: File > Exit chosen in the menu,
// Exit with a running machine asking once and Cancel keeping everything, Help's web links
// reaching the browser, and the Host menu, which never offers Disconnect.
#include "ScreenImage.h"
#include "ZoltRun.h"

#include "e2e/Harness.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zoltrun::Count;
using zoltrun::kExitMs;

const char kSessionVMsRunning[] = "Some virtual machines are still powered on.";

class HelpHostRun : public zoltrun::ZoltRun {
public:
   // The browser writes to the log; `preload` holds database lines loaded at start.
   HelpHostRun(const e2e::TestFolder &folder, const std::string &preload = "")
      : ZoltRun(folder, "test.browser.log = \"true\"\nvmdb.dump = " + e2e::QuoteValue(folder.PathOf("dump.vmdb")) +
                           "\nvmdb.preload = " + e2e::QuoteValue(folder.WriteFile("preload", preload)) + "\n"),
        folder_(folder)
   {
   }

   std::string Dump() const { return e2e::ReadTextFile(folder_.PathOf("dump.vmdb")).value_or(""); }

   void Screenshot(HWND frame, const std::string &name) const
   {
      e2e::ScreenImage image = e2e::CaptureClientFromScreen(frame);
      e2e::SavePng(image, folder_.PathOf(name));
      e2e::SavePng(image, e2e::TestProgramFolder() + "\\" + name);
   }

private:
   const e2e::TestFolder &folder_;
};

// Opens a menu of the menu bar by its Alt mnemonic and chooses the items of `keys` in turn (a
// submenu's key opens it).
bool ChooseFromMenu(HWND frame, DWORD processId, char menuKey, const std::vector<char> &keys)
{
   if (!e2e::PressKey(frame, menuKey, e2e::kAlt) || !e2e::WaitForPopupMenu(processId)) {
      return false;
   }
   for (char key : keys) {
      if (!e2e::PressKey(frame, key)) {
         return false;
      }
   }
   return true;
}

// The running-machines questions of the process (their radio choices mark them).
std::vector<HWND> RunningMachineQuestions(const e2e::Process &process)
{
   std::vector<HWND> questions;
   for (HWND w : e2e::FindTopLevelWindows({"", "", false, process.Id()})) {
      if (IsWindowVisible(w) && GetDlgItem(w, IDC_VMDLG_CHOICE_FIRST + 3)) {
         questions.push_back(w);
      }
   }
   return questions;
}

HWND WaitForRunningMachineQuestion(const e2e::Process &process)
{
   HWND question = nullptr;
   e2e::WaitUntil(
      [&]() {
         std::vector<HWND> questions = RunningMachineQuestions(process);
         question = questions.empty() ? nullptr : questions.front();
         return question != nullptr;
      },
      e2e::kStartTimeoutMs);
   return question;
}

std::string QuestionText(HWND question)
{
   HWND text = GetDlgItem(question, IDC_VMDLG_TEXT);
   return text ? e2e::ReadText(text).value_or("") : std::string();
}

// The reset button is offered while the machine runs.
bool ShownRunning(HWND frame)
{
   return zoltrun::WaitForToolbarButton(frame, IDM_VM_RESET);
}

std::string WaitForTitle(HWND frame, const std::string &title)
{
   std::string shown;
   e2e::WaitUntil(
      [&]() {
         shown = e2e::ReadText(frame).value_or("");
         return shown == title;
      },
      kExitMs);
   return shown;
}

}  // namespace

TEST(ZoltHelpHost, FileExitChosenInTheMenuEndsZoltNormally)
{
   e2e::TestFolder folder;
   HelpHostRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "");
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::OnCtxCurrentObj: ")) << run.Log();

   // Alt+F opens File; X chooses "E&xit".
   ASSERT_TRUE(ChooseFromMenu(frame, zolt.Id(), 'F', {'X'})) << e2e::LastFailure();
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure() << run.Log();
   EXPECT_EQ(zolt.ExitCode(), 0);
   EXPECT_NE(run.Log().find("CZOLTApp::MenuButtonClicked: 40002 \n"), std::string::npos) << run.Log();
   EXPECT_NE(run.Log().find("Exited normally.\n"), std::string::npos) << run.Log();
}

TEST(ZoltHelpHost, ExitWithARunningMachineAsksOnceAndCancelKeepsEverything)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("busy.vmx", zoltrun::MachineVmx("Busy"));
   HelpHostRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H -x " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn")) << run.Log();
   ASSERT_TRUE(ShownRunning(frame)) << run.Log();

   ASSERT_TRUE(ChooseFromMenu(frame, zolt.Id(), 'F', {'X'})) << e2e::LastFailure();
   HWND question = WaitForRunningMachineQuestion(zolt);
   ASSERT_TRUE(question) << run.Log();
   EXPECT_NE(QuestionText(question).find(kSessionVMsRunning), std::string::npos) << QuestionText(question);
   run.Screenshot(frame, "exit-question.png");

   // Asked to close again while the question is up: still one question.
   ASSERT_TRUE(e2e::RequestClose(frame));
   ASSERT_TRUE(run.WaitForLog("the running machines question is already up")) << run.Log();
   EXPECT_EQ(RunningMachineQuestions(zolt).size(), 1u);

   // Cancel: the window, the session and the machine stay as they were.
   ASSERT_TRUE(e2e::ClickButton(question, IDC_VMDLG_SECOND));
   EXPECT_TRUE(e2e::WaitForWindowGone(question));
   EXPECT_TRUE(zolt.IsRunning());
   EXPECT_TRUE(IsWindow(frame));
   EXPECT_TRUE(ShownRunning(frame)) << "the machine runs on";
   EXPECT_EQ(Count(run.Log(), "powerOff done"), 0u) << run.Log();
   EXPECT_EQ(Count(run.Log(), "suspend done"), 0u) << run.Log();

   // Asked again, Power Off: the machine stops, then zolt ends.
   ASSERT_TRUE(ChooseFromMenu(frame, zolt.Id(), 'F', {'X'})) << e2e::LastFailure();
   question = WaitForRunningMachineQuestion(zolt);
   ASSERT_TRUE(question) << run.Log();
   SendMessageA(GetDlgItem(question, IDC_VMDLG_CHOICE_FIRST + 1), BM_CLICK, 0, 0);
   ASSERT_TRUE(e2e::ClickButton(question, IDC_VMDLG_FIRST));
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure() << run.Log();
   EXPECT_EQ(zolt.ExitCode(), 0);
   EXPECT_EQ(Count(run.Log(), "powerOff done, poweredOff"), 1u) << run.Log();
   EXPECT_NE(run.Log().find("Exited normally.\n"), std::string::npos) << run.Log();
}

TEST(ZoltHelpHost, HelpWebLinksReachTheBrowser)
{
   e2e::TestFolder folder;
   HelpHostRun run(folder, "/host2/%230000/setup/help/url/%230001/name = \"support\"\n"
                           "/host2/%230000/setup/help/url/%230001/address = \"http://support.example/\"\n"
                           "/host2/%230000/setup/help/url/%230001/addressSerialNb = \"http://support.example/?sn\"\n");
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H");
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::OnCtxCurrentObj: ")) << run.Log();

   // Help > Getting Started Guide: the maker's web link.
   ASSERT_TRUE(ChooseFromMenu(frame, zolt.Id(), 'H', {'G'})) << e2e::LastFailure();
   EXPECT_TRUE(run.WaitForLog("Browser: https://www.tremory.example/docs/getting-started/\n")) << run.Log();
   // Help > Online > Support: the host's address of the link, in its serial-number form.
   ASSERT_TRUE(ChooseFromMenu(frame, zolt.Id(), 'H', {'O', 'S'})) << e2e::LastFailure();
   EXPECT_TRUE(run.WaitForLog("Browser: http://support.example/?sn\n")) << run.Log();
   run.Close(zolt, frame);
}

TEST(ZoltHelpHost, HostMenuOffersNoDisconnectAndTheSessionStaysUntilExit)
{
   e2e::TestFolder folder;
   HelpHostRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "");
   ASSERT_TRUE(frame);
   ASSERT_EQ(WaitForTitle(frame, "Local Host - Tremory Deskmoor Console"), "Local Host - Tremory Deskmoor Console");

   // Alt+O opens the Host menu: Switch Host is there, Disconnect is always taken out.
   ASSERT_TRUE(e2e::PressKey(frame, 'O', e2e::kAlt)) << e2e::LastFailure();
   HWND popup = e2e::WaitForPopupMenu(zolt.Id());
   ASSERT_TRUE(popup);
   HMENU host = e2e::PopupMenuOf(popup);
   EXPECT_TRUE(e2e::FindMenuItem(frame, IDM_HOST_SWITCH, host));
   EXPECT_FALSE(e2e::FindMenuItem(frame, IDM_HOST_DISCONNECT, host));
   run.Screenshot(frame, "host-menu.png");
   ASSERT_TRUE(e2e::PressKey(frame, VK_ESCAPE));
   EXPECT_TRUE(e2e::WaitForWindowGone(popup));
   ASSERT_TRUE(e2e::PressKey(frame, VK_ESCAPE));

   // Its command, sent as an accelerator would, finds no item to run: the session goes on.
   ASSERT_TRUE(zoltrun::Command(frame, IDM_HOST_DISCONNECT));
   ASSERT_TRUE(zoltrun::Command(frame, IDM_HELP_MANUAL));
   ASSERT_TRUE(run.WaitForLog("Browser: https://www.tremory.example/docs/manual/\n")) << "a later command ran";
   EXPECT_EQ(Count(run.Log(), "CZOLTApp::OnHostCommand 40200"), 0u) << run.Log();
   EXPECT_EQ(e2e::ReadText(frame).value_or(""), "Local Host - Tremory Deskmoor Console");

   // The exit ends it.
   run.Close(zolt, frame);
   EXPECT_NE(run.Dump().find("/appdata/Tremory/zolt/session/active = \"0\""), std::string::npos) << run.Dump();
}

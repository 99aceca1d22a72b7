// zolt.exe and its machines: a new machine made with the wizard, machines opened from the command
// line and by a second instance, the power commands with the suspended state kept between runs,
// power-on at open and exit at power-off, and closing a running machine's tab with its question;
// the log-on hint before power-on, the guest's own shut-down and restart with the shared-folder
// notice, and the limit of opened objects.
// Each run has its own configuration, log, user data and a dump of the database taken at exit.
#include "ScreenImage.h"
#include "WizardPages.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"
#include "tremhwcfg/TremHwCfgRes.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <string>
#include <vector>

namespace {

using zoltrun::AnswerCloseQuestion;
using zoltrun::Command;
using zoltrun::Count;
using zoltrun::kExitMs;
using zoltrun::MachineVmx;
using zoltrun::SetPageText;
using zoltrun::VmPathOf;
using zoltrun::WaitForBoxSaying;
using zoltrun::WaitForPageWith;

// Database dumps write a node's "#" as "%23".
bool Has(const std::string &dump, const std::string &path, const std::string &value)
{
   std::string node;
   for (char c : path) {
      node += c == '#' ? std::string("%23") : std::string(1, c);
   }
   return dump.find("\n" + node + " = " + value) != std::string::npos || dump.rfind(node + " = " + value, 0) == 0;
}

// The power toolbar's button of a power command's operation: the guest's commands share the
// rules of the hard ones.
WORD PowerButtonOf(WORD command)
{
   switch (command) {
   case IDM_VM_START_GUEST:
      return IDM_VM_POWER_ON;
   case IDM_VM_SHUT_DOWN_GUEST:
      return IDM_VM_POWER_OFF;
   case IDM_VM_SUSPEND_GUEST:
      return IDM_VM_SUSPEND;
   case IDM_VM_RESTART_GUEST:
      return IDM_VM_RESET;
   default:
      return command;
   }
}

// Waits until the frame shows its current machine running (the reset button is offered): a
// command sent right after the host's "powerOn done" line may still meet the state before.
bool ShownRunning(HWND frame)
{
   return zoltrun::WaitForToolbarButton(frame, IDM_VM_RESET);
}

class MachineRun : public zoltrun::ZoltRun {
public:
   // `answerMessages` false: the message object's boxes are shown and wait for the user.
   // `registered`: machines the local host has registered, for the runs over a connection to it.
   explicit MachineRun(const e2e::TestFolder &folder, bool answerMessages = true,
                       const std::vector<std::string> &registered = {})
      : ZoltRun(folder,
                "vmdb.dump = " + e2e::QuoteValue(folder.PathOf("dump.vmdb")) + "\n" +
                   zoltrun::RegisteredMachinesConfig(folder, registered),
                answerMessages),
        dump_(folder.PathOf("dump.vmdb"))
   {
   }

   // Starts zolt with `arguments` and waits for its window: in the desktop mode (-H), else
   // over a connection to the local host.
   HWND Start(e2e::Process &process, const std::string &arguments, bool desktop = true)
   {
      e2e::RemovePath(dump_);
      return ZoltRun::Start(process, (desktop ? "-H " : "") + arguments);
   }
   // A second instance that hands its command line over and ends.
   bool HandOver(const std::string &arguments) { return ZoltRun::HandOver("-H " + arguments); }
   // Starts a second instance without waiting for it.
   bool StartSecond(e2e::Process &second, const std::string &arguments)
   {
      return ZoltRun::StartSecond(second, "-H " + arguments);
   }
   // Closes the main window and returns the dump of the database.
   std::string Close(e2e::Process &process, HWND frame)
   {
      ZoltRun::Close(process, frame);
      return Dump();
   }
   std::string Dump() const { return e2e::ReadTextFile(dump_).value_or(""); }
   // Sends a command as the menu does, once the power toolbar offers its operation, and waits for
   // the host to finish the power change.
   bool Power(HWND frame, WORD command, const std::string &doneLine)
   {
      size_t before = Count(Log(), doneLine);
      return zoltrun::WaitForToolbarButton(frame, PowerButtonOf(command)) && Command(frame, command) &&
             WaitForLog(doneLine, before + 1);
   }

private:
   std::string dump_;
};

// Keeps a picture of the wizard as the user sees it, beside the test program.
void SavePage(HWND sheet, const std::string &name)
{
   Sleep(300);   // the page's controls have painted
   e2e::SavePng(e2e::CaptureWindowFromScreen(sheet), e2e::TestProgramFolder() + "\\nwz-" + name + ".png");
}

}  // namespace

TEST(ZoltMachine, TheWizardMakesTheMachineTheUserChoseAndOpensIt)
{
   e2e::TestFolder folder;
   MachineRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "");
   ASSERT_TRUE(frame);

   HWND sheet = zoltrun::OpenNewMachineWizard(frame, zolt);
   ASSERT_TRUE(sheet);
   SetPageText(sheet, IDC_NWZ_NAME, "Wizard Box");
   SetPageText(sheet, IDC_NWZ_LOCATION, folder.Path());
   SavePage(sheet, "1-name");
   // Name, guest (default), memory, disk, network (default), ready.
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_NWZ_GUEST_LIST));
   SavePage(sheet, "2-guest");
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_NWZ_MEMORY));
   SetPageText(sheet, IDC_NWZ_MEMORY, "768");
   SavePage(sheet, "3-memory");
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_NWZ_DISK));
   SetPageText(sheet, IDC_NWZ_DISK, "12");
   SavePage(sheet, "4-disk");
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_NWZ_NET_NAT));
   SavePage(sheet, "5-network");
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_NWZ_SUMMARY));
   SavePage(sheet, "6-ready");
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);

   HWND completed = e2e::WaitForWindow({"#32770", "Virtual Machine Created", false, zolt.Id()});
   ASSERT_TRUE(completed) << e2e::LastFailure();
   SavePage(completed, "7-completed");
   std::string vmx = folder.PathOf("Wizard Box.vmx");
   std::string text = e2e::ReadTextFile(vmx).value_or("");
   EXPECT_NE(text.find("displayName = \"Wizard Box\""), std::string::npos) << text;
   EXPECT_NE(text.find("memoryMB = \"768\""), std::string::npos) << text;
   EXPECT_NE(text.find("disk0.sizeMB = \"12288\""), std::string::npos) << text;
   EXPECT_NE(text.find("net0.network = \"nat\""), std::string::npos) << text;
   ASSERT_TRUE(e2e::ClickButton(completed, IDOK));
   EXPECT_TRUE(e2e::WaitForWindowGone(completed));

   // The new machine has the first tab, and it is current.
   EXPECT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened /appdata/Tremory/zolt/openedObj/#0001/")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("CZOLTApp::OnCtxCurrentObj: /vm/#0001/")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("Wizard Box.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
   run.Close(zolt, frame);
}

TEST(ZoltMachine, PowerCommandsWithTheSuspendedStateKeptBetweenRuns)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("cycle.vmx", MachineVmx("Cycle"));
   std::string other = folder.WriteFile("other.vmx", MachineVmx("Other"));
   MachineRun run(folder);
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt, e2e::QuoteArgument(vmx));
      ASSERT_TRUE(frame);
      ASSERT_TRUE(run.WaitForLog("SimHost: registered")) << run.Log();
      // A second instance hands over another machine; it opens in this window.
      ASSERT_TRUE(run.HandOver("-t " + e2e::QuoteArgument(other)));
      ASSERT_TRUE(run.WaitForLog("SimHost: registered", 2)) << run.Log();

      // The handed-over machine is current now; back to the first through a tab of its own
      // would need the tab strip: power the current one on and off, then the first by -x below.
      ASSERT_TRUE(run.Power(frame, IDM_VM_POWER_ON, "powerOn done, poweredOn")) << run.Log();
      ASSERT_TRUE(run.Power(frame, IDM_VM_SUSPEND, "suspend done, suspended")) << run.Log();
      std::string log = run.Log();
      EXPECT_NE(log.find("OpenTabInt: opened /appdata/Tremory/zolt/openedObj/#0001/"), std::string::npos) << log;
      EXPECT_NE(log.find("OpenTabInt: opened /appdata/Tremory/zolt/openedObj/#0002/"), std::string::npos) << log;
      EXPECT_NE(log.find("OnCtxCurrentObj: /vm/#0002/"), std::string::npos) << "the handed-over machine is current";
      EXPECT_NE(log.find("/vm/#0002/: powerOn done"), std::string::npos) << "the commands went to it";
      std::string dump = run.Close(zolt, frame);
      EXPECT_TRUE(Has(dump, "/appdata/Tremory/zolt/session/active", "\"0\"")) << dump;
      EXPECT_FALSE(Has(dump, "/appdata/Tremory/zolt/openedObj/#0002/type", "\"vm\"")) << "the session end closed it";
   }
   {
      // The next run finds the machine still suspended; resume, reset and power off.
      e2e::Process zolt;
      HWND frame = run.Start(zolt, e2e::QuoteArgument(other));
      ASSERT_TRUE(frame);
      ASSERT_TRUE(run.WaitForLog("other.vmx as /vm/#0001/ (suspended)")) << run.Log();
      ASSERT_TRUE(run.Power(frame, IDM_VM_POWER_ON, "powerOn done, poweredOn")) << run.Log();
      ASSERT_TRUE(run.Power(frame, IDM_VM_RESET, "reset done, poweredOn")) << run.Log();
      ASSERT_TRUE(run.Power(frame, IDM_VM_POWER_OFF, "powerOff done, poweredOff")) << run.Log();
      run.Close(zolt, frame);
      EXPECT_EQ(Count(run.Log(), "SimHost: /vm/#0001/: "), 6u) << "three operations, each started and done";
   }
   {
      // Powered off last time: the next run finds it so.
      e2e::Process zolt;
      HWND frame = run.Start(zolt, e2e::QuoteArgument(other));
      ASSERT_TRUE(frame);
      ASSERT_TRUE(run.WaitForLog("other.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
      run.Close(zolt, frame);
   }
}

TEST(ZoltMachine, PowerOnAtOpenAndExitAfterPowerOff)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("quick.vmx", MachineVmx("Quick"));
   MachineRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-x -q " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn")) << run.Log();
   EXPECT_TRUE(zolt.IsRunning());
   ASSERT_TRUE(ShownRunning(frame)) << run.Log();
   ASSERT_TRUE(Command(frame, IDM_VM_POWER_OFF));
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << "the last tab closed at power-off ends zolt\n" << run.Log();
   EXPECT_EQ(zolt.ExitCode(), 0);
   EXPECT_TRUE(Has(run.Dump(), "/appdata/Tremory/zolt/session/active", "\"0\"")) << run.Dump();
}

TEST(ZoltMachine, ClosingARunningMachineAsksAndDoesWhatTheUserChose)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("asked.vmx", MachineVmx("Asked"));
   MachineRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-x " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn")) << run.Log();
   ASSERT_TRUE(ShownRunning(frame)) << run.Log();

   // Cancel keeps the tab and the machine running.
   ASSERT_TRUE(Command(frame, IDM_FILE_CLOSE));
   AnswerCloseQuestion(zolt, "\"Asked\" is still powered on", -1);
   // Suspend: the machine is suspended, then its tab closes.
   ASSERT_TRUE(Command(frame, IDM_FILE_CLOSE));
   AnswerCloseQuestion(zolt, "\"Asked\" is still powered on", 0);
   ASSERT_TRUE(run.WaitForLog("suspend done, suspended")) << run.Log();
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::CloseObj: /vm/#0001/")) << run.Log();
   EXPECT_EQ(Count(run.Log(), "powerOff done"), 0u);

   // Opened again (resumed at open), then powered off through the question.
   ASSERT_TRUE(run.HandOver("-t -x " + e2e::QuoteArgument(vmx)));
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn", 2)) << run.Log();
   ASSERT_TRUE(ShownRunning(frame)) << run.Log();
   ASSERT_TRUE(Command(frame, IDM_FILE_CLOSE));
   AnswerCloseQuestion(zolt, "\"Asked\" is still powered on", 1);
   ASSERT_TRUE(run.WaitForLog("powerOff done, poweredOff")) << run.Log();

   // Run in background: the tab closes at once, the machine goes on.
   ASSERT_TRUE(run.HandOver("-t -x " + e2e::QuoteArgument(vmx)));
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn", 3)) << run.Log();
   ASSERT_TRUE(ShownRunning(frame)) << run.Log();
   size_t closesBefore = Count(run.Log(), "CZOLTApp::CloseObj: ");
   ASSERT_TRUE(Command(frame, IDM_FILE_CLOSE));
   AnswerCloseQuestion(zolt, "\"Asked\" is still powered on", 2);
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::CloseObj: ", closesBefore + 1)) << run.Log();
   EXPECT_EQ(Count(run.Log(), "powerOff done"), 1u) << "only the earlier power-off";

   run.Close(zolt, frame);
}

TEST(ZoltMachine, TheLogOnHintComesBeforePowerOnAndCancelSendsNothing)
{
   e2e::TestFolder folder;
   // The hint belongs to a session over a connection to the local host.
   std::string vmx = folder.WriteFile("logon.vmx", MachineVmx("Log-on"));
   MachineRun run(folder, false, {vmx});
   e2e::Process zolt;
   HWND frame = run.Start(zolt, e2e::QuoteArgument(vmx), false);
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("SimHost: registered")) << run.Log();

   // Cancel: the machine stays off and the host is asked nothing.
   ASSERT_TRUE(Command(frame, IDM_VM_POWER_ON));
   HWND hint = WaitForBoxSaying(zolt, "current Windows log-on");
   ASSERT_TRUE(hint) << run.Log();
   EXPECT_TRUE(GetDlgItem(hint, IDC_VMDLG_CHECK)) << "the hint can be turned off";
   ASSERT_TRUE(e2e::ClickButton(hint, IDCANCEL));
   ASSERT_TRUE(e2e::WaitForWindowGone(hint));
   Sleep(500);
   EXPECT_EQ(Count(run.Log(), "powerOn started"), 0u) << run.Log();

   // OK with the box ticked: the machine powers on, and the hint is not shown again.
   ASSERT_TRUE(Command(frame, IDM_VM_POWER_ON));
   hint = WaitForBoxSaying(zolt, "current Windows log-on");
   ASSERT_TRUE(hint) << run.Log();
   SendMessageA(GetDlgItem(hint, IDC_VMDLG_CHECK), BM_CLICK, 0, 0);
   ASSERT_TRUE(e2e::ClickButton(hint, IDOK));
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn")) << run.Log();
   ASSERT_TRUE(run.Power(frame, IDM_VM_POWER_OFF, "powerOff done, poweredOff")) << run.Log();
   ASSERT_TRUE(run.Power(frame, IDM_VM_POWER_ON, "powerOn done, poweredOn")) << "no hint holds it up\n" << run.Log();
   EXPECT_TRUE(run.WaitForLog("the hint \"interactiveLogin\" is turned off")) << run.Log();
   ASSERT_TRUE(run.Power(frame, IDM_VM_POWER_OFF, "powerOff done, poweredOff")) << run.Log();
   std::string dump = run.Close(zolt, frame);
   EXPECT_TRUE(Has(dump, "/user/prefState/req/#ZOLT/val/hints/interactiveLogin/disabled", "\"1\"")) << dump;
}

TEST(ZoltMachine, TheGuestShutsDownAndRestartsItselfAndDisabledSharedFoldersAreNoticed)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("guest.vmx", MachineVmx("Guest") + "sharedFolder0.present = \"TRUE\"\n" +
                                                    "sharedFolder.defaultDisabled = \"TRUE\"\n");
   MachineRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-x " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn")) << run.Log();

   // The boot disabled the folders: the program's texts say so, once.
   HWND notice = WaitForBoxSaying(zolt, "Shared folders are disabled.");
   ASSERT_TRUE(notice) << run.Log();
   std::string text = e2e::ReadText(GetDlgItem(notice, IDC_VMDLG_TEXT)).value_or("");
   EXPECT_NE(text.find("VM > Settings > Shared Folders"), std::string::npos) << text;
   ASSERT_TRUE(e2e::ClickButton(notice, IDC_VMDLG_FIRST));
   ASSERT_TRUE(e2e::WaitForWindowGone(notice));

   // The guest's restart and shut-down go through the guest; the tab stays.
   ASSERT_TRUE(run.Power(frame, IDM_VM_RESTART_GUEST, "reset done, poweredOn")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("/vm/#0001/: reset (through the guest) started")) << run.Log();
   ASSERT_TRUE(run.Power(frame, IDM_VM_SHUT_DOWN_GUEST, "powerOff done, poweredOff")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("/vm/#0001/: powerOff (through the guest) started")) << run.Log();
   EXPECT_EQ(Count(run.Log(), "CZOLTApp::CloseObj: /vm/#0001/"), 0u) << "no exit at power-off asked";
   EXPECT_EQ(Count(run.Log(), "SharedFolderMgr: the shared folders of /vm/#0001/ are disabled"), 1u);

   // Started again by the guest command: booted, so noticed again.
   ASSERT_TRUE(run.Power(frame, IDM_VM_START_GUEST, "powerOn done, poweredOn")) << run.Log();
   notice = WaitForBoxSaying(zolt, "Shared folders are disabled.");
   ASSERT_TRUE(notice) << run.Log();
   ASSERT_TRUE(e2e::ClickButton(notice, IDC_VMDLG_FIRST));
   ASSERT_TRUE(run.Power(frame, IDM_VM_SHUT_DOWN_GUEST, "powerOff done, poweredOff")) << run.Log();
   std::string dump = run.Close(zolt, frame);
   EXPECT_TRUE(Has(dump, "/appdata/Tremory/zolt/session/active", "\"0\"")) << dump;
}

TEST(ZoltMachine, TheTwentyNinthOpenIsRefusedAndTheNextOpenBecomesCurrent)
{
   e2e::TestFolder folder;
   // The desktop mode has no home tab: twenty-eight machines make the limit.
   std::string arguments;
   for (int i = 1; i <= 28; ++i) {
      std::string name = "m" + std::to_string(i);
      arguments += " " + e2e::QuoteArgument(folder.WriteFile(name + ".vmx", MachineVmx(name)));
   }
   std::string late = folder.WriteFile("late.vmx", MachineVmx("Late"));
   MachineRun run(folder);
   e2e::Process zolt;
   // All 29 at once: the opens still under way count, so the last one is refused, and one
   // message at the end names it with the limit.
   HWND frame = run.Start(zolt, arguments + " " + e2e::QuoteArgument(late));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened", 28, 60000)) << run.Log();
   HWND firstReport = WaitForBoxSaying(zolt, "The limit of open virtual machines was reached.");
   ASSERT_TRUE(firstReport) << run.Log();
   EXPECT_NE(e2e::ReadText(GetDlgItem(firstReport, IDC_VMDLG_TEXT)).value_or("").find("late.vmx"), std::string::npos);
   ASSERT_TRUE(e2e::ClickButton(firstReport, IDC_VMDLG_FIRST));
   EXPECT_EQ(Count(run.Log(), "late.vmx as /vm/#"), 0u) << "the host was never asked";

   // A second instance hands one more over: refused with the limit's message, then the
   // machine-open failure report names the file.
   e2e::Process second;
   ASSERT_TRUE(run.StartSecond(second, "-t " + e2e::QuoteArgument(late)));
   HWND limit = WaitForBoxSaying(zolt, "The limit of open virtual machines has been reached.");
   ASSERT_TRUE(limit) << run.Log();
   ASSERT_TRUE(e2e::ClickButton(limit, IDOK));
   HWND report = WaitForBoxSaying(zolt, "late.vmx");
   ASSERT_TRUE(report) << run.Log();
   EXPECT_NE(e2e::ReadText(GetDlgItem(report, IDC_VMDLG_TEXT)).value_or("").find("Error opening a VM config file."),
             std::string::npos);
   ASSERT_TRUE(e2e::ClickButton(report, IDC_VMDLG_FIRST));
   ASSERT_TRUE(second.WaitForExit(kExitMs));
   EXPECT_EQ(Count(run.Log(), "late.vmx as /vm/#"), 0u) << "the host was never asked";
   EXPECT_EQ(Count(run.Log(), "CZOLTApp::OpenTabInt: opened"), 28u);

   // One tab closed, the same hand-off opens it, and it is the current object.
   size_t closes = Count(run.Log(), "CZOLTApp::CloseObj: ");
   ASSERT_TRUE(Command(frame, IDM_FILE_CLOSE));
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::CloseObj: ", closes + 1)) << run.Log();
   ASSERT_TRUE(run.HandOver("-t " + e2e::QuoteArgument(late)));
   ASSERT_TRUE(run.WaitForLog("late.vmx as /vm/#")) << run.Log();
   std::string vmPath = VmPathOf(run.Log(), "late.vmx");
   ASSERT_NE(vmPath, "");
   EXPECT_TRUE(run.WaitForLog("CZOLTApp::OnCtxCurrentObj: " + vmPath)) << run.Log();
   run.Close(zolt, frame);
}

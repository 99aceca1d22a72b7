// zolt.exe and its machines: a new machine made with the wizard, machines opened from the command
// line and by a second instance, the power commands with the suspended state kept between runs,
// power-on at open and exit at power-off, and closing a running machine's tab with its question.
// Each run has its own configuration, log, user data and a dump of the database taken at exit.
#include "e2e/Harness.h"

#include "res/resource.h"
#include "tremhwcfg/TremHwCfgRes.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <prsht.h>

#include <string>

namespace {

const DWORD kExitMs = 30000;
const DWORD kPowerMs = 20000;

std::string Quoted(const std::string &text)
{
   std::string quoted = "\"";
   for (char c : text) {
      quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
   }
   return quoted + "\"";
}

size_t Count(const std::string &text, const std::string &part)
{
   size_t count = 0;
   for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
      ++count;
   }
   return count;
}

// Database dumps write a node's "#" as "%23".
bool Has(const std::string &dump, const std::string &path, const std::string &value)
{
   std::string node;
   for (char c : path) {
      node += c == '#' ? std::string("%23") : std::string(1, c);
   }
   return dump.find("\n" + node + " = " + value) != std::string::npos || dump.rfind(node + " = " + value, 0) == 0;
}

std::string VmxText(const std::string &name)
{
   return "configVersion = \"8\"\ndisplayName = \"" + name + "\"\nguestOS = \"winxp\"\nmemoryMB = \"256\"\n";
}

// Sends a command as an accelerator does: to the command bar, which hands it to the dispatcher.
bool Command(HWND frame, WORD id)
{
   HWND cmdbar = nullptr;
   e2e::WaitUntil([&]() { return (cmdbar = FindWindowExA(frame, nullptr, "ZOLTCmdbar", nullptr)) != nullptr; },
                  e2e::kStartTimeoutMs);
   return cmdbar && PostMessageA(cmdbar, WM_COMMAND, MAKEWPARAM(id, 1), 0);
}

class MachineRun {
public:
   explicit MachineRun(const e2e::TestFolder &folder)
      : log_(folder.PathOf("zolt.log")), dump_(folder.PathOf("dump.vmdb"))
   {
      config_ = folder.WriteFile("config", "ui.log.filename = " + Quoted(log_) + "\n" +
                                              "vmdb.userFile = " + Quoted(folder.PathOf("user.vmdb")) + "\n" +
                                              "vmdb.dump = " + Quoted(dump_) + "\n" +
                                              "test.comFailure.silent = \"true\"\n" + "test.vmmsg.answer = \"0\"\n");
   }

   // Starts zolt in the desktop mode (-H) with `arguments` and waits for its window.
   HWND Start(e2e::Process &process, const std::string &arguments)
   {
      DeleteFileA(dump_.c_str());
      e2e::ProcessOptions options;
      options.arguments = "-H " + arguments;
      options.environment = {{"TREMORY_CONFIG", config_}};
      if (!process.Start(ZOLT_EXE, options)) {
         ADD_FAILURE() << e2e::LastFailure();
         return nullptr;
      }
      HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, process.Id()});
      EXPECT_TRUE(frame) << e2e::LastFailure();
      return frame;
   }
   // A second instance that hands its command line over and ends.
   bool HandOver(const std::string &arguments)
   {
      e2e::Process second;
      e2e::ProcessOptions options;
      options.arguments = "-H " + arguments;
      options.environment = {{"TREMORY_CONFIG", config_}};
      return second.Start(ZOLT_EXE, options) && second.WaitForExit(kExitMs) && second.ExitCode() == 0;
   }
   // Closes the main window and returns the dump of the database.
   std::string Close(e2e::Process &process, HWND frame)
   {
      EXPECT_TRUE(e2e::RequestClose(frame)) << e2e::LastFailure();
      EXPECT_TRUE(process.WaitForExit(kExitMs)) << e2e::LastFailure();
      EXPECT_EQ(process.ExitCode(), 0);
      return Dump();
   }
   std::string Dump() const { return e2e::ReadTextFile(dump_).value_or(""); }
   std::string Log() const { return e2e::ReadTextFile(log_).value_or(""); }
   // Waits until `text` appears in the log `times` times in all.
   bool WaitForLog(const std::string &text, size_t times = 1, DWORD ms = kPowerMs) const
   {
      return e2e::WaitUntil([&]() { return Count(Log(), text) >= times; }, ms, 100);
   }
   // Sends a command as the menu does and waits for the host to finish the power change.
   bool Power(HWND frame, WORD command, const std::string &doneLine)
   {
      size_t before = Count(Log(), doneLine);
      return Command(frame, command) && WaitForLog(doneLine, before + 1);
   }

private:
   std::string log_;
   std::string dump_;
   std::string config_;
};

// The zolt question of this process with the radio choices (suspend, power off, run in
// background, cancel); `choice` -1 presses Cancel.
void AnswerCloseQuestion(const e2e::Process &process, int choice)
{
   HWND dlg = nullptr;
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() {
         for (HWND w : e2e::FindTopLevelWindows({"", "", false, process.Id()})) {
            if (GetDlgItem(w, IDC_VMDLG_CHOICE_FIRST + 2)) {
               dlg = w;
            }
         }
         return dlg != nullptr;
      },
      e2e::kStartTimeoutMs));
   std::string shown;
   for (const e2e::ChildWindow &child : e2e::ListChildren(dlg)) {
      shown += child.text + "\n";
   }
   EXPECT_NE(shown.find("\"Asked\" is still powered on"), std::string::npos) << shown;
   if (choice < 0) {
      ASSERT_TRUE(e2e::ClickButton(dlg, IDC_VMDLG_SECOND));
   } else {
      SendMessageA(GetDlgItem(dlg, IDC_VMDLG_CHOICE_FIRST + choice), BM_CLICK, 0, 0);
      ASSERT_TRUE(e2e::ClickButton(dlg, IDC_VMDLG_FIRST));
   }
   EXPECT_TRUE(e2e::WaitForWindowGone(dlg));
}

// Wizard pages of another process: the page shown and its template's marker control.
HWND CurrentPage(HWND sheet)
{
   return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

bool WaitForPageWith(HWND sheet, int controlId)
{
   return e2e::WaitUntil([&]() { return GetDlgItem(CurrentPage(sheet), controlId) != nullptr; }, e2e::kReplyTimeoutMs);
}

void SetPageText(HWND sheet, int controlId, const std::string &text)
{
   SendMessageA(GetDlgItem(CurrentPage(sheet), controlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace

TEST(ZoltMachine, TheWizardMakesTheMachineTheUserChoseAndOpensIt)
{
   e2e::TestFolder folder;
   MachineRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "");
   ASSERT_TRUE(frame);

   ASSERT_TRUE(Command(frame, IDM_FILE_NEW_VM));
   HWND sheet = e2e::WaitForWindow({"#32770", "New Virtual Machine Wizard", false, zolt.Id()});
   ASSERT_TRUE(sheet) << e2e::LastFailure();
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_NWZ_NAME));
   SetPageText(sheet, IDC_NWZ_NAME, "Wizard Box");
   SetPageText(sheet, IDC_NWZ_LOCATION, folder.Path());
   // Name, guest (default), memory, disk, network (default), ready.
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_NWZ_GUEST_LIST));
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_NWZ_MEMORY));
   SetPageText(sheet, IDC_NWZ_MEMORY, "768");
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_NWZ_DISK));
   SetPageText(sheet, IDC_NWZ_DISK, "12");
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_NWZ_NET_NAT));
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_NWZ_SUMMARY));
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);

   HWND completed = e2e::WaitForWindow({"#32770", "Virtual Machine Created", false, zolt.Id()});
   ASSERT_TRUE(completed) << e2e::LastFailure();
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
   std::string vmx = folder.WriteFile("cycle.vmx", VmxText("Cycle"));
   std::string other = folder.WriteFile("other.vmx", VmxText("Other"));
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
   std::string vmx = folder.WriteFile("quick.vmx", VmxText("Quick"));
   MachineRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-x -q " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn")) << run.Log();
   EXPECT_TRUE(zolt.IsRunning());
   ASSERT_TRUE(Command(frame, IDM_VM_POWER_OFF));
   ASSERT_TRUE(zolt.WaitForExit(kExitMs)) << "the last tab closed at power-off ends zolt\n" << run.Log();
   EXPECT_EQ(zolt.ExitCode(), 0);
   EXPECT_TRUE(Has(run.Dump(), "/appdata/Tremory/zolt/session/active", "\"0\"")) << run.Dump();
}

TEST(ZoltMachine, ClosingARunningMachineAsksAndDoesWhatTheUserChose)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("asked.vmx", VmxText("Asked"));
   MachineRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-x " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn")) << run.Log();

   // Cancel keeps the tab and the machine running.
   ASSERT_TRUE(Command(frame, IDM_FILE_CLOSE));
   AnswerCloseQuestion(zolt, -1);
   // Suspend: the machine is suspended, then its tab closes.
   ASSERT_TRUE(Command(frame, IDM_FILE_CLOSE));
   AnswerCloseQuestion(zolt, 0);
   ASSERT_TRUE(run.WaitForLog("suspend done, suspended")) << run.Log();
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::CloseObj: /vm/#0001/")) << run.Log();
   EXPECT_EQ(Count(run.Log(), "powerOff done"), 0u);

   // Opened again (resumed at open), then powered off through the question.
   ASSERT_TRUE(run.HandOver("-t -x " + e2e::QuoteArgument(vmx)));
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn", 2)) << run.Log();
   ASSERT_TRUE(Command(frame, IDM_FILE_CLOSE));
   AnswerCloseQuestion(zolt, 1);
   ASSERT_TRUE(run.WaitForLog("powerOff done, poweredOff")) << run.Log();

   // Run in background: the tab closes at once, the machine goes on.
   ASSERT_TRUE(run.HandOver("-t -x " + e2e::QuoteArgument(vmx)));
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn", 3)) << run.Log();
   size_t closesBefore = Count(run.Log(), "CZOLTApp::CloseObj: ");
   ASSERT_TRUE(Command(frame, IDM_FILE_CLOSE));
   AnswerCloseQuestion(zolt, 2);
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::CloseObj: ", closesBefore + 1)) << run.Log();
   EXPECT_EQ(Count(run.Log(), "powerOff done"), 1u) << "only the earlier power-off";

   run.Close(zolt, frame);
}

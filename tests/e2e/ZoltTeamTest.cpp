// zolt.exe and its teams, driven with keys and clicks: a team opened from the command line powers on
// member by member in its start-up order, switches its current machine and loses a machine and a
// LAN through the Team menu; closing the running team answers each of the four choices, with File >
// Open bringing it back; its tab comes back after a restart; a team naming a missing machine opens
// with that member marked.
#include "SidebarSupport.h"
#include "ZoltPageSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

using zoltrun::AnswerCloseQuestion;
using zoltrun::ChooseMenu;
using zoltrun::Count;
using zoltrun::VmPathOf;

// The file dialog's file-name box: a combo box with an edit, or an edit.
const int kFileNameCombo = 0x47c;
const int kFileNameEdit = 0x480;

const char kLanId[] = "pvn-lab";

// A machine on the team's LAN.
std::string MemberVmx(const std::string &name)
{
   return zoltrun::MachineVmx(name, std::string("net0.present = \"TRUE\"\nnet0.network = \"pvn\"\nnet0.pvnID = \"") +
                                       kLanId + "\"\n");
}

// A team of Alpha (started first, then one second's wait) and Beta, both on "Lab LAN"; with
// `missing`, a third member whose file is not there.
std::string WriteTeam(const e2e::TestFolder &folder, bool missing = false)
{
   folder.WriteFile("Alpha.vmx", MemberVmx("Alpha"));
   folder.WriteFile("Beta.vmx", MemberVmx("Beta"));
   std::string team = "team.name = \"Lab\"\n"
                      "vm0.cfgPath = \"Beta.vmx\"\nvm0.startupOrder = \"2\"\nvm0.startupDelay = \"0\"\n"
                      "vm1.cfgPath = \"Alpha.vmx\"\nvm1.startupOrder = \"1\"\nvm1.startupDelay = \"1\"\n";
   if (missing) {
      team += "vm2.cfgPath = \"Gamma.vmx\"\nvm2.startupOrder = \"3\"\nvm2.startupDelay = \"0\"\n";
   }
   team += std::string("lan0.id = \"") + kLanId + "\"\nlan0.name = \"Lab LAN\"\nlan0.bandwidth = \"0\"\nlan0.loss = \"0\"\n";
   return folder.WriteFile("Lab.vmtm", team);
}

class TeamRun : public zoltrun::ZoltRun {
public:
   explicit TeamRun(const e2e::TestFolder &folder)
      : ZoltRun(folder, "vmdb.dump = " + e2e::QuoteValue(folder.PathOf("dump.vmdb")) + "\n" + "vmdb.preload = " +
                           e2e::QuoteValue(folder.WriteFile("preload.vmdb",
                                                            "/user/prefState/val/zolt/saveOpenedObjs = \"1\"\n")) +
                           "\n"),
        dump_(folder.PathOf("dump.vmdb"))
   {
   }

   HWND Start(e2e::Process &process, const std::string &arguments)
   {
      e2e::RemovePath(dump_);
      return ZoltRun::Start(process, "-H " + arguments);
   }
   std::string Close(e2e::Process &process, HWND frame)
   {
      ZoltRun::Close(process, frame);
      return e2e::ReadTextFile(dump_).value_or("");
   }
   // How often the host has finished the team operation `op` ("powerOnTeam"), and the wait for
   // one more.
   size_t TeamOps(const std::string &op) const { return Count(Log(), ": " + op + " done"); }
   bool WaitForTeamOp(const std::string &op, size_t before) { return WaitForLog(": " + op + " done", before + 1); }

private:
   std::string dump_;
};

// Opens `file` through File > Open, typing it into the file dialog.
void OpenThroughFileDialog(const e2e::Process &zolt, HWND frame, const std::string &file)
{
   ASSERT_TRUE(ChooseMenu(frame, zolt.Id(), 'F', "O")) << e2e::LastFailure();
   HWND dialog = e2e::WaitForDialog(zolt.Id(), "", zoltrun::kHostMs);
   ASSERT_TRUE(dialog) << e2e::LastFailure();
   HWND name = GetDlgItem(dialog, kFileNameCombo) ? GetDlgItem(dialog, kFileNameCombo) : GetDlgItem(dialog, kFileNameEdit);
   ASSERT_TRUE(name);
   // A combo box takes the text in its edit control.
   HWND edit = zoltside::FindDescendant(name, "Edit");
   RECT box = {};
   GetClientRect(name, &box);
   ASSERT_TRUE(e2e::Click(name, 10, box.bottom / 2)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::TypeText(edit ? edit : name, file)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(dialog, VK_RETURN)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitForWindowGone(dialog, zoltrun::kHostMs));
}

BOOL CALLBACK FindTopology(HWND child, LPARAM out)
{
   if (GetDlgCtrlID(child) == 4119 && IsWindowVisible(child)) {
      *reinterpret_cast<HWND *>(out) = child;
      return FALSE;
   }
   return TRUE;
}

// The team page's topology list, once it shows in the frame; null when it does not.
HWND WaitForTopology(HWND frame)
{
   HWND found = nullptr;
   e2e::WaitUntil(
      [&]() {
         found = nullptr;
         EnumChildWindows(frame, &FindTopology, reinterpret_cast<LPARAM>(&found));
         return found != nullptr;
      },
      zoltrun::kHostMs);
   return found;
}

// The topology's rows once they read `rows` (each row's columns joined by " | ", compared by
// their start); the rows as they last were otherwise.
std::vector<std::string> WaitForRows(HWND list, const std::vector<std::string> &starts)
{
   std::vector<std::string> rows;
   e2e::WaitUntil(
      [&]() {
         rows = zoltpage::ListViewRows(list);
         if (rows.size() != starts.size()) {
            return false;
         }
         for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].compare(0, starts[i].size(), starts[i]) != 0) {
               return false;
            }
         }
         return true;
      },
      zoltrun::kHostMs);
   return rows;
}

// Closes the current tab with Ctrl+W.
bool CloseTab(HWND frame)
{
   return e2e::PressKey(frame, 'W', e2e::kControl);
}

}  // namespace

TEST(ZoltTeam, ATeamPowersOnInItsOrderSwitchesItsMachineAndLosesAMachineAndALan)
{
   e2e::TestFolder folder;
   const std::string team = WriteTeam(folder);
   TeamRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, e2e::QuoteArgument(team));
   ASSERT_TRUE(frame) << run.Log();
   ASSERT_TRUE(run.WaitForLog("TeamMgr: opened ")) << run.Log();
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened ")) << run.Log();
   const std::string alpha = VmPathOf(run.Log(), "Alpha.vmx");
   const std::string beta = VmPathOf(run.Log(), "Beta.vmx");
   ASSERT_NE(alpha, "");
   ASSERT_NE(beta, "");
   // The page lists the members in their start-up order.
   HWND topology = WaitForTopology(frame);
   ASSERT_TRUE(topology) << run.Log();
   std::vector<std::string> rows = WaitForRows(topology, {"Alpha", "Beta"});
   ASSERT_EQ(rows.size(), 2u);
   EXPECT_EQ(rows[0].rfind("Alpha", 0), 0u) << rows[0];
   Sleep(500);   // the page has painted
   zoltpage::KeepScreenshot(folder, frame, "team-off.png");

   // Ctrl+Shift+B: Alpha first, then Beta once Alpha is on and a second has passed.
   ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_ON)) << run.Log();
   const size_t ons = run.TeamOps("powerOnTeam");
   ASSERT_TRUE(e2e::PressKey(frame, 'B', e2e::kControl | e2e::kShift)) << e2e::LastFailure();
   ASSERT_TRUE(run.WaitForTeamOp("powerOnTeam", ons)) << run.Log();
   const std::string log = run.Log();
   const size_t alphaOn = log.find("SimHost: " + alpha + ": powerOn done");
   const size_t betaOn = log.find("SimHost: " + beta + ": powerOn done");
   ASSERT_NE(alphaOn, std::string::npos) << log;
   ASSERT_NE(betaOn, std::string::npos) << log;
   EXPECT_LT(alphaOn, betaOn) << "the start-up order, not the file's";
   Sleep(500);
   zoltpage::KeepScreenshot(folder, frame, "team-running.png");

   // Ctrl+Shift+E: both go off together.
   const size_t offs = run.TeamOps("powerOffTeam");
   ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_OFF)) << run.Log();
   ASSERT_TRUE(e2e::PressKey(frame, 'E', e2e::kControl | e2e::kShift)) << e2e::LastFailure();
   ASSERT_TRUE(run.WaitForTeamOp("powerOffTeam", offs)) << run.Log();

   // Team > Switch To > 2 (Beta, by name).
   ASSERT_TRUE(ChooseMenu(frame, zolt.Id(), 'T', "W2")) << e2e::LastFailure();

   // Team > Remove > A (the LAN), then Team > Remove > 1 (Alpha): the file follows each.
   ASSERT_TRUE(ChooseMenu(frame, zolt.Id(), 'T', "MA")) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitUntil([&]() { return e2e::ReadTextFile(team).value_or("").find("Lab LAN") == std::string::npos; },
                              zoltrun::kHostMs))
      << e2e::ReadTextFile(team).value_or("") << run.Log();
   ASSERT_TRUE(ChooseMenu(frame, zolt.Id(), 'T', "M1")) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitUntil([&]() { return e2e::ReadTextFile(team).value_or("").find("Alpha.vmx") == std::string::npos; },
                              zoltrun::kHostMs))
      << e2e::ReadTextFile(team).value_or("") << run.Log();
   EXPECT_NE(e2e::ReadTextFile(team).value_or("").find("Beta.vmx"), std::string::npos);
   // Out of the team, Alpha has a tab of its own.
   EXPECT_TRUE(run.WaitForLog("CZOLTApp::OpenVM " + folder.PathOf("Alpha.vmx"))) << run.Log();
   run.Close(zolt, frame);
}

TEST(ZoltTeam, ClosingTheRunningTeamAnswersEachChoiceAndItsTabComesBackAfterARestart)
{
   e2e::TestFolder folder;
   const std::string team = WriteTeam(folder);
   TeamRun run(folder);
   const std::string poweredOn = "\"Lab\" is still powered on";
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt, e2e::QuoteArgument(team));
      ASSERT_TRUE(frame) << run.Log();
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened ")) << run.Log();
      ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_ON)) << run.Log();
      const size_t ons = run.TeamOps("powerOnTeam");
      ASSERT_TRUE(e2e::PressKey(frame, 'B', e2e::kControl | e2e::kShift)) << e2e::LastFailure();
      ASSERT_TRUE(run.WaitForTeamOp("powerOnTeam", ons)) << run.Log();

      // Cancel: the tab stays.
      ASSERT_TRUE(CloseTab(frame));
      AnswerCloseQuestion(zolt, poweredOn, -1);
      Sleep(300);
      EXPECT_EQ(Count(run.Log(), "CZOLTApp::CloseTeamTab"), 0u) << run.Log();

      // Run in background: the tab goes, the machines run on.
      ASSERT_TRUE(CloseTab(frame));
      AnswerCloseQuestion(zolt, poweredOn, 2);
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::CloseTeamTab")) << run.Log();
      EXPECT_EQ(Count(run.Log(), "powerOffTeam started"), 0u) << run.Log();

      // Back through File > Open, still running: suspend closes it once the team is suspended.
      OpenThroughFileDialog(zolt, frame, team);
      ASSERT_TRUE(run.WaitForLog("TeamMgr: opened ", 2)) << run.Log();
      ASSERT_TRUE(CloseTab(frame));
      const size_t suspends = run.TeamOps("suspendTeam");
      AnswerCloseQuestion(zolt, poweredOn, 0);
      ASSERT_TRUE(run.WaitForTeamOp("suspendTeam", suspends)) << run.Log();
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::CloseTeamTab", 2)) << run.Log();

      // Again, resumed: power off closes it once the team is off.
      OpenThroughFileDialog(zolt, frame, team);
      ASSERT_TRUE(run.WaitForLog("TeamMgr: opened ", 3)) << run.Log();
      ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_ON)) << run.Log();
      const size_t resumes = run.TeamOps("powerOnTeam");
      ASSERT_TRUE(e2e::PressKey(frame, 'B', e2e::kControl | e2e::kShift)) << e2e::LastFailure();
      ASSERT_TRUE(run.WaitForTeamOp("powerOnTeam", resumes)) << run.Log();
      ASSERT_TRUE(CloseTab(frame));
      const size_t offs = run.TeamOps("powerOffTeam");
      AnswerCloseQuestion(zolt, poweredOn, 1);
      ASSERT_TRUE(run.WaitForTeamOp("powerOffTeam", offs)) << run.Log();
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::CloseTeamTab", 3)) << run.Log();

      // Opened once more and left open at exit.
      OpenThroughFileDialog(zolt, frame, team);
      ASSERT_TRUE(run.WaitForLog("TeamMgr: opened ", 4)) << run.Log();
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened ", 4)) << run.Log();
      run.Close(zolt, frame);
   }
   {
      // The new run's log starts afresh.
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "");
      ASSERT_TRUE(frame) << run.Log();
      ASSERT_TRUE(run.WaitForLog("TeamMgr: opened ")) << "the saved tab reopens its team\n" << run.Log();
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened ")) << run.Log();
      std::string dump = run.Close(zolt, frame);
      EXPECT_NE(dump.find("type = \"team\""), std::string::npos) << dump;
   }
}

TEST(ZoltTeam, ATeamNamingAMissingMachineOpensWithThatMemberMarked)
{
   e2e::TestFolder folder;
   const std::string team = WriteTeam(folder, true);
   TeamRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, e2e::QuoteArgument(team));
   ASSERT_TRUE(frame) << run.Log();
   ASSERT_TRUE(run.WaitForLog("TeamMgr: opened ")) << run.Log();
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened ")) << run.Log();
   EXPECT_NE(run.Log().find("Gamma.vmx is not open"), std::string::npos) << run.Log();
   HWND topology = WaitForTopology(frame);
   ASSERT_TRUE(topology) << run.Log();
   std::vector<std::string> rows = WaitForRows(topology, {"Alpha", "Beta", "Gamma"});
   ASSERT_EQ(rows.size(), 3u) << run.Log();
   EXPECT_NE(rows[2].find("The file cannot be opened"), std::string::npos) << rows[2];
   Sleep(500);   // the page has painted
   zoltpage::KeepScreenshot(folder, frame, "team-missing.png");
   EXPECT_NE(VmPathOf(run.Log(), "Alpha.vmx"), "");
   run.Close(zolt, frame);
   EXPECT_EQ(zolt.ExitCode(), 0u);
}

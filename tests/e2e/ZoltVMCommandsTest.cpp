// zolt.exe's VM menu commands beside power and snapshots, driven by keys and clicks: the hardware
// upgrade and the machine page's version, deletion from the disk of only the machine's own
// files, recording a running machine and replaying it from the record/replay toolbar, and the
// administrator lockout keys refusing their commands.
#include "SidebarSupport.h"
#include "ZoltPageSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

namespace {

using zoltrun::Count;
using zoltrun::kHostMs;

// The hardware-upgrade page's change text (wui::wizard::ConvertHardware::kChangeText).
const int kUpgradeChangeText = 1001;
// The machine page's version value.
const int kVersionValue = 1059;

// Opens the VM menu with Alt+M and presses the item's key.
bool ChooseVMItem(HWND frame, DWORD processId, char item)
{
   if (!e2e::PressKey(frame, 'M', e2e::kAlt) || !e2e::WaitForPopupMenu(processId) || !e2e::PressKey(frame, item)) {
      ADD_FAILURE() << "VM > " << item << ": " << e2e::LastFailure();
      return false;
   }
   return true;
}

// The process's top-level window holding control `id`; null when none came within `ms`.
HWND WaitForWindowWith(const e2e::Process &process, int id, DWORD ms = e2e::kStartTimeoutMs)
{
   HWND found = nullptr;
   e2e::WaitUntil(
      [&]() {
         for (HWND w : e2e::FindTopLevelWindows({"", "", false, process.Id()})) {
            if (GetDlgItem(w, id) && IsWindowVisible(w)) {
               found = w;
            }
         }
         return found != nullptr;
      },
      ms);
   return found;
}

bool Exists(const std::string &path)
{
   return e2e::ReadTextFile(path).has_value();
}

std::string TextOf(HWND window)
{
   return e2e::ReadText(window).value_or("");
}

// The command bar's toolbar that holds `command`; null when none does.
HWND ToolbarWith(HWND frame, WORD command)
{
   HWND cmdbar = FindWindowExA(frame, nullptr, "ZOLTCmdbar", nullptr);
   HWND rebar = cmdbar ? FindWindowExA(cmdbar, nullptr, REBARCLASSNAMEA, nullptr) : nullptr;
   for (HWND bar = rebar ? FindWindowExA(rebar, nullptr, TOOLBARCLASSNAMEA, nullptr) : nullptr; bar;
        bar = FindWindowExA(rebar, bar, TOOLBARCLASSNAMEA, nullptr)) {
      bool menubar = (GetWindowLongA(bar, GWL_STYLE) & TBSTYLE_LIST) != 0;
      if (!menubar && IsWindowVisible(bar) && SendMessageA(bar, TB_COMMANDTOINDEX, command, 0) >= 0) {
         return bar;
      }
   }
   return nullptr;
}

// A button's state as TB_GETSTATE gives it (-1 when the button is not there).
LRESULT ButtonState(HWND toolbar, WORD command)
{
   return SendMessageA(toolbar, TB_GETSTATE, command, 0);
}

bool WaitForButton(HWND toolbar, WORD command, bool enabled, bool pushed)
{
   return e2e::WaitUntil(
      [&]() {
         LRESULT state = ButtonState(toolbar, command);
         return state >= 0 && ((state & TBSTATE_ENABLED) != 0) == enabled && ((state & TBSTATE_CHECKED) != 0) == pushed;
      },
      kHostMs, 50);
}

// Clicks the toolbar's button with the mouse.
bool ClickButton(HWND toolbar, WORD command)
{
   LRESULT index = SendMessageA(toolbar, TB_COMMANDTOINDEX, command, 0);
   RECT box = index >= 0 ? zoltside::RemoteRect(toolbar, TB_GETITEMRECT, static_cast<WPARAM>(index)) : RECT();
   if (box.right <= box.left) {
      ADD_FAILURE() << "no button " << command;
      return false;
   }
   if (!e2e::Click(toolbar, (box.left + box.right) / 2, (box.top + box.bottom) / 2)) {
      ADD_FAILURE() << "button " << command << " at " << box.left << "," << box.top << "-" << box.right << ","
                    << box.bottom << ": " << e2e::LastFailure();
      return false;
   }
   return true;
}

class CommandsRun : public zoltrun::ZoltRun {
public:
   // Message boxes are shown and wait for the test; the host's lists and settings are kept in
   // the test folder, so a test can give the local host its policies.
   explicit CommandsRun(const e2e::TestFolder &folder, const std::string &extra = "")
      : ZoltRun(folder,
                "test.host.stepMs = \"20\"\ntest.host.vmListFolder = " + e2e::QuoteValue(folder.Path()) + "\n" + extra,
                false)
   {
   }
};

}  // namespace

TEST(ZoltVMCommands, AHardwareUpgradeShowsItsChangeFirstAndTheNewVersionOnThePage)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("old.vmx", zoltpage::VmxText("Old"));
   CommandsRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("SimHost: registered")) << run.Log();
   HWND page = zoltpage::WaitForMachinePage(frame);
   ASSERT_TRUE(page) << run.Log();
   HWND version = GetDlgItem(page, kVersionValue);
   ASSERT_TRUE(
      e2e::WaitUntil([&]() { return TextOf(version) == "Tremory Deskmoor 5.x (hardware version 4)"; }, kHostMs))
      << TextOf(version);

   // The page says what changes; Cancel leaves the machine as it is.
   ASSERT_TRUE(ChooseVMItem(frame, zolt.Id(), 'U'));
   HWND wizard = WaitForWindowWith(zolt, kUpgradeChangeText);
   ASSERT_TRUE(wizard) << run.Log();
   std::string change = TextOf(GetDlgItem(wizard, kUpgradeChangeText));
   EXPECT_NE(std::string::npos, change.find("hardware version 4")) << change;
   EXPECT_NE(std::string::npos, change.find("Tremory Deskmoor 6.x (hardware version 6)")) << change;
   zoltpage::KeepScreenshot(folder, wizard, "upgrade-page.png");
   ASSERT_TRUE(e2e::ClickButton(wizard, IDCANCEL));
   ASSERT_TRUE(e2e::WaitForWindowGone(wizard));
   EXPECT_EQ(0u, Count(run.Log(), "hardware upgraded")) << run.Log();

   ASSERT_TRUE(ChooseVMItem(frame, zolt.Id(), 'U'));
   wizard = WaitForWindowWith(zolt, kUpgradeChangeText);
   ASSERT_TRUE(wizard) << run.Log();
   ASSERT_TRUE(e2e::ClickButton(wizard, IDOK));
   ASSERT_TRUE(run.WaitForLog("hardware upgraded from 4 to 6")) << run.Log();
   EXPECT_TRUE(
      e2e::WaitUntil([&]() { return TextOf(version) == "Tremory Deskmoor 6.x (hardware version 6)"; }, kHostMs))
      << TextOf(version);
   std::string text = e2e::ReadTextFile(vmx).value_or("");
   EXPECT_NE(std::string::npos, text.find("hardwareVersion = \"6\"")) << text;
   zoltpage::KeepScreenshot(folder, page, "upgraded-page.png");
   run.Close(zolt, frame);
}

TEST(ZoltVMCommands, DeleteFromDiskAsksAndRemovesOnlyTheFilesTheMachineNames)
{
   e2e::TestFolder folder;
   ASSERT_FALSE(folder.MakeFolder("doomed").empty());
   std::string vmx =
      folder.WriteFile("doomed/doomed.vmx", zoltrun::MachineVmx("Doomed",
                                                                "disk0.present = \"TRUE\"\ndisk0.fileName = "
                                                                "\"doomed.vmdk\"\nnvram = \"doomed.nvram\"\n"));
   std::string disk = folder.WriteFile("doomed/doomed.vmdk", "disk");
   std::string nvram = folder.WriteFile("doomed/doomed.nvram", "nvram");
   std::string keep = folder.WriteFile("doomed/keep-me.txt", "mine");
   std::string beside = folder.WriteFile("beside.vmdk", "another's");
   CommandsRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("SimHost: registered")) << run.Log();
   ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_ON)) << run.Log();

   // No keeps everything.
   ASSERT_TRUE(ChooseVMItem(frame, zolt.Id(), 'L'));
   HWND question = zoltrun::WaitForBoxSaying(zolt, "from the disk");
   ASSERT_TRUE(question) << run.Log();
   ASSERT_TRUE(e2e::ClickButton(question, IDC_VMDLG_SECOND));
   ASSERT_TRUE(e2e::WaitForWindowGone(question));
   EXPECT_TRUE(Exists(vmx));
   EXPECT_EQ(0u, Count(run.Log(), "SimHost: deleteVMFromDisk")) << run.Log();

   ASSERT_TRUE(ChooseVMItem(frame, zolt.Id(), 'L'));
   question = zoltrun::WaitForBoxSaying(zolt, "from the disk");
   ASSERT_TRUE(question) << run.Log();
   ASSERT_TRUE(e2e::ClickButton(question, IDC_VMDLG_FIRST));
   ASSERT_TRUE(run.WaitForLog("SimHost: deleteVMFromDisk")) << run.Log();
   EXPECT_TRUE(e2e::WaitUntil([&]() { return !Exists(vmx); }, kHostMs));
   EXPECT_FALSE(Exists(disk));
   EXPECT_FALSE(Exists(nvram));
   EXPECT_TRUE(Exists(keep)) << "a file the configuration does not name stays";
   EXPECT_TRUE(Exists(beside));
   EXPECT_TRUE(run.WaitForLog("SimHost: unregistered")) << "the machine is closed\n" << run.Log();
   run.Close(zolt, frame);
}

TEST(ZoltVMCommands, ARecordingOfARunningMachineReplaysFromTheToolbarUntilGoLive)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("demo.vmx", zoltrun::MachineVmx("Demo"));
   CommandsRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H -x " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("powerOn done, poweredOn")) << run.Log();
   ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_RESET)) << run.Log();

   // The record and replay toolbar shows by default. The view toolbar's band is laid over the
   // bands after it in the same row, so View > Toolbars > View puts it away first.
   HWND toolbar = nullptr;
   ASSERT_TRUE(
      e2e::WaitUntil([&]() { return (toolbar = ToolbarWith(frame, IDM_VM_REPLAY_RECORD)) != nullptr; }, kHostMs))
      << run.Log();
   ASSERT_TRUE(e2e::PressKey(frame, 'V', e2e::kAlt) && e2e::WaitForPopupMenu(zolt.Id()) && e2e::PressKey(frame, 'T') &&
               e2e::PressKey(frame, 'V'))
      << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitUntil([&]() { return !ToolbarWith(frame, IDM_VIEW_SUMMARY); }, kHostMs)) << run.Log();
   ASSERT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_RECORD, true, false));
   EXPECT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_PLAY, false, false)) << "nothing recorded yet";
   EXPECT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_STOP, false, false));
   zoltpage::KeepScreenshot(folder, toolbar, "vplay-live.png");
   zoltpage::KeepScreenshot(folder, frame, "vplay-frame.png");

   ASSERT_TRUE(ClickButton(toolbar, IDM_VM_REPLAY_RECORD));
   ASSERT_TRUE(run.WaitForLog("recorder recording")) << run.Log();
   EXPECT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_RECORD, true, true));
   EXPECT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_STOP, true, false));
   EXPECT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_PLAY, false, false));
   zoltpage::KeepScreenshot(folder, toolbar, "vplay-recording.png");

   ASSERT_TRUE(ClickButton(toolbar, IDM_VM_REPLAY_STOP));
   ASSERT_TRUE(run.WaitForLog("recorder live")) << run.Log();
   ASSERT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_PLAY, true, false)) << run.Log();
   std::string snapshots = e2e::ReadTextFile(folder.PathOf("demo.snapshot")).value_or("");
   EXPECT_NE(std::string::npos, snapshots.find(".recording = \"1\"")) << snapshots;
   EXPECT_NE(std::string::npos, snapshots.find("Recording 1")) << snapshots;

   ASSERT_TRUE(ClickButton(toolbar, IDM_VM_REPLAY_PLAY));
   ASSERT_TRUE(run.WaitForLog("recorder playing")) << run.Log();
   EXPECT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_PLAY, true, true));
   EXPECT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_STOP, true, false));
   EXPECT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_RECORD, false, false));
   zoltpage::KeepScreenshot(folder, toolbar, "vplay-playing.png");

   // Stop while playing goes live.
   ASSERT_TRUE(ClickButton(toolbar, IDM_VM_REPLAY_STOP));
   ASSERT_TRUE(run.WaitForLog("recorder live", 2)) << run.Log();
   EXPECT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_RECORD, true, false));
   EXPECT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_PLAY, true, false));
   EXPECT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_STOP, false, false));
   zoltpage::KeepScreenshot(folder, toolbar, "vplay-live-again.png");

   ASSERT_TRUE(zoltrun::Command(frame, IDM_VM_POWER_OFF));
   ASSERT_TRUE(run.WaitForLog("powerOff done, poweredOff")) << run.Log();
   EXPECT_TRUE(WaitForButton(toolbar, IDM_VM_REPLAY_RECORD, false, false)) << "a machine that is off records nothing";
   run.Close(zolt, frame);
}

TEST(ZoltVMCommands, EachLockoutKeyRefusesItsCommands)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("locked.vmx", zoltpage::VmxText("Locked"));
   folder.WriteFile("locked.snapshot",
                    "snapshot.lastUID = \"1\"\nsnapshot.current = \"1\"\nsnapshot1.parent = \"0\"\n"
                    "snapshot1.displayName = \"Base\"\nsnapshot1.powerState = \"1\"\n");
   folder.WriteFile("localhost.settings", "policy/lockoutEditVM = \"1\"\npolicy/lockoutCreateVM = \"1\"\n");
   CommandsRun run(folder, "vmfork.enable = \"true\"\n");
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("SimHost: registered")) << run.Log();
   ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_ON)) << run.Log();

   // lockoutEditVM: the hardware upgrade and the deletion.
   ASSERT_TRUE(ChooseVMItem(frame, zolt.Id(), 'U'));
   ASSERT_TRUE(run.WaitForLog("Lockout: lockoutEditVM is locked out")) << run.Log();
   ASSERT_TRUE(ChooseVMItem(frame, zolt.Id(), 'L'));
   ASSERT_TRUE(run.WaitForLog("Lockout: lockoutEditVM is locked out", 2)) << run.Log();
   // lockoutCreateVM: the clone and, in its database form through the current host, the fork.
   ASSERT_TRUE(ChooseVMItem(frame, zolt.Id(), 'C'));
   ASSERT_TRUE(run.WaitForLog("Lockout: lockoutCreateVM is locked out")) << run.Log();
   ASSERT_TRUE(ChooseVMItem(frame, zolt.Id(), 'F'));
   ASSERT_TRUE(run.WaitForLog("Lockout: lockoutCreateVM is locked out", 2)) << run.Log();

   EXPECT_FALSE(WaitForWindowWith(zolt, kUpgradeChangeText, 500)) << "no upgrade page";
   EXPECT_FALSE(WaitForWindowWith(zolt, IDC_VMDLG_TEXT, 500)) << "no question";
   std::string log = run.Log();
   EXPECT_EQ(0u, Count(log, "CZOLTApp::CloneVM")) << log;
   EXPECT_EQ(0u, Count(log, "forkVM")) << log;
   EXPECT_TRUE(Exists(vmx));
   EXPECT_NE(std::string::npos, e2e::ReadTextFile(vmx).value_or("").find("hardwareVersion = \"4\""));
   run.Close(zolt, frame);
}

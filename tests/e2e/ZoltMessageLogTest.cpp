// zolt.exe's VM > Message Log as a user meets it: a machine powered on and given a snapshot from
// the keyboard, the log opened with Alt, the VM menu's key and the item's, its rows read, a
// power-off seen arriving while it is open, and Escape closing it.
#include "ScreenImage.h"
#include "ZoltPageSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zoltrun::ChooseMenu;
using zoltrun::MachineVmx;

const char kLogTitle[] = "Message Log - Logged";
// The log window's list (wui::dialog::MessageLog::kList).
const int kLogList = 1001;

// The list reads its columns by subitem: type, time, message (it shows the time first).
bool IsRow(const std::string &row, const std::string &type, const std::string &message)
{
   return row.compare(0, type.size() + 3, type + " | ") == 0 && row.size() > message.size() &&
          row.compare(row.size() - message.size() - 3, std::string::npos, " | " + message) == 0;
}

std::string Joined(const std::vector<std::string> &rows)
{
   std::string text;
   for (const std::string &row : rows) {
      text += row + "\n";
   }
   return text;
}

class LogRun : public zoltrun::ZoltRun {
public:
   // Short host steps; message boxes answered.
   explicit LogRun(const e2e::TestFolder &folder) : ZoltRun(folder, "test.host.stepMs = \"20\"\n"), folder_(folder) {}

   HWND StartOn(e2e::Process &zolt, const std::string &vmx) { return StartOnMachine(zolt, vmx); }
   // Paints the window now, then keeps it as the user sees it, frame and all.
   void Screenshot(HWND window, const std::string &name) const
   {
      e2e::KeepWindowScreenshot(folder_.Path(), window, name);
   }

private:
   const e2e::TestFolder &folder_;
};

}  // namespace

TEST(ZoltMessageLog, PowerAndSnapshotShowInTheLogOpenedFromTheVMMenu)
{
   e2e::TestFolder folder;
   // One snapshot only: the take needs no dialog.
   std::string vmx = folder.WriteFile("logged.vmx", MachineVmx("Logged", "snapshot.multiple = \"FALSE\"\n"));
   LogRun run(folder);
   e2e::Process zolt;
   HWND frame = run.StartOn(zolt, vmx);
   ASSERT_TRUE(frame);

   ASSERT_TRUE(e2e::PressKey(frame, 'B', e2e::kControl));
   ASSERT_TRUE(run.WaitForLog("powerOn done")) << run.Log();
   ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_OFF)) << run.Log();
   ASSERT_TRUE(ChooseMenu(frame, zolt.Id(), 'M', "ST"));
   ASSERT_TRUE(run.WaitForLog("createSnapshot done")) << run.Log();

   // VM > Message Log: Alt+M, then O.
   ASSERT_TRUE(ChooseMenu(frame, zolt.Id(), 'M', "O"));
   HWND log = e2e::WaitForWindow({"#32770", kLogTitle, false, zolt.Id()});
   ASSERT_TRUE(log) << run.Log();
   HWND list = e2e::WaitForChild(log, kLogList);
   ASSERT_TRUE(list);
   EXPECT_EQ(frame, GetWindow(log, GW_OWNER)) << "owned by the main window";
   std::vector<std::string> rows;
   ASSERT_TRUE(e2e::WaitUntil([&]() { return (rows = zoltpage::ListViewRows(list)).size() >= 2; }, zoltrun::kHostMs))
      << Joined(rows);
   ASSERT_EQ(2u, rows.size()) << Joined(rows);
   EXPECT_TRUE(IsRow(rows[0], "Information", "The virtual machine was powered on.")) << rows[0];
   EXPECT_TRUE(IsRow(rows[1], "Information", "Snapshot \"Snapshot 1\" was taken.")) << rows[1];

   // The main window powers the machine off while the log is open: the row arrives at the end.
   ASSERT_TRUE(zoltrun::Command(frame, IDM_VM_POWER_OFF));
   ASSERT_TRUE(run.WaitForLog("powerOff done")) << run.Log();
   EXPECT_TRUE(e2e::WaitUntil([&]() { return (rows = zoltpage::ListViewRows(list)).size() == 3; }, zoltrun::kHostMs))
      << Joined(rows);
   ASSERT_EQ(3u, rows.size());
   EXPECT_TRUE(IsRow(rows[2], "Information", "The virtual machine was powered off.")) << rows[2];
   run.Screenshot(log, "message-log.png");

   // The menu item again brings the same window forward; Escape closes it.
   ASSERT_TRUE(ChooseMenu(frame, zolt.Id(), 'M', "O"));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return GetForegroundWindow() == log; }, e2e::kReplyTimeoutMs));
   EXPECT_EQ(1u, e2e::FindTopLevelWindows({"#32770", kLogTitle, false, zolt.Id()}).size());
   ASSERT_TRUE(e2e::PressKey(list, VK_ESCAPE));
   EXPECT_TRUE(e2e::WaitForWindowGone(log)) << "Escape closes the log";
   run.Close(zolt, frame);
}

// zolt.exe on a machine whose snapshot file is cut off in the middle of a value: the machine page,
// the message log and the snapshot manager say the list could not be read, Take Snapshot from the
// manager and from the VM menu's keys is refused in a message box naming the file, and the file
// is the same bytes at the end. A mended file is read when the manager opens, and zolt killed
// while it deletes a snapshot leaves the file whole (a kill during a take: ZoltSnapshotCmdTest).
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

// The machine page's snapshot row (statusvm::kSnapshotValue) and the message log's list.
const int kPageSnapshotValue = 1238;
const int kLogList = 1001;
const char kUnreadable[] = "The snapshot list could not be read.";

// Five snapshots in a row, the fifth current.
std::string FiveSnapshots()
{
   std::string text = "snapshot.lastUID = \"5\"\nsnapshot.current = \"5\"\nsnapshot.mru = \"5 4\"\n";
   for (int uid = 1; uid <= 5; ++uid) {
      std::string key = "snapshot" + std::to_string(uid) + ".";
      text += key + "parent = \"" + std::to_string(uid - 1) + "\"\n" + key + "displayName = \"Step " +
              std::to_string(uid) + "\"\n" + key + "description = \"What step " + std::to_string(uid) +
              " changed\"\n" + key + "createTime = \"" + std::to_string(1700000000 + uid) + "\"\n";
   }
   return text;
}

// The five cut off in the middle of the fourth one's description.
std::string CutShort()
{
   std::string good = FiveSnapshots();
   return good.substr(0, good.find("What step 4") + 6);
}

std::string Text(HWND window)
{
   return e2e::ReadText(window).value_or("<no answer>");
}

// The machine page's snapshot row of the frame; null (the failure added) when there is none.
HWND PageSnapshotRow(HWND frame)
{
   HWND page = zoltpage::WaitForMachinePage(frame);
   HWND row = page ? e2e::WaitForChild(page, kPageSnapshotValue) : nullptr;
   if (!row) {
      ADD_FAILURE() << "no machine page with a snapshot row";
   }
   return row;
}

// Clicks the middle of a control, as the mouse does.
bool ClickMiddle(HWND control)
{
   RECT rc = {};
   GetClientRect(control, &rc);
   return e2e::Click(control, rc.right / 2, rc.bottom / 2);
}

class DamagedRun : public zoltrun::ZoltRun {
public:
   // Message boxes are shown and wait for the test.
   DamagedRun(const e2e::TestFolder &folder, const std::string &stepMs)
      : ZoltRun(folder, "test.host.stepMs = \"" + stepMs + "\"\n", false), folder_(folder)
   {
   }
   // Starts zolt on the machine and finds its page's snapshot row; null (the failure added) when
   // either does not come.
   HWND StartOnPage(e2e::Process &zolt, const std::string &vmx, HWND &row) const
   {
      HWND frame = StartOnMachine(zolt, vmx);
      row = frame ? PageSnapshotRow(frame) : nullptr;
      return row ? frame : nullptr;
   }
   // Ctrl+M and the manager it opens; null (the failure added) when none comes.
   HWND OpenManager(HWND frame, const e2e::Process &zolt) const
   {
      HWND mgr = e2e::PressKey(frame, 'M', e2e::kControl)
                    ? e2e::WaitForWindow({"#32770", "Cut - Snapshot Manager", false, zolt.Id()})
                    : nullptr;
      if (!mgr) {
         ADD_FAILURE() << "no snapshot manager\n" << Log();
      }
      return mgr;
   }
   // The refusal's box, which names the file; closed with OK once looked at.
   bool Refused(const e2e::Process &zolt, const std::string &path, const std::string &screenshot) const
   {
      HWND box = zoltrun::WaitForBoxSaying(zolt, path);
      if (!box) {
         ADD_FAILURE() << "no box naming " << path << "\n" << Log();
         return false;
      }
      if (!screenshot.empty()) {
         e2e::KeepWindowScreenshot(folder_.Path(), box, screenshot);
      }
      return e2e::ClickButton(box, IDOK) && e2e::WaitForWindowGone(box);
   }
   void Screenshot(HWND window, const std::string &name) const { e2e::KeepWindowScreenshot(folder_.Path(), window, name); }

private:
   const e2e::TestFolder &folder_;
};

}  // namespace

TEST(ZoltDamagedSnapshot, ACutShortListIsSaidOnceRefusedInABoxAndKeptByteForByte)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("Cut.vmx", MachineVmx("Cut"));
   const std::string damaged = CutShort();
   std::string snapshots = folder.WriteFile("Cut.snapshot", damaged);
   DamagedRun run(folder, "20");
   e2e::Process zolt;
   HWND row = nullptr;
   HWND frame = run.StartOnPage(zolt, vmx, row);
   ASSERT_TRUE(frame);
   EXPECT_TRUE(e2e::WaitUntil([&]() { return Text(row) == kUnreadable && IsWindowVisible(row); }, zoltrun::kHostMs))
      << Text(row);
   zoltpage::KeepScreenshot(folder, GetParent(row), "damaged-machine-page.png");

   // VM > Message Log: the one reading is said once, with the file and the line.
   ASSERT_TRUE(ChooseMenu(frame, zolt.Id(), 'M', "O"));
   HWND log = e2e::WaitForWindow({"#32770", "Message Log - Cut", false, zolt.Id()});
   ASSERT_TRUE(log) << run.Log();
   HWND list = e2e::WaitForChild(log, kLogList);
   std::vector<std::string> rows;
   ASSERT_TRUE(e2e::WaitUntil([&]() { return !(rows = zoltpage::ListViewRows(list)).empty(); }, zoltrun::kHostMs));
   ASSERT_EQ(1u, rows.size());
   EXPECT_NE(std::string::npos, rows[0].find(snapshots + "\" (line 18: missing closing quote)")) << rows[0];
   EXPECT_EQ(0u, rows[0].find("Error | ")) << rows[0];
   ASSERT_TRUE(e2e::PressKey(list, VK_ESCAPE));
   ASSERT_TRUE(e2e::WaitForWindowGone(log));

   // Ctrl+M: the manager says so instead of showing an empty tree.
   HWND mgr = run.OpenManager(frame, zolt);
   ASSERT_TRUE(mgr);
   HWND status = e2e::WaitForChild(mgr, IDC_SNAPSHOT_STATUS);
   HWND keys = e2e::WaitForChild(mgr, IDC_SNAPSHOT_GRID_KEYS);
   HWND take = e2e::WaitForChild(mgr, IDC_SNAPSHOT_TAKE);
   ASSERT_TRUE(status && keys && take);
   EXPECT_EQ(kUnreadable, Text(status));
   std::string notice = Text(GetParent(keys));
   EXPECT_NE(std::string::npos, notice.find(snapshots)) << notice;
   EXPECT_NE(std::string::npos, notice.find("mended or removed")) << notice;
   run.Screenshot(mgr, "damaged-snapshot-manager.png");

   // Its Take, with the current state selected, is refused with the host's text.
   ASSERT_TRUE(e2e::WaitUntil([&]() { return IsWindowEnabled(take) != FALSE; }, zoltrun::kHostMs));
   ASSERT_TRUE(ClickMiddle(take));
   ASSERT_TRUE(run.Refused(zolt, snapshots, "damaged-take-refused.png"));
   EXPECT_TRUE(IsWindow(mgr));
   ASSERT_TRUE(e2e::PressKey(keys, VK_ESCAPE));
   ASSERT_TRUE(e2e::WaitForWindowGone(mgr));

   // VM > Snapshot > Take Snapshot from the keys: refused before any name is asked.
   ASSERT_TRUE(ChooseMenu(frame, zolt.Id(), 'M', "ST"));
   ASSERT_TRUE(run.Refused(zolt, snapshots, ""));
   EXPECT_EQ(damaged, e2e::ReadTextFile(snapshots).value_or(""));
   EXPECT_EQ(0u, zoltrun::Count(run.Log(), "createSnapshot started")) << run.Log();
   EXPECT_TRUE(zolt.IsRunning());
   run.Close(zolt, frame);
   EXPECT_EQ(damaged, e2e::ReadTextFile(snapshots).value_or(""));
   EXPECT_FALSE(e2e::PathExists(snapshots + ".tmp"));
}

TEST(ZoltDamagedSnapshot, AListMendedMeanwhileIsReadByTheManagerAndAKillDuringADeleteLeavesItWhole)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("Cut.vmx", MachineVmx("Cut"));
   std::string snapshots = folder.WriteFile("Cut.snapshot", CutShort());
   const std::string good = FiveSnapshots();
   {
      // Long steps: the delete is still under way when the process ends.
      DamagedRun run(folder, "4000");
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(vmx));
      ASSERT_TRUE(frame);
      ASSERT_TRUE(run.WaitForLog("SimHost: registered")) << run.Log();
      ASSERT_TRUE(run.WaitForLog("cannot be read and is kept as it is")) << run.Log();
      ASSERT_TRUE(e2e::WriteTextFile(snapshots, good));

      HWND mgr = run.OpenManager(frame, zolt);
      ASSERT_TRUE(mgr);
      HWND status = e2e::WaitForChild(mgr, IDC_SNAPSHOT_STATUS);
      HWND keys = e2e::WaitForChild(mgr, IDC_SNAPSHOT_GRID_KEYS);
      HWND name = e2e::WaitForChild(mgr, IDC_SNAPSHOT_NAME);
      HWND remove = e2e::WaitForChild(mgr, IDC_SNAPSHOT_DELETE);
      ASSERT_TRUE(status && keys && name && remove);
      EXPECT_TRUE(e2e::WaitUntil([&]() { return Text(status) == "The current state of the virtual machine is selected."; },
                                 zoltrun::kHostMs))
         << Text(status) << "\n" << run.Log();
      EXPECT_EQ("", Text(GetParent(keys))) << "no notice once the list is read";

      // Left from the current state: its snapshot, then the one before; Delete.
      ASSERT_TRUE(e2e::PressKey(keys, VK_LEFT));
      ASSERT_TRUE(e2e::PressKey(keys, VK_LEFT));
      ASSERT_TRUE(e2e::WaitUntil([&]() { return Text(name) == "Step 4"; }, e2e::kReplyTimeoutMs)) << Text(name);
      ASSERT_TRUE(e2e::WaitUntil([&]() { return IsWindowEnabled(remove) != FALSE; }, zoltrun::kHostMs));
      ASSERT_TRUE(ClickMiddle(remove));
      ASSERT_TRUE(run.WaitForLog("removeSnapshot started")) << run.Log();
      ASSERT_TRUE(zolt.Kill());
   }
   EXPECT_EQ(good, e2e::ReadTextFile(snapshots).value_or("")) << "the list from before the delete, whole";

   // The next run reads all five.
   DamagedRun again(folder, "20");
   e2e::Process second;
   HWND row = nullptr;
   HWND frame = again.StartOnPage(second, vmx, row);
   ASSERT_TRUE(frame);
   EXPECT_TRUE(e2e::WaitUntil([&]() { return Text(row) == "Step 5"; }, zoltrun::kHostMs)) << Text(row);
   EXPECT_EQ(0u, zoltrun::Count(again.Log(), "cannot be read")) << again.Log();
   again.Close(second, frame);
}

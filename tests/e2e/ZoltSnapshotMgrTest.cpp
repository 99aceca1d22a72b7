// zolt.exe's snapshot manager as a user and an outside caller meet it: a machine with a branched
// tree of snapshots, the manager opened with Ctrl+M, a snapshot clicked and renamed by typing,
// the automation message, Go to, Delete and Delete with children found in the snapshot file, and
// the window's place and size kept across closing, reopening and a restart of zolt.
#include "ScreenImage.h"
#include "ZoltRun.h"
#include "e2e/CopyData.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using zoltrun::MachineVmx;

// Base ─ Patched ─ Leaf ─ (current state)
//   ├── Branch ─ Twin (5)
//   └── Twin (6)
const char kSnapshots[] =
   "snapshot.lastUID = \"6\"\n"
   "snapshot.current = \"4\"\n"
   "snapshot.mru = \"4\"\n"
   "snapshot1.parent = \"0\"\nsnapshot1.displayName = \"Base\"\nsnapshot1.description = \"Fresh install\"\n"
   "snapshot1.createTime = \"1700000000\"\nsnapshot1.powerState = \"1\"\n"
   "snapshot2.parent = \"1\"\nsnapshot2.displayName = \"Patched\"\nsnapshot2.createTime = \"1700000100\"\n"
   "snapshot3.parent = \"1\"\nsnapshot3.displayName = \"Branch\"\nsnapshot3.createTime = \"1700000200\"\n"
   "snapshot4.parent = \"2\"\nsnapshot4.displayName = \"Leaf\"\nsnapshot4.createTime = \"1700000300\"\n"
   "snapshot5.parent = \"3\"\nsnapshot5.displayName = \"Twin\"\nsnapshot5.createTime = \"1700000400\"\n"
   "snapshot6.parent = \"1\"\nsnapshot6.displayName = \"Twin\"\nsnapshot6.createTime = \"1700000500\"\n";

const char kManagerTitle[] = "Branchy - Snapshot Manager";

// The centre of the icon of the grid cell at (row, column), in the grid's client coordinates
// (the content starts 20 pixels in; cells are 32 by 62).
POINT CellPoint(int row, int col)
{
   return POINT{20 + col * 32 + 16, 20 + row * 62 + 16};
}

std::string Text(HWND window)
{
   return e2e::ReadText(window).value_or("<no answer>");
}

class SnapshotRun : public zoltrun::ZoltRun {
public:
   explicit SnapshotRun(const e2e::TestFolder &folder) : ZoltRun(folder), folder_(folder)
   {
      vmx_ = folder.WriteFile("Branchy.vmx", MachineVmx("Branchy"));
      snapshots_ = folder.WriteFile("Branchy.snapshot", kSnapshots);
   }
   HWND StartWithMachine(e2e::Process &process)
   {
      HWND frame = Start(process, "-H " + e2e::QuoteArgument(vmx_));
      EXPECT_TRUE(frame);
      EXPECT_TRUE(WaitForLog("Branchy.vmx as /vm/#0001/")) << Log();
      return frame;
   }
   HWND WaitForManager(const e2e::Process &process) const
   {
      return e2e::WaitForWindow({"#32770", kManagerTitle, false, process.Id()});
   }
   std::string Snapshots() const { return e2e::ReadTextFile(snapshots_).value_or(""); }
   // Waits for the host to end its `times`-th operation `op`, then reads the file once: a read
   // while the host renames the new file over the old one would make its write fail.
   bool WaitForSnapshots(const std::string &op, size_t times, const std::string &part, bool present) const
   {
      return WaitForLog("SimHost: /vm/#0001/: " + op + " done", times) &&
             (Snapshots().find(part) != std::string::npos) == present;
   }
   // Paints the window and its children now (a WM_PAINT sent to zolt's thread), then saves it.
   void Screenshot(HWND window, const std::string &name) const
   {
      e2e::KeepWindowScreenshot(folder_.Path(), window, name);
   }

private:
   const e2e::TestFolder &folder_;
   std::string vmx_;
   std::string snapshots_;
};

RECT WindowRect(HWND window)
{
   RECT rc = {};
   GetWindowRect(window, &rc);
   return rc;
}

TEST(ZoltSnapshotMgr, ABranchedTreeIsBrowsedRenamedAutomatedAndPrunedAndTheWindowKeepsItsPlace)
{
   e2e::TestFolder folder;
   SnapshotRun run(folder);
   RECT placed = {};
   {
      e2e::Process zolt;
      HWND frame = run.StartWithMachine(zolt);
      ASSERT_TRUE(frame);
      ASSERT_TRUE(e2e::PressKey(frame, 'M', e2e::kControl));
      HWND mgr = run.WaitForManager(zolt);
      ASSERT_TRUE(mgr) << run.Log();

      HWND status = e2e::WaitForChild(mgr, IDC_SNAPSHOT_STATUS);
      HWND keys = e2e::WaitForChild(mgr, IDC_SNAPSHOT_GRID_KEYS);
      HWND nameEdit = e2e::WaitForChild(mgr, IDC_SNAPSHOT_NAME);
      HWND descriptionEdit = e2e::WaitForChild(mgr, IDC_SNAPSHOT_DESCRIPTION);
      ASSERT_TRUE(status && keys && nameEdit && descriptionEdit);
      HWND grid = GetParent(keys);
      HWND details = GetParent(nameEdit);
      EXPECT_EQ("The current state of the virtual machine is selected.", Text(status));

      // Base stands at row 0, column 2: a click shows its name and description.
      POINT base = CellPoint(0, 2);
      ASSERT_TRUE(e2e::Click(grid, base.x, base.y));
      ASSERT_TRUE(e2e::WaitUntil([&]() { return Text(nameEdit) == "Base"; }, e2e::kReplyTimeoutMs)) << Text(nameEdit);
      EXPECT_EQ("Fresh install", Text(descriptionEdit));
      EXPECT_TRUE(e2e::WaitUntil([&]() { return Text(status) == "Snapshots: 1 selected"; }, e2e::kReplyTimeoutMs))
         << Text(status);
      run.Screenshot(mgr, "snapshot-manager.png");

      // Typed at the end of the name and committed with Enter.
      RECT edit = {};
      GetClientRect(nameEdit, &edit);
      ASSERT_TRUE(e2e::Click(nameEdit, edit.right - 4, edit.bottom / 2));
      ASSERT_TRUE(e2e::PressKey(nameEdit, VK_END));
      ASSERT_TRUE(e2e::TypeText(nameEdit, " v2"));
      ASSERT_TRUE(e2e::PressKey(nameEdit, VK_RETURN));
      ASSERT_TRUE(run.WaitForLog("CZOLTSnapshotDetails::Rename: 1 \"Base v2\"")) << run.Log();
      // The host writes the file as it answers, a moment after the request.
      EXPECT_TRUE(e2e::WaitUntil([&]() { return run.Snapshots().find("snapshot1.displayName = \"Base v2\"") !=
                                                std::string::npos; }, zoltrun::kHostMs, 250))
         << run.Snapshots();
      EXPECT_TRUE(IsWindow(mgr)) << "Enter in the name commits; it does not close the manager";

      // The automation message of an outside caller.
      EXPECT_EQ(0, e2e::SendCopyDataText(mgr, 0, "Twin").value_or(-1));
      EXPECT_TRUE(e2e::WaitUntil([&]() { return Text(nameEdit) == "Twin"; }, e2e::kReplyTimeoutMs));
      EXPECT_EQ(2, e2e::SendCopyDataText(mgr, 0, "Nowhere").value_or(-1));
      EXPECT_EQ(87, e2e::SendCopyDataText(mgr, 9, "Base v2").value_or(-1));
      EXPECT_EQ(2, e2e::SendCopyData(mgr, 0, "BaseXYZ", 4).value_or(-1));
      EXPECT_TRUE(run.WaitForLog("CZOLTSnapshotMgr::OnAutomationSelect: op: 9, \"Base v2\"")) << run.Log();
      EXPECT_TRUE(run.WaitForLog("CZOLTSnapshotMgr::OnAutomationSelect: Invalid operation.")) << run.Log();
      EXPECT_TRUE(run.WaitForLog("CZOLTSnapshotMgr::OnAutomationSelect: \"Nowhere\" not found.")) << run.Log();

      // Go to Patched: the current state moves below it.
      EXPECT_EQ(0, e2e::SendCopyDataText(mgr, 0, "Patched").value_or(-1));
      ASSERT_TRUE(e2e::WaitUntil([&]() { return IsWindowEnabled(GetDlgItem(mgr, IDC_SNAPSHOT_GOTO)) != FALSE; },
                                 zoltrun::kHostMs))
         << Text(nameEdit) << " / " << Text(status) << "\n" << run.Log();
      ASSERT_TRUE(e2e::ClickButton(mgr, IDC_SNAPSHOT_GOTO));
      EXPECT_TRUE(run.WaitForSnapshots("revertToSnapshot", 1, "snapshot.current = \"2\"", true)) << run.Snapshots();

      // Delete the first Twin (under Branch), then Branch with what is left below it. Close is
      // back once the manager is no longer busy going to Patched.
      ASSERT_TRUE(e2e::WaitUntil([&]() { return IsWindowEnabled(GetDlgItem(mgr, IDCANCEL)) != FALSE; }, zoltrun::kHostMs));
      EXPECT_EQ(0, e2e::SendCopyDataText(mgr, 0, "Twin").value_or(-1));
      ASSERT_TRUE(e2e::WaitUntil([&]() { return IsWindowEnabled(GetDlgItem(details, IDC_SNAPSHOT_DELETE)) != FALSE; },
                                 zoltrun::kHostMs));
      ASSERT_TRUE(e2e::ClickButton(details, IDC_SNAPSHOT_DELETE));
      EXPECT_TRUE(run.WaitForSnapshots("removeSnapshot", 1, "snapshot5.", false)) << run.Snapshots() << run.Log();
      EXPECT_NE(run.Snapshots().find("snapshot6.displayName = \"Twin\""), std::string::npos) << run.Snapshots();
      ASSERT_TRUE(e2e::WaitUntil([&]() { return IsWindowEnabled(GetDlgItem(mgr, IDCANCEL)) != FALSE; }, zoltrun::kHostMs));
      EXPECT_EQ(0, e2e::SendCopyDataText(mgr, 0, "Patched").value_or(-1));
      ASSERT_TRUE(e2e::PostCommand(mgr, IDC_SNAPSHOT_DELETE_CHILDREN));
      EXPECT_TRUE(run.WaitForSnapshots("removeSnapshot", 2, "snapshot2.", false)) << run.Snapshots();
      EXPECT_EQ(std::string::npos, run.Snapshots().find("snapshot4.")) << run.Snapshots();
      EXPECT_NE(run.Snapshots().find("snapshot3.displayName = \"Branch\""), std::string::npos) << run.Snapshots();
      EXPECT_TRUE(e2e::WaitUntil([&]() { return Text(nameEdit) == "Branch"; }, zoltrun::kHostMs))
         << "the next of kin is selected: " << Text(nameEdit);

      // Never smaller than 520 x 370; a place and size of the user's own are kept.
      ASSERT_TRUE(e2e::WaitUntil([&]() { return IsWindowEnabled(GetDlgItem(mgr, IDCANCEL)) != FALSE; }, zoltrun::kHostMs));
      SetWindowPos(mgr, nullptr, 30, 40, 200, 100, SWP_NOZORDER);
      RECT small = WindowRect(mgr);
      EXPECT_GE(small.right - small.left, 520);
      EXPECT_GE(small.bottom - small.top, 370);
      SetWindowPos(mgr, nullptr, 30, 40, 640, 520, SWP_NOZORDER);
      placed = WindowRect(mgr);
      run.Screenshot(mgr, "snapshot-manager-pruned.png");
      ASSERT_TRUE(e2e::ClickButton(mgr, IDCANCEL));
      ASSERT_TRUE(e2e::WaitForWindowGone(mgr));

      ASSERT_TRUE(zoltrun::Command(frame, IDM_VM_SNAPSHOT_MANAGER));
      mgr = run.WaitForManager(zolt);
      ASSERT_TRUE(mgr);
      RECT again = WindowRect(mgr);
      EXPECT_EQ(placed.left, again.left);
      EXPECT_EQ(placed.top, again.top);
      EXPECT_EQ(placed.right - placed.left, again.right - again.left);
      EXPECT_EQ(placed.bottom - placed.top, again.bottom - again.top);
      ASSERT_TRUE(e2e::PressKey(e2e::WaitForChild(mgr, IDC_SNAPSHOT_GRID_KEYS), VK_ESCAPE));
      ASSERT_TRUE(e2e::WaitForWindowGone(mgr)) << "Esc in the grid closes the manager";
      run.Close(zolt, frame);
   }
   {
      e2e::Process zolt;
      HWND frame = run.StartWithMachine(zolt);
      ASSERT_TRUE(frame);
      ASSERT_TRUE(zoltrun::Command(frame, IDM_VM_SNAPSHOT_MANAGER));
      HWND mgr = run.WaitForManager(zolt);
      ASSERT_TRUE(mgr);
      RECT restarted = WindowRect(mgr);
      EXPECT_EQ(placed.left, restarted.left);
      EXPECT_EQ(placed.top, restarted.top);
      EXPECT_EQ(placed.right - placed.left, restarted.right - restarted.left);
      EXPECT_EQ(placed.bottom - placed.top, restarted.bottom - restarted.top);
      ASSERT_TRUE(e2e::ClickButton(mgr, IDCANCEL));
      ASSERT_TRUE(e2e::WaitForWindowGone(mgr));
      run.Close(zolt, frame);
   }
}

}  // namespace

// zolt.exe's snapshot commands from the VM menu: the single snapshot's questions and what a No
// leaves behind, takes through the take-snapshot dialog into the snapshot file, and a take cut
// short by the end of the process.
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>

namespace {

using zoltrun::Count;
using zoltrun::MachineVmx;
using zoltrun::WaitForBoxSaying;

const char kSaveQuestion[] = "already has a snapshot";
const char kRevertQuestion[] = "Do you want to revert to the snapshot?";

// The take dialog's name edit.
const int kTakeName = 1227;

// The snapshot file's keys and values; empty when the file is missing. A line that is not
// key = "value" fails the test.
std::map<std::string, std::string> ReadSnapshotFile(const std::string &path)
{
   std::map<std::string, std::string> values;
   std::string text = e2e::ReadTextFile(path).value_or("");
   static const std::regex line(R"re(^([A-Za-z0-9_.]+) = "(.*)"\r?$)re");
   size_t start = 0;
   while (start < text.size()) {
      size_t end = text.find('\n', start);
      std::string one = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
      start = end == std::string::npos ? text.size() : end + 1;
      if (one.empty() || one == "\r") {
         continue;
      }
      std::smatch match;
      if (!std::regex_match(one, match, line)) {
         ADD_FAILURE() << "not a snapshot line: " << one << "\nin:\n" << text;
         continue;
      }
      values[match[1]] = match[2];
   }
   return values;
}

// The UID of the snapshot called `name`; 0 when none.
int UidOf(const std::map<std::string, std::string> &file, const std::string &name)
{
   static const std::regex key(R"re(^snapshot([0-9]+)\.displayName$)re");
   for (const auto &entry : file) {
      std::smatch match;
      if (entry.second == name && std::regex_match(entry.first, match, key)) {
         return std::stoi(match[1]);
      }
   }
   return 0;
}

size_t SnapshotCount(const std::map<std::string, std::string> &file)
{
   size_t count = 0;
   static const std::regex key(R"re(^snapshot[0-9]+\.displayName$)re");
   for (const auto &entry : file) {
      count += std::regex_match(entry.first, key) ? 1 : 0;
   }
   return count;
}

// Opens VM > Snapshot with the keyboard and presses the item's key.
bool ChooseSnapshotItem(HWND frame, DWORD processId, char item)
{
   if (!e2e::PressKey(frame, 'M', e2e::kAlt) || !e2e::WaitForPopupMenu(processId) || !e2e::PressKey(frame, 'S') ||
       !e2e::PressKey(frame, item)) {
      ADD_FAILURE() << "VM > Snapshot > " << item << ": " << e2e::LastFailure();
      return false;
   }
   return true;
}

// The take-snapshot dialog of the process; null when none came.
HWND WaitForTakeDialog(const e2e::Process &process)
{
   HWND found = nullptr;
   e2e::WaitUntil(
      [&]() {
         for (HWND w : e2e::FindTopLevelWindows({"", "", false, process.Id()})) {
            if (GetDlgItem(w, kTakeName)) {
               found = w;
            }
         }
         return found != nullptr;
      },
      e2e::kStartTimeoutMs);
   return found;
}

// Takes a snapshot called `name` through VM > Snapshot > Take Snapshot and its dialog.
bool TakeThroughDialog(const zoltrun::ZoltRun &run, const e2e::Process &zolt, HWND frame, const std::string &name)
{
   size_t before = Count(run.Log(), "createSnapshot done");
   if (!ChooseSnapshotItem(frame, zolt.Id(), 'T')) {
      return false;
   }
   HWND take = WaitForTakeDialog(zolt);
   if (!take) {
      ADD_FAILURE() << "no take-snapshot dialog\n" << run.Log();
      return false;
   }
   HWND edit = GetDlgItem(take, kTakeName);
   // The user clicks into the proposed name, selects it whole and types over it.
   RECT box{};
   GetClientRect(edit, &box);
   if (!e2e::WaitUntil([&]() { return IsWindowVisible(take) && IsWindowEnabled(edit); }, e2e::kStartTimeoutMs) ||
       !e2e::Click(edit, box.right / 2, box.bottom / 2) || !e2e::PressKey(edit, VK_HOME) ||
       !e2e::PressKey(edit, VK_END, e2e::kShift) || !e2e::TypeText(edit, name)) {
      ADD_FAILURE() << e2e::LastFailure();
      return false;
   }
   if (!e2e::WaitUntil([&]() { return e2e::ReadText(edit).value_or("") == name; }, e2e::kReplyTimeoutMs)) {
      ADD_FAILURE() << "the name edit shows \"" << e2e::ReadText(edit).value_or("") << "\" after typing " << name;
      return false;
   }
   if (!e2e::ClickButton(take, IDOK)) {
      ADD_FAILURE() << e2e::LastFailure();
      return false;
   }
   if (!run.WaitForLog("createSnapshot done", before + 1)) {
      ADD_FAILURE() << "the take of " << name << " did not end\n" << run.Log();
      return false;
   }
   return true;
}

// Waits for the hint box that says `part` and answers it Yes or No.
bool Answer(const e2e::Process &zolt, const char *part, bool yes)
{
   HWND box = WaitForBoxSaying(zolt, part);
   if (!box) {
      ADD_FAILURE() << "no box saying " << part;
      return false;
   }
   return e2e::ClickButton(box, yes ? IDYES : IDNO) && e2e::WaitForWindowGone(box);
}

class SnapshotRun : public zoltrun::ZoltRun {
public:
   // Message boxes are shown and wait for the test; short host steps.
   explicit SnapshotRun(const e2e::TestFolder &folder) : ZoltRun(folder, "test.host.stepMs = \"20\"\n", false) {}
   // Starts zolt on the machine and waits until its tab offers power-on; null on failure.
   HWND StartOn(e2e::Process &zolt, const std::string &vmx) { return StartOnMachine(zolt, vmx); }
};

}  // namespace

TEST(ZoltSnapshotCommands, TheSingleSnapshotIsAskedAboutAndANoWritesNothing)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("single.vmx", MachineVmx("Single", "snapshot.multiple = \"FALSE\"\n"));
   std::string snapshots = folder.PathOf("single.snapshot");
   SnapshotRun run(folder);
   e2e::Process zolt;
   HWND frame = run.StartOn(zolt, vmx);
   ASSERT_TRUE(frame);

   // Without a snapshot: revert does nothing, take asks nothing. (Delete is never offered.)
   ASSERT_TRUE(zoltrun::Command(frame, IDM_VM_SNAPSHOT_REVERT));
   ASSERT_TRUE(ChooseSnapshotItem(frame, zolt.Id(), 'T'));
   ASSERT_TRUE(run.WaitForLog("createSnapshot done")) << run.Log();
   EXPECT_EQ(Count(run.Log(), "revertToSnapshot started"), 0u) << run.Log();
   EXPECT_EQ(Count(run.Log(), "removeSnapshot started"), 0u) << run.Log();
   EXPECT_EQ(Count(run.Log(), "VMMsg: hintQuestion"), 0u) << "no question without a snapshot\n" << run.Log();
   EXPECT_EQ(SnapshotCount(ReadSnapshotFile(snapshots)), 1u);

   // With one: each command asks first; No leaves the machine's queue as it was.
   ASSERT_TRUE(ChooseSnapshotItem(frame, zolt.Id(), 'T'));
   ASSERT_TRUE(Answer(zolt, kSaveQuestion, false));
   ASSERT_TRUE(ChooseSnapshotItem(frame, zolt.Id(), 'R'));
   ASSERT_TRUE(Answer(zolt, kRevertQuestion, false));
   // Ctrl+M: the single form has no snapshot manager.
   ASSERT_TRUE(e2e::PressKey(frame, 'M', e2e::kControl));

   // Yes goes on: the take replaces the snapshot, the revert is carried out.
   ASSERT_TRUE(ChooseSnapshotItem(frame, zolt.Id(), 'T'));
   ASSERT_TRUE(Answer(zolt, kSaveQuestion, true));
   ASSERT_TRUE(run.WaitForLog("createSnapshot done", 2)) << run.Log();
   std::map<std::string, std::string> file = ReadSnapshotFile(snapshots);
   EXPECT_EQ(SnapshotCount(file), 1u) << "the take replaced the one snapshot";
   EXPECT_EQ(file["snapshot.lastUID"], "2");
   ASSERT_TRUE(ChooseSnapshotItem(frame, zolt.Id(), 'R'));
   ASSERT_TRUE(Answer(zolt, kRevertQuestion, true));
   ASSERT_TRUE(run.WaitForLog("revertToSnapshot done")) << run.Log();
   EXPECT_EQ(SnapshotCount(ReadSnapshotFile(snapshots)), 1u);

   std::string log = run.Log();
   EXPECT_EQ(Count(log, "createSnapshot started"), 2u) << "the No wrote no take\n" << log;
   EXPECT_EQ(Count(log, "revertToSnapshot started"), 1u) << log;
   EXPECT_EQ(Count(log, "NOT_IMPLEMENTED"), 0u) << log;
   EXPECT_TRUE(zolt.IsRunning());
   run.Close(zolt, frame);
}

TEST(ZoltSnapshotCommands, TakesThroughTheDialogBuildTheTreeInTheSnapshotFile)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("tree.vmx", MachineVmx("Tree"));
   std::string snapshots = folder.PathOf("tree.snapshot");
   SnapshotRun run(folder);
   e2e::Process zolt;
   HWND frame = run.StartOn(zolt, vmx);
   ASSERT_TRUE(frame);

   ASSERT_TRUE(TakeThroughDialog(run, zolt, frame, "Installed"));
   ASSERT_TRUE(TakeThroughDialog(run, zolt, frame, "Patched"));
   // Back to the current snapshot, then a child of it: a tree has no question.
   ASSERT_TRUE(ChooseSnapshotItem(frame, zolt.Id(), 'R'));
   ASSERT_TRUE(run.WaitForLog("revertToSnapshot done")) << run.Log();
   ASSERT_TRUE(TakeThroughDialog(run, zolt, frame, "Configured"));

   std::map<std::string, std::string> file = ReadSnapshotFile(snapshots);
   EXPECT_EQ(SnapshotCount(file), 3u);
   int installed = UidOf(file, "Installed");
   int patched = UidOf(file, "Patched");
   int configured = UidOf(file, "Configured");
   ASSERT_TRUE(installed && patched && configured) << e2e::ReadTextFile(snapshots).value_or("");
   EXPECT_EQ(file["snapshot" + std::to_string(patched) + ".parent"], std::to_string(installed));
   EXPECT_EQ(file["snapshot" + std::to_string(configured) + ".parent"], std::to_string(patched));
   EXPECT_EQ(file["snapshot.current"], std::to_string(configured));
   EXPECT_EQ(Count(run.Log(), "VMMsg: hintQuestion"), 0u) << run.Log();
   run.Close(zolt, frame);
}

TEST(ZoltSnapshotCommands, ATakeCutShortByTheEndOfZoltLeavesAReadableSnapshotFile)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("cut.vmx", MachineVmx("Cut"));
   std::string snapshots = folder.WriteFile("cut.snapshot", "snapshot.lastUID = \"2\"\n"
                                                            "snapshot.current = \"2\"\n"
                                                            "snapshot.mru = \"2 1\"\n"
                                                            "snapshot1.displayName = \"Base\"\n"
                                                            "snapshot1.parent = \"0\"\n"
                                                            "snapshot2.displayName = \"Updated\"\n"
                                                            "snapshot2.parent = \"1\"\n");
   // Long steps: the take is still under way when the process ends.
   zoltrun::ZoltRun run(folder, "test.host.stepMs = \"5000\"\n", false);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("SimHost: registered")) << run.Log();
   ASSERT_TRUE(ChooseSnapshotItem(frame, zolt.Id(), 'T'));
   HWND take = WaitForTakeDialog(zolt);
   ASSERT_TRUE(take) << run.Log();
   ASSERT_TRUE(e2e::ClickButton(take, IDOK));
   ASSERT_TRUE(run.WaitForLog("createSnapshot started")) << run.Log();
   ASSERT_TRUE(zolt.Kill());

   std::map<std::string, std::string> file = ReadSnapshotFile(snapshots);
   EXPECT_EQ(SnapshotCount(file), 2u) << "the list from before the take, whole";
   EXPECT_EQ(file["snapshot.current"], "2");
   EXPECT_EQ(UidOf(file, "Updated"), 2);

   // The next run reads it and takes the snapshot it was asked for.
   zoltrun::ZoltRun again(folder, "test.host.stepMs = \"20\"\n", false);
   e2e::Process second;
   frame = again.Start(second, "-H " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(again.WaitForLog("SimHost: registered")) << again.Log();
   ASSERT_TRUE(TakeThroughDialog(again, second, frame, "After the crash"));
   file = ReadSnapshotFile(snapshots);
   EXPECT_EQ(SnapshotCount(file), 3u);
   EXPECT_EQ(file["snapshot" + std::to_string(UidOf(file, "After the crash")) + ".parent"], "2");
   again.Close(second, frame);
}

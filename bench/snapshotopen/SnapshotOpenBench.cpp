// Times what the user waits for with a machine of many snapshots: the machine given on the
// command line, from the frame shown to its page painted, with the longest single pass of the
// main loop meanwhile; and, with 1,000 snapshots, a snapshot taken from the snapshot manager to
// the manager painted with it. Each size runs in a process of its own (this program started
// again with the size), since zolt runs inside the benchmark's process.
#include "BenchReport.h"
#include "ZoltInProcess.h"

#include "res/resource.h"
#include "zoltApp.h"

#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "cui/cui.h"

#include "e2e/Failure.h"
#include "e2e/Process.h"
#include "e2e/TestFolder.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const char kMachine[] = "Many Snapshots";
const int kSizes[] = {100, 1000, 10000};
const int kTakeSize = 1000;
const double kOpenBoundMs = 60000;
const double kTakeBoundMs = 20000;

// The snapshot file of `count` snapshots in one tree that mixes long chains with wide fans, as
// the layout benchmarks have it: every other snapshot continues the newest chain, the rest hang
// from an earlier one picked by a fixed pseudo-random sequence.
std::string SnapshotFile(int count)
{
   std::string text = "snapshot.lastUID = \"" + std::to_string(count) + "\"\n" + "snapshot.current = \"" +
                      std::to_string(count / 2) + "\"\n";
   uint32_t seed = 12345;
   for (int uid = 1; uid <= count; ++uid) {
      seed = seed * 1103515245u + 12345u;
      int parent = uid % 2 == 0 ? uid - 1 : static_cast<int>((seed >> 8) % static_cast<uint32_t>(uid));
      std::string key = "snapshot" + std::to_string(uid) + ".";
      text += key + "parent = \"" + std::to_string(parent) + "\"\n";
      text += key + "displayName = \"Snapshot " + std::to_string(uid) + "\"\n";
      text += key + "description = \"\"\n";
      text += key + "createTime = \"" + std::to_string(1700000000 + uid) + "\"\n";
      text += key + "powerState = \"1\"\n";
   }
   return text;
}

BOOL CALLBACK FindManager(HWND window, LPARAM param)
{
   // The snapshot manager is the process's visible dialog that holds the grid.
   char name[16] = "";
   if (IsWindowVisible(window) && GetClassNameA(window, name, sizeof name) && std::string(name) == "#32770" &&
       GetDlgItem(window, IDC_SNAPSHOT_GOTO)) {
      *reinterpret_cast<HWND *>(param) = window;
      return FALSE;
   }
   return TRUE;
}

class SnapshotOpenDriver : public bench::ZoltDriver {
public:
   SnapshotOpenDriver(const std::string &cfgPath, int count, bool take) : cfgPath_(cfgPath), count_(count), take_(take) {}

   void OnFrameShown(HWND) override
   {
      clock_.Restart();
      pass_.Restart();
   }

   bool Tick(HWND frame) override
   {
      // The passes of the open only: the manager and the take that follow have rows of their own.
      if (state_ == State::Opening) {
         longestPassMs = std::max(longestPassMs, pass_.Ms());
      }
      pass_.Restart();
      switch (state_) {
      case State::Opening:
         return WaitForPage(frame);
      case State::OpeningManager:
         return WaitForManager(frame);
      case State::Taking:
         return WaitForTake();
      }
      return false;
   }

   double openMs = 0;
   double longestPassMs = 0;
   double takeMs = 0;

private:
   enum class State { Opening, OpeningManager, Taking };

   bool Fail(const char *what)
   {
      fprintf(stderr, "snapshotopenbench (%d snapshots): %s\n", count_, what);
      failed = true;
      return false;
   }

   cui::SnapshotTree *Tree() const
   {
      wui::VMMgr *vms = wui::GetVMMgr();
      cui::VM *vm = vms ? vms->GetVMByCfgPath(cfgPath_) : nullptr;
      return vm ? vm->GetSnapshotTree() : nullptr;
   }

   bool WaitForPage(HWND frame)
   {
      cui::SnapshotTree *tree = Tree();
      if (tree && tree->GetCount() >= static_cast<size_t>(count_) && bench::ShowsSummaryOf(frame, kMachine)) {
         // Refreshes the open set off for the next poll step come first: one pass more.
         if (!settled_) {
            settled_ = true;
            return true;
         }
         bench::PaintNow(frame);
         openMs = clock_.Ms();
         if (!take_) {
            return false;
         }
         state_ = State::OpeningManager;
         settled_ = false;
         clock_.Restart();
         PostMessageA(bench::CommandBarOf(frame), WM_COMMAND, MAKEWPARAM(IDM_VM_SNAPSHOT_MANAGER, 1), 0);
         return true;
      }
      return clock_.Ms() < kOpenBoundMs || Fail("the machine's page did not show its snapshots in time");
   }

   bool WaitForManager(HWND)
   {
      manager_ = nullptr;
      EnumThreadWindows(GetCurrentThreadId(), FindManager, reinterpret_cast<LPARAM>(&manager_));
      if (!manager_) {
         return clock_.Ms() < kTakeBoundMs || Fail("the snapshot manager did not open");
      }
      cui::SnapshotTree *tree = Tree();
      if (!tree) {
         return Fail("the machine has no snapshot tree");
      }
      state_ = State::Taking;
      clock_.Restart();
      tree->Take("Bench take", "", [this](bool, cui::Error error) { takeError_ = error.what(); },
                 [this]() { taken_ = true; });
      return true;
   }

   bool WaitForTake()
   {
      if (!takeError_.empty()) {
         return Fail(("the take failed: " + takeError_).c_str());
      }
      cui::SnapshotTree *tree = Tree();
      if (taken_ && tree && tree->GetCount() > static_cast<size_t>(count_)) {
         if (!settled_) {
            settled_ = true;
            return true;
         }
         RedrawWindow(manager_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
         takeMs = clock_.Ms();
         PostMessageA(manager_, WM_COMMAND, IDCANCEL, 0);
         return false;
      }
      return clock_.Ms() < kTakeBoundMs || Fail("the snapshot was not taken in time");
   }

   std::string cfgPath_;
   int count_;
   bool take_;
   State state_ = State::Opening;
   bench::Stopwatch clock_;
   bench::Stopwatch pass_;
   HWND manager_ = nullptr;
   bool taken_ = false;
   bool settled_ = false;
   std::string takeError_;
};

std::string Thousands(int n)
{
   std::string digits = std::to_string(n);
   for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
      digits.insert(static_cast<size_t>(at), ",");
   }
   return digits;
}

// One size, in this process.
int RunSize(int count)
{
   e2e::TestFolder folder;
   std::string machine = bench::WriteMachine(folder, kMachine);
   if (machine.empty() || folder.WriteFile(std::string(kMachine) + ".snapshot", SnapshotFile(count)).empty() ||
       !bench::ConfigureZolt(folder)) {
      fprintf(stderr, "snapshotopenbench: %s\n", e2e::LastFailure().c_str());
      return 1;
   }
   SnapshotOpenDriver driver(machine, count, count == kTakeSize);
   if (!bench::RunZolt(e2e::QuoteArgument(machine), driver, 180000)) {
      return 1;
   }
   const std::string size = Thousands(count);
   const char *goal = count == 1000 ? "<200" : count == 10000 ? "<1000" : "";
   bench::Figure("machine of " + size + " snapshots, shown frame to painted page", driver.openMs, "ms", goal);
   bench::Figure("machine of " + size + " snapshots, longest pass of the main loop", driver.longestPassMs, "ms",
                 "<50");
   if (count == kTakeSize) {
      bench::Figure("snapshot taken on a machine of " + size + ", to the manager painted", driver.takeMs, "ms");
   }
   printf("OPEN\t%d\t%.9g\n", count, driver.openMs);
   return 0;
}

}  // namespace

int main(int argc, char **argv)
{
   if (argc > 1) {
      return RunSize(std::atoi(argv[1]));
   }
   // Each size in a fresh process; its figures are passed on, its open times kept for the growth.
   char self[MAX_PATH] = "";
   GetModuleFileNameA(nullptr, self, sizeof self);
   std::vector<double> openMs;
   for (int count : kSizes) {
      e2e::Process run;
      e2e::ProcessOptions options;
      options.arguments = std::to_string(count);
      options.captureOutput = true;
      if (!run.Start(self, options) || !run.WaitForExit(240000)) {
         fprintf(stderr, "snapshotopenbench: %d snapshots: %s\n", count, e2e::LastFailure().c_str());
         return 1;
      }
      std::string output = run.Output();
      double ms = -1;
      for (size_t at = 0; at < output.size();) {
         size_t end = output.find('\n', at);
         std::string line = output.substr(at, end == std::string::npos ? std::string::npos : end - at);
         at = end == std::string::npos ? output.size() : end + 1;
         int size = 0;
         double value = 0;
         if (std::sscanf(line.c_str(), "OPEN\t%d\t%lf", &size, &value) == 2 && size == count) {
            ms = value;
         } else if (line.compare(0, 6, "BENCH\t") == 0) {
            printf("%s\n", line.c_str());
         } else if (!line.empty()) {
            fprintf(stderr, "%s\n", line.c_str());
         }
      }
      if (run.ExitCode() != 0 || ms < 0) {
         fprintf(stderr, "snapshotopenbench: the run with %d snapshots failed (exit %d)\n", count, run.ExitCode());
         return 1;
      }
      openMs.push_back(ms);
   }
   fflush(stdout);
   // What each further snapshot costs from 1,000 to 10,000 against from 100 to 1,000: about 1
   // when the open is linear in the snapshots.
   double early = (openMs[1] - openMs[0]) / (kSizes[1] - kSizes[0]);
   double late = (openMs[2] - openMs[1]) / (kSizes[2] - kSizes[1]);
   bench::Figure("machine open growth per snapshot, 1,000 to 10,000 against 100 to 1,000",
                 early > 0 ? late / early : 0, "x", "<=2");
   return 0;
}

// Times a switch between the tabs of two open machines: from the next-tab command (Ctrl+Tab)
// reaching zolt to the other machine's page painted. zolt runs in this process with both
// machines given on its command line; the median of the switches is reported. The floor is the
// shown machine page invalidated whole, with no change, timed the same way to painted: what
// painting the page and showing it on the display take, whatever the switch itself does.
#include "BenchReport.h"
#include "ZoltInProcess.h"

#include "res/resource.h"
#include "zoltApp.h"

#include "cui/cui.h"

#include "e2e/Failure.h"
#include "e2e/Process.h"
#include "e2e/TestFolder.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char *const kMachines[2] = {"Alpha Machine", "Beta Machine"};
const int kSwitches = 11;
// Each switch starts from a quiet program, as one by a user would.
const double kPauseMs = 100;
const double kSettleMs = 500;
const double kOpenMs = 20000;
const double kSwitchBoundMs = 5000;

class TabSwitchDriver : public bench::ZoltDriver {
public:
   explicit TabSwitchDriver(const std::vector<std::string> &paths) : paths_(paths) {}

   bool Tick(HWND frame) override
   {
      switch (state_) {
      case State::Opening:
         return WaitForOpen(frame);
      case State::Pausing:
         if (clock_.Ms() >= pauseMs_) {
            if (static_cast<int>(samples.size()) < kSwitches) {
               Switch(frame);
            } else {
               Repaint(frame);
            }
         }
         return true;
      case State::Switching:
         return WaitForPage(frame);
      case State::Repainting:
         return WaitForRepaint(frame);
      }
      return false;
   }

   std::vector<double> samples;
   std::vector<double> floorSamples;

private:
   enum class State { Opening, Pausing, Switching, Repainting };

   // Both machines open in tabs and the page of one of them shown; then a longer pause, while
   // the host finishes its first steps with them.
   bool WaitForOpen(HWND frame)
   {
      if (BothOpen()) {
         for (int i = 0; i < 2; ++i) {
            if (bench::ShowsSummaryOf(frame, kMachines[i])) {
               shown_ = i;
               state_ = State::Pausing;
               pauseMs_ = kSettleMs;
               clock_.Restart();
               return true;
            }
         }
      }
      return Within(kOpenMs, "the two machines were not open with the page of one shown");
   }

   bool BothOpen() const
   {
      wui::VMMgr *vms = wui::GetVMMgr();
      for (const std::string &path : paths_) {
         cui::VM *vm = vms ? vms->GetVMByCfgPath(path) : nullptr;
         if (!vm || !gApp->IsObjOpened(_bstr_t("vm"), _bstr_t(vm->GetVmPath().c_str()))) {
            return false;
         }
      }
      return true;
   }

   void Switch(HWND frame)
   {
      // The page shown now, after the pause: the second machine may have become current since
      // the first page was seen.
      shown_ = bench::ShowsSummaryOf(frame, kMachines[1]) ? 1 : 0;
      clock_.Restart();
      PostMessageA(bench::CommandBarOf(frame), WM_COMMAND, MAKEWPARAM(IDM_WINDOW_NEXT_TAB, 1), 0);
      state_ = State::Switching;
   }

   bool WaitForPage(HWND frame)
   {
      const int target = 1 - shown_;
      if (!bench::ShowsSummaryOf(frame, kMachines[target])) {
         return Within(kSwitchBoundMs, std::string("the page of ") + kMachines[target] + " was not shown");
      }
      // Refreshes the switch set off for the next poll step come first: one pass more.
      if (!settled_) {
         settled_ = true;
         return true;
      }
      settled_ = false;
      bench::PaintNow(frame);
      samples.push_back(clock_.Ms());
      shown_ = target;
      state_ = State::Pausing;
      pauseMs_ = kPauseMs;
      clock_.Restart();
      return true;
   }

   void Repaint(HWND frame)
   {
      HWND view = FindWindowExA(frame, nullptr, "ZOLTView", nullptr);
      HWND pane = view ? FindWindowExA(view, nullptr, "ZOLTStatusPane", nullptr) : nullptr;
      clock_.Restart();
      RedrawWindow(pane ? pane : frame, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
      state_ = State::Repainting;
   }

   // As a switch is timed: the pass that paints, one pass more, then whatever is left painted.
   bool WaitForRepaint(HWND frame)
   {
      if (!settled_) {
         settled_ = true;
         return true;
      }
      settled_ = false;
      bench::PaintNow(frame);
      floorSamples.push_back(clock_.Ms());
      state_ = State::Pausing;
      pauseMs_ = kPauseMs;
      clock_.Restart();
      return static_cast<int>(floorSamples.size()) < kSwitches;
   }

   bool Within(double boundMs, const std::string &failure)
   {
      if (clock_.Ms() < boundMs) {
         return true;
      }
      fprintf(stderr, "tabswitchbench: %s within %.0f ms.\n", failure.c_str(), boundMs);
      failed = true;
      return false;
   }

   std::vector<std::string> paths_;
   State state_ = State::Opening;
   bench::Stopwatch clock_;
   double pauseMs_ = 0;
   int shown_ = 0;
   bool settled_ = false;
};

}  // namespace

int main()
{
   e2e::TestFolder folder;
   std::string alpha = bench::WriteMachine(folder, kMachines[0]);
   std::string beta = bench::WriteMachine(folder, kMachines[1]);
   if (alpha.empty() || beta.empty() || !bench::ConfigureZolt(folder)) {
      fprintf(stderr, "tabswitchbench: %s\n", e2e::LastFailure().c_str());
      return 1;
   }
   TabSwitchDriver driver({alpha, beta});
   if (!bench::RunZolt(e2e::QuoteArgument(alpha) + " " + e2e::QuoteArgument(beta), driver)) {
      return 1;
   }
   bench::Figure("tab switch between two machines to painted page", bench::Median(driver.samples), "ms", "<=16");
   bench::Figure("floor: the machine page repainted whole, no change, to painted", bench::Median(driver.floorSamples),
                 "ms");
   return 0;
}

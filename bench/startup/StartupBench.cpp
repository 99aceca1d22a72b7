// Times process start to the main window shown, for zolt.exe, for a bare Win32 program that
// shows one window and for the floor of a program of zolt's kind (common controls 6, COM and
// OLE, a rebar with a toolbar), under the same Wine. Reports zolt's time and the floor's with the
// bare program's as their reference, and zolt's against the floor. One warm-up start of each,
// then `rounds` alternating starts (default 3) whose medians are reported.
#include "BenchReport.h"

#include "e2e/Harness.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Target {
   const char *name;
   std::string program;
   const char *windowClass;
   e2e::ProcessOptions options;
};

// The process's visible top-level window of the class, if it has one yet. A class lookup and
// two questions per window: a full enumeration every millisecond would load the one wineserver
// and slow the program being timed.
HWND FindShownWindow(const char *windowClass, DWORD processId)
{
   for (HWND window = FindWindowExA(nullptr, nullptr, windowClass, nullptr); window;
        window = FindWindowExA(nullptr, window, windowClass, nullptr)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == processId && IsWindowVisible(window)) {
         return window;
      }
   }
   return nullptr;
}

// Milliseconds from CreateProcess to the window being visible; negative when it never was.
double TimeOneStart(const Target &target)
{
   bench::Stopwatch clock;
   e2e::Process process;
   if (!process.Start(target.program, target.options)) {
      fprintf(stderr, "%s: %s\n", target.name, e2e::LastFailure().c_str());
      return -1;
   }
   HWND window = nullptr;
   while (!(window = FindShownWindow(target.windowClass, process.Id()))) {
      if (!process.IsRunning()) {
         fprintf(stderr, "%s ended before showing its window.\n", target.name);
         return -1;
      }
      if (clock.Seconds() * 1000 > e2e::kStartTimeoutMs) {
         fprintf(stderr, "%s showed no window within %lu ms.\n", target.name, e2e::kStartTimeoutMs);
         return -1;
      }
      Sleep(1);
   }
   double ms = clock.Ms();
   e2e::RequestClose(window);
   if (!process.WaitForExit(e2e::kKillTimeoutMs)) {
      fprintf(stderr, "%s did not end when its window was closed.\n", target.name);
      process.Kill();
      return -1;
   }
   return ms;
}

}  // namespace

int main(int argc, char **argv)
{
   int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 3;
   // zolt writes its log and user data into a folder of its own, not the user's.
   e2e::TestFolder folder;
   std::string config =
      folder.WriteFile("config", "ui.log.filename = " + e2e::QuoteValue(folder.PathOf("zolt.log")) + "\n" +
                                    "vmdb.userFile = " + e2e::QuoteValue(folder.PathOf("user.vmdb")) + "\n" +
                                    "test.comFailure.silent = \"true\"\n");
   if (config.empty()) {
      fprintf(stderr, "startupbench: %s\n", e2e::LastFailure().c_str());
      return 1;
   }
   Target zolt{"zolt.exe", ZOLT_EXE, "ZOLTFrame", {}};
   zolt.options.environment = {{"TREMORY_CONFIG", config}};
   // A session with the local host: without a destination zolt asks for one in the login dialog.
   zolt.options.arguments = "-l";
   Target bare{"barewindow.exe", BAREWINDOW_EXE, "BareWindow", {}};
   Target floor{"floorwindow.exe", FLOORWINDOW_EXE, "FloorWindow", {}};

   std::vector<double> zoltTimes, bareTimes, floorTimes;
   // Alternate the three so a slow moment of the machine falls on each alike.
   for (int i = 0; i <= rounds; i++) {
      double z = TimeOneStart(zolt);
      double b = TimeOneStart(bare);
      double f = TimeOneStart(floor);
      if (z < 0 || b < 0 || f < 0) {
         return 1;
      }
      if (i > 0) {
         zoltTimes.push_back(z);
         bareTimes.push_back(b);
         floorTimes.push_back(f);
      }
   }
   double zoltMs = bench::Median(zoltTimes);
   double floorMs = bench::Median(floorTimes);
   bench::FigureWithReference("start to shown main window", zoltMs, "ms", "ratio<=2", bench::Median(bareTimes));
   bench::FigureWithReference("floor: common controls 6, COM/OLE, rebar and toolbar, to shown window", floorMs, "ms",
                              "", bench::Median(bareTimes));
   bench::FigureWithReference("start to shown main window, against the floor", zoltMs, "ms", "", floorMs);
   return 0;
}

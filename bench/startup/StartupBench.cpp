// Times process start to the main window shown, for zolt.exe and for a bare Win32 program that
// shows one window, under the same Wine, and prints both and their ratio.
//   scripts/winerun build/<arch>/bench/startup/startupbench.exe [runs]
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
   std::string windowClass;
   e2e::ProcessOptions options;
};

// Milliseconds from CreateProcess to the window being visible; negative when it never was.
double TimeOneStart(const Target &target)
{
   LARGE_INTEGER frequency, start, shown;
   QueryPerformanceFrequency(&frequency);
   QueryPerformanceCounter(&start);
   e2e::Process process;
   if (!process.Start(target.program, target.options)) {
      fprintf(stderr, "%s: %s\n", target.name, e2e::LastFailure().c_str());
      return -1;
   }
   HWND window = nullptr;
   // Poll tightly: the harness's own wait ticks every 20 ms, too coarse for a 0.25 s start.
   while (!window) {
      std::vector<HWND> found = e2e::FindTopLevelWindows({target.windowClass, "", false, process.Id(), true});
      if (!found.empty()) {
         window = found.front();
      } else if (!process.IsRunning()) {
         fprintf(stderr, "%s ended before showing its window\n", target.name);
         return -1;
      } else {
         Sleep(1);
      }
   }
   QueryPerformanceCounter(&shown);
   e2e::RequestClose(window);
   if (!process.WaitForExit(e2e::kKillTimeoutMs)) {
      process.Kill();
   }
   return 1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
   std::sort(values.begin(), values.end());
   return values.empty() ? -1 : values[values.size() / 2];
}

std::string Quoted(const std::string &text)
{
   std::string quoted = "\"";
   for (char c : text) {
      quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
   }
   return quoted + "\"";
}

}  // namespace

int main(int argc, char **argv)
{
   int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
   // zolt writes its log and user data into a folder of its own, not the user's.
   e2e::TestFolder folder;
   std::string config = folder.WriteFile("config", "ui.log.filename = " + Quoted(folder.PathOf("zolt.log")) + "\n" +
                                                      "vmdb.userFile = " + Quoted(folder.PathOf("user.vmdb")) + "\n" +
                                                      "test.comFailure.silent = \"true\"\n");
   Target zolt{"zolt.exe", ZOLT_EXE, "ZOLTFrame", {}};
   zolt.options.environment = {{"TREMORY_CONFIG", config}};
   Target bare{"barewindow.exe", BAREWINDOW_EXE, "BareWindow", {}};

   std::vector<double> zoltTimes, bareTimes;
   // Alternate the two so a slow moment of the machine falls on both alike; one warm-up each.
   for (int i = 0; i <= runs; i++) {
      double z = TimeOneStart(zolt);
      double b = TimeOneStart(bare);
      if (z < 0 || b < 0) {
         return 1;
      }
      if (i > 0) {
         zoltTimes.push_back(z);
         bareTimes.push_back(b);
      }
   }
   double zoltMs = Median(zoltTimes);
   double bareMs = Median(bareTimes);
   printf("start to window shown, median of %d runs:\n", runs);
   printf("  zolt.exe        %8.1f ms\n", zoltMs);
   printf("  barewindow.exe  %8.1f ms\n", bareMs);
   printf("  ratio           %8.2f\n", zoltMs / bareMs);
   return 0;
}

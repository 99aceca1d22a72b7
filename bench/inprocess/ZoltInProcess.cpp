#include "ZoltInProcess.h"

#include "e2e/Files.h"
#include "zoltStatusBase.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"

#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

// zolt's own entry point, compiled into this program from the program's sources: what its
// WinMain runs with the arguments of the command line, in UTF-8.
int ZoltMain(HINSTANCE instance, const char *commandLine);

namespace bench {

namespace {

ZoltDriver *gDriver = nullptr;
HWND gFrame = nullptr;
HHOOK gShowHook = nullptr;
bool gDriverDone = false;

void Tick()
{
   if (gDriverDone) {
      return;
   }
   if (gDriver->Tick(gFrame)) {
      // Posted again at once, so the next pass of the loop does not sleep before asking.
      Poll_Post(Tick);
      return;
   }
   gDriverDone = true;
   PostMessageA(gFrame, WM_CLOSE, 0, 0);
}

bool IsFrame(HWND window)
{
   char name[32] = "";
   return GetClassNameA(window, name, sizeof name) > 0 && strcmp(name, "ZOLTFrame") == 0;
}

LRESULT CALLBACK OnSentMessageDone(int code, WPARAM wParam, LPARAM lParam)
{
   const CWPRETSTRUCT *sent = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
   if (code != HC_ACTION || gFrame || sent->message != WM_WINDOWPOSCHANGED || !IsWindowVisible(sent->hwnd) ||
       !IsFrame(sent->hwnd)) {
      return CallNextHookEx(gShowHook, code, wParam, lParam);
   }
   gFrame = sent->hwnd;
   gDriver->OnFrameShown(gFrame);
   LRESULT result = CallNextHookEx(gShowHook, code, wParam, lParam);
   // A hook is asked about every message the program sends: it goes before what is timed.
   UnhookWindowsHookEx(gShowHook);
   gShowHook = nullptr;
   Poll_Post(Tick);
   return result;
}

struct Watchdog {
   HANDLE finished;
   DWORD timeoutMs;
};

DWORD WINAPI WatchRun(void *param)
{
   const Watchdog *watchdog = static_cast<const Watchdog *>(param);
   if (WaitForSingleObject(watchdog->finished, watchdog->timeoutMs) == WAIT_TIMEOUT) {
      fprintf(stderr, "zolt did not finish within %lu ms.\n", watchdog->timeoutMs);
      fflush(stderr);
      TerminateProcess(GetCurrentProcess(), 1);
   }
   return 0;
}

}  // namespace

bool ConfigureZolt(const e2e::TestFolder &folder)
{
   std::string config =
      folder.WriteFile("config", "ui.log.filename = " + e2e::QuoteValue(folder.PathOf("zolt.log")) + "\n" +
                                    "vmdb.userFile = " + e2e::QuoteValue(folder.PathOf("user.vmdb")) + "\n" +
                                    "test.comFailure.silent = \"true\"\n" + "test.vmmsg.answer = \"0\"\n");
   return !config.empty() && SetEnvironmentVariableW(L"TREMORY_CONFIG", WideFromUtf8(config).c_str());
}

std::string WriteMachine(const e2e::TestFolder &folder, const std::string &name)
{
   if (folder.WriteFile(name + "-disk1.img", "").empty()) {
      return "";
   }
   return folder.WriteFile(name + ".vmx", "configVersion = \"8\"\n"
                                          "hardwareVersion = \"4\"\n"
                                          "displayName = " + e2e::QuoteValue(name) + "\n"
                                          "guestOS = \"winxp\"\n"
                                          "memoryMB = \"256\"\n"
                                          "cpuCount = \"1\"\n"
                                          "disk0.present = \"TRUE\"\n"
                                          "disk0.fileName = " + e2e::QuoteValue(name + "-disk1.img") + "\n"
                                          "disk0.sizeMB = \"8192\"\n"
                                          "cdrom0.present = \"TRUE\"\n"
                                          "net0.present = \"TRUE\"\n"
                                          "net0.network = \"nat\"\n"
                                          "sound0.present = \"TRUE\"\n"
                                          "usb0.present = \"TRUE\"\n");
}

bool RunZolt(const std::string &arguments, ZoltDriver &driver, DWORD timeoutMs)
{
   gDriver = &driver;
   gFrame = nullptr;
   gDriverDone = false;
   gShowHook = SetWindowsHookExA(WH_CALLWNDPROCRET, OnSentMessageDone, nullptr, GetCurrentThreadId());
   if (!gShowHook) {
      fprintf(stderr, "The hook that sees the frame shown could not be set (error %lu).\n", GetLastError());
      return false;
   }
   Watchdog watchdog{CreateEventA(nullptr, TRUE, FALSE, nullptr), timeoutMs};
   HANDLE watcher = CreateThread(nullptr, 0, WatchRun, &watchdog, 0, nullptr);

   int exitCode = ZoltMain(GetModuleHandleW(nullptr), arguments.c_str());

   SetEvent(watchdog.finished);
   if (watcher) {
      WaitForSingleObject(watcher, INFINITE);
      CloseHandle(watcher);
   }
   CloseHandle(watchdog.finished);
   if (gShowHook) {
      UnhookWindowsHookEx(gShowHook);
      gShowHook = nullptr;
   }
   if (!gFrame) {
      fprintf(stderr, "zolt ended with %d without showing its frame.\n", exitCode);
      return false;
   }
   if (!gDriverDone) {
      fprintf(stderr, "zolt ended with %d before the benchmark was done.\n", exitCode);
      return false;
   }
   if (exitCode != 0) {
      fprintf(stderr, "zolt ended with %d.\n", exitCode);
      return false;
   }
   return !driver.failed;
}

bool ShowsSummaryOf(HWND frame, const std::string &name)
{
   HWND view = FindWindowExA(frame, nullptr, "ZOLTView", nullptr);
   HWND pane = view ? FindWindowExA(view, nullptr, "ZOLTStatusPane", nullptr) : nullptr;
   if (!pane || !IsWindowVisible(pane)) {
      return false;
   }
   // The shown page's title names its object: one text read per pass, so that the probe costs the
   // timed program next to nothing (a search of every control's text cost it milliseconds a pass).
   for (HWND page = FindWindowExA(pane, nullptr, "#32770", nullptr); page;
        page = FindWindowExA(pane, page, "#32770", nullptr)) {
      if (!IsWindowVisible(page)) {
         continue;
      }
      HWND title = GetDlgItem(page, statuspage::kTitleId);
      WCHAR text[512] = L"";
      return title && IsWindowVisible(title) && GetWindowTextW(title, text, ARRAYSIZE(text)) > 0 &&
             wcsstr(text, WideFromUtf8(name).c_str()) != nullptr;
   }
   return false;
}

HWND CommandBarOf(HWND frame)
{
   return FindWindowExA(frame, nullptr, "ZOLTCmdbar", nullptr);
}

void PaintNow(HWND frame)
{
   RedrawWindow(frame, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace bench

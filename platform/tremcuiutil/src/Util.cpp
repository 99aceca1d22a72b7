#include "cui/Util.h"

#include <exception>

#include "atl/UncaughtException.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace wui {
namespace util {

bool HasZephroExtension()
{
   return Config_GetBool("ui.zephro.extension", false);
}

std::string GetTempDirectory()
{
   return File_GetTempFolder();
}

std::string GetLocalTimeText(long long seconds)
{
   if (seconds <= 0) {
      return std::string();
   }
   // Seconds since 1970 to a FILETIME (100 ns since 1601), then to the local time.
   ULARGE_INTEGER ticks;
   ticks.QuadPart = static_cast<ULONGLONG>(seconds) * 10000000ULL + 116444736000000000ULL;
   FILETIME utc = {ticks.LowPart, ticks.HighPart};
   FILETIME local;
   SYSTEMTIME time;
   if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &time)) {
      return std::string();
   }
   wchar_t date[128] = L"";
   wchar_t clock[64] = L"";
   ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 128);
   ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, 64);
   return Utf8FromWide(std::wstring(date) + L" " + clock);
}

namespace Power {

std::string UpdateVMMenuItem(cui::VM *vm, int op, bool hard, const std::string &accel, bool *enabled)
{
   bool on = false;
   std::string text;
   if (vm) {
      switch (op) {
      case 0:
         on = vm->GetPowerOnActionState() == cui::VM::ACTION_AVAILABLE;
         if (vm->GetPowerState() == cui::VM::SUSPENDED) {
            text = (hard ? "&Resume" : "Resume Gu&est") + accel;
         }
         break;
      case 1:
         on = vm->GetPowerOffActionState() == cui::VM::ACTION_AVAILABLE;
         break;
      case 2:
         on = vm->GetPowerSuspendActionState() == cui::VM::ACTION_AVAILABLE;
         break;
      case 4:
         on = vm->GetPowerState() == cui::VM::POWERED_ON && vm->GetPowerOffActionState() == cui::VM::ACTION_AVAILABLE;
         break;
      default:
         break;
      }
   }
   if (enabled) {
      *enabled = on;
   }
   return text;
}

}  // namespace Power

namespace snapshot {

const int kAnyBusy = 15;

bool CanTakeSnapshot(cui::VM *vm)
{
   return vm && !vm->GetBusy(kAnyBusy);
}

bool CanRestoreSnapshot(cui::VM *vm, cui::Snapshot *snapshot)
{
   if (!vm || vm->GetBusy(kAnyBusy)) {
      return false;
   }
   // A chosen snapshot must be one of this machine's; the current state is no place to go to.
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   return !snapshot || (tree && !snapshot->IsYah() && tree->GetSnapshot(snapshot->GetUID()) == snapshot);
}

bool CanManageSnapshot(cui::VM *vm)
{
   return vm && !vm->GetBusy(kAnyBusy);
}

}  // namespace snapshot

}  // namespace util

void LaunchOrKillVMTrayProcess(bool launch)
{
   Log("wui::LaunchOrKillVMTrayProcess: %s asked; there is no tray process\n", launch ? "launch" : "kill");
}

void GenericExceptionHandler()
{
   if (std::current_exception()) {
      atl::HandleUncaughtException();
   }
}

}  // namespace wui

namespace kestrum {

namespace {
int gHandle = 1000;
}

void SetKestrumSDK(int handle)
{
   gHandle = handle;
}

int GetKestrumSDK()
{
   return gHandle;
}

}  // namespace kestrum

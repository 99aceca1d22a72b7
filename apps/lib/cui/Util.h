// Small services of the model library.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace cui {
class Snapshot;
class VM;
}  // namespace cui

namespace wui {
namespace util {

// The configuration key "ui.zephro.extension" (a boolean, false by default) turns the managed
// template ("Zephro") extension on.
bool HasZephroExtension();

// The folder for the library's temporary files (the user's temporary folder), ending in a
// backslash; empty when the system names none.
std::string GetTempDirectory();

// A time in seconds since 1970 as the user's short date and time in the local time zone; empty
// for 0 or less, or a time the system cannot convert.
std::string GetLocalTimeText(long long seconds);

// The long form of a file path (8.3 names expanded). A path the system cannot resolve (a file
// that does not exist, a path on another host) comes back as given when `keepOnFailure` is
// true, else empty. Paths in and out are UTF-8, as every text of the library.
std::string GetLongPathNameA(const std::string &path, bool keepOnFailure);

// A WM_POWERBROADCAST event as the log shows it: its name, and for a power-setting change the
// setting's id and the size of its data (`data` may be null).
std::string GetPowerBroadcastText(WPARAM event, LPARAM data);

// The monitors of a simulated host that stands for several on one screen (configuration key
// "test.host.monitors": "left,top,right,bottom" rectangles joined by ';'); false when the host's
// monitors are the system's.
bool GetSimulatedMonitors(std::vector<RECT> &monitors);

// A power item of a menu or toolbar: `op` 0 power on, 1 power off, 2 suspend, 4 reset; `hard`
// the machine's own form rather than the guest's. Sets `enabled` (false without a machine) and
// returns a new text ending in `accel`, or "" when the item keeps its own.
namespace Power {
std::string UpdateVMMenuItem(cui::VM *vm, int op, bool hard, const std::string &accel, bool *enabled);
}  // namespace Power

// Whether the machine's snapshots can be taken, restored (`snapshot` null: the current one) or
// managed now: never without a machine or while it is busy.
namespace snapshot {
bool CanTakeSnapshot(cui::VM *vm);
bool CanRestoreSnapshot(cui::VM *vm, cui::Snapshot *snapshot = nullptr);
bool CanManageSnapshot(cui::VM *vm);
}  // namespace snapshot

}  // namespace util

// There is no tray process beside this library: logs what it was asked.
void LaunchOrKillVMTrayProcess(bool launch);

// Call inside a catch block: logs the exception being handled (a std::exception's what, a COM
// error's text, or that it is of an unknown kind). Does nothing outside a catch block.
void GenericExceptionHandler();

}  // namespace wui

namespace kestrum {

// The automation library's handle, stored for the run; 1000 (none) until set.
void SetKestrumSDK(int handle);
int GetKestrumSDK();

}  // namespace kestrum

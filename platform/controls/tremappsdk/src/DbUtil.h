// Reading the state database as the controls need it: texts, element walks, the opened-object
// record behind a link and the machine behind a configuration file.
#pragma once

#include <string>
#include <vector>

#include "tremorybase/Text.h"
#include "vmdb/VmdbInterfaces.h"

namespace tremappsdk {

std::wstring ToWide(const _bstr_t &text);

// The text at `path`; empty when the node is missing or cannot be read.
std::wstring ReadText(IVmdbContext *ctx, const std::wstring &path);
// The integer at `path`, `fallback` when it is missing or not a number.
long ReadLong(IVmdbContext *ctx, const std::wstring &path, long fallback);
// "1", "true" and a VT_BOOL true count as set.
bool ReadFlag(IVmdbContext *ctx, const std::wstring &path);

// The absolute paths ("/a/#0001/") of the elements of `arrayPath` ("/a/#"), in database order.
std::vector<std::wstring> Elements(IVmdbContext *ctx, const std::wstring &arrayPath);

// Appends "/" unless the path ends with one.
std::wstring WithSlash(const std::wstring &path);

// One element of the opened-object array.
struct OpenedRecord {
   std::wstring recordPath;   // absolute, with a trailing slash; empty: none
   std::wstring type;         // "home", "vm", "team", "mvmt", "hotfix", "quen"
   std::wstring path;         // the object's path (a configuration file for "vm")
};

OpenedRecord ReadRecord(IVmdbContext *ctx, const std::wstring &recordPath);
// The record a link node points to; an empty record when the link is unset.
OpenedRecord ReadLinkedRecord(IVmdbContext *ctx, const std::wstring &linkPath);

// The machine element ("/vm/#xxxx/") whose `cfgFile` is `cfgFile` (case-insensitive, either slash
// kind), or the element itself when `cfgFile` names one; empty when no open machine has it.
std::wstring FindVMByCfgFile(IVmdbContext *ctx, const std::wstring &cfgFile);
// The machine a team's console shows: the team's current machine ("currentVM" of the team node
// whose "cfgFile" is `teamFile`), else its first open member by name; empty when none.
std::wstring FindTeamConsoleVM(IVmdbContext *ctx, const std::wstring &teamFile);

enum class PowerState { Off, On, Suspended, Unknown };
PowerState ReadPowerState(IVmdbContext *ctx, const std::wstring &vmPath);

// One device of a machine's configuration ("val/dev/#" under its "vmx/cfgState").
struct DeviceInfo {
   std::wstring element;   // absolute path of the element, with a trailing slash
   std::wstring key;       // "disk0", "cdrom0", ...
   std::wstring type;      // "disk", "cdrom", "floppy", "ethernet", "sound", "usb"
   std::wstring label;
   std::wstring media;     // "removable" for drives whose media change
   std::wstring fileName;
   bool present = false;
};

// The devices below a configuration-state path ("/vm/#0001/vmx/cfgState"), in database order.
std::vector<DeviceInfo> ReadDevices(IVmdbContext *ctx, const std::wstring &cfgStatePath);

// The text shown next to a device: its image, its connection, or both.
std::wstring DeviceSummary(const DeviceInfo &device);

// The tab kind of a record (the program's context-menu kinds); 0 for an unknown type.
long TabKindOf(const std::wstring &type, bool running);

// A file's name without folder and extension ("C:\\vms\\XP Pro.vmx" -> "XP Pro").
std::wstring FileTitle(const std::wstring &path);

// A string of this library's resources (linked into the program's module).
std::wstring LoadResString(unsigned id);
// A resource string with FormatMessage inserts ("%1!s!", "%2!d!") filled from the arguments.
std::wstring FormatResString(unsigned id, ...);

}  // namespace tremappsdk

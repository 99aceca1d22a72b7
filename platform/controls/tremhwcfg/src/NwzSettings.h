// What the user chose in the new-machine wizard, the rules its pages check the choices against,
// and how the choices become the inputs of the "createVMCfg" command. No windows here.
#pragma once

#include <windows.h>

#include <string>

#include "vmdb/VmdbInterfaces.h"

namespace tremhwcfg {

const int kMinMemoryMB = 4;
const int kMaxMemoryMB = 3600;   // what a 32-bit host can give one machine
const int kMemoryStepMB = 4;
const int kMinDiskGB = 1;
const int kMaxDiskGB = 950;
const int kMaxCpuCount = 2;

struct NwzSettings {
   std::wstring name;
   std::wstring folder;            // where "<name>.vmx" goes
   std::string guestOS = "winxp";
   int memoryMB = 256;
   int cpuCount = 1;
   int diskSizeMB = 8192;
   std::string network = "nat";    // "nat", "bridged", "hostonly" or "none"
   bool isPrivate = false;
   std::wstring userName;
   std::wstring password;
   // Template mode only.
   bool powerOnWhenOpened = false;
   bool openInNewTab = true;
   bool makeCurrent = true;
   bool toZephroServer = false;
   std::wstring zephroServer;

   // Applies the guest's default memory and disk size.
   void SetGuest(const std::string &id);
   // "<folder>\<name>.vmx"; empty while the name or the folder is empty.
   std::wstring ConfigFile() const;
};

// Leading and trailing blanks removed.
std::wstring Trim(const std::wstring &text);

// "<documents>\Machines\<name>" (the folder a new machine is proposed in).
std::wstring DefaultFolder(const std::wstring &documents, const std::wstring &name);
// The user's Documents folder; empty when the system has none.
std::wstring DocumentsFolder();

// Each check answers 0 when the input is acceptable, else the id of the string that says why not.
UINT CheckName(const std::wstring &name);
// An absolute folder ("C:\x" or "\\server\share\x") with no character a path cannot hold, and
// short enough for "<folder>\<name>.vmx".
UINT CheckFolderSyntax(const std::wstring &folder, const std::wstring &name);
// The folder exists, or could be made: its nearest existing ancestor is a folder in which a new
// folder can be made (probed with a folder that is removed at once).
bool FolderCanBeMade(const std::wstring &folder);
// A whole number of megabytes in range and a multiple of the step.
UINT CheckMemory(const std::wstring &text, int &memoryMB);
// A whole number of gigabytes in range; `diskSizeMB` gets it in megabytes.
UINT CheckDisk(const std::wstring &text, int &diskSizeMB);

// A decimal number without sign or blanks inside; false for anything else or past INT_MAX.
bool ParseWholeNumber(const std::wstring &text, int &value);

// Writes "in/file", "in/access/private" and "in/config/..." below `opPath` (absolute) through
// `ctx`, without moving the context's current path. Raises _com_error when a write fails.
void WriteInputs(IVmdbContext *ctx, const std::wstring &opPath, const NwzSettings &settings);
// Leaves "in/file" below `opPath` empty, so that nothing is made or deleted for this run.
void ClearFileInput(IVmdbContext *ctx, const std::wstring &opPath);

}  // namespace tremhwcfg

// How the harness reads menus inside another process: a program's menus are only readable by
// that program under Wine, so the harness hooks the window's thread with the probe DLL, puts a
// request into a named shared block and sends the probe message; the hook answers in the block.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#define E2E_PROBE_MESSAGE "e2e.probe.readMenu"
#define E2E_PROBE_HOOK "E2EProbeCallWndProc"

namespace e2e {

constexpr int kProbeMaxItems = 128;
constexpr int kProbeTextSize = 256;

// Fixed-size fields only, so the layout does not depend on the compiler's packing.
struct ProbeMenuItem {
   uint32_t id;
   uint32_t state;
   uint32_t type;
   uint32_t reserved;
   uint64_t submenu;
   wchar_t text[kProbeTextSize]; // UTF-16, as the menu holds it
};

struct ProbeBlock {
   uint64_t menu;     // in: the menu to read; 0 for the window's menu bar
   int32_t answered;  // out: 1 once the hook ran
   int32_t count;     // out: the menu's item count, -1 when it is no menu of that process
   ProbeMenuItem items[kProbeMaxItems];
};

// wParam of the probe message is the harness's process id, which names the block.
inline std::string ProbeBlockName(DWORD harnessProcessId)
{
   return "Local\\e2e-probe-" + std::to_string(harnessProcessId);
}

} // namespace e2e

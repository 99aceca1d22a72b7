// Quick switch and full screen: the window-free arithmetic of the frame's whole-monitor modes
// (the host's monitors as a topology, where the frame goes, where it comes back to) and of the
// console key combination. The frame's transitions themselves are in zoltFullscreen.cpp.
#pragma once

#include "zoltMonitors.h"

#include "cui/FullscreenMgr.h"
#include "cui/Prefs.h"

#include <windows.h>

#include <string>
#include <vector>

// The host's monitors as the full-screen manager takes them.
struct HostTopology {
   int primary = -1;   // the monitor at the desktop's origin (0, 0)
   int current = -1;   // the monitor whose top-left corner is the kept monitor rectangle's
   LONG originX = 0;   // the smallest left and top: the virtual desktop's corner
   LONG originY = 0;
   std::vector<cui::FullscreenMgr::Monitor> monitors;   // relative to the origin
};

// Monitors without area are left out; with none left, one monitor of `screen`'s size.
HostTopology ComputeHostTopology(const std::vector<MonitorArea> &monitors, const RECT &kept, const SIZE &screen);

// The screen rectangle of a box of the topology.
RECT TopologyRect(const HostTopology &topology, const cui::FullscreenMgr::Monitor &box);

// The monitor a window at `window` fills: the one it overlaps most (else the nearest); the
// screen's rectangle when there is no monitor.
RECT ChooseMonitor(const std::vector<MonitorArea> &monitors, const RECT &window, const SIZE &screen);

// Where a window kept at `saved` comes back: there when some monitor still shows part of it, else
// moved onto the nearest monitor's work area at the same size (cut to the work area's size).
RECT ReturnPlacement(const std::vector<MonitorArea> &monitors, const RECT &saved);

// The keys the console hands back in full screen: Enter, Left and Right as virtual keys, and
// keypad Enter and the extended Left and Right as scan codes with the extended bit.
std::string HookedKeysText();

// The modifiers of a key message as they are compared with the console key combination: Alt
// from the message's context bit, Shift and Ctrl held or not, the Windows key either way.
cui::Prefs::MKSKeys KeysOfMessage(LPARAM lParam, bool shiftDown, bool ctrlDown);
// The modifiers held now, every one of them up or down (the menu bar's comparison).
cui::Prefs::MKSKeys KeysHeld(bool altDown, bool shiftDown, bool ctrlDown);

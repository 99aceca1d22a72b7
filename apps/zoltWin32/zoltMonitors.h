// The monitors a window can stand on, as Windows reports them (EnumDisplayMonitors), through one
// source that tests replace to stand for several monitors on one screen.
#pragma once

#include <windows.h>

#include <vector>

struct MonitorArea {
   RECT monitor;
   RECT work;
};

typedef std::vector<MonitorArea> (*MonitorSource)();

std::vector<MonitorArea> GetMonitors();
// Replaces the source (null: Windows again) and returns the one it replaced.
MonitorSource SetMonitorSource(MonitorSource source);
// The monitor `rect` overlaps most, else the one closest to it; false when there is none.
bool FindNearestMonitor(const std::vector<MonitorArea> &monitors, const RECT &rect, MonitorArea &found);

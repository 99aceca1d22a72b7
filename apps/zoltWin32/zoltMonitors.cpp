#include "zoltMonitors.h"

#include "cui/Util.h"

#include <algorithm>
#include <climits>

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param)
{
   MONITORINFO info = {};
   info.cbSize = sizeof(info);
   if (::GetMonitorInfoA(monitor, &info)) {
      reinterpret_cast<std::vector<MonitorArea> *>(param)->push_back(MonitorArea{info.rcMonitor, info.rcWork});
   }
   return TRUE;
}

std::vector<MonitorArea> WindowsMonitors()
{
   std::vector<MonitorArea> monitors;
   // The model library's host may stand for several monitors on this one screen.
   std::vector<RECT> simulated;
   if (wui::util::GetSimulatedMonitors(simulated)) {
      for (const RECT &rect : simulated) {
         monitors.push_back(MonitorArea{rect, rect});
      }
      return monitors;
   }
   ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
   return monitors;
}

MonitorSource gSource = WindowsMonitors;

long long Overlap(const RECT &a, const RECT &b)
{
   const long long width = std::min(a.right, b.right) - std::max(a.left, b.left);
   const long long height = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
   return width > 0 && height > 0 ? width * height : 0;
}

// How far apart two rectangles are (0 when they touch or overlap), squared.
long long Distance(const RECT &a, const RECT &b)
{
   const long long dx = std::max<long long>({0, static_cast<long long>(b.left) - a.right,
                                             static_cast<long long>(a.left) - b.right});
   const long long dy = std::max<long long>({0, static_cast<long long>(b.top) - a.bottom,
                                             static_cast<long long>(a.top) - b.bottom});
   return dx * dx + dy * dy;
}

}  // namespace

std::vector<MonitorArea> GetMonitors()
{
   return gSource();
}

MonitorSource SetMonitorSource(MonitorSource source)
{
   MonitorSource previous = gSource;
   gSource = source ? source : WindowsMonitors;
   return previous;
}

bool FindNearestMonitor(const std::vector<MonitorArea> &monitors, const RECT &rect, MonitorArea &found)
{
   const MonitorArea *best = nullptr;
   long long bestOverlap = 0;
   long long bestDistance = LLONG_MAX;
   for (const MonitorArea &m : monitors) {
      const long long overlap = Overlap(rect, m.monitor);
      const long long distance = Distance(rect, m.monitor);
      if (overlap > bestOverlap || (bestOverlap == 0 && overlap == 0 && distance < bestDistance)) {
         best = &m;
         bestOverlap = overlap;
         bestDistance = distance;
      }
   }
   if (!best) {
      return false;
   }
   found = *best;
   return true;
}

#include "cui/FullscreenMgr.h"

#include "cui/Error.h"
#include "cui/LocalizedString.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"

#include <algorithm>
#include <climits>

namespace cui {

namespace {

const int kDefaultWidth = 640;
const int kDefaultHeight = 480;

std::string Describe(const std::vector<FullscreenMgr::Monitor> &monitors, const std::vector<int> &indices)
{
   std::string text;
   for (int index : indices) {
      const FullscreenMgr::Monitor &m = monitors[index];
      text += (text.empty() ? "" : ";") + std::to_string(index) + "=" + std::to_string(m.x) + "," +
              std::to_string(m.y) + "," + std::to_string(m.width) + "x" + std::to_string(m.height);
   }
   return text;
}

}  // namespace

FullscreenMgr::FullscreenMgr(const std::vector<Monitor> &hostMonitors, bool allowMultiMon)
   : allowMultiMon_(allowMultiMon)
{
   SetHostTopology(hostMonitors);
}

void FullscreenMgr::SetHostTopology(const std::vector<Monitor> &monitors)
{
   monitors_.clear();
   for (const Monitor &m : monitors) {
      if (m.width > 0 && m.height > 0) {
         monitors_.push_back(m);
      }
   }
   if (start_ >= static_cast<int>(monitors_.size())) {
      start_ = 0;
   }
   std::vector<int> all;
   for (size_t i = 0; i < monitors_.size(); ++i) {
      all.push_back(static_cast<int>(i));
   }
   Log("FullscreenMgr: host topology %s\n", Describe(monitors_, all).c_str());
}

bool FullscreenMgr::StartFullscreen(int index)
{
   fullscreen_ = true;
   topology_ = TOPOLOGY_SINGLE;
   if (index < 0 || index >= static_cast<int>(monitors_.size())) {
      Warning("FullscreenMgr::StartFullscreen: no monitor %d of %u\n", index, static_cast<unsigned>(monitors_.size()));
      start_ = 0;
      return false;
   }
   start_ = index;
   Log("FullscreenMgr: full screen starts on monitor %d\n", index);
   return true;
}

std::vector<int> FullscreenMgr::GotoCurTopology(VM *vm)
{
   std::vector<int> indices;
   if (monitors_.empty()) {
      return indices;
   }
   if (topology_ == TOPOLOGY_ALL && CanMultiMon(vm, nullptr)) {
      for (size_t i = 0; i < monitors_.size(); ++i) {
         indices.push_back(static_cast<int>(i));
      }
   } else {
      indices.push_back(start_);
   }
   Log("FullscreenMgr: topology of %s: %s\n", vm ? vm->GetVmPath().c_str() : "(none)",
       Describe(monitors_, indices).c_str());
   return indices;
}

FullscreenMgr::Monitor FullscreenMgr::GetBoundBox(const std::vector<int> &indices) const
{
   long left = LONG_MAX, top = LONG_MAX, right = LONG_MIN, bottom = LONG_MIN;
   for (int index : indices) {
      if (index < 0 || index >= static_cast<int>(monitors_.size())) {
         continue;
      }
      const Monitor &m = monitors_[index];
      left = std::min<long>(left, m.x);
      top = std::min<long>(top, m.y);
      right = std::max<long>(right, static_cast<long>(m.x) + m.width);
      bottom = std::max<long>(bottom, static_cast<long>(m.y) + m.height);
   }
   if (left == LONG_MAX) {
      if (!monitors_.empty()) {
         return monitors_[start_];
      }
      Monitor fallback;
      fallback.width = kDefaultWidth;
      fallback.height = kDefaultHeight;
      return fallback;
   }
   Monitor box;
   box.x = static_cast<int>(left);
   box.y = static_cast<int>(top);
   box.width = static_cast<int>(right - left);
   box.height = static_cast<int>(bottom - top);
   return box;
}

void FullscreenMgr::NextTopology()
{
   topology_ = topology_ == TOPOLOGY_SINGLE && monitors_.size() > 1 ? TOPOLOGY_ALL : TOPOLOGY_SINGLE;
}

bool FullscreenMgr::CanMultiMon(VM *vm, std::vector<std::string> *reasons) const
{
   return CanMultiMon(monitors_.size(), allowMultiMon_, vm && vm->GetPowerState() == VM::POWERED_ON,
                      vm ? vm->GetHardwareVersion() : 0, reasons);
}

bool FullscreenMgr::CanMultiMon(size_t monitorCount, bool allowMultiMon, bool poweredOn, int hardwareVersion,
                                std::vector<std::string> *reasons)
{
   std::vector<std::string> why;
   if (monitorCount < 2) {
      why.push_back(GetLocalString("@&!*@*@(msg.fullscreenMgr.oneMonitor)The host has only one monitor."));
   }
   if (!allowMultiMon) {
      why.push_back(GetLocalString("@&!*@*@(msg.fullscreenMgr.notAllowed)Several monitors are turned off here."));
   }
   if (!poweredOn) {
      why.push_back(GetLocalString("@&!*@*@(msg.fullscreenMgr.notOn)The virtual machine is not powered on."));
   }
   if (hardwareVersion < kMinMultiMonHardwareVersion) {
      why.push_back(GetLocalString("@&!*@*@(msg.fullscreenMgr.oldHardware)The virtual machine's hardware version "
                                   "is too old for several monitors."));
   }
   if (reasons) {
      *reasons = why;
   }
   return why.empty();
}

void FullscreenMgr::LeaveFullscreen()
{
   if (fullscreen_) {
      Log("FullscreenMgr: full screen left\n");
   }
   fullscreen_ = false;
   topology_ = TOPOLOGY_SINGLE;
}

}  // namespace cui

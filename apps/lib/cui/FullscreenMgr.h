// Which of the host's monitors a machine's console fills in full screen. The frame hands it the
// host's monitors (the topology) and the monitor it starts on; the manager answers with the
// monitors of the current topology: the start monitor alone, or, for a machine that can use
// several, every monitor. NextTopology cycles between the two.
#pragma once

#include <string>
#include <vector>

namespace cui {

class VM;

class FullscreenMgr {
public:
   // One monitor, relative to the top-left corner of the host's virtual desktop.
   struct Monitor {
      int x = 0;
      int y = 0;
      int width = 0;
      int height = 0;
   };
   enum Topology { TOPOLOGY_SINGLE = 0, TOPOLOGY_ALL = 1 };

   // `hostMonitors`: the host's monitors as first known; `allowMultiMon` false keeps every
   // machine on one monitor.
   FullscreenMgr(const std::vector<Monitor> &hostMonitors, bool allowMultiMon);

   // Monitors without area are dropped.
   void SetHostTopology(const std::vector<Monitor> &monitors);
   const std::vector<Monitor> &GetHostTopology() const { return monitors_; }
   // Starts full screen on monitor `index` of the host topology; an index outside it is refused
   // (false) and the first monitor is used.
   bool StartFullscreen(int index);
   bool IsFullscreen() const { return fullscreen_; }
   int GetStartMonitor() const { return start_; }
   int GetTopology() const { return topology_; }
   // The indices of the monitors `vm` fills now (the start monitor alone when the machine cannot
   // use several); empty only when the host has no monitor.
   std::vector<int> GotoCurTopology(VM *vm);
   // The box around the monitors of `indices`; indices outside the host topology are refused
   // (ignored). With none left: the start monitor, or 640 x 480 at the origin on a host without
   // monitors, never an empty box.
   Monitor GetBoundBox(const std::vector<int> &indices) const;
   void NextTopology();
   // Whether `vm` can use several monitors; why not goes into `reasons` when given.
   bool CanMultiMon(VM *vm, std::vector<std::string> *reasons) const;
   void LeaveFullscreen();

   // The same question without a machine object: the host's monitor count, the machine's power
   // and its hardware version.
   static bool CanMultiMon(size_t monitorCount, bool allowMultiMon, bool poweredOn, int hardwareVersion,
                           std::vector<std::string> *reasons);
   static const int kMinMultiMonHardwareVersion = 7;

private:
   std::vector<Monitor> monitors_;
   bool allowMultiMon_;
   bool fullscreen_ = false;
   int start_ = 0;
   int topology_ = TOPOLOGY_SINGLE;
};

}  // namespace cui

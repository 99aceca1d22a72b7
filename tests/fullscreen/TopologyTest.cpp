// The host's monitors as the frame hands them to the full-screen manager, where the frame goes
// and comes back to, and the full-screen manager's choices among the monitors.
#include "zoltFullscreen.h"

#include "FullscreenToolbarCtl.h"

#include "cui/FullscreenMgr.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Monitor = cui::FullscreenMgr::Monitor;

MonitorArea Area(LONG left, LONG top, LONG right, LONG bottom, LONG taskbar = 0)
{
   return MonitorArea{RECT{left, top, right, bottom}, RECT{left, top, right, bottom - taskbar}};
}

const SIZE kScreen = {1280, 1024};

// A 1280 x 1024 primary, a 1024 x 768 monitor to its left and a 800 x 600 one above it.
std::vector<MonitorArea> ThreeMonitors()
{
   return {Area(0, 0, 1280, 1024, 30), Area(-1024, 200, 0, 968), Area(100, -600, 900, 0)};
}

bool Same(const Monitor &m, int x, int y, int width, int height)
{
   return m.x == x && m.y == y && m.width == width && m.height == height;
}

TEST(HostTopology, MonitorsAreRelativeToTheVirtualDesktopsCorner)
{
   HostTopology topology = ComputeHostTopology(ThreeMonitors(), RECT{-1024, 200, 0, 968}, kScreen);
   EXPECT_EQ(-1024, topology.originX);
   EXPECT_EQ(-600, topology.originY);
   EXPECT_EQ(0, topology.primary);
   EXPECT_EQ(1, topology.current);
   ASSERT_EQ(3u, topology.monitors.size());
   EXPECT_TRUE(Same(topology.monitors[0], 1024, 600, 1280, 1024));
   EXPECT_TRUE(Same(topology.monitors[1], 0, 800, 1024, 768));
   EXPECT_TRUE(Same(topology.monitors[2], 1124, 0, 800, 600));
   // Back to the screen: the box of a monitor is that monitor.
   RECT second = TopologyRect(topology, topology.monitors[1]);
   EXPECT_EQ(-1024, second.left);
   EXPECT_EQ(200, second.top);
   EXPECT_EQ(0, second.right);
   EXPECT_EQ(968, second.bottom);
}

TEST(HostTopology, WithoutUsableMonitorsOneMonitorOfScreenSize)
{
   for (const std::vector<MonitorArea> &monitors :
        {std::vector<MonitorArea>{}, std::vector<MonitorArea>{Area(0, 0, 0, 0), Area(10, 10, 10, 500)}}) {
      HostTopology topology = ComputeHostTopology(monitors, RECT{}, kScreen);
      ASSERT_EQ(1u, topology.monitors.size());
      EXPECT_TRUE(Same(topology.monitors[0], 0, 0, 1280, 1024));
      EXPECT_EQ(0, topology.primary);
      EXPECT_EQ(0, topology.current);
   }
   // Not even a screen size: still never a window of no size.
   HostTopology none = ComputeHostTopology({}, RECT{}, SIZE{0, 0});
   EXPECT_TRUE(Same(none.monitors[0], 0, 0, 1, 1));
   // A kept rectangle on no monitor leaves the current index unknown.
   EXPECT_EQ(-1, ComputeHostTopology(ThreeMonitors(), RECT{5000, 5000, 5100, 5100}, kScreen).current);
}

TEST(HostTopology, ChoosesTheMonitorTheWindowCoversMost)
{
   std::vector<MonitorArea> monitors = ThreeMonitors();
   RECT mostlyLeft = {-700, 300, 100, 700};
   RECT chosen = ChooseMonitor(monitors, mostlyLeft, kScreen);
   EXPECT_EQ(-1024, chosen.left);
   RECT offScreen = {2000, 100, 2300, 400};
   chosen = ChooseMonitor(monitors, offScreen, kScreen);
   EXPECT_EQ(0, chosen.left) << "the nearest when on none";
   EXPECT_EQ(1280, chosen.right);
   chosen = ChooseMonitor({}, mostlyLeft, kScreen);
   EXPECT_EQ(1280, chosen.right) << "the screen when there are no monitors";
   EXPECT_EQ(1024, chosen.bottom);
}

TEST(HostTopology, ReturnsToTheKeptPlacementOrOntoAMonitorStillThere)
{
   std::vector<MonitorArea> monitors = ThreeMonitors();
   RECT onLeft = {-900, 300, -300, 700};
   RECT back = ReturnPlacement(monitors, onLeft);
   EXPECT_TRUE(EqualRect(&back, &onLeft)) << "exactly where it was";
   // The left monitor was removed meanwhile: onto the nearest one's work area, same size.
   std::vector<MonitorArea> primaryOnly = {Area(0, 0, 1280, 1024, 30)};
   back = ReturnPlacement(primaryOnly, onLeft);
   EXPECT_EQ(0, back.left);
   EXPECT_EQ(300, back.top);
   EXPECT_EQ(600, back.right - back.left);
   EXPECT_EQ(400, back.bottom - back.top);
   // Larger than what is left: cut to the work area.
   RECT huge = {-3000, -100, -100, 2000};
   back = ReturnPlacement(primaryOnly, huge);
   EXPECT_EQ(0, back.left);
   EXPECT_EQ(0, back.top);
   EXPECT_EQ(1280, back.right);
   EXPECT_EQ(994, back.bottom);
   back = ReturnPlacement({}, onLeft);
   EXPECT_TRUE(EqualRect(&back, &onLeft)) << "nothing known about the monitors: unchanged";
}

TEST(FullscreenMgr, RefusesMonitorIndicesOutsideTheHostTopology)
{
   HostTopology topology = ComputeHostTopology(ThreeMonitors(), RECT{0, 0, 1280, 1024}, kScreen);
   cui::FullscreenMgr mgr(topology.monitors, true);
   EXPECT_TRUE(mgr.StartFullscreen(2));
   EXPECT_EQ(2, mgr.GetStartMonitor());
   EXPECT_FALSE(mgr.StartFullscreen(3));
   EXPECT_EQ(0, mgr.GetStartMonitor());
   EXPECT_FALSE(mgr.StartFullscreen(-1));
   EXPECT_TRUE(mgr.IsFullscreen());
   // Out-of-range indices add nothing to a box.
   EXPECT_TRUE(Same(mgr.GetBoundBox({1, 7, -2}), 0, 800, 1024, 768));
   EXPECT_TRUE(Same(mgr.GetBoundBox({0, 1, 2}), 0, 0, 2304, 1624));
   EXPECT_TRUE(Same(mgr.GetBoundBox({0, 2}), 1024, 0, 1280, 1624));
   // None left: the start monitor, never an empty box.
   mgr.StartFullscreen(1);
   EXPECT_TRUE(Same(mgr.GetBoundBox({}), 0, 800, 1024, 768));
   EXPECT_TRUE(Same(mgr.GetBoundBox({9}), 0, 800, 1024, 768));
   cui::FullscreenMgr empty({}, true);
   EXPECT_FALSE(empty.StartFullscreen(0));
   Monitor box = empty.GetBoundBox({0});
   EXPECT_GT(box.width, 0);
   EXPECT_GT(box.height, 0);
   EXPECT_TRUE(empty.GotoCurTopology(nullptr).empty());
   // A topology given later drops monitors without area and keeps the start inside it.
   mgr.StartFullscreen(2);
   mgr.SetHostTopology({Monitor{0, 0, 1280, 1024}, Monitor{1280, 0, 0, 768}});
   EXPECT_EQ(1u, mgr.GetHostTopology().size());
   EXPECT_EQ(0, mgr.GetStartMonitor());
}

TEST(FullscreenMgr, MultiMonitorNeedsMonitorsAPoweredOnMachineAndNewHardware)
{
   std::vector<std::string> reasons;
   EXPECT_TRUE(cui::FullscreenMgr::CanMultiMon(2, true, true, 7, &reasons));
   EXPECT_TRUE(reasons.empty());
   EXPECT_FALSE(cui::FullscreenMgr::CanMultiMon(1, true, true, 7, &reasons));
   EXPECT_EQ(1u, reasons.size());
   EXPECT_FALSE(cui::FullscreenMgr::CanMultiMon(1, false, false, 4, &reasons));
   EXPECT_EQ(4u, reasons.size());
   for (const std::string &reason : reasons) {
      EXPECT_EQ(std::string::npos, reason.find("msg.")) << "shown texts, not their ids: " << reason;
   }
   // Without a machine the manager stays on the start monitor, whatever the topology.
   HostTopology topology = ComputeHostTopology(ThreeMonitors(), RECT{0, 0, 1280, 1024}, kScreen);
   cui::FullscreenMgr mgr(topology.monitors, true);
   mgr.StartFullscreen(0);
   mgr.NextTopology();
   EXPECT_EQ(cui::FullscreenMgr::TOPOLOGY_ALL, mgr.GetTopology());
   EXPECT_EQ(std::vector<int>{0}, mgr.GotoCurTopology(nullptr));
   mgr.NextTopology();
   EXPECT_EQ(cui::FullscreenMgr::TOPOLOGY_SINGLE, mgr.GetTopology());
   mgr.NextTopology();
   mgr.LeaveFullscreen();
   EXPECT_FALSE(mgr.IsFullscreen());
   EXPECT_EQ(cui::FullscreenMgr::TOPOLOGY_SINGLE, mgr.GetTopology());
   cui::FullscreenMgr single({Monitor{0, 0, 1280, 1024}}, true);
   single.NextTopology();
   EXPECT_EQ(cui::FullscreenMgr::TOPOLOGY_SINGLE, single.GetTopology()) << "one monitor has one topology";
}

TEST(SwitchMachines, WrapsAroundAndStartsFromTheLastWhenTheCurrentIsNotListed)
{
   EXPECT_EQ(-1, FirstSwitchCandidate(0, 0, true));
   EXPECT_EQ(1, FirstSwitchCandidate(0, 3, true));
   EXPECT_EQ(0, FirstSwitchCandidate(2, 3, true));
   EXPECT_EQ(2, FirstSwitchCandidate(0, 3, false));
   EXPECT_EQ(2, FirstSwitchCandidate(-1, 3, true));
   EXPECT_EQ(2, FirstSwitchCandidate(-1, 3, false));
   EXPECT_EQ(0, FirstSwitchCandidate(0, 1, true));
   // The search visits every machine once before it is back at its start.
   int start = FirstSwitchCandidate(1, 4, false);
   std::vector<int> visited = {start};
   for (int c = NextSwitchCandidate(start, 4, false); c != start; c = NextSwitchCandidate(c, 4, false)) {
      visited.push_back(c);
   }
   EXPECT_EQ((std::vector<int>{0, 3, 2, 1}), visited);
}

}  // namespace

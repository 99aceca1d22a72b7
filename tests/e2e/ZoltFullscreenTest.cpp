// zolt.exe in quick switch and full screen, driven as a user does: entering and leaving full
// screen by menu and hot key, the toolbar sliding in at the top edge and away after its delay
// unless pinned, its machine menu, a machine powered off in full screen, quick switch with its
// tabs, the fit commands, the console key combination from the preferences and two monitors
// stood for by the simulated host.
#include "ScreenImage.h"
#include "SidebarSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

using zoltrun::Command;
using zoltrun::kHostMs;
using zoltside::FindDescendant;

const int kPinButton = 1001;
const int kMachineButton = 1004;
const int kMonitorButton = 1006;

RECT RectOf(HWND window)
{
   RECT rect = {};
   GetWindowRect(window, &rect);
   return rect;
}

bool SameRect(const RECT &a, const RECT &b)
{
   return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const RECT &r)
{
   return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
          std::to_string(r.bottom) + ")";
}

bool WaitForRect(HWND window, const RECT &wanted, DWORD ms = kHostMs)
{
   return e2e::WaitUntil([&]() { return SameRect(RectOf(window), wanted); }, ms);
}

bool HasCaption(HWND frame)
{
   return (GetWindowLongW(frame, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

// The full-screen toolbar is in sight: shown with its top at most its margin above the edge.
bool ToolbarShown(HWND toolbar, LONG edge)
{
   return IsWindowVisible(toolbar) && RectOf(toolbar).top >= edge - 3;
}

class FullscreenRun : public zoltrun::ZoltRun {
public:
   FullscreenRun(const e2e::TestFolder &folder, const std::string &prefs, const std::string &extraConfig = "")
      : ZoltRun(folder, extraConfig + (prefs.empty() ? "" : "vmdb.preload = " +
                                                              e2e::QuoteValue(folder.WriteFile("preload.vmdb", prefs)) + "\n")),
        folder_(folder)
   {
   }

   // A machine of the folder, hardware that can use several monitors, a 640 x 480 guest screen.
   std::string Machine(const std::string &name)
   {
      return folder_.WriteFile(name + ".vmx",
                               zoltrun::MachineVmx(name, "hardwareVersion = \"7\"\ndisplay.width = \"640\"\n"
                                                         "display.height = \"480\"\n"));
   }

   // Starts zolt with the machines powered on and waits until the frame shows them running.
   HWND StartRunning(const std::vector<std::string> &machines)
   {
      std::string arguments = "-H -x";
      for (const std::string &vmx : machines) {
         arguments += " " + e2e::QuoteArgument(vmx);
      }
      running_ = machines.size();
      frame_ = Start(process_, arguments);
      if (!frame_) {
         return nullptr;
      }
      if (!WaitForLog("powerOn done, poweredOn", machines.size()) || !zoltrun::WaitForToolbarButton(frame_, IDM_VM_RESET)) {
         ADD_FAILURE() << "the machines did not power on\n" << Log();
         return nullptr;
      }
      return frame_;
   }

   HWND Toolbar() const { return FindDescendant(frame_, "ZOLTFSToolbar"); }
   HWND ToolbarButtons() const { return FindDescendant(Toolbar(), "ToolbarWindow32"); }
   HWND Console() const { return FindDescendant(frame_, "TremappsdkMks"); }
   // A button of the full-screen toolbar in its client coordinates.
   RECT Button(int id) const { return zoltside::RemoteRect(ToolbarButtons(), TB_GETRECT, id); }

   void Screenshot(const std::string &name) const
   {
      e2e::ScreenImage image = e2e::CaptureClientFromScreen(GetDesktopWindow());
      e2e::SavePng(image, folder_.PathOf(name));
      e2e::SavePng(image, e2e::TestProgramFolder() + "\\" + name);
   }

   // Powers the machines still running off, tab by tab (closing would ask about them), and closes.
   void Close()
   {
      if (!frame_) {
         return;
      }
      size_t off = zoltrun::Count(Log(), "powerOff done");
      for (size_t i = 0; i < running_; ++i) {
         if (zoltrun::WaitForToolbarButton(frame_, IDM_VM_RESET, 2000)) {
            EXPECT_TRUE(Command(frame_, IDM_VM_POWER_OFF));
            EXPECT_TRUE(WaitForLog("powerOff done", ++off)) << Log();
         }
         Command(frame_, IDM_WINDOW_NEXT_TAB);
      }
      ZoltRun::Close(process_, frame_);
   }

   const e2e::Process &Process() const { return process_; }

private:
   const e2e::TestFolder &folder_;
   e2e::Process process_;
   HWND frame_ = nullptr;
   size_t running_ = 0;
};

const RECT kScreen = {0, 0, 1280, 1024};

TEST(ZoltFullscreen, EnterAndLeaveByMenuAndHotKeyAndPowerOffComesBack)
{
   e2e::TestFolder folder;
   FullscreenRun run(folder, "");
   HWND frame = run.StartRunning({run.Machine("Keys")});
   ASSERT_TRUE(frame);
   const RECT windowed = RectOf(frame);
   ASSERT_FALSE(SameRect(windowed, kScreen)) << Text(windowed);

   // View > Full Screen: the whole monitor, without caption.
   ASSERT_TRUE(Command(frame, IDM_VIEW_FULL_SCREEN));
   ASSERT_TRUE(WaitForRect(frame, kScreen)) << Text(RectOf(frame)) << run.Log();
   EXPECT_FALSE(HasCaption(frame));
   EXPECT_TRUE(run.WaitForLog("FullscreenMgr: full screen starts on monitor 0")) << run.Log();

   // Ctrl+Alt+Enter leaves it: back exactly where the window was.
   ASSERT_TRUE(e2e::PressKey(run.Console(), VK_RETURN, e2e::kControl | e2e::kAlt));
   EXPECT_TRUE(WaitForRect(frame, windowed)) << Text(RectOf(frame)) << " not " << Text(windowed) << run.Log();
   EXPECT_TRUE(HasCaption(frame));

   // ... and enters it again (the normal accelerator).
   ASSERT_TRUE(e2e::PressKey(frame, VK_RETURN, e2e::kControl | e2e::kAlt));
   ASSERT_TRUE(WaitForRect(frame, kScreen)) << Text(RectOf(frame)) << run.Log();
   ASSERT_TRUE(Command(frame, IDM_VIEW_FULL_SCREEN));
   EXPECT_TRUE(WaitForRect(frame, windowed)) << Text(RectOf(frame)) << run.Log();

   // A machine powered off in full screen ends full screen.
   ASSERT_TRUE(Command(frame, IDM_VIEW_FULL_SCREEN));
   ASSERT_TRUE(WaitForRect(frame, kScreen)) << run.Log();
   ASSERT_TRUE(Command(frame, IDM_VM_POWER_OFF));
   EXPECT_TRUE(run.WaitForLog("powerOff done, poweredOff")) << run.Log();
   EXPECT_TRUE(WaitForRect(frame, windowed)) << Text(RectOf(frame)) << run.Log();
   EXPECT_TRUE(HasCaption(frame));
   EXPECT_TRUE(run.WaitForLog("the machine in full screen is no longer running"));
   run.Close();
}

// A tip of the process showing the label of the name area.
bool NameTipShown(DWORD processId)
{
   e2e::WindowQuery query;
   query.className = "tooltips_class32";
   query.processId = processId;
   for (HWND tip : e2e::FindTopLevelWindows(query)) {
      if (e2e::ReadText(tip).value_or("") == "Virtual Machine") {
         return true;
      }
   }
   return false;
}

TEST(ZoltFullscreen, ToolbarSlidesInAtTheTopEdgeHidesUnlessPinnedAndOpensTheMachineMenu)
{
   e2e::TestFolder folder;
   FullscreenRun run(folder, "/user/prefState/val/zolt/fsToolbar/showDelay = \"100\"\n"
                             "/user/prefState/val/zolt/fsToolbar/hideDelay = \"300\"\n");
   HWND frame = run.StartRunning({run.Machine("Bar")});
   ASSERT_TRUE(frame);
   ASSERT_TRUE(Command(frame, IDM_VIEW_FULL_SCREEN));
   ASSERT_TRUE(WaitForRect(frame, kScreen)) << run.Log();
   HWND toolbar = run.Toolbar();
   ASSERT_TRUE(toolbar);
   EXPECT_FALSE(ToolbarShown(toolbar, 0)) << "hidden until the pointer comes";

   // The pointer rests on the top edge: the bar slides in, centred.
   SetCursorPos(640, 300);
   SetCursorPos(640, 0);
   ASSERT_TRUE(e2e::WaitUntil([&]() { return ToolbarShown(toolbar, 0); }, 5000)) << Text(RectOf(toolbar));
   RECT bar = RectOf(toolbar);
   EXPECT_LE(std::abs((bar.left + bar.right) / 2 - 640), 1) << Text(bar);
   // Away from it: gone after its delay.
   SetCursorPos(640, 600);
   EXPECT_TRUE(e2e::WaitUntil([&]() { return !IsWindowVisible(toolbar); }, 5000)) << Text(RectOf(toolbar));

   // Pinned with its button, it stays.
   SetCursorPos(640, 0);
   ASSERT_TRUE(e2e::WaitUntil([&]() { return ToolbarShown(toolbar, 0); }, 5000));
   RECT pin = run.Button(kPinButton);
   ASSERT_FALSE(IsRectEmpty(&pin));
   ASSERT_TRUE(e2e::Click(run.ToolbarButtons(), (pin.left + pin.right) / 2, (pin.top + pin.bottom) / 2));
   SetCursorPos(640, 600);
   // Well past the hide delay a bar that hides would be gone.
   EXPECT_FALSE(e2e::WaitUntil([&]() { return !ToolbarShown(toolbar, 0); }, 1500)) << "pinned";

   // Resting on the machine's name brings its tip.
   RECT machine = run.Button(kMachineButton);
   POINT name = {(machine.left + machine.right) / 2, (machine.top + machine.bottom) / 2};
   ClientToScreen(run.ToolbarButtons(), &name);
   SetCursorPos(name.x, name.y - 1);
   SetCursorPos(name.x, name.y);
   EXPECT_TRUE(e2e::WaitUntil([&]() { return NameTipShown(run.Process().Id()); }, 5000)) << "the name's tip";

   // Its machine menu, looked at on the screenshot.
   ASSERT_TRUE(e2e::Click(run.ToolbarButtons(), (machine.left + machine.right) / 2, (machine.top + machine.bottom) / 2));
   HWND popup = e2e::WaitForPopupMenu(run.Process().Id());
   ASSERT_TRUE(popup) << run.Log();
   HMENU menu = e2e::PopupMenuOf(popup);
   ASSERT_TRUE(menu);
   auto items = e2e::ReadMenu(popup, menu);
   ASSERT_TRUE(items.has_value());
   EXPECT_FALSE(items->empty()) << "the machine menu's items";
   run.Screenshot("fullscreen-machine-menu.png");
   ASSERT_TRUE(e2e::PressKey(popup, VK_ESCAPE));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return !IsWindowVisible(popup); }, 5000));
   EXPECT_TRUE(ToolbarShown(toolbar, 0)) << "still pinned after the menu";
   ASSERT_TRUE(Command(frame, IDM_VIEW_FULL_SCREEN));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return HasCaption(frame); }, kHostMs));
   EXPECT_FALSE(IsWindowVisible(toolbar));
   run.Close();
}

TEST(ZoltFullscreen, TwoMonitorsGiveTheTopologyAndTheMultiMonitorButtonSpansThem)
{
   e2e::TestFolder folder;
   FullscreenRun run(folder, "/user/prefState/val/zolt/fsToolbar/pin = \"1\"\n",
                     "test.host.monitors = \"0,0,800,600;800,0,1280,1024\"\n");
   HWND frame = run.StartRunning({run.Machine("Wide")});
   ASSERT_TRUE(frame);
   SetWindowPos(frame, nullptr, 60, 40, 640, 480, SWP_NOZORDER);
   ASSERT_TRUE(Command(frame, IDM_VIEW_FULL_SCREEN));
   EXPECT_TRUE(WaitForRect(frame, RECT{0, 0, 800, 600})) << Text(RectOf(frame)) << run.Log();
   EXPECT_TRUE(run.WaitForLog("FullscreenMgr: host topology 0=0,0,800x600;1=800,0,480x1024")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("FullscreenMgr: full screen starts on monitor 0")) << run.Log();
   HWND toolbar = run.Toolbar();
   ASSERT_TRUE(e2e::WaitUntil([&]() { return ToolbarShown(toolbar, 0); }, 5000)) << "pinned from the start";
   RECT monitor = run.Button(kMonitorButton);
   ASSERT_FALSE(IsRectEmpty(&monitor)) << "the multi-monitor button shows with two monitors";
   ASSERT_TRUE(e2e::Click(run.ToolbarButtons(), (monitor.left + monitor.right) / 2, (monitor.top + monitor.bottom) / 2));
   EXPECT_TRUE(WaitForRect(frame, RECT{0, 0, 1280, 1024})) << Text(RectOf(frame)) << run.Log();
   EXPECT_TRUE(run.WaitForLog("0=0,0,800x600;1=800,0,480x1024", 2)) << run.Log();
   ASSERT_TRUE(Command(frame, IDM_VIEW_FULL_SCREEN));
   EXPECT_TRUE(WaitForRect(frame, RECT{60, 40, 700, 520})) << Text(RectOf(frame)) << run.Log();
   run.Close();
}

TEST(ZoltFullscreen, QuickSwitchShowsTheTabsAndSwitchesMachines)
{
   e2e::TestFolder folder;
   FullscreenRun run(folder, "");
   HWND frame = run.StartRunning({run.Machine("First"), run.Machine("Second")});
   ASSERT_TRUE(frame);
   const RECT windowed = RectOf(frame);
   ASSERT_TRUE(Command(frame, IDM_VIEW_QUICK_SWITCH));
   ASSERT_TRUE(WaitForRect(frame, kScreen)) << Text(RectOf(frame)) << run.Log();
   EXPECT_FALSE(HasCaption(frame));
   HWND tabs = FindDescendant(frame, "TremappsdkSwitch");
   ASSERT_TRUE(tabs);
   EXPECT_TRUE(IsWindowVisible(tabs));
   RECT strip = RectOf(tabs);
   EXPECT_EQ(0, strip.top) << "the tab strip at the top of the monitor";
   std::string before = e2e::ReadText(frame).value_or("");
   // The other tab, on its icon: tabs are their label plus 54 pixels wide, left to right.
   int x = before.rfind("Second", 0) == 0 ? 14 : 95;
   ASSERT_TRUE(e2e::Click(tabs, x, (strip.bottom - strip.top) / 2));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return e2e::ReadText(frame).value_or("") != before; }, kHostMs))
      << before << " stays\n" << run.Log();
   ASSERT_TRUE(Command(frame, IDM_VIEW_QUICK_SWITCH));
   EXPECT_TRUE(WaitForRect(frame, windowed)) << Text(RectOf(frame)) << run.Log();
   run.Close();
}

TEST(ZoltFullscreen, FitWindowToTheGuestAndTheGuestToTheConsole)
{
   e2e::TestFolder folder;
   FullscreenRun run(folder, "");
   HWND frame = run.StartRunning({run.Machine("Fit")});
   ASSERT_TRUE(frame);
   HWND console = run.Console();
   ASSERT_TRUE(console);
   auto clientSize = [](HWND w) {
      RECT r = {};
      GetClientRect(w, &r);
      return SIZE{r.right, r.bottom};
   };
   // View > Fit Window Now: the console shows the guest's 640 x 480 exactly.
   ASSERT_TRUE(Command(frame, IDM_VIEW_FIT_WINDOW));
   EXPECT_TRUE(e2e::WaitUntil([&]() { SIZE s = clientSize(console); return s.cx == 640 && s.cy == 480; }, kHostMs))
      << clientSize(console).cx << " x " << clientSize(console).cy << "\n" << run.Log();
   // A larger window, then View > Fit Guest Now: the guest is asked for the console's size.
   RECT window = RectOf(frame);
   SetWindowPos(frame, nullptr, 0, 0, window.right - window.left + 100, window.bottom - window.top + 60,
                SWP_NOMOVE | SWP_NOZORDER);
   SIZE wanted = {};
   ASSERT_TRUE(e2e::WaitUntil([&]() { wanted = clientSize(console); return wanted.cx == 740 && wanted.cy == 540; }, kHostMs))
      << wanted.cx << " x " << wanted.cy;
   ASSERT_TRUE(Command(frame, IDM_VIEW_FIT_GUEST));
   std::string line = "the guest's screen is " + std::to_string(wanted.cx) + " x " + std::to_string(wanted.cy);
   EXPECT_TRUE(run.WaitForLog(line)) << run.Log();
   run.Close();
}

TEST(ZoltFullscreen, KeyCombinationFromThePreferencesReleasesTheInput)
{
   e2e::TestFolder folder;
   FullscreenRun run(folder, "/user/prefState/val/zolt/hotkeys/modifiers = \"ctrl-shift\"\n");
   HWND frame = run.StartRunning({run.Machine("Grab")});
   ASSERT_TRUE(frame);
   HWND console = run.Console();
   ASSERT_TRUE(console);
   RECT area = {};
   GetClientRect(console, &area);
   ASSERT_TRUE(e2e::Click(console, area.right / 2, area.bottom / 2));
   ASSERT_TRUE(run.WaitForLog("MksCtl: the console has the input")) << run.Log();
   // Ctrl+Shift, the combination the preferences name now (not the default Ctrl+Alt), gives it back.
   ASSERT_TRUE(e2e::PressKey(console, VK_CONTROL, e2e::kShift));
   EXPECT_TRUE(run.WaitForLog("MksCtl: the console gave the input back")) << run.Log();
   run.Close();
}

}  // namespace

// The frame's whole-monitor modes: entering and leaving quick switch and full screen, the host's
// monitors handed to the full-screen manager, the multi-monitor cycle, the full-screen hot keys
// and the console-driven full screen.
#include "zoltFullscreen.h"

#include "zoltApp.h"
#include "zoltFrame.h"
#include "zoltGuard.h"
#include "zoltMessages.h"
#include "zoltWndUtil.h"

#include "cui/MKS.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"
#include "cui/cui.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

const LONG_PTR kChromeStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
const LONG_PTR kSizingStyle = WS_THICKFRAME | WS_MAXIMIZEBOX;
static_assert(kChromeStyle == 0x00CF0000 && kSizingStyle == 0x00050000, "the chrome's styles");
// The keys the console hands to the frame in full screen, as it reports them: a virtual-key
// code, or an extended key's scan code with kExtendedKey added.
const int kExtendedKey = 0x100;
enum HookedKey {
   kKeyEnter = VK_RETURN,
   kKeyLeft = VK_LEFT,
   kKeyRight = VK_RIGHT,
   kKeyDown = VK_DOWN,
   kKeyPadEnter = kExtendedKey | 0x1C,
   kKeyExtendedLeft = kExtendedKey | 0x4B,
   kKeyExtendedRight = kExtendedKey | 0x4D,
   kKeyExtendedDown = kExtendedKey | 0x50,
};
const int kQuickSwitchHideDelay = 100;
const int kQuickSwitchMargin = 2;
const int kFullScreenMargin = 3;

bool IsWholeMonitor(int mode)
{
   return mode == MODE_QUICK_SWITCH || mode == MODE_FULL_SCREEN;
}

SIZE ScreenSize()
{
   return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace

HostTopology ComputeHostTopology(const std::vector<MonitorArea> &monitors, const RECT &kept, const SIZE &screen)
{
   std::vector<RECT> rects;
   for (const MonitorArea &area : monitors) {
      if (area.monitor.right > area.monitor.left && area.monitor.bottom > area.monitor.top) {
         rects.push_back(area.monitor);
      }
   }
   if (rects.empty()) {
      rects.push_back(RECT{0, 0, std::max<LONG>(screen.cx, 1), std::max<LONG>(screen.cy, 1)});
   }
   HostTopology topology;
   topology.originX = LONG_MAX;
   topology.originY = LONG_MAX;
   for (const RECT &r : rects) {
      topology.originX = std::min(topology.originX, r.left);
      topology.originY = std::min(topology.originY, r.top);
   }
   for (size_t i = 0; i < rects.size(); ++i) {
      const RECT &r = rects[i];
      if (r.left == 0 && r.top == 0 && topology.primary < 0) {
         topology.primary = static_cast<int>(i);
      }
      if (r.left == kept.left && r.top == kept.top && topology.current < 0) {
         topology.current = static_cast<int>(i);
      }
      cui::FullscreenMgr::Monitor m;
      m.x = r.left - topology.originX;
      m.y = r.top - topology.originY;
      m.width = r.right - r.left;
      m.height = r.bottom - r.top;
      topology.monitors.push_back(m);
   }
   return topology;
}

RECT TopologyRect(const HostTopology &topology, const cui::FullscreenMgr::Monitor &box)
{
   LONG left = topology.originX + box.x;
   LONG top = topology.originY + box.y;
   return RECT{left, top, left + std::max(box.width, 1), top + std::max(box.height, 1)};
}

RECT ChooseMonitor(const std::vector<MonitorArea> &monitors, const RECT &window, const SIZE &screen)
{
   MonitorArea found = {};
   if (FindNearestMonitor(monitors, window, found) && !IsRectEmpty(&found.monitor)) {
      return found.monitor;
   }
   return RECT{0, 0, std::max<LONG>(screen.cx, 1), std::max<LONG>(screen.cy, 1)};
}

RECT ReturnPlacement(const std::vector<MonitorArea> &monitors, const RECT &saved)
{
   for (const MonitorArea &area : monitors) {
      RECT common = {};
      if (IntersectRect(&common, &saved, &area.monitor)) {
         return saved;
      }
   }
   MonitorArea nearest = {};
   if (!FindNearestMonitor(monitors, saved, nearest)) {
      return saved;
   }
   const RECT &work = IsRectEmpty(&nearest.work) ? nearest.monitor : nearest.work;
   LONG width = std::min(saved.right - saved.left, work.right - work.left);
   LONG height = std::min(saved.bottom - saved.top, work.bottom - work.top);
   LONG left = std::min(std::max(saved.left, work.left), work.right - width);
   LONG top = std::min(std::max(saved.top, work.top), work.bottom - height);
   return RECT{left, top, left + width, top + height};
}

std::string HookedKeysText()
{
   char text[128];
   snprintf(text, sizeof text, "0x%04x,0xFFFF;0x%04x,0xFFFF;0x%04x,0xFFFF;0x%04x,0xFFFF;0x%04x,0xFFFF;0x%04x,0xFFFF",
            kKeyEnter, kKeyLeft, kKeyRight, kKeyPadEnter, kKeyExtendedLeft, kKeyExtendedRight);
   return text;
}

cui::Prefs::MKSKeys KeysOfMessage(LPARAM lParam, bool shiftDown, bool ctrlDown)
{
   cui::Prefs::MKSKeys keys;
   // With Ctrl held a key comes as WM_KEYDOWN, whose context bit stays clear: Alt is also read
   // from the key state by the caller and passed through the message's bit.
   keys.alt = (HIWORD(lParam) & KF_ALTDOWN) ? cui::Prefs::MKS_DOWN : cui::Prefs::MKS_UP;
   keys.shift = shiftDown ? cui::Prefs::MKS_DOWN : cui::Prefs::MKS_UP;
   keys.ctrl = ctrlDown ? cui::Prefs::MKS_DOWN : cui::Prefs::MKS_UP;
   keys.gui = cui::Prefs::MKS_EITHER;
   return keys;
}

cui::Prefs::MKSKeys KeysHeld(bool altDown, bool shiftDown, bool ctrlDown)
{
   cui::Prefs::MKSKeys keys;
   keys.alt = altDown ? cui::Prefs::MKS_DOWN : cui::Prefs::MKS_UP;
   keys.shift = shiftDown ? cui::Prefs::MKS_DOWN : cui::Prefs::MKS_UP;
   keys.ctrl = ctrlDown ? cui::Prefs::MKS_DOWN : cui::Prefs::MKS_UP;
   return keys;
}

bool CZOLTFrame::ModeTransition(int oldMode, int newMode)
{
   if (IsWholeMonitor(newMode)) {
      if (oldMode == MODE_QUICK_SWITCH) {
         LeaveQuickSwitch();
      } else if (oldMode == MODE_FULL_SCREEN) {
         LeaveFullScreen();
      }
      EnterWholeMonitor(newMode);
      // The placement to come back to is the one from before the first whole-monitor mode.
      return true;
   }
   if (oldMode == MODE_QUICK_SWITCH) {
      LeaveQuickSwitch();
   } else if (oldMode == MODE_FULL_SCREEN) {
      LeaveFullScreen();
   }
   savedPlacementMode_ = MODE_NORMAL;
   return false;
}

void CZOLTFrame::EnterWholeMonitor(int newMode)
{
   bool fromWholeMonitor = IsWholeMonitor(savedPlacementMode_);
   LONG_PTR style = GetWindowLongPtr(GWL_STYLE);
   if (IsZoomed()) {
      SetWindowLongPtr(GWL_STYLE, style & ~kSizingStyle);
      SetWindowPos(nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      ShowWindow(SW_RESTORE);
   }
   RECT window = {};
   GetWindowRect(&window);
   if (!fromWholeMonitor) {
      monitorRect_ = ChooseMonitor(GetMonitors(), window, ScreenSize());
      savedPlacement_ = {};
      savedPlacement_.length = sizeof savedPlacement_;
      ::GetWindowPlacement(m_hWnd, &savedPlacement_);
      viewExStyle_ = view_.m_hWnd ? view_.GetWindowLongPtr(GWL_EXSTYLE) : 0;
   }
   savedPlacementMode_ = newMode;
   style = GetWindowLongPtr(GWL_STYLE);
   SetWindowLongPtr(GWL_STYLE, (style & ~kChromeStyle) | WS_POPUP);
   if (view_.m_hWnd) {
      view_.SetWindowLongPtr(GWL_EXSTYLE, viewExStyle_ & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
   }
   SetWindowPos(nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
   if (cmdbar_.m_hWnd) {
      cmdbar_.ShowWindow(SW_HIDE);
   }
   cui::Prefs *prefs = cui::GetPrefs();
   wui::Prefs *wprefs = wui::GetPrefs();
   bool topmost = !wprefs || wprefs->GetTopmostEnabled();
   UINT frameFlags = SWP_SHOWWINDOW | (topmost ? 0 : SWP_NOZORDER);
   const RECT &m = monitorRect_;
   if (newMode == MODE_QUICK_SWITCH) {
      hotZone_.SetShowDelay(prefs ? prefs->GetQuickSwitchMenuDelay() : 400);
      hotZone_.SetHideDelay(kQuickSwitchHideDelay);
      hotZone_.SetMargin(kQuickSwitchMargin);
      hotZone_.SetPeekHeight(0);
      hotZone_.SetTarget(cmdbar_.m_hWnd);
      hotZone_.SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
      hotZone_.SetPinned(false);
      SetWindowPos(HWND_TOPMOST, m.left, m.top, m.right - m.left, m.bottom - m.top, frameFlags);
      return;
   }
   EnsureFSToolbar();
   fsToolbar_.ShowGrabButtons(GetMonitors().size() > 1);
   fsToolbar_.SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
   fsToolbar_.SetHotZone(hotZone_.m_hWnd);
   hotZone_.SetShowDelay(prefs ? prefs->GetFullScreenShowDelay() : 400);
   hotZone_.SetHideDelay(prefs ? prefs->GetFullScreenHideDelay() : 1000);
   hotZone_.SetMargin(kFullScreenMargin);
   hotZone_.SetPeekHeight(prefs ? prefs->GetFullScreenToolbarPixels() : 0);
   hotZone_.SetTarget(fsToolbar_.m_hWnd);
   hotZone_.SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
   hotZone_.SetPinned(wprefs && wprefs->GetFullScreenPin());
   fsToolbar_.UpdateMachine();
   fsToolbar_.SetActive(true);
   SetWindowPos(HWND_TOPMOST, m.left, m.top, m.right - m.left, m.bottom - m.top, frameFlags);
   GotoCurTopology();
   if (cui::VM *vm = GetCurrentVM()) {
      if (cui::MKS *mks = vm->GetMKS()) {
         mks->SetGrabState(cui::MKS::GRAB_GRABBED, cui::AbortSlot(), cui::DoneSlot());
      }
   }
   Log("CZOLTFrame: full screen on %ld,%ld %ldx%ld\n", m.left, m.top, m.right - m.left, m.bottom - m.top);
}

void CZOLTFrame::RestoreChrome()
{
   LONG_PTR style = GetWindowLongPtr(GWL_STYLE);
   SetWindowLongPtr(GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | kChromeStyle);
   if (view_.m_hWnd) {
      view_.SetWindowLongPtr(GWL_EXSTYLE, viewExStyle_);
   }
   SetWindowPos(nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
   SetWindowPos(HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW | SWP_NOACTIVATE);
}

void CZOLTFrame::LeaveQuickSwitch()
{
   if (hotZone_.IsWindowVisible()) {
      hotZone_.SetPinned(false);
   }
   hotZone_.ShowWindow(SW_HIDE);
   hotZone_.SetTarget(nullptr);
   if (cmdbar_.m_hWnd) {
      cmdbar_.ShowWindow(SW_SHOW);
   }
   RestoreChrome();
}

void CZOLTFrame::LeaveFullScreen()
{
   hotZone_.SetPinned(false);
   hotZone_.ShowWindow(SW_HIDE);
   hotZone_.SetTarget(nullptr);
   if (fsToolbar_.m_hWnd) {
      fsToolbar_.SetActive(false);
      fsToolbar_.SetHotZone(nullptr);
      fsToolbar_.ShowWindow(SW_HIDE);
   }
   if (cmdbar_.m_hWnd) {
      cmdbar_.ShowWindow(SW_SHOW);
   }
   RestoreChrome();
   if (fullscreenMgr_) {
      fullscreenMgr_->LeaveFullscreen();
   }
   // The monitor may have gone meanwhile: come back on one that is there.
   RECT back = ReturnPlacement(GetMonitors(), monitorRect_);
   SetWindowPos(nullptr, back.left, back.top, back.right - back.left, back.bottom - back.top,
                SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
   Log("CZOLTFrame: full screen left\n");
}

void CZOLTFrame::UpdateHostTopology()
{
   topology_ = ComputeHostTopology(GetMonitors(), monitorRect_, ScreenSize());
   if (fullscreenMgr_) {
      fullscreenMgr_->SetHostTopology(topology_.monitors);
      fullscreenMgr_->StartFullscreen(topology_.current);
   }
}

void CZOLTFrame::GotoCurTopology()
{
   cui::VM *vm = GetCurrentVM();
   if (!vm || vm->GetPowerState() != cui::VM::POWERED_ON || !fullscreenMgr_) {
      return;
   }
   if (wui::Prefs *prefs = wui::GetPrefs()) {
      prefs->SetViewType("console");
   }
   UpdateHostTopology();
   fullscreenMgr_->GotoCurTopology(vm);
   if (fsToolbar_.m_hWnd) {
      fsToolbar_.EnableMultiMon(fullscreenMgr_->CanMultiMon(vm, nullptr));
   }
}

void CZOLTFrame::PlaceOnTopology(bool next)
{
   cui::VM *vm = GetCurrentVM();
   if (!fullscreenMgr_) {
      return;
   }
   if (next) {
      fullscreenMgr_->NextTopology();
   }
   std::vector<int> indices = fullscreenMgr_->GotoCurTopology(vm);
   RECT rect = TopologyRect(topology_, fullscreenMgr_->GetBoundBox(indices));
   wui::Prefs *prefs = wui::GetPrefs();
   bool topmost = !prefs || prefs->GetTopmostEnabled();
   SetWindowPos(HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                SWP_SHOWWINDOW | (topmost ? 0 : SWP_NOZORDER));
   if (fsToolbar_.m_hWnd) {
      fsToolbar_.SetMultiMonImage(indices.size() > 1);
      fsToolbar_.EnableMultiMon(fullscreenMgr_->CanMultiMon(vm, nullptr));
   }
   Log("CZOLTFrame: full screen on %ld,%ld %ldx%ld\n", rect.left, rect.top, rect.right - rect.left,
       rect.bottom - rect.top);
}

void CZOLTFrame::OnMultiMonRequest()
{
   cui::VM *vm = GetCurrentVM();
   if (appliedMode_ != MODE_FULL_SCREEN || !vm || !fullscreenMgr_) {
      return;
   }
   std::vector<std::string> reasons;
   if (fullscreenMgr_->CanMultiMon(vm, &reasons)) {
      PlaceOnTopology(true);
      return;
   }
   if (reasons.empty()) {
      return;
   }
   std::string lines;
   for (const std::string &reason : reasons) {
      lines += cui::Format(gMultimonFailReason.GetLiteral().c_str(), reason.c_str());
   }
   std::string text = cui::Format(gMultimonFailFormat.GetLiteral().c_str(), lines.c_str());
   MessageBoxW(m_hWnd, WideFromUtf8(text).c_str(), WideFromUtf8(gMultimonFailTitle.GetText()).c_str(), MB_ICONHAND);
}

bool CZOLTFrame::OnHotKey(int key)
{
   wui::Prefs *prefs = wui::GetPrefs();
   bool fullScreen = prefs && prefs->GetFullScreen();
   switch (key) {
   case kKeyEnter:
   case kKeyPadEnter:
      if (consoleFullScreen_) {
         if (ctx_.IsValid() && GetCurrentVM()) {
            ctx_.Set(GetCurrentVM()->GetVmPath() + "mks/windowState/val", "windowed");
         }
      } else if (prefs) {
         prefs->SetFullScreen(!prefs->GetFullScreen());
      }
      return true;
   case kKeyLeft:
   case kKeyExtendedLeft:
   case kKeyRight:
   case kKeyExtendedRight:
      if (fullScreen && !consoleFullScreen_ && fsToolbar_.m_hWnd) {
         switching_ = true;
         fsToolbar_.OnHotKey(key == kKeyRight || key == kKeyExtendedRight);
         switching_ = false;
      }
      return true;
   case kKeyDown:
   case kKeyExtendedDown:
      if (fullScreen && !consoleFullScreen_ && fsToolbar_.m_hWnd) {
         fsToolbar_.CanSwitchNext();
      }
      return true;
   default:
      return false;
   }
}

void CZOLTFrame::UpdateHookedKeys()
{
   hookedKeyConnection_.disconnect();
   cui::VM *vm = GetCurrentVM();
   cui::MKS *mks = vm ? vm->GetMKS() : nullptr;
   if (!mks) {
      return;
   }
   wui::Prefs *prefs = wui::GetPrefs();
   try {
      mks->SetHookedKeys(prefs && prefs->GetFullScreen() ? HookedKeysText() : std::string());
   } catch (const cui::Error &error) {
      Warning("CZOLTFrame::UpdateHookedKeys failed: %s\n", error.what());
   }
   hookedKeyConnection_ = mks->hookedKey.connect([this](std::string text) { Guard([this, text]() { OnHookedKey(text); }); });
}

void CZOLTFrame::OnHookedKey(const std::string &text)
{
   int key = 0;
   if (!cui::ParseHookedKey(text, key)) {
      Warning("CZOLTFrame::OnHookedKey: refused \"%s\"\n", text.c_str());
      return;
   }
   OnHotKey(key);
}

bool CZOLTFrame::GetVirtualScreenSize(int &width, int &height) const
{
   cui::VM *vm = GetCurrentVM();
   if (!vm || !ctx_.IsValid()) {
      return false;
   }
   try {
      long w = ctx_.GetInt(vm->GetVmPath() + "mks/virtualScreen/width", 0);
      long h = ctx_.GetInt(vm->GetVmPath() + "mks/virtualScreen/height", 0);
      if (w < 1 || h < 1) {
         return false;
      }
      width = static_cast<int>(w);
      height = static_cast<int>(h);
      return true;
   } catch (const cui::Error &) {
      return false;
   }
}

bool CZOLTFrame::OnWindowStateChanged()
{
   cui::VM *vm = GetCurrentVM();
   if (!vm || !ctx_.IsValid()) {
      return false;
   }
   std::string path = vm->GetVmPath() + "mks/";
   std::string state = ctx_.Get(path + "windowState/val");
   if (state == "fullScreen") {
      if (consoleFullScreen_) {
         return false;
      }
      GetWindowRect(&consoleFullScreenRect_);
      long x = ctx_.GetInt(path + "fullscreenOrigin/x", 0);
      long y = ctx_.GetInt(path + "fullscreenOrigin/y", 0);
      SetWindowPos(HWND_BOTTOM, x, y, 320, 200, SWP_NOACTIVATE);
      consoleFullScreen_ = true;
      return true;
   }
   if (consoleFullScreen_) {
      wui::Prefs *prefs = wui::GetPrefs();
      if (prefs && prefs->GetFullScreenV5()) {
         const RECT &r = consoleFullScreenRect_;
         SetWindowPos(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
         prefs->SetFullScreen(false);
      }
      consoleFullScreen_ = false;
   }
   return false;
}

void CZOLTFrame::OnCurrentMachineChanged()
{
   UpdateHookedKeys();
   if (fsToolbar_.m_hWnd) {
      fsToolbar_.UpdateMachine();
   }
   wui::Prefs *prefs = wui::GetPrefs();
   if (prefs && prefs->GetFullScreen() && appliedMode_ == MODE_FULL_SCREEN) {
      GotoCurTopology();
      PlaceOnTopology(false);
   }
   OnMachinePowerChanged();
}

void CZOLTFrame::OnMachinePowerChanged()
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs || !prefs->GetFullScreen() || switching_) {
      return;
   }
   // Full screen shows a running machine only: one that stops, or goes away, ends it.
   cui::VM *vm = GetCurrentVM();
   if (!vm || vm->GetPowerState() != cui::VM::POWERED_ON) {
      Log("CZOLTFrame: the machine in full screen is no longer running\n");
      prefs->SetFullScreen(false);
   }
}

void CZOLTFrame::OnPinPrefChanged()
{
   wui::Prefs *prefs = wui::GetPrefs();
   bool pinned = prefs && prefs->GetFullScreenPin();
   if (fsToolbar_.m_hWnd) {
      fsToolbar_.OnPinChanged(pinned);
   }
   if (appliedMode_ == MODE_FULL_SCREEN) {
      hotZone_.SetPinned(pinned || openMenus_ > 0);
   }
}

void CZOLTFrame::OnFullScreenPrefsChanged()
{
   OnPinPrefChanged();
   cui::Prefs *prefs = cui::GetPrefs();
   if (appliedMode_ == MODE_FULL_SCREEN && prefs) {
      hotZone_.SetShowDelay(prefs->GetFullScreenShowDelay());
      hotZone_.SetHideDelay(prefs->GetFullScreenHideDelay());
      hotZone_.SetPeekHeight(prefs->GetFullScreenToolbarPixels());
   }
}

void CZOLTFrame::PlaceFullScreenBars(const RECT &client)
{
   if (appliedMode_ == MODE_QUICK_SWITCH && cmdbar_.m_hWnd) {
      RECT bar = {};
      cmdbar_.GetWindowRect(&bar);
      int height = bar.bottom - bar.top;
      POINT corner = {monitorRect_.left, monitorRect_.top};
      ScreenToClient(&corner);
      int width = monitorRect_.right - monitorRect_.left;
      cmdbar_.SetWindowPos(nullptr, corner.x, hotZone_.GetPosition(height), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
      hotZone_.SetWindowPos(nullptr, corner.x, 0, width, 1, SWP_NOZORDER | SWP_NOACTIVATE);
      return;
   }
   if (appliedMode_ == MODE_FULL_SCREEN && fsToolbar_.m_hWnd) {
      std::string longest;
      if (cui::VMMgr *vmMgr = cui::GetVMMgr()) {
         for (cui::VM *vm : vmMgr->GetVMs()) {
            if (vm->GetName().size() > longest.size()) {
               longest = vm->GetName();
            }
         }
      }
      int available = client.right - client.left;
      int width = std::min(fsToolbar_.GetWidth(longest), available);
      int height = fsToolbar_.GetHeight();
      int left = client.left + (available - width) / 2;
      fsToolbar_.SetWindowPos(nullptr, left, hotZone_.GetPosition(height), width, height, SWP_NOZORDER | SWP_NOACTIVATE);
      hotZone_.SetWindowPos(nullptr, left, 0, width, 1, SWP_NOZORDER | SWP_NOACTIVATE);
   }
}

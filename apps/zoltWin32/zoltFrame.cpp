#include "zoltFrame.h"

#include "CommandLineParser.h"
#include "zoltApp.h"
#include "zoltCommandLine.h"
#include "zoltGuard.h"
#include "zoltMonitors.h"
#include "zoltMsg.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "resource.h"

#include "atl/AxHost.h"
#include "cui/AppDataPaths.h"
#include "cui/NotificationMgr.h"
#include "cui/FullscreenMgr.h"
#include "cui/MKS.h"
#include "cui/ToolTipWnd.h"
#include "cui/Util.h"
#include "cui/cui.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"
#include "tremorybase/ScopeGuard.h"
#include "tremorybase/Text.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace {

const char kPlacement[] = "val/zolt/placement/";
const char kNavbarWidth[] = "val/zolt/view/navBar/width";
const char kStatusBarControl[] = "tremappsdk.VMStatusbarCtl.9";
const int kMinNavbarWidth = 100;

// WM_SYSCOMMAND leaves the low four bits of its command to the system: the item's id keeps them clear.
static_assert((CZOLTFrame::kSysToggleChrome & 0xF) == 0, "a system-menu command's low four bits must be 0");

const char kOneMachineRunning[] =
   ZOLT_MSG("msg.zoltFrame.qes.vmrunning", "A virtual machine is in use. Close it before you end the session.");
const char kMachinesRunning[] =
   ZOLT_MSG("msg.zoltFrame.qes.vmsrunning", "%d virtual machines are in use. Close them before you end the session.");
const char kSessionEnding[] =
   ZOLT_MSG("msg.zoltFrame.warning.sessionend", "Windows is ending the session. Closing the virtual machines...");

// The file-import records handed out and not yet taken back.
std::set<FileImportRecord *> &OutstandingImports()
{
   static std::set<FileImportRecord *> records;
   return records;
}

typedef BOOL(WINAPI *ShutdownBlockReasonCreateFn)(HWND, LPCWSTR);
typedef BOOL(WINAPI *ShutdownBlockReasonDestroyFn)(HWND);

// The session-end block calls, looked up at run time: where they are missing or fail, the
// caller falls back to telling the user.
bool SetShutdownBlockReason(HWND wnd, const std::string &reason)
{
   HMODULE user = GetModuleHandleA("user32.dll");
   auto create = user ? reinterpret_cast<ShutdownBlockReasonCreateFn>(
                            reinterpret_cast<void *>(GetProcAddress(user, "ShutdownBlockReasonCreate")))
                      : nullptr;
   if (!create) {
      return false;
   }
   return create(wnd, WideFromUtf8(reason).c_str()) != FALSE;
}

void ClearShutdownBlockReason(HWND wnd)
{
   HMODULE user = GetModuleHandleA("user32.dll");
   auto destroy = user ? reinterpret_cast<ShutdownBlockReasonDestroyFn>(
                             reinterpret_cast<void *>(GetProcAddress(user, "ShutdownBlockReasonDestroy")))
                       : nullptr;
   if (destroy) {
      destroy(wnd);
   }
}

struct Placement {
   long left, top, right, bottom;
};

// Whether any part of `rect` lies on a monitor there is now.
bool OnSomeMonitor(const RECT &rect)
{
   for (const MonitorArea &area : GetMonitors()) {
      RECT common = {};
      if (IntersectRect(&common, &rect, &area.monitor)) {
         return true;
      }
   }
   return false;
}

Placement ReadPlacement(const vmdb::Ctx &ctx, const std::string &root)
{
   std::string base = root + kPlacement;
   return Placement{ctx.GetInt(base + "left", 0), ctx.GetInt(base + "top", 0), ctx.GetInt(base + "right", 0),
                    ctx.GetInt(base + "bottom", 0)};
}

}  // namespace

bool ReadCopyDataText(const COPYDATASTRUCT *data, std::string &text)
{
   if (!data || !data->lpData || data->cbData == 0) {
      return false;
   }
   // A sender's text must end within the bytes it says it sent: never read past cbData.
   const char *bytes = static_cast<const char *>(data->lpData);
   const void *end = memchr(bytes, '\0', data->cbData);
   if (!end) {
      return false;
   }
   text.assign(bytes, static_cast<const char *>(end) - bytes);
   return true;
}

LRESULT AnswerHandOff(ULONG_PTR dwData, const std::string &commandLine)
{
   if (dwData != 0 && dwData != 1) {
      return 0;
   }
   CommandLineOptions options;
   if (ParseCommandLine(commandLine.c_str(), false, options) != PARSE_GO_ON || !gApp) {
      return 0;
   }
   if (dwData == 0) {
      return gApp->CanHandleCommandLine(options) ? 1 : 0;
   }
   return gApp->OpenFromOptions(options, true) ? 1 : 0;
}

int ComputeWindowMode(int fitFlags, bool fitInProgress, bool maximized)
{
   if (fitFlags & FIT_QUICK_SWITCH) {
      return MODE_QUICK_SWITCH;
   }
   if (fitFlags & FIT_FULL_SCREEN) {
      return MODE_FULL_SCREEN;
   }
   if (fitInProgress) {
      return MODE_NORMAL;
   }
   if (fitFlags & FIT_GUEST) {
      return MODE_GUEST_FOLLOWS_WINDOW;
   }
   if ((fitFlags & FIT_WINDOW) && !maximized) {
      return MODE_WINDOW_FOLLOWS_GUEST;
   }
   return MODE_NORMAL;
}

FrameLayout ComputeFrameLayout(const FrameLayoutInput &input)
{
   FrameLayout layout;
   const RECT &client = input.client;
   bool fullScreen = input.mode == MODE_QUICK_SWITCH || input.mode == MODE_FULL_SCREEN;
   layout.showSidebar = input.sidebar && input.chrome && !fullScreen;
   layout.showStatus = input.statusBar && input.chrome && !fullScreen;
   layout.showCmdbar = input.chrome && !fullScreen;
   int contentTop = client.top;
   if (layout.showCmdbar) {
      layout.cmdbar = {client.left, client.top, client.right, client.top + input.cmdbarHeight};
      contentTop = layout.cmdbar.bottom;
   }
   int bottom = client.bottom - (layout.showStatus ? input.statusHeight : 0);
   bottom = std::max(bottom, contentTop);
   int sidebarWidth = layout.showSidebar ? std::min<int>(input.sidebarWidth, client.right - client.left) : 0;
   if (layout.showSidebar) {
      layout.sidebar = {client.left, contentTop, client.left + sidebarWidth, bottom};
   }
   layout.view = {client.left + sidebarWidth, contentTop, client.right, bottom};
   if (layout.showStatus) {
      layout.status = {client.left, bottom, client.right, client.bottom};
   }
   return layout;
}

int ClampNavbarWidth(long stored, int clientWidth)
{
   long width = stored <= 0 ? CZOLTFrame::kDefaultNavbarWidth : stored;
   width = std::max<long>(width, kMinNavbarWidth);
   if (clientWidth > kMinNavbarWidth) {
      width = std::min<long>(width, clientWidth);
   }
   return static_cast<int>(width);
}

std::string RunningMachinesReason(int running)
{
   if (running <= 0) {
      return std::string();
   }
   return running == 1 ? cui::GetLocalString(kOneMachineRunning) : cui::Format(kMachinesRunning, running);
}

FileImportRecord *CZOLTFrame::NewFileImportRecord()
{
   auto *record = new FileImportRecord;
   OutstandingImports().insert(record);
   return record;
}

CZOLTFrame::CZOLTFrame() = default;

CZOLTFrame::~CZOLTFrame()
{
   DestroyImages(largeIcon_, smallIcon_);
}

HWND CZOLTFrame::CreateFrame(const char *title)
{
   // The layer's default rectangle gives CW_USEDEFAULT for position and size. The title is set
   // once the window is there, through the wide call, so any name shows as written.
   if (!Create(nullptr, &CWindow::rcDefault, nullptr, kStyle, 0)) {
      return nullptr;
   }
   SetWindowTextUtf8(m_hWnd, title ? title : "");
   return m_hWnd;
}

bool CZOLTFrame::DoIdleWork()
{
   CZOLTStatusPane &pane = view_.GetStatusPane();
   return pane.m_hWnd && pane.MakeNextPage();
}

void CZOLTFrame::EnsureFSToolbar()
{
   if (fsToolbar_.m_hWnd || !m_hWnd) {
      return;
   }
   // Hidden until full screen configures and shows it.
   RECT client = {};
   GetClientRect(&client);
   RECT fsBar = {0, 0, client.right, 26};
   fsToolbar_.Create(m_hWnd, &fsBar, nullptr, 0, 0);
   if (fsToolbar_.m_hWnd) {
      RECT sized = {0, 0, client.right, fsToolbar_.GetHeight()};
      fsToolbar_.MoveWindow(&sized, FALSE);
   }
}

bool CZOLTFrame::HasOtherFrame() const
{
   for (HWND wnd = FindWindowExA(nullptr, nullptr, "ZOLTFrame", nullptr); wnd;
        wnd = FindWindowExA(nullptr, wnd, "ZOLTFrame", nullptr)) {
      if (wnd != m_hWnd) {
         return true;
      }
   }
   return false;
}

void CZOLTFrame::RestorePlacement()
{
   WINDOWPLACEMENT placement = {};
   placement.length = sizeof placement;
   ::GetWindowPlacement(m_hWnd, &placement);
   if (cui::Prefs *prefs = cui::GetPrefs()) {
      Placement saved = ReadPlacement(prefs->GetCtx(), prefs->GetRequestPath());
      RECT rect = {saved.left, saved.top, saved.right, saved.bottom};
      if (!IsRectEmpty(&rect)) {
         RECT &normal = placement.rcNormalPosition;
         // Another frame already stands there, or the monitor it was on is gone: keep the
         // system's position, take the size.
         if (HasOtherFrame() || !OnSomeMonitor(rect)) {
            normal.right = normal.left + (rect.right - rect.left);
            normal.bottom = normal.top + (rect.bottom - rect.top);
         } else {
            normal = rect;
         }
      }
   }
   placement.flags = 0;
   placement.showCmd = SW_SHOWNORMAL;
   ::SetWindowPlacement(m_hWnd, &placement);
}

void CZOLTFrame::SavePlacement(bool keepSize)
{
   WINDOWPLACEMENT placement = {};
   placement.length = sizeof placement;
   cui::Prefs *prefs = cui::GetPrefs();
   if (!prefs || !::GetWindowPlacement(m_hWnd, &placement)) {
      return;
   }
   vmdb::Ctx &ctx = prefs->GetCtx();
   const std::string root = prefs->GetRequestPath();
   RECT rect = placement.rcNormalPosition;
   if (keepSize) {
      Placement saved = ReadPlacement(ctx, root);
      rect.right = rect.left + (saved.right - saved.left);
      rect.bottom = rect.top + (saved.bottom - saved.top);
   }
   vmdb::Batch batch(ctx);
   std::string base = root + kPlacement;
   ctx.Set(base + "left", vmdb::Value(static_cast<long>(rect.left)));
   ctx.Set(base + "top", vmdb::Value(static_cast<long>(rect.top)));
   ctx.Set(base + "right", vmdb::Value(static_cast<long>(rect.right)));
   ctx.Set(base + "bottom", vmdb::Value(static_cast<long>(rect.bottom)));
   ctx.Set(root + kNavbarWidth, vmdb::Value(static_cast<long>(navbarWidth_)));
}

BOOL CZOLTFrame::PreTranslateMessage(MSG *msg)
{
   UINT message = msg->message;
   if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP) {
      wui::Prefs *prefs = wui::GetPrefs();
      bool fullScreen = prefs && prefs->GetFullScreen();
      if (fullScreen) {
         bool altDown = (GetKeyState(VK_MENU) & 0x8000) != 0;
         cui::Prefs::MKSKeys held = KeysOfMessage(msg->lParam | (altDown ? static_cast<LPARAM>(KF_ALTDOWN) << 16 : 0),
                                                  (GetKeyState(VK_SHIFT) & 0x8000) != 0,
                                                  (GetKeyState(VK_CONTROL) & 0x8000) != 0);
         if (message != WM_SYSKEYUP && cui::Prefs::MKSKeysMatch(held, prefs->GetMKSKeys()) &&
             OnHotKey(static_cast<int>(msg->wParam))) {
            return TRUE;
         }
      } else if (cmdbar_.m_hWnd && cmdbar_.PreTranslateMessage(msg)) {
         return TRUE;
      }
   }
   wui::DlgMgr *dlgMgr = wui::GetDlgMgr();
   return dlgMgr && dlgMgr->PreTranslateMessage(msg, false);
}

void CZOLTFrame::CallConsoleCtl()
{
   view_.CallConsoleCtl();
}

cui::VM *CZOLTFrame::GetCurrentVM() const
{
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   if (!vmMgr || currentPath_.empty()) {
      return nullptr;
   }
   if (currentType_ == "vm") {
      return vmMgr->GetVMByVMPath(currentPath_);
   }
   if (currentType_ == "team") {
      cui::TeamMgr *teams = cui::GetTeamMgr();
      cui::Team *team = teams ? teams->GetTeamByCfgPath(currentPath_) : nullptr;
      cui::VM *vm = team ? team->GetCurrentVM() : nullptr;
      return vm ? vmMgr->GetVMByVMPath(vm->GetVmPath()) : nullptr;
   }
   return nullptr;
}

void CZOLTFrame::UpdateAutofitMode(bool apply)
{
   wui::Prefs *prefs = wui::GetPrefs();
   int flags = 0;
   if (prefs && prefs->GetFullScreen()) {
      flags = FIT_FULL_SCREEN;
   } else if (prefs) {
      if (prefs->GetQuickSwitch()) {
         flags |= FIT_QUICK_SWITCH;
      }
      int width = 0;
      int height = 0;
      if (GetVirtualScreenSize(width, height) && prefs->GetAutofitWindow()) {
         flags |= FIT_WINDOW;
      }
      if (cui::VM *vm = GetCurrentVM()) {
         if (prefs->GetAutofitGuest()) {
            flags |= vm->GetCanFitGuest() ? FIT_GUEST : FIT_GUEST_CANNOT;
         }
      }
   }
   fitFlags_ = flags;
   SetWindowMode(ComputeWindowMode(flags, fitInProgress_, IsZoomed() != FALSE), apply);
}

void CZOLTFrame::SetWindowMode(int mode, bool apply)
{
   mode_ = mode;
   if (!apply) {
      return;
   }
   // A mode stored without being applied is still to be carried out: compare with the last applied.
   int old = appliedMode_;
   appliedMode_ = mode;
   bool maximized = IsZoomed() != FALSE;
   canFitWindow_ = !maximized && mode != MODE_QUICK_SWITCH && mode != MODE_FULL_SCREEN;
   // The status bar shows its size grip only while the window can be sized.
   bool statusCanFit = canFitWindow_ != 0;
   CComPtr<IUnknown> control;
   if (statusHost_ && SUCCEEDED(atl::AtlAxGetControl(statusHost_, &control)) && control) {
      IVMStatusbarCtlPtr bar;
      if (SUCCEEDED(control->QueryInterface(__uuidof(IVMStatusbarCtl), reinterpret_cast<void **>(&bar))) && bar) {
         statusCanFit = bar->GetCanFitWindow() != VARIANT_FALSE;
         if (statusCanFit != (canFitWindow_ != 0)) {
            bar->PutCanFitWindow(canFitWindow_ ? VARIANT_TRUE : VARIANT_FALSE);
         }
      }
   }
   if (old == mode) {
      return;
   }
   if (ModeTransition(old, mode)) {
      return;
   }
   LONG_PTR style = GetWindowLongPtr(GWL_STYLE);
   LONG_PTR wanted = style;
   if (canFitWindow_) {
      wanted |= WS_THICKFRAME;
      if (mode != MODE_GUEST_FOLLOWS_WINDOW) {
         wanted |= WS_MAXIMIZEBOX;
      }
   } else if (!maximized) {
      wanted &= ~static_cast<LONG_PTR>(WS_THICKFRAME | WS_MAXIMIZEBOX);
   }
   if (wanted != style) {
      SetWindowLongPtr(GWL_STYLE, wanted);
      SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
   }
   if (old == MODE_QUICK_SWITCH || old == MODE_FULL_SCREEN) {
      // Exactly where it was, unless the monitor it stood on has gone meanwhile.
      WINDOWPLACEMENT placement = savedPlacement_;
      placement.length = sizeof placement;
      placement.rcNormalPosition = ReturnPlacement(GetMonitors(), placement.rcNormalPosition);
      placement.flags = 0;
      if (mode == MODE_WINDOW_FOLLOWS_GUEST || placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_MINIMIZE) {
         placement.showCmd = SW_RESTORE;
      }
      ::SetWindowPlacement(m_hWnd, &placement);
   }
   if (mode == MODE_WINDOW_FOLLOWS_GUEST && !maximized && (statusCanFit != (canFitWindow_ != 0))) {
      if (wui::Prefs *prefs = wui::GetPrefs()) {
         prefs->SetFitWindowEvent(true);
      }
   }
}

void CZOLTFrame::RecalcLayout(bool applyFit, bool updateMode)
{
   if (inLayout_ || !created_ || IsIconic()) {
      return;
   }
   inLayout_ = true;
   layoutSinceSizing_ = true;
   if (OnWindowStateChanged()) {
      inLayout_ = false;
      return;
   }
   UpdateAutofitMode(updateMode);

   wui::Prefs *prefs = wui::GetPrefs();
   bool restricted = gApp && gApp->IsCurrentVMGUIRestricted();
   FrameLayoutInput input;
   GetClientRect(&input.client);
   RECT cmdbar = {};
   if (cmdbar_.m_hWnd) {
      cmdbar_.GetWindowRect(&cmdbar);
   }
   input.cmdbarHeight = cmdbar.bottom - cmdbar.top;
   // While the user drags the side bar's edge, the side bar's own width is the one to keep.
   if (navbar_.m_hWnd && navbar_.IsUserSizing()) {
      RECT bar = {};
      navbar_.GetWindowRect(&bar);
      navbarWidth_ = ClampNavbarWidth(bar.right - bar.left, input.client.right);
   }
   input.sidebarWidth = navbarWidth_;
   input.statusHeight = statusHost_ ? kStatusBarHeight : 0;
   input.sidebar = prefs && prefs->GetSidebar() && !restricted;
   input.statusBar = (!prefs || prefs->GetStatusBarShow()) && statusHost_;
   input.chrome = !prefs || prefs->GetShowChrome();
   input.mode = appliedMode_;
   FrameLayout layout = ComputeFrameLayout(input);

   if (appliedMode_ == MODE_QUICK_SWITCH || appliedMode_ == MODE_FULL_SCREEN) {
      // The hot zone shows and hides its target: only its place is set here.
      PlaceFullScreenBars(input.client);
   } else if (cmdbar_.m_hWnd) {
      const RECT &r = layout.cmdbar;
      cmdbar_.SetWindowPos(nullptr, r.left, r.top, r.right - r.left, input.cmdbarHeight,
                           SWP_NOZORDER | SWP_NOACTIVATE | (layout.showCmdbar ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
   }
   if (navbar_.m_hWnd) {
      const RECT &r = layout.sidebar;
      navbar_.SetWindowPos(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                           SWP_NOZORDER | SWP_NOACTIVATE | (layout.showSidebar ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
   }
   viewRect_ = layout.view;
   if (view_.m_hWnd) {
      const RECT &r = layout.view;
      view_.SetWindowPos(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
   }
   if (statusHost_) {
      const RECT &r = layout.status;
      ::SetWindowPos(statusHost_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
      ::ShowWindow(statusHost_, layout.showStatus ? SW_SHOW : SW_HIDE);
   }
   // Only a shown window has a placement worth keeping: the sizes seen while it is created
   // would overwrite the saved placement before RestorePlacement reads it.
   if (mode_ == MODE_NORMAL && IsWindowVisible()) {
      SavePlacement(false);
   }
   inLayout_ = false;
   if (applyFit) {
      FitWindowStep();
      if (pendingFitEvent_ && (fitFlags_ & FIT_GUEST)) {
         pendingFitEvent_ = false;
         if (prefs) {
            prefs->SetFitGuestEvent(true, 0, 0);
         }
      }
   }
}

void CZOLTFrame::FitWindowStep()
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs) {
      return;
   }
   bool event = prefs->GetFitWindowEvent();
   if (event) {
      prefs->SetFitWindowEvent(false);
   }
   if ((mode_ == MODE_NORMAL && !event) || (mode_ == MODE_GUEST_FOLLOWS_WINDOW && userSizing_ && !event) ||
       mode_ == MODE_QUICK_SWITCH || mode_ == MODE_FULL_SCREEN) {
      return;
   }
   DestroySizingTooltip();
   int width = 0;
   int height = 0;
   if (!GetVirtualScreenSize(width, height)) {
      return;
   }
   if (!event) {
      if (!(fitFlags_ & FIT_WINDOW) || IsZoomed() || (width == lastFitWidth_ && height == lastFitHeight_)) {
         return;
      }
   }
   lastFitWidth_ = width;
   lastFitHeight_ = height;
   RECT console = {};
   view_.GetConsoleClientRect(&console);
   RECT window = {};
   GetWindowRect(&window);
   RECT wanted = window;
   wanted.right += width - (console.right - console.left);
   wanted.bottom += height - (console.bottom - console.top);
   if (!EqualRect(&wanted, &window)) {
      SetWindowPos(nullptr, wanted.left, wanted.top, wanted.right - wanted.left, wanted.bottom - wanted.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
   }
   view_.GetConsoleClientRect(&console);
   bool cut = console.right - console.left < width || console.bottom - console.top < height;
   // A window the system would not make large enough gets one more try, not more.
   if (cut && !resizedByFit_) {
      resizedByFit_ = true;
      prefs->SetFitWindowEvent(true);
   } else {
      resizedByFit_ = false;
   }
   Log("CZOLTFrame: window fitted to the guest's %d x %d\n", width, height);
}

void CZOLTFrame::FitGuestStep()
{
   wui::Prefs *prefs = wui::GetPrefs();
   int width = 0;
   int height = 0;
   if (!prefs || !prefs->GetFitGuestEvent(&width, &height)) {
      return;
   }
   prefs->SetFitGuestEvent(false, 0, 0);
   cui::VM *vm = GetCurrentVM();
   if (!vm || vm->GetPowerState() != cui::VM::POWERED_ON || !vm->GetCanFitGuest()) {
      return;
   }
   if (width == 0 && height == 0) {
      RECT console = {};
      view_.GetConsoleClientRect(&console);
      width = console.right - console.left;
      height = console.bottom - console.top;
   }
   int guestWidth = 0;
   int guestHeight = 0;
   cui::MKS *mks = vm->GetMKS();
   if (mks && mks->GetGuestResolution(guestWidth, guestHeight) && guestWidth == width && guestHeight == height) {
      return;
   }
   Log("CZOLTFrame: asking the guest for %d x %d\n", width, height);
   fitInProgress_ = true;
   vm->FitGuest(width, height, sigc::mem_fun(*this, &CZOLTFrame::OnGuestFitDone),
                sigc::mem_fun(*this, &CZOLTFrame::OnCtxFitGuestToWindow));
}

void CZOLTFrame::OnGuestFitDone()
{
   fitInProgress_ = false;
}

void CZOLTFrame::OnCtxFitGuestToWindow(cui::Error error)
{
   fitInProgress_ = false;
   if (statusHost_) {
      RECT rect = {};
      ::GetWindowRect(statusHost_, &rect);
      ::SetWindowPos(statusHost_, nullptr, 0, 0, rect.right - rect.left, rect.bottom - rect.top + 1,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
   }
   if (wui::Prefs *prefs = wui::GetPrefs()) {
      prefs->SetFitWindowEvent(true);
   }
   Warning("CZOLTFrame::OnCtxFitGuestToWindow failed: %s\n", error.what());
}

void CZOLTFrame::OnMenuTracking(bool open)
{
   openMenus_ += open ? 1 : -1;
   if (openMenus_ < 0) {
      openMenus_ = 0;
   }
   wui::Prefs *prefs = wui::GetPrefs();
   bool pinnedByPref = prefs && prefs->GetFullScreen() && prefs->GetFullScreenPin();
   if (!pinnedByPref && hotZone_.m_hWnd && hotZone_.IsWindowVisible()) {
      if (open && openMenus_ == 1) {
         hotZone_.SetPinned(true);
      } else if (!open && openMenus_ == 0) {
         hotZone_.SetPinned(false);
      }
   }
}

void CZOLTFrame::UpdateTitle()
{
   if (!m_hWnd) {
      return;
   }
   std::string part;
   wui::Prefs *prefs = wui::GetPrefs();
   if (prefs && prefs->GetUIMode() == cui::Prefs::UI_MODE_REMOTE) {
      if (ctx_.IsValid() && ctx_.GetBool(cui::appdata::kSessionActive, false)) {
         cui::Host *host = wui::GetCurrentHost();
         part = prefs->GetRemoteSession() && host ? host->GetPath() : LoadResString(IDS_LOCAL_HOST);
      } else if (!prefs->GetSessionPath().empty()) {
         part = LoadResString(IDS_DISCONNECTED);
      }
   } else if (prefs) {
      std::string type = prefs->GetCurrentObjType();
      std::string path = prefs->GetCurrentObjPath();
      if (type == "vm") {
         cui::VMMgr *vmMgr = cui::GetVMMgr();
         cui::VM *vm = vmMgr ? vmMgr->GetVMByVMPath(path) : nullptr;
         part = vm ? vm->GetName() : std::string();
      } else if (type == "team") {
         cui::TeamMgr *teams = cui::GetTeamMgr();
         cui::Team *team = teams ? teams->GetTeamByCfgPath(path) : nullptr;
         part = team ? team->GetName() : std::string();
      }
   }
   std::string app = gApp ? gApp->GetWindowTitle() : CZOLTApp::GetAppTitle();
   std::string title = part.empty() ? app : part + " - " + app;
   SetWindowTextUtf8(m_hWnd, title);
}

void CZOLTFrame::OnViewPrefChanged(const std::string &path)
{
   if (path.find("/fitGuestEvent") != std::string::npos) {
      FitGuestStep();
      return;
   }
   bool fitWindow = path.find("/fitWindowEvent") != std::string::npos;
   wui::Prefs *prefs = wui::GetPrefs();
   bool fullScreen = prefs && prefs->GetFullScreen();
   RecalcLayout(fitWindow, true);
   if (fullScreen != lastFullScreen_) {
      lastFullScreen_ = fullScreen;
      UpdateHookedKeys();
      if (!fullScreen && (fitFlags_ & FIT_GUEST) && prefs) {
         prefs->SetFitGuestEvent(true, 0, 0);
      }
   }
}

void CZOLTFrame::OnFocusEvent(const std::string &path)
{
   cui::VM *vm = GetCurrentVM();
   if (!vm || path.compare(0, vm->GetVmPath().size(), vm->GetVmPath()) != 0 || !ctx_.IsValid()) {
      return;
   }
   long value = ctx_.GetInt(vm->GetVmPath() + "mks/focusEvent", 0);
   Log("CZOLTFrame::OnFocusEvent: ID:%8x result:%x focusEvent:%d\n", static_cast<unsigned>(std::hash<std::string>()(vm->GetVmPath())),
       0u, static_cast<int>(value));
}

void CZOLTFrame::RegisterOnCtxCurrentObj()
{
   wui::Prefs *prefs = wui::GetPrefs();
   std::string path = prefs ? prefs->GetCurrentObjPath() : std::string();
   std::string type = prefs ? prefs->GetCurrentObjType() : std::string();
   if (path != currentPath_ || type != currentType_) {
      currentPath_ = path;
      currentType_ = type;
      vmConnection_.disconnect();
      powerConnection_.disconnect();
      if (cui::VM *vm = GetCurrentVM()) {
         vmConnection_ = vm->changed.connect([this]() {
            UpdateTitle();
            RecalcLayout(false, true);
         });
         powerConnection_ = vm->powerStateChanged.connect([this]() {
            Guard([this]() {
               OnMachinePowerChanged();
               FitGuestStep();
            });
         });
      }
      OnCurrentMachineChanged();
   } else {
      OnMachinePowerChanged();
   }
   UpdateAutofitMode(false);
   UpdateTitle();
}

void CZOLTFrame::CreateStatusBarHost()
{
   atl::AtlAxWinInit();
   RECT client = {};
   GetClientRect(&client);
   statusHost_ = CreateWindowExA(0, "AtlAxWin71", kStatusBarControl, kStatusHostStyle, 0,
                                 client.bottom - kStatusBarHeight, client.right, kStatusBarHeight, m_hWnd, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
   if (!statusHost_) {
      Warning("CZOLTFrame::OnCreate: no status bar host\n");
      return;
   }
   CComPtr<IUnknown> control;
   if (SUCCEEDED(atl::AtlAxGetControl(statusHost_, &control)) && control) {
      StatusbarSink::DispEventAdvise(control);
   }
}

void __stdcall CZOLTFrame::OnStatusbarCaptureMovie(BSTR vmPath)
{
   std::string path = Utf8FromBstr(vmPath);
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   cui::VM *vm = vmMgr && !path.empty() ? vmMgr->GetVMByVMPath(path) : nullptr;
   Log("CZOLTFrame::OnStatusbarCaptureMovie: %s\n", path.c_str());
   // The indicator shows only while a capture runs: clicking it stops that capture (action 1).
   if (vm && gApp) {
      gApp->CaptureMovie(vm, 1);
   }
}

void CZOLTFrame::OnConsoleSignal(bool grabbed)
{
   // A console that takes the input takes the keys too: a menu button left hot would wait for
   // keys that never come, and the machine learns that it has the focus.
   if (grabbed) {
      cmdbar_.GetMenubar().LeaveKeyboardMode();
      SendFocusEvent();
   }
   if (appliedMode_ == MODE_FULL_SCREEN && fsToolbar_.m_hWnd) {
      fsToolbar_.OnGrabChanged(grabbed);
   }
}

void CZOLTFrame::DestroyTip::operator()(wui::control::ToolTipWnd *tip) const
{
   tip->Destroy();
}

void CZOLTFrame::WatchNotifications()
{
   connections_.push_back(
      cui::GetNotificationMgr()->notified.connect([this](int id) { Guard([this, id]() { OnNotification(id); }); }));
}

void CZOLTFrame::EnsureNotificationTip()
{
   if (notificationTip_ || !m_hWnd) {
      return;
   }
   notificationTip_.reset(wui::control::ToolTipWnd::CreateInstance(m_hWnd, nullptr));
   if (notificationTip_) {
      connections_.push_back(
         notificationTip_->closed.connect([this]() { Guard([this]() { OnNotificationClosed(); }); }));
   }
}

void CZOLTFrame::OnNotification(int id)
{
   const cui::Notification *notification = cui::GetNotificationMgr()->Get(id);
   if (!notification) {
      return;
   }
   EnsureNotificationTip();
   if (!notificationTip_) {
      return;
   }
   shownNotifications_.push_back(id);
   notificationTip_->Show(notification->GetType(), notification->GetText(), notification->GetDetail());
   PlaceNotificationTip();
}

void CZOLTFrame::OnNotificationClosed()
{
   // The user saw every notification the tip held: the newest on top, the earlier under it.
   for (int id : shownNotifications_) {
      cui::GetNotificationMgr()->MarkRead(id);
   }
   shownNotifications_.clear();
}

void CZOLTFrame::PlaceNotificationTip()
{
   if (!notificationTip_ || !notificationTip_->IsVisible()) {
      return;
   }
   RECT anchor = {};
   if (statusHost_ && ::IsWindowVisible(statusHost_)) {
      ::GetWindowRect(statusHost_, &anchor);
   } else {
      GetWindowRect(&anchor);
      anchor.top = anchor.bottom;
   }
   notificationTip_->PlaceAbove(anchor);
}

void CZOLTFrame::AddSystemMenuItem()
{
   HMENU menu = GetSystemMenu(m_hWnd, FALSE);
   if (!menu) {
      return;
   }
   int count = GetMenuItemCount(menu);
   int lastSeparator = count;
   for (int i = count - 1; i >= 0; --i) {
      if (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) {
         lastSeparator = i;
         break;
      }
   }
   std::wstring text = WideFromUtf8(LoadResString(IDS_HIDE_CHROME));
   InsertMenuW(menu, lastSeparator, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
   InsertMenuW(menu, lastSeparator + 1, MF_BYPOSITION | MF_STRING, kSysToggleChrome, text.c_str());
}

void CZOLTFrame::WatchPreferences()
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs) {
      return;
   }
   vmdb::Ctx &prefsCtx = prefs->GetCtx();
   // Side bar, status bar, tabs, quick switch, full screen and autofit all live here.
   connections_.push_back(prefsCtx.Watch(prefs->GetRequestPath() + "val/zolt/view", vmdb::Ctx::kWatchSubtree,
                                         [this](const std::string &path) { Guard([this, path]() { OnViewPrefChanged(path); }); }));
   connections_.push_back(prefsCtx.Watch(prefs->GetRequestPath() + "val/zolt/fsToolbar", vmdb::Ctx::kWatchSubtree,
                                         [this](const std::string &) { Guard([this]() { OnFullScreenPrefsChanged(); }); }));
   connections_.push_back(prefs->currentObjChanged.connect([this]() {
      RegisterOnCtxCurrentObj();
      RecalcLayout(false, true);
   }));
   if (ctx_.IsValid()) {
      connections_.push_back(ctx_.Watch(cui::appdata::kCurrentHost, vmdb::Ctx::kWatchNode,
                                        [this](const std::string &) { UpdateTitle(); }));
      connections_.push_back(ctx_.Watch(cui::appdata::kSessionActive, vmdb::Ctx::kWatchNode,
                                        [this](const std::string &) { UpdateTitle(); }));
      connections_.push_back(ctx_.Watch("/vm/#/mks/windowState/val", vmdb::Ctx::kWatchNode,
                                        [this](const std::string &) { RecalcLayout(false, true); }));
      connections_.push_back(ctx_.Watch("/vm/#/mks/focusEvent", vmdb::Ctx::kWatchNode,
                                        [this](const std::string &path) { OnFocusEvent(path); }));
   }
   if (cui::VMMgr *vmMgr = cui::GetVMMgr()) {
      connections_.push_back(vmMgr->vmAdded.connect([this](cui::VM *) { RegisterOnCtxCurrentObj(); }));
      connections_.push_back(vmMgr->vmRemoved.connect([this](cui::VM *) {
         // The machine followed may be the one going: let go of it first.
         vmConnection_.disconnect();
         currentPath_.clear();
         currentType_.clear();
         RegisterOnCtxCurrentObj();
      }));
   }
}

LRESULT CZOLTFrame::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
   try {
      ctx_ = cui::GetNewVmdbCtx();
   } catch (const cui::Error &) {
      // No model context (a frame made alone): no watches and no title parts.
   }
   LoadEditionImage(largeIcon_, smallIcon_);
   SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_));
   SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
   RECT client = {};
   GetClientRect(&client);
   RECT bar = {0, 0, client.right, 100};
   cmdbar_.Create(m_hWnd, &bar, nullptr, 0, 0);
   RECT none = {};
   view_.Create(m_hWnd, &none, nullptr, CZOLTView::kChildStyle);
   connections_.push_back(view_.consoleSignal.connect(sigc::mem_fun(*this, &CZOLTFrame::OnConsoleSignal)));
   connections_.push_back(fsToolbar_.commandSignal.connect([this]() { Guard([this]() { OnMultiMonRequest(); }); }));
   RECT zone = {0, 0, client.right, 1};
   hotZone_.Create(m_hWnd, &zone, nullptr, 0, 0);
   CreateStatusBarHost();
   WatchNotifications();
   WatchPreferences();
   if (cui::Prefs *prefs = cui::GetPrefs()) {
      navbarWidth_ = ClampNavbarWidth(prefs->GetCtx().GetInt(prefs->GetRequestPath() + kNavbarWidth, 0), 0);
   }
   RECT sidebar = {0, client.top, kDefaultNavbarWidth, client.bottom};
   navbar_.Create(m_hWnd, &sidebar, nullptr, CZOLTNavbar::kChildStyle);
   AddSystemMenuItem();
   {
      std::vector<cui::FullscreenMgr::Monitor> monitors =
         ComputeHostTopology(GetMonitors(), RECT{}, SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)})
            .monitors;
      fullscreenMgr_.reset(new cui::FullscreenMgr(monitors, true));
   }
   if (wui::Prefs *prefs = wui::GetPrefs()) {
      lastFullScreen_ = prefs->GetFullScreen();
   }
   created_ = true;
   RegisterOnCtxCurrentObj();
   RecalcLayout(false, true);
   return 0;
}

LRESULT CZOLTFrame::OnDestroy(UINT, WPARAM, LPARAM, BOOL &)
{
   fullscreenMgr_.reset();
   powerConnection_.disconnect();
   hookedKeyConnection_.disconnect();
   for (sigc::connection &connection : connections_) {
      connection.disconnect();
   }
   connections_.clear();
   vmConnection_.disconnect();
   notificationTip_.reset();
   shownNotifications_.clear();
   notify_callbacks();
   ReleaseEventSource();
   ctx_ = vmdb::Ctx();
   Poll_SetWakeHook(nullptr);
   KillTimer(kPollTimer);
   KillTimer(kKeepOnTopTimer);
   DestroySizingTooltip();
   if (navbar_.m_hWnd) {
      navbar_.DestroyWindow();
   }
   StatusbarSink::DispEventUnadvise();
   if (statusHost_) {
      ::DestroyWindow(statusHost_);
      statusHost_ = nullptr;
   }
   created_ = false;
   return 0;
}

LRESULT CZOLTFrame::OnClose(UINT, WPARAM, LPARAM, BOOL &)
{
   // The application ends the session and then destroys this window.
   if (gApp) {
      gApp->Exit();
   }
   return 0;
}

LRESULT CZOLTFrame::OnSize(UINT, WPARAM, LPARAM, BOOL &)
{
   RecalcLayout(false, true);
   PlaceNotificationTip();
   return 0;
}

LRESULT CZOLTFrame::OnMoving(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   auto *proposed = reinterpret_cast<RECT *>(lParam);
   RECT current = {};
   GetWindowRect(&current);
   proposed->right = proposed->left + (current.right - current.left);
   proposed->bottom = proposed->top + (current.bottom - current.top);
   return TRUE;
}

LRESULT CZOLTFrame::OnMove(UINT, WPARAM, LPARAM, BOOL &)
{
   PlaceNotificationTip();
   return 0;
}

void CZOLTFrame::KeepInFront()
{
   if (enabled_ && !(GetWindowLongPtr(GWL_EXSTYLE) & WS_EX_TOPMOST)) {
      SetWindowPos(HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
   }
}

LRESULT CZOLTFrame::OnActivate(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
   WORD state = LOWORD(wParam);
   if (appliedMode_ != MODE_QUICK_SWITCH && appliedMode_ != MODE_FULL_SCREEN && (state == WA_ACTIVE || state == WA_CLICKACTIVE)) {
      KeepInFront();
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CZOLTFrame::OnActivateApp(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
   bool active = wParam != 0;
   bool fullModes = appliedMode_ == MODE_QUICK_SWITCH || appliedMode_ == MODE_FULL_SCREEN;
   if (!fullModes) {
      if (active) {
         KeepInFront();
      }
   }
   if (appliedMode_ == MODE_FULL_SCREEN && fsToolbar_.m_hWnd) {
      fsToolbar_.SetActive(active);
   }
   wui::Prefs *prefs = wui::GetPrefs();
   // Only a topmost whole-monitor frame steps aside for the window taking over.
   if (fullModes && (!prefs || prefs->GetTopmostEnabled())) {
      if (active) {
         KillTimer(kKeepOnTopTimer);
         keepOnTopCount_ = -1;
         SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
      } else {
         SetWindowPos(HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
         keepOnTopCount_ = 0;
         SetTimer(kKeepOnTopTimer, kKeepOnTopMs);
      }
   }
   SendFocusEvent();
   bHandled = FALSE;
   return 0;
}

void CZOLTFrame::OnKeepOnTopTick()
{
   ++keepOnTopCount_;
   HWND behind = nullptr;
   if (HWND foreground = GetForegroundWindow()) {
      HWND owner = ::GetWindow(foreground, GW_OWNER);
      behind = owner ? owner : foreground;
   } else if (keepOnTopCount_ > kKeepOnTopTicks) {
      behind = HWND_BOTTOM;
   }
   if (behind) {
      KillTimer(kKeepOnTopTimer);
      keepOnTopCount_ = -1;
      SetWindowPos(behind, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
   }
}

void CZOLTFrame::SendFocusEvent()
{
   cui::VM *vm = GetCurrentVM();
   if (!vm || !ctx_.IsValid() ||
       (vm->GetPowerState() == cui::VM::POWERED_OFF && vm->GetPowerOnActionState() != cui::VM::ACTION_RUNNING)) {
      return;
   }
   try {
      ctx_.Set(vm->GetVmPath() + "mks/focusEvent", vmdb::Value(1));
   } catch (const cui::Error &error) {
      Warning("CZOLTFrame::SendFocusEvent failed: %s\n", error.what());
   }
}

LRESULT CZOLTFrame::OnPaletteChanged(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   SendFocusEvent();
   bHandled = FALSE;
   return 0;
}

LRESULT CZOLTFrame::OnInitMenuPopup(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   if (!HIWORD(lParam)) {
      bHandled = FALSE;
      return 0;
   }
   wui::Prefs *prefs = wui::GetPrefs();
   bool chrome = !prefs || prefs->GetShowChrome();
   std::wstring text = WideFromUtf8(LoadResString(chrome ? IDS_HIDE_CHROME : IDS_SHOW_CHROME));
   ModifyMenuW(reinterpret_cast<HMENU>(wParam), kSysToggleChrome, MF_BYCOMMAND | MF_STRING, kSysToggleChrome,
               text.c_str());
   return 0;
}

LRESULT CZOLTFrame::OnSysCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   UINT command = static_cast<UINT>(wParam & 0xFFF0);
   if (command == kSysToggleChrome) {
      if (wui::Prefs *prefs = wui::GetPrefs()) {
         prefs->SetShowChrome(!prefs->GetShowChrome());
         // An in-memory setting: no database change tells the layout.
         RecalcLayout(false, true);
      }
      return 0;
   }
   if (command == SC_MAXIMIZE || command == SC_RESTORE) {
      LRESULT result = DefWindowProc(WM_SYSCOMMAND, wParam, lParam);
      RecalcLayout(false, true);
      if (fitFlags_ & FIT_GUEST) {
         if (wui::Prefs *prefs = wui::GetPrefs()) {
            prefs->SetFitGuestEvent(true, 0, 0);
         }
      }
      return result;
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CZOLTFrame::OnCopyData(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   const COPYDATASTRUCT *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
   std::string text;
   if (!ReadCopyDataText(data, text)) {
      Warning("CZOLTFrame::OnCopyData: refused data without a terminating zero\n");
      return 0;
   }
   // A password given with -w never reaches the log.
   std::string shown = data->dwData == 1 ? CommandLineParser::TextForLog(text.c_str()) : std::string();
   Warning("CZOLTFrame::OnCopyData %s\n", shown.c_str());
   return AnswerHandOff(data->dwData, text);
}

LRESULT CZOLTFrame::OnEnable(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   enabled_ = wParam != 0;
   // A modal dialog runs its own loop: the poll loop's callbacks and timers go on through this
   // window's messages, a post waking it at once and a timer set for the next one due.
   if (enabled_) {
      Poll_SetWakeHook(nullptr);
      KillTimer(kPollTimer);
   } else {
      HWND wnd = m_hWnd;
      std::shared_ptr<std::atomic<bool>> queued = pollStepQueued_;
      queued->store(false);
      Poll_SetWakeHook([wnd, queued]() {
         if (!queued->exchange(true)) {
            ::PostMessageW(wnd, WM_POLL_STEP, 0, 0);
         }
      });
      SetTimer(kPollTimer, kPollTimerMs);
   }
   return 0;
}

LRESULT CZOLTFrame::OnPollStep(UINT, WPARAM, LPARAM, BOOL &)
{
   // A callback of the step may open a dialog whose loop posts the next step: never nest them.
   if (inPollStep_) {
      return 0;
   }
   {
      inPollStep_ = true;
      // Posts the step makes are run by the next one, which the timer brings: a posted message
      // would come before input and painting, and a callback that posts itself would starve them.
      pollStepQueued_->store(true);
      ScopeGuard leave([this]() {
         inPollStep_ = false;
         pollStepQueued_->store(false);
      });
      // Inside another loop: run what is due without sleeping.
      Poll_Step(0);
   }
   if (!enabled_) {
      unsigned due = Poll_MsUntilDue();
      SetTimer(kPollTimer, std::max(1u, std::min(due, kPollTimerMs)));
   }
   return 0;
}

LRESULT CZOLTFrame::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
   if (wParam == kPollTimer) {
      PostMessage(WM_POLL_STEP);
   } else if (wParam == kKeepOnTopTimer) {
      OnKeepOnTopTick();
   } else {
      bHandled = FALSE;
   }
   return 0;
}

void CZOLTFrame::ShowSizingTooltip()
{
   RECT window = {};
   GetWindowRect(&window);
   if (sizingTooltip_) {
      ::SendMessageW(sizingTooltip_, TTM_TRACKPOSITION, 0, MAKELPARAM(window.right, window.bottom));
      return;
   }
   sizingTooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr, GetModuleHandleW(nullptr), nullptr);
   view_.SetConsoleVisible(false);
   if (!sizingTooltip_) {
      return;
   }
   TOOLINFOW tool = {};
   tool.cbSize = sizeof tool;
   tool.uFlags = TTF_TRACK;
   tool.hwnd = m_hWnd;
   tool.uId = 0;
   tool.lpszText = LPSTR_TEXTCALLBACKW;
   ::SendMessageW(sizingTooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
   ::SendMessageW(sizingTooltip_, TTM_TRACKPOSITION, 0, MAKELPARAM(window.right, window.bottom));
   ::SendMessageW(sizingTooltip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
}

void CZOLTFrame::DestroySizingTooltip()
{
   if (sizingTooltip_) {
      ::DestroyWindow(sizingTooltip_);
      sizingTooltip_ = nullptr;
   }
}

LRESULT CZOLTFrame::OnSizing(UINT, WPARAM, LPARAM, BOOL &)
{
   if (userSizing_ && mode_ == MODE_GUEST_FOLLOWS_WINDOW) {
      ShowSizingTooltip();
   }
   return TRUE;
}

LRESULT CZOLTFrame::OnEnterSizeMove(UINT, WPARAM, LPARAM, BOOL &)
{
   layoutSinceSizing_ = false;
   userSizing_ = true;
   RECT client = {};
   GetClientRect(&client);
   sizingStart_ = {client.right, client.bottom};
   return 0;
}

LRESULT CZOLTFrame::OnExitSizeMove(UINT message, WPARAM, LPARAM, BOOL &)
{
   userSizing_ = false;
   if (mode_ != MODE_GUEST_FOLLOWS_WINDOW) {
      return 0;
   }
   DestroySizingTooltip();
   RECT client = {};
   GetClientRect(&client);
   bool unchanged = client.right == sizingStart_.cx && client.bottom == sizingStart_.cy;
   if (unchanged && message != WM_END_USER_SIZING) {
      view_.SetConsoleVisible(true);
      return 0;
   }
   RecalcLayout(false, true);
   view_.SetConsoleVisible(true);
   return 0;
}

LRESULT CZOLTFrame::OnNotifyFormat(UINT, WPARAM, LPARAM, BOOL &)
{
   // The controls of this window send their text notifications in their wide forms.
   return NFR_UNICODE;
}

LRESULT CZOLTFrame::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   auto *header = reinterpret_cast<NMHDR *>(lParam);
   if (header->hwndFrom != sizingTooltip_ || !sizingTooltip_ || header->code != TTN_GETDISPINFOW) {
      bHandled = FALSE;
      return 0;
   }
   auto *info = reinterpret_cast<NMTTDISPINFOW *>(lParam);
   RECT console = {};
   view_.GetConsoleClientRect(&console);
   int width = std::max<int>(1, console.right - console.left);
   int height = std::max<int>(1, console.bottom - console.top);
   swprintf(info->szText, sizeof info->szText / sizeof info->szText[0], L"(%d x %d)", width, height);
   info->lpszText = info->szText;
   return 0;
}

LRESULT CZOLTFrame::OnRelayout(UINT, WPARAM, LPARAM, BOOL &)
{
   if (!fitInProgress_) {
      RecalcLayout(true, true);
   }
   return 0;
}

LRESULT CZOLTFrame::OnFileImportDone(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   auto *raw = reinterpret_cast<FileImportRecord *>(lParam);
   if (!raw) {
      return 0;
   }
   // Only a record this process handed out is ours to read and free: any other value (another
   // process's message, a record already taken) is refused untouched.
   std::set<FileImportRecord *> &outstanding = OutstandingImports();
   if (outstanding.erase(raw) == 0) {
      Warning("CZOLTFrame::OnFileImportDone: refused an unknown record\n");
      return 0;
   }
   std::unique_ptr<FileImportRecord> record(raw);
   try {
      if (!record->success) {
         cui::CallSlot(record->error, cui::Error(""));
         return 0;
      }
      if (gApp) {
         gApp->OpenVM(_bstr_t(record->path.c_str()), OpenFlags().NewTab().MakeCurrent(),
                      [](bool cancelled, cui::Error error) {
                         if (!cancelled && !error.IsEmpty()) {
                            ReportError(_bstr_t(error.what()), -1, _bstr_t(""));
                         }
                      },
                      record->done);
      }
   } catch (const cui::Error &error) {
      ReportError(_bstr_t(error.what()), -1, _bstr_t(""));
   } catch (...) {
      Warning("CZOLTFrame::OnFileImportDone - An unknown error has occurred\n");
   }
   return 0;
}

LRESULT CZOLTFrame::OnPowerBroadcast(UINT, WPARAM wParam, LPARAM lParam, BOOL &)
{
   Log("CZOLTFrame::OnPowerBroadcast: %s\n", wui::util::GetPowerBroadcastText(wParam, lParam).c_str());
   return TRUE;
}

LRESULT CZOLTFrame::OnQueryEndSession(UINT, WPARAM, LPARAM, BOOL &)
{
   std::string reason;
   if (gApp && !gApp->CanQuit(reason)) {
      SetShutdownBlockReason(m_hWnd, reason);
      return FALSE;
   }
   int running = 0;
   if (cui::VMMgr *vmMgr = cui::GetVMMgr()) {
      for (cui::VM *vm : vmMgr->GetVMs()) {
         if (vm->GetPowerState() == cui::VM::POWERED_ON || vm->GetBusy(cui::VM::BUSY_ANY)) {
            ++running;
         }
      }
   }
   if (running == 0) {
      ClearShutdownBlockReason(m_hWnd);
      return TRUE;
   }
   std::string text = RunningMachinesReason(running);
   Log("CZOLTFrame::OnQueryEndSession: %s\n", text.c_str());
   if (!SetShutdownBlockReason(m_hWnd, text)) {
      if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
         dlgMgr->NewInfo(text, gApp ? gApp->GetWindowTitle() : std::string());
      }
   }
   return FALSE;
}

LRESULT CZOLTFrame::OnEndSession(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   if (!wParam || !gApp) {
      return 0;
   }
   cui::DlgProgress *progress = nullptr;
   if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
      progress = dlgMgr->NewProgress(cui::GetLocalString(kSessionEnding));
   }
   // Windows may end the process as soon as this returns: wait here (running poll steps) until
   // the session's machines are handled, within a bound.
   auto finished = std::make_shared<bool>(false);
   gApp->CloseSessionWithProgress([finished]() { *finished = true; });
   Poll_RunUntil([finished]() { return *finished; }, kEndSessionWaitMs);
   if (!*finished) {
      Warning("CZOLTFrame::OnEndSession: the session did not close in time\n");
   }
   if (progress) {
      progress->DeleteDlg();
   }
   return 0;
}

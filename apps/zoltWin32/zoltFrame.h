// The one top-level window of the program (class "ZOLTFrame"): it holds and places the command
// bar and the status bar, chooses the window mode, keeps its placement in the user's preferences
// and its title, takes the command lines a second instance hands over, blocks the end of a Windows
// session while machines run, and keeps the poll steps going while a modal dialog disables it.
#pragma once

#include "atl/Atl.h"

#include "FullscreenToolbarCtl.h"
#include "zoltCmdbar.h"
#include "zoltCtxEvents.h"
#include "zoltFullscreen.h"
#include "zoltFullscreenHotZone.h"
#include "zoltNavbar.h"
#include "zoltView.h"
#include "zoltWindowMessages.h"

#include "resource.h"

#include "cui/Error.h"
#include "cui/VmdbCtx.h"
#include "tremappsdk/TremAppSdk.h"

#include <windows.h>

#include <atomic>
#include <list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

typedef CWinTraits<0, 0> CZOLTFrameTraits;

// Window modes and fit flags of the frame.
enum FrameMode { MODE_NORMAL = 0, MODE_WINDOW_FOLLOWS_GUEST = 1, MODE_GUEST_FOLLOWS_WINDOW = 2,
                 MODE_QUICK_SWITCH = 4, MODE_FULL_SCREEN = 8 };
enum FitFlag { FIT_WINDOW = 1, FIT_GUEST = 2, FIT_QUICK_SWITCH = 4, FIT_FULL_SCREEN = 8, FIT_GUEST_CANNOT = 16 };

// The mode the fit flags give.
int ComputeWindowMode(int fitFlags, bool fitInProgress, bool maximized);

// Where the frame's children go in a client area.
struct FrameLayoutInput {
   RECT client = {};
   int cmdbarHeight = 0;
   int sidebarWidth = 0;
   int statusHeight = 0;
   bool sidebar = true;
   bool statusBar = true;
   bool chrome = true;
   int mode = MODE_NORMAL;
};
struct FrameLayout {
   RECT cmdbar = {};
   RECT sidebar = {};
   RECT view = {};
   RECT status = {};
   bool showCmdbar = true;
   bool showSidebar = true;
   bool showStatus = true;
};
FrameLayout ComputeFrameLayout(const FrameLayoutInput &input);

// The stored side-bar width made usable: the default for none, at least 100 and at most the
// client width (when there is one).
int ClampNavbarWidth(long stored, int clientWidth);

// The block reason for `running` machines in use (empty for none).
std::string RunningMachinesReason(int running);

// What a file import hands the frame with WM_FILE_IMPORT_DONE: the frame takes the record over and
// deletes it. Only records made by NewFileImportRecord are taken: anything else in lParam (from
// another process, or stale) is refused.
struct FileImportRecord {
   std::string path;
   bool success = false;
   sigc::slot<void> done;
   sigc::slot<void, cui::Error> error;
};

namespace wui {
namespace control {
class ToolTipWnd;
}
}  // namespace wui

class CZOLTFrame : public CWindowImpl<CZOLTFrame, CWindow, CZOLTFrameTraits>,
                   public CCtxEvents<CZOLTFrame, 1>,
                   public CTremappsdk_IDispEventImpl<1, CZOLTFrame, &DIID__IVMStatusbarCtlEvents>,
                   public sigc::trackable {
public:
   typedef CTremappsdk_IDispEventImpl<1, CZOLTFrame, &DIID__IVMStatusbarCtlEvents> StatusbarSink;
   static constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
   static_assert(kStyle == 0x02CF0000, "the frame's style");
   static constexpr UINT WM_RELAYOUT = WM_ZOLT_RELAYOUT;
   static constexpr UINT WM_BEGIN_USER_SIZING = WM_ZOLT_BEGIN_USER_SIZING;
   static constexpr UINT WM_END_USER_SIZING = WM_ZOLT_END_USER_SIZING;
   static constexpr UINT WM_FILE_IMPORT_DONE = WM_ZOLT_FILE_IMPORT_DONE;
   static constexpr UINT WM_POLL_STEP = WM_ZOLT_POLL_STEP;
   static constexpr UINT_PTR kPollTimer = 2;
   static constexpr UINT kPollTimerMs = 300;
   static constexpr UINT_PTR kKeepOnTopTimer = 3;
   static constexpr UINT kKeepOnTopMs = 100;
   static constexpr int kKeepOnTopTicks = 50;
   static constexpr int kDefaultNavbarWidth = 270;
   static constexpr int kStatusBarHeight = 22;
   static constexpr UINT kSysToggleChrome = IDM_SYS_TOGGLE_CHROME;
   static constexpr DWORD kStatusHostStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
   // A session end waits at most this long for the session's machines.
   static constexpr long kEndSessionWaitMs = 60000;

   DECLARE_WND_CLASS_EX("ZOLTFrame", CS_DBLCLKS, COLOR_APPWORKSPACE)

   CZOLTFrame();
   ~CZOLTFrame() override;

   // Creates the window (no parent, default position and size, `title`).
   HWND CreateFrame(const char *title);

   // The window on which accelerators are translated: the command bar, which hands enabled
   // menu commands to the menu bar.
   HWND GetCmdbarWindow() const { return cmdbar_.m_hWnd ? cmdbar_.m_hWnd : m_hWnd; }
   CZOLTCmdbar &GetCmdbar() { return cmdbar_; }
   CZOLTView &GetView() { return view_; }
   // One piece of what start-up left for a quiet moment; false when nothing is left.
   bool DoIdleWork();
   CZOLTNavbar &GetNavbar() { return navbar_; }
   CFSToolbarCtl &GetFSToolbar() { return fsToolbar_; }
   CZOLTAHTarget &GetHotZone() { return hotZone_; }
   cui::FullscreenMgr *GetFullscreenMgr() const { return fullscreenMgr_.get(); }
   // The machine the frame follows: the current machine, or the current team's machine.
   cui::VM *GetCurrentVM() const;
   HWND GetStatusBarHost() const { return statusHost_; }
   // The notification tooltip over the status bar (null until created) and the notifications
   // it shows, oldest first.
   wui::control::ToolTipWnd *GetNotificationTip() const { return notificationTip_.get(); }
   const std::vector<int> &GetShownNotifications() const { return shownNotifications_; }

   void RestorePlacement();
   // With `keepSize` only the position comes from the window; the stored size stays.
   void SavePlacement(bool keepSize);
   // Non-zero when the message was consumed.
   BOOL PreTranslateMessage(MSG *msg);
   bool GetCanFitWindow() const { return canFitWindow_ != 0; }
   void CallConsoleCtl();
   void RecalcLayout(bool applyFit, bool updateMode);
   void UpdateAutofitMode(bool apply);
   void SetWindowMode(int mode, bool apply);
   int GetWindowMode() const { return mode_; }
   int GetFitFlags() const { return fitFlags_; }
   // A menu of the command bar opened (true) or closed (false); the hot zone stays shown while
   // any is open.
   void OnMenuTracking(bool open);
   int GetOpenMenuCount() const { return openMenus_; }

   // Full screen (zoltFullscreen.cpp). A full-screen hot key; true when it was used.
   bool OnHotKey(int key);
   // The console drives full screen through its machine's "mks/windowState/val"; true when the
   // window was placed here.
   bool OnWindowStateChanged();
   // The current machine's virtual screen; false unless both are at least 1.
   bool GetVirtualScreenSize(int &width, int &height) const;
   // The host's monitors handed to the full-screen manager, as last computed.
   const HostTopology &GetHostTopology() const { return topology_; }
   // The placement kept when quick switch or full screen began.
   const WINDOWPLACEMENT &GetSavedPlacement() const { return savedPlacement_; }
   // The area the tabbed view gets.
   RECT GetViewRect() const { return viewRect_; }
   int GetNavbarWidth() const { return navbarWidth_; }
   void UpdateTitle();

   static FileImportRecord *NewFileImportRecord();

   BEGIN_MSG_MAP(CZOLTFrame)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_CLOSE, OnClose)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_MOVING, OnMoving)
      MESSAGE_HANDLER(WM_MOVE, OnMove)
      MESSAGE_HANDLER(WM_ACTIVATE, OnActivate)
      MESSAGE_HANDLER(WM_ACTIVATEAPP, OnActivateApp)
      MESSAGE_HANDLER(WM_PALETTECHANGED, OnPaletteChanged)
      MESSAGE_HANDLER(WM_INITMENUPOPUP, OnInitMenuPopup)
      MESSAGE_HANDLER(WM_SYSCOMMAND, OnSysCommand)
      MESSAGE_HANDLER(WM_COPYDATA, OnCopyData)
      MESSAGE_HANDLER(WM_ENABLE, OnEnable)
      MESSAGE_HANDLER(WM_POLL_STEP, OnPollStep)
      MESSAGE_HANDLER(WM_TIMER, OnTimer)
      MESSAGE_HANDLER(WM_SIZING, OnSizing)
      MESSAGE_HANDLER(WM_ENTERSIZEMOVE, OnEnterSizeMove)
      MESSAGE_HANDLER(WM_BEGIN_USER_SIZING, OnEnterSizeMove)
      MESSAGE_HANDLER(WM_EXITSIZEMOVE, OnExitSizeMove)
      MESSAGE_HANDLER(WM_END_USER_SIZING, OnExitSizeMove)
      MESSAGE_HANDLER(WM_NOTIFYFORMAT, OnNotifyFormat)
      MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
      MESSAGE_HANDLER(WM_RELAYOUT, OnRelayout)
      MESSAGE_HANDLER(WM_FILE_IMPORT_DONE, OnFileImportDone)
      MESSAGE_HANDLER(WM_POWERBROADCAST, OnPowerBroadcast)
      MESSAGE_HANDLER(WM_QUERYENDSESSION, OnQueryEndSession)
      MESSAGE_HANDLER(WM_ENDSESSION, OnEndSession)
   END_MSG_MAP()

   BEGIN_SINK_MAP(CZOLTFrame)
      SINK_ENTRY_EX(1, DIID__IVMStatusbarCtlEvents, tremappsdk::kStatusbarCaptureMovie, OnStatusbarCaptureMovie)
   END_SINK_MAP()

   // Status-bar event 19: the user clicked the capture indicator of the machine at `vmPath`.
   void __stdcall OnStatusbarCaptureMovie(BSTR vmPath);

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnMoving(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnMove(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnActivate(UINT, WPARAM wParam, LPARAM, BOOL &bHandled);
   LRESULT OnActivateApp(UINT, WPARAM wParam, LPARAM, BOOL &bHandled);
   LRESULT OnPaletteChanged(UINT, WPARAM, LPARAM, BOOL &bHandled);
   LRESULT OnInitMenuPopup(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled);
   LRESULT OnSysCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled);
   LRESULT OnCopyData(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnEnable(UINT, WPARAM wParam, LPARAM, BOOL &);
   LRESULT OnPollStep(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL &bHandled);
   LRESULT OnSizing(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnEnterSizeMove(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnExitSizeMove(UINT message, WPARAM, LPARAM, BOOL &);
   LRESULT OnNotifyFormat(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);
   LRESULT OnRelayout(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnFileImportDone(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnPowerBroadcast(UINT, WPARAM wParam, LPARAM lParam, BOOL &);
   LRESULT OnQueryEndSession(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnEndSession(UINT, WPARAM wParam, LPARAM, BOOL &);

   bool HasOtherFrame() const;
   void CreateStatusBarHost();
   void WatchNotifications();
   // The notification tip is made when the first notification comes.
   void EnsureNotificationTip();
   void OnNotification(int id);
   void OnNotificationClosed();
   void PlaceNotificationTip();
   void OnConsoleSignal(bool grabbed);
   void AddSystemMenuItem();
   void WatchPreferences();
   void RegisterOnCtxCurrentObj();
   // The full-screen toolbar is made when full screen first needs it.
   void EnsureFSToolbar();
   void KeepInFront();
   void OnKeepOnTopTick();
   void SendFocusEvent();
   void ShowSizingTooltip();
   void DestroySizingTooltip();
   // Full screen and quick switch (zoltFullscreen.cpp).
   bool ModeTransition(int oldMode, int newMode);
   void EnterWholeMonitor(int newMode);
   void LeaveQuickSwitch();
   void LeaveFullScreen();
   void RestoreChrome();
   void UpdateHostTopology();
   void GotoCurTopology();
   void PlaceOnTopology(bool next);
   void OnMultiMonRequest();
   void UpdateHookedKeys();
   void OnHookedKey(const std::string &text);
   void OnCurrentMachineChanged();
   void OnFullScreenPrefsChanged();
   void OnPinPrefChanged();
   void PlaceFullScreenBars(const RECT &client);
   void OnMachinePowerChanged();
   // Fitting the window to the guest and the guest to the window.
   void FitWindowStep();
   void FitGuestStep();
   void OnViewPrefChanged(const std::string &path);
   void OnFocusEvent(const std::string &path);
   void OnGuestFitDone();
   void OnCtxFitGuestToWindow(cui::Error error);

   CZOLTView view_;
   CZOLTNavbar navbar_;
   CZOLTCmdbar cmdbar_;
   CFSToolbarCtl fsToolbar_;
   CZOLTAHTarget hotZone_;
   HWND statusHost_ = nullptr;
   vmdb::Ctx ctx_;
   std::list<sigc::connection> connections_;
   sigc::connection vmConnection_;
   sigc::connection powerConnection_;
   sigc::connection hookedKeyConnection_;
   std::string currentPath_;
   std::string currentType_;
   bool inLayout_ = false;
   bool created_ = false;
   bool layoutSinceSizing_ = false;
   bool enabled_ = true;
   bool userSizing_ = false;
   SIZE sizingStart_ = {};
   bool fitInProgress_ = false;
   bool pendingFitEvent_ = false;
   bool resizedByFit_ = false;
   int lastFitWidth_ = -1;
   int lastFitHeight_ = -1;
   WINDOWPLACEMENT savedPlacement_ = {};
   int savedPlacementMode_ = MODE_NORMAL;   // the whole-monitor mode the saved placement belongs to
   LONG_PTR viewExStyle_ = 0;
   RECT monitorRect_ = {};
   bool consoleFullScreen_ = false;
   RECT consoleFullScreenRect_ = {};
   bool switching_ = false;
   bool lastFullScreen_ = false;
   HostTopology topology_;
   std::unique_ptr<cui::FullscreenMgr> fullscreenMgr_;
   HWND sizingTooltip_ = nullptr;
   LONG canFitWindow_ = 1;
   int mode_ = MODE_NORMAL;
   int appliedMode_ = MODE_NORMAL;
   int fitFlags_ = 0;
   int navbarWidth_ = kDefaultNavbarWidth;
   RECT viewRect_ = {};
   int openMenus_ = 0;
   int keepOnTopCount_ = -1;
   bool inPollStep_ = false;
   // A step message is on its way (while a modal loop runs): the wake hook posts no other.
   std::shared_ptr<std::atomic<bool>> pollStepQueued_ = std::make_shared<std::atomic<bool>>(false);
   HICON largeIcon_ = nullptr;
   HICON smallIcon_ = nullptr;
   // Destroys a tip's window and the tip.
   struct DestroyTip {
      void operator()(wui::control::ToolTipWnd *tip) const;
   };
   std::unique_ptr<wui::control::ToolTipWnd, DestroyTip> notificationTip_;
   std::vector<int> shownNotifications_;
};

// The text of a WM_COPYDATA (a handed-over command line: UTF-8 with its terminating zero): only
// data whose size is given by cbData and that holds a terminating zero within it. False for
// anything else.
bool ReadCopyDataText(const COPYDATASTRUCT *data, std::string &text);
// The answer to a handed-over command line: dwData 0 asks, 1 hands over, anything else is refused.
LRESULT AnswerHandOff(ULONG_PTR dwData, const std::string &commandLine);

// The full-screen toolbar: a small bar centred at the top of the monitor that the hot zone slides
// in (zoltFullscreenHotZone.h). CFSToolbarCtl is the outer window, a child of the frame, with the
// command table and the menus; CFSToolbarView is the "ToolbarWindow32" inside it with the buttons,
// their images and tips.
#pragma once

#include "atl/Atl.h"
#include "zoltRemovableDeviceMenu.h"
#include "zoltSnapshotMRUMenu.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cui {
class VM;
}

// The toolbar's buttons and its own commands.
enum FSToolbarCommand {
   FS_PIN = 1001,
   FS_OPTIONS = 1002,
   FS_LABEL = 1003,
   FS_MACHINE = 1004,
   FS_MONITOR = 1006,
   FS_NEXT = 1008,
   FS_MINIMIZE = 1010,
   FS_RESTORE = 1011,
   FS_CLOSE = 1012,
   FS_OPTIONS_AT_NAME = 1014,
   FS_PREVIOUS = 1015,
};

// Next or previous machine: the first index to try among `count` powered-on machines from the
// current one's index (-1 when it is not among them), wrapping around; -1 when there are none.
int FirstSwitchCandidate(int current, int count, bool next);
int NextSwitchCandidate(int candidate, int count, bool next);

class CFSToolbarView : public CWindowImpl<CFSToolbarView> {
public:
   static constexpr UINT_PTR kTipTimer = 10;
   static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | TBSTYLE_LIST | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS;
   static_assert(kStyle == 0x50001900, "the full-screen toolbar's style");

   HWND Create(HWND parent);
   void SetPinImage(bool pinned);
   void SetMultiMonImage(bool multiMon);
   void ShowGrabButtons(bool show);
   void EnableButton(int id, bool enable);
   void SetMachineName(const std::string &name);
   // The width the buttons take with `name` in the name button.
   int GetWidthFor(const std::string &name);
   // The tip under the toolbar for `ms` (none when 0); HideTip takes it away.
   void ShowTip(const std::string &text, int ms);
   void HideTip();
   bool TipShown() const { return tipShown_; }
   void SetHotZone(HWND zone) { hotZone_ = zone; }
   RECT GetButtonScreenRect(int id) const;

   BEGIN_MSG_MAP(CFSToolbarView)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDblClk)
      MESSAGE_HANDLER(WM_RBUTTONDOWN, OnRButtonDown)
      MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
      MESSAGE_HANDLER(WM_TIMER, OnTimer)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
   END_MSG_MAP()

   // The tooltip window over the label and name area, for the tests.
   HWND GetNameTip() const { return nameTip_; }

private:
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnLButtonDblClk(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);
   LRESULT OnRButtonDown(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);
   LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL &bHandled);
   LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL &bHandled);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &bHandled);
   void CreateNameTip();
   // Moves the name tip's tools onto their buttons' rectangles.
   void LayOutNameTip();
   bool InNameArea(LPARAM lParam) const;
   void SetImage(int id, int image);

   HIMAGELIST images_ = nullptr;
   HWND tip_ = nullptr;
   HWND nameTip_ = nullptr;
   std::wstring nameTipText_;
   bool tipShown_ = false;
   std::wstring tipText_;
   HWND hotZone_ = nullptr;
};

typedef CWinTraits<WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, 0> CFSToolbarCtlTraits;

class CFSToolbarCtl : public CWindowImpl<CFSToolbarCtl, CWindow, CFSToolbarCtlTraits>, public sigc::trackable {
public:
   DECLARE_WND_CLASS_EX("ZOLTFSToolbar", CS_DBLCLKS, COLOR_BTNFACE)

   // The width for the longest machine name, and the height of the bar.
   int GetWidth(const std::string &longestName);
   int GetHeight() const;
   void SetActive(bool active);
   bool GetActive() const { return active_; }
   void ShowGrabButtons(bool show) { view_.ShowGrabButtons(show); }
   void SetMultiMonImage(bool multiMon) { view_.SetMultiMonImage(multiMon); }
   void EnableMultiMon(bool enable) { view_.EnableButton(FS_MONITOR, enable); }
   void SetHotZone(HWND zone);
   // The pin preference changed: the button's image and the tip.
   void OnPinChanged(bool pinned);
   // The console took (true) or gave back the input: a tip says how to undo it.
   void OnGrabChanged(bool grabbed);
   // The machine shown changed: the name button.
   void UpdateMachine();
   // Next (true) or previous machine; true when handled.
   bool OnHotKey(bool next);
   // Opens the machine list when at least two machines are powered on.
   void CanSwitchNext();
   CFSToolbarView &GetView() { return view_; }

   // The multi-monitor button.
   sigc::signal<void> commandSignal;

   BEGIN_MSG_MAP(CFSToolbarCtl)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
      MESSAGE_HANDLER(WM_PAINT, OnPaint)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_COMMAND, OnCommand)
      MESSAGE_HANDLER(WM_NOTIFYFORMAT, OnNotifyFormat)
      MESSAGE_HANDLER(WM_NOTIFY, OnNotify)
   END_MSG_MAP()

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL &) { return 0; }
   LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &bHandled);
   LRESULT OnNotifyFormat(UINT, WPARAM, LPARAM, BOOL &) { return NFR_UNICODE; }
   LRESULT OnNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);

   bool RunCommand(int id);
   void TrackOptionsMenu(int atButton);
   void TrackMachineMenu();
   void TrackMachineList();
   void SwitchMachine(bool next);
   bool MakeCurrent(cui::VM *vm);
   std::vector<cui::VM *> PoweredOnMachines() const;

   CFSToolbarView view_;
   bool active_ = false;
   bool lastPinned_ = false;
   // The machine menu's removable-device and recent-snapshot lists.
   std::unique_ptr<CZOLTRemovableDeviceMenu> deviceMenu_;
   std::unique_ptr<CZOLTSnapshotMRUMenu> snapshotMRUMenu_;
};

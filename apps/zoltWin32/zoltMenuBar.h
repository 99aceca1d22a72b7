// The menu bar: a text-only toolbar in the command bar's first band with one button per top-level
// menu of the main menu. It opens the popups itself, follows the mouse and the keyboard across the
// top-level menus, asks the application for each item's state before a popup shows, rebuilds the
// team and Window lists, and sends each chosen command to the application with source 21.
#pragma once

#include "atl/Atl.h"

#include "cui/VmdbCtx.h"
#include "zoltCommandId.h"
#include "zoltRemovableDeviceMenu.h"
#include "zoltSnapshotMRUMenu.h"
#include "zoltWindowMessages.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cui {
class Team;
class VM;
}  // namespace cui

// How the menu bar routes a command id.
enum class MenuRoute {
   None,
   Global,           // the dispatcher with an empty path
   Object,           // the dispatcher with the application's current object path
   CurrentObject,    // the dispatcher with the preferences' current object path
   TeamSwitch,
   TeamAdd,
   TeamRemove,
   Devices,
   RecentSnapshots,
   Tabs,
   WindowMenu,
};

MenuRoute MenuBarRouteOf(CommandId id);

// The machine to switch to in a team of `count` machines from `current` (-1 when the current
// one is not in the list): the next or the previous, wrapping. -1 for an empty team.
int NextTeamVMIndex(int current, int count, bool next);

// The top-level menus removed (by position, highest first) for the edition and UI mode.
std::vector<int> RemovedTopLevelMenus(bool zephro, int uiMode);

// A team's machines as the lists show them: sorted by name, case-blind.
std::vector<cui::VM *> SortedTeamVMs(const cui::Team &team);

constexpr DWORD kMenubarStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_LIST | TBSTYLE_FLAT |
                                CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_TOP;
static_assert(kMenubarStyle == 0x5600184D, "the menu bar's style");
typedef CWinTraits<kMenubarStyle, WS_EX_TOOLWINDOW> CZOLTMenubarTraits;

class CZOLTMenubar : public CWindowImpl<CZOLTMenubar, CWindow, CZOLTMenubarTraits>, public sigc::trackable {
public:
   enum Mode { MODE_IDLE = 0, MODE_KEYBOARD = 1, MODE_TRACKING = 2 };
   static constexpr UINT WM_TRACK_MENU = WM_ZOLT_TRACK_MENU;
   static constexpr int kMaxListItems = 90;

   CZOLTMenubar();
   ~CZOLTMenubar() override;

   HWND Create(HWND rebar);
   BOOL PreTranslateMessage(MSG *msg);
   bool IsMenuItemEnabled(CommandId id);
   void TrackMenu(int index);
   // Ends the keyboard mode (no hot button); nothing while a popup is open.
   void LeaveKeyboardMode();
   void SwitchWindow(bool next);
   void RebuildWindowsMenu();
   void RebuildTeamSwitchMenu(HMENU popup);
   void RebuildTeamRemoveMenu(HMENU popup);

   Mode GetMode() const { return mode_; }
   HMENU GetMenu() const { return menu_; }
   HMENU GetWindowMenu() const { return windowMenu_; }
   HMENU GetTeamMenu() const { return teamMenu_; }
   HMENU GetVMMenu() const { return vmMenu_; }
   CZOLTRemovableDeviceMenu *GetDeviceMenu() const { return deviceMenu_.get(); }
   CZOLTSnapshotMRUMenu *GetSnapshotMRUMenu() const { return snapshotMRUMenu_.get(); }

   BEGIN_MSG_MAP(CZOLTMenubar)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_TRACK_MENU, OnTrackMenu)
      MESSAGE_HANDLER(OCM_NOTIFY, OnReflectedNotify)
      MESSAGE_HANDLER(WM_INITMENUPOPUP, OnInitMenuPopup)
      MESSAGE_HANDLER(WM_MENUSELECT, OnMenuSelect)
      MESSAGE_HANDLER(WM_COMMAND, OnCommand)
      DEFAULT_REFLECTION_HANDLER()
   END_MSG_MAP()

private:
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled);
   LRESULT OnTrackMenu(UINT, WPARAM wParam, LPARAM, BOOL &);
   LRESULT OnReflectedNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);
   LRESULT OnInitMenuPopup(UINT, WPARAM wParam, LPARAM, BOOL &);
   LRESULT OnMenuSelect(UINT, WPARAM wParam, LPARAM lParam, BOOL &);
   LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled);

   static LRESULT CALLBACK MenuHookProc(int code, WPARAM wParam, LPARAM lParam);
   bool OnMenuHookMessage(MSG *msg);

   int ButtonCount() const;
   bool IsButtonEnabled(int index) const;
   int NeighbourButton(int index, int step) const;
   void SetHotButton(int index);
   void EnterKeyboardMode(bool on);
   void OnTabKeyEvent(const std::string &path);
   void OnWindowsMenu(CommandId id);
   void OnTeamSwitch(CommandId id);
   void OnTeamRemove(CommandId id);
   void OnTeamAdd(CommandId id);
   cui::Team *GetCurrentTeam() const;
   void RequestGrab(const std::string &vmRecord, const char *state);
   void FreeListData(HMENU popup);

   HMENU menu_ = nullptr;
   HMENU vmMenu_ = nullptr;
   HMENU teamMenu_ = nullptr;
   HMENU zephroMenu_ = nullptr;
   HMENU windowMenu_ = nullptr;
   std::vector<HMENU> removedMenus_;
   vmdb::Ctx ctx_;
   sigc::connection tabKeyWatch_;
   Mode mode_ = MODE_IDLE;
   int trackedItem_ = -1;
   int nextItem_ = -1;
   bool canGoLeft_ = false;
   bool canGoRight_ = false;
   bool escapePressed_ = false;
   HMENU shownPopup_ = nullptr;
   POINT lastMouse_ = {-1, -1};
   std::string nextVMText_;
   std::string previousVMText_;
   std::unique_ptr<CZOLTRemovableDeviceMenu> deviceMenu_;
   std::unique_ptr<CZOLTSnapshotMRUMenu> snapshotMRUMenu_;
};

#include "zoltMenuBar.h"

#include "resource.h"
#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltFrame.h"
#include "zoltMenuUtil.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "cui/AppDataPaths.h"
#include "cui/Error.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "cui/Util.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <algorithm>
#include <cstring>

namespace {

const char kTabKeyEvent[] = "/vm/#/mks/tabKeyEvent";

// The menu bar's team lists take one id more than the dispatcher's ranges (IDM_*_LAST_*).
constexpr UINT kTeamSwitchListLast = IDM_TEAM_SWITCH_LAST_VM + 1;
constexpr UINT kTeamRemoveVMListLast = IDM_TEAM_REMOVE_LAST_VM + 1;
constexpr UINT kTeamRemoveLanListLast = IDM_TEAM_REMOVE_LAST_LAN + 1;
static_assert(kTeamSwitchListLast - IDM_TEAM_SWITCH_FIRST_VM + 1 == CZOLTMenubar::kMaxListItems &&
                 kTeamRemoveVMListLast - IDM_TEAM_REMOVE_FIRST_VM + 1 == CZOLTMenubar::kMaxListItems &&
                 kTeamRemoveLanListLast - IDM_TEAM_REMOVE_FIRST_LAN + 1 == CZOLTMenubar::kMaxListItems,
              "a team list holds kMaxListItems machines");
static_assert(kTeamSwitchListLast < IDM_TEAM_NEXT_VM && kTeamRemoveVMListLast < IDM_TEAM_REMOVE_FIRST_LAN,
              "the team lists end before the ids that follow them");
static_assert(IDM_WINDOW_LAST_TAB < IDM_HELP_GUIDE, "the Window menu's tabs end before the next command");
static_assert(IDM_VM_USB_FIRST == IDM_VM_DEVICE_LAST + 1, "the USB list follows the removable devices");

const PopupIdPair kPopupIds[] = {
   {IDM_VM_POWER_MENU, IDM_VM_POWER_ON},
   {IDM_VM_DEVICES_MENU, IDM_VM_DEVICE_FIRST},
   {IDM_VM_SNAPSHOT_MENU, IDM_VM_SNAPSHOT_TAKE},
   {IDM_VM_REPLAY_MENU, IDM_VM_REPLAY_PLAY},
   {IDM_TEAM_POWER_MENU, IDM_TEAM_POWER_ON},
   {IDM_TEAM_SWITCH_MENU, IDM_TEAM_NEXT_VM},
   {IDM_TEAM_ADD_MENU, IDM_TEAM_ADD_NEW_VM},
   {IDM_TEAM_REMOVE_MENU, IDM_TEAM_REMOVE_FIRST_VM},
   {IDM_VIEW_CURRENT_MENU, IDM_VIEW_SUMMARY},
   {0, 0},
};

// Commands the menu bar hands on with an empty path; 453 has no item of its own.
const CommandId kGlobalIds[] = {
   IDM_FILE_NEW_ZEPHRO_TEMPLATE, 453, IDM_VIEW_TOOLBAR_ZEPHRO, IDM_VIEW_TOOLBAR_POWER, IDM_VIEW_TOOLBAR_VIEW,
   IDM_VIEW_TOOLBAR_SNAPSHOT, IDM_FILE_IMPORT, IDM_VIEW_TOOLBAR_REPLAY, IDM_FILE_EXIT,
   IDM_FILE_CONNECT_ZEPHRO_SERVER, IDM_FILE_OPEN, IDM_EDIT_PREFERENCES, IDM_VIEW_FULL_SCREEN,
   IDM_VIEW_AUTOFIT_WINDOW, IDM_VIEW_AUTOFIT_GUEST, IDM_VIEW_FIT_WINDOW, IDM_VIEW_FIT_GUEST, IDM_VIEW_HOME,
   IDM_VIEW_STATUS_BAR, IDM_HELP_TOPICS, IDM_HELP_ENABLE_ALL_HINTS, IDM_HELP_SHOW_ENABLED_HINTS,
   IDM_HELP_TIP_OF_THE_DAY, IDM_HELP_ABOUT, IDM_FILE_NEW_VM, IDM_FILE_CLOSE, IDM_HELP_HOME_PAGE, IDM_HELP_SUPPORT,
   IDM_HELP_PRODUCTS, IDM_HELP_REPORT, IDM_HOST_NETWORK_SETTINGS, IDM_VIEW_DATABASE_VIEWER, IDM_VIEW_SIDEBAR,
   IDM_VIEW_QUICK_SWITCH, IDM_HOST_SETTINGS, IDM_VIEW_TABS, IDM_FILE_FAVORITES, IDM_HELP_GUIDE, IDM_HELP_MANUAL,
   IDM_HELP_CHECK_UPDATES, IDM_VIEW_SUMMARY, IDM_VIEW_APPLIANCE, IDM_VIEW_CONSOLE, IDM_HOST_SWITCH,
   IDM_HOST_DISCONNECT, IDM_FILE_NEW_WINDOW, IDM_EDIT_CUT, IDM_EDIT_COPY, IDM_EDIT_PASTE,
   IDM_EDIT_NETWORK_SETTINGS, IDM_FILE_MAP_DISKS, IDM_FILE_NEW_TEAM, IDM_HELP_ZEPHRO_GUIDE,
};
// Commands aimed at the application's current object.
const CommandId kObjectIds[] = {
   IDM_VM_REMOVE, IDM_VM_SHUT_DOWN_GUEST, IDM_VM_SUSPEND_GUEST, IDM_VM_START_GUEST, IDM_VM_RESTART_GUEST,
   IDM_VM_CLONE, IDM_VM_FORK, IDM_VM_TOOLS, IDM_VM_POWER_OFF, IDM_VM_SUSPEND, IDM_VM_RESET, IDM_VM_SETTINGS,
   IDM_VM_CAPTURE_SCREEN, IDM_VM_CAPTURE_MOVIE, IDM_VM_SNAPSHOT_REVERT, IDM_VM_UPGRADE_HARDWARE,
   IDM_VM_SNAPSHOT_TAKE, IDM_VM_SNAPSHOT_MANAGER, IDM_VM_POWER_ON, IDM_VM_SNAPSHOT_DELETE, IDM_VM_DEVICES_MENU,
   IDM_VM_CTRL_ALT_DEL, IDM_VM_GRAB_INPUT, IDM_VM_CONNECTED_USERS, IDM_VM_DELETE, IDM_VM_MESSAGE_LOG,
   IDM_VM_CLONE_TO_ZEPHRO,
};
// Commands aimed at the preferences' current object.
const CommandId kCurrentObjectIds[] = {
   IDM_ZEPHRO_POLICIES, IDM_ZEPHRO_NEW_PACKAGE, IDM_ZEPHRO_NEW_PORTABLE_PACKAGE, IDM_ZEPHRO_PREVIEW,
   IDM_VM_REPLAY_OPTIONS, IDM_VM_REPLAY_PLAY, IDM_VM_REPLAY_RECORD, IDM_VM_REPLAY_GO_LIVE, IDM_VM_REPLAY_STOP,
   IDM_TEAM_DELETE, IDM_TEAM_POWER_ON, IDM_TEAM_POWER_OFF, IDM_TEAM_SUSPEND, IDM_TEAM_RESET, IDM_TEAM_SETTINGS,
   IDM_ZEPHRO_PACKAGE_SETTINGS, IDM_ZEPHRO_SERVER, IDM_ZEPHRO_CLONE, IDM_ZEPHRO_DELETE,
};

template <size_t n>
bool Contains(const CommandId (&ids)[n], CommandId id)
{
   return std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

// The modifiers held are exactly the console key combination of the preferences.
bool ConsoleKeysHeld()
{
   cui::Prefs *prefs = cui::GetPrefs();
   cui::Prefs::MKSKeys keys;
   keys.ctrl = cui::Prefs::MKS_DOWN;
   keys.alt = cui::Prefs::MKS_DOWN;
   if (prefs) {
      keys = prefs->GetMKSKeys();
   }
   return cui::Prefs::MKSKeysMatch(KeysHeld((GetKeyState(VK_MENU) & 0x8000) != 0, (GetKeyState(VK_SHIFT) & 0x8000) != 0,
                                            (GetKeyState(VK_CONTROL) & 0x8000) != 0),
                                   keys);
}

UINT MenuItemId(HMENU menu, int position)
{
   MENUITEMINFOW info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_ID;
   return GetMenuItemInfoW(menu, position, TRUE, &info) ? info.wID : 0;
}

CZOLTMenubar *gTrackingMenubar = nullptr;
HHOOK gMenuHook = nullptr;

// Tells the frame that a menu opened, and that it closed when this goes out of scope, whatever
// way the tracking ends, so the frame's count stays balanced.
class MenuOpenNotice {
public:
   MenuOpenNotice()
   {
      if (gApp && gApp->GetFrame()) {
         gApp->GetFrame()->OnMenuTracking(true);
         told_ = true;
      }
   }
   ~MenuOpenNotice()
   {
      if (told_ && gApp && gApp->GetFrame()) {
         gApp->GetFrame()->OnMenuTracking(false);
      }
   }
   MenuOpenNotice(const MenuOpenNotice &) = delete;
   MenuOpenNotice &operator=(const MenuOpenNotice &) = delete;

private:
   bool told_ = false;
};

}  // namespace

MenuRoute MenuBarRouteOf(CommandId id)
{
   if (Contains(kGlobalIds, id)) {
      return MenuRoute::Global;
   }
   if (Contains(kObjectIds, id)) {
      return MenuRoute::Object;
   }
   if (Contains(kCurrentObjectIds, id)) {
      return MenuRoute::CurrentObject;
   }
   if ((id >= IDM_TEAM_SWITCH_FIRST_VM && id <= kTeamSwitchListLast) || id == IDM_TEAM_NEXT_VM ||
       id == IDM_TEAM_PREVIOUS_VM) {
      return MenuRoute::TeamSwitch;
   }
   if (id == IDM_TEAM_ADD_NEW_VM || id == IDM_TEAM_ADD_EXISTING_VM || id == IDM_TEAM_ADD_CLONE ||
       id == IDM_TEAM_ADD_LAN) {
      return MenuRoute::TeamAdd;
   }
   if ((id >= IDM_TEAM_REMOVE_FIRST_VM && id <= kTeamRemoveVMListLast) ||
       (id >= IDM_TEAM_REMOVE_FIRST_LAN && id <= kTeamRemoveLanListLast)) {
      return MenuRoute::TeamRemove;
   }
   if (id >= IDM_VM_DEVICE_FIRST && id <= IDM_VM_USB_LAST) {
      return MenuRoute::Devices;
   }
   if (id >= IDM_VM_SNAPSHOT_RECENT_FIRST && id <= IDM_VM_SNAPSHOT_RECENT_LAST) {
      return MenuRoute::RecentSnapshots;
   }
   if (id == IDM_WINDOW_NEXT_TAB || id == IDM_WINDOW_PREVIOUS_TAB) {
      return MenuRoute::Tabs;
   }
   // The Window menu's tabs end at their last id; the ids after it are other commands.
   if (id >= IDM_WINDOW_FIRST_TAB && id <= IDM_WINDOW_LAST_TAB) {
      return MenuRoute::WindowMenu;
   }
   return MenuRoute::None;
}

int NextTeamVMIndex(int current, int count, bool next)
{
   if (count <= 0) {
      return -1;
   }
   if (current < 0 || current >= count) {
      current = 0;
   }
   return next ? (current + 1) % count : (current + count - 1) % count;
}

std::vector<int> RemovedTopLevelMenus(bool zephro, int uiMode)
{
   if (zephro) {
      return {5, 4, 3};
   }
   if (uiMode == 1) {
      return {8, 7, 4, 3};
   }
   return {8, 5, 4, 3};
}

std::vector<cui::VM *> SortedTeamVMs(const cui::Team &team)
{
   return team.GetSortedVMList();
}

CZOLTMenubar::CZOLTMenubar() = default;

CZOLTMenubar::~CZOLTMenubar()
{
   if (gTrackingMenubar == this) {
      gTrackingMenubar = nullptr;
   }
}

HWND CZOLTMenubar::Create(HWND rebar)
{
   HWND toolbar = CreateWindowExW(CZOLTMenubarTraits::GetWndExStyle(0), TOOLBARCLASSNAMEW, nullptr,
                                  CZOLTMenubarTraits::GetWndStyle(0), 0, 0, 0, 0, rebar, nullptr,
                                  GetResourceInstance(), nullptr);
   if (!toolbar || !SubclassWindow(toolbar)) {
      if (toolbar) {
         ::DestroyWindow(toolbar);
      }
      return nullptr;
   }
   SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
   SendMessage(TB_SETBITMAPSIZE, 0, MAKELONG(0, 0));

   menu_ = LoadMenuA(GetResourceInstance(), MAKEINTRESOURCEA(IDR_MAIN_MENU));
   if (!menu_) {
      return m_hWnd;
   }
   vmMenu_ = GetSubMenu(menu_, 6);
   teamMenu_ = GetSubMenu(menu_, 7);
   zephroMenu_ = GetSubMenu(menu_, 8);
   windowMenu_ = GetSubMenu(menu_, 9);
   try {
      ctx_ = cui::GetNewVmdbCtx();
      tabKeyWatch_ = ctx_.Watch(kTabKeyEvent, vmdb::Ctx::kWatchNode,
                                sigc::mem_fun(*this, &CZOLTMenubar::OnTabKeyEvent));
   } catch (const cui::Error &error) {
      Warning("CZOLTMenubar::Create: no database context: %s\n", error.what());
   }
   deviceMenu_.reset(new CZOLTRemovableDeviceMenu);
   snapshotMRUMenu_.reset(new CZOLTSnapshotMRUMenu);

   cui::Prefs *prefs = cui::GetPrefs();
   int uiMode = prefs ? prefs->GetUIMode() : 0;
   for (int position : RemovedTopLevelMenus(wui::util::HasZephroExtension(), uiMode)) {
      // Detached, not deleted: the team and Zephro handles kept above stay valid until WM_DESTROY.
      if (HMENU sub = GetSubMenu(menu_, position)) {
         removedMenus_.push_back(sub);
      }
      RemoveMenu(menu_, position, MF_BYPOSITION);
   }
   int count = GetMenuItemCount(menu_);
   std::vector<TBBUTTON> buttons(count);
   std::vector<std::wstring> texts(count);
   for (int i = 0; i < count; ++i) {
      wchar_t text[128] = {};
      GetMenuStringW(menu_, i, text, 127, MF_BYPOSITION);
      // TB_ADDSTRING takes a list ended by two zeros.
      texts[i] = std::wstring(text) + L'\0';
      TBBUTTON &button = buttons[i];
      button.iBitmap = I_IMAGENONE;
      button.idCommand = i;
      button.fsState = (GetMenuState(menu_, i, MF_BYPOSITION) & MF_GRAYED) ? 0 : TBSTATE_ENABLED;
      button.fsStyle = BTNS_AUTOSIZE | BTNS_DROPDOWN;
      button.iString = SendMessage(TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(texts[i].c_str()));
   }
   if (count > 0) {
      SendMessage(TB_ADDBUTTONSW, count, reinterpret_cast<LPARAM>(buttons.data()));
   }
   AssignPopupIds(menu_, kPopupIds);
   RebuildWindowsMenu();
   if (HMENU snapshots = vmMenu_ ? FindPopupById(vmMenu_, IDM_VM_SNAPSHOT_MENU) : nullptr) {
      snapshotMRUMenu_->Rebuild(snapshots);
   }
   return m_hWnd;
}

int CZOLTMenubar::ButtonCount() const
{
   return m_hWnd ? static_cast<int>(::SendMessage(m_hWnd, TB_BUTTONCOUNT, 0, 0)) : 0;
}

bool CZOLTMenubar::IsButtonEnabled(int index) const
{
   return ::SendMessage(m_hWnd, TB_ISBUTTONENABLED, index, 0) != 0;
}

int CZOLTMenubar::NeighbourButton(int index, int step) const
{
   int count = ButtonCount();
   if (count <= 0) {
      return -1;
   }
   int candidate = index;
   for (int i = 0; i < count; ++i) {
      candidate = (candidate + step + count) % count;
      if (IsButtonEnabled(candidate)) {
         return candidate;
      }
   }
   return index;
}

void CZOLTMenubar::SetHotButton(int index)
{
   SendMessage(TB_SETHOTITEM, index);
}

void CZOLTMenubar::EnterKeyboardMode(bool on)
{
   if (on) {
      mode_ = MODE_KEYBOARD;
      SetHotButton(0);
   } else {
      mode_ = MODE_IDLE;
      SetHotButton(-1);
   }
}

void CZOLTMenubar::LeaveKeyboardMode()
{
   if (mode_ == MODE_KEYBOARD) {
      EnterKeyboardMode(false);
   }
}

void CZOLTMenubar::TrackMenu(int index)
{
   if (mode_ == MODE_TRACKING || !menu_ || index < 0) {
      return;
   }
   MenuOpenNotice notice;
   while (index >= 0) {
      HMENU popup = GetSubMenu(menu_, index);
      if (!popup || !IsButtonEnabled(index)) {
         break;
      }
      SendMessage(TB_PRESSBUTTON, index, TRUE);
      RECT button = {};
      SendMessage(TB_GETRECT, index, reinterpret_cast<LPARAM>(&button));
      MapWindowPoints(nullptr, reinterpret_cast<POINT *>(&button), 2);
      canGoLeft_ = true;
      canGoRight_ = true;
      escapePressed_ = false;
      trackedItem_ = index;
      nextItem_ = -1;
      mode_ = MODE_TRACKING;
      shownPopup_ = popup;
      SetHotButton(index);

      TPMPARAMS params = {};
      params.cbSize = sizeof params;
      params.rcExclude = button;
      POINT at = {button.left, button.bottom};
      RECT first = {};
      int width = (GetMenuItemRect(m_hWnd, popup, 0, &first) ? first.right - first.left : 0) + 10;
      RECT work = {};
      MONITORINFO monitor = {};
      monitor.cbSize = sizeof monitor;
      if (GetMonitorInfoA(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &monitor)) {
         work = monitor.rcWork;
      } else {
         SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
      }
      if (at.x + width > work.right) {
         at.x = work.right - width;
      }
      GetCursorPos(&lastMouse_);
      gTrackingMenubar = this;
      gMenuHook = SetWindowsHookExW(WH_MSGFILTER, MenuHookProc, nullptr, GetCurrentThreadId());
      TrackPopupMenuEx(popup, TPM_VERTICAL | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, m_hWnd, &params);
      if (gMenuHook) {
         UnhookWindowsHookEx(gMenuHook);
         gMenuHook = nullptr;
      }
      gTrackingMenubar = nullptr;
      shownPopup_ = nullptr;
      if (escapePressed_ && nextItem_ < 0) {
         mode_ = MODE_KEYBOARD;
         SetHotButton(index);
      } else {
         mode_ = MODE_IDLE;
         SetHotButton(-1);
      }
      SendMessage(TB_PRESSBUTTON, index, FALSE);
      if (trackedItem_ == index) {
         trackedItem_ = -1;
      }
      index = nextItem_;
   }
}

LRESULT CALLBACK CZOLTMenubar::MenuHookProc(int code, WPARAM wParam, LPARAM lParam)
{
   if (code == MSGF_MENU && gTrackingMenubar && lParam) {
      try {
         if (gTrackingMenubar->OnMenuHookMessage(reinterpret_cast<MSG *>(lParam))) {
            return 1;
         }
      } catch (...) {
         Warning("CZOLTMenubar::MenuHookProc: a handler failed\n");
      }
   }
   return CallNextHookEx(gMenuHook, code, wParam, lParam);
}

bool CZOLTMenubar::OnMenuHookMessage(MSG *msg)
{
   switch (msg->message) {
   case WM_MOUSEMOVE:
   case WM_LBUTTONDOWN: {
      POINT point = msg->pt;
      if (msg->message == WM_MOUSEMOVE) {
         if (point.x == lastMouse_.x && point.y == lastMouse_.y) {
            return true;
         }
         lastMouse_ = point;
      }
      ScreenToClient(&point);
      RECT client = {};
      GetClientRect(&client);
      if (!PtInRect(&client, point)) {
         return false;
      }
      int hit = static_cast<int>(SendMessage(TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
      if (msg->message == WM_LBUTTONDOWN && hit == trackedItem_) {
         // A click on the open menu's own button closes it.
         nextItem_ = -1;
         EndMenu();
         return true;
      }
      if (hit >= 0 && hit < ButtonCount() && hit != trackedItem_ && IsButtonEnabled(hit)) {
         nextItem_ = hit;
         EndMenu();
         return true;
      }
      return false;
   }
   case WM_KEYDOWN:
      if (msg->wParam == VK_ESCAPE) {
         escapePressed_ = true;
         return false;
      }
      if ((msg->wParam == VK_LEFT && canGoLeft_) || (msg->wParam == VK_RIGHT && canGoRight_)) {
         nextItem_ = NeighbourButton(trackedItem_, msg->wParam == VK_LEFT ? -1 : 1);
         EndMenu();
         return true;
      }
      return false;
   default:
      return false;
   }
}

LRESULT CZOLTMenubar::OnMenuSelect(UINT, WPARAM wParam, LPARAM lParam, BOOL &)
{
   if (mode_ == MODE_TRACKING) {
      UINT flags = HIWORD(wParam);
      canGoRight_ = !(flags & MF_POPUP);
      canGoLeft_ = reinterpret_cast<HMENU>(lParam) == shownPopup_;
   }
   return 0;
}

LRESULT CZOLTMenubar::OnTrackMenu(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   TrackMenu(static_cast<int>(wParam));
   return 0;
}

LRESULT CZOLTMenubar::OnReflectedNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   auto *header = reinterpret_cast<NMHDR *>(lParam);
   if (header->code == TBN_DROPDOWN) {
      PostMessage(WM_TRACK_MENU, reinterpret_cast<NMTOOLBARW *>(lParam)->iItem);
      return TBDDRET_DEFAULT;
   }
   bHandled = FALSE;
   return 0;
}

BOOL CZOLTMenubar::PreTranslateMessage(MSG *msg)
{
   UINT message = msg->message;
   if (message != WM_KEYDOWN && message != WM_SYSKEYDOWN && message != WM_SYSKEYUP) {
      return FALSE;
   }
   WPARAM key = msg->wParam;
   bool shift = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
   bool control = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
   bool alt = (HIWORD(msg->lParam) & KF_ALTDOWN) != 0;
   if (key == VK_MENU || (key == VK_F10 && !shift && !control && !(alt && key != VK_F10))) {
      if (message == WM_SYSKEYUP && (mode_ == MODE_IDLE || mode_ == MODE_KEYBOARD)) {
         EnterKeyboardMode(mode_ == MODE_IDLE);
      }
      return TRUE;
   }
   if (message == WM_SYSKEYUP) {
      return FALSE;
   }
   if (mode_ == MODE_KEYBOARD) {
      int hot = static_cast<int>(SendMessage(TB_GETHOTITEM));
      switch (key) {
      case VK_ESCAPE:
         EnterKeyboardMode(false);
         return TRUE;
      case VK_LEFT:
      case VK_RIGHT:
         SetHotButton(NeighbourButton(hot < 0 ? 0 : hot, key == VK_LEFT ? -1 : 1));
         return TRUE;
      case VK_UP:
      case VK_DOWN:
      case VK_RETURN:
         PostMessage(WM_TRACK_MENU, hot < 0 ? 0 : hot);
         return TRUE;
      default:
         break;
      }
   }
   if ((alt || mode_ == MODE_KEYBOARD) && ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))) {
      UINT id = 0;
      if (SendMessage(TB_MAPACCELERATORW, static_cast<WPARAM>(key), reinterpret_cast<LPARAM>(&id))) {
         PostMessage(WM_TRACK_MENU, id);
         return TRUE;
      }
      if (mode_ == MODE_KEYBOARD) {
         MessageBeep(0);
         return TRUE;
      }
   }
   if (mode_ == MODE_KEYBOARD) {
      EnterKeyboardMode(false);
   }
   if ((key == VK_LEFT || key == VK_RIGHT) && ConsoleKeysHeld()) {
      PostMessage(WM_COMMAND, MAKEWPARAM(key == VK_LEFT ? IDM_TEAM_PREVIOUS_VM : IDM_TEAM_NEXT_VM, 1), 0);
      return TRUE;
   }
   return FALSE;
}

bool CZOLTMenubar::IsMenuItemEnabled(CommandId id)
{
   HMENU holder = menu_ ? FindMenuHoldingItem(id, menu_, true) : nullptr;
   if (!holder) {
      return false;
   }
   SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(holder), 0);
   // The refresh may have rebuilt or removed the item.
   holder = FindMenuHoldingItem(id, menu_, true);
   UINT state = holder ? GetMenuState(holder, id, MF_BYCOMMAND) : static_cast<UINT>(-1);
   return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

LRESULT CZOLTMenubar::OnInitMenuPopup(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   HMENU popup = reinterpret_cast<HMENU>(wParam);
   if (popup == teamMenu_) {
      for (int i = 0, count = GetMenuItemCount(popup); i < count; ++i) {
         HMENU sub = GetSubMenu(popup, i);
         UINT id = MenuItemId(popup, i);
         if (sub && id == IDM_TEAM_SWITCH_MENU) {
            RebuildTeamSwitchMenu(sub);
         } else if (sub && id == IDM_TEAM_REMOVE_MENU) {
            RebuildTeamRemoveMenu(sub);
         }
      }
   } else if (popup == windowMenu_) {
      RebuildWindowsMenu();
   } else if (popup == vmMenu_) {
      if (HMENU devices = FindPopupById(popup, IDM_VM_DEVICES_MENU); devices && deviceMenu_) {
         deviceMenu_->Build(devices);
      }
      if (HMENU snapshots = FindPopupById(popup, IDM_VM_SNAPSHOT_MENU); snapshots && snapshotMRUMenu_) {
         snapshotMRUMenu_->Rebuild(snapshots);
      }
   }
   wui::Prefs *prefs = wui::GetPrefs();
   std::string path;
   if (prefs && !prefs->GetCurrentObj().empty() && prefs->GetCurrentObjType() != "home") {
      path = prefs->GetCurrentObjPath();
   }
   if (!gApp) {
      return 0;
   }
   _bstr_t bpath(path.c_str());
   for (int i = GetMenuItemCount(popup) - 1; i >= 0; --i) {
      UINT id = MenuItemId(popup, i);
      if (id == 0 || id == static_cast<UINT>(-1)) {
         continue;
      }
      try {
         gApp->UpdateMenuItemState(popup, static_cast<CommandId>(id), kSourceMenuBar, bpath);
      } catch (const cui::Error &error) {
         Warning("UpdateMenuItemState failed for item %d: %s\n", static_cast<int>(id), error.what());
      } catch (const _com_error &error) {
         Warning("UpdateMenuItemState failed for item %d: %s\n", static_cast<int>(id),
                 zoltdb::ComText(error).c_str());
      }
   }
   return 0;
}

cui::Team *CZOLTMenubar::GetCurrentTeam() const
{
   wui::Prefs *prefs = wui::GetPrefs();
   cui::TeamMgr *teams = cui::GetTeamMgr();
   if (!prefs || !teams || prefs->GetCurrentObjType() != "team") {
      return nullptr;
   }
   return teams->GetTeamByCfgPath(prefs->GetCurrentObjPath());
}

void CZOLTMenubar::FreeListData(HMENU popup)
{
   for (int i = GetMenuItemCount(popup) - 1; i >= 0; --i) {
      MENUITEMINFOW info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_DATA;
      if (GetMenuItemInfoW(popup, i, TRUE, &info) && info.dwItemData) {
         RemoveMenuItemWithData(popup, i);
      }
   }
}

void CZOLTMenubar::RebuildTeamSwitchMenu(HMENU popup)
{
   if (nextVMText_.empty()) {
      nextVMText_ = GetMenuItemText(popup, IDM_TEAM_NEXT_VM);
      previousVMText_ = GetMenuItemText(popup, IDM_TEAM_PREVIOUS_VM);
   }
   while (GetMenuItemCount(popup) > 2) {
      RemoveMenuItemWithData(popup, 0);
   }
   if (cui::Team *team = GetCurrentTeam()) {
      std::vector<cui::VM *> vms = SortedTeamVMs(*team);
      cui::VM *current = team->GetCurrentVM();
      for (size_t i = 0; i < vms.size(); ++i) {
         if (i >= static_cast<size_t>(kMaxListItems)) {
            Log("CZOLTMenubar::RebuildTeamSwitchMenu: Too many VMs for list! Consider increasing "
                "IDM_TEAM_SWITCH_LAST_VM.\n");
            break;
         }
         UINT id = IDM_TEAM_SWITCH_FIRST_VM + static_cast<UINT>(i);
         InsertNumberedMenuItem(popup, WideFromUtf8(EscapeAmpersands(vms[i]->GetName())), 0, static_cast<unsigned>(i),
                                vms[i]->GetVmPath().c_str(), id, false);
         if (current && current->GetVmPath() == vms[i]->GetVmPath()) {
            CheckMenuRadioItem(popup, IDM_TEAM_SWITCH_FIRST_VM, kTeamSwitchListLast, id, MF_BYCOMMAND);
         }
      }
   }
   // The kept texts hold "%s" for the console key sequence.
   cui::Prefs *prefs = cui::GetPrefs();
   std::string keys = prefs ? prefs->GetMKSKeySequence() : std::string("Ctrl+Alt");
   if (!nextVMText_.empty()) {
      SetMenuItemText(popup, IDM_TEAM_NEXT_VM, cui::Format(nextVMText_.c_str(), keys.c_str()));
   }
   if (!previousVMText_.empty()) {
      SetMenuItemText(popup, IDM_TEAM_PREVIOUS_VM, cui::Format(previousVMText_.c_str(), keys.c_str()));
   }
}

void CZOLTMenubar::RebuildTeamRemoveMenu(HMENU popup)
{
   while (GetMenuItemCount(popup) > 0) {
      RemoveMenuItemWithData(popup, 0);
   }
   cui::Team *team = GetCurrentTeam();
   if (!team) {
      return;
   }
   // The LANs go in first: the machines' list, put in front of them, parts itself from them.
   const std::vector<cui::TeamNet *> &nets = team->GetNets();
   for (size_t j = 0; j < nets.size(); ++j) {
      if (j >= static_cast<size_t>(kMaxListItems)) {
         Log("CZOLTMenubar::RebuildTeamRemoveMenu: Too many LANs for list! Consider increasing "
             "IDM_TEAM_REMOVE_LAST_LAN.\n");
         break;
      }
      InsertNumberedMenuItem(popup, WideFromUtf8(EscapeAmpersands(nets[j]->GetName())), 0, static_cast<unsigned>(j),
                             nets[j]->GetNetworkID().c_str(), IDM_TEAM_REMOVE_FIRST_LAN + static_cast<UINT>(j), true);
   }
   std::vector<cui::VM *> vms = SortedTeamVMs(*team);
   for (size_t i = 0; i < vms.size(); ++i) {
      if (i >= static_cast<size_t>(kMaxListItems)) {
         Log("CZOLTMenubar::RebuildTeamRemoveMenu: Too many VMs for list! Consider increasing "
             "IDM_TEAM_REMOVE_LAST_VM.\n");
         break;
      }
      InsertNumberedMenuItem(popup, WideFromUtf8(EscapeAmpersands(vms[i]->GetName())), 0, static_cast<unsigned>(i),
                             vms[i]->GetVmPath().c_str(), IDM_TEAM_REMOVE_FIRST_VM + static_cast<UINT>(i), false);
   }
}

void CZOLTMenubar::RebuildWindowsMenu()
{
   if (!windowMenu_) {
      return;
   }
   while (GetMenuItemCount(windowMenu_) > 2) {
      RemoveMenuItemWithData(windowMenu_, 0);
   }
   if (!ctx_.IsValid()) {
      return;
   }
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   cui::TeamMgr *teamMgr = cui::GetTeamMgr();
   std::vector<std::string> records = ctx_.Elements(cui::appdata::kOpenedObjElements);
   UINT base = 0;
   for (size_t i = 0; i < records.size(); ++i) {
      UINT id = IDM_WINDOW_FIRST_TAB + static_cast<UINT>(i);
      if (id > IDM_WINDOW_LAST_TAB) {
         // Past the last tab the ids belong to other commands.
         break;
      }
      const std::string &record = records[i];
      std::string type = ctx_.Get(record + "type");
      std::string path = ctx_.Get(record + "path");
      std::string name;
      if (type == "home") {
         name = LoadResString(IDS_HOME_TAB_TITLE);
      } else if (type == "vm") {
         cui::VM *vm = vmMgr ? vmMgr->GetVMByVMPath(path) : nullptr;
         name = vm ? vm->GetName() : path;
      } else if (type == "team") {
         cui::Team *team = teamMgr ? teamMgr->GetTeamByCfgPath(path) : nullptr;
         name = team ? team->GetName() : path;
      } else {
         name = path;
      }
      InsertNumberedMenuItem(windowMenu_, WideFromUtf8(EscapeAmpersands(name)), base, static_cast<unsigned>(i),
                             record.c_str(), id, false);
   }
}

void CZOLTMenubar::OnWindowsMenu(CommandId id)
{
   std::string record = GetMenuItemPath(windowMenu_, id, false);
   if (!record.empty() && ctx_.IsValid()) {
      ctx_.Set(cui::appdata::kCurrentObj, record);
   }
}

void CZOLTMenubar::RequestGrab(const std::string &vmPath, const char *state)
{
   std::string grab = vmPath + "mks/grabState/";
   if (ctx_.Test(grab + "new")) {
      return;
   }
   std::string request = ctx_.Append(grab + "req/#");
   ctx_.Set(request + "val", state);
   ctx_.Set(grab + "new", request);
}

void CZOLTMenubar::SwitchWindow(bool next)
{
   if (!ctx_.IsValid()) {
      return;
   }
   wui::Prefs *prefs = wui::GetPrefs();
   std::string current = prefs ? prefs->GetCurrentObj() : std::string();
   bool grabbed = false;
   if (prefs && prefs->GetCurrentObjType() == "vm") {
      std::string vmPath = prefs->GetCurrentObjPath();
      if (ctx_.Get(vmPath + "mks/grabState/val") == "grabbed") {
         grabbed = true;
         RequestGrab(vmPath, "ungrabbedHard");
      }
   }
   std::vector<std::string> records = ctx_.Elements(cui::appdata::kOpenedObjElements);
   if (records.empty()) {
      return;
   }
   auto found = std::find(records.begin(), records.end(), current);
   int index = found == records.end() ? -1 : static_cast<int>(found - records.begin());
   int count = static_cast<int>(records.size());
   int target = index < 0 ? 0 : (next ? (index + 1) % count : (index + count - 1) % count);
   ctx_.Set(cui::appdata::kCurrentObj, records[target]);
   if (grabbed && ctx_.Get(records[target] + "type") == "vm") {
      std::string vmPath = ctx_.Get(records[target] + "path");
      if (ctx_.Get(vmPath + "vmx/execState/val") == "poweredOn") {
         RequestGrab(vmPath, "grabbed");
      }
   }
}

void CZOLTMenubar::OnTabKeyEvent(const std::string &)
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs || !prefs->GetFullScreen()) {
      SwitchWindow(true);
   }
}

void CZOLTMenubar::OnTeamSwitch(CommandId id)
{
   cui::Team *team = GetCurrentTeam();
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   auto *wteam = dynamic_cast<wui::Team *>(team);
   if (!wteam || !vmMgr) {
      return;
   }
   cui::VM *target = nullptr;
   if (id == IDM_TEAM_NEXT_VM || id == IDM_TEAM_PREVIOUS_VM) {
      std::vector<cui::VM *> vms = SortedTeamVMs(*team);
      int current = -1;
      for (size_t i = 0; i < vms.size(); ++i) {
         if (team->GetCurrentVM() && vms[i]->GetVmPath() == team->GetCurrentVM()->GetVmPath()) {
            current = static_cast<int>(i);
         }
      }
      int index = NextTeamVMIndex(current, static_cast<int>(vms.size()), id == IDM_TEAM_NEXT_VM);
      target = index < 0 ? nullptr : vms[index];
   } else {
      HMENU holder = FindMenuHoldingItem(id, teamMenu_, true);
      target = holder ? vmMgr->GetVMByVMPath(GetMenuItemPath(holder, id, false)) : nullptr;
   }
   if (target && team->HasVM(target->GetVmPath())) {
      wteam->SetCurrentVM(target);
   }
}

void CZOLTMenubar::OnTeamRemove(CommandId id)
{
   cui::Host *host = wui::GetCurrentHost();
   if (!gApp || !TremAppUtil_CheckLockout(gApp->GetContext(), host ? host->GetPath().c_str() : "", "lockoutEditVM")) {
      Log("CZOLTMenubar::OnTeamRemove: %u refused by the administrator\n", static_cast<unsigned>(id));
      return;
   }
   cui::Team *team = GetCurrentTeam();
   HMENU holder = team ? FindMenuHoldingItem(id, teamMenu_, true) : nullptr;
   std::string data = holder ? GetMenuItemPath(holder, id, false) : std::string();
   Log("CZOLTMenubar::OnTeamRemove: %u %s\n", static_cast<unsigned>(id), data.c_str());
   if (data.empty()) {
      return;
   }
   if (id >= IDM_TEAM_REMOVE_FIRST_LAN) {
      gApp->RemoveTeamNet(team, data);
   } else if (cui::VMMgr *vmMgr = cui::GetVMMgr()) {
      if (cui::VM *vm = vmMgr->GetVMByVMPath(data)) {
         gApp->RemoveVMFromTeam(team, vm);
      }
   }
}

void CZOLTMenubar::OnTeamAdd(CommandId id)
{
   cui::Team *team = GetCurrentTeam();
   if (!gApp || !team) {
      return;
   }
   switch (id) {
   case IDM_TEAM_ADD_NEW_VM:
      gApp->AddNewVMToTeam(team);
      break;
   case IDM_TEAM_ADD_EXISTING_VM:
      gApp->AddExistingVMToTeam(team);
      break;
   case IDM_TEAM_ADD_CLONE:
      gApp->AddCloneToTeam(team);
      break;
   case IDM_TEAM_ADD_LAN:
      gApp->AddTeamLAN(team);
      break;
   default:
      break;
   }
}

LRESULT CZOLTMenubar::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   if (lParam) {
      bHandled = FALSE;
      return 0;
   }
   CommandId id = LOWORD(wParam);
   wui::Prefs *prefs = wui::GetPrefs();
   MenuRoute route = MenuBarRouteOf(id);
   // Commands can arrive while the application is being torn down: the dispatcher's routes
   // need it, the tab and list routes do not.
   bool toDispatcher = route == MenuRoute::Global || route == MenuRoute::Object || route == MenuRoute::CurrentObject;
   if (toDispatcher && !gApp) {
      return 0;
   }
   switch (route) {
   case MenuRoute::Global: {
      _bstr_t path("");
      gApp->MenuButtonClicked(id, path, kSourceMenuBar);
      break;
   }
   case MenuRoute::Object: {
      _bstr_t path(gApp->GetCurrentObjPath().c_str());
      gApp->MenuButtonClicked(id, path, kSourceMenuBar);
      break;
   }
   case MenuRoute::CurrentObject: {
      _bstr_t path(prefs ? prefs->GetCurrentObjPath().c_str() : "");
      gApp->MenuButtonClicked(id, path, kSourceMenuBar);
      break;
   }
   case MenuRoute::TeamSwitch:
      OnTeamSwitch(id);
      break;
   case MenuRoute::TeamAdd:
      OnTeamAdd(id);
      break;
   case MenuRoute::TeamRemove:
      OnTeamRemove(id);
      break;
   case MenuRoute::Tabs:
      SwitchWindow(id == IDM_WINDOW_NEXT_TAB);
      break;
   case MenuRoute::WindowMenu:
      OnWindowsMenu(id);
      break;
   case MenuRoute::Devices:
      if (deviceMenu_) {
         deviceMenu_->ExecCommand(id, gApp ? gApp->GetFrameWindow() : nullptr);
      }
      break;
   case MenuRoute::RecentSnapshots:
      if (snapshotMRUMenu_) {
         snapshotMRUMenu_->ExecCommand(id);
      }
      break;
   case MenuRoute::None:
      break;
   }
   return 0;
}

LRESULT CZOLTMenubar::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   tabKeyWatch_.disconnect();
   ctx_ = vmdb::Ctx();
   if (menu_) {
      // Path copies live in the dynamic lists' item data: free them before the menus go.
      for (HMENU list : {windowMenu_}) {
         if (list) {
            FreeListData(list);
         }
      }
      if (teamMenu_) {
         for (int i = 0, count = GetMenuItemCount(teamMenu_); i < count; ++i) {
            if (HMENU sub = GetSubMenu(teamMenu_, i)) {
               FreeListData(sub);
            }
         }
      }
      DestroyMenu(menu_);
      menu_ = nullptr;
   }
   for (HMENU removed : removedMenus_) {
      DestroyMenu(removed);
   }
   removedMenus_.clear();
   deviceMenu_.reset();
   snapshotMRUMenu_.reset();
   notify_callbacks();
   bHandled = FALSE;
   return 0;
}

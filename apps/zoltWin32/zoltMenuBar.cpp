#include "zoltMenuBar.h"

#include "resource.h"
#include "zoltApp.h"
#include "zoltFrame.h"
#include "zoltMenuUtil.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

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
#include "tremorybase/Log.h"

#include <algorithm>
#include <cstring>

namespace {

const char kOpenedObj[] = "/appdata/Tremory/zolt/openedObj/#";
const char kCurrentObj[] = "/appdata/Tremory/zolt/currentObj";
const char kTabKeyEvent[] = "/vm/#/mks/tabKeyEvent";

const PopupIdPair kPopupIds[] = {
   {40073, IDM_VM_POWER_ON},        {40070, IDM_VM_DEVICE_FIRST},  {40492, IDM_VM_SNAPSHOT_TAKE},
   {632, IDM_VM_REPLAY_PLAY},       {41401, IDM_TEAM_POWER_ON},    {41500, IDM_TEAM_NEXT_VM},
   {41406, IDM_TEAM_ADD_NEW_VM},    {41600, IDM_TEAM_REMOVE_FIRST_VM}, {40193, IDM_VIEW_SUMMARY},
   {0, 0},
};

const CommandId kGlobalIds[] = {449,   453,   468,   469,   470,   481,   618,   620,   40002, 40003, 40009,
                                40018, 40022, 40023, 40024, 40025, 40026, 40028, 40030, 40033, 40037, 40038,
                                40039, 40041, 40043, 40049, 40052, 40053, 40054, 40057, 40063, 40064, 40065,
                                40068, 40074, 40077, 40084, 40190, 40191, 40192, 40194, 40195, 40196, 40199,
                                40200, 40206, 40217, 40218, 40219, 40220, 40245, 41400, 41989};
const CommandId kObjectIds[] = {165,   168,   169,   171,   172,   513,   532,   40010, 40019,
                                40020, 40021, 40046, 40047, 40048, 40051, 40058, 40059, 40060,
                                40062, 40067, 40070, 40071, 40072, 40203, 40721, 40730, 41960};
const CommandId kCurrentObjectIds[] = {437,   450,   455,   476,   621,   622,   628,   630,   631,  40722,
                                       41402, 41403, 41404, 41405, 41410, 41899, 41902, 41903, 41904};

template <size_t n>
bool Contains(const CommandId (&ids)[n], CommandId id)
{
   return std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

// The console key combination: Ctrl and Alt held together.
bool ConsoleKeysHeld()
{
   return (GetKeyState(VK_CONTROL) & 0x8000) && (GetKeyState(VK_MENU) & 0x8000) && !(GetKeyState(VK_SHIFT) & 0x8000);
}

std::wstring Widen(const std::string &text)
{
   int count = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
   std::wstring wide(count > 0 ? count - 1 : 0, L'\0');
   if (count > 1) {
      MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], count);
   }
   return wide;
}

UINT MenuItemId(HMENU menu, int position)
{
   MENUITEMINFOA info = {};
   info.cbSize = sizeof info;
   info.fMask = MIIM_ID;
   return GetMenuItemInfoA(menu, position, TRUE, &info) ? info.wID : 0;
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
   if ((id >= IDM_TEAM_SWITCH_FIRST_VM && id <= 41590) || id == IDM_TEAM_NEXT_VM || id == IDM_TEAM_PREVIOUS_VM) {
      return MenuRoute::TeamSwitch;
   }
   if (id == IDM_TEAM_ADD_NEW_VM || id == IDM_TEAM_ADD_EXISTING_VM || id == IDM_TEAM_ADD_CLONE ||
       id == IDM_TEAM_ADD_LAN) {
      return MenuRoute::TeamAdd;
   }
   if ((id >= IDM_TEAM_REMOVE_FIRST_VM && id <= 41690) || (id >= 41701 && id <= 41790)) {
      return MenuRoute::TeamRemove;
   }
   if (id >= 50001 && id <= 50199) {
      return MenuRoute::Devices;
   }
   if (id >= 40493 && id <= 40502) {
      return MenuRoute::RecentSnapshots;
   }
   if (id == IDM_WINDOW_NEXT_TAB || id == IDM_WINDOW_PREVIOUS_TAB) {
      return MenuRoute::Tabs;
   }
   // The Window menu's tabs end at 40188: 40190 and up are other commands.
   if (id >= 40089 && id <= IDM_WINDOW_LAST_TAB) {
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
   std::vector<cui::VM *> vms = team.GetVMs();
   std::stable_sort(vms.begin(), vms.end(), [](const cui::VM *a, const cui::VM *b) {
      return lstrcmpiA(a->GetName().c_str(), b->GetName().c_str()) < 0;
   });
   return vms;
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
   HWND toolbar = CreateWindowExA(CZOLTMenubarTraits::GetWndExStyle(0), TOOLBARCLASSNAMEA, nullptr,
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
   std::vector<std::string> texts(count);
   for (int i = 0; i < count; ++i) {
      char text[128] = {};
      GetMenuStringA(menu_, i, text, sizeof text - 1, MF_BYPOSITION);
      texts[i] = std::string(text) + '\0';
      TBBUTTON &button = buttons[i];
      button.iBitmap = I_IMAGENONE;
      button.idCommand = i;
      button.fsState = (GetMenuState(menu_, i, MF_BYPOSITION) & MF_GRAYED) ? 0 : TBSTATE_ENABLED;
      button.fsStyle = BTNS_AUTOSIZE | BTNS_DROPDOWN;
      button.iString = SendMessage(TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>(texts[i].c_str()));
   }
   if (count > 0) {
      SendMessage(TB_ADDBUTTONSA, count, reinterpret_cast<LPARAM>(buttons.data()));
   }
   AssignPopupIds(menu_, kPopupIds);
   RebuildWindowsMenu();
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
      gMenuHook = SetWindowsHookExA(WH_MSGFILTER, MenuHookProc, nullptr, GetCurrentThreadId());
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
      PostMessage(WM_TRACK_MENU, reinterpret_cast<NMTOOLBARA *>(lParam)->iItem);
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
      if (SendMessage(TB_MAPACCELERATORA, static_cast<WPARAM>(key), reinterpret_cast<LPARAM>(&id))) {
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
         if (sub && id == 41500) {
            RebuildTeamSwitchMenu(sub);
         } else if (sub && id == 41600) {
            RebuildTeamRemoveMenu(sub);
         }
      }
   } else if (popup == windowMenu_) {
      RebuildWindowsMenu();
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
                 static_cast<const char *>(_bstr_t(error.ErrorMessage())));
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
      MENUITEMINFOA info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_DATA;
      if (GetMenuItemInfoA(popup, i, TRUE, &info) && info.dwItemData) {
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
         InsertNumberedMenuItem(popup, Widen(EscapeAmpersands(vms[i]->GetName())), 0, static_cast<unsigned>(i),
                                vms[i]->GetVmPath().c_str(), id, false);
         if (current && current->GetVmPath() == vms[i]->GetVmPath()) {
            CheckMenuRadioItem(popup, IDM_TEAM_SWITCH_FIRST_VM, 41590, id, MF_BYCOMMAND);
         }
      }
   }
   // The kept texts hold "%s" for the console key sequence.
   const char *keys = "Ctrl+Alt";
   if (!nextVMText_.empty()) {
      SetMenuItemText(popup, IDM_TEAM_NEXT_VM, cui::Format(nextVMText_.c_str(), keys));
   }
   if (!previousVMText_.empty()) {
      SetMenuItemText(popup, IDM_TEAM_PREVIOUS_VM, cui::Format(previousVMText_.c_str(), keys));
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
   std::vector<cui::VM *> vms = SortedTeamVMs(*team);
   for (size_t i = 0; i < vms.size(); ++i) {
      if (i >= static_cast<size_t>(kMaxListItems)) {
         Log("CZOLTMenubar::RebuildTeamRemoveMenu: Too many VMs for list! Consider increasing "
             "IDM_TEAM_REMOVE_LAST_VM.\n");
         break;
      }
      InsertNumberedMenuItem(popup, Widen(EscapeAmpersands(vms[i]->GetName())), 0, static_cast<unsigned>(i),
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
   std::vector<std::string> records = ctx_.Elements(kOpenedObj);
   UINT base = 0;
   for (size_t i = 0; i < records.size(); ++i) {
      UINT id = 40089 + static_cast<UINT>(i);
      if (id > IDM_WINDOW_LAST_TAB) {
         // Past 40188 the ids belong to other commands.
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
      InsertNumberedMenuItem(windowMenu_, Widen(EscapeAmpersands(name)), base, static_cast<unsigned>(i),
                             record.c_str(), id, false);
   }
}

void CZOLTMenubar::OnWindowsMenu(CommandId id)
{
   std::string record = GetMenuItemPath(windowMenu_, id, false);
   if (!record.empty() && ctx_.IsValid()) {
      ctx_.Set(kCurrentObj, record);
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
   std::vector<std::string> records = ctx_.Elements(kOpenedObj);
   if (records.empty()) {
      return;
   }
   auto found = std::find(records.begin(), records.end(), current);
   int index = found == records.end() ? -1 : static_cast<int>(found - records.begin());
   int count = static_cast<int>(records.size());
   int target = index < 0 ? 0 : (next ? (index + 1) % count : (index + count - 1) % count);
   ctx_.Set(kCurrentObj, records[target]);
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
   // The application has no team-removal handlers yet: the chosen item is only logged.
   cui::Team *team = GetCurrentTeam();
   HMENU holder = team ? FindMenuHoldingItem(id, teamMenu_, true) : nullptr;
   std::string data = holder ? GetMenuItemPath(holder, id, false) : std::string();
   Log("CZOLTMenubar::OnTeamRemove: %u %s\n", static_cast<unsigned>(id), data.c_str());
}

void CZOLTMenubar::OnTeamAdd(CommandId id)
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (!gApp || !GetCurrentTeam() || !prefs) {
      return;
   }
   _bstr_t path(prefs->GetCurrentObjPath().c_str());
   gApp->MenuButtonClicked(id, path, kSourceMenuBar);
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
   case MenuRoute::RecentSnapshots:
      // The removable-device and recent-snapshot lists are not built yet: their items never show.
      Log("CZOLTMenubar::OnCommand: no list for %u\n", static_cast<unsigned>(id));
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
   notify_callbacks();
   bHandled = FALSE;
   return 0;
}

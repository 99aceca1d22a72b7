// Menu item state: one rule per command id, asked before a menu opens.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltCommandRoute.h"
#include "zoltFrame.h"
#include "zoltMenuUtil.h"
#include "zoltModelOps.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "res/resource.h"

#include "cui/AppDataPaths.h"
#include "cui/HotFixMgr.h"
#include "cui/MVMTMgr.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "cui/SessionRecordMgr.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "cui/Host.h"
#include "cui/Util.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"
#include "cui/ZephroServerMgr.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"

#include <algorithm>

namespace {

const int kAnyBusy = 15;
const char kPrefsNew[] = "/user/prefState/new";
const char kHintsNew[] = "/user/hintsState/new";
const std::string kHostSettingsNew = std::string(cui::appdata::kCurrentHost) + "/settingsState/new";
const std::string kVmnetSupported = std::string(cui::appdata::kCurrentHost) + "/vmnetState/supported";
const std::string kVmnetNew = std::string(cui::appdata::kCurrentHost) + "/vmnetState/new";
const std::string kCurrentObjPathField = std::string(cui::appdata::kCurrentObj) + "/path";

bool InRange(CommandId id, unsigned first, unsigned last)
{
   return id >= first && id <= last;
}

// Ids whose enabled and checked state the restricted interface of the current machine overrides.
bool IsRestrictedCommand(CommandId id)
{
   static const CommandId ids[] = {
      IDM_VM_SHUT_DOWN_GUEST, IDM_VM_SUSPEND_GUEST, IDM_VM_START_GUEST, IDM_VM_RESTART_GUEST, IDM_VM_CLONE,
      IDM_VM_FORK, IDM_VM_POWER_OFF, IDM_VM_SUSPEND, IDM_VM_RESET, IDM_FILE_NEW_VM, IDM_VM_SETTINGS,
      IDM_VM_CAPTURE_SCREEN, IDM_VM_CAPTURE_MOVIE, IDM_FILE_CLOSE, IDM_VM_SNAPSHOT_REVERT, IDM_VM_UPGRADE_HARDWARE,
      IDM_VM_SNAPSHOT_TAKE, IDM_VM_SNAPSHOT_MANAGER, IDM_VM_POWER_ON, IDM_VIEW_SIDEBAR, IDM_VM_SNAPSHOT_DELETE,
      IDM_VM_DEVICES_MENU, IDM_FILE_FAVORITES, IDM_FILE_NEW_WINDOW, IDM_EDIT_NETWORK_SETTINGS, IDM_FILE_MAP_DISKS,
      IDM_FILE_NEW_TEAM,
   };
   return std::find(std::begin(ids), std::end(ids), id) != std::end(ids);
}

void SetItemState(HMENU menu, CommandId id, bool enabled, bool checked)
{
   EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
   CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

bool IsOn(const cui::VM *vm)
{
   return vm && vm->GetPowerState() == cui::VM::POWERED_ON;
}

bool IsRemoteMode()
{
   cui::Prefs *prefs = cui::GetPrefs();
   return prefs && prefs->GetUIMode() == cui::Prefs::UI_MODE_REMOTE;
}

cui::VM *VMByVMPath(const std::string &path)
{
   cui::VMMgr *mgr = cui::GetVMMgr();
   return mgr && !path.empty() ? mgr->GetVMByVMPath(path) : nullptr;
}

cui::Team *TeamByCfgPath(const std::string &path)
{
   cui::TeamMgr *mgr = cui::GetTeamMgr();
   return mgr && !path.empty() ? mgr->GetTeamByCfgPath(path) : nullptr;
}

cui::MVMTemplate *TemplateByFilename(const std::string &file)
{
   cui::MVMTMgr *mgr = cui::GetMVMTMgr();
   return mgr && !file.empty() ? mgr->GetMVMTByFilename(file) : nullptr;
}

// A template by its own (database) path.
cui::MVMTemplate *TemplateByPath(const std::string &path)
{
   cui::MVMTMgr *mgr = cui::GetMVMTMgr();
   if (!mgr || path.empty()) {
      return nullptr;
   }
   for (cui::MVMTemplate *mvmt : mgr->GetMVMTs()) {
      if (mvmt && mvmt->GetVmPath() == path) {
         return mvmt;
      }
   }
   return nullptr;
}

}  // namespace

bool CZOLTApp::UpdateMenuItemState(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path)
{
   bool remove = false;
   try {
      switch (MenuRuleOf(id)) {
      case MenuRule::File: remove = UpdateFileMenuItem(menu, id); break;
      case MenuRule::Edit: remove = UpdateEditMenuItem(menu, id); break;
      case MenuRule::View: remove = UpdateViewMenuItem(menu, id); break;
      case MenuRule::Host: remove = UpdateHostMenuItem(menu, id); break;
      case MenuRule::Help: remove = UpdateHelpMenuItem(menu, id); break;
      case MenuRule::Power: remove = UpdatePowerMenuItem(menu, id, source, path); break;
      case MenuRule::Snapshot: remove = UpdateSnapshotMenuItem(menu, id, source, path); break;
      case MenuRule::VM: remove = UpdateVMMenuItem(menu, id, source, path); break;
      case MenuRule::Team: remove = UpdateTeamMenuItem(menu, id, source, path); break;
      case MenuRule::TeamPower: remove = UpdateTeamPowerMenuItem(menu, id, source, path); break;
      case MenuRule::TeamAdd: remove = UpdateTeamAddMenuItem(menu, id, source, path); break;
      case MenuRule::Zephro: remove = UpdateZephroMenuItem(menu, id, source, path); break;
      case MenuRule::Server: remove = UpdateServerMenuItem(menu, id, path); break;
      case MenuRule::HotFix: remove = UpdateHotFixMenuItem(menu, id, path); break;
      case MenuRule::Windows: remove = UpdateWindowsMenuItem(menu, id); break;
      case MenuRule::None: return false;
      }
   } catch (const _com_error &error) {
      Warning("CZOLTApp::UpdateMenuItemState: failed: %s\n", zoltdb::ComText(error).c_str());
      return false;
   }
   return remove && RemoveMenuItemAndSeparator(menu, id);
}

void CZOLTApp::UpdatePopupMenu(HMENU menu, CommandSource source, const _bstr_t &path)
{
   // The count is read at every step: a removal may take a separator with the item, and a walk
   // over a count taken once would skip the item that moved into place or read past the end.
   int pos = 0;
   while (pos < GetMenuItemCount(menu)) {
      if (HMENU sub = GetSubMenu(menu, pos)) {
         UpdatePopupMenu(sub, source, path);
         if (GetMenuItemCount(sub) == 0) {
            DeleteMenu(menu, static_cast<UINT>(pos), MF_BYPOSITION);
         } else {
            ++pos;
         }
         continue;
      }
      int before = GetMenuItemCount(menu);
      if (IsMenuSeparatorAt(menu, pos) ||
          !UpdateMenuItemState(menu, static_cast<CommandId>(GetMenuItemID(menu, pos)), source, path)) {
         ++pos;
      } else if (before - GetMenuItemCount(menu) > 1 && pos > 0) {
         // The separator before the item went too: the next item now stands one place earlier.
         --pos;
      }
   }
}

bool CZOLTApp::IsHostUsable()
{
   return !IsRemoteMode() || zoltdb::ReadFlag(ctx_, cui::appdata::kSessionActive);
}

void CZOLTApp::SetFavoritesMenuText(HMENU menu, CommandId id, bool add)
{
   SetMenuItemText(menu, id, tremapputil::ResString(add ? IDS_ADD_TO_FAVORITES : IDS_REMOVE_FROM_FAVORITES).Text());
}

void CZOLTApp::ApplyRestrictedState(HMENU menu, CommandId id, bool enabled, bool checked)
{
   if (IsRestrictedCommand(id) && IsCurrentVMGUIRestricted()) {
      enabled = false;
      checked = false;
   }
   SetItemState(menu, id, enabled, checked);
}

bool CZOLTApp::IsEditClipboardCommandEnabled(CommandId id)
{
   HWND focus = GetFocus();
   wchar_t className[1024] = L"";
   if (!focus || !GetClassNameW(focus, className, 1024) || lstrcmpiW(className, L"EDIT") != 0) {
      return false;
   }
   if (id == IDM_EDIT_PASTE) {
      if (!OpenClipboard(nullptr)) {
         return false;
      }
      // Only text can be pasted into an edit control; the system offers every text in all its forms.
      bool text = IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE;
      CloseClipboard();
      return text;
   }
   DWORD start = 0;
   DWORD end = 0;
   SendMessageW(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
   return start < end;
}

bool CZOLTApp::UpdateFileMenuItem(HMENU menu, CommandId id)
{
   wui::Prefs *prefs = wui::GetPrefs();
   const bool remote = IsRemoteMode();
   bool enabled = true;
   bool remove = false;
   switch (id) {
   case IDM_FILE_NEW_ZEPHRO_TEMPLATE:
   case IDM_FILE_CONNECT_ZEPHRO_SERVER:
      enabled = IsHostUsable();
      remove = !wui::util::HasZephroExtension();
      break;
   case IDM_FILE_IMPORT:
   case IDM_FILE_OPEN:
      enabled = IsHostUsable();
      break;
   case IDM_FILE_NEW_VM: {
      cui::Host *host = wui::GetCurrentHost();
      enabled = IsHostUsable() && host && host->CapNewVM();
      break;
   }
   case IDM_FILE_CLOSE: {
      const std::string type = prefs->GetCurrentObjType();
      const std::string path = prefs->GetCurrentObjPath();
      if (type == "vm") {
         cui::VM *vm = VMByVMPath(path);
         enabled = vm && !vm->GetBusy(kAnyBusy);
      } else if (type == "team") {
         wui::Team *team = dynamic_cast<wui::Team *>(TeamByCfgPath(path));
         enabled = team && !team->GetBusy();
      } else if (type == "mvmt") {
         cui::MVMTemplate *mvmt = TemplateByPath(path);
         enabled = mvmt && !mvmt->GetBusy(kAnyBusy);
      } else {
         enabled = !type.empty();
      }
      break;
   }
   case IDM_FILE_FAVORITES: {
      const std::string type = prefs->GetCurrentObjType();
      const std::string path = prefs->GetCurrentObjPath();
      remove = remote;
      if (type == "vm") {
         cui::VM *vm = VMByVMPath(path);
         enabled = !(vm && vm->GetInTeam());
         SetFavoritesMenuText(menu, id, vm && !IsInFavorites(vm->GetFilename()));
      } else if (type == "team") {
         cui::Team *team = TeamByCfgPath(path);
         SetFavoritesMenuText(menu, id, team && !IsInFavorites(team->GetFilename()));
      } else if (type == "mvmt") {
         cui::MVMTemplate *mvmt = TemplateByPath(path);
         enabled = mvmt != nullptr;
         SetFavoritesMenuText(menu, id, mvmt && !IsInFavorites(mvmt->GetFilename()));
      } else {
         enabled = false;
      }
      break;
   }
   case IDM_FILE_MAP_DISKS:
   case IDM_FILE_NEW_TEAM:
      enabled = id == IDM_FILE_MAP_DISKS || IsHostUsable();
      remove = remote;
      break;
   default:
      break;
   }
   ApplyRestrictedState(menu, id, enabled, false);
   return remove;
}

bool CZOLTApp::UpdateEditMenuItem(HMENU menu, CommandId id)
{
   bool enabled = true;
   bool remove = false;
   switch (id) {
   case IDM_EDIT_PREFERENCES:
      enabled = !zoltdb::ReadFlag(ctx_, kPrefsNew) &&
                (IsRemoteMode() || !zoltdb::ReadFlag(ctx_, kHostSettingsNew.c_str()));
      break;
   case IDM_EDIT_CUT:
   case IDM_EDIT_COPY:
   case IDM_EDIT_PASTE:
      enabled = IsEditClipboardCommandEnabled(id);
      break;
   case IDM_EDIT_NETWORK_SETTINGS:
      enabled = zoltdb::ReadFlag(ctx_, kVmnetSupported.c_str()) && !zoltdb::ReadFlag(ctx_, kVmnetNew.c_str());
      remove = IsRemoteMode();
      break;
   default:
      break;
   }
   ApplyRestrictedState(menu, id, enabled, false);
   return remove;
}

bool CZOLTApp::UpdateViewMenuItem(HMENU menu, CommandId id)
{
   wui::Prefs *prefs = wui::GetPrefs();
   const std::string viewType = prefs->GetViewType();
   cui::VM *vm = GetCurrentVM();
   const std::string currentPath = prefs->GetCurrentObjPath();
   // The host keeps no "present" flag on a machine's node: a machine the host still has is present.
   const bool present = vm && !currentPath.empty() && vm->IsRegistered();
   const bool on = present && IsOn(vm);
   bool teamOn = false;
   if (vm && vm->GetInTeam()) {
      wui::TeamMgr *teams = wui::GetTeamMgr();
      cui::Team *team = teams ? teams->GetTeamByVMPath(vm->GetVmPath()) : nullptr;
      teamOn = team && team->GetPowerState() == cui::VM::POWERED_ON;
   }

   bool enabled = true;
   bool checked = false;
   bool remove = false;
   switch (id) {
   case IDM_VIEW_TOOLBAR_ZEPHRO:
      checked = prefs->GetToolbarShow(wui::Prefs::TOOLBAR_ZEPHRO);
      remove = !wui::util::HasZephroExtension();
      break;
   case IDM_VIEW_TOOLBAR_POWER: checked = prefs->GetToolbarShow(wui::Prefs::TOOLBAR_POWER); break;
   case IDM_VIEW_TOOLBAR_VIEW: checked = prefs->GetToolbarShow(wui::Prefs::TOOLBAR_VIEW); break;
   case IDM_VIEW_TOOLBAR_SNAPSHOT: checked = prefs->GetToolbarShow(wui::Prefs::TOOLBAR_SNAPSHOT); break;
   case IDM_VIEW_TOOLBAR_REPLAY: checked = prefs->GetToolbarShow(wui::Prefs::TOOLBAR_VPLAY); break;
   case IDM_VIEW_FULL_SCREEN:
      enabled = on;
      checked = prefs->GetFullScreen();
      break;
   case IDM_VIEW_AUTOFIT_WINDOW: checked = prefs->GetAutofitWindow(); break;
   case IDM_VIEW_AUTOFIT_GUEST: checked = prefs->GetAutofitGuest(); break;
   case IDM_VIEW_FIT_WINDOW: enabled = on && frame_ && frame_->GetCanFitWindow(); break;
   case IDM_VIEW_FIT_GUEST: enabled = present && vm->GetCanFitGuest(); break;
   case IDM_VIEW_STATUS_BAR:
      enabled = !prefs->GetQuickSwitch();
      checked = prefs->GetStatusBarShow() && !prefs->GetQuickSwitch();
      break;
   case IDM_VIEW_DATABASE_VIEWER: remove = true; break;
   case IDM_VIEW_SIDEBAR:
      checked = prefs->GetSidebar();
      SetMenuItemText(menu, id, tremapputil::ResString(IsRemoteMode() ? IDS_VIEW_INVENTORY : IDS_VIEW_SIDEBAR).Text());
      break;
   case IDM_VIEW_QUICK_SWITCH:
      checked = prefs->GetQuickSwitch();
      remove = !prefs->GetQuickSwitchEnabled();
      break;
   case IDM_VIEW_TABS: checked = prefs->GetTabShow(); break;
   case IDM_VIEW_CURRENT_MENU:
      enabled = !prefs->GetCurrentObj().empty() && prefs->GetCurrentObjType() != "home";
      break;
   case IDM_VIEW_SUMMARY: checked = viewType == "summary"; break;
   case IDM_VIEW_APPLIANCE:
      enabled = prefs->GetCurrentObjType() != "team" && present && zoltmodel::ShowsApplianceView(vm);
      checked = viewType == "appliance";
      break;
   case IDM_VIEW_CONSOLE:
      enabled = on || teamOn;
      checked = viewType == "console";
      break;
   default:
      break;
   }
   if (InRange(id, IDM_VIEW_SUMMARY, IDM_VIEW_CONSOLE)) {
      EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
      if (checked) {
         CheckMenuRadioItem(menu, IDM_VIEW_SUMMARY, IDM_VIEW_CONSOLE, id, MF_BYCOMMAND);
      } else {
         CheckMenuItem(menu, id, MF_BYCOMMAND | MF_UNCHECKED);
      }
   } else {
      ApplyRestrictedState(menu, id, enabled, checked);
   }
   return remove;
}

bool CZOLTApp::UpdateHostMenuItem(HMENU menu, CommandId id)
{
   cui::Host *host = wui::GetCurrentHost();
   bool enabled = true;
   bool remove = false;
   switch (id) {
   case IDM_HOST_NETWORK_SETTINGS:
      enabled = IsHostUsable() && zoltdb::ReadFlag(ctx_, kVmnetSupported.c_str()) &&
                !zoltdb::ReadFlag(ctx_, kVmnetNew.c_str());
      break;
   case IDM_HOST_SETTINGS:
      enabled = IsHostUsable() && host && host->CapEditSettings() && !zoltdb::ReadFlag(ctx_, kHostSettingsNew.c_str());
      break;
   case IDM_HOST_DISCONNECT:
      enabled = IsHostUsable();
      remove = true;
      break;
   default:
      break;
   }
   ApplyRestrictedState(menu, id, enabled, false);
   return remove;
}

bool CZOLTApp::UpdateHelpMenuItem(HMENU menu, CommandId id)
{
   cui::Prefs *prefs = cui::GetPrefs();
   bool enabled = true;
   bool checked = false;
   bool remove = false;
   switch (id) {
   case IDM_HELP_ENABLE_ALL_HINTS:
      enabled = prefs->GetCanEnableAllHints();
      break;
   case IDM_HELP_SHOW_ENABLED_HINTS:
      enabled = !zoltdb::ReadFlag(ctx_, kHintsNew);
      checked = prefs->GetShowEnabledHints();
      break;
   case IDM_HELP_ABOUT:
      SetMenuItemText(menu, id, tremapputil::ResString(IDS_ABOUT_APP).Format({GetAppTitle()}));
      break;
   case IDM_HELP_ZEPHRO_GUIDE:
      remove = !wui::util::HasZephroExtension();
      break;
   default:
      break;
   }
   SetItemState(menu, id, enabled, checked);
   return remove;
}

bool CZOLTApp::UpdatePowerMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path)
{
   static const struct {
      CommandId id;
      int op;
      bool hard;
   } items[] = {
      {IDM_VM_POWER_ON, 0, true},         {IDM_VM_POWER_OFF, 1, true},       {IDM_VM_SUSPEND, 2, true},
      {IDM_VM_RESET, 4, true},            {IDM_VM_START_GUEST, 0, false},    {IDM_VM_SHUT_DOWN_GUEST, 1, false},
      {IDM_VM_SUSPEND_GUEST, 2, false},   {IDM_VM_RESTART_GUEST, 4, false},
   };
   wui::VM *vm = ResolveCommandVM(source, path);
   for (const auto &item : items) {
      if (item.id != id) {
         continue;
      }
      bool enabled = true;
      // The hard power commands show their keys of the main accelerator table.
      std::string keys = item.hard ? AcceleratorMenuSuffix(LoadAcceleratorsA(GetResourceInstance(),
                                                                             MAKEINTRESOURCEA(IDR_ACCEL_NORMAL)),
                                                           static_cast<WORD>(id))
                                   : std::string();
      std::string text = wui::util::Power::UpdateVMMenuItem(vm, item.op, item.hard, keys, &enabled);
      if (!text.empty()) {
         SetMenuItemText(menu, id, text);
      }
      ApplyRestrictedState(menu, id, enabled, false);
   }
   return false;
}

bool CZOLTApp::UpdateSnapshotMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path)
{
   if (id == IDM_VM_SNAPSHOT_DELETE) {
      return true;
   }
   wui::VM *vm = ResolveCommandVM(source, path);
   bool enabled;
   if (id == IDM_VM_SNAPSHOT_TAKE) {
      enabled = wui::util::snapshot::CanTakeSnapshot(vm);
   } else if (id == IDM_VM_SNAPSHOT_REVERT) {
      enabled = wui::util::snapshot::CanRestoreSnapshot(vm);
   } else {
      enabled = wui::util::snapshot::CanManageSnapshot(vm);
   }
   ApplyRestrictedState(menu, id, enabled, false);
   return false;
}

bool CZOLTApp::UpdateVMMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path)
{
   wui::Team *team = nullptr;
   wui::VM *vm = ResolveCommandVM(source, path, &team);
   const bool hasVM = vm != nullptr;
   const bool on = IsOn(vm);
   const std::string currentType = wui::GetPrefs()->GetCurrentObjType();
   const bool fromTemplate = source == kSourceTemplateEntry || currentType == "mvmt";
   bool enabled = true;
   bool remove = false;
   switch (id) {
   case IDM_VM_REMOVE: {
      cui::Host *host = wui::GetCurrentHost();
      enabled = !on && host && host->CapUnregisterVM();
      remove = !IsRemoteMode();
      break;
   }
   case IDM_VM_CLOSE:
      enabled = hasVM;
      remove = source == kSourceVMPopup;
      break;
   case IDM_VM_RENAME:
      enabled = hasVM;
      remove = source == kSourceVMPopup || source == kSourceVMTab || source == kSourceTemplatePopup;
      break;
   case IDM_VM_OPEN: {
      bool open = hasVM && IsObjOpened(_bstr_t("vm"), _bstr_t(vm->GetVmPath().c_str()));
      enabled = (source == kSourceVMEntry || source == kSourceVMEntryOther) ? !open : hasVM && !open;
      remove = source == kSourceVMPopup;
      break;
   }
   case IDM_VM_CLONE: enabled = hasVM && vm->GetCanDoCloneWizard() && !fromTemplate; break;
   case IDM_VM_FORK:
      enabled = hasVM && vm->IsForkable();
      remove = !Config_GetBool("vmfork.enable", false);
      break;
   case IDM_VM_REPLAY_OPTIONS:
   case IDM_VM_REPLAY_GO_LIVE:
      enabled = false;
      remove = true;
      break;
   case IDM_VM_REPLAY_PLAY:
   case IDM_VM_REPLAY_RECORD:
   case IDM_VM_REPLAY_STOP:
   case IDM_VM_REPLAY_MENU: {
      cui::SessionRecordMgr *recorder = hasVM ? vm->GetSessionRecordMgr() : nullptr;
      bool canPlay = recorder && recorder->GetCanPlay();
      bool canRecord = recorder && recorder->GetCanRecord();
      bool canEnd = recorder && (recorder->GetCanStop() || recorder->GetCanGoLive());
      enabled = id == IDM_VM_REPLAY_PLAY     ? canPlay
                : id == IDM_VM_REPLAY_RECORD ? canRecord
                : id == IDM_VM_REPLAY_STOP   ? canEnd
                                             : canPlay || canRecord || canEnd;
      break;
   }
   case IDM_VM_TOOLS:
      enabled = hasVM && vm->GetCanInstallTools();
      SetMenuItemText(menu, id, tremapputil::ResString(hasVM && vm->GetToolsISOMounted() ? IDS_CANCEL_TOOLS_INSTALL
                                                                                           : IDS_INSTALL_TOOLS).Text());
      break;
   case IDM_VM_SETTINGS: enabled = hasVM && vm->GetCanDoVMSettings(); break;
   case IDM_VM_CAPTURE_SCREEN: enabled = hasVM && vm->GetCanScreenshot(); break;
   case IDM_VM_CAPTURE_MOVIE: {
      UINT text = IDS_CAPTURE_MOVIE;
      enabled = false;
      if (hasVM && vm->GetCanStartMovieCapture()) {
         enabled = true;
      } else if (hasVM && vm->GetCanStopMovieCapture()) {
         text = IDS_STOP_MOVIE_CAPTURE;
         enabled = true;
      }
      SetMenuItemText(menu, id, tremapputil::ResString(text).Text());
      break;
   }
   case IDM_VM_UPGRADE_HARDWARE: enabled = hasVM && vm->GetCanUpgradeHardware() && !fromTemplate; break;
   case IDM_VM_DEVICES_MENU: enabled = on && vm->GetCanDoVMSettings(); break;
   case IDM_VM_CTRL_ALT_DEL:
   case IDM_VM_GRAB_INPUT:
      enabled = on;
      break;
   case IDM_VM_POWER_MENU:
   case IDM_VM_SNAPSHOT_MENU:
   case IDM_VM_MESSAGE_LOG:
      enabled = hasVM;
      break;
   case IDM_VM_FAVORITES:
      enabled = !(hasVM && vm->GetInTeam());
      SetFavoritesMenuText(menu, id, hasVM && !IsInFavorites(vm->GetFilename()));
      remove = source == kSourceVMPopup || (source == kSourceVMEntryOther && !hasVM);
      break;
   case IDM_VM_CONNECTED_USERS: enabled = on && vm->IsVNCEnabled(); break;
   case IDM_VM_DELETE: {
      bool canDelete = hasVM && (vm->GetInTeam() && team ? team->GetCanDeleteVM() : vm->GetCanDelete());
      enabled = canDelete && currentType != "mvmt";
      break;
   }
   case IDM_VM_REMOVE_FROM_TEAM:
      enabled = team && team->GetCanAddRemove();
      remove = source != kSourceVMPopup;
      break;
   case IDM_VM_CLONE_TO_ZEPHRO:
      enabled = currentType == "vm" && hasVM && vm->GetCanDoCloneWizard();
      remove = !wui::util::HasZephroExtension();
      break;
   default:
      break;
   }
   ApplyRestrictedState(menu, id, enabled, false);
   return remove;
}

cui::Team *CZOLTApp::FindMenuTeam(CommandSource source, const _bstr_t &path)
{
   std::string cfgPath = zoltdb::Text(path);
   if (cfgPath.empty() || source == kSourceMenuBar) {
      cfgPath = zoltdb::ReadText(ctx_, kCurrentObjPathField.c_str());
   }
   return TeamByCfgPath(cfgPath);
}

bool CZOLTApp::UpdateTeamMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path)
{
   const std::string cfgPath = zoltdb::Text(path);
   wui::Team *team = dynamic_cast<wui::Team *>(TeamByCfgPath(cfgPath));
   const size_t vmCount = team ? team->GetVMs().size() : 0;
   bool enabled = true;
   bool remove = false;
   if (id == IDM_TEAM_OPEN) {
      bool open = !cfgPath.empty() && IsObjOpened(_bstr_t("team"), path);
      enabled = (source == kSourceTeamEntry || source == kSourceTeamEntryAlt) ? !open : team && !open;
   } else if (id == IDM_TEAM_RENAME) {
      enabled = team && !team->GetBusy();
      remove = source == kSourceTeamTab;
   } else if (id == IDM_TEAM_CLOSE || id == IDM_TEAM_ADD_MENU ||
              InRange(id, IDM_TEAM_SWITCH_FIRST_VM, IDM_TEAM_SWITCH_LAST_VM)) {
      enabled = team != nullptr;
   } else if (id == IDM_TEAM_FAVORITES) {
      SetFavoritesMenuText(menu, id, team && !IsInFavorites(team->GetFilename()));
   } else if (id == IDM_TEAM_DELETE) {
      enabled = team && team->GetCanDeleteTeam();
   } else if (id == IDM_TEAM_POWER_MENU || id == IDM_TEAM_SWITCH_MENU) {
      enabled = vmCount >= 1;
   } else if (id == IDM_TEAM_NEXT_VM || id == IDM_TEAM_PREVIOUS_VM) {
      enabled = vmCount >= 2;
   } else if (id == IDM_TEAM_REMOVE_MENU) {
      enabled = team && (vmCount > 0 || !team->GetNets().empty()) && team->GetCanAddRemove();
   } else if (id == IDM_TEAM_SETTINGS) {
      enabled = team && team->GetCanEditSettings();
   } else if (InRange(id, IDM_TEAM_REMOVE_FIRST_VM, IDM_TEAM_REMOVE_LAST_VM) ||
              InRange(id, IDM_TEAM_REMOVE_FIRST_LAN, IDM_TEAM_REMOVE_LAST_LAN)) {
      enabled = team && team->GetCanAddRemove();
   }
   ApplyRestrictedState(menu, id, enabled, false);
   return remove;
}

bool CZOLTApp::UpdateTeamPowerMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path)
{
   wui::Team *team = dynamic_cast<wui::Team *>(FindMenuTeam(source, path));
   static const int states[] = {0, 1, 2, 4};
   bool enabled = team && team->IsPowerStateEnabled(states[id - IDM_TEAM_POWER_ON]);
   if (id == IDM_TEAM_POWER_ON) {
      bool resume = team && team->GetPowerSuspendActionState() == 3;
      UINT text = source == kSourceMenuBar ? (resume ? IDS_TEAM_RESUME_KEY : IDS_TEAM_POWER_ON_KEY)
                                           : (resume ? IDS_TEAM_RESUME : IDS_TEAM_POWER_ON);
      SetMenuItemText(menu, id, tremapputil::ResString(text).Text());
   }
   SetItemState(menu, id, enabled, false);
   return false;
}

bool CZOLTApp::UpdateTeamAddMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path)
{
   cui::Team *team = FindMenuTeam(source, path);
   SetItemState(menu, id, team && team->GetCanAddRemove(), false);
   return false;
}

bool CZOLTApp::UpdateZephroMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path)
{
   const std::string text = zoltdb::Text(path);
   const bool byFile = source == kSourceTemplateEntry || source == kSourceTemplateEntryAlt;
   cui::MVMTemplate *mvmt = byFile ? TemplateByFilename(text) : TemplateByPath(text);
   const bool on = IsOn(mvmt);
   const bool busy = mvmt && mvmt->GetBusy(kAnyBusy);
   bool enabled = true;
   bool remove = false;
   switch (id) {
   case IDM_MVMT_OPEN: {
      std::string ownPath = mvmt ? mvmt->GetVmPath() : std::string();
      bool open = !ownPath.empty() && IsObjOpened(_bstr_t("mvmt"), _bstr_t(ownPath.c_str()));
      enabled = byFile ? !open : !ownPath.empty() && !open;
      break;
   }
   case IDM_MVMT_RENAME:
      enabled = mvmt != nullptr;
      remove = source == kSourceTemplatePopup;
      break;
   case IDM_ZEPHRO_POLICIES:
   case IDM_ZEPHRO_PACKAGE_SETTINGS:
      enabled = mvmt != nullptr;
      break;
   case IDM_MVMT_CLOSE: enabled = mvmt && !busy; break;
   case IDM_ZEPHRO_NEW_PACKAGE:
   case IDM_ZEPHRO_PREVIEW:
      enabled = mvmt && !on;
      break;
   case IDM_ZEPHRO_NEW_PORTABLE_PACKAGE: enabled = !on && (mvmt || VMByVMPath(text)); break;
   case IDM_MVMT_FAVORITES: SetFavoritesMenuText(menu, id, mvmt && !IsInFavorites(mvmt->GetFilename())); break;
   // A template reaches its server's settings while it is idle and off.
   case IDM_ZEPHRO_SERVER: enabled = mvmt && !busy && !on; break;
   case IDM_ZEPHRO_CLONE: enabled = mvmt && mvmt->GetCanDoCloneWizard(); break;
   case IDM_ZEPHRO_DELETE: enabled = mvmt && mvmt->GetCanDelete(); break;
   default:
      break;
   }
   ApplyRestrictedState(menu, id, enabled, false);
   return remove;
}

bool CZOLTApp::UpdateServerMenuItem(HMENU menu, CommandId id, const _bstr_t &path)
{
   const std::string text = zoltdb::Text(path);
   cui::ZephroServerMgr *servers = cui::ZephroServerMgrImpl::GetInstance();
   const bool exists = servers && !text.empty() && servers->GetServerByID(text);
   wui::Prefs *prefs = wui::GetPrefs();
   const bool current = exists && prefs->GetCurrentObjType() == "quen" && prefs->GetCurrentObjPath() == text;
   bool enabled = true;
   if (id == IDM_SERVER_CONNECT) {
      enabled = !current;
   } else if (id == IDM_SERVER_CLOSE) {
      enabled = exists;
   }
   SetItemState(menu, id, enabled, false);
   return false;
}

bool CZOLTApp::UpdateHotFixMenuItem(HMENU menu, CommandId id, const _bstr_t &path)
{
   cui::HotFixMgr *hotFixes = cui::GetHotFixMgr();
   const std::string text = zoltdb::Text(path);
   ApplyRestrictedState(menu, id, hotFixes && !text.empty() && hotFixes->GetRequestByHotFixPath(text), false);
   return false;
}

bool CZOLTApp::UpdateWindowsMenuItem(HMENU menu, CommandId id)
{
   if (id == IDM_WINDOW_NEXT_TAB || id == IDM_WINDOW_PREVIOUS_TAB) {
      EnableMenuItem(menu, id, MF_BYCOMMAND | (GetMenuItemCount(menu) > 4 ? MF_ENABLED : MF_GRAYED));
      return false;
   }
   EnableMenuItem(menu, id, MF_BYCOMMAND | MF_ENABLED);
   const std::string current = wui::GetPrefs()->GetCurrentObj();
   if (!current.empty() && GetMenuItemPath(menu, id, false) == current) {
      CheckMenuRadioItem(menu, IDM_WINDOW_FIRST_TAB, IDM_WINDOW_LAST_TAB, id, MF_BYCOMMAND);
   }
   return false;
}

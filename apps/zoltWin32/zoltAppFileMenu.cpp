// File, Edit and View menu commands. They act on the application, the preferences or the
// current object, never on a path given with the command.
#include "zoltApp.h"

#include <cwchar>

#include "zoltAppDb.h"
#include "zoltFrame.h"

#include "cui/DiskMgrUtils.h"
#include "cui/MVMTMgr.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"
#include "res/resource.h"
#include "tremorybase/Log.h"

namespace {

// The toolbar a View > Toolbars item switches; -1 for other commands.
int ToolbarOfCommand(CommandId id)
{
   switch (id) {
   case IDM_VIEW_TOOLBAR_ZEPHRO: return wui::Prefs::TOOLBAR_ZEPHRO;
   case IDM_VIEW_TOOLBAR_POWER: return wui::Prefs::TOOLBAR_POWER;
   case IDM_VIEW_TOOLBAR_SNAPSHOT: return wui::Prefs::TOOLBAR_SNAPSHOT;
   case IDM_VIEW_TOOLBAR_VIEW: return wui::Prefs::TOOLBAR_VIEW;
   case IDM_VIEW_TOOLBAR_REPLAY: return wui::Prefs::TOOLBAR_VPLAY;
   default: return -1;
   }
}

// Sends the clipboard message to the focused window when it is an edit control; the guest's
// clipboard is never touched here.
void ClipboardToFocusedEdit(UINT message)
{
   HWND focus = ::GetFocus();
   wchar_t className[1024] = L"";
   if (focus && ::GetClassNameW(focus, className, 1024) > 0 && _wcsicmp(className, L"EDIT") == 0) {
      ::SendMessageW(focus, message, 0, 0);
   }
}

}  // namespace

void CZOLTApp::OnFileCommand(CommandId id)
{
   Log("CZOLTApp::OnFileCommand %u\n", static_cast<unsigned>(id));
   const cui::Prefs::UIMode mode = cui::GetPrefs()->GetUIMode();
   switch (id) {
   case IDM_FILE_NEW_ZEPHRO_TEMPLATE:
      RunHostVMCommand();
      break;
   case IDM_FILE_NEW_VM:
      NewVMAndOpen();
      break;
   case IDM_FILE_NEW_TEAM:
      NewTeam();
      break;
   case IDM_FILE_NEW_WINDOW:
      NewWindow();
      break;
   case IDM_FILE_OPEN:
      if (mode == cui::Prefs::UI_MODE_REMOTE) {
         OpenVMDialog();
      } else {
         OnFileOpen();
      }
      break;
   case IDM_FILE_IMPORT:
      converter_.Import(GetFrameWindow(), sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted));
      break;
   case IDM_FILE_CONNECT_ZEPHRO_SERVER:
      ShowConnectToServer();
      break;
   case IDM_FILE_CLOSE:
      CloseCurrentTab();
      break;
   case IDM_FILE_MAP_DISKS:
      wui::DiskMgrUtils::RunMapDisconnectDlgInWS(GetFrameWindow());
      break;
   case IDM_FILE_FAVORITES:
      ToggleCurrentInFavorites();
      break;
   case IDM_FILE_EXIT:
      Exit();
      break;
   default:
      break;
   }
}

void CZOLTApp::ToggleCurrentInFavorites()
{
   wui::Prefs *prefs = wui::GetPrefs();
   const std::string type = prefs->GetCurrentObjType();
   const std::string path = prefs->GetCurrentObjPath();
   if (type == "vm") {
      cui::VM *vm = cui::GetVMMgr() ? cui::GetVMMgr()->GetVMByVMPath(path) : nullptr;
      if (!vm) {
         return;
      }
      if (IsVMInFavorites(vm)) {
         _bstr_t file(vm->GetFilename().c_str());
         RemoveFromVMList(file, false);
      } else {
         AddVmListItem(vm);
      }
   } else if (type == "team") {
      cui::Team *team = cui::GetTeamMgr() ? cui::GetTeamMgr()->GetTeamByCfgPath(path) : nullptr;
      if (!team) {
         return;
      }
      if (IsTeamInFavorites(team)) {
         _bstr_t file(team->GetFilename().c_str());
         RemoveFromVMList(file, false);
      } else {
         AddTeamToVMList(team);
      }
   } else if (type == "mvmt") {
      cui::MVMTemplate *mvmt = cui::GetMVMTMgr() ? cui::GetMVMTMgr()->GetMVMTByFilename(path) : nullptr;
      if (!mvmt) {
         // A template still being opened has no entry of its own to add.
         return;
      }
      if (IsMVMTInFavorites(mvmt)) {
         _bstr_t file(mvmt->GetFilename().c_str());
         RemoveFromVMList(file, false);
      } else {
         AddMVMTToVMList(mvmt);
      }
   }
}

void CZOLTApp::CloseCurrentTab()
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (prefs->GetCurrentObj().empty()) {
      return;
   }
   const std::string type = prefs->GetCurrentObjType();
   if (type == "vm") {
      CloseCurrentVMTab();
   } else if (type == "home") {
      CloseHomepage();
   } else if (type == "mvmt") {
      CloseMVMT(_bstr_t(prefs->GetCurrentObjPath().c_str()), cui::AbortSlot(), cui::DoneSlot());
   } else if (type == "hotfix") {
      CloseCurrentHotFix();
   } else if (type == "team") {
      CloseCurrentTeam();
   } else if (type == "quen") {
      CloseCurrentZephroServer();
   }
}

void CZOLTApp::OnEditCommand(CommandId id)
{
   Log("CZOLTApp::OnEditCommand %u\n", static_cast<unsigned>(id));
   switch (id) {
   case IDM_EDIT_CUT:
      ClipboardToFocusedEdit(WM_CUT);
      break;
   case IDM_EDIT_COPY:
      ClipboardToFocusedEdit(WM_COPY);
      break;
   case IDM_EDIT_PASTE:
      ClipboardToFocusedEdit(WM_PASTE);
      break;
   case IDM_EDIT_NETWORK_SETTINGS:
      OpenNetworkEditor();
      break;
   case IDM_EDIT_PREFERENCES:
      EditPreferences();
      break;
   default:
      break;
   }
}

// The preferences go through the preferences' own context; the application's shared context
// stays where it is.
void CZOLTApp::HandleViewMenuOps(CommandId id)
{
   Log("CZOLTApp::HandleViewMenuOps %u\n", static_cast<unsigned>(id));
   try {
      wui::Prefs *prefs = wui::GetPrefs();
      const bool hasCurrent = !prefs->GetCurrentObj().empty();
      const int toolbar = ToolbarOfCommand(id);
      if (toolbar >= 0) {
         prefs->SetToolbarShow(toolbar, !prefs->GetToolbarShow(toolbar));
         return;
      }
      switch (id) {
      case IDM_VIEW_FULL_SCREEN:
         if (prefs->GetFullScreenV5()) {
            FullScreen();
         } else {
            prefs->SetFullScreen(!prefs->GetFullScreen());
         }
         break;
      case IDM_VIEW_AUTOFIT_WINDOW:
         prefs->SetAutofitWindow(!prefs->GetAutofitWindow());
         break;
      case IDM_VIEW_AUTOFIT_GUEST:
         prefs->SetAutofitGuest(!prefs->GetAutofitGuest());
         break;
      case IDM_VIEW_FIT_WINDOW:
         prefs->SetFitWindowEvent(true);
         break;
      case IDM_VIEW_FIT_GUEST:
         prefs->SetFitGuestEvent(true, 0, 0);
         break;
      case IDM_VIEW_HOME:
         OpenHomepage();
         break;
      case IDM_VIEW_STATUS_BAR:
         prefs->SetStatusBarShow(!prefs->GetStatusBarShow());
         break;
      case IDM_VIEW_SIDEBAR:
         prefs->SetSidebar(!prefs->GetSidebar());
         break;
      case IDM_VIEW_QUICK_SWITCH:
         if (prefs->GetQuickSwitchEnabled()) {
            prefs->SetQuickSwitch(!prefs->GetQuickSwitch());
         }
         break;
      case IDM_VIEW_TABS:
         prefs->SetTabShow(!prefs->GetTabShow());
         break;
      case IDM_VIEW_SUMMARY:
      case IDM_VIEW_APPLIANCE:
      case IDM_VIEW_CONSOLE:
         if (hasCurrent) {
            prefs->SetViewType(id == IDM_VIEW_SUMMARY ? "summary" : id == IDM_VIEW_APPLIANCE ? "appliance" : "console");
         }
         break;
      default:
         // The database viewer is not part of this program.
         break;
      }
   } catch (const _com_error &error) {
      Warning("CZOLTApp::HandleViewMenuOps failed: %s\n", zoltdb::ComText(error).c_str());
   } catch (const std::exception &error) {
      Warning("CZOLTApp::HandleViewMenuOps failed: %s\n", error.what());
   }
}

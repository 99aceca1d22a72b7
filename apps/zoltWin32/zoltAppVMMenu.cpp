// VM and Zephro menu commands: each finds its machine or managed template from the object path
// and the command's source, applies the administrator lockout where the command edits or
// creates, and hands the work to the model library or to the handler that owns it.
#include "zoltApp.h"
#include "zoltAppDb.h"

#include "cui/AppDataPaths.h"
#include "cui/CnxDlg.h"
#include "cui/DlgMgr.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/MVMTMgr.h"
#include "cui/MessageLog.h"
#include "cui/Registry.h"
#include "cui/SessionRecordMgr.h"
#include "cui/SnapshotTree.h"
#include "cui/Team.h"
#include "cui/TeamEditable.h"
#include "cui/TeamMgr.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "res/resource.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"
#include "zoltSnapshotTake.h"

namespace {

// The lockout test on the current host: false when the policy `key` refuses the action.
bool LockoutAllows(const IVmdbContextPtr &ctx, const char *key)
{
   cui::Host *host = wui::GetCurrentHost();
   return TremAppUtil_CheckLockout(ctx, host ? host->GetPath().c_str() : "", key);
}

void NotAvailable(const char *what)
{
   Log("%s: not available in this build\n", what);
}

void RemoveFromFavorites(std::string cfgPath)
{
   if (gApp) {
      _bstr_t path(cfgPath.c_str());
      gApp->RemoveFromVMList(path, false);
   }
}

cui::MVMTemplate *FindTemplate(const std::string &path, CommandSource source)
{
   cui::MVMTMgr *mgr = cui::GetMVMTMgr();
   if (!mgr || path.empty()) {
      return nullptr;
   }
   if (source == kSourceTemplateEntry || source == kSourceTemplateEntryAlt) {
      return mgr->GetMVMTByFilename(path);
   }
   for (cui::MVMTemplate *mvmt : mgr->GetMVMTs()) {
      if (mvmt->GetVmPath() == path) {
         return mvmt;
      }
   }
   return nullptr;
}

}  // namespace

void CZOLTApp::OnVMCommand(CommandId id, _bstr_t &path, CommandSource source)
{
   Log("CZOLTApp::OnVMCommand %u %s %d\n", static_cast<unsigned>(id), zoltdb::Text(path).c_str(),
       static_cast<int>(source));
   // The status pages call this directly, not through the dispatcher: a model failure is
   // reported here and never goes on into the window procedure.
   try {
      RunVMCommand(id, path, source);
   } catch (const cui::Error &e) {
      ReportError(_bstr_t(e.what()), -1, _bstr_t());
   }
}

void CZOLTApp::RunVMCommand(CommandId id, _bstr_t &path, CommandSource source)
{
   wui::VM *vm = ResolveCommandVM(source, path);
   if (id == IDM_VM_FAVORITES) {
      if (!vm) {
         RemoveFromVMList(path, false);
      } else if (!IsVMInFavorites(vm)) {
         AddVmListItem(vm);
      } else {
         _bstr_t file(vm->GetFilename().c_str());
         RemoveFromVMList(file, false);
      }
      return;
   }
   if (!vm) {
      return;
   }
   switch (id) {
      case IDM_VM_OPEN:
         OpenVMTab(vm, false, false, true);
         break;
      case IDM_VM_CLOSE:
         CloseVMTab(vm->GetVmPath(), true, cui::AbortSlot());
         break;
      case IDM_VM_REMOVE:
         RemoveVM(vm, sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted), sigc::slot<void>());
         break;
      case IDM_VM_CLONE:
         if (vm->GetCanDoCloneWizard() && LockoutAllows(ctx_, "lockoutCreateVM")) {
            CloneVM(vm, vm->GetSnapshotTree(), 0, GetFrameWindow(), true, true, true);
         }
         break;
      case IDM_VM_FORK:
         if (vm->IsForkable() && TremAppUtil_CheckLockout(ctx_, cui::appdata::kCurrentHost, "lockoutCreateVM")) {
            ForkVM(vm);
         }
         break;
      case IDM_VM_CLONE_TO_ZEPHRO:
         CloneVMToZephro(vm);
         break;
      case IDM_VM_TOOLS:
         vm->ToggleToolsInstall(sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted));
         break;
      case IDM_VM_UPGRADE_HARDWARE:
         if (vm->GetCanUpgradeHardware() && LockoutAllows(ctx_, "lockoutEditVM")) {
            ConvertHardware(vm);
         }
         break;
      case IDM_VM_CONNECTED_USERS:
         wui::dialog::CnxDlg::ShowDialog(vm);
         break;
      case IDM_VM_CTRL_ALT_DEL:
         try {
            vm->SendCtrlAltDel();
         } catch (const _com_error &e) {
            Warning("Send Ctrl+Alt+Del failed: %s\n", zoltdb::ComText(e).c_str());
         } catch (const cui::Error &e) {
            Warning("Send Ctrl+Alt+Del failed: %s\n", e.what());
         }
         break;
      case IDM_VM_GRAB_INPUT:
         GrabInput(vm);
         break;
      case IDM_VM_CAPTURE_SCREEN:
         CaptureScreen(vm);
         break;
      case IDM_VM_CAPTURE_MOVIE:
         if (vm->GetCanStopMovieCapture()) {
            CaptureMovie(vm, 1);
         } else if (vm->GetCanStartMovieCapture()) {
            CaptureMovie(vm, 0);
         } else {
            MessageBoxRes(IDS_MOVIE_CAPTURE_UNAVAILABLE, MB_OK | MB_ICONWARNING);
         }
         break;
      case IDM_VM_SETTINGS:
         if (vm->GetCanDoVMSettings()) {
            EditVMSettings(vm);
         }
         break;
      case IDM_VM_MESSAGE_LOG:
         if (wui::dialog::MessageLog *log = wui::dialog::MessageLog::CreateInstance(vm->GetMsgSource())) {
            log->Show();
         }
         break;
      case IDM_VM_DELETE:
         if (LockoutAllows(ctx_, "lockoutEditVM")) {
            DeleteVMFromDisk(vm);
         }
         break;
      case IDM_VM_REMOVE_FROM_TEAM:
         if (LockoutAllows(ctx_, "lockoutEditVM")) {
            std::string vmPath = vm->GetVmPath().empty() ? GetCurrentObjPath() : vm->GetVmPath();
            wui::TeamMgr *teams = wui::GetTeamMgr();
            cui::VMMgr *vms = cui::GetVMMgr();
            cui::VM *member = vms ? vms->GetVMByVMPath(vmPath) : nullptr;
            if (cui::Team *team = teams && member ? teams->GetTeamByVMPath(vmPath) : nullptr) {
               RemoveVMFromTeam(team, member);
            }
         }
         break;
      case IDM_VM_REPLAY_PLAY:
      case IDM_VM_REPLAY_RECORD:
      case IDM_VM_REPLAY_STOP:
         OnReplayCommand(id, vm);
         break;
      default:
         break;
   }
}

void CZOLTApp::OnReplayCommand(CommandId id, cui::VM *vm)
{
   cui::SessionRecordMgr *recorder = vm ? vm->GetSessionRecordMgr() : nullptr;
   if (!recorder) {
      return;
   }
   if (id == IDM_VM_REPLAY_PLAY) {
      std::vector<cui::Recording *> recordings = recorder->GetRecordings();
      if (recorder->GetCanPlay() && !recordings.empty()) {
         recorder->Play(recordings.back(), true, cui::AbortSlot(), cui::DoneSlot());
      }
   } else if (id == IDM_VM_REPLAY_RECORD) {
      if (!recorder->GetEnabled()) {
         recorder->Record("", "", cui::AbortSlot(), cui::DoneSlot());
      } else if (recorder->GetCanRecord()) {
         CZOLTSnapshotTake dialog(vm, id);
         dialog.DoModal(GetFrameWindow());
      }
   } else if (id == IDM_VM_REPLAY_STOP) {
      if (recorder->GetState() == cui::SessionRecordMgr::STATE_RECORDING && recorder->GetCanStop()) {
         recorder->Stop(cui::AbortSlot(), cui::DoneSlot());
      } else if (recorder->GetState() == cui::SessionRecordMgr::STATE_PLAYING && recorder->GetCanGoLive()) {
         recorder->GoLive(cui::AbortSlot(), cui::DoneSlot());
      }
   }
}

void CZOLTApp::DeleteVMFromDisk(cui::VM *vm)
{
   // A failure while the deletion is set up is shown here; the host's refusal comes back
   // through the abort completion.
   try {
      if (vm->GetInTeam()) {
         wui::TeamMgr *teams = wui::GetTeamMgr();
         if (cui::Team *team = teams ? teams->GetTeamByVMPath(vm->GetVmPath()) : nullptr) {
            cui::TeamVMDeleter::Delete(team, vm, &ReportTeamError);
         }
         return;
      }
      cui::Host *host = vm->GetHost() ? vm->GetHost() : wui::GetCurrentHost();
      if (!host) {
         throw cui::Error(cui::GetLocalString(
            "@&!*@*@(msg.zolt.delete.noHost)The virtual machine cannot be deleted: it belongs to no host."));
      }
      host->DeleteVM(vm->GetFilename(), wui::GetDlgMgr(), sigc::bind(&RemoveFromFavorites, vm->GetFilename()),
                     sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted));
   } catch (const cui::Error &e) {
      ReportError(_bstr_t(e.what()), -1, _bstr_t());
   }
}

void CZOLTApp::CloneVMToZephro(cui::VM *vm)
{
   if (vm && vm->GetCanDoCloneWizard() && LockoutAllows(ctx_, "lockoutCreateVM")) {
      CloneToZephroMaster(vm, GetFrameWindow(), true, true, true);
   }
}

void CZOLTApp::OnZephroCommand(CommandId id, _bstr_t &path, CommandSource source)
{
   Log("CZOLTApp::OnZephroCommand %u %s %d\n", static_cast<unsigned>(id), zoltdb::Text(path).c_str(),
       static_cast<int>(source));
   try {
      RunZephroCommand(id, path, source);
   } catch (const cui::Error &e) {
      ReportError(_bstr_t(e.what()), -1, _bstr_t());
   }
}

void CZOLTApp::RunZephroCommand(CommandId id, _bstr_t &path, CommandSource source)
{
   const std::string pathText = zoltdb::Text(path);
   cui::MVMTemplate *mvmt = FindTemplate(pathText, source);
   if (!mvmt) {
      // No pending opens of managed templates exist in this build: only the path is left.
      if (id == IDM_MVMT_FAVORITES) {
         RemoveFromVMList(path, false);
      } else if (id == IDM_ZEPHRO_NEW_PORTABLE_PACKAGE) {
         wui::VMMgr *vmMgr = wui::GetVMMgr();
         if (cui::VM *vm = vmMgr ? vmMgr->GetVMByVMPath(pathText) : nullptr) {
            AskCloneToZephro(vm);
         }
      }
      return;
   }
   switch (id) {
      case IDM_MVMT_OPEN:
         OpenMVMT(_bstr_t(mvmt->GetFilename().c_str()), OpenFlags().MakeCurrent(),
                  sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted), sigc::slot<void>());
         break;
      case IDM_MVMT_CLOSE:
         CloseMVMT(_bstr_t(mvmt->GetVmPath().c_str()), cui::AbortSlot(), cui::DoneSlot());
         break;
      case IDM_ZEPHRO_PREVIEW:
         NotAvailable("CZOLTApp::PreviewDeploy");
         break;
      case IDM_ZEPHRO_POLICIES:
         if (LockoutAllows(ctx_, "lockoutEditVM")) {
            NotAvailable("CZOLTApp::EditPolicies");
         }
         break;
      case IDM_ZEPHRO_PACKAGE_SETTINGS:
         if (LockoutAllows(ctx_, "lockoutEditVM")) {
            NotAvailable("CZOLTApp::EditPkgSettings");
         }
         break;
      case IDM_ZEPHRO_NEW_PACKAGE:
         if (LockoutAllows(ctx_, "lockoutEditVM")) {
            NotAvailable("CZOLTApp::RunPkgWizard");
         }
         break;
      case IDM_ZEPHRO_NEW_PORTABLE_PACKAGE:
         NotAvailable("CZOLTApp::RunPkgWizardFlagged");
         break;
      case IDM_ZEPHRO_SERVER:
         ShowZephroServerDialog(mvmt);
         break;
      case IDM_ZEPHRO_CLONE:
         if (mvmt->GetCanDoCloneWizard() && LockoutAllows(ctx_, "lockoutCreateVM")) {
            NotAvailable("CZOLTApp::RunZephroCloneWizard");
         }
         break;
      case IDM_ZEPHRO_DELETE:
         NotAvailable("cui::Host::DeleteZephroMaster");
         break;
      case IDM_MVMT_FAVORITES:
         if (!IsMVMTInFavorites(mvmt)) {
            AddMVMTToVMList(mvmt);
         } else {
            _bstr_t file(mvmt->GetFilename().c_str());
            RemoveFromVMList(file, false);
         }
         break;
      case IDM_MVMT_RENAME:
         Warning("Shouldn't get here.\n");
         break;
      default:
         break;
   }
}

// Power commands of a single machine, closing a machine's tab when it powers off, and powering
// a new fork on.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltMsg.h"
#include "zoltPowerCommand.h"
#include "zoltResources.h"

#include "cui/MVMTMgr.h"
#include "cui/Power.h"
#include "cui/cui.h"
#include "res/resource.h"
#include "tremorybase/Log.h"

namespace {

const long kHintAnswerCancel = 1;

const char kSharedFolderNotifyText[] = ZOLT_MSG("msg.zoltApp.SharedFolder.notifyText", "Shared folders are disabled.");
const char kSharedFolderNotifyDetail[] =
   ZOLT_MSG("msg.zoltApp.SharedFolder.notifyDetail",
            "This virtual machine has one or more shared folders configured, but the default shared folders were "
            "disabled. To enable them again, choose VM > Settings > Shared Folders.");

// The power-on hint is shown for a machine of the local session that runs under no account of
// its own.
bool NeedsInteractiveLoginHint(const IVmdbContextPtr &ctx, cui::VM *vm)
{
   wui::Prefs *prefs = wui::GetPrefs();
   bool localSession = !prefs->GetRemoteSession() && !prefs->GetSessionPath().empty();
   if (!localSession) {
      return false;
   }
   return zoltdb::ReadText(ctx, _bstr_t((vm->GetVmPath() + "user/username").c_str())).empty();
}

}  // namespace

void CZOLTApp::OnPowerCommand(CommandId id, wui::VM *vm)
{
   if (!vm) {
      return;
   }
   // The texts the library shows when it has disabled the machine's shared folders.
   if (cui::SharedFolderMgr *folders = vm->GetSharedFolderMgr()) {
      folders->SetNotificationText(cui::GetLocalString(kSharedFolderNotifyText),
                                   cui::GetLocalString(kSharedFolderNotifyDetail));
   }
   const PowerCommand *command = FindPowerCommand(id);
   if (!command) {
      NOT_IMPLEMENTED();
      return;
   }
   if (id == IDM_VM_POWER_ON && NeedsInteractiveLoginHint(ctx_, vm) && msg_) {
      long answer = msg_->Message(LoadResString(IDS_INTERACTIVE_LOGIN_HINT).c_str(), vm->GetName().c_str(), "okCancel",
                                  "hint", "interactiveLogin");
      if (answer == kHintAnswerCancel) {
         return;
      }
   }
   cui::VM::PowerOption option = wui::util::Power::GetVMMenuPowerOption(vm, command->state, command->menu);
   if (IsPowerOnCommand(id)) {
      std::string path = vm->GetVmPath();
      if (vm->GetInTeam()) {
         path = vm->GetTeamFile();
      } else if (cui::MVMTemplate *mvmt = GetMVMTForVM(vm)) {
         path = mvmt->GetFilename();
      }
      ClearTransientObjIfSame(path);
   }
   Log("CZOLTApp::OnPowerCommand %u %s\n", static_cast<unsigned>(id), vm->GetVmPath().c_str());
   vm->SetPowerState(command->state, option, sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted));
}

cui::MVMTemplate *CZOLTApp::GetMVMTForVM(cui::VM *vm)
{
   cui::MVMTMgr *mgr = cui::GetMVMTMgr();
   if (!vm || !mgr) {
      return nullptr;
   }
   if (cui::MVMTemplate *mvmt = dynamic_cast<cui::MVMTemplate *>(vm)) {
      return mvmt;
   }
   return mgr->GetMVMTByFilename(vm->GetFilename());
}

void CZOLTApp::OnVMExitAtPowerOff(cui::VM *vm)
{
   if (!vm || !(vm->GetExitAtPowerOff() || options_.quitAtPowerOff)) {
      return;
   }
   if (vm->GetBusy(cui::VM::BUSY_POWER) || vm->GetPowerState() == cui::VM::POWERED_ON || vm->GetInTeam()) {
      return;
   }
   // With -q, the opened-object watch ends the program once the last tab has gone.
   if (cui::MVMTemplate *mvmt = GetMVMTForVM(vm)) {
      CloseMVMT(_bstr_t(mvmt->GetFilename().c_str()), cui::AbortSlot(), cui::DoneSlot());
      return;
   }
   CloseVMTab(vm->GetVmPath(), true, sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted));
}

void CZOLTApp::PowerOnOpenedVM(_bstr_t cfgPath)
{
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   cui::VM *vm = vmMgr ? vmMgr->GetVMByCfgPath(zoltdb::Text(cfgPath)) : nullptr;
   if (vm) {
      vm->SetPowerState(cui::VM::POWER_ON_FORK, cui::VM::POWEROP_FORK,
                        sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted));
   }
}

void CZOLTApp::ClearTransientObjIfSame(const std::string &path)
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs->GetTransientObj().empty() && prefs->GetTransientObjPath() == path) {
      prefs->UnsetTransientObj();
   }
}

#include "zoltModelOps.h"

#include "cui/cui.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace zoltmodel {

bool IsTeamBusy(cui::Team *team)
{
   wui::Team *wuiTeam = dynamic_cast<wui::Team *>(team);
   return wuiTeam && wuiTeam->GetBusy();
}

bool IsVMBusy(cui::VM *vm, int mask)
{
   return vm->GetBusy(mask);
}

bool IsVMRunning(cui::VM *vm)
{
   return vm->GetPowerState() == cui::VM::POWERED_ON || vm->GetPowerOnActionState() == cui::VM::ACTION_RUNNING ||
          vm->GetPowerOffActionState() == cui::VM::ACTION_RUNNING ||
          vm->GetPowerSuspendActionState() == cui::VM::ACTION_RUNNING;
}

void PowerOnTeam(cui::Team *team)
{
   team->SetPowerState(cui::VM::POWERED_ON, cui::VM::POWEROP_TRYSOFT, cui::AbortSlot(), cui::DoneSlot());
}

bool ShowsApplianceView(cui::VM *)
{
   return false;
}

void PowerOffVMs(const cui::AbortSlot &onAbort, const cui::DoneSlot &done)
{
   wui::GetVMMgr()->PowerOffVMs(0, onAbort, done);
}

void SuspendVMs(const cui::AbortSlot &onAbort, const cui::DoneSlot &done)
{
   wui::GetVMMgr()->SuspendVMs(0, onAbort, done);
}

void CloseAllVMs(const cui::AbortSlot &onAbort, const cui::DoneSlot &done)
{
   wui::VMMgr *vmMgr = wui::GetVMMgr();
   if (vmMgr) {
      vmMgr->CloseAllVMs(onAbort, done);
   } else {
      // Without a machine manager there is nothing to close; the end still comes from a later
      // poll step, as the manager's would.
      Poll_Post([done]() { cui::CallSlot(done); });
   }
}

void CloseAllTeams()
{
   if (wui::TeamMgr *teams = wui::GetTeamMgr()) {
      teams->CloseAllTeams();
   }
}

void CloseAllHotFixRequests()
{
}

void CloseAllMVMTs()
{
}

}  // namespace zoltmodel

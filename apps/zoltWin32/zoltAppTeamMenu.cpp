// Team menu commands: the team the command names, then the matching operation of the model
// library or of the team handlers; and Team > Remove of a machine or a LAN.
#include "zoltApp.h"
#include "zoltAppDb.h"

#include "cui/DlgMgr.h"
#include "cui/Host.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamEditable.h"
#include "cui/TeamMgr.h"
#include "res/resource.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"

void CZOLTApp::OnTeamCommand(CommandId id, _bstr_t &path, CommandSource)
{
   const std::string cfgPath = zoltdb::Text(path);
   wui::TeamMgr *teams = wui::GetTeamMgr();
   auto *team = teams && !cfgPath.empty() ? dynamic_cast<wui::Team *>(teams->GetTeamByCfgPath(cfgPath)) : nullptr;
   switch (id) {
   case IDM_TEAM_FAVORITES:
      if (!team) {
         RemoveFromVMList(path, false);
      } else if (!IsTeamInFavorites(team)) {
         AddTeamToVMList(team);
      } else {
         _bstr_t file(team->GetFilename().c_str());
         RemoveFromVMList(file, false);
      }
      return;
   case IDM_TEAM_SETTINGS:
      if (team) {
         EditTeam(team);
      }
      return;
   default:
      break;
   }
   if (!team) {
      return;
   }
   switch (id) {
   case IDM_TEAM_POWER_ON:
      ClearTransientObjIfSame(team->GetFilename());
      team->SetPowerState(cui::VM::POWERED_ON, cui::VM::POWEROP_TRYSOFT, &ReportTeamError);
      break;
   case IDM_TEAM_POWER_OFF:
      team->SetPowerState(cui::VM::POWERED_OFF, cui::VM::POWEROP_SOFT, &ReportTeamError);
      break;
   case IDM_TEAM_SUSPEND:
      team->SetPowerState(cui::VM::SUSPENDED, cui::VM::POWEROP_TRYSOFT, &ReportTeamError);
      break;
   case IDM_TEAM_RESET:
      team->SetPowerState(cui::VM::RESET, cui::VM::POWEROP_SOFT, &ReportTeamError);
      break;
   case IDM_TEAM_OPEN:
      OpenTeamTab(team, false, false, true);
      break;
   case IDM_TEAM_CLOSE:
      CheckAndCloseTeam(team, true, &ReportTeamError, sigc::slot<void>());
      break;
   case IDM_TEAM_DELETE: {
      cui::Host *current = wui::GetCurrentHost();
      if (!TremAppUtil_CheckLockout(ctx_, current ? current->GetPath().c_str() : "", "lockoutEditVM")) {
         break;
      }
      cui::Host *host = team->GetHost() ? team->GetHost() : current;
      if (!host) {
         ReportTeamErrorPlain(false, cui::Error("The team cannot be deleted: it belongs to no host."));
         break;
      }
      const std::string file = team->GetFilename();
      host->DeleteTeam(file, wui::GetDlgMgr(), sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnTeamDeleted), file),
                       &ReportTeamErrorPlain);
      break;
   }
   default:
      break;
   }
}

void CZOLTApp::UpdateTeamMembers(cui::Team *team)
{
   if (!team) {
      return;
   }
   cui::VM *current = team->GetCurrentVM();
   // Copied: a member's tab going may change the team's list.
   const std::vector<cui::VM *> members = team->GetVMs();
   for (cui::VM *vm : members) {
      _bstr_t file(vm->GetFilename().c_str());
      RemoveFromVMList(file, true);
      OnTeamMemberAdded(team, vm);
   }
   if (current && team->HasVM(current->GetVmPath())) {
      team->SetCurrentVM(current);
   }
}

void CZOLTApp::OnTeamMemberAdded(cui::Team *team, cui::VM *vm)
{
   if (!team || !vm) {
      return;
   }
   // The machine's own tab goes; the machine itself stays open as the team's member.
   if (FindOpenedObj(_bstr_t("vm"), _bstr_t(vm->GetVmPath().c_str()), false).length() > 0) {
      DropVMTab(vm->GetVmPath());
   }
   if (!team->GetCurrentVM()) {
      std::vector<cui::VM *> sorted = team->GetSortedVMList();
      if (!sorted.empty()) {
         team->SetCurrentVM(sorted.front());
      }
   }
}

void CZOLTApp::RemoveVMFromTeam(cui::Team *team, cui::VM *vm)
{
   if (!team || !vm) {
      return;
   }
   cui::TeamEditableSimple::Edit(
      team, [vm](cui::TeamEditableSimple &editable) { editable.RemoveVM(vm); }, &ReportTeamError,
      sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnVMRemovedFromTeam), vm->GetFilename()));
}

void CZOLTApp::OnVMRemovedFromTeam(std::string cfgPath)
{
   if (!cfgPath.empty()) {
      // Out of its team the machine gets a tab of its own again.
      OpenVM(_bstr_t(cfgPath.c_str()), OpenFlags(), sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted),
             sigc::slot<void>());
   }
}

void CZOLTApp::RemoveTeamNet(cui::Team *team, const std::string &net)
{
   if (!team || net.empty()) {
      return;
   }
   // The menu names the LAN by its network id; the edit takes its name.
   std::string name = net;
   for (const cui::TeamNet *lan : team->GetNets()) {
      if (lan->GetNetworkID() == net) {
         name = lan->GetName();
      }
   }
   cui::TeamEditableSimple::Edit(
      team, [name](cui::TeamEditableSimple &editable) { editable.RemoveNet(name); }, &ReportTeamError);
}

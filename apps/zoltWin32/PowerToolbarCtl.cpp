#include "PowerToolbarCtl.h"

#include "resource.h"
#include "zoltResources.h"

#include "cui/Team.h"

namespace {

const UINT kNormal[] = {11961, 11973, 11965, 11969};
const UINT kDisabled[] = {11962, 11974, 11966, 11970};
const UINT kHot[] = {11963, 11975, 11967, 11971};

}  // namespace

int PowerOperationOf(CommandId command)
{
   switch (command) {
   case IDM_VM_POWER_ON:
      return cui::VM::POWERED_ON;
   case IDM_VM_POWER_OFF:
      return cui::VM::POWERED_OFF;
   case IDM_VM_SUSPEND:
      return cui::VM::SUSPENDED;
   case IDM_VM_RESET:
      return cui::VM::RESET;
   default:
      return -1;
   }
}

VMPowerFacts VMPowerFacts::Of(const cui::VM &vm)
{
   VMPowerFacts facts;
   facts.power = vm.GetPowerState();
   facts.onAction = vm.GetPowerOnActionState();
   facts.offAction = vm.GetPowerOffActionState();
   facts.suspendAction = vm.GetPowerSuspendActionState();
   facts.busyPower = vm.GetBusy(cui::VM::BUSY_POWER);
   facts.busy = vm.GetBusy(cui::VM::BUSY_CONFIG | cui::VM::BUSY_POWER);
   return facts;
}

PowerButtonState VMPowerButtonState(const VMPowerFacts &facts, CommandId command)
{
   PowerButtonState state;
   int action = cui::VM::ACTION_UNAVAILABLE;
   switch (command) {
   case IDM_VM_POWER_OFF:
      action = facts.offAction;
      state.pushed = (facts.power == cui::VM::POWERED_OFF && !facts.busyPower) || action == cui::VM::ACTION_RUNNING;
      break;
   case IDM_VM_SUSPEND:
      action = facts.suspendAction;
      state.pushed = (facts.power == cui::VM::SUSPENDED && !facts.busyPower) || action == cui::VM::ACTION_RUNNING;
      break;
   case IDM_VM_POWER_ON:
      action = facts.onAction;
      state.pushed = (facts.power == cui::VM::POWERED_ON && !facts.busyPower) || action == cui::VM::ACTION_RUNNING;
      break;
   case IDM_VM_RESET:
      state.enabled = facts.power == cui::VM::POWERED_ON && !facts.busy;
      return state;
   default:
      return state;
   }
   state.enabled = (!state.pushed && action == cui::VM::ACTION_AVAILABLE) ||
                   (state.pushed && action != cui::VM::ACTION_RUNNING);
   if (facts.busy && !state.pushed) {
      state.enabled = false;
   }
   return state;
}

PowerButtonState TeamPowerButtonState(int teamPower, bool allowed, CommandId command)
{
   PowerButtonState state;
   int operation = PowerOperationOf(command);
   if (operation < 0) {
      return state;
   }
   state.pushed = operation != cui::VM::RESET && teamPower == operation;
   state.enabled = allowed && !state.pushed;
   return state;
}

void CVMToolbarCtl::AddButtons()
{
   AddButton(IDM_VM_POWER_OFF, 2, 0, IDS_TB_POWER_OFF);
   AddButton(IDM_VM_SUSPEND, 3, 1, IDS_TB_SUSPEND);
   AddButton(IDM_VM_POWER_ON, 4, 2, IDS_TB_POWER_ON);
   AddButton(IDM_VM_RESET, 5, 3, IDS_TB_RESET);
}

HWND CVMToolbarCtl::Init(HWND rebar)
{
   if (!CreateWithItems(rebar, kCommonStyle, kNormal, kDisabled, kHot, 4, {2, 3, 4, 5})) {
      return nullptr;
   }
   FollowCurrentObject();
   return m_hWnd;
}

void CVMToolbarCtl::UpdateButtons()
{
   for (const auto &record : buttons_) {
      PowerButtonState state;
      if (isTeam_) {
         if (auto *team = dynamic_cast<wui::Team *>(team_)) {
            int operation = PowerOperationOf(record->command);
            state = TeamPowerButtonState(team->GetPowerState(), team->IsPowerStateEnabled(operation), record->command);
         }
      } else if (vm_) {
         state = VMPowerButtonState(VMPowerFacts::Of(*vm_), record->command);
      }
      SetButtonState(record->command, state.enabled, state.pushed);
   }
   AutoSizeBand();
}

bool CVMToolbarCtl::GetTooltipText(CommandId command, std::string &text)
{
   if (!OwnsCommand(command)) {
      return false;
   }
   // The texts come from the model; an empty one leaves the tooltip empty.
   text = PowerTooltipText(isTeam_, team_, vm_, command);
   return true;
}

std::string PowerTooltipText(bool isTeam, const cui::Team *team, const cui::VM *vm, CommandId command)
{
   int operation = PowerOperationOf(command);
   if (operation < 0) {
      return std::string();
   }
   if (isTeam) {
      if (!team) {
         return std::string();
      }
      switch (command) {
      case IDM_VM_POWER_OFF:
         return team->GetPowerOffTooltip();
      case IDM_VM_SUSPEND:
         return team->GetPowerSuspendTooltip();
      case IDM_VM_RESET:
         return team->GetPowerResetTooltip();
      default:
         return team->GetPowerOnTooltip();
      }
   }
   return cui::VM::GetPowerTooltip(vm, operation, cui::VM::POWEROP_SOFT);
}

LRESULT CVMToolbarCtl::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   CommandId command = LOWORD(wParam);
   if (SendMessage(TB_ISBUTTONCHECKED, command)) {
      return 0;
   }
   switch (command) {
   case IDM_VM_POWER_ON:
      EmitClicked(CLICK_POWER_ON, "CVMToolbarCtl");
      break;
   case IDM_VM_POWER_OFF:
      EmitClicked(CLICK_POWER_OFF, "CVMToolbarCtl");
      break;
   case IDM_VM_SUSPEND:
      EmitClicked(CLICK_SUSPEND, "CVMToolbarCtl");
      break;
   case IDM_VM_RESET:
      EmitClicked(CLICK_RESET, "CVMToolbarCtl");
      break;
   default:
      break;
   }
   return 0;
}

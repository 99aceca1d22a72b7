// The power toolbar: power off, suspend, power on or resume, reset of the current machine or team.
#pragma once

#include "ToolbarBaseCtl.h"

#include "cui/VM.h"

// Enabled and pushed state of one power button.
struct PowerButtonState {
   bool enabled = false;
   bool pushed = false;
};

// What the power buttons of a machine depend on.
struct VMPowerFacts {
   int power = cui::VM::POWERED_OFF;
   int onAction = cui::VM::ACTION_UNAVAILABLE;
   int offAction = cui::VM::ACTION_UNAVAILABLE;
   int suspendAction = cui::VM::ACTION_UNAVAILABLE;
   bool busyPower = false;   // a power operation is under way
   bool busy = false;        // a configuration or power operation is under way

   static VMPowerFacts Of(const cui::VM &vm);
};

// The operation a power button asks for: 0 power on, 1 power off, 2 suspend, 4 reset; -1 for
// any other command.
int PowerOperationOf(CommandId command);
// The button of a machine: pushed when the machine is in the state the button gives (and no
// power operation runs) or when that action is under way; enabled when the action can run now,
// or when it is pushed and not under way. While the machine is busy only a pushed button stays
// enabled.
PowerButtonState VMPowerButtonState(const VMPowerFacts &facts, CommandId command);
// The button of a team: pushed when the team's combined power state is the button's; enabled
// when the team allows that power state now.
PowerButtonState TeamPowerButtonState(int teamPower, bool allowed, CommandId command);
// A power button's tooltip: the team's text for a team current object, else the machine's (the
// machine may be missing).
std::string PowerTooltipText(bool isTeam, const cui::Team *team, const cui::VM *vm, CommandId command);

class CVMToolbarCtl : public CToolbarBaseCtl {
public:
   HWND Init(HWND rebar) override;
   void UpdateButtons() override;
   int GetToolbarType() const override { return wui::Prefs::TOOLBAR_POWER; }
   bool GetTooltipText(CommandId command, std::string &text) override;

   BEGIN_MSG_MAP(CVMToolbarCtl)
      MESSAGE_HANDLER(OCM_COMMAND, OnCommand)
      CHAIN_MSG_MAP(CToolbarBaseCtl)
   END_MSG_MAP()

protected:
   void AddButtons() override;

private:
   LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &);
};

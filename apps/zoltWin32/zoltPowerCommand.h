// The power commands of a single machine: what each asks of the machine.
#pragma once

#include "zoltCommandId.h"

#include "cui/VM.h"

struct PowerCommand {
   CommandId id;
   cui::VM::PowerState state;
   // True for the VM menu's own commands, false for the guest's (shut down, restart, ...): the
   // flag handed to the library when it picks the power option.
   bool menu;
};

// The row of a power command id; null for any other id.
const PowerCommand *FindPowerCommand(CommandId id);
// Power on (or resume) and the guest's start-up.
bool IsPowerOnCommand(CommandId id);

#include "zoltPowerCommand.h"

#include "res/resource.h"

namespace {

const PowerCommand kPowerCommands[] = {
   {IDM_VM_POWER_ON, cui::VM::POWERED_ON, true},       {IDM_VM_POWER_OFF, cui::VM::POWERED_OFF, true},
   {IDM_VM_SUSPEND, cui::VM::SUSPENDED, true},         {IDM_VM_RESET, cui::VM::RESET, true},
   {IDM_VM_START_GUEST, cui::VM::POWERED_ON, false},   {IDM_VM_SHUT_DOWN_GUEST, cui::VM::POWERED_OFF, false},
   {IDM_VM_SUSPEND_GUEST, cui::VM::SUSPENDED, false},  {IDM_VM_RESTART_GUEST, cui::VM::RESET, false},
};

}  // namespace

const PowerCommand *FindPowerCommand(CommandId id)
{
   for (const PowerCommand &command : kPowerCommands) {
      if (command.id == id) {
         return &command;
      }
   }
   return nullptr;
}

bool IsPowerOnCommand(CommandId id)
{
   return id == IDM_VM_POWER_ON || id == IDM_VM_START_GUEST;
}

#include "cui/Team.h"

#include "cui/PathText.h"

namespace cui {

Team::Team(std::string filename, std::string name) : filename_(std::move(filename)), name_(std::move(name)) {}

Team::~Team() = default;

VM::PowerState Team::GetPowerState() const
{
   for (const VM *vm : vms_) {
      if (vm->GetPowerState() == VM::POWERED_ON) {
         return VM::POWERED_ON;
      }
   }
   return vms_.empty() ? VM::POWERED_OFF : vms_.front()->GetPowerState();
}

int Team::GetPowerSuspendActionState() const
{
   VM::PowerState state = GetPowerState();
   if (state == VM::SUSPENDED) {
      return 3;
   }
   return state == VM::POWERED_ON ? 1 : 0;
}

bool Team::HasVM(const std::string &vmPath) const
{
   std::string wanted = cuiutil::WithSlash(vmPath);
   for (const VM *vm : vms_) {
      if (!wanted.empty() && cuiutil::WithSlash(vm->GetVmPath()) == wanted) {
         return true;
      }
   }
   return false;
}

}  // namespace cui

namespace wui {

bool Team::IsPowerStateEnabled(int state) const
{
   if (busy_ || vms_.empty()) {
      return false;
   }
   bool anyOn = false;
   bool allOn = true;
   for (const cui::VM *vm : vms_) {
      bool on = vm->GetPowerState() == cui::VM::POWERED_ON;
      anyOn = anyOn || on;
      allOn = allOn && on;
   }
   switch (state) {
   case 0:
      return !allOn;
   case 1:
   case 2:
   case 4:
      return anyOn;
   default:
      return false;
   }
}

}  // namespace wui

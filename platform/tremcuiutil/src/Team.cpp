#include "cui/Team.h"

#include "PathText.h"

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

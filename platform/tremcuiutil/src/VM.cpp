#include "cui/VM.h"

namespace cui {

VM::VM(std::string vmPath, std::string filename, std::string name)
   : vmPath_(std::move(vmPath)), filename_(std::move(filename)), name_(std::move(name))
{
}

VM::~VM() = default;

void VM::SetPowerState(PowerState state)
{
   if (state == powerState_) {
      return;
   }
   powerState_ = state;
   powerStateChanged.emit();
   changed.emit();
}

}  // namespace cui

// Power helpers of the library's Windows side.
#pragma once

#include "cui/VM.h"

namespace wui {
namespace util {
namespace Power {

// The power option of a power command: the machine's configured way for the commands of the
// VM menu and the toolbars (`menu` true), the guest's own way for the guest commands.
cui::VM::PowerOption GetVMMenuPowerOption(cui::VM *vm, cui::VM::PowerState state, bool menu);
inline cui::VM::PowerOption GetVMMenuPowerOption(cui::VM *vm, int state, bool menu)
{
   return GetVMMenuPowerOption(vm, static_cast<cui::VM::PowerState>(state), menu);
}

}  // namespace Power
}  // namespace util
}  // namespace wui

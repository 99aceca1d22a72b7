#include "cui/Power.h"

namespace wui {
namespace util {
namespace Power {

cui::VM::PowerOption GetVMMenuPowerOption(cui::VM *vm, cui::VM::PowerState state, bool menu)
{
   if (menu || !vm) {
      return cui::VM::POWEROP_DEFAULT;
   }
   // Starting a guest is the host's work; stopping, suspending and restarting it are asked of
   // the guest, with the host acting where the guest cannot (it is not running).
   return state == cui::VM::POWERED_ON || state == cui::VM::POWER_ON_FORK ? cui::VM::POWEROP_DEFAULT
                                                                            : cui::VM::POWEROP_TRYSOFT;
}

}  // namespace Power
}  // namespace util
}  // namespace wui

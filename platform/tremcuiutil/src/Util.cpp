#include "cui/Util.h"

#include <exception>

#include "atl/UncaughtException.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"

namespace wui {
namespace util {

bool HasZephroExtension()
{
   return Config_GetBool("ui.zephro.extension", false);
}

}  // namespace util

void LaunchOrKillVMTrayProcess(bool launch)
{
   Log("wui::LaunchOrKillVMTrayProcess: %s asked; there is no tray process\n", launch ? "launch" : "kill");
}

void GenericExceptionHandler()
{
   if (std::current_exception()) {
      atl::HandleUncaughtException();
   }
}

}  // namespace wui

namespace kestrum {

namespace {
int gHandle = 1000;
}

void SetKestrumSDK(int handle)
{
   gHandle = handle;
}

int GetKestrumSDK()
{
   return gHandle;
}

}  // namespace kestrum

#include "zoltGuard.h"

#include "tremorybase/Log.h"

#include <exception>

void Guard(const sigc::slot<void> &slot)
{
   if (slot.empty() || slot.blocked()) {
      return;
   }
   try {
      slot();
   } catch (const std::exception &e) {
      Warning("Guard: Uncaught exception: %s\n", e.what());
   } catch (...) {
      Warning("Guard: Uncaught exception.\n");
   }
}

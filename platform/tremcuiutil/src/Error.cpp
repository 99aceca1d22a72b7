#include "cui/Error.h"

namespace cui {

void Cancel(const AbortSlot &abortSlot)
{
   CallSlot(abortSlot, true, Error());
}

}  // namespace cui

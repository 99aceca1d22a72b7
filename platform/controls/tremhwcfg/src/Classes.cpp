#include "tremhwcfg/TremHwCfg.h"

#include "NwzCompletedObject.h"
#include "NwzObject.h"
#include "atl/ClassTable.h"

namespace tremhwcfg {

void RegisterClasses()
{
   atl::ClassTable::Register(L"tremhwcfg.Nwz.9", __uuidof(TremNwz), &NwzObject::Create);
   atl::ClassTable::Register(L"tremhwcfg.NwzCompleted.9", __uuidof(TremNwzCompleted), &NwzCompletedObject::Create);
}

}  // namespace tremhwcfg

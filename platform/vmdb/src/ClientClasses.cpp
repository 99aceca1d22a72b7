#include "vmdb/ClientClasses.h"

#include "VMClientObject.h"
#include "VMListObject.h"
#include "VMMsgObject.h"

#include "atl/ClassTable.h"

namespace vmdb {

void RegisterClientClasses()
{
   atl::ClassTable::Register(L"VMClient", __uuidof(VMClient), &VMClientObject::Create);
   atl::ClassTable::Register(L"VMList", __uuidof(VMList), &VMListObject::Create);
   atl::ClassTable::Register(L"VMMsg", __uuidof(VMMsg), &VMMsgObject::Create);
}

}  // namespace vmdb

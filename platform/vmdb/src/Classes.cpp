#include "vmdb/Classes.h"

#include "DatabaseObject.h"
#include "PollObject.h"
#include "SchemaObject.h"
#include "UtilObject.h"

#include "atl/ClassTable.h"

namespace vmdb {

void RegisterClasses()
{
   atl::ClassTable::Register(L"VmdbDatabase", __uuidof(VmdbDatabase), &DatabaseObject::Create);
   atl::ClassTable::Register(L"VmdbUtil", __uuidof(VmdbUtil), &UtilObject::Create);
   atl::ClassTable::Register(L"VmdbSchema", __uuidof(VmdbSchema), &SchemaObject::Create);
   atl::ClassTable::Register(L"TremappPoll", __uuidof(TremappPoll), &PollObject::Create);
}

}  // namespace vmdb

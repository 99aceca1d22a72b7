#include "vmdb/Classes.h"

#include "DatabaseObject.h"
#include "PollObject.h"
#include "QueryObject.h"
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
   atl::ClassTable::Register(L"VmdbQuery", __uuidof(VmdbQuery), &QueryObject::Create);
   atl::ClassTable::Register(L"VmdbParseError", __uuidof(VmdbParseError), &ParseErrorObject::Create);
   atl::ClassTable::Register(L"VmdbExecuteError", __uuidof(VmdbExecuteError), &ExecuteErrorObject::Create);
}

}  // namespace vmdb

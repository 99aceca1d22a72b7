// Registration of the state database's COM classes in the class table.
#pragma once

#include "vmdb/VmdbInterfaces.h"
#include "vmdb/VmdbQuery.h"

namespace vmdb {

// Registers "VmdbDatabase", "VmdbUtil", "VmdbSchema", "TremappPoll" and the query objects
// ("VmdbQuery", "VmdbParseError", "VmdbExecuteError"; vmdb/VmdbQuery.h), by ProgID and class id.
// Call after CoInitialize so CoCreateInstance finds them by class id.
void RegisterClasses();

}  // namespace vmdb

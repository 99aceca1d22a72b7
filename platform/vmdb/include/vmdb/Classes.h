// Registration of the state database's COM classes in the class table.
#pragma once

#include "vmdb/VmdbInterfaces.h"

namespace vmdb {

// Registers "VmdbDatabase", "VmdbUtil", "VmdbSchema" and "TremappPoll" (ProgID and class id).
// Call after CoInitialize so CoCreateInstance finds them by class id.
void RegisterClasses();

}  // namespace vmdb

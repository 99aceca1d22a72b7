// Registration of the client objects in the class table.
#pragma once

#include "vmdb/ClientInterfaces.h"

namespace vmdb {

// Registers "VMClient", "VMList" and "VMMsg" (ProgID and class id). The program calls it right
// after vmdb::RegisterClasses(), after CoInitialize, so CoCreateInstance finds them by class id.
void RegisterClientClasses();

}  // namespace vmdb

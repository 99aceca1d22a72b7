// Small helpers of the application's database work: private contexts and text reads.
#pragma once

#include "cui/AppDataPaths.h"
#include "vmdb/VmdbInterfaces.h"

#include <comdef.h>

#include <string>

namespace zoltdb {

extern const char kPrefsZoltPath[];   // "/user/prefState/req/#ZOLT/val/zolt"

// A new context of the database whose current path is `path`.
IVmdbContextPtr NewContextAt(const IVmdbDatabasePtr &db, const char *path);
inline IVmdbContextPtr NewAppDataContext(const IVmdbDatabasePtr &db)
{
   return NewContextAt(db, cui::appdata::kRoot);
}

// A COM text as UTF-8, whole (embedded zeros included); an empty or null text gives "". The one
// place the program reads a _bstr_t as text.
std::string Text(const _bstr_t &text);
// The value at `path` as text; a flag reads "1" or "0", a missing node "".
std::string ReadText(const IVmdbContextPtr &ctx, const _bstr_t &path);
// The value at `path` as a flag: true unless missing, empty, "0" or "false".
bool ReadFlag(const IVmdbContextPtr &ctx, const _bstr_t &path);
// A COM error's description, else its code.
std::string ComText(const _com_error &error);

// Flags are written as 16-bit integers.
inline _variant_t Flag(bool on) { return _variant_t(static_cast<short>(on ? 1 : 0)); }

}  // namespace zoltdb

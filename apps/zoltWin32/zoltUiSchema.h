// The schema of the application's own subtree of the state database, cui::appdata::kRoot.
#pragma once

#include "vmdb/VmdbInterfaces.h"

// Declares the whole subtree on `db`; called once, right after the database is connected.
void BuildUiSchema(IVmdbDatabase *db);

// One node at the cursor of `util`: a text, a flag or a directory by type code, with a default.
void AddSchemaNode(IVmdbUtil *util, const char *name, long type, const char *defaultValue);
// An enumeration of `values` (ended by an empty entry), in list order, with a default.
void AddSchemaNode(IVmdbUtil *util, const char *name, const char *const *values, const char *defaultValue);
// A link whose value is a path matching `targetPattern` ("#" for any element).
void AddSchemaLink(IVmdbUtil *util, const char *name, const char *targetPattern);

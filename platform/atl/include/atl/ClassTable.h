// The in-process class table: every object and control "created by name" is registered here by
// the library that implements it, with its ProgID, class id and a creator. Registration also
// registers a class factory with CoRegisterClassObject, so CoCreateInstance finds the class by
// its id; ProgIDs resolve through the table, since the system knows no unregistered name.
#pragma once

#include <objbase.h>

namespace atl {

// Creates a new object and returns the interface `iid` of it (AddRef'ed) in `ppv`.
typedef HRESULT (*ClassCreator)(REFIID iid, void **ppv);

class ClassTable {
public:
   // Adds a class. A ProgID or class id registered twice replaces the earlier entry.
   // Call after CoInitialize for the class factory to be registered with COM.
   static void Register(const wchar_t *progId, REFCLSID clsid, ClassCreator creator);
   // Registers the class factories of every class already in the table with COM (for classes
   // added before CoInitialize) and revokes them again.
   static void RegisterAllWithCom();
   static void RevokeAllFromCom();

   // REGDB_E_CLASSNOTREG for an unknown ProgID. A text in braces is read as a class id.
   static HRESULT ClassIdFromName(const wchar_t *progIdOrClsid, CLSID *clsid);
   // Creates by ProgID or class-id text: REGDB_E_CLASSNOTREG when unknown.
   static HRESULT CreateByName(const wchar_t *progIdOrClsid, REFIID iid, void **ppv);
   static HRESULT CreateByClassId(REFCLSID clsid, REFIID iid, void **ppv);
   // Removes a class (tests use this to make a creation fail as a real one would).
   static void Unregister(const wchar_t *progId);
};

} // namespace atl

// "VmdbUtil": a cursor into the schema of a database, and path helpers.
#pragma once

#include "ComSupport.h"

#include <string>
#include <vector>

namespace vmdb {

class UtilObject : public ComObject<IVmdbUtil> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   HRESULT __stdcall raw_Attach(IVmdbDatabase *db) override;
   HRESULT __stdcall raw_GetDatabase(IVmdbDatabase **db) override;
   HRESULT __stdcall raw_ChangeSchemaPath(BSTR name) override;
   HRESULT __stdcall raw_GetSchemaPath(BSTR *path) override;
   HRESULT __stdcall raw_JoinPath(BSTR base, BSTR path, BSTR *result) override;
   HRESULT __stdcall raw_ParentPath(BSTR path, BSTR *result) override;
   HRESULT __stdcall raw_RelativePath(BSTR from, BSTR to, BSTR *result) override;

private:
   std::string GetSchemaPathText() const;

   IVmdbDatabasePtr db_;
   std::vector<std::string> cursor_;
};

}  // namespace vmdb

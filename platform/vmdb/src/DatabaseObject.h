// "VmdbDatabase": a connection to the process's default database or to a named one.
#pragma once

#include "ComSupport.h"

#include "vmdb/Store.h"

#include <memory>

namespace vmdb {

class DatabaseObject : public ComObject<IVmdbDatabase> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   HRESULT __stdcall raw_ConnectDefault() override;
   HRESULT __stdcall raw_Connect(BSTR name, long flags) override;
   HRESULT __stdcall raw_Disconnect() override;
   HRESULT __stdcall raw_NewContext(IVmdbContext **ctx) override;
   HRESULT __stdcall raw_Save() override;
   HRESULT __stdcall raw_GetRawHandle(INT_PTR *handle) override;

private:
   ~DatabaseObject() override;
   // Methods used before a connect work on the default database.
   vmdbstore::Store &Connected();

   std::shared_ptr<vmdbstore::Store> store_;
};

}  // namespace vmdb

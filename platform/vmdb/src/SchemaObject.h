// "VmdbSchema": one schema node, filled in and then added at a VmdbUtil's cursor.
#pragma once

#include "ComSupport.h"

#include "vmdb/Store.h"

namespace vmdb {

class SchemaObject : public ComObject<IVmdbSchema> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   HRESULT __stdcall raw_SetName(BSTR name) override;
   HRESULT __stdcall raw_GetName(BSTR *name) override;
   HRESULT __stdcall raw_SetType(long type) override;
   HRESULT __stdcall raw_GetType(long *type) override;
   HRESULT __stdcall raw_AddEnumValue(BSTR value) override;
   HRESULT __stdcall raw_GetEnumValueCount(long *count) override;
   HRESULT __stdcall raw_GetEnumValue(long index, BSTR *value) override;
   HRESULT __stdcall raw_SetDefault(BSTR value) override;
   HRESULT __stdcall raw_GetDefault(BSTR *value) override;
   HRESULT __stdcall raw_SetLinkTarget(BSTR pattern) override;
   HRESULT __stdcall raw_GetLinkTarget(BSTR *pattern) override;
   HRESULT __stdcall raw_AddToParent(IVmdbUtil *util) override;

private:
   vmdbstore::SchemaDecl decl_;
};

}  // namespace vmdb

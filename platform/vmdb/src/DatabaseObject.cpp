#include "DatabaseObject.h"

#include "ContextObject.h"

namespace vmdb {

HRESULT DatabaseObject::Create(REFIID iid, void **ppv)
{
   return Hand(new DatabaseObject, iid, ppv);
}

vmdbstore::Store &DatabaseObject::Connected()
{
   if (!store_) {
      store_ = vmdbstore::Store::Connect("");
   }
   return *store_;
}

HRESULT DatabaseObject::raw_ConnectDefault()
{
   VMDB_COM_TRY
   store_ = vmdbstore::Store::Connect("");
   return S_OK;
   VMDB_COM_CATCH(IVmdbDatabase)
}

HRESULT DatabaseObject::raw_Connect(BSTR name, long)
{
   VMDB_COM_TRY
   store_ = vmdbstore::Store::Connect(Utf8FromBstr(name));
   return S_OK;
   VMDB_COM_CATCH(IVmdbDatabase)
}

DatabaseObject::~DatabaseObject()
{
   raw_Disconnect();
}

HRESULT DatabaseObject::raw_Disconnect()
{
   VMDB_COM_TRY
   if (store_) {
      store_->Flush();
   }
   store_.reset();
   return S_OK;
   VMDB_COM_CATCH(IVmdbDatabase)
}

HRESULT DatabaseObject::raw_NewContext(IVmdbContext **ctx)
{
   if (!ctx) {
      return E_POINTER;
   }
   *ctx = nullptr;
   VMDB_COM_TRY
   *ctx = new ContextObject(this, Connected().NewContext());
   return S_OK;
   VMDB_COM_CATCH(IVmdbDatabase)
}

HRESULT DatabaseObject::raw_Save()
{
   VMDB_COM_TRY
   vmdbstore::Store &store = Connected();
   if (!store.Save()) {
      return Fail(E_FAIL, __uuidof(IVmdbDatabase), "Save: the user file \"" + store.UserFile() + "\" could not be written");
   }
   return S_OK;
   VMDB_COM_CATCH(IVmdbDatabase)
}

HRESULT DatabaseObject::raw_GetRawHandle(INT_PTR *handle)
{
   if (!handle) {
      return E_POINTER;
   }
   VMDB_COM_TRY
   *handle = reinterpret_cast<INT_PTR>(&Connected());
   return S_OK;
   VMDB_COM_CATCH(IVmdbDatabase)
}

}  // namespace vmdb

// A database context as a COM object, with the connection point of _IVmdbContextEvents.
#pragma once

#include "ComSupport.h"

#include "atl/ComPtr.h"

#include "vmdb/Store.h"

#include <map>
#include <memory>

namespace vmdb {

class ContextObject : public ComObject<IVmdbContext>, public IConnectionPointContainer, public IConnectionPoint {
public:
   ContextObject(IVmdbDatabase *db, std::unique_ptr<vmdbstore::Context> ctx);

   HRESULT __stdcall QueryInterface(REFIID iid, void **ppv) override { return ComObject::QueryInterface(iid, ppv); }
   ULONG __stdcall AddRef() override { return ComObject::AddRef(); }
   ULONG __stdcall Release() override { return ComObject::Release(); }

   HRESULT __stdcall raw_ChangePath(BSTR path) override;
   HRESULT __stdcall raw_CurrentPath(BSTR *path) override;
   HRESULT __stdcall raw_FullPath(BSTR path, BSTR *full) override;
   HRESULT __stdcall raw_ReadValue(BSTR path, VARIANT *value) override;
   HRESULT __stdcall raw_WriteValue(BSTR path, VARIANT value) override;
   HRESULT __stdcall raw_TestNode(BSTR path, VARIANT_BOOL *result) override;
   HRESULT __stdcall raw_AppendElement(BSTR path, BSTR *element) override;
   HRESULT __stdcall raw_NextElement(BSTR path, BSTR *element) override;
   HRESULT __stdcall raw_OpenBatch() override;
   HRESULT __stdcall raw_CloseBatch(long flag, long reserved) override;
   HRESULT __stdcall raw_WaitUntilChanged(BSTR path, VARIANT value, VARIANT_BOOL untilEqual, long limitMs,
                                          VARIANT_BOOL *result) override;
   HRESULT __stdcall raw_RemoveNode(BSTR path, VARIANT_BOOL recursive) override;
   HRESULT __stdcall raw_Watch(BSTR path, long mode) override;
   HRESULT __stdcall raw_Unwatch(BSTR path) override;
   HRESULT __stdcall raw_GetDatabase(IVmdbDatabase **db) override;
   HRESULT __stdcall raw_GetRawHandle(INT_PTR *handle) override;

   // IConnectionPointContainer
   HRESULT __stdcall EnumConnectionPoints(IEnumConnectionPoints **) override { return E_NOTIMPL; }
   HRESULT __stdcall FindConnectionPoint(REFIID iid, IConnectionPoint **point) override;
   // IConnectionPoint
   HRESULT __stdcall GetConnectionInterface(IID *iid) override;
   HRESULT __stdcall GetConnectionPointContainer(IConnectionPointContainer **container) override;
   HRESULT __stdcall Advise(IUnknown *sink, DWORD *cookie) override;
   HRESULT __stdcall Unadvise(DWORD cookie) override;
   HRESULT __stdcall EnumConnections(IEnumConnections **) override { return E_NOTIMPL; }

private:
   ~ContextObject() override;
   void *QueryMore(REFIID iid) override;
   void Raise(const std::string &watchPath, const std::string &changedPath);

   IVmdbDatabasePtr db_;
   std::unique_ptr<vmdbstore::Context> ctx_;
   std::map<DWORD, atl::CComPtr<_IVmdbContextEvents>> sinks_;
   std::pair<std::string, _bstr_t> watchedText_;   // the last watched path raised, as text
   DWORD nextCookie_ = 1;
};

}  // namespace vmdb

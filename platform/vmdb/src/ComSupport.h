// What the state database's COM objects share: reference counting, error information and the
// store's UTF-8 texts from VARIANTs (BSTRs convert with tremorybase/Text.h).
#pragma once

#include "tremorybase/Text.h"
#include "vmdb/VmdbInterfaces.h"

#include <string>

namespace vmdb {

// The store's text for a written value; `isBool` tells a VT_BOOL. False for a type it cannot hold.
bool TextFromVariant(const VARIANT &value, std::string &text, bool &isBool);

// Sets the thread's error information to `text` and returns `hr`.
HRESULT Fail(HRESULT hr, REFIID iid, const std::string &text);
// Inside a catch block: turns the exception in flight into an HRESULT with error information.
HRESULT FailFromException(REFIID iid, const char *method);

// QueryInterface, AddRef and Release for a class that implements `Itf` and ISupportErrorInfo.
template <class Itf>
class ComObject : public Itf, public ISupportErrorInfo {
public:
   HRESULT __stdcall QueryInterface(REFIID iid, void **ppv) override
   {
      if (!ppv) {
         return E_POINTER;
      }
      *ppv = nullptr;
      if (iid == IID_IUnknown || iid == __uuidof(Itf)) {
         *ppv = static_cast<Itf *>(this);
      } else if (iid == IID_ISupportErrorInfo) {
         *ppv = static_cast<ISupportErrorInfo *>(this);
      } else {
         *ppv = QueryMore(iid);
      }
      if (!*ppv) {
         return E_NOINTERFACE;
      }
      AddRef();
      return S_OK;
   }
   ULONG __stdcall AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
   ULONG __stdcall Release() override
   {
      LONG left = InterlockedDecrement(&refs_);
      if (left == 0) {
         delete this;
      }
      return static_cast<ULONG>(left);
   }
   HRESULT __stdcall InterfaceSupportsErrorInfo(REFIID iid) override
   {
      return iid == __uuidof(Itf) ? S_OK : S_FALSE;
   }

   // Hands out the object's interface `iid` for a class creator.
   static HRESULT Hand(ComObject *object, REFIID iid, void **ppv)
   {
      HRESULT hr = object->QueryInterface(iid, ppv);
      object->Release();
      return hr;
   }

protected:
   virtual ~ComObject() = default;
   virtual void *QueryMore(REFIID) { return nullptr; }

private:
   LONG refs_ = 1;
};

}  // namespace vmdb

// The body of a COM method: exceptions become failures with error information.
#define VMDB_COM_TRY try {
#define VMDB_COM_CATCH(Itf)                                                                           \
   }                                                                                                  \
   catch (...)                                                                                        \
   {                                                                                                  \
      return vmdb::FailFromException(__uuidof(Itf), __func__);                                        \
   }

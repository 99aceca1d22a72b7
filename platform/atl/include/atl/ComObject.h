// ComObject<Interfaces...>: IUnknown for the layer's own COM objects (stand-in controls, test
// objects). QueryInterface answers IUnknown, every listed interface and IDispatch when one of
// them is a dispatch interface; a class adds others by overriding QueryExtraInterface.
// An object starts with one reference, owned by whoever called new.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oaidl.h>

#include <new>
#include <type_traits>

namespace atl {

template <class First, class... Rest>
class ComObject : public First, public Rest... {
public:
   ComObject() = default;
   ComObject(const ComObject &) = delete;
   ComObject &operator=(const ComObject &) = delete;
   virtual ~ComObject() = default;

   HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **ppv) override
   {
      if (!ppv) {
         return E_POINTER;
      }
      *ppv = nullptr;
      if (iid == IID_IUnknown) {
         *ppv = static_cast<IUnknown *>(static_cast<First *>(this));
      } else if (!Find<First, Rest...>(iid, ppv) && !FindDispatch<First, Rest...>(iid, ppv)) {
         return QueryExtraInterface(iid, ppv);
      }
      AddRef();
      return S_OK;
   }
   ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
   ULONG STDMETHODCALLTYPE Release() override
   {
      LONG left = ::InterlockedDecrement(&m_refs);
      if (left == 0) {
         delete this;
      }
      return static_cast<ULONG>(left);
   }


protected:
   // Further interfaces; must AddRef what it returns.
   virtual HRESULT QueryExtraInterface(REFIID iid, void **ppv)
   {
      (void)iid;
      *ppv = nullptr;
      return E_NOINTERFACE;
   }

private:
   template <class I, class... More>
   bool Find(REFIID iid, void **ppv)
   {
      if (iid == __uuidof(I)) {
         *ppv = static_cast<I *>(this);
         return true;
      }
      if constexpr (sizeof...(More) > 0) {
         return Find<More...>(iid, ppv);
      }
      return false;
   }
   template <class I, class... More>
   bool FindDispatch(REFIID iid, void **ppv)
   {
      if constexpr (std::is_base_of<IDispatch, I>::value) {
         if (iid == IID_IDispatch) {
            *ppv = static_cast<IDispatch *>(static_cast<I *>(this));
            return true;
         }
      }
      if constexpr (sizeof...(More) > 0) {
         return FindDispatch<More...>(iid, ppv);
      }
      return false;
   }

   LONG m_refs = 1;
};

// Creates a T (a ComObject) and returns its `iid` interface, for ClassTable::Register.
template <class T>
HRESULT CreateComObject(REFIID iid, void **ppv)
{
   if (!ppv) {
      return E_POINTER;
   }
   *ppv = nullptr;
   T *object = new (std::nothrow) T();
   if (!object) {
      return E_OUTOFMEMORY;
   }
   HRESULT hr = object->QueryInterface(iid, ppv);
   object->Release();
   return hr;
}

} // namespace atl

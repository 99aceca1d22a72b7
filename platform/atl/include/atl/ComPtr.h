// Reference-counting interface pointers. CComPtr holds one reference; CComQIPtr also takes any
// interface and queries it for T. Interfaces need a __uuidof (a __CRT_UUID_DECL).
#pragma once

#include <objbase.h>

#include "atl/ClassTable.h"

namespace atl {

template <class T>
class CComPtrBase {
public:
   ~CComPtrBase()
   {
      if (p) {
         p->Release();
      }
   }

   operator T *() const { return p; }
   T &operator*() const { return *p; }
   T *operator->() const { return p; }
   // For an out parameter: whatever was held is released first.
   T **operator&()
   {
      Release();
      return &p;
   }
   bool operator!() const { return p == nullptr; }
   bool operator==(T *other) const { return p == other; }
   bool operator!=(T *other) const { return p != other; }

   void Release()
   {
      T *old = p;
      if (old) {
         p = nullptr;
         old->Release();
      }
   }
   // Takes over a reference the caller owned.
   void Attach(T *other)
   {
      if (p) {
         p->Release();
      }
      p = other;
   }
   // Hands the reference to the caller.
   T *Detach()
   {
      T *old = p;
      p = nullptr;
      return old;
   }
   HRESULT CopyTo(T **out) const
   {
      if (!out) {
         return E_POINTER;
      }
      *out = p;
      if (p) {
         p->AddRef();
      }
      return S_OK;
   }
   // True when both pointers lead to the same COM object (same IUnknown).
   bool IsEqualObject(IUnknown *other) const
   {
      if (!p && !other) {
         return true;
      }
      if (!p || !other) {
         return false;
      }
      IUnknown *a = nullptr;
      IUnknown *b = nullptr;
      p->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&a));
      other->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&b));
      bool same = a == b;
      if (a) {
         a->Release();
      }
      if (b) {
         b->Release();
      }
      return same;
   }
   template <class Q>
   HRESULT QueryInterface(Q **out) const
   {
      if (!out) {
         return E_POINTER;
      }
      *out = nullptr;
      return p ? p->QueryInterface(__uuidof(Q), reinterpret_cast<void **>(out)) : E_POINTER;
   }

   HRESULT CoCreateInstance(REFCLSID clsid, IUnknown *outer = nullptr, DWORD context = CLSCTX_ALL)
   {
      Release();
      return ::CoCreateInstance(clsid, outer, context, __uuidof(T), reinterpret_cast<void **>(&p));
   }
   // The name is a ProgID (or a class id in braces) of the class table.
   HRESULT CoCreateInstance(LPCOLESTR progId, IUnknown *outer = nullptr, DWORD context = CLSCTX_ALL)
   {
      CLSID clsid;
      HRESULT hr = ClassTable::ClassIdFromName(progId, &clsid);
      if (FAILED(hr)) {
         Release();
         return hr;
      }
      return CoCreateInstance(clsid, outer, context);
   }

   T *p;

protected:
   CComPtrBase() : p(nullptr) {}
   explicit CComPtrBase(T *other) : p(other)
   {
      if (p) {
         p->AddRef();
      }
   }
   void Assign(T *other)
   {
      if (other) {
         other->AddRef();
      }
      T *old = p;
      p = other;
      if (old) {
         old->Release();
      }
   }
   void AssignQuery(IUnknown *other, REFIID iid)
   {
      T *found = nullptr;
      if (other) {
         other->QueryInterface(iid, reinterpret_cast<void **>(&found));
      }
      T *old = p;
      p = found;
      if (old) {
         old->Release();
      }
   }
};

template <class T>
class CComPtr : public CComPtrBase<T> {
public:
   CComPtr() = default;
   CComPtr(T *other) : CComPtrBase<T>(other) {}
   CComPtr(const CComPtr &other) : CComPtrBase<T>(other.p) {}
   CComPtr(CComPtr &&other) noexcept { this->p = other.Detach(); }

   CComPtr &operator=(T *other)
   {
      this->Assign(other);
      return *this;
   }
   CComPtr &operator=(const CComPtr &other)
   {
      this->Assign(other.p);
      return *this;
   }
   CComPtr &operator=(CComPtr &&other) noexcept
   {
      if (this != &other) {
         this->Attach(other.Detach());
      }
      return *this;
   }
   // Another interface of the same object: queried.
   template <class Q>
   CComPtr &operator=(const CComPtr<Q> &other)
   {
      this->AssignQuery(other.p, __uuidof(T));
      return *this;
   }
};

// A pointer that queries what it is given for T (or for *piid when given).
template <class T, const IID *piid = nullptr>
class CComQIPtr : public CComPtr<T> {
public:
   CComQIPtr() = default;
   CComQIPtr(T *other) : CComPtr<T>(other) {}
   CComQIPtr(const CComQIPtr &other) : CComPtr<T>(other.p) {}
   CComQIPtr(IUnknown *other) { this->AssignQuery(other, Iid()); }
   template <class Q>
   CComQIPtr(const CComPtr<Q> &other)
   {
      this->AssignQuery(other.p, Iid());
   }

   CComQIPtr &operator=(T *other)
   {
      this->Assign(other);
      return *this;
   }
   CComQIPtr &operator=(const CComQIPtr &other)
   {
      this->Assign(other.p);
      return *this;
   }
   CComQIPtr &operator=(IUnknown *other)
   {
      this->AssignQuery(other, Iid());
      return *this;
   }

private:
   static REFIID Iid() { return piid ? *piid : __uuidof(T); }
};

// IUnknown: every interface already is one; a query would only change the identity pointer.
template <>
class CComQIPtr<IUnknown, nullptr> : public CComPtr<IUnknown> {
public:
   CComQIPtr() = default;
   CComQIPtr(IUnknown *other) { AssignQuery(other, IID_IUnknown); }
   CComQIPtr(const CComQIPtr &other) : CComPtr<IUnknown>(other.p) {}
   CComQIPtr &operator=(IUnknown *other)
   {
      AssignQuery(other, IID_IUnknown);
      return *this;
   }
   CComQIPtr &operator=(const CComQIPtr &other)
   {
      Assign(other.p);
      return *this;
   }
};

} // namespace atl

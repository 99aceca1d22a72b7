#include "atl/ClassTable.h"

#include <cwchar>
#include <string>
#include <vector>

namespace atl {

namespace {

// A class factory that COM hands out for one table entry.
class ClassFactory : public IClassFactory {
public:
   explicit ClassFactory(ClassCreator creator) : creator_(creator) {}
   virtual ~ClassFactory() = default;

   HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **ppv) override
   {
      if (!ppv) {
         return E_POINTER;
      }
      if (iid == IID_IUnknown || iid == IID_IClassFactory) {
         *ppv = static_cast<IClassFactory *>(this);
         AddRef();
         return S_OK;
      }
      *ppv = nullptr;
      return E_NOINTERFACE;
   }
   ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
   ULONG STDMETHODCALLTYPE Release() override
   {
      LONG left = InterlockedDecrement(&refs_);
      if (left == 0) {
         delete this;
      }
      return left;
   }
   HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **ppv) override
   {
      if (!ppv) {
         return E_POINTER;
      }
      *ppv = nullptr;
      if (outer) {
         return CLASS_E_NOAGGREGATION;
      }
      return creator_(iid, ppv);
   }
   HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
   ClassCreator creator_;
   LONG refs_ = 1;
};

struct Entry {
   std::wstring progId;
   CLSID clsid;
   ClassCreator creator;
   DWORD cookie;   // 0 while not registered with COM
};

std::vector<Entry> &Entries()
{
   static std::vector<Entry> entries;
   return entries;
}

bool SameName(const std::wstring &a, const wchar_t *b)
{
   return _wcsicmp(a.c_str(), b) == 0;
}

void RegisterWithCom(Entry &e)
{
   if (e.cookie != 0) {
      return;
   }
   ClassFactory *factory = new ClassFactory(e.creator);
   DWORD cookie = 0;
   if (SUCCEEDED(CoRegisterClassObject(e.clsid, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie))) {
      e.cookie = cookie;
   }
   factory->Release();
}

void RevokeFromCom(Entry &e)
{
   if (e.cookie != 0) {
      CoRevokeClassObject(e.cookie);
      e.cookie = 0;
   }
}

Entry *FindByClassId(REFCLSID clsid)
{
   for (Entry &e : Entries()) {
      if (IsEqualCLSID(e.clsid, clsid)) {
         return &e;
      }
   }
   return nullptr;
}

} // namespace

void ClassTable::Register(const wchar_t *progId, REFCLSID clsid, ClassCreator creator)
{
   auto &entries = Entries();
   for (auto it = entries.begin(); it != entries.end();) {
      if (SameName(it->progId, progId) || IsEqualCLSID(it->clsid, clsid)) {
         RevokeFromCom(*it);
         it = entries.erase(it);
      } else {
         ++it;
      }
   }
   entries.push_back(Entry{progId, clsid, creator, 0});
   RegisterWithCom(entries.back());
}

void ClassTable::RegisterAllWithCom()
{
   for (Entry &e : Entries()) {
      RegisterWithCom(e);
   }
}

void ClassTable::RevokeAllFromCom()
{
   for (Entry &e : Entries()) {
      RevokeFromCom(e);
   }
}

HRESULT ClassTable::ClassIdFromName(const wchar_t *name, CLSID *clsid)
{
   if (!name || !clsid) {
      return E_POINTER;
   }
   if (name[0] == L'{') {
      CLSID id;
      if (FAILED(CLSIDFromString(const_cast<LPOLESTR>(name), &id)) || !FindByClassId(id)) {
         return REGDB_E_CLASSNOTREG;
      }
      *clsid = id;
      return S_OK;
   }
   for (const Entry &e : Entries()) {
      if (SameName(e.progId, name)) {
         *clsid = e.clsid;
         return S_OK;
      }
   }
   return REGDB_E_CLASSNOTREG;
}

HRESULT ClassTable::CreateByName(const wchar_t *name, REFIID iid, void **ppv)
{
   if (!ppv) {
      return E_POINTER;
   }
   *ppv = nullptr;
   CLSID clsid;
   HRESULT hr = ClassIdFromName(name, &clsid);
   if (FAILED(hr)) {
      return hr;
   }
   return CreateByClassId(clsid, iid, ppv);
}

HRESULT ClassTable::CreateByClassId(REFCLSID clsid, REFIID iid, void **ppv)
{
   if (!ppv) {
      return E_POINTER;
   }
   *ppv = nullptr;
   Entry *e = FindByClassId(clsid);
   if (!e) {
      return REGDB_E_CLASSNOTREG;
   }
   return e->creator(iid, ppv);
}

void ClassTable::Unregister(const wchar_t *progId)
{
   auto &entries = Entries();
   for (auto it = entries.begin(); it != entries.end(); ++it) {
      if (SameName(it->progId, progId)) {
         RevokeFromCom(*it);
         entries.erase(it);
         return;
      }
   }
}

} // namespace atl

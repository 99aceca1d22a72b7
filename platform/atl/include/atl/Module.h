// The module object: which module the layer's windows belong to and where dialog templates and
// other resources are loaded from. One global, _Module, defined by the library.
#pragma once

#include <windows.h>

namespace atl {

class CComModule {
public:
   CComModule();

   // `instance` is the module that owns the program's windows (NULL: the one this library is
   // linked into). Resources come from it until SetResourceInstance names another module.
   HRESULT Init(void *objectMap, HINSTANCE instance, const GUID *libId = nullptr);
   void Term();

   HINSTANCE GetModuleInstance() const { return m_hInst; }
   HINSTANCE GetResourceInstance() const { return m_hInstResource; }
   HINSTANCE SetResourceInstance(HINSTANCE instance);

   LONG Lock() { return ++m_nLockCnt; }
   LONG Unlock() { return --m_nLockCnt; }
   LONG GetLockCount() const { return m_nLockCnt; }

private:
   HINSTANCE m_hInst;
   HINSTANCE m_hInstResource;
   LONG m_nLockCnt;
};

} // namespace atl

extern atl::CComModule _Module;

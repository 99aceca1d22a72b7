#include "atl/Module.h"

// The image this code is linked into (the program, or a DLL that links the library).
extern "C" IMAGE_DOS_HEADER __ImageBase;

atl::CComModule _Module;

namespace atl {

namespace {

HINSTANCE OwnImage()
{
   return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

} // namespace

CComModule::CComModule() : m_hInst(OwnImage()), m_hInstResource(OwnImage()), m_nLockCnt(0) {}

HRESULT CComModule::Init(void *, HINSTANCE instance, const GUID *)
{
   m_hInst = instance ? instance : OwnImage();
   m_hInstResource = m_hInst;
   m_nLockCnt = 0;
   return S_OK;
}

void CComModule::Term()
{
   m_hInstResource = m_hInst;
}

HINSTANCE CComModule::SetResourceInstance(HINSTANCE instance)
{
   HINSTANCE old = m_hInstResource;
   m_hInstResource = instance ? instance : m_hInst;
   return old;
}

} // namespace atl

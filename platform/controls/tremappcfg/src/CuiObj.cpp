#include "CuiObj.h"

namespace tremappcfg {

HRESULT CuiObjObject::Create(REFIID iid, void **ppv)
{
   return atl::CreateComObject<CuiObjObject>(iid, ppv);
}

HRESULT CuiObjObject::raw_SetTeamEditable(cui::TeamEditable *editable)
{
   editable_ = editable;
   return S_OK;
}

HRESULT CuiObjObject::raw_GetTeamEditable(cui::TeamEditable **editable)
{
   if (!editable) {
      return E_POINTER;
   }
   *editable = editable_;
   return editable_ ? S_OK : S_FALSE;
}

HRESULT CuiObjObject::raw_SetContext(IVmdbContext *)
{
   return E_NOTIMPL;
}

HRESULT CuiObjObject::raw_SetElementPath(BSTR)
{
   return E_NOTIMPL;
}

HRESULT CuiObjObject::raw_SetHostPath(BSTR)
{
   return E_NOTIMPL;
}

HRESULT CuiObjObject::raw_GetContext(IVmdbContext **ctx)
{
   if (!ctx) {
      return E_POINTER;
   }
   *ctx = nullptr;
   return E_NOTIMPL;
}

// No element: the frame then neither reads nor writes a state version for it.
HRESULT CuiObjObject::raw_GetElementPath(BSTR *path)
{
   if (!path) {
      return E_POINTER;
   }
   *path = ::SysAllocString(L"");
   return *path ? S_OK : E_OUTOFMEMORY;
}

HRESULT CuiObjObject::raw_GetHostPath(BSTR *path)
{
   return raw_GetElementPath(path);
}

}  // namespace tremappcfg

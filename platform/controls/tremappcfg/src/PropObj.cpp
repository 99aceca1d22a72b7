#include "PropObj.h"

namespace tremappcfg {

namespace {

std::wstring TextOf(BSTR text)
{
   return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

HRESULT Answer(const std::wstring &text, BSTR *out)
{
   if (!out) {
      return E_POINTER;
   }
   *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
   return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

HRESULT PropObj::Create(REFIID iid, void **ppv)
{
   return atl::CreateComObject<PropObj>(iid, ppv);
}

HRESULT PropObj::raw_SetContext(IVmdbContext *ctx)
{
   if (!ctx) {
      return E_POINTER;
   }
   ctx_ = ctx;
   return S_OK;
}

HRESULT PropObj::raw_SetElementPath(BSTR path)
{
   element_ = TextOf(path);
   if (!element_.empty() && element_.back() != L'/') {
      element_ += L'/';
   }
   return element_.empty() || element_[0] != L'/' ? E_INVALIDARG : S_OK;
}

HRESULT PropObj::raw_SetHostPath(BSTR path)
{
   hostPath_ = TextOf(path);
   return S_OK;
}

HRESULT PropObj::raw_GetContext(IVmdbContext **ctx)
{
   if (!ctx) {
      return E_POINTER;
   }
   *ctx = ctx_;
   if (*ctx) {
      (*ctx)->AddRef();
   }
   return ctx_ ? S_OK : E_UNEXPECTED;
}

HRESULT PropObj::raw_GetElementPath(BSTR *path)
{
   return Answer(element_, path);
}

HRESULT PropObj::raw_GetHostPath(BSTR *path)
{
   return Answer(hostPath_, path);
}

}  // namespace tremappcfg

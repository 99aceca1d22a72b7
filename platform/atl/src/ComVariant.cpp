#include "atl/ComVariant.h"

#include "atl/ComBSTR.h"

namespace atl {

CComVariant::CComVariant(LPCSTR text)
{
   Init();
   CComBSTR wide(text);
   vt = VT_BSTR;
   bstrVal = wide.Detach();
   if (!bstrVal && text) {
      vt = VT_ERROR;
      scode = E_OUTOFMEMORY;
   }
}

void CComVariant::SetString(LPCOLESTR text)
{
   vt = VT_BSTR;
   bstrVal = ::SysAllocString(text);
   if (!bstrVal && text) {
      vt = VT_ERROR;
      scode = E_OUTOFMEMORY;
   }
}

void CComVariant::SetInterface(VARTYPE type, IUnknown *value)
{
   vt = type;
   punkVal = value;
   if (value) {
      value->AddRef();
   }
}

HRESULT CComVariant::InternalCopy(const VARIANT *source)
{
   HRESULT hr = ::VariantCopy(this, const_cast<VARIANT *>(source));
   if (FAILED(hr)) {
      vt = VT_ERROR;
      scode = hr;
   }
   return hr;
}

bool CComVariant::operator==(const VARIANT &other) const
{
   if (this == &other) {
      return true;
   }
   if (vt != other.vt) {
      return false;
   }
   switch (vt) {
   case VT_EMPTY:
   case VT_NULL:
      return true;
   case VT_UNKNOWN:
   case VT_DISPATCH:
      return punkVal == other.punkVal;
   case VT_BSTR:
      return CComBSTR(bstrVal) == CComBSTR(other.bstrVal);
   default:
      return ::VarCmp(const_cast<CComVariant *>(this), const_cast<VARIANT *>(&other), LOCALE_USER_DEFAULT, 0) ==
             static_cast<HRESULT>(VARCMP_EQ);
   }
}

HRESULT CComVariant::Attach(VARIANT *source)
{
   if (!source) {
      return E_INVALIDARG;
   }
   HRESULT hr = Clear();
   if (FAILED(hr)) {
      return hr;
   }
   *static_cast<VARIANT *>(this) = *source;
   source->vt = VT_EMPTY;
   return S_OK;
}

HRESULT CComVariant::Detach(VARIANT *out)
{
   if (!out) {
      return E_POINTER;
   }
   HRESULT hr = ::VariantClear(out);
   if (FAILED(hr)) {
      return hr;
   }
   *out = *static_cast<VARIANT *>(this);
   vt = VT_EMPTY;
   return S_OK;
}

HRESULT CComVariant::ChangeType(VARTYPE type, const VARIANT *source)
{
   VARIANT *from = const_cast<VARIANT *>(source ? source : static_cast<const VARIANT *>(this));
   return ::VariantChangeType(this, from, 0, type);
}

} // namespace atl

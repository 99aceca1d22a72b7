#include "atl/ComBSTR.h"

#include <cwchar>

#include "atl/Module.h"
#include "tremorybase/Text.h"

namespace atl {

namespace {

// Narrow text is UTF-8, as everywhere else (tremorybase/Text.h).
BSTR FromNarrow(LPCSTR text)
{
   return text ? BstrFromUtf8(text) : nullptr;
}

} // namespace

CComBSTR::CComBSTR(LPCSTR text) : m_str(FromNarrow(text)) {}

CComBSTR &CComBSTR::operator=(LPCSTR text)
{
   BSTR copy = FromNarrow(text);
   ::SysFreeString(m_str);
   m_str = copy;
   return *this;
}

bool CComBSTR::operator==(LPCOLESTR text) const
{
   if (!m_str || !text) {
      // NULL and the empty string are the same BSTR.
      return Length() == 0 && (!text || !*text);
   }
   return wcscmp(m_str, text) == 0;
}

bool CComBSTR::operator==(const CComBSTR &other) const
{
   unsigned int len = Length();
   return len == other.Length() && (len == 0 || wmemcmp(m_str, other.m_str, len) == 0);
}

HRESULT CComBSTR::CopyTo(BSTR *out) const
{
   if (!out) {
      return E_POINTER;
   }
   *out = Copy();
   return (*out || !m_str) ? S_OK : E_OUTOFMEMORY;
}

HRESULT CComBSTR::CopyTo(VARIANT *out) const
{
   if (!out) {
      return E_POINTER;
   }
   out->vt = VT_BSTR;
   out->bstrVal = Copy();
   return (out->bstrVal || !m_str) ? S_OK : E_OUTOFMEMORY;
}

HRESULT CComBSTR::Append(LPCOLESTR text, int length)
{
   if (!text || length <= 0) {
      return S_OK;
   }
   UINT old = Length();
   BSTR joined = ::SysAllocStringLen(nullptr, old + static_cast<UINT>(length));
   if (!joined) {
      return E_OUTOFMEMORY;
   }
   if (old) {
      wmemcpy(joined, m_str, old);
   }
   wmemcpy(joined + old, text, static_cast<size_t>(length));
   ::SysFreeString(m_str);
   m_str = joined;
   return S_OK;
}

HRESULT CComBSTR::Append(LPCSTR text)
{
   CComBSTR wide(text);
   return Append(wide);
}

bool CComBSTR::LoadString(UINT id)
{
   const wchar_t *text = nullptr;
   // Length 0 asks for a read-only pointer into the resource itself.
   int len = ::LoadStringW(_Module.GetResourceInstance(), id, reinterpret_cast<LPWSTR>(&text), 0);
   Empty();
   if (len <= 0 || !text) {
      return false;
   }
   m_str = ::SysAllocStringLen(text, static_cast<UINT>(len));
   return m_str != nullptr;
}

} // namespace atl

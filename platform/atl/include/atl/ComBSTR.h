// CComBSTR: owns one BSTR (NULL is the empty string, as BSTR functions treat it).
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cwchar>
#include <utility>

namespace atl {

class CComBSTR {
public:
   CComBSTR() : m_str(nullptr) {}
   CComBSTR(LPCOLESTR text) : m_str(text ? ::SysAllocString(text) : nullptr) {}
   CComBSTR(int length, LPCOLESTR text) : m_str(::SysAllocStringLen(text, static_cast<UINT>(length))) {}
   CComBSTR(LPCSTR text);   // UTF-8
   CComBSTR(const CComBSTR &other) : m_str(other.Copy()) {}
   CComBSTR(CComBSTR &&other) noexcept : m_str(other.m_str) { other.m_str = nullptr; }
   ~CComBSTR() { ::SysFreeString(m_str); }

   CComBSTR &operator=(const CComBSTR &other)
   {
      if (m_str != other.m_str) {
         BSTR copy = other.Copy();
         ::SysFreeString(m_str);
         m_str = copy;
      }
      return *this;
   }
   CComBSTR &operator=(CComBSTR &&other) noexcept
   {
      std::swap(m_str, other.m_str);
      return *this;
   }
   CComBSTR &operator=(LPCOLESTR text)
   {
      if (text != m_str) {
         BSTR copy = text ? ::SysAllocString(text) : nullptr;
         ::SysFreeString(m_str);
         m_str = copy;
      }
      return *this;
   }
   CComBSTR &operator=(LPCSTR text);

   operator BSTR() const { return m_str; }
   // For an out parameter: whatever was held is freed first.
   BSTR *operator&()
   {
      Empty();
      return &m_str;
   }
   bool operator!() const { return m_str == nullptr; }
   bool operator==(LPCOLESTR text) const;
   bool operator!=(LPCOLESTR text) const { return !(*this == text); }
   bool operator==(const CComBSTR &other) const;
   bool operator!=(const CComBSTR &other) const { return !(*this == other); }

   unsigned int Length() const { return ::SysStringLen(m_str); }
   unsigned int ByteLength() const { return ::SysStringByteLen(m_str); }
   BSTR Copy() const { return m_str ? ::SysAllocStringByteLen(reinterpret_cast<const char *>(m_str), ByteLength()) : nullptr; }
   HRESULT CopyTo(BSTR *out) const;
   HRESULT CopyTo(VARIANT *out) const;
   void Attach(BSTR text)
   {
      if (text != m_str) {
         ::SysFreeString(m_str);
         m_str = text;
      }
   }
   BSTR Detach()
   {
      BSTR text = m_str;
      m_str = nullptr;
      return text;
   }
   void Empty()
   {
      ::SysFreeString(m_str);
      m_str = nullptr;
   }

   HRESULT Append(LPCOLESTR text, int length);
   HRESULT Append(LPCOLESTR text) { return text ? Append(text, static_cast<int>(wcslen(text))) : S_OK; }
   HRESULT Append(const CComBSTR &other) { return Append(other.m_str, static_cast<int>(other.Length())); }
   HRESULT Append(LPCSTR text);
   CComBSTR &operator+=(LPCOLESTR text)
   {
      Append(text);
      return *this;
   }
   CComBSTR &operator+=(const CComBSTR &other)
   {
      Append(other);
      return *this;
   }

   // Loads a string resource of the resource module.
   bool LoadString(UINT id);

   BSTR m_str;
};

} // namespace atl

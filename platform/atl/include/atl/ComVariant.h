// CComVariant: a VARIANT that clears itself. Interfaces it holds keep one reference.
#pragma once

#include <windows.h>
#include <oleauto.h>

namespace atl {

class CComVariant : public tagVARIANT {
public:
   CComVariant() { ::VariantInit(this); }
   ~CComVariant() { Clear(); }
   CComVariant(const VARIANT &other) { Init(); InternalCopy(&other); }
   CComVariant(const CComVariant &other) : tagVARIANT() { Init(); InternalCopy(&other); }
   CComVariant(LPCOLESTR text) { Init(); SetString(text); }
   CComVariant(LPCSTR text);   // UTF-8
   CComVariant(bool value) { Init(); vt = VT_BOOL; boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; }
   CComVariant(int value) { Init(); vt = VT_I4; lVal = value; }
   CComVariant(long value) { Init(); vt = VT_I4; lVal = value; }
   CComVariant(short value) { Init(); vt = VT_I2; iVal = value; }
   CComVariant(unsigned int value) { Init(); vt = VT_UI4; ulVal = value; }
   CComVariant(unsigned long value) { Init(); vt = VT_UI4; ulVal = value; }
   CComVariant(double value) { Init(); vt = VT_R8; dblVal = value; }
   CComVariant(IDispatch *value) { Init(); SetInterface(VT_DISPATCH, value); }
   CComVariant(IUnknown *value) { Init(); SetInterface(VT_UNKNOWN, value); }

   CComVariant &operator=(const CComVariant &other) { if (this != &other) { Clear(); InternalCopy(&other); } return *this; }
   CComVariant &operator=(const VARIANT &other) { if (this != &other) { Clear(); InternalCopy(&other); } return *this; }
   CComVariant &operator=(LPCOLESTR text) { Clear(); SetString(text); return *this; }
   CComVariant &operator=(bool value) { Clear(); vt = VT_BOOL; boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; return *this; }
   CComVariant &operator=(int value) { Clear(); vt = VT_I4; lVal = value; return *this; }
   CComVariant &operator=(long value) { Clear(); vt = VT_I4; lVal = value; return *this; }
   CComVariant &operator=(IDispatch *value) { Clear(); SetInterface(VT_DISPATCH, value); return *this; }
   CComVariant &operator=(IUnknown *value) { Clear(); SetInterface(VT_UNKNOWN, value); return *this; }

   // Same type and value (VarCmp rules for numbers and strings).
   bool operator==(const VARIANT &other) const;
   bool operator!=(const VARIANT &other) const { return !(*this == other); }

   HRESULT Clear() { return ::VariantClear(this); }
   HRESULT Copy(const VARIANT *source) { Clear(); return InternalCopy(source); }
   HRESULT CopyTo(VARIANT *out) const { return out ? ::VariantCopy(out, const_cast<CComVariant *>(this)) : E_POINTER; }
   // Takes over `source`'s contents; `source` is left empty.
   HRESULT Attach(VARIANT *source);
   // Moves the contents to `out` (which is cleared first); this is left empty.
   HRESULT Detach(VARIANT *out);
   HRESULT ChangeType(VARTYPE type, const VARIANT *source = nullptr);

private:
   void Init() { ::VariantInit(this); }
   HRESULT InternalCopy(const VARIANT *source);
   void SetString(LPCOLESTR text);
   void SetInterface(VARTYPE type, IUnknown *value);
};

} // namespace atl

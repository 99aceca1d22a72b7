// The source side of dispatch events, for our own controls: one connection point for one event
// interface. The control keeps it as a member, hands it out from its
// IConnectionPointContainer::FindConnectionPoint (through Find), and raises events with
// Fire(dispid, args...). Arguments are given first to last, as the handler declares them:
// numbers, bool, strings, interfaces, VARIANTs, and pointers for by-reference (out) arguments
// (long*, VARIANT_BOOL*, BSTR*, VARIANT*).
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include <type_traits>
#include <utility>
#include <vector>

#include "atl/ComBSTR.h"

namespace atl {

namespace detail {

inline void ToVariantArg(VARIANTARG &v, bool value) { v.vt = VT_BOOL; v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; }
inline void ToVariantArg(VARIANTARG &v, short value) { v.vt = VT_I2; v.iVal = value; }
inline void ToVariantArg(VARIANTARG &v, int value) { v.vt = VT_I4; v.lVal = value; }
inline void ToVariantArg(VARIANTARG &v, long value) { v.vt = VT_I4; v.lVal = value; }
inline void ToVariantArg(VARIANTARG &v, unsigned int value) { v.vt = VT_UI4; v.ulVal = value; }
inline void ToVariantArg(VARIANTARG &v, unsigned long value) { v.vt = VT_UI4; v.ulVal = value; }
inline void ToVariantArg(VARIANTARG &v, double value) { v.vt = VT_R8; v.dblVal = value; }
inline void ToVariantArg(VARIANTARG &v, float value) { v.vt = VT_R4; v.fltVal = value; }
inline void ToVariantArg(VARIANTARG &v, const wchar_t *text) { v.vt = VT_BSTR; v.bstrVal = ::SysAllocString(text); }
inline void ToVariantArg(VARIANTARG &v, const char *text) { v.vt = VT_BSTR; v.bstrVal = CComBSTR(text).Detach(); }
inline void ToVariantArg(VARIANTARG &v, const CComBSTR &text) { v.vt = VT_BSTR; v.bstrVal = text.Copy(); }
inline void ToVariantArg(VARIANTARG &v, const VARIANT &value) { ::VariantCopy(&v, const_cast<VARIANT *>(&value)); }
inline void ToVariantArg(VARIANTARG &v, IDispatch *value)
{
   v.vt = VT_DISPATCH;
   v.pdispVal = value;
   if (value) {
      value->AddRef();
   }
}
inline void ToVariantArg(VARIANTARG &v, IUnknown *value)
{
   v.vt = VT_UNKNOWN;
   v.punkVal = value;
   if (value) {
      value->AddRef();
   }
}
// By reference: the sink writes into the caller's variable.
inline void ToVariantArg(VARIANTARG &v, long *ref) { v.vt = VT_BYREF | VT_I4; v.plVal = ref; }
inline void ToVariantArg(VARIANTARG &v, int *ref) { v.vt = VT_BYREF | VT_INT; v.pintVal = ref; }
inline void ToVariantArg(VARIANTARG &v, VARIANT_BOOL *ref) { v.vt = VT_BYREF | VT_BOOL; v.pboolVal = ref; }
inline void ToVariantArg(VARIANTARG &v, double *ref) { v.vt = VT_BYREF | VT_R8; v.pdblVal = ref; }
inline void ToVariantArg(VARIANTARG &v, BSTR *ref) { v.vt = VT_BYREF | VT_BSTR; v.pbstrVal = ref; }
inline void ToVariantArg(VARIANTARG &v, VARIANT *ref) { v.vt = VT_BYREF | VT_VARIANT; v.pvarVal = ref; }

// Interfaces derived from IDispatch go as VT_DISPATCH.
template <class I, std::enable_if_t<std::is_base_of<IDispatch, I>::value && !std::is_same<IDispatch, I>::value, int> = 0>
void ToVariantArg(VARIANTARG &v, I *value)
{
   ToVariantArg(v, static_cast<IDispatch *>(value));
}

} // namespace detail

class DispEventSource : public IConnectionPoint {
public:
   // `owner` is the object that contains this connection point; it is not AddRef'ed (it owns
   // us) and our AddRef and Release count on it.
   DispEventSource(IUnknown *owner, REFIID iid);
   DispEventSource(const DispEventSource &) = delete;
   DispEventSource &operator=(const DispEventSource &) = delete;
   ~DispEventSource();

   HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **ppv) override;
   ULONG STDMETHODCALLTYPE AddRef() override { return m_owner->AddRef(); }
   ULONG STDMETHODCALLTYPE Release() override { return m_owner->Release(); }
   HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID *iid) override;
   HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer **container) override;
   HRESULT STDMETHODCALLTYPE Advise(IUnknown *sink, DWORD *cookie) override;
   HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
   HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections **connections) override;

   // For the owner's FindConnectionPoint: this point when `iid` is its interface.
   HRESULT Find(REFIID iid, IConnectionPoint **point);
   size_t SinkCount() const { return m_sinks.size(); }

   // Calls every connected sink (method call, `params` as Invoke gets them). Answers the last
   // sink's HRESULT (S_OK with no sinks); `result` receives the last sink's answer.
   HRESULT FireParams(DISPID dispid, DISPPARAMS *params, VARIANT *result = nullptr);

   template <class... A>
   HRESULT Fire(DISPID dispid, A &&...args)
   {
      constexpr size_t count = sizeof...(A);
      VARIANTARG vars[count > 0 ? count : 1];
      for (VARIANTARG &v : vars) {
         ::VariantInit(&v);
      }
      size_t index = count;
      // Invoke expects the last argument first.
      (detail::ToVariantArg(vars[--index], std::forward<A>(args)), ...);
      DISPPARAMS params = {vars, nullptr, static_cast<UINT>(count), 0};
      HRESULT hr = FireParams(dispid, &params);
      for (VARIANTARG &v : vars) {
         ::VariantClear(&v);
      }
      return hr;
   }

private:
   struct Connection {
      DWORD cookie;
      IDispatch *sink;
   };

   IUnknown *m_owner;
   IID m_iid;
   std::vector<Connection> m_sinks;
   DWORD m_nextCookie;
};

} // namespace atl

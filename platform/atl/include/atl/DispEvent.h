// Dispatch event sinks. A window class derives from IDispEventImpl<id, T, &DIID_events> once per
// control whose events it handles and lists its handlers in a sink map:
//
//    BEGIN_SINK_MAP(CMyFrame)
//       SINK_ENTRY_EX(IDC_STATUS, DIID__IStatusEvents, 19, OnCaptureMovie)
//    END_SINK_MAP()
//    void __stdcall OnCaptureMovie(BSTR path);
//
// Handlers are typed member functions; the sink converts the DISPPARAMS (which arrive last
// argument first) to the parameter types: numbers, bool, BSTR, IDispatch*, IUnknown*, VARIANT,
// and pointers for by-reference arguments (long*, VARIANT_BOOL*, BSTR*, VARIANT*, ...).
// Exceptions from handlers are caught and logged; the source sees DISP_E_EXCEPTION.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <oleauto.h>

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "atl/AxHost.h"
#include "atl/ComPtr.h"
#include "atl/ComVariant.h"
#include "atl/UncaughtException.h"

namespace atl {

// What every IDispEventImpl shares: IUnknown and IDispatch plumbing, advising and unadvising.
// The sink lives inside its owner, so AddRef and Release count nothing.
class DispEventSinkBase : public IDispatch {
public:
   DispEventSinkBase(UINT controlId, const IID *iid) : m_nControlID(controlId), m_piid(iid), m_dwEventCookie(0xFEFEFEFE) {}
   DispEventSinkBase(const DispEventSinkBase &) = delete;
   DispEventSinkBase &operator=(const DispEventSinkBase &) = delete;
   // A sink still connected when its owner goes is disconnected, so the source never calls a
   // dead object.
   ~DispEventSinkBase() { DispEventUnadvise(nullptr); }

   HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **ppv) override;
   ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
   ULONG STDMETHODCALLTYPE Release() override { return 1; }
   HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override;
   HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **info) override;
   HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *) override;

   // Connects to the source's connection point for the sink's interface (or *iid). S_FALSE
   // when already connected: a sink listens to one source at a time.
   HRESULT DispEventAdvise(IUnknown *source, const IID *iid = nullptr);
   // Disconnects from the source it was advised to (`source` may be NULL); S_FALSE when not
   // connected.
   HRESULT DispEventUnadvise(IUnknown *source, const IID *iid = nullptr);
   bool IsAdvised() const { return m_point != nullptr; }

   UINT m_nControlID;
   const IID *m_piid;
   DWORD m_dwEventCookie;

private:
   CComPtr<IConnectionPoint> m_point;
};

namespace detail {

// Converts one VARIANTARG to the handler's parameter type A.
template <class A, class Enable = void>
struct DispArg {
   static_assert(sizeof(A) == 0, "event handler parameter type not supported");
};

// Values: converted with the usual automation rules (a by-reference source is read through).
template <class A, VARTYPE VT>
struct DispValueArg {
   HRESULT Load(VARIANTARG &v) { return ::VariantChangeType(&converted, &v, 0, VT); }
   CComVariant converted;
};

template <> struct DispArg<long> : DispValueArg<long, VT_I4> { long Get() { return converted.lVal; } };
template <> struct DispArg<int> : DispValueArg<int, VT_I4> { int Get() { return converted.lVal; } };
template <> struct DispArg<short> : DispValueArg<short, VT_I2> { short Get() { return converted.iVal; } };
template <> struct DispArg<unsigned short> : DispValueArg<unsigned short, VT_UI2> { unsigned short Get() { return converted.uiVal; } };
template <> struct DispArg<unsigned long> : DispValueArg<unsigned long, VT_UI4> { unsigned long Get() { return converted.ulVal; } };
template <> struct DispArg<unsigned int> : DispValueArg<unsigned int, VT_UI4> { unsigned int Get() { return converted.ulVal; } };
template <> struct DispArg<double> : DispValueArg<double, VT_R8> { double Get() { return converted.dblVal; } };
template <> struct DispArg<float> : DispValueArg<float, VT_R4> { float Get() { return converted.fltVal; } };
template <> struct DispArg<bool> : DispValueArg<bool, VT_BOOL> { bool Get() { return converted.boolVal != VARIANT_FALSE; } };
// The string stays owned by the sink for the duration of the call.
template <> struct DispArg<BSTR> : DispValueArg<BSTR, VT_BSTR> { BSTR Get() { return converted.bstrVal; } };
template <> struct DispArg<const wchar_t *> : DispValueArg<const wchar_t *, VT_BSTR> { const wchar_t *Get() { return converted.bstrVal; } };
template <> struct DispArg<IDispatch *> : DispValueArg<IDispatch *, VT_DISPATCH> { IDispatch *Get() { return converted.pdispVal; } };
template <> struct DispArg<IUnknown *> : DispValueArg<IUnknown *, VT_UNKNOWN> { IUnknown *Get() { return converted.punkVal; } };

template <>
struct DispArg<VARIANT> {
   HRESULT Load(VARIANTARG &v) { return ::VariantCopyInd(&value, &v); }
   VARIANT Get() { return value; }
   CComVariant value;
};
template <>
struct DispArg<const VARIANT &> {
   HRESULT Load(VARIANTARG &v) { arg = &v; return S_OK; }
   const VARIANT &Get() { return *arg; }
   VARIANTARG *arg = nullptr;
};
template <>
struct DispArg<VARIANT *> {
   HRESULT Load(VARIANTARG &v)
   {
      arg = v.vt == (VT_BYREF | VT_VARIANT) ? v.pvarVal : &v;
      return S_OK;
   }
   VARIANT *Get() { return arg; }
   VARIANT *arg = nullptr;
};

// By-reference arguments: the handler writes through the pointer into the source's variable.
template <class P, VARTYPE VT1, VARTYPE VT2 = VT_EMPTY>
struct DispRefArg {
   HRESULT Load(VARIANTARG &v)
   {
      if (v.vt == (VT_BYREF | VT1) || (VT2 != VT_EMPTY && v.vt == (VT_BYREF | VT2))) {
         ref = static_cast<P>(v.byref);
         return S_OK;
      }
      return DISP_E_TYPEMISMATCH;
   }
   P Get() { return ref; }
   P ref = nullptr;
};

template <> struct DispArg<long *> : DispRefArg<long *, VT_I4, VT_INT> {};
template <> struct DispArg<int *> : DispRefArg<int *, VT_INT, VT_I4> {};
// VARIANT_BOOL is a short: either kind of reference fits.
template <> struct DispArg<short *> : DispRefArg<short *, VT_BOOL, VT_I2> {};
template <> struct DispArg<unsigned long *> : DispRefArg<unsigned long *, VT_UI4, VT_UINT> {};
template <> struct DispArg<double *> : DispRefArg<double *, VT_R8> {};
template <> struct DispArg<BSTR *> : DispRefArg<BSTR *, VT_BSTR> {};
template <> struct DispArg<IDispatch **> : DispRefArg<IDispatch **, VT_DISPATCH> {};
template <> struct DispArg<IUnknown **> : DispRefArg<IUnknown **, VT_UNKNOWN> {};

template <class A>
using DispArgFor = DispArg<std::conditional_t<std::is_reference<A>::value, A, std::remove_cv_t<A>>>;

template <class R, class... A>
struct DispCall {
   template <class Fn>
   static HRESULT Run(DISPPARAMS *params, VARIANT *result, Fn &&fn)
   {
      return RunWith(params, result, std::forward<Fn>(fn), std::index_sequence_for<A...>());
   }

private:
   template <class Fn, std::size_t... I>
   static HRESULT RunWith(DISPPARAMS *params, VARIANT *result, Fn &&fn, std::index_sequence<I...>)
   {
      constexpr UINT count = sizeof...(A);
      if (count > 0 && (!params || params->cArgs < count)) {
         return DISP_E_BADPARAMCOUNT;
      }
      std::tuple<DispArgFor<A>...> args;
      HRESULT hr = S_OK;
      // Positional arguments arrive last first; extra ones (optional at the source) are skipped.
      (void)((SUCCEEDED(hr = std::get<I>(args).Load(params->rgvarg[params->cArgs - 1 - I]))) && ...);
      if (FAILED(hr)) {
         return hr;
      }
      if constexpr (std::is_void<R>::value) {
         fn(std::get<I>(args).Get()...);
      } else {
         CComVariant answer(fn(std::get<I>(args).Get()...));
         if (result) {
            answer.Detach(result);
         }
      }
      return S_OK;
   }
};

template <class T, class PMF, PMF F>
struct SinkInvokerImpl;

template <class T, class C, class R, class... A, R (C::*F)(A...)>
struct SinkInvokerImpl<T, R (C::*)(A...), F> {
   static HRESULT Invoke(T *owner, DISPPARAMS *params, VARIANT *result)
   {
      C *object = owner;
      return DispCall<R, A...>::Run(params, result, [object](auto &&...args) -> R {
         return (object->*F)(std::forward<decltype(args)>(args)...);
      });
   }
};

#if defined(__i386__)
// On 32-bit x86 handlers declared __stdcall have their own member-pointer type.
template <class T, class C, class R, class... A, R (__stdcall C::*F)(A...)>
struct SinkInvokerImpl<T, R (__stdcall C::*)(A...), F> {
   static HRESULT Invoke(T *owner, DISPPARAMS *params, VARIANT *result)
   {
      C *object = owner;
      return DispCall<R, A...>::Run(params, result, [object](auto &&...args) -> R {
         return (object->*F)(std::forward<decltype(args)>(args)...);
      });
   }
};
#endif

template <class T, auto F>
struct SinkInvoker : SinkInvokerImpl<T, decltype(F), F> {};

} // namespace detail

template <class T>
struct SinkEntry {
   UINT id;
   const IID *iid;
   DISPID dispid;
   HRESULT (*invoke)(T *owner, DISPPARAMS *params, VARIANT *result);
   DispEventSinkBase *(*sink)(T *owner);   // the owner's IDispEventImpl for (id, iid)
};

template <UINT nID, class T, const IID *pdiid>
class IDispEventImpl : public DispEventSinkBase {
public:
   IDispEventImpl() : DispEventSinkBase(nID, pdiid) {}

   HRESULT DispEventAdvise(IUnknown *source, const IID *iid = pdiid)
   {
      return DispEventSinkBase::DispEventAdvise(source, iid);
   }
   HRESULT DispEventUnadvise(IUnknown *source = nullptr, const IID *iid = pdiid)
   {
      return DispEventSinkBase::DispEventUnadvise(source, iid);
   }

   HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS *params, VARIANT *result,
                                    EXCEPINFO *, UINT *) override
   {
      T *owner = static_cast<T *>(this);
      for (const SinkEntry<T> *e = T::_GetSinkMap(); e->invoke; ++e) {
         if (e->id == nID && e->dispid == dispid && ::IsEqualIID(*e->iid, *pdiid)) {
            try {
               return e->invoke(owner, params, result);
            } catch (...) {
               HandleUncaughtException();
               return DISP_E_EXCEPTION;
            }
         }
      }
      return S_OK;   // events nobody listens to are fine
   }
};

namespace detail {

template <class T, UINT nID, const IID *piid>
DispEventSinkBase *SinkOf(T *owner)
{
   return static_cast<IDispEventImpl<nID, T, piid> *>(owner);
}

} // namespace detail

#define BEGIN_SINK_MAP(theClass)                                        \
   typedef theClass _atl_sink_class;                                   \
   static const ::atl::SinkEntry<theClass> *_GetSinkMap()              \
   {                                                                   \
      static const ::atl::SinkEntry<theClass> map[] = {

#define SINK_ENTRY_EX(id, iid, dispid, fn)                                                                   \
   {static_cast<UINT>(id), &iid, dispid, &::atl::detail::SinkInvoker<_atl_sink_class, &_atl_sink_class::fn>::Invoke, \
    &::atl::detail::SinkOf<_atl_sink_class, static_cast<UINT>(id), &iid>},

#define END_SINK_MAP()                            \
         {0, nullptr, 0, nullptr, nullptr}};       \
      return map;                                 \
   }

// Advises (or unadvises) every sink of T's map on the control in the host window that is
// T's child with the sink's control id. Returns the first failure; carries on after one.
template <class T>
HRESULT AtlAdviseSinkMap(T *owner, bool advise)
{
   HRESULT result = S_OK;
   const SinkEntry<T> *map = T::_GetSinkMap();
   for (const SinkEntry<T> *e = map; e->invoke; ++e) {
      DispEventSinkBase *sink = e->sink(owner);
      bool seen = false;
      for (const SinkEntry<T> *before = map; before != e && !seen; ++before) {
         seen = before->sink(owner) == sink;
      }
      if (seen) {
         continue;
      }
      HRESULT hr;
      if (advise) {
         CComPtr<IUnknown> control;
         HWND host = ::GetDlgItem(owner->m_hWnd, static_cast<int>(e->id));
         hr = host ? AtlAxGetControl(host, &control) : E_FAIL;
         if (SUCCEEDED(hr)) {
            hr = sink->DispEventAdvise(control, e->iid);
         }
      } else {
         hr = sink->DispEventUnadvise(nullptr, e->iid);
      }
      if (FAILED(hr) && SUCCEEDED(result)) {
         result = hr;
      }
   }
   return result;
}

} // namespace atl

#include "atl/DispEvent.h"

namespace atl {

HRESULT DispEventSinkBase::QueryInterface(REFIID iid, void **ppv)
{
   if (!ppv) {
      return E_POINTER;
   }
   if (iid == IID_IUnknown || iid == IID_IDispatch || (m_piid && iid == *m_piid)) {
      *ppv = static_cast<IDispatch *>(this);
      return S_OK;
   }
   *ppv = nullptr;
   return E_NOINTERFACE;
}

HRESULT DispEventSinkBase::GetTypeInfoCount(UINT *count)
{
   if (!count) {
      return E_POINTER;
   }
   *count = 0;
   return S_OK;
}

HRESULT DispEventSinkBase::GetTypeInfo(UINT, LCID, ITypeInfo **info)
{
   if (info) {
      *info = nullptr;
   }
   return E_NOTIMPL;
}

HRESULT DispEventSinkBase::GetIDsOfNames(REFIID, LPOLESTR *, UINT, LCID, DISPID *)
{
   return E_NOTIMPL;
}

HRESULT DispEventSinkBase::DispEventAdvise(IUnknown *source, const IID *iid)
{
   if (!source) {
      return E_POINTER;
   }
   if (m_point) {
      return S_FALSE;
   }
   const IID &events = iid ? *iid : *m_piid;
   CComPtr<IConnectionPointContainer> container;
   HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&container));
   if (FAILED(hr)) {
      return hr;
   }
   CComPtr<IConnectionPoint> point;
   hr = container->FindConnectionPoint(events, &point);
   if (FAILED(hr)) {
      return hr;
   }
   DWORD cookie = 0;
   hr = point->Advise(static_cast<IDispatch *>(this), &cookie);
   if (FAILED(hr)) {
      return hr;
   }
   m_point = point;
   m_dwEventCookie = cookie;
   return S_OK;
}

HRESULT DispEventSinkBase::DispEventUnadvise(IUnknown *, const IID *)
{
   if (!m_point) {
      return S_FALSE;
   }
   // Forget the connection first: the source may release its last reference to us inside.
   CComPtr<IConnectionPoint> point;
   point.Attach(m_point.Detach());
   DWORD cookie = m_dwEventCookie;
   m_dwEventCookie = 0xFEFEFEFE;
   return point->Unadvise(cookie);
}

} // namespace atl

#include "atl/DispEventSource.h"

#include <olectl.h>

#include "atl/ComVariant.h"

namespace atl {

DispEventSource::DispEventSource(IUnknown *owner, REFIID iid) : m_owner(owner), m_iid(iid), m_nextCookie(1) {}

DispEventSource::~DispEventSource()
{
   for (Connection &c : m_sinks) {
      c.sink->Release();
   }
}

HRESULT DispEventSource::QueryInterface(REFIID iid, void **ppv)
{
   if (!ppv) {
      return E_POINTER;
   }
   if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
      *ppv = static_cast<IConnectionPoint *>(this);
      AddRef();
      return S_OK;
   }
   *ppv = nullptr;
   return E_NOINTERFACE;
}

HRESULT DispEventSource::GetConnectionInterface(IID *iid)
{
   if (!iid) {
      return E_POINTER;
   }
   *iid = m_iid;
   return S_OK;
}

HRESULT DispEventSource::GetConnectionPointContainer(IConnectionPointContainer **container)
{
   if (!container) {
      return E_POINTER;
   }
   return m_owner->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(container));
}

HRESULT DispEventSource::Advise(IUnknown *sink, DWORD *cookie)
{
   if (!cookie) {
      return E_POINTER;
   }
   *cookie = 0;
   if (!sink) {
      return E_POINTER;
   }
   // A sink proves it speaks the event interface; plain IDispatch is accepted as well.
   IDispatch *dispatch = nullptr;
   if (FAILED(sink->QueryInterface(m_iid, reinterpret_cast<void **>(&dispatch))) &&
       FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void **>(&dispatch)))) {
      return CONNECT_E_CANNOTCONNECT;
   }
   *cookie = m_nextCookie++;
   m_sinks.push_back(Connection{*cookie, dispatch});
   return S_OK;
}

HRESULT DispEventSource::Unadvise(DWORD cookie)
{
   for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
      if (it->cookie == cookie) {
         IDispatch *sink = it->sink;
         m_sinks.erase(it);
         sink->Release();
         return S_OK;
      }
   }
   return CONNECT_E_NOCONNECTION;
}

HRESULT DispEventSource::EnumConnections(IEnumConnections **connections)
{
   if (connections) {
      *connections = nullptr;
   }
   return E_NOTIMPL;
}

HRESULT DispEventSource::Find(REFIID iid, IConnectionPoint **point)
{
   if (!point) {
      return E_POINTER;
   }
   *point = nullptr;
   if (iid != m_iid) {
      return CONNECT_E_NOCONNECTION;
   }
   *point = this;
   AddRef();
   return S_OK;
}

HRESULT DispEventSource::FireParams(DISPID dispid, DISPPARAMS *params, VARIANT *result)
{
   // A handler may unadvise sinks, itself included: walk a copy, and skip a sink that is gone.
   std::vector<Connection> sinks = m_sinks;
   for (Connection &c : sinks) {
      c.sink->AddRef();
   }
   HRESULT hr = S_OK;
   for (const Connection &c : sinks) {
      bool connected = false;
      for (const Connection &now : m_sinks) {
         connected = connected || now.cookie == c.cookie;
      }
      if (!connected) {
         continue;
      }
      CComVariant answer;
      hr = c.sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, params, &answer, nullptr, nullptr);
      if (result) {
         answer.Detach(result);
      }
   }
   for (Connection &c : sinks) {
      c.sink->Release();
   }
   return hr;
}

} // namespace atl

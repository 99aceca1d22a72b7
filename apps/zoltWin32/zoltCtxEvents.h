// The database event sink of the program's windows and of the application: a class T derives
// from CCtxEvents<T, n>, makes a context its event source and registers its watches with a member
// function each. Destroying it unadvises the sink and lets the source go.
#pragma once

#include "vmdb/CtxEventSink.h"

template <class T, int n>
class CCtxEvents : public vmdb::CtxEventSink<T> {
public:
   typedef typename vmdb::CtxEventSink<T>::Handler Handler;

   // Makes `source` the event source; false when the sink cannot be advised on it.
   bool SetEventSource(IVmdbContext *source) { return SUCCEEDED(this->Advise(source)); }
   void ReleaseEventSource() { this->Unadvise(); }

   // Forwarders to the source context, the path held by its counted string.
   HRESULT CtxWatch(const _bstr_t &path, long mode, Handler handler) { return this->Watch(path, mode, handler); }
   HRESULT CtxUnwatch(const _bstr_t &path) { return this->Unwatch(path); }
   _bstr_t CtxFullPath(const _bstr_t &path)
   {
      IVmdbContext *source = this->GetEventSource();
      return source ? source->FullPath(path) : path;
   }
};

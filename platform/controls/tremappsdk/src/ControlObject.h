// What the stand-in controls share as COM objects: the control interface, the window protocol of
// the "AtlAxWin71" host and one connection point for the control's dispatch events.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include "atl/AxHost.h"
#include "atl/ComObject.h"
#include "atl/DispEventSource.h"

namespace tremappsdk {

template <class I>
class ControlObject : public atl::ComObject<I, IAxControlWindow, IConnectionPointContainer> {
public:
   explicit ControlObject(REFIID events) : events_(static_cast<I *>(this), events) {}

   HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints **points) override
   {
      if (points) {
         *points = nullptr;
      }
      return E_NOTIMPL;
   }
   HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint **point) override
   {
      return events_.Find(iid, point);
   }

   atl::DispEventSource &Events() { return events_; }

protected:
   atl::DispEventSource events_;
};

}  // namespace tremappsdk

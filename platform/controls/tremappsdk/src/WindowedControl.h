// A control object that shows itself through one window of this library: the "AtlAxWin71" host
// has that window created and destroyed, and the object destroys it if it goes first.
#pragma once

#include "ControlObject.h"

namespace tremappsdk {

template <class I, class TWnd, DWORD t_style>
class WindowedControl : public ControlObject<I> {
public:
   explicit WindowedControl(REFIID events) : ControlObject<I>(events), wnd_(this->events_) {}
   ~WindowedControl() override { DestroyWnd(); }

   HRESULT STDMETHODCALLTYPE CreateControlWindow(HWND parent, const RECT *rect, HWND *window) override
   {
      if (!window || !rect) {
         return E_POINTER;
      }
      RECT rc = *rect;
      *window = wnd_.Create(parent, rc, nullptr, t_style);
      return *window ? S_OK : E_FAIL;
   }
   HRESULT STDMETHODCALLTYPE DestroyControlWindow() override
   {
      DestroyWnd();
      return S_OK;
   }

protected:
   TWnd wnd_;

private:
   void DestroyWnd()
   {
      if (wnd_.IsWindow()) {
         wnd_.DestroyWindow();
      }
   }
};

}  // namespace tremappsdk

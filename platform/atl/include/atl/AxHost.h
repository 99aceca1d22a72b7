// The control host: windows of class "AtlAxWin71" (and "AtlAxWinLic71") that create a control
// by ProgID from the class table and keep its window filling their client area.
//
// A control is a COM object of ours. When it implements IAxControlWindow the host asks it for
// its window at creation (CreateControlWindow, with the host as parent and the host's client
// rectangle) and to destroy it before the host lets go of the control (DestroyControlWindow,
// at the host's WM_DESTROY). A control without it is held but shows nothing.
//
// The host window's text names the control to create at WM_CREATE; a name the class table does
// not know leaves an empty host, and AtlAxGetControl then answers REGDB_E_CLASSNOTREG.
#pragma once

#include <objbase.h>

#include "atl/Window.h"

struct IAxControlWindow : public IUnknown {
   // Creates the control's window as a child of `parent` covering `rect`.
   virtual HRESULT STDMETHODCALLTYPE CreateControlWindow(HWND parent, const RECT *rect, HWND *window) = 0;
   virtual HRESULT STDMETHODCALLTYPE DestroyControlWindow() = 0;
};
__CRT_UUID_DECL(IAxControlWindow, 0xc111c3b3, 0xc18a, 0x47a9, 0xbd, 0x67, 0xb0, 0xee, 0xcc, 0x00, 0xbe, 0x9d)
extern "C" const IID IID_IAxControlWindow;

namespace atl {

// Registers the host window classes (global classes of the module); TRUE when they exist.
BOOL AtlAxWinInit();
// Unregisters them; FALSE while host windows still exist.
BOOL AtlAxWinTerm();

// The control in a host window (AddRef'ed). E_FAIL when `host` is no host or holds nothing;
// the creation failure (REGDB_E_CLASSNOTREG for an unknown name) when its creation failed.
HRESULT AtlAxGetControl(HWND host, IUnknown **control);
// Creates the control `name` (ProgID or class id in braces) in an existing host window,
// replacing what it held. `stream` is not supported and must be NULL; the layer has no
// container object, so `container` receives NULL.
HRESULT AtlAxCreateControl(LPCOLESTR name, HWND host, IStream *stream, IUnknown **container);
HRESULT AtlAxCreateControlEx(LPCOLESTR name, HWND host, IStream *stream, IUnknown **container,
                             IUnknown **control, REFIID sinkIid = IID_NULL, IUnknown *sink = nullptr);
// Puts an existing control into a host window.
HRESULT AtlAxAttachControl(IUnknown *control, HWND host, IUnknown **container);

// A CWindow for host windows.
class CAxWindow : public CWindow {
public:
   CAxWindow(HWND hWnd = nullptr) : CWindow(hWnd) {}
   CAxWindow &operator=(HWND hWnd) { m_hWnd = hWnd; return *this; }

   static LPCTSTR GetWndClassName() { return TEXT("AtlAxWin71"); }

   HWND Create(HWND parent, _U_RECT rect = nullptr, LPCTSTR name = nullptr, DWORD style = 0, DWORD exStyle = 0,
               _U_MENUorID menuOrId = 0U, LPVOID createParam = nullptr)
   {
      return CWindow::Create(GetWndClassName(), parent, rect, name, style, exStyle, menuOrId, createParam);
   }
   HRESULT CreateControl(LPCOLESTR name, IStream *stream = nullptr, IUnknown **container = nullptr)
   {
      return AtlAxCreateControl(name, m_hWnd, stream, container);
   }
   HRESULT AttachControl(IUnknown *control, IUnknown **container = nullptr)
   {
      return AtlAxAttachControl(control, m_hWnd, container);
   }
   HRESULT QueryControl(REFIID iid, void **ppv)
   {
      if (!ppv) {
         return E_POINTER;
      }
      *ppv = nullptr;
      IUnknown *control = nullptr;
      HRESULT hr = AtlAxGetControl(m_hWnd, &control);
      if (SUCCEEDED(hr)) {
         hr = control->QueryInterface(iid, ppv);
         control->Release();
      }
      return hr;
   }
   template <class Q>
   HRESULT QueryControl(Q **ppv)
   {
      return QueryControl(__uuidof(Q), reinterpret_cast<void **>(ppv));
   }
};

} // namespace atl

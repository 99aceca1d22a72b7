#include "atl/AxHost.h"

#include <ocidl.h>

#include "atl/ClassTable.h"
#include "atl/ComPtr.h"
#include "atl/Module.h"
#include "atl/UncaughtException.h"
#include "atl/WindowImpl.h"

extern "C" const IID IID_IAxControlWindow = __uuidof(IAxControlWindow);

namespace atl {

namespace {

const wchar_t kHostClass[] = L"AtlAxWin71";
const wchar_t kHostLicClass[] = L"AtlAxWinLic71";
const wchar_t kHostProp[] = L"atl.AxHost";

// What one host window holds.
class AxHost {
public:
   explicit AxHost(HWND wnd) : wnd_(wnd), child_(nullptr), status_(E_FAIL) {}
   ~AxHost() { ReleaseControl(); }

   HRESULT CreateControl(LPCOLESTR name)
   {
      ReleaseControl();
      CComPtr<IUnknown> control;
      HRESULT hr = ClassTable::CreateByName(name, IID_IUnknown, reinterpret_cast<void **>(&control));
      if (FAILED(hr)) {
         status_ = hr;
         return hr;
      }
      return AttachControl(control);
   }

   HRESULT AttachControl(IUnknown *control)
   {
      ReleaseControl();
      if (!control) {
         return E_POINTER;
      }
      CComPtr<IAxControlWindow> window;
      if (SUCCEEDED(control->QueryInterface(IID_IAxControlWindow, reinterpret_cast<void **>(&window)))) {
         RECT rect;
         ::GetClientRect(wnd_, &rect);
         HWND child = nullptr;
         HRESULT hr = window->CreateControlWindow(wnd_, &rect, &child);
         if (FAILED(hr)) {
            status_ = hr;
            return hr;
         }
         window_ = window;
         child_ = child;
      }
      control_ = control;
      status_ = S_OK;
      return S_OK;
   }

   void ReleaseControl()
   {
      if (window_) {
         window_->DestroyControlWindow();
      }
      window_.Release();
      control_.Release();
      child_ = nullptr;
      status_ = E_FAIL;
   }

   HRESULT GetControl(IUnknown **out) const
   {
      if (!control_) {
         return status_;
      }
      return control_.CopyTo(out);
   }

   HWND Child() const { return ::IsWindow(child_) ? child_ : nullptr; }

private:
   HWND wnd_;
   CComPtr<IUnknown> control_;
   CComPtr<IAxControlWindow> window_;
   HWND child_;
   HRESULT status_;   // why there is no control (E_FAIL: none asked for)
};

AxHost *HostOf(HWND wnd)
{
   return wnd ? static_cast<AxHost *>(detail::FindObject(wnd, kHostProp)) : nullptr;
}

LRESULT HostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
   AxHost *host = HostOf(wnd);
   switch (msg) {
   case WM_NCCREATE:
      detail::AttachObject(wnd, kHostProp, new AxHost(wnd));
      break;
   case WM_CREATE: {
      const CREATESTRUCTW *cs = reinterpret_cast<const CREATESTRUCTW *>(lParam);
      // The name came in as the window text; an unknown one leaves an empty host.
      if (host && cs->lpszName && !IS_INTRESOURCE(cs->lpszName) && cs->lpszName[0]) {
         host->CreateControl(cs->lpszName);
      }
      return 0;
   }
   case WM_SIZE:
      if (HWND child = host ? host->Child() : nullptr) {
         ::MoveWindow(child, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      }
      return 0;
   case WM_SETFOCUS:
      if (HWND child = host ? host->Child() : nullptr) {
         ::SetFocus(child);
         return 0;
      }
      break;
   case WM_ERASEBKGND:
      if (host && host->Child()) {
         return 1;   // the control covers everything
      }
      break;
   case WM_DESTROY:
      if (host) {
         host->ReleaseControl();
      }
      break;
   case WM_NCDESTROY:
      detail::DetachObject(wnd, kHostProp);
      delete host;
      break;
   default:
      break;
   }
   return ::DefWindowProcW(wnd, msg, wParam, lParam);
}

LRESULT CALLBACK HostWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
   try {
      return HostMessage(wnd, msg, wParam, lParam);
   } catch (...) {
      HandleUncaughtException();
      return msg == WM_NCCREATE ? FALSE : 0;
   }
}

bool RegisterHostClass(const wchar_t *name)
{
   HINSTANCE instance = _Module.GetModuleInstance();
   WNDCLASSEXW wc;
   wc.cbSize = sizeof(wc);
   if (::GetClassInfoExW(instance, name, &wc)) {
      return true;
   }
   ZeroMemory(&wc, sizeof(wc));
   wc.cbSize = sizeof(wc);
   wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
   wc.lpfnWndProc = HostWindowProc;
   wc.hInstance = instance;
   wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
   wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
   wc.lpszClassName = name;
   return ::RegisterClassExW(&wc) != 0;
}

} // namespace

BOOL AtlAxWinInit()
{
   return RegisterHostClass(kHostClass) && RegisterHostClass(kHostLicClass);
}

BOOL AtlAxWinTerm()
{
   HINSTANCE instance = _Module.GetModuleInstance();
   BOOL host = ::UnregisterClassW(kHostClass, instance);
   BOOL lic = ::UnregisterClassW(kHostLicClass, instance);
   return host && lic;
}

HRESULT AtlAxGetControl(HWND wnd, IUnknown **control)
{
   if (!control) {
      return E_POINTER;
   }
   *control = nullptr;
   AxHost *host = HostOf(wnd);
   return host ? host->GetControl(control) : E_FAIL;
}

HRESULT AtlAxCreateControl(LPCOLESTR name, HWND wnd, IStream *stream, IUnknown **container)
{
   return AtlAxCreateControlEx(name, wnd, stream, container, nullptr);
}

HRESULT AtlAxCreateControlEx(LPCOLESTR name, HWND wnd, IStream *stream, IUnknown **container, IUnknown **control,
                             REFIID sinkIid, IUnknown *sink)
{
   if (container) {
      *container = nullptr;
   }
   if (control) {
      *control = nullptr;
   }
   if (!name) {
      return E_POINTER;
   }
   if (stream) {
      return E_NOTIMPL;
   }
   AxHost *host = HostOf(wnd);
   if (!host) {
      return E_INVALIDARG;
   }
   HRESULT hr = host->CreateControl(name);
   if (FAILED(hr)) {
      return hr;
   }
   ::SetWindowTextW(wnd, name);
   CComPtr<IUnknown> created;
   host->GetControl(&created);
   if (sink && !IsEqualIID(sinkIid, IID_NULL)) {
      CComPtr<IConnectionPointContainer> points;
      CComPtr<IConnectionPoint> point;
      DWORD cookie = 0;
      if (FAILED(hr = created->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&points))) ||
          FAILED(hr = points->FindConnectionPoint(sinkIid, &point)) || FAILED(hr = point->Advise(sink, &cookie))) {
         return hr;
      }
   }
   if (control) {
      *control = created.Detach();
   }
   return S_OK;
}

HRESULT AtlAxAttachControl(IUnknown *control, HWND wnd, IUnknown **container)
{
   if (container) {
      *container = nullptr;
   }
   AxHost *host = HostOf(wnd);
   if (!host) {
      return E_INVALIDARG;
   }
   return host->AttachControl(control);
}

} // namespace atl

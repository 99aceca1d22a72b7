#include "cui/ApplianceView.h"

#include "cui/LocalizedString.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <string>

namespace wui {
namespace view {

namespace {

const wchar_t kClassName[] = L"TremApplianceView";
const char kNoAppliance[] = "@&!*@*@(msg.applianceView.none)This virtual machine offers no appliance page.";

class ApplianceViewWnd : public ApplianceView, public sigc::trackable {
public:
   ~ApplianceViewWnd() override
   {
      removed_.disconnect();
      if (hwnd_ && ::IsWindow(hwnd_)) {
         ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
         ::DestroyWindow(hwnd_);
      }
   }

   bool Create(HWND parent, const RECT &rect, const char *name, DWORD style, DWORD exStyle, UINT id, void *param)
   {
      if (!Register()) {
         return false;
      }
      param_ = param;
      std::wstring text = WideFromUtf8(name ? name : "");
      hwnd_ = ::CreateWindowExW(exStyle, kClassName, text.c_str(), style, rect.left, rect.top, rect.right - rect.left,
                                rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                ::GetModuleHandleW(nullptr), this);
      return hwnd_ != nullptr;
   }

   HWND GetHWND() const override { return hwnd_; }
   cui::VM *GetVM() const override { return vm_; }

   void SetVM(cui::VM *vm) override
   {
      if (vm == vm_) {
         return;
      }
      removed_.disconnect();
      vm_ = vm;
      if (vm_) {
         removed_ = vm_->removed.connect([this]() { SetVM(nullptr); });
      }
      if (hwnd_) {
         ::InvalidateRect(hwnd_, nullptr, TRUE);
      }
   }

private:
   static bool Register()
   {
      WNDCLASSEXW wc = {};
      wc.cbSize = sizeof wc;
      if (::GetClassInfoExW(::GetModuleHandleW(nullptr), kClassName, &wc)) {
         return true;
      }
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = WndProc;
      wc.hInstance = ::GetModuleHandleW(nullptr);
      wc.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));   // IDC_ARROW
      wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
      wc.lpszClassName = kClassName;
      return ::RegisterClassExW(&wc) != 0;
   }

   static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
   {
      if (msg == WM_NCCREATE) {
         auto *create = reinterpret_cast<CREATESTRUCTW *>(lParam);
         ::SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      }
      auto *self = reinterpret_cast<ApplianceViewWnd *>(::GetWindowLongPtrW(wnd, GWLP_USERDATA));
      if (self && msg == WM_PAINT) {
         self->Paint(wnd);
         return 0;
      }
      if (self && msg == WM_NCDESTROY) {
         self->hwnd_ = nullptr;
      }
      return ::DefWindowProcW(wnd, msg, wParam, lParam);
   }

   void Paint(HWND wnd)
   {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(wnd, &ps);
      if (vm_) {
         RECT rc;
         ::GetClientRect(wnd, &rc);
         ::InflateRect(&rc, -16, -16);
         HGDIOBJ old = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
         ::SetBkMode(dc, TRANSPARENT);
         ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
         std::wstring text = WideFromUtf8(vm_->GetName() + "\n\n" + cui::GetLocalString(kNoAppliance));
         ::DrawTextW(dc, text.c_str(), -1, &rc, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
         ::SelectObject(dc, old);
      }
      ::EndPaint(wnd, &ps);
   }

   HWND hwnd_ = nullptr;
   void *param_ = nullptr;
   cui::VM *vm_ = nullptr;
   sigc::connection removed_;
};

}  // namespace

ApplianceView::~ApplianceView() = default;

ApplianceView *ApplianceView::CreateInstance(HWND parent, const RECT &rect, const char *name, DWORD style,
                                             DWORD exStyle, UINT id, void *param)
{
   auto *view = new ApplianceViewWnd;
   if (!view->Create(parent, rect, name, style, exStyle, id, param)) {
      Warning("ApplianceView::CreateInstance: cannot create the window (%lu)\n", ::GetLastError());
      delete view;
      return nullptr;
   }
   return view;
}

}  // namespace view
}  // namespace wui

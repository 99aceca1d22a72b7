// "tremappsdk.VMStatusbarCtl.9": the frame's status bar.
#pragma once

#include <string>
#include <vector>

#include "ControlObject.h"
#include "DbUtil.h"
#include "RectTips.h"
#include "StatusbarLayout.h"
#include "atl/Atl.h"
#include "tremappsdk/TremAppSdk.h"
#include "vmdb/CtxEventSink.h"

namespace tremappsdk {

// What the bar shows, read from the database.
struct StatusbarState {
   std::wstring vmPath;
   std::wstring name;
   PowerState power = PowerState::Unknown;
   std::vector<DeviceInfo> devices;
   bool recording = false;

   static StatusbarState Read(IVmdbContext *ctx);
};

class CStatusbarWnd : public CWindowImpl<CStatusbarWnd>, public vmdb::CtxEventSink<CStatusbarWnd> {
public:
   static constexpr UINT WM_CONNECT_DEFAULT = WM_APP + 20;

   DECLARE_WND_CLASS_EX("TremappsdkStatusbar", CS_DBLCLKS, COLOR_3DFACE)

   explicit CStatusbarWnd(atl::DispEventSource &events) : events_(events) {}

   BEGIN_MSG_MAP(CStatusbarWnd)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_PAINT, OnPaint)
      MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
      MESSAGE_HANDLER(WM_NCHITTEST, OnNcHitTest)
      MESSAGE_HANDLER(WM_NCLBUTTONDOWN, OnNcLButtonDown)
      MESSAGE_HANDLER(WM_CONNECT_DEFAULT, OnConnectDefault)
   END_MSG_MAP()

   // Follows `db` from now on (null: none).
   void SetDatabase(IVmdbDatabase *db);
   void SetCanFit(bool canFit);
   bool GetCanFit() const { return canFit_; }
   const StatusbarState &State() const { return state_; }
   StatusbarLayout Layout() const;
   int TipCount() const { return tips_.Count(); }

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL &) { return 1; }
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnNcHitTest(UINT, WPARAM, LPARAM lParam, BOOL &bHandled);
   LRESULT OnNcLButtonDown(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled);
   LRESULT OnConnectDefault(UINT, WPARAM, LPARAM, BOOL &);

   void OnChange(BSTR path);
   void Refresh();
   void Paint(HDC dc);
   void UpdateTips();

   atl::DispEventSource &events_;
   IVmdbDatabasePtr db_;
   IVmdbContextPtr ctx_;
   StatusbarState state_;
   bool canFit_ = true;
   atl::ScopedFont font_;
   RectTips tips_;
};

class StatusbarCtl : public ControlObject<IVMStatusbarCtl> {
public:
   StatusbarCtl() : ControlObject(DIID__IVMStatusbarCtlEvents), wnd_(events_) {}
   ~StatusbarCtl() override;

   HRESULT STDMETHODCALLTYPE CreateControlWindow(HWND parent, const RECT *rect, HWND *window) override;
   HRESULT STDMETHODCALLTYPE DestroyControlWindow() override;

   HRESULT __stdcall get_CanFitWindow(VARIANT_BOOL *canFit) override;
   HRESULT __stdcall put_CanFitWindow(VARIANT_BOOL canFit) override;
   HRESULT __stdcall put_Database(IVmdbDatabase *db) override;
   HRESULT __stdcall get_VMPath(BSTR *path) override;

private:
   CStatusbarWnd wnd_;
   bool canFit_ = true;
};

}  // namespace tremappsdk

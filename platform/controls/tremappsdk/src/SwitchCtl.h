// "tremappsdk.VMSwitchCtl.9": the tab strip of the opened objects.
#pragma once

#include <string>
#include <vector>

#include "WindowedControl.h"
#include "DbUtil.h"
#include "RectTips.h"
#include "TabStripLayout.h"
#include "atl/Atl.h"
#include "tremappsdk/TremAppSdk.h"
#include "vmdb/CtxEventSink.h"

namespace tremappsdk {

// One tab as read from its record.
struct SwitchTab {
   OpenedRecord record;
   std::wstring label;
   long kind = 0;
};

// The tabs of an opened-object array, in database order, and the one the link selects (-1: none).
struct SwitchTabs {
   std::vector<SwitchTab> tabs;
   int selected = -1;

   static SwitchTabs Read(IVmdbContext *ctx, const std::wstring &arrayPath, const std::wstring &linkPath);
};

class CSwitchWnd : public CWindowImpl<CSwitchWnd>, public vmdb::CtxEventSink<CSwitchWnd> {
public:
   DECLARE_WND_CLASS_EX("TremappsdkSwitch", CS_DBLCLKS, COLOR_3DFACE)

   explicit CSwitchWnd(atl::DispEventSource &events) : events_(events) {}

   BEGIN_MSG_MAP(CSwitchWnd)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_PAINT, OnPaint)
      MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
      MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
      MESSAGE_HANDLER(WM_MBUTTONUP, OnMButtonUp)
      MESSAGE_HANDLER(WM_RBUTTONUP, OnRButtonUp)
      MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
      MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
   END_MSG_MAP()

   void SetContext(IVmdbContext *ctx);
   void SetLinkPath(const std::wstring &path);
   void SetArrayPath(const std::wstring &path);
   const SwitchTabs &Tabs() const { return tabs_; }
   TabStripLayout Layout() const;
   int TipCount() const { return tips_.Count(); }

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL &) { return 1; }
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnLButtonUp(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnMButtonUp(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnRButtonUp(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL &);

   void Rewatch();
   void OnChange(BSTR path);
   void Refresh();
   void Select(int index);
   void CloseTab(int index);
   void Paint(HDC dc);
   void UpdateTips();

   atl::DispEventSource &events_;
   IVmdbContextPtr ctx_;
   std::wstring linkPath_;
   std::wstring arrayPath_;
   SwitchTabs tabs_;
   atl::ScopedFont font_;
   atl::ScopedFont boldFont_;
   int hotClose_ = -1;       // the tab whose close button is under the mouse
   int pressedClose_ = -1;   // the tab whose close button the left button went down on
   bool tracking_ = false;
   RectTips tips_;
};

class SwitchCtl : public WindowedControl<IVMSwitchCtl, CSwitchWnd, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS> {
public:
   SwitchCtl() : WindowedControl(DIID__IVMSwitchCtlEvents) {}

   HRESULT __stdcall put_Context(IVmdbContext *ctx) override;
   HRESULT __stdcall put_LinkPath(BSTR path) override;
   HRESULT __stdcall put_ArrayPath(BSTR path) override;
   HRESULT __stdcall get_TabCount(long *count) override;
};

}  // namespace tremappsdk

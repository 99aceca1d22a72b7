// "tremappsdk.MksCtl.9": the console of the current machine.
#pragma once

#include <string>

#include "WindowedControl.h"
#include "DbUtil.h"
#include "GuestScreen.h"
#include "atl/Atl.h"
#include "cui/MKSKeys.h"
#include "tremappsdk/TremAppSdk.h"
#include "vmdb/CtxEventSink.h"

namespace tremappsdk {

// What the console shows, read from the database.
// Whether a key is among the hooked keys "key,mask;key,mask;...": a key below 0x100 is a virtual
// key, one above a scan code with 0x100 for the extended bit.
bool IsHookedKey(const std::wstring &hookedKeys, unsigned virtualKey, unsigned scanCode);

struct ConsoleState {
   OpenedRecord record;
   std::wstring vmPath;
   PowerState power = PowerState::Unknown;
   GuestInfo guest;
   long guestWidth = 800;
   long guestHeight = 600;
   // From the user's preferences: full screen, how the guest fills it, the console key combination.
   bool fullScreen = false;
   int autofitMode = 0;
   cui::MKSKeys keys;
   // What the program asked of this machine's console: the keys handed back, the grab.
   std::wstring hookedKeys;
   std::wstring grabState;

   static ConsoleState Read(IVmdbContext *ctx, const std::wstring &linkPath);
};

class CMksWnd : public CWindowImpl<CMksWnd>, public vmdb::CtxEventSink<CMksWnd> {
public:
   static constexpr UINT_PTR kClockTimer = 1;
   static constexpr UINT kClockMs = 1000;

   DECLARE_WND_CLASS_EX("TremappsdkMks", CS_DBLCLKS, COLOR_APPWORKSPACE)

   explicit CMksWnd(atl::DispEventSource &events) : events_(events) {}

   BEGIN_MSG_MAP(CMksWnd)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_PAINT, OnPaint)
      MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_TIMER, OnTimer)
      MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
      MESSAGE_HANDLER(WM_RBUTTONUP, OnRButtonUp)
      MESSAGE_HANDLER(WM_KEYDOWN, OnKeyDown)
      MESSAGE_HANDLER(WM_SYSKEYDOWN, OnKeyDown)
      MESSAGE_HANDLER(WM_KILLFOCUS, OnKillFocus)
      MESSAGE_HANDLER(WM_GETDLGCODE, OnGetDlgCode)
   END_MSG_MAP()

   void SetContext(IVmdbContext *ctx);
   void SetLinkPath(const std::wstring &path);
   void SetMessageActive(bool active);
   bool GetMessageActive() const { return messageActive_; }
   void SetMessageText(const std::wstring &text);
   const std::wstring &GetMessageText() const { return message_; }
   void ReleaseInput();
   bool Grabbed() const { return grabbed_; }
   const ConsoleState &State() const { return state_; }
   // Milliseconds since the shown machine was first seen powered on; 0 when it is not.
   DWORD Uptime() const;
   RECT ScreenRect() const;

private:
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL &) { return 1; }
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL &bHandled);
   LRESULT OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnRButtonUp(UINT, WPARAM, LPARAM lParam, BOOL &);
   LRESULT OnKeyDown(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled);
   LRESULT OnKillFocus(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL &) { return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS; }

   void Rewatch();
   void OnChange(BSTR path);
   void Refresh();
   void AskPendingQuestion();
   void SetGrab(bool grabbed);
   void FollowGrabState(const std::wstring &old);
   bool HandOverHookedKey(WPARAM key, LPARAM lParam);
   void Paint(HDC dc);

   atl::DispEventSource &events_;
   IVmdbContextPtr ctx_;
   std::wstring linkPath_;
   ConsoleState state_;
   std::wstring message_;
   std::wstring askedQuestion_;   // the question element already put to the user
   bool messageActive_ = false;
   bool grabbed_ = false;
};

class MksCtl : public WindowedControl<IMksCtl, CMksWnd, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP> {
public:
   MksCtl() : WindowedControl(DIID__IMksCtlEvents) {}

   HRESULT __stdcall put_Context(IVmdbContext *ctx) override;
   HRESULT __stdcall put_LinkPath(BSTR path) override;
   HRESULT __stdcall get_MessageActive(VARIANT_BOOL *active) override;
   HRESULT __stdcall put_MessageActive(VARIANT_BOOL active) override;
   HRESULT __stdcall get_MessageText(BSTR *text) override;
   HRESULT __stdcall put_MessageText(BSTR text) override;
   HRESULT __stdcall get_ReservedWidth(long *width) override;
   HRESULT __stdcall get_ReservedHeight(long *height) override;
   HRESULT __stdcall raw_ReleaseInput() override;
   HRESULT __stdcall get_VMPath(BSTR *path) override;
   HRESULT __stdcall get_Grabbed(VARIANT_BOOL *grabbed) override;
   HRESULT __stdcall get_GuestWidth(long *width) override;
   HRESULT __stdcall get_GuestHeight(long *height) override;
};

}  // namespace tremappsdk

#include "MksCtl.h"

#include <cwchar>
#include <map>

#include "WinUtil.h"
#include "atl/Gdi.h"
#include "cui/AppDataPaths.h"
#include "cui/GuestOS.h"
#include "tremappsdkRes.h"
#include "tremorybase/Log.h"

namespace tremappsdk {

namespace {

// When each machine was first seen running, shared by every console of the process so a tab
// switch does not restart the clock.
std::map<std::wstring, DWORD> &PowerOnTicks()
{
   static std::map<std::wstring, DWORD> ticks;
   return ticks;
}

std::wstring GuestOSName(const std::wstring &id)
{
   const cui::GuestOSInfo *os = cui::FindGuestOS(Utf8FromWide(id));
   return WideFromUtf8(os ? os->displayName : cui::OtherGuestOS().displayName);
}

const wchar_t kPrefs[] = L"/user/prefState/req/#ZOLT/val/zolt/";

}  // namespace

bool IsHookedKey(const std::wstring &hookedKeys, unsigned virtualKey, unsigned scanCode)
{
   size_t start = 0;
   while (start < hookedKeys.size()) {
      size_t end = hookedKeys.find(L';', start);
      if (end == std::wstring::npos) {
         end = hookedKeys.size();
      }
      std::wstring entry = hookedKeys.substr(start, end - start);
      wchar_t *stop = nullptr;
      unsigned long key = std::wcstoul(entry.c_str(), &stop, 0);
      if (stop && *stop == L',' && ((key < 0x100 && key == virtualKey) || (key >= 0x100 && key == scanCode))) {
         return true;
      }
      start = end + 1;
   }
   return false;
}

ConsoleState ConsoleState::Read(IVmdbContext *ctx, const std::wstring &linkPath)
{
   ConsoleState state;
   state.fullScreen = ReadFlag(ctx, std::wstring(kPrefs) + L"view/fullScreen");
   state.autofitMode = static_cast<int>(ReadLong(ctx, std::wstring(kPrefs) + L"fsToolbar/autofitMode", 0));
   state.keys.ctrl = cui::MKSKeys::DOWN;
   state.keys.alt = cui::MKSKeys::DOWN;
   cui::ParseMKSKeys(Utf8FromWide(ReadText(ctx, std::wstring(kPrefs) + L"hotkeys/modifiers")), state.keys);
   state.record = ReadLinkedRecord(ctx, linkPath);
   if (state.record.type == L"team") {
      state.vmPath = FindTeamConsoleVM(ctx, state.record.path);
   } else if (state.record.type == L"vm") {
      state.vmPath = FindVMByCfgFile(ctx, state.record.path);
   }
   if (state.vmPath.empty()) {
      return state;
   }
   std::wstring cfg = state.vmPath + L"vmx/cfgState/val/";
   state.power = ReadPowerState(ctx, state.vmPath);
   state.guest.name = ReadText(ctx, cfg + L"displayName");
   if (state.guest.name.empty()) {
      state.guest.name = FileTitle(state.record.path);
   }
   state.guest.guestId = ReadText(ctx, cfg + L"guestOS");
   state.guest.guestOS = GuestOSName(state.guest.guestId);
   state.guest.memoryMB = ReadLong(ctx, cfg + L"memoryMB", 0);
   state.guest.cpuCount = ReadLong(ctx, cfg + L"cpuCount", 1);
   state.hookedKeys = ReadText(ctx, state.vmPath + L"mks/hookedKeys");
   state.grabState = ReadText(ctx, state.vmPath + L"mks/grabState/val");
   long w = ReadLong(ctx, state.vmPath + L"mks/guestWidth", 800);
   long h = ReadLong(ctx, state.vmPath + L"mks/guestHeight", 600);
   // A size no display has is ignored.
   if (w >= 320 && w <= 8192 && h >= 200 && h <= 8192) {
      state.guestWidth = w;
      state.guestHeight = h;
   }
   return state;
}

LRESULT CMksWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL &)
{
   KillTimer(kClockTimer);
   Unadvise();
   ctx_ = nullptr;
   return 0;
}

void CMksWnd::SetContext(IVmdbContext *ctx)
{
   Unadvise();
   ctx_ = ctx;
   // Each refresh reads the whole state again: one per poll step is enough.
   CoalesceChanges();
   if (ctx_ && FAILED(Advise(ctx_))) {
      Warning("MksCtl: cannot follow the database\n");
   }
   Rewatch();
}

void CMksWnd::SetLinkPath(const std::wstring &path)
{
   linkPath_ = path;
   Rewatch();
}

void CMksWnd::Rewatch()
{
   if (GetEventSource()) {
      Unwatch(linkPath_.c_str());
      Unwatch(cui::appdata::kOpenedObj);
      Unwatch(L"/vm");
      Unwatch(L"/team");
      Unwatch(L"/user/prefState");
      if (!linkPath_.empty()) {
         Watch(linkPath_.c_str(), 0, &CMksWnd::OnChange);
      }
      Watch(cui::appdata::kOpenedObj, 1, &CMksWnd::OnChange);
      Watch(L"/vm", 1, &CMksWnd::OnChange);
      Watch(L"/team", 1, &CMksWnd::OnChange);
      Watch(L"/user/prefState", 1, &CMksWnd::OnChange);
   }
   Refresh();
}

void CMksWnd::OnChange(BSTR)
{
   Refresh();
}

void CMksWnd::Refresh()
{
   ConsoleState old = state_;
   state_ = ctx_ ? ConsoleState::Read(ctx_, linkPath_) : ConsoleState();
   if (!state_.vmPath.empty()) {
      auto &ticks = PowerOnTicks();
      if (state_.power == PowerState::On) {
         ticks.emplace(state_.vmPath, GetTickCount());
      } else {
         ticks.erase(state_.vmPath);
      }
   }
   if (grabbed_ && (state_.vmPath != old.vmPath || state_.power != PowerState::On)) {
      SetGrab(false);
   } else if (state_.vmPath == old.vmPath) {
      FollowGrabState(old.grabState);
   }
   if (IsWindow()) {
      if (state_.power == PowerState::On) {
         SetTimer(kClockTimer, kClockMs);
      } else {
         KillTimer(kClockTimer);
      }
      Invalidate();
   }
   if (state_.guestWidth != old.guestWidth || state_.guestHeight != old.guestHeight) {
      events_.Fire(kMksRelayout);
   }
   AskPendingQuestion();
}

void CMksWnd::AskPendingQuestion()
{
   if (state_.vmPath.empty() || !ctx_) {
      return;
   }
   std::wstring question = state_.vmPath + L"mks/question/";
   std::wstring text = ReadText(ctx_, question + L"text");
   if (text.empty() || !ReadText(ctx_, question + L"answer").empty() || askedQuestion_ == question + text) {
      return;
   }
   askedQuestion_ = question + text;
   SetGrab(false);
   long answer = -1;
   std::wstring buttons = ReadText(ctx_, question + L"buttonSet");
   std::wstring kind = ReadText(ctx_, question + L"kind");
   // The button that has the focus; the last three integers are reserved and always 0.
   long defaultAnswer = ReadLong(ctx_, question + L"defaultAnswer", 0);
   events_.Fire(kMksMessage, text.c_str(), buttons.empty() ? L"ok" : buttons.c_str(), kind.empty() ? L"info" : kind.c_str(),
                defaultAnswer, 0L, 0L, 0L, &answer);
   if (answer >= 0) {
      try {
         ctx_->WriteValue((question + L"answer").c_str(), _variant_t(answer));
      } catch (const _com_error &e) {
         Warning("MksCtl: cannot answer the machine's question: 0x%08lx\n", static_cast<unsigned long>(e.Error()));
      }
   }
}

DWORD CMksWnd::Uptime() const
{
   if (state_.power != PowerState::On) {
      return 0;
   }
   auto it = PowerOnTicks().find(state_.vmPath);
   return it == PowerOnTicks().end() ? 0 : GetTickCount() - it->second;
}

RECT CMksWnd::ScreenRect() const
{
   RECT rc = {};
   if (m_hWnd) {
      ::GetClientRect(m_hWnd, &rc);
   }
   if (state_.fullScreen) {
      return GuestScreen::FitFullScreen(state_.guestWidth, state_.guestHeight, rc.right, rc.bottom, state_.autofitMode);
   }
   return GuestScreen::Fit(state_.guestWidth, state_.guestHeight, rc.right, rc.bottom);
}

void CMksWnd::FollowGrabState(const std::wstring &old)
{
   // Only a change asked through the database: the console's own grab writes nothing there.
   if (state_.grabState == old || state_.power != PowerState::On || messageActive_) {
      return;
   }
   if (state_.grabState == L"grabbed") {
      if (IsWindow()) {
         SetFocus();
      }
      SetGrab(true);
   } else if (state_.grabState.compare(0, 9, L"ungrabbed") == 0) {
      SetGrab(false);
   }
}

bool CMksWnd::HandOverHookedKey(WPARAM key, LPARAM lParam)
{
   unsigned scan = (HIWORD(lParam) & 0xFF) | ((HIWORD(lParam) & KF_EXTENDED) ? 0x100 : 0);
   if (state_.hookedKeys.empty() || state_.vmPath.empty() || !ctx_ ||
       !IsHookedKey(state_.hookedKeys, static_cast<unsigned>(key), scan)) {
      return false;
   }
   wchar_t text[32];
   swprintf(text, sizeof text / sizeof text[0], L"%u,%u", static_cast<unsigned>(key), scan);
   try {
      ctx_->WriteValue((state_.vmPath + L"mks/hookedKeyEvent").c_str(), _variant_t(text));
   } catch (const _com_error &e) {
      Warning("MksCtl: cannot hand the key back: 0x%08lx\n", static_cast<unsigned long>(e.Error()));
   }
   return true;
}

void CMksWnd::SetMessageActive(bool active)
{
   messageActive_ = active;
   if (active) {
      SetGrab(false);
   }
}

void CMksWnd::SetMessageText(const std::wstring &text)
{
   message_ = text;
   if (IsWindow()) {
      Invalidate();
      UpdateWindow();
   }
}

void CMksWnd::ReleaseInput()
{
   SetGrab(false);
}

void CMksWnd::SetGrab(bool grabbed)
{
   if (grabbed == grabbed_) {
      return;
   }
   grabbed_ = grabbed;
   Log("MksCtl: %s\n", grabbed ? "the console has the input" : "the console gave the input back");
   if (IsWindow()) {
      Invalidate();
   }
   events_.Fire(kMksGrab, grabbed ? VARIANT_TRUE : VARIANT_FALSE);
}

LRESULT CMksWnd::OnSize(UINT, WPARAM, LPARAM, BOOL &)
{
   Invalidate();
   return 0;
}

LRESULT CMksWnd::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
   if (wParam != kClockTimer) {
      bHandled = FALSE;
      return 0;
   }
   Invalidate();
   return 0;
}

LRESULT CMksWnd::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   SetFocus();
   POINT pt = {XParam(lParam), YParam(lParam)};
   RECT screen = ScreenRect();
   if (state_.power == PowerState::On && !messageActive_ && PtInRect(&screen, pt)) {
      SetGrab(true);
   }
   return 0;
}

LRESULT CMksWnd::OnRButtonUp(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   // A grabbed console hands the click to the guest.
   if (grabbed_ || state_.record.recordPath.empty()) {
      return 0;
   }
   POINT pt = {XParam(lParam), YParam(lParam)};
   ClientToScreen(&pt);
   long kind = TabKindOf(state_.record.type, state_.power == PowerState::On);
   std::wstring path = state_.record.path;
   events_.Fire(kMksContextMenu, static_cast<long>(pt.x), static_cast<long>(pt.y), path.c_str(), kind);
   return 0;
}

LRESULT CMksWnd::OnKeyDown(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   cui::MKSKeys held;
   held.ctrl = GetKeyState(VK_CONTROL) < 0 ? cui::MKSKeys::DOWN : cui::MKSKeys::UP;
   held.alt = GetKeyState(VK_MENU) < 0 ? cui::MKSKeys::DOWN : cui::MKSKeys::UP;
   held.shift = GetKeyState(VK_SHIFT) < 0 ? cui::MKSKeys::DOWN : cui::MKSKeys::UP;
   bool combination = cui::MatchMKSKeys(held, state_.keys);
   bool modifier = wParam == VK_CONTROL || wParam == VK_MENU || wParam == VK_SHIFT;
   // The user's key combination, completed by its last modifier, gives the input back.
   if (grabbed_ && combination && modifier) {
      SetGrab(false);
      return 0;
   }
   if (combination && !modifier && HandOverHookedKey(wParam, lParam)) {
      return 0;
   }
   bHandled = grabbed_;
   return 0;
}

LRESULT CMksWnd::OnKillFocus(UINT, WPARAM, LPARAM, BOOL &)
{
   SetGrab(false);
   return 0;
}

LRESULT CMksWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL &)
{
   PaintBuffered(m_hWnd, [this](HDC dc) { Paint(dc); });
   return 0;
}

void CMksWnd::Paint(HDC dc)
{
   RECT rc;
   GetClientRect(&rc);
   FillRect(dc, &rc, atl::ScopedBrush(CreateSolidBrush(RGB(64, 64, 64))));
   SetBkMode(dc, TRANSPARENT);
   atl::ScopedSelection font(dc, GetStockObject(DEFAULT_GUI_FONT));

   if (state_.power == PowerState::On) {
      RECT screen = ScreenRect();
      GuestScreen::Draw(dc, screen, state_.guest, Uptime());
      RECT hint = {rc.left + 4, rc.bottom - 18, rc.right - 4, rc.bottom - 2};
      if (screen.bottom <= hint.top) {
         SetTextColor(dc, RGB(220, 220, 220));
         std::wstring text =
            grabbed_ ? FormatResString(IDS_TREMAPPSDK_RELEASE_HINT, WideFromUtf8(cui::MKSKeySequence(state_.keys)).c_str())
                     : LoadResString(IDS_TREMAPPSDK_GRAB_HINT);
         DrawTextW(dc, text.c_str(), -1, &hint, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
      }
   } else if (!state_.vmPath.empty()) {
      SetTextColor(dc, RGB(230, 230, 230));
      std::wstring text = state_.guest.name + L"\n" +
                          LoadResString(state_.power == PowerState::Suspended ? IDS_TREMAPPSDK_SUSPENDED
                                                                               : IDS_TREMAPPSDK_NOT_RUNNING);
      RECT box = rc;
      DrawTextW(dc, text.c_str(), -1, &box, DT_CENTER | DT_NOPREFIX | DT_CALCRECT | DT_WORDBREAK);
      int height = box.bottom - box.top;
      box = RECT{rc.left + 8, (rc.bottom - height) / 2, rc.right - 8, (rc.bottom + height) / 2};
      DrawTextW(dc, text.c_str(), -1, &box, DT_CENTER | DT_NOPREFIX | DT_WORDBREAK);
   }

   if (!message_.empty()) {
      RECT banner = {rc.left + 20, rc.top + 20, rc.right - 20, rc.top + 60};
      FillRect(dc, &banner, GetSysColorBrush(COLOR_INFOBK));
      DrawEdge(dc, &banner, BDR_RAISEDOUTER, BF_RECT);
      SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
      RECT text = banner;
      InflateRect(&text, -8, -4);
      DrawTextW(dc, message_.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_NOPREFIX | DT_WORDBREAK | DT_END_ELLIPSIS);
   }
}

HRESULT MksCtl::put_Context(IVmdbContext *ctx)
{
   wnd_.SetContext(ctx);
   return S_OK;
}

HRESULT MksCtl::put_LinkPath(BSTR path)
{
   wnd_.SetLinkPath(path ? path : L"");
   return S_OK;
}

HRESULT MksCtl::get_MessageActive(VARIANT_BOOL *active)
{
   if (!active) {
      return E_POINTER;
   }
   *active = wnd_.GetMessageActive() ? VARIANT_TRUE : VARIANT_FALSE;
   return S_OK;
}

HRESULT MksCtl::put_MessageActive(VARIANT_BOOL active)
{
   wnd_.SetMessageActive(active != VARIANT_FALSE);
   return S_OK;
}

HRESULT MksCtl::get_MessageText(BSTR *text)
{
   if (!text) {
      return E_POINTER;
   }
   *text = SysAllocString(wnd_.GetMessageText().c_str());
   return S_OK;
}

HRESULT MksCtl::put_MessageText(BSTR text)
{
   wnd_.SetMessageText(text ? text : L"");
   return S_OK;
}

HRESULT MksCtl::get_ReservedWidth(long *width)
{
   if (!width) {
      return E_POINTER;
   }
   *width = 0;
   return S_OK;
}

HRESULT MksCtl::get_ReservedHeight(long *height)
{
   if (!height) {
      return E_POINTER;
   }
   *height = 0;
   return S_OK;
}

HRESULT MksCtl::raw_ReleaseInput()
{
   wnd_.ReleaseInput();
   return S_OK;
}

HRESULT MksCtl::get_VMPath(BSTR *path)
{
   if (!path) {
      return E_POINTER;
   }
   *path = SysAllocString(wnd_.State().vmPath.c_str());
   return S_OK;
}

HRESULT MksCtl::get_Grabbed(VARIANT_BOOL *grabbed)
{
   if (!grabbed) {
      return E_POINTER;
   }
   *grabbed = wnd_.Grabbed() ? VARIANT_TRUE : VARIANT_FALSE;
   return S_OK;
}

HRESULT MksCtl::get_GuestWidth(long *width)
{
   if (!width) {
      return E_POINTER;
   }
   *width = wnd_.State().guestWidth;
   return S_OK;
}

HRESULT MksCtl::get_GuestHeight(long *height)
{
   if (!height) {
      return E_POINTER;
   }
   *height = wnd_.State().guestHeight;
   return S_OK;
}

}  // namespace tremappsdk

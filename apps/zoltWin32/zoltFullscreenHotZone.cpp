#include "zoltFullscreenHotZone.h"

#include <algorithm>

namespace {

int Clamp(int value, int high)
{
   return value < 1 ? 0 : std::min(value, high);
}

}  // namespace

void HotZoneLogic::SetShowDelay(int ms)
{
   showDelay_ = Clamp(ms, kMaxDelay);
}

void HotZoneLogic::SetHideDelay(int ms)
{
   hideDelay_ = Clamp(ms, kMaxDelay);
}

void HotZoneLogic::SetMargin(int px)
{
   margin_ = Clamp(px, kMaxMargin);
}

void HotZoneLogic::SetPeekHeight(int px)
{
   peek_ = Clamp(px, kMaxPeek);
}

void HotZoneLogic::StartTimer(int ms)
{
   timerMs_ = ms;
   ++timerSerial_;
}

void HotZoneLogic::StopTimer()
{
   if (timerMs_ != 0) {
      timerMs_ = 0;
      ++timerSerial_;
   }
}

void HotZoneLogic::SlideIn()
{
   step_ = 0;
   StartTimer(kSlideMs);
   state_ = SLIDING_IN;
   Step();
}

void HotZoneLogic::SlideOut()
{
   StartTimer(kSlideMs);
   state_ = SLIDING_OUT;
   Step();
}

void HotZoneLogic::Step()
{
   if (state_ == SLIDING_IN) {
      if (++step_ >= kSteps) {
         step_ = kSteps;
         StartTimer(kPollMs);
         state_ = SHOWN;
      }
   } else if (state_ == SLIDING_OUT) {
      step_ = std::max(0, step_ - 1);
   }
   ++placeSerial_;
   if (step_ == 0) {
      StopTimer();
      state_ = IDLE;
   }
}

void HotZoneLogic::SetTarget(bool hasTarget)
{
   hasTarget_ = hasTarget;
   state_ = SLIDING_OUT;
   step_ = 1;
   Step();
}

void HotZoneLogic::SetPinned(bool pinned)
{
   pinned_ = pinned;
   if (pinned && state_ != SHOWN && hasTarget_) {
      state_ = SLIDING_IN;
      step_ = kSteps - 1;
      Step();
   }
}

void HotZoneLogic::OnMouseMove()
{
   if (state_ != IDLE || !hasTarget_) {
      return;
   }
   if (showDelay_ > 0) {
      state_ = WAITING_TO_SHOW;
      StartTimer(showDelay_);
   } else {
      SlideIn();
   }
}

void HotZoneLogic::OnTimer(bool cursorInZone, bool keepShown)
{
   keepShown = keepShown || cursorInZone || pinned_;
   switch (state_) {
   case WAITING_TO_SHOW:
      StopTimer();
      state_ = IDLE;
      if (cursorInZone) {
         SlideIn();
      }
      break;
   case SLIDING_IN:
   case SLIDING_OUT:
      Step();
      break;
   case SHOWN:
      if (keepShown) {
         break;
      }
      if (hideDelay_ > 0) {
         state_ = WAITING_TO_HIDE;
         StartTimer(hideDelay_);
      } else {
         SlideOut();
      }
      break;
   case WAITING_TO_HIDE:
      StartTimer(kPollMs);
      state_ = SHOWN;
      if (!keepShown) {
         SlideOut();
      }
      break;
   default:
      StopTimer();
      break;
   }
}

int HotZoneLogic::Position(int zoneTop, int height) const
{
   // Integer division truncates toward zero, as the slide's arithmetic expects.
   int sliding = zoneTop - ((kSteps - step_) * height) / kSteps;
   return std::min(zoneTop - margin_, std::max(sliding, zoneTop + peek_ - height));
}

::atl::CWndClassInfo &CZOLTAHTarget::GetWndClassInfo()
{
   static ::atl::CWndClassInfo info("ZOLTAHTarget", 0, CreateSolidBrush(RGB(0, 0, 0)));
   return info;
}

void CZOLTAHTarget::SetTarget(HWND target)
{
   if (target == target_) {
      return;
   }
   target_ = target;
   logic_.SetTarget(target != nullptr);
   Apply();
}

void CZOLTAHTarget::SetPinned(bool pinned)
{
   logic_.SetPinned(pinned);
   Apply();
}

int CZOLTAHTarget::GetPosition(int height) const
{
   int top = 0;
   if (m_hWnd) {
      RECT zone = {};
      ::GetWindowRect(m_hWnd, &zone);
      POINT corner = {zone.left, zone.top};
      ::ScreenToClient(::GetParent(m_hWnd), &corner);
      top = corner.y;
   }
   return logic_.Position(top, height);
}

bool CZOLTAHTarget::CursorIn(HWND window) const
{
   POINT cursor = {};
   RECT rect = {};
   return window && ::IsWindowVisible(window) && ::GetCursorPos(&cursor) && ::GetWindowRect(window, &rect) &&
          ::PtInRect(&rect, cursor);
}

bool CZOLTAHTarget::KeepShown() const
{
   HWND capture = ::GetCapture();
   return CursorIn(target_) || (capture && target_ && (capture == target_ || ::IsChild(target_, capture)));
}

void CZOLTAHTarget::Apply()
{
   if (!m_hWnd) {
      return;
   }
   if (timerSerial_ != logic_.GetTimerSerial()) {
      timerSerial_ = logic_.GetTimerSerial();
      KillTimer(kTimer);
      if (logic_.GetTimerMs() > 0) {
         SetTimer(kTimer, logic_.GetTimerMs());
      }
   }
   if (placeSerial_ != logic_.GetPlaceSerial()) {
      placeSerial_ = logic_.GetPlaceSerial();
      if (target_ && ::IsWindow(target_)) {
         RECT rect = {};
         ::GetWindowRect(target_, &rect);
         POINT corner = {rect.left, rect.top};
         ::ScreenToClient(::GetParent(target_), &corner);
         int height = rect.bottom - rect.top;
         UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | (logic_.TargetVisible() ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
         ::SetWindowPos(target_, nullptr, corner.x, GetPosition(height), rect.right - rect.left, height, flags);
      }
   }
}

LRESULT CZOLTAHTarget::OnMouseMove(UINT, WPARAM, LPARAM, BOOL &)
{
   logic_.OnMouseMove();
   Apply();
   return 0;
}

LRESULT CZOLTAHTarget::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
   if (wParam != kTimer) {
      bHandled = FALSE;
      return 0;
   }
   logic_.OnTimer(CursorIn(m_hWnd), KeepShown());
   Apply();
   return 0;
}

LRESULT CZOLTAHTarget::OnDestroy(UINT, WPARAM, LPARAM, BOOL &)
{
   KillTimer(kTimer);
   return 0;
}

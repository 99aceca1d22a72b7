// The hot zone of quick switch and full screen: a one-pixel strip along the top edge that slides
// its target (the command bar or the full-screen toolbar) in when the pointer rests on it and out
// again once the pointer has left both. HotZoneLogic is the timing alone, with no window, so a
// test feeds it times; CZOLTAHTarget wires it to a window, its timer and the target.
#pragma once

#include "atl/Atl.h"

#include <windows.h>

class HotZoneLogic {
public:
   enum State { IDLE = 0, WAITING_TO_SHOW = 1, SLIDING_IN = 2, SHOWN = 3, WAITING_TO_HIDE = 4, SLIDING_OUT = 5 };
   static constexpr int kSteps = 10;
   static constexpr int kSlideMs = 20;
   static constexpr int kPollMs = 100;
   static constexpr int kMaxDelay = 5000;
   static constexpr int kMaxMargin = 5;
   static constexpr int kMaxPeek = 10;

   void SetShowDelay(int ms);
   void SetHideDelay(int ms);
   void SetMargin(int px);
   void SetPeekHeight(int px);
   int GetShowDelay() const { return showDelay_; }
   int GetHideDelay() const { return hideDelay_; }
   int GetMargin() const { return margin_; }
   int GetPeekHeight() const { return peek_; }

   // A different target: it goes out of sight at once (unless a peek height is set).
   void SetTarget(bool hasTarget);
   bool HasTarget() const { return hasTarget_; }
   void SetPinned(bool pinned);
   bool GetPinned() const { return pinned_; }

   void OnMouseMove();
   // The timer fired. `cursorInZone`: the pointer is on the hot zone; `keepShown`: the pointer
   // is on the zone or the target, or the target holds the mouse capture.
   void OnTimer(bool cursorInZone, bool keepShown);

   State GetState() const { return state_; }
   int GetStep() const { return step_; }
   // The timer's period in ms, 0 when it is not running; the serial changes at every (re)start
   // or stop, so a window knows when to set its timer again.
   int GetTimerMs() const { return timerMs_; }
   unsigned GetTimerSerial() const { return timerSerial_; }
   // Changes at every step: the target is to be placed again.
   unsigned GetPlaceSerial() const { return placeSerial_; }
   // Where the target's top goes, for a target `height` high and a zone whose top is `zoneTop`.
   int Position(int zoneTop, int height) const;
   // The target shows at all (a peek height keeps part of it in sight at step 0).
   bool TargetVisible() const { return step_ >= 1 || peek_ >= 1; }

private:
   void StartTimer(int ms);
   void StopTimer();
   void SlideIn();
   void SlideOut();
   void Step();

   State state_ = IDLE;
   int step_ = 0;
   bool hasTarget_ = false;
   bool pinned_ = false;
   int showDelay_ = 400;
   int hideDelay_ = 100;
   int margin_ = 0;
   int peek_ = 0;
   int timerMs_ = 0;
   unsigned timerSerial_ = 0;
   unsigned placeSerial_ = 0;
};

typedef CWinTraits<WS_CHILD | WS_CLIPSIBLINGS, 0> CZOLTAHTargetTraits;

class CZOLTAHTarget : public CWindowImpl<CZOLTAHTarget, CWindow, CZOLTAHTargetTraits> {
public:
   static constexpr UINT_PTR kTimer = 1;

   static ::atl::CWndClassInfo &GetWndClassInfo();

   CZOLTAHTarget() = default;

   void SetShowDelay(int ms) { logic_.SetShowDelay(ms); }
   void SetHideDelay(int ms) { logic_.SetHideDelay(ms); }
   void SetMargin(int px) { logic_.SetMargin(px); }
   void SetPeekHeight(int px) { logic_.SetPeekHeight(px); }
   void SetTarget(HWND target);
   HWND GetTarget() const { return target_; }
   void SetPinned(bool pinned);
   bool GetPinned() const { return logic_.GetPinned(); }
   // The target's top for a target `height` high, in the parent's client coordinates.
   int GetPosition(int height) const;
   const HotZoneLogic &GetLogic() const { return logic_; }

   BEGIN_MSG_MAP(CZOLTAHTarget)
      MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
      MESSAGE_HANDLER(WM_TIMER, OnTimer)
      MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
   END_MSG_MAP()

private:
   LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL &bHandled);
   LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL &) { return 1; }
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);

   bool CursorIn(HWND window) const;
   bool KeepShown() const;
   // Follows the logic: its timer and the target's place.
   void Apply();

   HotZoneLogic logic_;
   HWND target_ = nullptr;
   unsigned timerSerial_ = 0;
   unsigned placeSerial_ = 0;
};

// The hot zone's timing as a state machine fed with times: a clock runs the zone's (periodic)
// timer as Windows would, with the pointer placed by the test.
#include "zoltFullscreenHotZone.h"

#include <gtest/gtest.h>

namespace {

class Clock {
public:
   explicit Clock(HotZoneLogic &zone) : zone_(zone) {}

   // The pointer is on the zone (and so keeps the target shown), on the target only, or away.
   void PointerOnZone(bool on) { onZone_ = on; }
   void PointerOnTarget(bool on) { onTarget_ = on; }
   void MouseMove()
   {
      zone_.OnMouseMove();
      Follow();
   }
   // Lets `ms` pass, firing the timer whenever its period is over.
   void Run(int ms)
   {
      Follow();
      const int end = now_ + ms;
      while (zone_.GetTimerMs() > 0 && due_ <= end) {
         now_ = due_;
         zone_.OnTimer(onZone_, onZone_ || onTarget_);
         // A timer started again counts from now; one left running keeps its period.
         if (serial_ == zone_.GetTimerSerial()) {
            due_ += zone_.GetTimerMs();
         }
         Follow();
      }
      now_ = end;
   }

private:
   void Follow()
   {
      if (serial_ != zone_.GetTimerSerial()) {
         serial_ = zone_.GetTimerSerial();
         due_ = now_ + zone_.GetTimerMs();
      }
   }

   HotZoneLogic &zone_;
   int now_ = 0;
   int due_ = 0;
   unsigned serial_ = 0;
   bool onZone_ = false;
   bool onTarget_ = false;
};

// A zone with a target, its slides as full screen sets them.
HotZoneLogic FullScreenZone(int showDelay, int hideDelay)
{
   HotZoneLogic zone;
   zone.SetShowDelay(showDelay);
   zone.SetHideDelay(hideDelay);
   zone.SetMargin(3);
   zone.SetTarget(true);
   return zone;
}

TEST(HotZone, SlidesInAfterTheShowDelayAndOutAfterTheHideDelay)
{
   HotZoneLogic zone = FullScreenZone(400, 1000);
   Clock clock(zone);
   EXPECT_EQ(HotZoneLogic::IDLE, zone.GetState());
   clock.PointerOnZone(true);
   clock.MouseMove();
   EXPECT_EQ(HotZoneLogic::WAITING_TO_SHOW, zone.GetState());
   clock.Run(399);
   EXPECT_EQ(0, zone.GetStep()) << "nothing before the delay";
   clock.Run(1);
   EXPECT_EQ(HotZoneLogic::SLIDING_IN, zone.GetState());
   EXPECT_EQ(1, zone.GetStep()) << "the first step at once";
   clock.Run(9 * HotZoneLogic::kSlideMs);
   EXPECT_EQ(HotZoneLogic::SHOWN, zone.GetState());
   EXPECT_EQ(HotZoneLogic::kSteps, zone.GetStep());
   EXPECT_EQ(HotZoneLogic::kPollMs, zone.GetTimerMs());
   // The pointer goes from the zone onto the bar: it stays.
   clock.PointerOnZone(false);
   clock.PointerOnTarget(true);
   clock.Run(3000);
   EXPECT_EQ(HotZoneLogic::SHOWN, zone.GetState());
   // Away: the next poll starts the hide delay, which ends in the slide out.
   clock.PointerOnTarget(false);
   clock.Run(HotZoneLogic::kPollMs);
   EXPECT_EQ(HotZoneLogic::WAITING_TO_HIDE, zone.GetState());
   clock.Run(999);
   EXPECT_EQ(HotZoneLogic::WAITING_TO_HIDE, zone.GetState());
   clock.Run(1);
   EXPECT_EQ(HotZoneLogic::SLIDING_OUT, zone.GetState());
   EXPECT_EQ(9, zone.GetStep());
   clock.Run(9 * HotZoneLogic::kSlideMs);
   EXPECT_EQ(HotZoneLogic::IDLE, zone.GetState());
   EXPECT_EQ(0, zone.GetStep());
   EXPECT_EQ(0, zone.GetTimerMs()) << "no timer once hidden";
   EXPECT_FALSE(zone.TargetVisible());
}

TEST(HotZone, PointerBackDuringTheHideDelayKeepsTheBar)
{
   HotZoneLogic zone = FullScreenZone(0, 500);
   Clock clock(zone);
   clock.PointerOnZone(true);
   clock.MouseMove();
   clock.Run(300);
   ASSERT_EQ(HotZoneLogic::SHOWN, zone.GetState());
   clock.PointerOnZone(false);
   clock.Run(HotZoneLogic::kPollMs);
   ASSERT_EQ(HotZoneLogic::WAITING_TO_HIDE, zone.GetState());
   clock.PointerOnTarget(true);
   clock.Run(500);
   EXPECT_EQ(HotZoneLogic::SHOWN, zone.GetState());
   EXPECT_EQ(HotZoneLogic::kSteps, zone.GetStep());
}

TEST(HotZone, NoDelaysSlideAtTheFirstMoveAndTheFirstPollAway)
{
   HotZoneLogic zone = FullScreenZone(0, 0);
   Clock clock(zone);
   clock.PointerOnZone(true);
   clock.MouseMove();
   EXPECT_EQ(HotZoneLogic::SLIDING_IN, zone.GetState()) << "no wait for the show delay";
   clock.Run(9 * HotZoneLogic::kSlideMs);
   ASSERT_EQ(HotZoneLogic::SHOWN, zone.GetState());
   clock.PointerOnZone(false);
   clock.Run(HotZoneLogic::kPollMs);
   EXPECT_EQ(HotZoneLogic::SLIDING_OUT, zone.GetState());
}

TEST(HotZone, LeavingBeforeTheShowDelayEndsCancelsTheSlide)
{
   HotZoneLogic zone = FullScreenZone(400, 100);
   Clock clock(zone);
   clock.PointerOnZone(true);
   clock.MouseMove();
   clock.Run(200);
   clock.PointerOnZone(false);
   clock.Run(1000);
   EXPECT_EQ(HotZoneLogic::IDLE, zone.GetState());
   EXPECT_EQ(0, zone.GetStep());
   EXPECT_EQ(0, zone.GetTimerMs());
   // Moves while waiting do not restart the delay.
   clock.PointerOnZone(true);
   clock.MouseMove();
   clock.Run(300);
   clock.MouseMove();
   clock.Run(100);
   EXPECT_EQ(HotZoneLogic::SLIDING_IN, zone.GetState());
}

TEST(HotZone, PinnedBarShowsAtOnceAndNeverHides)
{
   HotZoneLogic zone = FullScreenZone(400, 0);
   Clock clock(zone);
   zone.SetPinned(true);
   EXPECT_EQ(HotZoneLogic::SHOWN, zone.GetState()) << "within one step";
   EXPECT_EQ(HotZoneLogic::kSteps, zone.GetStep());
   clock.Run(5000);
   EXPECT_EQ(HotZoneLogic::SHOWN, zone.GetState());
   zone.SetPinned(false);
   clock.Run(HotZoneLogic::kPollMs + 9 * HotZoneLogic::kSlideMs);
   EXPECT_EQ(HotZoneLogic::IDLE, zone.GetState());
   // Without a target pinning only stores the flag.
   HotZoneLogic bare;
   bare.SetPinned(true);
   EXPECT_TRUE(bare.GetPinned());
   EXPECT_EQ(HotZoneLogic::IDLE, bare.GetState());
   bare.OnMouseMove();
   EXPECT_EQ(HotZoneLogic::IDLE, bare.GetState()) << "nothing to slide";
}

TEST(HotZone, PositionSlidesFromAboveTheEdgeToTheMargin)
{
   HotZoneLogic zone = FullScreenZone(0, 0);
   Clock clock(zone);
   const int height = 26;
   EXPECT_EQ(-height, zone.Position(0, height)) << "hidden above the edge";
   clock.PointerOnZone(true);
   clock.MouseMove();
   EXPECT_EQ(-23, zone.Position(0, height)) << "step 1: 0 - (9 * 26) / 10";
   clock.Run(9 * HotZoneLogic::kSlideMs);
   EXPECT_EQ(-3, zone.Position(0, height)) << "shown: the margin above the edge";
   EXPECT_EQ(7, zone.Position(10, height)) << "measured from the zone's top";
   // A peek height keeps part of the bar in sight when hidden.
   HotZoneLogic peek = FullScreenZone(0, 0);
   peek.SetPeekHeight(3);
   EXPECT_EQ(0, peek.GetStep());
   EXPECT_TRUE(peek.TargetVisible());
   EXPECT_EQ(3 - height, peek.Position(0, height));
}

TEST(HotZone, SettersClamp)
{
   HotZoneLogic zone;
   zone.SetShowDelay(9000);
   EXPECT_EQ(5000, zone.GetShowDelay());
   zone.SetShowDelay(-5);
   EXPECT_EQ(0, zone.GetShowDelay());
   zone.SetHideDelay(5001);
   EXPECT_EQ(5000, zone.GetHideDelay());
   zone.SetMargin(7);
   EXPECT_EQ(5, zone.GetMargin());
   zone.SetPeekHeight(-2);
   EXPECT_EQ(0, zone.GetPeekHeight());
   zone.SetPeekHeight(11);
   EXPECT_EQ(10, zone.GetPeekHeight());
}

TEST(HotZone, NewTargetHidesAtOnce)
{
   HotZoneLogic zone = FullScreenZone(0, 0);
   Clock clock(zone);
   zone.SetPinned(true);
   ASSERT_EQ(HotZoneLogic::SHOWN, zone.GetState());
   unsigned placed = zone.GetPlaceSerial();
   zone.SetTarget(true);
   EXPECT_EQ(0, zone.GetStep());
   EXPECT_EQ(HotZoneLogic::IDLE, zone.GetState());
   EXPECT_NE(placed, zone.GetPlaceSerial()) << "the new target is placed";
}

}  // namespace

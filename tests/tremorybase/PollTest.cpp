#include "tremorybase/Config.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

#include "TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

namespace {

typedef std::chrono::steady_clock Clock;

long long MsSince(Clock::time_point start)
{
   return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

class PollTest : public ::testing::Test {
protected:
   void SetUp() override { Poll_Reset(); }
   void TearDown() override { Poll_Reset(); }
};

}  // namespace

TEST_F(PollTest, PostedCallbacksRunInOrderAndLaterPostsWaitForTheNextStep)
{
   std::string trace;
   Poll_Post([&] {
      trace += "a";
      Poll_Post([&] { trace += "c"; });
   });
   Poll_Post([&] { trace += "b"; });

   EXPECT_EQ(2, Poll_Step(0));
   EXPECT_EQ("ab", trace);
   EXPECT_EQ(1, Poll_Step(0));
   EXPECT_EQ("abc", trace);
   EXPECT_EQ(0, Poll_Step(0));
}

TEST_F(PollTest, TimersRunWhenDueOnceOrPeriodically)
{
   int once = 0;
   int periodic = 0;
   Poll_AddTimer(30, false, [&] { once++; });
   PollTimerId id = Poll_AddTimer(20, true, [&] { periodic++; });
   EXPECT_NE(0u, id);

   EXPECT_EQ(0, Poll_Step(0));   // nothing is due yet
   EXPECT_TRUE(Poll_RunUntil([&] { return periodic >= 4; }, 5000));
   EXPECT_EQ(1, once);

   Poll_RemoveTimer(id);
   int seen = periodic;
   // A periodic timer of 0 ms still lets an idle step sleep between its runs.
   int busy = 0;
   PollTimerId busyId = Poll_AddTimer(0, true, [&] { busy++; });
   EXPECT_FALSE(Poll_RunUntil([] { return false; }, 50));
   EXPECT_LE(busy, 200);   // about one run per millisecond, not thousands
   Poll_RemoveTimer(busyId);
   EXPECT_FALSE(Poll_RunUntil([&] { return periodic > seen; }, 100));
   EXPECT_EQ(seen, periodic);
   EXPECT_EQ(1, once);
}

TEST_F(PollTest, NestedStepsKeepPostingOrder)
{
   std::string trace;
   Poll_Post([&] {
      trace += "1";
      Poll_Post([&] { trace += "4"; });
      // A nested step runs what the outer step left pending, then what was posted since.
      EXPECT_EQ(3, Poll_Step(0));
      trace += "|";
   });
   Poll_Post([&] { trace += "2"; });
   Poll_Post([&] { trace += "3"; });
   Poll_Step(0);
   EXPECT_EQ("1234|", trace);

   // A callback may wait for something only a later step brings.
   bool inner = false;
   bool outerDone = false;
   Poll_Post([&] {
      Poll_AddTimer(10, false, [&] { inner = true; });
      EXPECT_TRUE(Poll_RunUntil([&] { return inner; }, 2000));
      outerDone = true;
   });
   Poll_Step(0);
   EXPECT_TRUE(outerDone);
}

TEST_F(PollTest, TimerRemovedInsideACallbackDoesNotRun)
{
   int firstRuns = 0;
   int secondRuns = 0;
   PollTimerId second = 0;
   Poll_AddTimer(0, false, [&] {
      firstRuns++;
      Poll_RemoveTimer(second);
   });
   second = Poll_AddTimer(0, false, [&] { secondRuns++; });

   int selfRuns = 0;
   PollTimerId self = 0;
   self = Poll_AddTimer(5, true, [&] {
      selfRuns++;
      Poll_RemoveTimer(self);   // its own function must outlive the removal
   });

   Sleep(20);
   Poll_RunUntil([] { return false; }, 100);
   EXPECT_EQ(1, firstRuns);
   EXPECT_EQ(0, secondRuns);
   EXPECT_EQ(1, selfRuns);
}

TEST_F(PollTest, ExceptionsAreLoggedAndTheLoopGoesOn)
{
   TempDir dir;
   std::string logPath = dir.File("poll.log");
   Config_Set("ui.log.filename", logPath.c_str());
   ASSERT_TRUE(Log_Start("zolt", "ui.log.filename", ""));

   bool after = false;
   Poll_Post([] { throw std::runtime_error("disk vanished"); });
   Poll_Post([] { throw 42; });
   Poll_AddTimer(0, false, [] { throw std::logic_error("timer broke"); });
   Poll_Post([&] { after = true; });
   Sleep(5);
   EXPECT_EQ(4, Poll_Step(0));
   EXPECT_TRUE(after);
   Log_Stop();
   Config_Reload();

   std::string text = ReadTextFile(logPath);
   EXPECT_NE(std::string::npos, text.find("| Poll: Uncaught exception: disk vanished\n")) << text;
   EXPECT_NE(std::string::npos, text.find("| Poll: Uncaught exception.\n")) << text;
   EXPECT_NE(std::string::npos, text.find("| Poll: Uncaught exception: timer broke\n")) << text;
}

TEST_F(PollTest, ASleepingStepWakesForPostsTimersAndMessages)
{
   // Idle: it waits, and does not return at once.
   auto start = Clock::now();
   EXPECT_EQ(0, Poll_Step(150));
   EXPECT_GE(MsSince(start), 100);

   // A post from another thread ends the wait long before maxWaitMs.
   bool ran = false;
   std::thread poster([&] {
      Sleep(100);
      Poll_Post([&] { ran = true; });
   });
   start = Clock::now();
   EXPECT_EQ(1, Poll_Step(5000));
   long long waited = MsSince(start);
   poster.join();
   EXPECT_TRUE(ran);
   EXPECT_LT(waited, 2000);

   // The next timer bounds the wait, and the step runs it.
   bool fired = false;
   Poll_AddTimer(100, false, [&] { fired = true; });
   start = Clock::now();
   Poll_Step(5000);
   waited = MsSince(start);
   EXPECT_TRUE(fired);
   EXPECT_GE(waited, 90);
   EXPECT_LT(waited, 2000);

   // A window message for this thread ends the wait; the caller pumps it.
   MSG msg;
   PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);   // make sure the thread has a queue
   DWORD self = GetCurrentThreadId();
   std::thread messenger([&] {
      Sleep(100);
      PostThreadMessageA(self, WM_APP + 7, 0, 0);
   });
   start = Clock::now();
   EXPECT_EQ(0, Poll_Step(5000));
   waited = MsSince(start);
   messenger.join();
   EXPECT_LT(waited, 2000);
   ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_APP + 7, WM_APP + 7, PM_REMOVE));
}

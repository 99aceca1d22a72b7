// The scope guard: its cleanup runs once however the scope ends, and never hides the failure
// that is already on its way out.
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"
#include "tremorybase/ScopeGuard.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

struct WorkFailed : std::runtime_error {
   WorkFailed() : std::runtime_error("work failed") {}
};
struct CleanupFailed : std::runtime_error {
   CleanupFailed() : std::runtime_error("cleanup failed") {}
};

// Opens a "batch", does the work and leaves the closing to the guard, as the program does.
int RunBatch(int &closes, bool fail, bool commit)
{
   ScopeGuard close([&closes]() { ++closes; });
   if (fail) {
      throw WorkFailed();
   }
   if (commit) {
      close.Dismiss();
      return 2;
   }
   return 1;
}

}  // namespace

TEST(ScopeGuard, CleanupRunsOnceOnReturnAndOnThrowAndNotWhenDismissed)
{
   int closes = 0;
   EXPECT_EQ(RunBatch(closes, false, false), 1);
   EXPECT_EQ(closes, 1);
   EXPECT_THROW(RunBatch(closes, true, false), WorkFailed);
   EXPECT_EQ(closes, 2) << "the exception path undoes as well";
   EXPECT_EQ(RunBatch(closes, false, true), 2);
   EXPECT_EQ(closes, 2) << "a dismissed guard leaves the work alone";

   // Guards end in reverse order of their making, as the undo steps must.
   std::string order;
   {
      ScopeGuard first([&order]() { order += "1"; });
      ScopeGuard second([&order]() { order += "2"; });
   }
   EXPECT_EQ(order, "21");
}

TEST(ScopeGuard, AFailingCleanupThrowsOnlyWhenNothingElseIsOnItsWay)
{
   // Left normally, the cleanup's failure is the caller's to see.
   auto leaveNormally = []() { ScopeGuard failing([]() { throw CleanupFailed(); }); };
   EXPECT_THROW(leaveNormally(), CleanupFailed);

   // Left by the work's failure, that failure goes on and the cleanup's is logged and dropped.
   TempDir dir;
   const std::string logPath = dir.File("guard.log");
   Config_Set("test.guard.log", logPath.c_str());
   ASSERT_TRUE(Log_Start("guard", "test.guard.log", ""));
   bool laterCleanupRan = false;
   auto failBoth = [&laterCleanupRan]() {
      ScopeGuard later([&laterCleanupRan]() { laterCleanupRan = true; });
      ScopeGuard failing([]() { throw CleanupFailed(); });
      throw WorkFailed();
   };
   EXPECT_THROW(failBoth(), WorkFailed);
   EXPECT_TRUE(laterCleanupRan) << "one failed cleanup does not stop the next";
   Log_Stop();
   EXPECT_NE(ReadTextFile(logPath).find("ScopeGuard: a cleanup failed while an exception was on its way"),
             std::string::npos);

   // A guard made while another exception is unwinding still throws from its own normal exit.
   struct Unwinder {
      bool sawCleanupFailure = false;
      ~Unwinder()
      {
         try {
            ScopeGuard inner([]() { throw CleanupFailed(); });
         } catch (const CleanupFailed &) {
            sawCleanupFailure = true;
         }
         seen = sawCleanupFailure;
      }
      bool &seen;
   };
   bool seen = false;
   try {
      Unwinder unwinder{false, seen};
      throw WorkFailed();
   } catch (const WorkFailed &) {
   }
   EXPECT_TRUE(seen) << "only the exceptions that began before the guard make it quiet";
}

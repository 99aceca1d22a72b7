#include "tremorybase/Poll.h"

#include "tremorybase/Log.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <deque>
#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace {

typedef std::chrono::steady_clock Clock;

struct Posted {
   unsigned long long seq;
   std::function<void()> fn;
};

struct Timer {
   Clock::time_point due;
   std::chrono::milliseconds period;
   bool periodic;
   std::function<void()> fn;
};

// Posting may come from another thread; timers belong to the one user-interface thread.
struct PollState {
   std::mutex postLock;
   std::deque<Posted> posted;
   unsigned long long nextSeq = 0;
   HANDLE wakeEvent = nullptr;
   std::function<void()> wakeHook;   // called, under the lock, when a post arrives

   std::map<PollTimerId, std::shared_ptr<Timer>> timers;
   PollTimerId nextTimerId = 1;
};

PollState &State()
{
   static PollState state;
   return state;
}

HANDLE WakeEvent(PollState &s)
{
   std::lock_guard<std::mutex> hold(s.postLock);
   if (!s.wakeEvent) {
      s.wakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
   }
   return s.wakeEvent;
}

void RunGuarded(const std::function<void()> &fn)
{
   try {
      fn();
   } catch (const std::exception &e) {
      Warning("Poll: Uncaught exception: %s\n", e.what());
   } catch (...) {
      Warning("Poll: Uncaught exception.\n");
   }
}

// Runs the callbacks posted before `limit` in posting order. A nested step shares the queue, so
// what an outer step left pending still runs before anything posted later.
int RunPosted(PollState &s, unsigned long long limit)
{
   int count = 0;
   for (;;) {
      std::function<void()> fn;
      {
         std::lock_guard<std::mutex> hold(s.postLock);
         if (s.posted.empty() || s.posted.front().seq >= limit) {
            break;
         }
         fn = std::move(s.posted.front().fn);
         s.posted.pop_front();
      }
      RunGuarded(fn);
      count++;
   }
   return count;
}

int RunDueTimers(PollState &s)
{
   Clock::time_point now = Clock::now();
   std::vector<std::pair<Clock::time_point, PollTimerId>> due;
   for (const auto &t : s.timers) {
      if (t.second->due <= now) {
         due.emplace_back(t.second->due, t.first);
      }
   }
   std::sort(due.begin(), due.end());

   int count = 0;
   for (const auto &d : due) {
      auto it = s.timers.find(d.second);
      // Removed, or already run by a nested step, since the list was made.
      if (it == s.timers.end() || it->second->due > now) {
         continue;
      }
      // Holding the timer keeps its function alive if the callback removes it.
      std::shared_ptr<Timer> timer = it->second;
      if (timer->periodic) {
         timer->due += timer->period;
         if (timer->due <= now) {
            timer->due = now + timer->period;
         }
      } else {
         s.timers.erase(it);
      }
      RunGuarded(timer->fn);
      count++;
   }
   return count;
}

int RunDue(PollState &s)
{
   unsigned long long limit;
   {
      std::lock_guard<std::mutex> hold(s.postLock);
      limit = s.nextSeq;
   }
   int count = RunPosted(s, limit);
   return count + RunDueTimers(s);
}

}  // namespace

int Poll_Step(unsigned maxWaitMs)
{
   PollState &s = State();
   HANDLE wake = WakeEvent(s);
   // A wake-up meant for posts this step is about to run must not cut the next wait short.
   ResetEvent(wake);
   int count = RunDue(s);
   if (count > 0 || maxWaitMs == 0) {
      return count;
   }

   DWORD wait = maxWaitMs;
   if (!s.timers.empty()) {
      Clock::time_point next = Clock::time_point::max();
      for (const auto &t : s.timers) {
         next = std::min(next, t.second->due);
      }
      auto untilNext = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
      // Round up so the timer is due when the wait ends, instead of waking once too early.
      untilNext = std::max<long long>(0, untilNext + 1);
      if (untilNext < static_cast<long long>(wait)) {
         wait = static_cast<DWORD>(untilNext);
      }
   }
   {
      std::lock_guard<std::mutex> hold(s.postLock);
      if (!s.posted.empty()) {
         wait = 0;
      }
   }
   if (wait > 0) {
      MsgWaitForMultipleObjects(1, &wake, FALSE, wait, QS_ALLINPUT);
   }
   return RunDue(s);
}

void Poll_Post(std::function<void()> fn)
{
   PollState &s = State();
   HANDLE wake = WakeEvent(s);
   {
      std::lock_guard<std::mutex> hold(s.postLock);
      s.posted.push_back(Posted{s.nextSeq++, std::move(fn)});
      if (s.wakeHook) {
         s.wakeHook();
      }
   }
   SetEvent(wake);
}

void Poll_SetWakeHook(std::function<void()> hook)
{
   PollState &s = State();
   std::lock_guard<std::mutex> hold(s.postLock);
   s.wakeHook = std::move(hook);
}

unsigned Poll_MsUntilDue()
{
   PollState &s = State();
   {
      std::lock_guard<std::mutex> hold(s.postLock);
      if (!s.posted.empty()) {
         return 0;
      }
   }
   if (s.timers.empty()) {
      return kPollNothingDue;
   }
   Clock::time_point next = Clock::time_point::max();
   for (const auto &t : s.timers) {
      next = std::min(next, t.second->due);
   }
   auto untilNext = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
   // Rounded up, so the timer is due when that time has passed.
   return untilNext <= 0 ? 0 : static_cast<unsigned>(std::min<long long>(untilNext + 1, kPollNothingDue - 1));
}

PollTimerId Poll_AddTimer(unsigned delayMs, bool periodic, std::function<void()> fn)
{
   PollState &s = State();
   PollTimerId id = s.nextTimerId++;
   while (id == 0 || s.timers.count(id)) {
      id = s.nextTimerId++;
   }
   auto timer = std::make_shared<Timer>();
   timer->due = Clock::now() + std::chrono::milliseconds(delayMs);
   // A periodic timer of 0 ms would always be due, and the loop would never sleep.
   timer->period = std::chrono::milliseconds(periodic && delayMs == 0 ? 1 : delayMs);
   timer->periodic = periodic;
   timer->fn = std::move(fn);
   s.timers[id] = std::move(timer);
   return id;
}

void Poll_RemoveTimer(PollTimerId id)
{
   State().timers.erase(id);
}

bool Poll_RunUntil(const std::function<bool()> &done, long timeoutMs)
{
   Clock::time_point start = Clock::now();
   for (;;) {
      if (done()) {
         return true;
      }
      // The condition may change without a post (a window message handler), so look again
      // now and then even when nothing wakes the step.
      long long slice = 100;
      if (timeoutMs >= 0) {
         auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
         if (elapsed >= timeoutMs) {
            return done();
         }
         slice = std::min<long long>(slice, timeoutMs - elapsed);
      }
      Poll_Step(static_cast<unsigned>(slice));
   }
}

void Poll_Reset()
{
   PollState &s = State();
   std::deque<Posted> dropped;
   {
      std::lock_guard<std::mutex> hold(s.postLock);
      dropped.swap(s.posted);
   }
   // Destroyed outside the lock: a callback's captures may post from their destructors.
   s.timers.clear();
}

// The poll loop: timers and queued callbacks, all run on the one user-interface thread.
// Poll_Step runs what is due; when nothing is, it sleeps until the next timer, a window message
// or a Poll_Post (MsgWaitForMultipleObjects), at most `maxWaitMs`. It does not remove window
// messages: the caller's loop pumps them. Poll_Post may be called from any thread; everything
// else belongs to the user-interface thread. An exception thrown by a callback is logged as a
// warning and the loop goes on.
#pragma once

#include <functional>

typedef unsigned PollTimerId;

// One step: runs every callback posted before the step began, then every due timer.
// Returns the number of callbacks and timers run. Safe to call from inside a callback
// (a nested step runs what is pending then and there).
int Poll_Step(unsigned maxWaitMs = 50);

// Queues `fn` for the next step (in posting order) and wakes a sleeping step.
void Poll_Post(std::function<void()> fn);

// A loop other than the poll loop's (a modal dialog's) learns of posts through the hook, which
// runs on the posting thread, under the queue's lock: it may post a window message, nothing
// more. An empty hook removes it.
void Poll_SetWakeHook(std::function<void()> hook);

// Milliseconds until something is due: 0 when a post waits or a timer is due now,
// kPollNothingDue when there is nothing at all.
const unsigned kPollNothingDue = 0xFFFFFFFFu;
unsigned Poll_MsUntilDue();

// Runs `fn` after `delayMs`, once or every `delayMs` when `periodic`. 0 is never a valid id.
PollTimerId Poll_AddTimer(unsigned delayMs, bool periodic, std::function<void()> fn);
void Poll_RemoveTimer(PollTimerId id);

// Runs steps until `done()` answers true or `timeoutMs` passes (-1: no limit). True when done.
bool Poll_RunUntil(const std::function<bool()> &done, long timeoutMs);

// Drops every timer and queued callback (shutdown, tests).
void Poll_Reset();

// Bounded waiting: the one loop every harness wait goes through.
#pragma once

#include <windows.h>

#include <functional>

namespace e2e {

// Default bounds, generous enough for a cold Wine start of a GUI program.
constexpr DWORD kStartTimeoutMs = 20000;
constexpr DWORD kReplyTimeoutMs = 5000;
constexpr DWORD kKillTimeoutMs = 10000;

// Asks `done` every `intervalMs` until it says true (true) or `timeoutMs` pass (false). The
// calling thread's own windows keep receiving messages meanwhile.
bool WaitUntil(const std::function<bool()> &done, DWORD timeoutMs, DWORD intervalMs = 20);

} // namespace e2e

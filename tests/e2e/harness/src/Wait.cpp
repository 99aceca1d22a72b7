#include "e2e/Wait.h"

namespace e2e {

namespace {

void PumpMessages()
{
   MSG msg;
   while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
   }
}

} // namespace

bool WaitUntil(const std::function<bool()> &done, DWORD timeoutMs, DWORD intervalMs)
{
   const ULONGLONG deadline = GetTickCount64() + timeoutMs;
   for (;;) {
      if (done()) {
         return true;
      }
      ULONGLONG now = GetTickCount64();
      if (now >= deadline) {
         return false;
      }
      DWORD slice = static_cast<DWORD>(deadline - now < intervalMs ? deadline - now : intervalMs);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, slice, QS_ALLINPUT);
      PumpMessages();
   }
}

} // namespace e2e

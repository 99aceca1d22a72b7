#include "zoltHandOff.h"

#include <cstring>

namespace {

const wchar_t kFrameClass[] = L"ZOLTFrame";

// The window's answer; a hung or vanished window answers 0.
LRESULT Offer(HWND window, ULONG_PTR kind, const char *commandLine)
{
   COPYDATASTRUCT data;
   data.dwData = kind;
   data.cbData = static_cast<DWORD>(strlen(commandLine) + 1);
   data.lpData = const_cast<char *>(commandLine);
   DWORD_PTR answer = 0;
   // A hung instance must not hang this one: no answer in time is a refusal.
   if (!SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG,
                            kHandOffTimeoutMs, &answer)) {
      return 0;
   }
   return static_cast<LRESULT>(answer);
}

}  // namespace

bool HandOffCommandLine(const char *commandLine)
{
   if (!commandLine || !*commandLine) {
      return false;
   }
   for (HWND window = FindWindowExW(nullptr, nullptr, kFrameClass, nullptr); window;
        window = FindWindowExW(nullptr, window, kFrameClass, nullptr)) {
      if (Offer(window, 0, commandLine) == 0) {
         continue;
      }
      if (Offer(window, 1, commandLine) == 0) {
         // It would take it but did not: start by ourselves rather than ask the others.
         return false;
      }
      if (IsIconic(window)) {
         ShowWindowAsync(window, SW_RESTORE);
      }
      SetForegroundWindow(window);
      return true;
   }
   return false;
}

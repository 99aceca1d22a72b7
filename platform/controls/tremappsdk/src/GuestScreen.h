// The simulated guest display of a running machine: a text-mode start-up screen for the first
// seconds after power-on, then a desktop with a window that names the machine.
#pragma once

#include <windows.h>

#include <string>

namespace tremappsdk {

struct GuestInfo {
   std::wstring name;      // the machine's display name
   std::wstring guestOS;   // the guest system's name shown to users
   std::wstring guestId;   // its id ("winxp", "linux26", ...)
   long memoryMB = 0;
   long cpuCount = 1;
};

class GuestScreen {
public:
   static constexpr DWORD kBootMs = 4000;

   // Where a guest screen of `guestW` x `guestH` goes in a client area of `clientW` x `clientH`:
   // scaled down (never up) to fit with its aspect kept, centred.
   static RECT Fit(int guestW, int guestH, int clientW, int clientH);
   // The same in full screen, by the user's choice: 0 scaled up or down with its aspect kept,
   // 1 stretched over the whole area, 2 at its own size, centred (cut by the area).
   static RECT FitFullScreen(int guestW, int guestH, int clientW, int clientH, int mode);
   // "h:mm:ss".
   static std::wstring Uptime(DWORD ms);

   // Draws the screen of a machine that has been up `uptimeMs` into `screen`.
   static void Draw(HDC dc, const RECT &screen, const GuestInfo &info, DWORD uptimeMs);

private:
   static void DrawBoot(HDC dc, const RECT &screen, const GuestInfo &info, DWORD uptimeMs);
   static void DrawDesktop(HDC dc, const RECT &screen, const GuestInfo &info, DWORD uptimeMs);
};

}  // namespace tremappsdk

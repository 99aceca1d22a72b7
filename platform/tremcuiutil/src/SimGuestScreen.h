// The simulated guest's screen: a desktop with the machine's name, its guest operating system
// and a status line. Saved as a small BMP when a machine is suspended.
#pragma once

#include <windows.h>

#include <string>

namespace cuisim {

struct SimGuestScreen {
   std::string machineName;
   std::string guestName;   // the guest operating system as users know it
   std::string status;      // "Up 0:03:12", ...

   static const int kWidth = 320;
   static const int kHeight = 240;

   void Draw(HDC dc, const RECT &rect) const;
   // Writes a 24-bit BMP of kWidth x kHeight to `path` (a temporary name renamed over it).
   bool SaveBitmap(const std::string &path, std::string &error) const;
};

}  // namespace cuisim

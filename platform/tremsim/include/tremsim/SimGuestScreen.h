// The simulated guest's screen: a desktop with the machine's name, its guest operating system
// and a status line. Saved as a small BMP when a machine is suspended.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace cuisim {

struct SimGuestScreen {
   std::string machineName;
   std::string guestName;   // the guest operating system as users know it
   std::string status;      // "Up 0:03:12", ...

   static const int kWidth = 320;
   static const int kHeight = 240;

   void Draw(HDC dc, const RECT &rect) const;
   // The screen drawn at `width` x `height` as 24-bit rows, bottom-up, each padded to 4 bytes.
   bool Render(int width, int height, std::vector<char> &pixels, std::string &error) const;
   // Writes a 24-bit BMP of kWidth x kHeight (or the size given) to `path` (a temporary name
   // renamed over it).
   bool SaveBitmap(const std::string &path, std::string &error) const;
   bool SaveBitmap(const std::string &path, int width, int height, std::string &error) const;
};

}  // namespace cuisim

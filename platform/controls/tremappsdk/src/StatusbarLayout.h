// Where the status bar draws its parts: the text at the left, then one box per device, the
// movie-capture indicator and the size grip at the right.
#pragma once

#include <windows.h>

#include <vector>

namespace tremappsdk {

struct StatusbarLayout {
   static constexpr int kDeviceWidth = 22;
   static constexpr int kRecordWidth = 90;
   static constexpr int kGripWidth = 16;

   RECT text = {};
   std::vector<RECT> devices;
   RECT record = {};   // empty without a capture
   RECT grip = {};     // empty without a grip

   // Parts that do not fit are dropped from the left side of the device row; the text keeps
   // whatever width is left (at least none).
   static StatusbarLayout Compute(int width, int height, size_t deviceCount, bool recording, bool grip);
   // The index of the device box at `pt`, -1 when none.
   int DeviceAt(POINT pt) const;
};

}  // namespace tremappsdk

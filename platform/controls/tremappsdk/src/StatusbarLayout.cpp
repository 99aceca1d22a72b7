#include "StatusbarLayout.h"

namespace tremappsdk {

StatusbarLayout StatusbarLayout::Compute(int width, int height, size_t deviceCount, bool recording, bool grip)
{
   StatusbarLayout layout;
   int right = width;
   if (grip) {
      layout.grip = RECT{right - kGripWidth, 0, right, height};
      right -= kGripWidth;
   }
   if (recording) {
      layout.record = RECT{right - kRecordWidth, 2, right - 2, height - 2};
      right -= kRecordWidth;
   }
   // Devices take the room right of a minimum text width; the rest are left out.
   const int minText = 100;
   size_t fits = right > minText ? static_cast<size_t>((right - minText) / kDeviceWidth) : 0;
   size_t shown = deviceCount < fits ? deviceCount : fits;
   int left = right - static_cast<int>(shown) * kDeviceWidth;
   for (size_t i = 0; i < shown; i++) {
      int x = left + static_cast<int>(i) * kDeviceWidth;
      layout.devices.push_back(RECT{x, 2, x + kDeviceWidth - 2, height - 2});
   }
   layout.text = RECT{4, 2, left > 8 ? left - 4 : 4, height - 2};
   return layout;
}

int StatusbarLayout::DeviceAt(POINT pt) const
{
   for (size_t i = 0; i < devices.size(); i++) {
      if (PtInRect(&devices[i], pt)) {
         return static_cast<int>(i);
      }
   }
   return -1;
}

}  // namespace tremappsdk

#include "cui/USBHistory.h"

#include <algorithm>

namespace cui {

USBHistoryImpl::USBHistoryImpl() = default;

USBHistoryImpl::~USBHistoryImpl() = default;

void USBHistoryImpl::Add(const std::string &deviceId)
{
   devices_.erase(std::remove(devices_.begin(), devices_.end(), deviceId), devices_.end());
   devices_.insert(devices_.begin(), deviceId);
   if (devices_.size() > kMaxDevices) {
      devices_.resize(kMaxDevices);
   }
}

}  // namespace cui

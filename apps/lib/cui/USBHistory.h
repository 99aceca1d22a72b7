// The USB devices seen during the run, most recent first.
#pragma once

#include <string>
#include <vector>

namespace cui {

class USBHistoryImpl {
public:
   static const size_t kMaxDevices = 16;

   USBHistoryImpl();
   ~USBHistoryImpl();

   // Puts the device (by its id text) first; drops the oldest beyond kMaxDevices.
   void Add(const std::string &deviceId);
   const std::vector<std::string> &GetDevices() const { return devices_; }

private:
   std::vector<std::string> devices_;
};

}  // namespace cui

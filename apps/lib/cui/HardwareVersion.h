// A machine's virtual hardware generation and the product release whose machines it matches:
// the configuration's "hardwareVersion" and "productCompat". An upgrade raises both to the
// newest generation the host offers.
#pragma once

#include <string>

namespace cui {

class HardwareVersion {
public:
   // The oldest generation the host still runs and the one an upgrade goes to.
   static const int kOldest = 3;
   static const int kNewest = 6;

   // `productCompat` 0: the release that first offered `version`.
   HardwareVersion(int version, int productCompat) : version_(version), productCompat_(productCompat) {}

   int GetVersion() const { return version_; }
   // The product release the hardware matches; 0 for a generation the host does not know.
   int GetProductCompat() const;
   bool IsNewest() const { return version_ >= kNewest; }
   // "Tremory Deskmoor 5.x (hardware version 4)"; "Hardware version 9" for a generation the
   // host does not know.
   std::string GetVMVersionDescription() const;

   // The release that first offered `version`; 0 when none did.
   static int ProductOf(int version);

private:
   int version_;
   int productCompat_;
};

}  // namespace cui

#include "cui/HardwareVersion.h"

#include "cui/LocalizedString.h"

namespace cui {

int HardwareVersion::ProductOf(int version)
{
   // Generation 5 was never released on its own: its machines are those of release 6.
   switch (version) {
      case 3:
         return 4;
      case 4:
         return 5;
      case 5:
      case 6:
         return 6;
      default:
         return 0;
   }
}

int HardwareVersion::GetProductCompat() const
{
   return productCompat_ > 0 ? productCompat_ : ProductOf(version_);
}

std::string HardwareVersion::GetVMVersionDescription() const
{
   int product = GetProductCompat();
   if (product <= 0 || version_ <= 0) {
      return Format("@&!*@*@(msg.hardware.unknown)Hardware version %d", version_);
   }
   return Format("@&!*@*@(msg.hardware.description)Tremory Deskmoor %d.x (hardware version %d)", product, version_);
}

}  // namespace cui

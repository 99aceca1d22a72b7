// The guest operating systems a machine can be made for: the id kept in the configuration
// ("guestOS") and in the database, the name shown to users, and the defaults a new machine of
// that kind starts with.
#pragma once

#include <cstddef>
#include <string_view>

namespace cui {

struct GuestOSInfo {
   const char *id;
   const char *displayName;
   int defaultMemoryMB;
   int defaultDiskMB;
};

inline constexpr GuestOSInfo kGuestOSTable[] = {
   {"winxp", "Windows XP", 256, 8192},
   {"win2000", "Windows 2000", 256, 4096},
   {"win2003", "Windows Server 2003", 384, 8192},
   {"vista", "Windows Vista", 512, 16384},
   {"linux26", "Linux (2.6 kernel)", 256, 8192},
   {"linux24", "Linux (2.4 kernel)", 256, 4096},
   {"solaris10", "Solaris 10", 512, 8192},
   {"freebsd", "FreeBSD", 256, 4096},
   {"dos", "MS-DOS", 32, 2048},
   {"other", "Other", 256, 8192},
};

inline constexpr size_t kGuestOSCount = sizeof(kGuestOSTable) / sizeof(kGuestOSTable[0]);

// The entry of `id` (exact, ids are lower case); null when the table has none.
inline const GuestOSInfo *FindGuestOS(std::string_view id)
{
   for (const GuestOSInfo &os : kGuestOSTable) {
      if (id == os.id) {
         return &os;
      }
   }
   return nullptr;
}

// The entry for "other", used where a configuration names an id the table does not know.
inline const GuestOSInfo &OtherGuestOS()
{
   return kGuestOSTable[kGuestOSCount - 1];
}

// The place of `id` in kGuestOSTable (that of "other" for an id the table does not know): the
// guest icons of image lists follow the table's order.
inline size_t GuestOSIndex(std::string_view id)
{
   for (size_t i = 0; i < kGuestOSCount; ++i) {
      if (id == kGuestOSTable[i].id) {
         return i;
      }
   }
   return kGuestOSCount - 1;
}

}  // namespace cui

#include "cui/Util.h"

#include <cstdio>

namespace wui {
namespace util {

namespace {

// The events as Windows numbers them (pbt.h); some headers leave the older ones out.
struct PowerEvent {
   WPARAM id;
   const char *name;
};
const PowerEvent kEvents[] = {
   {0x0000, "PBT_APMQUERYSUSPEND"},       {0x0002, "PBT_APMQUERYSUSPENDFAILED"},
   {0x0004, "PBT_APMSUSPEND"},            {0x0006, "PBT_APMRESUMECRITICAL"},
   {0x0007, "PBT_APMRESUMESUSPEND"},      {0x0009, "PBT_APMBATTERYLOW"},
   {0x000A, "PBT_APMPOWERSTATUSCHANGE"},  {0x000B, "PBT_APMOEMEVENT"},
   {0x0012, "PBT_APMRESUMEAUTOMATIC"},    {0x8013, "PBT_POWERSETTINGCHANGE"},
};
const WPARAM kPowerSettingChange = 0x8013;

// The data of a power-setting change: the setting's id, the data's size, then the data.
struct PowerSetting {
   GUID setting;
   DWORD length;
};

}  // namespace

std::string GetPowerBroadcastText(WPARAM event, LPARAM data)
{
   const char *name = nullptr;
   for (const PowerEvent &known : kEvents) {
      if (known.id == event) {
         name = known.name;
      }
   }
   char text[160];
   if (!name) {
      snprintf(text, sizeof text, "unknown event 0x%lx", static_cast<unsigned long>(event));
      return text;
   }
   if (event != kPowerSettingChange || !data) {
      return name;
   }
   const auto *setting = reinterpret_cast<const PowerSetting *>(data);
   const GUID &g = setting->setting;
   snprintf(text, sizeof text, "%s {%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x} (%lu bytes)", name,
            static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
            g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7], static_cast<unsigned long>(setting->length));
   return text;
}

}  // namespace util
}  // namespace wui

// The simulated host's monitors: a host with several monitors stood for on one screen.
#include "cui/Util.h"

#include "tremorybase/Config.h"
#include "tremorybase/Log.h"

#include <cstdio>

namespace wui {
namespace util {

bool GetSimulatedMonitors(std::vector<RECT> &monitors)
{
   std::string text = Config_GetString("test.host.monitors", "");
   if (text.empty()) {
      return false;
   }
   std::vector<RECT> parsed;
   size_t start = 0;
   while (start < text.size()) {
      size_t end = text.find(';', start);
      if (end == std::string::npos) {
         end = text.size();
      }
      std::string entry = text.substr(start, end - start);
      long left = 0, top = 0, right = 0, bottom = 0;
      int used = 0;
      if (sscanf(entry.c_str(), "%ld,%ld,%ld,%ld%n", &left, &top, &right, &bottom, &used) != 4 ||
          used != static_cast<int>(entry.size()) || right <= left || bottom <= top) {
         Warning("test.host.monitors: ignored \"%s\"\n", text.c_str());
         return false;
      }
      parsed.push_back(RECT{left, top, right, bottom});
      start = end + 1;
   }
   monitors = parsed;
   return !monitors.empty();
}

}  // namespace util
}  // namespace wui

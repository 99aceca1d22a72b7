#include "cui/Util.h"

#include "cui/PathText.h"

namespace wui {
namespace util {

std::string GetLongPathNameA(const std::string &path, bool keepOnFailure)
{
   std::string longName;
   if (cuiutil::LongPathName(path, longName)) {
      return longName;
   }
   return keepOnFailure ? path : std::string();
}

}  // namespace util
}  // namespace wui

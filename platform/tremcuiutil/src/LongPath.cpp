#include "cui/Util.h"

#include <vector>

namespace wui {
namespace util {

std::string GetLongPathNameA(const std::string &path, bool keepOnFailure)
{
   if (path.empty()) {
      return path;
   }
   DWORD size = ::GetLongPathNameA(path.c_str(), nullptr, 0);
   if (size == 0) {
      return keepOnFailure ? path : std::string();
   }
   std::vector<char> buffer(size + 1, '\0');
   DWORD length = ::GetLongPathNameA(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
   if (length == 0 || length >= buffer.size()) {
      return keepOnFailure ? path : std::string();
   }
   return std::string(buffer.data(), length);
}

}  // namespace util
}  // namespace wui

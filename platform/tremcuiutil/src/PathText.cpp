#include "PathText.h"

#include <cctype>

namespace cuiutil {

std::string WithSlash(const std::string &path)
{
   if (path.empty() || path.back() == '/') {
      return path;
   }
   return path + "/";
}

std::string WithoutSlash(const std::string &path)
{
   std::string out = path;
   while (out.size() > 1 && out.back() == '/') {
      out.pop_back();
   }
   return out;
}

static char FoldFileChar(char c)
{
   return c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool SameFilePath(const std::string &a, const std::string &b)
{
   if (a.size() != b.size()) {
      return false;
   }
   for (size_t i = 0; i < a.size(); ++i) {
      if (FoldFileChar(a[i]) != FoldFileChar(b[i])) {
         return false;
      }
   }
   return true;
}

}  // namespace cuiutil

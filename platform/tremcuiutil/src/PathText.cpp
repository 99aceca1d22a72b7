#include "PathText.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <vector>

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

std::string FullFilePath(const std::string &path)
{
   if (path.empty()) {
      return path;
   }
   std::string full = path;
   std::vector<char> buffer(MAX_PATH);
   DWORD length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
   if (length >= buffer.size()) {
      buffer.resize(length + 1);
      length = GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
   }
   if (length > 0 && length < buffer.size()) {
      full.assign(buffer.data(), length);
   }
   std::replace(full.begin(), full.end(), '/', '\\');
   // Only a file that exists has a long form; a missing one keeps the full form.
   DWORD size = GetLongPathNameA(full.c_str(), nullptr, 0);
   if (size > 0) {
      std::vector<char> longName(size + 1, '\0');
      length = GetLongPathNameA(full.c_str(), longName.data(), static_cast<DWORD>(longName.size()));
      if (length > 0 && length < longName.size()) {
         full.assign(longName.data(), length);
      }
   }
   return full;
}

}  // namespace cuiutil

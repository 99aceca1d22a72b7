#include "cui/PathText.h"

#include <windows.h>

#include <algorithm>

#include "tremorybase/Text.h"

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

namespace {

std::wstring WithBackslashes(const std::string &path)
{
   std::wstring wide = WideFromUtf8(path);
   std::replace(wide.begin(), wide.end(), L'/', L'\\');
   return wide;
}

}  // namespace

bool SameFilePath(const std::string &a, const std::string &b)
{
   // Case is folded as the file system folds it, for every script, not only ASCII.
   std::wstring wideA = WithBackslashes(a);
   std::wstring wideB = WithBackslashes(b);
   return CompareStringOrdinal(wideA.data(), static_cast<int>(wideA.size()), wideB.data(),
                               static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

bool LongPathName(const std::string &path, std::string &longName)
{
   if (path.empty()) {
      return false;
   }
   std::wstring wide = WidePathFromUtf8(path);
   DWORD size = GetLongPathNameW(wide.c_str(), nullptr, 0);
   if (size == 0) {
      return false;
   }
   std::wstring buffer(size, L'\0');
   DWORD length = GetLongPathNameW(wide.c_str(), &buffer[0], size);
   if (length == 0 || length >= size) {
      return false;
   }
   buffer.resize(length);
   // The "\\?\" prefix that WidePathFromUtf8 put on a long path is not part of the answer.
   if (path.compare(0, 4, "\\\\?\\") != 0) {
      if (buffer.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
         buffer.replace(0, 8, L"\\\\");
      } else if (buffer.compare(0, 4, L"\\\\?\\") == 0) {
         buffer.erase(0, 4);
      }
   }
   longName = Utf8FromWide(buffer);
   return true;
}

std::string FullFilePath(const std::string &path)
{
   if (path.empty()) {
      return path;
   }
   std::wstring wide = WideFromUtf8(path);
   std::wstring full = wide;
   DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
   if (size > 0) {
      std::wstring buffer(size, L'\0');
      DWORD length = GetFullPathNameW(wide.c_str(), size, &buffer[0], nullptr);
      if (length > 0 && length < size) {
         buffer.resize(length);
         full = buffer;
      }
   }
   std::replace(full.begin(), full.end(), L'/', L'\\');
   std::string out = Utf8FromWide(full);
   // Only a file that exists has a long form; a missing one keeps the full form.
   std::string longName;
   return LongPathName(out, longName) ? longName : out;
}

}  // namespace cuiutil

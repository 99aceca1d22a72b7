#include "CloneWzPath.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "tremorybase/Config.h"
#include "tremorybase/Text.h"

namespace clonewz {

namespace {

bool IsSeparator(char c)
{
   return c == '\\' || c == '/';
}

// Characters of UTF-8 text.
int Characters(const std::string &text)
{
   int count = 0;
   for (char c : text) {
      count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
   }
   return count;
}

}  // namespace

char Separator(int osType)
{
   return osType == 2 ? '/' : '\\';
}

std::string NormalizeFolder(const std::string &folder, int osType)
{
   std::string normal = folder;
   char separator = Separator(osType);
   if (osType != 2) {
      std::replace(normal.begin(), normal.end(), '/', '\\');
   }
   // A network path keeps the two separators it starts with.
   size_t keep = normal.size() >= 2 && IsSeparator(normal[0]) && IsSeparator(normal[1]) ? 2 : 0;
   while (normal.size() > keep && IsSeparator(normal.back())) {
      normal.pop_back();
   }
   if (normal.empty()) {
      return folder.empty() ? std::string() : std::string(1, separator);
   }
   return normal + separator;
}

std::string ConfigPath(const std::string &folder, const std::string &name, int osType)
{
   return NormalizeFolder(folder, osType) + name + ".vmx";
}

std::string FolderOf(const std::string &path)
{
   size_t slash = path.find_last_of("\\/");
   return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ParentFolder(const std::string &folder)
{
   std::string path = folder;
   while (!path.empty() && IsSeparator(path.back())) {
      path.pop_back();
   }
   if (path.size() == 2 && path[1] == ':') {
      return std::string();   // "C:\" has no parent
   }
   return FolderOf(path);
}

std::string DefaultFolder(const std::string &preferred, const std::string &sourceCfgPath)
{
   if (!preferred.empty()) {
      return preferred;
   }
   std::string parent = ParentFolder(FolderOf(sourceCfgPath));
   return parent.empty() ? FolderOf(sourceCfgPath) : parent;
}

std::string FileNameOf(const std::string &name)
{
   std::string file;
   for (char c : name) {
      bool bad = static_cast<unsigned char>(c) < 32 || std::strchr("\\/:*?\"<>|", c) != nullptr;
      file += bad ? '_' : c;
   }
   size_t start = file.find_first_not_of(" .");
   size_t end = file.find_last_not_of(" .");
   return start == std::string::npos ? std::string() : file.substr(start, end - start + 1);
}

int PathReserve(const std::string &name, int longestDiskName, int extraReserve)
{
   return std::max(Characters(name) + 5, longestDiskName) + extraReserve + 70;
}

std::string UniqueName(const std::string &base, const std::function<bool(const std::string &)> &taken)
{
   if (!taken(base)) {
      return base;
   }
   for (int n = 2; n < 1000; ++n) {
      std::string name = base + " " + std::to_string(n);
      if (!taken(name)) {
         return name;
      }
   }
   return base;
}

int PathExists(const std::string &path, const std::string &pattern)
{
   if (pattern.empty()) {
      DWORD attributes = GetFileAttributesW(WidePathFromUtf8(path).c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES) {
         return 0;
      }
      return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 2;
   }
   WIN32_FIND_DATAW found;
   std::string folder = path;
   if (!folder.empty() && !IsSeparator(folder.back())) {
      folder += '\\';
   }
   HANDLE find = FindFirstFileW(WidePathFromUtf8(folder + pattern).c_str(), &found);
   if (find == INVALID_HANDLE_VALUE) {
      return 0;
   }
   FindClose(find);
   return 1;
}

std::string PreferredFolder()
{
   return Config_GetString("ui.defaultVMFolder", "");
}

}  // namespace clonewz

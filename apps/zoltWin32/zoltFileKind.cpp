#include "zoltFileKind.h"

#include <windows.h>
#include <mbstring.h>

#include <cstdlib>

namespace {

struct ExtensionRow {
   const char *extension;
   FileKind kind;
};

// In the order the tests run.
const ExtensionRow kExtensions[] = {
   {".vmx", FileKind::Machine},  {".vmc", FileKind::Import},   {".spf", FileKind::Import},
   {".sv2i", FileKind::Import},  {".vmt", FileKind::Team},     {".vmtm", FileKind::Team},
   {".vmhr", FileKind::HotFix},  {".vmhf", FileKind::HotFix},  {".vmxa", FileKind::Template},
};

bool SameExtension(const std::string &a, const char *b)
{
   return _mbsicmp(reinterpret_cast<const unsigned char *>(a.c_str()), reinterpret_cast<const unsigned char *>(b)) == 0;
}

}  // namespace

std::string FileExtension(const std::string &path)
{
   // _splitpath's parts are bounded by _MAX_EXT; a longer "extension" is no known one.
   if (path.size() >= _MAX_PATH) {
      size_t slash = path.find_last_of("\\/");
      size_t dot = path.find_last_of('.');
      return dot != std::string::npos && (slash == std::string::npos || dot > slash) ? path.substr(dot) : std::string();
   }
   char ext[_MAX_EXT] = "";
   _splitpath(path.c_str(), nullptr, nullptr, nullptr, ext);
   return ext;
}

FileKind FileKindOf(const std::string &path)
{
   const std::string ext = FileExtension(path);
   for (const ExtensionRow &row : kExtensions) {
      if (SameExtension(ext, row.extension)) {
         return row.kind;
      }
   }
   return FileKind::Unknown;
}

bool IsTeamFile(const std::string &path)
{
   return FileKindOf(path) == FileKind::Team;
}

#include "TempFile.h"

#include <windows.h>

#include <cstdio>

namespace {

std::string NewTempPath()
{
   static unsigned counter = 0;
   char dir[MAX_PATH] = "";
   GetTempPathA(sizeof dir, dir);
   char name[64];
   snprintf(name, sizeof name, "zoltcore-%lu-%u.txt", GetCurrentProcessId(), ++counter);
   return std::string(dir) + name;
}

}  // namespace

TempFile::TempFile(const std::string &content)
   : path_(NewTempPath())
{
   FILE *file = fopen(path_.c_str(), "wb");
   if (file != nullptr) {
      fwrite(content.data(), 1, content.size(), file);
      fclose(file);
   }
}

TempFile::~TempFile()
{
   DeleteFileA(path_.c_str());
}

std::string TempFile::MissingPath()
{
   return NewTempPath();
}

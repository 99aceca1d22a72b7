#include "TestFiles.h"

#include <windows.h>

#include <fstream>
#include <sstream>

TempDir::TempDir()
{
   static unsigned counter = 0;
   char temp[MAX_PATH];
   GetTempPathA(sizeof temp, temp);
   path_ = std::string(temp) + "tremorybase-test-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
   CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir()
{
   // The tests make no folders inside, only files.
   WIN32_FIND_DATAA data;
   HANDLE find = FindFirstFileA((path_ + "\\*").c_str(), &data);
   if (find != INVALID_HANDLE_VALUE) {
      do {
         DeleteFileA(File(data.cFileName).c_str());
      } while (FindNextFileA(find, &data));
      FindClose(find);
   }
   RemoveDirectoryA(path_.c_str());
}

bool WriteTextFile(const std::string &path, const std::string &text)
{
   std::ofstream out(path, std::ios::binary | std::ios::trunc);
   out << text;
   return static_cast<bool>(out.flush());
}

std::string ReadTextFile(const std::string &path)
{
   std::ifstream in(path, std::ios::binary);
   std::ostringstream text;
   text << in.rdbuf();
   return text.str();
}

bool FileExists(const std::string &path)
{
   return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

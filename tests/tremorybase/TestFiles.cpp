#include "TestFiles.h"

#include "tremorybase/File.h"
#include "tremorybase/Text.h"

#include <windows.h>

#include <vector>

TempDir::TempDir()
{
   static unsigned counter = 0;
   path_ = File_GetTempFolder() + "tremorybase-test-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
   File_MakeFolders(path_);
}

TempDir::~TempDir()
{
   // Depth first: what the tests made inside, then the folder itself.
   std::vector<std::string> folders = {path_};
   std::vector<std::string> all;
   while (!folders.empty()) {
      std::string dir = folders.back();
      folders.pop_back();
      all.push_back(dir);
      WIN32_FIND_DATAW data;
      HANDLE find = FindFirstFileW(WidePathFromUtf8(dir + "\\*").c_str(), &data);
      if (find == INVALID_HANDLE_VALUE) {
         continue;
      }
      do {
         std::string name = Utf8FromWide(data.cFileName);
         if (name == "." || name == "..") {
            continue;
         }
         if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            folders.push_back(dir + "\\" + name);
         } else {
            File_Delete(dir + "\\" + name);
         }
      } while (FindNextFileW(find, &data));
      FindClose(find);
   }
   for (auto it = all.rbegin(); it != all.rend(); ++it) {
      File_RemoveFolder(*it);
   }
}

bool WriteTextFile(const std::string &path, const std::string &text)
{
   std::string error;
   return File_Replace(path, text, error);
}

std::string ReadTextFile(const std::string &path)
{
   std::string text;
   std::string error;
   File_Read(path, text, error);
   return text;
}

bool FileExists(const std::string &path)
{
   return File_Exists(path);
}

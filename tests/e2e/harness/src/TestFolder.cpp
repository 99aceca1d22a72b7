#include "e2e/TestFolder.h"

#include "e2e/Files.h"

#include "FailureText.h"

#include <windows.h>

namespace e2e {

namespace {

void RemoveTree(const std::string &folder)
{
   WIN32_FIND_DATAA found;
   HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
   if (search != INVALID_HANDLE_VALUE) {
      do {
         std::string name = found.cFileName;
         if (name == "." || name == "..") {
            continue;
         }
         std::string path = folder + "\\" + name;
         if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path);
         } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
         }
      } while (FindNextFileA(search, &found));
      FindClose(search);
   }
   RemoveDirectoryA(folder.c_str());
}

} // namespace

TestFolder::TestFolder()
{
   ClearFailure();
   char temp[MAX_PATH];
   DWORD n = GetTempPathA(sizeof temp, temp);
   if (n == 0 || n >= sizeof temp) {
      FailWithSystemError("TestFolder: no temporary folder");
      return;
   }
   static LONG counter = 0;
   for (int attempt = 0; attempt < 100; ++attempt) {
      std::string path = std::string(temp) + "e2e-" + std::to_string(GetCurrentProcessId()) +
                         "-" + std::to_string(InterlockedIncrement(&counter));
      if (CreateDirectoryA(path.c_str(), nullptr)) {
         path_ = path;
         return;
      }
   }
   FailWithSystemError("TestFolder: cannot create a folder in " + std::string(temp));
}

TestFolder::~TestFolder()
{
   if (!path_.empty() && GetEnvironmentVariableA("E2E_KEEP_FILES", nullptr, 0) == 0) {
      RemoveTree(path_);
   }
}

std::string TestFolder::PathOf(const std::string &name) const
{
   return path_ + "\\" + ToWindowsPath(name);
}

std::string TestFolder::WriteFile(const std::string &name, const std::string &text) const
{
   std::string path = PathOf(name);
   return WriteTextFile(path, text) ? path : std::string();
}

std::string TestFolder::MakeFolder(const std::string &name) const
{
   ClearFailure();
   std::string path = PathOf(name);
   if (!CreateDirectoryA(path.c_str(), nullptr)) {
      FailWithSystemError("TestFolder::MakeFolder: cannot create " + path);
      return std::string();
   }
   return path;
}

} // namespace e2e

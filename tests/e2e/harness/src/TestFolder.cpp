#include "e2e/TestFolder.h"

#include "e2e/Failure.h"
#include "e2e/Files.h"

#include "FailureText.h"

#include "tremorybase/Text.h"

#include <windows.h>

namespace e2e {

TestFolder::TestFolder()
{
   ClearFailure();
   std::string temp = TemporaryFolder();
   if (temp.empty()) {
      FailWithSystemError("TestFolder: no temporary folder");
      return;
   }
   static LONG counter = 0;
   for (int attempt = 0; attempt < 100; ++attempt) {
      std::string path = temp + "e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                         std::to_string(InterlockedIncrement(&counter));
      if (CreateDirectoryW(WideFromUtf8(path).c_str(), nullptr)) {
         path_ = path;
         return;
      }
   }
   FailWithSystemError("TestFolder: cannot create a folder in " + temp);
}

TestFolder::~TestFolder()
{
   if (!path_.empty() && GetEnvironmentVariableW(L"E2E_KEEP_FILES", nullptr, 0) == 0) {
      // A test may still report the failure it met before its folder goes.
      std::string kept = LastFailure();
      RemovePath(path_);
      Fail(kept);
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
   // Each folder from the top down, those that are there already left as they are.
   for (size_t at = path_.size() + 1; at != std::string::npos;) {
      at = path.find('\\', at + 1);
      const std::wstring folder = WideFromUtf8(path.substr(0, at));
      if (CreateDirectoryW(folder.c_str(), nullptr)) {
         continue;
      }
      DWORD error = GetLastError();
      DWORD attributes = GetFileAttributesW(folder.c_str());
      if (error != ERROR_ALREADY_EXISTS || attributes == INVALID_FILE_ATTRIBUTES ||
          !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
         FailWithSystemError("TestFolder::MakeFolder: cannot create " + path.substr(0, at), error);
         return std::string();
      }
   }
   return path;
}

} // namespace e2e

#include "TestFiles.h"

#include <windows.h>

#include <vector>

namespace {

void RemoveTree(const std::string &dir)
{
   WIN32_FIND_DATAA data;
   HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &data);
   if (find != INVALID_HANDLE_VALUE) {
      do {
         std::string name = data.cFileName;
         if (name == "." || name == "..") {
            continue;
         }
         std::string full = dir + "\\" + name;
         if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(full);
         } else {
            DeleteFileA(full.c_str());
         }
      } while (FindNextFileA(find, &data));
      FindClose(find);
   }
   RemoveDirectoryA(dir.c_str());
}

}  // namespace

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
   RemoveTree(path_);
}

bool WriteTextFile(const std::string &path, const std::string &text)
{
   HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
   if (h == INVALID_HANDLE_VALUE) {
      return false;
   }
   DWORD written = 0;
   BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
   CloseHandle(h);
   return ok && written == text.size();
}

std::string ReadTextFile(const std::string &path)
{
   HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
   if (h == INVALID_HANDLE_VALUE) {
      return std::string();
   }
   std::string text;
   std::vector<char> buf(65536);
   DWORD got = 0;
   while (ReadFile(h, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) && got > 0) {
      text.append(buf.data(), got);
   }
   CloseHandle(h);
   return text;
}

bool FileExists(const std::string &path)
{
   return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

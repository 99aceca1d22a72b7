#include "e2e/Files.h"

#include "e2e/Wait.h"

#include "FailureText.h"

#include "tremorybase/Text.h"

#include <algorithm>
#include <cstdio>

namespace e2e {

std::string ToWindowsPath(const std::string &path)
{
   if (!path.empty() && path[0] == '/') {
      // Wine maps its Linux paths itself; elsewhere there are no Linux paths to map.
      typedef WCHAR *(CDECL * DosFileName)(const char *);
      auto toDos = reinterpret_cast<DosFileName>(reinterpret_cast<void (*)()>(
         GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
      if (WCHAR *dos = toDos ? toDos(path.c_str()) : nullptr) {
         std::string converted = Utf8FromWide(dos);
         HeapFree(GetProcessHeap(), 0, dos);
         if (!converted.empty()) {
            return converted;
         }
      }
      return ToWindowsPath("Z:" + path);
   }
   std::string converted = path;
   std::replace(converted.begin(), converted.end(), '/', '\\');
   return converted;
}

std::string TestProgramFolder()
{
   std::wstring path(32768, L'\0');
   DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
   std::string folder = Utf8FromWide(std::wstring_view(path.data(), n < path.size() ? n : 0));
   size_t slash = folder.find_last_of("\\/");
   return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

std::string TemporaryFolder()
{
   WCHAR temp[MAX_PATH + 1];
   DWORD n = GetTempPathW(MAX_PATH + 1, temp);
   return n > 0 && n <= MAX_PATH ? Utf8FromWide(std::wstring_view(temp, n)) : std::string();
}

std::string QuoteValue(const std::string &value)
{
   std::string quoted = "\"";
   for (char c : value) {
      switch (c) {
      case '\\': quoted += "\\\\"; break;
      case '"': quoted += "\\\""; break;
      case '\n': quoted += "\\n"; break;
      case '\r': quoted += "\\r"; break;
      case '\t': quoted += "\\t"; break;
      default:
         if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(c));
            quoted += escape;
         } else {
            quoted += c;
         }
      }
   }
   return quoted + "\"";
}

bool WriteTextFile(const std::string &path, const std::string &text)
{
   ClearFailure();
   HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
   if (file == INVALID_HANDLE_VALUE) {
      return FailWithSystemError("WriteTextFile: cannot create " + path);
   }
   DWORD written = 0;
   BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
   DWORD error = GetLastError();
   CloseHandle(file);
   if (!ok || written != text.size()) {
      return FailWithSystemError("WriteTextFile: cannot write " + path, error);
   }
   return true;
}

std::optional<std::string> ReadTextFile(const std::string &path)
{
   ClearFailure();
   // The program may still hold the file open for writing (a log).
   HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
   if (file == INVALID_HANDLE_VALUE) {
      FailWithSystemError("ReadTextFile: cannot open " + path);
      return std::nullopt;
   }
   std::string text;
   char buffer[4096];
   DWORD got = 0;
   while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      text.append(buffer, got);
   }
   CloseHandle(file);
   return text;
}

namespace {

// What a file's directory entry tells without opening the file: a file replaced or written
// anew has another size or other times.
bool SameFileState(const WIN32_FILE_ATTRIBUTE_DATA &a, const WIN32_FILE_ATTRIBUTE_DATA &b)
{
   return a.nFileSizeLow == b.nFileSizeLow && a.nFileSizeHigh == b.nFileSizeHigh &&
          CompareFileTime(&a.ftLastWriteTime, &b.ftLastWriteTime) == 0 &&
          CompareFileTime(&a.ftCreationTime, &b.ftCreationTime) == 0;
}

} // namespace

bool WaitForFileText(const std::string &path, const std::string &text, DWORD timeoutMs)
{
   const std::wstring widePath = WideFromUtf8(path);
   std::optional<std::string> last;
   std::optional<WIN32_FILE_ATTRIBUTE_DATA> read;
   if (WaitUntil([&] {
          // Opened only when it changed: an open handle makes a program's rename over the file
          // fail, so reading it on every turn would get in the way of the writer being watched.
          WIN32_FILE_ATTRIBUTE_DATA state;
          if (!GetFileAttributesExW(widePath.c_str(), GetFileExInfoStandard, &state) ||
              (read && SameFileState(*read, state))) {
             return false;
          }
          read = state;
          last = ReadTextFile(path);
          return last && last->find(text) != std::string::npos;
       }, timeoutMs)) {
      ClearFailure();
      return true;
   }
   if (!last) {
      return Fail("WaitForFileText: " + path + " did not appear within " +
                  std::to_string(timeoutMs) + " ms");
   }
   return Fail("WaitForFileText: \"" + text + "\" not in " + path + " within " +
               std::to_string(timeoutMs) + " ms; it holds:\n" + *last);
}

bool PathExists(const std::string &path)
{
   return GetFileAttributesW(WideFromUtf8(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::vector<std::string>> ListFolder(const std::string &folder)
{
   ClearFailure();
   WIN32_FIND_DATAW found;
   HANDLE search = FindFirstFileW(WideFromUtf8(folder + "\\*").c_str(), &found);
   if (search == INVALID_HANDLE_VALUE) {
      FailWithSystemError("ListFolder: cannot read " + folder);
      return std::nullopt;
   }
   std::vector<std::string> names;
   do {
      std::string name = Utf8FromWide(found.cFileName);
      if (name != "." && name != "..") {
         names.push_back(name);
      }
   } while (FindNextFileW(search, &found));
   FindClose(search);
   std::sort(names.begin(), names.end());
   return names;
}

bool RemovePath(const std::string &path)
{
   ClearFailure();
   const std::wstring wide = WideFromUtf8(path);
   DWORD attributes = GetFileAttributesW(wide.c_str());
   if (attributes == INVALID_FILE_ATTRIBUTES) {
      return true;
   }
   if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      for (const std::string &name : ListFolder(path).value_or(std::vector<std::string>())) {
         RemovePath(path + "\\" + name);
      }
      if (!RemoveDirectoryW(wide.c_str())) {
         return FailWithSystemError("RemovePath: cannot remove the folder " + path);
      }
      return true;
   }
   SetFileAttributesW(wide.c_str(), FILE_ATTRIBUTE_NORMAL);
   if (!DeleteFileW(wide.c_str())) {
      return FailWithSystemError("RemovePath: cannot delete " + path);
   }
   return true;
}

} // namespace e2e

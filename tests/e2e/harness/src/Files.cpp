#include "e2e/Files.h"

#include "e2e/Wait.h"

#include "FailureText.h"

namespace e2e {

std::string ToWindowsPath(const std::string &path)
{
   if (!path.empty() && path[0] == '/') {
      // Wine maps its Linux paths itself; elsewhere there are no Linux paths to map.
      typedef WCHAR *(CDECL * DosFileName)(const char *);
      auto toDos = reinterpret_cast<DosFileName>(reinterpret_cast<void (*)()>(
         GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
      if (WCHAR *dos = toDos ? toDos(path.c_str()) : nullptr) {
         char converted[MAX_PATH * 2];
         int n = WideCharToMultiByte(CP_ACP, 0, dos, -1, converted, sizeof converted, nullptr, nullptr);
         HeapFree(GetProcessHeap(), 0, dos);
         if (n > 0) {
            return converted;
         }
      }
      return ToWindowsPath("Z:" + path);
   }
   std::string converted = path;
   for (char &c : converted) {
      if (c == '/') {
         c = '\\';
      }
   }
   return converted;
}

std::string TestProgramFolder()
{
   char path[MAX_PATH * 2];
   DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
   std::string folder(path, n < sizeof path ? n : 0);
   size_t slash = folder.find_last_of("\\/");
   return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

bool WriteTextFile(const std::string &path, const std::string &text)
{
   ClearFailure();
   HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
   if (file == INVALID_HANDLE_VALUE) {
      return FailWithSystemError("WriteTextFile: cannot create " + path);
   }
   DWORD written = 0;
   BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
   CloseHandle(file);
   if (!ok || written != text.size()) {
      return FailWithSystemError("WriteTextFile: cannot write " + path);
   }
   return true;
}

std::optional<std::string> ReadTextFile(const std::string &path)
{
   ClearFailure();
   // The program may still hold the file open for writing (a log).
   HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
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

bool WaitForFileText(const std::string &path, const std::string &text, DWORD timeoutMs)
{
   std::optional<std::string> last;
   if (WaitUntil([&] {
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

} // namespace e2e

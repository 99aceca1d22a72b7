#include "tremorybase/File.h"

#include "tremorybase/Str.h"
#include "tremorybase/Text.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace {

// A refused rename is tried this often, this long apart: long enough for a reader that closes
// the file at once, short enough that a save that cannot succeed is reported without a wait.
const int kRenameTries = 10;
const DWORD kRenamePauseMs = 50;

// Sets `error` for the last failure and keeps GetLastError() telling it.
bool Fail(const char *what, const std::string &path, std::string &error)
{
   DWORD code = GetLastError();
   error = Str_Format("cannot %s %s (error %lu)", what, path.c_str(), static_cast<unsigned long>(code));
   SetLastError(code);
   return false;
}

DWORD Attributes(const std::string &path)
{
   return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(WidePathFromUtf8(path).c_str());
}

}  // namespace

bool File_Exists(const std::string &path)
{
   return Attributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool File_IsFolder(const std::string &path)
{
   DWORD attributes = Attributes(path);
   return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool File_Read(const std::string &path, std::string &bytes, std::string &error, size_t maxBytes)
{
   bytes.clear();
   HANDLE h = CreateFileW(WidePathFromUtf8(path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
   if (h == INVALID_HANDLE_VALUE) {
      return Fail("open", path, error);
   }
   LARGE_INTEGER size = {};
   if (!GetFileSizeEx(h, &size)) {
      Fail("read", path, error);
      CloseHandle(h);
      return false;
   }
   if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
      CloseHandle(h);
      SetLastError(ERROR_FILE_TOO_LARGE);
      return Fail("read", path, error);
   }
   // Read to the end rather than to the size seen: a file may grow while it is read.
   char buffer[16384];
   for (;;) {
      DWORD got = 0;
      if (!ReadFile(h, buffer, sizeof buffer, &got, nullptr)) {
         Fail("read", path, error);
         CloseHandle(h);
         bytes.clear();
         return false;
      }
      if (got == 0) {
         break;
      }
      if (bytes.size() + got > maxBytes) {
         CloseHandle(h);
         bytes.clear();
         SetLastError(ERROR_FILE_TOO_LARGE);
         return Fail("read", path, error);
      }
      bytes.append(buffer, got);
   }
   CloseHandle(h);
   return true;
}

bool File_Replace(const std::string &path, std::string_view bytes, std::string &error)
{
   const std::string tmp = path + ".tmp";
   const std::wstring wideTmp = WidePathFromUtf8(tmp);
   HANDLE h = CreateFileW(wideTmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
   if (h == INVALID_HANDLE_VALUE) {
      return Fail("create", tmp, error);
   }
   bool ok = true;
   for (size_t done = 0; ok && done < bytes.size();) {
      DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
      DWORD written = 0;
      ok = WriteFile(h, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
      done += written;
   }
   if (!ok) {
      Fail("write", tmp, error);
   } else if (!FlushFileBuffers(h)) {
      ok = Fail("flush", tmp, error);
   }
   CloseHandle(h);
   if (ok) {
      ok = File_RenameOver(tmp, path, error);
   }
   if (!ok) {
      DWORD code = GetLastError();
      DeleteFileW(wideTmp.c_str());
      SetLastError(code);
   }
   return ok;
}

bool File_RenameOver(const std::string &from, const std::string &to, std::string &error)
{
   const std::wstring wideFrom = WidePathFromUtf8(from);
   const std::wstring wideTo = WidePathFromUtf8(to);
   for (int attempt = 1;; ++attempt) {
      if (MoveFileExW(wideFrom.c_str(), wideTo.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
         return true;
      }
      DWORD code = GetLastError();
      bool passing = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
      // A folder in the way refuses with access denied too, and for good.
      if (!passing || attempt >= kRenameTries || File_IsFolder(to)) {
         SetLastError(code);
         return Fail("rename over", to, error);
      }
      Sleep(kRenamePauseMs);
   }
}

std::string File_Problem(const std::string &path, unsigned long code)
{
   if (File_IsFolder(path)) {
      return "it is a folder";
   }
   if (code == ERROR_FILE_TOO_LARGE) {
      return "it is too large";
   }
   wchar_t *text = nullptr;
   DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
   DWORD length = FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
   std::string result = length && text ? Utf8FromWide(std::wstring_view(text, length)) : std::string();
   LocalFree(text);
   while (!result.empty() && std::isspace(static_cast<unsigned char>(result.back()))) {
      result.pop_back();
   }
   return result.empty() ? Str_Format("error %lu", code) : result;
}

bool File_IsMissing(unsigned long code)
{
   return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

bool File_MakeFolders(const std::string &folder, std::vector<std::string> *made)
{
   std::string path = folder;
   while (!path.empty() && (path.back() == '\\' || path.back() == '/')) {
      path.pop_back();
   }
   if (path.empty() || path.back() == ':' || File_IsFolder(path)) {
      return true;
   }
   // A parent that cannot be made (a drive's root, a share) may still be there: the folder's
   // own making tells.
   size_t slash = path.find_last_of("\\/");
   if (slash != std::string::npos && slash > 0) {
      File_MakeFolders(path.substr(0, slash), made);
   }
   if (!CreateDirectoryW(WidePathFromUtf8(path).c_str(), nullptr)) {
      DWORD code = GetLastError();
      bool there = code == ERROR_ALREADY_EXISTS && File_IsFolder(path);
      SetLastError(code);
      return there;
   }
   if (made) {
      made->push_back(path);
   }
   return true;
}

bool File_Delete(const std::string &path)
{
   return DeleteFileW(WidePathFromUtf8(path).c_str()) != FALSE;
}

bool File_RemoveFolder(const std::string &path)
{
   return RemoveDirectoryW(WidePathFromUtf8(path).c_str()) != FALSE;
}

bool File_Rename(const std::string &from, const std::string &to, bool replace)
{
   return MoveFileExW(WidePathFromUtf8(from).c_str(), WidePathFromUtf8(to).c_str(),
                      replace ? MOVEFILE_REPLACE_EXISTING : 0) != FALSE;
}

std::string File_GetTempFolder()
{
   // GetTempPathW answers at most MAX_PATH + 1 characters with the zero.
   wchar_t temp[MAX_PATH + 2] = L"";
   DWORD length = GetTempPathW(MAX_PATH + 2, temp);
   if (length == 0 || length > MAX_PATH + 1) {
      return std::string();
   }
   std::string folder = Utf8FromWide(std::wstring_view(temp, length));
   if (folder.back() != '\\' && folder.back() != '/') {
      folder += '\\';
   }
   return folder;
}

#include "NwzSettings.h"

#include <shlobj.h>

#include <climits>

#include "cui/GuestOS.h"
#include "tremhwcfg/TremHwCfgRes.h"

namespace tremhwcfg {

namespace {

const wchar_t kBadNameChars[] = L"\\/:*?\"<>|";
const wchar_t kBadPathChars[] = L"*?\"<>|";

bool HasControlChar(const std::wstring &text)
{
   for (wchar_t c : text) {
      if (c < 0x20) {
         return true;
      }
   }
   return false;
}

bool IsDriveRoot(const std::wstring &path)
{
   return path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' && path[2] == L'\\';
}

bool IsUncPath(const std::wstring &path)
{
   if (path.size() < 5 || path.compare(0, 2, L"\\\\") != 0) {
      return false;
   }
   size_t shareAt = path.find(L'\\', 2);
   return shareAt != std::wstring::npos && shareAt > 2 && shareAt + 1 < path.size();
}

std::wstring WithoutTrailingSeparators(std::wstring path)
{
   while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) {
      path.pop_back();
   }
   return path;
}

bool IsFolder(const std::wstring &path)
{
   DWORD attributes = GetFileAttributesW(path.c_str());
   return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::wstring &path)
{
   return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring JoinDb(const std::wstring &base, const wchar_t *leaf)
{
   std::wstring path = base;
   if (path.empty() || path.back() != L'/') {
      path += L'/';
   }
   return path + leaf;
}

}  // namespace

void NwzSettings::SetGuest(const std::string &id)
{
   const cui::GuestOSInfo *os = cui::FindGuestOS(id);
   if (!os) {
      os = &cui::OtherGuestOS();
   }
   guestOS = os->id;
   memoryMB = os->defaultMemoryMB;
   diskSizeMB = os->defaultDiskMB;
}

std::wstring NwzSettings::ConfigFile() const
{
   std::wstring trimmedName = Trim(name);
   std::wstring dir = WithoutTrailingSeparators(Trim(folder));
   if (trimmedName.empty() || dir.empty()) {
      return L"";
   }
   if (dir.back() != L'\\') {
      dir += L'\\';
   }
   return dir + trimmedName + L".vmx";
}

std::wstring Trim(const std::wstring &text)
{
   size_t first = text.find_first_not_of(L" \t");
   if (first == std::wstring::npos) {
      return L"";
   }
   size_t last = text.find_last_not_of(L" \t");
   return text.substr(first, last - first + 1);
}

std::wstring DefaultFolder(const std::wstring &documents, const std::wstring &name)
{
   std::wstring folder = WithoutTrailingSeparators(documents);
   if (!folder.empty() && folder.back() != L'\\') {
      folder += L'\\';
   }
   folder += L"Machines";
   std::wstring trimmedName = Trim(name);
   if (!trimmedName.empty()) {
      folder += L'\\' + trimmedName;
   }
   return folder;
}

std::wstring DocumentsFolder()
{
   wchar_t path[MAX_PATH] = L"";
   if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path))) {
      return L"";
   }
   return path;
}

UINT CheckName(const std::wstring &name)
{
   std::wstring trimmed = Trim(name);
   if (trimmed.empty()) {
      return IDS_NWZ_ERR_NAME_EMPTY;
   }
   // A name becomes a file and a folder name: Windows drops a trailing dot, so refuse it too.
   if (trimmed.find_first_of(kBadNameChars) != std::wstring::npos || HasControlChar(trimmed) ||
       trimmed.back() == L'.') {
      return IDS_NWZ_ERR_NAME_CHARS;
   }
   return 0;
}

UINT CheckFolderSyntax(const std::wstring &folder, const std::wstring &name)
{
   std::wstring path = Trim(folder);
   if (path.empty()) {
      return IDS_NWZ_ERR_LOCATION_EMPTY;
   }
   if (!IsDriveRoot(path) && !IsUncPath(path)) {
      return IDS_NWZ_ERR_LOCATION_RELATIVE;
   }
   if (path.find_first_of(kBadPathChars) != std::wstring::npos || path.find(L':', 2) != std::wstring::npos ||
       HasControlChar(path)) {
      return IDS_NWZ_ERR_LOCATION_RELATIVE;
   }
   NwzSettings probe;
   probe.name = name.empty() ? L"x" : name;
   probe.folder = path;
   if (probe.ConfigFile().size() >= MAX_PATH) {
      return IDS_NWZ_ERR_PATH_LONG;
   }
   return 0;
}

bool FolderCanBeMade(const std::wstring &folder)
{
   std::wstring path = WithoutTrailingSeparators(Trim(folder));
   // Up to the nearest part that exists; it has to be a folder.
   while (!Exists(path)) {
      size_t cut = path.find_last_of(L"\\/");
      if (cut == std::wstring::npos || cut < 2) {
         return false;
      }
      std::wstring parent = WithoutTrailingSeparators(path.substr(0, cut + 1));
      if (parent == path) {
         return false;   // a drive root that does not exist
      }
      path = parent;
   }
   if (!IsFolder(path)) {
      return false;
   }
   std::wstring base = path;
   if (base.back() != L'\\') {
      base += L'\\';
   }
   for (int attempt = 0; attempt < 16; ++attempt) {
      std::wstring probe = base + L"~nwz" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt);
      if (CreateDirectoryW(probe.c_str(), nullptr)) {
         RemoveDirectoryW(probe.c_str());
         return true;
      }
      if (GetLastError() != ERROR_ALREADY_EXISTS) {
         return false;
      }
   }
   return false;
}

bool ParseWholeNumber(const std::wstring &text, int &value)
{
   std::wstring digits = Trim(text);
   if (digits.empty()) {
      return false;
   }
   long long number = 0;
   for (wchar_t c : digits) {
      if (c < L'0' || c > L'9') {
         return false;
      }
      number = number * 10 + (c - L'0');
      if (number > INT_MAX) {
         return false;
      }
   }
   value = static_cast<int>(number);
   return true;
}

UINT CheckMemory(const std::wstring &text, int &memoryMB)
{
   int value = 0;
   if (!ParseWholeNumber(text, value) || value < kMinMemoryMB || value > kMaxMemoryMB) {
      return IDS_NWZ_ERR_MEMORY;
   }
   if (value % kMemoryStepMB != 0) {
      return IDS_NWZ_ERR_MEMORY_STEP;
   }
   memoryMB = value;
   return 0;
}

UINT CheckDisk(const std::wstring &text, int &diskSizeMB)
{
   int value = 0;
   if (!ParseWholeNumber(text, value) || value < kMinDiskGB || value > kMaxDiskGB) {
      return IDS_NWZ_ERR_DISK;
   }
   diskSizeMB = value * 1024;
   return 0;
}

void WriteInputs(IVmdbContext *ctx, const std::wstring &opPath, const NwzSettings &settings)
{
   std::wstring in = JoinDb(opPath, L"in/");
   ctx->WriteValue((in + L"file").c_str(), _variant_t(settings.ConfigFile().c_str()));
   ctx->WriteValue((in + L"access/private").c_str(), _variant_t(settings.isPrivate));
   std::wstring config = in + L"config/";
   ctx->WriteValue((config + L"displayName").c_str(), _variant_t(Trim(settings.name).c_str()));
   ctx->WriteValue((config + L"guestOS").c_str(), _variant_t(settings.guestOS.c_str()));
   ctx->WriteValue((config + L"memoryMB").c_str(), _variant_t(static_cast<long>(settings.memoryMB)));
   ctx->WriteValue((config + L"cpuCount").c_str(), _variant_t(static_cast<long>(settings.cpuCount)));
   ctx->WriteValue((config + L"diskSizeMB").c_str(), _variant_t(static_cast<long>(settings.diskSizeMB)));
   ctx->WriteValue((config + L"network").c_str(), _variant_t(settings.network.c_str()));
}

void ClearFileInput(IVmdbContext *ctx, const std::wstring &opPath)
{
   ctx->WriteValue(JoinDb(opPath, L"in/file").c_str(), _variant_t(L""));
}

}  // namespace tremhwcfg

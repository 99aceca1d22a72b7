#include "DbUtil.h"

#include "tremappsdkRes.h"

#include <cstdarg>
#include <cwchar>
#include <cwctype>

namespace tremappsdk {

std::wstring ToWide(const _bstr_t &text)
{
   return text.length() ? std::wstring(static_cast<const wchar_t *>(text)) : std::wstring();
}

std::wstring ReadText(IVmdbContext *ctx, const std::wstring &path)
{
   if (!ctx) {
      return std::wstring();
   }
   VARIANT value;
   VariantInit(&value);
   if (FAILED(ctx->raw_ReadValue(_bstr_t(path.c_str()), &value))) {
      return std::wstring();
   }
   std::wstring text;
   if (value.vt == VT_BOOL) {
      text = value.boolVal ? L"1" : L"0";
   } else if (SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR)) && value.bstrVal) {
      text = value.bstrVal;
   }
   VariantClear(&value);
   return text;
}

long ReadLong(IVmdbContext *ctx, const std::wstring &path, long fallback)
{
   std::wstring text = ReadText(ctx, path);
   if (text.empty()) {
      return fallback;
   }
   wchar_t *end = nullptr;
   long value = std::wcstol(text.c_str(), &end, 10);
   return end && *end == L'\0' ? value : fallback;
}

bool ReadFlag(IVmdbContext *ctx, const std::wstring &path)
{
   std::wstring text = ReadText(ctx, path);
   return text == L"1" || text == L"true" || text == L"TRUE";
}

std::vector<std::wstring> Elements(IVmdbContext *ctx, const std::wstring &arrayPath)
{
   std::vector<std::wstring> out;
   if (!ctx) {
      return out;
   }
   std::wstring cursor = arrayPath;
   // Bounded: a database never holds this many elements in one array.
   for (int i = 0; i < 100000; i++) {
      BSTR next = nullptr;
      if (FAILED(ctx->raw_NextElement(_bstr_t(cursor.c_str()), &next))) {
         break;
      }
      std::wstring element = next ? next : L"";
      SysFreeString(next);
      if (element.empty()) {
         break;
      }
      out.push_back(element);
      cursor = element;
   }
   return out;
}

std::wstring WithSlash(const std::wstring &path)
{
   return !path.empty() && path.back() == L'/' ? path : path + L"/";
}

OpenedRecord ReadRecord(IVmdbContext *ctx, const std::wstring &recordPath)
{
   OpenedRecord record;
   if (recordPath.empty()) {
      return record;
   }
   record.recordPath = WithSlash(recordPath);
   record.type = ReadText(ctx, record.recordPath + L"type");
   record.path = ReadText(ctx, record.recordPath + L"path");
   return record;
}

OpenedRecord ReadLinkedRecord(IVmdbContext *ctx, const std::wstring &linkPath)
{
   if (!ctx || linkPath.empty()) {
      return OpenedRecord();
   }
   // A context that stands on the link lands on its target; an unset link refuses the move.
   IVmdbDatabasePtr db;
   IVmdbContextPtr probe;
   if (FAILED(ctx->raw_GetDatabase(&db)) || !db || FAILED(db->raw_NewContext(&probe)) || !probe ||
       FAILED(probe->raw_ChangePath(_bstr_t(WithSlash(linkPath).c_str())))) {
      return OpenedRecord();
   }
   BSTR current = nullptr;
   if (FAILED(probe->raw_CurrentPath(&current))) {
      return OpenedRecord();
   }
   std::wstring target = current ? current : L"";
   SysFreeString(current);
   if (target == WithSlash(linkPath)) {
      return OpenedRecord();
   }
   return ReadRecord(ctx, target);
}

namespace {

bool SameFile(const std::wstring &a, const std::wstring &b)
{
   if (a.size() != b.size()) {
      return false;
   }
   for (size_t i = 0; i < a.size(); i++) {
      wchar_t x = a[i] == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(a[i]));
      wchar_t y = b[i] == L'/' ? L'\\' : static_cast<wchar_t>(std::towlower(b[i]));
      if (x != y) {
         return false;
      }
   }
   return true;
}

}  // namespace

std::wstring FindVMByCfgFile(IVmdbContext *ctx, const std::wstring &cfgFile)
{
   if (cfgFile.empty()) {
      return std::wstring();
   }
   // The program's machine records name the machine's own node ("/vm/#0001/").
   if (cfgFile.compare(0, 5, L"/vm/#") == 0 && !ReadText(ctx, WithSlash(cfgFile) + L"cfgFile").empty()) {
      return WithSlash(cfgFile);
   }
   for (const std::wstring &vm : Elements(ctx, L"/vm/#")) {
      if (SameFile(ReadText(ctx, vm + L"cfgFile"), cfgFile)) {
         return vm;
      }
   }
   return std::wstring();
}

std::wstring FindTeamConsoleVM(IVmdbContext *ctx, const std::wstring &teamFile)
{
   for (const std::wstring &team : Elements(ctx, L"/team/#")) {
      if (teamFile.empty() || !SameFile(ReadText(ctx, team + L"cfgFile"), teamFile)) {
         continue;
      }
      std::wstring current = ReadText(ctx, team + L"currentVM");
      if (!current.empty() && !ReadText(ctx, WithSlash(current) + L"cfgFile").empty()) {
         return WithSlash(current);
      }
      std::wstring first;
      std::wstring firstName;
      for (const std::wstring &member : Elements(ctx, team + L"member/#")) {
         std::wstring vm = FindVMByCfgFile(ctx, ReadText(ctx, member + L"cfgPath"));
         std::wstring name = vm.empty() ? std::wstring() : ReadText(ctx, vm + L"vmx/cfgState/val/displayName");
         if (!vm.empty() && (first.empty() || _wcsicmp(name.c_str(), firstName.c_str()) < 0)) {
            first = vm;
            firstName = name;
         }
      }
      return first;
   }
   return std::wstring();
}

PowerState ReadPowerState(IVmdbContext *ctx, const std::wstring &vmPath)
{
   std::wstring state = ReadText(ctx, vmPath + L"vmx/execState/val");
   if (state == L"poweredOn") {
      return PowerState::On;
   }
   if (state == L"poweredOff") {
      return PowerState::Off;
   }
   if (state == L"suspended") {
      return PowerState::Suspended;
   }
   return PowerState::Unknown;
}

std::vector<DeviceInfo> ReadDevices(IVmdbContext *ctx, const std::wstring &cfgStatePath)
{
   std::vector<DeviceInfo> devices;
   if (cfgStatePath.empty()) {
      return devices;
   }
   for (const std::wstring &element : Elements(ctx, WithSlash(cfgStatePath) + L"val/dev/#")) {
      DeviceInfo d;
      d.element = element;
      d.key = ReadText(ctx, element + L"key");
      d.type = ReadText(ctx, element + L"type");
      d.label = ReadText(ctx, element + L"label");
      d.media = ReadText(ctx, element + L"media");
      d.fileName = ReadText(ctx, element + L"fileName");
      d.present = ReadFlag(ctx, element + L"present");
      devices.push_back(d);
   }
   return devices;
}

std::wstring DeviceSummary(const DeviceInfo &device)
{
   std::wstring connection = LoadResString(device.present ? IDS_TREMAPPSDK_PRESENT : IDS_TREMAPPSDK_ABSENT);
   if (device.type == L"disk") {
      return device.fileName;
   }
   if (device.media == L"removable" || device.type == L"cdrom" || device.type == L"floppy") {
      std::wstring media = device.fileName.empty() ? LoadResString(IDS_TREMAPPSDK_NO_MEDIA) : device.fileName;
      return media + L" (" + connection + L")";
   }
   return connection;
}

long TabKindOf(const std::wstring &type, bool running)
{
   if (type == L"home") {
      return 1;
   }
   if (type == L"team") {
      return 4;
   }
   if (type == L"vm") {
      return running ? 8 : 7;
   }
   if (type == L"mvmt") {
      return 11;
   }
   if (type == L"quen") {
      return 14;
   }
   if (type == L"hotfix") {
      return 17;
   }
   return 0;
}

std::wstring FileTitle(const std::wstring &path)
{
   size_t slash = path.find_last_of(L"\\/");
   std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
   size_t dot = name.find_last_of(L'.');
   if (dot != std::wstring::npos && dot > 0) {
      name.erase(dot);
   }
   return name;
}

std::wstring LoadResString(unsigned id)
{
   const wchar_t *text = nullptr;
   int length = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
   return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

}  // namespace tremappsdk

namespace tremappsdk {

std::wstring FormatResString(unsigned id, ...)
{
   std::wstring pattern = LoadResString(id);
   wchar_t *out = nullptr;
   va_list args;
   va_start(args, id);
   DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER, pattern.c_str(), 0, 0,
                            reinterpret_cast<LPWSTR>(&out), 0, &args);
   va_end(args);
   std::wstring text = n && out ? std::wstring(out, n) : std::wstring();
   LocalFree(out);
   return text;
}

}  // namespace tremappsdk

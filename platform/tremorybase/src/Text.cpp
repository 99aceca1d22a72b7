#include "tremorybase/Text.h"

#include <climits>

std::wstring WideFromUtf8(std::string_view text)
{
   if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) {
      return std::wstring();
   }
   int size = static_cast<int>(text.size());
   int wide = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
   std::wstring out(static_cast<size_t>(wide > 0 ? wide : 0), L'\0');
   if (wide > 0) {
      MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &out[0], wide);
   }
   return out;
}

std::string Utf8FromWide(std::wstring_view text)
{
   if (text.empty() || text.size() > static_cast<size_t>(INT_MAX)) {
      return std::string();
   }
   int size = static_cast<int>(text.size());
   int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
   std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
   if (bytes > 0) {
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &out[0], bytes, nullptr, nullptr);
   }
   return out;
}

std::string Utf8FromWide(const wchar_t *text)
{
   return text ? Utf8FromWide(std::wstring_view(text)) : std::string();
}

std::wstring WidePathFromUtf8(std::string_view path)
{
   std::wstring wide = WideFromUtf8(path);
   // CreateDirectoryW has the shortest limit: MAX_PATH less room for an 8.3 file name.
   const size_t kPlainLimit = MAX_PATH - 12;
   if (wide.size() < kPlainLimit || wide.compare(0, 4, L"\\\\?\\") == 0) {
      return wide;
   }
   // A prefixed path is taken literally: it must be full, with "\" alone and no "." or "..".
   DWORD size = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
   if (size == 0) {
      return wide;
   }
   std::wstring full(size, L'\0');
   DWORD length = GetFullPathNameW(wide.c_str(), size, &full[0], nullptr);
   if (length == 0 || length >= size) {
      return wide;
   }
   full.resize(length);
   if (full.compare(0, 2, L"\\\\") != 0) {
      return L"\\\\?\\" + full;
   }
   // "\\server\share\..." has a prefix of its own; device paths ("\\.\") are left alone.
   if (full.size() > 2 && (full[2] == L'.' || full[2] == L'?')) {
      return full;
   }
   return L"\\\\?\\UNC\\" + full.substr(2);
}

std::string Utf8FromBstr(BSTR text)
{
   return text ? Utf8FromWide(std::wstring_view(text, SysStringLen(text))) : std::string();
}

BSTR BstrFromUtf8(std::string_view text)
{
   std::wstring wide = WideFromUtf8(text);
   return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

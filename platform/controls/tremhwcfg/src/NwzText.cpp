#include "NwzText.h"

#include <vector>

namespace tremhwcfg {

HINSTANCE ResourceModule()
{
   return GetModuleHandleW(nullptr);
}

std::wstring LoadText(UINT id)
{
   const wchar_t *text = nullptr;
   // With a zero length LoadStringW hands out a pointer into the resource itself.
   int length = LoadStringW(ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
   if (length <= 0 || !text) {
      return L"";
   }
   return std::wstring(text, static_cast<size_t>(length));
}

std::wstring FormatInserts(const std::wstring &pattern, std::initializer_list<std::wstring> inserts)
{
   std::vector<std::wstring> values(inserts);
   std::wstring out;
   for (size_t i = 0; i < pattern.size(); ++i) {
      if (pattern[i] == L'%' && i + 1 < pattern.size()) {
         wchar_t next = pattern[i + 1];
         if (next == L'%') {
            out += L'%';
            ++i;
            continue;
         }
         if (next >= L'1' && next <= L'9') {
            size_t index = static_cast<size_t>(next - L'1');
            if (index < values.size()) {
               out += values[index];
            }
            ++i;
            continue;
         }
      }
      out += pattern[i];
   }
   return out;
}

std::wstring FormatText(UINT id, std::initializer_list<std::wstring> inserts)
{
   return FormatInserts(LoadText(id), inserts);
}

std::wstring WideFromUtf8(const std::string &text)
{
   if (text.empty()) {
      return L"";
   }
   int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
   std::wstring wide(static_cast<size_t>(length), L'\0');
   MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
   return wide;
}

std::string Utf8FromWide(const std::wstring &text)
{
   if (text.empty()) {
      return "";
   }
   int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
   std::string narrow(static_cast<size_t>(length), '\0');
   WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &narrow[0], length, nullptr, nullptr);
   return narrow;
}

}  // namespace tremhwcfg

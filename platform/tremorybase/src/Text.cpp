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

std::string Utf8FromBstr(BSTR text)
{
   return text ? Utf8FromWide(std::wstring_view(text, SysStringLen(text))) : std::string();
}

BSTR BstrFromUtf8(std::string_view text)
{
   std::wstring wide = WideFromUtf8(text);
   return SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
}

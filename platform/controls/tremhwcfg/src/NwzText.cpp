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

}  // namespace tremhwcfg

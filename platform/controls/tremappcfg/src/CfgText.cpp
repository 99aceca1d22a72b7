#include "CfgText.h"

#include <vector>

namespace tremappcfg {

HINSTANCE ResourceModule()
{
   return GetModuleHandleW(nullptr);
}

std::wstring LoadText(UINT id)
{
   const wchar_t *text = nullptr;
   // With a zero length LoadStringW hands out a pointer into the resource itself.
   int length = LoadStringW(ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
   return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

std::wstring FormatText(UINT id, std::initializer_list<std::wstring> inserts)
{
   std::vector<std::wstring> values(inserts);
   std::wstring pattern = LoadText(id);
   std::wstring out;
   for (size_t i = 0; i < pattern.size(); ++i) {
      if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] >= L'1' && pattern[i + 1] <= L'9') {
         size_t index = static_cast<size_t>(pattern[i + 1] - L'1');
         if (index < values.size()) {
            out += values[index];
         }
         ++i;
      } else {
         out += pattern[i];
      }
   }
   return out;
}

}  // namespace tremappcfg

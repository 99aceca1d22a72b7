#include "tremappcfg/TeamCfg.h"
#include "tremappcfg/TremAppCfgRes.h"

#include <cwctype>

namespace tremappcfg {

namespace {

std::wstring Trimmed(const std::wstring &text)
{
   size_t first = text.find_first_not_of(L" \t\r\n");
   if (first == std::wstring::npos) {
      return std::wstring();
   }
   size_t last = text.find_last_not_of(L" \t\r\n");
   return text.substr(first, last - first + 1);
}

// Decimal digits only, at most `max`; no sign, no blanks inside.
bool ParseWhole(const std::wstring &typed, long max, long &value)
{
   std::wstring text = Trimmed(typed);
   if (text.empty() || text.size() > 10) {
      return false;
   }
   long long parsed = 0;
   for (wchar_t c : text) {
      if (c < L'0' || c > L'9') {
         return false;
      }
      parsed = parsed * 10 + (c - L'0');
   }
   if (parsed > max) {
      return false;
   }
   value = static_cast<long>(parsed);
   return true;
}

bool SameNameNoCase(const std::wstring &a, const std::wstring &b)
{
   if (a.size() != b.size()) {
      return false;
   }
   for (size_t i = 0; i < a.size(); ++i) {
      if (std::towlower(a[i]) != std::towlower(b[i])) {
         return false;
      }
   }
   return true;
}

}  // namespace

LANField CheckLANValues(LANInput &input, const std::vector<std::wstring> &takenNames, UINT &reasonId)
{
   input.name = Trimmed(input.name);
   if (input.name.empty()) {
      reasonId = IDS_TEAM_LAN_EMPTY_NAME;
      return LANField::Name;
   }
   for (const std::wstring &taken : takenNames) {
      if (SameNameNoCase(Trimmed(taken), input.name)) {
         reasonId = IDS_TEAM_LAN_NAME_TAKEN;
         return LANField::Name;
      }
   }
   if (!ParseWhole(input.bandwidth, 0x7fffffffL, input.bandwidthValue)) {
      reasonId = IDS_TEAM_LAN_BAD_BANDWIDTH;
      return LANField::Bandwidth;
   }
   if (!ParseWhole(input.loss, 100, input.lossValue)) {
      reasonId = IDS_TEAM_LAN_BAD_LOSS;
      return LANField::Loss;
   }
   reasonId = 0;
   return LANField::None;
}

bool ParseStartupValue(const std::wstring &text, int &value)
{
   long parsed = 0;
   if (!ParseWhole(text, 9999, parsed)) {
      return false;
   }
   value = static_cast<int>(parsed);
   return true;
}

}  // namespace tremappcfg

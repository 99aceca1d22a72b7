#include "zoltMruDest.h"

#include <algorithm>
#include <cstring>

namespace mrudest {

namespace {

const long kMaxUsableLength = 1999;

std::wstring Wide(const _bstr_t &text)
{
   const wchar_t *chars = static_cast<const wchar_t *>(text);
   return chars ? std::wstring(chars, text.length()) : std::wstring();
}

}  // namespace

bool IsUsableLength(long maxItems)
{
   return maxItems >= 1 && maxItems <= kMaxUsableLength;
}

MruDestList FromItems(const std::vector<MruDestItem> &items, long maxItems)
{
   if (!IsUsableLength(maxItems)) {
      return MruDestList();
   }
   MruDestList list(static_cast<size_t>(maxItems), std::make_pair(_bstr_t(""), _bstr_t("")));
   for (const MruDestItem &item : items) {
      if (item.present && item.index >= 0 && item.index < maxItems) {
         list[static_cast<size_t>(item.index)] = std::make_pair(_bstr_t(item.destString.c_str()), _bstr_t(item.user.c_str()));
      }
   }
   list.erase(std::remove_if(list.begin(), list.end(), [](const MruDestList::value_type &e) { return e.first.length() == 0; }),
              list.end());
   return list;
}

MruDestList Updated(const MruDestList &list, const _bstr_t &host, const _bstr_t &user, long maxItems)
{
   const size_t bound = IsUsableLength(maxItems) ? static_cast<size_t>(maxItems) : 1;
   const std::wstring wanted = Wide(host);
   MruDestList updated;
   updated.emplace_back(host, user);
   for (const MruDestList::value_type &entry : list) {
      if (updated.size() >= bound) {
         break;
      }
      if (Wide(entry.first) != wanted) {
         updated.push_back(entry);
      }
   }
   return updated;
}

}  // namespace mrudest

void WipeText(_bstr_t &text)
{
   if (text.length() > 0) {
      // The narrow copy _bstr_t may keep beside the wide text shares the object too.
      char *narrow = const_cast<char *>(static_cast<const char *>(text));
      if (narrow) {
         SecureZeroMemory(narrow, strlen(narrow));
      }
      SecureZeroMemory(static_cast<wchar_t *>(text), text.length() * sizeof(wchar_t));
   }
   text = _bstr_t("");
}

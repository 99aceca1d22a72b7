// The recent remote destinations of the login dialog: what the preferences hold ("mruDest/" under
// the application's preference request) and how a successful connection updates them.
#pragma once

#include <windows.h>
#include <comdef.h>

#include <string>
#include <utility>
#include <vector>

// (destination string, user name), most recent first.
typedef std::vector<std::pair<_bstr_t, _bstr_t>> MruDestList;

// One stored element of "mruDest/item/#".
struct MruDestItem {
   bool present = false;
   std::string destString;
   std::string user;
   long index = 0;
};

namespace mrudest {

// Only lengths from 1 to 1999 are used; any other turns the stored list off.
bool IsUsableLength(long maxItems);

// The list the dialog offers: each present element with an index below `maxItems` at its
// position (a later element of the same index wins), then the empty positions dropped. Empty
// for a length that is not usable.
MruDestList FromItems(const std::vector<MruDestItem> &items, long maxItems);

// The list after a connection to (host, user): that destination first and once (compared
// exactly, letter case included), the others in their order, at most `maxItems` entries; no
// more than one entry when the length is not usable.
MruDestList Updated(const MruDestList &list, const _bstr_t &host, const _bstr_t &user, long maxItems);

}  // namespace mrudest

// Overwrites a text's characters before it is let go (a password), in every copy that shares it.
void WipeText(_bstr_t &text);

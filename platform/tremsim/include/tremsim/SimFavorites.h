// The favourites state "/user/vmlistState/" as its owner keeps it. Items are elements of
// "val/item/#" (id, parentID, ix, type, type/<type>/name, cfgPath, ..., present); folders are
// items of type "folder" whose id other items name as parentID. Clients write an item's fields
// directly and make it present or not through a request (req/#/val/item/#x/present = 1 or 0);
// names (type/<type>/name) and parentID change through requests too.
//
// The owner checks a request before it merges it (SimStateOwner::Apply):
//   - every item it names must exist;
//   - a name may not be blank; a parent must be 0 or a present folder that is not the item itself
//     or one of its own subfolders;
//   - an add of a file that a present item already lists (case-blind) is a duplicate: the new
//     element is dropped and the request still succeeds, so the list keeps one item per file.
// After the merge, the items of a removed folder move up to the folder's parent.
// At start-up, answered requests and items that are no longer present are purged.
#pragma once

#include <string>
#include <vector>

#include "cui/VmdbCtx.h"

namespace cuisim {

class SimFavorites {
public:
   static const char kState[];   // "/user/vmlistState/"

   // Checks the request element (absolute, with a trailing slash) of the state and drops the
   // duplicate adds in it. Empty when it may be merged, else the error text for the requester.
   static std::string Check(vmdb::Ctx &ctx, const std::string &statePath, const std::string &element);
   // What follows the merge of a checked request: folders it removed give their items to their parent.
   static void Settle(vmdb::Ctx &ctx, const std::string &statePath, const std::string &element);
   // Drops the request elements no one waits for any more (every element but the pending
   // submission) and the items that are not present and that no remaining request names.
   // Run where no client can be half-way through a request (when the host starts).
   static void Purge(vmdb::Ctx &ctx, const std::string &statePath);

   // The item's file ("type/<type>/cfgPath"); empty for a folder.
   static std::string CfgPathOf(vmdb::Ctx &ctx, const std::string &item);
   // The present items of the state, absolute paths with a trailing slash, in database order.
   static std::vector<std::string> PresentItems(vmdb::Ctx &ctx, const std::string &statePath);
};

}  // namespace cuisim

// The owner of request states ("settingsState", "prefState", "vmlistState", "mks/grabState",
// "connectState"): applies a submitted request to the state's value.
#pragma once

#include <functional>
#include <string>

#include "cui/VmdbCtx.h"

namespace cuisim {

class SimStateOwner {
public:
   // The state kinds the host owns, by the state node's name.
   static bool Owns(const std::string &stateName);

   // Applies the request the state's "new" names: the request's "val" subtree is merged into the
   // state's "val", the element's "status" set ("ok", or "error" with "status/error/errMsg"),
   // and "new" cleared, all in one batch. A stale submission (`keepStatus` false: its sender is
   // gone) leaves no status behind, so the element's next wait is not answered early. False
   // when nothing was pending or the state is configured never to answer.
   // `check`, when given, is asked (state, element) before the merge: a non-empty answer refuses
   // the request with that text.
   typedef std::function<std::string(const std::string &, const std::string &)> CheckFn;
   static bool Apply(vmdb::Ctx &ctx, const std::string &statePath, bool keepStatus = true,
                     const CheckFn &check = CheckFn());

   // Writes every value of the subtree at `from` to the same place under `to`; with `overwrite`
   // false, values that already exist under `to` are kept.
   static void CopyTree(vmdb::Ctx &ctx, const std::string &from, const std::string &to, bool overwrite);

   // The application's own preference request element: filled from the preference state's
   // value wherever it holds nothing, so the user's preferences survive the element's removal.
   static const char kPrefsState[];     // "/user/prefState/"
   static const char kPrefsElement[];   // "/user/prefState/req/#ZOLT/"
   static void SeedPrefsElement(vmdb::Ctx &ctx);

   // "/vm/#0001/mks/grabState/" gives "grabState".
   static std::string StateName(const std::string &statePath);
};

}  // namespace cuisim

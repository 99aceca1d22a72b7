#include "tremsim/SimStateOwner.h"

#include "SimHostConfig.h"
#include "cui/PathText.h"
#include "tremorybase/Log.h"
#include "tremsim/SimFavorites.h"

namespace cuisim {

const char SimStateOwner::kPrefsState[] = "/user/prefState/";
const char SimStateOwner::kPrefsElement[] = "/user/prefState/req/#ZOLT/";

bool SimStateOwner::Owns(const std::string &stateName)
{
   for (const char *name : {"settingsState", "prefState", "vmlistState", "grabState", "connectState"}) {
      if (stateName == name) {
         return true;
      }
   }
   return false;
}

std::string SimStateOwner::StateName(const std::string &statePath)
{
   std::string path = cuiutil::WithoutSlash(statePath);
   return path.substr(path.rfind('/') + 1);
}

void SimStateOwner::CopyTree(vmdb::Ctx &ctx, const std::string &from, const std::string &to, bool overwrite)
{
   std::string source = cuiutil::WithoutSlash(from);
   std::string target = cuiutil::WithoutSlash(to);
   std::vector<std::string> children = ctx.Children(source);
   std::string value;
   bool exists = ctx.Get(source, value);
   // A leaf is copied even when empty (it may clear a setting); a directory only carries a value.
   if (exists && (children.empty() || !value.empty()) && (overwrite || !ctx.Exists(target))) {
      ctx.Set(target, value);
   }
   for (const std::string &child : children) {
      CopyTree(ctx, source + "/" + child, target + "/" + child, overwrite);
   }
}

bool SimStateOwner::Apply(vmdb::Ctx &ctx, const std::string &statePath, bool keepStatus, const CheckFn &check)
{
   std::string state = cuiutil::WithSlash(statePath);
   std::string element = cuiutil::WithSlash(ctx.Get(state + "new"));
   std::string name = StateName(state);
   if (element.empty() || SimHostConfig::NeverAnswers(name)) {
      return false;
   }
   vmdb::Batch batch(ctx);
   std::string queue = state + "req/";
   if (element.compare(0, queue.size(), queue) != 0 || element.size() == queue.size()) {
      Warning("SimHost: %snew names %s, which is no request of that state\n", state.c_str(), element.c_str());
      ctx.Set(state + "new", "");
      return true;
   }
   std::string refusal;
   if (SimHostConfig::Fails(name)) {
      refusal = SimHostConfig::FailText(name);
   } else if (name == "vmlistState") {
      refusal = SimFavorites::Check(ctx, state, element);
   }
   if (refusal.empty() && check) {
      refusal = check(state, element);
   }
   if (!refusal.empty()) {
      Log("SimHost: the request %s failed: %s\n", element.c_str(), refusal.c_str());
      ctx.Set(element + "status/error/errMsg", refusal);
      ctx.Set(element + "status", "error");
   } else {
      CopyTree(ctx, element + "val", state + "val", true);
      if (name == "vmlistState") {
         SimFavorites::Settle(ctx, state, element);
      }
      ctx.Set(element + "status", "ok");
   }
   if (!keepStatus) {
      ctx.Remove(element + "status", true);
   }
   ctx.Set(state + "new", "");
   return true;
}

void SimStateOwner::SeedPrefsElement(vmdb::Ctx &ctx)
{
   std::string val = std::string(kPrefsState) + "val";
   if (ctx.Exists(val)) {
      CopyTree(ctx, val, std::string(kPrefsElement) + "val", false);
   }
}

}  // namespace cuisim

// What the host's per-host parts share: the host a changed path lies under, and following a
// host that appears or goes.
#pragma once

#include "cui/PathText.h"
#include "cui/VmdbCtx.h"

#include <set>
#include <string>

namespace cuisim {

// "/host2/#0001/settingsState/..." gives "/host2/#0001/"; empty outside a host node.
inline std::string HostOfPath(const std::string &path)
{
   const std::string root = "/host2/#";
   if (path.compare(0, root.size(), root) != 0) {
      return std::string();
   }
   size_t end = path.find('/', root.size());
   return end == std::string::npos ? path + "/" : path.substr(0, end + 1);
}

// After a change under a host: a host that went is forgotten from `loaded`; one still there is
// loaded by `load` (which does nothing for a host loaded already).
template <class Load>
void FollowHostChange(const vmdb::Ctx &ctx, const std::string &changedPath, std::set<std::string> &loaded, Load load)
{
   const std::string host = HostOfPath(changedPath);
   if (host.empty()) {
      return;
   }
   if (!ctx.Exists(cuiutil::WithoutSlash(host))) {
      loaded.erase(host);
      return;
   }
   load(host);
}

}  // namespace cuisim

#include "cui/LocalHost.h"

#include "cui/PathText.h"
#include "cui/Prefs.h"
#include "tremorybase/Log.h"

namespace cui {

LocalHost::LocalHost(const vmdb::Ctx &ctx, const std::string &linkPath)
   : Host(nullptr, ctx, std::string()), link_(linkPath)
{
   // The link node itself (no trailing "/") holds the host's path.
   std::string node = cuiutil::WithoutSlash(linkPath);
   std::string target = GetCtx().Get(node);
   if (!target.empty() && target[0] != '/') {
      target = GetCtx().FullPath(node + "/");
   }
   if (target.empty()) {
      Warning("cui::LocalHost: %s names no host\n", linkPath.c_str());
   }
   SetPath(target);
}

std::string LocalHost::GetOpenedObjsPrefix() const
{
   return std::string(kPrefsRequestPath) + "val/zolt/savedTabs";
}

}  // namespace cui

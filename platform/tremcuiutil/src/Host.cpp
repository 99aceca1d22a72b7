#include "cui/Host.h"

#include "PathText.h"
#include "cui/Registry.h"

namespace cui {

Host::Host(Cnx *cnx, const vmdb::Ctx &ctx, const std::string &hostPath) : cnx_(cnx), ctx_(ctx)
{
   SetPath(hostPath);
}

Host::~Host()
{
   watch_.disconnect();
   if (GetClientHost() == this) {
      SetClientHost(nullptr);
   }
   if (wui::GetCurrentHost() == this) {
      wui::SetCurrentHost(nullptr);
   }
}

void Host::SetPath(const std::string &hostPath)
{
   watch_.disconnect();
   path_ = cuiutil::WithSlash(hostPath);
   if (!path_.empty()) {
      watch_ = ctx_.Watch(cuiutil::WithoutSlash(path_), vmdb::Ctx::kWatchSubtree,
                          [this](const std::string &) { changed.emit(); });
   }
}

}  // namespace cui

// The local host, found through a link node of the application's subtree.
#pragma once

#include <string>

#include "cui/Host.h"

namespace cui {

class LocalHost : public Host {
public:
   // `linkPath` is a link to the host's node (cui::appdata::kLocalHost, with or without its
   // trailing "/"); the host's path is the link's value at construction (empty, with a warning,
   // when it is unset).
   LocalHost(const vmdb::Ctx &ctx, const std::string &linkPath);

   const std::string &GetLinkPath() const { return link_; }
   // Where the saved tabs of this host live: prefix + "/openedObj/#/", prefix + "/currentObj/".
   std::string GetOpenedObjsPrefix() const;   // "/user/prefState/req/#ZOLT/val/zolt/savedTabs"

private:
   std::string link_;
};

}  // namespace cui

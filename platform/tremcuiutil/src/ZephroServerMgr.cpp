#include "cui/ZephroServerMgr.h"

namespace cui {

namespace {
ZephroServerMgrImpl *gInstance = nullptr;
}

ZephroServerMgr::~ZephroServerMgr() = default;

ZephroServerMgrImpl::ZephroServerMgrImpl()
{
   gInstance = this;
}

ZephroServerMgrImpl::~ZephroServerMgrImpl()
{
   if (gInstance == this) {
      gInstance = nullptr;
   }
}

ZephroServerMgr *ZephroServerMgrImpl::GetInstance()
{
   return gInstance;
}

std::vector<ZephroServer *> ZephroServerMgrImpl::GetServers() const
{
   return servers_;
}

ZephroServer *ZephroServerMgrImpl::GetServerByID(const std::string &) const
{
   // Servers are added by the connect operation, which comes with the Zephro work.
   return nullptr;
}

}  // namespace cui

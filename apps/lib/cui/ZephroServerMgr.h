// Managed-template servers ("Zephro" servers) the user interface is connected to.
#pragma once

#include <string>
#include <vector>

namespace cui {

class ZephroServer;

class ZephroServerMgr {
public:
   virtual ~ZephroServerMgr();
   virtual std::vector<ZephroServer *> GetServers() const = 0;
   // By server id; null when not connected.
   virtual ZephroServer *GetServerByID(const std::string &id) const = 0;
};

class ZephroServerMgrImpl : public ZephroServerMgr {
public:
   ZephroServerMgrImpl();
   ~ZephroServerMgrImpl() override;

   // The one live manager; null when none exists.
   static ZephroServerMgr *GetInstance();

   std::vector<ZephroServer *> GetServers() const override;
   ZephroServer *GetServerByID(const std::string &id) const override;

   ZephroServerMgrImpl(const ZephroServerMgrImpl &) = delete;
   ZephroServerMgrImpl &operator=(const ZephroServerMgrImpl &) = delete;

private:
   std::vector<ZephroServer *> servers_;
};

}  // namespace cui

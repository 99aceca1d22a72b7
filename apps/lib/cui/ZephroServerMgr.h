// Managed-template servers ("Zephro" servers) the user interface is connected to.
#pragma once

#include "cui/Error.h"

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace wui {
class DlgMgr;
}

namespace cui {

// One server connection: its address parts, and its id, the address text of
// zephroutil::AddressToString.
class ZephroServer {
public:
   ZephroServer(std::string host, int port, bool flag);
   virtual ~ZephroServer();

   std::string GetID() const;
   void GetAddress(std::string &host, int &port, bool &flag) const;
   // Whether the server offers a directory service.
   virtual bool GetSupportsDirectory() const { return false; }

private:
   std::string host_;
   int port_;
   bool flag_;
};

class ZephroServerMgr {
public:
   // The connected slot gets the server and whether the connection is a new one.
   typedef sigc::slot<void, ZephroServer *, bool> ConnectedSlot;

   virtual ~ZephroServerMgr();
   virtual std::vector<ZephroServer *> GetServers() const = 0;
   // By server id; null when not connected.
   virtual ZephroServer *GetServerByID(const std::string &id) const = 0;
   // Both return at once and answer through one of their slots from a later poll step.
   virtual void Connect(const std::string &host, int port, bool flag, wui::DlgMgr *dlgMgr, const AbortSlot &failed,
                        const ConnectedSlot &connected, const std::string &text) = 0;
   virtual void Disconnect(ZephroServer *server, const AbortSlot &failed, const DoneSlot &done) = 0;
};

class ZephroServerMgrImpl : public ZephroServerMgr {
public:
   ZephroServerMgrImpl();
   ~ZephroServerMgrImpl() override;

   // The one live manager; null when none exists.
   static ZephroServerMgr *GetInstance();

   std::vector<ZephroServer *> GetServers() const override;
   ZephroServer *GetServerByID(const std::string &id) const override;
   // No management server can be reached from this build: a valid address is answered with
   // the failure "cannot connect", a bad one with the address check's text.
   void Connect(const std::string &host, int port, bool flag, wui::DlgMgr *dlgMgr, const AbortSlot &failed,
                const ConnectedSlot &connected, const std::string &text) override;
   // Drops the connection; a server this manager does not hold is already disconnected.
   void Disconnect(ZephroServer *server, const AbortSlot &failed, const DoneSlot &done) override;

   ZephroServerMgrImpl(const ZephroServerMgrImpl &) = delete;
   ZephroServerMgrImpl &operator=(const ZephroServerMgrImpl &) = delete;

private:
   std::vector<ZephroServer *> servers_;
   // Answers posted to the poll loop check this before they run.
   std::shared_ptr<bool> alive_;
};

namespace zephroutil {

// The address text of a server: "host:port", "[v6 host]:port" for an IPv6 literal, with
// "http://" in front when `flag` (a secure connection) is off.
std::string AddressToString(const std::string &host, int port, bool flag);
// Splits an address text ("[http://|https://]host[:port][/]") into its parts: the port is 443
// when not given (80 for "http://"), `flag` is off only for "http://". Answers the empty text
// on success, else the reason, and then leaves the outputs as they were.
std::string StringToAddress(const std::string &text, std::string &host, int &port, bool &flag);

}  // namespace zephroutil

}  // namespace cui

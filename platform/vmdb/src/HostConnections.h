// The machine client's connections to hosts, kept in the database under "/db/connection/#…/":
// `dest`, `user`, `lastError` ("0" while the connection stands), `hosts/#…` (host node paths)
// and `attachedHost`.
//
// A connection to "localhost" (any port, any letter case) or to an empty destination reaches the
// local host "/host2/#0000/". Another destination reaches one of the simulated other hosts of
// RemoteHosts.h, which gets a host node of its own under "/host2/#…/" named after it (with its
// "info/", its product and its registered machines). Refusals, each with its own text: a
// destination that is not configured ("Cannot connect to host <dest>"), a port the host does not
// listen on, a wrong user or password ("Incorrect user name or password."), a malformed
// destination, and a host that does not answer within the connect timeout.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "RemoteHosts.h"
#include "vmdb/Store.h"

namespace vmdb {

class ConnectionError : public std::runtime_error {
public:
   ConnectionError(HRESULT hr, const std::string &text) : std::runtime_error(text), hr_(hr) {}
   HRESULT Code() const { return hr_; }

private:
   HRESULT hr_;
};

class HostConnections {
public:
   HostConnections(vmdbstore::Context &ctx, std::string localHost);

   // The new connection's node path; ConnectionError when refused.
   std::string Connect(const std::string &dest, const std::string &user, const std::string &password);
   long HostCount(const std::string &cnxPath) const;
   std::string HostPath(const std::string &cnxPath, long index) const;
   void Attach(const std::string &cnxPath, const std::string &hostPath);
   // Lets go of an attached host; letting go of one not attached does nothing.
   void Release(const std::string &hostPath);
   // Removes the connection, and the simulated host of a remote one once no connection uses it.
   void Disconnect(const std::string &cnxPath);

   // The host the client works with: the attached one, else the local host.
   const std::string &CurrentHost() const { return current_; }

   static const char kConnections[];   // "/db/connection/"
   // What every simulated host runs.
   static const char kProductName[];
   static const char kProductVersion[];
   static const char kRemoteOs[];
   // "Far.Example:902" gives "far.example".
   static std::string HostName(const std::string &dest);

private:
   std::string Checked(const std::string &cnxPath) const;
   std::vector<std::string> Hosts(const std::string &cnx) const;
   std::string MakeRemoteHost(const RemoteHost &remote);

   vmdbstore::Context &ctx_;
   std::string local_;
   std::string current_;
};

}  // namespace vmdb

// The machine client's connections to hosts, kept in the database under "/db/connection/#…/":
// `dest`, `user`, `lastError` ("0" while the connection stands), `hosts/#…` (host node paths)
// and `attachedHost`.
//
// There are no remote hosts: a connection to "localhost" (any port, any letter case) or to an
// empty destination reaches the local host "/host2/#0000/". Another destination is refused with
// "Cannot connect to host <dest>" unless the configuration key "test.remoteHosts" lists it
// (comma-separated, with or without its port); it then gets a simulated host of its own under
// "/host2/#…/" named after it, and when "test.remotePassword" is set, any other password is
// refused with "Incorrect user name or password.".
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

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
   // "Far.Example:902" gives "far.example".
   static std::string HostName(const std::string &dest);

private:
   std::string Checked(const std::string &cnxPath) const;
   std::vector<std::string> Hosts(const std::string &cnx) const;
   std::string RemoteHost(const std::string &name);

   vmdbstore::Context &ctx_;
   std::string local_;
   std::string current_;
};

}  // namespace vmdb

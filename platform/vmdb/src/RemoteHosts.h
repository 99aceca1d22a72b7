// The other hosts the machine client can reach. They are simulated in process and described by
// configuration keys; a connection to one is answered as a host over the network would answer:
//   "test.remoteHosts"               comma-separated "name" or "name:port" (the port it listens
//                                    on, kDefaultPort when not given)
//   "test.remotePassword"            when set, the one password every user of every host has
//   "test.remoteHost.<name>.users"   comma-separated "user:password" pairs: only these users
//                                    log in, each with its own password (replaces the above)
//   "test.remoteHost.<name>.vms"     ';'-separated configuration files the host has registered
//   "test.remoteHost.<name>.noAnswer" true: the host takes the connection and never answers
//   "vmdb.connect.timeoutMs"         how long a connection waits for its answer (30000)
// `name` is the host name in lower case.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vmdb {

// A destination text: "host", "host:port", "user@host:port"; an IPv6 address is written in
// brackets ("[fe80::1]:903").
struct Destination {
   std::string host;    // lower case, without brackets
   unsigned port = 0;   // 0: not given
   std::string user;    // empty: not given
};

// False, with a reason a user can read, for an empty host, a port that is not a number from 1
// to 65535, or an unclosed bracket.
bool ParseDestination(const std::string &text, Destination &dest, std::string &error);

struct RemoteHost {
   std::string name;
   unsigned port = 0;
   // user -> password; empty: any user, with `anyUserPassword` when that is not empty.
   std::map<std::string, std::string> users;
   std::string anyUserPassword;
   std::vector<std::string> vms;
   bool noAnswer = false;
};

class RemoteHosts {
public:
   static constexpr unsigned kDefaultPort = 902;

   // The configured host named `name` (any letter case); false when none is.
   static bool Find(const std::string &name, RemoteHost &host);
   // Whether `user` may log in with `password`.
   static bool Accepts(const RemoteHost &host, const std::string &user, const std::string &password);
   static long ConnectTimeoutMs();

   // The pieces of a list: "a, b ,c" with ',' gives {"a", "b", "c"}; empty items are dropped.
   static std::vector<std::string> Split(const std::string &list, char separator);
};

}  // namespace vmdb

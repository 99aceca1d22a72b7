// The client sessions the simulated host has with a registered machine, kept under its
// "vmx/execState/cnx/#/" ("user", "from", "since": seconds since 1970, UTC). The client that opens
// a machine is one: the "user" input of its "openVM", else the Windows user of this process,
// connected from this computer. Tests and demonstrations add others with a configuration key:
//   "test.machine.otherUsers"   comma-separated "user@from" items, added to every machine the
//                               host registers ("ann@LAB-7, bob@desk"); an item without '@' is
//                               a user on this computer, an item without a user is ignored
// The list is written with the registration and goes with it.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "cui/VmdbCtx.h"

namespace cuisim {

struct SimConnection {
   std::string user;
   std::string from;
   time_t since = 0;
};

class SimConnections {
public:
   // The opener's session: `user`, or the Windows user when it is empty, from this computer, now.
   static SimConnection Opener(const std::string &user);
   // The sessions "test.machine.otherUsers" names, connected at `since`.
   static std::vector<SimConnection> Configured(time_t since);
   // The items of such a list; `localComputer` stands for an item without '@'.
   static std::vector<SimConnection> Parse(const std::string &list, const std::string &localComputer, time_t since);
   // Replaces the elements under `cnxPath` ("/vm/#0001/vmx/execState/cnx/") with `connections`.
   static void Write(vmdb::Ctx &ctx, const std::string &cnxPath, const std::vector<SimConnection> &connections);

   static std::string LocalUserName();
   static std::string LocalComputerName();
};

}  // namespace cuisim

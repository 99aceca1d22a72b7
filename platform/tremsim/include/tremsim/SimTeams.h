// The teams of the simulated host. Opening a team file registers it under "/team/#…/":
//   "cfgFile", "name", "notes", "busy" (1 while a team operation runs), "pending" (its name),
//   "member/#…/cfgPath", "startupOrder", "startupDelay"; "lan/#…/id", "name", "bandwidth", "loss".
// While a team is registered, each of its machines that is open shows the team file at
// "vmx/cfgState/val/teamFile" of its node (also one opened later); the machine files are never
// written for it.
// Host operations on "util/vm/cmd/##/":
//   "openTeam"     in/cfgPath -> out/teamPath (a file registered already answers with its node)
//   "closeTeam"    in/teamPath
//   "loadTeam"     in/teamPath: reads the file again into the node
//   "saveTeam"     in/cfgPath, in/teamPath (may be empty), in/content (the file's lines, checked as a
//                  file is): written whole, unknown keys of the file kept; refused while the team
//                  is busy and over a file that cannot be read
//   "deleteTeam"   in/cfgPath: removes the team file only, refused while the team is busy or a
//                  member is powered on
//   "powerOnTeam"  in/teamPath, in/option: members one by one in start-up order (equal orders in
//                  the file's order), each after the one before is on and its delay has passed
//   "powerOffTeam", "suspendTeam", "resetTeam": every member that can, at once
// Each is answered when it has ended. "test.host.teamSecondMs" is the length of one second of
// a start-up delay (default 1000); "test.host.fail" fails the operations by name.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cui/VmdbCtx.h"
#include "tremorybase/Poll.h"
#include "tremsim/SimCmdOwner.h"
#include "tremsim/SimTeamFile.h"

namespace cuisim {

class SimMachines;

class SimTeams {
public:
   SimTeams(const vmdb::Ctx &ctx, SimMachines &machines);
   ~SimTeams();

   void RegisterOps(SimCmdOwner &hostCmds);

   // Registers the team file (or finds it registered); returns its node. Throws cui::Error.
   std::string Open(const std::string &cfgPath);
   void Close(const std::string &teamPath);
   // The file of the registered team that holds the machine `cfgPath`; empty when none.
   std::string TeamFileOf(const std::string &cfgPath) const;
   size_t GetCount() const { return teams_.size(); }

   SimTeams(const SimTeams &) = delete;
   SimTeams &operator=(const SimTeams &) = delete;

private:
   struct Operation;
   struct Team {
      std::string path;   // "/team/#0001/"
      SimTeamFile file;
      std::shared_ptr<Operation> running;
   };

   Team &TeamOf(const std::string &teamPath);
   Team *FindByFile(const std::string &cfgPath);
   void WriteNode(const Team &team);
   void WriteBusy(const Team &team);
   // Shows (or clears) the team file in the nodes of the open machines of `file`.
   void MarkMembers(const SimTeamFile &file, bool inTeam);
   void RebuildIndex();
   // Gives the registered team the contents `file`: index, machines' marks and node.
   void Replace(Team &team, const SimTeamFile &file);

   void OnSave(SimCommand &cmd);
   void OnDelete(SimCommand &cmd);
   void OnPower(SimCommand &cmd);
   void PowerNext(const std::shared_ptr<Operation> &op);
   void PartDone(const std::shared_ptr<Operation> &op, const std::string &error);
   void Finish(const std::shared_ptr<Operation> &op, const std::string &error);

   vmdb::Ctx ctx_;
   SimMachines &machines_;
   std::map<std::string, std::unique_ptr<Team>> teams_;   // by node
   std::map<std::string, std::string> memberIndex_;        // PathKey of a member -> team file
   std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace cuisim

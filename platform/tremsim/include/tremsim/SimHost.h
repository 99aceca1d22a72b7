// The simulated host process, in-process: the owner of the command queues of every host
// ("/host2/#…/util/vm/cmd/##/") and machine ("/vm/#…/cmd/##", "/vm/#…/user/cmd/##/") and of
// the request states (SimStateOwner). It watches the database and carries work out from a poll
// timer a few milliseconds after it sees it, as a separate process would: never inside the
// write that sent it, always on the one thread. A blocking sender's WaitUntilChanged runs poll
// steps, so the host answers while it waits.
//
// A host's "settingsState" requests are checked and kept by SimHostSettings.
//
// One runs for the model library's database, installed behind its host seam (SimHostBackend.h):
// cui::SetVmdbCtx starts it and cui::SetVmdbCtx with an empty context stops it (the program does
// so at shutdown). Test hooks: SimHostConfig.h (private to the simulation).
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "cui/VmdbCtx.h"
#include "tremorybase/Poll.h"
#include "tremsim/SimCmdOwner.h"
#include "tremsim/SimHostSettings.h"
#include "tremsim/SimMachines.h"
#include "tremsim/SimMovies.h"
#include "tremsim/SimRegistry.h"
#include "tremsim/SimTeams.h"
#include "tremsim/SimVmCreator.h"

namespace cuisim {

// What a changed path asks of the host.
struct SimWork {
   enum Kind { None, HostCommand, MachineCommand, MachineUserCommand, StateRequest, PrefsElement, CfgRequest };
   Kind kind = None;
   std::string owner;    // the host's or machine's node, "/host2/#0000/"
   std::string target;   // the command element, or the state node ("/user/prefState/")

   // Recognises a command's "op", a state's "new" (a machine's "vmx/cfgState/new" is a
   // CfgRequest) and the preference request element.
   static SimWork FromChange(const std::string &changedPath);
};

class SimHost {
public:
   explicit SimHost(const vmdb::Ctx &ctx);
   ~SimHost();   // drops its timers and watches; work not yet done stays undone

   SimCmdOwner &HostCommands() { return hostCmds_; }
   SimCmdOwner &MachineCommands() { return vmCmds_; }
   SimCmdOwner &MachineUserCommands() { return vmUserCmds_; }
   SimMachines &Machines() { return machines_; }
   SimVmCreator &Creator() { return creator_; }
   SimRegistry &Registry() { return registry_; }
   SimMovies &Movies() { return movies_; }
   SimHostSettings &Settings() { return settings_; }
   SimTeams &Teams() { return teams_; }
   size_t GetPendingCount() const { return pending_.size(); }

   // The library's host: started on `ctx`'s database (kept when it already runs there); an
   // empty context stops it.
   static void RunFor(const vmdb::Ctx &ctx);
   static SimHost *Get();
   // Makes sure the host's registered machines are in `ctx`'s database before it is read: the
   // host node may have been made by a write this host has not heard of yet.
   static void LoadRegisteredVMs(const vmdb::Ctx &ctx, const std::string &hostPath);

   SimHost(const SimHost &) = delete;
   SimHost &operator=(const SimHost &) = delete;

private:
   void OnChange(const std::string &changedPath);
   void Schedule(const SimWork &work);
   void Carry(const SimWork &work);
   // What an earlier run left pending: stale submissions, unanswered commands.
   void ScanAtStart();
   // Applies a state request; a host's settings are checked and saved by the host's settings.
   void ApplyStateRequest(const std::string &statePath, bool keepStatus);

   vmdb::Ctx ctx_;
   SimCmdOwner hostCmds_{"host"};
   SimCmdOwner vmCmds_{"virtual machine"};
   SimCmdOwner vmUserCmds_{"virtual machine"};
   SimMachines machines_{ctx_};
   SimVmCreator creator_{machines_};
   SimRegistry registry_{ctx_};
   SimMovies movies_{ctx_, machines_};
   SimHostSettings settings_{ctx_, registry_};
   SimTeams teams_{ctx_, machines_};   // after the machines: its operations go first
   std::vector<sigc::connection> watches_;
   std::set<std::pair<int, std::string>> pending_;
   std::set<PollTimerId> timers_;
};

}  // namespace cuisim

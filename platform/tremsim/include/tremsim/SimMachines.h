// The machines of the simulated host: opening a configuration file registers it under "/vm/#…/"
// and closing it removes it again. Host operations on "util/vm/cmd/##/":
//   "openVM"      in/cfgPath, in/client (who opens it), in/user (the session's user; the
//                 Windows user when not given)  -> out/vmPath
//   "closeVM"     in/vmPath
// Machine operations on "/vm/#…/cmd/##/":
//   "powerOn", "powerOff", "suspend", "reset"   in/option (cui::VM::PowerOption); answered when
//                                               the operation has ended
//   "setCfgState"   in/val/generationNo, in/val/<name> for the names of "vmx/cfgState/val/"
// Requests on a machine's "vmx/cfgState" (the request form: "req/#…/val/…", then "new"): the
// names given under the request's "val/" are applied as by "setCfgState" ("dev/#…/present",
// "dev/#…/fileName" for a device), the others stay; the element's "status" is "ok", or "error"
// with "status/error/errMsg" when the change cannot be made (nothing is changed then).
// A file is in use while it is registered, or while another process holds its lock file
// ("<file>.lck", kept open without sharing while the machine is registered).
#pragma once

#include <map>
#include <memory>
#include <string>

#include "tremsim/SimCmdOwner.h"
#include "tremsim/SimMachine.h"

namespace cuisim {

class SimMachines {
public:
   explicit SimMachines(const vmdb::Ctx &ctx) : ctx_(ctx) {}
   ~SimMachines();

   // Adds the operations above to the host's and the machines' queues.
   void RegisterOps(SimCmdOwner &hostCmds, SimCmdOwner &vmCmds);

   // Opens and registers `cfgPath` with a session of `user` (SimConnections::Opener); throws
   // cui::Error with a text a user understands.
   SimMachine &Open(const std::string &cfgPath, const std::string &client, const std::string &user = std::string());
   void Close(const std::string &vmPath);
   SimMachine *Find(const std::string &vmPath) const;
   SimMachine *FindByCfgPath(const std::string &cfgPath) const;
   // Answers the request that "<statePath>new" names (statePath: "/vm/#0001/vmx/cfgState/");
   // false when nothing was pending or the state is configured never to answer.
   bool ApplyCfgRequest(const std::string &statePath);
   size_t GetCount() const { return machines_.size(); }

   static std::string LockPath(const std::string &cfgPath) { return cfgPath + ".lck"; }

   SimMachines(const SimMachines &) = delete;
   SimMachines &operator=(const SimMachines &) = delete;

private:
   void OnPowerOp(SimCommand &cmd);
   void OnSetCfgState(SimCommand &cmd);
   SimMachine &Machine(SimCommand &cmd) const;
   // The leaves below `path` as (path relative to it, value); "generationNo" goes to `generationNo`.
   std::vector<std::pair<std::string, std::string>> CollectValues(vmdb::Ctx &ctx, const std::string &path,
                                                                  long &generationNo) const;

   vmdb::Ctx ctx_;
   std::map<std::string, std::unique_ptr<SimMachine>> machines_;   // by database path
};

}  // namespace cuisim

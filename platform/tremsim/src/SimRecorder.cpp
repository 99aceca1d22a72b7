#include "SimRecorder.h"

#include <cstdlib>
#include <memory>

#include "cui/Error.h"
#include "cui/LocalizedString.h"
#include "tremorybase/Log.h"
#include "tremsim/SimMachine.h"
#include "tremsim/SimMachines.h"
#include "tremsim/SimSnapshots.h"

namespace cuisim {

namespace {

const char kLive[] = "live";
const char kRecording[] = "recording";
const char kPlaying[] = "playing";

void WriteState(vmdb::Ctx &ctx, const std::string &vmPath, const std::string &state, int uid)
{
   const std::string exec = vmPath + "vmx/execState/";
   vmdb::Batch batch(ctx);
   ctx.Set(exec + "replay/state", state);
   ctx.Set(exec + "replay/uid", vmdb::Value(uid));
   ctx.Set(exec + "replay/poweredOnAt", ctx.Get(exec + "poweredOnAt"));
   Log("SimHost: %s: recorder %s\n", vmPath.c_str(), state.c_str());
}

SimMachine &MachineOf(SimMachines &machines, SimCommand &cmd)
{
   SimMachine *machine = machines.Find(cmd.Owner());
   if (!machine) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.vm.notOpen)The virtual machine is not open on the host."));
   }
   return *machine;
}

// Refuses unless the recorder is in `state`.
void Expect(SimCommand &cmd, SimMachine &machine, const char *state, const char *refusal)
{
   if (RecorderState(cmd.Ctx(), cmd.Owner()) != state) {
      throw cui::Error(cui::Format(refusal, machine.GetConfig().GetDisplayName().c_str()));
   }
}

// Answers the command once the operation ends; the command's element outlives the handler.
std::function<void(const std::string &)> Answer(SimCommand &cmd, std::function<void()> onSuccess)
{
   vmdb::Ctx ctx = cmd.Ctx();
   std::string element = cmd.Element();
   return [ctx, element, onSuccess](const std::string &error) mutable {
      if (error.empty() && onSuccess) {
         onSuccess();
      }
      SimCmdOwner::Answer(ctx, element, error);
   };
}

void StartRecording(SimCommand &cmd, SimMachines &machines)
{
   SimMachine &machine = MachineOf(machines, cmd);
   if (machine.GetExecState() != SimMachine::kPoweredOn) {
      throw cui::Error(
         cui::Format("@&!*@*@(msg.host.replay.notOn)The virtual machine \"%s\" cannot record while it "
                     "is not powered on.",
                     machine.GetConfig().GetDisplayName().c_str()));
   }
   Expect(cmd, machine, kLive,
          "@&!*@*@(msg.host.replay.notLive)The virtual machine \"%s\" is recording or playing "
          "already.");
   vmdb::Ctx ctx = cmd.Ctx();
   std::string vmPath = cmd.Owner();
   SimSnapshots &snapshots = machine.GetSnapshots();
   auto uid = std::make_shared<int>(0);
   auto markTaken = [&snapshots, uid](int taken) {
      *uid = taken;
      std::string error = snapshots.MarkRecording(taken);
      if (!error.empty()) {
         Warning("SimHost: the recording %d is not marked: %s\n", taken, error.c_str());
      }
   };
   std::string error =
      snapshots.StartTake(cmd.In("name"), cmd.In("description"), markTaken, Answer(cmd, [ctx, vmPath, uid]() mutable {
                             if (ctx.Exists(vmPath + "cfgFile")) {
                                WriteState(ctx, vmPath, kRecording, *uid);
                             }
                          }));
   if (!error.empty()) {
      throw cui::Error(error);
   }
   cmd.Defer();
}

void StartReplay(SimCommand &cmd, SimMachines &machines)
{
   SimMachine &machine = MachineOf(machines, cmd);
   Expect(cmd, machine, kLive,
          "@&!*@*@(msg.host.replay.notLive)The virtual machine \"%s\" is recording or playing "
          "already.");
   int uid = static_cast<int>(std::strtol(cmd.In("uid").c_str(), nullptr, 10));
   const auto &all = machine.GetSnapshots().GetFile().snapshots;
   auto found = all.find(uid);
   if (found == all.end() || !found->second.recording) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.replay.unknown)The virtual machine \"%s\" has no recording %d.",
                                   machine.GetConfig().GetDisplayName().c_str(), uid));
   }
   vmdb::Ctx ctx = cmd.Ctx();
   std::string vmPath = cmd.Owner();
   std::string error = machine.GetSnapshots().StartRevert(uid, false, cmd.In("updateMRU") != "0",
                                                          Answer(cmd, [ctx, vmPath, uid]() mutable {
                                                             if (ctx.Exists(vmPath + "cfgFile")) {
                                                                WriteState(ctx, vmPath, kPlaying, uid);
                                                             }
                                                          }));
   if (!error.empty()) {
      throw cui::Error(error);
   }
   cmd.Defer();
}

}  // namespace

std::string RecorderState(const vmdb::Ctx &ctx, const std::string &vmPath)
{
   const std::string exec = vmPath + "vmx/execState/";
   if (ctx.Get(exec + "val") != SimMachine::kPoweredOn ||
       ctx.Get(exec + "replay/poweredOnAt") != ctx.Get(exec + "poweredOnAt")) {
      return kLive;
   }
   std::string state = ctx.Get(exec + "replay/state");
   return state.empty() ? kLive : state;
}

void RegisterRecorderOps(SimCmdOwner &vmCmds, SimMachines &machines)
{
   vmCmds.Register("startRecording", [&machines](SimCommand &cmd) { StartRecording(cmd, machines); });
   vmCmds.Register("stopRecording", [&machines](SimCommand &cmd) {
      Expect(cmd, MachineOf(machines, cmd), kRecording,
             "@&!*@*@(msg.host.replay.notRecording)The virtual machine \"%s\" is not recording.");
      WriteState(cmd.Ctx(), cmd.Owner(), kLive, 0);
   });
   vmCmds.Register("startReplay", [&machines](SimCommand &cmd) { StartReplay(cmd, machines); });
   vmCmds.Register("endReplay", [&machines](SimCommand &cmd) {
      Expect(cmd, MachineOf(machines, cmd), kPlaying,
             "@&!*@*@(msg.host.replay.notPlaying)The virtual machine \"%s\" is not playing a recording.");
      WriteState(cmd.Ctx(), cmd.Owner(), kLive, 0);
   });
}

std::string SimSnapshots::MarkRecording(int uid)
{
   SimSnapshotFile changed = file_;
   auto it = changed.snapshots.find(uid);
   if (it == changed.snapshots.end()) {
      return cui::Format("@&!*@*@(msg.host.snapshot.unknown)The virtual machine \"%s\" has no snapshot %d.",
                         MachineName().c_str(), uid);
   }
   it->second.recording = true;
   return Commit(changed);
}

}  // namespace cuisim

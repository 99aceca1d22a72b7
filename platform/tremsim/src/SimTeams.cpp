#include "tremsim/SimTeams.h"

#include <algorithm>
#include <cstdlib>

#include "cui/Error.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"
#include "tremsim/SimMachine.h"
#include "tremsim/SimMachines.h"
#include "tremsim/SimVmxConfig.h"

namespace cuisim {

struct SimTeams::Operation {
   std::string teamPath;
   std::string op;   // "powerOnTeam", ...
   int option = 0;
   vmdb::Ctx ctx;
   std::string element;   // the command to answer
   std::vector<SimTeamMember> order;   // power-on: the members in start-up order
   size_t next = 0;
   int outstanding = 0;
   std::string firstError;
   PollTimerId timer = 0;
   bool finished = false;
};

namespace {

unsigned SecondMs()
{
   long ms = Config_GetLong("test.host.teamSecondMs", 1000);
   return ms < 0 ? 0 : ms > 10000 ? 10000 : static_cast<unsigned>(ms);
}

std::string MachineOp(const std::string &teamOp)
{
   return teamOp == "powerOnTeam" ? "powerOn" : teamOp == "powerOffTeam" ? "powerOff" : teamOp == "suspendTeam" ? "suspend"
                                                                                                                 : "reset";
}

}  // namespace

SimTeams::SimTeams(const vmdb::Ctx &ctx, SimMachines &machines) : ctx_(ctx), machines_(machines)
{
   std::weak_ptr<bool> alive = alive_;
   SimVmxConfig::SetTeamFileLookup([this, alive](const std::string &cfgPath) {
      return alive.expired() ? std::string() : TeamFileOf(cfgPath);
   });
}

SimTeams::~SimTeams()
{
   alive_.reset();
   SimVmxConfig::SetTeamFileLookup(nullptr);
   for (auto &entry : teams_) {
      if (entry.second->running && entry.second->running->timer) {
         Poll_RemoveTimer(entry.second->running->timer);
      }
   }
}

void SimTeams::RegisterOps(SimCmdOwner &hostCmds)
{
   hostCmds.Register("openTeam", [this](SimCommand &cmd) { cmd.SetOut("teamPath", Open(cmd.In("cfgPath"))); });
   hostCmds.Register("closeTeam", [this](SimCommand &cmd) { Close(cmd.In("teamPath")); });
   hostCmds.Register("loadTeam", [this](SimCommand &cmd) {
      Team &team = TeamOf(cmd.In("teamPath"));
      SimTeamFile file;
      std::string error;
      if (!file.Load(team.file.GetPath(), error)) {
         throw cui::Error(error);
      }
      Replace(team, file);
   });
   hostCmds.Register("saveTeam", [this](SimCommand &cmd) { OnSave(cmd); });
   hostCmds.Register("deleteTeam", [this](SimCommand &cmd) { OnDelete(cmd); });
   for (const char *op : {"powerOnTeam", "powerOffTeam", "suspendTeam", "resetTeam"}) {
      hostCmds.Register(op, [this](SimCommand &cmd) { OnPower(cmd); });
   }
}

SimTeams::Team &SimTeams::TeamOf(const std::string &teamPath)
{
   auto it = teams_.find(cuiutil::WithSlash(teamPath));
   if (teamPath.empty() || it == teams_.end()) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.team.notOpen)The team is not open on the host."));
   }
   return *it->second;
}

SimTeams::Team *SimTeams::FindByFile(const std::string &cfgPath)
{
   for (auto &entry : teams_) {
      if (!cfgPath.empty() && cuiutil::SameFilePath(entry.second->file.GetPath(), cfgPath)) {
         return entry.second.get();
      }
   }
   return nullptr;
}

std::string SimTeams::Open(const std::string &cfgPath)
{
   if (cfgPath.empty()) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.team.noPath)No team file was given."));
   }
   if (Team *open = FindByFile(cfgPath)) {
      return open->path;
   }
   std::unique_ptr<Team> team(new Team);
   std::string error;
   if (!team->file.Load(cfgPath, error)) {
      throw cui::Error(error);
   }
   team->path = ctx_.Append("/team/##");
   Team &added = *team;
   teams_[added.path] = std::move(team);
   RebuildIndex();
   WriteNode(added);
   MarkMembers(added.file, true);
   Log("SimHost: opened the team %s as %s (%u members)\n", cfgPath.c_str(), added.path.c_str(),
       static_cast<unsigned>(added.file.members.size()));
   return added.path;
}

void SimTeams::Close(const std::string &teamPath)
{
   auto it = teams_.find(cuiutil::WithSlash(teamPath));
   if (teamPath.empty() || it == teams_.end()) {
      Log("SimHost: closeTeam: %s is not open\n", teamPath.c_str());
      return;
   }
   std::unique_ptr<Team> team = std::move(it->second);
   teams_.erase(it);
   if (team->running) {
      Finish(team->running, cui::GetLocalString("@&!*@*@(msg.host.team.closed)The team was closed."));
   }
   RebuildIndex();
   MarkMembers(team->file, false);
   ctx_.Remove(cuiutil::WithoutSlash(team->path), true);
   Log("SimHost: closed the team %s (%s)\n", team->path.c_str(), team->file.GetPath().c_str());
}

std::string SimTeams::TeamFileOf(const std::string &cfgPath) const
{
   auto it = memberIndex_.find(SimTeamFile::PathKey(cfgPath));
   return it == memberIndex_.end() ? std::string() : it->second;
}

void SimTeams::RebuildIndex()
{
   memberIndex_.clear();
   for (const auto &entry : teams_) {
      for (const SimTeamMember &member : entry.second->file.members) {
         memberIndex_.emplace(SimTeamFile::PathKey(member.cfgPath), entry.second->file.GetPath());
      }
   }
}

void SimTeams::MarkMembers(const SimTeamFile &file, bool inTeam)
{
   for (const SimTeamMember &member : file.members) {
      SimMachine *machine = machines_.FindByCfgPath(member.cfgPath);
      if (!machine || machine->GetVmPath().empty()) {
         continue;
      }
      // Another open team may hold the machine too; the machine's own file names none.
      std::string teamFile = inTeam ? file.GetPath() : TeamFileOf(member.cfgPath);
      if (teamFile.empty()) {
         teamFile = machine->GetConfig().Get("teamFile");
      }
      ctx_.Set(machine->GetVmPath() + "vmx/cfgState/val/teamFile", teamFile);
   }
}

void SimTeams::Replace(Team &team, const SimTeamFile &file)
{
   SimTeamFile old = team.file;
   team.file = file;
   // The index first: a machine that left is marked out of this team, one that stayed stays in.
   RebuildIndex();
   MarkMembers(old, false);
   MarkMembers(team.file, true);
   WriteNode(team);
}

void SimTeams::WriteNode(const Team &team)
{
   vmdb::Batch batch(ctx_);
   const std::string &path = team.path;
   ctx_.Remove(path + "member", true);
   ctx_.Remove(path + "lan", true);
   ctx_.Set(path + "cfgFile", team.file.GetPath());
   ctx_.Set(path + "name", team.file.name);
   ctx_.Set(path + "notes", team.file.notes);
   for (const SimTeamMember &member : team.file.members) {
      std::string element = ctx_.Append(path + "member/#");
      ctx_.Set(element + "cfgPath", member.cfgPath);
      ctx_.Set(element + "startupOrder", vmdb::Value(member.startupOrder));
      ctx_.Set(element + "startupDelay", vmdb::Value(member.startupDelay));
   }
   for (const SimTeamLan &lan : team.file.lans) {
      std::string element = ctx_.Append(path + "lan/#");
      ctx_.Set(element + "id", lan.id);
      ctx_.Set(element + "name", lan.name);
      ctx_.Set(element + "bandwidth", vmdb::Value(lan.bandwidth));
      ctx_.Set(element + "loss", vmdb::Value(lan.loss));
   }
   WriteBusy(team);
}

void SimTeams::WriteBusy(const Team &team)
{
   vmdb::Batch batch(ctx_);
   ctx_.Set(team.path + "busy", vmdb::Value(team.running ? 1 : 0));
   ctx_.Set(team.path + "pending", team.running ? team.running->op : std::string());
}

void SimTeams::OnSave(SimCommand &cmd)
{
   std::string cfgPath = cmd.In("cfgPath");
   if (cfgPath.empty()) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.team.noPath)No team file was given."));
   }
   Team *team = FindByFile(cfgPath);
   if (team && team->running) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.team.busy)The team \"%s\" is busy with another operation. Try "
                                   "again when it has finished.", team->file.name.c_str()));
   }
   SimTeamFile edited;
   std::string problem;
   if (!edited.Parse(cmd.In("content"), cfgPath, problem)) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.team.badContent)The team \"%s\" was not saved: its contents are "
                                   "not valid (%s).", cfgPath.c_str(), problem.c_str()));
   }
   // A new team has no file yet; an old one must still be readable, and keeps its unknown keys.
   if (File_Exists(cfgPath)) {
      SimTeamFile onDisk;
      std::string error;
      if (!onDisk.Load(cfgPath, error)) {
         throw cui::Error(cui::Format("@&!*@*@(msg.host.team.kept)The team file \"%s\" was not written: it cannot be "
                                      "read, and it is kept as it is. %s", cfgPath.c_str(), error.c_str()));
      }
      edited.KeepUnknownFrom(onDisk);
   }
   std::string error;
   if (!edited.Save(error)) {
      throw cui::Error(error);
   }
   Log("SimHost: saved the team %s (%u members, %u LANs)\n", cfgPath.c_str(),
       static_cast<unsigned>(edited.members.size()), static_cast<unsigned>(edited.lans.size()));
   if (team) {
      Replace(*team, edited);
   }
}

void SimTeams::OnDelete(SimCommand &cmd)
{
   std::string cfgPath = cmd.In("cfgPath");
   if (cfgPath.empty()) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.team.noPath)No team file was given."));
   }
   Team *team = FindByFile(cfgPath);
   SimTeamFile file;
   std::string error;
   if (team) {
      if (team->running) {
         throw cui::Error(cui::Format("@&!*@*@(msg.host.team.busy)The team \"%s\" is busy with another operation. "
                                      "Try again when it has finished.", team->file.name.c_str()));
      }
      file = team->file;
   } else if (!File_Exists(cfgPath)) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.team.missing)The team file \"%s\" was not found. It may have "
                                   "been moved or deleted.", cfgPath.c_str()));
   } else if (!file.Load(cfgPath, error)) {
      // A damaged team file names no machines to look after: it may go.
      Warning("SimHost: deleteTeam: %s\n", error.c_str());
   }
   for (const SimTeamMember &member : file.members) {
      SimMachine *machine = machines_.FindByCfgPath(member.cfgPath);
      if (machine && machine->GetExecState() == SimMachine::kPoweredOn) {
         throw cui::Error(cui::Format("@&!*@*@(msg.host.team.memberOn)The team cannot be deleted while its virtual "
                                      "machine \"%s\" is powered on. Power it off first.",
                                      machine->GetConfig().GetDisplayName().c_str()));
      }
   }
   if (!File_Delete(cfgPath)) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.team.notDeleted)The team file \"%s\" could not be deleted.",
                                   cfgPath.c_str()));
   }
   Log("SimHost: deleted the team file %s\n", cfgPath.c_str());
   if (team) {
      Close(team->path);
   }
}

void SimTeams::OnPower(SimCommand &cmd)
{
   Team &team = TeamOf(cmd.In("teamPath"));
   if (team.running) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.team.busy)The team \"%s\" is busy with another operation. Try "
                                   "again when it has finished.", team.file.name.c_str()));
   }
   std::shared_ptr<Operation> op = std::make_shared<Operation>();
   op->teamPath = team.path;
   op->op = cmd.Op();
   op->option = static_cast<int>(std::strtol(cmd.In("option").c_str(), nullptr, 10));
   op->ctx = cmd.Ctx();
   op->element = cmd.Element();
   team.running = op;
   WriteBusy(team);
   Log("SimHost: %s: %s started\n", team.path.c_str(), op->op.c_str());
   cmd.Defer();
   if (op->op == "powerOnTeam") {
      op->order = team.file.members;
      std::stable_sort(op->order.begin(), op->order.end(), [](const SimTeamMember &a, const SimTeamMember &b) {
         return a.startupOrder < b.startupOrder;
      });
      PowerNext(op);
      return;
   }
   std::string machineOp = MachineOp(op->op);
   // Counted up front: a part that fails at once must not finish the operation early.
   op->outstanding = 1;
   for (const SimTeamMember &member : team.file.members) {
      SimMachine *machine = machines_.FindByCfgPath(member.cfgPath);
      if (!machine) {
         continue;
      }
      const std::string &state = machine->GetExecState();
      bool applies = machineOp == "powerOff" ? state != SimMachine::kPoweredOff : state == SimMachine::kPoweredOn;
      if (!applies) {
         continue;
      }
      ++op->outstanding;
      std::weak_ptr<bool> alive = alive_;
      std::string error = machine->StartPower(machineOp, op->option, [this, alive, op](const std::string &result) {
         if (!alive.expired()) {
            PartDone(op, result);
         }
      });
      if (!error.empty()) {
         PartDone(op, error);
      }
   }
   PartDone(op, std::string());
}

void SimTeams::PowerNext(const std::shared_ptr<Operation> &op)
{
   op->timer = 0;
   while (!op->finished && op->next < op->order.size()) {
      const SimTeamMember &member = op->order[op->next++];
      SimMachine *machine = machines_.FindByCfgPath(member.cfgPath);
      if (!machine || machine->GetExecState() == SimMachine::kPoweredOn) {
         continue;   // not open here, or on already: nothing to wait for
      }
      int delay = member.startupDelay;
      std::weak_ptr<bool> alive = alive_;
      std::string error = machine->StartPower("powerOn", op->option, [this, alive, op, delay](const std::string &result) {
         if (alive.expired() || op->finished) {
            return;
         }
         if (!result.empty()) {
            Finish(op, result);
            return;
         }
         bool more = op->next < op->order.size();
         if (delay > 0 && more) {
            std::weak_ptr<bool> stillAlive = alive;
            op->timer = Poll_AddTimer(static_cast<unsigned>(delay) * SecondMs() + 1, false, [this, stillAlive, op]() {
               if (!stillAlive.expired() && !op->finished) {
                  PowerNext(op);
               }
            });
         } else {
            PowerNext(op);
         }
      });
      if (!error.empty()) {
         Finish(op, error);
      }
      return;
   }
   if (!op->finished) {
      Finish(op, std::string());
   }
}

void SimTeams::PartDone(const std::shared_ptr<Operation> &op, const std::string &error)
{
   if (!error.empty() && op->firstError.empty()) {
      op->firstError = error;
   }
   if (--op->outstanding == 0 && !op->finished) {
      Finish(op, op->firstError);
   }
}

void SimTeams::Finish(const std::shared_ptr<Operation> &op, const std::string &error)
{
   if (op->finished) {
      return;
   }
   op->finished = true;
   if (op->timer) {
      Poll_RemoveTimer(op->timer);
      op->timer = 0;
   }
   auto it = teams_.find(op->teamPath);
   if (it != teams_.end() && it->second->running == op) {
      it->second->running.reset();
      WriteBusy(*it->second);
   }
   Log("SimHost: %s: %s %s\n", op->teamPath.c_str(), op->op.c_str(), error.empty() ? "done" : "failed");
   SimCmdOwner::Answer(op->ctx, op->element, error);
}

}  // namespace cuisim

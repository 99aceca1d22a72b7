#include "cui/TeamEditable.h"

#include <algorithm>
#include <cctype>
#include <memory>

#include "ModelCmd.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "cui/Registry.h"
#include "cui/TeamMgr.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace cui {

namespace {

void PostAbort(const AbortSlot &abort, const std::string &text)
{
   AbortSlot slot = abort;
   Error error(text);
   Poll_Post([slot, error]() { CallSlot(slot, false, error); });
}

bool SameName(const std::string &a, const std::string &b)
{
   return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
          });
}

std::string HostPathOf(const Team *team)
{
   Host *host = team->GetHost() ? team->GetHost() : GetClientHost() ? GetClientHost() : wui::GetCurrentHost();
   return host && !host->GetPath().empty() ? host->GetPath() : wui::VMMgr::LocalHostPath();
}

}  // namespace

TeamEditable::TeamEditable(Team *team) : team_(team)
{
   if (team_) {
      name_ = team_->GetName();
      notes_ = team_->GetNotes();
      members_ = team_->GetMembers();
      for (const TeamNet *net : team_->GetNets()) {
         nets_.push_back({net->GetNetworkID(), net->GetName(), net->GetBandwidth(), net->GetLoss()});
      }
   }
}

TeamEditable::~TeamEditable()
{
   *alive_ = false;
}

namespace {

// The team is still the manager's (a closed team's object may be gone by the answer).
bool StillOpen(const Team *team)
{
   TeamMgr *mgr = GetTeamMgr();
   if (!mgr) {
      return false;
   }
   std::vector<Team *> teams = mgr->GetTeams();
   return std::find(teams.begin(), teams.end(), team) != teams.end();
}

}  // namespace

void TeamEditable::Load(const AbortSlot &failed, const sigc::slot<void, TeamEditable *> &loaded)
{
   if (!team_) {
      PostAbort(failed, GetLocalString("@&!*@*@(msg.team.edit.noTeam)There is no team to change."));
      return;
   }
   auto copy = [this]() {
      name_ = team_->GetName();
      notes_ = team_->GetNotes();
      members_ = team_->GetMembers();
      nets_.clear();
      for (const TeamNet *net : team_->GetNets()) {
         nets_.push_back({net->GetNetworkID(), net->GetName(), net->GetBandwidth(), net->GetLoss()});
      }
   };
   vmdb::Ctx ctx = GetVmdbCtx();
   if (team_->GetTeamPath().empty() || !ctx.IsValid()) {
      // A team that follows no node (the wizard's): its object is all there is.
      copy();
      sigc::slot<void, TeamEditable *> slot = loaded;
      std::shared_ptr<bool> alive = alive_;
      Poll_Post([slot, alive, this]() {
         if (*alive) {
            CallSlot(slot, this);
         }
      });
      return;
   }
   // The host reads the file again, so the edit starts from what is on the disk now.
   AbortSlot onFailed = failed;
   sigc::slot<void, TeamEditable *> onLoaded = loaded;
   Team *team = team_;
   std::shared_ptr<bool> alive = alive_;
   cuiutil::ModelCmd::AnswerSlot answer = [this, alive, team, copy, onFailed, onLoaded](std::string error,
                                                                                       cuiutil::ModelCmd::Outputs) {
      if (!*alive) {
         return;
      }
      if (error.empty() && !StillOpen(team)) {
         error = GetLocalString("@&!*@*@(msg.team.edit.closed)The team was closed before it could be changed.");
      }
      if (!error.empty()) {
         Log("TeamEditable: loading %s failed: %s\n", team->GetFilename().c_str(), error.c_str());
         CallSlot(onFailed, false, Error(error));
         return;
      }
      team->Refresh();
      copy();
      CallSlot(onLoaded, this);
   };
   try {
      cuiutil::ModelCmd::Send(ctx, HostPathOf(team_) + "util/vm/cmd/##/", "loadTeam",
                              {{"teamPath", team_->GetTeamPath()}}, {}, answer);
   } catch (const Error &e) {
      PostAbort(failed, e.what());
   }
}

void TeamEditable::Save(const AbortSlot &failed, const DoneSlot &done)
{
   vmdb::Ctx ctx = GetVmdbCtx();
   if (!team_ || team_->GetFilename().empty() || !ctx.IsValid()) {
      PostAbort(failed, GetLocalString("@&!*@*@(msg.team.edit.noFile)The team has no file to be saved to."));
      return;
   }
   // The contents travel as the file's own lines; the host checks them as it checks a file.
   std::vector<KeyValueEntry> entries = {{"team.name", name_}, {"team.notes", notes_}};
   for (size_t i = 0; i < members_.size(); ++i) {
      std::string vm = "vm" + std::to_string(i);
      entries.push_back({vm + ".cfgPath", members_[i].cfgPath});
      entries.push_back({vm + ".startupOrder", std::to_string(members_[i].startupOrder)});
      entries.push_back({vm + ".startupDelay", std::to_string(members_[i].startupDelay)});
   }
   for (size_t i = 0; i < nets_.size(); ++i) {
      std::string lan = "lan" + std::to_string(i);
      entries.push_back({lan + ".id", nets_[i].id});
      entries.push_back({lan + ".name", nets_[i].name});
      entries.push_back({lan + ".bandwidth", std::to_string(nets_[i].bandwidth)});
      entries.push_back({lan + ".loss", std::to_string(nets_[i].loss)});
   }
   AbortSlot onFailed = failed;
   DoneSlot onDone = done;
   Team *team = team_;
   std::string file = team_->GetFilename();
   cuiutil::ModelCmd::AnswerSlot answer = [team, file, onFailed, onDone](std::string error, cuiutil::ModelCmd::Outputs) {
      if (!error.empty()) {
         Log("TeamEditable: saving %s failed: %s\n", file.c_str(), error.c_str());
         CallSlot(onFailed, false, Error(error));
         return;
      }
      Log("TeamEditable: saved %s\n", file.c_str());
      if (StillOpen(team)) {
         team->Refresh();
      }
      CallSlot(onDone);
   };
   try {
      cuiutil::ModelCmd::Send(ctx, HostPathOf(team_) + "util/vm/cmd/##/", "saveTeam",
                              {{"cfgPath", file}, {"teamPath", team_->GetTeamPath()},
                               {"content", KeyValueFile::Format(entries)}},
                              {}, answer);
   } catch (const Error &e) {
      PostAbort(failed, e.what());
   }
}

void TeamEditable::AddVM(const VM *vm)
{
   if (!vm) {
      throw Error(GetLocalString("@&!*@*@(msg.team.edit.noVM)No virtual machine was given."));
   }
   AddVMPath(vm->GetFilename());
}

void TeamEditable::AddVMPath(const std::string &cfgPath)
{
   if (cfgPath.empty()) {
      throw Error(GetLocalString("@&!*@*@(msg.team.edit.noVM)No virtual machine was given."));
   }
   int order = 0;
   for (const TeamMember &member : members_) {
      if (cuiutil::SameFilePath(member.cfgPath, cfgPath)) {
         throw Error(Format("@&!*@*@(msg.team.edit.vmTaken)The virtual machine \"%s\" is already in the team.",
                            cfgPath.c_str()));
      }
      order = std::max(order, member.startupOrder);
   }
   TeamMember member;
   member.cfgPath = cfgPath;
   member.startupOrder = order + 1;
   members_.push_back(member);
}

void TeamEditable::RemoveVM(const VM *vm)
{
   if (!vm) {
      throw Error(GetLocalString("@&!*@*@(msg.team.edit.noVM)No virtual machine was given."));
   }
   RemoveVMPath(vm->GetFilename());
}

void TeamEditable::RemoveVMPath(const std::string &cfgPath)
{
   auto it = std::find_if(members_.begin(), members_.end(),
                          [&cfgPath](const TeamMember &m) { return cuiutil::SameFilePath(m.cfgPath, cfgPath); });
   if (cfgPath.empty() || it == members_.end()) {
      throw Error(Format("@&!*@*@(msg.team.edit.vmUnknown)The virtual machine \"%s\" is not in the team.",
                         cfgPath.c_str()));
   }
   members_.erase(it);
}

void TeamEditable::SetVMStartup(const std::string &cfgPath, int order, int delay)
{
   auto it = std::find_if(members_.begin(), members_.end(),
                          [&cfgPath](const TeamMember &m) { return cuiutil::SameFilePath(m.cfgPath, cfgPath); });
   if (cfgPath.empty() || it == members_.end()) {
      throw Error(Format("@&!*@*@(msg.team.edit.vmUnknown)The virtual machine \"%s\" is not in the team.",
                         cfgPath.c_str()));
   }
   if (delay < 0) {
      throw Error(Format("@&!*@*@(msg.team.edit.badDelay)The start-up delay must be zero or more seconds, not %d.",
                         delay));
   }
   it->startupOrder = order;
   it->startupDelay = delay;
}

void TeamEditable::AddNet(const std::string &name, long bandwidth, long loss)
{
   if (name.find_first_not_of(" \t") == std::string::npos) {
      throw Error(GetLocalString("@&!*@*@(msg.team.edit.lanNoName)A LAN needs a name."));
   }
   for (const TeamNetData &net : nets_) {
      if (SameName(net.name, name)) {
         throw Error(Format("@&!*@*@(msg.team.edit.lanTaken)The team has a LAN named \"%s\" already.", name.c_str()));
      }
   }
   if (bandwidth < 0) {
      throw Error(Format("@&!*@*@(msg.team.edit.badBandwidth)The bandwidth of a LAN cannot be negative (%ld).",
                         bandwidth));
   }
   if (loss < 0 || loss > 100) {
      throw Error(Format("@&!*@*@(msg.team.edit.badLoss)The packet loss of a LAN must be from 0 to 100 percent, "
                         "not %ld.", loss));
   }
   // Ids are the team's own: the first "pvn-N" none of its LANs has.
   std::string id;
   for (unsigned n = 1; id.empty(); ++n) {
      std::string candidate = "pvn-" + std::to_string(n);
      if (std::none_of(nets_.begin(), nets_.end(), [&candidate](const TeamNetData &d) { return d.id == candidate; })) {
         id = candidate;
      }
   }
   nets_.push_back({id, name, bandwidth, loss});
}

void TeamEditable::RemoveNet(const std::string &name)
{
   auto it = std::find_if(nets_.begin(), nets_.end(), [&name](const TeamNetData &d) { return SameName(d.name, name); });
   if (it == nets_.end()) {
      throw Error(Format("@&!*@*@(msg.team.edit.lanUnknown)The team has no LAN named \"%s\".", name.c_str()));
   }
   nets_.erase(it);
}

void TeamEditableSimple::Edit(Team *team, const sigc::slot<void, TeamEditableSimple &> &edit, const AbortSlot &failed,
                              const DoneSlot &done)
{
   std::shared_ptr<TeamEditableSimple> editable = std::make_shared<TeamEditableSimple>(team);
   AbortSlot onFailed = failed;
   DoneSlot onDone = done;
   sigc::slot<void, TeamEditableSimple &> onEdit = edit;
   // The editable lives in these slots until the save has answered.
   AbortSlot keepFailed = [editable, onFailed](bool cancelled, Error error) { CallSlot(onFailed, cancelled, error); };
   DoneSlot keepDone = [editable, onDone]() { CallSlot(onDone); };
   editable->Load(keepFailed, [editable, onEdit, keepFailed, keepDone](TeamEditable *) {
      try {
         if (!onEdit.empty()) {
            onEdit(*editable);
         }
      } catch (const Error &e) {
         Log("TeamEditableSimple: the change was refused: %s\n", e.what());
         CallSlot(keepFailed, false, e);
         return;
      }
      editable->Save(keepFailed, keepDone);
   });
}

void TeamVMDeleter::Delete(Team *team, VM *vm, const AbortSlot &failed, const DoneSlot &done)
{
   if (!team || !vm) {
      PostAbort(failed, GetLocalString("@&!*@*@(msg.team.edit.noVM)No virtual machine was given."));
      return;
   }
   if (vm->GetPowerState() == VM::POWERED_ON || vm->GetBusy(VM::BUSY_ANY)) {
      // Refused before the team file changes: the host would refuse the deletion anyway.
      PostAbort(failed, Format("@&!*@*@(msg.host.delete.running)The virtual machine \"%s\" is powered on. Power "
                               "it off before you delete it.",
                               vm->GetName().c_str()));
      return;
   }
   Host *host = vm->GetHost() ? vm->GetHost() : team->GetHost() ? team->GetHost() : GetClientHost();
   if (!host) {
      PostAbort(failed, GetLocalString("@&!*@*@(msg.host.delete.nothing)There is no virtual machine to delete."));
      return;
   }
   std::string cfgPath = vm->GetFilename();
   DlgMgr *dlgMgr = team->GetDlgMgr();
   AbortSlot onFailed = failed;
   DoneSlot onDone = done;
   TeamEditableSimple::Edit(
      team, [cfgPath](TeamEditableSimple &editable) { editable.RemoveVMPath(cfgPath); }, failed,
      [host, cfgPath, dlgMgr, onFailed, onDone]() { host->DeleteVM(cfgPath, dlgMgr, onDone, onFailed); });
}

}  // namespace cui

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
      nics_.clear();
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
   std::string problem = CheckNICChanges();
   if (!problem.empty()) {
      PostAbort(failed, problem);
      return;
   }
   // The machines first: a machine that refuses its change leaves the team file as it was.
   AbortSlot onFailed = failed;
   DoneSlot onDone = done;
   std::shared_ptr<bool> alive = alive_;
   SaveNICs(0, failed, [this, alive, onFailed, onDone]() {
      if (*alive) {
         SaveFile(onFailed, onDone);
      }
   });
}

void TeamEditable::SaveNICs(size_t from, const AbortSlot &failed, const DoneSlot &done)
{
   size_t next = from;
   std::vector<vmdevice::NICSetting> changes;
   for (; next < nics_.size() && changes.empty(); ++next) {
      const MemberNICs &nics = nics_[next];
      for (size_t i = 0; i < nics.after.size() && i < nics.before.size(); ++i) {
         if (nics.after[i].network != nics.before[i].network || nics.after[i].pvn != nics.before[i].pvn) {
            changes.push_back(nics.after[i]);
         }
      }
   }
   if (changes.empty()) {
      CallSlot(done);
      return;
   }
   const std::string cfgPath = nics_[next - 1].cfgPath;
   VM *vm = MemberVM(cfgPath);
   if (!vm) {
      PostAbort(failed, Format("@&!*@*@(msg.team.edit.nicClosed)The virtual machine \"%s\" was closed: its LANs "
                               "cannot be changed.", cfgPath.c_str()));
      return;
   }
   AbortSlot onFailed = failed;
   DoneSlot onDone = done;
   std::shared_ptr<bool> alive = alive_;
   const std::string name = vm->GetName();
   vm->SetNICs(
      changes,
      [onFailed, name](bool cancelled, Error error) {
         CallSlot(onFailed, cancelled,
                  Error(Format("@&!*@*@(msg.team.edit.nicFailed)The LANs of \"%s\" could not be changed: %s",
                               name.c_str(), error.what())));
      },
      [this, alive, next, onFailed, onDone]() {
         if (*alive) {
            SaveNICs(next, onFailed, onDone);
         }
      });
}

void TeamEditable::SaveFile(const AbortSlot &failed, const DoneSlot &done)
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

void TeamEditable::ChangeNet(size_t index, const std::string &name, long bandwidth, long loss)
{
   if (index >= nets_.size()) {
      throw Error(Format("@&!*@*@(msg.team.edit.lanUnknown)The team has no LAN named \"%s\".", name.c_str()));
   }
   // AddNet's checks, against the other LANs.
   TeamNetData kept = nets_[index];
   nets_.erase(nets_.begin() + static_cast<std::ptrdiff_t>(index));
   try {
      AddNet(name, bandwidth, loss);
   } catch (const Error &) {
      nets_.insert(nets_.begin() + static_cast<std::ptrdiff_t>(index), kept);
      throw;
   }
   TeamNetData changed = nets_.back();
   nets_.pop_back();
   changed.id = kept.id;
   nets_.insert(nets_.begin() + static_cast<std::ptrdiff_t>(index), changed);
}

void TeamEditable::RemoveNet(const std::string &name)
{
   auto it = std::find_if(nets_.begin(), nets_.end(), [&name](const TeamNetData &d) { return SameName(d.name, name); });
   if (it == nets_.end()) {
      throw Error(Format("@&!*@*@(msg.team.edit.lanUnknown)The team has no LAN named \"%s\".", name.c_str()));
   }
   const std::string id = it->id;
   // Adapters stay on a removed LAN's id otherwise, and the next LAN added gets that id again.
   for (const TeamMember &member : members_) {
      VM *vm = MemberVM(member.cfgPath);
      if (vm && vm->GetPowerState() == VM::POWERED_OFF && !vm->GetBusy(VM::BUSY_ANY) && IsVMOnNet(member.cfgPath, id)) {
         ConnectVMToNet(member.cfgPath, id, false);
      }
   }
   nets_.erase(std::find_if(nets_.begin(), nets_.end(), [&id](const TeamNetData &d) { return d.id == id; }));
}

VM *TeamEditable::MemberVM(const std::string &cfgPath) const
{
   for (const TeamMember &member : members_) {
      if (cuiutil::SameFilePath(member.cfgPath, cfgPath)) {
         wui::VMMgr *mgr = wui::GetVMMgr();
         VM *vm = mgr ? mgr->GetVMByCfgPath(member.cfgPath) : nullptr;
         return vm && vm->IsRegistered() ? vm : nullptr;
      }
   }
   return nullptr;
}

bool TeamEditable::IsTeamNet(const std::string &netId) const
{
   return !netId.empty() &&
          std::any_of(nets_.begin(), nets_.end(), [&netId](const TeamNetData &d) { return d.id == netId; });
}

const TeamEditable::MemberNICs *TeamEditable::FindNICs(const std::string &cfgPath) const
{
   for (const MemberNICs &nics : nics_) {
      if (cuiutil::SameFilePath(nics.cfgPath, cfgPath)) {
         return &nics;
      }
   }
   return nullptr;
}

TeamEditable::MemberNICs &TeamEditable::NICsOf(const std::string &cfgPath)
{
   if (const MemberNICs *known = FindNICs(cfgPath)) {
      return const_cast<MemberNICs &>(*known);
   }
   VM *vm = MemberVM(cfgPath);
   if (!vm) {
      throw Error(Format("@&!*@*@(msg.team.edit.nicNotOpen)The virtual machine \"%s\" is not open: its LANs "
                         "cannot be changed.",
                         cfgPath.c_str()));
   }
   MemberNICs nics;
   nics.cfgPath = cfgPath;
   for (const vmdevice::NIC &nic : vm->GetNICs()) {
      nics.before.push_back({nic.GetKey(), nic.GetNetwork(), nic.GetPVN()});
   }
   nics.after = nics.before;
   nics_.push_back(nics);
   return nics_.back();
}

bool TeamEditable::IsVMOnNet(const std::string &cfgPath, const std::string &netId) const
{
   std::vector<vmdevice::NICSetting> adapters;
   if (const MemberNICs *nics = FindNICs(cfgPath)) {
      adapters = nics->after;
   } else if (VM *vm = MemberVM(cfgPath)) {
      for (const vmdevice::NIC &nic : vm->GetNICs()) {
         adapters.push_back({nic.GetKey(), nic.GetNetwork(), nic.GetPVN()});
      }
   }
   return !netId.empty() && std::any_of(adapters.begin(), adapters.end(), [&netId](const vmdevice::NICSetting &a) {
      return _stricmp(a.network.c_str(), "pvn") == 0 && a.pvn == netId;
   });
}

void TeamEditable::ConnectVMToNet(const std::string &cfgPath, const std::string &netId, bool connected)
{
   if (std::none_of(members_.begin(), members_.end(),
                    [&cfgPath](const TeamMember &m) { return cuiutil::SameFilePath(m.cfgPath, cfgPath); })) {
      throw Error(Format("@&!*@*@(msg.team.edit.vmUnknown)The virtual machine \"%s\" is not in the team.",
                         cfgPath.c_str()));
   }
   if (!IsTeamNet(netId)) {
      throw Error(Format("@&!*@*@(msg.team.edit.lanNoId)The team has no LAN \"%s\".", netId.c_str()));
   }
   VM *vm = MemberVM(cfgPath);
   if (vm && (vm->GetPowerState() != VM::POWERED_OFF || vm->GetBusy(VM::BUSY_ANY))) {
      throw Error(Format("@&!*@*@(msg.team.edit.nicRunning)The virtual machine \"%s\" is not powered off. Power it "
                         "off before you change its LANs.",
                         vm->GetName().c_str()));
   }
   MemberNICs &nics = NICsOf(cfgPath);
   auto onNet = [&netId](const vmdevice::NICSetting &a) {
      return _stricmp(a.network.c_str(), "pvn") == 0 && a.pvn == netId;
   };
   if (!connected) {
      for (size_t i = 0; i < nics.after.size(); ++i) {
         if (onNet(nics.after[i])) {
            const vmdevice::NICSetting &before = nics.before[i];
            bool wasOnTeamLAN = _stricmp(before.network.c_str(), "pvn") == 0 && IsTeamNet(before.pvn);
            nics.after[i].network = wasOnTeamLAN || before.network.empty() ? "nat" : before.network;
            nics.after[i].pvn = wasOnTeamLAN ? std::string() : before.pvn;
         }
      }
      return;
   }
   if (std::any_of(nics.after.begin(), nics.after.end(), onNet)) {
      return;
   }
   for (vmdevice::NICSetting &adapter : nics.after) {
      if (!(_stricmp(adapter.network.c_str(), "pvn") == 0 && IsTeamNet(adapter.pvn))) {
         adapter.network = "pvn";
         adapter.pvn = netId;
         return;
      }
   }
   const std::string name = vm ? vm->GetName() : cfgPath;
   if (nics.after.empty()) {
      throw Error(Format("@&!*@*@(msg.team.edit.nicNone)The virtual machine \"%s\" has no network adapter.",
                         name.c_str()));
   }
   throw Error(Format("@&!*@*@(msg.team.edit.nicTaken)Every network adapter of \"%s\" is on a LAN of the team "
                      "already. Take it off one first.",
                      name.c_str()));
}

std::string TeamEditable::CheckNICChanges() const
{
   for (const MemberNICs &nics : nics_) {
      bool changed = false;
      for (size_t i = 0; i < nics.after.size() && i < nics.before.size(); ++i) {
         changed = changed || nics.after[i].network != nics.before[i].network || nics.after[i].pvn != nics.before[i].pvn;
      }
      if (!changed) {
         continue;
      }
      VM *vm = MemberVM(nics.cfgPath);
      if (!vm) {
         return Format("@&!*@*@(msg.team.edit.nicClosed)The virtual machine \"%s\" was closed: its LANs cannot be "
                       "changed.",
                       nics.cfgPath.c_str());
      }
      if (vm->GetPowerState() != VM::POWERED_OFF || vm->GetBusy(VM::BUSY_ANY)) {
         return Format("@&!*@*@(msg.team.edit.nicRunning)The virtual machine \"%s\" is not powered off. Power it "
                       "off before you change its LANs.",
                       vm->GetName().c_str());
      }
   }
   return std::string();
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

#include "cui/Team.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

#include "ModelCmd.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "cui/Registry.h"
#include "cui/VMMgr.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace cui {

namespace {

const char kDefaultLocalHost[] = "/host2/#0000/";

void PostAbort(const AbortSlot &abort, const std::string &text)
{
   AbortSlot slot = abort;
   Error error(text);
   Poll_Post([slot, error]() { CallSlot(slot, false, error); });
}

std::string Lower(const std::string &text)
{
   std::string out = text;
   for (char &c : out) {
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
   }
   return out;
}

// The same for the same file, as SameFilePath compares: case-blind, either slash.
std::string PathKey(const std::string &path)
{
   std::string key = Lower(path);
   std::replace(key.begin(), key.end(), '/', '\\');
   return key;
}

int ToInt(const std::string &text)
{
   return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

const char *TeamOpOf(int state)
{
   switch (state) {
   case VM::POWERED_ON:
      return "powerOnTeam";
   case VM::POWERED_OFF:
      return "powerOffTeam";
   case VM::SUSPENDED:
      return "suspendTeam";
   case VM::RESET:
      return "resetTeam";
   default:
      return nullptr;
   }
}

}  // namespace

Team::Team(std::string filename, std::string name) : filename_(std::move(filename)), name_(std::move(name)) {}

Team::~Team()
{
   *alive_ = false;
   Unfollow();
   for (TeamNet *net : nets_) {
      delete net;
   }
}

std::vector<VM *> Team::GetSortedVMList() const
{
   std::vector<VM *> sorted = vms_;
   std::stable_sort(sorted.begin(), sorted.end(),
                    [](const VM *a, const VM *b) { return Lower(a->GetName()) < Lower(b->GetName()); });
   return sorted;
}

int Team::GetVMStartupOrder(const VM *vm) const
{
   for (const TeamMember &member : members_) {
      if (vm && member.vm == vm) {
         return member.startupOrder;
      }
   }
   return 0;
}

int Team::GetVMStartupDelay(const VM *vm) const
{
   for (const TeamMember &member : members_) {
      if (vm && member.vm == vm) {
         return member.startupDelay;
      }
   }
   return 0;
}

bool Team::HasVM(const std::string &vmPath) const
{
   std::string wanted = cuiutil::WithSlash(vmPath);
   for (const VM *vm : vms_) {
      if (!wanted.empty() && cuiutil::WithSlash(vm->GetVmPath()) == wanted) {
         return true;
      }
   }
   return false;
}

void Team::SetCurrentVM(VM *vm)
{
   if (vm && vm != current_ && std::find(vms_.begin(), vms_.end(), vm) != vms_.end()) {
      current_ = vm;
      NoteCurrentVM();
      currentVMChanged.emit();
      changed.emit();
   }
}

void Team::NoteCurrentVM()
{
   // The console follows the team's current machine through the team's node.
   if (!teamPath_.empty() && ctx_.IsValid()) {
      ctx_.Set(teamPath_ + "currentVM", current_ ? current_->GetVmPath() : std::string());
   }
}

TeamNet *Team::GetNetByName(const std::string &name) const
{
   for (TeamNet *net : nets_) {
      if (Lower(net->GetName()) == Lower(name)) {
         return net;
      }
   }
   return nullptr;
}

std::string Team::GetUniqueNetName() const
{
   for (unsigned n = 1;; ++n) {
      std::string name = Format("@&!*@*@(msg.team.lanName)LAN %u", n);
      if (!GetNetByName(name)) {
         return name;
      }
   }
}

VM::PowerState Team::GetPowerState() const
{
   for (const VM *vm : vms_) {
      if (vm->GetPowerState() == VM::POWERED_ON) {
         return VM::POWERED_ON;
      }
   }
   return vms_.empty() ? VM::POWERED_OFF : vms_.front()->GetPowerState();
}

int Team::GetPowerOnActionState() const
{
   if (PendingOp() == "powerOnTeam") {
      return 2;
   }
   if (vms_.empty()) {
      return 0;
   }
   // "There already" holds while another operation runs too: the team page shows it.
   bool allOn = std::all_of(vms_.begin(), vms_.end(), [](const VM *vm) { return vm->GetPowerState() == VM::POWERED_ON; });
   return allOn ? 3 : busy_ ? 0 : 1;
}

int Team::GetPowerOffActionState() const
{
   if (PendingOp() == "powerOffTeam") {
      return 2;
   }
   if (vms_.empty()) {
      return 0;
   }
   // "There already" holds while another operation runs too: the team page shows it.
   bool allOff = std::all_of(vms_.begin(), vms_.end(), [](const VM *vm) { return vm->GetPowerState() == VM::POWERED_OFF; });
   return allOff ? 3 : busy_ ? 0 : 1;
}

int Team::GetPowerSuspendActionState() const
{
   if (PendingOp() == "suspendTeam") {
      return 2;
   }
   if (vms_.empty()) {
      return 0;
   }
   bool allSuspended =
      std::all_of(vms_.begin(), vms_.end(), [](const VM *vm) { return vm->GetPowerState() == VM::SUSPENDED; });
   if (allSuspended) {
      return 3;
   }
   if (busy_) {
      return 0;
   }
   bool anyOn = std::any_of(vms_.begin(), vms_.end(), [](const VM *vm) { return vm->GetPowerState() == VM::POWERED_ON; });
   return anyOn ? 1 : 0;
}

void Team::SetPowerState(int state, int option, const AbortSlot &abort, const DoneSlot &done)
{
   const char *op = TeamOpOf(state);
   if (!op) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.power.badState)The power state %d is not known.", state));
      return;
   }
   if (teamPath_.empty() || !ctx_.IsValid()) {
      PostAbort(abort, Format("@&!*@*@(msg.team.notOpen)The team \"%s\" is not open on a host.", name_.c_str()));
      return;
   }
   if (busy_ || !requested_.empty()) {
      PostAbort(abort, Format("@&!*@*@(msg.team.busy)The team \"%s\" is busy with another operation. Try again "
                              "when it has finished.", name_.c_str()));
      return;
   }
   std::string hostPath = host_ && !host_->GetPath().empty() ? host_->GetPath() : std::string(kDefaultLocalHost);
   try {
      cuiutil::ModelCmd::Send(ctx_, hostPath + "util/vm/cmd/##/", op,
                              {{"teamPath", teamPath_}, {"option", std::to_string(option)}}, {},
                              sigc::bind(sigc::mem_fun(*this, &Team::OnPowerAnswer), abort, done));
   } catch (const Error &e) {
      PostAbort(abort, e.what());
      return;
   }
   Log("Team %s: %s\n", teamPath_.c_str(), op);
   requested_ = op;
   busy_ = true;
   powerStateChanged.emit();
   changed.emit();
}

void Team::PowerOff(int option, bool force, const AbortSlot &abort, const DoneSlot &done)
{
   SetPowerState(VM::POWERED_OFF, force ? VM::POWEROP_HARD : option, abort, done);
}

void Team::OnPowerAnswer(std::string error, std::map<std::string, std::string>, AbortSlot abort, DoneSlot done)
{
   requested_.clear();
   if (following_) {
      Refresh();
   } else if (busy_) {
      busy_ = false;
      powerStateChanged.emit();
      changed.emit();
   }
   if (!error.empty()) {
      Log("Team %s: the power operation failed: %s\n", teamPath_.c_str(), error.c_str());
      CallSlot(abort, false, Error(error));
   } else {
      CallSlot(done);
   }
}

void Team::Follow(const vmdb::Ctx &ctx, const std::string &teamPath, Host *host)
{
   Unfollow();
   ctx_ = ctx.NewCtx();
   teamPath_ = cuiutil::WithSlash(teamPath);
   host_ = host;
   following_ = true;
   settledRaised_ = false;
   watch_ = ctx_.Watch(cuiutil::WithoutSlash(teamPath_), vmdb::Ctx::kWatchSubtree, [this](const std::string &) {
      // A write batch arrives as one change per node: the first reads it all.
      unsigned long long delivery = ctx_.DeliverySerial();
      if (following_ && delivery != refreshedDelivery_) {
         refreshedDelivery_ = delivery;
         Refresh();
      }
   });
   Refresh();
}

void Team::Unfollow()
{
   watch_.disconnect();
   following_ = false;
   for (auto &entry : memberWatches_) {
      for (sigc::connection &c : entry.second) {
         c.disconnect();
      }
   }
   memberWatches_.clear();
}

bool Team::MembersSettled() const
{
   return std::all_of(members_.begin(), members_.end(),
                      [](const TeamMember &m) { return m.vm != nullptr || !m.problem.empty(); });
}

TeamMember *Team::FindMember(const std::string &cfgPath)
{
   for (TeamMember &member : members_) {
      if (cuiutil::SameFilePath(member.cfgPath, cfgPath)) {
         return &member;
      }
   }
   return nullptr;
}

void Team::Refresh()
{
   if (!following_) {
      return;
   }
   if (!ctx_.Exists(teamPath_ + "cfgFile")) {
      Log("Team %s: the node has gone from the host\n", teamPath_.c_str());
      Unfollow();
      vanished.emit();
      return;
   }
   bool nameDiffers = false;
   bool notesDiffer = false;
   bool membersDiffer = false;
   bool netsDiffer = false;
   bool powerDiffers = false;

   std::string file = ctx_.Get(teamPath_ + "cfgFile");
   if (!file.empty()) {
      filename_ = file;
   }
   std::string name = ctx_.Get(teamPath_ + "name");
   if (name != name_) {
      name_ = name;
      nameDiffers = true;
   }
   std::string notes = ctx_.Get(teamPath_ + "notes");
   if (notes != notes_) {
      notes_ = notes;
      notesDiffer = true;
   }
   std::string pending = ctx_.Get(teamPath_ + "pending");
   bool busy = ctx_.GetBool(teamPath_ + "busy", false) || !requested_.empty();
   if (pending != pending_ || busy != busy_) {
      pending_ = pending;
      busy_ = busy;
      powerDiffers = true;
   }

   // Members: kept objects where the file stays, new ones opened, gone ones let go.
   // Matched by file in one pass each way: a team may have thousands of members.
   std::unordered_map<std::string, const TeamMember *> oldByPath;
   for (const TeamMember &old : members_) {
      oldByPath.emplace(PathKey(old.cfgPath), &old);
   }
   std::vector<TeamMember> members;
   std::unordered_set<std::string> newPaths;
   for (const std::string &element : ctx_.Elements(teamPath_ + "member/#")) {
      TeamMember member;
      member.cfgPath = ctx_.Get(element + "cfgPath");
      member.startupOrder = ToInt(ctx_.Get(element + "startupOrder"));
      member.startupDelay = ToInt(ctx_.Get(element + "startupDelay"));
      auto old = oldByPath.find(PathKey(member.cfgPath));
      if (old != oldByPath.end()) {
         member.vm = old->second->vm;
         member.problem = old->second->problem;
      }
      newPaths.insert(PathKey(member.cfgPath));
      members.push_back(member);
   }
   auto same = [](const TeamMember &a, const TeamMember &b) {
      return a.cfgPath == b.cfgPath && a.startupOrder == b.startupOrder && a.startupDelay == b.startupDelay;
   };
   membersDiffer = members.size() != members_.size() || !std::equal(members.begin(), members.end(), members_.begin(), same);
   std::vector<VM *> left;
   for (const TeamMember &old : members_) {
      if (old.vm && !newPaths.count(PathKey(old.cfgPath))) {
         left.push_back(old.vm);
      }
   }
   members_ = members;
   for (VM *vm : left) {
      auto it = memberWatches_.find(vm);
      if (it != memberWatches_.end()) {
         for (sigc::connection &c : it->second) {
            c.disconnect();
         }
         memberWatches_.erase(it);
      }
   }

   // LANs by their network id: objects stay while their id does.
   std::vector<TeamNet *> nets;
   for (const std::string &element : ctx_.Elements(teamPath_ + "lan/#")) {
      std::string id = ctx_.Get(element + "id");
      std::string lanName = ctx_.Get(element + "name");
      long bandwidth = ctx_.GetInt(element + "bandwidth", 0);
      long loss = ctx_.GetInt(element + "loss", 0);
      auto found = std::find_if(nets_.begin(), nets_.end(), [&id](TeamNet *n) { return n->GetNetworkID() == id; });
      TeamNet *net = nullptr;
      if (found != nets_.end()) {
         net = *found;
         nets_.erase(found);
         if (net->name_ != lanName || net->bandwidth_ != bandwidth || net->loss_ != loss) {
            net->name_ = lanName;
            net->bandwidth_ = bandwidth;
            net->loss_ = loss;
            netsDiffer = true;
            net->changed.emit();
         }
      } else {
         net = new TeamNet(id, lanName, bandwidth, loss);
         netsDiffer = true;
      }
      nets.push_back(net);
   }
   netsDiffer = netsDiffer || !nets_.empty();
   for (TeamNet *gone : nets_) {
      delete gone;
   }
   nets_ = nets;
   // The order may have changed too.
   RebuildVMs();

   if (nameDiffers) {
      nameChanged.emit();
   }
   if (notesDiffer) {
      notesChanged.emit();
   }
   if (powerDiffers) {
      powerStateChanged.emit();
   }
   if (netsDiffer) {
      netsChanged.emit();
   }
   if (membersDiffer || !left.empty()) {
      membersChanged.emit();
   }
   changed.emit();

   std::unordered_set<std::string> opening;
   for (const std::string &path : opening_) {
      opening.insert(PathKey(path));
   }
   std::vector<std::string> toOpen;
   for (const TeamMember &member : members_) {
      if (!member.vm && member.problem.empty() && !opening.count(PathKey(member.cfgPath))) {
         toOpen.push_back(member.cfgPath);
      }
   }
   for (const std::string &cfgPath : toOpen) {
      OpenMember(cfgPath);
   }
   if (!settledRaised_ && opening_.empty() && MembersSettled()) {
      settledRaised_ = true;
      settled.emit();
   }
}

void Team::OpenMember(const std::string &cfgPath)
{
   wui::VMMgr *mgr = wui::GetVMMgr();
   if (!mgr) {
      OnMemberOpened(cfgPath, false,
                     GetLocalString("@&!*@*@(msg.team.noVMMgr)There is no machine manager to open the machine with."));
      return;
   }
   if (VM *open = mgr->GetVMByCfgPath(cfgPath)) {
      (void)open;
      OnMemberOpened(cfgPath, true, std::string());
      return;
   }
   opening_.push_back(cfgPath);
   std::weak_ptr<bool> alive = alive_;
   mgr->OpenVM(host_, cfgPath, nullptr,
               [this, alive, cfgPath](bool, Error e) {
                  if (!alive.expired()) {
                     OnMemberOpened(cfgPath, false, e.what());
                  }
               },
               [this, alive, cfgPath]() {
                  if (!alive.expired()) {
                     OnMemberOpened(cfgPath, true, std::string());
                  }
               });
}

void Team::OnMemberOpened(std::string cfgPath, bool ok, std::string problem)
{
   opening_.erase(std::remove_if(opening_.begin(), opening_.end(),
                                 [&cfgPath](const std::string &p) { return cuiutil::SameFilePath(p, cfgPath); }),
                  opening_.end());
   TeamMember *member = FindMember(cfgPath);
   if (!member || !following_) {
      return;
   }
   VM *vm = nullptr;
   if (ok) {
      cui::VMMgr *mgr = GetVMMgr();
      vm = mgr ? mgr->GetVMByCfgPath(cfgPath) : nullptr;
      if (!vm) {
         problem = GetLocalString("@&!*@*@(msg.team.memberClosed)The virtual machine is not open.");
      }
   }
   if (vm && std::find(vms_.begin(), vms_.end(), vm) != vms_.end()) {
      member->vm = vm;   // another member entry of the same machine cannot be: the host refuses duplicates
   } else if (vm) {
      member->vm = vm;
      member->problem.clear();
      std::vector<sigc::connection> &watches = memberWatches_[vm];
      watches.push_back(vm->removed.connect(sigc::bind(sigc::mem_fun(*this, &Team::OnMemberGone), vm)));
      watches.push_back(vm->powerStateChanged.connect(sigc::mem_fun(*this, &Team::OnMemberPower)));
      watches.push_back(vm->actionStateChanged.connect(sigc::mem_fun(*this, &Team::OnMemberPower)));
      watches.push_back(vm->nameChanged.connect([this]() { changed.emit(); }));
   } else {
      Log("Team %s: member %s is not open: %s\n", teamPath_.c_str(), cfgPath.c_str(), problem.c_str());
      member->problem = problem;
   }
   RebuildVMs();
   membersChanged.emit();
   if (vm && settledRaised_) {
      vmAdded.emit(vm);
   }
   changed.emit();
   if (!settledRaised_ && opening_.empty() && MembersSettled()) {
      settledRaised_ = true;
      settled.emit();
   }
}

void Team::OnMemberGone(VM *vm)
{
   auto it = memberWatches_.find(vm);
   if (it != memberWatches_.end()) {
      // Disconnected later: this runs inside one of those slots.
      std::vector<sigc::connection> watches = it->second;
      memberWatches_.erase(it);
      Poll_Post([watches]() mutable {
         for (sigc::connection &c : watches) {
            c.disconnect();
         }
      });
   }
   for (TeamMember &member : members_) {
      if (member.vm == vm) {
         member.vm = nullptr;
         member.problem = GetLocalString("@&!*@*@(msg.team.memberClosed)The virtual machine is not open.");
      }
   }
   RebuildVMs();
   membersChanged.emit();
   changed.emit();
}

void Team::OnMemberPower()
{
   powerStateChanged.emit();
   changed.emit();
}

void Team::RebuildVMs()
{
   std::vector<VM *> vms;
   for (const TeamMember &member : members_) {
      if (member.vm && std::find(vms.begin(), vms.end(), member.vm) == vms.end()) {
         vms.push_back(member.vm);
      }
   }
   vms_ = vms;
   if (current_ && std::find(vms_.begin(), vms_.end(), current_) == vms_.end()) {
      current_ = nullptr;
      NoteCurrentVM();
      currentVMChanged.emit();
   }
}

}  // namespace cui

namespace wui {

bool Team::IsPowerStateEnabled(int state) const
{
   if (busy_ || vms_.empty()) {
      return false;
   }
   switch (state) {
   case 0:
      return GetPowerOnActionState() == 1;
   case 1:
      return GetPowerOffActionState() == 1;
   case 2:
      return GetPowerSuspendActionState() == 1;
   case 4:
      return std::any_of(vms_.begin(), vms_.end(), [](const cui::VM *vm) { return vm->GetPowerState() == cui::VM::POWERED_ON; });
   default:
      return false;
   }
}

}  // namespace wui

// A team of machines, kept in a team file (".vmtm", ".vmt"): its members, each a machine file with
// a start-up order and delay; its LANs; a current machine; notes.
//
// Opening a team file asks the host ("openTeam" on its "util/vm/cmd/##/"), which reads the file and
// registers the team under "/team/#…/"; the members are opened through the machine manager. The team
// follows its node from poll steps and raises its signals there. A member whose file cannot be
// opened stays in the list without a machine, with the reason.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Error.h"
#include "cui/VM.h"
#include "cui/VmdbCtx.h"

namespace wui {
class TeamMgr;
}

namespace cui {

class DlgMgr;
class Host;

// A LAN segment of a team: machines whose adapter is on the private network `GetNetworkID` are on it.
class TeamNet : public sigc::trackable {
public:
   TeamNet(std::string id, std::string name, long bandwidth, long loss)
      : id_(std::move(id)), name_(std::move(name)), bandwidth_(bandwidth), loss_(loss)
   {
   }

   const std::string &GetNetworkID() const { return id_; }
   const std::string &GetName() const { return name_; }
   long GetBandwidth() const { return bandwidth_; }   // kbit/s; 0 unlimited
   long GetLoss() const { return loss_; }             // percent of packets dropped, 0 to 100

   // Raised when the name, bandwidth or loss changes.
   sigc::signal<void> changed;

protected:
   friend class Team;
   std::string id_;
   std::string name_;
   long bandwidth_;
   long loss_;
};

// One member of the team file, open or not.
struct TeamMember {
   std::string cfgPath;    // the machine file, absolute
   int startupOrder = 0;   // smaller starts first
   int startupDelay = 0;   // seconds to wait after this member has powered on
   VM *vm = nullptr;       // null while the file is not open (missing, unreadable, still opening)
   std::string problem;    // why it is not open; empty while it is or while it opens
};

class Team : public sigc::trackable {
public:
   // A team that follows no host node (tests, a team the wizard is making).
   Team(std::string filename, std::string name);
   virtual ~Team();

   const std::string &GetFilename() const { return filename_; }
   void SetFilename(const std::string &filename) { filename_ = filename; }
   const std::string &GetName() const { return name_; }
   const std::string &GetNotes() const { return notes_; }
   // The host the team is registered on; null for a team that follows no host node.
   Host *GetHost() const { return host_; }
   // The team's node ("/team/#0001/"); empty for a team that follows no host node.
   const std::string &GetTeamPath() const { return teamPath_; }
   void SetDlgMgr(DlgMgr *dlgMgr) { dlgMgr_ = dlgMgr; }
   DlgMgr *GetDlgMgr() const { return dlgMgr_; }

   // The members that are open, in the file's order.
   const std::vector<VM *> &GetVMs() const { return vms_; }
   // GetVMs by name, without regard to case; equal names keep the file's order.
   std::vector<VM *> GetSortedVMList() const;
   // Every member of the file, open or not, in the file's order.
   const std::vector<TeamMember> &GetMembers() const { return members_; }
   // The member's start-up order and delay; 0 for a machine that is not a member.
   int GetVMStartupOrder(const VM *vm) const;
   int GetVMStartupDelay(const VM *vm) const;
   bool HasVM(const std::string &vmPath) const;
   VM *GetCurrentVM() const { return current_; }
   // Makes one of the team's own machines its current one; raises currentVMChanged and changed.
   void SetCurrentVM(VM *vm);

   // The team's LANs, owned by the team, in the file's order.
   const std::vector<TeamNet *> &GetNets() const { return nets_; }
   TeamNet *GetNetByName(const std::string &name) const;
   // "LAN 1", "LAN 2", …: the first such name no LAN of the team has.
   std::string GetUniqueNetName() const;

   // Powered on when any machine is, else the state of the first machine, else powered off.
   VM::PowerState GetPowerState() const;
   // Power actions of the team as a whole: 0 not possible, 1 possible, 2 under way, 3 every
   // member is there already.
   int GetPowerOnActionState() const;
   int GetPowerOffActionState() const;
   int GetPowerSuspendActionState() const;
   // Asks the host to take the whole team to `state` (VM::PowerState: 0 on, 1 off, 2 suspended,
   // 4 reset) with `option` (VM::PowerOption): power-on goes member by member in start-up order,
   // each after the previous one's delay; the others go to every member at once. `done` runs when
   // the team has got there, `abort` (false, the host's text) when it cannot.
   void SetPowerState(int state, int option, const AbortSlot &abort, const DoneSlot &done = DoneSlot());
   void PowerOff(int option, bool force, const AbortSlot &abort, const DoneSlot &done = DoneSlot());

   // The power buttons' tooltips for the team (TeamTooltips.cpp).
   std::string GetPowerOnTooltip() const;
   std::string GetPowerOffTooltip() const;
   std::string GetPowerSuspendTooltip() const;
   std::string GetPowerResetTooltip() const;
   // What the user may do with the team now: nothing while it is busy; deleting needs every
   // machine off.
   bool GetCanAddRemove() const { return !busy_; }
   bool GetCanEditSettings() const { return !busy_; }
   bool GetCanDeleteTeam() const { return !busy_ && GetPowerState() != VM::POWERED_ON; }
   bool GetCanDeleteVM() const { return GetCanDeleteTeam(); }

   sigc::signal<void> changed;             // any of the below
   sigc::signal<void> nameChanged;
   sigc::signal<void> notesChanged;
   sigc::signal<void> powerStateChanged;   // a member's power state, or the team's busy state
   sigc::signal<void> membersChanged;      // a member added, removed, opened or found missing
   sigc::signal<void> netsChanged;         // a LAN added, removed or changed
   sigc::signal<void> currentVMChanged;
   sigc::signal<void, VM *> vmAdded;       // a member opened after the team
   sigc::signal<void> goingAway;           // closed or deleted: the object goes from a later poll step

   Team(const Team &) = delete;
   Team &operator=(const Team &) = delete;

protected:
   friend class TeamMgr;
   friend class wui::TeamMgr;
   friend class TeamEditable;
   // Follows the node `teamPath` of `ctx`'s database, registered on `host` (Team.cpp): reads it
   // now, opens its members through the machine manager, and follows it from poll steps.
   void Follow(const vmdb::Ctx &ctx, const std::string &teamPath, Host *host);
   // Writes the current machine's path at "currentVM" of the team's node.
   void NoteCurrentVM();
   // Reads the node again and raises the signals of what changed.
   void Refresh();
   // Stops following the node (closed, deleted); the machines stay open.
   void Unfollow();
   // Every member is open or known to be missing.
   bool MembersSettled() const;
   // Raised once MembersSettled is true after Follow, and when the node goes from the database.
   sigc::signal<void> settled;
   sigc::signal<void> vanished;
   // The power operation asked of the host and not answered yet, else the host's "pending".
   std::string PendingOp() const { return requested_.empty() ? pending_ : requested_; }

   std::string filename_;
   std::string name_;
   std::string notes_;
   std::string teamPath_;
   Host *host_ = nullptr;
   DlgMgr *dlgMgr_ = nullptr;
   std::vector<TeamMember> members_;
   std::vector<VM *> vms_;   // owned by the machine manager
   VM *current_ = nullptr;
   std::vector<TeamNet *> nets_;
   bool busy_ = false;

private:
   void OpenMember(const std::string &cfgPath);
   void OnMemberOpened(std::string cfgPath, bool ok, std::string problem);
   void OnMemberGone(VM *vm);
   void OnMemberPower();
   void RebuildVMs();
   void OnPowerAnswer(std::string error, std::map<std::string, std::string> outputs, AbortSlot abort, DoneSlot done);
   TeamMember *FindMember(const std::string &cfgPath);

   vmdb::Ctx ctx_;
   sigc::connection watch_;
   unsigned long long refreshedDelivery_ = 0;
   std::string pending_;     // "pending" of the node
   std::string requested_;   // sent by this object, not answered yet
   bool following_ = false;
   bool settledRaised_ = false;
   std::map<VM *, std::vector<sigc::connection>> memberWatches_;
   std::vector<std::string> opening_;   // member files whose open is under way
   std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace cui

namespace wui {

// The Windows side's team: the one the team manager hands out.
class Team : public cui::Team {
public:
   using cui::Team::Team;

   bool GetBusy() const { return busy_; }
   // Whether the team can go to power state `state` now (0 on, 1 off, 2 suspended, 4 reset).
   bool IsPowerStateEnabled(int state) const;
};

}  // namespace wui

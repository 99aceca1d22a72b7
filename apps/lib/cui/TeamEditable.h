// Changing a team: an editable copy of its file's contents, saved through the host, which writes the
// team file whole (temporary file, then rename) and updates the team's node; the team follows from a
// poll step. A refused change leaves the file as it was and reaches the caller as a cui::Error.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Error.h"
#include "cui/Team.h"
#include "cui/VM.h"

namespace cui {

// The contents of a team file as an edit sees them.
struct TeamNetData {
   std::string id;
   std::string name;
   long bandwidth = 0;
   long loss = 0;
};

class TeamEditable {
public:
   // An editable of `team` (not owned; it must outlive the editable).
   explicit TeamEditable(Team *team);
   virtual ~TeamEditable();

   // Reads the team's current contents into the editable; `loaded` gets the editable, or `failed`.
   void Load(const AbortSlot &failed, const sigc::slot<void, TeamEditable *> &loaded);
   // Writes the editable to the team file through the host; then `done`, or `failed` with the
   // host's reason (the file is unchanged then).
   void Save(const AbortSlot &failed, const DoneSlot &done);

   Team *GetTeam() const { return team_; }
   const std::string &GetName() const { return name_; }
   void SetName(const std::string &name) { name_ = name; }
   const std::string &GetNotes() const { return notes_; }
   void SetNotes(const std::string &notes) { notes_ = notes; }
   const std::vector<TeamMember> &GetMembers() const { return members_; }
   const std::vector<TeamNetData> &GetNets() const { return nets_; }

   // Each throws cui::Error naming what is wrong: a machine already in the team, one not in it,
   // a LAN name already taken or unknown, a negative bandwidth, a loss outside 0 to 100.
   void AddVM(const VM *vm);
   void AddVMPath(const std::string &cfgPath);
   void RemoveVM(const VM *vm);
   void RemoveVMPath(const std::string &cfgPath);
   void SetVMStartup(const std::string &cfgPath, int order, int delay);
   void AddNet(const std::string &name, long bandwidth, long loss);
   // Gives the LAN at `index` of GetNets a new name, bandwidth and loss; its id stays, so its
   // machines stay on it. The checks are AddNet's.
   void ChangeNet(size_t index, const std::string &name, long bandwidth, long loss);
   // Takes the LAN out; members' adapters on it are taken off it too (a later LAN may get its id).
   void RemoveNet(const std::string &name);

   // The members' network adapters on the team's LANs, as the edit will leave them. Save makes
   // the changes, machine by machine, before it writes the team file.
   bool IsVMOnNet(const std::string &cfgPath, const std::string &netId) const;
   // Puts the member on the LAN (its first adapter on no LAN of the team goes onto it) or takes
   // it off (the adapter goes back to what it was on, or to "nat"). Throws cui::Error: a member
   // not in the team or not open, a LAN the team does not have, a machine that is not powered
   // off, no adapter left for the LAN.
   void ConnectVMToNet(const std::string &cfgPath, const std::string &netId, bool connected);
   // Why a change of the adapters could not be made now (a machine was powered on since, or
   // closed); empty when all can.
   std::string CheckNICChanges() const;

   TeamEditable(const TeamEditable &) = delete;
   TeamEditable &operator=(const TeamEditable &) = delete;

protected:
   // A member's adapters: as the machine had them, and as the edit leaves them.
   struct MemberNICs {
      std::string cfgPath;
      std::vector<vmdevice::NICSetting> before;
      std::vector<vmdevice::NICSetting> after;
   };
   const MemberNICs *FindNICs(const std::string &cfgPath) const;
   MemberNICs &NICsOf(const std::string &cfgPath);
   VM *MemberVM(const std::string &cfgPath) const;
   bool IsTeamNet(const std::string &netId) const;
   // Makes the adapter changes of nics_[from] on, one machine after the other; then `done`.
   void SaveNICs(size_t from, const AbortSlot &failed, const DoneSlot &done);
   void SaveFile(const AbortSlot &failed, const DoneSlot &done);

   Team *team_;
   std::string name_;
   std::string notes_;
   std::vector<TeamMember> members_;
   std::vector<TeamNetData> nets_;
   std::vector<MemberNICs> nics_;
   // Answers that come after the editable has gone find this false.
   std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// One-shot changes: load, apply `edit`, save. An edit that throws cui::Error, a load or a save that
// fails, calls `failed` and leaves the file as it was; `done` runs after the save.
class TeamEditableSimple : public TeamEditable {
public:
   using TeamEditable::TeamEditable;

   static void Edit(Team *team, const sigc::slot<void, TeamEditableSimple &> &edit, const AbortSlot &failed,
                    const DoneSlot &done = DoneSlot());
};

// Deletes a member machine from the disk: takes it out of the team file first, then asks the host
// to delete the machine's files (the question through the team's dialog manager).
class TeamVMDeleter {
public:
   static void Delete(Team *team, VM *vm, const AbortSlot &failed, const DoneSlot &done = DoneSlot());
};

}  // namespace cui

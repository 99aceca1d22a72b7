// The teams the user interface has open.
//
// Opening a team file asks the host ("openTeam"), which reads the file as untrusted input and
// registers the team under "/team/#…/" (a damaged file is refused with the line that is wrong);
// the members are then opened through the machine manager. Closing lets the team go ("closeTeam");
// its members stay open with the machine manager. Operations follow the slot conventions of
// cui/Error.h: they return at once and answer from a later poll step.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Error.h"

namespace cui {

class DlgMgr;
class Host;
class Team;

class TeamMgr : public sigc::trackable {
public:
   TeamMgr();
   // Unregisters itself when it is the registered team manager; deletes its teams.
   virtual ~TeamMgr();

   std::vector<Team *> GetTeams() const;
   // By team file, compared without regard to case and slash direction; null when none.
   Team *GetTeamByCfgPath(const std::string &cfgPath) const;

   // Takes a team in (the new-team wizard's, once saved); raises teamAdded. A team that follows no
   // host node yet and has a file is then opened on the host ("openTeam") and follows its node.
   void AddTeam(std::unique_ptr<Team> team);
   // Lets the team go: raises its goingAway, takes it out of the list, asks the host to drop its
   // node, and deletes the object from a later poll step. The members stay open.
   void CloseTeam(Team *team);

   // Raised for each team the manager takes in, once it is in the list.
   sigc::signal<void, Team *> teamAdded;
   // Raised when a team leaves the list (closed or deleted), before its object goes.
   sigc::signal<void, Team *> teamRemoved;

protected:
   // Takes the team out of the list without asking the host (raising its goingAway and
   // teamRemoved); the object goes from a later poll step. False when it was not in the list.
   bool RemoveTeam(Team *team);

private:
   std::vector<std::unique_ptr<Team>> teams_;
   std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace cui

namespace wui {

class TeamMgr : public cui::TeamMgr {
public:
   TeamMgr();
   ~TeamMgr() override;

   // Opens the team file `cfgPath` on `host` (null: the client host, else the current host). A file
   // this manager has open already answers at once with the team it has. `opened` gets (team, true)
   // once the team and every member that could be opened are in; (null, false) when the file could
   // not be read, after `abort` got (false, the reason naming the file). `dlgMgr` (null:
   // wui::GetDlgMgr) asks what the open needs to ask. The last flag is kept for callers that open
   // a team without its members' own questions; it changes nothing here.
   void OpenTeam(cui::Host *host, const std::string &cfgPath, cui::DlgMgr *dlgMgr, const cui::AbortSlot &abort,
                 const sigc::slot<void, cui::Team *, bool> &opened, bool quiet);

   // The open team that holds the machine at that database path; null when none.
   cui::Team *GetTeamByVMPath(const std::string &vmPath) const;
   // Closes every open team (their machines stay with the machine manager).
   void CloseAllTeams();

private:
   struct PendingOpen;
   void OnOpenAnswer(std::string error, std::map<std::string, std::string> outputs, std::string cfgPath);
   void OnTeamSettled(cui::Team *team, std::string cfgPath);
   void Finish(const std::string &cfgPath, cui::Team *team, const std::string &error);

   std::vector<std::shared_ptr<PendingOpen>> pendingOpens_;
};

}  // namespace wui

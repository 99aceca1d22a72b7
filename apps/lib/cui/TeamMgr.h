// The teams the user interface has open.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cui {

class Team;

class TeamMgr : public sigc::trackable {
public:
   TeamMgr();
   // Unregisters itself when it is the registered team manager; deletes its teams.
   virtual ~TeamMgr();

   std::vector<Team *> GetTeams() const;
   // By team file, compared without regard to case and slash direction; null when none.
   Team *GetTeamByCfgPath(const std::string &cfgPath) const;

   // Raised for each team the manager takes in, once it is in the list.
   sigc::signal<void, Team *> teamAdded;

protected:
   void AddTeam(std::unique_ptr<Team> team);
   void RemoveTeam(Team *team);

private:
   std::vector<std::unique_ptr<Team>> teams_;
};

}  // namespace cui

namespace wui {

class TeamMgr : public cui::TeamMgr {
public:
   TeamMgr();
   ~TeamMgr() override;

   // The open team that holds the machine at that database path; null when none.
   cui::Team *GetTeamByVMPath(const std::string &vmPath) const;
   // Closes every open team (their machines stay with the machine manager).
   void CloseAllTeams();
};

}  // namespace wui

#include "cui/TeamMgr.h"

#include <algorithm>

#include "cui/PathText.h"
#include "cui/Registry.h"
#include "cui/Team.h"

namespace cui {

TeamMgr::TeamMgr() = default;

TeamMgr::~TeamMgr()
{
   if (GetTeamMgr() == this) {
      SetTeamMgr(nullptr);
   }
}

std::vector<Team *> TeamMgr::GetTeams() const
{
   std::vector<Team *> out;
   for (const auto &team : teams_) {
      out.push_back(team.get());
   }
   return out;
}

Team *TeamMgr::GetTeamByCfgPath(const std::string &cfgPath) const
{
   for (const auto &team : teams_) {
      if (!cfgPath.empty() && cuiutil::SameFilePath(team->GetFilename(), cfgPath)) {
         return team.get();
      }
   }
   return nullptr;
}

void TeamMgr::AddTeam(std::unique_ptr<Team> team)
{
   Team *added = team.get();
   teams_.push_back(std::move(team));
   teamAdded.emit(added);
}

void TeamMgr::RemoveTeam(Team *team)
{
   teams_.erase(std::remove_if(teams_.begin(), teams_.end(),
                               [team](const std::unique_ptr<Team> &p) { return p.get() == team; }),
                teams_.end());
}

}  // namespace cui

namespace wui {

TeamMgr::TeamMgr() = default;

TeamMgr::~TeamMgr() = default;

cui::Team *TeamMgr::GetTeamByVMPath(const std::string &vmPath) const
{
   for (cui::Team *team : GetTeams()) {
      if (team->HasVM(vmPath)) {
         return team;
      }
   }
   return nullptr;
}

void TeamMgr::CloseAllTeams()
{
   for (cui::Team *team : GetTeams()) {
      RemoveTeam(team);
   }
}

}  // namespace wui

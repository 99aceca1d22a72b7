// What Team > Settings keeps from its start to its last completion: the team (checked against the
// team manager before use), its editable, and the member files from before the edit.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace cui {
class Team;
class TeamEditable;
}  // namespace cui

struct TeamSettingsEdit {
   std::string teamFile;
   cui::Team *team = nullptr;
   std::unique_ptr<cui::TeamEditable> editable;
   std::vector<std::string> membersBefore;
   bool finished = false;
};

// The files of `now` that are not in `before` (paths compared as the file system does).
std::vector<std::string> NewTeamMemberFiles(const std::vector<std::string> &before,
                                            const std::vector<std::string> &now);

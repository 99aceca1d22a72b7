#include "cui/TeamMgr.h"

#include <algorithm>

#include "ModelCmd.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/VMMgr.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace cui {

TeamMgr::TeamMgr() = default;

TeamMgr::~TeamMgr()
{
   *alive_ = false;
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
   if (!team) {
      return;
   }
   Team *added = team.get();
   // A team whose node goes from the host (deleted, dropped by another client) leaves the list.
   added->vanished.connect([this, added]() { RemoveTeam(added); });
   teams_.push_back(std::move(team));
   teamAdded.emit(added);
   // A team made here (the wizard's, saved) is opened on the host, so it follows its file too.
   vmdb::Ctx ctx = GetVmdbCtx();
   if (added->GetTeamPath().empty() && !added->GetFilename().empty() && ctx.IsValid()) {
      Host *host = added->GetHost() ? added->GetHost() : GetClientHost();
      std::string hostPath = host && !host->GetPath().empty() ? host->GetPath() : wui::VMMgr::LocalHostPath();
      std::string file = added->GetFilename();
      std::weak_ptr<bool> alive = alive_;
      cuiutil::ModelCmd::AnswerSlot answer = [this, alive, added, host, ctx, file](std::string error,
                                                                                  cuiutil::ModelCmd::Outputs outputs) {
         std::vector<Team *> teams = alive.expired() ? std::vector<Team *>() : GetTeams();
         if (std::find(teams.begin(), teams.end(), added) == teams.end()) {
            return;
         }
         if (!error.empty() || outputs["teamPath"].empty()) {
            Warning("TeamMgr: %s was taken in but could not be opened on the host: %s\n", file.c_str(), error.c_str());
            return;
         }
         added->Follow(ctx, outputs["teamPath"], host);
      };
      try {
         cuiutil::ModelCmd::Send(ctx, hostPath + "util/vm/cmd/##/", "openTeam", {{"cfgPath", file}}, {"teamPath"}, answer);
      } catch (const Error &e) {
         Warning("TeamMgr: %s could not be opened on the host: %s\n", file.c_str(), e.what());
      }
   }
}

bool TeamMgr::RemoveTeam(Team *team)
{
   auto it = std::find_if(teams_.begin(), teams_.end(), [team](const std::unique_ptr<Team> &p) { return p.get() == team; });
   if (it == teams_.end()) {
      return false;
   }
   std::shared_ptr<Team> removed(it->release());
   teams_.erase(it);
   removed->Unfollow();
   Log("TeamMgr: %s leaves the open teams\n", removed->GetFilename().c_str());
   removed->goingAway.emit();
   teamRemoved.emit(removed.get());
   // Handlers may still be on the stack of the team's own signals.
   Poll_Post([removed]() {});
   return true;
}

void TeamMgr::CloseTeam(Team *team)
{
   if (!team || !GetTeamByCfgPath(team->GetFilename())) {
      return;
   }
   std::string teamPath = team->GetTeamPath();
   Host *host = team->GetHost();
   std::string hostPath = host && !host->GetPath().empty() ? host->GetPath() : wui::VMMgr::LocalHostPath();
   bool stillOnHost = !teamPath.empty() && team->following_;
   if (!RemoveTeam(team) || !stillOnHost) {
      return;
   }
   vmdb::Ctx ctx = GetVmdbCtx();
   if (!ctx.IsValid()) {
      return;
   }
   try {
      cuiutil::ModelCmd::Send(ctx, hostPath + "util/vm/cmd/##/", "closeTeam", {{"teamPath", teamPath}}, {},
                              [teamPath](std::string error, cuiutil::ModelCmd::Outputs) {
                                 if (!error.empty()) {
                                    Warning("TeamMgr: closing %s failed: %s\n", teamPath.c_str(), error.c_str());
                                 }
                              });
   } catch (const Error &e) {
      Warning("TeamMgr: closing %s failed: %s\n", teamPath.c_str(), e.what());
   }
}

}  // namespace cui

namespace wui {

struct TeamMgr::PendingOpen {
   std::string cfgPath;
   cui::Host *host = nullptr;
   cui::DlgMgr *dlgMgr = nullptr;
   std::unique_ptr<cui::Team> team;   // while its members open
   std::vector<std::pair<cui::AbortSlot, sigc::slot<void, cui::Team *, bool>>> callers;
};

TeamMgr::TeamMgr() = default;

TeamMgr::~TeamMgr() = default;

void TeamMgr::OpenTeam(cui::Host *host, const std::string &cfgPath, cui::DlgMgr *dlgMgr, const cui::AbortSlot &abort,
                       const sigc::slot<void, cui::Team *, bool> &opened, bool)
{
   auto fail = [abort, opened](const std::string &text) {
      cui::AbortSlot a = abort;
      sigc::slot<void, cui::Team *, bool> o = opened;
      cui::Error error(text);
      Poll_Post([a, o, error]() {
         cui::CallSlot(a, false, error);
         cui::CallSlot(o, nullptr, false);
      });
   };
   if (cfgPath.empty()) {
      fail(cui::GetLocalString("@&!*@*@(msg.teammgr.noPath)No team file was given."));
      return;
   }
   if (cui::Team *team = GetTeamByCfgPath(cfgPath)) {
      sigc::slot<void, cui::Team *, bool> o = opened;
      Poll_Post([o, team]() { cui::CallSlot(o, team, true); });
      return;
   }
   for (const auto &pending : pendingOpens_) {
      if (cuiutil::SameFilePath(pending->cfgPath, cfgPath)) {
         pending->callers.push_back({abort, opened});
         return;
      }
   }
   vmdb::Ctx ctx = cui::GetVmdbCtx();
   if (!ctx.IsValid()) {
      fail(cui::GetLocalString("@&!*@*@(msg.teammgr.noDatabase)The team cannot be opened: there is no connection "
                               "to the host."));
      return;
   }
   cui::Host *onHost = host ? host : cui::GetClientHost() ? cui::GetClientHost() : GetCurrentHost();
   std::string hostPath = onHost && !onHost->GetPath().empty() ? onHost->GetPath() : VMMgr::LocalHostPath();
   std::shared_ptr<PendingOpen> pending = std::make_shared<PendingOpen>();
   pending->cfgPath = cfgPath;
   pending->host = onHost;
   pending->dlgMgr = dlgMgr;
   pending->callers.push_back({abort, opened});
   try {
      cuiutil::ModelCmd::Send(ctx, hostPath + "util/vm/cmd/##/", "openTeam", {{"cfgPath", cfgPath}}, {"teamPath"},
                              sigc::bind(sigc::mem_fun(*this, &TeamMgr::OnOpenAnswer), cfgPath));
   } catch (const cui::Error &e) {
      fail(e.what());
      return;
   }
   Log("TeamMgr: opening %s on %s\n", cfgPath.c_str(), hostPath.c_str());
   pendingOpens_.push_back(pending);
}

void TeamMgr::OnOpenAnswer(std::string error, std::map<std::string, std::string> outputs, std::string cfgPath)
{
   auto it = std::find_if(pendingOpens_.begin(), pendingOpens_.end(),
                          [&cfgPath](const std::shared_ptr<PendingOpen> &p) { return p->cfgPath == cfgPath; });
   if (it == pendingOpens_.end()) {
      return;
   }
   std::shared_ptr<PendingOpen> pending = *it;
   std::string teamPath = outputs["teamPath"];
   vmdb::Ctx ctx = cui::GetVmdbCtx();
   if (error.empty() && (teamPath.empty() || !ctx.IsValid())) {
      error = cui::GetLocalString("@&!*@*@(msg.teammgr.noAnswer)The host did not say where it opened the team.");
   }
   if (!error.empty()) {
      Finish(cfgPath, nullptr, error);
      return;
   }
   pending->team.reset(new Team(cfgPath, std::string()));
   cui::Team *team = pending->team.get();
   team->SetDlgMgr(pending->dlgMgr);
   team->settled.connect(sigc::bind(sigc::mem_fun(*this, &TeamMgr::OnTeamSettled), team, cfgPath));
   team->vanished.connect([this, cfgPath]() {
      Finish(cfgPath, nullptr, cui::GetLocalString("@&!*@*@(msg.teammgr.gone)The team was closed on the host while "
                                                   "it opened."));
   });
   team->Follow(ctx, teamPath, pending->host);
}

void TeamMgr::OnTeamSettled(cui::Team *team, std::string cfgPath)
{
   Finish(cfgPath, team, std::string());
}

void TeamMgr::Finish(const std::string &cfgPath, cui::Team *team, const std::string &error)
{
   auto it = std::find_if(pendingOpens_.begin(), pendingOpens_.end(),
                          [&cfgPath](const std::shared_ptr<PendingOpen> &p) { return p->cfgPath == cfgPath; });
   if (it == pendingOpens_.end()) {
      return;
   }
   std::shared_ptr<PendingOpen> pending = *it;
   pendingOpens_.erase(it);
   if (!error.empty() || !team || pending->team.get() != team) {
      std::string text = error.empty() ? cui::GetLocalString("@&!*@*@(msg.teammgr.noAnswer)The host did not say where "
                                                             "it opened the team.")
                                       : error;
      Log("TeamMgr: opening %s failed: %s\n", cfgPath.c_str(), text.c_str());
      if (pending->team) {
         // Signals of the team may be on the stack.
         std::shared_ptr<cui::Team> gone(pending->team.release());
         gone->Unfollow();
         Poll_Post([gone]() {});
      }
      for (const auto &caller : pending->callers) {
         cui::CallSlot(caller.first, false, cui::Error(text));
         cui::CallSlot(caller.second, nullptr, false);
      }
      return;
   }
   Log("TeamMgr: opened %s as %s\n", cfgPath.c_str(), team->GetTeamPath().c_str());
   // The manager's own slots connect from here on.
   AddTeam(std::move(pending->team));
   for (const auto &caller : pending->callers) {
      cui::CallSlot(caller.second, team, true);
   }
}

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
      CloseTeam(team);
   }
}

}  // namespace wui

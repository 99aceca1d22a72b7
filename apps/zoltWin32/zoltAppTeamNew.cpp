// File > New > Team: the new-team wizard run over the frame, then the save of the team it built,
// the team's tab and its favourite. The wizard has one owner (wui::wizard::Wizard::Run deletes it
// when its sheet has gone); the team and its editable are taken from it when it finishes and
// are owned by the save from then on, so nothing here refers to the wizard afterwards.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltDlgMgr.h"
#include "zoltGuard.h"
#include "zoltTeamWizard.h"

#include "cui/AppDataPaths.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamEditable.h"
#include "cui/TeamMgr.h"
#include "cui/Util.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"

#include <algorithm>

// What the save of a new team holds until it has answered.
struct NewTeamSave {
   std::unique_ptr<cui::Team> team;
   std::unique_ptr<cui::TeamEditable> editable;
   std::string path;
   std::vector<std::string> madeFolders;

   ~NewTeamSave()
   {
      // The editable refers to the team: it goes first.
      editable.reset();
   }
};

namespace {

// Undoes the command's modal state and dialog owner on every way out.
class CommandScope {
public:
   explicit CommandScope(CZOLTApp &app)
   {
      if (::DlgMgr *dlgMgr = app.GetDlgMgr()) {
         dlgMgr->GetRestoreOwnerSlot(restoreOwner_);
      }
      app.BeginModal(restoreModal_);
   }
   ~CommandScope()
   {
      Guard(restoreModal_);
      Guard(restoreOwner_);
   }
   CommandScope(const CommandScope &) = delete;
   CommandScope &operator=(const CommandScope &) = delete;

private:
   sigc::slot<void> restoreOwner_;
   sigc::slot<void> restoreModal_;
};

}  // namespace

void CZOLTApp::NewTeam()
{
   if (!zoltdb::ReadFlag(ctx_, cui::appdata::kSessionActive)) {
      return;
   }
   cui::Prefs *prefs = cui::GetPrefs();
   if (prefs && prefs->GetUIMode() != cui::Prefs::UI_MODE_LOCAL && !wui::util::HasZephroExtension()) {
      return;
   }
   CommandScope scope(*this);
   cui::Host *host = wui::GetCurrentHost();
   const std::string hostPath = host ? host->GetPath() : std::string();
   if (!TremAppUtil_CheckLockout(ctx_, hostPath.c_str(), "lockoutCreateVM")) {
      return;
   }
   Log("CZOLTApp::NewTeam\n");
   std::unique_ptr<wui::wizard::TeamWizard> wizard;
   try {
      wizard.reset(new wui::wizard::TeamWizard(host));
   } catch (const cui::Error &e) {
      ReportTeamError(false, e);
      return;
   }
   wizard->finished.connect(sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnTeamWizardDone), wizard.get()));
   const bool finished = wui::wizard::Wizard::Run(std::move(wizard), GetFrameWindow());
   Log("CZOLTApp::NewTeam: the wizard was %s\n", finished ? "finished" : "cancelled");
}

void CZOLTApp::OnTeamWizardDone(wui::wizard::TeamWizard *wizard)
{
   // Runs inside the wizard's finish: nothing may be thrown back into the library.
   try {
      auto save = std::make_shared<NewTeamSave>();
      save->team = wizard->TakeTeam();
      save->editable = wizard->TakeTeamEditable();
      save->path = wizard->GetResultPath();
      save->madeFolders = wizard->GetMadeFolders();
      if (!save->team || !save->editable) {
         throw cui::Error(cui::GetLocalString(
            "@&!*@*@(msg.team.new.nothing)The new team could not be saved: the wizard gave no team to save."));
      }
      save->team->SetDlgMgr(wui::GetDlgMgr());
      Log("CZOLTApp::OnTeamWizardDone: saving %s\n", save->path.c_str());
      save->editable->Save(sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnNewTeamSaveFailed), save),
                           sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnNewTeamSaved), save));
   } catch (const cui::Error &e) {
      ReportTeamError(false, e);
   }
}

void CZOLTApp::OnNewTeamSaved(std::shared_ptr<NewTeamSave> save)
{
   try {
      cui::TeamMgr *teams = cui::GetTeamMgr();
      if (!save->team || !teams) {
         throw cui::Error(cui::Format("@&!*@*@(msg.team.new.notOpened)The team \"%s\" was saved but cannot be opened "
                                      "now.", save->path.c_str()));
      }
      cui::Team *team = save->team.get();
      team->SetFilename(save->path);
      save->editable.reset();
      teams->AddTeam(std::move(save->team));
      Log("CZOLTApp::OnNewTeamSaved: %s\n", save->path.c_str());
      UpdateTeamMembers(team);
      openPath_ = team->GetFilename();
      OnTeamOpened(team, true, save->path, OpenFlags().MakeCurrent(), sigc::slot<void>());
      AddTeamToVMList(team);
   } catch (const cui::Error &e) {
      ReportTeamError(false, e);
   }
}

void CZOLTApp::OnNewTeamSaveFailed(bool cancelled, cui::Error error, std::shared_ptr<NewTeamSave> save)
{
   Warning("CZOLTApp::OnNewTeamSaveFailed %s: %s\n", save->path.c_str(), error.what());
   if (save->team) {
      Guard([this, &save]() { UpdateTeamMembers(save->team.get()); });
   }
   save->editable.reset();
   save->team.reset();
   // Folders the finish made for the file go again when the save left them empty.
   for (auto folder = save->madeFolders.rbegin(); folder != save->madeFolders.rend(); ++folder) {
      File_RemoveFolder(*folder);
   }
   save->madeFolders.clear();
   ReportTeamError(cancelled, error);
}

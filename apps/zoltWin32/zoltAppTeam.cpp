// Opening and closing teams: the open through the team manager and its completion, the team's tab
// and console view, the close with the questions a busy or running team needs, and the reports of
// the team commands' failures.
#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltGuard.h"
#include "zoltMsg.h"

#include "cui/AppDataPaths.h"
#include "cui/DlgMgr.h"
#include "cui/LocalizedString.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "cui/Util.h"
#include "cui/WuiPrefs.h"
#include "res/resource.h"
#include "tremorybase/Log.h"

namespace {

enum CloseChoice { CHOICE_SUSPEND = 0, CHOICE_POWER_OFF = 1, CHOICE_RUN_IN_BACKGROUND = 2, CHOICE_CANCEL = 3 };

const char kTeamBusy[] = ZOLT_MSG("msg.zoltAppTeam.checkAndCloseTeam.teamBusy",
                                  "The team \"%s\" is busy. Wait until its operation has finished before closing "
                                  "it.");
const char kTeamPoweredOn[] = ZOLT_MSG("msg.zoltAppTeam.checkAndCloseTeam.teamPoweredOn",
                                       "The team \"%s\" is still powered on. It can go on running in the "
                                       "background, or be suspended for later use.");
const char kErrorClosingTeam[] = ZOLT_MSG("msg.zoltAppTeam.checkAndCloseTeam.errorClosingTeam",
                                          "An error occurred while closing the team.");
const char kInvalidTeam[] = ZOLT_MSG("msg.zoltAppTeam.onCloseTeamTabReplied.invalidTeam",
                                     "An error occurred while closing the team: it is no longer open.");
const char kCloseFailed[] = "Error closing a team.";
const char kTeamNotOpen[] = ZOLT_MSG("msg.zoltAppTeam.openTeam.notOpened",
                                     "The team \"%s\" could not be opened.");

wui::Team *FindTeam(const std::string &cfgPath)
{
   wui::TeamMgr *teams = wui::GetTeamMgr();
   return teams && !cfgPath.empty() ? dynamic_cast<wui::Team *>(teams->GetTeamByCfgPath(cfgPath)) : nullptr;
}

}  // namespace

void ReportTeamError(bool cancelled, cui::Error error)
{
   if (gApp) {
      gApp->OnOperationAborted(cancelled, error);
   }
}

void ReportTeamErrorPlain(bool cancelled, cui::Error error)
{
   if (!cancelled) {
      ReportError(_bstr_t(cui::SanitizeMessage(error.what()).c_str()), -1, _bstr_t(""));
   }
}

void CZOLTApp::OpenTeam(_bstr_t path, OpenFlags flags, sigc::slot<void, bool, cui::Error> onError,
                        sigc::slot<void> onOpened)
{
   const std::string file = wui::util::GetLongPathNameA(zoltdb::Text(path), true);
   if (flags.makeCurrent) {
      openPath_ = file;
   }
   Log("CZOLTApp::OpenTeam %s\n", file.c_str());
   wui::TeamMgr *teams = wui::GetTeamMgr();
   if (file.empty() || !teams) {
      cui::CallSlot(onError.empty() ? cui::AbortSlot(&ReportTeamError) : onError, false,
                    cui::Error(cui::Format(kTeamNotOpen, file.c_str())));
      return;
   }
   // A caller that does not hear of failures (the side bar) still has the user hear of them.
   const cui::AbortSlot failed = onError.empty() ? cui::AbortSlot(&ReportTeamError) : onError;
   teams->OpenTeam(cui::GetClientHost(), file, wui::GetDlgMgr(), failed,
                   sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnTeamOpened), file, flags, onOpened), false);
}

void CZOLTApp::OnTeamOpened(cui::Team *team, bool opened, std::string path, OpenFlags flags,
                            sigc::slot<void> finished)
{
   // The finished slot tells callers of a success (the saved tabs and the command line count
   // them): a failed open has reached the caller's failure slot already.
   if (!opened) {
      return;
   }
   if (!team) {
      // The manager said yes without a team: nothing to show, and the user hears why.
      ReportTeamError(false, cui::Error(cui::Format(kTeamNotOpen, path.c_str())));
   } else {
      auto found = teamConnections_.find(team);
      if (found != teamConnections_.end()) {
         found->second.disconnect();
      }
      teamConnections_[team] = team->goingAway.connect(
         sigc::bind(sigc::mem_fun(*this, &CZOLTApp::CloseTeamTab), team, false));
      SwitchTeamToConsole(team);
      if (flags.openTab) {
         OpenTeamTab(team, flags.powerOn, flags.newTab, flags.makeCurrent);
      }
   }
   Guard(finished);
}

void CZOLTApp::SwitchTeamToConsole(cui::Team *team)
{
   if (!team || team->GetPowerState() != cui::VM::POWERED_ON) {
      return;
   }
   _bstr_t record = OpenTeamTab(team, false, false, false);
   if (record.length() > 0) {
      ctx_->WriteValue(record + "viewType/", _variant_t("console"));
   }
}

void CZOLTApp::CloseTeamTab(cui::Team *team, bool closeInMgr)
{
   if (!team) {
      return;
   }
   Log("CZOLTApp::CloseTeamTab %s\n", team->GetFilename().c_str());
   auto found = teamConnections_.find(team);
   if (found != teamConnections_.end()) {
      found->second.disconnect();
      teamConnections_.erase(found);
   }
   CloseObj(_bstr_t("team"), _bstr_t(team->GetFilename().c_str()));
   if (closeInMgr) {
      if (cui::TeamMgr *teams = cui::GetTeamMgr()) {
         teams->CloseTeam(team);
      }
   }
}

void CZOLTApp::CheckAndCloseTeam(wui::Team *team, bool askIfPoweredOn, cui::AbortSlot completion,
                                 sigc::slot<void> closed)
{
   if (!team) {
      return;
   }
   if (team->GetBusy()) {
      cui::CallSlot(completion, false,
                    cui::Error(cui::Format(kTeamBusy, team->GetName().c_str())));
      return;
   }
   if (team->GetPowerState() == cui::VM::POWERED_ON && askIfPoweredOn && !cui::GetPrefs()->GetBackgroundOnClose()) {
      cui::DlgQuestion *dlg =
         AskCloseRunningVMs(cui::Format(kTeamPoweredOn, team->GetName().c_str()));
      if (!dlg) {
         cui::CallSlot(completion, false, cui::Error(cui::GetLocalString(kErrorClosingTeam)));
         return;
      }
      // The team is found again by its file when the answer comes: it may have gone meanwhile.
      dlg->cui::Dlg::ConnectReply(sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnCloseTeamTabReplied),
                                             team->GetFilename(), dlg, completion, closed));
      return;
   }
   CloseTeamTab(team, true);
   Guard(closed);
}

cui::Dlg::RepliedAction CZOLTApp::OnCloseTeamTabReplied(std::string teamFile, cui::DlgQuestion *dlg,
                                                        cui::AbortSlot completion, sigc::slot<void> closed)
{
   wui::Team *team = FindTeam(teamFile);
   if (!team) {
      cui::CallSlot(completion, false, cui::Error(cui::GetLocalString(kInvalidTeam)));
      return cui::Dlg::DESTROY;
   }
   const int choice = dlg->GetChoice();
   if (choice < CHOICE_SUSPEND || choice > CHOICE_CANCEL) {
      Panic("NOT_IMPLEMENTED %s:%d\n", "zoltAppTeam", __LINE__);
   }
   cui::DoneSlot recheck = [this, teamFile, completion, closed]() {
      CheckAndCloseTeam(FindTeam(teamFile), false, completion, closed);
   };
   try {
      switch (choice) {
      case CHOICE_SUSPEND:
         team->SetPowerState(cui::VM::SUSPENDED, cui::VM::POWEROP_SOFT, completion, recheck);
         break;
      case CHOICE_POWER_OFF:
         team->PowerOff(cui::VM::POWEROP_DEFAULT, false, completion, recheck);
         break;
      case CHOICE_RUN_IN_BACKGROUND:
         CheckAndCloseTeam(team, false, completion, closed);
         break;
      default:
         cui::Cancel(completion);
         break;
      }
   } catch (const std::exception &) {
      cui::CallSlot(completion, false, cui::Error(kCloseFailed));
   }
   return cui::Dlg::DESTROY;
}

void CZOLTApp::CloseCurrentTeam()
{
   const std::string path = wui::GetPrefs()->GetCurrentObjPath();
   if (path.empty()) {
      return;
   }
   wui::Team *team = FindTeam(path);
   if (!team) {
      // A tab whose team is gone has nothing to ask about: it just goes.
      ReportTeamError(false, cui::Error(cui::Format(kTeamNotOpen, path.c_str())));
      CloseObj(_bstr_t("team"), _bstr_t(path.c_str()));
      return;
   }
   CheckAndCloseTeam(team, true, &ReportTeamError, sigc::slot<void>());
}

void CZOLTApp::OnTeamDeleted(std::string path)
{
   Log("Deleted team: %s\n", path.c_str());
   _bstr_t file(path.c_str());
   RemoveFromVMList(file, true);
}

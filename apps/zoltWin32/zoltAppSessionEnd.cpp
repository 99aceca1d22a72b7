// Ending a session: what becomes of running machines, flushing the preferences, dropping the
// host connection and closing everything the session holds.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltDlgMgr.h"
#include "zoltFrame.h"
#include "zoltModelOps.h"
#include "zoltMsg.h"
#include "zoltResources.h"

#include "cui/AppDataPaths.h"
#include "cui/cui.h"
#include "res/resource.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"

namespace {

const char kPrefsRequest[] = "/user/prefState/req/#ZOLT/";
const long kPrefsWaitMs = 15000;
const int kBusyMask = 15;

enum CloseChoice { CHOICE_SUSPEND = 0, CHOICE_POWER_OFF = 1, CHOICE_RUN_IN_BACKGROUND = 2, CHOICE_CANCEL = 3 };

const char kTeamBusy[] = ZOLT_MSG("msg.zoltAppVM.error.teamBusy",
                                  "The team \"%s\" is busy. Wait until its operation has finished before closing.");
const char kQuestionFailed[] =
   ZOLT_MSG("msg.zoltAppVM.error.onCloseVMTabReplied", "An error occurred while closing the virtual machine.");
const char kCloseVMsFailed[] = ZOLT_MSG("msg.zolt.error.closeVMFailed", "Closing the virtual machines failed.");
const char kBtnSuspend[] = ZOLT_MSG("msg.zoltAppVM.closeVMTab.btnSuspend", "&Suspend");
const char kBtnPowerOff[] = ZOLT_MSG("msg.zoltAppVM.closeVMTab.btnPowerOff", "&Power Off");
const char kBtnRunInBackground[] = ZOLT_MSG("msg.zoltAppVM.closeVMTab.btnRunInBackground", "&Run in Background");
const char kBtnCancel[] = ZOLT_MSG("msg.zoltAppVM.closeVMTab.btnCancel", "Cancel");

// Refuses through the abort slot when a team is busy; true when one was.
bool RefuseBusyTeam(const cui::AbortSlot &onAbort)
{
   cui::TeamMgr *teamMgr = cui::GetTeamMgr();
   if (!teamMgr) {
      return false;
   }
   for (cui::Team *team : teamMgr->GetTeams()) {
      if (zoltmodel::IsTeamBusy(team)) {
         cui::CallSlot(onAbort, false, cui::Error(cui::Format(kTeamBusy, team->GetName().c_str())));
         return true;
      }
   }
   return false;
}

// Marks the synchronous steps of a session end.
class EndingSessionScope {
public:
   explicit EndingSessionScope(bool &flag) : flag_(flag) { flag_ = true; }
   ~EndingSessionScope() { flag_ = false; }
   EndingSessionScope(const EndingSessionScope &) = delete;
   EndingSessionScope &operator=(const EndingSessionScope &) = delete;

private:
   bool &flag_;
};

std::vector<cui::VM *> SessionVMs()
{
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   return vmMgr ? vmMgr->GetVMs() : std::vector<cui::VM *>();
}

}  // namespace

bool CZOLTApp::CloseSession(CloseSessionMode mode, const cui::AbortSlot &onAbort, const cui::DoneSlot &onDone)
{
   if (mode < CLOSE_NOW || mode > CLOSE_SUSPEND) {
      NOT_IMPLEMENTED();
   }
   if (!ctx_->TestNode(cui::appdata::kSessionActive)) {
      cui::CallSlot(onDone);
      return true;
   }
   switch (mode) {
   case CLOSE_ASK:
      if (closeQuestion_) {
         // The user is already being asked; the answer to that question ends the session.
         Log("CZOLTApp::CloseSession: the running machines question is already up\n");
         return false;
      }
      if (stoppingVMs_) {
         // The user has answered: the machines are stopping, and the session ends after them.
         Log("CZOLTApp::CloseSession: the running machines are being stopped\n");
         return false;
      }
      if (RefuseBusyTeam(onAbort)) {
         return false;
      }
      for (cui::VM *vm : SessionVMs()) {
         if (zoltmodel::IsVMRunning(vm)) {
            cui::DlgQuestion *dlg = AskCloseRunningVMs(LoadResString(IDS_SESSION_VMS_RUNNING));
            if (!dlg) {
               cui::CallSlot(onAbort, false, cui::Error(cui::GetLocalString(kQuestionFailed)));
               return false;
            }
            dlg->cui::Dlg::ConnectReply(
               sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnCloseRunningVMsReplied), dlg, onAbort, onDone));
            return false;
         }
      }
      return CloseSession(CLOSE_NOW, onAbort, onDone);

   case CLOSE_POWER_OFF:
   case CLOSE_SUSPEND:
      if (RefuseBusyTeam(onAbort)) {
         return false;
      }
      for (cui::VM *vm : SessionVMs()) {
         if (zoltmodel::IsVMBusy(vm, kBusyMask)) {
            std::string text = tremapputil::ResString(IDS_VM_BUSY_CLOSE).Format({vm->GetName()});
            cui::CallSlot(onAbort, false, cui::Error(text));
            return false;
         }
         if (zoltmodel::IsVMRunning(vm)) {
            // The next pass starts over once these machines have stopped.
            stoppingVMs_ = true;
            cui::AbortSlot failed = sigc::mem_fun(*this, &CZOLTApp::OnStopVMsFailed);
            cui::DoneSlot again = sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnVMsStopped), mode, onAbort, onDone);
            if (mode == CLOSE_POWER_OFF) {
               zoltmodel::PowerOffVMs(failed, again);
            } else {
               zoltmodel::SuspendVMs(failed, again);
            }
            return false;
         }
      }
      return CloseSession(CLOSE_NOW, onAbort, onDone);

   default:
      break;
   }

   // The preference wait below runs poll steps: an end asked for meanwhile (a lost connection
   // seen by a watch) is this one.
   if (endingSession_) {
      Log("CZOLTApp::CloseSession: the session is already ending\n");
      return false;
   }
   EndingSessionScope ending(endingSession_);
   try {
      SaveOpenedObjs();
   } catch (const _com_error &e) {
      Warning("CZOLTApp::SaveOpenedObjs failed: %s\n", zoltdb::ComText(e).c_str());
   } catch (const std::exception &e) {
      Warning("CZOLTApp::SaveOpenedObjs failed: %s\n", e.what());
   }
   wui::GetPrefs()->SetDefaultToolbarButtons();
   if (frame_ && frame_->m_hWnd) {
      frame_->SavePlacement(true);
   }

   // The preferences this run changed are handed to their owner; a silent owner costs at most
   // the wait's limit.
   IVmdbContextPtr ctx = zoltdb::NewContextAt(db_, kPrefsRequest);
   ctx->WriteValue("../../new", _variant_t(ctx->CurrentPath()));
   ctx->WaitUntilChanged("status", _variant_t(""), VARIANT_FALSE, kPrefsWaitMs);
   ctx->RemoveNode(kPrefsRequest, VARIANT_TRUE);

   ctx->ChangePath(cui::appdata::kRoot);
   const std::string sessionPath = wui::GetPrefs()->GetSessionPath();
   if (!sessionPath.empty()) {
      cui::Host *host = wui::GetCurrentHost();
      std::string hostPath = host ? host->GetPath() : std::string();
      CtxUnwatch((sessionPath + "lastError").c_str());
      ctx->RemoveNode("currentHost", VARIANT_TRUE);
      client_->ReleaseHost(hostPath.c_str());
      client_->Disconnect(sessionPath.c_str());
   }

   zoltmodel::CloseAllTeams();
   if (owned_->hotFixMgr) {
      zoltmodel::CloseAllHotFixRequests();
   }
   if (owned_->mvmtMgr) {
      zoltmodel::CloseAllMVMTs();
   }
   zoltmodel::CloseAllVMs(sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnCloseAllVMsAborted), onAbort),
                          sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnAllVMsClosed), onDone, sessionNumber_));
   return true;
}

void CZOLTApp::OnStopVMsFailed(bool cancelled, cui::Error error)
{
   stoppingVMs_ = false;
   OnOperationAborted(cancelled, error);
}

void CZOLTApp::OnVMsStopped(CloseSessionMode mode, cui::AbortSlot onAbort, cui::DoneSlot onDone)
{
   stoppingVMs_ = false;
   CloseSession(mode, onAbort, onDone);
}

cui::DlgQuestion *CZOLTApp::AskCloseRunningVMs(const std::string &text)
{
   std::vector<std::string> choices = {cui::GetLocalString(kBtnSuspend), cui::GetLocalString(kBtnPowerOff),
                                       cui::GetLocalString(kBtnRunInBackground), cui::GetLocalString(kBtnCancel)};
   cui::DlgQuestion *dlg = GetDlgMgr() ? GetDlgMgr()->NewQuestion(text, choices, CHOICE_CANCEL, CHOICE_SUSPEND, "",
                                                          cui::DlgQuestion::ICON_QUESTION)
                                   : nullptr;
   if (dlg) {
      closeQuestion_ = dlg;
      dlg->destroyed.connect([this, dlg]() {
         if (closeQuestion_ == dlg) {
            closeQuestion_ = nullptr;
         }
      });
   }
   return dlg;
}

cui::Dlg::RepliedAction CZOLTApp::OnCloseRunningVMsReplied(cui::DlgQuestion *dlg, cui::AbortSlot onAbort,
                                                         cui::DoneSlot onDone)
{
   int mode = CLOSE_NOW;
   switch (dlg->GetChoice()) {
   case CHOICE_CANCEL:
      cui::Cancel(onAbort);
      return cui::Dlg::DESTROY;
   case CHOICE_SUSPEND:
      mode = CLOSE_SUSPEND;
      break;
   case CHOICE_POWER_OFF:
      mode = CLOSE_POWER_OFF;
      break;
   case CHOICE_RUN_IN_BACKGROUND:
      mode = CLOSE_NOW;
      break;
   default:
      NOT_IMPLEMENTED();
   }
   // The next pass runs once the question's window is gone.
   dlg->destroyed.connect(
      sigc::hide_return(sigc::bind(sigc::mem_fun(*this, &CZOLTApp::CloseSession), mode, onAbort, onDone)));
   return cui::Dlg::DESTROY;
}

void CZOLTApp::OnCloseAllVMsAborted(bool, cui::Error, cui::AbortSlot onAbort)
{
   cui::CallSlot(onAbort, false, cui::Error(cui::GetLocalString(kCloseVMsFailed)));
}

void CZOLTApp::OnAllVMsClosed(cui::DoneSlot onDone, unsigned session)
{
   if (session == sessionNumber_) {
      ctx_->WriteValue(cui::appdata::kSessionActive, zoltdb::Flag(false));
   } else {
      Log("CZOLTApp::OnAllVMsClosed: a newer session has begun; it stays active\n");
   }
   cui::CallSlot(onDone);
}

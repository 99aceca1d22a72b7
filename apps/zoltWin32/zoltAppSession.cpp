// Sessions, the current object and the small services the model library calls back. Several
// of them are still the least that keeps the program sound; their full behaviour comes with
// the session, host-login and update-check work.
#include "zoltApp.h"

#include "zoltFrame.h"

#include "cui/cui.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"

#include <cstring>

namespace {

const char kAppData[] = "/appdata/Tremory/zolt/";

}  // namespace

bool CZOLTApp::NewSession(bool remote, const _bstr_t &dest, const _bstr_t &user, const _bstr_t &, _bstr_t *error)
{
   if (remote) {
      // Only the local host can be reached in this build.
      if (error) {
         *error = "Remote hosts are not available.";
      }
      Warning("CZOLTApp::NewSession: remote session to %s refused\n", static_cast<const char *>(dest));
      return false;
   }
   (void)user;
   std::string hostPath = GetHostPath();
   IVmdbContextPtr ctx = db_->NewContext();
   ctx->OpenBatch();
   ctx->ChangePath(kAppData);
   wui::GetPrefs()->SetRemoteSession(false);
   ctx->RemoveNode("session/cnxPath", VARIANT_TRUE);
   ctx->WriteValue("session/dest", _variant_t(""));
   ctx->WriteValue("session/user", _variant_t(""));
   ctx->WriteValue("session/active", _variant_t(static_cast<short>(1)));
   ctx->WriteValue("currentHost", _variant_t(hostPath.c_str()));
   ctx->CloseBatch(1);
   wui::SetCurrentHost(cui::GetClientHost());
   return true;
}

bool CZOLTApp::ConnectToHost(_bstr_t &host, _bstr_t &, _bstr_t &, bool)
{
   // No login dialog yet: every connection is a session with the local host.
   if (host.length() > 0) {
      Warning("CZOLTApp::ConnectToHost: %s is not reachable; using the local host\n", static_cast<const char *>(host));
   }
   _bstr_t error;
   return NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error);
}

bool CZOLTApp::CloseSession(int mode, const cui::AbortSlot &, const cui::DoneSlot &onDone)
{
   if (mode < CLOSE_NOW || mode > CLOSE_SUSPEND) {
      NOT_IMPLEMENTED();
   }
   // Every mode ends at once for now: no machine runs in this build's sessions.
   if (frame_ && frame_->m_hWnd) {
      frame_->SavePlacement(true);
   }
   IVmdbContextPtr ctx = db_->NewContext();
   ctx->ChangePath(kAppData);
   if (ctx->TestNode("session/active")) {
      ctx->WriteValue("session/active", _variant_t(static_cast<short>(0)));
   }
   cui::CallSlot(onDone);
   return true;
}

void CZOLTApp::StartWebUpdateCheck(bool)
{
   // There is no update service in this build.
}

void CZOLTApp::SetUILocale()
{
   std::string locale = _stricmp(TremAppUtil_GetUILanguage().c_str(), "ja") == 0 ? "ja" : "";
   if (locale == uiLocale_) {
      return;
   }
   uiLocale_ = locale;
   std::string variables = options_.setVariables;
   if (!locale.empty() && variables.find("-E") == std::string::npos) {
      variables += (variables.empty() ? "" : " ") + std::string("-E ") + locale;
      client_->SetVariables(variables.c_str());
   } else {
      client_->SetVariables(locale.c_str());
   }
}

void CZOLTApp::Browse(std::string url)
{
   TremAppUtil_OpenURL(url.c_str());
}

void CZOLTApp::OnCtxCurrentObj()
{
   wui::Prefs *prefs = wui::GetPrefs();
   std::string type = prefs->GetCurrentObjType();
   Log("CZOLTApp::OnCtxCurrentObj: %s\n", type == "home" ? type.c_str() : prefs->GetCurrentObjPath().c_str());
}

void CZOLTApp::OnOperationAborted(bool cancelled, cui::Error error)
{
   if (cancelled) {
      return;
   }
   // The error box of the dialogs work replaces this line.
   Warning("CZOLTApp::OnOperationAborted: %s\n", error.what());
}

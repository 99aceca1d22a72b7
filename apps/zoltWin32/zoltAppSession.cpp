// Sessions: the one live link to a host (the local host, or a host reached over a database
// connection), the home tab, the local host's help links, the network editor and the locale.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltFrame.h"
#include "zoltGuard.h"

#include "cui/AppDataPaths.h"
#include "cui/Cnx.h"
#include "cui/cui.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"

namespace {

const char kHomepagePref[] = "/user/prefState/req/#ZOLT/val/zolt/view/homepage";

typedef int(WINAPI *ShowNetPropertyPagesFn)(HWND owner, void *rawCtx, int startPage);

// Shows the wait cursor until it goes out of scope.
class WaitCursor {
public:
   WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
   ~WaitCursor() { SetCursor(previous_); }
   WaitCursor(const WaitCursor &) = delete;
   WaitCursor &operator=(const WaitCursor &) = delete;

private:
   HCURSOR previous_;
};

}  // namespace

bool CZOLTApp::NewSession(bool remote, const _bstr_t &dest, const _bstr_t &user, const _bstr_t &password,
                          _bstr_t *error)
{
   std::string cnxPath;
   try {
      wui::Prefs *prefs = wui::GetPrefs();
      if (prefs->GetUIMode() == cui::Prefs::UI_MODE_REMOTE) {
         {
            WaitCursor wait;
            cnxPath = remote ? zoltdb::Text(client_->Connect(dest, user, password))
                             : zoltdb::Text(client_->Connect(_bstr_t(""), _bstr_t(""), _bstr_t("")));
         }
         if (cnxPath == prefs->GetSessionPath()) {
            return true;
         }
         if (client_->GetConnectionHostCount(cnxPath.c_str()) != 1) {
            Warning("CZOLTApp::NewSession: number of hosts available is not one!\n");
            // Nobody else uses the connection just made.
            client_->Disconnect(cnxPath.c_str());
            return false;
         }
      }

      if (!CloseSession(CLOSE_NOW, cui::AbortSlot(), cui::DoneSlot())) {
         if (!cnxPath.empty()) {
            client_->Disconnect(cnxPath.c_str());
         }
         return false;
      }

      std::string hostPath;
      if (!cnxPath.empty()) {
         hostPath = zoltdb::Text(client_->GetConnectionHostPath(cnxPath.c_str(), 0));
         client_->Attach(cnxPath.c_str(), hostPath.c_str());
      } else {
         hostPath = zoltdb::Text(client_->GetLocalHostPath());
      }

      IVmdbContextPtr ctx = db_->NewContext();
      ctx->OpenBatch();
      ctx->ChangePath(cui::appdata::kRoot);
      prefs->SetRemoteSession(remote);
      if (!cnxPath.empty()) {
         prefs->SetSessionPath(cnxPath);
      } else {
         ctx->RemoveNode("session/cnxPath", VARIANT_TRUE);
      }
      ctx->WriteValue("session/dest", _variant_t(remote ? dest : _bstr_t("")));
      ctx->WriteValue("session/user", _variant_t(remote ? user : _bstr_t("")));
      ctx->WriteValue("session/active", zoltdb::Flag(true));
      ctx->WriteValue("currentHost", _variant_t(hostPath.c_str()));
      ctx->CloseBatch(1);
      // From here on, the late end of an earlier session leaves this one active.
      ++sessionNumber_;

      // The new host is installed first, so its own signals are the ones connected below; the
      // host this application installed before goes exactly once.
      cui::Host *previous = sessionHost_;
      hostChangedConnection_.disconnect();
      sessionHost_ = new cui::Host(remote ? cui::Cnx::ForPath(cnxPath) : nullptr, cui::GetNewVmdbCtx(), hostPath);
      wui::SetCurrentHost(sessionHost_);
      delete previous;

      if (!cnxPath.empty()) {
         hostChangedConnection_ =
            sessionHost_->registeredVMsChanged.connect(sigc::mem_fun(*this, &CZOLTApp::OnRegisteredVMsChanged));
         CtxWatch((cnxPath + "lastError").c_str(), vmdb::Ctx::kWatchNode, &CZOLTApp::OnCtxDisconnect);
         OnCtxDisconnect(nullptr);
      }
      ctx = nullptr;
      LoadOpenedObjs();
      return true;
   } catch (const _com_error &e) {
      if (error) {
         *error = _bstr_t(zoltdb::ComText(e).c_str());
      }
   } catch (const std::exception &e) {
      if (error) {
         *error = _bstr_t(e.what());
      }
   }
   Warning("CZOLTApp::NewSession failed: %s\n", error ? zoltdb::Text(*error).c_str() : "");
   return false;
}

bool CZOLTApp::ConnectToHost(_bstr_t &host, _bstr_t &user, _bstr_t &password, bool)
{
   // The login dialog is not in this build: a full destination is tried, anything else (and a
   // failure) leaves a local session.
   _bstr_t error;
   if (host.length() > 0 && user.length() > 0 && password.length() > 0) {
      if (NewSession(true, host, user, password, &error)) {
         return true;
      }
      ReportError(error, -1, _bstr_t());
   }
   return NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error);
}

void CZOLTApp::OnCtxDisconnect(BSTR)
{
   try {
      _bstr_t value(ctx_->ReadValue(cui::appdata::kSessionLastError));
      long lastError = value.length() > 0 ? wcstol(static_cast<const wchar_t *>(value), nullptr, 10) : 0;
      if (lastError != 0) {
         Log("CZOLTApp::OnCtxDisconnect: the connection was lost (%ld)\n", lastError);
         CloseSession(CLOSE_NOW, cui::AbortSlot(), cui::DoneSlot());
      }
   } catch (const _com_error &e) {
      Warning("CZOLTApp::OnCtxDisconnect failed: %s\n", zoltdb::ComText(e).c_str());
   } catch (const std::exception &e) {
      Warning("CZOLTApp::OnCtxDisconnect failed: %s\n", e.what());
   }
}

void CZOLTApp::OpenHomepage()
{
   IVmdbContextPtr ctx = zoltdb::NewAppDataContext(db_);
   ctx->WriteValue(_bstr_t(cui::appdata::kHomeObj) + "type", _variant_t("home"));
   ctx->WriteValue(_bstr_t(cui::appdata::kHomeObj) + "path", _variant_t(""));
   wui::GetPrefs()->SetCurrentObj(cui::appdata::kHomeObj);
   ctx->WriteValue(kHomepagePref, zoltdb::Flag(true));
}

_bstr_t CZOLTApp::GetUrl(const _bstr_t &name, bool serialNumberForm)
{
   try {
      IVmdbContextPtr ctx = zoltdb::NewContextAt(db_, cui::appdata::kLocalHost);
      const std::string wanted = zoltdb::Text(name);
      for (_bstr_t element = ctx->NextElement("setup/help/url/#"); element.length() > 0;
           element = ctx->NextElement(element)) {
         if (zoltdb::ReadText(ctx, element + "name") == wanted) {
            return _bstr_t(zoltdb::ReadText(ctx, element + (serialNumberForm ? "addressSerialNb" : "address")).c_str());
         }
      }
   } catch (const _com_error &e) {
      Warning("CZOLTApp::GetUrl failed: %s\n", zoltdb::ComText(e).c_str());
   }
   return _bstr_t("");
}

void CZOLTApp::OpenNetworkEditor()
{
   cui::Host *host = wui::GetCurrentHost();
   if (!showNetPropertyPages_ || !host) {
      Log("CZOLTApp::OpenNetworkEditor: the network editor is not available\n");
      return;
   }
   Guard([this, host]() {
      IVmdbContextPtr hostCtx = zoltdb::NewContextAt(db_, host->GetPath().c_str());
      auto show = reinterpret_cast<ShowNetPropertyPagesFn>(reinterpret_cast<void *>(showNetPropertyPages_));
      show(GetFrameWindow(), reinterpret_cast<void *>(hostCtx->GetRawHandle()), 0);
   });
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

void CZOLTApp::StartWebUpdateCheck(bool)
{
   // There is no update service in this build.
}

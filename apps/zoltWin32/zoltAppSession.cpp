// Sessions: the one live link to a host (the local host, or a host reached over a database
// connection), connecting to a host through the login dialog with the recent destinations, the
// home tab, the local host's help links, the network editor and the locale.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltFrame.h"
#include "zoltGuard.h"
#include "zoltLoginDlg.h"
#include "zoltMruDest.h"
#include "zoltResources.h"

#include "cui/AppDataPaths.h"
#include "cui/Cnx.h"
#include "cui/RpcMgr.h"
#include "cui/VM.h"
#include "cui/cui.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"
#include "tremorybase/ScopeGuard.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

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

// Preferences of the connections, under the application's preference request "val/zolt".
const char kCnxType[] = "cnxType";
const char kSaveDest[] = "saveDest";
const char kMruLength[] = "mruDest/maxItems";
const char kMruItems[] = "mruDest/item/#";
// Used while the preferences set no length of their own.
const long kDefaultMruLength = 10;

long ReadLong(const IVmdbContextPtr &ctx, const char *path, long absent)
{
   std::string text = zoltdb::ReadText(ctx, path);
   return text.empty() ? absent : strtol(text.c_str(), nullptr, 10);
}

bool ReadFlagOr(const IVmdbContextPtr &ctx, const char *path, bool absent)
{
   return zoltdb::ReadText(ctx, path).empty() ? absent : zoltdb::ReadFlag(ctx, path);
}

std::vector<MruDestItem> ReadMruItems(const IVmdbContextPtr &ctx)
{
   std::vector<MruDestItem> items;
   for (_bstr_t e = ctx->NextElement(kMruItems); e.length() > 0; e = ctx->NextElement(e)) {
      MruDestItem item;
      item.present = zoltdb::ReadFlag(ctx, e + "present");
      if (item.present) {
         item.destString = zoltdb::ReadText(ctx, e + "destString");
         item.user = zoltdb::ReadText(ctx, e + "user");
         item.index = strtol(zoltdb::ReadText(ctx, e + "index").c_str(), nullptr, 10);
      }
      items.push_back(item);
   }
   return items;
}

// Writes the list over the stored elements, in place: elements beyond it stay, not present. The
// preferences hold no more elements than the longest list ever kept (never more than 1999),
// where appending a new set at every connection would grow them without end.
void SaveMruDest(const IVmdbContextPtr &ctx, const MruDestList &list, long maxItems)
{
   std::vector<_bstr_t> stored;
   for (_bstr_t e = ctx->NextElement(kMruItems); e.length() > 0; e = ctx->NextElement(e)) {
      stored.push_back(e);
   }
   const size_t count = std::min(list.size(), static_cast<size_t>(std::max(maxItems, 0L)));
   ctx->OpenBatch();
   ScopeGuard close([&ctx]() { ctx->CloseBatch(1); });
   for (size_t i = 0; i < std::max(count, stored.size()); ++i) {
      _bstr_t e = i < stored.size() ? stored[i] : ctx->AppendElement(kMruItems);
      if (i < count) {
         ctx->WriteValue(e + "destString", _variant_t(list[i].first));
         ctx->WriteValue(e + "user", _variant_t(list[i].second));
         ctx->WriteValue(e + "index", _variant_t(static_cast<long>(i)));
      }
      ctx->WriteValue(e + "present", zoltdb::Flag(i < count));
   }
}

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
      auto previous = std::move(owned_->sessionHost);
      hostChangedConnection_.disconnect();
      cui::Host *host = Register(owned_->sessionHost, new cui::Host(remote ? cui::Cnx::ForPath(cnxPath) : nullptr,
                                                                    cui::GetNewVmdbCtx(), hostPath));
      previous.reset();

      if (!cnxPath.empty()) {
         hostChangedConnection_ =
            host->registeredVMsChanged.connect(sigc::mem_fun(*this, &CZOLTApp::OnRegisteredVMsChanged));
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

bool CZOLTApp::ConnectToHost(_bstr_t &host, _bstr_t &user, _bstr_t &password, bool atStartup)
{
   const _bstr_t title(atStartup ? LoadResString(IDS_CONNECT_TITLE).c_str() : "");
   IVmdbContextPtr ctx = zoltdb::NewContextAt(db_, zoltdb::kPrefsZoltPath);
   const long maxItems = ReadLong(ctx, kMruLength, kDefaultMruLength);
   const MruDestList recent = mrudest::FromItems(ReadMruItems(ctx), maxItems);
   const bool saveDest = ReadFlagOr(ctx, kSaveDest, true);
   const bool preferLocal = zoltdb::ReadText(ctx, kCnxType) == "local" && host.length() == 0;
   CLoginDlg dialog(title, host, user, recent, preferLocal, IsLocalHostAvailable());

   _bstr_t dest = host;
   _bstr_t account = user;
   bool remote = true;
   for (bool failed = false;; failed = true) {
      _bstr_t secret;
      if (!failed && host.length() > 0 && user.length() > 0 && password.length() > 0) {
         secret = password;
      } else {
         sigc::slot<void> restore;
         BeginModal(restore);
         HWND owner = ::GetActiveWindow() ? ::GetActiveWindow() : GetFrameWindow();
         INT_PTR answer = dialog.DoModal(owner);
         Guard(restore);
         if (answer != IDOK) {
            WipeText(password);
            dialog.ForgetPassword();
            return false;
         }
         dest = dialog.GetHostName();
         account = dialog.GetUserName();
         secret = dialog.GetPassword();
         remote = dialog.remote_;
      }
      _bstr_t error;
      bool connected = AttemptSession(remote, dest, account, secret, &error);
      // The password is of no more use once the host has answered, whatever it said.
      WipeText(secret);
      WipeText(password);
      dialog.ForgetPassword();
      if (connected) {
         break;
      }
      ReportError(error, IDS_CONNECT_FAILED, _bstr_t(""));
      dialog.SetError(ErrorBoxText(zoltdb::Text(error), IDS_CONNECT_FAILED, ""));
   }

   try {
      // A new session may have replaced the preference request element: a context of its own.
      // What it held was read before.
      ctx = zoltdb::NewContextAt(db_, zoltdb::kPrefsZoltPath);
      ctx->WriteValue(kCnxType, _variant_t(remote ? "remote" : "local"));
      if (remote && maxItems > 0 && saveDest) {
         SaveMruDest(ctx, mrudest::Updated(recent, dest, account, maxItems), maxItems);
      }
   } catch (const _com_error &e) {
      Warning("CZOLTApp::ConnectToHost: the recent destinations were not saved: %s\n", zoltdb::ComText(e).c_str());
   }
   return true;
}

bool CZOLTApp::AttemptSession(bool remote, const _bstr_t &dest, const _bstr_t &user, const _bstr_t &password,
                              _bstr_t *error)
{
   // A host that is slow to answer may let messages through meanwhile: the frame takes no
   // commands until the attempt is over.
   HWND frame = GetFrameWindow();
   const bool disable = frame && ::IsWindowEnabled(frame);
   if (disable) {
      ::EnableWindow(frame, FALSE);
   }
   bool connected = NewSession(remote, dest, user, password, error);
   if (disable) {
      ::EnableWindow(frame, TRUE);
   }
   return connected;
}

bool CZOLTApp::IsLocalHostAvailable()
{
   try {
      return client_ && client_->GetLocalHostPath().length() > 0;
   } catch (const _com_error &e) {
      Warning("CZOLTApp::IsLocalHostAvailable: %s\n", zoltdb::ComText(e).c_str());
      return false;
   }
}

void CZOLTApp::SetVMUser(cui::VM *vm, const _bstr_t &userName, const _bstr_t &password)
{
   vmdbLayout::rpc::Mgr *rpcMgr = cui::GetRpcMgr();
   if (!vm || !rpcMgr) {
      Warning("CZOLTApp::SetVMUser: no machine or no request manager\n");
      return;
   }
   Log("CZOLTApp::SetVMUser %s %s\n", vm->GetVmPath().c_str(), zoltdb::Text(userName).c_str());
   const bool unset = userName.length() == 0;
   vmdbLayout::rpc::Cmd cmd = rpcMgr->NewCmd(vm->GetVmPath() + "user/cmd/##/", unset ? "unset" : "set");
   if (!unset) {
      cmd["username/"] = zoltdb::Text(userName);
      cmd["password/"] = zoltdb::Text(password);
   }
   cui::AbortSlot completion =
      sigc::bind(sigc::mem_fun(*this, &CZOLTApp::ReportFailureWithTemplate), static_cast<int>(IDS_SET_VM_USER_FAILED));
   cmd->abort.connect(cui::MakeRPCAbortSlot(completion));
   cmd->Invoke();
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

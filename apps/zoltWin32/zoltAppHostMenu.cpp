// Host and Help menu commands, the home tab's close, the Zephro server popup and the opening
// and closing of Zephro servers.
#include "zoltApp.h"
#include "zoltAbout.h"
#include "zoltAppDb.h"
#include "zoltDlgMgr.h"
#include "zoltFrame.h"
#include "zoltGuard.h"
#include "zoltMsg.h"
#include "zoltTips.h"

#include "cui/AppContext.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "cui/WebLink.h"
#include "cui/WuiPrefs.h"
#include "cui/ZephroServerMgr.h"
#include "res/resource.h"
#include "tremorybase/Log.h"

#include <cstdlib>

namespace {

const char kHomepagePref[] = "val/zolt/view/homepage";
const char kOpenZephroServerFailed[] = "Error opening Zephro Server.";
const char kDirectoryYes[] = ZOLT_MSG("msg.cloneToZephroMasterWz.zephroServer.adYes", "Yes");
const char kDirectoryNo[] = ZOLT_MSG("msg.cloneToZephroMasterWz.zephroServer.adNo", "No");

// The maker's web link of a Help command; 0 for other commands.
int WebLinkOfCommand(CommandId id)
{
   switch (id) {
   case IDM_HELP_GUIDE: return weblink::LINK_GUIDE;
   case IDM_HELP_ZEPHRO_GUIDE: return weblink::LINK_ZEPHRO_GUIDE;
   case IDM_HELP_MANUAL: return weblink::LINK_MANUAL;
   default: return 0;
   }
}

// Runs a modal dialog owned by the active window while the modal state is set.
template <class Dialog>
void RunModal(CZOLTApp &app, Dialog &dialog)
{
   sigc::slot<void> restore;
   app.BeginModal(restore);
   dialog.DoModal(GetActiveWindow());
   Guard(restore);
}

}  // namespace

HomePageLink HomePageLinkFor(CommandId id)
{
   switch (id) {
   case IDM_HELP_SUPPORT: return {"support", true};
   case IDM_HELP_PRODUCTS: return {"products", true};
   case IDM_HELP_REPORT: return {"report", true};
   default: return {"tremory", false};
   }
}

void CZOLTApp::OnHostCommand(CommandId id)
{
   Log("CZOLTApp::OnHostCommand %u\n", static_cast<unsigned>(id));
   switch (id) {
   case IDM_HOST_SWITCH: {
      // Empty host, user and password: the login dialog asks for them.
      _bstr_t host(""), user(""), password("");
      ConnectToHost(host, user, password, false);
      break;
   }
   case IDM_HOST_DISCONNECT:
      CloseSession(CLOSE_NOW, cui::AbortSlot(), cui::DoneSlot());
      break;
   case IDM_HOST_NETWORK_SETTINGS:
      OpenNetworkEditor();
      break;
   case IDM_HOST_SETTINGS:
      EditHostSettings();
      break;
   default:
      break;
   }
}

void CZOLTApp::OnHelpCommand(CommandId id)
{
   Log("CZOLTApp::OnHelpCommand %u\n", static_cast<unsigned>(id));
   switch (id) {
   case IDM_HELP_TOPICS: {
      wui::AppContext *context = wui::GetAppContext();
      wui::util::ShowHelp(GetFrameWindow(), context ? context->GetHelpValue() : std::string());
      break;
   }
   case IDM_HELP_GUIDE:
   case IDM_HELP_ZEPHRO_GUIDE:
   case IDM_HELP_MANUAL:
      // The lookup's text is the C runtime's: it goes back with free.
      if (char *address = weblink::Lookup(WebLinkOfCommand(id), true)) {
         Browse(address);
         free(address);
      }
      break;
   case IDM_HELP_ENABLE_ALL_HINTS:
      if (MessageBoxRes(IDS_ENABLE_ALL_HINTS, MB_ICONQUESTION | MB_YESNO) == IDYES) {
         cui::GetPrefs()->EnableAllHints();
      }
      break;
   case IDM_HELP_SHOW_ENABLED_HINTS: {
      cui::Prefs *prefs = cui::GetPrefs();
      prefs->SetShowEnabledHints(!prefs->GetShowEnabledHints());
      break;
   }
   case IDM_HELP_TIP_OF_THE_DAY: {
      CZOLTTips tips;
      RunModal(*this, tips);
      break;
   }
   case IDM_HELP_HOME_PAGE:
   case IDM_HELP_SUPPORT:
   case IDM_HELP_PRODUCTS:
   case IDM_HELP_REPORT:
      HomePageLinkCommand(id);
      break;
   case IDM_HELP_CHECK_UPDATES:
      StartWebUpdateCheck(true);
      break;
   case IDM_HELP_ABOUT: {
      CZOLTAbout about;
      RunModal(*this, about);
      break;
   }
   default:
      break;
   }
}

void CZOLTApp::HomePageLinkCommand(CommandId id)
{
   HomePageLink link = HomePageLinkFor(id);
   Browse(zoltdb::Text(GetUrl(_bstr_t(link.name), link.serialNumberForm)));
}

void CZOLTApp::CloseHomepage()
{
   Log("CZOLTApp::CloseHomepage\n");
   IVmdbContextPtr ctx = zoltdb::NewAppDataContext(db_);
   _bstr_t home = FindOpenedObj(_bstr_t("home"), _bstr_t(""), false);
   if (home.length() > 0) {
      ctx->RemoveNode(home, VARIANT_TRUE);
      _bstr_t next = NextOpenedObj(home);
      if (next.length() > 0 && ctx->TestNode(next)) {
         wui::GetPrefs()->SetCurrentObj(zoltdb::Text(next));
      } else {
         ctx->RemoveNode("currentObj", VARIANT_TRUE);
      }
   }
   // Not opened again at the next start, whether or not there was a home tab to close.
   ctx->WriteValue(_bstr_t(prefsRoot_.c_str()) + kHomepagePref, zoltdb::Flag(false));
}

void CZOLTApp::OnQuenServerCommand(CommandId id, _bstr_t &path, CommandSource source)
{
   const std::string address = zoltdb::Text(path);
   Log("CZOLTApp::OnQuenServerCommand %u %s %d\n", static_cast<unsigned>(id), address.c_str(),
       static_cast<int>(source));
   switch (id) {
   case IDM_SERVER_CONNECT: {
      std::string host;
      int port = 0;
      bool flag = false;
      std::string error = cui::zephroutil::StringToAddress(address, host, port, flag);
      if (!error.empty()) {
         if (GetDlgMgr()) {
            GetDlgMgr()->NewError(error, "");
         }
         return;
      }
      OpenZephroServer(_bstr_t(host.c_str()), port, flag, OpenFlags().Second().MakeCurrent(),
                       sigc::slot<void, bool, cui::Error>(), sigc::slot<void>());
      break;
   }
   case IDM_SERVER_CLOSE: {
      cui::ZephroServerMgr *servers = cui::ZephroServerMgrImpl::GetInstance();
      if (cui::ZephroServer *server = servers ? servers->GetServerByID(address) : nullptr) {
         CloseZephroServer(server);
      }
      break;
   }
   case IDM_SERVER_FORGET:
      cui::GetPrefs()->RemoveQuenServerMRUEntry(address);
      break;
   default:
      break;
   }
}

void CZOLTApp::OpenZephroServer(_bstr_t address, int port, bool flag, OpenFlags flags,
                                sigc::slot<void, bool, cui::Error> completion, sigc::slot<void> finished)
{
   const std::string host = zoltdb::Text(address);
   cui::ZephroServerMgr *servers = cui::ZephroServerMgrImpl::GetInstance();
   if (host.empty() || !servers) {
      cui::CallSlot(completion, false, cui::Error(kOpenZephroServerFailed));
      return;
   }
   if (flags.makeCurrent) {
      openPath_ = cui::zephroutil::AddressToString(host, port, flag);
   }
   // A failure is reported here first, then handed on to the caller.
   cui::AbortSlot reportAndForward = [this, completion](bool cancelled, cui::Error error) {
      OnOperationAborted(cancelled, error);
      cui::CallSlot(completion, cancelled, error);
   };
   servers->Connect(host, port, flag, wui::GetDlgMgr(), reportAndForward,
                    sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnZephroServerConnected), flags, finished), "");
}

void CZOLTApp::OnZephroServerConnected(cui::ZephroServer *server, bool, OpenFlags flags, sigc::slot<void> finished)
{
   const std::string id = server->GetID();
   const bool tabOpened = flags.openTab;
   if (tabOpened) {
      OpenTabInt(_bstr_t("quen"), _bstr_t(id.c_str()), _bstr_t(id.c_str()), flags.newTab, flags.makeCurrent, nullptr);
   }
   std::string host;
   int port = 0;
   bool flag = false;
   server->GetAddress(host, port, flag);
   cui::GetPrefs()->SetQuenServerMRUEntry(
      host, "", cui::GetLocalString(server->GetSupportsDirectory() ? kDirectoryYes : kDirectoryNo), flag, port);
   cui::CallSlot(finished);
   // The tab holds a connection of its own.
   cui::ZephroServerMgr *servers = cui::ZephroServerMgrImpl::GetInstance();
   if (tabOpened && servers) {
      servers->Disconnect(server, cui::AbortSlot(), cui::DoneSlot());
   }
}

void CZOLTApp::CloseZephroServer(cui::ZephroServer *server)
{
   if (!server) {
      return;
   }
   CloseObj(_bstr_t("quen"), _bstr_t(server->GetID().c_str()));
   if (cui::ZephroServerMgr *servers = cui::ZephroServerMgrImpl::GetInstance()) {
      servers->Disconnect(server, cui::AbortSlot(), cui::DoneSlot());
   }
}

// The command line's opens and the objects this build cannot open yet: the receiving side of a
// hand-off, the opener of one file of a command line; the openers and closers of hot-fix
// requests and managed templates, the closers of the current hot-fix request and Zephro server,
// and the neighbours of the machine commands that only log (full screen, the
// favourites add, server connection, clone to template).
#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltCommandLineOpens.h"
#include "zoltGuard.h"

#include "cui/ZephroServerMgr.h"
#include "cui/cui.h"
#include "tremorybase/Log.h"

bool CZOLTApp::CanHandleCommandLine(const CommandLineOptions &options)
{
   bool zephro = wui::util::HasZephroExtension();
   if (zephro && !options.hotFixFile.empty()) {
      return true;
   }
   for (const std::string &file : options.files) {
      bool found = owned_->vmMgr && owned_->vmMgr->GetVMByCfgPath(file);
      found = found || (owned_->teamMgr && owned_->teamMgr->GetTeamByCfgPath(file));
      found = found || (zephro && owned_->mvmtMgr && owned_->mvmtMgr->GetMVMTByFilename(file));
      if (options.newTab || found) {
         return true;
      }
   }
   return false;
}

bool CZOLTApp::OpenFromOptions(const CommandLineOptions &options, bool applyStartOptions)
{
   if (wui::util::HasZephroExtension() && !options.hotFixFile.empty()) {
      OpenHotFixFile(options.hotFixFile, 1, sigc::slot<void, bool, cui::Error>(), sigc::slot<void>());
      return true;
   }
   // A file named twice opens once.
   std::vector<std::string> pastLimit;
   const std::vector<std::string> files = DistinctFiles(options, pastLimit);
   if (files.empty() && pastLimit.empty()) {
      return false;
   }
   // One file reports its own failure as any open does; more are reported together at the end.
   if (files.size() == 1 && pastLimit.empty()) {
      OpenCommandLineFile(files[0], options, applyStartOptions, cui::AbortSlot(), sigc::slot<void>());
      return true;
   }
   CommandLineOpens::Start(*this, options, applyStartOptions, files, pastLimit);
   return true;
}

void CZOLTApp::OpenCommandLineFile(const std::string &file, const CommandLineOptions &options, bool applyStartOptions,
                                   cui::AbortSlot failed, sigc::slot<void> opened)
{
   _bstr_t path(file.c_str());
   if (cui::GetPrefs()->GetUIMode() == cui::Prefs::UI_MODE_REMOTE) {
      // A local file opens in this mode only once the host lists it: register what it does
      // not list yet. The open follows either way; a failed registration has its own report.
      // A caller that hears of failures hears of a refused registration as the file's failure,
      // and the open waits for the registration.
      cui::Host *host = wui::GetCurrentHost();
      const OpenFlags flags = OpenFlags().PowerOn().Second().MakeCurrent();
      const bool unlisted = options.local && host && host->GetRegisteredVMPath(file).empty();
      if (unlisted && !failed.empty()) {
         RegisterVM(path, failed,
                    [this, path, flags, failed, opened]() { OpenVM(path, flags, failed, opened); });
         return;
      }
      if (unlisted) {
         RegisterVM(path, cui::AbortSlot(), cui::DoneSlot());
      }
      OpenVM(path, flags, failed, opened);
      return;
   }
   sigc::slot<void> finished = opened;
   if (applyStartOptions) {
      sigc::slot<void> apply = sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnOpenedFromOptions), PendingOpen{file, options});
      // A failure of the options must not keep the caller from hearing of the open.
      finished = opened.empty() ? apply : sigc::slot<void>([apply, opened]() {
         Guard(apply);
         cui::CallSlot(opened);
      });
   }
   OpenByExtension(path, OpenFlags().PowerOn().MakeCurrent(), finished, failed);
}

void CZOLTApp::OpenHotFixFile(const std::string &path, int, sigc::slot<void, bool, cui::Error> done,
                              sigc::slot<void>)
{
   openPath_ = path;
   Log("CZOLTApp::OpenHotFixFile %s\n", path.c_str());
   cui::CallSlot(done, false, cui::Error("Hot-fix requests cannot be opened in this build."));
}

void CZOLTApp::CloseHotFixRequest(const std::string &path, bool)
{
   Log("CZOLTApp::CloseHotFixRequest %s\n", path.c_str());
}

void CZOLTApp::OpenMVMT(_bstr_t path, OpenFlags, sigc::slot<void, bool, cui::Error> onError, sigc::slot<void>)
{
   openPath_ = zoltdb::Text(path);
   Log("CZOLTApp::OpenMVMT %s\n", openPath_.c_str());
   cui::CallSlot(onError, false, cui::Error("Managed templates cannot be opened in this build."));
}

void CZOLTApp::CloseMVMT(const _bstr_t &path, cui::AbortSlot, cui::DoneSlot onDone)
{
   Log("CZOLTApp::CloseMVMT %s\n", zoltdb::Text(path).c_str());
   CloseObj(_bstr_t("mvmt"), path);
   cui::CallSlot(onDone);
}

void CZOLTApp::CloseCurrentHotFix()
{
   if (wui::GetPrefs()->GetCurrentObjType() == "hotfix") {
      CloseObj(_bstr_t("hotfix"), _bstr_t(wui::GetPrefs()->GetCurrentObjPath().c_str()));
   }
}

void CZOLTApp::CloseCurrentZephroServer()
{
   if (wui::GetPrefs()->GetCurrentObjType() != "quen") {
      return;
   }
   cui::ZephroServerMgr *servers = cui::ZephroServerMgrImpl::GetInstance();
   if (cui::ZephroServer *server = servers ? servers->GetServerByID(wui::GetPrefs()->GetCurrentObjPath()) : nullptr) {
      CloseZephroServer(server);
   }
}

// Neighbours of the machine commands, each the least that keeps the program sound until its
// own work lands.
void CZOLTApp::FullScreen()
{
   Log("CZOLTApp::FullScreen\n");
   wui::GetPrefs()->SetFullScreen(true);
}

void CZOLTApp::AddVMToFavorites(cui::VM *vm)
{
   Log("CZOLTApp::AddVMToFavorites %s\n", vm->GetFilename().c_str());
   AddVmListItem(vm);
}

void CZOLTApp::ShowConnectToServer()
{
   Log("CZOLTApp::ShowConnectToServer: the Zephro server dialog is not available in this build\n");
}

void CZOLTApp::CloneToZephroMaster(cui::VM *vm, HWND, bool, bool, bool)
{
   Log("CZOLTApp::CloneToZephroMaster %s: the clone-to-template wizard is not available in this build\n",
       vm ? vm->GetVmPath().c_str() : "");
}

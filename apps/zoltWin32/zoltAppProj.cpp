// Opening what a command line names: the receiving side of a hand-off and the openers it
// calls. The openers are the least that keeps the program sound until their own work lands.
#include "zoltApp.h"

#include "cui/cui.h"
#include "tremorybase/Log.h"

bool CZOLTApp::CanHandleCommandLine(const CommandLineOptions &options)
{
   bool zephro = wui::util::HasZephroExtension();
   if (zephro && !options.hotFixFile.empty()) {
      return true;
   }
   for (const std::string &file : options.files) {
      bool found = vmMgr_ && vmMgr_->GetVMByCfgPath(file);
      found = found || (teamMgr_ && teamMgr_->GetTeamByCfgPath(file));
      found = found || (zephro && mvmtMgr_ && mvmtMgr_->GetMVMTByFilename(file));
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
   if (options.files.empty()) {
      return false;
   }
   for (const std::string &file : options.files) {
      _bstr_t path(file.c_str());
      if (cui::GetPrefs()->GetUIMode() == cui::Prefs::UI_MODE_REMOTE) {
         OpenVM(path, true, true, false, true, true, sigc::slot<void, bool, cui::Error>(), sigc::slot<void>());
         continue;
      }
      sigc::slot<void> finished;
      if (applyStartOptions) {
         finished = sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnOpenedFromOptions), PendingOpen{file, options});
      }
      OpenByExtension(path, true, false, true, finished);
   }
   return true;
}

bool CZOLTApp::OpenVM(_bstr_t path, bool, bool, bool, bool, bool, sigc::slot<void, bool, cui::Error> onError,
                      sigc::slot<void>)
{
   openPath_ = static_cast<const char *>(path);
   Log("CZOLTApp::OpenVM %s\n", openPath_.c_str());
   cui::CallSlot(onError, false, cui::Error("Virtual machines cannot be opened in this build."));
   return false;
}

bool CZOLTApp::OpenByExtension(_bstr_t &path, bool powerOn, bool newTab, bool openTab, sigc::slot<void> finished)
{
   Log("CZOLTApp::OpenByExtension %s\n", static_cast<const char *>(path));
   return OpenVM(path, powerOn, false, newTab, openTab, true, sigc::slot<void, bool, cui::Error>(), finished);
}

void CZOLTApp::OpenHotFixFile(const std::string &path, int, sigc::slot<void, bool, cui::Error> done,
                              sigc::slot<void>)
{
   openPath_ = path;
   Log("CZOLTApp::OpenHotFixFile %s\n", path.c_str());
   cui::CallSlot(done, false, cui::Error("Hot-fix requests cannot be opened in this build."));
}

void CZOLTApp::OnOpenedFromOptions(PendingOpen pending)
{
   Log("CZOLTApp::OnOpenedFromOptions %s\n", pending.path.c_str());
}

void CZOLTApp::CloseHotFixRequest(const std::string &path, bool)
{
   Log("CZOLTApp::CloseHotFixRequest %s\n", path.c_str());
}

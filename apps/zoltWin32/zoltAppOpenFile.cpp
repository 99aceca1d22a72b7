// Opening files: the opener chosen by a file's extension, the File > Open dialogs, and the
// command line's power-on applied to a machine once it is open.
#include "zoltApp.h"

#include "atl/FileDialog.h"
#include "zoltAppDb.h"
#include "zoltFileKind.h"
#include "zoltGuard.h"
#include "zoltOpenRemoteDlg.h"
#include "zoltResources.h"

#include "cui/AppDataPaths.h"
#include "cui/HostVMList.h"
#include "cui/cui.h"
#include "res/resource.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <commdlg.h>

namespace {

const DWORD kOpenVMFlags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;

// The open-file dialog; empty when the user cancelled.
std::string AskFileToOpen(CZOLTApp &app, UINT filterId, DWORD flags)
{
   std::wstring filter = LoadDialogFilter(filterId);
   wchar_t file[MAX_PATH] = L"";
   OPENFILENAMEW ofn = {};
   ofn.lStructSize = sizeof ofn;
   ofn.hwndOwner = app.GetFrameWindow();
   ofn.lpstrFilter = filter.c_str();
   ofn.lpstrFile = file;
   ofn.nMaxFile = MAX_PATH;
   ofn.Flags = flags;
   sigc::slot<void> restore;
   app.BeginModal(restore);
   BOOL chosen = atl::GetOpenFileName(&ofn);
   Guard(restore);
   return chosen ? Utf8FromWide(file) : std::string();
}

}  // namespace

bool CZOLTApp::OpenByExtension(_bstr_t &path, OpenFlags flags, sigc::slot<void> finished)
{
   return OpenByExtension(path, flags, finished, cui::AbortSlot());
}

bool CZOLTApp::OpenByExtension(_bstr_t &path, OpenFlags flags, sigc::slot<void> finished, cui::AbortSlot failed)
{
   const std::string file = zoltdb::Text(path);
   Log("CZOLTApp::OpenByExtension %s\n", file.c_str());
   // Without a slot of the caller's, each kind reports its own failure (hot fixes and templates
   // have none); every opener is given `finished`, so a caller hears of each success.
   cui::AbortSlot machineReport = failed;
   cui::AbortSlot formatReport = failed;
   cui::AbortSlot importReport = failed;
   if (failed.empty()) {
      machineReport = sigc::bind<0>(sigc::mem_fun(*this, &CZOLTApp::ReportOpenVMError), file);
      formatReport = [file](bool cancelled, cui::Error error) { OnOpenFileDone(cancelled, error, file); };
      importReport = sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted);
   }

   switch (FileKindOf(file)) {
   case FileKind::Machine:
      return OpenVM(path, flags, machineReport, finished);
   case FileKind::Import:
      converter_.Open(GetFrameWindow(), file, importReport, finished);
      return false;
   case FileKind::Team:
      OpenTeam(path, flags, formatReport, finished);
      return false;
   case FileKind::HotFix:
      OpenHotFixFile(file, false, failed, finished);
      return false;
   case FileKind::Template:
      OpenMVMT(path, flags, failed, finished);
      return false;
   case FileKind::Unknown:
      break;
   }
   if (OpenVM(path, flags, machineReport, finished)) {
      return true;
   }
   OpenTeam(path, flags, formatReport, finished);
   return false;
}

void CZOLTApp::OnFileOpen()
{
   if (!ctx_->TestNode(cui::appdata::kSessionActive)) {
      return;
   }
   const bool zephro = wui::util::HasZephroExtension();
   if (cui::GetPrefs()->GetUIMode() != cui::Prefs::UI_MODE_LOCAL && !zephro) {
      return;
   }
   std::string file = AskFileToOpen(*this, zephro ? IDS_OPEN_FILE_FILTER_ZEPHRO : IDS_OPEN_FILE_FILTER, kOpenVMFlags);
   if (file.empty()) {
      return;
   }
   _bstr_t path(file.c_str());
   OpenByExtension(path, OpenFlags().MakeCurrent(), sigc::slot<void>());
}

void CZOLTApp::OpenVMDialog()
{
   if (!ctx_->TestNode(cui::appdata::kSessionActive)) {
      return;
   }
   std::vector<std::string> files;
   if (cui::GetPrefs()->GetUIMode() == cui::Prefs::UI_MODE_REMOTE) {
      COpenRemoteDlg dlg(ctx_, cui::HostVMList::FromHost(wui::GetCurrentHost()));
      sigc::slot<void> restore;
      BeginModal(restore);
      INT_PTR answer = dlg.DoModal(GetFrameWindow());
      Guard(restore);
      if (answer == IDOK) {
         for (const auto &chosen : dlg.GetResult()) {
            files.push_back(chosen.second);
         }
      }
   } else {
      std::string file = AskFileToOpen(*this, IDS_OPEN_VMX_FILTER, kOpenVMFlags);
      if (!file.empty()) {
         files.push_back(file);
      }
   }
   for (const std::string &file : files) {
      OpenVM(_bstr_t(file.c_str()), OpenFlags().Second().MakeCurrent(),
             sigc::bind<0>(sigc::mem_fun(*this, &CZOLTApp::ReportOpenVMError), file), sigc::slot<void>());
   }
}

void CZOLTApp::OnOpenedFromOptions(PendingOpen pending)
{
   wui::VMMgr *vmMgr = wui::GetVMMgr();
   cui::VM *vm = vmMgr ? vmMgr->GetVMByCfgPath(pending.path) : nullptr;
   if (!vm) {
      return;
   }
   if (pending.options.refreshSnapshots) {
      vm->RefreshSnapshotState(cui::AbortSlot(), cui::DoneSlot());
   }
   if (pending.options.powerOn && vm->GetPowerState() != cui::VM::POWERED_ON &&
       vm->GetPowerOnActionState() != cui::VM::ACTION_RUNNING && !vm->GetInTeam()) {
      OnPowerCommand(IDM_VM_POWER_ON, dynamic_cast<wui::VM *>(vm));
   }
}

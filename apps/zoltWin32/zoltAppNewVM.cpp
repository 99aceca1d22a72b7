// A new machine: the new-machine wizard run inside the host's "createVMCfg" command, what is
// kept or deleted afterwards, opening the result; and its twin for a new Zephro machine template.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltGuard.h"
#include "zoltVmdbForms.h"

#include "atl/ClassTable.h"
#include "cui/AppDataPaths.h"
#include "cui/cui.h"
#include "res/resource.h"
#include "tremapputil/TremAppUtil.h"
#include "tremhwcfg/TremHwCfg.h"
#include "tremorybase/Log.h"

namespace {

const char kHostVMQueue[] = "util/vm/cmd/##/";
const wchar_t kNwzProgId[] = L"tremhwcfg.Nwz.9";
const wchar_t kNwzCompletedProgId[] = L"tremhwcfg.NwzCompleted.9";
const DWORD kAnyServer = 0x17;

// Lowers the modal state on every way out of a wizard run.
class ModalScope {
public:
   explicit ModalScope(CZOLTApp &app) { app.BeginModal(restore_); }
   ~ModalScope() { End(); }
   void End()
   {
      Guard(restore_);
      restore_ = sigc::slot<void>();
   }
   ModalScope(const ModalScope &) = delete;
   ModalScope &operator=(const ModalScope &) = delete;

private:
   sigc::slot<void> restore_;
};

std::string HostPath(cui::Host *host)
{
   return host ? host->GetPath() : std::string();
}

bool IsLockedOut(const IVmdbContextPtr &ctx, cui::Host *host)
{
   return !TremAppUtil_CheckLockout(ctx, HostPath(host).c_str(), "lockoutCreateVM");
}

// Creates a control by its ProgID, which the class table resolves (the system knows no
// unregistered name).
template <class Ptr>
HRESULT CreateByProgId(Ptr &object, const wchar_t *progId)
{
   CLSID clsid;
   HRESULT hr = atl::ClassTable::ClassIdFromName(progId, &clsid);
   return FAILED(hr) ? hr : object.CreateInstance(clsid, nullptr, kAnyServer);
}

// The wizard control, created by name; a failure is reported and raised as a COM error.
ITremNwzPtr CreateWizard()
{
   ITremNwzPtr nwz;
   HRESULT hr = CreateByProgId(nwz, kNwzProgId);
   if (FAILED(hr)) {
      ReportComCreateFailure("tremhwcfg.Nwz.9", hr);
      _com_issue_error(E_POINTER);
   }
   return nwz;
}

void SetUpWizard(const ITremNwzPtr &nwz, VmdbCommand &cmd, cui::Host *host, bool option)
{
   nwz->SetVmdbContext(cmd.GetContext());
   nwz->SetHostPath(HostPath(host).c_str());
   nwz->SetClientHostPath(HostPath(cui::GetClientHost()).c_str());
   nwz->SetOpenWhenDone(option ? VARIANT_TRUE : VARIANT_FALSE);
   nwz->SetOperationPath(cmd.GetOpPath());
   nwz->SetParentWindow(GetActiveWindow());
}

// Deletes a configuration that this run's "createVMCfg" made, and nothing else.
void DeleteCreatedVM(const IVmdbDatabasePtr &db, const _bstr_t &cfgFile)
{
   VmdbCommand cmd(db, cui::appdata::kCurrentHost, kHostVMQueue, "deleteVM");
   cmd.SetInput("cfgPath", _variant_t(cfgFile));
   cmd.Send();
   if (cmd.Failed()) {
      Warning("CZOLTApp::NewVM: deleting %s failed: %s\n", zoltdb::Text(cfgFile).c_str(),
              zoltdb::Text(cmd.GetErrorText()).c_str());
   }
   cmd.Finish();
}

}  // namespace

int CZOLTApp::NewVM(_bstr_t &cfgFile, _bstr_t &userName, _bstr_t &password, bool option)
{
   cfgFile = "";
   cui::Host *host = wui::GetCurrentHost();
   ModalScope modal(*this);
   if (IsLockedOut(ctx_, host)) {
      return 0;
   }
   const bool remoteMode = cui::GetPrefs()->GetUIMode() == cui::Prefs::UI_MODE_REMOTE;
   ITremNwzPtr nwz = CreateWizard();

   VmdbCommand cmd(db_, cui::appdata::kCurrentHost, kHostVMQueue, "createVMCfg");
   SetUpWizard(nwz, cmd, host, option);
   short result = nwz->Run();
   // The wizard may have moved the context while it wrote the inputs.
   cmd.GetContext()->ChangePath(cmd.GetOpPath());
   _bstr_t file(cmd.GetInput("file"));

   if (result != TREMNWZ_FINISHED) {
      cfgFile = file;
      if (file.length() == 0) {
         // Cancelled before a file was named: nothing was made, so nothing goes to the host.
         cmd.Finish();
         return 0;
      }
      cmd.Send();
      // A cancelled run deletes what its own command made: never a file that existed before,
      // which "createVMCfg" refuses, and nothing when the command failed.
      bool created = !cmd.Failed() && file.length() > 0;
      cmd.Finish();
      nwz = nullptr;
      if (created) {
         DeleteCreatedVM(db_, file);
      }
      return 0;
   }

   _bstr_t newUserName = nwz->GetVMUserName();
   _bstr_t newPassword = nwz->GetVMUserPassword();
   bool isPrivate = zoltdb::ReadFlag(cmd.GetContext(), "in/access/private");
   cmd.Send();
   // A configuration that was not made is neither opened nor registered.
   bool failed = cmd.ReportFailure(IDS_NEW_VM_FAILED, file);
   cmd.Finish();
   nwz = nullptr;
   modal.End();
   if (failed) {
      Log("CZOLTApp::NewVM: %s was not created\n", zoltdb::Text(file).c_str());
      return 0;
   }
   cfgFile = file;
   userName = newUserName;
   password = newPassword;
   if (remoteMode) {
      TremAppUtil_NotifyVMCreated(ctx_, HostPath(host).c_str(), zoltdb::Text(cfgFile).c_str(), isPrivate);
      RegisterVM(cfgFile, cui::AbortSlot(), cui::DoneSlot());
   }
   return 1;
}

void CZOLTApp::NewVMAndOpen()
{
   _bstr_t cfgFile;
   _bstr_t userName;
   _bstr_t password;
   if (!NewVM(cfgFile, userName, password, true)) {
      return;
   }
   const std::string path = zoltdb::Text(cfgFile);
   sigc::slot<void> opened = [this, cfgFile, userName, password]() mutable {
      OnNewVMOpened(cfgFile, userName, password);
   };
   OpenVM(cfgFile, OpenFlags().Second().MakeCurrent(),
          sigc::bind<0>(sigc::mem_fun(*this, &CZOLTApp::ReportOpenVMError), path), opened);
}

void CZOLTApp::OnNewVMOpened(_bstr_t &cfgFile, _bstr_t userName, _bstr_t password)
{
   wui::VMMgr *vmMgr = wui::GetVMMgr();
   cui::VM *vm = vmMgr ? vmMgr->GetVMByCfgPath(zoltdb::Text(cfgFile)) : nullptr;
   if (!vm) {
      return;
   }
   cui::Host *host = vm->GetHost();
   if (host && host->CapEditVmStartStop() && host->GetOSType() == 1) {
      SetVMUser(vm, userName, password);
   }
   AddVMToFavorites(vm);

   ITremNwzCompletedPtr page;
   HRESULT hr = CreateByProgId(page, kNwzCompletedProgId);
   if (hr == E_NOINTERFACE) {
      return;
   }
   if (FAILED(hr)) {
      _com_issue_error(hr);
   }
   ModalScope modal(*this);
   page->SetConfigFile(cfgFile);
   page->Show(GetActiveWindow());
}

void CZOLTApp::RunHostVMCommand()
{
   cui::Host *host = wui::GetCurrentHost();
   ModalScope modal(*this);
   if (IsLockedOut(ctx_, host)) {
      return;
   }
   templateWizardConnection_.disconnect();
   templateWizardConnection_ =
      templateWizardSwitch_.connect(sigc::mem_fun(*this, &CZOLTApp::OnTemplateWizardSwitch));
   ITremNwzPtr nwz = CreateWizard();
   ITremNwzTemplatePtr templateNwz(nwz);
   if (!templateNwz) {
      _com_issue_error(E_NOINTERFACE);
   }

   VmdbCommand cmd(db_, cui::appdata::kCurrentHost, kHostVMQueue, "createVMCfg");
   SetUpWizard(nwz, cmd, host, true);
   templateNwz->SetMode(TREMNWZ_MODE_TEMPLATE);
   templateNwz->SetAppSignals(reinterpret_cast<INT_PTR>(&templateWizardSwitch_),
                              reinterpret_cast<INT_PTR>(&templateWizardRunning_));
   short result = nwz->Run();
   cmd.GetContext()->ChangePath(cmd.GetOpPath());
   _bstr_t file(cmd.GetInput("file"));

   if (result != TREMNWZ_FINISHED) {
      cmd.Send();
      bool created = !cmd.Failed() && file.length() > 0;
      cmd.Finish();
      if (created) {
         DeleteCreatedVM(db_, file);
      }
      return;
   }

   cmd.Send();
   bool failed = cmd.ReportFailure(IDS_NEW_MVMT_FAILED, file);
   cmd.Finish();
   modal.End();
   if (failed) {
      return;
   }
   bool powerOn = templateNwz->GetPowerOnWhenOpened() == VARIANT_TRUE;
   bool newTab = templateNwz->GetOpenInNewTab() == VARIANT_TRUE;
   bool makeCurrent = templateNwz->GetMakeCurrent() == VARIANT_TRUE;
   if (templateNwz->IsForZephroServer() == VARIANT_TRUE) {
      _bstr_t server = templateNwz->GetZephroServerName();
      Log("CZOLTApp::RunHostVMCommand: taking %s to the Zephro server %s is not available in this build\n",
          zoltdb::Text(file).c_str(), zoltdb::Text(server).c_str());
      return;
   }
   OpenMVMT(file, OpenFlags().PowerOn(powerOn).NewTab(newTab).MakeCurrent(makeCurrent),
            sigc::slot<void, bool, cui::Error>(), sigc::slot<void>());
}

void CZOLTApp::OnTemplateWizardSwitch(bool on)
{
   if (!on) {
      return;
   }
   templateWizardConnection_.disconnect();
   CloneToZephroMaster(nullptr, GetFrameWindow(), true, true, true);
}

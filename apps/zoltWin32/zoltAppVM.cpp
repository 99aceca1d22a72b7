// Opening and closing machines: the opener and its completion, the connections of an opened
// machine, the tab closer with its powered-on question and the registered-machines check.
#include "zoltApp.h"

#include "CloneWz.h"
#include "zoltAppDb.h"
#include "zoltCommandLineOpens.h"
#include "zoltDlgMgr.h"
#include "zoltGuard.h"
#include "zoltMsg.h"

#include "cui/AppDataPaths.h"
#include "cui/cui.h"
#include "res/resource.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <algorithm>
#include <memory>

namespace {

// An open is refused while this many records exist, the home tab's included.
const int kMaxOpenedObjs = 28;
const int kCloseBusyMask = 5;

enum CloseChoice { CHOICE_SUSPEND = 0, CHOICE_POWER_OFF = 1, CHOICE_RUN_IN_BACKGROUND = 2, CHOICE_CANCEL = 3 };

const char kOpenError[] = "Error opening a VM.";
const char kOpenCfgError[] = "Error opening a VM config file.";
const char kCheckError[] = "Error in checking VM";
const char kBeingConverted[] = ZOLT_MSG("msg.zoltAppVM.closeVMTab.vmBeingConverted",
                                        "The virtual machine is being imported. Try again when the import has "
                                        "finished.");
const char kVMBusy[] = ZOLT_MSG("msg.zoltAppVM.closeVMTab.vmBusy",
                                "The virtual machine \"%s\" is busy. Wait until its operation has finished before "
                                "closing it.");
const char kVMPoweredOn[] = ZOLT_MSG("msg.zoltAppVM.closeVMTab.vmPoweredOn",
                                     "The virtual machine \"%s\" is still powered on. It can go on running in the "
                                     "background, be suspended to resume it later, or be powered off now.");
const char kErrorClosingVM[] = ZOLT_MSG("msg.zoltAppVM.closeVMTab.errorClosingVM",
                                        "An error occurred while closing the virtual machine.");
const char kInvalidVM[] = ZOLT_MSG("msg.zoltAppVM.onCloseVMTabReplied.invalidVM",
                                   "An error occurred while closing the virtual machine: it is no longer open.");
const char kBtnSuspend[] = ZOLT_MSG("msg.zoltAppVM.closeVMTab.btnSuspend", "&Suspend");
const char kBtnPowerOff[] = ZOLT_MSG("msg.zoltAppVM.closeVMTab.btnPowerOff", "&Power Off");
const char kBtnRunInBackground[] = ZOLT_MSG("msg.zoltAppVM.closeVMTab.btnRunInBackground", "&Run in Background");
const char kBtnCancel[] = ZOLT_MSG("msg.zoltAppVM.closeVMTab.btnCancel", "Cancel");
const char kNoHost[] = ZOLT_MSG("msg.zoltAppVM.registerVM.noHost",
                                "There is no connection to a host: the virtual machine cannot be registered or "
                                "removed.");

cui::VM *FindVMByVMPath(const std::string &vmPath)
{
   cui::VMMgr *vmMgr = cui::GetVMMgr();
   return vmMgr ? vmMgr->GetVMByVMPath(vmPath) : nullptr;
}

void Disconnect(std::map<std::string, ConnectionMapEntry> &connections, const std::string &vmPath)
{
   auto it = connections.find(vmPath);
   if (it != connections.end()) {
      it->second.connection.disconnect();
      connections.erase(it);
   }
}

// A remote session opens only machines its host has registered, over the session's own
// connection to that host.
bool IsKnownToSession(IVMClient *client, const std::string &sessionPath, const std::string &cfgPath)
{
   cui::Host *host = wui::GetCurrentHost();
   if (!client || !host || host->GetRegisteredVMPath(cfgPath).empty()) {
      return false;
   }
   try {
      long count = client->GetConnectionHostCount(sessionPath.c_str());
      for (long i = 0; i < count; ++i) {
         if (zoltdb::Text(client->GetConnectionHostPath(sessionPath.c_str(), i)) == host->GetPath()) {
            return true;
         }
      }
   } catch (const _com_error &e) {
      Warning("CZOLTApp::OpenVMConfigFile: %s\n", zoltdb::ComText(e).c_str());
   }
   return false;
}

// Whether the machine of `cfgPath` has a tab (its own or its team's).
bool HasVMTab(CZOLTApp &app, const std::string &cfgPath)
{
   wui::VMMgr *vmMgr = wui::GetVMMgr();
   cui::VM *vm = vmMgr ? vmMgr->GetVMByCfgPath(cfgPath) : nullptr;
   return vm && app.FindOpenedObj(_bstr_t("vm"), _bstr_t(vm->GetVmPath().c_str()), true).length() > 0;
}

// Whether an open of `file` (long form, key `key`) would add an opened object: not when an open
// of it is under way already, nor when its machine has its tab.
bool AddsOpenedObj(CZOLTApp &app, const std::vector<std::wstring> &opensUnderWay, const std::wstring &key,
                   const std::string &file)
{
   return std::find(opensUnderWay.begin(), opensUnderWay.end(), key) == opensUnderWay.end() && !HasVMTab(app, file);
}

// Opens still under way have no record yet; they count too, so a burst of files cannot pass the limit.
bool HasRoomForOneMore(size_t opensUnderWay)
{
   const size_t records = cui::GetNewVmdbCtx().Elements(cui::appdata::kOpenedObjElements).size();
   return records + opensUnderWay < static_cast<size_t>(kMaxOpenedObjs);
}

// Enforces the limit of opened objects (`hasRoom`) and hands the file to the machine manager;
// `opened` runs once the manager has it open. False when the open was refused.
bool OpenVMConfigFile(CZOLTApp &app, const std::string &path, bool hasRoom, const cui::AbortSlot &onError,
                      const cui::DoneSlot &opened)
{
   if (!hasRoom) {
      app.MessageBoxRes(IDS_TOO_MANY_OPENED_OBJS, MB_ICONEXCLAMATION);
      cui::CallSlot(onError, false, cui::Error(kOpenCfgError));
      return false;
   }
   wui::VMMgr *vmMgr = wui::GetVMMgr();
   if (!vmMgr) {
      cui::CallSlot(onError, false, cui::Error(kOpenCfgError));
      return false;
   }
   const std::string sessionPath = wui::GetPrefs()->GetSessionPath();
   if (sessionPath.empty()) {
      vmMgr->OpenVM(path, wui::GetDlgMgr(), onError, opened);
      return true;
   }
   if (!IsKnownToSession(app.GetClient(), sessionPath, path)) {
      cui::CallSlot(onError, false, cui::Error(kOpenCfgError));
      return false;
   }
   vmMgr->OpenVM(wui::GetCurrentHost(), path, wui::GetDlgMgr(), onError, opened);
   return true;
}

}  // namespace

bool CZOLTApp::OpenVM(_bstr_t path, OpenFlags flags, sigc::slot<void, bool, cui::Error> onError,
                      sigc::slot<void> onOpened)
{
   std::string file = zoltdb::Text(path);
   if (file.empty()) {
      cui::CallSlot(onError, false, cui::Error(kOpenError));
      return false;
   }
   file = wui::util::GetLongPathNameA(file, true);
   Log("CZOLTApp::OpenVM %s\n", file.c_str());
   if (converter_.IsBeingConverted(file)) {
      cui::CallSlot(onError, false, cui::Error(cui::GetLocalString(kBeingConverted)));
      return false;
   }

   const std::string previousOpenPath = openPath_;
   if (flags.makeCurrent) {
      openPath_ = file;
   }

   // The open counts as under way until the manager answers, whichever way it does; an open of
   // a file already being opened, or of a machine with its tab, counts no more.
   const std::wstring key = FileKey(file);
   const bool adds = AddsOpenedObj(*this, opensUnderWay_, key, file);
   const bool hasRoom = !adds || HasRoomForOneMore(opensUnderWay_.size());
   auto underWay = std::make_shared<bool>(adds);
   if (adds) {
      opensUnderWay_.push_back(key);
   }
   auto ended = [this, underWay, key]() {
      auto it = std::find(opensUnderWay_.begin(), opensUnderWay_.end(), key);
      if (*underWay && it != opensUnderWay_.end()) {
         opensUnderWay_.erase(it);
      }
      *underWay = false;
   };
   // A failed open must not leave its path as the one to make current: a later open of
   // another object would compare against it.
   cui::AbortSlot failed = [this, file, onError, ended](bool cancelled, cui::Error error) {
      ended();
      if (openPath_ == file) {
         openPath_.clear();
      }
      cui::CallSlot(onError, cancelled, error);
   };
   cui::AbortSlot failedLater = [this, file, onError](bool cancelled, cui::Error error) {
      if (openPath_ == file) {
         openPath_.clear();
      }
      cui::CallSlot(onError, cancelled, error);
   };
   cui::DoneSlot opened = [this, flags, failedLater, onOpened, file, ended]() {
      ended();
      CheckOpenedVM(flags, failedLater, onOpened, file);
   };
   // `second` is handed on to the manager's open only as part of the flags.
   if (!OpenVMConfigFile(*this, file, hasRoom, failed, opened)) {
      ended();
      openPath_ = previousOpenPath;
      return false;
   }
   return true;
}

bool CZOLTApp::HasRoomToOpenVM(const std::string &cfgPath)
{
   const std::string file = wui::util::GetLongPathNameA(cfgPath, true);
   return !AddsOpenedObj(*this, opensUnderWay_, FileKey(file), file) || HasRoomForOneMore(opensUnderWay_.size());
}

void CZOLTApp::CheckOpenedVM(OpenFlags flags, sigc::slot<void, bool, cui::Error> onError, sigc::slot<void> onOpened,
                             std::string cfgPath)
{
   wui::VMMgr *vmMgr = wui::GetVMMgr();
   cui::VM *vm = vmMgr ? vmMgr->GetVMByCfgPath(cfgPath) : nullptr;
   if (!vm) {
      cui::CallSlot(onError, false, cui::Error(kCheckError));
      return;
   }
   if (vm->GetInTeam()) {
      // A team's machine opens as its team, unless its open team no longer lists it (the host's
      // note on the machine follows a removal a poll step later).
      wui::TeamMgr *teams = wui::GetTeamMgr();
      cui::Team *team = teams ? teams->GetTeamByCfgPath(vm->GetTeamFile()) : nullptr;
      if (!team || team->HasVM(vm->GetVmPath())) {
         OpenTeam(_bstr_t(vm->GetTeamFile().c_str()), flags, onError, onOpened);
         return;
      }
   }
   OnVMOpened(vm, true, flags, onOpened);
}

void CZOLTApp::OnVMOpened(cui::VM *vm, bool opened, OpenFlags flags, sigc::slot<void> onOpened)
{
   if (!opened || !vm) {
      cui::CallSlot(onOpened);
      return;
   }
   const std::string vmPath = vm->GetVmPath();
   Disconnect(exitConnections_, vmPath);
   exitConnections_[vmPath] =
      ConnectionMapEntry{vmPath, vm->changed.connect(sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnVMExitAtPowerOff), vm))};

   auto old = openedObjConnections_.find(vmPath);
   if (old != openedObjConnections_.end()) {
      Log("VM already in connection map: %s %d\n", vmPath.c_str(), old->second.connection.connected() ? 1 : 0);
      old->second.connection.disconnect();
      openedObjConnections_.erase(old);
   }
   cui::AbortSlot reportAbort = sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted);
   sigc::slot<void> closeTab = [this, vmPath, reportAbort]() { CloseVMTab(vmPath, false, reportAbort); };
   openedObjConnections_[vmPath] = ConnectionMapEntry{vmPath, vm->removed.connect(closeTab)};

   if (flags.openTab) {
      OpenVMTab(vm, flags.powerOn, flags.newTab, flags.makeCurrent);
   }

   Disconnect(vmConnections_, vmPath);
   vmConnections_[vmPath] = ConnectionMapEntry{
      vmPath, vm->powerStateChanged.connect(sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnVMFullScreenAtPowerOn), vm))};

   cui::CallSlot(onOpened);
}

void CZOLTApp::OnVMFullScreenAtPowerOn(cui::VM *vm)
{
   if (!vm || vm->GetPowerState() != cui::VM::POWERED_ON || vm->GetInTeam()) {
      return;
   }
   if (!vm->GetFullScreenAtPowerOn() && !options_.fullScreen) {
      return;
   }
   if (cui::GetPrefs()->GetFullScreenV5()) {
      FullScreen();
   } else {
      wui::GetPrefs()->SetFullScreen(true);
   }
}

void CZOLTApp::CloseVMTab(const std::string &vmPath, bool askIfPoweredOn, cui::AbortSlot completion,
                          sigc::slot<void> finished)
{
   Log("CZOLTApp::CloseVMTab %s\n", vmPath.c_str());
   // The machine may be gone already (its removal closes its tab): only its record is left.
   cui::VM *vm = FindVMByVMPath(vmPath);
   if (vm && vm->GetBusy(kCloseBusyMask)) {
      cui::CallSlot(completion, false, cui::Error(cui::Format(kVMBusy, vm->GetName().c_str())));
      return;
   }
   cui::Prefs *prefs = cui::GetPrefs();
   if (vm && vm->GetPowerState() == cui::VM::POWERED_ON && askIfPoweredOn &&
       prefs->GetUIMode() != cui::Prefs::UI_MODE_REMOTE && !prefs->GetBackgroundOnClose()) {
      std::vector<std::string> choices = {cui::GetLocalString(kBtnSuspend), cui::GetLocalString(kBtnPowerOff),
                                          cui::GetLocalString(kBtnRunInBackground), cui::GetLocalString(kBtnCancel)};
      std::string text = cui::Format(kVMPoweredOn, vm->GetName().c_str());
      cui::DlgQuestion *dlg = GetDlgMgr() ? GetDlgMgr()->NewQuestion(text, choices, CHOICE_CANCEL, CHOICE_SUSPEND, "",
                                                             cui::DlgQuestion::ICON_QUESTION)
                                      : nullptr;
      if (!dlg) {
         cui::CallSlot(completion, false, cui::Error(cui::GetLocalString(kErrorClosingVM)));
         return;
      }
      dlg->cui::Dlg::ConnectReply(
         sigc::bind(sigc::mem_fun(*this, &CZOLTApp::OnCloseVMTabReplied), dlg, vmPath, completion, finished));
      return;
   }

   if (vm) {
      if (wui::VMMgr *vmMgr = wui::GetVMMgr()) {
         vmMgr->CloseVM(vm, cui::AbortSlot(), cui::DoneSlot());
      }
   }
   if (!DropVMTab(vmPath)) {
      cui::CallSlot(completion, false, cui::Error(cui::GetLocalString(kErrorClosingVM)));
      return;
   }
   Guard(finished);
}

bool CZOLTApp::DropVMTab(const std::string &vmPath)
{
   Disconnect(openedObjConnections_, vmPath);
   Disconnect(vmConnections_, vmPath);
   Disconnect(exitConnections_, vmPath);
   return CloseObj(_bstr_t("vm"), _bstr_t(vmPath.c_str()));
}

cui::Dlg::RepliedAction CZOLTApp::OnCloseVMTabReplied(cui::DlgQuestion *dlg, std::string vmPath,
                                                      cui::AbortSlot completion, sigc::slot<void> finished)
{
   const int choice = dlg->GetChoice();
   if (choice == CHOICE_CANCEL) {
      cui::Cancel(completion);
      return cui::Dlg::DESTROY;
   }
   if (choice < CHOICE_SUSPEND || choice > CHOICE_CANCEL) {
      NOT_IMPLEMENTED();
   }
   cui::VM *vm = FindVMByVMPath(vmPath);
   if (!vm) {
      cui::CallSlot(completion, false, cui::Error(cui::GetLocalString(kInvalidVM)));
      return cui::Dlg::DESTROY;
   }
   cui::DoneSlot closeTab = [this, vmPath, completion, finished]() { CloseVMTab(vmPath, false, completion, finished); };
   switch (choice) {
   case CHOICE_SUSPEND:
      vm->SetPowerState(cui::VM::SUSPENDED, cui::VM::POWEROP_SOFT, completion, closeTab);
      break;
   case CHOICE_POWER_OFF:
      vm->PowerOff(completion, closeTab);
      break;
   default:
      // Run in background: the tab goes once the question's window is gone.
      dlg->destroyed.connect(closeTab);
      break;
   }
   return cui::Dlg::DESTROY;
}

void CZOLTApp::CloseCurrentVMTab()
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (prefs->GetCurrentObjType() != "vm") {
      return;
   }
   cui::VM *vm = FindVMByVMPath(prefs->GetCurrentObjPath());
   if (vm) {
      CloseVMTab(vm->GetVmPath(), true, sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted));
   }
}

void CZOLTApp::ReportOpenVMError(std::string path, bool cancelled, cui::Error error)
{
   if (cancelled) {
      return;
   }
   std::string text = tremapputil::ResString(IDS_OPEN_VM_FAILED).Format({path, std::string(error.what())});
   Warning("CZOLTApp::ReportOpenVMError: %s\n", text.c_str());
   if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
      dlgMgr->NewError(text, "");
   }
}

void CZOLTApp::OnRegisteredVMsChanged()
{
   wui::Prefs *prefs = wui::GetPrefs();
   cui::Host *host = wui::GetCurrentHost();
   if (prefs->GetCurrentObjType() != "vm" || prefs->GetCurrentObjPath().empty() || !host || host->GetPath().empty()) {
      return;
   }
   // Records hold a machine's database path, the host lists configuration files: each machine
   // record is compared through its machine's file. A machine that is gone has closed its tab.
   std::vector<std::string> toClose;
   vmdb::Ctx ctx = cui::GetNewVmdbCtx();
   for (const std::string &record : ctx.Elements(cui::appdata::kOpenedObjElements)) {
      if (ctx.Get(record + "type") != "vm") {
         continue;
      }
      const std::string vmPath = ctx.Get(record + "path");
      cui::VM *vm = FindVMByVMPath(vmPath);
      if (vm && host->GetRegisteredVMPath(vm->GetFilename()).empty()) {
         toClose.push_back(vmPath);
      }
   }
   for (const std::string &vmPath : toClose) {
      CloseVMTab(vmPath, true, sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted));
   }
}

void CZOLTApp::RegisterVM(_bstr_t cfgPath, cui::AbortSlot onAbort, cui::DoneSlot onDone)
{
   const std::string file = zoltdb::Text(cfgPath);
   Log("CZOLTApp::RegisterVM %s\n", file.c_str());
   // A caller without a completion leaves the report to us. It goes to a modeless error window:
   // a command line handed over by another instance gets its answer at once, and the failure
   // does not hold the main window up.
   cui::AbortSlot abort = onAbort;
   if (abort.empty()) {
      abort = [file](bool cancelled, cui::Error error) {
         if (cancelled) {
            return;
         }
         std::string text = cui::SanitizeMessage(error.what());
         if (text.empty() || text.back() != '.') {
            text = tremapputil::ResString(IDS_OPERATION_FAILED).Format({text});
         }
         Warning("CZOLTApp::RegisterVM %s: %s\n", file.c_str(), text.c_str());
         if (wui::DlgMgr *dlgMgr = wui::GetDlgMgr()) {
            dlgMgr->NewError(text, "");
         }
      };
   }
   cui::Host *host = wui::GetCurrentHost();
   if (!host) {
      cui::CallSlot(abort, false, cui::Error(cui::GetLocalString(kNoHost)));
      return;
   }
   host->RegisterVM(file, abort, onDone);
}

void CZOLTApp::RemoveVM(cui::VM *vm, cui::AbortSlot completion, sigc::slot<void> finished)
{
   if (!vm) {
      return;
   }
   const std::string vmPath = vm->GetVmPath();
   const std::string cfgPath = vm->GetFilename();
   Log("CZOLTApp::RemoveVM %s %s\n", vmPath.c_str(), cfgPath.c_str());
   cui::Host *host = wui::GetCurrentHost();
   if (!host) {
      cui::CallSlot(completion, false, cui::Error(cui::GetLocalString(kNoHost)));
      return;
   }
   // The machine may be gone by the time the host answers: only its path is kept.
   cui::DoneSlot closeTab = [this, vmPath, completion, finished]() { CloseVMTab(vmPath, true, completion, finished); };
   host->UnregisterVM(cfgPath, completion, closeTab);
}

_bstr_t CZOLTApp::CloneVM(cui::VM *vm, cui::SnapshotTree *tree, int snapshotUid, HWND parent, bool open,
                          bool makeCurrent, bool addToFavorites)
{
   Log("CZOLTApp::CloneVM %s, snapshot %d\n", vm ? vm->GetFilename().c_str() : "(none)", snapshotUid);
   // The wizard's sheet owns the dialogs while it runs; both dialog managers get their owner back.
   sigc::slot<void> restoreOwner;
   GetDlgMgr()->GetRestoreOwnerSlot(restoreOwner);
   wui::DlgMgr *libDlgMgr = wui::GetDlgMgr();
   HWND libOwner = libDlgMgr ? libDlgMgr->GetDefaultOwner() : nullptr;
   sigc::slot<void> endModal;
   BeginModal(endModal);
   bool made = false;
   _bstr_t path(L"");
   {
      CCloneWz wizard(vm, tree, snapshotUid);
      try {
         made = wizard.Run(parent);
         path = wizard.GetClonePath();
      } catch (const cui::Error &e) {
         Warning("CZOLTApp::CloneVM: %s\n", e.what());
         OnOperationAborted(false, e);
      }
   }
   Guard(restoreOwner);
   Guard([libDlgMgr, libOwner]() {
      if (libDlgMgr == wui::GetDlgMgr() && libDlgMgr) {
         libDlgMgr->SetDefaultOwner(libOwner);
      }
   });
   Guard(endModal);
   if (!made || path.length() == 0) {
      return _bstr_t(L"");
   }
   path = _bstr_t(WideFromUtf8(wui::util::GetLongPathNameA(zoltdb::Text(path), true)).c_str());
   if (open) {
      const std::string file = zoltdb::Text(path);
      sigc::slot<void> opened = [this, file, addToFavorites]() {
         wui::VMMgr *vmMgr = wui::GetVMMgr();
         cui::VM *clone = vmMgr ? vmMgr->GetVMByCfgPath(file) : nullptr;
         if (clone && addToFavorites) {
            AddVMToFavorites(clone);
         }
      };
      OpenVM(path, OpenFlags().Second().MakeCurrent(makeCurrent),
             sigc::bind<0>(sigc::mem_fun(*this, &CZOLTApp::ReportOpenVMError), file), opened);
   }
   return path;
}

#include "zoltApp.h"

#include "zoltAbout.h"
#include "zoltTips.h"
#include "zoltAppContext.h"
#include "zoltAppNotices.h"
#include "zoltAppDb.h"
#include "zoltComObjects.h"
#include "zoltDlgMgr.h"
#include "zoltFrame.h"
#include "zoltGuard.h"
#include "zoltMsg.h"
#include "zoltResources.h"
#include "zoltUiSchema.h"

#include "resource.h"

#include "atl/Atl.h"
#include "cui/AppDataPaths.h"
#include "cui/HostBackend.h"
#include "cui/cui.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Base.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"
#include "tremsim/SimHostBackend.h"

#include <commctrl.h>

#include <cstdio>

CZOLTApp *gApp = nullptr;

namespace {

const char kNetEditorLibrary[] = "tremnetui.dll";
const char kNetEditorEntry[] = "TremNetUI_ShowPropertyPages";
const DWORD kCommonControls = ICC_BAR_CLASSES | ICC_DATE_CLASSES | ICC_USEREX_CLASSES | ICC_COOL_CLASSES;
static_assert(kCommonControls == 0x704, "the common controls registered");
const DWORD kShutdownLevel = 0x300;
const int kAutomationVersion = 2;
const int kAutomationKind = 1;
const unsigned kAutomationFlags = 0x203;
const int kAutomationService = 3010;
// Nothing of the poll loop due for this long is a quiet moment.
const unsigned kIdleMs = 5;

// Closes a map of connections, one per object.
void DisconnectAll(std::map<std::string, ConnectionMapEntry> &connections)
{
   for (auto &entry : connections) {
      entry.second.connection.disconnect();
   }
   connections.clear();
}

}  // namespace

CZOLTApp::Owned::Owned() = default;

CZOLTApp::Owned::~Owned()
{
   // Made by the library on first use over dlgMgr; the program deletes it at exit.
   delete wui::GetDlgMgr();
}

CZOLTApp::CZOLTApp(const CommandLineOptions &options)
   : owned_(std::make_unique<Owned>()), prefsRoot_(cui::kPrefsRequestPath), options_(options)
{
   CreateComObject(__uuidof(TremappPoll), "TremappPoll", poll_);
   CreateComObject(__uuidof(VmdbDatabase), "VmdbDatabase", db_);
   CreateComObject(__uuidof(VMClient), "VMClient", client_);
   CreateComObject(__uuidof(VMList), "VMList", vmList_);
   CreateComObject(__uuidof(VMMsg), "VMMsg", msg_);
   CreateComObject(__uuidof(VmdbUtil), "VmdbUtil", util_);

   frame_ = std::make_unique<CZOLTFrame>();

   AtlAxWinInit();
   INITCOMMONCONTROLSEX controls = {sizeof controls, kCommonControls};
   InitCommonControlsEx(&controls);

   ConnectDatabase();
   BuildUiSchema(db_);
   ctx_ = db_->NewContext();
   modelCtx_ = vmdb::Ctx(ctx_->GetRawHandle(), true, vmdb::Ctx::kAll);
   // The simulated host answers for the hosts and machines of the database.
   cui::SetHostBackend(&cuisim::SimHostBackend::Get());
   cui::SetVmdbCtx(modelCtx_);
   InitMachineClient();
   ConnectAutomation();

   Register(owned_->rpcMgr, new vmdbLayout::rpc::Mgr(modelCtx_));
   Register(owned_->dlgMgr, new ::DlgMgr)->SetModalStateSlot(sigc::mem_fun(*this, &CZOLTApp::SetModalState));

   CreatePreferences();
   WriteHostLinks();
   SetUIModeFromPrefs();
   // The one local host of the run: Run makes no second one.
   Register(owned_->clientHost, new cui::LocalHost(modelCtx_, std::string(cui::appdata::kLocalHost) + "/"));
   CreateManagers();

   vmList_->Init(db_, poll_);
   msg_->Init(-1);
   msg_->SetContext(db_->NewContext());

   // The application library supplies no resource module: the program's own is used.
   HMODULE resources = TremAppUtil_GetResourceModule();
   wui::resource::SetInstance(resources ? resources : _Module.GetResourceInstance());
   SetResourceInstance(resources);

   if (wui::util::HasZephroExtension()) {
      owned_->zephroServerMgr = std::make_unique<cui::ZephroServerMgrImpl>();
      // The template manager registers itself.
      owned_->mvmtMgr.reset(new cui::MVMTMgrImpl(owned_->vmMgr.get(), client_, owned_->zephroServerMgr.get(),
                                                 wui::GetDlgMgr()));
      owned_->usbHistory = std::make_unique<cui::USBHistoryImpl>();
      wui::SetAppContext(&gZephroAppContext);
   } else {
      wui::SetAppContext(&gAppContext);
   }

   RegisterCallbacks();
   SetEventSource(ctx_);
   currentObjConnection_ = wui::GetPrefs()->currentObjChanged.connect(sigc::mem_fun(*this, &CZOLTApp::OnCtxCurrentObj));
   if (options_.quitAtPowerOff) {
      CtxWatch(cui::appdata::kOpenedObj, vmdb::Ctx::kWatchSubtree, &CZOLTApp::OnOpenedObjChanged);
   }
   LoadNetworkEditor();
   SetUILocale();
}

void CZOLTApp::ConnectDatabase()
{
   if (!options_.databaseName.empty()) {
      db_->Connect(options_.databaseName.c_str(), VMDB_CONNECT_NAMED);
   } else {
      db_->ConnectDefault();
   }
   Base_SetDatabase(reinterpret_cast<void *>(db_->GetRawHandle()));
}

void CZOLTApp::InitMachineClient()
{
   client_->Init(ctx_->GetRawHandle(), poll_->GetRawHandle(), options_.pollOption ? VARIANT_TRUE : VARIANT_FALSE);
   client_->SetVariables(options_.setVariables.c_str());
}

void CZOLTApp::ConnectAutomation()
{
   BaseAutomationHandle connection =
      Base_AutomationConnect(kAutomationVersion, kAutomationKind, "", "", "", "", kAutomationFlags, "",
                             HKEY_CURRENT_USER, reinterpret_cast<void *>(db_->GetRawHandle()));
   Base_AutomationGetHandle(connection, kAutomationService, &automationHandle_);
   kestrum::SetKestrumSDK(automationHandle_);
}

void CZOLTApp::CreatePreferences()
{
   wui::Prefs *prefs = Register(owned_->prefs, new wui::Prefs);
   prefs->SetDebugMks(options_.debugMks);
   prefs->SetKeepVmxOnline(options_.keepVmxOnline);
   prefs->SetAsIfRemote(options_.asIfRemote);
   prefs->SetLocalHeadless(options_.localHeadless);
   prefs->SetShowChrome(options_.showControls);
}

std::string CZOLTApp::GetHostPath()
{
   return zoltdb::Text(client_->GetHostPath());
}

void CZOLTApp::WriteHostLinks()
{
   _variant_t hostPath(client_->GetHostPath());
   ctx_->WriteValue(cui::appdata::kLocalHost, hostPath);
   ctx_->WriteValue(cui::appdata::kCurrentHost, hostPath);
}

void CZOLTApp::SetUIModeFromPrefs()
{
   cui::Prefs *prefs = cui::GetPrefs();
   bool deskmoor = options_.forceDeskmoorMode || prefs->GetBool("val/zolt/deskmoorMode", false);
   prefs->SetUIMode(deskmoor ? cui::Prefs::UI_MODE_LOCAL : cui::Prefs::UI_MODE_REMOTE);
}

void CZOLTApp::CreateManagers()
{
   Register(owned_->navbar, new wui::Navbar);
   Register(owned_->vmMgr, new wui::VMMgr(client_));
   Register(owned_->teamMgr, new wui::TeamMgr);
   Register(owned_->hotFixMgr, new cui::HotFixMgr(client_));
}

void CZOLTApp::RegisterCallbacks()
{
   cui::SetBrowseSlot(sigc::mem_fun(*this, &CZOLTApp::Browse));
   wui::SetNewVMWizardSlot(sigc::mem_fun(*this, &CZOLTApp::NewVM));
   wui::SetCloneVMWizardSlot(sigc::mem_fun(*this, &CZOLTApp::CloneVM));
}

void CZOLTApp::LoadNetworkEditor()
{
   if (netEditor_) {
      return;
   }
   netEditor_ = LoadLibraryA(kNetEditorLibrary);
   if (netEditor_) {
      showNetPropertyPages_ = GetProcAddress(netEditor_, kNetEditorEntry);
      if (!showNetPropertyPages_) {
         FreeLibrary(netEditor_);
         netEditor_ = nullptr;
      }
   }
}

CZOLTApp::~CZOLTApp()
{
   DisconnectAll(openedObjConnections_);
   DisconnectAll(vmConnections_);
   DisconnectAll(exitConnections_);
   currentObjConnection_.disconnect();
   notify_callbacks();

   // The frame and its children show the model: they go first, while it is all still there
   // (the session end has destroyed the frame already, an exception out of the main loop has not).
   if (frame_->m_hWnd) {
      frame_->DestroyWindow();
   }

   wui::resource::SetInstance(nullptr);
   SetResourceInstance(nullptr);

   hostChangedConnection_.disconnect();
   owned_.reset();

   if (automationHandle_ != kNoAutomationHandle) {
      Base_AutomationRelease(automationHandle_);
   }
   ReleaseEventSource();
   AtlAxWinTerm();

   frame_.reset();
   if (netEditor_) {
      FreeLibrary(netEditor_);
   }

   Base_Shutdown();
   if (msg_) {
      msg_->SetContext(nullptr);
   }
   msg_ = nullptr;
   util_ = nullptr;
   // The registered model context keeps the database open; the user file is saved once it goes.
   cui::SetVmdbCtx(vmdb::Ctx());
   cui::SetHostBackend(nullptr);
   modelCtx_ = vmdb::Ctx();
   ctx_ = nullptr;
   vmList_ = nullptr;
   client_ = nullptr;
   db_ = nullptr;
   if (poll_) {
      poll_->Shutdown();
   }
   poll_ = nullptr;
   if (gApp == this) {
      gApp = nullptr;
   }
}

std::string CZOLTApp::GetAppTitle()
{
   // The remote-host mode is the console product.
   if (cui::GetPrefs() && cui::GetPrefs()->GetUIMode() == cui::Prefs::UI_MODE_REMOTE) {
      return LoadResString(IDS_CONSOLE_TITLE);
   }
   wui::AppContext *context = wui::GetAppContext();
   if (context && !context->GetEditionTitle().empty()) {
      return context->GetEditionTitle();
   }
   return LoadAppTitle();
}

HWND CZOLTApp::GetFrameWindow() const
{
   return frame_ ? frame_->m_hWnd : nullptr;
}

void CZOLTApp::Run()
{
   if (options_.mode == CommandLineOptions::MODE_ABOUT) {
      CZOLTAbout about;
      about.DoModal(GetActiveWindow());
      return;
   }
   if (options_.mode == CommandLineOptions::MODE_PRINT_VERSION) {
      printf("%s %s\n", GetAppTitle().c_str(), LoadResString(IDS_APP_VERSION).c_str());
      fflush(stdout);
      return;
   }

   windowTitle_ = GetAppTitle();
   frame_->CreateFrame(windowTitle_.c_str());
   frame_->RestorePlacement();
   msg_->SetOwner(frame_->m_hWnd);
   if (cui::GetPrefs()->GetTrayIconEnabled()) {
      wui::LaunchOrKillVMTrayProcess(true);
   }
   MakeFrameDialogOwner();

   accelNormal_ = LoadAcceleratorsA(GetResourceInstance(), MAKEINTRESOURCEA(IDR_ACCEL_NORMAL));
   accelFullScreen_ = LoadAcceleratorsA(GetResourceInstance(), MAKEINTRESOURCEA(IDR_ACCEL_FULLSCREEN));
   cmdbarWnd_ = frame_->GetCmdbarWindow();

   pageFirst_ = !options_.files.empty();
   OpenSession();
   WatchAppNotices(modelCtx_, *this,
                   [this](const std::string &text) { MessageBox(text.c_str(), MB_OK | MB_ICONWARNING); });
   if (cui::GetPrefs()->GetBool(CZOLTTips::kStartupPref, false)) {
      CZOLTTips tips;
      tips.DoModal(frame_->m_hWnd);
   }
   // The check sets the timer of the next one.
   StartWebUpdateCheck(false);
   SetProcessShutdownParameters(kShutdownLevel, 0);
   RunMainLoop();
}

void CZOLTApp::MakeFrameDialogOwner()
{
   HWND frame = frame_->m_hWnd;
   GetDlgMgr()->SetDefaultOwner(frame);
   GetDlgMgr()->SetDefaultTitle(windowTitle_);
   wui::DlgMgr *libDlgMgr = wui::GetDlgMgr();
   libDlgMgr->SetDefaultOwner(frame);
   libDlgMgr->SetTitle(windowTitle_);
   Base_SetFrameWindow(frame);
}

void CZOLTApp::OpenSession()
{
   if (cui::GetPrefs()->GetUIMode() == cui::Prefs::UI_MODE_REMOTE && !options_.local) {
      std::string dest = options_.host;
      if (!options_.port.empty()) {
         dest += ":" + options_.port;
      }
      _bstr_t host(dest.c_str());
      _bstr_t user(options_.user.c_str());
      _bstr_t password(options_.password.c_str());
      // The command line's copy of the password goes too: ConnectToHost wipes its own.
      if (!options_.password.empty()) {
         SecureZeroMemory(&options_.password[0], options_.password.size());
         options_.password.clear();
      }
      ConnectToHost(host, user, password, true);
   } else {
      _bstr_t error;
      NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error);
   }
}

void CZOLTApp::RunMainLoop()
{
   for (;;) {
      // A quiet moment (no message waits and nothing of the poll loop is due soon) makes one
      // piece of what start-up left; otherwise sleeps until a message, a timer of the poll loop
      // or a posted callback is due.
      if (idleWorkLeft_ && HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0 &&
          (pageFirst_ || Poll_MsUntilDue() >= kIdleMs)) {
         pageFirst_ = false;
         idleWorkLeft_ = frame_->DoIdleWork();
      } else {
         Poll_Step();
      }
      MSG msg;
      // The wide forms throughout: a character typed into a window arrives as the user typed it.
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
         if (msg.message == WM_QUIT) {
            return;
         }
         wui::Prefs *prefs = wui::GetPrefs();
         HACCEL accel = prefs && prefs->GetFullScreen() ? accelFullScreen_ : accelNormal_;
         if (accel && cmdbarWnd_ && TranslateAcceleratorW(cmdbarWnd_, accel, &msg)) {
            continue;
         }
         if (frame_->PreTranslateMessage(&msg)) {
            continue;
         }
         TranslateMessage(&msg);
         DispatchMessageW(&msg);
      }
   }
}

VOID CALLBACK CZOLTApp::OnWebUpdateTimer(HWND, UINT, UINT_PTR id, DWORD)
{
   if (id == kWebUpdateTimer && gApp) {
      Guard([]() { gApp->StartWebUpdateCheck(false); });
   }
}

bool CZOLTApp::CanQuit(std::string &reason)
{
   reason.clear();
   if (!converter_.IsBusy()) {
      return true;
   }
   converter_.ShowProgressDialog();
   reason = cui::GetLocalString(
      ZOLT_MSG("msg.zoltApp.Exit.converterBusy", "A conversion is running. Wait until it is finished before you quit."));
   // The library's dialog manager gains its warning dialog with the dialogs; until then the
   // message object shows it.
   if (msg_) {
      msg_->Message(reason.c_str(), windowTitle_.c_str(), "ok", "warning");
   }
   return false;
}

bool CZOLTApp::Exit()
{
   std::string reason;
   if (!CanQuit(reason)) {
      return false;
   }
   cui::Prefs *prefs = cui::GetPrefs();
   int mode = prefs->GetUIMode() == cui::Prefs::UI_MODE_LOCAL && !prefs->GetBackgroundOnClose() ? CLOSE_ASK : CLOSE_NOW;
   return CloseSession(mode, sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted), sigc::mem_fun(*this, &CZOLTApp::Quit));
}

void CZOLTApp::Quit()
{
   if (frame_ && frame_->m_hWnd) {
      frame_->DestroyWindow();
   }
   PostQuitMessage(0);
}

void CZOLTApp::CloseSessionWithProgress(const sigc::slot<void> &done)
{
   int mode = CLOSE_NOW;
   for (cui::VM *vm : cui::GetVMMgr()->GetVMs()) {
      if (vm->GetPowerState() == cui::VM::POWERED_ON || vm->GetPowerOnActionState() == cui::VM::ACTION_RUNNING ||
          vm->GetPowerOffActionState() == cui::VM::ACTION_RUNNING ||
          vm->GetPowerSuspendActionState() == cui::VM::ACTION_RUNNING) {
         mode = CLOSE_SUSPEND;
         break;
      }
   }
   cui::AbortSlot onAbort = [done](bool, cui::Error) { cui::CallSlot(done); };
   CloseSession(mode, onAbort, done);
}

void CZOLTApp::OnOpenedObjChanged(BSTR)
{
   if (options_.quitAtPowerOff && ctx_->NextElement(cui::appdata::kOpenedObjElements).length() == 0) {
      Exit();
   }
}

void CZOLTApp::NewWindow()
{
   wchar_t path[MAX_PATH] = L"";
   GetModuleFileNameW(nullptr, path, MAX_PATH);
   wchar_t commandLine[] = L"tremory";
   STARTUPINFOW startup = {};
   startup.cb = sizeof startup;
   PROCESS_INFORMATION process = {};
   if (CreateProcessW(path, wui::util::HasZephroExtension() ? commandLine : nullptr, nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &process)) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
   }
}

void CZOLTApp::ShowFrameMinimized(bool minimize)
{
   if (frame_ && frame_->m_hWnd) {
      frame_->ShowWindow(minimize ? SW_MINIMIZE : SW_SHOW);
   }
}

void CZOLTApp::PowerOnIfRequested(cui::VM *vm, bool atOpen)
{
   bool wanted = (atOpen && (vm->GetPowerOnAtStartup() || options_.powerOn)) || vm->GetGUIRestricted();
   if (wanted && vm->GetPowerState() != cui::VM::POWERED_ON &&
       vm->GetPowerOnActionState() != cui::VM::ACTION_RUNNING && !vm->GetInTeam()) {
      OnPowerCommand(IDM_VM_POWER_ON, dynamic_cast<wui::VM *>(vm));
   }
}

void CZOLTApp::OnHotFixCommand(int commandId, const std::string &path)
{
   if (commandId == IDM_HOTFIX_CLOSE) {
      CloseHotFixRequest(path, true);
   }
}

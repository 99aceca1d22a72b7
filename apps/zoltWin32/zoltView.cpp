#include "zoltView.h"

#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltGuard.h"
#include "zoltModelOps.h"
#include "zoltResources.h"
#include "zoltWindowMessages.h"

#include "resource.h"

#include "atl/AxHost.h"
#include "cui/AppDataPaths.h"
#include "cui/ApplianceView.h"
#include "cui/cui.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"
#include "tremorybase/ScopeGuard.h"
#include "tremorybase/Text.h"

#include <algorithm>

namespace {

const wchar_t kConsoleProgId[] = L"tremappsdk.MksCtl.9";
const wchar_t kSwitchProgId[] = L"tremappsdk.VMSwitchCtl.9";

std::string WithSlash(std::string path)
{
   if (!path.empty() && path.back() != '/') {
      path += '/';
   }
   return path;
}

// The machine a team shows when none is current: the first by name.
cui::VM *FirstSortedVM(const cui::Team *team)
{
   const std::vector<cui::VM *> &vms = team->GetVMs();
   auto first = std::min_element(vms.begin(), vms.end(), [](const cui::VM *a, const cui::VM *b) {
      return lstrcmpiW(WideFromUtf8(a->GetName()).c_str(), WideFromUtf8(b->GetName()).c_str()) < 0;
   });
   return first == vms.end() ? nullptr : *first;
}

cui::Team *FindTeam(const std::string &path)
{
   cui::TeamMgr *teams = cui::GetTeamMgr();
   return teams && !path.empty() ? teams->GetTeamByCfgPath(path) : nullptr;
}

cui::MVMTemplate *FindTemplate(const std::string &path)
{
   cui::MVMTMgr *templates = cui::GetMVMTMgr();
   return templates && !path.empty() ? templates->GetMVMTByFilename(path) : nullptr;
}

}  // namespace

namespace zoltview {

ShownChildren ChildrenForViewType(const std::string &viewType)
{
   ShownChildren shown;
   shown.summary = viewType == "summary";
   shown.appliance = viewType == "appliance";
   shown.console = viewType == "console";
   return shown;
}

unsigned ContextMenuOfTabKind(long tabKind)
{
   switch (tabKind) {
   case tremappsdk::kTabHome: return IDR_MENU_HOME_TAB;
   case tremappsdk::kTabTeam: return IDR_MENU_TEAM;
   case tremappsdk::kTabVM:
   case tremappsdk::kTabVMRunning: return IDR_MENU_VM;
   case tremappsdk::kTabManagedVM: return IDR_MENU_MVMT;
   case tremappsdk::kTabZephroServer: return IDR_MENU_SERVER;
   case tremappsdk::kTabHotFix: return IDR_MENU_HOTFIX;
   default: return 0;
   }
}

ViewLayout ComputeViewLayout(const RECT &client, bool tabShow, bool fullScreen)
{
   ViewLayout layout;
   LONG top = client.top;
   layout.showTabs = tabShow && !fullScreen;
   if (layout.showTabs) {
      layout.tabs = {client.left, client.top, client.right, client.top + kTabStripHeight};
      // A view lower than the strip leaves the console an empty area, never an inverted one.
      top = std::min<LONG>(client.top + kTabStripHeight, std::max(client.bottom, client.top));
   }
   layout.console = {client.left, top, client.right, std::max(client.bottom, top)};
   return layout;
}

RECT AdjustForTeam(RECT rect, bool isTeam, long reservedWidth, long reservedHeight)
{
   if (isTeam) {
      rect.right = std::max<LONG>(rect.left, rect.right - std::max(reservedWidth, 0L));
      rect.bottom = std::max<LONG>(rect.top, rect.bottom - std::max(reservedHeight, 0L));
   }
   return rect;
}

bool TeamGoesToConsole(int teamState, int &lastTeamState, const std::string &recordViewType)
{
   if (teamState != lastTeamState) {
      lastTeamState = teamState;
      return teamState == cui::VM::POWERED_ON;
   }
   return teamState == cui::VM::POWERED_ON && recordViewType == "console";
}

int FindRecordOfMachine(const std::vector<OpenedObjRecord> &records, const std::string &vmPath,
                        const std::function<bool(const std::string &)> &teamHoldsMachine,
                        const std::function<std::string(const std::string &)> &templateMachine)
{
   if (vmPath.empty()) {
      return -1;
   }
   for (size_t i = 0; i < records.size(); ++i) {
      const OpenedObjRecord &record = records[i];
      bool match = (record.type == "vm" && record.path == vmPath) ||
                   (record.type == "team" && teamHoldsMachine(record.path)) ||
                   (record.type == "mvmt" && templateMachine(record.path) == vmPath);
      if (match) {
         return static_cast<int>(i);
      }
   }
   return -1;
}

}  // namespace zoltview

CZOLTView::CZOLTView() = default;

CZOLTView::~CZOLTView() = default;

HWND CZOLTView::GetApplianceWindow() const
{
   return appliance_ ? appliance_->GetHWND() : nullptr;
}

IVmdbContextPtr CZOLTView::NewContext() const
{
   IVmdbContextPtr appCtx = gApp ? gApp->GetContext() : nullptr;
   IVmdbDatabasePtr db = appCtx ? appCtx->GetDatabase() : nullptr;
   if (!db) {
      _com_issue_error(E_POINTER);
   }
   return db->NewContext();
}

IMksCtlPtr CZOLTView::GetConsole() const
{
   IMksCtlPtr console;
   if (consoleHost_) {
      atl::CAxWindow(consoleHost_).QueryControl(&console);
   }
   if (!console) {
      _com_issue_error(E_POINTER);
   }
   return console;
}

HWND CZOLTView::CreateControlHost(const wchar_t *progId)
{
   HWND host = ::CreateWindowExA(0, "AtlAxWin71", nullptr, kChildStyle, 0, 0, 0, 0, m_hWnd, nullptr,
                                 ::GetModuleHandleA(nullptr), nullptr);
   if (!host) {
      Warning("CZOLTView::OnCreate: no control host (%lu)\n", ::GetLastError());
      return nullptr;
   }
   HRESULT hr = atl::AtlAxCreateControl(progId, host, nullptr, nullptr);
   if (FAILED(hr)) {
      // The host stays, empty: every call on its control then fails as a missing interface.
      Warning("CZOLTView::OnCreate: cannot create %s: 0x%08lx\n", Utf8FromWide(progId).c_str(),
              static_cast<unsigned long>(hr));
   }
   return host;
}

void CZOLTView::CreateConsole()
{
   consoleHost_ = CreateControlHost(kConsoleProgId);
   IMksCtlPtr console;
   if (consoleHost_ && SUCCEEDED(atl::CAxWindow(consoleHost_).QueryControl(&console))) {
      console->PutContext(NewContext());
      console->PutLinkPath(cui::appdata::kCurrentObj);
   }
}

void CZOLTView::CreateTabStrip()
{
   switchHost_ = CreateControlHost(kSwitchProgId);
   IVMSwitchCtlPtr tabs;
   if (switchHost_ && SUCCEEDED(atl::CAxWindow(switchHost_).QueryControl(&tabs))) {
      tabs->PutContext(NewContext());
      tabs->PutLinkPath(cui::appdata::kCurrentObj);
      tabs->PutArrayPath(cui::appdata::kOpenedObj);
   }
}

LRESULT CZOLTView::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
   ::SetRectEmpty(&consoleRect_);
   consoleVisible_ = 1;
   ctx_ = NewContext();
   RECT none = {};
   statusPane_.Create(m_hWnd, &none, nullptr, kChildStyle);
   appliance_.reset(wui::view::ApplianceView::CreateInstance(m_hWnd, none, nullptr, kChildStyle, 0, 0, nullptr));
   atl::AtlAxWinInit();
   CreateConsole();
   CreateTabStrip();

   SetEventSource(ctx_);
   cui::Prefs *prefs = cui::GetPrefs();
   std::string zolt = (prefs ? prefs->GetRequestPath() : std::string(cui::kPrefsRequestPath)) + "val/zolt";
   ctx_->ChangePath(_bstr_t(zolt.c_str()));
   // The tab strip's place depends on these two preferences.
   layoutWatchRoot_ = zolt + "/view/";
   CtxWatch(_bstr_t((layoutWatchRoot_ + "tabs").c_str()), 0, &CZOLTView::OnLayoutPrefWatch);
   CtxWatch(_bstr_t((layoutWatchRoot_ + "fullScreen").c_str()), 0, &CZOLTView::OnLayoutPrefWatch);
   if (wui::Prefs *wuiPrefs = wui::GetPrefs()) {
      wuiPrefs->currentObjChanged.connect(sigc::mem_fun(*this, &CZOLTView::OnCurrentObjChanged));
   }

   CComPtr<IUnknown> tabControl;
   if (switchHost_ && SUCCEEDED(atl::AtlAxGetControl(switchHost_, &tabControl))) {
      SwitchSink::DispEventAdvise(tabControl);
   }
   CComPtr<IUnknown> consoleControl;
   if (consoleHost_ && SUCCEEDED(atl::AtlAxGetControl(consoleHost_, &consoleControl))) {
      MksSink::DispEventAdvise(consoleControl);
   }

   ConnectModelSignals();
   OnCurrentObjChanged();
   // With no current object the change above does nothing: show the summary rather than all
   // three children on top of each other.
   if (currentRecord_.length() == 0) {
      UpdateView();
   }
   return 0;
}

void CZOLTView::ConnectModelSignals()
{
   if (cui::TeamMgr *teams = cui::GetTeamMgr()) {
      teams->teamAdded.connect(sigc::mem_fun(*this, &CZOLTView::FollowTeam));
      // Teams and machines opened before the view existed are followed too.
      for (cui::Team *team : teams->GetTeams()) {
         FollowTeam(team);
      }
   }
   if (cui::VMMgr *vms = cui::GetVMMgr()) {
      vms->vmAdded.connect(sigc::mem_fun(*this, &CZOLTView::FollowMachine));
      for (cui::VM *vm : vms->GetVMs()) {
         FollowMachine(vm);
      }
   }
}

void CZOLTView::FollowMachine(cui::VM *vm)
{
   vm->powerStateChanged.connect(sigc::bind(
      sigc::mem_fun(*this, &CZOLTView::GuardedCall<cui::VM, &CZOLTView::OnPowerStateChanged>), vm));
}

void CZOLTView::FollowTeam(cui::Team *team)
{
   team->changed.connect(
      sigc::bind(sigc::mem_fun(*this, &CZOLTView::GuardedCall<cui::Team, &CZOLTView::OnTeamChanged>), team));
}

LRESULT CZOLTView::OnDestroy(UINT, WPARAM, LPARAM, BOOL &)
{
   notify_callbacks();
   SwitchSink::DispEventUnadvise();
   MksSink::DispEventUnadvise();
   ReleaseEventSource();
   ctx_ = nullptr;
   if (consoleHost_) {
      ::DestroyWindow(consoleHost_);
      consoleHost_ = nullptr;
   }
   if (switchHost_) {
      ::DestroyWindow(switchHost_);
      switchHost_ = nullptr;
   }
   appliance_.reset();
   currentRecord_ = _bstr_t();
   return 0;
}

LRESULT CZOLTView::OnSize(UINT, WPARAM, LPARAM, BOOL &)
{
   RecalcLayout();
   return 0;
}

LRESULT CZOLTView::OnEraseBkgnd(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   RECT client;
   GetClientRect(&client);
   ::FillRect(reinterpret_cast<HDC>(wParam), &client,
              ::GetSysColorBrush(consoleVisible_ ? COLOR_WINDOW : COLOR_APPWORKSPACE));
   return 0;
}

void CZOLTView::SetConsoleVisible(bool visible)
{
   BYTE flag = visible ? 1 : 0;
   bool changed = flag != consoleVisible_;
   consoleVisible_ = flag;
   if (changed && visible) {
      RecalcLayout();
   }
}

void CZOLTView::RecalcLayout()
{
   if (!m_hWnd) {
      return;
   }
   RECT client;
   GetClientRect(&client);
   wui::Prefs *prefs = wui::GetPrefs();
   zoltview::ViewLayout layout =
      zoltview::ComputeViewLayout(client, !prefs || prefs->GetTabShow(), prefs && prefs->GetFullScreen());
   if (switchHost_) {
      if (layout.showTabs) {
         const RECT &r = layout.tabs;
         ::SetWindowPos(switchHost_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                        SWP_NOZORDER | SWP_SHOWWINDOW);
      } else {
         ::ShowWindow(switchHost_, SW_HIDE);
      }
   }
   consoleRect_ = layout.console;
   const RECT &r = consoleRect_;
   const UINT flags = SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE;
   if (consoleVisible_ && consoleHost_) {
      ::SetWindowPos(consoleHost_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
   }
   if (statusPane_.m_hWnd) {
      statusPane_.SetWindowPos(nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
   }
   if (HWND appliance = GetApplianceWindow()) {
      ::SetWindowPos(appliance, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
   }
   if (consoleVisible_ && consoleHost_) {
      ::RedrawWindow(consoleHost_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
   }
}

void CZOLTView::OnLayoutPrefWatch(BSTR)
{
   RecalcLayout();
   ::SendMessage(GetParent(), WM_SIZE, 0, 0);
}

void CZOLTView::AdjustConsoleRect(RECT &rect)
{
   wui::Prefs *prefs = wui::GetPrefs();
   bool isTeam = prefs && !prefs->GetCurrentObj().empty() && prefs->GetCurrentObjType() == "team";
   if (isTeam) {
      IMksCtlPtr console = GetConsole();
      rect = zoltview::AdjustForTeam(rect, true, console->GetReservedWidth(), console->GetReservedHeight());
   }
}

void CZOLTView::GetConsoleScreenRect(RECT *rect)
{
   ::SetRectEmpty(rect);
   if (consoleHost_) {
      ::GetWindowRect(consoleHost_, rect);
   }
   AdjustConsoleRect(*rect);
}

void CZOLTView::GetConsoleClientRect(RECT *rect)
{
   *rect = RECT{0, 0, consoleRect_.right - consoleRect_.left, consoleRect_.bottom - consoleRect_.top};
   AdjustConsoleRect(*rect);
}

void CZOLTView::CallConsoleCtl()
{
   GetConsole()->ReleaseInput();
}

void CZOLTView::OnCurrentObjChanged()
{
   wui::Prefs *prefs = wui::GetPrefs();
   _bstr_t record((prefs ? WithSlash(prefs->GetCurrentObj()) : std::string()).c_str());
   if (record == currentRecord_) {
      return;
   }
   if (currentRecord_.length() > 0) {
      CtxUnwatch(currentRecord_ + "viewType");
   }
   currentRecord_ = record;
   if (currentRecord_.length() > 0) {
      CtxWatch(currentRecord_ + "viewType", 0, &CZOLTView::OnViewTypeWatch);
   }
   UpdateView();
}

void CZOLTView::OnViewTypeWatch(BSTR)
{
   UpdateView();
}

void CZOLTView::UpdateView()
{
   wui::Prefs *prefs = wui::GetPrefs();
   std::string viewType = "summary";
   std::string type;
   std::string vmPath;
   if (prefs && !prefs->GetCurrentObj().empty()) {
      type = prefs->GetCurrentObjType();
      viewType = prefs->GetViewType();
   }
   if (type == "vm") {
      vmPath = prefs->GetCurrentObjPath();
   } else if (type == "team") {
      std::string path = prefs->GetCurrentObjPath();
      cui::Team *team = FindTeam(path);
      if (!team) {
         // The record outlived its team.
         if (gApp) {
            gApp->CloseObj(_bstr_t("team"), _bstr_t(path.c_str()));
         }
         return;
      }
      cui::VM *vm = team->GetCurrentVM();
      if (!vm) {
         vm = FirstSortedVM(team);
      }
      if (vm) {
         vmPath = vm->GetVmPath();
      }
      lastTeamPowerState_ = team->GetPowerState();
   } else if (type == "mvmt") {
      if (cui::MVMTemplate *mvmt = FindTemplate(prefs->GetCurrentObjPath())) {
         vmPath = mvmt->GetVmPath();
      }
   }

   if (appliance_) {
      wui::VMMgr *vms = wui::GetVMMgr();
      appliance_->SetVM(vms && !vmPath.empty() ? vms->GetVMByVMPath(vmPath) : nullptr);
   }
   if (viewType == "console" && vmPath.empty()) {
      Warning("CZOLTView::UpdateView: Invalid viewType state.\n");
   }
   if (viewType == "console") {
      ConnectConsole(vmPath);
   }
   zoltview::ShownChildren shown = zoltview::ChildrenForViewType(viewType);
   ShowChild(statusPane_.m_hWnd, shown.summary);
   ShowChild(GetApplianceWindow(), shown.appliance);
   ShowChild(consoleHost_, shown.console);
}

void CZOLTView::ShowChild(HWND child, bool show)
{
   if (child) {
      ::ShowWindow(child, show ? SW_SHOW : SW_HIDE);
   }
}

void CZOLTView::ConnectConsole(const std::string &vmPath)
{
   IMksCtlPtr console = GetConsole();
   console->PutMessageText(_bstr_t(LoadResString(IDS_CONSOLE_CONNECTING).c_str()));
   try {
      IVMClientPtr client = gApp ? gApp->GetClient() : nullptr;
      if (!client) {
         _com_issue_error(E_POINTER);
      }
      client->ConnectMks(_bstr_t(vmPath.c_str()));
   } catch (const _com_error &error) {
      std::string text =
         tremapputil::ResString(IDS_CONSOLE_FAILED, GetResourceInstance()).Format({zoltdb::ComText(error)});
      Warning("%s\n", text.c_str());
      // The failure stays over the console, so the user sees why it is empty.
      console->PutMessageText(_bstr_t(text.c_str()));
      return;
   }
   console->PutMessageText(_bstr_t(""));
}

std::vector<zoltview::OpenedObjRecord> CZOLTView::ReadOpenedRecords()
{
   std::vector<zoltview::OpenedObjRecord> records;
   if (!ctx_) {
      _com_issue_error(E_POINTER);
   }
   for (_bstr_t element = ctx_->NextElement(cui::appdata::kOpenedObjElements); element.length() > 0;
        element = ctx_->NextElement(element)) {
      zoltview::OpenedObjRecord record;
      record.recordPath = WithSlash(zoltdb::Text(ctx_->FullPath(element)));
      record.type = zoltdb::ReadText(ctx_, _bstr_t((record.recordPath + "type").c_str()));
      record.path = zoltdb::ReadText(ctx_, _bstr_t((record.recordPath + "path").c_str()));
      records.push_back(record);
   }
   return records;
}

void CZOLTView::OnPowerStateChanged(cui::VM *vm)
{
   std::vector<zoltview::OpenedObjRecord> records = ReadOpenedRecords();
   int index = zoltview::FindRecordOfMachine(
      records, vm->GetVmPath(),
      [vm](const std::string &teamPath) {
         cui::Team *team = FindTeam(teamPath);
         if (!team) {
            return false;
         }
         const std::vector<cui::VM *> &members = team->GetVMs();
         return std::find(members.begin(), members.end(), vm) != members.end();
      },
      [](const std::string &mvmtPath) {
         cui::MVMTemplate *mvmt = FindTemplate(mvmtPath);
         return mvmt ? mvmt->GetVmPath() : std::string();
      });
   if (index < 0) {
      return;
   }
   const zoltview::OpenedObjRecord &record = records[static_cast<size_t>(index)];
   bool isTeam = record.type == "team";
   bool toConsole = false;
   if (isTeam) {
      cui::Team *team = FindTeam(record.path);
      std::string viewType = zoltdb::ReadText(ctx_, _bstr_t((record.recordPath + "viewType").c_str()));
      toConsole = team && zoltview::TeamGoesToConsole(team->GetPowerState(), lastTeamPowerState_, viewType);
   } else {
      try {
         toConsole = vm->GetPowerState() == cui::VM::POWERED_ON;
      } catch (const cui::Error &error) {
         Warning("CZOLTView::OnPowerStateChanged: failed to get exec state: %s\n", error.what());
         toConsole = false;
      }
   }
   const char *kind = "console";
   if (!isTeam) {
      wui::VMMgr *vms = wui::GetVMMgr();
      cui::VM *shown = vms ? vms->GetVMByVMPath(vm->GetVmPath()) : nullptr;
      if (shown && zoltmodel::ShowsApplianceView(shown)) {
         kind = "appliance";
      }
   }
   ctx_->WriteValue(_bstr_t((record.recordPath + "viewType").c_str()), _variant_t(toConsole ? kind : "summary"));
}

void CZOLTView::OnTeamChanged(cui::Team *team)
{
   if (!team->GetVMs().empty()) {
      return;
   }
   for (const zoltview::OpenedObjRecord &record : ReadOpenedRecords()) {
      if (record.type == "team" && record.path == team->GetFilename()) {
         ctx_->WriteValue(_bstr_t((record.recordPath + "viewType").c_str()), _variant_t("summary"));
         return;
      }
   }
}

void __stdcall CZOLTView::OnTabCommand(BSTR path, long command)
{
   if (command == 1 && gApp) {
      _bstr_t object(path ? path : L"");
      gApp->MenuButtonClicked(kCloseTabCommand, object, kSourceMenuBar);
   }
}

void __stdcall CZOLTView::OnContextMenu(long x, long y, BSTR path, long tabKind)
{
   BuildContextMenu(x, y, _bstr_t(path ? path : L""), tabKind);
}

void CZOLTView::BuildContextMenu(long x, long y, const _bstr_t &path, long tabKind)
{
   unsigned menuId = zoltview::ContextMenuOfTabKind(tabKind);
   if (menuId == 0 || !gApp) {
      return;
   }
   HMENU menu = ::LoadMenuA(GetResourceInstance(), MAKEINTRESOURCEA(menuId));
   if (!menu) {
      Warning("CZOLTView::BuildContextMenu: no menu %u\n", menuId);
      return;
   }
   UINT chosen = 0;
   _bstr_t object = path.length() > 0 ? path : _bstr_t("");
   CommandSource source = static_cast<CommandSource>(tabKind);
   {
      ScopeGuard destroyMenu([menu]() { ::DestroyMenu(menu); });
      HMENU popup = ::GetSubMenu(menu, 0);
      for (int i = 0; popup && i < ::GetMenuItemCount(popup);) {
         UINT id = ::GetMenuItemID(popup, i);
         // Separators and submenus carry no command.
         bool removed = id != 0 && id != static_cast<UINT>(-1) &&
                        gApp->UpdateMenuItemState(popup, static_cast<CommandId>(id), source, object);
         if (!removed) {
            ++i;
         }
      }
      chosen = popup ? static_cast<UINT>(::TrackPopupMenu(popup, TPM_RETURNCMD, x, y, 0, m_hWnd, nullptr)) : 0;
   }
   gApp->MenuButtonClicked(static_cast<CommandId>(chosen), object, source);
}

void __stdcall CZOLTView::OnConsoleRelayout()
{
   ::SendMessageW(GetParent(), WM_ZOLT_RELAYOUT, 0, 0);
}

void __stdcall CZOLTView::OnConsoleBeginResize()
{
   ::SendMessageW(GetParent(), WM_ZOLT_BEGIN_USER_SIZING, 0, 0);
}

void __stdcall CZOLTView::OnConsoleEndResize()
{
   ::SendMessageW(GetParent(), WM_ZOLT_END_USER_SIZING, 0, 0);
}

void __stdcall CZOLTView::OnConsoleGrab(short grabbed)
{
   consoleSignal.emit(grabbed == VARIANT_TRUE);
}

void __stdcall CZOLTView::OnConsoleMessage(BSTR text, BSTR buttonSet, BSTR kind, long defaultAnswer, long reserved1,
                                           long reserved2, long reserved3, long *answer)
{
   IMksCtlPtr console = GetConsole();
   console->PutMessageActive(VARIANT_TRUE);
   ScopeGuard inactive([&console]() { console->PutMessageActive(VARIANT_FALSE); });
   std::string name;
   wui::Prefs *prefs = wui::GetPrefs();
   if (prefs && !prefs->GetCurrentObj().empty() && prefs->GetCurrentObjType() == "vm") {
      cui::VMMgr *vms = cui::GetVMMgr();
      cui::VM *vm = vms ? vms->GetVMByVMPath(prefs->GetCurrentObjPath()) : nullptr;
      name = vm ? vm->GetName() : std::string();
   }
   IVMMsgPtr msg = gApp ? gApp->GetVMMsg() : nullptr;
   if (!msg) {
      _com_issue_error(E_POINTER);
   }
   long result = msg->MachineMessage(_bstr_t(text), _bstr_t(name.c_str()), _bstr_t(buttonSet), _bstr_t(kind),
                                     defaultAnswer, reserved1, reserved2, reserved3);
   if (answer) {
      *answer = result;
   }
}

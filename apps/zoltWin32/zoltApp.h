// The one application object: connects to the state database, declares the application's
// subtree, creates and registers the model library's managers, runs the main loop and exits.
#pragma once

#include "CommandLineOptions.h"
#include "zoltCommandId.h"
#include "zoltCtxEvents.h"
#include "zoltRegistered.h"

#include "cui/Converter.h"
#include "cui/Dlg.h"
#include "cui/Error.h"
#include "cui/Registry.h"
#include "cui/VmdbCtx.h"
#include "vmdb/ClientInterfaces.h"
#include "vmdb/VmdbInterfaces.h"

#include <windows.h>
#include <comdef.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

class CZOLTFrame;
class DlgMgr;
struct NewTeamSave;
struct TeamSettingsEdit;

namespace cui {
class DlgQuestion;
class TeamEditable;
class Host;
class HotFixMgr;
class HotFixRequest;
class Team;
class LocalHost;
class MVMTemplate;
class MVMTMgrImpl;
class Snapshot;
class SnapshotTree;
class USBHistoryImpl;
class VM;
class ZephroServer;
class ZephroServerMgrImpl;
}  // namespace cui
namespace vmdbLayout {
namespace rpc {
class Mgr;
}
}  // namespace vmdbLayout
namespace wui {
class Navbar;
class Team;
class VM;
class Prefs;
class TeamMgr;
class VMMgr;
namespace wizard {
class TeamWizard;
}
}  // namespace wui

// How an opener of a machine, team, managed template or Zephro server shows what it opens. A
// caller names what it asks of the defaults: OpenFlags().Second().MakeCurrent().
struct OpenFlags {
   bool powerOn = false;      // apply the command line's power-on
   bool second = false;       // handed on unchanged
   bool newTab = false;       // the tab is transient
   bool openTab = true;
   bool makeCurrent = false;

   OpenFlags PowerOn(bool on = true) const { return With(&OpenFlags::powerOn, on); }
   OpenFlags Second(bool on = true) const { return With(&OpenFlags::second, on); }
   OpenFlags NewTab(bool on = true) const { return With(&OpenFlags::newTab, on); }
   OpenFlags OpenTab(bool on = true) const { return With(&OpenFlags::openTab, on); }
   OpenFlags MakeCurrent(bool on = true) const { return With(&OpenFlags::makeCurrent, on); }

private:
   OpenFlags With(bool OpenFlags::*field, bool on) const
   {
      OpenFlags flags = *this;
      flags.*field = on;
      return flags;
   }
};

// An entry of the per-object connection maps.
struct ConnectionMapEntry {
   std::string path;
   sigc::connection connection;
};

class CZOLTApp : public CCtxEvents<CZOLTApp, 1>, public sigc::trackable {
public:
   // Close modes of CloseSession.
   typedef int CloseSessionMode;
   enum { CLOSE_NOW = 0, CLOSE_ASK = 1, CLOSE_POWER_OFF = 2, CLOSE_SUSPEND = 3 };
   static constexpr UINT_PTR kWebUpdateTimer = 123;
   static constexpr UINT kWebUpdatePeriodMs = 86400000;
   static constexpr int kNoAutomationHandle = 1000;

   explicit CZOLTApp(const CommandLineOptions &options);
   ~CZOLTApp() override;

   void Run();
   bool Exit();
   void Quit();
   bool CanQuit(std::string &reason);
   void CloseSessionWithProgress(const sigc::slot<void> &done);
   void OnOpenedObjChanged(BSTR changedPath);
   static VOID CALLBACK OnWebUpdateTimer(HWND wnd, UINT msg, UINT_PTR id, DWORD time);
   void NewWindow();
   void ShowFrameMinimized(bool minimize);
   void PowerOnIfRequested(cui::VM *vm, bool atOpen);
   void OnHotFixCommand(int commandId, const std::string &path);

   // Receiving side of a handed-over command line.
   bool CanHandleCommandLine(const CommandLineOptions &options);
   bool OpenFromOptions(const CommandLineOptions &options, bool applyStartOptions);

   // Command dispatcher: every command of menus, accelerators, toolbars and context menus.
   void MenuButtonClicked(CommandId id, _bstr_t &path, CommandSource source);
   wui::VM *ResolveCommandVM(CommandSource source, const _bstr_t &path, wui::Team **team = nullptr);
   // The handler groups the dispatcher hands commands to.
   void OnFileCommand(CommandId id);
   // File > Close: the current tab by its object's type; File > Add to/Remove from Favourites of
   // the current object.
   void CloseCurrentTab();
   void ToggleCurrentInFavorites();
   void CloseCurrentTeam();
   void CloseCurrentHotFix();
   void CloseCurrentZephroServer();
   void NewTeam();
   void ShowConnectToServer();
   void OnEditCommand(CommandId id);
   void HandleViewMenuOps(CommandId id);
   void OnHostCommand(CommandId id);
   void OnHelpCommand(CommandId id);
   void CloseHomepage();
   // Help > Online: the host's address of the command's home-page link to the browser.
   void HomePageLinkCommand(CommandId id);
   void OnQuenServerCommand(CommandId id, _bstr_t &path, CommandSource source);
   // Zephro servers: the connection through the server manager, which calls back
   // OnZephroServerConnected; the close of a server's tab and its connection.
   void OpenZephroServer(_bstr_t address, int port, bool flag, OpenFlags flags,
                         sigc::slot<void, bool, cui::Error> completion, sigc::slot<void> finished);
   void OnZephroServerConnected(cui::ZephroServer *server, bool isNew, OpenFlags flags, sigc::slot<void> finished);
   void CloseZephroServer(cui::ZephroServer *server);
   void OnZephroCommand(CommandId id, _bstr_t &path, CommandSource source);
   void OnVMCommand(CommandId id, _bstr_t &path, CommandSource source);
   // The VM menu's remaining machine commands and their helpers (zoltAppVMMenu.cpp,
   // zoltAppMachineCmds.cpp).
   void RunVMCommand(CommandId id, _bstr_t &path, CommandSource source);
   void RunZephroCommand(CommandId id, _bstr_t &path, CommandSource source);
   void OnReplayCommand(CommandId id, cui::VM *vm);
   void DeleteVMFromDisk(cui::VM *vm);
   void CloneVMToZephro(cui::VM *vm);
   void ConvertHardware(cui::VM *vm);
   void ForkVM(cui::VM *vm);
   void OpenForks(std::vector<std::string> cfgPaths);
   void AddOpenedVMToFavorites(_bstr_t cfgPath);
   void CloseByPath(const std::string &cfgPath, cui::AbortSlot completion);
   bool LaunchNuvix(const std::string &cfgPath);
   void ShowPublishNotice();
   void ShowZephroServerDialog(cui::MVMTemplate *mvmt);
   void OnTeamCommand(CommandId id, _bstr_t &path, CommandSource source);
   void OnPowerCommand(CommandId id, wui::VM *vm);
   void OnSnapshotCommand(CommandId id, wui::VM *vm);
   // The snapshot commands of a machine that keeps a tree of snapshots.
   void OnSnapshotTreeCommand(CommandId id, wui::VM *vm, cui::SnapshotTree *tree);
   // The take-snapshot dialog for the machine at `vmPath`, once its tree is ready for a take.
   void RunTakeSnapshotDialog(const std::string &vmPath);
   // Plays the snapshot's recording, or goes to the snapshot when it has none.
   void PlayRecording(cui::VM *vm, cui::Snapshot *snapshot);
   // Offers to clone the machine into a Zephro template (a portable package needs one).
   void AskCloneToZephro(cui::VM *vm);
   cui::Dlg::RepliedAction OnCloneToZephroReplied(cui::DlgQuestion *dlg, std::string vmPath);
   // Asks the machine's console to grab the input (a request on its "mks/grabState").
   void GrabInput(cui::VM *vm);
   // VM > Capture Screen: the console to a bitmap file the user names.
   void CaptureScreen(cui::VM *vm);
   // VM > Capture Movie and its stop: action 1 stops the capture, any other value starts one.
   void CaptureMovie(cui::VM *vm, int action);
   // VM > Settings: the library's settings window of the machine, unless locked out or busy.
   void EditVMSettings(cui::VM *vm);
   // Host > Settings and Edit > Preferences: settings pages in a modal property frame, saved
   // through their requests.
   void EditHostSettings();
   void EditPreferences();

   // Menu item state, asked before a menu opens. True when the item was taken out.
   bool UpdateMenuItemState(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path);
   void UpdatePopupMenu(HMENU menu, CommandSource source, const _bstr_t &path);

   // Sessions and hosts.
   bool NewSession(bool remote, const _bstr_t &dest, const _bstr_t &user, const _bstr_t &password,
                   _bstr_t *error);
   bool ConnectToHost(_bstr_t &host, _bstr_t &user, _bstr_t &password, bool atStartup);
   // One NewSession of ConnectToHost, with the frame disabled while the host answers.
   bool AttemptSession(bool remote, const _bstr_t &dest, const _bstr_t &user, const _bstr_t &password, _bstr_t *error);
   bool IsLocalHostAvailable();
   bool CloseSession(CloseSessionMode mode, const cui::AbortSlot &onAbort, const cui::DoneSlot &onDone);
   void StartWebUpdateCheck(bool interactive);
   // The update check's answers; `interactive` is bound when the check starts.
   void OnWebUpdateResult(bool available, std::string info, std::string message, std::string url, bool interactive);
   void OnWebUpdateError(bool cancelled, cui::Error error, bool interactive);
   void SetUILocale();
   void Browse(std::string url);
   void OnCtxCurrentObj();
   void OpenHomepage();
   void OnCtxDisconnect(BSTR changedPath);
   _bstr_t GetUrl(const _bstr_t &name, bool serialNumberForm);
   void OpenNetworkEditor();
   // Ending a session: the running-machines question and the steps the model library calls back.
   cui::DlgQuestion *AskCloseRunningVMs(const std::string &text);
   cui::Dlg::RepliedAction OnCloseRunningVMsReplied(cui::DlgQuestion *dlg, cui::AbortSlot onAbort,
                                                    cui::DoneSlot onDone);
   void OnCloseAllVMsAborted(bool cancelled, cui::Error error, cui::AbortSlot onAbort);
   // The end of a power-off or suspend pass: the next pass, or the failure's report.
   void OnVMsStopped(CloseSessionMode mode, cui::AbortSlot onAbort, cui::DoneSlot onDone);
   void OnStopVMsFailed(bool cancelled, cui::Error error);
   void OnAllVMsClosed(cui::DoneSlot onDone, unsigned session);

   // Completion reports: abort slots and settings-window completions.
   void OnOperationAborted(bool cancelled, cui::Error error);
   void ReportFailureWithTemplate(bool cancelled, cui::Error error, int templateId);
   void OnHostSettingsSaved(BSTR ignored, HRESULT result);
   void OnPrefsSaved(BSTR ignored, HRESULT result);
   // Watches of submitted settings and preference requests: once the owner answers, the watch is
   // removed and the outcome handed to the completion above (the owner's error text is shown).
   void OnHostSettingsRequestChanged(BSTR changedPath);
   void OnPrefsRequestChanged(BSTR changedPath);
   void ShowWebCheckDialog();

   // Opened objects (tabs): records under cui::appdata::kOpenedObj; record paths
   // are absolute, empty for none.
   _bstr_t FindOpenedObj(const _bstr_t &type, const _bstr_t &path, bool teamCurrentVM);
   _bstr_t OpenTabInt(const _bstr_t &type, const _bstr_t &path, const _bstr_t &key, bool transient, bool select,
                      bool *existed);
   bool CloseObj(const _bstr_t &type, const _bstr_t &path);
   _bstr_t NextOpenedObj(const _bstr_t &recordPath);
   _bstr_t RecycleTransientObj();
   bool IsObjOpened(const _bstr_t &type, const _bstr_t &path);
   _bstr_t OpenVMTab(cui::VM *vm, bool powerOn, bool transient, bool select);
   _bstr_t OpenTeamTab(cui::Team *team, bool powerOn, bool transient, bool select);
   _bstr_t OpenHotFixTab(cui::HotFixRequest *request, bool powerOn, bool transient, bool select);
   void OpenPoweredOnVMTab(cui::VM *vm);
   void OnNewVMCreated(cui::VM *vm, OpenFlags flags, sigc::slot<void> done);
   cui::VM *GetCurrentVM();
   bool IsCurrentVMGUIRestricted();
   // Closers of machine, team and managed-template tabs, and the check of a host's registered
   // machines (machine, team and template work).
   // Closes a machine's tab, asking first about a powered-on machine when `askIfPoweredOn`;
   // failures and a cancel go to `completion`, `finished` runs once the tab is closed.
   void CloseVMTab(const std::string &vmPath, bool askIfPoweredOn, cui::AbortSlot completion,
                   sigc::slot<void> finished = sigc::slot<void>());
   cui::Dlg::RepliedAction OnCloseVMTabReplied(cui::DlgQuestion *dlg, std::string vmPath, cui::AbortSlot completion,
                                               sigc::slot<void> finished);
   void CloseCurrentVMTab();
   // Takes a machine's tab and the tab's connections away; the machine stays open.
   bool DropVMTab(const std::string &vmPath);
   // Teams (zoltAppTeam): the open's completion, the console view of a running team, the tab's
   // close (with the team manager's too when `closeInMgr`), the close with its questions and the
   // answer to them, the deleted team's favourite.
   void OnTeamOpened(cui::Team *team, bool opened, std::string path, OpenFlags flags, sigc::slot<void> finished);
   void SwitchTeamToConsole(cui::Team *team);
   void CloseTeamTab(cui::Team *team, bool closeInMgr);
   void CheckAndCloseTeam(wui::Team *team, bool askIfPoweredOn, cui::AbortSlot completion, sigc::slot<void> closed);
   cui::Dlg::RepliedAction OnCloseTeamTabReplied(std::string teamFile, cui::DlgQuestion *dlg,
                                                 cui::AbortSlot completion, sigc::slot<void> closed);
   void OnTeamDeleted(std::string path);
   // Team > Remove (zoltAppTeamMenu): a member machine, which then opens on its own, or a LAN (by
   // its network id or its name).
   void RemoveVMFromTeam(cui::Team *team, cui::VM *vm);
   void OnVMRemovedFromTeam(std::string cfgPath);
   void RemoveTeamNet(cui::Team *team, const std::string &net);
   // Team > Add (zoltAppTeamEdit): a new machine, an existing one or a new clone, each opened and
   // then added by a one-shot edit; a LAN from the LAN dialog.
   void AddNewVMToTeam(cui::Team *team);
   void AddExistingVMToTeam(cui::Team *team);
   void AddCloneToTeam(cui::Team *team);
   void AddTeamLAN(cui::Team *team);
   void AddVMPathToTeam(cui::Team *team, const std::string &cfgPath);
   void OnVMOpenedForTeam(cui::VM *vm, cui::Team *team);
   void AddNetToTeam(cui::Team *team, const std::string &name, long bandwidth, long loss);
   // Team > Settings and the team page's edit button: the editable is loaded, shown in the
   // property frame and saved after OK; then the members are brought into line and the machines
   // the edit added are opened.
   void EditTeam(cui::Team *team);
   void EditTeamSettings(std::shared_ptr<TeamSettingsEdit> edit, cui::TeamEditable *loaded);
   void OnTeamSettingsSaved(std::shared_ptr<TeamSettingsEdit> edit);
   void OnTeamSettingsFailed(std::shared_ptr<TeamSettingsEdit> edit, bool cancelled, cui::Error error);
   void AfterTeamEdit(std::shared_ptr<TeamSettingsEdit> edit);
   void OpenNewTeamMembers(cui::Team *team, const std::vector<std::string> &before);
   // A changed team's members: out of the favourites, without tabs of their own, the current
   // machine kept (or the first by name).
   void UpdateTeamMembers(cui::Team *team);
   void OnTeamMemberAdded(cui::Team *team, cui::VM *vm);
   // The new-team wizard's finish: the save of the team it built (owned by the save from then
   // on), then the team's tab and favourite, or the failure's report.
   void OnTeamWizardDone(wui::wizard::TeamWizard *wizard);
   void OnNewTeamSaved(std::shared_ptr<NewTeamSave> save);
   void OnNewTeamSaveFailed(bool cancelled, cui::Error error, std::shared_ptr<NewTeamSave> save);
   void CloseMVMT(const _bstr_t &path, cui::AbortSlot onAbort, cui::DoneSlot onDone);
   void OnRegisteredVMsChanged();

   // Saved tabs: written when a session ends, reopened when the next one starts.
   void SaveOpenedObjs();
   void LoadOpenedObjs();
   void OnRestoredObjOpened();
   void OnRestoredObjFailed(bool cancelled, cui::Error error);
   void FinishRestore();

   // Openers.
   bool OpenVM(_bstr_t path, OpenFlags flags, sigc::slot<void, bool, cui::Error> onError, sigc::slot<void> onOpened);
   void OpenTeam(_bstr_t path, OpenFlags flags, sigc::slot<void, bool, cui::Error> onError, sigc::slot<void> onOpened);
   void OpenMVMT(_bstr_t path, OpenFlags flags, sigc::slot<void, bool, cui::Error> onError, sigc::slot<void> onOpened);
   bool OpenByExtension(_bstr_t &path, OpenFlags flags, sigc::slot<void> finished);
   void OpenHotFixFile(const std::string &path, int openFlag, sigc::slot<void, bool, cui::Error> done,
                       sigc::slot<void> opened);
   void OnOpenedFromOptions(PendingOpen pending);
   // The command line's opens (zoltCommandLineOpens): one file of it, its failure to `failed` and
   // its success to `opened` (`failed` empty: each kind reports its own failure); the opener by
   // extension with one slot for every failure; whether the limit of opened objects leaves room
   // to open the machine `cfgPath` (one that has its tab or is being opened needs none).
   void OpenCommandLineFile(const std::string &file, const CommandLineOptions &options, bool applyStartOptions,
                            cui::AbortSlot failed, sigc::slot<void> opened);
   bool OpenByExtension(_bstr_t &path, OpenFlags flags, sigc::slot<void> finished, cui::AbortSlot failed);
   bool HasRoomToOpenVM(const std::string &cfgPath);
   // Machines: the open's completion, the error report of a failed open, File > Open of a
   // machine, signals of opened machines, the power commands' helpers.
   void CheckOpenedVM(OpenFlags flags, sigc::slot<void, bool, cui::Error> onError, sigc::slot<void> onOpened,
                      std::string cfgPath);
   void OnVMOpened(cui::VM *vm, bool opened, OpenFlags flags, sigc::slot<void> onOpened);
   void ReportOpenVMError(std::string path, bool cancelled, cui::Error error);
   void OpenVMDialog();
   void OnFileOpen();
   void OnVMFullScreenAtPowerOn(cui::VM *vm);
   void OnVMExitAtPowerOff(cui::VM *vm);
   cui::MVMTemplate *GetMVMTForVM(cui::VM *vm);
   void PowerOnOpenedVM(_bstr_t cfgPath);
   // The new machine, opened in a tab; the new Zephro machine template.
   void NewVMAndOpen();
   void OnNewVMOpened(_bstr_t &cfgFile, _bstr_t userName, _bstr_t password);
   void RunHostVMCommand();
   void OnTemplateWizardSwitch(bool on);
   // Neighbours the machine commands call: full screen, a machine's user account, the
   // favourites list, the transient tab, a team's machine, the importer.
   void FullScreen();
   void SetVMUser(cui::VM *vm, const _bstr_t &userName, const _bstr_t &password);
   void AddVMToFavorites(cui::VM *vm);
   // The favourites list "/user/vmlistState/": the present item of a file (empty when none), the
   // adds (nothing for a listed file), the remove (asked first unless confirmed), the next free id.
   void FindCfgPathInFavorites(_bstr_t &itemPath, const _bstr_t &cfgPath);
   bool IsVMInFavorites(cui::VM *vm);
   bool IsTeamInFavorites(cui::Team *team);
   bool IsMVMTInFavorites(cui::MVMTemplate *mvmt);
   void AddVmListItem(cui::VM *vm);
   void AddTeamToVMList(cui::Team *team);
   void AddMVMTToVMList(cui::MVMTemplate *mvmt);
   void RemoveFromVMList(_bstr_t &cfgPath, bool confirmed);
   int NewFavoriteId();
   void ClearTransientObjIfSame(const std::string &path);
   void CloneToZephroMaster(cui::VM *vm, HWND owner, bool open, bool edit, bool withSignals);
   void RegisterVM(_bstr_t cfgPath, cui::AbortSlot onAbort, cui::DoneSlot onDone);
   // VM > Remove: the host drops the machine, then its tab closes.
   void RemoveVM(cui::VM *vm, cui::AbortSlot completion, sigc::slot<void> finished);
   void CloseHotFixRequest(const std::string &path, bool force);

   // Modal state for the current object: up (true) or gone (false). BeginModal says up now and
   // makes `restore` say gone later, for the same context and object.
   void SetModalState(bool modal);
   void BeginModal(sigc::slot_base &restore);
   std::string GetCurrentObjPath() const;
   // A message box owned by the frame (when it has a window), captioned with the window title.
   int MessageBox(const char *text, UINT flags);
   int MessageBoxRes(UINT stringId, UINT flags);
   void OnCaptureMovieDone(bool cancelled, cui::Error error);

   // The callbacks handed to the model library.
   int NewVM(_bstr_t &cfgFile, _bstr_t &userName, _bstr_t &password, bool option);
   _bstr_t CloneVM(cui::VM *vm, cui::SnapshotTree *tree, int snapshotUid, HWND parent, bool open,
                   bool makeCurrent, bool addToFavorites);

   CZOLTFrame *GetFrame() const { return frame_.get(); }
   HWND GetFrameWindow() const;
   IVmdbContextPtr GetContext() const { return ctx_; }
   IVmdbDatabasePtr GetDatabase() const { return db_; }
   const vmdb::Ctx &GetModelCtx() const { return modelCtx_; }
   ::DlgMgr *GetDlgMgr() const { return owned_ ? owned_->dlgMgr.get() : nullptr; }
   const std::string &GetWindowTitle() const { return windowTitle_; }
   IVMMsgPtr GetVMMsg() const { return msg_; }
   IVMClientPtr GetClient() const { return client_; }
   const CommandLineOptions &GetOptions() const { return options_; }
   // The application's title for the edition it runs as.
   static std::string GetAppTitle();

   CZOLTApp(const CZOLTApp &) = delete;
   CZOLTApp &operator=(const CZOLTApp &) = delete;

private:
   void ConnectDatabase();
   void InitMachineClient();
   void ConnectAutomation();
   void CreatePreferences();
   void WriteHostLinks();
   void SetUIModeFromPrefs();
   void CreateManagers();
   void RegisterCallbacks();
   void LoadNetworkEditor();
   void RunMainLoop();
   void MakeFrameDialogOwner();
   void OpenSession();
   void RouteToHandler(CommandId id, _bstr_t &path, CommandSource source, wui::VM *vm);
   std::string GetHostPath();

   // Menu item state: one rule per menu, each true when the item is to be taken out.
   bool UpdateFileMenuItem(HMENU menu, CommandId id);
   bool UpdateEditMenuItem(HMENU menu, CommandId id);
   bool UpdateViewMenuItem(HMENU menu, CommandId id);
   bool UpdateHostMenuItem(HMENU menu, CommandId id);
   bool UpdateHelpMenuItem(HMENU menu, CommandId id);
   bool UpdatePowerMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path);
   bool UpdateSnapshotMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path);
   bool UpdateVMMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path);
   bool UpdateTeamMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path);
   bool UpdateTeamPowerMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path);
   bool UpdateTeamAddMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path);
   bool UpdateZephroMenuItem(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path);
   bool UpdateServerMenuItem(HMENU menu, CommandId id, const _bstr_t &path);
   bool UpdateHotFixMenuItem(HMENU menu, CommandId id, const _bstr_t &path);
   bool UpdateWindowsMenuItem(HMENU menu, CommandId id);
   void SetFavoritesMenuText(HMENU menu, CommandId id, bool add);
   void ApplyRestrictedState(HMENU menu, CommandId id, bool enabled, bool checked);
   bool IsEditClipboardCommandEnabled(CommandId id);
   // Inputs several rules share.
   bool IsHostUsable();
   // Favourites: the lookup by file, one item written and submitted, its presence request.
   typedef std::vector<std::pair<const char *, _variant_t>> FavoriteFields;
   bool IsInFavorites(const std::string &cfgPath);
   void AddFavoriteItem(const std::string &type, const std::string &cfgPath, const FavoriteFields &fields);
   void SubmitFavoritePresence(const std::string &element, bool present, int resends);
   void RemoveFromVMListConfirmed(std::string cfgPath);
   cui::Team *FindMenuTeam(CommandSource source, const _bstr_t &path);

   // The model library's objects this application makes, each registered where the library finds
   // it. Members go in reverse order of declaration: the managers first, the navigation bar last.
   struct Owned {
      Owned();
      // The library's own dialog manager goes first, before any member.
      ~Owned();

      Registered<wui::Navbar, &wui::GetNavbar, &wui::SetNavbar> navbar;
      Registered<vmdbLayout::rpc::Mgr, &cui::GetRpcMgr, &cui::SetRpcMgr> rpcMgr;
      std::unique_ptr<cui::ZephroServerMgrImpl> zephroServerMgr;
      std::unique_ptr<cui::USBHistoryImpl> usbHistory;
      Registered<::DlgMgr, &cui::GetDlgMgr, &cui::SetDlgMgr> dlgMgr;
      // The current host this application installed (replaced with each session).
      Registered<cui::Host, &wui::GetCurrentHost, &wui::SetCurrentHost> sessionHost;
      // The one local host of the run.
      Registered<cui::LocalHost, &cui::GetClientHost, &cui::SetClientHost> clientHost;
      Registered<wui::Prefs, &cui::GetPrefs, &cui::SetPrefs> prefs;
      Registered<cui::HotFixMgr, &cui::GetHotFixMgr, &cui::SetHotFixMgr> hotFixMgr;
      Registered<wui::VMMgr, &cui::GetVMMgr, &cui::SetVMMgr> vmMgr;
      Registered<cui::MVMTMgrImpl, &cui::GetMVMTMgr, &cui::SetMVMTMgr> mvmtMgr;
      Registered<wui::TeamMgr, &cui::GetTeamMgr, &cui::SetTeamMgr> teamMgr;
   };

   std::unique_ptr<CZOLTFrame> frame_;
   // Made first, deleted in the destructor before the automation connection, the event source
   // and the frame object go.
   std::unique_ptr<Owned> owned_;
   IVmdbDatabasePtr db_;
   IVMMsgPtr msg_;
   IVmdbUtilPtr util_;
   std::string windowTitle_;
   IVMClientPtr client_;
   const std::string prefsRoot_;
   IVmdbContextPtr ctx_;
   vmdb::Ctx modelCtx_;
   ITremappPollPtr poll_;
   CommandLineOptions options_;
   std::string uiLocale_;
   IVMListPtr vmList_;
   int automationHandle_ = kNoAutomationHandle;
   HMODULE netEditor_ = nullptr;
   FARPROC showNetPropertyPages_ = nullptr;
   std::map<std::string, ConnectionMapEntry> openedObjConnections_;
   std::map<std::string, ConnectionMapEntry> vmConnections_;
   std::map<std::string, ConnectionMapEntry> exitConnections_;
   sigc::connection currentObjConnection_;
   // While a team is the current object, the connected-users window follows its current machine.
   sigc::connection cnxTeamConnection_;
   // One connection per open team: its going-away signal closes its tab.
   std::map<cui::Team *, sigc::connection> teamConnections_;
   wui::p2v::Converter converter_;
   std::string openPath_;
   // The machine files (FileKey) whose opens the manager has not answered yet, each once.
   std::vector<std::wstring> opensUnderWay_;
   // The signals a template-mode new-machine wizard is handed, and this run's connection.
   sigc::signal<void, bool> templateWizardSwitch_;
   sigc::signal<void, bool> templateWizardRunning_;
   sigc::connection templateWizardConnection_;
   bool idleWorkLeft_ = true;
   // A machine named on the command line needs the machine page next: the first moment without
   // messages makes it, whatever the poll loop waits for.
   bool pageFirst_ = false;
   HACCEL accelNormal_ = nullptr;
   HACCEL accelFullScreen_ = nullptr;
   HWND cmdbarWnd_ = nullptr;

   // Sessions: the connection of the session host's change signal, and a number that grows with
   // each session opened, so the late end of an old session cannot mark a newer one inactive.
   sigc::connection hostChangedConnection_;
   unsigned sessionNumber_ = 0;
   // The running-machines question of the session end while it is up; the closing steps of a
   // session end are running.
   cui::DlgQuestion *closeQuestion_ = nullptr;
   bool endingSession_ = false;
   // The session end is powering off or suspending the running machines before it goes on.
   bool stoppingVMs_ = false;
   // Name counter of opened-object records ("openedObj/#%04x/"); the home record is #0000.
   unsigned openedObjCounter_ = 1;
   // Restoring saved tabs: opens started and opens that answered well; the loop is running;
   // the restore has finished; what was current when the tabs were saved.
   int restoreExpected_ = 0;
   int restoreAnswered_ = 0;
   bool restoreLooping_ = false;
   bool restoreFinished_ = true;
   std::string savedCurrentType_;
   std::string savedCurrentKey_;
   bool webCheckDialogOpen_ = false;
   // An update check is under way (until its answer has been shown), and the user asked for one
   // meanwhile.
   bool webUpdateUnderWay_ = false;
   bool webUpdateAskedMeanwhile_ = false;
   // The command line's own objects are opened by the first session only.
   bool startupObjectsOpened_ = false;
};

extern CZOLTApp *gApp;

// What the error boxes show: the text, or resource string `resId` with the detail and the text
// inserted (the text first when there is no detail); a COM error's description with its code.
std::string ErrorBoxText(const std::string &text, int resId, const std::string &detail);
std::string ComErrorText(HRESULT code, const std::string &description);
// The error box: `text`, or resource string `resId` (-1: none) with the detail and the text
// inserted; logged as a warning and shown modal to the active window.
void ReportError(const _bstr_t &text, int resId, const _bstr_t &detail);
// Completions of the team commands: a failure's text with resource string 41881, or as it is.
void ReportTeamError(bool cancelled, cui::Error error);
void ReportTeamErrorPlain(bool cancelled, cui::Error error);
// The error box for a failed COM call.
void ReportComError(const _com_error &error, int resId, const _bstr_t &detail);
// The error box for a failed database command, with the command's own error text.
void ReportCommandError(const _bstr_t &cmdPath, int resId, const _bstr_t &detail);
// Completion of opening a file from the favourites list: an unknown format is reported.
void OnOpenFileDone(bool cancelled, cui::Error error, const std::string &path);
// The link a Help > Online command opens: its name among the host's help links, and whether
// the address of the serial-number form is wanted.
struct HomePageLink {
   const char *name;
   bool serialNumberForm;
};
HomePageLink HomePageLinkFor(CommandId id);
// True when the machine may be powered on now: not already on and not being powered on. A
// missing machine does not stand in the way.
bool IsPowerOnAllowed(cui::VM *vm);

// The one application object: connects to the state database, declares the application's
// subtree, creates and registers the model library's managers, runs the main loop and exits.
#pragma once

#include "CommandLineOptions.h"
#include "zoltCommandId.h"
#include "zoltCtxEvents.h"

#include "cui/Converter.h"
#include "cui/Error.h"
#include "cui/VmdbCtx.h"
#include "vmdb/ClientInterfaces.h"
#include "vmdb/VmdbInterfaces.h"

#include <windows.h>
#include <comdef.h>

#include <map>
#include <memory>
#include <string>

#include <sigc++/sigc++.h>

class CZOLTFrame;
class DlgMgr;

namespace cui {
class HotFixMgr;
class LocalHost;
class MVMTMgrImpl;
class SnapshotTree;
class USBHistoryImpl;
class VM;
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
}  // namespace wui

// An entry of the per-object connection maps.
struct ConnectionMapEntry {
   std::string path;
   sigc::connection connection;
};

class CZOLTApp : public CCtxEvents<CZOLTApp, 1>, public sigc::trackable {
public:
   // Close modes of CloseSession.
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

   // Menu item state, asked before a menu opens. True when the item was taken out.
   bool UpdateMenuItemState(HMENU menu, CommandId id, CommandSource source, const _bstr_t &path);
   void UpdatePopupMenu(HMENU menu, CommandSource source, const _bstr_t &path);

   // Sessions and hosts.
   bool NewSession(bool remote, const _bstr_t &dest, const _bstr_t &user, const _bstr_t &password,
                   _bstr_t *error);
   bool ConnectToHost(_bstr_t &host, _bstr_t &user, _bstr_t &password, bool atStartup);
   bool CloseSession(int mode, const cui::AbortSlot &onAbort, const cui::DoneSlot &onDone);
   void StartWebUpdateCheck(bool interactive);
   void SetUILocale();
   void Browse(std::string url);
   void OnCtxCurrentObj();
   void OnOperationAborted(bool cancelled, cui::Error error);

   // Openers.
   bool OpenVM(_bstr_t path, bool powerOn, bool second, bool newTab, bool openTab, bool makeCurrent,
               sigc::slot<void, bool, cui::Error> onError, sigc::slot<void> onOpened);
   bool OpenByExtension(_bstr_t &path, bool powerOn, bool newTab, bool openTab, sigc::slot<void> finished);
   void OpenHotFixFile(const std::string &path, int openFlag, sigc::slot<void, bool, cui::Error> done,
                       sigc::slot<void> opened);
   void OnOpenedFromOptions(PendingOpen pending);
   void RegisterVM(_bstr_t cfgPath, cui::AbortSlot onAbort, cui::DoneSlot onDone);
   void CloseHotFixRequest(const std::string &path, bool force);
   void OnPowerCommand(int commandId, cui::VM *vm);

   // Modal state for the current object: up (true) or gone (false). BeginModal says up now and
   // makes `restore` say gone later, for the same context and object.
   void SetModalState(bool modal);
   void BeginModal(sigc::slot_base &restore);
   std::string GetCurrentObjPath() const;
   // MessageBoxA owned by the frame (when it has a window), captioned with the window title.
   int MessageBox(const char *text, UINT flags);
   int MessageBoxRes(UINT stringId, UINT flags);
   void OnCaptureMovieDone(bool cancelled, cui::Error error);

   // The callbacks handed to the model library.
   int NewVM(_bstr_t &cfgFile, _bstr_t &userName, _bstr_t &password, bool option);
   _bstr_t CloneVM(cui::VM *vm, cui::SnapshotTree *tree, int snapshotUid, HWND parent, bool open,
                   bool makeCurrent, bool addToFavorites);

   CZOLTFrame *GetFrame() const { return frame_; }
   HWND GetFrameWindow() const;
   IVmdbContextPtr GetContext() const { return ctx_; }
   const vmdb::Ctx &GetModelCtx() const { return modelCtx_; }
   ::DlgMgr *GetDlgMgr() const { return dlgMgr_; }
   const std::string &GetWindowTitle() const { return windowTitle_; }
   IVMMsgPtr GetVMMsg() const { return msg_; }
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
   std::string GetHostPath();

   CZOLTFrame *frame_ = nullptr;
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
   vmdbLayout::rpc::Mgr *rpcMgr_ = nullptr;
   wui::VMMgr *vmMgr_ = nullptr;
   wui::TeamMgr *teamMgr_ = nullptr;
   cui::HotFixMgr *hotFixMgr_ = nullptr;
   cui::MVMTMgrImpl *mvmtMgr_ = nullptr;
   cui::USBHistoryImpl *usbHistory_ = nullptr;
   cui::ZephroServerMgrImpl *zephroServerMgr_ = nullptr;
   ::DlgMgr *dlgMgr_ = nullptr;
   wui::Navbar *navbar_ = nullptr;
   HMODULE netEditor_ = nullptr;
   FARPROC showNetPropertyPages_ = nullptr;
   std::map<std::string, ConnectionMapEntry> openedObjConnections_;
   std::map<std::string, ConnectionMapEntry> vmConnections_;
   sigc::connection currentObjConnection_;
   wui::p2v::Converter converter_;
   std::string openPath_;
   HACCEL accelNormal_ = nullptr;
   HACCEL accelFullScreen_ = nullptr;
   HWND cmdbarWnd_ = nullptr;
};

extern CZOLTApp *gApp;

// What the error boxes show: the text, or resource string `resId` with the detail and the text
// inserted (the text first when there is no detail); a COM error's description with its code.
std::string ErrorBoxText(const std::string &text, int resId, const std::string &detail);
std::string ComErrorText(HRESULT code, const std::string &description);
// The error box: `text`, or resource string `resId` (-1: none) with the detail and the text
// inserted; logged as a warning and shown modal to the active window.
void ReportError(const _bstr_t &text, int resId, const _bstr_t &detail);
// The error box for a failed COM call.
void ReportComError(const _com_error &error, int resId, const _bstr_t &detail);
// The error box for a failed database command, with the command's own error text.
void ReportCommandError(const _bstr_t &cmdPath, int resId, const _bstr_t &detail);
// Completion of opening a file from the favourites list: an unknown format is reported.
void OnOpenFileDone(bool cancelled, cui::Error error, const std::string &path);

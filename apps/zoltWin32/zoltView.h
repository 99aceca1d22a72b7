// The tabbed view: the right-hand part of the frame. It holds the tab strip of the opened objects,
// the console of the current machine, the status pane with the summary pages and the appliance
// view, and shows exactly one of the last three, as the current record's "viewType" says. It moves
// a tab to its console when the tab's machine or team powers on and back to the summary when it
// stops, and turns the controls' events into commands and into the frame's private messages
// (zoltWindowMessages.h).
#pragma once

#include "atl/Atl.h"
#include "tremappsdk/TremAppSdk.h"
#include "zoltCommandId.h"
#include "zoltCtxEvents.h"
#include "zoltGuard.h"
#include "zoltStatusPane.h"

#include "resource.h"

#include "vmdb/VmdbInterfaces.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cui {
class Team;
class VM;
}  // namespace cui
namespace wui {
namespace view {
class ApplianceView;
}
}  // namespace wui

namespace zoltview {

// Which of the three children a view type shows; an unknown type shows none.
struct ShownChildren {
   bool summary = false;
   bool appliance = false;
   bool console = false;
};
ShownChildren ChildrenForViewType(const std::string &viewType);

// The context menu of a tab kind (a menu resource id), 0 for kinds without one.
unsigned ContextMenuOfTabKind(long tabKind);

// Where the tab strip and the console area go in the view's client area.
struct ViewLayout {
   bool showTabs = false;
   RECT tabs = {};
   RECT console = {};
};
ViewLayout ComputeViewLayout(const RECT &client, bool tabShow, bool fullScreen);
constexpr int kTabStripHeight = 24;

// A team's console keeps the space the console reserves at its right and bottom.
RECT AdjustForTeam(RECT rect, bool isTeam, long reservedWidth, long reservedHeight);

// Whether a team's record goes to its console after a power-state signal: a changed team state
// is stored and goes there when it is powered on; an unchanged one only keeps a powered-on team
// that already shows its console.
bool TeamGoesToConsole(int teamState, int &lastTeamState, const std::string &recordViewType);

// One opened-object record as the view reads it.
struct OpenedObjRecord {
   std::string recordPath;
   std::string type;
   std::string path;
};
// The first record (in the given order) that shows the machine at `vmPath`: a "vm" record with
// that path, a "team" record whose team holds it, a "mvmt" record whose template's machine it
// is. The two questions are asked of the model; -1 when no record matches.
int FindRecordOfMachine(const std::vector<OpenedObjRecord> &records, const std::string &vmPath,
                        const std::function<bool(const std::string &teamPath)> &teamHoldsMachine,
                        const std::function<std::string(const std::string &mvmtPath)> &templateMachine);

}  // namespace zoltview

class CZOLTView : public CWindowImpl<CZOLTView>,
                  public CCtxEvents<CZOLTView, 0>,
                  public CTremappsdk_IDispEventImpl<1, CZOLTView, &DIID__IVMSwitchCtlEvents>,
                  public CTremappsdk_IDispEventImpl<2, CZOLTView, &DIID__IMksCtlEvents>,
                  public sigc::trackable {
public:
   typedef CTremappsdk_IDispEventImpl<1, CZOLTView, &DIID__IVMSwitchCtlEvents> SwitchSink;
   typedef CTremappsdk_IDispEventImpl<2, CZOLTView, &DIID__IMksCtlEvents> MksSink;

   static constexpr DWORD kChildStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
   static constexpr UINT kCloseTabCommand = IDM_FILE_CLOSE;

   DECLARE_WND_CLASS_EX("ZOLTView", CS_DBLCLKS, -1)

   CZOLTView();
   ~CZOLTView() override;

   // The console's input grab (true: taken by the guest); the frame follows it.
   sigc::signal<void, bool> consoleSignal;

   BEGIN_MSG_MAP(CZOLTView)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
   END_MSG_MAP()

   BEGIN_SINK_MAP(CZOLTView)
      SINK_ENTRY_EX(1, DIID__IVMSwitchCtlEvents, tremappsdk::kSwitchTabCommand, OnTabCommand)
      SINK_ENTRY_EX(1, DIID__IVMSwitchCtlEvents, tremappsdk::kSwitchContextMenu, OnContextMenu)
      SINK_ENTRY_EX(2, DIID__IMksCtlEvents, tremappsdk::kMksRelayout, OnConsoleRelayout)
      SINK_ENTRY_EX(2, DIID__IMksCtlEvents, tremappsdk::kMksMessage, OnConsoleMessage)
      SINK_ENTRY_EX(2, DIID__IMksCtlEvents, tremappsdk::kMksContextMenu, OnContextMenu)
      SINK_ENTRY_EX(2, DIID__IMksCtlEvents, tremappsdk::kMksBeginResize, OnConsoleBeginResize)
      SINK_ENTRY_EX(2, DIID__IMksCtlEvents, tremappsdk::kMksEndResize, OnConsoleEndResize)
      SINK_ENTRY_EX(2, DIID__IMksCtlEvents, tremappsdk::kMksGrab, OnConsoleGrab)
   END_SINK_MAP()

   void SetConsoleVisible(bool visible);
   bool GetConsoleVisible() const { return consoleVisible_ != 0; }
   void GetConsoleScreenRect(RECT *rect);
   void GetConsoleClientRect(RECT *rect);
   void CallConsoleCtl();
   void RecalcLayout();
   void UpdateView();
   void OnPowerStateChanged(cui::VM *vm);
   void OnTeamChanged(cui::Team *team);
   void OnCurrentObjChanged();
   void BuildContextMenu(long x, long y, const _bstr_t &path, long tabKind);

   // The children, for the frame and for tests.
   HWND GetConsoleHost() const { return consoleHost_; }
   HWND GetSwitchHost() const { return switchHost_; }
   HWND GetApplianceWindow() const;
   CZOLTStatusPane &GetStatusPane() { return statusPane_; }
   const _bstr_t &GetCurrentRecord() const { return currentRecord_; }

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnEraseBkgnd(UINT, WPARAM wParam, LPARAM, BOOL &);

   void __stdcall OnTabCommand(BSTR path, long command);
   void __stdcall OnContextMenu(long x, long y, BSTR path, long tabKind);
   void __stdcall OnConsoleRelayout();
   void __stdcall OnConsoleMessage(BSTR text, BSTR buttonSet, BSTR kind, long defaultAnswer, long reserved1,
                                   long reserved2, long reserved3, long *answer);
   void __stdcall OnConsoleBeginResize();
   void __stdcall OnConsoleEndResize();
   void __stdcall OnConsoleGrab(short grabbed);

   // Model signals reach the view through the guard: nothing they throw goes back into the model.
   template <class T, void (CZOLTView::*F)(T *)>
   void GuardedCall(T *object)
   {
      Guard(sigc::bind(sigc::mem_fun(*this, F), object));
   }

   IVmdbContextPtr NewContext() const;
   HWND CreateControlHost(const wchar_t *progId);
   void CreateConsole();
   void CreateTabStrip();
   void ConnectModelSignals();
   void FollowMachine(cui::VM *vm);
   void FollowTeam(cui::Team *team);
   void OnViewTypeWatch(BSTR changed);
   void OnLayoutPrefWatch(BSTR changed);
   void ConnectConsole(const std::string &vmPath);
   void ShowChild(HWND child, bool show);
   std::vector<zoltview::OpenedObjRecord> ReadOpenedRecords();
   void AdjustConsoleRect(RECT &rect);
   IMksCtlPtr GetConsole() const;

   BYTE consoleVisible_ = 1;
   RECT consoleRect_ = {};
   HWND consoleHost_ = nullptr;
   std::unique_ptr<wui::view::ApplianceView> appliance_;
   CZOLTStatusPane statusPane_;
   HWND switchHost_ = nullptr;
   IVmdbContextPtr ctx_;
   _bstr_t currentRecord_;
   int lastTeamPowerState_ = 1;
   std::string layoutWatchRoot_;
};

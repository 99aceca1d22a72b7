// The side bar at the frame's left edge (class "ZOLTNavbar"): a vertical rebar with one band that
// holds the favourites list or the current host's registered machines, a close button, and a
// sizing edge at its right. It hands the lists' open and context-menu events to the application.
#pragma once

#include "atl/Atl.h"

#include "zoltCommandId.h"
#include "zoltCtxEvents.h"

#include "resource.h"

#include "tremappsdk/TremAppSdk.h"

#include <windows.h>
#include <comdef.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cui {
class Team;
}

namespace navbar {

constexpr int kMinWidth = 100;
constexpr int kSizingEdge = 4;

// True when the side bar shows the favourites (UI mode 0 or the Zephro extension), false for the
// host's registered machines.
bool ShowsFavorites(int uiMode, bool hasZephroExtension);
// The context menu resource of a list's object kind; 0 for a kind without one.
UINT MenuOfKind(long kind);
// Where a chosen context-menu id goes.
enum Route { ROUTE_RENAME, ROUTE_NEW_FOLDER, ROUTE_OPEN_SELECTION, ROUTE_APP };
Route RouteOfCommand(UINT id, bool favorites);
// The width the side bar takes while its edge is dragged from `startWidth` by `dx` pixels.
int DraggedWidth(int startWidth, int dx, int maxWidth);

}  // namespace navbar

class CZOLTNavbar : public CWindowImpl<CZOLTNavbar>,
                    public CTremappsdk_IDispEventImpl<1, CZOLTNavbar, &DIID__IVMListCtlEvents>,
                    public CTremappsdk_IDispEventImpl<2, CZOLTNavbar, &DIID__IRegVmsCtlEvents>,
                    public CCtxEvents<CZOLTNavbar, 0>,
                    public sigc::trackable {
public:
   DECLARE_WND_CLASS_EX("ZOLTNavbar", 0, COLOR_BTNFACE)

   typedef CTremappsdk_IDispEventImpl<1, CZOLTNavbar, &DIID__IVMListCtlEvents> FavoritesSink;
   typedef CTremappsdk_IDispEventImpl<2, CZOLTNavbar, &DIID__IRegVmsCtlEvents> RegVmsSink;
   static constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

   CZOLTNavbar();
   ~CZOLTNavbar() override;

   BEGIN_MSG_MAP(CZOLTNavbar)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_ENTERSIZEMOVE, OnEnterSizeMove)
      MESSAGE_HANDLER(WM_EXITSIZEMOVE, OnExitSizeMove)
      COMMAND_HANDLER(IDC_NAVBAR_CLOSE, 0, OnClose)
      MESSAGE_HANDLER(WM_SETCURSOR, OnSetCursor)
      MESSAGE_HANDLER(WM_NCHITTEST, OnNcHitTest)
      MESSAGE_HANDLER(WM_GETMINMAXINFO, OnGetMinMaxInfo)
      MESSAGE_HANDLER(WM_NCLBUTTONDOWN, OnNcLButtonDown)
      MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
      MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
      MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
   ALT_MSG_MAP(1)
      COMMAND_ID_HANDLER(IDC_NAVBAR_CLOSE, OnClose)
   END_MSG_MAP()

   BEGIN_SINK_MAP(CZOLTNavbar)
      SINK_ENTRY_EX(1, DIID__IVMListCtlEvents, tremappsdk::kVMListOpen, OnFavoritesOpen)
      SINK_ENTRY_EX(1, DIID__IVMListCtlEvents, tremappsdk::kVMListContextMenu, OnContextMenuEvent)
      SINK_ENTRY_EX(2, DIID__IRegVmsCtlEvents, tremappsdk::kRegVmsOpenVM, OnRegVmsOpenVM)
      SINK_ENTRY_EX(2, DIID__IRegVmsCtlEvents, tremappsdk::kRegVmsOpen, OnFavoritesOpen)
      SINK_ENTRY_EX(2, DIID__IRegVmsCtlEvents, tremappsdk::kRegVmsContextMenu, OnContextMenuEvent)
   END_SINK_MAP()

   // Control events.
   void __stdcall OnFavoritesOpen(BSTR objectPath);
   void __stdcall OnRegVmsOpenVM(BSTR vmPath, VARIANT_BOOL keep, long *refused);
   void __stdcall OnContextMenuEvent(long x, long y, BSTR objectPath, long kind);

   // The context menu of a list object; the chosen id is routed as RouteOfCommand says.
   void ShowContextMenu(long x, long y, const _bstr_t &path, long kind);
   void RouteMenuCommand(UINT id, const _bstr_t &path, long kind);

   // Database watches.
   void OnDestinationChanged(BSTR changed);
   void OnHostChanged(BSTR changed);
   void OnRegisteredVMsChanged(BSTR changed);

   bool ShowsFavorites() const { return favorites_; }
   bool IsUserSizing() const { return sizing_; }
   const std::string &GetHostPath() const { return hostPath_; }
   HWND GetListHost() const { return favorites_ ? favoritesHost_ : regVmsHost_; }
   IVMListCtlPtr GetFavoritesCtl() const;
   IRegVmsCtlPtr GetRegVmsCtl() const;

   CZOLTNavbar(const CZOLTNavbar &) = delete;
   CZOLTNavbar &operator=(const CZOLTNavbar &) = delete;

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnEnterSizeMove(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnExitSizeMove(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnClose(WORD, WORD, HWND, BOOL &);
   LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL &);
   // Draws the band's caption over what the rebar painted (see the .cpp).
   static LRESULT CALLBACK RebarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
   void PaintCaption();
   LRESULT OnNcLButtonDown(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL &);

   void CreateRebar();
   HWND CreateListHost(const char *progId);
   void CreateCloseToolbar();
   void InsertBand(HWND child);
   void InitFavorites();
   void InitRegVms();
   void ConnectModel();
   void TakeTeamVMsOutOfFavorites(cui::Team *team);
   void EndSizing();

   HWND rebar_ = nullptr;
   HWND closeToolbar_ = nullptr;
   HWND favoritesHost_ = nullptr;
   HWND regVmsHost_ = nullptr;
   IVmdbContextPtr ctx_;
   std::string hostPath_;
   std::string previousHostPath_;
   bool favorites_ = false;
   std::vector<sigc::connection> connections_;
   // The side bar's own size loop: Wine runs none for a child window's edge.
   bool sizing_ = false;
   int sizingStartX_ = 0;
   int sizingStartWidth_ = 0;
};

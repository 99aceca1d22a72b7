#include "zoltNavbar.h"

#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltResources.h"
#include "zoltWindowMessages.h"

#include "atl/Gdi.h"
#include "cui/AppDataPaths.h"
#include "cui/Navbar.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "cui/Util.h"
#include "cui/VM.h"
#include "cui/WuiPrefs.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace {

const char kFavoritesControl[] = "Tremappsdk.VMListCtl.9";
const char kRegVmsControl[] = "Tremappsdk.RegVmsCtl.9";
const char kFavoritesState[] = "/user/vmlistState/";
const char kRegisteredVMs[] = "vms/registeredvms";
constexpr DWORD kHostStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr int kCloseButtonSize = 20;
constexpr int kCloseGlyphSize = 12;

// A failed control or database call in an event handler is reported here: nothing is thrown
// back through the control that raised the event.
void ReportHandlerError(const char *where, const _com_error &e)
{
   Warning("CZOLTNavbar::%s failed: %s\n", where, zoltdb::ComText(e).c_str());
}

}  // namespace

namespace navbar {

bool ShowsFavorites(int uiMode, bool hasZephroExtension)
{
   return uiMode == cui::Prefs::UI_MODE_LOCAL || hasZephroExtension;
}

UINT MenuOfKind(long kind)
{
   switch (kind) {
   case 2:
   case 3: return IDR_MENU_TEAM;
   case 5:
   case 6:
   case 9: return IDR_MENU_VM;
   case 10:
   case 12: return IDR_MENU_MVMT;
   case 13: return IDR_MENU_SERVER;
   case 18: return IDR_MENU_FAVORITES_BACKGROUND;
   case 19: return IDR_MENU_INVENTORY_BACKGROUND;
   default: return 0;
   }
}

Route RouteOfCommand(UINT id, bool favorites)
{
   switch (id) {
   case 417:
   case 436:
   case 528: return ROUTE_RENAME;
   case 426: return favorites ? ROUTE_NEW_FOLDER : ROUTE_APP;
   case 429:
   case 430:
   case 431: return favorites ? ROUTE_OPEN_SELECTION : ROUTE_APP;
   default: return ROUTE_APP;
   }
}

int DraggedWidth(int startWidth, int dx, int maxWidth)
{
   int width = std::max(startWidth + dx, kMinWidth);
   if (maxWidth > kMinWidth) {
      width = std::min(width, maxWidth);
   }
   return width;
}

}  // namespace navbar

CZOLTNavbar::CZOLTNavbar() = default;

CZOLTNavbar::~CZOLTNavbar()
{
   if (m_hWnd) {
      DestroyWindow();
   }
}

IVMListCtlPtr CZOLTNavbar::GetFavoritesCtl() const
{
   CComPtr<IUnknown> control;
   if (!favoritesHost_ || FAILED(atl::AtlAxGetControl(favoritesHost_, &control)) || !control) {
      return IVMListCtlPtr();
   }
   return IVMListCtlPtr(control.p);
}

IRegVmsCtlPtr CZOLTNavbar::GetRegVmsCtl() const
{
   CComPtr<IUnknown> control;
   if (!regVmsHost_ || FAILED(atl::AtlAxGetControl(regVmsHost_, &control)) || !control) {
      return IRegVmsCtlPtr();
   }
   return IRegVmsCtlPtr(control.p);
}

LRESULT CZOLTNavbar::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
   atl::AtlAxWinInit();
   CreateRebar();
   if (gApp && gApp->GetDatabase()) {
      ctx_ = gApp->GetDatabase()->NewContext();
      if (cui::Prefs *prefs = cui::GetPrefs()) {
         ctx_->ChangePath(prefs->GetRequestPath().c_str());
      }
   }
   cui::Prefs *prefs = cui::GetPrefs();
   favorites_ = navbar::ShowsFavorites(prefs ? prefs->GetUIMode() : cui::Prefs::UI_MODE_LOCAL,
                                       wui::util::HasZephroExtension());
   HWND host = favorites_ ? (favoritesHost_ = CreateListHost(kFavoritesControl))
                          : (regVmsHost_ = CreateListHost(kRegVmsControl));
   CreateCloseToolbar();
   InsertBand(host);
   try {
      if (ctx_) {
         ctx_->ChangePath(cui::appdata::kRoot);
         SetEventSource(ctx_);
         if (favorites_) {
            InitFavorites();
         } else {
            InitRegVms();
         }
      }
   } catch (const _com_error &e) {
      ReportHandlerError("OnCreate", e);
   }
   ConnectModel();
   return 0;
}

void CZOLTNavbar::CreateRebar()
{
   rebar_ = CreateWindowExA(WS_EX_TOOLWINDOW, REBARCLASSNAMEA, "navigationBar",
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER | CCS_TOP |
                               CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER | CCS_VERT | RBS_VARHEIGHT |
                               RBS_AUTOSIZE | RBS_VERTICALGRIPPER,
                            0, 0, 0, 0, m_hWnd, nullptr, GetModuleHandleA(nullptr), nullptr);
   if (rebar_) {
      ::SetWindowSubclass(rebar_, &CZOLTNavbar::RebarProc, 1, reinterpret_cast<DWORD_PTR>(this));
   }
}

HWND CZOLTNavbar::CreateListHost(const char *progId)
{
   HWND host = CreateWindowExA(0, "AtlAxWin71", progId, kHostStyle, 0, 0, 0, 0, rebar_ ? rebar_ : m_hWnd,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
   if (!host) {
      Warning("CZOLTNavbar::OnCreate: no host for %s\n", progId);
   }
   return host;
}

void CZOLTNavbar::CreateCloseToolbar()
{
   TBBUTTON button = {};
   button.iBitmap = 0;
   button.idCommand = IDC_NAVBAR_CLOSE;
   button.fsState = TBSTATE_ENABLED;
   button.fsStyle = BTNS_BUTTON;
   closeToolbar_ = CreateToolbarEx(m_hWnd,
                                   WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | TBSTYLE_FLAT |
                                      TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE |
                                      CCS_NOMOVEY,
                                   1, 1, GetResourceInstance(), IDB_NAVBAR_CLOSE, &button, 1, kCloseButtonSize,
                                   kCloseButtonSize, kCloseGlyphSize, kCloseGlyphSize, sizeof(TBBUTTON));
   if (closeToolbar_) {
      ::SendMessage(closeToolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(kCloseButtonSize, kCloseButtonSize));
      // The toolbar is as large as its one button, so it covers nothing of the caption beside it.
      ::SetWindowPos(closeToolbar_, nullptr, 0, 0, kCloseButtonSize, kCloseButtonSize,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
   }
}

// Some rebars fill a vertical band's caption black; after the rebar has painted, the caption is
// drawn again here: the band's text on the face colour, across the header above the list.
LRESULT CALLBACK CZOLTNavbar::RebarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR self)
{
   if (message == WM_NCDESTROY) {
      ::RemoveWindowSubclass(window, &CZOLTNavbar::RebarProc, 1);
   }
   LRESULT result = ::DefSubclassProc(window, message, wParam, lParam);
   if (message == WM_PAINT) {
      reinterpret_cast<CZOLTNavbar *>(self)->PaintCaption();
   }
   return result;
}

void CZOLTNavbar::PaintCaption()
{
   RECT band = {};
   RECT borders = {};
   if (!::SendMessage(rebar_, RB_GETRECT, 0, reinterpret_cast<LPARAM>(&band))) {
      return;
   }
   ::SendMessage(rebar_, RB_GETBANDBORDERS, 0, reinterpret_cast<LPARAM>(&borders));
   RECT client = {};
   ::GetClientRect(rebar_, &client);
   RECT caption = {client.left, band.top, client.right, band.top + (borders.top > 0 ? borders.top : kCloseButtonSize)};
   atl::ScopedWindowDC dc(rebar_);
   ::FillRect(dc, &caption, ::GetSysColorBrush(COLOR_BTNFACE));
   const std::wstring text = WideFromUtf8(
      tremapputil::ResString(favorites_ ? IDS_NAVBAR_FAVORITES : IDS_NAVBAR_INVENTORY).Text());
   atl::ScopedSelection font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
   ::SetBkMode(dc, TRANSPARENT);
   ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
   caption.left += 4;
   ::DrawTextW(dc, text.c_str(), -1, &caption, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

void CZOLTNavbar::InsertBand(HWND child)
{
   if (!rebar_ || !child) {
      return;
   }
   const std::string text = tremapputil::ResString(favorites_ ? IDS_NAVBAR_FAVORITES : IDS_NAVBAR_INVENTORY).Text();
   std::vector<char> buffer(text.begin(), text.end());
   buffer.push_back('\0');
   REBARBANDINFOA band = {};
   band.cbSize = sizeof band;
   band.fMask = RBBIM_STYLE | RBBIM_TEXT | RBBIM_CHILD | RBBIM_CHILDSIZE;
   band.fStyle = RBBS_FIXEDSIZE | RBBS_VARIABLEHEIGHT;
   band.lpText = buffer.data();
   band.hwndChild = child;
   band.cxMinChild = 24;
   band.cyMinChild = 10000;
   band.cyIntegral = 1;
   ::SendMessage(rebar_, RB_INSERTBANDA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&band));
}

void CZOLTNavbar::InitFavorites()
{
   IVMListCtlPtr list = GetFavoritesCtl();
   if (!list) {
      _com_issue_error(E_POINTER);
   }
   list->PutContext(gApp->GetDatabase()->NewContext());
   CComPtr<IUnknown> control;
   atl::AtlAxGetControl(favoritesHost_, &control);
   FavoritesSink::DispEventAdvise(control);
   list->PutFavoritesPath(kFavoritesState);
   list->PutLinkPath(cui::appdata::kCurrentObj);
   list->PutArrayPath(cui::appdata::kOpenedObj);
   OnDestinationChanged(nullptr);
   CtxWatch(cui::appdata::kSessionDest, 0, &CZOLTNavbar::OnDestinationChanged);
}

void CZOLTNavbar::InitRegVms()
{
   IRegVmsCtlPtr list = GetRegVmsCtl();
   if (!list) {
      _com_issue_error(E_POINTER);
   }
   list->PutContext(gApp->GetDatabase()->NewContext());
   CComPtr<IUnknown> control;
   atl::AtlAxGetControl(regVmsHost_, &control);
   RegVmsSink::DispEventAdvise(control);
   list->PutSessionPath(cui::appdata::kSession);
   list->PutTransientLinkPath(cui::appdata::kTransientObj);
   list->PutLinkPath(cui::appdata::kCurrentObj);
   list->PutHostLinkPath(cui::appdata::kCurrentHost);
   OnHostChanged(nullptr);
   CtxWatch(cui::appdata::kCurrentHost, 0, &CZOLTNavbar::OnHostChanged);
}

void CZOLTNavbar::ConnectModel()
{
   if (cui::TeamMgr *teams = cui::GetTeamMgr()) {
      connections_.push_back(teams->teamAdded.connect([this](cui::Team *team) {
         TakeTeamVMsOutOfFavorites(team);
         if (team) {
            connections_.push_back(team->changed.connect([this, team]() { TakeTeamVMsOutOfFavorites(team); }));
         }
      }));
   }
   wui::Navbar *model = wui::GetNavbar();
   if (!model || !gApp) {
      return;
   }
   const sigc::slot<void, bool, cui::Error> noError;
   connections_.push_back(model->openVM.connect([noError](std::string path) {
      gApp->OpenVM(_bstr_t(path.c_str()), OpenFlags().MakeCurrent(), noError, sigc::slot<void>());
   }));
   connections_.push_back(model->openTeam.connect([noError](std::string path) {
      gApp->OpenTeam(_bstr_t(path.c_str()), OpenFlags().MakeCurrent(), noError, sigc::slot<void>());
   }));
   connections_.push_back(model->openMVMT.connect([noError](std::string path) {
      gApp->OpenMVMT(_bstr_t(path.c_str()), OpenFlags().MakeCurrent(), noError, sigc::slot<void>());
   }));
}

// Only the machines of the team itself: another item that happens to share a folder stays.
void CZOLTNavbar::TakeTeamVMsOutOfFavorites(cui::Team *team)
{
   if (!team || !gApp) {
      return;
   }
   for (cui::VM *vm : team->GetVMs()) {
      if (vm) {
         _bstr_t file(vm->GetFilename().c_str());
         gApp->RemoveFromVMList(file, true);
      }
   }
}

LRESULT CZOLTNavbar::OnDestroy(UINT, WPARAM, LPARAM, BOOL &)
{
   for (sigc::connection &connection : connections_) {
      connection.disconnect();
   }
   connections_.clear();
   FavoritesSink::DispEventUnadvise();
   RegVmsSink::DispEventUnadvise();
   ReleaseEventSource();
   try {
      if (IVMListCtlPtr list = GetFavoritesCtl()) {
         list->PutContext(nullptr);
      }
      if (IRegVmsCtlPtr list = GetRegVmsCtl()) {
         list->PutContext(nullptr);
      }
   } catch (const _com_error &e) {
      ReportHandlerError("OnDestroy", e);
   }
   ctx_ = nullptr;
   for (HWND *host : {&favoritesHost_, &regVmsHost_}) {
      if (*host) {
         ::DestroyWindow(*host);
         *host = nullptr;
      }
   }
   return 0;
}

LRESULT CZOLTNavbar::OnSize(UINT, WPARAM, LPARAM, BOOL &)
{
   RECT client = {};
   GetClientRect(&client);
   if (rebar_) {
      ::SetWindowPos(rebar_, nullptr, 0, 0, std::max<LONG>(client.right - navbar::kSizingEdge, 0), client.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE);
   }
   RECT bar = {};
   if (rebar_) {
      ::GetWindowRect(rebar_, &bar);
      ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT *>(&bar), 2);
   }
   if (closeToolbar_) {
      RECT tool = {};
      ::GetWindowRect(closeToolbar_, &tool);
      const int width = tool.right - tool.left;
      ::SetWindowPos(closeToolbar_, HWND_TOP, bar.right - width - 2, 2, width, tool.bottom - tool.top,
                     SWP_NOACTIVATE);
   }
   HWND host = GetListHost();
   if (host && rebar_) {
      RECT inner = {};
      ::GetClientRect(rebar_, &inner);
      RECT place = {};
      ::GetWindowRect(host, &place);
      ::MapWindowPoints(nullptr, rebar_, reinterpret_cast<POINT *>(&place), 2);
      ::SetWindowPos(host, nullptr, 0, place.top, inner.right, inner.bottom - place.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
   }
   GetParent().SendMessage(WM_SIZE, 0, 0);
   if (rebar_) {
      ::InvalidateRect(rebar_, nullptr, TRUE);
   }
   return 0;
}

LRESULT CZOLTNavbar::OnEnterSizeMove(UINT, WPARAM, LPARAM, BOOL &)
{
   GetParent().SendMessage(WM_ZOLT_BEGIN_USER_SIZING, 0, 0);
   return 0;
}

LRESULT CZOLTNavbar::OnExitSizeMove(UINT, WPARAM, LPARAM, BOOL &)
{
   GetParent().SendMessage(WM_ZOLT_END_USER_SIZING, 0, 0);
   return 0;
}

LRESULT CZOLTNavbar::OnClose(WORD, WORD, HWND, BOOL &)
{
   if (wui::Prefs *prefs = wui::GetPrefs()) {
      prefs->SetSidebar(false);
   }
   return 0;
}

LRESULT CZOLTNavbar::OnSetCursor(UINT, WPARAM, LPARAM lParam, BOOL &handled)
{
   if (LOWORD(lParam) != HTRIGHT) {
      handled = FALSE;
      return 0;
   }
   ::SetCursor(::LoadCursor(nullptr, IDC_SIZEWE));
   return TRUE;
}

LRESULT CZOLTNavbar::OnNcHitTest(UINT, WPARAM, LPARAM, BOOL &)
{
   return HTRIGHT;
}

LRESULT CZOLTNavbar::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   reinterpret_cast<MINMAXINFO *>(lParam)->ptMinTrackSize.x = navbar::kMinWidth;
   return 0;
}

// The size loop of the right edge runs here: default processing starts none for a child window
// under Wine, so the edge would not move.
LRESULT CZOLTNavbar::OnNcLButtonDown(UINT, WPARAM wParam, LPARAM lParam, BOOL &handled)
{
   if (wParam != HTRIGHT) {
      handled = FALSE;
      return 0;
   }
   RECT window = {};
   GetWindowRect(&window);
   sizing_ = true;
   sizingStartX_ = GET_X_LPARAM(lParam);
   sizingStartWidth_ = window.right - window.left;
   SetCapture();
   GetParent().SendMessage(WM_ZOLT_BEGIN_USER_SIZING, 0, 0);
   return 0;
}

LRESULT CZOLTNavbar::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL &handled)
{
   if (!sizing_) {
      handled = FALSE;
      return 0;
   }
   POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
   ClientToScreen(&point);
   RECT parent = {};
   GetParent().GetClientRect(&parent);
   const int width = navbar::DraggedWidth(sizingStartWidth_, point.x - sizingStartX_, parent.right - navbar::kMinWidth);
   RECT window = {};
   GetWindowRect(&window);
   if (width != window.right - window.left) {
      SetWindowPos(nullptr, 0, 0, width, window.bottom - window.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
   }
   return 0;
}

LRESULT CZOLTNavbar::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL &handled)
{
   if (!sizing_) {
      handled = FALSE;
      return 0;
   }
   ::ReleaseCapture();
   return 0;
}

LRESULT CZOLTNavbar::OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL &handled)
{
   if (!sizing_) {
      handled = FALSE;
      return 0;
   }
   EndSizing();
   return 0;
}

void CZOLTNavbar::EndSizing()
{
   sizing_ = false;
   GetParent().SendMessage(WM_ZOLT_END_USER_SIZING, 0, 0);
   GetParent().SendMessage(WM_SIZE, 0, 0);
}

void __stdcall CZOLTNavbar::OnFavoritesOpen(BSTR objectPath)
{
   _bstr_t path(objectPath, true);
   if (!gApp || path.length() == 0) {
      return;
   }
   const std::string file = Utf8FromBstr(objectPath);
   gApp->OpenByExtension(path, OpenFlags().MakeCurrent(), sigc::slot<void>());
   Log("CZOLTNavbar: open %s\n", file.c_str());
}

void __stdcall CZOLTNavbar::OnRegVmsOpenVM(BSTR vmPath, VARIANT_BOOL keep, long *refused)
{
   const bool flag = keep != VARIANT_FALSE;
   bool opened = gApp && gApp->OpenVM(_bstr_t(vmPath, true), OpenFlags().Second(flag).NewTab(!flag).MakeCurrent(),
                                      sigc::slot<void, bool, cui::Error>(), sigc::slot<void>());
   if (!opened && refused) {
      *refused = 1;
   }
}

void __stdcall CZOLTNavbar::OnContextMenuEvent(long x, long y, BSTR objectPath, long kind)
{
   try {
      ShowContextMenu(x, y, _bstr_t(objectPath ? objectPath : L""), kind);
   } catch (const _com_error &e) {
      ReportComError(e, -1, _bstr_t(""));
   } catch (const cui::Error &e) {
      Warning("CZOLTNavbar::OnContextMenuEvent failed: %s\n", e.GetText().c_str());
   }
}

void CZOLTNavbar::ShowContextMenu(long x, long y, const _bstr_t &path, long kind)
{
   const UINT menuId = navbar::MenuOfKind(kind);
   if (menuId == 0 || !gApp) {
      return;
   }
   HMENU menu = ::LoadMenuA(GetResourceInstance(), MAKEINTRESOURCEA(menuId));
   if (!menu) {
      Warning("CZOLTNavbar::ShowContextMenu: no menu %u\n", menuId);
      return;
   }
   HMENU popup = ::GetSubMenu(menu, 0);
   UINT chosen = 0;
   if (popup) {
      gApp->UpdatePopupMenu(popup, static_cast<CommandSource>(kind), path);
      chosen = static_cast<UINT>(::TrackPopupMenu(popup, TPM_RETURNCMD, x, y, 0, m_hWnd, nullptr));
   }
   ::DestroyMenu(menu);
   RouteMenuCommand(chosen, path, kind);
}

void CZOLTNavbar::RouteMenuCommand(UINT id, const _bstr_t &path, long kind)
{
   switch (navbar::RouteOfCommand(id, favorites_)) {
   case navbar::ROUTE_RENAME:
      if (IVMListCtlPtr list = GetFavoritesCtl()) {
         list->Rename();
      }
      if (IRegVmsCtlPtr list = GetRegVmsCtl()) {
         list->Rename();
      }
      break;
   case navbar::ROUTE_NEW_FOLDER:
      if (IVMListCtlPtr list = GetFavoritesCtl()) {
         list->NewFolder(-1);
      }
      break;
   case navbar::ROUTE_OPEN_SELECTION:
      if (IVMListCtlPtr list = GetFavoritesCtl()) {
         list->OpenSelection();
      }
      break;
   case navbar::ROUTE_APP: {
      _bstr_t object = path;
      gApp->MenuButtonClicked(static_cast<CommandId>(id), object, static_cast<CommandSource>(kind));
      break;
   }
   }
}

void CZOLTNavbar::OnDestinationChanged(BSTR)
{
   try {
      if (IVMListCtlPtr list = GetFavoritesCtl()) {
         list->PutDestination(zoltdb::ReadText(ctx_, cui::appdata::kSessionDest).c_str());
      }
   } catch (const _com_error &e) {
      ReportHandlerError("OnDestinationChanged", e);
   }
}

void CZOLTNavbar::OnHostChanged(BSTR)
{
   try {
      std::string host = zoltdb::ReadText(ctx_, cui::appdata::kCurrentHost);
      if (!host.empty() && host.back() != '/') {
         host += '/';
      }
      if (host != hostPath_) {
         if (!hostPath_.empty()) {
            CtxUnwatch((hostPath_ + kRegisteredVMs).c_str());
         }
         previousHostPath_ = hostPath_;
         hostPath_ = host;
         if (!hostPath_.empty()) {
            CtxWatch((hostPath_ + kRegisteredVMs).c_str(), 1, &CZOLTNavbar::OnRegisteredVMsChanged);
         }
      }
   } catch (const _com_error &e) {
      ReportHandlerError("OnHostChanged", e);
   }
   OnRegisteredVMsChanged(nullptr);
}

void CZOLTNavbar::OnRegisteredVMsChanged(BSTR)
{
   try {
      if (IRegVmsCtlPtr list = GetRegVmsCtl()) {
         list->PutConnectionPath(zoltdb::ReadText(ctx_, cui::appdata::kSessionCnxPath).c_str());
         list->Refresh();
      }
   } catch (const _com_error &e) {
      ReportHandlerError("OnRegisteredVMsChanged", e);
   }
}

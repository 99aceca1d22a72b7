#include "zoltCmdbar.h"

#include "resource.h"
#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltResources.h"

#include "cui/Error.h"
#include "cui/Registry.h"
#include "cui/Util.h"
#include "cui/WuiPrefs.h"
#include "tremorybase/Log.h"

#include <algorithm>

namespace {

// The toolbar bands, in the order they are inserted.
const int kToolbarBandOrder[] = {wui::Prefs::TOOLBAR_ZEPHRO, wui::Prefs::TOOLBAR_POWER, wui::Prefs::TOOLBAR_SNAPSHOT,
                                 wui::Prefs::TOOLBAR_VIEW, wui::Prefs::TOOLBAR_VPLAY};

}  // namespace

CommandId ToolbarCodeToCommand(long code, bool team)
{
   switch (code) {
   case CLICK_SIDEBAR: return IDM_VIEW_SIDEBAR;
   case CLICK_QUICK_SWITCH: return IDM_VIEW_QUICK_SWITCH;
   case CLICK_ZEPHRO_POLICIES: return IDM_ZEPHRO_POLICIES;
   case CLICK_ZEPHRO_NEW_PACKAGE: return IDM_ZEPHRO_NEW_PACKAGE;
   case CLICK_FULL_SCREEN: return IDM_VIEW_FULL_SCREEN;
   case CLICK_POWER_ON: return team ? IDM_TEAM_POWER_ON : IDM_VM_POWER_ON;
   case CLICK_POWER_OFF: return team ? IDM_TEAM_POWER_OFF : IDM_VM_POWER_OFF;
   case CLICK_SUSPEND: return team ? IDM_TEAM_SUSPEND : IDM_VM_SUSPEND;
   case CLICK_RESET: return team ? IDM_TEAM_RESET : IDM_VM_RESET;
   case CLICK_SNAPSHOT_REVERT: return IDM_VM_SNAPSHOT_REVERT;
   case CLICK_SNAPSHOT_TAKE: return IDM_VM_SNAPSHOT_TAKE;
   case CLICK_ZEPHRO_PREVIEW: return IDM_ZEPHRO_PREVIEW;
   case CLICK_VIEW_SUMMARY: return IDM_VIEW_SUMMARY;
   case CLICK_VIEW_APPLIANCE: return IDM_VIEW_APPLIANCE;
   case CLICK_VIEW_CONSOLE: return IDM_VIEW_CONSOLE;
   case CLICK_SNAPSHOT_MANAGER: return IDM_VM_SNAPSHOT_MANAGER;
   case CLICK_ZEPHRO_PACKAGE_SETTINGS: return IDM_ZEPHRO_PACKAGE_SETTINGS;
   case CLICK_REPLAY_PLAY: return IDM_VM_REPLAY_PLAY;
   case CLICK_REPLAY_RECORD: return IDM_VM_REPLAY_RECORD;
   case CLICK_REPLAY_STOP: return IDM_VM_REPLAY_STOP;
   case CLICK_ZEPHRO_NEW_PORTABLE_PACKAGE: return IDM_ZEPHRO_NEW_PORTABLE_PACKAGE;
   default: return 0;
   }
}

int FindBandInsertPosition(const std::vector<int> &presentStored, int storedIndex)
{
   for (size_t i = 0; i < presentStored.size(); ++i) {
      if (presentStored[i] > storedIndex) {
         return static_cast<int>(i);
      }
   }
   return -1;
}

CZOLTCmdbar::CZOLTCmdbar() = default;

CZOLTCmdbar::~CZOLTCmdbar() = default;

CToolbarBaseCtl *CZOLTCmdbar::GetToolbar(int type)
{
   switch (type) {
   case wui::Prefs::TOOLBAR_POWER: return &power_;
   case wui::Prefs::TOOLBAR_ZEPHRO: return hasZephro_ ? &zephro_ : nullptr;
   case wui::Prefs::TOOLBAR_SNAPSHOT: return &snapshot_;
   case wui::Prefs::TOOLBAR_VIEW: return &view_;
   case wui::Prefs::TOOLBAR_QUICK_SWITCH: return &quickSwitch_;
   case wui::Prefs::TOOLBAR_VPLAY: return &vplay_;
   default: return nullptr;
   }
}

std::vector<int> CZOLTCmdbar::GetBandIds() const
{
   std::vector<int> ids;
   int count = rebar_ ? static_cast<int>(::SendMessage(rebar_, RB_GETBANDCOUNT, 0, 0)) : 0;
   for (int i = 0; i < count; ++i) {
      REBARBANDINFOW band = {};
      band.cbSize = sizeof band;
      band.fMask = RBBIM_ID;
      ::SendMessageW(rebar_, RB_GETBANDINFOW, i, reinterpret_cast<LPARAM>(&band));
      ids.push_back(static_cast<int>(band.wID));
   }
   return ids;
}

int CZOLTCmdbar::BandIndex(int id) const
{
   return rebar_ ? static_cast<int>(::SendMessage(rebar_, RB_IDTOINDEX, id, 0)) : -1;
}

bool CZOLTCmdbar::BandHasBreak(int index) const
{
   REBARBANDINFOW band = {};
   band.cbSize = sizeof band;
   band.fMask = RBBIM_STYLE;
   ::SendMessageW(rebar_, RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
   return (band.fStyle & RBBS_BREAK) != 0;
}

bool CZOLTCmdbar::BandHidden(int index) const
{
   REBARBANDINFOW band = {};
   band.cbSize = sizeof band;
   band.fMask = RBBIM_STYLE;
   ::SendMessageW(rebar_, RB_GETBANDINFOW, index, reinterpret_cast<LPARAM>(&band));
   return (band.fStyle & RBBS_HIDDEN) != 0;
}

int CZOLTCmdbar::FindBandPosition(int type) const
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs) {
      return -1;
   }
   std::vector<int> stored;
   for (int id : GetBandIds()) {
      stored.push_back(prefs->GetToolbarIndex(id));
   }
   return FindBandInsertPosition(stored, prefs->GetToolbarIndex(type));
}

LRESULT CZOLTCmdbar::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
   RECT client = {};
   GetClientRect(&client);
   rebar_ = CreateWindowExW(WS_EX_TOOLWINDOW, REBARCLASSNAMEW, nullptr, kRebarStyle, 0, 0, client.right,
                            client.bottom, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kRebarId)),
                            GetResourceInstance(), nullptr);
   if (!rebar_) {
      Warning("CZOLTCmdbar::Create: no rebar\n");
      return 0;
   }
   hasZephro_ = wui::util::HasZephroExtension();
   menubar_.Create(rebar_);
   power_.Init(rebar_);
   if (hasZephro_) {
      zephro_.Init(rebar_);
   }
   view_.Init(rebar_);
   snapshot_.Init(rebar_);
   vplay_.Init(rebar_);
   // The quick-switch toolbar is made when quick switch first shows its band.

   InsertMenuBand();
   if (hasZephro_) {
      InsertToolbarBand(zephro_, true);
   }
   InsertToolbarBand(power_, hasZephro_);
   InsertToolbarBand(snapshot_, hasZephro_);
   InsertToolbarBand(view_, hasZephro_);
   InsertToolbarBand(vplay_, hasZephro_);

   // The bands' commands and notifications come straight here (not every rebar passes them on),
   // and are reflected back to the control that sent them.
   if (menubar_.m_hWnd) {
      menubar_.SendMessage(TB_SETPARENT, reinterpret_cast<WPARAM>(m_hWnd));
   }
   for (CToolbarBaseCtl *toolbar : {static_cast<CToolbarBaseCtl *>(&power_), static_cast<CToolbarBaseCtl *>(&zephro_),
                                    static_cast<CToolbarBaseCtl *>(&view_), static_cast<CToolbarBaseCtl *>(&snapshot_),
                                    static_cast<CToolbarBaseCtl *>(&quickSwitch_), static_cast<CToolbarBaseCtl *>(&vplay_)}) {
      if (toolbar->m_hWnd) {
         toolbar->SendMessage(TB_SETPARENT, reinterpret_cast<WPARAM>(m_hWnd));
      }
      connections_.push_back(toolbar->clicked.connect(sigc::mem_fun(*this, &CZOLTCmdbar::OnButtonClicked)));
   }
   if (wui::Prefs *prefs = wui::GetPrefs()) {
      vmdb::Ctx &ctx = prefs->GetCtx();
      const std::string root = prefs->GetRequestPath();
      for (int type : kToolbarBandOrder) {
         connections_.push_back(ctx.Watch(root + wui::Prefs::ToolbarPath(type) + "show", vmdb::Ctx::kWatchNode,
                                          [this, type](const std::string &) { OnToolbarShowChanged(type); }));
      }
      connections_.push_back(ctx.Watch(root + "val/zolt/view/quickSwitch", vmdb::Ctx::kWatchNode,
                                       [this](const std::string &) { OnQuickSwitchChanged(); }));
      connections_.push_back(prefs->currentObjChanged.connect(sigc::mem_fun(*this, &CZOLTCmdbar::ApplyToolbarShow)));
   }
   ApplyToolbarShow();
   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs || prefs->GetToolbarLength(1) <= 0) {
      MaximizeRowEnds();
   }
   return 0;
}

void CZOLTCmdbar::InsertMenuBand()
{
   wui::Prefs *prefs = wui::GetPrefs();
   HWND menu = menubar_.m_hWnd;
   SIZE size = {};
   if (menu) {
      ::SendMessage(menu, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
   }
   REBARBANDINFOW band = {};
   band.cbSize = sizeof band;
   band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_ID;
   band.fStyle = RBBS_CHILDEDGE | RBBS_VARIABLEHEIGHT | RBBS_GRIPPERALWAYS;
   if (!prefs || prefs->GetToolbarLength(wui::Prefs::TOOLBAR_MENU) <= 0 ||
       prefs->GetToolbarNewLine(wui::Prefs::TOOLBAR_MENU)) {
      band.fStyle |= RBBS_BREAK;
   }
   band.hwndChild = menu;
   band.cxMinChild = CToolbarBaseCtl::GetToolbarWidth(menu);
   band.cyMinChild = size.cy;
   band.cyMaxChild = size.cy;
   band.cyIntegral = 1;
   band.wID = wui::Prefs::TOOLBAR_MENU;
   ::SendMessageW(rebar_, RB_INSERTBANDW, FindBandPosition(wui::Prefs::TOOLBAR_MENU), reinterpret_cast<LPARAM>(&band));
}

void CZOLTCmdbar::InsertToolbarBand(CToolbarBaseCtl &toolbar, bool zephro)
{
   wui::Prefs *prefs = wui::GetPrefs();
   int type = toolbar.GetToolbarType();
   int stored = prefs ? prefs->GetToolbarLength(type) : 0;
   int minimum = CToolbarBaseCtl::GetToolbarWidth(toolbar.m_hWnd);
   bool rowBreak = false;
   if (stored > 0) {
      rowBreak = prefs->GetToolbarNewLine(type);
   } else {
      // First run: the menu bar alone on the first row, the toolbars on the second.
      rowBreak = type == wui::Prefs::TOOLBAR_ZEPHRO || (type == wui::Prefs::TOOLBAR_POWER && !zephro);
   }
   REBARBANDINFOW band = {};
   band.cbSize = sizeof band;
   band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID;
   band.fStyle = rowBreak ? RBBS_BREAK : 0;
   band.hwndChild = toolbar.m_hWnd;
   band.cxMinChild = minimum;
   band.cx = std::max(stored, minimum);
   band.cyMinChild = CToolbarBaseCtl::kBandHeight;
   band.cyChild = CToolbarBaseCtl::kBandHeight;
   band.cyMaxChild = CToolbarBaseCtl::kBandHeight;
   band.cyIntegral = 1;
   band.wID = type;
   ::SendMessageW(rebar_, RB_INSERTBANDW, FindBandPosition(type), reinterpret_cast<LPARAM>(&band));
}

void CZOLTCmdbar::ApplyToolbarShow()
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (!rebar_ || !prefs) {
      return;
   }
   bool restricted = gApp && gApp->IsCurrentVMGUIRestricted();
   for (int type : kToolbarBandOrder) {
      int index = BandIndex(type);
      bool show = prefs->GetToolbarShow(type) && !restricted;
      // Each RB_SHOWBAND lays the whole rebar out again, even when it changes nothing.
      if (index >= 0 && BandHidden(index) == show) {
         ::SendMessage(rebar_, RB_SHOWBAND, index, show);
      }
   }
   ShowQuickSwitchBand(prefs->GetQuickSwitch() && !restricted);
}

void CZOLTCmdbar::ShowQuickSwitchBand(bool on)
{
   int present = BandIndex(wui::Prefs::TOOLBAR_QUICK_SWITCH);
   if (!on) {
      if (present >= 0) {
         ::SendMessage(rebar_, RB_DELETEBAND, present, 0);
      }
      return;
   }
   if (present >= 0) {
      return;
   }
   if (!quickSwitch_.m_hWnd) {
      if (!quickSwitch_.Init(rebar_)) {
         return;
      }
      quickSwitch_.SendMessage(TB_SETPARENT, reinterpret_cast<WPARAM>(m_hWnd));
   }
   int count = static_cast<int>(::SendMessage(rebar_, RB_GETBANDCOUNT, 0, 0));
   int position = -1;
   for (int i = 1; i < count; ++i) {
      if (!BandHidden(i) && BandHasBreak(i)) {
         position = i;
         break;
      }
   }
   REBARBANDINFOW band = {};
   band.cbSize = sizeof band;
   band.fMask = RBBIM_STYLE | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_ID;
   band.fStyle = RBBS_NOGRIPPER;
   band.hwndChild = quickSwitch_.m_hWnd;
   band.cxMinChild = kQuickSwitchBandWidth;
   band.cyMinChild = CToolbarBaseCtl::kBandHeight;
   band.cx = kQuickSwitchBandWidth;
   band.wID = wui::Prefs::TOOLBAR_QUICK_SWITCH;
   ::SendMessageW(rebar_, RB_INSERTBANDW, position, reinterpret_cast<LPARAM>(&band));
}

void CZOLTCmdbar::MaximizeRowEnds()
{
   if (!rebar_) {
      return;
   }
   std::vector<int> ids = GetBandIds();
   int candidate = -1;
   for (size_t i = 0; i < ids.size(); ++i) {
      int index = static_cast<int>(i);
      if (BandHidden(index)) {
         continue;
      }
      if (BandHasBreak(index) || ids[i] == 5) {
         if (candidate >= 0) {
            ::SendMessage(rebar_, RB_MAXIMIZEBAND, candidate, FALSE);
         }
         candidate = ids[i] == 5 ? -1 : index;
      } else {
         candidate = index;
      }
   }
   if (candidate >= 0) {
      ::SendMessage(rebar_, RB_MAXIMIZEBAND, candidate, FALSE);
   }
}

void CZOLTCmdbar::KeepRowBreak(int type)
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (type == wui::Prefs::TOOLBAR_QUICK_SWITCH || !prefs || !rebar_) {
      return;
   }
   try {
      if (prefs->GetToolbarShow(type)) {
         return;
      }
      int index = BandIndex(type);
      std::vector<int> ids = GetBandIds();
      if (index < 0 || !BandHasBreak(index) || index + 1 >= static_cast<int>(ids.size())) {
         return;
      }
      int next = ids[index + 1];
      if (next == 5 || prefs->GetToolbarNewLine(next)) {
         return;
      }
      // Hiding the first toolbar of a row must not join the row to the one above.
      REBARBANDINFOW band = {};
      band.cbSize = sizeof band;
      band.fMask = RBBIM_STYLE;
      ::SendMessageW(rebar_, RB_GETBANDINFOW, index + 1, reinterpret_cast<LPARAM>(&band));
      band.fStyle |= RBBS_BREAK;
      ::SendMessageW(rebar_, RB_SETBANDINFOW, index + 1, reinterpret_cast<LPARAM>(&band));
      prefs->SetToolbarNewLine(next, true);
   } catch (const cui::Error &error) {
      Warning("Failed to check toolbar for new line: %s\n", error.what());
   }
}

void CZOLTCmdbar::OnToolbarShowChanged(int type)
{
   KeepRowBreak(type);
   ApplyToolbarShow();
   MaximizeRowEnds();
}

void CZOLTCmdbar::OnQuickSwitchChanged()
{
   wui::Prefs *prefs = wui::GetPrefs();
   bool restricted = gApp && gApp->IsCurrentVMGUIRestricted();
   ShowQuickSwitchBand(prefs && prefs->GetQuickSwitch() && !restricted);
   MaximizeRowEnds();
}

void CZOLTCmdbar::SaveToolbarPositions()
{
   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs || !rebar_) {
      return;
   }
   try {
      std::vector<int> ids = GetBandIds();
      for (size_t i = 0; i < ids.size(); ++i) {
         int id = ids[i];
         if (id == 5) {
            continue;
         }
         REBARBANDINFOW band = {};
         band.cbSize = sizeof band;
         band.fMask = RBBIM_STYLE | RBBIM_SIZE;
         ::SendMessageW(rebar_, RB_GETBANDINFOW, i, reinterpret_cast<LPARAM>(&band));
         bool newLine = (band.fStyle & RBBS_BREAK) != 0;
         if (prefs->GetToolbarIndex(id) != static_cast<int>(i)) {
            prefs->SetToolbarIndex(id, static_cast<int>(i));
         }
         if (prefs->GetToolbarNewLine(id) != newLine) {
            prefs->SetToolbarNewLine(id, newLine);
         }
         if (prefs->GetToolbarLength(id) != static_cast<int>(band.cx)) {
            prefs->SetToolbarLength(id, static_cast<int>(band.cx));
         }
      }
   } catch (const cui::Error &error) {
      Warning("Failed to save toolbar position: %s\n", error.what());
   }
}

BOOL CZOLTCmdbar::PreTranslateMessage(MSG *msg)
{
   return menubar_.m_hWnd && menubar_.PreTranslateMessage(msg);
}

void CZOLTCmdbar::OnButtonClicked(long code)
{
   Log("CZOLTCmdbar::OnButtonClicked: %ld\n", code);
   if (!gApp) {
      return;
   }
   if (code == CLICK_MINIMIZE) {
      gApp->ShowFrameMinimized(true);
      return;
   }
   if (code == CLICK_EXIT) {
      gApp->Exit();
      return;
   }
   wui::Prefs *prefs = wui::GetPrefs();
   std::string path = prefs ? prefs->GetCurrentObjPath() : std::string();
   bool team = prefs && prefs->GetCurrentObjType() == "team";
   _bstr_t bpath(path.c_str());
   gApp->MenuButtonClicked(ToolbarCodeToCommand(code, team), bpath, kSourceCommandBar);
}

void CZOLTCmdbar::ResizeToRebar()
{
   RECT rebar = {};
   ::GetWindowRect(rebar_, &rebar);
   RECT own = {};
   GetClientRect(&own);
   int height = rebar.bottom - rebar.top;
   if (own.bottom != height) {
      SetWindowPos(nullptr, 0, 0, own.right, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
   }
}

LRESULT CZOLTCmdbar::OnSize(UINT, WPARAM, LPARAM, BOOL &)
{
   if (!rebar_) {
      return 0;
   }
   RECT client = {};
   GetClientRect(&client);
   RECT rebar = {};
   ::GetWindowRect(rebar_, &rebar);
   ::MoveWindow(rebar_, 0, 0, client.right, rebar.bottom - rebar.top, TRUE);
   ResizeToRebar();
   // The frame lays its children out again around the new height.
   ::SendMessage(GetParent(), WM_SIZE, 0, 0);
   ::InvalidateRect(rebar_, nullptr, TRUE);
   return 0;
}

LRESULT CZOLTCmdbar::OnHeightChange(int, LPNMHDR, BOOL &)
{
   ResizeToRebar();
   return 0;
}

LRESULT CZOLTCmdbar::OnLayoutChanged(int, LPNMHDR, BOOL &)
{
   SaveToolbarPositions();
   return 0;
}

LRESULT CZOLTCmdbar::OnNotifyFormat(UINT, WPARAM, LPARAM, BOOL &)
{
   // The rebar and the toolbars in it send their notifications in their wide forms.
   return NFR_UNICODE;
}

LRESULT CZOLTCmdbar::OnToolTipText(int, LPNMHDR header, BOOL &bHandled)
{
   auto *info = reinterpret_cast<NMTTDISPINFOW *>(header);
   for (int type : {wui::Prefs::TOOLBAR_POWER, wui::Prefs::TOOLBAR_ZEPHRO, wui::Prefs::TOOLBAR_SNAPSHOT,
                    wui::Prefs::TOOLBAR_VIEW, wui::Prefs::TOOLBAR_QUICK_SWITCH, wui::Prefs::TOOLBAR_VPLAY}) {
      CToolbarBaseCtl *toolbar = GetToolbar(type);
      if (toolbar && toolbar->m_hWnd && toolbar->FillTooltip(info)) {
         return 0;
      }
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CZOLTCmdbar::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   if (lParam) {
      // A control's own command: reflected back to it.
      bHandled = FALSE;
      return 0;
   }
   CommandId id = LOWORD(wParam);
   if (menubar_.m_hWnd && menubar_.IsMenuItemEnabled(id)) {
      menubar_.SendMessage(WM_COMMAND, id, 0);
   }
   return 0;
}

void CZOLTCmdbar::ShowContextMenu(POINT point)
{
   HMENU menu = LoadMenuA(GetResourceInstance(), MAKEINTRESOURCEA(IDR_MENU_TOOLBARS));
   HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
   if (!popup) {
      if (menu) {
         DestroyMenu(menu);
      }
      return;
   }
   if (gApp) {
      _bstr_t empty("");
      for (int i = GetMenuItemCount(popup) - 1; i >= 0; --i) {
         UINT id = GetMenuItemID(popup, i);
         if (id == 0 || id == static_cast<UINT>(-1)) {
            continue;
         }
         // One item that cannot tell its state must not keep the menu from opening.
         try {
            gApp->UpdateMenuItemState(popup, static_cast<CommandId>(id), kSourceCommandBar, empty);
         } catch (const cui::Error &error) {
            Warning("UpdateMenuItemState failed for item %d: %s\n", static_cast<int>(id), error.what());
         } catch (const _com_error &error) {
            Warning("UpdateMenuItemState failed for item %d: %s\n", static_cast<int>(id),
                    zoltdb::ComText(error).c_str());
         }
      }
   }
   // The toolbar under the point: its window grown by its band's borders, shown.
   CToolbarBaseCtl *under = nullptr;
   for (int id : GetBandIds()) {
      bool toolbarBand = id != wui::Prefs::TOOLBAR_MENU && id != wui::Prefs::TOOLBAR_QUICK_SWITCH;
      CToolbarBaseCtl *toolbar = toolbarBand ? GetToolbar(id) : nullptr;
      int index = BandIndex(id);
      if (!toolbar || !toolbar->m_hWnd || BandHidden(index)) {
         continue;
      }
      RECT rect = {};
      ::GetWindowRect(toolbar->m_hWnd, &rect);
      RECT borders = {};
      ::SendMessage(rebar_, RB_GETBANDBORDERS, index, reinterpret_cast<LPARAM>(&borders));
      rect.left -= borders.left;
      rect.top -= borders.top;
      rect.right += borders.right;
      rect.bottom += borders.bottom;
      if (PtInRect(&rect, point)) {
         under = toolbar;
         break;
      }
   }
   if (!under) {
      for (int i = 0, count = GetMenuItemCount(popup); i < count; ++i) {
         if (GetMenuItemID(popup, i) == IDM_TOOLBAR_CUSTOMIZE) {
            DeleteMenu(popup, i, MF_BYPOSITION);
            if (i > 0 && (GetMenuState(popup, i - 1, MF_BYPOSITION) & MF_SEPARATOR)) {
               DeleteMenu(popup, i - 1, MF_BYPOSITION);
            }
            break;
         }
      }
   }
   UINT chosen = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, point.x, point.y, 0, m_hWnd,
                                nullptr);
   DestroyMenu(menu);
   wui::Prefs *prefs = wui::GetPrefs();
   int type = -1;
   switch (chosen) {
   case IDM_VIEW_TOOLBAR_ZEPHRO: type = wui::Prefs::TOOLBAR_ZEPHRO; break;
   case IDM_VIEW_TOOLBAR_POWER: type = wui::Prefs::TOOLBAR_POWER; break;
   case IDM_VIEW_TOOLBAR_VIEW: type = wui::Prefs::TOOLBAR_VIEW; break;
   case IDM_VIEW_TOOLBAR_SNAPSHOT: type = wui::Prefs::TOOLBAR_SNAPSHOT; break;
   case IDM_VIEW_TOOLBAR_REPLAY: type = wui::Prefs::TOOLBAR_VPLAY; break;
   case IDM_TOOLBAR_CUSTOMIZE:
      if (under) {
         under->SendMessage(TB_CUSTOMIZE);
      }
      return;
   default:
      return;
   }
   if (prefs) {
      prefs->SetToolbarShow(type, !prefs->GetToolbarShow(type));
   }
}

LRESULT CZOLTCmdbar::OnContextMenu(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
   if (lParam == -1) {
      // From the keyboard: at the cursor.
      GetCursorPos(&point);
   }
   ShowContextMenu(point);
   return 0;
}

LRESULT CZOLTCmdbar::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   for (sigc::connection &connection : connections_) {
      connection.disconnect();
   }
   connections_.clear();
   notify_callbacks();
   rebar_ = nullptr;
   bHandled = FALSE;
   return 0;
}

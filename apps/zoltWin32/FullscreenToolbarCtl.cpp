#include "FullscreenToolbarCtl.h"

#include "ToolbarBaseCtl.h"

#include "zoltApp.h"
#include "zoltFrame.h"
#include "zoltGuard.h"
#include "zoltMenuUtil.h"
#include "zoltMessages.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "resource.h"

#include "atl/Gdi.h"
#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "cui/VMMgr.h"
#include "cui/WuiPrefs.h"
#include "cui/cui.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <algorithm>
#include <memory>

namespace {

// The images of the buttons, by index.
const UINT kImages[] = {12456, 12457, 12301, 12452, 12453, 12454, 12207, 12209, 12205};
enum Image { IMG_PINNED, IMG_UNPINNED, IMG_OPTIONS, IMG_MULTI_MON, IMG_SINGLE_MON, IMG_NEXT, IMG_MINIMIZE,
             IMG_RESTORE, IMG_CLOSE };
const int kVMMenuPosition = 6;
const PopupIdPair kMachineMenuPopups[] = {{40070, 50001}, {40492, 40059}, {0, 0}};
const int kMaxListedMachines = IDM_FS_LAST_VM - IDM_FS_FIRST_VM + 1;
const int kNameButtonPadding = 40;

// Tells the frame that a menu of the toolbar is open for as long as this lives, so its count
// of open menus stays balanced whatever way the tracking ends.
class MenuOpenScope {
public:
   MenuOpenScope()
   {
      if (gApp && gApp->GetFrame()) {
         gApp->GetFrame()->OnMenuTracking(true);
      }
   }
   ~MenuOpenScope()
   {
      if (gApp && gApp->GetFrame()) {
         gApp->GetFrame()->OnMenuTracking(false);
      }
   }
   MenuOpenScope(const MenuOpenScope &) = delete;
   MenuOpenScope &operator=(const MenuOpenScope &) = delete;
};

// The item bitmaps of the options menu, drawn from one glyph each and freed when the menu has
// closed, whatever way it closed.
class GlyphBitmaps {
public:
   explicit GlyphBitmaps(HMENU menu) : menu_(menu) {}
   ~GlyphBitmaps()
   {
      for (auto &item : items_) {
         MENUITEMINFOW info = {};
         info.cbSize = sizeof info;
         info.fMask = MIIM_BITMAP;
         info.hbmpItem = nullptr;
         SetMenuItemInfoW(menu_, item.first, FALSE, &info);
      }
   }
   void Add(UINT id, wchar_t glyph)
   {
      int width = GetSystemMetrics(SM_CXMENUCHECK);
      int height = GetSystemMetrics(SM_CYMENUCHECK);
      atl::ScopedBitmap bitmap;
      {
         atl::ScopedWindowDC screen(nullptr);
         atl::ScopedDC dc(screen);
         bitmap.reset(CreateCompatibleBitmap(screen, width, height));
         if (!dc || !bitmap) {
            return;
         }
         atl::ScopedSelection bitmapSelected(dc, bitmap);
         atl::ScopedFont font(CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SYMBOL_CHARSET,
                                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                          L"Marlett"));
         atl::ScopedSelection fontSelected(dc, font);
         RECT rect = {0, 0, width, height};
         FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
         SetBkMode(dc, TRANSPARENT);
         SetTextColor(dc, RGB(0, 0, 0));
         DrawTextW(dc, &glyph, 1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
      }
      // The menu draws the bitmap only once no DC holds it.
      MENUITEMINFOW info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_BITMAP;
      info.hbmpItem = bitmap;
      if (!SetMenuItemInfoW(menu_, id, FALSE, &info)) {
         return;
      }
      items_.emplace_back(id, std::move(bitmap));
   }
   size_t Count() const { return items_.size(); }

private:
   HMENU menu_;
   // Freed after the destructor has taken them off the menu.
   std::vector<std::pair<UINT, atl::ScopedBitmap>> items_;
};

std::string TooltipOf(int id)
{
   wui::Prefs *prefs = wui::GetPrefs();
   switch (id) {
   case FS_PIN:
      return (prefs && prefs->GetFullScreenPin() ? gFullScreenUnpinTooltip : gFullScreenPinTooltip).GetText();
   case FS_OPTIONS: return gFullScreenAppTooltip.GetText();
   case FS_MONITOR: return gFullScreenMonitorTooltip.GetText();
   case FS_NEXT: return gFullScreenNextTooltip.GetText();
   case FS_MINIMIZE: return gFullScreenMinimizeTooltip.GetText();
   case FS_RESTORE: return gFullScreenRestoreTooltip.GetText();
   case FS_CLOSE: return gFullScreenCloseTooltip.GetText();
   default: return std::string();
   }
}

cui::VM *CurrentVM()
{
   return gApp && gApp->GetFrame() ? gApp->GetFrame()->GetCurrentVM() : nullptr;
}

std::string MachineLabel(cui::VM *vm)
{
   if (!vm) {
      return std::string();
   }
   cui::TeamMgr *teams = cui::GetTeamMgr();
   cui::Team *team = teams ? static_cast<wui::TeamMgr *>(teams)->GetTeamByVMPath(vm->GetVmPath()) : nullptr;
   return team ? cui::Format(gFullScreenTeamVMFormat.GetLiteral().c_str(), team->GetName().c_str(), vm->GetName().c_str())
               : vm->GetName();
}

// Paths as the host compares them: ASCII letters in either case.
bool SamePath(const std::string &a, const std::string &b)
{
   return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return (x >= 'A' && x <= 'Z' ? x + 32 : x) == (y >= 'A' && y <= 'Z' ? y + 32 : y);
          });
}

}  // namespace

int FirstSwitchCandidate(int current, int count, bool next)
{
   if (count <= 0) {
      return -1;
   }
   if (current < 0 || current >= count) {
      return count - 1;
   }
   return NextSwitchCandidate(current, count, next);
}

int NextSwitchCandidate(int candidate, int count, bool next)
{
   if (count <= 0) {
      return -1;
   }
   candidate += next ? 1 : -1;
   return candidate < 0 ? count - 1 : candidate >= count ? 0 : candidate;
}

HWND CFSToolbarView::Create(HWND parent)
{
   HWND toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, L"Toolbar", kStyle, 0, 0, 0, 0, parent, nullptr,
                                  GetResourceInstance(), nullptr);
   if (!toolbar) {
      return nullptr;
   }
   ::SendMessage(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
   ::SendMessage(toolbar, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS | TBSTYLE_EX_MIXEDBUTTONS);
   if (!SubclassWindow(toolbar)) {
      ::DestroyWindow(toolbar);
      return nullptr;
   }
   images_ = CreateIconImageList(GetResourceInstance(), kImages, static_cast<int>(sizeof kImages / sizeof kImages[0]));
   if (images_) {
      SendMessage(TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
   }
   wui::Prefs *prefs = wui::GetPrefs();
   bool pinned = prefs && prefs->GetFullScreenPin();
   const BYTE kAuto = BTNS_AUTOSIZE;
   TBBUTTON buttons[] = {
      {pinned ? IMG_PINNED : IMG_UNPINNED, FS_PIN, TBSTATE_ENABLED, kAuto, {}, 0, 0},
      {IMG_OPTIONS, FS_OPTIONS, TBSTATE_ENABLED, static_cast<BYTE>(kAuto | BTNS_CHECK), {}, 0, 0},
      {I_IMAGENONE, FS_LABEL, 0, BTNS_SHOWTEXT, {}, 0, reinterpret_cast<INT_PTR>(L"")},
      {I_IMAGENONE, FS_MACHINE, TBSTATE_ENABLED, static_cast<BYTE>(BTNS_WHOLEDROPDOWN | BTNS_SHOWTEXT), {}, 0,
       reinterpret_cast<INT_PTR>(L"")},
      {0, 1005, 0, BTNS_SEP, {}, 0, 0},
      {IMG_SINGLE_MON, FS_MONITOR, TBSTATE_ENABLED, kAuto, {}, 0, 0},
      {0, 1007, 0, BTNS_SEP, {}, 0, 0},
      {IMG_NEXT, FS_NEXT, TBSTATE_ENABLED, static_cast<BYTE>(kAuto | BTNS_DROPDOWN), {}, 0, 0},
      {0, 1009, 0, BTNS_SEP, {}, 0, 0},
      {IMG_MINIMIZE, FS_MINIMIZE, TBSTATE_ENABLED, kAuto, {}, 0, 0},
      {IMG_RESTORE, FS_RESTORE, TBSTATE_ENABLED, kAuto, {}, 0, 0},
      {IMG_CLOSE, FS_CLOSE, TBSTATE_ENABLED, kAuto, {}, 0, 0},
   };
   SendMessage(TB_ADDBUTTONSW, sizeof buttons / sizeof buttons[0], reinterpret_cast<LPARAM>(buttons));
   tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                          GetResourceInstance(), nullptr);
   if (tip_) {
      TOOLINFOW tool = {};
      tool.cbSize = sizeof tool;
      tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
      tool.hwnd = m_hWnd;
      tool.uId = 1;
      tool.lpszText = const_cast<wchar_t *>(L"");
      ::SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
   }
   CreateNameTip();
   return m_hWnd;
}

namespace {

// The buttons the name tip covers: the label, the name and the gap after it.
const UINT kNameTipTools[] = {FS_LABEL, FS_MACHINE, 1005};

}  // namespace

void CFSToolbarView::CreateNameTip()
{
   nameTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                              GetResourceInstance(), nullptr);
   if (!nameTip_) {
      return;
   }
   cui::Prefs *prefs = cui::GetPrefs();
   std::string keys = prefs ? prefs->GetMKSKeySequence() : std::string();
   nameTipText_ = WideFromUtf8(cui::Format(gFullScreenVMText.GetLiteral().c_str(), keys.c_str()));
   for (UINT id : kNameTipTools) {
      TOOLINFOW tool = {};
      tool.cbSize = sizeof tool;
      tool.uFlags = TTF_SUBCLASS;
      tool.hwnd = m_hWnd;
      tool.uId = id;
      tool.lpszText = const_cast<wchar_t *>(nameTipText_.c_str());
      ::SendMessage(m_hWnd, TB_GETRECT, id, reinterpret_cast<LPARAM>(&tool.rect));
      ::SendMessageW(nameTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
   }
}

void CFSToolbarView::LayOutNameTip()
{
   if (!nameTip_) {
      return;
   }
   for (UINT id : kNameTipTools) {
      TOOLINFOW tool = {};
      tool.cbSize = sizeof tool;
      tool.hwnd = m_hWnd;
      tool.uId = id;
      ::SendMessage(m_hWnd, TB_GETRECT, id, reinterpret_cast<LPARAM>(&tool.rect));
      ::SendMessageW(nameTip_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
   }
}

LRESULT CFSToolbarView::OnSize(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   LayOutNameTip();
   bHandled = FALSE;
   return 0;
}

LRESULT CFSToolbarView::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   KillTimer(kTipTimer);
   for (HWND *tip : {&tip_, &nameTip_}) {
      if (*tip) {
         ::DestroyWindow(*tip);
         *tip = nullptr;
      }
   }
   if (images_) {
      SendMessage(TB_SETIMAGELIST, 0, 0);
      ImageList_Destroy(images_);
      images_ = nullptr;
   }
   bHandled = FALSE;
   return 0;
}

void CFSToolbarView::SetImage(int id, int image)
{
   TBBUTTONINFOW info = {};
   info.cbSize = sizeof info;
   info.dwMask = TBIF_IMAGE;
   info.iImage = image;
   SendMessage(TB_SETBUTTONINFOW, id, reinterpret_cast<LPARAM>(&info));
}

void CFSToolbarView::SetPinImage(bool pinned)
{
   SetImage(FS_PIN, pinned ? IMG_PINNED : IMG_UNPINNED);
}

void CFSToolbarView::SetMultiMonImage(bool multiMon)
{
   SetImage(FS_MONITOR, multiMon ? IMG_MULTI_MON : IMG_SINGLE_MON);
}

void CFSToolbarView::ShowGrabButtons(bool show)
{
   SendMessage(TB_HIDEBUTTON, FS_MONITOR, MAKELPARAM(!show, 0));
   SendMessage(TB_HIDEBUTTON, 1007, MAKELPARAM(!show, 0));
}

void CFSToolbarView::EnableButton(int id, bool enable)
{
   SendMessage(TB_ENABLEBUTTON, id, MAKELPARAM(enable, 0));
}

void CFSToolbarView::SetMachineName(const std::string &name)
{
   std::wstring text = WideFromUtf8(name);
   TBBUTTONINFOW info = {};
   info.cbSize = sizeof info;
   info.dwMask = TBIF_TEXT;
   info.pszText = const_cast<wchar_t *>(text.c_str());
   SendMessage(TB_SETBUTTONINFOW, FS_MACHINE, reinterpret_cast<LPARAM>(&info));
   LayOutNameTip();
}

int CFSToolbarView::GetWidthFor(const std::string &name)
{
   std::wstring text = WideFromUtf8(name);
   SIZE extent = {};
   {
      atl::ScopedWindowDC dc(m_hWnd);
      atl::ScopedSelection font(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
   }
   TBBUTTONINFOW info = {};
   info.cbSize = sizeof info;
   info.dwMask = TBIF_SIZE;
   info.cx = static_cast<WORD>(std::min<LONG>(extent.cx + kNameButtonPadding, 600));
   SendMessage(TB_SETBUTTONINFOW, FS_MACHINE, reinterpret_cast<LPARAM>(&info));
   LayOutNameTip();
   int width = 0;
   int count = static_cast<int>(SendMessage(TB_BUTTONCOUNT));
   for (int i = 0; i < count; ++i) {
      RECT item = {};
      if (SendMessage(TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) {
         width = std::max<int>(width, item.right);
      }
   }
   return width;
}

RECT CFSToolbarView::GetButtonScreenRect(int id) const
{
   RECT rect = {};
   ::SendMessage(m_hWnd, TB_GETRECT, id, reinterpret_cast<LPARAM>(&rect));
   ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT *>(&rect), 2);
   return rect;
}

void CFSToolbarView::ShowTip(const std::string &text, int ms)
{
   HideTip();
   if (!tip_ || ms <= 0 || text.empty()) {
      return;
   }
   tipText_ = WideFromUtf8(text);
   TOOLINFOW tool = {};
   tool.cbSize = sizeof tool;
   tool.hwnd = m_hWnd;
   tool.uId = 1;
   tool.lpszText = const_cast<wchar_t *>(tipText_.c_str());
   ::SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
   RECT bar = {};
   GetWindowRect(&bar);
   ::SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM((bar.left + bar.right) / 2, bar.bottom + 2));
   ::SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
   ::SetWindowPos(tip_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
   tipShown_ = true;
   SetTimer(kTipTimer, ms);
}

void CFSToolbarView::HideTip()
{
   KillTimer(kTipTimer);
   if (tip_ && tipShown_) {
      TOOLINFOW tool = {};
      tool.cbSize = sizeof tool;
      tool.hwnd = m_hWnd;
      tool.uId = 1;
      ::SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
   }
   tipShown_ = false;
}

LRESULT CFSToolbarView::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
   if (wParam != kTipTimer) {
      bHandled = FALSE;
      return 0;
   }
   HideTip();
   return 0;
}

bool CFSToolbarView::InNameArea(LPARAM lParam) const
{
   POINT pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
   for (int id : {FS_LABEL, FS_MACHINE}) {
      RECT rect = {};
      if (::SendMessage(m_hWnd, TB_GETRECT, id, reinterpret_cast<LPARAM>(&rect)) && PtInRect(&rect, pt)) {
         return true;
      }
   }
   return false;
}

LRESULT CFSToolbarView::OnLButtonDblClk(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   if (InNameArea(lParam)) {
      ::PostMessage(GetParent(), WM_COMMAND, FS_RESTORE, 0);
      return 0;
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CFSToolbarView::OnRButtonDown(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   if (InNameArea(lParam)) {
      ::PostMessage(GetParent(), WM_COMMAND, FS_OPTIONS_AT_NAME, 0);
      return 0;
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CFSToolbarView::OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, BOOL &bHandled)
{
   // The hot zone keeps the bar shown while the pointer is on it.
   if (hotZone_ && ::IsWindow(hotZone_)) {
      ::PostMessage(hotZone_, message, wParam, lParam);
   }
   bHandled = FALSE;
   return 0;
}

LRESULT CFSToolbarCtl::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
   deviceMenu_.reset(new CZOLTRemovableDeviceMenu);
   snapshotMRUMenu_.reset(new CZOLTSnapshotMRUMenu);
   if (!view_.Create(m_hWnd)) {
      Warning("CFSToolbarCtl::OnCreate: no toolbar\n");
      return 0;
   }
   wui::Prefs *prefs = wui::GetPrefs();
   lastPinned_ = prefs && prefs->GetFullScreenPin();
   UpdateMachine();
   return 0;
}

LRESULT CFSToolbarCtl::OnPaint(UINT, WPARAM, LPARAM, BOOL &)
{
   PAINTSTRUCT paint;
   BeginPaint(&paint);
   EndPaint(&paint);
   return 0;
}

LRESULT CFSToolbarCtl::OnSize(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   if (view_.m_hWnd) {
      view_.SetWindowPos(nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam), SWP_NOZORDER | SWP_NOACTIVATE);
   }
   return 0;
}

int CFSToolbarCtl::GetWidth(const std::string &longestName)
{
   return view_.m_hWnd ? view_.GetWidthFor(longestName) + 2 : 0;
}

int CFSToolbarCtl::GetHeight() const
{
   if (!view_.m_hWnd) {
      return 26;
   }
   DWORD size = static_cast<DWORD>(::SendMessage(view_.m_hWnd, TB_GETBUTTONSIZE, 0, 0));
   return HIWORD(size) + 2;
}

void CFSToolbarCtl::SetActive(bool active)
{
   active_ = active;
   if (!active) {
      // An open drop-down closes with the activation.
      if (gApp && gApp->GetFrame() && gApp->GetFrame()->GetOpenMenuCount() > 0) {
         EndMenu();
      }
      view_.HideTip();
   }
}

void CFSToolbarCtl::SetHotZone(HWND zone)
{
   view_.SetHotZone(zone);
}

void CFSToolbarCtl::OnPinChanged(bool pinned)
{
   view_.SetPinImage(pinned);
   if (active_ && pinned != lastPinned_) {
      wui::Prefs *prefs = wui::GetPrefs();
      if (pinned) {
         view_.HideTip();
      } else {
         view_.ShowTip(gFullScreenPinTip.GetText(), prefs ? prefs->GetFullScreenTipDelay() : 0);
      }
   }
   lastPinned_ = pinned;
}

void CFSToolbarCtl::OnGrabChanged(bool grabbed)
{
   cui::Prefs *prefs = cui::GetPrefs();
   if (!active_ || !prefs) {
      return;
   }
   // The simulated guest has no tools, so the input is never handed over softly: always a tip.
   std::string text = grabbed ? cui::Format(gFullScreenUngrabTip.GetLiteral().c_str(), prefs->GetMKSKeySequence().c_str())
                              : gFullScreenGrabTip.GetText();
   view_.ShowTip(text, prefs->GetFullScreenTipDelay());
}

void CFSToolbarCtl::UpdateMachine()
{
   std::string name = MachineLabel(CurrentVM());
   // Ampersands of a name show as written.
   std::string shown;
   for (char c : name) {
      shown += c == '&' ? std::string("&&") : std::string(1, c);
   }
   view_.SetMachineName(shown);
}

std::vector<cui::VM *> CFSToolbarCtl::PoweredOnMachines() const
{
   std::vector<cui::VM *> on;
   if (cui::VMMgr *vmMgr = cui::GetVMMgr()) {
      for (cui::VM *vm : vmMgr->GetVMs()) {
         if (vm->GetPowerState() == cui::VM::POWERED_ON) {
            on.push_back(vm);
         }
      }
   }
   return on;
}

bool CFSToolbarCtl::MakeCurrent(cui::VM *vm)
{
   cui::TeamMgr *teams = cui::GetTeamMgr();
   cui::Team *team = teams ? static_cast<wui::TeamMgr *>(teams)->GetTeamByVMPath(vm->GetVmPath()) : nullptr;
   if (team) {
      static_cast<wui::Team *>(team)->SetCurrentVM(vm);
      return true;
   }
   // A machine is made current through its tab's record.
   vmdb::Ctx ctx = cui::GetNewVmdbCtx();
   for (const std::string &record : ctx.Elements(cui::appdata::kOpenedObjElements)) {
      if (ctx.Get(record + "type") == "vm" && SamePath(ctx.Get(record + "path"), vm->GetFilename())) {
         ctx.Set(cui::appdata::kCurrentObj, record);
         return true;
      }
   }
   return false;
}

void CFSToolbarCtl::SwitchMachine(bool next)
{
   std::vector<cui::VM *> machines = PoweredOnMachines();
   cui::VM *current = CurrentVM();
   auto found = std::find(machines.begin(), machines.end(), current);
   int index = found == machines.end() ? -1 : static_cast<int>(found - machines.begin());
   int count = static_cast<int>(machines.size());
   int start = FirstSwitchCandidate(index, count, next);
   if (start < 0 || (count == 1 && index == 0)) {
      return;
   }
   int candidate = start;
   do {
      if (machines[candidate] != current && MakeCurrent(machines[candidate])) {
         return;
      }
      candidate = NextSwitchCandidate(candidate, count, next);
   } while (candidate != start);
}

bool CFSToolbarCtl::OnHotKey(bool next)
{
   SwitchMachine(next);
   return true;
}

void CFSToolbarCtl::CanSwitchNext()
{
   if (PoweredOnMachines().size() >= 2) {
      TrackMachineList();
   }
}

bool CFSToolbarCtl::RunCommand(int id)
{
   wui::Prefs *prefs = wui::GetPrefs();
   switch (id) {
   case FS_PIN:
      if (prefs) {
         prefs->SetFullScreenPin(!prefs->GetFullScreenPin());
      }
      return true;
   case FS_OPTIONS:
      TrackOptionsMenu(FS_OPTIONS);
      return true;
   case FS_OPTIONS_AT_NAME:
      TrackOptionsMenu(FS_MACHINE);
      return true;
   case FS_MONITOR:
      commandSignal.emit();
      return true;
   case FS_NEXT:
      SwitchMachine(true);
      return true;
   case FS_PREVIOUS:
      SwitchMachine(false);
      return true;
   case FS_MINIMIZE:
      if (gApp) {
         gApp->ShowFrameMinimized(true);
      }
      return true;
   case FS_RESTORE:
      if (prefs) {
         prefs->SetFullScreen(false);
      }
      return true;
   case FS_CLOSE:
      if (prefs) {
         prefs->SetFullScreen(false);
      }
      if (gApp) {
         gApp->Exit();
      }
      return true;
   default:
      return false;
   }
}

LRESULT CFSToolbarCtl::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &bHandled)
{
   int id = LOWORD(wParam);
   bool known = false;
   Guard([this, id, &known]() { known = RunCommand(id); });
   bHandled = known ? TRUE : FALSE;
   return 0;
}

LRESULT CFSToolbarCtl::OnNotify(UINT, WPARAM, LPARAM lParam, BOOL &bHandled)
{
   auto *header = reinterpret_cast<NMHDR *>(lParam);
   if (header->code == TBN_DROPDOWN && header->hwndFrom == view_.m_hWnd) {
      int id = reinterpret_cast<NMTOOLBARW *>(lParam)->iItem;
      if (id == FS_MACHINE) {
         Guard([this]() { TrackMachineMenu(); });
      } else if (id == FS_NEXT) {
         Guard([this]() { CanSwitchNext(); });
      }
      return TBDDRET_DEFAULT;
   }
   if (header->code == TTN_GETDISPINFOW) {
      auto *info = reinterpret_cast<NMTTDISPINFOW *>(lParam);
      std::string text = TooltipOf(static_cast<int>(header->idFrom));
      CopyTruncated(info->szText, sizeof info->szText / sizeof info->szText[0], text);
      info->lpszText = info->szText;
      return 0;
   }
   bHandled = FALSE;
   return 0;
}

void CFSToolbarCtl::TrackOptionsMenu(int atButton)
{
   HMENU resource = LoadMenuW(GetResourceInstance(), MAKEINTRESOURCEW(IDR_MENU_FULLSCREEN_OPTIONS));
   if (!resource) {
      return;
   }
   std::unique_ptr<HMENU__, decltype(&DestroyMenu)> owner(resource, &DestroyMenu);
   HMENU menu = GetSubMenu(resource, 0);
   MenuOpenScope open;
   DeleteMenu(menu, IDM_VIEW_DATABASE_VIEWER, MF_BYCOMMAND);
   for (UINT id : {IDM_FS_MOVE, IDM_FS_SIZE, IDM_FS_MAXIMIZE}) {
      EnableMenuItem(menu, id, MF_BYCOMMAND | MF_GRAYED);
   }
   cui::Prefs *prefs = cui::GetPrefs();
   int mode = prefs ? prefs->GetFullScreenAutofitMode() : cui::Prefs::FS_AUTOFIT_GUEST;
   CheckMenuRadioItem(menu, IDM_FS_AUTOFIT_GUEST, IDM_FS_CENTER_GUEST, IDM_FS_AUTOFIT_GUEST + mode, MF_BYCOMMAND);
   int chosen = 0;
   {
      GlyphBitmaps glyphs(menu);
      glyphs.Add(IDM_FS_RESTORE, L'2');
      glyphs.Add(IDM_FS_MINIMIZE, L'0');
      glyphs.Add(IDM_FS_MAXIMIZE, L'1');
      glyphs.Add(IDM_FS_CLOSE, L'r');
      RECT button = view_.GetButtonScreenRect(atButton);
      chosen = TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN, button.left, button.bottom,
                                m_hWnd, nullptr);
   }
   // The options button is a check button only while its menu is open.
   TBBUTTONINFOW info = {};
   info.cbSize = sizeof info;
   info.dwMask = TBIF_STATE;
   if (view_.SendMessage(TB_GETBUTTONINFOW, FS_OPTIONS, reinterpret_cast<LPARAM>(&info)) >= 0) {
      info.fsState &= ~TBSTATE_CHECKED;
      view_.SendMessage(TB_SETBUTTONINFOW, FS_OPTIONS, reinterpret_cast<LPARAM>(&info));
   }
   switch (chosen) {
   case IDM_FS_RESTORE: RunCommand(FS_RESTORE); break;
   case IDM_FS_MINIMIZE: RunCommand(FS_MINIMIZE); break;
   case IDM_FS_CLOSE: RunCommand(FS_CLOSE); break;
   case IDM_FS_AUTOFIT_GUEST:
   case IDM_FS_STRETCH_GUEST:
   case IDM_FS_CENTER_GUEST:
      if (prefs) {
         prefs->SetFullScreenAutofitMode(chosen - IDM_FS_AUTOFIT_GUEST);
      }
      break;
   default: break;
   }
}

void CFSToolbarCtl::TrackMachineMenu()
{
   HMENU resource = LoadMenuW(GetResourceInstance(), MAKEINTRESOURCEW(IDR_MAIN_MENU));
   if (!resource || !gApp) {
      return;
   }
   std::unique_ptr<HMENU__, decltype(&DestroyMenu)> owner(resource, &DestroyMenu);
   HMENU menu = GetSubMenu(resource, kVMMenuPosition);
   MenuOpenScope open;
   AssignPopupIds(menu, kMachineMenuPopups);
   if (HMENU devices = FindPopupById(menu, IDM_VM_DEVICES_MENU); devices && deviceMenu_) {
      deviceMenu_->Build(devices);
   }
   if (HMENU snapshots = FindPopupById(menu, IDM_VM_SNAPSHOT_MENU); snapshots && snapshotMRUMenu_) {
      snapshotMRUMenu_->Rebuild(snapshots);
   }
   wui::Prefs *prefs = wui::GetPrefs();
   _bstr_t path(prefs ? prefs->GetCurrentObjPath().c_str() : "");
   gApp->UpdatePopupMenu(menu, kSourceMenuBar, path);
   RECT button = view_.GetButtonScreenRect(FS_MACHINE);
   int chosen = TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, button.right, button.bottom,
                                 m_hWnd, nullptr);
   if (chosen <= 0) {
      return;
   }
   if (deviceMenu_ && deviceMenu_->ExecCommand(static_cast<UINT>(chosen), gApp->GetFrameWindow())) {
      return;
   }
   if (snapshotMRUMenu_ && snapshotMRUMenu_->ExecCommand(static_cast<UINT>(chosen))) {
      return;
   }
   gApp->MenuButtonClicked(static_cast<CommandId>(chosen), path, kSourceMenuBar);
}

void CFSToolbarCtl::TrackMachineList()
{
   HMENU resource = LoadMenuW(GetResourceInstance(), MAKEINTRESOURCEW(IDR_MENU_FULLSCREEN_VMS));
   if (!resource) {
      return;
   }
   std::unique_ptr<HMENU__, decltype(&DestroyMenu)> owner(resource, &DestroyMenu);
   HMENU menu = GetSubMenu(resource, 0);
   MenuOpenScope open;
   std::vector<cui::VM *> machines = PoweredOnMachines();
   cui::VM *current = CurrentVM();
   int listed = std::min<int>(static_cast<int>(machines.size()), kMaxListedMachines);
   for (int i = 0; i < listed; ++i) {
      std::wstring text = WideFromUtf8(MachineLabel(machines[i]));
      InsertMenuW(menu, i, MF_BYPOSITION | MF_STRING, IDM_FS_FIRST_VM + i, text.c_str());
      if (machines[i] == current) {
         CheckMenuRadioItem(menu, IDM_FS_FIRST_VM + i, IDM_FS_FIRST_VM + i, IDM_FS_FIRST_VM + i, MF_BYCOMMAND);
      }
   }
   cui::Prefs *prefs = cui::GetPrefs();
   std::string keys = prefs ? prefs->GetMKSKeySequence() : std::string();
   for (UINT id : {IDM_FS_NEXT_VM, IDM_FS_PREVIOUS_VM}) {
      std::string text = GetMenuItemText(menu, id);
      size_t mark = text.find("%s");
      if (mark != std::string::npos) {
         text.replace(mark, 2, keys);
         SetMenuItemText(menu, id, text);
      }
      if (machines.size() < 2) {
         EnableMenuItem(menu, id, MF_BYCOMMAND | MF_GRAYED);
      }
   }
   RECT button = view_.GetButtonScreenRect(FS_NEXT);
   int chosen = TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTALIGN, button.right, button.bottom,
                                 m_hWnd, nullptr);
   if (chosen >= IDM_FS_FIRST_VM && chosen < IDM_FS_FIRST_VM + listed) {
      MakeCurrent(machines[chosen - IDM_FS_FIRST_VM]);
   } else if (chosen == IDM_FS_NEXT_VM) {
      SwitchMachine(true);
   } else if (chosen == IDM_FS_PREVIOUS_VM) {
      SwitchMachine(false);
   }
}

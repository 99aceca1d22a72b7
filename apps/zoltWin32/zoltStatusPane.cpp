#include "zoltStatusPane.h"

#include "zoltApp.h"
#include "zoltAppDb.h"
#include "zoltStatusHome.h"
#include "zoltStatusNone.h"
#include "zoltStatusTeam.h"
#include "zoltStatusVM.h"

#include "cui/AppDataPaths.h"
#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "cui/Util.h"
#include "cui/WuiPrefs.h"
#include "tremorybase/Log.h"

#include <algorithm>

namespace statuspane {

std::optional<StatusPageKind> ChoosePage(const PageInputs &inputs)
{
   if (!inputs.hasCurrentObj) {
      return kPageNone;
   }
   const std::string &type = inputs.type;
   if (type == "home") {
      switch (inputs.uiMode) {
      case 0:
         return inputs.hasZephroExtension ? kPageHomeDeskmoorEE : kPageHomeDeskmoor;
      case 1:
         return inputs.sessionActive ? kPageHome : kPageNoCnx;
      default:
         Panic("NOT_IMPLEMENTED %s:%d\n", "zoltStatusPane", 11223);
      }
   }
   if (type == "vm") {
      return kPageVM;
   }
   if (type == "mvmt") {
      return kPageMVMT;
   }
   if (type == "hotfix") {
      return kPageHotFix;
   }
   if (type == "team") {
      return kPageTeam;
   }
   if (type == "quen") {
      return kPageQuen;
   }
   return std::nullopt;
}

int PagesOfMode(int uiMode, bool hasZephroExtension, StatusPageKind out[kPageKindCount])
{
   int count = 0;
   if (uiMode == 0) {
      if (hasZephroExtension) {
         out[count++] = kPageHomeDeskmoorEE;
         out[count++] = kPageVmNoAccess;
      } else {
         out[count++] = kPageHomeDeskmoor;
      }
   } else if (uiMode == 1) {
      out[count++] = kPageHome;
      out[count++] = kPageNoCnx;
   }
   for (StatusPageKind kind : {kPageVM, kPageNone, kPageMVMT, kPageQuen, kPageHotFix, kPageTeam}) {
      out[count++] = kind;
   }
   return count;
}

StatusPageKind AvailablePage(StatusPageKind kind, const bool available[kPageKindCount])
{
   if (kind >= 0 && kind < kPageKindCount && available[kind]) {
      return kind;
   }
   // A page whose window could not be made, or whose page is not part of the program yet.
   return kPageNone;
}

LONG OffsetAfterResize(LONG offset, LONG client, LONG extent)
{
   LONG m = std::max<LONG>(offset, client - extent);
   return m >= 1 ? 0 : m;
}

std::optional<int> ScrollPosition(int code, int thumb, int position, int page, int maximum)
{
   int limit = std::max(maximum - page, 0);
   switch (code) {
   case SB_LINEUP:
      return std::max(position - 8, 0);
   case SB_LINEDOWN:
      return std::min(position + 8, limit);
   case SB_PAGEUP:
      return std::max(position - page, 0);
   case SB_PAGEDOWN:
      return std::min(position + page, limit);
   case SB_THUMBPOSITION:
   case SB_THUMBTRACK:
      return thumb;
   case SB_TOP:
      return 0;
   case SB_BOTTOM:
      return limit;
   case SB_ENDSCROLL:
      return std::nullopt;
   default:
      return position;
   }
}

}  // namespace statuspane

namespace {

// The page object of a kind; null for the pages that are not part of the program yet.
std::unique_ptr<CZOLTStatusPage> MakePage(StatusPageKind kind)
{
   switch (kind) {
   case kPageNone:
      return std::make_unique<CZOLTStatusNone>();
   case kPageVM:
      return std::make_unique<CZOLTStatusVM>();
   case kPageHome:
      return std::make_unique<CZOLTStatusHome>();
   case kPageHomeDeskmoor:
      return std::make_unique<CZOLTStatusHomeDeskmoor>();
   case kPageHomeDeskmoorEE:
      return std::make_unique<CZOLTStatusHomeDeskmoorEE>();
   case kPageNoCnx:
      return std::make_unique<CZOLTStatusNoCnx>();
   case kPageTeam:
      return std::make_unique<CZOLTStatusTeam>();
   default:
      return nullptr;
   }
}

}  // namespace

CZOLTStatusPane::CZOLTStatusPane()
{
   for (int kind = 0; kind < kPageKindCount; ++kind) {
      pages_[kind] = MakePage(static_cast<StatusPageKind>(kind));
   }
}

CZOLTStatusPane::~CZOLTStatusPane()
{
   for (int kind = kPageKindCount - 1; kind >= 0; --kind) {
      pages_[kind].reset();
   }
   ReleaseEventSource();
}

bool CZOLTStatusPane::CanShow(StatusPageKind kind) const
{
   return kind >= 0 && kind < kPageKindCount && pages_[kind] && inMode_[kind] && !failed_[kind];
}

HWND CZOLTStatusPane::GetPageWindow(StatusPageKind kind)
{
   if (kind < 0 || kind >= kPageKindCount || !pages_[kind]) {
      return nullptr;
   }
   CZOLTStatusPage *page = pages_[kind].get();
   // A page is made the first time it is asked for: most runs show only a few of them.
   if (!page->GetPageWindow() && m_hWnd && CanShow(kind) && !page->Create(m_hWnd, resLib_)) {
      Warning("CZOLTStatusPane: page %d cannot be created\n", static_cast<int>(kind));
      failed_[kind] = true;
   }
   return page->GetPageWindow();
}

bool CZOLTStatusPane::MakeNextPage()
{
   // The machine page first: a machine opened from the command line or the side bar needs it next.
   auto missing = [this](StatusPageKind kind) { return CanShow(kind) && !pages_[kind]->GetPageWindow(); };
   if (missing(kPageVM)) {
      GetPageWindow(kPageVM);
      return true;
   }
   for (int i = 0; i < modeCount_; ++i) {
      if (missing(modeOrder_[i])) {
         GetPageWindow(modeOrder_[i]);
         return true;
      }
   }
   return false;
}

CZOLTStatusPage *CZOLTStatusPane::PageOfWindow(HWND window) const
{
   for (const auto &page : pages_) {
      if (window && page && page->GetPageWindow() == window) {
         return page.get();
      }
   }
   return nullptr;
}

LRESULT CZOLTStatusPane::OnCreate(UINT, WPARAM, LPARAM, BOOL &)
{
   ctx_ = statuspage::NewPageContext();
   if (ctx_) {
      SetEventSource(ctx_);
   }
   resLib_ = ::LoadLibraryA("zoltRes.dll");
   cui::Prefs *prefs = cui::GetPrefs();
   int uiMode = prefs ? prefs->GetUIMode() : 0;
   modeCount_ = statuspane::PagesOfMode(uiMode, wui::util::HasZephroExtension(), modeOrder_);
   for (int i = 0; i < modeCount_; ++i) {
      inMode_[modeOrder_[i]] = true;
   }
   std::string prefsRequest = prefs ? prefs->GetRequestPath() : std::string(cui::kPrefsRequestPath);
   CtxWatch(cui::appdata::kSession, 1, &CZOLTStatusPane::UpdatePage);
   CtxWatch(cui::appdata::kCurrentObj, 0, &CZOLTStatusPane::UpdatePage);
   CtxWatch("/vm/#/vmx/execState/val", 0, &CZOLTStatusPane::UpdatePage);
   CtxWatch("/vm/#/cfgStatus", 1, &CZOLTStatusPane::UpdatePage);
   CtxWatch((prefsRequest + "val/zolt/view/homepage").c_str(), 0, &CZOLTStatusPane::UpdatePage);
   UpdatePage(nullptr);
   return 0;
}

LRESULT CZOLTStatusPane::OnDestroy(UINT, WPARAM, LPARAM, BOOL &)
{
   if (GetEventSource()) {
      ReleaseEventSource();
   }
   ctx_ = nullptr;
   if (resLib_) {
      ::FreeLibrary(resLib_);
      resLib_ = nullptr;
   }
   shown_ = nullptr;
   return 0;
}

void CZOLTStatusPane::UpdatePage(BSTR)
{
   wui::Prefs *prefs = wui::GetPrefs();
   cui::Prefs *cuiPrefs = cui::GetPrefs();
   statuspane::PageInputs inputs;
   inputs.hasCurrentObj = prefs && !prefs->GetCurrentObj().empty();
   inputs.type = prefs ? prefs->GetCurrentObjType() : std::string();
   inputs.uiMode = cuiPrefs ? cuiPrefs->GetUIMode() : 0;
   inputs.hasZephroExtension = wui::util::HasZephroExtension();
   inputs.sessionActive = false;
   if (inputs.hasCurrentObj && inputs.type == "home" && inputs.uiMode == 1) {
      if (!ctx_) {
         _com_issue_error(E_POINTER);
      }
      inputs.sessionActive = zoltdb::ReadFlag(ctx_, cui::appdata::kSessionActive);
   }
   std::optional<StatusPageKind> kind = statuspane::ChoosePage(inputs);
   if (kind) {
      ShowKind(*kind);
   }
}

void CZOLTStatusPane::ShowKind(StatusPageKind kind)
{
   bool available[kPageKindCount];
   for (int i = 0; i < kPageKindCount; ++i) {
      available[i] = CanShow(static_cast<StatusPageKind>(i));
   }
   StatusPageKind shown = statuspane::AvailablePage(kind, available);
   HWND window = GetPageWindow(shown);
   if (!window && shown != kPageNone) {
      shown = kPageNone;
      window = GetPageWindow(shown);
   }
   ShowPage(window, window ? pages_[shown]->GetExtent() : SIZE{0, 0});
}

void CZOLTStatusPane::ShowPage(HWND page, SIZE extent)
{
   if (shown_ && shown_ == page) {
      // The same page again: its notes are saved, but the user's scroll position stays.
      SaveCurrentNotes();
      extent_ = extent;
      UpdateScrollBars();
      return;
   }
   if (shown_) {
      ::ShowWindow(shown_, SW_HIDE);
      RECT clip = {0, 0, extent_.cx, extent_.cy};
      ::ScrollWindow(shown_, -offset_.x, -offset_.y, nullptr, &clip);
      SaveCurrentNotes();
   }
   shown_ = page;
   extent_ = extent;
   if (page) {
      RECT client = {};
      GetClientRect(&client);
      ::SetWindowPos(page, nullptr, client.left, client.top, client.right - client.left, client.bottom - client.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      ::ShowWindow(page, SW_SHOW);
   }
   offset_ = POINT{0, 0};
   UpdateScrollBars();
}

void CZOLTStatusPane::SaveCurrentNotes()
{
   if (CZOLTStatusPage *page = PageOfWindow(shown_)) {
      page->SaveNotes();
   }
}

void CZOLTStatusPane::UpdateScrollBars()
{
   if (!shown_) {
      ::ShowScrollBar(m_hWnd, SB_BOTH, FALSE);
      return;
   }
   // A bar that appears or goes changes the client area the other bar's page is measured on.
   for (int pass = 0; pass < 2; ++pass) {
      RECT client = {};
      GetClientRect(&client);
      SCROLLINFO info = {sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
      info.nMax = extent_.cx;
      info.nPage = static_cast<UINT>(client.right - client.left);
      info.nPos = -offset_.x;
      ::SetScrollInfo(m_hWnd, SB_HORZ, &info, TRUE);
      info.nMax = extent_.cy;
      info.nPage = static_cast<UINT>(client.bottom - client.top);
      info.nPos = -offset_.y;
      ::SetScrollInfo(m_hWnd, SB_VERT, &info, TRUE);
      RECT after = {};
      GetClientRect(&after);
      if (after.right == client.right && after.bottom == client.bottom) {
         break;
      }
   }
}

LRESULT CZOLTStatusPane::OnSize(UINT, WPARAM, LPARAM, BOOL &)
{
   RECT client = {};
   GetClientRect(&client);
   POINT old = offset_;
   offset_.x = statuspane::OffsetAfterResize(offset_.x, client.right, extent_.cx);
   offset_.y = statuspane::OffsetAfterResize(offset_.y, client.bottom, extent_.cy);
   UpdateScrollBars();
   if (shown_) {
      LONG right = std::max<LONG>(client.right, client.left + extent_.cx);
      LONG bottom = std::max<LONG>(client.bottom, client.top + extent_.cy);
      ::SetWindowPos(shown_, nullptr, client.left, client.top, right - client.left, bottom - client.top,
                     SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
      if (offset_.x != old.x || offset_.y != old.y) {
         ::ScrollWindow(shown_, offset_.x - old.x, offset_.y - old.y, nullptr, &client);
      }
   }
   ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
   return 0;
}

LRESULT CZOLTStatusPane::OnScroll(UINT uMsg, WPARAM wParam, LPARAM, BOOL &)
{
   if (!shown_) {
      return 0;
   }
   int bar = uMsg == WM_HSCROLL ? SB_HORZ : SB_VERT;
   SCROLLINFO info = {sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
   ::GetScrollInfo(m_hWnd, bar, &info);
   std::optional<int> position = statuspane::ScrollPosition(LOWORD(wParam), static_cast<int>(HIWORD(wParam)),
                                                            info.nPos, static_cast<int>(info.nPage), info.nMax);
   if (!position) {
      return 0;
   }
   POINT old = offset_;
   (bar == SB_HORZ ? offset_.x : offset_.y) = -*position;
   offset_.x = std::min<LONG>(offset_.x, 0);
   offset_.y = std::min<LONG>(offset_.y, 0);
   RECT clip = {};
   ::GetClientRect(shown_, &clip);
   ::ScrollWindow(shown_, offset_.x - old.x, offset_.y - old.y, nullptr, &clip);
   UpdateScrollBars();
   return 0;
}

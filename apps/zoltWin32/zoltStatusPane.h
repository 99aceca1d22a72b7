// The status pane: the summary side of the tabbed view. It owns one page per kind of object and
// state, creates each page the first time it is needed and shows the one that fits the
// application's current object,
// scrolling it when the pane is smaller than the page.
#pragma once

#include "atl/Atl.h"
#include "zoltCtxEvents.h"
#include "zoltStatusBase.h"

#include "vmdb/VmdbInterfaces.h"

#include <memory>
#include <optional>
#include <string>

// The pages, in the order the pane constructs them.
enum StatusPageKind {
   kPageNone,
   kPageNoCnx,
   kPageHome,
   kPageHomeDeskmoor,
   kPageHomeDeskmoorEE,
   kPageVM,
   kPageMVMT,
   kPageQuen,
   kPageHotFix,
   kPageVmNoAccess,
   kPageTeam,
   kPageKindCount
};

namespace statuspane {

// What decides the page.
struct PageInputs {
   bool hasCurrentObj;
   std::string type;   // the current object's type
   int uiMode;
   bool hasZephroExtension;
   bool sessionActive;   // read only for a "home" object in UI mode 1
};
// The page for the inputs; none when the shown page stays (an unknown object type).
std::optional<StatusPageKind> ChoosePage(const PageInputs &inputs);
// The pages the pane may create in a UI mode, in creation order; ends at kPageKindCount.
int PagesOfMode(int uiMode, bool hasZephroExtension, StatusPageKind out[kPageKindCount]);

// The page the pane shows for a chosen kind: that page when it is available (in the mode, its
// window made or still to be made), else the none page (the pages of the home, no-connection, managed-template, pending-open, hot-fix and
// no-access kinds have no window yet).
StatusPageKind AvailablePage(StatusPageKind kind, const bool available[kPageKindCount]);

// The scroll offset (0 or negative) after the client area became `client` for a page of `extent`.
LONG OffsetAfterResize(LONG offset, LONG client, LONG extent);
// The new position of a scroll bar for a request, or none when nothing is to happen.
std::optional<int> ScrollPosition(int code, int thumb, int position, int page, int maximum);

}  // namespace statuspane

class CZOLTStatusPane : public CWindowImpl<CZOLTStatusPane>, public CCtxEvents<CZOLTStatusPane, 0> {
public:
   DECLARE_WND_CLASS_EX("ZOLTStatusPane", CS_DBLCLKS, COLOR_WINDOW)

   CZOLTStatusPane();
   ~CZOLTStatusPane() override;

   BEGIN_MSG_MAP(CZOLTStatusPane)
      MESSAGE_HANDLER(WM_CREATE, OnCreate)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_HSCROLL, OnScroll)
      MESSAGE_HANDLER(WM_VSCROLL, OnScroll)
   END_MSG_MAP()

   // The handler of every watch of the pane; the argument is ignored.
   void UpdatePage(BSTR changed);
   void ShowPage(HWND page, SIZE extent);
   void SaveCurrentNotes();
   void UpdateScrollBars();

   // The page shown (null for none), its window for a kind (made on first ask; null when the
   // kind has no page in this UI mode or it could not be made) and the scroll offset.
   HWND GetShownPage() const { return shown_; }
   HWND GetPageWindow(StatusPageKind kind);
   POINT GetScrollOffset() const { return offset_; }
   // Makes the next page of the UI mode not made yet, the machine page first; false when none
   // is left.
   bool MakeNextPage();

private:
   LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnScroll(UINT uMsg, WPARAM wParam, LPARAM, BOOL &);
   void ShowKind(StatusPageKind kind);
   // Whether the kind has a page in this UI mode that could be (or was) made.
   bool CanShow(StatusPageKind kind) const;
   CZOLTStatusPage *PageOfWindow(HWND window) const;

   IVmdbContextPtr ctx_;
   std::unique_ptr<CZOLTStatusPage> pages_[kPageKindCount];
   bool inMode_[kPageKindCount] = {};
   StatusPageKind modeOrder_[kPageKindCount] = {};
   int modeCount_ = 0;
   bool failed_[kPageKindCount] = {};
   HWND shown_ = nullptr;
   SIZE extent_ = {0, 0};
   POINT offset_ = {0, 0};
   HMODULE resLib_ = nullptr;
};

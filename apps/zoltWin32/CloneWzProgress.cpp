#include "CloneWzProgress.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "CloneWz.h"
#include "CloneWzPages.h"
#include "zoltApp.h"

#include "atl/Gdi.h"
#include "cui/LocalizedString.h"
#include "res/resource.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"

namespace clonewz {

namespace {

const wchar_t kRunning[] = L"CloneWzRunning";
// The sheet's own Back button (comctl32's id).
const int kSheetBack = 0x3023;

void Show(HWND page, int id, bool show = true)
{
   ShowWindow(GetDlgItem(page, id), show ? SW_SHOW : SW_HIDE);
}

RECT RectIn(HWND page, int id)
{
   RECT rect = {};
   GetWindowRect(GetDlgItem(page, id), &rect);
   MapWindowPoints(nullptr, page, reinterpret_cast<POINT *>(&rect), 2);
   return rect;
}

void MoveUp(HWND page, int id, int dy)
{
   RECT rect = RectIn(page, id);
   SetWindowPos(GetDlgItem(page, id), nullptr, rect.left, rect.top - dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A step's marker: a check mark drawn into the owner-drawn static (no font is needed for it).
void DrawMarker(const DRAWITEMSTRUCT &item)
{
   const RECT &r = item.rcItem;
   FillRect(item.hDC, &r, GetSysColorBrush(COLOR_BTNFACE));
   int w = r.right - r.left;
   int h = r.bottom - r.top;
   int side = w < h ? w : h;
   int x = r.left + (w - side) / 2;
   int y = r.top + (h - side) / 2;
   POINT mark[3] = {{x + side / 6, y + side / 2}, {x + side * 5 / 12, y + side * 3 / 4}, {x + side * 5 / 6, y + side / 4}};
   atl::ScopedPen pen(CreatePen(PS_SOLID, side >= 12 ? 2 : 1, RGB(0x1E, 0x7B, 0x34)));
   atl::ScopedSelection selected(item.hDC, pen);
   Polyline(item.hDC, mark, 3);
}

void Finished(HWND page, CCloneWz &wizard, bool completed)
{
   RemovePropW(page, kRunning);
   wizard.SetCompleted(completed);
   PropSheet_SetWizButtons(GetParent(page), PSWIZB_FINISH);
}

CCloneWz *LivePage(HWND page)
{
   return IsWindow(page) ? AttachWizard(page, WM_NULL, 0) : nullptr;
}

void OnSnapshotStep(HWND page)
{
   if (LivePage(page)) {
      Show(page, IDC_CLONEWZ_MARK_SNAPSHOT);
   }
}

void OnDone(HWND page)
{
   CCloneWz *wizard = LivePage(page);
   if (!wizard) {
      return;
   }
   Show(page, IDC_CLONEWZ_MARK_CREATE);
   Show(page, IDC_CLONEWZ_MARK_DONE);
   Show(page, IDC_CLONEWZ_STEP_DONE);
   Log("CCloneWz: the clone %s is made\n", wizard->GetPath().c_str());
   Finished(page, *wizard, true);
}

void OnFailed(HWND page, bool cancelled, cui::Error error)
{
   CCloneWz *wizard = LivePage(page);
   if (!wizard) {
      return;
   }
   UINT outcome = IDS_CLONEWZ_CANCELLED;
   if (!cancelled) {
      outcome = IDS_CLONEWZ_FAILED;
      Log("CCloneWz: the clone failed: %s\n", error.what());
      std::wstring caption = WideFromUtf8(tremapputil::ResString(IDS_CLONEWZ_ERROR_CAPTION)
                                             .Format({CZOLTApp::GetAppTitle()}));
      std::wstring text = WideFromUtf8(cui::SanitizeMessage(error.what()));
      MessageBoxW(GetParent(page), text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
      if (!IsWindow(page)) {
         return;
      }
   }
   SetItemText(page, IDC_CLONEWZ_STEP_DONE, ResText(outcome));
   Show(page, IDC_CLONEWZ_FAILED_ICON);
   Show(page, IDC_CLONEWZ_STEP_DONE);
   Finished(page, *wizard, false);
}

void PostFailure(HWND page, const cui::Error &error)
{
   Poll_Post([page, error]() { OnFailed(page, false, error); });
}

void Start(HWND page, CCloneWz &wizard)
{
   HWND sheet = GetParent(page);
   MakeSheetDialogOwner(sheet);
   Show(sheet, IDCANCEL, false);
   Show(sheet, kSheetBack, false);
   std::wstring close = WideFromUtf8(cui::GetLocalString("@&!*@*@(msg.clonewz.close)Close"));
   SendMessageW(sheet, PSM_SETFINISHTEXTW, 0, reinterpret_cast<LPARAM>(close.c_str()));
   DeleteMenu(GetSystemMenu(sheet, FALSE), SC_CLOSE, MF_BYCOMMAND);

   SendDlgItemMessageW(page, IDC_CLONEWZ_FAILED_ICON, STM_SETICON,
                       reinterpret_cast<WPARAM>(LoadIconW(nullptr, MAKEINTRESOURCEW(32513))), 0);   // IDI_ERROR
   std::string kind = ResText(wizard.GetLinked() ? IDS_CLONEWZ_KIND_LINKED : IDS_CLONEWZ_KIND_FULL);
   std::string line = ItemText(page, IDC_CLONEWZ_STEP_CREATE);
   size_t insert = line.find("%1");
   if (insert != std::string::npos) {
      line.replace(insert, 2, kind);
   }
   SetItemText(page, IDC_CLONEWZ_STEP_CREATE, line);

   if (ProgressSteps(wizard.GetLinked(), wizard.IsSourceSnapshot()).size() == 3) {
      int dy = RectIn(page, IDC_CLONEWZ_STEP_CREATE).top - RectIn(page, IDC_CLONEWZ_STEP_SNAPSHOT).top;
      Show(page, IDC_CLONEWZ_MARK_SNAPSHOT, false);
      Show(page, IDC_CLONEWZ_STEP_SNAPSHOT, false);
      for (int id : {IDC_CLONEWZ_MARK_CREATE, IDC_CLONEWZ_STEP_CREATE, IDC_CLONEWZ_MARK_DONE, IDC_CLONEWZ_STEP_DONE,
                     IDC_CLONEWZ_FAILED_ICON}) {
         MoveUp(page, id, dy);
      }
   }
   SetPropW(page, kRunning, reinterpret_cast<HANDLE>(1));
   Log("CCloneWz: starting a %s clone of snapshot %d to %s\n", wizard.GetLinked() ? "linked" : "full",
       wizard.GetSnapshotUid(), wizard.GetPath().c_str());
   Show(page, IDC_CLONEWZ_MARK_PREPARE);
   try {
      wizard.StartClone([page](bool cancelled, cui::Error error) { OnFailed(page, cancelled, error); },
                        [page]() { OnDone(page); }, [page]() { OnSnapshotStep(page); });
   } catch (const cui::Error &e) {
      // Reported as the clone's failure, from the loop: the page is still being made.
      cui::Error error = e;
      PostFailure(page, error);
   }
}

}  // namespace

std::vector<int> ProgressSteps(bool linked, bool fromSnapshot)
{
   if (linked && !fromSnapshot) {
      return {IDC_CLONEWZ_STEP_PREPARE, IDC_CLONEWZ_STEP_SNAPSHOT, IDC_CLONEWZ_STEP_CREATE, IDC_CLONEWZ_STEP_DONE};
   }
   return {IDC_CLONEWZ_STEP_PREPARE, IDC_CLONEWZ_STEP_CREATE, IDC_CLONEWZ_STEP_DONE};
}

static INT_PTR ProgressPageMessage(HWND page, UINT msg, WPARAM, LPARAM lParam)
{
   CCloneWz *wizard = AttachWizard(page, msg, lParam);
   if (!wizard) {
      return FALSE;
   }
   switch (msg) {
   case WM_INITDIALOG:
      Start(page, *wizard);
      return TRUE;
   case WM_DRAWITEM: {
      const DRAWITEMSTRUCT &item = *reinterpret_cast<DRAWITEMSTRUCT *>(lParam);
      if (item.CtlID < IDC_CLONEWZ_MARK_PREPARE || item.CtlID > IDC_CLONEWZ_MARK_DONE) {
         return FALSE;
      }
      DrawMarker(item);
      return TRUE;
   }
   case WM_DESTROY:
      RemovePropW(page, kRunning);
      return FALSE;
   case WM_NOTIFY: {
      const NMHDR &header = *reinterpret_cast<NMHDR *>(lParam);
      switch (header.code) {
      case PSN_SETACTIVE:
         PropSheet_SetWizButtons(GetParent(page), GetPropW(page, kRunning) ? PSWIZB_DISABLEDFINISH : PSWIZB_FINISH);
         return Answer(page, 0);
      case PSN_QUERYCANCEL:
         // Escape while the clone is made: it cannot be given up half way.
         return Answer(page, GetPropW(page, kRunning) ? TRUE : FALSE);
      case PSN_WIZFINISH:
         return Answer(page, GetPropW(page, kRunning) ? TRUE : FALSE);
      case PSN_WIZBACK:
      case PSN_WIZNEXT:
         return Answer(page, -1);   // the last page, and no way back from it
      default:
         return FALSE;
      }
   }
   default:
      return FALSE;
   }
}

INT_PTR CALLBACK ProgressPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
   return Guarded([&]() { return ProgressPageMessage(page, msg, wParam, lParam); });
}

}  // namespace clonewz

#include "CloneWzSource.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>

#include "CloneWz.h"
#include "CloneWzPages.h"

#include "cui/Snapshot.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "res/resource.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace clonewz {

namespace {

std::wstring Lowered(const std::string &text)
{
   std::wstring wide = WideFromUtf8(text);
   if (!wide.empty()) {
      // Windows' own lower case, which knows letters beyond ASCII.
      CharLowerBuffW(&wide[0], static_cast<DWORD>(wide.size()));
   }
   return wide;
}

HWND Combo(HWND page)
{
   return GetDlgItem(page, IDC_CLONEWZ_SNAPSHOT_LIST);
}

int SelectedUid(HWND page)
{
   LRESULT index = SendMessageW(Combo(page), CB_GETCURSEL, 0, 0);
   if (index == CB_ERR) {
      return 0;
   }
   return static_cast<int>(SendMessageW(Combo(page), CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void ShowSelectedDescription(HWND page, const CCloneWz &wizard)
{
   const cui::Snapshot *snapshot = wizard.GetSnapshotTree() ? wizard.GetSnapshotTree()->GetSnapshot(SelectedUid(page))
                                                            : nullptr;
   SetItemText(page, IDC_CLONEWZ_SOURCE_MESSAGE, snapshot && !snapshot->IsYah() ? snapshot->GetDescription() : "");
}

bool Enabled(HWND page, int id)
{
   return IsWindowEnabled(GetDlgItem(page, id)) != FALSE;
}

void Fill(HWND page, CCloneWz &wizard)
{
   cui::VM *vm = wizard.GetVM();
   cui::SnapshotTree *tree = wizard.GetSnapshotTree();
   if (!vm || !tree) {
      return;
   }
   HWND combo = Combo(page);
   SendMessageW(combo, CB_RESETCONTENT, 0, 0);
   std::vector<const cui::Snapshot *> snapshots = CloneableSnapshots(*vm, *tree);
   bool any = !snapshots.empty();
   EnableWindow(GetDlgItem(page, IDC_CLONEWZ_SOURCE_SNAPSHOT), any);
   EnableWindow(combo, any);
   if (!any) {
      SetItemText(page, IDC_CLONEWZ_SOURCE_MESSAGE,
                  ResText(vm->IsTemplate() ? IDS_CLONEWZ_TEMPLATE_NO_SNAPSHOT : IDS_CLONEWZ_NO_SNAPSHOT));
      wizard.SetSnapshotUid(0);
   } else {
      int wanted = wizard.GetSnapshotUid();
      if (wanted == 0 && tree->GetCurrent()) {
         wanted = tree->GetCurrent()->GetUID();
      }
      int selected = 0;
      for (size_t i = 0; i < snapshots.size(); ++i) {
         LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0,
                                      reinterpret_cast<LPARAM>(WideFromUtf8(snapshots[i]->GetDisplayName()).c_str()));
         SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), snapshots[i]->GetUID());
         if (snapshots[i]->GetUID() == wanted) {
            selected = static_cast<int>(index);
         }
      }
      SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
      ShowSelectedDescription(page, wizard);
   }
   // The current state: a template's is kept as it is, a running machine's is in use.
   int error = 0;
   bool current = vm->IsCloneable(0, cui::VM::CLONE_EITHER, &error);
   EnableWindow(GetDlgItem(page, IDC_CLONEWZ_SOURCE_CURRENT), current);
   SetItemText(page, IDC_CLONEWZ_SOURCE_NOTE, current ? ResText(IDS_CLONEWZ_CURRENT_NOTE) : cui::VM::GetErrorText(error));

   int radio = IDC_CLONEWZ_SOURCE_CURRENT;
   if (!(current && wizard.GetSnapshotUid() == 0) && any) {
      radio = IDC_CLONEWZ_SOURCE_SNAPSHOT;
   }
   CheckRadioButton(page, IDC_CLONEWZ_SOURCE_CURRENT, IDC_CLONEWZ_SOURCE_SNAPSHOT, radio);
}

// The source chosen; false when a snapshot is asked for and none is chosen, which never means
// the current state in its place.
bool StoreChoice(HWND page, CCloneWz &wizard)
{
   if (IsDlgButtonChecked(page, IDC_CLONEWZ_SOURCE_CURRENT) == BST_CHECKED) {
      wizard.SetSnapshotUid(0);
   } else if (IsDlgButtonChecked(page, IDC_CLONEWZ_SOURCE_SNAPSHOT) == BST_CHECKED && SelectedUid(page) > 0) {
      wizard.SetSnapshotUid(SelectedUid(page));
   } else {
      MessageBeep(MB_ICONWARNING);
      return false;
   }
   Log("CCloneWz: source %d\n", wizard.GetSnapshotUid());
   return true;
}

}  // namespace

bool SnapshotNameLess(const std::string &a, const std::string &b)
{
   return Lowered(a) < Lowered(b);
}

std::vector<const cui::Snapshot *> CloneableSnapshots(const cui::VM &vm, const cui::SnapshotTree &tree)
{
   std::vector<const cui::Snapshot *> snapshots;
   for (const cui::Snapshot *snapshot : tree) {
      if (vm.IsCloneable(snapshot->GetUID(), cui::VM::CLONE_EITHER)) {
         snapshots.push_back(snapshot);
      }
   }
   std::stable_sort(snapshots.begin(), snapshots.end(), [](const cui::Snapshot *a, const cui::Snapshot *b) {
      return SnapshotNameLess(a->GetDisplayName(), b->GetDisplayName());
   });
   return snapshots;
}

static INT_PTR SourcePageMessage(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
   CCloneWz *wizard = AttachWizard(page, msg, lParam);
   if (!wizard) {
      return FALSE;
   }
   switch (msg) {
   case WM_INITDIALOG:
      Fill(page, *wizard);
      wizard->KeepPageConnection(wizard->machineChanged.connect([page]() {
         if (CCloneWz *current = AttachWizard(page, WM_NULL, 0)) {
            Fill(page, *current);
         }
      }));
      return TRUE;
   case WM_COMMAND:
      if ((LOWORD(wParam) == IDC_CLONEWZ_SOURCE_CURRENT || LOWORD(wParam) == IDC_CLONEWZ_SOURCE_SNAPSHOT) &&
          HIWORD(wParam) == BN_CLICKED) {
         // The pair is kept exclusive here: a sheet's page does not always get it from the radios.
         CheckRadioButton(page, IDC_CLONEWZ_SOURCE_CURRENT, IDC_CLONEWZ_SOURCE_SNAPSHOT, LOWORD(wParam));
      } else if (LOWORD(wParam) == IDC_CLONEWZ_SNAPSHOT_LIST && HIWORD(wParam) == CBN_SELCHANGE) {
         ShowSelectedDescription(page, *wizard);
      } else if (LOWORD(wParam) == IDC_CLONEWZ_SNAPSHOT_LIST && HIWORD(wParam) == CBN_SETFOCUS) {
         CheckRadioButton(page, IDC_CLONEWZ_SOURCE_CURRENT, IDC_CLONEWZ_SOURCE_SNAPSHOT, IDC_CLONEWZ_SOURCE_SNAPSHOT);
      }
      return FALSE;
   case WM_NOTIFY: {
      const NMHDR &header = *reinterpret_cast<NMHDR *>(lParam);
      INT_PTR result = FALSE;
      if (header.code == PSN_SETACTIVE) {
         bool none = !Enabled(page, IDC_CLONEWZ_SOURCE_CURRENT) && !Enabled(page, IDC_CLONEWZ_SOURCE_SNAPSHOT);
         PropSheet_SetWizButtons(GetParent(page), none ? PSWIZB_BACK
                                                       : wizard->GetWizardButtons(CCloneWz::kSourcePage));
         return Answer(page, 0);
      }
      // Finish takes the page's choice as Next does, then checks every page.
      if (header.code == PSN_WIZNEXT || header.code == PSN_WIZFINISH) {
         if (!StoreChoice(page, *wizard)) {
            return Answer(page, header.code == PSN_WIZNEXT ? -1 : TRUE);
         }
         if (header.code == PSN_WIZNEXT) {
            return Answer(page, wizard->GetNextPage(CCloneWz::kSourcePage));
         }
      }
      if (HandleNavigation(page, *wizard, CCloneWz::kSourcePage, header, result)) {
         return result;
      }
      return FALSE;
   }
   default:
      return FALSE;
   }
}

INT_PTR CALLBACK SourcePageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
   return Guarded([&]() { return SourcePageMessage(page, msg, wParam, lParam); });
}

}  // namespace clonewz

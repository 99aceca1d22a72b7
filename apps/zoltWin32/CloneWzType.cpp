#include "CloneWzType.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "CloneWz.h"
#include "CloneWzPages.h"

#include "cui/VM.h"
#include "res/resource.h"
#include "tremorybase/Log.h"

namespace clonewz {

namespace {

void ShowItem(HWND page, int id, bool show)
{
   ShowWindow(GetDlgItem(page, id), show ? SW_SHOW : SW_HIDE);
}

// The note on the kind chosen for a source that is itself a clone.
void ShowKindNote(HWND page, const CCloneWz &wizard)
{
   if (!wizard.IsSourceClone()) {
      return;
   }
   bool linked = IsDlgButtonChecked(page, IDC_CLONEWZ_TYPE_LINKED) == BST_CHECKED;
   SetItemText(page, IDC_CLONEWZ_TYPE_NOTE, ResText(linked ? IDS_CLONEWZ_LINKED_NOTE : IDS_CLONEWZ_FULL_NOTE));
}

void Compute(HWND page, CCloneWz &wizard)
{
   TypeChoice choice = ComputeTypeChoice(wizard);
   EnableWindow(GetDlgItem(page, IDC_CLONEWZ_TYPE_LINKED), choice.linkedPossible);
   EnableWindow(GetDlgItem(page, IDC_CLONEWZ_TYPE_FULL), choice.fullPossible);
   SetItemText(page, IDC_CLONEWZ_TYPE_REASONS, choice.reasons);
   ShowItem(page, IDC_CLONEWZ_TYPE_REASONS, !choice.reasons.empty());
   ShowItem(page, IDC_CLONEWZ_TYPE_NOTE, choice.showCloneNote);
   ShowItem(page, IDC_CLONEWZ_TYPE_WARNING, choice.showCloneNote || !choice.reasons.empty());
   CheckRadioButton(page, IDC_CLONEWZ_TYPE_LINKED, IDC_CLONEWZ_TYPE_FULL,
                    choice.linked ? IDC_CLONEWZ_TYPE_LINKED : IDC_CLONEWZ_TYPE_FULL);
   ShowKindNote(page, wizard);
   bool none = !choice.linkedPossible && !choice.fullPossible;
   PropSheet_SetWizButtons(GetParent(page), none ? PSWIZB_BACK : wizard.GetWizardButtons(CCloneWz::kTypePage));
}

}  // namespace

TypeChoice ComputeTypeChoice(const CCloneWz &wizard)
{
   TypeChoice choice;
   int linkedError = 0;
   int fullError = 0;
   choice.linkedPossible = wizard.IsCloneable(cui::VM::CLONE_LINKED, &linkedError);
   choice.fullPossible = wizard.IsCloneable(cui::VM::CLONE_FULL, &fullError);
   if (!choice.linkedPossible) {
      choice.reasons = cui::VM::GetErrorText(linkedError);
   }
   if (!choice.fullPossible && (choice.linkedPossible || fullError != linkedError)) {
      choice.reasons += (choice.reasons.empty() ? "" : "\r\n") + cui::VM::GetErrorText(fullError);
   }
   choice.showCloneNote = choice.linkedPossible && choice.fullPossible && wizard.IsSourceClone();
   choice.linked = (wizard.GetLinked() && choice.linkedPossible) || !choice.fullPossible;
   return choice;
}

static INT_PTR TypePageMessage(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
   CCloneWz *wizard = AttachWizard(page, msg, lParam);
   if (!wizard) {
      return FALSE;
   }
   switch (msg) {
   case WM_INITDIALOG:
      SendDlgItemMessageW(page, IDC_CLONEWZ_TYPE_WARNING, STM_SETICON,
                          reinterpret_cast<WPARAM>(LoadIconW(nullptr, MAKEINTRESOURCEW(32515))), 0);   // IDI_WARNING
      wizard->KeepPageConnection(wizard->machineChanged.connect([page]() {
         if (CCloneWz *current = AttachWizard(page, WM_NULL, 0)) {
            Compute(page, *current);
         }
      }));
      return TRUE;
   case WM_COMMAND:
      if ((LOWORD(wParam) == IDC_CLONEWZ_TYPE_LINKED || LOWORD(wParam) == IDC_CLONEWZ_TYPE_FULL) &&
          HIWORD(wParam) == BN_CLICKED) {
         // The pair is kept exclusive here: a sheet's page does not always get it from the radios.
         CheckRadioButton(page, IDC_CLONEWZ_TYPE_LINKED, IDC_CLONEWZ_TYPE_FULL, LOWORD(wParam));
         ShowKindNote(page, *wizard);
      }
      return FALSE;
   case WM_NOTIFY: {
      const NMHDR &header = *reinterpret_cast<NMHDR *>(lParam);
      INT_PTR result = FALSE;
      if (header.code == PSN_SETACTIVE) {
         // The source may have changed on the page before: what is possible is asked again.
         Compute(page, *wizard);
         return Answer(page, 0);
      }
      // Finish takes the page's choice as Next does, then checks every page.
      if (header.code == PSN_WIZNEXT || header.code == PSN_WIZFINISH) {
         bool linked = IsDlgButtonChecked(page, IDC_CLONEWZ_TYPE_LINKED) == BST_CHECKED;
         if (!wizard->IsCloneable(linked ? cui::VM::CLONE_LINKED : cui::VM::CLONE_FULL)) {
            MessageBeep(MB_ICONWARNING);
            return Answer(page, header.code == PSN_WIZNEXT ? -1 : TRUE);
         }
         wizard->SetLinked(linked);
         Log("CCloneWz: %s clone\n", linked ? "linked" : "full");
         if (header.code == PSN_WIZNEXT) {
            return Answer(page, wizard->GetNextPage(CCloneWz::kTypePage));
         }
      }
      if (HandleNavigation(page, *wizard, CCloneWz::kTypePage, header, result)) {
         return result;
      }
      return FALSE;
   }
   default:
      return FALSE;
   }
}

INT_PTR CALLBACK TypePageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
   return Guarded([&]() { return TypePageMessage(page, msg, wParam, lParam); });
}

}  // namespace clonewz

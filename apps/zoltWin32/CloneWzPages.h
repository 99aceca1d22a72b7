// The clone wizard's pages: one dialog procedure per page, each holding the wizard (CCloneWz) in
// its GWLP_USERDATA from WM_INITDIALOG to WM_DESTROY, and what they share.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

#include "cui/Error.h"

class CCloneWz;

namespace clonewz {

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SourcePageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TypePageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NamePageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProgressPageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);

// WM_INITDIALOG keeps the wizard of the page's PROPSHEETPAGE; later messages find it there.
CCloneWz *AttachWizard(HWND page, UINT msg, LPARAM lParam);
// Runs a page's handling of one message: a failure it throws is logged and shown as an error
// dialog, never let into the property sheet's window procedure.
void ReportPageFailure(const char *what, bool showIt);
template <class Handle>
INT_PTR Guarded(Handle handle)
{
   try {
      return handle();
   } catch (const cui::Error &e) {
      ReportPageFailure(e.what(), true);
   } catch (const std::exception &e) {
      ReportPageFailure(e.what(), false);
   } catch (...) {
      ReportPageFailure("an exception of an unknown kind", false);
   }
   return FALSE;
}

// A notification's answer: the page to show (a template id), -1 to stay, TRUE to keep the sheet.
INT_PTR Answer(HWND page, LONG_PTR result);
// The navigation every page but the progress page shares: cancel, Back and Finish pressed
// early. True when handled, with the window procedure's answer in `result`.
bool HandleNavigation(HWND page, CCloneWz &wizard, int pageId, const NMHDR &header, INT_PTR &result);

// The sheet becomes the owner of the dialogs both dialog managers make from now on.
void MakeSheetDialogOwner(HWND sheet);
// An error dialog with `text`, owned by the sheet (through the library's dialog manager).
void ShowError(const std::string &text);
// Window text as UTF-8, and a resource string.
std::string ItemText(HWND page, int id);
void SetItemText(HWND page, int id, const std::string &text);
std::string ResText(unsigned int id);

}  // namespace clonewz

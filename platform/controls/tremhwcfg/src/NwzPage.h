// One page of the new-machine wizard: a dialog from its template inside the property sheet.
// The base handles the sheet's notifications: it sets the wizard's buttons, lets a page load
// its controls once and refresh them each time it is shown, and on Next or Finish asks the page
// to take its inputs; a refusal is written on the page and the wizard stays where it is.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <string>

#include "atl/Atl.h"

namespace tremhwcfg {

class CNwzSheet;

class CNwzPage : public atl::CDialogImplBaseT<atl::CWindow> {
public:
   CNwzPage(CNwzSheet &sheet, UINT dialogId, UINT titleId, UINT subtitleId);
   ~CNwzPage() override = default;

   // The page's description for the sheet; `first` and `last` set its buttons. A wizard shows
   // its page's title in the caption: every page carries the wizard's.
   PROPSHEETPAGEW Describe(const std::wstring &caption, bool first, bool last);

   BEGIN_MSG_MAP(CNwzPage)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnCtlColorStatic)
      NOTIFY_CODE_HANDLER(PSN_SETACTIVE, OnSetActive)
      NOTIFY_CODE_HANDLER(PSN_WIZNEXT, OnWizNext)
      NOTIFY_CODE_HANDLER(PSN_WIZFINISH, OnWizFinish)
   END_MSG_MAP()

protected:
   // Fills the controls from the settings, once.
   virtual void Load() {}
   // Brings what depends on other pages up to date, each time the page is shown.
   virtual void Refresh() {}
   // Takes the page's inputs into the settings; answers the text that says why it cannot.
   virtual std::wstring Store() { return L""; }

   std::wstring ItemText(int id) const;
   void ShowError(const std::wstring &text);
   void ClearError();
   // Presses a button of the sheet (PSBTN_NEXT, PSBTN_CANCEL, ...).
   void PressButton(int button);

   CNwzSheet &sheet_;

private:
   static INT_PTR CALLBACK PageProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnCtlColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL &handled);
   LRESULT OnSetActive(int, LPNMHDR, BOOL &);
   LRESULT OnWizNext(int, LPNMHDR, BOOL &);
   LRESULT OnWizFinish(int, LPNMHDR, BOOL &);
   // Store and Record; false (with the refusal shown) when the page cannot be left.
   bool Accept();

   UINT dialogId_;
   std::wstring title_;
   std::wstring subtitle_;
   std::wstring caption_;
   bool first_ = false;
   bool last_ = false;
};

}  // namespace tremhwcfg

// The property-sheet face of the model library's wizards: wui::wizard::Wizard shows a
// cui::wizard::Wizard as a Wizard97 sheet and wui::wizard::Page makes each library page a sheet
// page from a dialog template. The sheet decides nothing: every Back, Next, Finish and Cancel is
// refused to the sheet and handed to the library as the wizard's choice, and the library answers
// through ShowPage, SetButtonSensitive, SetButtonVisible and Close.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <memory>
#include <string>

#include <sigc++/sigc++.h>

#include "cui/DlgMgr.h"
#include "cui/Wizard.h"

namespace wui {
namespace wizard {

class Wizard;

// Posted to a page for a sheet button, with the notification code in lParam.
const UINT WM_WIZARD_BUTTON = WM_APP + 158;

class Page : public cui::wizard::Page, public sigc::trackable {
public:
   // Titles may be null or empty: a page with neither hides the header.
   Page(Wizard *owner, int templateId, const char *title, const char *subtitle);
   ~Page() override;

   Wizard *GetOwner() const { return owner_; }
   int GetTemplateId() const { return templateId_; }
   HPROPSHEETPAGE GetHandle() const { return handle_; }
   HWND GetWindow() const { return window_; }
   bool HasHeader() const { return hasHeader_; }

   static INT_PTR CALLBACK WizardPageProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

   Page(const Page &) = delete;
   Page &operator=(const Page &) = delete;

private:
   INT_PTR OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

   Wizard *owner_;
   int templateId_;
   std::string title_;
   std::string subtitle_;
   bool hasHeader_;
   HPROPSHEETPAGE handle_ = nullptr;
   HWND window_ = nullptr;
};

class Wizard : public virtual cui::Dlg,
               public virtual cui::DlgChoice,
               public virtual cui::DlgMgr,
               public virtual cui::wizard::Wizard {
public:
   Wizard();
   ~Wizard() override;

   // Shows the sheet modally over `parent` and deletes the wizard when the sheet has gone,
   // finished or cancelled: the wizard has this one owner. True when it was finished.
   static bool Run(std::unique_ptr<Wizard> wizard, HWND parent);

   // A page's message before the page's own handling; nonzero: handled, and the answer.
   virtual INT_PTR ProcessPageMessage(Page *page, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

   void Close() override;
   void ShowPage(cui::wizard::Page *page) override;
   void SetButtonSensitive(cui::wizard::WizardButton button, bool sensitive) override;
   void SetButtonVisible(cui::wizard::WizardButton button, bool visible) override;
   HWND GetDlgWindow() const override { return sheet_; }

   // A sheet button for a page: the notification code (PSN_WIZNEXT, ...) as the wizard's button.
   void OnPageButton(UINT code);
   // The press of `button`: ignored while the sheet is disabled; else the sheet is disabled, the
   // library answers, and the sheet is enabled again, left disabled or closed as it said.
   void OnClicked(int button);
   HWND GetSheet() const { return sheet_; }
   // The sheet button flags the wizard last sent (PSWIZB_*).
   DWORD GetButtonFlags() const;

   // The factory operations go to the library's dialog manager, whose dialogs the sheet owns.
   cui::DlgInfo *NewInfo(const std::string &text, const std::string &title) override;
   cui::DlgWarning *NewWarning(const std::string &text, const std::string &title) override;
   cui::DlgError *NewError(const std::string &text, const std::string &title) override;
   cui::DlgHint *NewHint(const std::string &text, const std::string &title) override;
   cui::DlgQuestion *NewQuestion(const std::string &text, const std::vector<std::string> &choices, int cancelIndex,
                                 int defaultIndex, const std::string &title, cui::DlgQuestion::Icon icon) override;
   cui::DlgSQuestion *NewSQuestion(const std::string &text, const std::vector<std::string> &choices, int cancelIndex,
                                   int defaultIndex, const std::string &title) override;
   cui::DlgPassword *NewPassword(const std::string &text) override;
   cui::DlgActivate *NewActivate(cui::DlgActivate::Type type, const std::string &text,
                                 const std::string &title) override;
   cui::DlgAuthenticate *NewAuthenticate(int mode, const std::string &text, const std::string &title) override;
   cui::DlgChangePassword *NewChangePassword(const std::string &text) override;
   cui::DlgConnectTo *NewConnectTo(const std::string &text, const std::string &title) override;
   cui::DlgProgress *NewProgress(const std::string &text) override;
   cui::DlgFileBrowser *NewFileBrowser(cui::Host *host, const std::string &initialDir, const std::string &title,
                                       const std::string &initialFile,
                                       const cui::DlgFileBrowser::FilterList &filters, int filterIndex) override;
   cui::DlgCloseRoamingVM *NewCloseRoamingVM(bool canSync) override;
   bool Implements(Slot slot) const override;

protected:
   cui::DlgMgr *GetWizardDlgMgr() override { return this; }

private:
   static int CALLBACK WizardSheetCallback(HWND window, UINT msg, LPARAM lParam);
   void OnSheetInitialized(HWND sheet);
   void UpdateSheetButtons();
   cui::DlgMgr *Target() const;

   HWND sheet_ = nullptr;
   Page *startPage_ = nullptr;
   bool shown_[cui::wizard::kButtonCount];
   bool sensitive_[cui::wizard::kButtonCount];
   bool buttonsPending_ = false;
   HWND savedOwner_ = nullptr;
   bool ownerSaved_ = false;
};

}  // namespace wizard
}  // namespace wui

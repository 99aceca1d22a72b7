// The logic of the library's multi-page wizards: the pages, which one comes next, which buttons
// are offered, and when the wizard has finished or been cancelled. A window class shows it (the
// program's property-sheet wizards): every button press reaches the wizard as the answer of its
// choice (cui::Dlg::Reply), and the wizard answers by calling back ShowPage, SetButtonSensitive,
// SetButtonVisible and Close.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Dlg.h"

namespace cui {

class DlgMgr;

namespace wizard {

// The buttons as the wizard numbers them (the choice a press answers).
enum WizardButton {
   BUTTON_CANCEL = 0,
   BUTTON_BACK = 1,
   BUTTON_NEXT = 2,
   BUTTON_FINISH = 3,
   BUTTON_HELP = 4,   // kept like the others; no sheet button shows it
};
const int kButtonCount = 5;

// A page's check as the user leaves it forward: (ok, the message that says why not).
typedef sigc::slot<void, bool, std::string> ValidateSlot;

class Page {
public:
   Page() = default;
   virtual ~Page();

   // A skipped page is passed over in both directions.
   virtual bool GetSkip() const;
   virtual void OnShown();
   // Answers `done` now or from a later poll step; the default takes the page as it is.
   virtual void OnValidate(const ValidateSlot &done);

   // The wizard's own rules for the page it made.
   void SetSkipRule(const sigc::slot<bool> &rule) { skip_ = rule; }
   void SetValidateRule(const sigc::slot<void, ValidateSlot> &rule) { validate_ = rule; }

   Page(const Page &) = delete;
   Page &operator=(const Page &) = delete;

private:
   sigc::slot<bool> skip_;
   sigc::slot<void, ValidateSlot> validate_;
};

class Wizard : public virtual DlgChoice {
public:
   Wizard();
   ~Wizard() override;

   // Takes the pages, in their order.
   virtual void SetPages(std::vector<Page *> pages);
   // The window that shows the wizard goes away.
   virtual void Close();
   virtual void OnFinished();
   virtual void OnCancelled();
   // The first page after `page` that is not skipped; null at the end.
   virtual Page *GetNextPage(Page *page);
   // The page that Finish is offered on: the last that is not skipped.
   virtual Page *GetFinishedPage();
   virtual void ShowPage(Page *page);
   virtual void Reserved7();
   virtual void SetButtonSensitive(WizardButton button, bool sensitive);
   virtual void SetButtonVisible(WizardButton button, bool visible);
   virtual void Reserved10();
   // Sets up the pages (SetPages) and shows the first one (Start).
   virtual void OnInit() = 0;

   int GetPageCount() const { return static_cast<int>(pages_.size()); }
   Page *GetPage(int index) const;
   Page *GetCurrentPage() const { return history_.empty() ? nullptr : history_.back(); }
   int GetPageIndex(const Page *page) const;
   bool IsFinished() const { return finished_; }
   bool IsCancelled() const { return cancelled_; }
   // A page's check is under way (the answer has not come).
   bool IsValidating() const { return validating_; }
   // The last button pressed (DlgChoice).
   int GetChoice() const override { return choice_; }
   void SetChoice(int button) { choice_ = button; }

protected:
   // The concrete wizard's constructor calls it once: hears the button presses, then OnInit.
   void Init();
   // Shows the first page that is not skipped and offers its buttons.
   void Start();
   // Offers the buttons that fit the current page.
   void UpdateButtons();
   // Where the library's questions and messages are raised; the registered factory by default.
   virtual DlgMgr *GetWizardDlgMgr();
   // Shows why a page was not left.
   virtual void ShowInvalid(const std::string &message);

private:
   Dlg::RepliedAction OnButton(int button);
   Dlg::RepliedAction Advance(bool finish);
   void OnValidated(bool ok, std::string message, bool finish, Page *page);
   void GoTo(Page *page);
   void End(bool finished);

   std::vector<std::unique_ptr<Page>> pages_;
   std::vector<Page *> history_;
   int choice_ = -1;
   bool finished_ = false;
   bool cancelled_ = false;
   bool validating_ = false;
   // Inside Reply: a check that answers at once lets Reply answer ENABLE itself.
   bool inReply_ = false;
   bool answeredInReply_ = false;
   std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace wizard
}  // namespace cui

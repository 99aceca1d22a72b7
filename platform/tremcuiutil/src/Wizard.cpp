#include "cui/Wizard.h"

#include "cui/DlgMgr.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "tremorybase/Log.h"

namespace cui {
namespace wizard {

Page::~Page() = default;

bool Page::GetSkip() const
{
   return !skip_.empty() && skip_();
}

void Page::OnShown() {}

void Page::OnValidate(const ValidateSlot &done)
{
   if (validate_.empty()) {
      done(true, std::string());
   } else {
      validate_(done);
   }
}

Wizard::Wizard() = default;

Wizard::~Wizard()
{
   *alive_ = false;
}

void Wizard::SetPages(std::vector<Page *> pages)
{
   history_.clear();
   pages_.clear();
   for (Page *page : pages) {
      pages_.emplace_back(page);
   }
}

void Wizard::Close() {}
void Wizard::OnFinished() {}
void Wizard::OnCancelled() {}
void Wizard::ShowPage(Page *) {}
void Wizard::Reserved7() {}
void Wizard::SetButtonSensitive(WizardButton, bool) {}
void Wizard::SetButtonVisible(WizardButton, bool) {}
void Wizard::Reserved10() {}

Page *Wizard::GetPage(int index) const
{
   return index >= 0 && index < GetPageCount() ? pages_[index].get() : nullptr;
}

int Wizard::GetPageIndex(const Page *page) const
{
   for (int i = 0; i < GetPageCount(); ++i) {
      if (pages_[i].get() == page) {
         return i;
      }
   }
   return -1;
}

Page *Wizard::GetNextPage(Page *page)
{
   for (int i = GetPageIndex(page) + 1; i > 0 && i < GetPageCount(); ++i) {
      if (!pages_[i]->GetSkip()) {
         return pages_[i].get();
      }
   }
   return nullptr;
}

Page *Wizard::GetFinishedPage()
{
   for (int i = GetPageCount() - 1; i >= 0; --i) {
      if (!pages_[i]->GetSkip()) {
         return pages_[i].get();
      }
   }
   return nullptr;
}

void Wizard::Init()
{
   DlgChoice::ConnectReply(sigc::mem_fun(*this, &Wizard::OnButton));
   OnInit();
}

void Wizard::Start()
{
   history_.clear();
   for (const std::unique_ptr<Page> &page : pages_) {
      if (!page->GetSkip()) {
         GoTo(page.get());
         return;
      }
   }
}

void Wizard::GoTo(Page *page)
{
   history_.push_back(page);
   ShowPage(page);
   UpdateButtons();
   page->OnShown();
}

void Wizard::UpdateButtons()
{
   Page *current = GetCurrentPage();
   const bool back = history_.size() > 1;
   const bool next = current && GetNextPage(current);
   const bool finish = current && !next;
   SetButtonVisible(BUTTON_CANCEL, true);
   SetButtonSensitive(BUTTON_CANCEL, true);
   SetButtonVisible(BUTTON_BACK, true);
   SetButtonSensitive(BUTTON_BACK, back);
   SetButtonVisible(BUTTON_NEXT, next);
   SetButtonSensitive(BUTTON_NEXT, next);
   SetButtonVisible(BUTTON_FINISH, finish);
   SetButtonSensitive(BUTTON_FINISH, finish);
}

DlgMgr *Wizard::GetWizardDlgMgr()
{
   return wui::GetDlgMgr();
}

void Wizard::ShowInvalid(const std::string &message)
{
   Log("cui::wizard::Wizard: the page was not left: %s\n", GetLocalString(message).c_str());
   if (DlgMgr *mgr = GetWizardDlgMgr()) {
      mgr->NewError(GetLocalString(message), std::string());
   }
}

Dlg::RepliedAction Wizard::OnButton(int button)
{
   if (finished_ || cancelled_) {
      return DESTROY;
   }
   if (validating_) {
      return KEEP_DISABLED;
   }
   switch (button) {
      case BUTTON_CANCEL:
         End(false);
         return DESTROY;
      case BUTTON_BACK:
         if (history_.size() > 1) {
            history_.pop_back();
            while (history_.size() > 1 && history_.back()->GetSkip()) {
               history_.pop_back();
            }
            Page *page = history_.back();
            history_.pop_back();
            GoTo(page);
         }
         return ENABLE;
      case BUTTON_NEXT:
      case BUTTON_FINISH:
         return Advance(button == BUTTON_FINISH);
      default:
         return ENABLE;
   }
}

Dlg::RepliedAction Wizard::Advance(bool finish)
{
   Page *page = GetCurrentPage();
   if (!page || (finish && GetNextPage(page)) || (!finish && !GetNextPage(page))) {
      // A button the page does not offer.
      return ENABLE;
   }
   validating_ = true;
   inReply_ = true;
   answeredInReply_ = false;
   std::shared_ptr<bool> alive = alive_;
   page->OnValidate([this, alive, finish, page](bool ok, std::string message) {
      if (*alive) {
         OnValidated(ok, message, finish, page);
      }
   });
   inReply_ = false;
   if (answeredInReply_) {
      return finished_ ? DESTROY : ENABLE;
   }
   // The check answers later; the window stays greyed until then.
   return KEEP_DISABLED;
}

void Wizard::OnValidated(bool ok, std::string message, bool finish, Page *page)
{
   if (!validating_ || page != GetCurrentPage()) {
      return;
   }
   validating_ = false;
   answeredInReply_ = inReply_;
   const bool later = !inReply_;
   if (!ok) {
      ShowInvalid(message);
   } else if (finish) {
      End(true);
      return;
   } else if (Page *next = GetNextPage(page)) {
      GoTo(next);
   }
   if (later) {
      Reenable();
   }
}

void Wizard::End(bool finished)
{
   if (finished) {
      finished_ = true;
      OnFinished();
   } else {
      cancelled_ = true;
      OnCancelled();
   }
   Close();
}

}  // namespace wizard
}  // namespace cui

#include "cui/Confirm.h"

#include "cui/Registry.h"
#include "tremorybase/Log.h"

namespace cui {

Confirm::Confirm(const std::string &title, DlgMgr *dlgMgr, const std::string &text, Choices choices, int defaultIndex)
   : title_(title), dlgMgr_(dlgMgr), text_(text), choices_(choices), defaultIndex_(defaultIndex)
{
}

Confirm::Confirm(const std::string &text, const sigc::slot<void> &answer)
   : dlgMgr_(nullptr), text_(text), choices_(YES_NO), defaultIndex_(0), answer_(answer)
{
}

Confirm::~Confirm() = default;

void Confirm::Invoke()
{
   if (invoked_) {
      return;
   }
   invoked_ = true;
   DlgMgr *mgr = dlgMgr_ ? dlgMgr_ : wui::GetDlgMgr();
   std::vector<std::string> labels =
      choices_ == YES_NO ? std::vector<std::string>{"_Yes", "_No"} : std::vector<std::string>{"_OK", "_Cancel"};
   DlgQuestion *question = mgr ? mgr->NewQuestion(text_, labels, 1, defaultIndex_, title_, DlgQuestion::ICON_QUESTION)
                               : nullptr;
   if (!question) {
      Warning("cui::Confirm::Invoke: no dialog for \"%s\"\n", text_.c_str());
      delete this;
      return;
   }
   question->ConnectReply(sigc::mem_fun(*this, &Confirm::OnReplied));
   question->destroyed.connect(sigc::mem_fun(*this, &Confirm::OnGone));
}

Dlg::RepliedAction Confirm::OnReplied(int choice)
{
   if (choice == 0) {
      CallSlot(answer_);
   }
   return Dlg::DESTROY;
}

void Confirm::OnGone()
{
   delete this;
}

}  // namespace cui

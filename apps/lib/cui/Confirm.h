// A confirmation the library asks through a dialog factory.
#pragma once

#include <string>

#include <sigc++/sigc++.h>

#include "cui/DlgMgr.h"

namespace cui {

// Asks a yes-or-no (or OK-or-Cancel) question and calls the answer slot only when the user
// agrees. Made on the heap; Invoke raises the question, and the object deletes itself when the
// question is answered or goes away (or at once when no dialog could be made).
class Confirm : public sigc::trackable {
public:
   enum Choices { YES_NO = 0, OK_CANCEL = 1 };

   // `title` may be empty (the manager's default title); `dlgMgr` null: wui::GetDlgMgr.
   Confirm(const std::string &title, DlgMgr *dlgMgr, const std::string &text, Choices choices, int defaultIndex);
   // Yes or No through wui::GetDlgMgr, Yes first, calling `answer` on Yes.
   Confirm(const std::string &text, const sigc::slot<void> &answer);
   virtual ~Confirm();

   void SetAnswerSlot(const sigc::slot<void> &answer) { answer_ = answer; }
   void Invoke();

   Confirm(const Confirm &) = delete;
   Confirm &operator=(const Confirm &) = delete;

private:
   Dlg::RepliedAction OnReplied(int choice);
   void OnGone();

   std::string title_;
   DlgMgr *dlgMgr_;
   std::string text_;
   Choices choices_;
   int defaultIndex_;
   sigc::slot<void> answer_;
   bool invoked_ = false;
};

}  // namespace cui

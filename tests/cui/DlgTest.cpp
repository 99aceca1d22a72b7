#include "cui/Dlg.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Dialogs as a program's window classes build them: the answer is set, then Reply runs.
class FakeQuestion : public cui::DlgQuestion {
public:
   int GetChoice() const override { return choice; }
   RepliedAction Press(int id)
   {
      choice = id;
      return Reply();
   }
   int choice = -1;
};

class FakeSQuestion : public cui::DlgSQuestion {
public:
   int GetChoice() const override { return 2; }
   bool IsSuppressed() const override { return true; }
   RepliedAction Press() { return Reply(); }
};

class FakePassword : public cui::DlgPassword {
public:
   int GetChoice() const override { return 0; }
   std::string GetPassword() const override { return "s3cret"; }
   std::string GetConfirmation() const override { return "s3cret!"; }
   std::string GetUser() const override { return ""; }
   RepliedAction Press() { return Reply(); }
};

class FakeFileBrowser : public cui::DlgFileBrowser {
public:
   void Run() override {}
   std::string GetPath() const override { return "Open a machine"; }   // the title, as after a cancel
   bool IsCancelled() const override { return cancelled; }
   RepliedAction Press() { return Reply(); }
   bool cancelled = false;
};

class FakeAuthenticate : public cui::DlgAuthenticate {
public:
   int GetMode() const override { return 1; }
   bool IsCancelled() const override { return false; }
   std::string GetPassword() const override { return password_; }
   void GetCredentials(std::string &user, std::string &password, std::string &domain) const override
   {
      user = user_;
      password = password_;
      domain = "LAB";
   }
   void SetUser(const std::string &user) override { user_ = user; }
   void SetDomain(const std::string &) override {}
   void SetPassword(const std::string &password) override
   {
      password_ = password;
      Reply();
   }
   void ClearPassword() override { password_.clear(); }
   void FocusPassword() override {}

private:
   std::string user_;
   std::string password_;
};

struct Handler : sigc::trackable {
   cui::Dlg::RepliedAction OnChoice(int choice)
   {
      choices.push_back(choice);
      return cui::Dlg::KEEP_DISABLED;
   }
   std::vector<int> choices;
};

}  // namespace

TEST(CuiDlg, ReplyAnswersDestroyWithoutAHandlerAndTheLastHandlersAnswerOtherwise)
{
   FakeQuestion dlg;
   EXPECT_EQ(cui::Dlg::DESTROY, dlg.Press(0));

   sigc::connection first = dlg.replied.connect([]() { return cui::Dlg::ENABLE; });
   EXPECT_EQ(cui::Dlg::ENABLE, dlg.Press(0));
   dlg.replied.connect([]() { return cui::Dlg::KEEP_DISABLED; });
   EXPECT_EQ(cui::Dlg::KEEP_DISABLED, dlg.Press(0));

   // Blocked or gone handlers do not count.
   dlg.replied.clear();
   first = dlg.replied.connect([]() { return cui::Dlg::ENABLE; });
   first.block();
   EXPECT_EQ(cui::Dlg::DESTROY, dlg.Press(0));
   first.unblock();
   EXPECT_EQ(cui::Dlg::ENABLE, dlg.Press(0));
   first.disconnect();
   EXPECT_EQ(cui::Dlg::DESTROY, dlg.Press(0));
}

TEST(CuiDlg, TypedHandlersGetTheAnswerAndAHandlerWhoseObjectWentAwayLetsTheDialogGo)
{
   FakeQuestion dlg;
   auto handler = std::make_unique<Handler>();
   dlg.ConnectReply(sigc::mem_fun(*handler, &Handler::OnChoice));
   EXPECT_EQ(cui::Dlg::KEEP_DISABLED, dlg.Press(2));
   EXPECT_EQ(cui::Dlg::KEEP_DISABLED, dlg.Press(0));
   EXPECT_EQ((std::vector<int>{2, 0}), handler->choices);
   handler.reset();
   EXPECT_EQ(cui::Dlg::DESTROY, dlg.Press(1));

   FakeSQuestion squestion;
   int choice = -1;
   bool suppressed = false;
   squestion.ConnectReply([&](int c, bool s) {
      choice = c;
      suppressed = s;
      return cui::Dlg::DESTROY;
   });
   squestion.Press();
   EXPECT_EQ(2, choice);
   EXPECT_TRUE(suppressed);

   FakePassword password;
   std::string got;
   password.ConnectReply([&](int c, std::string p, std::string confirmation) {
      got = std::to_string(c) + ":" + p + ":" + confirmation;
      return cui::Dlg::ENABLE;
   });
   EXPECT_EQ(cui::Dlg::ENABLE, password.Press());
   EXPECT_EQ("0:s3cret:s3cret!", got);

   // Setting the password submits, with the credentials typed so far.
   FakeAuthenticate auth;
   auth.ConnectReply([&](bool cancelled, std::string user, std::string pw, std::string domain) {
      got = (cancelled ? "cancelled:" : "") + user + "@" + domain + ":" + pw;
      return cui::Dlg::KEEP_DISABLED;
   });
   auth.SetUser("ann");
   auth.SetPassword("pw");
   EXPECT_EQ("ann@LAB:pw", got);

   // A cancelled file browser hands no path on, whatever its path member holds.
   FakeFileBrowser browser;
   browser.cancelled = true;
   browser.ConnectReply([&](bool cancelled, std::string path) {
      got = (cancelled ? "cancelled:" : "chosen:") + path;
      return cui::Dlg::DESTROY;
   });
   browser.Press();
   EXPECT_EQ("cancelled:", got);
}

TEST(CuiDlg, DeleteDlgAnnouncesTheEnd)
{
   int gone = 0;
   auto *dlg = new FakeQuestion;
   dlg->destroyed.connect([&gone]() { ++gone; });
   dlg->DeleteDlg();
   EXPECT_EQ(1, gone);
}

#include "cui/DlgScript.h"

#include <gtest/gtest.h>

#include "LibDlgWindow.h"
#include "TestDb.h"
#include "cui/Registry.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Text.h"

namespace {

// Program-style dialogs: a press records the answer and replies; DESTROY deletes the dialog,
// as the end of a program's window does.
template <class Kind>
class Pressable : public Kind {
public:
   void Press()
   {
      if (this->Reply() == cui::Dlg::DESTROY) {
         delete this;
      }
   }
};

class FakeNote : public Pressable<cui::DlgInfo> {};

class FakeQuestion : public Pressable<cui::DlgQuestion> {
public:
   int GetChoice() const override { return choice; }
   int choice = 0;
};

class FakePassword : public Pressable<cui::DlgPassword> {
public:
   int GetChoice() const override { return 1; }
   std::string GetPassword() const override { return "a \"b\""; }
   std::string GetConfirmation() const override { return ""; }
   std::string GetUser() const override { return ""; }
};

class FakeHint : public Pressable<cui::DlgHint> {
public:
   bool IsSuppressed() const override { return suppressed; }
   bool suppressed = false;
};

class FakeBrowser : public Pressable<cui::DlgFileBrowser> {
public:
   void Run() override { this->Press(); }
   std::string GetPath() const override { return "C:\\vms\\a.vmx"; }
   bool IsCancelled() const override { return false; }
};

// Makes information boxes, questions, passwords and file browsers; nothing else.
class FakeFactory : public cui::DlgMgr {
public:
   cui::DlgInfo *NewInfo(const std::string &text, const std::string &title) override
   {
      seen.push_back("info " + text + " / " + title);
      return Track(new FakeNote);
   }
   cui::DlgQuestion *NewQuestion(const std::string &text, const std::vector<std::string> &choices, int cancelIndex,
                                 int defaultIndex, const std::string &, cui::DlgQuestion::Icon icon) override
   {
      seen.push_back("question " + text + " " + std::to_string(choices.size()) + " " + std::to_string(cancelIndex) +
                     " " + std::to_string(defaultIndex) + " " + std::to_string(icon));
      return Track(new FakeQuestion);
   }
   cui::DlgHint *NewHint(const std::string &text, const std::string &) override
   {
      seen.push_back("hint " + text);
      return Track(new FakeHint);
   }
   cui::DlgPassword *NewPassword(const std::string &text) override
   {
      seen.push_back("password " + text);
      return Track(new FakePassword);
   }
   cui::DlgFileBrowser *NewFileBrowser(cui::Host *, const std::string &dir, const std::string &,
                                       const std::string &, const cui::DlgFileBrowser::FilterList &filters,
                                       int index) override
   {
      seen.push_back("fileBrowser " + dir + " " + std::to_string(filters.size()) + " " + std::to_string(index));
      return Track(new FakeBrowser);
   }
   bool Implements(Slot) const override { return true; }

   template <class T>
   T *Track(T *dlg)
   {
      last = dlg;
      return dlg;
   }

   std::vector<std::string> seen;
   cui::Dlg *last = nullptr;
};

}  // namespace

TEST(CuiDlgScript, ParsesEachKindsArgumentsAndReportsBadLinesByNumber)
{
   std::vector<std::string> errors;
   std::vector<cui::DlgScriptCall> calls = cui::DlgScript::Parse(
      "# dialogs\n"
      "info text=\"Powered off.\" title=Machine\n"
      "\n"
      "question text=\"Replace \\\"a\\\"?\" choice=_Keep choice=\"\" choice=Cancel cancel=2 default=-1 icon=1 "
      "reply=enable,destroy\n"
      "fileBrowser dir=C:\\vms filter=\"@&!*@*@(msg.f.vmx)Machines|*.vmx;*.vmc\" index=-1\n"
      "progress text=Copying cancelable=1 percent=40   # trailing comment\n"
      "frobnicate text=x\n"
      "info colour=red\n"
      "question cancel=two\n"
      "info text=\"open\n"
      "hint reply=later\n",
      errors);

   ASSERT_EQ(4u, calls.size());
   EXPECT_EQ(2, calls[0].line);
   EXPECT_EQ(cui::DlgMgr::SLOT_INFO, calls[0].slot);
   EXPECT_EQ("Powered off.", calls[0].text);
   EXPECT_EQ("Machine", calls[0].title);
   EXPECT_TRUE(calls[0].replies.empty());

   const cui::DlgScriptCall &q = calls[1];
   EXPECT_EQ(cui::DlgMgr::SLOT_QUESTION, q.slot);
   EXPECT_EQ("Replace \"a\"?", q.text);
   EXPECT_EQ((std::vector<std::string>{"_Keep", "", "Cancel"}), q.choices);
   EXPECT_EQ(2, q.cancelIndex);
   EXPECT_EQ(-1, q.defaultIndex);
   EXPECT_EQ(1, q.icon);
   EXPECT_EQ((std::vector<cui::Dlg::RepliedAction>{cui::Dlg::ENABLE, cui::Dlg::DESTROY}), q.replies);

   ASSERT_EQ(1u, calls[2].filters.size());
   EXPECT_EQ("@&!*@*@(msg.f.vmx)Machines", calls[2].filters[0].first);
   EXPECT_EQ((std::vector<std::string>{"*.vmx", "*.vmc"}), calls[2].filters[0].second);
   EXPECT_EQ("C:\\vms", calls[2].dir);
   EXPECT_TRUE(calls[3].cancelable);
   EXPECT_EQ(40, calls[3].percent);

   EXPECT_EQ((std::vector<std::string>{"line 7: unknown kind \"frobnicate\"", "line 8: info takes no colour",
                                       "line 9: bad value for cancel: \"two\"", "line 10: unterminated quote",
                                       "line 11: bad value for reply: \"later\""}),
             errors);
}

TEST(CuiDlgScript, RunnerRaisesOneCallAfterAnotherAndLogsEachAnswer)
{
   std::vector<std::string> errors;
   std::vector<cui::DlgScriptCall> calls = cui::DlgScript::Parse(
      "info text=Hello title=T\n"
      "question text=Which? choice=A choice=B cancel=1 reply=enable,destroy\n"
      "warning text=\"not made\"\n"
      "password text=Key\n"
      "fileBrowser dir=C:\\vms index=-1 filter=\"Machines|*.vmx\"\n",
      errors);
   ASSERT_TRUE(errors.empty());
   FakeFactory factory;
   cui::DlgScriptRunner runner(calls, &factory);
   runner.Start();
   EXPECT_EQ((std::vector<std::string>{"1 info raised"}), runner.GetLines());
   EXPECT_EQ(factory.last, runner.GetCurrent());

   dynamic_cast<FakeNote *>(factory.last)->Press();
   EXPECT_EQ(nullptr, runner.GetCurrent());
   TestDb::Drain();   // the next call comes from a poll step
   ASSERT_NE(nullptr, runner.GetCurrent());
   auto *question = dynamic_cast<FakeQuestion *>(factory.last);
   question->choice = 0;
   question->Press();   // enable: the same question stays up
   question->choice = 1;
   question->Press();
   TestDb::Drain();
   dynamic_cast<FakePassword *>(factory.last)->Press();
   TestDb::Drain();   // the file browser runs, answers and goes at once
   TestDb::Drain();
   EXPECT_TRUE(runner.IsDone());

   EXPECT_EQ((std::vector<std::string>{
                "1 info raised", "1 info replied", "2 question raised", "2 question replied choice=0",
                "2 question replied choice=1", "3 warning raised", "3 warning failed: no dialog", "4 password raised",
                "4 password replied choice=1 password=\"a \\\"b\\\"\" confirmation=\"\"", "5 fileBrowser raised",
                "5 fileBrowser replied cancelled=0 path=\"C:\\\\vms\\\\a.vmx\"", "done"}),
             runner.GetLines());
   EXPECT_EQ((std::vector<std::string>{"info Hello / T", "question Which? 2 1 -1 0", "password Key",
                                       "fileBrowser C:\\vms 1 -1"}),
             factory.seen);
}

TEST(CuiDlgScript, ConfiguredScriptStartsOnceTheLibrarysManagerHasAnOwner)
{
   std::string path = File_GetTempFolder() + "dlgscript-" + std::to_string(GetCurrentProcessId()) + ".txt";
   std::string error;
   const char script[] = "error text=\"Disk full.\" title=Copy\n"
                         "question text=Retry? choice=_Retry choice=_Abort cancel=1\n";
   ASSERT_TRUE(File_Replace(path, script, error)) << error;
   Config_Set("test.dlgScript", path.c_str());

   HWND owner = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                nullptr, nullptr, nullptr);
   wui::DlgMgr *mgr = wui::GetDlgMgr();
   TestDb::Drain();
   EXPECT_TRUE(mgr->GetOwnDlgs().empty());   // nothing before the program gives an owner
   mgr->SetDefaultOwner(owner);
   TestDb::Drain();

   std::vector<std::string> texts;
   for (size_t button : {0, 1}) {
      std::vector<cui::Dlg *> own = mgr->GetOwnDlgs();
      ASSERT_EQ(1u, own.size());
      HWND dlg = own[0]->GetDlgWindow();
      wchar_t text[128] = L"";
      GetDlgItemTextW(dlg, cuiutil::LibDlgWindow::kText, text, 128);
      texts.push_back(Utf8FromWide(text));
      SendMessageW(GetDlgItem(dlg, static_cast<int>(cuiutil::LibDlgWindow::kButtonBase + button)), BM_CLICK, 0, 0);
      TestDb::Drain();
   }
   EXPECT_EQ((std::vector<std::string>{"Disk full.", "Retry?"}), texts);
   EXPECT_TRUE(mgr->GetOwnDlgs().empty());
   EXPECT_FALSE(cui::RunDlgScript());   // once per run

   Config_Set("test.dlgScript", "");
   delete mgr;
   DestroyWindow(owner);
   File_Delete(path);
}

TEST(CuiDlgScript, AHintTurnedOffByItsKeyIsSkippedFromThenOn)
{
   std::vector<std::string> errors;
   std::vector<cui::DlgScriptCall> calls = cui::DlgScript::Parse(
      "hint text=First key=releaseMouse\n"
      "hint text=Unticked key=other\n"
      "hint text=Again key=releaseMouse\n"
      "hint text=Keyless\n"
      "hint text=Bad key=a/b\n",
      errors);
   EXPECT_EQ((std::vector<std::string>{"line 5: bad value for key: \"a/b\""}), errors)
      << "a key is one part of a preference path";
   TestDb db;
   cui::SetVmdbCtx(db.ctx);
   FakeFactory factory;
   cui::DlgScriptRunner runner(calls, &factory);
   runner.Start();
   auto *hint = dynamic_cast<FakeHint *>(factory.last);
   ASSERT_NE(nullptr, hint);
   hint->suppressed = true;
   hint->Press();
   TestDb::Drain();
   dynamic_cast<FakeHint *>(factory.last)->Press();   // not ticked: asked again next time
   TestDb::Drain();
   dynamic_cast<FakeHint *>(factory.last)->Press();
   TestDb::Drain();
   EXPECT_TRUE(runner.IsDone());
   EXPECT_EQ((std::vector<std::string>{"hint First", "hint Unticked", "hint Keyless"}), factory.seen);
   EXPECT_EQ((std::vector<std::string>{"1 hint raised", "1 hint replied suppressed=1", "2 hint raised",
                                       "2 hint replied suppressed=0", "3 hint skipped: turned off", "4 hint raised",
                                       "4 hint replied suppressed=0", "done"}),
             runner.GetLines());
   EXPECT_TRUE(db.ctx.GetBool("/user/prefState/req/#ZOLT/val/hints/releaseMouse/disabled", false));
   EXPECT_FALSE(db.ctx.Exists("/user/prefState/req/#ZOLT/val/hints/other/disabled"));
   cui::SetVmdbCtx(vmdb::Ctx());
}

#include "ListViewText.h"
#include "MachineTestSupport.h"

#include <windows.h>

#include <commctrl.h>

#include <ctime>

#include "cui/CnxDlg.h"
#include "cui/DlgMgr.h"
#include "cui/Registry.h"
#include "cui/VM.h"
#include "tremorybase/Config.h"
#include "tremorybase/Text.h"
#include "tremsim/SimConnections.h"

namespace {

using cuisim::SimConnection;
using cuisim::SimConnections;
using wui::dialog::CnxDlg;

const char kTitlePrefix[] = "Connected Users - ";

std::vector<KeyValueEntry> Machine(const std::string &name)
{
   return {{"configVersion", "8"}, {"displayName", name}, {"guestOS", "winxp"}, {"memoryMB", "256"}};
}

std::string WindowTitle(HWND window)
{
   wchar_t text[256] = L"";
   GetWindowTextW(window, text, 256);
   return Utf8FromWide(text);
}

BOOL CALLBACK CountTitled(HWND window, LPARAM param)
{
   if (IsWindowVisible(window) && WindowTitle(window).rfind(kTitlePrefix, 0) == 0) {
      ++*reinterpret_cast<int *>(param);
   }
   return TRUE;
}

// The visible windows of this thread titled as the connected-users window is.
int CountCnxWindows()
{
   int count = 0;
   EnumThreadWindows(GetCurrentThreadId(), CountTitled, reinterpret_cast<LPARAM>(&count));
   return count;
}

std::string Cell(HWND list, int row, int column)
{
   return testsupport::ListViewCellText(list, row, column);
}

// The list's rows, each "user | from | since".
std::vector<std::string> Rows(HWND dlg)
{
   HWND list = GetDlgItem(dlg, CnxDlg::kList);
   std::vector<std::string> rows;
   int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
   for (int row = 0; row < count; ++row) {
      rows.push_back(Cell(list, row, CnxDlg::kColumnUser) + " | " + Cell(list, row, CnxDlg::kColumnFrom) + " | " +
                     Cell(list, row, CnxDlg::kColumnSince));
   }
   return rows;
}

std::string Row(const std::string &user, const std::string &from, time_t since)
{
   return user + " | " + from + " | " + wui::dialog::ConnectionTimeText(since);
}

class CnxDlgTest : public MachineTest {
protected:
   void SetUp() override
   {
      Config_Set("test.machine.otherUsers", "ann@LAB-7, bob@desk");
      MachineTest::SetUp();
      opened_ = time(nullptr);
      alpha_ = Open(WriteVmx("Alpha.vmx", Machine("Alpha")));
      beta_ = Open(WriteVmx("Beta.vmx", Machine("Beta")));
      ASSERT_TRUE(alpha_ && beta_);
   }
   void TearDown() override
   {
      if (CnxDlg *dlg = CnxDlg::Get()) {
         dlg->Close();
      }
      delete wui::GetDlgMgr();
      Config_Set("test.machine.otherUsers", "");
      MachineTest::TearDown();
   }

   HWND Window() const { return CnxDlg::Get() ? CnxDlg::Get()->GetWindow() : nullptr; }
   // Runs poll steps and dispatches the window messages posted meanwhile until the window is gone.
   bool Gone(HWND dlg)
   {
      return Until([&]() {
         MSG msg;
         while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
         }
         return !IsWindow(dlg) && !CnxDlg::Get();
      });
   }
   // The "since" of the machine's first session: the opener's.
   static time_t OpenerSince(cui::VM *vm) { return vm->GetConnections().empty() ? 0 : vm->GetConnections()[0].since; }

   time_t opened_ = 0;
   cui::VM *alpha_ = nullptr;
   cui::VM *beta_ = nullptr;
};

TEST(SimConnectionsRules, OtherUsersListGivesUserAndComputerPairs)
{
   std::vector<SimConnection> parsed = SimConnections::Parse(" ann@LAB-7 ,bob@desk,, carol , @nobody, dan@ ", "HERE", 42);
   ASSERT_EQ(4u, parsed.size());
   EXPECT_EQ("ann", parsed[0].user);
   EXPECT_EQ("LAB-7", parsed[0].from);
   EXPECT_EQ("bob", parsed[1].user);
   EXPECT_EQ("desk", parsed[1].from);
   EXPECT_EQ("carol", parsed[2].user);
   EXPECT_EQ("HERE", parsed[2].from) << "a user without a computer is on this one";
   EXPECT_EQ("dan", parsed[3].user);
   EXPECT_EQ("", parsed[3].from);
   EXPECT_EQ(42, parsed[3].since);
   EXPECT_TRUE(SimConnections::Parse("", "HERE", 1).empty());
   // A user name may hold '@' itself: the computer follows the last one.
   parsed = SimConnections::Parse("a@b.example@pc", "HERE", 1);
   ASSERT_EQ(1u, parsed.size());
   EXPECT_EQ("a@b.example", parsed[0].user);
   EXPECT_EQ("pc", parsed[0].from);
}

TEST(ConnectionTime, LocalDateAndTimeOfTheUtcSeconds)
{
   EXPECT_EQ("", wui::dialog::ConnectionTimeText(0));
   std::string text = wui::dialog::ConnectionTimeText(1700000000);   // 14 Nov 2023, 22:13:20 UTC
   EXPECT_NE(std::string::npos, text.find("2023")) << text;
   EXPECT_NE(wui::dialog::ConnectionTimeText(1700000000 + 3600 * 24 * 40), text) << "another day reads differently";
}

TEST_F(CnxDlgTest, TheHostRecordsTheOpenerAndTheConfiguredSessions)
{
   const std::vector<cui::VM::Connection> &connections = alpha_->GetConnections();
   ASSERT_EQ(3u, connections.size());
   EXPECT_EQ(SimConnections::LocalUserName(), connections[0].user);
   EXPECT_FALSE(connections[0].user.empty());
   EXPECT_EQ(SimConnections::LocalComputerName(), connections[0].from);
   EXPECT_GE(connections[0].since, opened_);
   EXPECT_LE(connections[0].since, time(nullptr));
   EXPECT_EQ("ann", connections[1].user);
   EXPECT_EQ("LAB-7", connections[1].from);
   EXPECT_EQ("bob", connections[2].user);
   EXPECT_EQ(3u, beta_->GetConnections().size()) << "every machine the host registers";

   // A session's user given with the open is the one recorded; connections go with the registration.
   Config_Set("test.machine.otherUsers", "");
   std::string gamma = WriteVmx("Gamma.vmx", Machine("Gamma"));
   ASSERT_EQ("ok", SendCommand("/host2/#0000/util/vm/cmd/##/", "openVM",
                               {{"cfgPath", gamma}, {"client", "other"}, {"user", "remote.admin"}}));
   std::string vmPath;
   for (const std::string &vm : run_->ctx.Elements("/vm/#")) {
      if (run_->ctx.Get(vm + "cfgFile") == gamma) {
         vmPath = vm;
      }
   }
   ASSERT_FALSE(vmPath.empty());
   std::vector<std::string> sessions = run_->ctx.Elements(vmPath + "vmx/execState/cnx/#");
   ASSERT_EQ(1u, sessions.size());
   EXPECT_EQ("remote.admin", run_->ctx.Get(sessions[0] + "user"));
   ASSERT_EQ("ok", SendCommand("/host2/#0000/util/vm/cmd/##/", "closeVM", {{"vmPath", vmPath}}));
   EXPECT_FALSE(run_->ctx.Exists(vmPath + "vmx/execState/cnx"));
}

TEST_F(CnxDlgTest, TheWindowListsTheMachinesUsersAndFollowsTheirChanges)
{
   CnxDlg::ShowDialog(alpha_);
   HWND dlg = Window();
   ASSERT_TRUE(dlg);
   EXPECT_TRUE(IsWindowVisible(dlg));
   EXPECT_EQ("Connected Users - Alpha", WindowTitle(dlg));
   char intro[128] = "";
   GetDlgItemTextA(dlg, CnxDlg::kIntro, intro, sizeof intro);
   EXPECT_STREQ("Users connected to this virtual machine:", intro);
   EXPECT_TRUE(wui::GetDlgMgr()->IsRegistered(dlg)) << "keyboard navigation of a modeless window";
   time_t since = OpenerSince(alpha_);
   EXPECT_EQ((std::vector<std::string>{Row(SimConnections::LocalUserName(), SimConnections::LocalComputerName(), since),
                                       Row("ann", "LAB-7", since), Row("bob", "desk", since)}),
             Rows(dlg));

   // A session the host adds shows after the poll step that reports it; one that goes, goes.
   std::string cnx = alpha_->GetVmPath() + "vmx/execState/cnx/";
   std::string carol = run_->ctx.Append(cnx + "#");
   run_->ctx.Set(carol + "user", "carol");
   run_->ctx.Set(carol + "from", "far-away");
   run_->ctx.Set(carol + "since", "1700000000");
   ASSERT_TRUE(Until([&]() { return Rows(dlg).size() == 4; })) << Rows(dlg).size();
   EXPECT_EQ(Row("carol", "far-away", 1700000000), Rows(dlg)[3]);
   std::vector<std::string> elements = run_->ctx.Elements(cnx + "#");
   ASSERT_EQ(4u, elements.size());
   run_->ctx.Remove(elements[1], true);
   ASSERT_TRUE(Until([&]() { return Rows(dlg).size() == 3; }));
   EXPECT_EQ(Row("bob", "desk", since), Rows(dlg)[1]);
   EXPECT_EQ(dlg, Window()) << "the same window throughout";
}

TEST_F(CnxDlgTest, OneWindowSwitchesBetweenMachinesAndUpdateOpensNothing)
{
   CnxDlg::UpdateDialog(alpha_);
   EXPECT_EQ(nullptr, CnxDlg::Get());
   EXPECT_EQ(0, CountCnxWindows());

   CnxDlg::ShowDialog(alpha_);
   HWND dlg = Window();
   ASSERT_TRUE(dlg);
   CnxDlg::ShowDialog(beta_);
   EXPECT_EQ(dlg, Window()) << "the window that is up switches";
   EXPECT_EQ(1, CountCnxWindows());
   EXPECT_EQ(beta_, CnxDlg::Get()->GetVM());
   EXPECT_EQ("Connected Users - Beta", WindowTitle(dlg));
   EXPECT_EQ(3u, Rows(dlg).size());

   // While up, an update follows the current machine; none leaves it as it is.
   CnxDlg::UpdateDialog(alpha_);
   EXPECT_EQ("Connected Users - Alpha", WindowTitle(dlg));
   CnxDlg::UpdateDialog(nullptr);
   EXPECT_EQ(alpha_, CnxDlg::Get()->GetVM());
   EXPECT_EQ(3u, Rows(dlg).size());

   // The machine it left behind no longer reaches it: closing that one leaves the window up.
   Outcome closed;
   run_->mgr->CloseVM(beta_, closed.Abort(), closed.Done());
   ASSERT_TRUE(Until([&]() { return closed.finished; }));
   beta_ = nullptr;
   EXPECT_TRUE(IsWindow(dlg));
   EXPECT_EQ(alpha_, CnxDlg::Get()->GetVM());
   EXPECT_EQ(1, CountCnxWindows());
}

TEST_F(CnxDlgTest, ClosingItsMachineClosesTheWindowSafely)
{
   CnxDlg::ShowDialog(alpha_);
   HWND dlg = Window();
   ASSERT_TRUE(dlg);
   Outcome closed;
   run_->mgr->CloseVM(alpha_, closed.Abort(), closed.Done());
   EXPECT_TRUE(Gone(dlg));
   EXPECT_TRUE(Until([&]() { return closed.finished; }));
   alpha_ = nullptr;
   // The window is gone for good: updates open nothing, and a new one works.
   CnxDlg::UpdateDialog(beta_);
   EXPECT_EQ(nullptr, CnxDlg::Get());
   CnxDlg::ShowDialog(beta_);
   ASSERT_TRUE(Window());
   EXPECT_EQ("Connected Users - Beta", WindowTitle(Window()));

   // The machine manager going with the window up takes the window along.
   dlg = Window();
   run_->mgr.reset();
   beta_ = nullptr;
   EXPECT_FALSE(IsWindow(dlg));
   EXPECT_EQ(nullptr, CnxDlg::Get());
}

TEST_F(CnxDlgTest, EscapeTheCloseButtonAndTheCloseBoxCloseIt)
{
   CnxDlg::ShowDialog(alpha_);
   HWND dlg = Window();
   ASSERT_TRUE(dlg);
   // Escape in the list, as the program's loop hands it to the dialog manager.
   HWND list = GetDlgItem(dlg, CnxDlg::kList);
   SetFocus(list);
   MSG key = {list, WM_KEYDOWN, VK_ESCAPE, 0x00010001, 0, {0, 0}};
   EXPECT_TRUE(wui::GetDlgMgr()->PreTranslateMessage(&key, true));
   EXPECT_TRUE(Gone(dlg));

   CnxDlg::ShowDialog(alpha_);
   dlg = Window();
   ASSERT_TRUE(dlg);
   SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDCANCEL)));
   EXPECT_TRUE(Gone(dlg));

   CnxDlg::ShowDialog(beta_);
   dlg = Window();
   ASSERT_TRUE(dlg);
   SendMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0);
   EXPECT_TRUE(Gone(dlg));
   EXPECT_EQ(0, CountCnxWindows());
}

}  // namespace

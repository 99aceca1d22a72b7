// zolt.exe's team editing as a user meets it: a LAN and an existing machine added from the Team
// menu with the keyboard, the LAN dialog refusing a wrong loss first; Team > Settings renaming the
// team and changing a member's start-up order, both found again after a restart; its LAN page
// putting one member on the LAN and taking another off, written into the machines' files. Every page and
// the LAN dialog are kept as screenshots beside the test program.
#include "ScreenImage.h"
#include "SidebarSupport.h"
#include "ZoltPageSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "tremappcfg/TremAppCfgRes.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

using zoltrun::ChooseMenu;

// The file dialog's file-name box: a combo box with an edit, or an edit.
const int kFileNameCombo = 0x47c;
const int kFileNameEdit = 0x480;

// The team Lab: Beta (order 2) and Alpha (order 1), on "Lab LAN"; Gamma beside it, no member.
// The extra lines go into Alpha's and Beta's configurations (their network adapters).
std::string WriteTeam(const e2e::TestFolder &folder, const std::string &alphaLines = "",
                      const std::string &betaLines = "")
{
   folder.WriteFile("Alpha.vmx", zoltrun::MachineVmx("Alpha", alphaLines));
   folder.WriteFile("Beta.vmx", zoltrun::MachineVmx("Beta", betaLines));
   folder.WriteFile("Gamma.vmx", zoltrun::MachineVmx("Gamma"));
   return folder.WriteFile("Lab.vmtm", "team.name = \"Lab\"\n"
                                       "vm0.cfgPath = \"Beta.vmx\"\nvm0.startupOrder = \"2\"\nvm0.startupDelay = \"0\"\n"
                                       "vm1.cfgPath = \"Alpha.vmx\"\nvm1.startupOrder = \"1\"\nvm1.startupDelay = \"1\"\n"
                                       "lan0.id = \"pvn-lab\"\nlan0.name = \"Lab LAN\"\nlan0.bandwidth = \"0\"\n"
                                       "lan0.loss = \"0\"\n");
}

std::string TeamText(const std::string &team)
{
   return e2e::ReadTextFile(team).value_or("");
}

// Clicks into an edit, empties it and types `text` as a keyboard does.
void Type(HWND edit, const std::string &text)
{
   ASSERT_TRUE(e2e::SetText(edit, ""));
   RECT box = {};
   GetClientRect(edit, &box);
   ASSERT_TRUE(e2e::Click(edit, 4, box.bottom / 2)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::TypeText(edit, text)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitUntil([&]() { return e2e::ReadText(edit).value_or("") == text; }, zoltrun::kHostMs));
}

HWND CurrentPage(HWND sheet)
{
   return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

HWND ShowPage(HWND sheet, int index)
{
   SendMessageA(sheet, PSM_SETCURSEL, index, 0);
   return CurrentPage(sheet);
}

// The child windows of `parent` that stick out of it or overlap a sibling: none may.
std::vector<std::string> LayoutFaults(HWND parent)
{
   std::vector<std::string> faults;
   RECT client = {};
   GetClientRect(parent, &client);
   std::vector<std::pair<HWND, RECT>> shown;
   for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (!IsWindowVisible(child)) {
         continue;
      }
      RECT box = {};
      GetWindowRect(child, &box);
      MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&box), 2);
      const std::string name = std::to_string(GetDlgCtrlID(child));
      if (box.left < client.left || box.top < client.top || box.right > client.right || box.bottom > client.bottom) {
         faults.push_back(name + " is clipped");
      }
      for (const auto &other : shown) {
         RECT both = {};
         if (IntersectRect(&both, &box, &other.second)) {
            faults.push_back(name + " overlaps " + std::to_string(GetDlgCtrlID(other.first)));
         }
      }
      shown.push_back({child, box});
   }
   return faults;
}

// Saves the whole window as the screen shows it, once its repaint has had time to reach the
// screen, in the folder and beside the test program.
void KeepShot(const e2e::TestFolder &folder, HWND window, const std::string &name)
{
   RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
   Sleep(500);
   e2e::ScreenImage image = e2e::CaptureWindowFromScreen(window);
   EXPECT_FALSE(image.Empty()) << name;
   e2e::SavePng(image, folder.PathOf(name));
   e2e::SavePng(image, e2e::TestProgramFolder() + "\\" + name);
}

// Opens Team > Settings and waits for the sheet.
HWND OpenSettings(const e2e::Process &zolt, HWND frame)
{
   if (!ChooseMenu(frame, zolt.Id(), 'T', "E")) {
      ADD_FAILURE() << e2e::LastFailure();
      return nullptr;
   }
   return e2e::WaitForDialog(zolt.Id(), "Team Settings", zoltrun::kHostMs);
}

}  // namespace

TEST(ZoltTeamEdit, ALANAndAnExistingMachineJoinTheTeamFromTheTeamMenu)
{
   e2e::TestFolder folder;
   const std::string team = WriteTeam(folder);
   zoltrun::ZoltRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(team));
   ASSERT_TRUE(frame) << run.Log();
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened ")) << run.Log();

   // Team > Add > LAN: the dialog offers the next free name; a loss over 100 is refused.
   ASSERT_TRUE(ChooseMenu(frame, zolt.Id(), 'T', "AL")) << e2e::LastFailure();
   HWND dialog = e2e::WaitForDialog(zolt.Id(), "Add LAN Segment", zoltrun::kHostMs);
   ASSERT_TRUE(dialog) << run.Log();
   // "Lab LAN" leaves the first numbered name free.
   EXPECT_EQ(e2e::ReadText(GetDlgItem(dialog, IDC_TEAM_LAN_NAME)).value_or(""), "LAN 1");
   EXPECT_EQ(LayoutFaults(dialog), std::vector<std::string>());
   KeepShot(folder, dialog, "team-add-lan.png");
   Type(GetDlgItem(dialog, IDC_TEAM_LAN_NAME), "Backbone");
   Type(GetDlgItem(dialog, IDC_TEAM_LAN_BANDWIDTH), "1000");
   Type(GetDlgItem(dialog, IDC_TEAM_LAN_LOSS), "150");
   ASSERT_TRUE(e2e::PressKey(dialog, VK_RETURN)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitUntil([&]() { return e2e::ReadText(GetDlgItem(dialog, IDC_CFG_ERROR)).value_or("") != ""; },
                              zoltrun::kHostMs));
   EXPECT_EQ(e2e::ReadText(GetDlgItem(dialog, IDC_CFG_ERROR)).value_or("").rfind("Loss:", 0), 0u);
   KeepShot(folder, dialog, "team-add-lan-refused.png");
   EXPECT_EQ(TeamText(team).find("Backbone"), std::string::npos);
   Type(GetDlgItem(dialog, IDC_TEAM_LAN_LOSS), "5");
   ASSERT_TRUE(e2e::PressKey(dialog, VK_RETURN)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitForWindowGone(dialog, zoltrun::kHostMs));
   ASSERT_TRUE(e2e::WaitUntil([&]() { return TeamText(team).find("\"Backbone\"") != std::string::npos; },
                              zoltrun::kHostMs))
      << TeamText(team) << run.Log();
   EXPECT_NE(TeamText(team).find("= \"1000\""), std::string::npos) << TeamText(team);
   EXPECT_NE(TeamText(team).find("Lab LAN"), std::string::npos) << "the old LAN stays";

   // Team > Add > Existing virtual machine: Gamma, typed into the file dialog.
   ASSERT_TRUE(ChooseMenu(frame, zolt.Id(), 'T', "AE")) << e2e::LastFailure();
   HWND files = e2e::WaitForDialog(zolt.Id(), "Add an Existing Virtual Machine to the Team", zoltrun::kHostMs);
   ASSERT_TRUE(files) << run.Log();
   HWND name = GetDlgItem(files, kFileNameCombo) ? GetDlgItem(files, kFileNameCombo) : GetDlgItem(files, kFileNameEdit);
   ASSERT_TRUE(name);
   HWND edit = zoltside::FindDescendant(name, "Edit");
   RECT box = {};
   GetClientRect(name, &box);
   ASSERT_TRUE(e2e::Click(name, 10, box.bottom / 2)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::TypeText(edit ? edit : name, folder.PathOf("Gamma.vmx"))) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(files, VK_RETURN)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitForWindowGone(files, zoltrun::kHostMs));
   ASSERT_TRUE(e2e::WaitUntil([&]() { return TeamText(team).find("Gamma.vmx") != std::string::npos; },
                              zoltrun::kHostMs))
      << TeamText(team) << run.Log();
   EXPECT_NE(TeamText(team).find("Alpha.vmx"), std::string::npos);
   run.Close(zolt, frame);
   EXPECT_EQ(zolt.ExitCode(), 0u);
}

TEST(ZoltTeamEdit, SettingsRenameTheTeamAndReorderAMemberAndBothSurviveARestart)
{
   e2e::TestFolder folder;
   const std::string team = WriteTeam(folder);
   zoltrun::ZoltRun run(folder);
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(team));
      ASSERT_TRUE(frame) << run.Log();
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened ")) << run.Log();
      HWND sheet = OpenSettings(zolt, frame);
      ASSERT_TRUE(sheet) << run.Log();

      const char *const shots[] = {"team-settings-summary.png", "team-settings-vms.png", "team-settings-lans.png",
                                   "team-settings-options.png"};
      for (int i = 3; i >= 0; --i) {
         HWND page = ShowPage(sheet, i);
         ASSERT_TRUE(page);
         EXPECT_EQ(LayoutFaults(page), std::vector<std::string>()) << shots[i];
         KeepShot(folder, sheet, shots[i]);
      }
      HWND summary = CurrentPage(sheet);
      EXPECT_EQ(e2e::ReadText(GetDlgItem(summary, IDC_TEAM_NAME)).value_or(""), "Lab");
      Type(GetDlgItem(summary, IDC_TEAM_NAME), "Renamed Lab");

      // The members' page lists Beta first (the file's order); its order becomes 5.
      HWND vms = ShowPage(sheet, 1);
      std::vector<std::string> rows = zoltpage::ListViewRows(GetDlgItem(vms, IDC_TEAM_VM_LIST));
      ASSERT_EQ(rows.size(), 2u);
      EXPECT_EQ(rows[0], "Beta | 2 | 0");
      EXPECT_EQ(e2e::ReadText(GetDlgItem(vms, IDC_TEAM_VM_ORDER)).value_or(""), "2");
      Type(GetDlgItem(vms, IDC_TEAM_VM_ORDER), "5");
      ASSERT_TRUE(e2e::ClickButton(sheet, IDOK));
      ASSERT_TRUE(e2e::WaitForWindowGone(sheet, zoltrun::kHostMs));
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::EditTeamSettings: OK\n")) << run.Log();
      ASSERT_TRUE(e2e::WaitUntil([&]() { return TeamText(team).find("\"Renamed Lab\"") != std::string::npos; },
                                 zoltrun::kHostMs))
         << TeamText(team) << run.Log();
      EXPECT_NE(TeamText(team).find("vm0.startupOrder = \"5\""), std::string::npos) << TeamText(team);
      run.Close(zolt, frame);
   }
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(team));
      ASSERT_TRUE(frame) << run.Log();
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened ")) << run.Log();
      HWND sheet = OpenSettings(zolt, frame);
      ASSERT_TRUE(sheet) << run.Log();
      EXPECT_EQ(e2e::ReadText(GetDlgItem(CurrentPage(sheet), IDC_TEAM_NAME)).value_or(""), "Renamed Lab");
      std::vector<std::string> rows = zoltpage::ListViewRows(GetDlgItem(ShowPage(sheet, 1), IDC_TEAM_VM_LIST));
      ASSERT_EQ(rows.size(), 2u);
      EXPECT_EQ(rows[0], "Beta | 5 | 0");
      ASSERT_TRUE(e2e::ClickButton(sheet, IDCANCEL));
      ASSERT_TRUE(e2e::WaitForWindowGone(sheet, zoltrun::kHostMs));
      ASSERT_TRUE(run.WaitForLog("CZOLTApp::EditTeamSettings: Cancel\n")) << run.Log();
      run.Close(zolt, frame);
   }
}

TEST(ZoltTeamEdit, SettingsPutOneMemberOnTheLANAndTakeTheOtherOffInTheMachinesFiles)
{
   e2e::TestFolder folder;
   const std::string team =
      WriteTeam(folder, "net0.present = \"TRUE\"\nnet0.network = \"pvn\"\nnet0.pvnID = \"pvn-lab\"\n",
                "net0.present = \"TRUE\"\nnet0.network = \"bridged\"\n");
   const std::string alpha = folder.PathOf("Alpha.vmx");
   const std::string beta = folder.PathOf("Beta.vmx");
   zoltrun::ZoltRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(team));
   ASSERT_TRUE(frame) << run.Log();
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened ")) << run.Log();
   HWND sheet = OpenSettings(zolt, frame);
   ASSERT_TRUE(sheet) << run.Log();
   HWND page = ShowPage(sheet, 2);
   ASSERT_TRUE(page);
   HWND list = nullptr;
   std::vector<std::string> rows;
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() {
         list = FindWindowExA(GetDlgItem(page, IDC_TEAM_LAN_MEMBERS), nullptr, WC_LISTVIEWA, nullptr);
         rows = list ? zoltpage::ListViewRows(list) : std::vector<std::string>();
         return rows.size() == 2;
      },
      zoltrun::kHostMs));
   const int betaRow = rows[0].find("Beta") == 0 ? 0 : 1;
   ASSERT_EQ(rows[betaRow].find("Beta"), 0u) << rows[betaRow];

   // Beta joins by a click on its box; Alpha leaves by the space bar on its row.
   POINT box = zoltpage::ListViewCellPoint(list, betaRow, 1);
   ASSERT_TRUE(e2e::Click(list, box.x, box.y)) << e2e::LastFailure();
   ASSERT_TRUE(run.WaitForLog("Beta.vmx joins Lab LAN")) << run.Log();
   POINT name = zoltpage::ListViewCellPoint(list, 1 - betaRow, 0);
   ASSERT_TRUE(e2e::Click(list, name.x, name.y)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(list, VK_SPACE)) << e2e::LastFailure();
   ASSERT_TRUE(run.WaitForLog("Alpha.vmx leaves Lab LAN")) << run.Log();
   KeepShot(folder, sheet, "team-settings-lans-joined.png");
   EXPECT_EQ(LayoutFaults(page), std::vector<std::string>());

   ASSERT_TRUE(e2e::ClickButton(sheet, IDOK));
   ASSERT_TRUE(e2e::WaitForWindowGone(sheet, zoltrun::kHostMs));
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::EditTeamSettings: OK\n")) << run.Log();
   auto fileHas = [](const std::string &path, const std::string &line) {
      return e2e::ReadTextFile(path).value_or("").find(line) != std::string::npos;
   };
   ASSERT_TRUE(e2e::WaitUntil([&]() { return fileHas(beta, "net0.pvnID = \"pvn-lab\""); }, zoltrun::kHostMs))
      << e2e::ReadTextFile(beta).value_or("") << run.Log();
   EXPECT_TRUE(fileHas(beta, "net0.network = \"pvn\"")) << e2e::ReadTextFile(beta).value_or("");
   ASSERT_TRUE(e2e::WaitUntil([&]() { return !fileHas(alpha, "net0.network = \"pvn\""); }, zoltrun::kHostMs))
      << e2e::ReadTextFile(alpha).value_or("");
   // The LAN and the members are unchanged in the team file.
   EXPECT_NE(TeamText(team).find("lan0.id = \"pvn-lab\""), std::string::npos) << TeamText(team);
   EXPECT_NE(TeamText(team).find("vm1.cfgPath = \"Alpha.vmx\""), std::string::npos) << TeamText(team);
   run.Close(zolt, frame);
}

// zolt.exe's new-team wizard, opened from the keyboard (File > New > Team) and driven with clicks
// and keys: a team of a new machine, a clone of a machine and one LAN is written, with both
// machines put on the LAN (a click on a check box, the space bar), opens as the current tab and
// joins the favourites; a wizard cancelled after it made a machine leaves no
// team file and no machine file behind. Every page is kept as a picture beside the test program
// ("teamwz-*.png"); a team the host refuses to save is reported and nothing of it is left.
#include "WizardPages.h"
#include "ZoltPageSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/teamwz.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>
#include <vector>

namespace {

using zoltrun::CurrentPage;
using zoltrun::SetPageText;
using zoltrun::WaitForPageWith;

const char kCaption[] = "New Team Wizard";
// The file dialog's file-name box: a combo box with an edit, or an edit.
const int kFileNameCombo = 0x47c;
const int kFileNameEdit = 0x480;

class WizardRun : public zoltrun::ZoltRun {
public:
   // Runs in the local desktop form (-H), where File > New offers Team.
   explicit WizardRun(const e2e::TestFolder &folder, const std::string &extra = "")
      : ZoltRun(folder, "vmdb.dump = " + e2e::QuoteValue(folder.PathOf("dump.vmdb")) + "\n" + extra),
        dump_(folder.PathOf("dump.vmdb"))
   {
   }
   std::string Close(e2e::Process &process, HWND frame)
   {
      ZoltRun::Close(process, frame);
      return e2e::ReadTextFile(dump_).value_or("");
   }

private:
   std::string dump_;
};

// A picture of the sheet as the user sees it, beside the test program.
void KeepPage(const e2e::TestFolder &folder, HWND sheet, const std::string &name)
{
   Sleep(300);   // the page's controls have painted
   zoltpage::KeepScreenshot(folder, sheet, "teamwz-" + name + ".png");
}

// File > New > Team from the keyboard; the sheet on its welcome page, or null.
HWND OpenTeamWizard(HWND frame, const e2e::Process &zolt)
{
   // The New submenu opens before its item's key is pressed.
   if (!zoltrun::ChooseMenu(frame, zolt.Id(), 'F', "N")) {
      return nullptr;
   }
   Sleep(300);
   if (!e2e::PressKey(frame, 'T')) {
      ADD_FAILURE() << e2e::LastFailure();
      return nullptr;
   }
   HWND sheet = e2e::WaitForWindow({"#32770", kCaption, false, zolt.Id()});
   if (!sheet || !WaitForPageWith(sheet, IDC_TEAMWZ_WELCOME_TITLE)) {
      ADD_FAILURE() << "the wizard did not open: " << e2e::LastFailure();
      return nullptr;
   }
   return sheet;
}

bool Next(HWND sheet, int controlOfNextPage)
{
   return zoltrun::NextPageWith(sheet, controlOfNextPage);
}

std::vector<std::string> Rows(HWND sheet, int list)
{
   return zoltpage::ListViewRows(GetDlgItem(CurrentPage(sheet), list));
}

bool WaitForRows(HWND sheet, int list, size_t count)
{
   return e2e::WaitUntil([&]() { return Rows(sheet, list).size() == count; }, zoltrun::kHostMs);
}

// Clicks the machine list's Add and chooses the menu item by its key.
void ChooseAdd(HWND sheet, char key)
{
   HWND add = GetDlgItem(CurrentPage(sheet), IDC_TEAMWZ_VM_ADD);
   RECT box = {};
   GetClientRect(add, &box);
   ASSERT_TRUE(e2e::Click(add, box.right / 2, box.bottom / 2)) << e2e::LastFailure();
   Sleep(300);   // the menu is up
   ASSERT_TRUE(e2e::PressKey(sheet, static_cast<UINT>(key))) << e2e::LastFailure();
}

// Add > New Virtual Machine, through the new-machine wizard, into `folder`.
void AddNewMachine(HWND sheet, const e2e::Process &zolt, const e2e::TestFolder &folder, const std::string &name,
                   size_t rowsAfter)
{
   ChooseAdd(sheet, 'N');
   HWND nwz = e2e::WaitForWindow({"#32770", "New Virtual Machine Wizard", false, zolt.Id()});
   ASSERT_TRUE(nwz) << e2e::LastFailure();
   ASSERT_TRUE(WaitForPageWith(nwz, IDC_NWZ_NAME));
   SetPageText(nwz, IDC_NWZ_NAME, name);
   SetPageText(nwz, IDC_NWZ_LOCATION, folder.PathOf(name));
   for (int control : {IDC_NWZ_GUEST_LIST, IDC_NWZ_MEMORY, IDC_NWZ_DISK, IDC_NWZ_NET_NAT, IDC_NWZ_SUMMARY}) {
      ASSERT_TRUE(zoltrun::NextPageWith(nwz, control)) << control;
   }
   PostMessageA(nwz, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() {
         // The wizard's closing note, when it shows one.
         if (HWND done = e2e::WaitForWindow({"#32770", "Virtual Machine Created", false, zolt.Id()}, 0)) {
            e2e::ClickButton(done, IDOK);
         }
         return Rows(sheet, IDC_TEAMWZ_VM_LIST).size() == rowsAfter;
      },
      zoltrun::kHostMs));
}

BOOL CALLBACK FindEdit(HWND window, LPARAM data)
{
   char className[32] = "";
   GetClassNameA(window, className, sizeof(className));
   if (lstrcmpiA(className, "Edit") == 0) {
      *reinterpret_cast<HWND *>(data) = window;
      return FALSE;
   }
   return TRUE;
}

// The edit box inside a combo box, at any depth; null when there is none.
HWND FirstEdit(HWND parent)
{
   HWND edit = nullptr;
   EnumChildWindows(parent, FindEdit, reinterpret_cast<LPARAM>(&edit));
   return edit;
}

// Add > New Clone, the source typed into the file dialog.
void AddCloneOf(HWND sheet, const e2e::Process &zolt, const std::string &source, size_t rowsAfter)
{
   ChooseAdd(sheet, 'C');
   HWND dialog = e2e::WaitForDialog(zolt.Id(), "Add a New Clone of a Virtual Machine", zoltrun::kHostMs);
   ASSERT_TRUE(dialog) << e2e::LastFailure();
   HWND name = GetDlgItem(dialog, kFileNameCombo) ? GetDlgItem(dialog, kFileNameCombo) : GetDlgItem(dialog, kFileNameEdit);
   ASSERT_TRUE(name);
   HWND edit = FirstEdit(name);
   RECT box = {};
   GetClientRect(name, &box);
   ASSERT_TRUE(e2e::Click(name, 10, box.bottom / 2)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::TypeText(edit ? edit : name, source)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(dialog, VK_RETURN)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitForWindowGone(dialog, zoltrun::kHostMs));
   ASSERT_TRUE(WaitForRows(sheet, IDC_TEAMWZ_VM_LIST, rowsAfter));
}

// The checked list inside the summary page's team list.
HWND SummaryList(HWND sheet)
{
   return FindWindowExA(GetDlgItem(CurrentPage(sheet), IDC_TEAMWZ_SUMMARY_LIST), nullptr, WC_LISTVIEWA, nullptr);
}

}  // namespace

TEST(ZoltTeamWizard, ATeamOfANewMachineACloneAndALanIsWrittenAndOpensAsTheCurrentTab)
{
   e2e::TestFolder folder;
   const std::string source = folder.WriteFile(
      "Db.vmx", zoltrun::MachineVmx("Db", "net0.present = \"TRUE\"\nnet0.network = \"bridged\"\n"));
   WizardRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H");
   ASSERT_TRUE(frame);

   HWND sheet = OpenTeamWizard(frame, zolt);
   ASSERT_TRUE(sheet);
   KeepPage(folder, sheet, "1-welcome");
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_NAME));
   SetPageText(sheet, IDC_TEAMWZ_NAME, "Lab");
   SetPageText(sheet, IDC_TEAMWZ_LOCATION, folder.PathOf("Teams"));
   KeepPage(folder, sheet, "2-name");
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_ADD_VMS_YES));
   KeepPage(folder, sheet, "3-add-machines");
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_VM_LIST));
   AddNewMachine(sheet, zolt, folder, "Web", 1);
   AddCloneOf(sheet, zolt, source, 2);
   KeepPage(folder, sheet, "4-machines");
   const std::vector<std::string> machines = Rows(sheet, IDC_TEAMWZ_VM_LIST);
   ASSERT_EQ(2u, machines.size());
   EXPECT_EQ(0u, machines[0].find("Web |")) << machines[0];
   EXPECT_EQ(0u, machines[1].find("Clone of Db |")) << machines[1];
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_ADD_LANS_YES));
   KeepPage(folder, sheet, "5-add-lans");
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_LAN_LIST));
   ASSERT_TRUE(e2e::ClickButton(CurrentPage(sheet), IDC_TEAMWZ_LAN_ADD));
   ASSERT_TRUE(WaitForRows(sheet, IDC_TEAMWZ_LAN_LIST, 1));
   KeepPage(folder, sheet, "6-lans");
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_SUMMARY_LIST));
   HWND list = nullptr;
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() { return (list = SummaryList(sheet)) && zoltpage::ListViewRows(list).size() == 2; }, zoltrun::kHostMs));
   const std::vector<std::string> summary = zoltpage::ListViewRows(list);
   EXPECT_EQ(0u, summary[0].find("Web |")) << summary[0];
   // The new machine by a click on its LAN's check box, the clone by the space bar.
   POINT web = zoltpage::ListViewCellPoint(list, 0, 1);
   ASSERT_TRUE(e2e::Click(list, web.x, web.y)) << e2e::LastFailure();
   POINT clone = zoltpage::ListViewCellPoint(list, 1, 0);
   ASSERT_TRUE(e2e::Click(list, clone.x, clone.y)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(list, VK_SPACE)) << e2e::LastFailure();
   ASSERT_TRUE(run.WaitForLog("Clone of Db.vmx joins LAN 1")) << run.Log();
   EXPECT_NE(std::string::npos, run.Log().find("Web.vmx joins LAN 1")) << run.Log();
   KeepPage(folder, sheet, "7-summary");
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
   ASSERT_TRUE(e2e::WaitForWindowGone(sheet, zoltrun::kHostMs));

   const std::string teamFile = folder.PathOf("Teams\\Lab.vmtm");
   ASSERT_TRUE(run.WaitForLog("CZOLTApp::OnNewTeamSaved: " + teamFile)) << run.Log();
   ASSERT_TRUE(run.WaitForLog("SimHost: opened the team " + teamFile + " as /team/")) << run.Log();
   const std::string text = e2e::ReadTextFile(teamFile).value_or("");
   EXPECT_NE(std::string::npos, text.find("team.name = \"Lab\"")) << text;
   EXPECT_NE(std::string::npos, text.find("Web.vmx\"")) << text;
   EXPECT_NE(std::string::npos, text.find("Clone of Db.vmx\"")) << text;
   EXPECT_NE(std::string::npos, text.find("lan0.name = \"LAN 1\"")) << text;
   for (const std::string &vmx : {folder.PathOf("Web\\Web.vmx"), folder.PathOf("Teams\\Clone of Db\\Clone of Db.vmx")}) {
      const std::string config = e2e::ReadTextFile(vmx).value_or("");
      EXPECT_NE(std::string::npos, config.find("net0.network = \"pvn\"")) << vmx << ":\n" << config;
      EXPECT_NE(std::string::npos, config.find("net0.pvnID = \"pvn-1\"")) << vmx << ":\n" << config;
   }
   EXPECT_NE(std::string::npos, e2e::ReadTextFile(source).value_or("").find("bridged")) << "the source stays";
   EXPECT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened ")) << run.Log();
   const std::string dump = run.Close(zolt, frame);
   EXPECT_NE(std::string::npos, dump.find("\"team\"")) << "the team's tab and favourite";
   EXPECT_NE(std::string::npos, zoltrun::LowerAscii(dump).find(zoltrun::LowerAscii("lab.vmtm"))) << dump;
}

TEST(ZoltTeamWizard, ACancelHalfWayLeavesNoTeamFileAndNoMachineFile)
{
   e2e::TestFolder folder;
   WizardRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H");
   ASSERT_TRUE(frame);

   HWND sheet = OpenTeamWizard(frame, zolt);
   ASSERT_TRUE(sheet);
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_NAME));
   SetPageText(sheet, IDC_TEAMWZ_LOCATION, folder.PathOf("Gone"));
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_ADD_VMS_YES));
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_VM_LIST));
   AddNewMachine(sheet, zolt, folder, "Temp", 1);
   const std::string vmx = folder.PathOf("Temp\\Temp.vmx");
   ASSERT_TRUE(e2e::ReadTextFile(vmx).has_value()) << "the new machine was made";
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
   ASSERT_TRUE(e2e::WaitForWindowGone(sheet, zoltrun::kHostMs));

   ASSERT_TRUE(run.WaitForLog("cui::wizard::Team: cancelled")) << run.Log();
   EXPECT_TRUE(e2e::WaitUntil([&]() { return !e2e::ReadTextFile(vmx).has_value(); }, zoltrun::kHostMs))
      << "the machine the wizard made is still there";
   EXPECT_FALSE(e2e::ReadTextFile(folder.PathOf("Gone\\New Team.vmtm")).has_value());
   const std::string log = run.Log();
   EXPECT_EQ(std::string::npos, log.find("SimHost: saved the team")) << log;
   EXPECT_EQ(std::string::npos, log.find("CZOLTApp::OnTeamWizardDone")) << log;
   run.Close(zolt, frame);
}

TEST(ZoltTeamWizard, ATeamTheHostDoesNotSaveIsReportedAndLeavesNothingBehind)
{
   e2e::TestFolder folder;
   WizardRun run(folder, "test.host.fail = \"saveTeam\"\ntest.host.failText = \"The disk is full.\"\n");
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H");
   ASSERT_TRUE(frame);

   HWND sheet = OpenTeamWizard(frame, zolt);
   ASSERT_TRUE(sheet);
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_NAME));
   SetPageText(sheet, IDC_TEAMWZ_NAME, "Full");
   SetPageText(sheet, IDC_TEAMWZ_LOCATION, folder.PathOf("Disk\\Teams"));
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_ADD_VMS_NO));
   // No machines and no LANs: their lists are passed over.
   ASSERT_TRUE(e2e::ClickButton(CurrentPage(sheet), IDC_TEAMWZ_ADD_VMS_NO));
   ASSERT_TRUE(e2e::WaitUntil([&]() { return IsDlgButtonChecked(CurrentPage(sheet), IDC_TEAMWZ_ADD_VMS_NO); },
                              e2e::kReplyTimeoutMs));
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_ADD_LANS_NO));
   ASSERT_TRUE(e2e::ClickButton(CurrentPage(sheet), IDC_TEAMWZ_ADD_LANS_NO));
   ASSERT_TRUE(e2e::WaitUntil([&]() { return IsDlgButtonChecked(CurrentPage(sheet), IDC_TEAMWZ_ADD_LANS_NO); },
                              e2e::kReplyTimeoutMs));
   ASSERT_TRUE(Next(sheet, IDC_TEAMWZ_SUMMARY_LIST));
   EXPECT_TRUE(Rows(sheet, IDC_TEAMWZ_SUMMARY_LIST).empty());
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);
   ASSERT_TRUE(e2e::WaitForWindowGone(sheet, zoltrun::kHostMs));

   ASSERT_TRUE(run.WaitForLog("CZOLTApp::OnNewTeamSaveFailed")) << run.Log();
   ASSERT_TRUE(run.WaitForLog("The disk is full.")) << run.Log();
   EXPECT_FALSE(e2e::ReadTextFile(folder.PathOf("Disk\\Teams\\Full.vmtm")).has_value());
   // The failure is logged first; the folders go right after it.
   EXPECT_TRUE(e2e::WaitUntil(
      [&]() { return GetFileAttributesA(folder.PathOf("Disk").c_str()) == INVALID_FILE_ATTRIBUTES; },
      zoltrun::kHostMs))
      << "the folders made for the team are taken away again";
   const std::string log = run.Log();
   EXPECT_EQ(std::string::npos, log.find("CZOLTApp::OnNewTeamSaved")) << log;
   EXPECT_EQ(std::string::npos, log.find("CZOLTApp::OpenTabInt: opened ")) << log;
   EXPECT_TRUE(IsWindow(frame)) << "the program stays up";
   run.Close(zolt, frame);
}

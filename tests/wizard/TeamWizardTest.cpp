// The new-team wizard over machines of the simulated host: the names it proposes for LANs and
// clones, the checks of the name page, and its sheet driven page by page: a team of an existing
// machine and two LANs handed over at the finish, a cancel that takes back the clone it made, a
// relative location refused; the wizard is deleted once either way. The summary's list puts the
// machine on a LAN, which the save writes into the machine's configuration.
#include "MachineTestSupport.h"
#include "SheetSteps.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <memory>
#include <string>
#include <vector>

#include "cui/Team.h"
#include "cui/TeamEditable.h"
#include "cui/VM.h"
#include "res/teamwz.h"
#include "tremappcfg/TremAppCfg.h"
#include "tremappsdk/TremAppSdk.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Text.h"
#include "zoltTeamWizard.h"

namespace {

const wchar_t kCaption[] = L"New Team Wizard";

// The summary page's list is a control of the settings library; an error box would wait for a
// click, so a control that cannot be made is only logged.
class TeamListClasses : public ::testing::Environment {
public:
   void SetUp() override
   {
      CoInitialize(nullptr);
      tremappsdk::RegisterClasses();
      tremappcfg::RegisterClasses();
      Config_Set("test.comFailure.silent", "1");
   }
   void TearDown() override { CoUninitialize(); }
};
::testing::Environment *const gTeamListClasses = ::testing::AddGlobalTestEnvironment(new TeamListClasses);

// The wizard as the tests see it: its deletion counted, its refusals recorded instead of shown.
class CountedTeamWizard : public wui::wizard::TeamWizard {
public:
   CountedTeamWizard(int *deleted, std::vector<std::string> *refusals)
      : wui::wizard::TeamWizard(nullptr), deleted_(deleted), refusals_(refusals)
   {
   }
   ~CountedTeamWizard() override { ++*deleted_; }

   std::string Validate()
   {
      std::string answer = "(no answer)";
      OnNamePageValidate([&answer](bool ok, std::string message) { answer = ok ? "" : message; });
      return answer;
   }

protected:
   void ShowInvalid(const std::string &message) override { refusals_->push_back(message); }

private:
   int *deleted_;
   std::vector<std::string> *refusals_;
};

HWND Item(HWND sheet, int id)
{
   return GetDlgItem(wiztest::SheetPage(sheet), id);
}

void SetText(HWND sheet, int id, const std::string &text)
{
   SetWindowTextW(Item(sheet, id), WideFromUtf8(text).c_str());
}

void Click(HWND sheet, int id)
{
   SendMessageW(wiztest::SheetPage(sheet), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                reinterpret_cast<LPARAM>(Item(sheet, id)));
}

void Choose(HWND sheet, int yes, bool on)
{
   CheckRadioButton(wiztest::SheetPage(sheet), yes, yes + 1, on ? yes : yes + 1);
   Click(sheet, on ? yes : yes + 1);
}

int Rows(HWND sheet, int list)
{
   return static_cast<int>(SendMessageW(Item(sheet, list), LVM_GETITEMCOUNT, 0, 0));
}

std::string RowText(HWND sheet, int list, int row)
{
   wchar_t text[256] = L"";
   LVITEMW item = {};
   item.iSubItem = 0;
   item.pszText = text;
   item.cchTextMax = 256;
   SendMessageW(Item(sheet, list), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
   return Utf8FromWide(text);
}

// The checked list inside the summary's team list.
HWND SummaryList(HWND sheet)
{
   return FindWindowExW(Item(sheet, IDC_TEAMWZ_SUMMARY_LIST), nullptr, WC_LISTVIEWW, nullptr);
}

int Columns(HWND list)
{
   return static_cast<int>(SendMessageW(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)),
                                        HDM_GETITEMCOUNT, 0, 0));
}

class TeamWizardTest : public MachineTest {
protected:
   std::string WriteMachine(const std::string &name)
   {
      std::string error;
      EXPECT_TRUE(File_Replace(Path(name + ".vmdk"), "DISK", error)) << error;
      return WriteVmx(name + ".vmx", {{"configVersion", "8"}, {"displayName", name}, {"guestOS", "winxp"},
                                      {"disk0.present", "TRUE"}, {"disk0.fileName", name + ".vmdk"},
                                      {"net0.present", "TRUE"}, {"net0.network", "nat"}});
   }

   int deleted_ = 0;
   std::vector<std::string> refusals_;
};

TEST_F(TeamWizardTest, LansAndClonesGetNamesNoMemberOrFolderHas)
{
   CountedTeamWizard wizard(&deleted_, &refusals_);
   wizard.SetPath(Path("Teams"));
   EXPECT_EQ("LAN 1", wizard.AddNet());
   EXPECT_EQ("LAN 2", wizard.AddNet());
   wizard.GetTeamEditable()->RemoveNet("lan 1");
   EXPECT_EQ("LAN 1", wizard.AddNet());
   EXPECT_EQ("LAN 3", wizard.GetUniqueNetName());

   // A folder of that name in the location, then a member of the next name.
   EXPECT_EQ("Clone of Web", wizard.GetUniqueVMName("Clone of Web"));
   ASSERT_TRUE(File_MakeFolders(Path("Teams\\Clone of Web")));
   EXPECT_EQ("Clone of Web 2", wizard.GetUniqueVMName("Clone of Web"));
   cui::VM *member = Open(WriteVmx("member.vmx", {{"configVersion", "8"}, {"displayName", "CLONE OF WEB 2"}}));
   ASSERT_NE(nullptr, member);
   wizard.GetTeamEditable()->AddVM(member);
   EXPECT_EQ("Clone of Web 3", wizard.GetUniqueVMName("Clone of Web"));
   EXPECT_EQ(Path("Teams\\Clone of Web 3\\Clone of Web 3.vmx"), wizard.GetClonePath("Clone of Web 3"));
}

TEST_F(TeamWizardTest, TheNamePageRefusesRelativeLongAndTakenLocations)
{
   CountedTeamWizard wizard(&deleted_, &refusals_);
   wizard.SetName("Lab");
   wizard.SetPath("Teams\\Lab");
   EXPECT_NE(std::string::npos, wizard.Validate().find("(msg.wui.wizard.teamWizard.invalidPath)"));
   wizard.SetPath(Path("Te|ams"));
   EXPECT_NE(std::string::npos, wizard.Validate().find("(msg.wui.wizard.teamWizard.invalidPath)"));

   // The team file's name counts: a location that leaves no room for it is refused.
   const std::string roomy = Path(std::string(200, 'x'));
   wizard.SetPath(roomy);
   EXPECT_EQ("", wizard.Validate());
   wizard.SetName(std::string(259 - roomy.size() - 1 - 5, 'n'));
   EXPECT_EQ("", wizard.Validate()) << "exactly the longest path the host allows";
   wizard.SetName(wizard.GetName() + "n");
   EXPECT_NE(std::string::npos, wizard.Validate().find("it would have 260 characters, and the host allows 259"));

   wizard.SetName("a/b");
   wizard.SetPath(Path("Teams"));
   EXPECT_NE(std::string::npos, wizard.Validate().find("(msg.wizard.new.badName)"));
   wizard.SetName("Lab");
   std::string error;
   ASSERT_TRUE(File_MakeFolders(Path("Teams")));
   ASSERT_TRUE(File_Replace(Path("Teams\\Lab.vmtm"), "team.name = \"Old\"\n", error)) << error;
   EXPECT_NE(std::string::npos, wizard.Validate().find("Lab.vmtm\" exists already"));
   EXPECT_EQ(Path("Teams\\Lab.vmtm"), wizard.GetResultPath());

   EXPECT_EQ("C:\\Teams\\Lab", wui::wizard::TeamWizard::CleanLocation("  C:/Teams/Lab\\ ", 0));
   EXPECT_EQ("C:\\", wui::wizard::TeamWizard::CleanLocation("C:\\", 0));
   EXPECT_EQ("/srv/teams", wui::wizard::TeamWizard::CleanLocation(" /srv/teams/ ", 2));
}

TEST_F(TeamWizardTest, AFinishedWizardHandsOverItsTeamAndIsDeletedOnce)
{
   const std::string machine = WriteMachine("Web");
   auto wizard = std::make_unique<CountedTeamWizard>(&deleted_, &refusals_);
   CountedTeamWizard *seen = wizard.get();
   std::unique_ptr<cui::Team> team;
   std::unique_ptr<cui::TeamEditable> editable;
   std::string resultPath;
   int finishedSignals = 0;
   wizard->finished.connect([&]() {
      ++finishedSignals;
      team = seen->TakeTeam();
      editable = seen->TakeTeamEditable();
      resultPath = seen->GetResultPath();
   });
   bool refusedWhileAdding = false;
   bool vmListSkipped = true;
   std::vector<std::string> lans;
   int summaryRows = 0;
   int summaryColumns = 0;
   bool joinedFirst = false;
   bool joinedSecond = true;
   wiztest::SheetSteps steps(
      kCaption,
      {
         wiztest::PressOn("welcome", IDD_TEAMWZ_WELCOME, PSBTN_NEXT),
         {"name", [](HWND sheet) { return wiztest::OnSheetPage(sheet, IDD_TEAMWZ_NAME); },
          [this](HWND sheet) {
             SetText(sheet, IDC_TEAMWZ_NAME, "Lab");
             SetText(sheet, IDC_TEAMWZ_LOCATION, Path("Teams\\Lab") + "\\");
             wiztest::PressSheet(sheet, PSBTN_NEXT);
          }},
         {"add machines", [](HWND sheet) { return wiztest::OnSheetPage(sheet, IDD_TEAMWZ_ADD_VMS); },
          [](HWND sheet) {
             Choose(sheet, IDC_TEAMWZ_ADD_VMS_YES, true);
             wiztest::PressSheet(sheet, PSBTN_NEXT);
          }},
         {"machine list", [](HWND sheet) { return wiztest::OnSheetPage(sheet, IDD_TEAMWZ_VM_LIST); },
          [&](HWND sheet) {
             vmListSkipped = false;
             EXPECT_FALSE(IsWindowEnabled(Item(sheet, IDC_TEAMWZ_VM_REMOVE)));
             seen->AddVMFile(machine);
             EXPECT_EQ(1, seen->GetPendingCount());
             // The open answers from later poll steps: Next meanwhile keeps the page.
             SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
          }},
         {"the machine added", [](HWND sheet) { return Rows(sheet, IDC_TEAMWZ_VM_LIST) == 1; },
          [&](HWND sheet) {
             refusedWhileAdding = wiztest::OnSheetPage(sheet, IDD_TEAMWZ_VM_LIST);
             EXPECT_EQ("Web", RowText(sheet, IDC_TEAMWZ_VM_LIST, 0));
             wiztest::PressSheet(sheet, PSBTN_NEXT);
          }},
         {"add LANs", [](HWND sheet) { return wiztest::OnSheetPage(sheet, IDD_TEAMWZ_ADD_LANS); },
          [](HWND sheet) {
             Choose(sheet, IDC_TEAMWZ_ADD_LANS_YES, true);
             wiztest::PressSheet(sheet, PSBTN_NEXT);
          }},
         {"LAN list", [](HWND sheet) { return wiztest::OnSheetPage(sheet, IDD_TEAMWZ_LAN_LIST); },
          [&](HWND sheet) {
             Click(sheet, IDC_TEAMWZ_LAN_ADD);
             Click(sheet, IDC_TEAMWZ_LAN_ADD);
             for (int row = 0; row < Rows(sheet, IDC_TEAMWZ_LAN_LIST); ++row) {
                lans.push_back(RowText(sheet, IDC_TEAMWZ_LAN_LIST, row));
             }
             wiztest::PressSheet(sheet, PSBTN_NEXT);
          }},
         {"summary", [](HWND sheet) { return wiztest::OnSheetPage(sheet, IDD_TEAMWZ_SUMMARY); },
          [&](HWND sheet) {
             HWND list = SummaryList(sheet);
             summaryRows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
             summaryColumns = Columns(list);
             // The space bar toggles the cell Left and Right move to: LAN 2 on and off, then LAN 1.
             SetFocus(list);
             for (WPARAM key : {VK_RIGHT, VK_SPACE, VK_SPACE, VK_LEFT, VK_SPACE}) {
                SendMessageW(list, WM_KEYDOWN, key, 0);
             }
             joinedFirst = seen->GetTeamEditable()->IsVMOnNet(machine, "pvn-1");
             joinedSecond = seen->GetTeamEditable()->IsVMOnNet(machine, "pvn-2");
             wiztest::PressSheet(sheet, PSBTN_FINISH);
          }},
      });
   const bool finished = wui::wizard::Wizard::Run(std::move(wizard), nullptr);
   ASSERT_TRUE(steps.Finished()) << "stuck at: " << steps.Stuck();
   EXPECT_TRUE(finished);
   EXPECT_EQ(1, deleted_);
   EXPECT_EQ(1, finishedSignals);
   EXPECT_FALSE(vmListSkipped);
   EXPECT_TRUE(refusedWhileAdding);
   EXPECT_EQ(std::vector<std::string>({"LAN 1", "LAN 2"}), lans);
   EXPECT_EQ(1, summaryRows) << "one row per machine";
   EXPECT_EQ(3, summaryColumns) << "the machine and a column per LAN";
   EXPECT_TRUE(joinedFirst);
   EXPECT_FALSE(joinedSecond) << "checked and cleared again";
   EXPECT_TRUE(refusals_.empty());

   // What was handed over outlives the wizard and saves the team file.
   ASSERT_TRUE(team && editable);
   EXPECT_EQ(Path("Teams\\Lab\\Lab.vmtm"), resultPath);
   EXPECT_EQ(resultPath, team->GetFilename());
   EXPECT_EQ("Lab", team->GetName());
   ASSERT_EQ(1u, editable->GetMembers().size());
   EXPECT_TRUE(File_IsFolder(Path("Teams\\Lab")));
   Outcome saved;
   editable->Save(saved.Abort(), saved.Done());
   ASSERT_TRUE(Until([&]() { return saved.finished; }));
   EXPECT_TRUE(saved.done) << saved.error;
   std::vector<KeyValueEntry> file = ReadEntries(resultPath);
   EXPECT_EQ("Lab", Value(file, "team.name"));
   EXPECT_EQ(machine, Value(file, "vm0.cfgPath"));
   EXPECT_EQ("LAN 2", Value(file, "lan1.name"));
   std::vector<KeyValueEntry> vmx = ReadEntries(machine);
   EXPECT_EQ("pvn", Value(vmx, "net0.network"));
   EXPECT_EQ(Value(file, "lan0.id"), Value(vmx, "net0.pvnID"));
   editable.reset();
}

TEST_F(TeamWizardTest, ACancelHalfWayTakesBackTheCloneItMadeAndWritesNoTeam)
{
   const std::string source = WriteMachine("Db");
   auto wizard = std::make_unique<CountedTeamWizard>(&deleted_, &refusals_);
   CountedTeamWizard *seen = wizard.get();
   int cancelledSignals = 0;
   wizard->cancelled.connect([&cancelledSignals]() { ++cancelledSignals; });
   const std::string clone = Path("Teams\\Clone of Db\\Clone of Db.vmx");
   bool cloneWritten = false;
   wiztest::SheetSteps steps(
      kCaption,
      {
         wiztest::PressOn("welcome", IDD_TEAMWZ_WELCOME, PSBTN_NEXT),
         {"a relative location", [](HWND sheet) { return wiztest::OnSheetPage(sheet, IDD_TEAMWZ_NAME); },
          [](HWND sheet) {
             SetText(sheet, IDC_TEAMWZ_LOCATION, "Teams");
             wiztest::PressSheet(sheet, PSBTN_NEXT);
          }},
         {"the location refused", [this](HWND sheet) { return refusals_.size() == 1 && IsWindowEnabled(sheet); },
          [this](HWND sheet) {
             EXPECT_TRUE(wiztest::OnSheetPage(sheet, IDD_TEAMWZ_NAME));
             SetText(sheet, IDC_TEAMWZ_LOCATION, Path("Teams"));
             wiztest::PressSheet(sheet, PSBTN_NEXT);
          }},
         wiztest::PressOn("add machines", IDD_TEAMWZ_ADD_VMS, PSBTN_NEXT),
         {"machine list", [](HWND sheet) { return wiztest::OnSheetPage(sheet, IDD_TEAMWZ_VM_LIST); },
          [&](HWND) { seen->AddCloneOf(source); }},
         {"the clone added", [](HWND sheet) { return Rows(sheet, IDC_TEAMWZ_VM_LIST) == 1; },
          [&](HWND sheet) {
             cloneWritten = FileExists(clone);
             EXPECT_EQ("Clone of Db", RowText(sheet, IDC_TEAMWZ_VM_LIST, 0));
             wiztest::PressSheet(sheet, PSBTN_CANCEL);
          }},
      });
   const bool finished = wui::wizard::Wizard::Run(std::move(wizard), nullptr);
   ASSERT_TRUE(steps.Finished()) << "stuck at: " << steps.Stuck();
   EXPECT_FALSE(finished);
   EXPECT_EQ(1, deleted_);
   EXPECT_EQ(1, cancelledSignals);
   ASSERT_EQ(1u, refusals_.size());
   EXPECT_NE(std::string::npos, refusals_[0].find("(msg.wui.wizard.teamWizard.invalidPath)"));
   EXPECT_TRUE(cloneWritten);
   EXPECT_TRUE(Until([&]() { return !FileExists(clone); })) << "the clone was left behind";
   EXPECT_FALSE(FileExists(Path("Teams\\Clone of Db\\Clone of Db.vmdk")));
   EXPECT_FALSE(FileExists(Path("Teams\\New Team.vmtm")));
   EXPECT_TRUE(FileExists(source));
}

}  // namespace

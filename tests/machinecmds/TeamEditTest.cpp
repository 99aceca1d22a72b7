// Changing teams through the application: a machine and a LAN added, refused changes that leave
// the team file as it was, the LAN dialog's own checks, Team > Settings saved or cancelled, and
// the members' network adapters put on the team's LANs and taken off them.
#include "MachineCmdsFixture.h"

#include "cui/Host.h"
#include "cui/Registry.h"
#include "cui/Team.h"
#include "cui/TeamEditable.h"
#include "cui/TeamMgr.h"
#include "cui/VMMgr.h"
#include "tremappcfg/TremAppCfg.h"
#include "tremappcfg/TremAppCfgRes.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Text.h"
#include "zoltTeamEdit.h"

#include <commctrl.h>

#include <functional>
#include <memory>

namespace {

std::string DlgText(HWND dlg, int id)
{
   wchar_t text[512] = L"";
   GetDlgItemTextW(dlg, id, text, 512);
   return Utf8FromWide(text);
}

void SetDlgText(HWND dlg, int id, const char *text)
{
   SetDlgItemTextW(dlg, id, WideFromUtf8(text).c_str());
}

}  // namespace

class TeamEdit : public MachineCmds {
protected:
   void SetUp() override
   {
      static bool registered = false;
      if (!registered) {
         registered = true;
         tremappcfg::RegisterClasses();
      }
      MachineCmds::SetUp();
   }

   wui::Team *OpenTeam(const std::string &path)
   {
      Outcome outcome;
      wui::Team *team = MachineCmds::OpenTeam(path, outcome);
      EXPECT_EQ(outcome.aborts, 0) << outcome.error;
      return team;
   }

   // Waits until the log gains `text` after `mark`.
   bool LoggedAfter(size_t mark, const std::string &text, long ms = 5000)
   {
      return PollUntil([&]() { return LoggedSince(mark).find(text) != std::string::npos; }, ms);
   }
};

TEST_F(TeamEdit, AnOpenMachineJoinsTheTeamLosesItsTabAndASecondAddIsRefusedWithTheFileUnchanged)
{
   const std::string teamPath = WriteTeam("Lab", {"web"});
   const std::string solo = WriteVmx("solo");
   Outcome opened;
   ASSERT_TRUE(OpenThroughApp(solo, false, true, false, opened));
   cui::VM *vm = wui::GetVMMgr()->GetVMByCfgPath(solo);
   ASSERT_TRUE(vm) << opened.error;
   ASSERT_NE(RecordOf(vm), "");
   wui::Team *team = OpenTeam(teamPath);
   ASSERT_TRUE(team);

   app_->AddVMPathToTeam(team, solo);
   ASSERT_TRUE(PollUntil([&]() { return team->HasVM(vm->GetVmPath()) && RecordOf(vm).empty(); }, 8000))
      << FileText(teamPath);
   EXPECT_NE(FileText(teamPath).find("solo.vmx"), std::string::npos);
   EXPECT_EQ(wui::GetVMMgr()->GetVMByCfgPath(solo), vm) << "the machine stays open as a member";
   EXPECT_GT(app_->FindOpenedObj(_bstr_t("team"), _bstr_t(teamPath.c_str()), false).length(), 0u);

   const std::string before = FileText(teamPath);
   const size_t mark = LogMark();
   app_->AddVMPathToTeam(team, solo);
   EXPECT_TRUE(LoggedAfter(mark, "already in the team")) << LoggedSince(mark);
   EXPECT_EQ(FileText(teamPath), before);

   // A file that is no machine is reported by the open and never reaches the team.
   const size_t missing = LogMark();
   app_->AddVMPathToTeam(team, teamPath.substr(0, teamPath.rfind('\\') + 1) + "nowhere.vmx");
   EXPECT_TRUE(LoggedAfter(missing, "nowhere.vmx")) << LoggedSince(missing);
   EXPECT_EQ(FileText(teamPath), before);
}

TEST_F(TeamEdit, ATeamClosedWhileAMachineOpensForItKeepsItsFile)
{
   const std::string teamPath = WriteTeam("Gone", {"x"});
   wui::Team *team = OpenTeam(teamPath);
   ASSERT_TRUE(team);
   const std::string before = FileText(teamPath);
   const std::string late = WriteVmx("late");
   app_->AddVMPathToTeam(team, late);
   wui::GetTeamMgr()->CloseTeam(team);
   ASSERT_TRUE(PollUntil([&]() { return wui::GetVMMgr()->GetVMByCfgPath(late) != nullptr; }, 8000));
   ASSERT_TRUE(PollUntil([&]() { return !wui::GetTeamMgr()->GetTeamByCfgPath(teamPath); }, 8000));
   PollUntil([]() { return false; }, 300);
   EXPECT_EQ(FileText(teamPath), before);
}

TEST_F(TeamEdit, ALANIsAddedAndRemovedAndRefusedValuesLeaveTheFileAsItWas)
{
   const std::string teamPath = WriteTeam("Net", {"a"});
   wui::Team *team = OpenTeam(teamPath);
   ASSERT_TRUE(team);

   app_->AddNetToTeam(team, "Backbone", 1000, 5);
   ASSERT_TRUE(PollUntil([&]() { return team->GetNetByName("Backbone"); }, 8000)) << FileText(teamPath);
   EXPECT_EQ(team->GetNetByName("Backbone")->GetBandwidth(), 1000);
   EXPECT_EQ(team->GetNetByName("Backbone")->GetLoss(), 5);
   const std::string withLAN = FileText(teamPath);
   EXPECT_NE(withLAN.find("\"Backbone\""), std::string::npos);

   struct Refused {
      const char *name;
      long bandwidth;
      long loss;
   };
   for (const Refused &bad : {Refused{"Lossy", 0, 150}, Refused{"backbone", 0, 0}, Refused{"Slow", -1, 0}}) {
      SCOPED_TRACE(bad.name);
      const size_t mark = LogMark();
      app_->AddNetToTeam(team, bad.name, bad.bandwidth, bad.loss);
      EXPECT_TRUE(LoggedAfter(mark, "VMMsg: error: ")) << LoggedSince(mark);
      EXPECT_EQ(FileText(teamPath), withLAN);
   }

   app_->RemoveTeamNet(team, "Backbone");
   ASSERT_TRUE(PollUntil([&]() { return !team->GetNetByName("Backbone"); }, 8000));
   EXPECT_EQ(FileText(teamPath).find("Backbone"), std::string::npos);
}

TEST_F(TeamEdit, TheLANDialogNamesTheWrongFieldKeepsItsWindowAndCancelChangesNothing)
{
   const std::string teamPath = WriteTeam("Dialog", {"m"});
   wui::Team *team = OpenTeam(teamPath);
   ASSERT_TRUE(team);
   const std::string before = FileText(teamPath);

   std::vector<std::string> refusals;
   std::string shownName;
   {
      DialogAnswerer answer([&](HWND dlg) {
         shownName = DlgText(dlg, IDC_TEAM_LAN_NAME);
         const char *const cases[][3] = {{"", "0", "0"}, {"Fast", "-5", "0"}, {"Fast", "10", "101"}, {"Fast", "x", "0"}};
         for (const auto &c : cases) {
            SetDlgText(dlg, IDC_TEAM_LAN_NAME, c[0]);
            SetDlgText(dlg, IDC_TEAM_LAN_BANDWIDTH, c[1]);
            SetDlgText(dlg, IDC_TEAM_LAN_LOSS, c[2]);
            SendMessageW(dlg, WM_COMMAND, IDOK, 0);
            refusals.push_back(IsWindow(dlg) ? DlgText(dlg, IDC_CFG_ERROR) : "closed");
         }
         SetDlgText(dlg, IDC_TEAM_LAN_NAME, "Fast");
         SetDlgText(dlg, IDC_TEAM_LAN_BANDWIDTH, "2000");
         SetDlgText(dlg, IDC_TEAM_LAN_LOSS, "3");
         SendMessageW(dlg, WM_COMMAND, IDOK, 0);
      });
      app_->AddTeamLAN(team);
      EXPECT_TRUE(answer.Answered());
   }
   EXPECT_EQ(shownName, "LAN 2");
   ASSERT_EQ(refusals.size(), 4u);
   EXPECT_EQ(refusals[0].rfind("Name:", 0), 0u) << refusals[0];
   EXPECT_EQ(refusals[1].rfind("Bandwidth:", 0), 0u) << refusals[1];
   EXPECT_EQ(refusals[2].rfind("Loss:", 0), 0u) << refusals[2];
   EXPECT_EQ(refusals[3].rfind("Bandwidth:", 0), 0u) << refusals[3];
   ASSERT_TRUE(PollUntil([&]() { return team->GetNetByName("Fast"); }, 8000)) << FileText(teamPath);
   EXPECT_EQ(team->GetNetByName("Fast")->GetBandwidth(), 2000);
   EXPECT_EQ(team->GetNetByName("Fast")->GetLoss(), 3);

   const std::string withFast = FileText(teamPath);
   EXPECT_NE(withFast, before);
   {
      DialogAnswerer cancel([](HWND dlg) {
         SetDlgText(dlg, IDC_TEAM_LAN_NAME, "Never");
         SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
      });
      app_->AddTeamLAN(team);
      EXPECT_TRUE(cancel.Answered());
   }
   for (int i = 0; i < 20; ++i) {
      PollUntil([]() { return false; }, 20);
   }
   EXPECT_EQ(FileText(teamPath), withFast);
}

TEST_F(TeamEdit, SettingsSavedAfterOKAndNothingWrittenAfterCancel)
{
   const std::string teamPath = WriteTeam("Old", {"one", "two"});
   wui::Team *team = OpenTeam(teamPath);
   ASSERT_TRUE(team);
   const std::string before = FileText(teamPath);

   size_t mark = LogMark();
   bool driven = false;
   {
      DialogAnswerer cancel([&](HWND sheet) {
         HWND page = PropSheet_GetCurrentPageHwnd(sheet);
         SetDlgText(page, IDC_TEAM_NAME, "Never");
         SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
         driven = true;
      });
      app_->EditTeam(team);
      ASSERT_TRUE(LoggedAfter(mark, "CZOLTApp::EditTeamSettings: Cancel\n", 8000)) << LoggedSince(mark);
   }
   EXPECT_TRUE(driven);
   EXPECT_EQ(FileText(teamPath), before);
   EXPECT_EQ(team->GetName(), "Old");

   // An empty name keeps the sheet up with the reason; a good one is saved with the new order.
   mark = LogMark();
   std::string refusal;
   {
      DialogAnswerer ok([&](HWND sheet) {
         HWND summary = PropSheet_GetCurrentPageHwnd(sheet);
         SetDlgText(summary, IDC_TEAM_NAME, "  ");
         SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
         refusal = DlgText(summary, IDC_CFG_ERROR);
         SetDlgText(summary, IDC_TEAM_NAME, "New");
         PropSheet_SetCurSel(sheet, nullptr, 1);
         HWND vms = PropSheet_GetCurrentPageHwnd(sheet);
         SetDlgText(vms, IDC_TEAM_VM_ORDER, "7");
         SetDlgText(vms, IDC_TEAM_VM_DELAY, "12");
         SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
      });
      app_->EditTeam(team);
      ASSERT_TRUE(LoggedAfter(mark, "CZOLTApp::EditTeamSettings: OK\n", 8000)) << LoggedSince(mark);
   }
   EXPECT_EQ(refusal.rfind("Name:", 0), 0u) << refusal;
   ASSERT_TRUE(PollUntil([&]() { return team->GetName() == "New"; }, 8000)) << FileText(teamPath);
   const std::vector<cui::VM *> members = team->GetVMs();
   ASSERT_EQ(members.size(), 2u);
   EXPECT_EQ(team->GetVMStartupOrder(members[0]), 7);
   EXPECT_EQ(team->GetVMStartupDelay(members[0]), 12);
   EXPECT_NE(FileText(teamPath).find("\"New\""), std::string::npos);
}

TEST_F(TeamEdit, AnEditLockoutShowsNeitherTheLANDialogNorTheSettings)
{
   const std::string teamPath = WriteTeam("Locked", {"l"});
   wui::Team *team = OpenTeam(teamPath);
   ASSERT_TRUE(team);
   Write(wui::GetCurrentHost()->GetPath() + "policy/lockoutEditVM", "true");
   const size_t mark = LogMark();
   {
      DialogAnswerer shown([](HWND dlg) { SendMessageW(dlg, WM_COMMAND, IDCANCEL, 0); });
      app_->AddTeamLAN(team);
      app_->EditTeam(team);
      PollUntil([]() { return false; }, 300);
      EXPECT_FALSE(shown.Answered()) << shown.Text();
   }
   const std::string logged = LoggedSince(mark);
   EXPECT_NE(logged.find("Lockout: lockoutEditVM is locked out"), std::string::npos) << logged;
   EXPECT_EQ(logged.find("CZOLTApp::EditTeamSettings"), std::string::npos) << logged;
}

TEST_F(TeamEdit, OnlyMachinesThatWereNotMembersCountAsNew)
{
   EXPECT_EQ(NewTeamMemberFiles({"C:\\t\\a.vmx", "C:\\t\\b.vmx"}, {"c:/T/A.vmx", "C:\\t\\c.vmx", "C:\\t\\b.vmx"}),
             std::vector<std::string>({"C:\\t\\c.vmx"}));
   EXPECT_TRUE(NewTeamMemberFiles({"C:\\t\\a.vmx"}, {}).empty());
}

// A team of three machines on two LANs, written by hand: "a" with two adapters on no LAN, "b"
// with one on LAN 1, "c" with none.
class TeamLANs : public TeamEdit {
protected:
   std::string WriteMachine(const std::string &name, const std::vector<KeyValueEntry> &adapters)
   {
      std::vector<KeyValueEntry> entries = {{"configVersion", "8"}, {"displayName", name}, {"guestOS", "other"}};
      entries.insert(entries.end(), adapters.begin(), adapters.end());
      const std::string path = folder_ + "\\" + name + ".vmx";
      std::string error;
      EXPECT_TRUE(KeyValueFile::Write(path, entries, error)) << error;
      return path;
   }

   wui::Team *OpenLANTeam()
   {
      a_ = WriteMachine("a", {{"net0.present", "TRUE"}, {"net0.network", "nat"},
                              {"net1.present", "TRUE"}, {"net1.network", "bridged"}});
      b_ = WriteMachine("b", {{"net0.present", "TRUE"}, {"net0.network", "pvn"}, {"net0.pvnID", "pvn-1"}});
      c_ = WriteMachine("c", {});
      std::vector<KeyValueEntry> entries = {{"team.name", "Wired"}};
      const std::string members[] = {a_, b_, c_};
      for (size_t i = 0; i < 3; ++i) {
         entries.push_back({"vm" + std::to_string(i) + ".cfgPath", members[i]});
      }
      for (int i = 0; i < 2; ++i) {
         const std::string lan = "lan" + std::to_string(i);
         entries.push_back({lan + ".id", "pvn-" + std::to_string(i + 1)});
         entries.push_back({lan + ".name", "LAN " + std::to_string(i + 1)});
      }
      teamPath_ = folder_ + "\\Wired.vmtm";
      std::string error;
      EXPECT_TRUE(KeyValueFile::Write(teamPath_, entries, error)) << error;
      wui::Team *team = OpenTeam(teamPath_);
      if (team) {
         EXPECT_TRUE(PollUntil([&]() { return team->GetVMs().size() == 3; }, 8000));
      }
      return team;
   }

   // The editable of `team` as its file is now.
   std::unique_ptr<cui::TeamEditable> Loaded(cui::Team *team)
   {
      auto editable = std::make_unique<cui::TeamEditable>(team);
      bool loaded = false;
      editable->Load(cui::AbortSlot(), [&](cui::TeamEditable *) { loaded = true; });
      EXPECT_TRUE(PollUntil([&]() { return loaded; }, 8000));
      return editable;
   }

   bool Save(cui::TeamEditable &editable, std::string &error)
   {
      Outcome saved;
      editable.Save(saved.Abort(), saved.Done());
      EXPECT_TRUE(PollUntil([&]() { return saved.dones > 0 || saved.aborts > 0; }, 8000));
      error = saved.error;
      return saved.dones > 0;
   }

   static std::string Value(const std::string &file, const std::string &key)
   {
      std::vector<KeyValueEntry> entries;
      std::string problem;
      bool missing = false;
      KeyValueFile::Read(file, entries, problem, missing);
      for (const KeyValueEntry &entry : entries) {
         if (entry.key == key) {
            return entry.value;
         }
      }
      return "(none)";
   }

   static std::string Refusal(const std::function<void()> &change)
   {
      try {
         change();
      } catch (const cui::Error &e) {
         return e.what();
      }
      return "";
   }

   std::string a_, b_, c_, teamPath_;
};

TEST_F(TeamLANs, MachinesJoinAndLeaveLANsOnTheirAdaptersAndTheSaveWritesThemIntoTheMachines)
{
   wui::Team *team = OpenLANTeam();
   ASSERT_TRUE(team);
   std::unique_ptr<cui::TeamEditable> editable = Loaded(team);
   EXPECT_TRUE(editable->IsVMOnNet(b_, "pvn-1"));
   EXPECT_FALSE(editable->IsVMOnNet(a_, "pvn-1"));

   // "a": its first adapter takes LAN 1, the second LAN 2; a third LAN finds none left.
   editable->ConnectVMToNet(a_, "pvn-1", true);
   editable->ConnectVMToNet(a_, "pvn-2", true);
   editable->ConnectVMToNet(a_, "pvn-2", true);
   EXPECT_TRUE(editable->IsVMOnNet(a_, "pvn-1") && editable->IsVMOnNet(a_, "pvn-2"));
   editable->AddNet("LAN 3", 0, 0);
   const std::string third = editable->GetNets().back().id;
   EXPECT_NE(Refusal([&]() { editable->ConnectVMToNet(a_, third, true); }).find("Every network adapter"),
             std::string::npos);
   // Off LAN 1 again: the adapter goes back to what it was on.
   editable->ConnectVMToNet(a_, "pvn-1", false);
   EXPECT_FALSE(editable->IsVMOnNet(a_, "pvn-1"));
   EXPECT_NE(Refusal([&]() { editable->ConnectVMToNet(c_, "pvn-1", true); }).find("has no network adapter"),
             std::string::npos);
   EXPECT_NE(Refusal([&]() { editable->ConnectVMToNet(a_, "pvn-9", true); }).find("no LAN"), std::string::npos);
   EXPECT_NE(Refusal([&]() { editable->ConnectVMToNet(folder_ + "\\stranger.vmx", "pvn-1", true); })
                .find("not in the team"),
             std::string::npos);

   std::string error;
   ASSERT_TRUE(Save(*editable, error)) << error;
   EXPECT_EQ(Value(a_, "net0.network"), "nat");
   EXPECT_EQ(Value(a_, "net1.network"), "pvn");
   EXPECT_EQ(Value(a_, "net1.pvnID"), "pvn-2");
   EXPECT_EQ(Value(b_, "net0.pvnID"), "pvn-1") << "an untouched machine keeps its file";
   EXPECT_EQ(Value(teamPath_, "lan2.name"), "LAN 3");

   // A renamed LAN keeps its id; a removed one takes its machines with it, so the id a later LAN
   // gets again finds nobody on it.
   editable = Loaded(team);
   editable->ChangeNet(1, "Backbone", 100, 1);
   EXPECT_EQ(editable->GetNets()[1].id, "pvn-2");
   EXPECT_NE(Refusal([&]() { editable->ChangeNet(1, "lan 1", 0, 0); }).find("already"), std::string::npos);
   EXPECT_EQ(editable->GetNets()[1].name, "Backbone") << "a refused change keeps the LAN";
   editable->RemoveNet("LAN 1");
   editable->AddNet("LAN 1", 0, 0);
   EXPECT_EQ(editable->GetNets().back().id, "pvn-1");
   EXPECT_FALSE(editable->IsVMOnNet(b_, "pvn-1"));
   ASSERT_TRUE(Save(*editable, error)) << error;
   EXPECT_EQ(Value(b_, "net0.network"), "nat");
   EXPECT_EQ(Value(a_, "net1.pvnID"), "pvn-2");
   EXPECT_EQ(Value(teamPath_, "lan0.name"), "Backbone");
}

TEST_F(TeamLANs, AMachineThatIsOnIsNotRewiredAndASaveAfterItPoweredOnLeavesEveryFileAsItWas)
{
   wui::Team *team = OpenLANTeam();
   ASSERT_TRUE(team);
   cui::VM *b = wui::GetVMMgr()->GetVMByCfgPath(b_);
   ASSERT_TRUE(b);
   std::unique_ptr<cui::TeamEditable> editable = Loaded(team);
   editable->ConnectVMToNet(b_, "pvn-2", false);   // on no LAN of those: nothing to do
   editable->ConnectVMToNet(b_, "pvn-1", false);
   editable->SetName("Rewired");
   ASSERT_TRUE(PowerTo(b, cui::VM::POWERED_ON));
   EXPECT_NE(editable->CheckNICChanges().find("not powered off"), std::string::npos);
   EXPECT_NE(Refusal([&]() { editable->ConnectVMToNet(b_, "pvn-2", true); }).find("not powered off"),
             std::string::npos);
   const std::string teamBefore = FileText(teamPath_);
   const std::string machineBefore = FileText(b_);
   std::string error;
   EXPECT_FALSE(Save(*editable, error));
   EXPECT_NE(error.find("\"b\""), std::string::npos) << error;
   EXPECT_EQ(FileText(teamPath_), teamBefore);
   EXPECT_EQ(FileText(b_), machineBefore);
}

// Teams through the application: the open into one tab, a damaged or short-handed team file, the
// close with its questions, the Team menu's power and remove commands, and the guards around a
// team that is gone.
#include "MachineCmdsFixture.h"

#include "cui/Team.h"
#include "cui/TeamMgr.h"
#include "res/resource.h"
#include "tremorybase/KeyValueFile.h"
#include "zoltAppDb.h"
#include "zoltDlgMgr.h"
#include "zoltResources.h"

#include <fstream>
#include <sstream>

class TeamCommands : public MachineCmds {
protected:
   std::string TeamRecord(cui::Team *team) const
   {
      return zoltdb::Text(app_->FindOpenedObj(_bstr_t("team"), _bstr_t(team->GetFilename().c_str()), false));
   }

   bool PowerTeamTo(cui::Team *team, cui::VM::PowerState state)
   {
      bool done = false;
      std::string error;
      team->SetPowerState(state, cui::VM::POWEROP_HARD, [&](bool, cui::Error e) { error = e.what(); },
                          [&]() { done = true; });
      bool reached = PollUntil([&]() { return done || !error.empty(); }, 10000);
      EXPECT_EQ(error, "");
      return reached && done;
   }

   // The question of this thread with the radio choices; null when none is up.
   static HWND CloseQuestion()
   {
      for (HWND w = GetTopWindow(nullptr); w; w = GetNextWindow(w, GW_HWNDNEXT)) {
         if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && GetDlgItem(w, IDC_VMDLG_SECOND)) {
            return w;
         }
      }
      return nullptr;
   }
};

TEST_F(TeamCommands, ATeamOpensIntoOneTabAndASecondOpenAddsNeitherTabNorConnection)
{
   const std::string path = WriteTeam("Lab", {"web", "db"});
   Outcome first;
   wui::Team *team = OpenTeam(path, first);
   ASSERT_TRUE(team) << first.error;
   EXPECT_EQ(first.aborts, 0) << first.error;
   EXPECT_EQ(team->GetVMs().size(), 2u);
   const std::string record = TeamRecord(team);
   ASSERT_NE(record, "");
   EXPECT_EQ(Read(record + "type"), "team");
   EXPECT_EQ(Current(), record);

   const int records = RecordCount();
   const size_t watchers = team->goingAway.size();
   Outcome second;
   EXPECT_EQ(OpenTeam(path, second), team);
   EXPECT_EQ(RecordCount(), records);
   EXPECT_EQ(team->goingAway.size(), watchers) << "the second open replaces its connection";

   // The team going away closes its tab.
   wui::GetTeamMgr()->CloseTeam(team);
   ASSERT_TRUE(PollUntil([&]() { return RecordCount() == records - 1; }));
   EXPECT_FALSE(wui::GetTeamMgr()->GetTeamByCfgPath(path));
}

TEST_F(TeamCommands, ADamagedFileIsRefusedWithItsLineAndAMissingMemberOpensMarked)
{
   std::string broken = WriteVmx("broken");
   broken.replace(broken.size() - 4, 4, ".vmtm");
   {
      std::ofstream out(broken, std::ios::binary);
      out << "team.name = \"Broken\"\r\nvm0.cfgPath = \"unterminated\r\n";
   }
   const int records = RecordCount();
   Outcome refused;
   EXPECT_FALSE(OpenTeam(broken, refused));
   EXPECT_EQ(refused.aborts, 1);
   EXPECT_NE(refused.error.find("line 2"), std::string::npos) << refused.error;
   EXPECT_EQ(RecordCount(), records);
   EXPECT_EQ(FileText(broken), "team.name = \"Broken\"\r\nvm0.cfgPath = \"unterminated\r\n") << "left as it was";

   // A caller without a failure slot (the side bar): the user still hears of it.
   const size_t mark = LogMark();
   bool finished = false;
   app_->OpenTeam(_bstr_t(broken.c_str()), OpenFlags().MakeCurrent(), cui::AbortSlot(), [&]() { finished = true; });
   ASSERT_TRUE(PollUntil([&]() { return LoggedSince(mark).find("VMMsg: error: ") != std::string::npos; }));
   EXPECT_FALSE(finished) << "a failed open is no success";
   const std::string logged = LoggedSince(mark);
   EXPECT_NE(logged.find("VMMsg: error: "), std::string::npos) << logged;
   EXPECT_NE(logged.find("line 2"), std::string::npos) << logged;

   Outcome gap;
   wui::Team *team = OpenTeam(WriteTeam("Gap", {"here", "gone"}, "gone"), gap);
   ASSERT_TRUE(team) << gap.error;
   ASSERT_EQ(team->GetMembers().size(), 2u);
   EXPECT_EQ(team->GetVMs().size(), 1u);
   EXPECT_TRUE(team->GetMembers()[0].vm);
   EXPECT_FALSE(team->GetMembers()[1].vm);
   EXPECT_NE(team->GetMembers()[1].problem, "");
   EXPECT_NE(TeamRecord(team), "");
}

TEST_F(TeamCommands, AnOpenThatSaysYesWithoutATeamIsReportedAndStillFinishes)
{
   const size_t mark = LogMark();
   bool finished = false;
   const int records = RecordCount();
   app_->OnTeamOpened(nullptr, true, "C:\\nowhere\\ghost.vmtm", OpenFlags().MakeCurrent(), [&]() { finished = true; });
   EXPECT_TRUE(finished);
   const std::string logged = LoggedSince(mark);
   EXPECT_NE(logged.find("VMMsg: error: : The team \"C:\\nowhere\\ghost.vmtm\" could not be opened."), std::string::npos)
      << logged;
   EXPECT_EQ(RecordCount(), records);
}

TEST_F(TeamCommands, ClosingABusyTeamRefusesWithoutAQuestionAndAnIdleOneClosesAtOnce)
{
   Outcome opened;
   wui::Team *team = OpenTeam(WriteTeam("Busy", {"first", "second"}), opened);
   ASSERT_TRUE(team) << opened.error;
   Outcome power;
   team->SetPowerState(cui::VM::POWERED_ON, cui::VM::POWEROP_HARD, power.Abort(), power.Done());
   ASSERT_TRUE(PollUntil([&]() { return team->GetBusy(); }));
   Outcome busy;
   bool closed = false;
   app_->CheckAndCloseTeam(team, true, busy.Abort(), [&]() { closed = true; });
   EXPECT_EQ(busy.aborts, 1);
   EXPECT_NE(busy.error.find("Busy"), std::string::npos) << busy.error;
   EXPECT_EQ(app_->GetDlgMgr()->GetDlgCount(), 0u);
   EXPECT_FALSE(closed);
   ASSERT_TRUE(PollUntil([&]() { return power.dones == 1; }, 10000)) << power.error;
   ASSERT_TRUE(PowerTeamTo(team, cui::VM::POWERED_OFF));

   const std::string path = team->GetFilename();
   Outcome idle;
   app_->CheckAndCloseTeam(team, true, idle.Abort(), [&]() { closed = true; });
   EXPECT_TRUE(closed);
   EXPECT_EQ(idle.aborts, 0) << idle.error;
   ASSERT_TRUE(PollUntil([&]() { return !wui::GetTeamMgr()->GetTeamByCfgPath(path); }));
}

TEST_F(TeamCommands, ClosingAPoweredOnTeamAsksAndEachAnswerDoesItsPart)
{
   struct Case {
      int choice;                 // radio index, or -1 for the Cancel button
      cui::VM::PowerState after;  // the members' state once answered
      bool closed;
   };
   const Case cases[] = {
      {-1, cui::VM::POWERED_ON, false},
      {0, cui::VM::SUSPENDED, true},
      {1, cui::VM::POWERED_OFF, true},
      {2, cui::VM::POWERED_ON, true},
   };
   int n = 0;
   for (const Case &c : cases) {
      SCOPED_TRACE(c.choice);
      const std::string name = "running" + std::to_string(n++);
      Outcome opened;
      wui::Team *team = OpenTeam(WriteTeam(name, {name + "a", name + "b"}), opened);
      ASSERT_TRUE(team) << opened.error;
      ASSERT_TRUE(PowerTeamTo(team, cui::VM::POWERED_ON));
      std::vector<cui::VM *> members = team->GetVMs();
      const std::string path = team->GetFilename();
      const int recordsBefore = RecordCount();

      Outcome outcome;
      bool closed = false;
      app_->CheckAndCloseTeam(team, true, outcome.Abort(), [&]() { closed = true; });
      HWND dlg = CloseQuestion();
      ASSERT_TRUE(dlg) << "the question is up";
      EXPECT_FALSE(closed);
      if (c.choice < 0) {
         Press(dlg, IDC_VMDLG_SECOND);
      } else {
         SendDlgItemMessageA(dlg, IDC_VMDLG_CHOICE_FIRST + c.choice, BM_CLICK, 0, 0);
         Press(dlg, IDC_VMDLG_FIRST);
      }
      if (c.closed) {
         ASSERT_TRUE(PollUntil([&]() { return closed; }, 10000)) << outcome.error;
         EXPECT_EQ(outcome.aborts, 0) << outcome.error;
         EXPECT_EQ(RecordCount(), recordsBefore - 1);
         EXPECT_TRUE(PollUntil([&]() { return !wui::GetTeamMgr()->GetTeamByCfgPath(path); }));
         EXPECT_EQ(app_->GetDlgMgr()->GetDlgCount(), 0u) << "one question only";
         for (cui::VM *vm : members) {
            EXPECT_EQ(vm->GetPowerState(), c.after) << vm->GetName();
            if (vm->GetPowerState() != cui::VM::POWERED_OFF) {
               EXPECT_TRUE(PowerTo(vm, cui::VM::POWERED_OFF));
            }
         }
      } else {
         Poll(200);
         EXPECT_EQ(outcome.aborts, 1);
         EXPECT_TRUE(outcome.cancelled);
         EXPECT_EQ(RecordCount(), recordsBefore);
         EXPECT_EQ(team->GetPowerState(), c.after);
         ASSERT_TRUE(PowerTeamTo(team, cui::VM::POWERED_OFF));
      }
   }
}

TEST_F(TeamCommands, TheBackgroundPreferenceClosesARunningTeamWithoutAQuestion)
{
   Write("/user/prefState/req/#ZOLT/val/zolt/backgroundOnClose", "1");
   Write("/user/prefState/val/zolt/backgroundOnClose", "1");
   Outcome opened;
   wui::Team *team = OpenTeam(WriteTeam("Background", {"bg"}), opened);
   ASSERT_TRUE(team) << opened.error;
   ASSERT_TRUE(PowerTeamTo(team, cui::VM::POWERED_ON));
   cui::VM *member = team->GetVMs().front();
   bool closed = false;
   Outcome outcome;
   app_->CheckAndCloseTeam(team, true, outcome.Abort(), [&]() { closed = true; });
   EXPECT_TRUE(closed);
   EXPECT_EQ(app_->GetDlgMgr()->GetDlgCount(), 0u);
   Poll(300);
   EXPECT_EQ(member->GetPowerState(), cui::VM::POWERED_ON) << "it went on running";
   EXPECT_TRUE(PowerTo(member, cui::VM::POWERED_OFF));
}

TEST_F(TeamCommands, RemovingAMachineAndALanRewritesTheFileAndTheMachineGetsItsOwnTab)
{
   const std::string path = WriteTeam("Remove", {"keep", "leave"});
   Outcome opened;
   wui::Team *team = OpenTeam(path, opened);
   ASSERT_TRUE(team) << opened.error;
   cui::VM *leaving = nullptr;
   for (cui::VM *vm : team->GetVMs()) {
      leaving = vm->GetName() == "leave" ? vm : leaving;
   }
   ASSERT_TRUE(leaving);
   const std::string leavingPath = leaving->GetVmPath();

   app_->RemoveVMFromTeam(team, leaving);
   ASSERT_TRUE(PollUntil([&]() { return team->GetVMs().size() == 1; }));
   EXPECT_EQ(FileText(path).find("leave.vmx"), std::string::npos);
   EXPECT_NE(FileText(path).find("keep.vmx"), std::string::npos);
   ASSERT_TRUE(PollUntil([&]() {
      cui::VM *vm = wui::GetVMMgr()->GetVMByVMPath(leavingPath);
      return vm && RecordOf(vm) != "";
   }));

   app_->RemoveTeamNet(team, "pvn-Remove");
   ASSERT_TRUE(PollUntil([&]() { return team->GetNets().empty(); }));
   EXPECT_EQ(FileText(path).find("LAN 1"), std::string::npos);
}

TEST_F(TeamCommands, PowerOnFromATransientTabMakesTheTabLasting)
{
   Outcome opened;
   wui::Team *team = OpenTeam(WriteTeam("Transient", {"t1"}), opened, OpenFlags().NewTab().MakeCurrent());
   ASSERT_TRUE(team) << opened.error;
   wui::Prefs *prefs = wui::GetPrefs();
   ASSERT_EQ(prefs->GetTransientObj(), TeamRecord(team));
   _bstr_t file(team->GetFilename().c_str());
   app_->OnTeamCommand(IDM_TEAM_POWER_ON, file, kSourceMenuBar);
   EXPECT_EQ(prefs->GetTransientObj(), "");
   ASSERT_TRUE(PollUntil([&]() { return team->GetPowerState() == cui::VM::POWERED_ON && !team->GetBusy(); }, 10000));
   ASSERT_TRUE(PowerTeamTo(team, cui::VM::POWERED_OFF));
}

// Teams through the model library and the simulated host, over poll steps: open and close, power
// of the whole team, edits saved through the host, deletion.
#include "TeamTestSupport.h"

#include <windows.h>

#include <map>

#include "cui/Host.h"
#include "cui/TeamEditable.h"
#include "cui/VM.h"

namespace {

const char kHostQueue[] = "/host2/#0000/util/vm/cmd/##";

bool Contains(const std::string &text, const std::string &part)
{
   return text.find(part) != std::string::npos;
}

using TeamHost = TeamTest;

}  // namespace

TEST_F(TeamHost, OpenRegistersTheTeamAndItsMembersAndCloseLetsItGo)
{
   std::string web = WriteMachine("Web", "pvn-1");
   std::string db = WriteMachine("db");
   std::string file = WriteTeam("Lab", {{"team.name", "Lab"},
                                        {"team.notes", "for the demo"},
                                        {"vm0.cfgPath", "Web\\Web.vmx"},
                                        {"vm0.startupOrder", "2"},
                                        {"vm1.cfgPath", db},
                                        {"vm1.startupOrder", "1"},
                                        {"vm1.startupDelay", "4"},
                                        {"vm2.cfgPath", "Gone\\Gone.vmx"},
                                        {"lan0.id", "pvn-1"},
                                        {"lan0.name", "LAN 1"},
                                        {"lan0.bandwidth", "100"}});
   std::vector<cui::Team *> added;
   teams_->teamAdded.connect([&added](cui::Team *t) { added.push_back(t); });

   cui::Team *team = OpenTeam(file);
   ASSERT_NE(nullptr, team);
   EXPECT_EQ(std::vector<cui::Team *>{team}, added) << "in the manager once its members are";
   EXPECT_EQ("Lab", team->GetName());
   EXPECT_EQ("for the demo", team->GetNotes());
   EXPECT_EQ(file, run_->raw->Read(team->GetTeamPath() + "cfgFile"));
   ASSERT_EQ(3u, team->GetMembers().size());
   const cui::TeamMember &gone = team->GetMembers()[2];
   EXPECT_EQ(nullptr, gone.vm);
   EXPECT_TRUE(Contains(gone.problem, "was not found")) << gone.problem;
   ASSERT_EQ(2u, team->GetVMs().size());
   cui::VM *webVM = team->GetVMs()[0];
   cui::VM *dbVM = team->GetVMs()[1];
   EXPECT_EQ(web, webVM->GetFilename()) << "file order";
   EXPECT_EQ((std::vector<cui::VM *>{dbVM, webVM}), team->GetSortedVMList()) << "by name, case aside";
   EXPECT_EQ(2, team->GetVMStartupOrder(webVM));
   EXPECT_EQ(4, team->GetVMStartupDelay(dbVM));
   ASSERT_EQ(1u, team->GetNets().size());
   EXPECT_EQ(100, team->GetNets()[0]->GetBandwidth());
   EXPECT_EQ(team->GetNets()[0], team->GetNetByName("lan 1"));
   EXPECT_EQ("LAN 2", team->GetUniqueNetName());
   for (cui::VM *vm : team->GetVMs()) {
      EXPECT_TRUE(vm->GetInTeam()) << vm->GetName();
      EXPECT_EQ(file, vm->GetTeamFile());
   }
   std::vector<cui::vmdevice::NIC> nics = webVM->GetNICs();
   ASSERT_EQ(1u, nics.size());
   EXPECT_EQ("net0", nics[0].GetKey());
   EXPECT_EQ(cui::vmdevice::NIC::HOSTIF_PVN, nics[0].GetHostIF());
   EXPECT_EQ("pvn-1", nics[0].GetPVN());
   EXPECT_TRUE(dbVM->GetNICs().empty());
   EXPECT_FALSE(webVM->IsLegacy());

   // A second open is the same team; the manager finds it by a member's node.
   EXPECT_EQ(team, OpenTeam(file));
   EXPECT_EQ(1u, teams_->GetTeams().size());
   EXPECT_EQ(team, teams_->GetTeamByVMPath(dbVM->GetVmPath()));

   // The current machine is one of the team's own; it goes when its machine leaves.
   int currentChanges = 0;
   int memberChanges = 0;
   team->currentVMChanged.connect([&currentChanges]() { ++currentChanges; });
   team->membersChanged.connect([&memberChanges]() { ++memberChanges; });
   cui::VM *outsider = Open(WriteMachine("Outsider"));
   team->SetCurrentVM(outsider);
   EXPECT_EQ(nullptr, team->GetCurrentVM());
   team->SetCurrentVM(webVM);
   EXPECT_EQ(webVM, team->GetCurrentVM());
   EXPECT_EQ(1, currentChanges);
   Outcome closed = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { run_->mgr->CloseVM(webVM, a, d); });
   EXPECT_TRUE(closed.done) << closed.error;
   EXPECT_EQ(std::vector<cui::VM *>{dbVM}, team->GetVMs());
   EXPECT_EQ(nullptr, team->GetCurrentVM());
   EXPECT_EQ(2, currentChanges);
   EXPECT_GE(memberChanges, 1);

   // Closing lets the team go; its machines stay open, no longer in a team.
   bool goingAway = false;
   std::vector<cui::Team *> removed;
   team->goingAway.connect([&goingAway]() { goingAway = true; });
   teams_->teamRemoved.connect([&removed](cui::Team *t) { removed.push_back(t); });
   std::string teamPath = team->GetTeamPath();
   teams_->CloseTeam(team);
   EXPECT_TRUE(goingAway);
   EXPECT_EQ(std::vector<cui::Team *>{team}, removed);
   EXPECT_TRUE(teams_->GetTeams().empty());
   EXPECT_TRUE(Until([&]() { return !run_->raw->Exists(teamPath) && !dbVM->GetInTeam(); }));
   EXPECT_EQ(dbVM, run_->mgr->GetVMByCfgPath(db));

   // A machine opened while a team that holds it is registered is in the team from the start.
   std::string errMsg;
   EXPECT_EQ("ok", SendCommand(kHostQueue, "openTeam", {{"cfgPath", file}}, &errMsg)) << errMsg;
   cui::VM *later = Open(web);
   ASSERT_NE(nullptr, later);
   EXPECT_TRUE(later->GetInTeam());

   // A damaged file is refused with its line, and no team is made of it.
   std::string damaged = WriteTeam("Bad", {{"team.name", "Bad"}, {"vm0.cfgPath", web}, {"vm1.cfgPath", web}});
   std::string why;
   EXPECT_EQ(nullptr, OpenTeam(damaged, &why));
   EXPECT_TRUE(Contains(why, "line 3: vm1 names the same virtual machine as vm0")) << why;
   EXPECT_EQ(nullptr, OpenTeam(Path("Nowhere.vmtm"), &why));
   EXPECT_TRUE(Contains(why, "Nowhere.vmtm\" was not found")) << why;
   EXPECT_TRUE(teams_->GetTeams().empty());
}

TEST_F(TeamHost, PowerOnGoesInStartUpOrderWithDelaysWhileTheTeamIsBusy)
{
   std::string a = WriteMachine("A");
   std::string b = WriteMachine("B");
   std::string c = WriteMachine("C");
   // Start-up: B (order 1, then 3 seconds of 40 ms), C (order 1, after B in the file), then A.
   std::string file = WriteTeam("Lab", {{"team.name", "Lab"},
                                        {"vm0.cfgPath", a},
                                        {"vm0.startupOrder", "2"},
                                        {"vm1.cfgPath", b},
                                        {"vm1.startupOrder", "1"},
                                        {"vm1.startupDelay", "3"},
                                        {"vm2.cfgPath", c},
                                        {"vm2.startupOrder", "1"}});
   cui::Team *team = OpenTeam(file);
   ASSERT_NE(nullptr, team);
   auto *wteam = dynamic_cast<wui::Team *>(team);
   ASSERT_NE(nullptr, wteam);
   EXPECT_EQ(1, team->GetPowerOnActionState());
   EXPECT_EQ(3, team->GetPowerOffActionState()) << "every machine is off already";
   EXPECT_EQ(0, team->GetPowerSuspendActionState());

   std::vector<std::string> order;
   std::map<std::string, DWORD> onAt;
   std::map<std::string, DWORD> startedAt;
   for (cui::VM *vm : team->GetVMs()) {
      vm->actionStateChanged.connect([vm, &startedAt]() {
         if (vm->GetBusy(cui::VM::BUSY_POWER) && !startedAt.count(vm->GetName())) {
            startedAt[vm->GetName()] = GetTickCount();
         }
      });
      vm->powerStateChanged.connect([vm, &order, &onAt]() {
         if (vm->GetPowerState() == cui::VM::POWERED_ON) {
            order.push_back(vm->GetName());
            onAt[vm->GetName()] = GetTickCount();
         }
      });
   }
   bool sawHostBusy = false;
   team->powerStateChanged.connect([&]() { sawHostBusy = sawHostBusy || run_->raw->Read(team->GetTeamPath() + "busy") == "1"; });

   Outcome on;
   team->SetPowerState(cui::VM::POWERED_ON, cui::VM::POWEROP_DEFAULT, on.Abort(), on.Done());
   EXPECT_TRUE(wteam->GetBusy());
   EXPECT_EQ(2, team->GetPowerOnActionState());
   EXPECT_FALSE(team->GetCanEditSettings());
   EXPECT_FALSE(wteam->IsPowerStateEnabled(1));
   ASSERT_TRUE(Until([&]() { return on.finished; }));
   EXPECT_TRUE(on.done) << on.error;
   EXPECT_TRUE(sawHostBusy);
   EXPECT_EQ((std::vector<std::string>{"B", "C", "A"}), order);
   ASSERT_TRUE(startedAt.count("C"));
   EXPECT_GE(startedAt["C"] - onAt["B"], 100u) << "C waits for B's delay";
   EXPECT_LE(onAt["B"], startedAt["C"]) << "one after the other";
   EXPECT_FALSE(wteam->GetBusy());
   EXPECT_EQ(3, team->GetPowerOnActionState());
   EXPECT_EQ(1, team->GetPowerSuspendActionState());
   EXPECT_FALSE(team->GetCanDeleteTeam());

   std::string errMsg;
   EXPECT_EQ("error", SendCommand(kHostQueue, "deleteTeam", {{"cfgPath", file}}, &errMsg));
   EXPECT_TRUE(Contains(errMsg, "powered on")) << errMsg;
   EXPECT_TRUE(FileExists(file));

   Outcome suspend = Wait([&](cui::AbortSlot ab, cui::DoneSlot d) { team->SetPowerState(cui::VM::SUSPENDED, 0, ab, d); });
   EXPECT_TRUE(suspend.done) << suspend.error;
   for (cui::VM *vm : team->GetVMs()) {
      EXPECT_EQ(cui::VM::SUSPENDED, vm->GetPowerState()) << vm->GetName();
   }
   EXPECT_EQ(cui::VM::SUSPENDED, team->GetPowerState());
   EXPECT_EQ(3, team->GetPowerSuspendActionState());
   EXPECT_EQ("Resume the virtual machines of the team \"Lab\"", team->GetPowerOnTooltip());

   Outcome off = Wait([&](cui::AbortSlot ab, cui::DoneSlot d) { team->PowerOff(0, false, ab, d); });
   EXPECT_TRUE(off.done) << off.error;
   EXPECT_EQ(3, team->GetPowerOffActionState());
   EXPECT_TRUE(team->GetCanDeleteTeam());

   // A failing host: the caller hears its text and the team is not left busy.
   Config_Set("test.host.fail", "powerOnTeam");
   Config_Set("test.host.failText", "The host is out of memory.");
   Outcome failed = Wait([&](cui::AbortSlot ab, cui::DoneSlot d) { team->SetPowerState(0, 0, ab, d); });
   EXPECT_FALSE(failed.done);
   EXPECT_EQ("The host is out of memory.", failed.error);
   EXPECT_FALSE(wteam->GetBusy());
   EXPECT_EQ(1, team->GetPowerOnActionState());
}

TEST_F(TeamHost, EditsAreSavedWholeAndARefusedEditLeavesTheFileAsItWas)
{
   std::string a = WriteMachine("A");
   std::string b = WriteMachine("B");
   std::string c = WriteMachine("C");
   std::string file = WriteTeam("Lab", {{"team.name", "Lab"},
                                        {"vm0.cfgPath", a},
                                        {"vm1.cfgPath", b},
                                        {"vm1.futureKey", "member's own"},
                                        {"lan0.id", "pvn-1"},
                                        {"lan0.name", "LAN 1"},
                                        {"team.futureKey", "kept"}});
   cui::Team *team = OpenTeam(file);
   ASSERT_NE(nullptr, team);
   cui::VM *bVM = run_->mgr->GetVMByCfgPath(b);
   ASSERT_NE(nullptr, bVM);
   int memberChanges = 0;
   int netChanges = 0;
   std::vector<cui::VM *> added;
   team->membersChanged.connect([&memberChanges]() { ++memberChanges; });
   team->netsChanged.connect([&netChanges]() { ++netChanges; });
   team->vmAdded.connect([&added](cui::VM *vm) { added.push_back(vm); });
   auto edit = [&](const std::function<void(cui::TeamEditableSimple &)> &change) {
      return Wait([&](cui::AbortSlot ab, cui::DoneSlot d) {
         cui::TeamEditableSimple::Edit(team, [change](cui::TeamEditableSimple &e) { change(e); }, ab, d);
      });
   };

   Outcome removeVM = edit([&](cui::TeamEditableSimple &e) { e.RemoveVM(bVM); });
   EXPECT_TRUE(removeVM.done) << removeVM.error;
   EXPECT_EQ(1u, team->GetVMs().size());
   EXPECT_GE(memberChanges, 1);
   std::string text = FileText(file);
   EXPECT_FALSE(Contains(text, "B.vmx")) << text;
   EXPECT_TRUE(Contains(text, "team.futureKey = \"kept\"")) << text;
   EXPECT_TRUE(Until([&]() { return !bVM->GetInTeam(); })) << "out of the team, still open";

   Outcome removeNet = edit([](cui::TeamEditableSimple &e) { e.RemoveNet("lan 1"); });
   EXPECT_TRUE(removeNet.done) << removeNet.error;
   EXPECT_TRUE(team->GetNets().empty());
   EXPECT_EQ(1, netChanges);

   Outcome addNet = edit([](cui::TeamEditableSimple &e) { e.AddNet("LAN 2", 512, 3); });
   EXPECT_TRUE(addNet.done) << addNet.error;
   ASSERT_EQ(1u, team->GetNets().size());
   EXPECT_EQ(3, team->GetNets()[0]->GetLoss());

   // Refused edits: nothing reaches the file.
   const std::string before = FileText(file);
   Outcome taken = edit([](cui::TeamEditableSimple &e) { e.AddNet("lan 2", 0, 0); });
   EXPECT_TRUE(Contains(taken.error, "has a LAN named \"lan 2\" already")) << taken.error;
   Outcome badLoss = edit([](cui::TeamEditableSimple &e) { e.AddNet("LAN 3", 0, 101); });
   EXPECT_TRUE(Contains(badLoss.error, "from 0 to 100 percent")) << badLoss.error;
   Outcome badBandwidth = edit([](cui::TeamEditableSimple &e) { e.AddNet("LAN 3", -5, 0); });
   EXPECT_TRUE(Contains(badBandwidth.error, "cannot be negative")) << badBandwidth.error;
   Outcome twice = edit([&](cui::TeamEditableSimple &e) { e.AddVMPath(a); });
   EXPECT_TRUE(Contains(twice.error, "already in the team")) << twice.error;
   Config_Set("test.host.fail", "saveTeam");
   Config_Set("test.host.failText", "The disk is full.");
   Outcome refusedSave = edit([](cui::TeamEditableSimple &e) { e.SetName("Renamed"); });
   EXPECT_EQ("The disk is full.", refusedSave.error);
   Config_Set("test.host.fail", "");
   EXPECT_FALSE(taken.done || badLoss.done || badBandwidth.done || twice.done || refusedSave.done);
   EXPECT_EQ(before, FileText(file));
   EXPECT_EQ("Lab", team->GetName());

   // A member added by an edit opens and joins the team.
   Outcome addVM = edit([&](cui::TeamEditableSimple &e) { e.AddVMPath(c); });
   EXPECT_TRUE(addVM.done) << addVM.error;
   ASSERT_TRUE(Until([&]() { return team->GetVMs().size() == 2; }));
   ASSERT_EQ(1u, added.size());
   EXPECT_EQ(c, added[0]->GetFilename());
   EXPECT_TRUE(added[0]->GetInTeam());

   // A file damaged since it was opened is neither loaded for an edit nor written over.
   const std::string damaged = "team.name = \"Lab\"\nvm0.cfgPath = \"";
   std::string error;
   ASSERT_TRUE(File_Replace(file, damaged, error)) << error;
   Outcome overDamaged = edit([](cui::TeamEditableSimple &e) { e.SetNotes("lost?"); });
   EXPECT_FALSE(overDamaged.done);
   EXPECT_TRUE(Contains(overDamaged.error, "line 2: missing closing quote")) << overDamaged.error;
   EXPECT_EQ(damaged, FileText(file));
}

TEST_F(TeamHost, DeleteTeamAsksThenRemovesOnlyTheTeamFileOnceEveryMemberIsOff)
{
   std::string a = WriteMachine("A");
   std::string b = WriteMachine("B");
   std::string file = WriteTeam("Lab", {{"team.name", "Lab"}, {"vm0.cfgPath", a}, {"vm1.cfgPath", b}});
   cui::Team *team = OpenTeam(file);
   ASSERT_NE(nullptr, team);
   cui::VM *aVM = team->GetVMs()[0];
   cui::Host host(nullptr, run_->ctx, "/host2/#0000/");

   Outcome on = Wait([&](cui::AbortSlot ab, cui::DoneSlot d) { aVM->SetPowerState(0, 1, ab, d); });
   ASSERT_TRUE(on.done) << on.error;
   AnsweringDlgMgr yes(0);
   Outcome refused = Wait([&](cui::AbortSlot ab, cui::DoneSlot d) { host.DeleteTeam(file, &yes, d, ab); });
   EXPECT_TRUE(Contains(refused.error, "while its virtual machine \"A\" is powered on")) << refused.error;
   EXPECT_EQ(1u, yes.asked.size());
   EXPECT_TRUE(FileExists(file));
   Outcome off = Wait([&](cui::AbortSlot ab, cui::DoneSlot d) { aVM->SetPowerState(1, 1, ab, d); });
   ASSERT_TRUE(off.done) << off.error;

   // No ends it without a word.
   AnsweringDlgMgr no(1);
   Outcome kept;
   host.DeleteTeam(file, &no, kept.Done(), kept.Abort());
   EXPECT_TRUE(Until([&]() { return !no.asked.empty(); }));
   for (int i = 0; i < 20; ++i) {
      Poll_Step(1);
   }
   EXPECT_FALSE(kept.finished);
   EXPECT_TRUE(FileExists(file));

   bool removed = false;
   teams_->teamRemoved.connect([&removed](cui::Team *) { removed = true; });
   Outcome deleted = Wait([&](cui::AbortSlot ab, cui::DoneSlot d) { host.DeleteTeam(file, &yes, d, ab); });
   EXPECT_TRUE(deleted.done) << deleted.error;
   EXPECT_TRUE(removed);
   EXPECT_TRUE(teams_->GetTeams().empty());
   EXPECT_FALSE(FileExists(file));
   EXPECT_TRUE(FileExists(a) && FileExists(b)) << "the machines stay";
   EXPECT_TRUE(Until([&]() { return !aVM->GetInTeam(); }));
}

TEST_F(TeamHost, DeletingAMemberTakesItOutOfTheFileThenDeletesItsFiles)
{
   std::string a = WriteMachine("A");
   std::string b = WriteMachine("B");
   std::string file = WriteTeam("Lab", {{"team.name", "Lab"}, {"vm0.cfgPath", a}, {"vm1.cfgPath", b}});
   cui::Team *team = OpenTeam(file);
   ASSERT_NE(nullptr, team);
   AnsweringDlgMgr yes(0);
   team->SetDlgMgr(&yes);
   cui::Host host(nullptr, run_->ctx, "/host2/#0000/");
   cui::VM *bVM = run_->mgr->GetVMByCfgPath(b);
   ASSERT_NE(nullptr, bVM);
   // The machine was opened on no host object of its own: the deleter asks the client host.
   cui::SetClientHost(&host);
   Outcome deleted = Wait([&](cui::AbortSlot ab, cui::DoneSlot d) { cui::TeamVMDeleter::Delete(team, bVM, ab, d); });
   cui::SetClientHost(nullptr);
   EXPECT_TRUE(deleted.done) << deleted.error;
   EXPECT_FALSE(FileExists(b));
   EXPECT_TRUE(FileExists(a));
   EXPECT_FALSE(Contains(FileText(file), "B.vmx"));
   EXPECT_TRUE(Until([&]() { return team->GetVMs().size() == 1 && team->GetMembers().size() == 1; }));
}

TEST_F(TeamHost, ANewTeamIsSavedThenTakenInAndFollowsItsFile)
{
   std::string a = WriteMachine("A");
   std::string old = Path("Old\\Old.vmx");
   ASSERT_TRUE(File_MakeFolders(Path("Old")));
   std::string error;
   ASSERT_TRUE(KeyValueFile::Write(old, {{"configVersion", "6"}, {"displayName", "Old"}}, error)) << error;
   std::string file = Path("New.vmtm");
   std::unique_ptr<cui::Team> made(new wui::Team(file, "New"));
   cui::Team *team = made.get();
   cui::TeamEditable editable(team);
   editable.SetName("New");
   editable.AddVMPath(a);
   editable.AddVMPath(old);
   editable.SetVMStartup(old, 5, 1);
   EXPECT_THROW(editable.SetVMStartup(old, 5, -1), cui::Error);
   EXPECT_THROW(editable.RemoveVMPath(Path("Other.vmx")), cui::Error);
   EXPECT_THROW(editable.RemoveNet("LAN 9"), cui::Error);
   editable.AddNet(team->GetUniqueNetName(), 0, 0);
   Outcome saved = Wait([&](cui::AbortSlot ab, cui::DoneSlot d) { editable.Save(ab, d); });
   ASSERT_TRUE(saved.done) << saved.error;
   EXPECT_TRUE(Contains(FileText(file), "vm1.cfgPath = \"Old\\\\Old.vmx\"")) << FileText(file);

   teams_->AddTeam(std::move(made));
   ASSERT_TRUE(Until([&]() { return team->GetVMs().size() == 2; }));
   EXPECT_FALSE(team->GetTeamPath().empty());
   EXPECT_EQ("LAN 1", team->GetNets().at(0)->GetName());
   cui::VM *oldVM = run_->mgr->GetVMByCfgPath(old);
   ASSERT_NE(nullptr, oldVM);
   EXPECT_TRUE(oldVM->IsLegacy());
   EXPECT_EQ(5, team->GetVMStartupOrder(oldVM));
   EXPECT_EQ(1, team->GetVMStartupDelay(oldVM));
   EXPECT_TRUE(Until([&]() { return oldVM->GetInTeam(); }));
}

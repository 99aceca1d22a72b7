#include "MachineTestSupport.h"

#include <windows.h>

#include "ModelCmd.h"
#include "cui/MsgSource.h"
#include "cui/SessionRecordMgr.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Poll.h"
#include "tremsim/SimMachine.h"
#include "tremsim/SimSnapshots.h"

namespace {

const std::vector<KeyValueEntry> kMachine = {
   {"configVersion", "8"}, {"displayName", "Desk"}, {"guestOS", "winxp"}, {"memoryMB", "256"},
};

class SnapshotHost : public MachineTest {
protected:
   // Runs `start` with fresh slots and waits for its outcome.
   Outcome Wait(const std::function<void(cui::AbortSlot, cui::DoneSlot)> &start)
   {
      Outcome outcome;
      start(outcome.Abort(), outcome.Done());
      EXPECT_FALSE(outcome.finished) << "answered inside the call";
      EXPECT_TRUE(Until([&]() { return outcome.finished; }));
      return outcome;
   }
   cui::Snapshot *Take(cui::SnapshotTree *tree, const std::string &name, const std::string &description = "")
   {
      Outcome taken = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->Take(name, description, a, d); });
      EXPECT_TRUE(taken.done) << taken.error;
      return tree->GetCurrent();
   }
   void Power(cui::VM *vm, cui::VM::PowerState state)
   {
      Outcome power = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->SetPowerState(state, cui::VM::POWEROP_HARD, a, d); });
      EXPECT_TRUE(power.done) << power.error;
   }
   static cuisim::SimSnapshotFile Load(cui::VM *vm)
   {
      cuisim::SimSnapshotFile file;
      std::string error;
      EXPECT_TRUE(file.Load(cuisim::SimSnapshotFile::PathOf(vm->GetFilename()), error)) << error;
      return file;
   }
   static std::vector<std::string> Names(const std::vector<cui::Snapshot *> &snapshots)
   {
      std::vector<std::string> names;
      for (cui::Snapshot *s : snapshots) {
         names.push_back(s->GetDisplayName());
      }
      return names;
   }
   std::string Queue(cui::VM *vm) const { return vm->GetVmPath() + "cmd/##"; }
};

TEST_F(SnapshotHost, ThreeSnapshotsOneFromARestoredOneAreKeptInTheFileAndComeBackAfterARestart)
{
   cui::VM *vm = Open(WriteVmx("desk.vmx", kMachine));
   ASSERT_NE(nullptr, vm);
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   ASSERT_NE(nullptr, tree);
   EXPECT_TRUE(tree->IsMultipleEnabled());
   EXPECT_EQ(0u, tree->GetCount());
   EXPECT_FALSE(tree->IsCmdEnabled(cui::SnapshotTree::CMD_REVERT)) << "nothing to revert to";
   EXPECT_TRUE(tree->IsCmdEnabled(cui::SnapshotTree::CMD_TAKE));
   int changes = 0;
   tree->changed.connect([&changes]() { ++changes; });

   Outcome first;
   tree->Take("Clean install", "Fresh from the disc", first.Abort(), first.Done());
   EXPECT_TRUE(tree->IsBusy());
   EXPECT_TRUE(vm->GetBusy(cui::VM::BUSY_SNAPSHOT));
   EXPECT_FALSE(tree->IsCmdEnabled(cui::SnapshotTree::CMD_TAKE)) << "one operation at a time";
   ASSERT_TRUE(Until([&]() { return first.finished; }));
   ASSERT_TRUE(first.done) << first.error;
   EXPECT_FALSE(tree->IsBusy());
   EXPECT_GT(changes, 0);
   cui::Snapshot *clean = tree->GetCurrent();
   ASSERT_NE(nullptr, clean);
   EXPECT_EQ("Clean install", clean->GetDisplayName());
   EXPECT_EQ("Fresh from the disc", clean->GetDescription());
   EXPECT_EQ(cui::Snapshot::POWERED_OFF, clean->GetPowerState());
   EXPECT_EQ("", clean->GetScreenshotPath()) << "no picture of a machine that is off";
   EXPECT_GT(clean->GetTimestamp(), 0);
   EXPECT_EQ("Clean install", vm->GetCurrentSnapshotName());

   Power(vm, cui::VM::POWERED_ON);
   cui::Snapshot *running = Take(tree, "Running");
   ASSERT_NE(nullptr, running);
   EXPECT_EQ(clean, running->GetParent());
   EXPECT_EQ(cui::Snapshot::POWERED_ON, running->GetPowerState());
   EXPECT_TRUE(File_Exists(running->GetScreenshotPath())) << running->GetScreenshotPath();

   Outcome back = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->Restore(clean->GetUID(), a, d); });
   ASSERT_TRUE(back.done) << back.error;
   EXPECT_EQ(cui::VM::POWERED_OFF, vm->GetPowerState()) << "the snapshot was taken powered off";
   EXPECT_EQ(clean, tree->GetCurrent());
   EXPECT_EQ(clean, tree->GetYAH()->GetParent());

   cui::Snapshot *branch = Take(tree, "Branch");
   ASSERT_NE(nullptr, branch);
   EXPECT_EQ(clean, branch->GetParent());
   EXPECT_EQ((std::vector<std::string>{"Running", "Branch"}), Names(clean->GetChildren()));
   std::vector<int> mru;
   for (cui::SnapshotTree::MRUIterator it = tree->MRUBegin(); it.IsValid(); ++it) {
      EXPECT_EQ(static_cast<int>(mru.size()), it.GetIndex());
      mru.push_back(*it);
   }
   EXPECT_EQ((std::vector<int>{branch->GetUID(), clean->GetUID(), running->GetUID()}), mru);

   cuisim::SimSnapshotFile file = Load(vm);
   ASSERT_EQ(3u, file.snapshots.size());
   EXPECT_EQ(branch->GetUID(), file.current);
   EXPECT_EQ(clean->GetUID(), file.snapshots[branch->GetUID()].parent);
   EXPECT_EQ(clean->GetUID(), file.snapshots[running->GetUID()].parent);
   const int branchUid = branch->GetUID();

   std::string cfg = vm->GetFilename();
   NewRun();
   vm = Open(cfg);
   ASSERT_NE(nullptr, vm);
   tree = vm->GetSnapshotTree();
   EXPECT_EQ(3u, tree->GetCount());
   ASSERT_NE(nullptr, tree->GetCurrent());
   EXPECT_EQ(branchUid, tree->GetCurrent()->GetUID());
   ASSERT_EQ(1u, tree->GetRoots().size());
   EXPECT_EQ((std::vector<std::string>{"Running", "Branch"}), Names(tree->GetRoots()[0]->GetChildren()));
   EXPECT_EQ("Snapshot 4", tree->GenerateName());
}

TEST_F(SnapshotHost, AWriteCutShortLosesNoSnapshotTheHostHadRecorded)
{
   cui::VM *vm = Open(WriteVmx("desk.vmx", kMachine));
   ASSERT_NE(nullptr, vm);
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   Take(tree, "One");
   const std::string path = cuisim::SimSnapshotFile::PathOf(vm->GetFilename());

   Outcome second;
   tree->Take("Two", "", second.Abort(), second.Done());
   ASSERT_TRUE(Until([&]() { return run_->raw->Read(vm->GetVmPath() + "vmx/chkptState/pending") == "createSnapshot"; }));
   // A crash now finds the file as the last finished operation left it.
   cuisim::SimSnapshotFile during = Load(vm);
   ASSERT_EQ(1u, during.snapshots.size());
   EXPECT_EQ("One", during.snapshots.begin()->second.displayName);
   // What a writer stopped halfway leaves behind: its temporary file, never read.
   std::string error;
   ASSERT_TRUE(File_Replace(path + ".tmp", "snapshot.lastUID = \"9\"\nsnapshot9.displayName = \"Hal", error)) << error;
   ASSERT_TRUE(Until([&]() { return second.finished; }));
   EXPECT_TRUE(second.done) << second.error;
   EXPECT_EQ(2u, Load(vm).snapshots.size());

   // A take under way when the host stops is finished into the file; a stale temporary
   // file left beside it changes nothing.
   tree->Take("Three", "", cui::AbortSlot(), cui::DoneSlot());
   ASSERT_TRUE(Until([&]() { return !run_->raw->Read(vm->GetVmPath() + "vmx/chkptState/pending").empty(); }));
   std::string cfg = vm->GetFilename();
   NewRun();
   ASSERT_TRUE(File_Replace(path + ".tmp", "snapshot1.displayName = \"Bro", error)) << error;
   vm = Open(cfg);
   ASSERT_NE(nullptr, vm);
   tree = vm->GetSnapshotTree();
   std::vector<std::string> names;
   for (cui::Snapshot *s : *tree) {
      names.push_back(s->GetDisplayName());
   }
   EXPECT_EQ((std::vector<std::string>{"One", "Two", "Three"}), names);
}

TEST_F(SnapshotHost, TheHostRefusesWhatCannotBeDoneWithTextsAUserUnderstands)
{
   cui::VM *vm = Open(WriteVmx("desk.vmx", kMachine));
   ASSERT_NE(nullptr, vm);
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   std::string error;
   EXPECT_EQ("error", SendCommand(Queue(vm), "revertToSnapshot", {}, &error));
   EXPECT_NE(std::string::npos, error.find("\"Desk\" has no snapshot")) << error;
   EXPECT_EQ("error", SendCommand(Queue(vm), "removeSnapshot", {}, &error));
   EXPECT_NE(std::string::npos, error.find("has no snapshot")) << error;
   Outcome unknown = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->Restore(5, a, d); });
   EXPECT_FALSE(unknown.done);
   EXPECT_NE(std::string::npos, unknown.error.find("no such snapshot")) << unknown.error;
   Outcome none = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->Delete({}, false, true, a, d); });
   EXPECT_FALSE(none.done);
   EXPECT_EQ("error", SendCommand(Queue(vm), "createSnapshot", {{"name", std::string(81, 'n')}}, &error));
   EXPECT_NE(std::string::npos, error.find("at most 80")) << error;

   cui::Snapshot *one = Take(tree, "One");
   ASSERT_NE(nullptr, one);
   Outcome taking;
   // Slow steps: the take is still going while the refusals below go back and forth.
   Config_Set("test.host.stepMs", "500");
   tree->Take("Two", "", taking.Abort(), taking.Done());
   Outcome second = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->Delete({1}, false, true, a, d); });
   EXPECT_NE(std::string::npos, second.error.find("busy")) << second.error;
   ASSERT_TRUE(Until([&]() { return !run_->raw->Read(vm->GetVmPath() + "vmx/chkptState/pending").empty(); }));
   Config_Set("test.host.stepMs", "2");
   EXPECT_EQ("error", SendCommand(Queue(vm), "removeSnapshot", {{"uids", "1"}}, &error));
   EXPECT_NE(std::string::npos, error.find("busy with another operation")) << error;
   EXPECT_EQ("error", SendCommand(Queue(vm), "powerOn", {}, &error)) << "no power change under a snapshot operation";
   ASSERT_TRUE(Until([&]() { return taking.finished; }));
   EXPECT_TRUE(taking.done) << taking.error;

   EXPECT_EQ("error", SendCommand(Queue(vm), "removeSnapshot", {{"uids", "42"}}, &error));
   EXPECT_NE(std::string::npos, error.find("no snapshot 42")) << error;
   EXPECT_EQ(2u, tree->GetCount()) << "nothing was removed by the refusals";
}

TEST_F(SnapshotHost, ATakeIsPreparedAndGivenUpAndCommandsFollowWhatThereIsToActOn)
{
   cui::VM *vm = Open(WriteVmx("desk.vmx", kMachine));
   ASSERT_NE(nullptr, vm);
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   for (int command : {cui::SnapshotTree::CMD_GOTO, cui::SnapshotTree::CMD_DELETE, cui::SnapshotTree::CMD_RENAME}) {
      EXPECT_FALSE(tree->IsCmdEnabled(command)) << "no snapshot for command " << command;
   }
   EXPECT_TRUE(tree->IsCmdEnabled(cui::SnapshotTree::CMD_MANAGER));
   EXPECT_FALSE(tree->IsCmdEnabled(99));

   Outcome begun = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->BeginTake(a, d); });
   EXPECT_TRUE(begun.done) << begun.error;
   EXPECT_TRUE(tree->IsTakeBegun());
   Outcome cancelled = Wait([&](cui::AbortSlot, cui::DoneSlot d) { tree->CancelTake(d); });
   EXPECT_TRUE(cancelled.done);
   EXPECT_FALSE(tree->IsTakeBegun());
   EXPECT_EQ(0u, tree->GetCount()) << "a take given up takes nothing";

   Take(tree, "One");
   for (int command : {cui::SnapshotTree::CMD_GOTO, cui::SnapshotTree::CMD_DELETE, cui::SnapshotTree::CMD_REVERT}) {
      EXPECT_TRUE(tree->IsCmdEnabled(command)) << "command " << command;
   }
   Outcome taking;
   // Slow steps: the take is still going while the refusals below go back and forth.
   Config_Set("test.host.stepMs", "500");
   tree->Take("Two", "", taking.Abort(), taking.Done());
   Outcome refused = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->BeginTake(a, d); });
   EXPECT_FALSE(refused.done) << "no second take while one runs";
   EXPECT_NE(std::string::npos, refused.error.find("cannot be taken now")) << refused.error;
   ASSERT_TRUE(Until([&]() { return taking.finished; }));
   EXPECT_TRUE(taking.done) << taking.error;
}

TEST_F(SnapshotHost, DeletingWithChildrenTakesTheBranchWithoutChildrenOnlyTheSnapshot)
{
   cui::VM *vm = Open(WriteVmx("desk.vmx", kMachine));
   ASSERT_NE(nullptr, vm);
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   Power(vm, cui::VM::POWERED_ON);
   cui::Snapshot *a = Take(tree, "A");
   cui::Snapshot *b = Take(tree, "B");
   cui::Snapshot *c = Take(tree, "C");
   ASSERT_TRUE(a && b && c);
   const int aUid = a->GetUID();
   const int bUid = b->GetUID();
   std::string bShot = b->GetScreenshotPath();
   std::string cShot = c->GetScreenshotPath();
   ASSERT_TRUE(File_Exists(bShot) && File_Exists(cShot));
   Outcome back = Wait([&](cui::AbortSlot x, cui::DoneSlot y) { tree->Restore(aUid, x, y); });
   ASSERT_TRUE(back.done) << back.error;
   EXPECT_EQ(cui::VM::POWERED_ON, vm->GetPowerState()) << "A was taken running";
   cui::Snapshot *d = Take(tree, "D");
   cui::Snapshot *e = Take(tree, "E");
   ASSERT_TRUE(d && e);
   const int dUid = d->GetUID();
   const int eUid = e->GetUID();
   std::string dShot = d->GetScreenshotPath();

   // B with its child C: both go, with their pictures.
   Outcome branch = Wait([&](cui::AbortSlot x, cui::DoneSlot y) { tree->Delete({bUid}, true, true, x, y); });
   ASSERT_TRUE(branch.done) << branch.error;
   EXPECT_EQ(3u, tree->GetCount());
   EXPECT_EQ(nullptr, tree->GetSnapshot(bUid));
   EXPECT_FALSE(File_Exists(bShot));
   EXPECT_FALSE(File_Exists(cShot));
   EXPECT_EQ((std::vector<std::string>{"D"}), Names(tree->GetSnapshot(aUid)->GetChildren()));

   // D alone: E moves up to A, the current state stays below E, D's picture stays on disk.
   Outcome alone = Wait([&](cui::AbortSlot x, cui::DoneSlot y) { tree->Delete({dUid}, false, false, x, y); });
   ASSERT_TRUE(alone.done) << alone.error;
   ASSERT_NE(nullptr, tree->GetSnapshot(eUid));
   EXPECT_EQ(aUid, tree->GetSnapshot(eUid)->GetParent()->GetUID());
   EXPECT_EQ(eUid, tree->GetCurrent()->GetUID());
   EXPECT_TRUE(File_Exists(dShot));

   // The current snapshot itself: the current state moves to its parent.
   Outcome current = Wait([&](cui::AbortSlot x, cui::DoneSlot y) { tree->Delete({eUid}, false, true, x, y); });
   ASSERT_TRUE(current.done) << current.error;
   EXPECT_EQ(aUid, tree->GetCurrent()->GetUID());
   cuisim::SimSnapshotFile file = Load(vm);
   EXPECT_EQ(1u, file.snapshots.size());
   EXPECT_EQ(aUid, file.current);
   EXPECT_EQ(std::vector<int>{aUid}, file.mru) << "deleted snapshots leave the recently used list";
}

TEST_F(SnapshotHost, ARenameWithoutAChangeRenamesNothing)
{
   cui::VM *vm = Open(WriteVmx("desk.vmx", kMachine));
   ASSERT_NE(nullptr, vm);
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   cui::Snapshot *s = Take(tree, "Name", "Description");
   ASSERT_NE(nullptr, s);
   size_t before = cuiutil::ModelCmd::GetPendingCount();
   Outcome same;
   tree->Rename(s->GetUID(), "Name", "Description", same.Abort(), same.Done());
   EXPECT_EQ(before, cuiutil::ModelCmd::GetPendingCount()) << "no command for an unchanged name";
   EXPECT_FALSE(tree->IsBusy());
   ASSERT_TRUE(Until([&]() { return same.finished; }));
   EXPECT_TRUE(same.done);

   Outcome renamed = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->Rename(s->GetUID(), "Újra", "Second", a, d); });
   EXPECT_TRUE(renamed.done) << renamed.error;
   EXPECT_EQ("Újra", s->GetDisplayName());
   EXPECT_EQ("Second", s->GetDescription());
   EXPECT_EQ("Újra", Load(vm).snapshots[s->GetUID()].displayName);
   Outcome empty = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->Rename(s->GetUID(), "", "", a, d); });
   EXPECT_FALSE(empty.done);
   EXPECT_EQ("Újra", s->GetDisplayName());
}

TEST_F(SnapshotHost, ARefreshReadsTheFileAnotherProgramChangedAndADamagedOneIsNotTakenForAList)
{
   cui::VM *vm = Open(WriteVmx("desk.vmx", kMachine));
   ASSERT_NE(nullptr, vm);
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   ASSERT_NE(nullptr, Take(tree, "Base"));
   cuisim::SimSnapshotFile file = Load(vm);
   cuisim::SimSnapshot added;
   added.uid = ++file.lastUid;
   added.parent = file.current;
   added.displayName = "Written elsewhere";
   file.snapshots[added.uid] = added;
   std::string error;
   const std::string path = cuisim::SimSnapshotFile::PathOf(vm->GetFilename());
   ASSERT_TRUE(file.Save(path, error)) << error;
   EXPECT_EQ(1u, tree->GetCount()) << "nothing is read before the refresh";

   Outcome refreshed = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->RefreshSnapshotState(a, d); });
   EXPECT_TRUE(refreshed.done) << refreshed.error;
   ASSERT_TRUE(Until([&]() { return tree->GetCount() == 2; }));
   ASSERT_NE(nullptr, tree->GetSnapshot(added.uid));
   EXPECT_EQ("Written elsewhere", tree->GetSnapshot(added.uid)->GetDisplayName());

   ASSERT_TRUE(File_Replace(path, "this is = not \"a snapshot file", error)) << error;
   Outcome damaged = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->RefreshSnapshotState(a, d); });
   EXPECT_FALSE(damaged.done);
   EXPECT_FALSE(damaged.error.empty());
   EXPECT_EQ(damaged.error, vm->GetSnapshotFileError());
   EXPECT_EQ(0u, tree->GetCount()) << "no list but what the file holds";
}

TEST_F(SnapshotHost, TheSingleSnapshotFormAnswersCommandsWithoutInputs)
{
   std::vector<KeyValueEntry> single = kMachine;
   single.push_back({"snapshot.multiple", "FALSE"});
   cui::VM *vm = Open(WriteVmx("old.vmx", single));
   ASSERT_NE(nullptr, vm);
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   EXPECT_FALSE(tree->IsMultipleEnabled());
   EXPECT_FALSE(tree->IsCmdEnabled(cui::SnapshotTree::CMD_MANAGER));
   EXPECT_EQ("ok", SendCommand(Queue(vm), "createSnapshot", {}));
   ASSERT_TRUE(Until([&]() { return tree->GetCount() == 1 && !tree->IsBusy(); }));
   EXPECT_EQ("Snapshot 1", vm->GetCurrentSnapshotName());
   std::vector<std::string> items = run_->ctx.Elements(vm->GetVmPath() + "vmx/chkptState/val/item/#");
   ASSERT_EQ(1u, items.size());
   EXPECT_EQ("Snapshot 1", run_->raw->Read(items[0] + "displayName"));

   EXPECT_EQ("ok", SendCommand(Queue(vm), "createSnapshot", {}));
   ASSERT_TRUE(Until([&]() { return tree->GetCurrent() && tree->GetCurrent()->GetUID() == 2; }));
   EXPECT_EQ(1u, tree->GetCount()) << "a take replaces the one snapshot";
   EXPECT_EQ("ok", SendCommand(Queue(vm), "revertToSnapshot", {}));
   EXPECT_EQ("ok", SendCommand(Queue(vm), "removeSnapshot", {}));
   ASSERT_TRUE(Until([&]() { return tree->GetCount() == 0; }));
   EXPECT_EQ("", vm->GetCurrentSnapshotName());
   EXPECT_EQ("error", SendCommand(Queue(vm), "revertToSnapshot", {}));
}

TEST_F(SnapshotHost, RecordingsPlayFromTheirSnapshotAndScreenshotsComeAsBitmaps)
{
   std::string error;
   std::string cfg = WriteVmx("demo.vmx", kMachine);
   ASSERT_TRUE(KeyValueFile::Write(cuisim::SimSnapshotFile::PathOf(cfg),
                                   {{"snapshot.lastUID", "1"}, {"snapshot.current", "0"}, {"snapshot1.parent", "0"},
                                    {"snapshot1.displayName", "Demo"}, {"snapshot1.powerState", "3"},
                                    {"snapshot1.recording", "1"}},
                                   error))
      << error;
   cui::VM *vm = Open(cfg);
   ASSERT_NE(nullptr, vm);
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   cui::SessionRecordMgr *records = vm->GetSessionRecordMgr();
   ASSERT_NE(nullptr, records);
   EXPECT_EQ(nullptr, tree->GetCurrent());
   EXPECT_FALSE(records->GetCanRecord());
   EXPECT_EQ(cui::SessionRecordMgr::STATE_LIVE, records->GetState());
   Outcome record = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { records->Record("x", "", a, d); });
   EXPECT_NE(std::string::npos, record.error.find("cannot record")) << record.error;
   ASSERT_EQ(1u, records->GetRecordings().size());
   cui::Recording *demo = records->GetRecordingWithUID(1);
   ASSERT_NE(nullptr, demo);
   EXPECT_TRUE(demo->GetSnapshot()->HasRecordings());
   EXPECT_EQ(nullptr, records->GetRecordingWithUID(2));
   EXPECT_TRUE(records->GetCanPlay());

   Outcome play;
   records->Play(demo, true, play.Abort(), play.Done());
   EXPECT_EQ(cui::SessionRecordMgr::STATE_PLAYING, records->GetState());
   ASSERT_TRUE(Until([&]() { return play.finished; }));
   EXPECT_TRUE(play.done) << play.error;
   EXPECT_EQ(cui::SessionRecordMgr::STATE_PLAYING, records->GetState()) << "it plays until Go Live";
   EXPECT_TRUE(records->GetCanStop());
   ASSERT_NE(nullptr, tree->GetCurrent());
   EXPECT_EQ(1, tree->GetCurrent()->GetUID());
   EXPECT_EQ(cui::VM::POWERED_ON, vm->GetPowerState());
   Outcome live = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { records->GoLive(a, d); });
   EXPECT_TRUE(live.done) << live.error;
   EXPECT_EQ(cui::SessionRecordMgr::STATE_LIVE, records->GetState());

   // A snapshot of the running machine carries a picture of its screen; the demo has none.
   cui::Snapshot *shot = Take(tree, "With picture");
   ASSERT_NE(nullptr, shot);
   std::map<int, SIZE> sizes;
   int answers = 0;
   auto receive = [&](int uid, HBITMAP bitmap) {
      ++answers;
      BITMAP info = {};
      sizes[uid] = {-1, -1};
      if (bitmap && GetObjectW(bitmap, sizeof info, &info)) {
         sizes[uid] = {info.bmWidth, info.bmHeight};
      }
      if (bitmap) {
         DeleteObject(bitmap);
      }
   };
   tree->GetScreenshot(shot->GetUID(), receive);
   tree->GetScreenshot(1, receive);
   EXPECT_EQ(0, answers) << "answered from a poll step";
   ASSERT_TRUE(Until([&]() { return answers == 2; }));
   EXPECT_EQ(320, sizes[shot->GetUID()].cx);
   EXPECT_EQ(240, sizes[shot->GetUID()].cy);
   EXPECT_EQ(-1, sizes[1].cx) << "no picture: a null bitmap";
}

// Five snapshots in a row, the fifth current.
std::string FiveSnapshots()
{
   cuisim::SimSnapshotFile file;
   for (int uid = 1; uid <= 5; ++uid) {
      cuisim::SimSnapshot &s = file.snapshots[uid];
      s.uid = uid;
      s.parent = uid - 1;
      s.displayName = "Step " + std::to_string(uid);
      s.description = "What step " + std::to_string(uid) + " changed";
      s.createTime = 1700000000 + uid;
   }
   file.lastUid = 5;
   file.current = 5;
   file.mru = {5, 4};
   std::string path = File_GetTempFolder() + "zolt-five-" + std::to_string(GetCurrentProcessId()) + ".snapshot";
   std::string error;
   std::string text;
   EXPECT_TRUE(file.Save(path, error)) << error;
   EXPECT_TRUE(File_Read(path, text, error)) << error;
   File_Delete(path);
   return text;
}

struct Damage {
   const char *what;
   std::string bytes;
   const char *reason;   // part of the host's text
};

std::vector<Damage> ThreeDamagedFiles()
{
   const std::string good = FiveSnapshots();
   // Cut off in the middle of the fourth snapshot's description.
   size_t cut = good.find("What step 4") + 5;
   // A line broken in two in the middle: the first half has no '='.
   std::string broken = good;
   size_t line = broken.find("snapshot2.displayName");
   broken.insert(line + 12, "\n");
   std::string noise;
   unsigned seed = 12345;
   for (int i = 0; i < 3000; ++i) {
      seed = seed * 1103515245u + 12345u;
      noise += static_cast<char>(seed >> 16);
   }
   return {{"cut short", good.substr(0, cut), "missing closing quote"},
           {"random bytes", noise, "line "},
           {"a line broken", broken, "expected '=' after the key"}};
}

// A machine's snapshot file or state file that cannot be read: the host keeps it byte for byte,
// says so in the database, the model and the machine's message log, refuses every change that
// would write it, and reads it again on a refresh once it is mended or removed.
class DamagedSnapshotFile : public SnapshotHost {
protected:
   static std::string Bytes(const std::string &path)
   {
      std::string bytes;
      std::string error;
      EXPECT_TRUE(File_Read(path, bytes, error)) << error;
      return bytes;
   }
   void Write(const std::string &path, const std::string &bytes)
   {
      std::string error;
      ASSERT_TRUE(File_Replace(path, bytes, error)) << error;
   }
   // How many of the machine's messages begin with `start` (a refusal's line quotes the text
   // after its own beginning).
   static size_t Logged(cui::VM *vm, const std::string &start)
   {
      size_t count = 0;
      for (const cui::MsgSource::Entry &entry : vm->GetMsgSource()->GetEntries()) {
         count += entry.text.compare(0, start.size(), start) == 0 ? 1 : 0;
      }
      return count;
   }
   // Poll steps for a while, for anything that would come of them to come (host steps are 2 ms).
   static void Settle() { Poll_RunUntil([]() { return false; }, 150); }
};

TEST_F(DamagedSnapshotFile, IsKeptByteForByteSaidOnceAndEveryChangeIsRefused)
{
   int n = 0;
   for (const Damage &damage : ThreeDamagedFiles()) {
      SCOPED_TRACE(damage.what);
      std::string cfg = WriteVmx("desk" + std::to_string(++n) + ".vmx", kMachine);
      std::string path = cuisim::SimSnapshotFile::PathOf(cfg);
      Write(path, damage.bytes);
      cui::VM *vm = Open(cfg);
      ASSERT_NE(nullptr, vm);
      cui::SnapshotTree *tree = vm->GetSnapshotTree();
      ASSERT_NE(nullptr, tree);

      // The model knows why there is no list: the file, the reason and what happens now.
      const std::string said = tree->GetFileError();
      EXPECT_NE(std::string::npos, said.find(path)) << said;
      EXPECT_NE(std::string::npos, said.find(damage.reason)) << said;
      EXPECT_NE(std::string::npos, said.find("mended or removed")) << said;
      EXPECT_EQ(said, vm->GetSnapshotFileError());
      EXPECT_EQ(said, run_->raw->Read(vm->GetVmPath() + "vmx/chkptState/fileError"));
      EXPECT_EQ(0u, tree->GetCount());
      EXPECT_EQ("", vm->GetCurrentSnapshotName());

      // Every change is refused with that text, before and by the host.
      Outcome begin = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->BeginTake(a, d); });
      EXPECT_FALSE(begin.done);
      EXPECT_EQ(said, begin.error);
      Outcome take = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->Take("New", "", a, d); });
      EXPECT_FALSE(take.done);
      EXPECT_EQ(said, take.error);
      const std::vector<std::pair<std::string, std::vector<std::pair<std::string, std::string>>>> commands = {
         {"createSnapshot", {}},
         {"revertToSnapshot", {{"uid", "5"}}},
         {"removeSnapshot", {{"uids", "5"}}},
         {"renameSnapshot", {{"uid", "5"}, {"name", "Renamed"}}},
      };
      for (const auto &command : commands) {
         std::string error;
         EXPECT_EQ("error", SendCommand(Queue(vm), command.first, command.second, &error)) << command.first;
         EXPECT_EQ(said, error) << command.first;
      }
      Settle();
      EXPECT_EQ(damage.bytes, Bytes(path));
      EXPECT_EQ(1u, Logged(vm, said)) << "once for the one reading";
      EXPECT_FALSE(File_Exists(path + ".tmp"));

      // Closed and opened again: still kept, said once more for the new reading.
      NewRun();
      EXPECT_EQ(damage.bytes, Bytes(path));
      vm = Open(cfg);
      ASSERT_NE(nullptr, vm);
      Settle();
      EXPECT_EQ(1u, Logged(vm, said));
      EXPECT_EQ(said, vm->GetSnapshotFileError());
      NewRun();
      EXPECT_EQ(damage.bytes, Bytes(path));
   }
}

TEST_F(DamagedSnapshotFile, ARefreshReadsItAgainMendedRemovedOrStillDamaged)
{
   const std::string good = FiveSnapshots();
   std::string cfg = WriteVmx("desk.vmx", kMachine);
   std::string path = cuisim::SimSnapshotFile::PathOf(cfg);
   const std::string damaged = good.substr(0, good.size() / 2);
   Write(path, damaged);
   cui::VM *vm = Open(cfg);
   ASSERT_NE(nullptr, vm);
   cui::SnapshotTree *tree = vm->GetSnapshotTree();
   const std::string said = vm->GetSnapshotFileError();
   ASSERT_FALSE(said.empty());

   // Still damaged: the refresh fails with the same text, which the log gets a second time.
   Outcome still = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->RefreshSnapshotState(a, d); });
   EXPECT_FALSE(still.done);
   EXPECT_EQ(said, still.error);
   EXPECT_EQ(said, vm->GetSnapshotFileError());
   Settle();
   EXPECT_EQ(2u, Logged(vm, said));
   EXPECT_EQ(damaged, Bytes(path));

   // Mended: the five come back and a take goes on from the last UID.
   Write(path, good);
   Outcome mended = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->RefreshSnapshotState(a, d); });
   EXPECT_TRUE(mended.done) << mended.error;
   EXPECT_EQ("", vm->GetSnapshotFileError());
   EXPECT_EQ("", tree->GetFileError());
   EXPECT_EQ("", run_->raw->Read(vm->GetVmPath() + "vmx/chkptState/fileError"));
   EXPECT_EQ(5u, tree->GetCount());
   EXPECT_EQ("Step 5", vm->GetCurrentSnapshotName());
   Outcome take = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->Take("Step 6", "", a, d); });
   ASSERT_TRUE(take.done) << take.error;
   ASSERT_NE(nullptr, tree->GetCurrent());
   EXPECT_EQ(6, tree->GetCurrent()->GetUID());
   EXPECT_EQ(6u, tree->GetCount());

   // Damaged again by another program: the next change finds it so and writes nothing.
   Write(path, damaged);
   Outcome over = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->Take("Step 7", "", a, d); });
   EXPECT_FALSE(over.done);
   EXPECT_NE(std::string::npos, over.error.find(path)) << over.error;
   EXPECT_EQ(damaged, Bytes(path));
   EXPECT_FALSE(vm->GetSnapshotFileError().empty());
   EXPECT_EQ(0u, tree->GetCount());

   // Removed: an empty list, takes allowed again, UIDs from 1.
   ASSERT_TRUE(File_Delete(path));
   Outcome removed = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->RefreshSnapshotState(a, d); });
   EXPECT_TRUE(removed.done) << removed.error;
   EXPECT_EQ("", vm->GetSnapshotFileError());
   EXPECT_EQ(0u, tree->GetCount());
   Outcome fresh = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { tree->Take("First again", "", a, d); });
   ASSERT_TRUE(fresh.done) << fresh.error;
   EXPECT_EQ(1, tree->GetCurrent()->GetUID());
}

TEST_F(DamagedSnapshotFile, AFolderInItsPlaceAndAValueOverItsLimitAreNamedAsSuch)
{
   std::string cfg = WriteVmx("desk.vmx", kMachine);
   std::string path = cuisim::SimSnapshotFile::PathOf(cfg);
   ASSERT_TRUE(File_MakeFolders(path));
   cui::VM *vm = Open(cfg);
   ASSERT_NE(nullptr, vm);
   EXPECT_NE(std::string::npos, vm->GetSnapshotFileError().find("it is a folder")) << vm->GetSnapshotFileError();
   std::string error;
   EXPECT_EQ("error", SendCommand(Queue(vm), "createSnapshot", {}, &error));
   EXPECT_TRUE(File_IsFolder(path));
   ASSERT_TRUE(File_RemoveFolder(path));

   // A value longer than the parser takes: its line is named.
   std::string tooLong = "snapshot.lastUID = \"1\"\nsnapshot1.displayName = \"" +
                         std::string(KeyValueFile::kMaxValue + 1, 'x') + "\"\n";
   Write(path, tooLong);
   Outcome refreshed = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->RefreshSnapshotState(a, d); });
   EXPECT_FALSE(refreshed.done);
   EXPECT_NE(std::string::npos, vm->GetSnapshotFileError().find("line 2: value too long")) << vm->GetSnapshotFileError();
   EXPECT_EQ("error", SendCommand(Queue(vm), "createSnapshot", {}, &error));
   EXPECT_EQ(tooLong, Bytes(path));
}

TEST_F(DamagedSnapshotFile, ADamagedStateFileIsKeptAndNotReplacedByPowerChanges)
{
   std::string cfg = WriteVmx("desk.vmx", kMachine);
   std::string state = cuisim::SimMachine::StateFilePath(cfg);
   const std::string damaged = "state = \"suspen";
   Write(state, damaged);
   cui::VM *vm = Open(cfg);
   ASSERT_NE(nullptr, vm);
   EXPECT_EQ(cui::VM::POWERED_OFF, vm->GetPowerState());
   Settle();
   EXPECT_EQ(1u, Logged(vm, "The saved power state of \"Desk\" could not be read from \"" + state +
                               "\" (line 1: missing closing quote)"));

   for (cui::VM::PowerState power : {cui::VM::POWERED_ON, cui::VM::POWERED_OFF}) {
      Outcome changed =
         Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->SetPowerState(power, cui::VM::POWEROP_HARD, a, d); });
      EXPECT_TRUE(changed.done) << changed.error;
      EXPECT_EQ(damaged, Bytes(state)) << "neither written over nor deleted";
   }
   // Removed by the user: the next power change is saved again.
   ASSERT_TRUE(File_Delete(state));
   Outcome on =
      Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm->SetPowerState(cui::VM::POWERED_ON, cui::VM::POWEROP_HARD, a, d); });
   EXPECT_TRUE(on.done) << on.error;
   EXPECT_EQ("poweredOn", Value(ReadEntries(state), "state"));
}

}  // namespace

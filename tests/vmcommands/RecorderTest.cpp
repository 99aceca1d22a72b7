// The session recorder of a machine through the model library and the simulated host: a
// recording made of a running machine is a marked snapshot; playing it lasts until Stop or Go Live.
#include "MachineTestSupport.h"

#include "cui/SessionRecordMgr.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "tremsim/SimSnapshots.h"

namespace {

class Recorder : public MachineTest {
protected:
   void SetUp() override
   {
      MachineTest::SetUp();
      vm_ = Open(WriteVmx("rec.vmx", {{"configVersion", "8"}, {"displayName", "Rec"}, {"guestOS", "winxp"}}));
      ASSERT_NE(nullptr, vm_);
      recorder_ = vm_->GetSessionRecordMgr();
      ASSERT_NE(nullptr, recorder_);
      recorder_->stateChanged.connect([this]() { ++changes_; });
   }
   Outcome Wait(const std::function<void(cui::AbortSlot, cui::DoneSlot)> &start)
   {
      Outcome outcome;
      start(outcome.Abort(), outcome.Done());
      EXPECT_FALSE(outcome.finished) << "answered inside the call";
      EXPECT_TRUE(Until([&]() { return outcome.finished; }));
      return outcome;
   }
   void Power(cui::VM::PowerState state)
   {
      Outcome power =
         Wait([&](cui::AbortSlot a, cui::DoneSlot d) { vm_->SetPowerState(state, cui::VM::POWEROP_HARD, a, d); });
      EXPECT_TRUE(power.done) << power.error;
   }

   cui::VM *vm_ = nullptr;
   cui::SessionRecordMgr *recorder_ = nullptr;
   int changes_ = 0;
};

TEST_F(Recorder, ARecordingOfARunningMachineIsAMarkedSnapshotThatPlaysUntilGoLive)
{
   EXPECT_EQ(cui::SessionRecordMgr::STATE_LIVE, recorder_->GetState());
   EXPECT_FALSE(recorder_->GetEnabled());
   EXPECT_FALSE(recorder_->GetCanRecord()) << "powered off";
   Outcome refused = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { recorder_->Record("", "", a, d); });
   EXPECT_NE(std::string::npos, refused.error.find("cannot record")) << refused.error;

   Power(cui::VM::POWERED_ON);
   ASSERT_TRUE(recorder_->GetCanRecord());
   EXPECT_FALSE(recorder_->GetCanPlay()) << "nothing recorded yet";
   Outcome record;
   recorder_->Record("", "First steps", record.Abort(), record.Done());
   EXPECT_EQ(cui::SessionRecordMgr::STATE_RECORDING, recorder_->GetState()) << "the record button is pushed at once";
   EXPECT_FALSE(recorder_->GetCanStop()) << "not before the host has answered";
   ASSERT_TRUE(Until([&]() { return record.finished; }));
   ASSERT_TRUE(record.done) << record.error;
   EXPECT_EQ(cui::SessionRecordMgr::STATE_RECORDING, recorder_->GetState());
   EXPECT_TRUE(recorder_->GetCanStop());
   EXPECT_FALSE(recorder_->GetCanGoLive());
   EXPECT_FALSE(recorder_->GetCanRecord());
   ASSERT_EQ(1u, recorder_->GetRecordings().size());
   cui::Recording *recording = recorder_->GetRecordings().back();
   EXPECT_EQ("Recording 1", recording->GetSnapshot()->GetDisplayName()) << "an empty name takes a generated one";
   EXPECT_EQ(recording->GetUID(), recorder_->GetCurrentUID());
   cuisim::SimSnapshotFile file;
   std::string error;
   ASSERT_TRUE(file.Load(cuisim::SimSnapshotFile::PathOf(vm_->GetFilename()), error)) << error;
   EXPECT_TRUE(file.snapshots[recording->GetUID()].recording) << "the snapshot file marks it";
   EXPECT_EQ("First steps", file.snapshots[recording->GetUID()].description);

   Outcome stop = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { recorder_->Stop(a, d); });
   EXPECT_TRUE(stop.done) << stop.error;
   EXPECT_EQ(cui::SessionRecordMgr::STATE_LIVE, recorder_->GetState());
   EXPECT_TRUE(recorder_->GetCanPlay());

   const int uid = recording->GetUID();
   int before = changes_;
   Outcome play = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { recorder_->Play(recording, true, a, d); });
   EXPECT_TRUE(play.done) << play.error;
   EXPECT_GT(changes_, before);
   EXPECT_EQ(cui::SessionRecordMgr::STATE_PLAYING, recorder_->GetState()) << "playing lasts after the start";
   EXPECT_EQ(uid, vm_->GetSnapshotTree()->GetCurrent()->GetUID());
   EXPECT_EQ(recording, recorder_->GetRecordingWithUID(uid)) << "the revert's rebuild keeps the recording";
   EXPECT_EQ(cui::VM::POWERED_ON, vm_->GetPowerState());
   EXPECT_TRUE(recorder_->GetCanStop());
   EXPECT_TRUE(recorder_->GetCanGoLive());
   EXPECT_FALSE(recorder_->GetCanPlay());
   EXPECT_FALSE(recorder_->GetCanRecord());

   Outcome live = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { recorder_->GoLive(a, d); });
   EXPECT_TRUE(live.done) << live.error;
   EXPECT_EQ(cui::SessionRecordMgr::STATE_LIVE, recorder_->GetState());
   Outcome again = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { recorder_->GoLive(a, d); });
   EXPECT_FALSE(again.done) << "nothing plays";

   // Played again through the same pointer; a pointer that is not one of its recordings is
   // refused without being read through.
   Outcome replay = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { recorder_->Play(recording, false, a, d); });
   EXPECT_TRUE(replay.done) << replay.error;
   Outcome done = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { recorder_->GoLive(a, d); });
   EXPECT_TRUE(done.done) << done.error;
   alignas(cui::Recording) unsigned char foreign[sizeof(void *) * 4] = {0xEE, 0xFE, 0xEE, 0xFE};
   Outcome stale = Wait([&](cui::AbortSlot a, cui::DoneSlot d) {
      recorder_->Play(reinterpret_cast<cui::Recording *>(foreign), true, a, d);
   });
   EXPECT_FALSE(stale.done);
   EXPECT_NE(std::string::npos, stale.error.find("no longer there")) << stale.error;
}

TEST_F(Recorder, ANewBootEndsARecordingAndTheHostRefusesWhatTheStateDoesNotAllow)
{
   Power(cui::VM::POWERED_ON);
   Outcome record = Wait([&](cui::AbortSlot a, cui::DoneSlot d) { recorder_->Record("Named", "", a, d); });
   ASSERT_TRUE(record.done) << record.error;
   std::string queue = vm_->GetVmPath() + "cmd/##";
   std::string errMsg;
   EXPECT_EQ("error", SendCommand(queue, "startRecording", {}, &errMsg)) << "recording already";
   EXPECT_EQ("error", SendCommand(queue, "endReplay", {}, &errMsg)) << "nothing plays";
   EXPECT_EQ("error", SendCommand(queue, "startReplay", {{"uid", "99"}}, &errMsg));

   Power(cui::VM::POWERED_OFF);
   EXPECT_EQ(cui::SessionRecordMgr::STATE_LIVE, recorder_->GetState());
   Power(cui::VM::POWERED_ON);
   EXPECT_EQ(cui::SessionRecordMgr::STATE_LIVE, recorder_->GetState()) << "the recording belonged to the last boot";
   EXPECT_EQ("error", SendCommand(queue, "stopRecording", {}, &errMsg));
   ASSERT_EQ(1u, recorder_->GetRecordings().size());
   EXPECT_EQ("Named", recorder_->GetRecordings()[0]->GetSnapshot()->GetDisplayName());
}

}  // namespace

#include "cui/SessionRecordMgr.h"

#include <algorithm>
#include <set>

#include "ModelCmd.h"
#include "cui/LocalizedString.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace cui {

SessionRecordMgr::SessionRecordMgr(VM &vm, SnapshotTree &tree) : vm_(vm), tree_(tree)
{
   Rebuild();
   treeChanged_ = tree_.changed.connect(sigc::mem_fun(*this, &SessionRecordMgr::Rebuild));
   vmChanged_ = vm_.changed.connect(sigc::mem_fun(*this, &SessionRecordMgr::OnVMChanged));
}

SessionRecordMgr::~SessionRecordMgr()
{
   treeChanged_.disconnect();
   vmChanged_.disconnect();
}

void SessionRecordMgr::Rebuild()
{
   // A recording that is still there keeps its object, so a pointer to it stays good.
   std::vector<std::unique_ptr<Recording>> kept;
   for (Snapshot *snapshot : tree_) {
      if (!snapshot->HasRecordings()) {
         continue;
      }
      auto same = std::find_if(recordings_.begin(), recordings_.end(), [snapshot](const auto &recording) {
         return recording && recording->GetUID() == snapshot->GetUID();
      });
      if (same != recordings_.end()) {
         (*same)->snapshot_ = snapshot;
         kept.push_back(std::move(*same));
      } else {
         kept.emplace_back(new Recording(snapshot->GetUID(), snapshot));
      }
   }
   recordings_.swap(kept);
   stateChanged.emit();
}

void SessionRecordMgr::OnVMChanged()
{
   std::string signature = std::to_string(GetState()) + "/" + std::to_string(GetCurrentUID()) + "/" +
                           std::to_string(GetCanRecord()) + std::to_string(GetCanPlay());
   if (signature != signature_) {
      signature_ = signature;
      stateChanged.emit();
   }
}

int SessionRecordMgr::HostState() const
{
   const std::string exec = vm_.vmPath_ + "vmx/execState/";
   if (vm_.GetPowerState() != VM::POWERED_ON ||
       vm_.ctx_.Get(exec + "replay/poweredOnAt") != vm_.ctx_.Get(exec + "poweredOnAt")) {
      return STATE_LIVE;
   }
   std::string state = vm_.ctx_.Get(exec + "replay/state");
   return state == "recording" ? STATE_RECORDING : state == "playing" ? STATE_PLAYING : STATE_LIVE;
}

int SessionRecordMgr::GetState() const
{
   if (!vm_.IsRegistered()) {
      return STATE_UNAVAILABLE;
   }
   return requested_.empty() ? HostState() : expected_;
}

bool SessionRecordMgr::GetEnabled() const
{
   return vm_.ctx_.GetBool(vm_.vmPath_ + "vmx/cfgState/val/replay/enabled", false);
}

int SessionRecordMgr::GetCurrentUID() const
{
   return GetState() == STATE_LIVE || GetState() == STATE_UNAVAILABLE
             ? 0
             : static_cast<int>(vm_.ctx_.GetInt(vm_.vmPath_ + "vmx/execState/replay/uid", 0));
}

bool SessionRecordMgr::GetCanRecord() const
{
   return requested_.empty() && GetState() == STATE_LIVE && vm_.GetPowerState() == VM::POWERED_ON &&
          !vm_.GetBusy(VM::BUSY_ANY);
}

bool SessionRecordMgr::GetCanPlay() const
{
   return requested_.empty() && GetState() == STATE_LIVE && !recordings_.empty() &&
          tree_.IsCmdEnabled(SnapshotTree::CMD_GOTO);
}

bool SessionRecordMgr::GetCanStop() const
{
   return requested_.empty() && (GetState() == STATE_RECORDING || GetState() == STATE_PLAYING);
}

bool SessionRecordMgr::GetCanGoLive() const
{
   return requested_.empty() && GetState() == STATE_PLAYING;
}

std::vector<Recording *> SessionRecordMgr::GetRecordings() const
{
   std::vector<Recording *> all;
   for (const auto &recording : recordings_) {
      all.push_back(recording.get());
   }
   return all;
}

Recording *SessionRecordMgr::GetRecordingWithUID(int uid) const
{
   for (const auto &recording : recordings_) {
      if (recording->GetUID() == uid) {
         return recording.get();
      }
   }
   return nullptr;
}

std::string SessionRecordMgr::GenerateName() const
{
   std::set<std::string> names;
   for (Snapshot *snapshot : tree_) {
      names.insert(snapshot->GetDisplayName());
   }
   for (size_t n = recordings_.size() + 1;; ++n) {
      std::string name = Format("@&!*@*@(msg.recording.defaultName)Recording %u", static_cast<unsigned>(n));
      if (!names.count(name)) {
         return name;
      }
   }
}

bool SessionRecordMgr::Refuse(const AbortSlot &abort, bool refused, const char *literal) const
{
   if (!refused) {
      return false;
   }
   AbortSlot slot = abort;
   Error error(Format(literal, vm_.GetName().c_str()));
   Poll_Post([slot, error]() { CallSlot(slot, false, error); });
   return true;
}

void SessionRecordMgr::Record(const std::string &name, const std::string &description, const AbortSlot &abort,
                              const DoneSlot &done)
{
   if (Refuse(abort, vm_.GetPowerState() != VM::POWERED_ON,
              "@&!*@*@(msg.recording.notOn)The virtual machine \"%s\" cannot record while it is not powered on.") ||
       Refuse(abort, !GetCanRecord(),
              "@&!*@*@(msg.recording.busy)The virtual machine \"%s\" cannot record now: it is busy, recording or "
              "playing.")) {
      return;
   }
   Send("startRecording", STATE_RECORDING,
        {{"name", name.empty() ? GenerateName() : name}, {"description", description}}, abort, done);
}

void SessionRecordMgr::Play(Recording *recording, bool updateMRU, const AbortSlot &abort, const DoneSlot &done)
{
   // A recording held past a rebuild is gone: compare addresses before reading through it.
   bool held = std::any_of(recordings_.begin(), recordings_.end(),
                           [recording](const std::unique_ptr<Recording> &own) { return own.get() == recording; });
   if (Refuse(abort, !held,
              "@&!*@*@(msg.recording.notFound)The recording of \"%s\" is no longer there.") ||
       Refuse(abort, !GetCanPlay(),
              "@&!*@*@(msg.recording.cannotPlay)The virtual machine \"%s\" cannot play a recording now.")) {
      return;
   }
   Send("startReplay", STATE_PLAYING,
        {{"uid", std::to_string(recording->GetUID())}, {"updateMRU", updateMRU ? "1" : "0"}}, abort, done);
}

void SessionRecordMgr::Stop(const AbortSlot &abort, const DoneSlot &done)
{
   if (Refuse(abort, !GetCanStop(), "@&!*@*@(msg.recording.nothing)\"%s\" is neither recording nor playing.")) {
      return;
   }
   Send(GetState() == STATE_RECORDING ? "stopRecording" : "endReplay", STATE_LIVE, {}, abort, done);
}

void SessionRecordMgr::GoLive(const AbortSlot &abort, const DoneSlot &done)
{
   if (Refuse(abort, !GetCanGoLive(), "@&!*@*@(msg.recording.notPlaying)\"%s\" is not playing a recording.")) {
      return;
   }
   Send("endReplay", STATE_LIVE, {}, abort, done);
}

void SessionRecordMgr::Send(const std::string &op, int expected,
                            const std::vector<std::pair<std::string, std::string>> &inputs, const AbortSlot &abort,
                            const DoneSlot &done)
{
   try {
      // Bound to this object, so an answer after it has gone is dropped.
      cuiutil::ModelCmd::Send(vm_.ctx_, vm_.vmPath_ + "cmd/##/", op, inputs, {},
                              sigc::bind(sigc::mem_fun(*this, &SessionRecordMgr::OnAnswer), op, abort, done));
   } catch (const Error &e) {
      AbortSlot slot = abort;
      Error error = e;
      Poll_Post([slot, error]() { CallSlot(slot, false, error); });
      return;
   }
   requested_ = op;
   expected_ = expected;
   OnVMChanged();
}

void SessionRecordMgr::OnAnswer(std::string error, std::map<std::string, std::string>, std::string op, AbortSlot abort,
                                DoneSlot done)
{
   requested_.clear();
   OnVMChanged();
   if (!error.empty()) {
      Log("SessionRecordMgr %s: %s failed: %s\n", vm_.GetVmPath().c_str(), op.c_str(), error.c_str());
      CallSlot(abort, false, Error(error));
   } else {
      CallSlot(done);
   }
}

}  // namespace cui

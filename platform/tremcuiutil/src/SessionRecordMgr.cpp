#include "cui/SessionRecordMgr.h"

#include <set>

#include "cui/LocalizedString.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "tremorybase/Poll.h"

namespace cui {

SessionRecordMgr::SessionRecordMgr(VM &vm, SnapshotTree &tree) : vm_(vm), tree_(tree)
{
   Rebuild();
   treeChanged_ = tree_.changed.connect(sigc::mem_fun(*this, &SessionRecordMgr::Rebuild));
}

SessionRecordMgr::~SessionRecordMgr()
{
   treeChanged_.disconnect();
}

void SessionRecordMgr::Rebuild()
{
   recordings_.clear();
   for (Snapshot *snapshot : tree_) {
      if (snapshot->HasRecordings()) {
         recordings_.emplace_back(new Recording(snapshot->GetUID(), snapshot));
      }
   }
}

int SessionRecordMgr::GetState() const
{
   if (!vm_.IsRegistered()) {
      return STATE_UNAVAILABLE;
   }
   return playing_ ? STATE_PLAYING : STATE_LIVE;
}

bool SessionRecordMgr::GetCanRecord() const
{
   // The host records no sessions.
   return false;
}

bool SessionRecordMgr::GetCanPlay() const
{
   return GetState() == STATE_LIVE && !recordings_.empty() && tree_.IsCmdEnabled(SnapshotTree::CMD_GOTO);
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

void SessionRecordMgr::Record(const std::string &, const std::string &, const AbortSlot &abort, const DoneSlot &)
{
   AbortSlot slot = abort;
   Error error(Format("@&!*@*@(msg.recording.unsupported)The host of \"%s\" cannot record sessions.",
                      vm_.GetName().c_str()));
   Poll_Post([slot, error]() { CallSlot(slot, false, error); });
}

void SessionRecordMgr::Play(Recording *recording, bool updateMRU, const AbortSlot &abort, const DoneSlot &done)
{
   const char *refusal = nullptr;
   if (!recording || GetRecordingWithUID(recording->GetUID()) != recording) {
      refusal = "@&!*@*@(msg.recording.notFound)The recording is no longer there.";
   } else if (playing_) {
      refusal = "@&!*@*@(msg.recording.busy)A recording is already playing.";
   }
   if (refusal) {
      AbortSlot slot = abort;
      Error error(GetLocalString(refusal));
      Poll_Post([slot, error]() { CallSlot(slot, false, error); });
      return;
   }
   playing_ = true;
   stateChanged.emit();
   // Bound to this object, so an answer after it has gone is dropped.
   tree_.Restore(recording->GetUID(), false, updateMRU,
                 sigc::bind(sigc::mem_fun(*this, &SessionRecordMgr::OnPlayAborted), abort),
                 sigc::bind(sigc::mem_fun(*this, &SessionRecordMgr::OnPlayDone), done));
}

void SessionRecordMgr::OnPlayAborted(bool cancelled, Error error, AbortSlot abort)
{
   playing_ = false;
   stateChanged.emit();
   CallSlot(abort, cancelled, error);
}

void SessionRecordMgr::OnPlayDone(DoneSlot done)
{
   playing_ = false;
   stateChanged.emit();
   CallSlot(done);
}

}  // namespace cui

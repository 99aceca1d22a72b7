// A machine's session recordings: a recording starts at a snapshot (cui::Snapshot::HasRecordings)
// and plays back from it. The simulated host records no sessions, so Record is refused with a
// text that says so and the recordings are those the snapshot file marks; playing one goes to its
// snapshot through the machine's snapshot tree.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Error.h"

namespace cui {

class Snapshot;
class SnapshotTree;
class VM;

// One recording: the snapshot it starts at, under that snapshot's UID.
class Recording {
public:
   int GetUID() const { return uid_; }
   Snapshot *GetSnapshot() const { return snapshot_; }

private:
   friend class SessionRecordMgr;
   Recording(int uid, Snapshot *snapshot) : uid_(uid), snapshot_(snapshot) {}
   int uid_;
   Snapshot *snapshot_;
};

class SessionRecordMgr : public sigc::trackable {
public:
   // What GetState reports.
   enum State { STATE_UNAVAILABLE = 0, STATE_LIVE = 1, STATE_RECORDING = 2, STATE_PLAYING = 3 };

   SessionRecordMgr(VM &vm, SnapshotTree &tree);
   ~SessionRecordMgr();

   int GetState() const;
   bool GetCanRecord() const;
   bool GetCanPlay() const;
   bool GetCanStop() const { return GetState() == STATE_RECORDING || GetState() == STATE_PLAYING; }
   bool GetCanGoLive() const { return GetState() == STATE_PLAYING; }

   // Oldest first; rebuilt when the snapshot tree changes (pointers last until then).
   std::vector<Recording *> GetRecordings() const;
   Recording *GetRecordingWithUID(int uid) const;
   // "Recording N" with the first N from the count up that no snapshot is named.
   std::string GenerateName() const;

   // Records a session from now on. Refused (abort) where the host cannot record.
   void Record(const std::string &name, const std::string &description, const AbortSlot &abort, const DoneSlot &done);
   // Plays `recording` back: the machine goes to the recording's snapshot (and, with
   // `updateMRU`, that snapshot becomes the most recently used); `done` when it is there.
   void Play(Recording *recording, bool updateMRU, const AbortSlot &abort, const DoneSlot &done);

   sigc::signal<void> stateChanged;

   SessionRecordMgr(const SessionRecordMgr &) = delete;
   SessionRecordMgr &operator=(const SessionRecordMgr &) = delete;

private:
   void Rebuild();
   void OnPlayAborted(bool cancelled, Error error, AbortSlot abort);
   void OnPlayDone(DoneSlot done);

   VM &vm_;
   SnapshotTree &tree_;
   std::vector<std::unique_ptr<Recording>> recordings_;
   bool playing_ = false;
   sigc::connection treeChanged_;
};

}  // namespace cui

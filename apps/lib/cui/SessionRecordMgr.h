// A machine's session recorder. Recording a running machine takes a snapshot that the snapshot
// file marks as a recording (cui::Snapshot::HasRecordings) and records from there until Stop;
// playing a recording takes the machine back to its snapshot and replays the session on the
// console until Stop or Go Live hands the machine back to the user. The host keeps the state
// under the machine's "vmx/execState/replay/": "state" ("live", "recording", "playing"), "uid"
// (the recording) and "poweredOnAt" (the boot it belongs to: a later boot is live again).
// Operations are commands on the machine's "cmd/##/" ("startRecording", "stopRecording",
// "startReplay", "endReplay") and follow the slot conventions of cui/Error.h.
#pragma once

#include <map>
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

   // The host's state; an operation asked and not yet answered counts as done already.
   int GetState() const;
   // The machine's configuration turns recording on ("replay.enabled"): the user names each
   // recording; without it a recording takes a generated name.
   bool GetEnabled() const;
   bool GetCanRecord() const;
   bool GetCanPlay() const;
   bool GetCanStop() const;
   bool GetCanGoLive() const;
   // The recording being made or played; 0 when none.
   int GetCurrentUID() const;

   // Oldest first, following the snapshot tree; a pointer lasts as long as its recording.
   std::vector<Recording *> GetRecordings() const;
   Recording *GetRecordingWithUID(int uid) const;
   // "Recording N" with the first N from the count up that no snapshot is named.
   std::string GenerateName() const;

   // Records the running machine from now on; an empty name takes GenerateName's.
   void Record(const std::string &name, const std::string &description, const AbortSlot &abort, const DoneSlot &done);
   // Plays `recording` back: the machine goes to the recording's snapshot (with `updateMRU`
   // that snapshot becomes the most recently used) and replays until Stop or GoLive.
   void Play(Recording *recording, bool updateMRU, const AbortSlot &abort, const DoneSlot &done);
   // Ends the recording or the playback under way.
   void Stop(const AbortSlot &abort, const DoneSlot &done);
   // Ends the playback and gives the machine back to the user where the playback left it.
   void GoLive(const AbortSlot &abort, const DoneSlot &done);

   // The state, the recordings or what can be done changed.
   sigc::signal<void> stateChanged;

   SessionRecordMgr(const SessionRecordMgr &) = delete;
   SessionRecordMgr &operator=(const SessionRecordMgr &) = delete;

private:
   void Rebuild();
   void OnVMChanged();
   int HostState() const;
   bool Refuse(const AbortSlot &abort, bool refused, const char *literal) const;
   void Send(const std::string &op, int expected, const std::vector<std::pair<std::string, std::string>> &inputs,
             const AbortSlot &abort, const DoneSlot &done);
   void OnAnswer(std::string error, std::map<std::string, std::string> outputs, std::string op, AbortSlot abort,
                 DoneSlot done);

   VM &vm_;
   SnapshotTree &tree_;
   std::vector<std::unique_ptr<Recording>> recordings_;
   std::string requested_;      // the operation asked and not yet answered
   int expected_ = STATE_LIVE;  // the state it leads to
   std::string signature_;      // what the state read last was, to tell a change
   sigc::connection treeChanged_;
   sigc::connection vmChanged_;
};

}  // namespace cui

// The simulated host's snapshots of one machine. They are kept in the snapshot file beside the
// configuration ("<name>.snapshot"), one key = "value" line each:
//   snapshot.lastUID = "3"          the last UID given (UIDs are never given twice)
//   snapshot.current = "2"          the snapshot the current state descends from (0: none)
//   snapshot.mru = "2 3 1"          recently used snapshots, newest first
//   snapshot2.parent = "1"          and .displayName, .description, .createTime, .powerState
//                                   (cui::Snapshot::PowerState), .screenshot (a file in the
//                                   machine's folder), .clones, .recording
// A file with only "displayName" (the older form) holds one snapshot, the current one. The file
// is written to a temporary name and renamed over the old one, so a crash leaves either the old
// or the new list, never half of one; a temporary file left behind is never read.
//
// A file that cannot be read (a syntax error, a folder, an unreadable disk) is kept exactly as it
// is: the list is shown empty, "vmx/chkptState/fileError" holds the host's text naming the file
// and the reason, the machine's message log gets that text once per reading, and every operation
// that would write the file is refused with it until a "refreshSnapshots" finds the file mended
// or removed.
//
// Machine operations on "/vm/#…/cmd/##/", carried out over a few poll steps like the power
// operations ("vmx/chkptState/pending" names the one under way) and answered when they end:
//   "createSnapshot"    in/name, in/description (both optional)              -> out/uid
//   "revertToSnapshot"  in/uid (default: the current snapshot), in/stayPoweredOff, in/updateMRU
//   "removeSnapshot"    in/uids (default: the current snapshot), in/children, in/deleteFiles
//   "renameSnapshot"    in/uid, in/name, in/description (answered at once)
//   "refreshSnapshots"  reads the snapshot file again (answered at once)
// Without inputs they are the single-snapshot form's commands. A machine whose configuration says
// "snapshot.multiple" FALSE keeps one snapshot: a take replaces it. One operation at a time: a
// snapshot or power operation under way refuses the next; so do a revert or remove with nothing
// to act on and an unknown UID.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cui/VmdbCtx.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Poll.h"
#include "tremsim/SimCmdOwner.h"

namespace cuisim {

class SimMachine;
class SimMachines;
class SimVmxConfig;

struct SimSnapshot {
   int uid = 0;
   int parent = 0;
   std::string displayName;
   std::string description;
   long long createTime = 0;
   int powerState = 1;
   std::string screenshot;   // file name in the machine's folder; empty when none
   int clones = 0;
   bool recording = false;
};

// Reads a file the host keeps beside a configuration: true with its entries, or with none when
// it is not there; false when it cannot be read, with the reason in words and without the path
// ("line 23: missing closing quote", "it is a folder").
bool ReadKeptFile(const std::string &path, std::vector<KeyValueEntry> &entries, std::string &problem);

// The contents of a snapshot file.
struct SimSnapshotFile {
   int lastUid = 0;
   int current = 0;
   std::vector<int> mru;
   std::map<int, SimSnapshot> snapshots;   // by UID

   static std::string PathOf(const std::string &cfgPath);
   // A missing file is an empty list (true); a damaged one is false with the reason, which does
   // not repeat the path ("line 23: missing closing quote").
   bool Load(const std::string &path, std::string &error);
   bool Save(const std::string &path, std::string &error) const;
   // Writes "val/" under `chkptPath` ("/vm/#0001/vmx/chkptState/") to match this list: each
   // snapshot in "item/#<UID in hex>/", the configuration's "snapshot.multiple" and
   // "snapshot.maxMRU", and each screenshot by its full path in the folder of `config`. Only
   // what differs changes; elements of snapshots no longer listed go. "generation" changes at
   // every mirror: a reader that has read this generation need not read the list again.
   void MirrorTo(vmdb::Ctx &ctx, const std::string &chkptPath, const SimVmxConfig &config) const;
};

class SimSnapshots {
public:
   typedef std::function<void(const std::string & /*error*/)> DoneFn;

   // Reads the machine's snapshot file (a damaged one is kept and marked unreadable).
   explicit SimSnapshots(SimMachine &machine);
   // An operation under way is finished into the file (the database is left alone).
   ~SimSnapshots();

   const SimSnapshotFile &GetFile() const { return file_; }
   const std::string &GetPending() const { return pending_; }
   bool IsBusy() const { return !pending_.empty(); }
   // The host's text about the snapshot file that could not be read; empty when it was read.
   std::string GetUnreadableText() const;

   // Each returns an error text (and never calls `done`) when it cannot start; `done` runs from
   // a later poll step with the outcome. `uid` 0 and empty `uids` mean the current snapshot.
   std::string StartTake(const std::string &name, const std::string &description, std::function<void(int)> taken,
                         DoneFn done);
   std::string StartRevert(int uid, bool stayPoweredOff, bool updateMRU, DoneFn done);
   std::string StartRemove(std::vector<int> uids, bool withChildren, bool deleteFiles, DoneFn done);
   std::string Rename(int uid, const std::string &name, const std::string &description);
   // Marks snapshot `uid` as the start of a session recording (SimRecorder.cpp).
   std::string MarkRecording(int uid);
   // Reads the snapshot file again (another program may have changed or mended it) and mirrors
   // it; an error text when an operation is under way (nothing is read) or the file is damaged.
   std::string Reload();
   // Ends the operation under way now (the machine is closing).
   void FinishNow(bool writeDb);
   // Writes the list, "pending" and "fileError" into the machine's node; the first mirror after
   // a reading that found the file damaged logs it.
   void Mirror();

   // Adds the operations above to the machines' queues.
   static void RegisterOps(SimCmdOwner &vmCmds, SimMachines &machines);

   static const unsigned kTakeSteps = 3;
   static const unsigned kRevertSteps = 3;
   static const unsigned kRemoveSteps = 2;

   SimSnapshots(const SimSnapshots &) = delete;
   SimSnapshots &operator=(const SimSnapshots &) = delete;

private:
   // Reads the file into `file_`; a damaged one leaves the list empty and sets `unreadable_`.
   void ReadFile();
   void MarkUnreadable(const std::string &reason);
   std::string BusyText() const;
   std::string Refusal(bool needsSnapshot) const;
   std::string Start(const std::string &op, unsigned steps, std::function<std::string()> finish, DoneFn done);
   void Step();
   void Finish(bool writeDb);
   // Saves `changed` as the new list; on failure nothing changes and the error is returned.
   std::string Commit(const SimSnapshotFile &changed);
   std::string FinishTake(const std::string &name, const std::string &description);
   std::string FinishRevert(int uid, bool stayPoweredOff, bool updateMRU);
   std::string FinishRemove(const std::vector<int> &uids, bool withChildren, bool deleteFiles);
   std::string Folder() const;
   std::string MachineName() const;

   SimMachine &machine_;
   SimSnapshotFile file_;
   std::string mirroredText_;   // what the last mirror wrote (MirrorText)
   std::string unreadable_;    // why the file could not be read; empty when it was
   bool unreadableLogged_ = false;
   std::string pending_;
   unsigned stepsLeft_ = 0;
   PollTimerId timer_ = 0;
   std::function<std::string()> finish_;
   DoneFn done_;
   bool writeDb_ = true;   // false while finishing for a host that is going away
};

}  // namespace cuisim

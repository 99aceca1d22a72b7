// A machine's snapshots as the model library knows them: a tree that follows the machine's
// "vmx/chkptState/" node, which the host keeps up to date:
//   val/multiple        1 when the machine keeps a tree of snapshots, 0 for the single-snapshot form
//   val/current         UID of the snapshot the current state descends from (0: none)
//   val/maxMRU, val/mru how many recently used snapshots a menu shows; their UIDs, newest first
//   val/item/#…/        one element per snapshot (the current one first): uid, parent, displayName,
//                       description, createTime, powerState, screenshot, clones, recording
//   pending             the snapshot operation the host has under way, empty when none
//   fileError           the host's text when the machine's snapshot file could not be read
//                       (the list is then empty and the host refuses every change), else empty
// Operations are commands on the machine's "cmd/##/" ("createSnapshot", "revertToSnapshot",
// "removeSnapshot", "renameSnapshot") and follow the slot conventions of cui/Error.h: they
// return at once and call the abort or the done slot from a later poll step.
#pragma once

#include <windows.h>

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Error.h"
#include "cui/Snapshot.h"
#include "cui/VmdbCtx.h"

namespace cui {

class VM;

class SnapshotTree : public sigc::trackable {
public:
   static const size_t MAX_DISPLAY_NAME_LENGTH = 80;
   static const size_t MAX_DESCRIPTION_LENGTH = 2000;

   // Command indices of IsCmdEnabled.
   enum Command {
      CMD_TAKE = 0,       // take a snapshot of the current state
      CMD_REVERT = 1,     // go back to the current snapshot
      CMD_GOTO = 2,       // go to a chosen snapshot
      CMD_DELETE = 3,
      CMD_RENAME = 4,
      CMD_CLONE = 5,      // clone from a snapshot
      CMD_SCREENSHOT = 6,
      CMD_MANAGER = 7,    // open the snapshot manager
   };

   // The flat order of the snapshots (depth first, parents before children, older children
   // first); the current state is not part of it.
   typedef std::vector<Snapshot *>::const_iterator FlatIterator;

   // The recently used snapshots' UIDs, newest first.
   class MRUIterator {
   public:
      bool IsValid() const { return uids_ && index_ < uids_->size(); }
      int GetIndex() const { return static_cast<int>(index_); }
      int operator*() const { return (*uids_)[index_]; }
      MRUIterator &operator++()
      {
         ++index_;
         return *this;
      }

   private:
      friend class SnapshotTree;
      explicit MRUIterator(const std::vector<int> *uids) : uids_(uids) {}
      const std::vector<int> *uids_;
      size_t index_ = 0;
   };

   // (UID asked for, the picture owned by the receiver or null when there is none).
   typedef sigc::slot<void, int, HBITMAP> ScreenshotSlot;

   // Follows "<vmPath>vmx/chkptState/" in `ctx` for `vm`.
   SnapshotTree(VM &vm, const vmdb::Ctx &ctx, const std::string &vmPath);
   ~SnapshotTree();

   VM &GetVM() const { return vm_; }
   bool IsMultipleEnabled() const { return multiple_; }
   // The host's text saying which snapshot file could not be read, why, and that nothing is
   // changed until it is mended or removed; empty when the file was read.
   const std::string &GetFileError() const { return fileError_; }
   // Whether the command (Command) can be given now: the machine is open, no snapshot operation
   // is under way and there is something for it to act on.
   bool IsCmdEnabled(int command) const;
   // A snapshot operation has been asked and not answered, or the host has one under way.
   bool IsBusy() const;

   // The current state (UID 0); never null.
   Snapshot *GetYAH() const { return yah_.get(); }
   // The snapshot the current state descends from; null when none.
   Snapshot *GetCurrent() const { return current_; }
   // By UID; 0 gives the current state; null for a UID the tree does not have.
   Snapshot *GetSnapshot(int uid) const;
   size_t GetCount() const { return flat_.size(); }
   // The snapshots taken from no other, oldest first.
   const std::vector<Snapshot *> &GetRoots() const { return roots_; }
   FlatIterator begin() const { return flat_.begin(); }
   FlatIterator end() const { return flat_.end(); }

   int GetMaxMRU() const { return maxMRU_; }
   MRUIterator MRUBegin() const { return MRUIterator(&mru_); }

   // "Snapshot N" with the first N from the count up that no snapshot is named.
   std::string GenerateName() const;

   // Prepares a take: `done` runs (from a poll step) when one may be taken now, `abort` with the
   // reason when not (GetFileError's text when the snapshot file could not be read). The take
   // itself is Take, or CancelTake when the user gives it up.
   void BeginTake(const AbortSlot &abort, const DoneSlot &done);
   bool IsTakeBegun() const { return takeBegun_; }
   // Takes a snapshot of the current state as a child of the current snapshot (in the single
   // form it replaces the one snapshot). An empty name takes GenerateName's.
   void Take(const std::string &name, const std::string &description, const AbortSlot &abort, const DoneSlot &done);
   // Gives up a take that BeginTake prepared; `done` runs from a poll step. A take the host has
   // already started ends normally.
   void CancelTake(const DoneSlot &done);
   // Goes to snapshot `uid`. `stayPoweredOff`: the machine comes back powered off whatever the
   // snapshot's state; `updateMRU`: the snapshot becomes the most recently used.
   void Restore(int uid, bool stayPoweredOff, bool updateMRU, const AbortSlot &abort, const DoneSlot &done);
   void Restore(int uid, const AbortSlot &abort, const DoneSlot &done) { Restore(uid, false, true, abort, done); }
   // Deletes the snapshots `uids` in one operation. Without `withChildren` their children go to
   // the deleted snapshot's parent; with it the whole branches go. `deleteFiles`: their
   // screenshots are removed from the disk too. The current state moves to the nearest
   // remaining ancestor when its snapshot goes.
   void Delete(const std::vector<int> &uids, bool withChildren, bool deleteFiles, const AbortSlot &abort,
               const DoneSlot &done);
   // Gives snapshot `uid` a new name and description; the same name and description as now
   // change nothing (no command, `done` still runs).
   void Rename(int uid, const std::string &name, const std::string &description, const AbortSlot &abort,
               const DoneSlot &done);
   void Rename(int uid, const std::string &name, const std::string &description, const DoneSlot &done)
   {
      Rename(uid, name, description, AbortSlot(), done);
   }
   // Asks the host to read the machine's snapshots again (another program may have changed them).
   void RefreshFromHost(const AbortSlot &abort, const DoneSlot &done) { Send("refreshSnapshots", {}, abort, done); }
   // Hands `slot` (from a poll step) the snapshot's screenshot as a bitmap, or null.
   void GetScreenshot(int uid, const ScreenshotSlot &slot);
   // Makes `count` linked clones of the machine from its current snapshot ("forkVM", see
   // SnapshotFork.cpp); `forked` is given their configuration files, each to be powered on as a
   // fork (VM::POWER_ON_FORK).
   void Fork(int count, const sigc::slot<void, std::vector<std::string>> &forked, const AbortSlot &abort);

   // The tree changed: snapshots added, removed, renamed, the current one moved, an operation
   // started or ended.
   sigc::signal<void> changed;

   SnapshotTree(const SnapshotTree &) = delete;
   SnapshotTree &operator=(const SnapshotTree &) = delete;

private:
   friend class VM;
   // Reads the node again; raises `changed` when anything differs. Called by the machine.
   void Refresh();
   void SetClosed() { closed_ = true; }
   void Send(const std::string &op, const std::vector<std::pair<std::string, std::string>> &inputs,
             const AbortSlot &abort, const DoneSlot &done);
   void OnAnswer(std::string error, std::map<std::string, std::string> outputs, std::string op, AbortSlot abort,
                 DoneSlot done);
   // Builds the links and the flat order from the snapshots read.
   void Link(int currentUid);
   void PostAbort(const AbortSlot &abort, const std::string &text) const;

   VM &vm_;
   vmdb::Ctx ctx_;
   std::string base_;   // "<vmPath>vmx/chkptState/"
   bool closed_ = false;

   bool multiple_ = true;
   std::unique_ptr<Snapshot> yah_;
   std::map<int, std::unique_ptr<Snapshot>> snapshots_;
   Snapshot *current_ = nullptr;
   std::vector<Snapshot *> roots_;
   std::vector<Snapshot *> flat_;
   std::vector<int> mru_;
   int maxMRU_ = 10;
   std::string hostPending_;
   std::string fileError_;
   std::string signature_;   // what was read last, to tell a change
   std::vector<std::vector<std::string>> rows_;   // the list's fields as read last, by element
   std::string rowsGeneration_;                     // the host's generation of that list
   std::string rowsText_;                           // rows_ as one text, to tell a change
   unsigned long long rowsVersion_ = 0;             // counts the changes of rowsText_

   std::string requested_;   // asked by this tree, not yet answered
   bool takeBegun_ = false;
};

}  // namespace cui

// One snapshot of a machine's snapshot tree, or the tree's "you are here" node (UID 0): the
// machine's current state, which hangs below the snapshot it descends from. Objects are owned by
// their cui::SnapshotTree and keep their address while their snapshot exists.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cui {

class SnapshotTree;

class Snapshot {
public:
   // What GetPowerState reports: the state the machine was in when the snapshot was taken.
   // Snapshots of a suspended or running machine carry a screenshot.
   enum PowerState { POWERED_OFF = 1, SUSPENDED = 2, POWERED_ON = 3 };

   int GetUID() const { return uid_; }
   bool IsYah() const { return uid_ == 0; }
   const std::string &GetDisplayName() const { return name_; }
   const std::string &GetDescription() const { return description_; }
   // Seconds since 1970 (UTC) when the snapshot was taken; 0 for the current state.
   int64_t GetTimestamp() const { return timestamp_; }
   int GetPowerState() const { return powerState_; }
   // A machine was cloned from this snapshot.
   bool HasClone() const { return clones_ > 0; }
   // A session recording starts at this snapshot.
   bool HasRecordings() const { return recording_; }
   // The host's picture of the guest screen at the time; empty when none.
   const std::string &GetScreenshotPath() const { return screenshot_; }

   // The snapshot this one was taken from (null for a root and for the current state of a
   // machine without a current snapshot). For the current state: the current snapshot.
   Snapshot *GetParent() const { return parent_; }
   // The snapshots taken from this one, oldest first; never the current state.
   const std::vector<Snapshot *> &GetChildren() const { return children_; }
   SnapshotTree *GetTree() const { return tree_; }

   Snapshot(const Snapshot &) = delete;
   Snapshot &operator=(const Snapshot &) = delete;

private:
   friend class SnapshotTree;
   Snapshot(SnapshotTree *tree, int uid) : tree_(tree), uid_(uid) {}

   SnapshotTree *tree_;
   int uid_;
   int parentUid_ = 0;
   std::string name_;
   std::string description_;
   int64_t timestamp_ = 0;
   int powerState_ = POWERED_OFF;
   int clones_ = 0;
   bool recording_ = false;
   std::string screenshot_;
   Snapshot *parent_ = nullptr;
   std::vector<Snapshot *> children_;
};

}  // namespace cui

// The recently used snapshots in VM > Snapshot: up to ten of the current machine's, below the
// snapshot manager's item, rebuilt each time the popup opens; choosing one goes to it (or plays
// its recording).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>

class CZOLTSnapshotMRUMenu {
public:
   static constexpr int kMaxItems = 10;

   CZOLTSnapshotMRUMenu() = default;

   void Rebuild(HMENU menu);
   // True when the command's id (low 16 bits) is one of the list's, whether or not it did anything.
   bool ExecCommand(UINT command);

   // Command id -> snapshot UID of the last rebuild.
   const std::map<uint32_t, int32_t> &GetEntries() const { return uids_; }

private:
   std::map<uint32_t, int32_t> uids_;
};

// The clone wizard's source page: the current state of the machine or one of its snapshots that
// can be cloned, listed by name without regard to case.
#pragma once

#include <string>
#include <vector>

namespace cui {
class Snapshot;
class SnapshotTree;
class VM;
}  // namespace cui

namespace clonewz {

// Display names in the list's order: each character lower-cased, then compared character by
// character, so a name comes before a longer one that starts with it.
bool SnapshotNameLess(const std::string &a, const std::string &b);
// The snapshots of `tree` that `vm` can clone (either kind), in the list's order.
std::vector<const cui::Snapshot *> CloneableSnapshots(const cui::VM &vm, const cui::SnapshotTree &tree);

}  // namespace clonewz

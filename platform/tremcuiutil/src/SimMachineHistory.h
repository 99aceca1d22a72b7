// Where a simulated machine came from and where it stands: the machines it was cloned from
// (the chain of "cloneOf0" keys, each naming the parent's configuration file) and its current
// snapshot (the snapshot file beside the configuration, "<name>.snapshot", whose "displayName"
// names it). Both are mirrored into the machine's node with the configuration.
#pragma once

#include <string>
#include <vector>

#include "cui/VmdbCtx.h"

namespace cuisim {

class SimVmxConfig;

struct SimAncestor {
   std::string cfgPath;
   std::string name;   // the parent's display name, or its file's base name when it cannot be read
};

// The ancestors of a machine, nearest first. A relative parent path is taken from the child's
// folder; the chain stops at a machine that is no clone, at a repeated file and after kMaxAncestors.
std::vector<SimAncestor> ReadAncestors(const SimVmxConfig &config);
constexpr size_t kMaxAncestors = 16;

// The snapshot file of a configuration, and the display name of the current snapshot it holds
// (empty when there is no file or it names no snapshot).
std::string SnapshotFilePath(const std::string &cfgPath);
std::string ReadCurrentSnapshotName(const std::string &cfgPath);

// Writes the ancestors under "<valPath>clone/ancestor/#" ("name", "cfgPath") and the snapshot
// list under the machine's "vmx/chkptState/val/" (SimSnapshots.h; the current snapshot is the
// first element of "item/#"), replacing what was there. `valPath` is the machine's "…/vmx/cfgState/val/".
void MirrorHistory(vmdb::Ctx &ctx, const std::string &valPath, const SimVmxConfig &config);

}  // namespace cuisim

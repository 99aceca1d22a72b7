// Where a simulated machine came from: the machines it was cloned from (the chain of "cloneOf0"
// keys, each naming the parent's configuration file), mirrored into the machine's node with the
// configuration. Its snapshots are the machine's own (SimSnapshots.h), read once per opening.
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

// Writes the ancestors under "<valPath>clone/ancestor/#" ("name", "cfgPath"), replacing what was
// there. `valPath` is the machine's "…/vmx/cfgState/val/".
void MirrorHistory(vmdb::Ctx &ctx, const std::string &valPath, const SimVmxConfig &config);

}  // namespace cuisim

// The simulated host's clones. Machine operation "cloneVM" on "/vm/#…/cmd/##/":
//   in/uid      the snapshot to clone (0: the current state)
//   in/full     "1" full clone, else linked
//   in/name     the clone's display name
//   in/cfgPath  the clone's configuration file               -> out/cfgPath
// It takes a few poll steps; "vmx/cloneState/step" of the source names the one under way
// ("prepare", "snapshot", "copy") and is cleared at the end. A linked clone of the current state
// first takes a snapshot of the source (the "snapshot" step).
//
// The clone's configuration is the source's with a new display name and identity ("uuid.bios",
// "uuid.location"; generated network addresses are dropped). A full clone copies the disk files
// the configuration names into the clone's folder, named after the clone; a linked clone gets a
// small delta file per disk naming the source's disk as its parent ("parentFileName"), and its
// configuration records the source ("cloneOf0", an absolute path) and the snapshot it was made
// from ("cloneOf0.snapshotUID"), which the machine page reads as the clone's ancestry.
//
// Refused, with a text a user understands: a destination folder that exists and is not empty or
// cannot be written, an existing configuration file, a snapshot the machine lacks or took while
// running, the current state of a machine that is not powered off (a running machine's disks
// are in use) or of a template, a machine busy with another operation.
//
// Host operation "checkWritablePath" on "util/vm/cmd/##/": in/path (a folder) -> out/writable
// "1" or "0", out/path (the folder checked), out/reason (why not). A missing folder is made for
// the check and taken away again.
#pragma once

#include <string>

#include "tremsim/SimCmdOwner.h"
#include "tremsim/SimVmxConfig.h"

namespace cuisim {

class SimMachines;

// Adds "cloneVM" to the machines' queues and "checkWritablePath" to the hosts'.
void RegisterCloneOps(SimCmdOwner &hostCmds, SimCmdOwner &vmCmds, SimMachines &machines);

// Why files cannot go into `folder` (made when missing, and in `made` the folders made, outermost
// first, so a caller can take them away again); empty when they can.
std::string CheckWritableFolder(const std::string &folder, std::vector<std::string> *made);
// Why a clone cannot be written to the configuration file `cfgPath`: a relative or empty path, an
// existing file, a folder that is not empty. Empty when it can (the folder is not made).
std::string CheckCloneDestination(const std::string &cfgPath);

// The clone's configuration made from the source's: path, name and identity, and for a linked
// clone its parent and snapshot. Disk file names are left to the caller.
SimVmxConfig MakeCloneConfig(const SimVmxConfig &source, const std::string &cfgPath, const std::string &name,
                             bool full, int snapshotUid);

}  // namespace cuisim

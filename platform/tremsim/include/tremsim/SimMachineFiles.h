// The simulated host's work on a machine's files and hardware.
// Host operations on "util/vm/cmd/##/":
//   "deleteVMFromDisk"    in/cfgPath: a machine that is not running is closed, dropped from the
//                         host's registered machines and its files are deleted: only those its
//                         configuration names inside its folder (MachineNamedFiles); the folder
//                         goes too when nothing else is left in it.
// Machine operations on "/vm/#…/cmd/##/":
//   "upgradeHardware"     in/version (default: the newest): raises "hardwareVersion" and
//                         "productCompat"; refused while the machine is not powered off and
//                         when it has that hardware or newer already.
//   "toggleToolsInstall"  mounts the tools image in the running guest, or takes it out:
//                         "vmx/execState/toolsInstall" holds the boot's "poweredOnAt" while it
//                         is mounted, so a later boot has none.
//   "sendCtrlAltDel"      hands the keys to the running guest.
//   "forkVM"              in/count -> out/cfgPaths (one a line): linked clones of the powered-off
//                         machine from its current snapshot, each in a folder "<name>-fork<N>\"
//                         in the machine's folder, with a delta file per disk.
#pragma once

#include <string>
#include <vector>

#include "cui/VmdbCtx.h"
#include "tremsim/SimCmdOwner.h"

namespace cuisim {

class SimMachines;
class SimRegistry;
class SimVmxConfig;
struct SimSnapshotFile;

// The files a deletion removes, full paths: the configuration, its disks' files, its nvram
// ("nvram", else "<name>.nvram") and log ("log.fileName", else "<name>.log"), the snapshot file
// and the snapshots' pictures, the state file, the suspend picture and the lock file. A name
// that leads out of the configuration's folder is left out: such a file may be another's.
std::vector<std::string> MachineNamedFiles(const SimVmxConfig &config, const SimSnapshotFile &snapshots);

// What a boot of the machine at `vmPath` leaves in its node and the next boot must not see (the
// tools image, the recorder): cleared when it powers off.
void ClearBootState(vmdb::Ctx &ctx, const std::string &vmPath);

void RegisterMachineFileOps(SimCmdOwner &hostCmds, SimCmdOwner &vmCmds, SimMachines &machines, SimRegistry &registry);

}  // namespace cuisim

// The simulated host's session recorder (see cui/SessionRecordMgr.h for the nodes it keeps).
// Machine operations on "/vm/#…/cmd/##/":
//   "startRecording"  in/name, in/description: the running, live machine takes a snapshot that
//                     the snapshot file marks as a recording and records from there; answered
//                     once the snapshot is taken
//   "stopRecording"   ends the recording
//   "startReplay"     in/uid, in/updateMRU: the live machine goes to the recording's snapshot and
//                     plays from there; answered once it is there
//   "endReplay"       ends the playback; the machine goes on live from where it is
#pragma once

#include <string>

#include "cui/VmdbCtx.h"
#include "tremsim/SimCmdOwner.h"

namespace cuisim {

class SimMachines;

// The recorder's state of the machine at `vmPath`: "live", "recording" or "playing". A machine
// that is not running, or was booted again since, is live.
std::string RecorderState(const vmdb::Ctx &ctx, const std::string &vmPath);

void RegisterRecorderOps(SimCmdOwner &vmCmds, SimMachines &machines);

}  // namespace cuisim

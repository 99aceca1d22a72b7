// The simulated host's screenshots: the machine operation "saveScreenshot" on "/vm/#…/cmd/##/"
// (in/fileName, in/format "bmp") writes the powered-on machine's guest screen, at the guest's
// size, to the file; a machine that is not powered on is refused.
#pragma once

#include "tremsim/SimCmdOwner.h"
#include "tremsim/SimMachines.h"

namespace cuisim {

void RegisterScreenshotOps(SimCmdOwner &vmCmds, SimMachines &machines);

}  // namespace cuisim

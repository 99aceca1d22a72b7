#include "SimScreenshot.h"

#include "cui/Error.h"
#include "cui/LocalizedString.h"
#include "tremorybase/Log.h"

namespace cuisim {

namespace {

void SaveScreenshot(SimCommand &cmd, SimMachines &machines)
{
   SimMachine *machine = machines.Find(cmd.Owner());
   if (!machine) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.vm.notOpen)The virtual machine is not open on the host."));
   }
   std::string name = cmd.Ctx().Get(cmd.Owner() + "vmx/cfgState/val/displayName");
   if (machine->GetExecState() != SimMachine::kPoweredOn) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.screenshot.notOn)The screen of \"%s\" cannot be captured: the "
                                   "virtual machine is not powered on.", name.c_str()));
   }
   std::string format = cmd.In("format");
   if (format != "bmp") {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.screenshot.format)The picture format \"%s\" is not supported.",
                                   format.c_str()));
   }
   std::string file = cmd.In("fileName");
   long width = 0;
   long height = 0;
   machine->GetGuestSize(width, height);
   std::string error;
   if (file.empty() || !machine->GuestScreen().SaveBitmap(file, static_cast<int>(width), static_cast<int>(height), error)) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.screenshot.cannotWrite)The screenshot \"%s\" cannot be written: %s",
                                   file.c_str(), error.c_str()));
   }
   Log("SimHost: %s: screenshot saved to %s\n", cmd.Owner().c_str(), file.c_str());
}

}  // namespace

void RegisterScreenshotOps(SimCmdOwner &vmCmds, SimMachines &machines)
{
   vmCmds.Register("saveScreenshot", [&machines](SimCommand &cmd) { SaveScreenshot(cmd, machines); });
}

}  // namespace cuisim

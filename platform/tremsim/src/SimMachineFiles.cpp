#include "tremsim/SimMachineFiles.h"
#include "SimHostPath.h"

#include <algorithm>
#include <cstdlib>

#include "cui/Error.h"
#include "cui/HardwareVersion.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "tremorybase/File.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Log.h"
#include "tremsim/SimClone.h"
#include "tremsim/SimMachine.h"
#include "tremsim/SimMachines.h"
#include "tremsim/SimRegistry.h"
#include "tremsim/SimSnapshots.h"

namespace cuisim {

namespace {

std::string Normalized(std::string path)
{
   std::replace(path.begin(), path.end(), '/', '\\');
   return path;
}

// `name` as a full path inside `folder` (with its trailing separator); empty when it leads out.
std::string InsideFolder(const std::string &folder, const std::string &name)
{
   if (name.empty()) {
      return std::string();
   }
   std::string path = Normalized(name);
   if (!IsAbsolutePath(path)) {
      path = folder + path;
   }
   if (path.find("\\..\\") != std::string::npos || path.find("\\.\\") != std::string::npos ||
       path.compare(path.size() < 3 ? 0 : path.size() - 3, 3, "\\..") == 0) {
      return std::string();
   }
   std::string base = LowerAscii(Normalized(folder));
   return !base.empty() && LowerAscii(path).compare(0, base.size(), base) == 0 && path.size() > base.size() ? path
                                                                                                       : std::string();
}

SimMachine &MachineOf(SimMachines &machines, SimCommand &cmd)
{
   SimMachine *machine = machines.Find(cmd.Owner());
   if (!machine) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.vm.notOpen)The virtual machine is not open on the host."));
   }
   return *machine;
}

void RefuseBusy(SimMachine &machine)
{
   if (!machine.GetPending().empty() || machine.GetSnapshots().IsBusy()) {
      throw cui::Error(
         cui::Format("@&!*@*@(msg.host.vm.busyOther)The virtual machine \"%s\" is busy with another "
                     "operation. Try again when it has finished.",
                     machine.GetConfig().GetDisplayName().c_str()));
   }
}

void RefuseUnlessOn(SimMachine &machine)
{
   if (machine.GetExecState() != SimMachine::kPoweredOn) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.vm.notOn)The virtual machine \"%s\" is not powered on.",
                                   machine.GetConfig().GetDisplayName().c_str()));
   }
}

void DeleteVM(SimCommand &cmd, SimMachines &machines, SimRegistry &registry)
{
   const std::string cfgPath = cmd.In("cfgPath");
   SimMachine *machine = machines.FindByCfgPath(cfgPath);
   SimVmxConfig config;
   SimSnapshotFile snapshots;
   std::string error;
   if (machine) {
      if (machine->GetExecState() == SimMachine::kPoweredOn) {
         throw cui::Error(
            cui::Format("@&!*@*@(msg.host.delete.running)The virtual machine \"%s\" is powered on. Power "
                        "it off before you delete it.",
                        machine->GetConfig().GetDisplayName().c_str()));
      }
      RefuseBusy(*machine);
      config = machine->GetConfig();
      snapshots = machine->GetSnapshots().GetFile();
   } else if (!config.Load(cfgPath, error)) {
      throw cui::Error(error);
   } else if (!snapshots.Load(SimSnapshotFile::PathOf(cfgPath), error)) {
      Warning("SimHost: deleteVMFromDisk: the snapshots of %s are damaged: %s\n", cfgPath.c_str(), error.c_str());
   }
   std::vector<std::string> files = MachineNamedFiles(config, snapshots);
   if (machine) {
      machines.Close(machine->GetVmPath());
   }
   try {
      registry.Unregister(cmd.Owner(), config.GetPath());
   } catch (const cui::Error &) {
      // Not registered on this host: there is nothing to drop.
   }
   std::string failed;
   for (const std::string &file : files) {
      if (File_Exists(file) && !File_Delete(file)) {
         failed += (failed.empty() ? "" : ", ") + file;
      }
   }
   // Only an empty folder can be removed: whatever else the user keeps there stays.
   std::string folder = SimVmxConfig::Folder(config.GetPath());
   if (!folder.empty()) {
      File_RemoveFolder(folder.substr(0, folder.size() - 1));
   }
   Log("SimHost: deleteVMFromDisk: %s, %u files named\n", config.GetPath().c_str(),
       static_cast<unsigned>(files.size()));
   if (!failed.empty()) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.delete.failed)Some files of \"%s\" could not be deleted: %s",
                                   config.GetDisplayName().c_str(), failed.c_str()));
   }
}

void UpgradeHardware(SimCommand &cmd, SimMachines &machines)
{
   SimMachine &machine = MachineOf(machines, cmd);
   const SimVmxConfig &config = machine.GetConfig();
   const std::string name = config.GetDisplayName();
   if (machine.GetExecState() != SimMachine::kPoweredOff) {
      throw cui::Error(
         cui::Format("@&!*@*@(msg.host.upgrade.notOff)The virtual hardware of \"%s\" can be upgraded "
                     "only while the virtual machine is powered off.",
                     name.c_str()));
   }
   RefuseBusy(machine);
   long target =
      cmd.HasIn("version") ? std::strtol(cmd.In("version").c_str(), nullptr, 10) : cui::HardwareVersion::kNewest;
   if (target < cui::HardwareVersion::kOldest || target > cui::HardwareVersion::kNewest) {
      throw cui::Error(
         cui::Format("@&!*@*@(msg.host.upgrade.unknown)The host offers no virtual hardware version %ld.", target));
   }
   cui::HardwareVersion now(static_cast<int>(config.GetInt("hardwareVersion", 0)),
                            static_cast<int>(config.GetInt("productCompat", 0)));
   if (now.GetVersion() >= target) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.upgrade.newest)The virtual hardware of \"%s\" is %s already.",
                                   name.c_str(), now.GetVMVersionDescription().c_str()));
   }
   SimVmxConfig changed = config;
   changed.Set("hardwareVersion", std::to_string(target));
   changed.Set("productCompat", std::to_string(cui::HardwareVersion::ProductOf(static_cast<int>(target))));
   std::string error = machine.ReplaceConfig(changed);
   if (!error.empty()) {
      throw cui::Error(error);
   }
   Log("SimHost: %s: hardware upgraded from %d to %ld\n", cmd.Owner().c_str(), now.GetVersion(), target);
   cui::HardwareVersion upgraded(static_cast<int>(target), cui::HardwareVersion::ProductOf(static_cast<int>(target)));
   machine.LogMessage("info", cui::Format("@&!*@*@(msg.host.log.upgraded)The virtual hardware was upgraded to %s.",
                                          upgraded.GetVMVersionDescription().c_str()));
}

void ToggleToolsInstall(SimCommand &cmd, SimMachines &machines)
{
   SimMachine &machine = MachineOf(machines, cmd);
   RefuseUnlessOn(machine);
   const std::string exec = cmd.Owner() + "vmx/execState/";
   std::string boot = cmd.Ctx().Get(exec + "poweredOnAt");
   bool mounted = !boot.empty() && cmd.Ctx().Get(exec + "toolsInstall") == boot;
   cmd.Ctx().Set(exec + "toolsInstall", mounted ? std::string() : boot);
   Log("SimHost: %s: tools image %s\n", cmd.Owner().c_str(), mounted ? "taken out" : "mounted");
}

// Linked clones from the current snapshot, each in a folder of its own beside the machine's:
// "<name>-fork<N>\<name>-fork<N>.vmx", with a delta file per disk naming the machine's disk.
void ForkVM(SimCommand &cmd, SimMachines &machines)
{
   SimMachine &machine = MachineOf(machines, cmd);
   const SimVmxConfig &source = machine.GetConfig();
   if (machine.GetExecState() != SimMachine::kPoweredOff) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.fork.notOff)\"%s\" can be forked only while it is powered off.",
                                   source.GetDisplayName().c_str()));
   }
   RefuseBusy(machine);
   int current = machine.GetSnapshots().GetFile().current;
   if (current == 0) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.fork.noSnapshot)\"%s\" has no current snapshot to fork from.",
                                   source.GetDisplayName().c_str()));
   }
   long count = std::strtol(cmd.In("count").c_str(), nullptr, 10);
   if (count < 1 || count > 64) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.fork.count)A fork makes 1 to 64 clones, not %ld.", count));
   }
   const std::string parent = SimVmxConfig::Folder(source.GetPath());
   const std::string base = SimVmxConfig::BaseName(source.GetPath());
   std::string made;
   for (int n = 1; count > 0 && n < 1000; ++n) {
      std::string name = base + "-fork" + std::to_string(n);
      std::string folder = parent + name + "\\";
      if (File_Exists(folder.substr(0, folder.size() - 1))) {
         continue;
      }
      std::string error;
      if (!File_MakeFolders(folder.substr(0, folder.size() - 1))) {
         throw cui::Error(
            cui::Format("@&!*@*@(msg.host.fork.folder)The folder \"%s\" cannot be made.", folder.c_str()));
      }
      SimVmxConfig clone = MakeCloneConfig(
         source, folder + name + ".vmx",
         cui::Format("@&!*@*@(msg.host.fork.name)%s (fork %d)", source.GetDisplayName().c_str(), n), false, current);
      for (const SimVmxConfig::Device &device : source.GetDevices()) {
         if (device.type != "disk" || device.fileName.empty()) {
            continue;
         }
         std::string disk = InsideFolder(parent, device.fileName);
         std::string delta = name + "-" + device.key + ".vmdk";
         if (!KeyValueFile::Write(folder + delta, {{"parentFileName", disk.empty() ? device.fileName : disk}}, error)) {
            throw cui::Error(error);
         }
         clone.Set(device.key + ".fileName", delta);
      }
      if (!clone.Save(error)) {
         throw cui::Error(error);
      }
      made += clone.GetPath() + "\n";
      --count;
   }
   cmd.SetOut("cfgPaths", made);
   Log("SimHost: %s: forked\n", cmd.Owner().c_str());
}

}  // namespace

std::vector<std::string> MachineNamedFiles(const SimVmxConfig &config, const SimSnapshotFile &snapshots)
{
   const std::string cfgPath = Normalized(config.GetPath());
   const std::string folder = SimVmxConfig::Folder(cfgPath);
   const std::string base = SimVmxConfig::BaseName(cfgPath);
   std::vector<std::string> names = {cfgPath,
                                     config.Get("nvram", base + ".nvram"),
                                     config.Get("log.fileName", base + ".log"),
                                     SimSnapshotFile::PathOf(cfgPath),
                                     SimMachine::StateFilePath(cfgPath),
                                     SimMachine::ScreenshotPath(cfgPath),
                                     SimMachines::LockPath(cfgPath)};
   for (const SimVmxConfig::Device &device : config.GetDevices()) {
      if (device.type == "disk") {
         names.push_back(device.fileName);
      }
   }
   for (const auto &snapshot : snapshots.snapshots) {
      names.push_back(snapshot.second.screenshot);
   }
   std::vector<std::string> files;
   for (const std::string &name : names) {
      std::string path = InsideFolder(folder, name);
      bool listed =
         std::any_of(files.begin(), files.end(), [&](const std::string &f) { return LowerAscii(f) == LowerAscii(path); });
      if (!path.empty() && !listed) {
         files.push_back(path);
      }
   }
   return files;
}

void ClearBootState(vmdb::Ctx &ctx, const std::string &vmPath)
{
   if (vmPath.empty()) {
      return;
   }
   vmdb::Batch batch(ctx);
   ctx.Remove(vmPath + "vmx/execState/toolsInstall", true);
   ctx.Remove(vmPath + "vmx/execState/replay", true);
}

void RegisterMachineFileOps(SimCmdOwner &hostCmds, SimCmdOwner &vmCmds, SimMachines &machines, SimRegistry &registry)
{
   hostCmds.Register("deleteVMFromDisk",
                     [&machines, &registry](SimCommand &cmd) { DeleteVM(cmd, machines, registry); });
   vmCmds.Register("upgradeHardware", [&machines](SimCommand &cmd) { UpgradeHardware(cmd, machines); });
   vmCmds.Register("toggleToolsInstall", [&machines](SimCommand &cmd) { ToggleToolsInstall(cmd, machines); });
   vmCmds.Register("forkVM", [&machines](SimCommand &cmd) { ForkVM(cmd, machines); });
   vmCmds.Register("sendCtrlAltDel", [&machines](SimCommand &cmd) {
      RefuseUnlessOn(MachineOf(machines, cmd));
      Log("SimHost: %s: Ctrl+Alt+Del sent to the guest\n", cmd.Owner().c_str());
   });
}

std::string SimMachine::ReplaceConfig(const SimVmxConfig &changed)
{
   SimVmxConfig saved = changed;
   saved.SetPath(config_.GetPath());
   std::string error;
   if (!saved.Save(error)) {
      return error;
   }
   config_ = saved;
   ++generationNo_;
   if (!vmPath_.empty()) {
      config_.MirrorTo(ctx_, vmPath_ + "vmx/cfgState/val/", generationNo_);
   }
   return std::string();
}

}  // namespace cuisim

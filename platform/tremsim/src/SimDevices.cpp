#include "tremsim/SimDevices.h"

#include <set>

#include "cui/Error.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"
#include "tremsim/SimCmdOwner.h"
#include "tremsim/SimMachine.h"
#include "tremsim/SimMachines.h"

namespace cuisim {

namespace {

const char kStatePrefix[] = "dev.";
const char kStateSuffix[] = ".connected";

std::string Trim(const std::string &text)
{
   size_t first = text.find_first_not_of(" \t");
   size_t last = text.find_last_not_of(" \t");
   return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

// "/vm/#0001/..." gives "/vm/#0001/".
std::string MachineOf(const std::string &path)
{
   size_t end = path.find('/', 4);
   return end == std::string::npos ? std::string() : path.substr(0, end + 1);
}

void ConnectDevice(SimCommand &cmd, SimMachines &machines)
{
   SimMachine *machine = machines.Find(cmd.Owner());
   if (!machine) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.vm.notOpen)The virtual machine is not open on the host."));
   }
   std::string error = machine->SetRemDevConnected(cmd.In("key"), cmd.In("connect") == "1");
   if (!error.empty()) {
      throw cui::Error(error);
   }
}

}  // namespace

SimDevices::RemDevStates SimDevices::BootStates(const SimVmxConfig &config)
{
   RemDevStates states;
   for (const SimVmxConfig::Device &device : config.GetDevices()) {
      if (device.media == "removable" && device.present) {
         states[device.key] = device.startConnected;
      }
   }
   return states;
}

SimDevices::RemDevStates SimDevices::ReadStates(const std::vector<KeyValueEntry> &entries, const SimVmxConfig &config)
{
   RemDevStates states = BootStates(config);
   for (auto &state : states) {
      if (const std::string *kept = KeyValueFile::Find(entries, kStatePrefix + state.first + kStateSuffix)) {
         state.second = *kept == "1";
      }
   }
   return states;
}

void SimDevices::AddStates(const RemDevStates &states, std::vector<KeyValueEntry> &entries)
{
   for (const auto &state : states) {
      entries.push_back({kStatePrefix + state.first + kStateSuffix, state.second ? "1" : "0"});
   }
}

void SimDevices::WriteExecState(vmdb::Ctx &ctx, const std::string &vmPath, const std::string &execState,
                                const RemDevStates &states)
{
   if (vmPath.empty()) {
      return;
   }
   vmdb::Batch batch(ctx);
   std::string devices = vmPath + "vmx/execState/dev";
   ctx.Remove(devices, true);
   if (execState != SimMachine::kPoweredOff) {
      for (const auto &state : states) {
         ctx.Set(devices + "/" + state.first + "/connected", vmdb::Value(state.second ? 1 : 0));
      }
   }
   std::string usb = vmPath + "vmx/usbDev";
   if (execState != SimMachine::kPoweredOn) {
      ctx.Remove(usb, true);
   } else if (!ctx.Exists(usb)) {
      for (const UsbDevice &device : HostUsbDevices()) {
         std::string element = ctx.Append(usb + "/#");
         ctx.Set(element + "present", vmdb::Value(1));
         ctx.Set(element + "id", device.id);
         ctx.Set(element + "name", device.name);
         ctx.Set(element + "connectState/val", "disconnected");
      }
   }
}

std::vector<SimDevices::UsbDevice> SimDevices::ParseUsbDevices(const std::string &text)
{
   std::vector<UsbDevice> devices;
   std::set<std::string> ids;
   size_t pos = 0;
   while (pos <= text.size()) {
      size_t comma = text.find(',', pos);
      std::string item = text.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
      size_t colon = item.find(':');
      UsbDevice device;
      if (colon != std::string::npos) {
         device.id = Trim(item.substr(0, colon));
         device.name = Trim(item.substr(colon + 1));
      }
      if (!device.id.empty() && !device.name.empty() && ids.insert(device.id).second) {
         devices.push_back(device);
      } else if (!Trim(item).empty()) {
         Warning("SimHost: the USB device \"%s\" is left out: it is no \"id:name\" or its id is taken\n", item.c_str());
      }
      if (comma == std::string::npos) {
         break;
      }
      pos = comma + 1;
   }
   return devices;
}

std::vector<SimDevices::UsbDevice> SimDevices::HostUsbDevices()
{
   return ParseUsbDevices(Config_GetString("test.host.usbDevices", ""));
}

bool SimDevices::IsUsbConnectState(const std::string &statePath)
{
   std::string vm = MachineOf(statePath);
   std::string rest = vm.empty() ? std::string() : cuiutil::WithSlash(statePath).substr(vm.size());
   const std::string prefix = "vmx/usbDev/#";
   const std::string suffix = "/connectState/";
   return statePath.compare(0, 5, "/vm/#") == 0 && rest.compare(0, prefix.size(), prefix) == 0 &&
          rest.size() > prefix.size() + suffix.size() && rest.compare(rest.size() - suffix.size(), suffix.size(), suffix) == 0 &&
          rest.find('/', prefix.size()) == rest.size() - suffix.size();
}

std::string SimDevices::AcceptUsbRequest(vmdb::Ctx &ctx, const std::string &state, const std::string &element)
{
   std::string vm = MachineOf(state);
   std::string device = cuiutil::WithSlash(state).substr(0, cuiutil::WithSlash(state).size() - std::string("connectState/").size());
   std::string name = ctx.Get(device + "name");
   if (ctx.Get(vm + "vmx/execState/val") != SimMachine::kPoweredOn) {
      return cui::Format("@&!*@*@(msg.host.usb.notOn)The USB device \"%s\" can be connected or disconnected only "
                         "while the virtual machine is powered on.", name.c_str());
   }
   if (!ctx.GetBool(device + "present", false)) {
      return cui::Format("@&!*@*@(msg.host.usb.absent)The USB device \"%s\" is no longer plugged in to the host.",
                         name.c_str());
   }
   std::string wanted = ctx.Get(element + "val");
   if (wanted == "disconnected") {
      ctx.Remove(state + "val/connected", true);
      Log("SimHost: %s: USB device %s disconnected\n", vm.c_str(), name.c_str());
      return std::string();
   }
   if (wanted != "connected") {
      return "The connection state \"" + wanted + "\" is not known.";
   }
   std::set<long> taken;
   for (const std::string &other : ctx.Elements(vm + "vmx/usbDev/#")) {
      if (other != device && ctx.Get(other + "connectState/val") == "connected") {
         taken.insert(ctx.GetInt(other + "connectState/val/connected/port", 0));
      }
   }
   long port = 1;
   while (taken.count(port)) {
      ++port;
   }
   ctx.Set(element + "val/connected/port", vmdb::Value(port));
   Log("SimHost: %s: USB device %s connected on port %ld\n", vm.c_str(), name.c_str(), port);
   return std::string();
}

std::string SimMachine::SetRemDevConnected(const std::string &key, bool connected)
{
   auto found = remDevConnected_.find(key);
   std::string name = config_.GetDisplayName();
   if (execState_ != kPoweredOn) {
      return cui::Format("@&!*@*@(msg.host.dev.notOn)The devices of \"%s\" can be connected or disconnected only "
                         "while the virtual machine is powered on.", name.c_str());
   }
   if (found == remDevConnected_.end()) {
      return cui::Format("@&!*@*@(msg.host.dev.noRemovable)The virtual machine \"%s\" has no removable device \"%s\".",
                         name.c_str(), key.c_str());
   }
   if (found->second != connected) {
      found->second = connected;
      WriteStateFile();
      WriteExecState();
      LogMessage("info", cui::Format(connected ? "@&!*@*@(msg.host.log.devConnected)The device \"%s\" was connected."
                                               : "@&!*@*@(msg.host.log.devDisconnected)The device \"%s\" was "
                                                 "disconnected.",
                                     key.c_str()));
   }
   return std::string();
}

void RegisterDeviceOps(SimCmdOwner &vmCmds, SimMachines &machines)
{
   vmCmds.Register("connectDevice", [&machines](SimCommand &cmd) { ConnectDevice(cmd, machines); });
}

}  // namespace cuisim

// The devices of a running machine that the user connects and disconnects.
//
// Removable devices: the CD/DVD ("cdromN") and floppy ("floppyN") drives whose ".present" is
// TRUE. At each boot (a power-on from powered off, or a revert from powered off to a running
// snapshot) each one is connected as its ".startConnected" says (TRUE when missing). While the
// machine is on or suspended the state is "vmx/execState/dev/<key>/connected" (1 or 0) and the
// machine's state file keeps it, so a restart of the program finds it as the guest left it; it is
// never written to the configuration. The machine command "connectDevice" (in/key, in/connect
// "1" or "0") changes it from a later poll step.
//
// USB devices: the host's devices come from the configuration key
//    "test.host.usbDevices" = "id:name,id:name"   e.g. "usb-1:Flash Drive,usb-2:Card Reader"
// (an id holds no ':' or ','). A powered-on machine sees each under "vmx/usbDev/#": "present" 1,
// "id", "name" and the state "connectState": "val" "connected" (with "val/connected/port") or
// "disconnected". A request on that state ("req/#" with "val", then "new" naming it) is answered
// by the host: a connection takes the lowest port from 1 that no other device of the machine uses
// (whatever port the request asked for), a disconnection drops the port; refused while the machine
// is not powered on or the device is not present. The list goes when the machine stops.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "cui/VmdbCtx.h"
#include "tremorybase/KeyValueFile.h"
#include "tremsim/SimVmxConfig.h"

namespace cuisim {

class SimCmdOwner;
class SimMachines;

class SimDevices {
public:
   // Removable device key -> connected.
   typedef std::map<std::string, bool> RemDevStates;

   // The states a boot gives the configuration's removable devices.
   static RemDevStates BootStates(const SimVmxConfig &config);
   // The states a state file kept ("dev.<key>.connected"); a device it does not name boots.
   static RemDevStates ReadStates(const std::vector<KeyValueEntry> &entries, const SimVmxConfig &config);
   static void AddStates(const RemDevStates &states, std::vector<KeyValueEntry> &entries);

   // Writes the devices' nodes for the machine at `vmPath` in `execState`: the removable
   // devices' states unless it is powered off, the USB list while it is powered on.
   static void WriteExecState(vmdb::Ctx &ctx, const std::string &vmPath, const std::string &execState,
                              const RemDevStates &states);

   struct UsbDevice {
      std::string id;
      std::string name;
   };
   // The host's USB devices ("test.host.usbDevices"); malformed items are left out.
   static std::vector<UsbDevice> HostUsbDevices();
   static std::vector<UsbDevice> ParseUsbDevices(const std::string &text);

   // "/vm/#0001/vmx/usbDev/#0002/connectState/" is a USB device's connection state.
   static bool IsUsbConnectState(const std::string &statePath);
   // Checks a request on a USB device's connection state before it is applied, and puts the port
   // the host gives in it; a refusal's text, empty when it may go on.
   static std::string AcceptUsbRequest(vmdb::Ctx &ctx, const std::string &state, const std::string &element);
};

// Registers the machine command "connectDevice".
void RegisterDeviceOps(SimCmdOwner &vmCmds, SimMachines &machines);

}  // namespace cuisim

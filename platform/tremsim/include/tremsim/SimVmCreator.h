// The host's "createVMCfg" and "deleteVM" operations ("util/vm/cmd/##/").
//
// "createVMCfg" writes a new configuration file from in/file, in/access/private and
// in/config/{displayName, guestOS, memoryMB, cpuCount, diskSizeMB, network}, with an empty disk
// image file beside it (its size is recorded, not written). It refuses an empty path, a file that
// exists, a folder it cannot write, and values out of range.
// "deleteVM" (in/cfgPath) deletes only what "createVMCfg" made during this run, and refuses a
// machine that is open.
#pragma once

#include <string>
#include <vector>

#include "tremsim/SimCmdOwner.h"
#include "tremsim/SimVmxConfig.h"

namespace cuisim {

class SimMachines;

class SimVmCreator {
public:
   // What the new-machine inputs ask for, checked.
   struct Request {
      std::string file;
      bool isPrivate = false;
      std::string displayName;
      std::string guestOS;
      long memoryMB = 0;
      long cpuCount = 1;
      long diskSizeMB = 0;
      std::string network;   // "nat", "bridged", "hostonly", "none"
   };

   explicit SimVmCreator(SimMachines &machines) : machines_(machines) {}

   void RegisterOps(SimCmdOwner &hostCmds);

   // Both throw cui::Error with a text a user understands.
   void Create(const Request &request);
   void Delete(const std::string &cfgPath);

   // The configuration a request makes (without writing it).
   static SimVmxConfig MakeConfig(const Request &request);
   // The disk image beside a new configuration.
   static std::string DiskPath(const std::string &cfgPath);
   bool Created(const std::string &cfgPath) const;

   static const long kMinMemoryMB = 4;
   static const long kMaxMemoryMB = 3600;
   static const long kMaxCpuCount = 2;
   static const long kMinDiskMB = 1;
   static const long kMaxDiskMB = 950 * 1024;

private:
   SimMachines &machines_;
   // Configurations made in this run, and the folders made for them.
   std::vector<std::string> created_;
   std::vector<std::string> createdFolders_;
};

}  // namespace cuisim

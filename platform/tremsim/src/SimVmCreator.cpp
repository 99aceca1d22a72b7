#include "tremsim/SimVmCreator.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>

#include "cui/Error.h"
#include "cui/GuestOS.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"
#include "tremsim/SimMachine.h"
#include "tremsim/SimMachines.h"

namespace cuisim {

namespace {

long Number(const std::string &text, long defaultValue, const char *what)
{
   if (text.empty()) {
      return defaultValue;
   }
   char *end = nullptr;
   long value = std::strtol(text.c_str(), &end, 10);
   if (*end != '\0') {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.newvm.notNumber)The %s \"%s\" is not a number.", what, text.c_str()));
   }
   return value;
}

void CheckRange(long value, long low, long high, const char *text)
{
   if (value < low || value > high) {
      throw cui::Error(cui::Format(text, value, low, high));
   }
}

bool EndsWithVmx(const std::string &path)
{
   return path.size() > 4 && cuiutil::SameFilePath(path.substr(path.size() - 4), ".vmx");
}

std::string WithoutSeparator(const std::string &folder)
{
   std::string path = folder;
   while (!path.empty() && (path.back() == '\\' || path.back() == '/')) {
      path.pop_back();
   }
   return path;
}

}  // namespace

void SimVmCreator::RegisterOps(SimCmdOwner &hostCmds)
{
   hostCmds.Register("createVMCfg", [this](SimCommand &cmd) {
      Request request;
      request.file = cmd.In("file");
      request.isPrivate = cmd.In("access/private") == "1" || cmd.In("access/private") == "true";
      request.displayName = cmd.In("config/displayName");
      request.guestOS = cmd.In("config/guestOS");
      const char *what = "@&!*@*@(msg.host.newvm.memoryWord)memory size";
      request.memoryMB = Number(cmd.In("config/memoryMB"), 0, cui::GetLocalString(what).c_str());
      request.cpuCount = Number(cmd.In("config/cpuCount"), 1, cui::GetLocalString("@&!*@*@(msg.host.newvm.cpuWord)processor count").c_str());
      request.diskSizeMB = Number(cmd.In("config/diskSizeMB"), 0, cui::GetLocalString("@&!*@*@(msg.host.newvm.diskWord)disk size").c_str());
      request.network = cmd.In("config/network");
      Create(request);
   });
   hostCmds.Register("deleteVM", [this](SimCommand &cmd) { Delete(cmd.In("cfgPath")); });
}

std::string SimVmCreator::DiskPath(const std::string &cfgPath)
{
   return SimVmxConfig::Folder(cfgPath) + SimVmxConfig::BaseName(cfgPath) + "-disk1.img";
}

SimVmxConfig SimVmCreator::MakeConfig(const Request &request)
{
   const cui::GuestOSInfo *os = cui::FindGuestOS(request.guestOS);
   if (!os) {
      os = &cui::OtherGuestOS();
   }
   SimVmxConfig config;
   config.SetPath(request.file);
   config.Set("configVersion", "8");
   config.Set("hardwareVersion", "4");
   config.Set("displayName", request.displayName.empty() ? SimVmxConfig::BaseName(request.file) : request.displayName);
   config.Set("guestOS", os->id);
   config.Set("memoryMB", std::to_string(request.memoryMB > 0 ? request.memoryMB : os->defaultMemoryMB));
   config.Set("cpuCount", std::to_string(request.cpuCount));
   config.Set("annotation", "");
   config.SetBool("access.private", request.isPrivate);
   std::string disk = DiskPath(request.file);
   config.SetBool("disk0.present", true);
   config.Set("disk0.fileName", disk.substr(SimVmxConfig::Folder(disk).size()));
   config.Set("disk0.sizeMB", std::to_string(request.diskSizeMB > 0 ? request.diskSizeMB : os->defaultDiskMB));
   config.SetBool("cdrom0.present", true);
   config.Set("cdrom0.fileName", "");
   config.SetBool("floppy0.present", std::string(os->id) == "dos");
   std::string network = request.network.empty() ? "nat" : request.network;
   if (network != "none") {
      config.SetBool("net0.present", true);
      config.Set("net0.network", network);
   }
   config.SetBool("sound0.present", true);
   config.SetBool("usb0.present", true);
   return config;
}

void SimVmCreator::Create(const Request &request)
{
   const std::string &file = request.file;
   if (file.empty()) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.newvm.noPath)No file name was given for the new virtual "
                                           "machine's configuration."));
   }
   if (!EndsWithVmx(file) || SimVmxConfig::Folder(file).empty()) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.newvm.badPath)\"%s\" is not a full path of a configuration "
                                   "file ending in \".vmx\".", file.c_str()));
   }
   if (File_Exists(file)) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.newvm.exists)The file \"%s\" already exists. Choose another "
                                   "name or location for the new virtual machine.", file.c_str()));
   }
   if (!request.guestOS.empty() && !cui::FindGuestOS(request.guestOS)) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.newvm.badGuest)The guest operating system \"%s\" is not "
                                   "known.", request.guestOS.c_str()));
   }
   if (request.memoryMB != 0) {
      CheckRange(request.memoryMB, kMinMemoryMB, kMaxMemoryMB,
                 "@&!*@*@(msg.host.newvm.memory)The memory size %ld MB is outside the range %ld to %ld MB.");
   }
   CheckRange(request.cpuCount, 1, kMaxCpuCount,
              "@&!*@*@(msg.host.newvm.cpus)The processor count %ld is outside the range %ld to %ld.");
   if (request.diskSizeMB != 0) {
      CheckRange(request.diskSizeMB, kMinDiskMB, kMaxDiskMB,
                 "@&!*@*@(msg.host.newvm.disk)The disk size %ld MB is outside the range %ld to %ld MB.");
   }
   const std::string &network = request.network;
   if (!network.empty() && network != "nat" && network != "bridged" && network != "hostonly" && network != "none") {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.newvm.badNetwork)The network type \"%s\" is not known.",
                                   network.c_str()));
   }

   std::string disk = DiskPath(file);
   std::string folder = SimVmxConfig::Folder(file);
   std::vector<std::string> madeFolders;
   SimVmxConfig config = MakeConfig(request);
   std::string error;
   bool ok = File_MakeFolders(folder, &madeFolders);
   HANDLE diskFile = INVALID_HANDLE_VALUE;
   if (ok && !File_Exists(disk)) {
      diskFile = CreateFileW(WidePathFromUtf8(disk).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                             nullptr);
      ok = diskFile != INVALID_HANDLE_VALUE;
      if (ok) {
         CloseHandle(diskFile);
      }
   }
   ok = ok && config.Save(error);
   if (!ok) {
      if (diskFile != INVALID_HANDLE_VALUE) {
         File_Delete(disk);
      }
      for (auto it = madeFolders.rbegin(); it != madeFolders.rend(); ++it) {
         File_RemoveFolder(*it);
      }
      throw cui::Error(cui::Format("@&!*@*@(msg.host.newvm.unwritable)The new virtual machine cannot be created in "
                                   "the folder \"%s\". Check that the folder can be written to, or choose another.",
                                   folder.c_str()));
   }
   created_.push_back(file);
   createdFolders_.insert(createdFolders_.end(), madeFolders.begin(), madeFolders.end());
   Log("SimHost: created the virtual machine %s\n", file.c_str());
}

bool SimVmCreator::Created(const std::string &cfgPath) const
{
   return std::any_of(created_.begin(), created_.end(),
                      [&cfgPath](const std::string &made) { return cuiutil::SameFilePath(made, cfgPath); });
}

void SimVmCreator::Delete(const std::string &cfgPath)
{
   if (cfgPath.empty() || !Created(cfgPath)) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.deletevm.notCreated)\"%s\" was not created by the new virtual "
                                   "machine wizard in this session and is not deleted.", cfgPath.c_str()));
   }
   if (machines_.FindByCfgPath(cfgPath)) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.deletevm.open)The virtual machine \"%s\" is open and cannot be "
                                   "deleted.", cfgPath.c_str()));
   }
   for (const std::string &file : {cfgPath, DiskPath(cfgPath), SimMachine::StateFilePath(cfgPath),
                                   SimMachine::ScreenshotPath(cfgPath)}) {
      File_Delete(file);
   }
   created_.erase(std::remove_if(created_.begin(), created_.end(),
                                 [&cfgPath](const std::string &made) { return cuiutil::SameFilePath(made, cfgPath); }),
                  created_.end());
   // Folders made for it go too, when nothing else has been put in them.
   std::string folder = WithoutSeparator(SimVmxConfig::Folder(cfgPath));
   auto made = [this](const std::string &path) {
      return std::find_if(createdFolders_.begin(), createdFolders_.end(),
                          [&path](const std::string &f) { return cuiutil::SameFilePath(f, path); });
   };
   for (auto it = made(folder); it != createdFolders_.end() && File_RemoveFolder(*it); it = made(folder)) {
      createdFolders_.erase(it);
      size_t slash = folder.find_last_of("\\/");
      folder = slash == std::string::npos ? std::string() : folder.substr(0, slash);
   }
   Log("SimHost: deleted the virtual machine %s\n", cfgPath.c_str());
}

}  // namespace cuisim

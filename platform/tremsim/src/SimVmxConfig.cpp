#include "tremsim/SimVmxConfig.h"

#include <windows.h>

#include <cstdlib>

#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "tremorybase/File.h"
#include "tremorybase/Text.h"
#include "tremsim/SimMachineHistory.h"

namespace cuisim {

namespace {

struct DeviceKind {
   const char *prefix;
   const char *type;
   const char *label;
   bool removable;
};

const DeviceKind kDeviceKinds[] = {
   {"disk", "disk", "@&!*@*@(msg.vm.device.disk)Hard Disk", false},
   {"cdrom", "cdrom", "@&!*@*@(msg.vm.device.cdrom)CD-ROM Drive", true},
   {"floppy", "floppy", "@&!*@*@(msg.vm.device.floppy)Floppy Drive", true},
   {"net", "ethernet", "@&!*@*@(msg.vm.device.ethernet)Network Adapter", false},
   {"sound", "sound", "@&!*@*@(msg.vm.device.sound)Sound Card", false},
   {"usb", "usb", "@&!*@*@(msg.vm.device.usb)USB Controller", false},
};

const DeviceKind *FindKind(const std::string &prefix)
{
   size_t digits = prefix.find_first_of("0123456789");
   if (digits == std::string::npos || digits == 0 || prefix.find_first_not_of("0123456789", digits) != std::string::npos) {
      return nullptr;
   }
   std::string name = prefix.substr(0, digits);
   for (const DeviceKind &kind : kDeviceKinds) {
      if (name == kind.prefix) {
         return &kind;
      }
   }
   return nullptr;
}

SimVmxConfig::TeamFileLookup &TeamLookup()
{
   static SimVmxConfig::TeamFileLookup lookup;
   return lookup;
}

bool IsTrue(const std::string &value)
{
   return value == "TRUE" || value == "true" || value == "True" || value == "1" || value == "yes";
}

}  // namespace

const std::vector<SimVmxConfig::MirroredKey> &SimVmxConfig::MirroredKeys()
{
   static const std::vector<MirroredKey> keys = {
      {"displayName", "displayName", false},
      {"guestOS", "guestOS", false},
      {"memoryMB", "memoryMB", false},
      {"cpuCount", "cpuCount", false},
      {"annotation", "annotation", false},
      {"configVersion", "configVersion", false},
      {"hardwareVersion", "hardwareVersion", false},
      {"productCompat", "productCompat", false},
      {"replay.enabled", "replay/enabled", true},
      {"access.private", "access/private", true},
      {"teamFile", "teamFile", false},
      {"undopoint.disabled", "undopoint/disabled", true},
      {"gui.restricted", "gui/restricted", true},
      {"remoteDisplay.enabled", "remoteDisplay/enabled", true},
      {"remoteDisplay.port", "remoteDisplay/port", false},
      {"gui.powerOnAtStartup", "gui/powerOnAtStartup", true},
      {"gui.fullScreenAtPowerOn", "gui/fullScreenAtPowerOn", true},
      {"gui.exitAtPowerOff", "gui/exitAtPowerOff", true},
      {"templateVM", "templateVM", true},
      {"power.offMode", "power/offMode", false},
      {"power.suspendMode", "power/suspendMode", false},
      {"power.resetMode", "power/resetMode", false},
   };
   return keys;
}

void SimVmxConfig::SetTeamFileLookup(TeamFileLookup lookup)
{
   TeamLookup() = std::move(lookup);
}

bool SimVmxConfig::Load(const std::string &path, std::string &error)
{
   path_ = path;
   entries_.clear();
   if (!File_Exists(path)) {
      error = cui::Format("@&!*@*@(msg.host.vm.cfgMissing)The virtual machine configuration file \"%s\" was not "
                          "found. It may have been moved or deleted.", path.c_str());
      return false;
   }
   std::string detail;
   if (File_IsFolder(path) || !KeyValueFile::Read(path, entries_, detail)) {
      entries_.clear();
      std::string prefix = path + ": ";
      if (detail.compare(0, prefix.size(), prefix) == 0) {
         // A syntax error: the file is there but its content is not a configuration.
         error = cui::Format("@&!*@*@(msg.host.vm.cfgDamaged)The virtual machine configuration file \"%s\" is "
                             "damaged and cannot be read (%s).", path.c_str(), detail.substr(prefix.size()).c_str());
      } else {
         error = cui::Format("@&!*@*@(msg.host.vm.cfgUnreadable)The virtual machine configuration file \"%s\" "
                             "cannot be read. Check that it is a file and that you may read it.", path.c_str());
      }
      return false;
   }
   return true;
}

bool SimVmxConfig::Save(std::string &error) const
{
   // The file may have changed since it was read: one that cannot be read now is not replaced.
   std::vector<KeyValueEntry> onDisk;
   std::string detail;
   bool missing = false;
   if (!KeyValueFile::Read(path_, onDisk, detail, missing) && !missing) {
      error = cui::Format("@&!*@*@(msg.host.vm.cfgKept)The virtual machine configuration file \"%s\" was not "
                          "written: it cannot be read (%s), and it is kept as it is.", path_.c_str(), detail.c_str());
      return false;
   }
   if (!KeyValueFile::Write(path_, entries_, detail)) {
      error = cui::Format("@&!*@*@(msg.host.vm.cfgUnwritable)The virtual machine configuration file \"%s\" "
                          "could not be written: %s", path_.c_str(), detail.c_str());
      return false;
   }
   return true;
}

std::string SimVmxConfig::Get(const std::string &key, const std::string &defaultValue) const
{
   const std::string *value = KeyValueFile::Find(entries_, key);
   return value ? *value : defaultValue;
}

bool SimVmxConfig::GetBool(const std::string &key, bool defaultValue) const
{
   std::string value = Get(key);
   return value.empty() ? defaultValue : IsTrue(value);
}

long SimVmxConfig::GetInt(const std::string &key, long defaultValue) const
{
   std::string value = Get(key);
   char *end = nullptr;
   long number = std::strtol(value.c_str(), &end, 10);
   return value.empty() || *end != '\0' ? defaultValue : number;
}

void SimVmxConfig::Set(const std::string &key, const std::string &value)
{
   // The last entry wins on reading, so the last one is the one to change.
   for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
      if (it->key == key) {
         it->value = value;
         return;
      }
   }
   entries_.push_back({key, value});
}

std::string SimVmxConfig::BaseName(const std::string &path)
{
   size_t slash = path.find_last_of("\\/:");
   std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
   size_t dot = name.rfind('.');
   return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string SimVmxConfig::Folder(const std::string &path)
{
   size_t slash = path.find_last_of("\\/");
   return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string SimVmxConfig::GetDisplayName() const
{
   std::string name = Get("displayName");
   return name.empty() ? BaseName(path_) : name;
}

std::string SimVmxConfig::DeviceType(const std::string &prefix)
{
   const DeviceKind *kind = FindKind(prefix);
   return kind ? kind->type : std::string();
}

std::vector<SimVmxConfig::Device> SimVmxConfig::GetDevices() const
{
   std::vector<Device> devices;
   for (const KeyValueEntry &entry : entries_) {
      size_t dot = entry.key.find('.');
      if (dot == std::string::npos || entry.key.compare(dot, std::string::npos, ".present") != 0) {
         continue;
      }
      std::string prefix = entry.key.substr(0, dot);
      const DeviceKind *kind = FindKind(prefix);
      bool seen = false;
      for (const Device &device : devices) {
         seen = seen || device.key == prefix;
      }
      if (!kind || seen) {
         continue;
      }
      Device device;
      device.key = prefix;
      device.type = kind->type;
      device.label = cui::GetLocalString(kind->label);
      device.media = kind->removable ? "removable" : "";
      device.fileName = Get(prefix + ".fileName");
      device.mode = Get(prefix + ".mode");
      device.present = GetBool(prefix + ".present", false);
      device.startConnected = GetBool(prefix + ".startConnected", true);
      if (device.type == "ethernet") {
         device.network = Get(prefix + ".network");
         device.pvnID = Get(prefix + ".pvnID");
      }
      devices.push_back(device);
   }
   return devices;
}

void SimVmxConfig::MirrorTo(vmdb::Ctx &ctx, const std::string &valPath, long generationNo) const
{
   std::string val = cuiutil::WithSlash(valPath);
   vmdb::Batch batch(ctx);
   ctx.Remove(cuiutil::WithoutSlash(val), true);
   for (const MirroredKey &key : MirroredKeys()) {
      std::string value = Get(key.vmxKey);
      if (key.isBool) {
         value = GetBool(key.vmxKey, false) ? "1" : "0";
      } else if (key.dbName == std::string("displayName")) {
         value = GetDisplayName();
      } else if (key.dbName == std::string("teamFile") && TeamLookup()) {
         std::string teamFile = TeamLookup()(path_);
         value = teamFile.empty() ? value : teamFile;
      }
      ctx.Set(val + key.dbName, value);
   }
   ctx.Set(val + "generationNo", vmdb::Value(generationNo));
   DWORD attributes = GetFileAttributesW(WidePathFromUtf8(path_).c_str());
   bool readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
   ctx.Set(val + "readOnly", vmdb::Value(readOnly ? 1 : 0));
   for (const Device &device : GetDevices()) {
      std::string element = ctx.Append(val + "dev/#");
      ctx.Set(element + "key", device.key);
      ctx.Set(element + "type", device.type);
      ctx.Set(element + "label", device.label);
      ctx.Set(element + "media", device.media);
      ctx.Set(element + "fileName", device.fileName);
      ctx.Set(element + "mode", device.mode);
      ctx.Set(element + "present", vmdb::Value(device.present ? 1 : 0));
      ctx.Set(element + "startConnected", vmdb::Value(device.startConnected ? 1 : 0));
      if (device.type == "ethernet") {
         ctx.Set(element + "network", device.network);
         ctx.Set(element + "pvnID", device.pvnID);
      }
   }
   MirrorHistory(ctx, val, *this);
}

}  // namespace cuisim

// A machine's configuration file (".vmx", key = "value" lines) as the simulated host reads,
// mirrors into the database and writes back. Unknown keys are kept as they are.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "cui/VmdbCtx.h"
#include "tremorybase/KeyValueFile.h"

namespace cuisim {

class SimVmxConfig {
public:
   // One device: the keys "<key>.present", "<key>.fileName", ... of a known device prefix.
   struct Device {
      std::string key;        // "disk0"
      std::string type;       // "disk", "cdrom", "floppy", "ethernet", "sound", "usb"
      std::string label;      // shown to users
      std::string media;      // "removable" for cdrom and floppy, else empty
      std::string fileName;   // disk image or iso
      std::string mode;       // disks: "persistent", "independent-persistent", ...
      bool present = false;
      bool startConnected = true;   // removable devices: connected when the machine boots
      std::string network;   // adapters: "bridged", "nat", "hostonly", "custom", "pvn"
      std::string pvnID;     // adapters on a private network
   };

   // Reads `path`; false with a text a user understands (missing, unreadable, bad syntax).
   bool Load(const std::string &path, std::string &error);
   // Writes the entries back to the file they came from (or the one `SetPath` gave). A file
   // that is there but cannot be read (damaged since, a folder) is refused and kept as it is.
   bool Save(std::string &error) const;

   const std::string &GetPath() const { return path_; }
   void SetPath(const std::string &path) { path_ = path; }

   std::string Get(const std::string &key, const std::string &defaultValue = std::string()) const;
   // "TRUE", "true", "1", "yes" are true; a missing or empty value gives `defaultValue`.
   bool GetBool(const std::string &key, bool defaultValue) const;
   long GetInt(const std::string &key, long defaultValue) const;
   void Set(const std::string &key, const std::string &value);
   void SetBool(const std::string &key, bool value) { Set(key, value ? "TRUE" : "FALSE"); }

   // "displayName", or the file's base name when that is empty.
   std::string GetDisplayName() const;
   std::vector<Device> GetDevices() const;

   // Writes the mirror under `valPath` ("/vm/#0001/vmx/cfgState/val/"), replacing what was there.
   void MirrorTo(vmdb::Ctx &ctx, const std::string &valPath, long generationNo) const;

   // "disk0" gives "disk", "net1" gives "ethernet"; empty for a prefix that names no device.
   static std::string DeviceType(const std::string &prefix);
   // The file's base name without its folder and extension.
   static std::string BaseName(const std::string &path);
   // The folder part of `path` with its trailing separator; empty when it has none.
   static std::string Folder(const std::string &path);

   // The mirrored keys: configuration key -> name under "val/".
   struct MirroredKey {
      const char *vmxKey;
      const char *dbName;
      bool isBool;   // mirrored as "1" or "0"
   };
   static const std::vector<MirroredKey> &MirroredKeys();

   // Where MirrorTo finds the team file of an open team that holds the configuration: it is
   // mirrored as "teamFile" over the configuration's own. Empty: none.
   typedef std::function<std::string(const std::string & /*cfgPath*/)> TeamFileLookup;
   static void SetTeamFileLookup(TeamFileLookup lookup);

private:
   std::string path_;
   std::vector<KeyValueEntry> entries_;
};

}  // namespace cuisim

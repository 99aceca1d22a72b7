// The registered machines of the simulated hosts: "vms/registeredvms/#…/cfgPath" of each host
// node, kept per host in a list file (one configuration path a line) and loaded into the
// database when the host node is there. Host operations on "util/vm/cmd/##/":
//   "registerVM"     in/cfgPath: adds the file (its full path) to the host's list; a file already
//                    listed stays listed once. Refuses an empty path, a file that is not a ".vmx",
//                    one that is missing, unreadable or not a configuration.
//   "unregisterVM"   in/cfgPath: drops the file from the list; refuses one that is not listed.
// Entries whose file has gone stay listed, as a real host keeps them.
//
// The list file is "<folder>\<host name>.vms", the host name being the node's "name"
// ("localhost" for the local host "/host2/#0000/"), in any script, with each ASCII character but
// letters, digits, '.', '-' and '_' made "_". The folder is "Hosts" beside the database's user file
// (%APPDATA%\Tremory\Hosts by default), or what the configuration key "test.host.vmListFolder"
// names; a database without a user file keeps its lists in memory only.
//
// A list file that is there but cannot be read (not one path a line as this host writes them,
// cut short, too large, a folder in its place) is kept as it is: the host lists nothing from it,
// leaves a notice for the user (vmdb/Store.h) once a run, and refuses every registration and
// removal while it stays unreadable, so the list is never replaced by one of just the next entry.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "cui/VmdbCtx.h"
#include "tremsim/SimCmdOwner.h"

namespace cuisim {

class SimRegistry {
public:
   explicit SimRegistry(const vmdb::Ctx &ctx) : ctx_(ctx) {}

   void RegisterOps(SimCmdOwner &hostCmds);

   // Loads the host's list into its node once; nothing while the node is missing.
   void LoadHost(const std::string &hostPath);
   // A change below "/host2/": a host that appeared is loaded, one that went is forgotten.
   void OnHostChange(const std::string &changedPath);

   // Both throw cui::Error with a text a user understands; the list file is written first, so a
   // refused write leaves the database as it was.
   void Register(const std::string &hostPath, const std::string &cfgPath);
   void Unregister(const std::string &hostPath, const std::string &cfgPath);

   // The host's list file; empty when lists are kept in memory only.
   std::string ListFile(const std::string &hostPath) const;
   // Lines of a list file, blank ones skipped; a missing file is an empty list. False when it
   // exists and cannot be read, with what is wrong in `error` ("line 3: not UTF-8 text").
   static bool ReadList(const std::string &file, std::vector<std::string> &paths, std::string &error);
   // Writes a temporary file, then renames it over `file`; makes the folder when missing.
   static bool WriteList(const std::string &file, const std::vector<std::string> &paths, std::string &error);

   static const char kLocalHost[];   // "/host2/#0000/"

private:
   std::string HostName(const std::string &hostPath) const;
   // The element of the host's list for the file; empty when it is not listed.
   std::string FindEntry(const std::string &hostPath, const std::string &fullPath) const;
   std::vector<std::string> Listed(const std::string &hostPath) const;
   void Save(const std::string &hostPath, const std::vector<std::string> &paths) const;
   // Reads the host's list file (`file`, empty when lists are kept in memory only: nothing to
   // read). False with `error` when it is there and cannot be read.
   bool ReadHostList(const std::string &host, std::string &file, std::vector<std::string> &paths,
                     std::string &error) const;
   // Adds the paths of the host's list file that the database does not list yet.
   void AddListed(const std::string &host, const std::vector<std::string> &paths, const std::string &file);
   // Throws the refusal while the host's list file cannot be read; a list mended meanwhile is
   // loaded first.
   void RequireReadableList(const std::string &host);

   vmdb::Ctx ctx_;
   std::set<std::string> loaded_;
   std::set<std::string> unreadable_;   // hosts whose list could not be read, told once
};

}  // namespace cuisim

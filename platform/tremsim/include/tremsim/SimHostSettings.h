// The host settings the simulated host keeps: "settingsState/val/..." of each host node. They
// are kept per host in a settings file (`key = "value"` lines, keys below "val/") beside the
// host's list of registered machines ("<host name>.settings"), loaded into the node when the
// host appears, and written again whenever a request changes them, so they survive a restart.
// A host without a list folder keeps its settings in memory only. Values a host has never been
// given start at their defaults (the default machine folder below the user's documents, three
// quarters of the host's memory reserved, and so on).
//
// A request is refused, with a text for the user, when it asks for:
//   - a default machine folder that is empty, cannot be made or cannot be written to;
//   - reserved memory ("memory/max") that is not a number, below 4 MB or above the host's memory;
//   - a choice the host does not know ("memory/swap", "priority/grabbed", "priority/ungrabbed");
//   - a port ("connections/port") outside 1-65535.
// Each accepted request counts the state's "version" up; a request whose "baseVersion" (the
// version its sender showed) is not the current one was made over settings another client
// changed meanwhile, and is refused with "status/error/code" 0x80040114.
// A settings file that is there but cannot be read (bad syntax, a folder in its place) is kept
// as it is: the host starts from the defaults, and every request is refused, naming the file
// and what is wrong with it ("line 3: missing closing quote"), while it stays unreadable.
// The lockout policies ("policy/<name>") of accepted settings are applied to the host's own
// "policy/" node, where the program looks them up.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "cui/VmdbCtx.h"
#include "tremsim/SimRegistry.h"

namespace cuisim {

class SimHostSettings {
public:
   SimHostSettings(const vmdb::Ctx &ctx, const SimRegistry &registry) : ctx_(ctx), registry_(registry) {}

   // Loads the host's settings into its node once, and the defaults of what they lack.
   void LoadHost(const std::string &hostPath);
   // A change below "/host2/": a host that appeared is loaded, one that went is forgotten.
   void OnHostChange(const std::string &changedPath);

   // Checks the values the request element asks for and, when they can be taken, saves the
   // host's settings as they will be once merged. Empty when accepted, else the refusal.
   std::string Accept(const std::string &statePath, const std::string &element);

   // The host's settings file; empty when settings are kept in memory only.
   std::string SettingsFile(const std::string &hostPath) const;
   // The refusal of one value (key below "val/"), empty when the host takes it.
   std::string Check(const std::string &hostPath, const std::string &key, const std::string &value) const;
   // What a host that was never given a value starts with.
   std::vector<std::pair<std::string, std::string>> Defaults(const std::string &hostPath) const;
   long HostMemoryMB(const std::string &hostPath) const;

private:
   // The values of a subtree as (key below it, value) pairs.
   std::vector<std::pair<std::string, std::string>> Values(const std::string &root) const;
   void ApplyPolicies(const std::string &hostPath, const std::vector<std::pair<std::string, std::string>> &values);
   // The refusal of a request while the host's settings file is there but cannot be read; a file
   // mended meanwhile is loaded first. Empty when the file may be written.
   std::string RequireReadableFile(const std::string &host);

   vmdb::Ctx ctx_;
   const SimRegistry &registry_;
   std::set<std::string> loaded_;
   std::set<std::string> unreadable_;   // hosts whose settings file could not be read
};

}  // namespace cuisim

// The machines registered on a host as the open dialogs list them: an indexed collection of
// entries, each with an identifier, a display name and a configuration file path.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace cui {

class Host;

class HostVMList {
public:
   struct Entry {
      std::string id;            // the registration's node on the host
      std::string displayName;   // empty when nothing names the machine
      std::string cfgPath;       // empty for a registration without a file
   };

   // The host's registrations in the order of "vms/registeredvms/#", read now. The display name
   // is the open machine's name, else the configuration file's "displayName". No host, or a
   // host without a node, gives an empty list.
   static std::shared_ptr<HostVMList> FromHost(Host *host);

   explicit HostVMList(std::vector<Entry> entries) : entries_(std::move(entries)) {}

   size_t GetCount() const { return entries_.size(); }
   // The entry at `index`; throws std::out_of_range past the end.
   const Entry &GetItem(size_t index) const { return entries_.at(index); }

private:
   std::vector<Entry> entries_;
};

}  // namespace cui

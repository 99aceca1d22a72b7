// A host's settings as the open and new-machine dialogs read them: the values of the host's
// "settingsState/val/" node.
#pragma once

#include <string>

namespace cui {

class Host;

class HostSettings {
public:
   explicit HostSettings(Host *host) : host_(host) {}

   // Where the host keeps new machines ("settingsState/val/defaultVmPath"); empty when the host
   // does not say, or for no host.
   std::string GetDefaultVmPath() const;

private:
   Host *host_;
};

}  // namespace cui

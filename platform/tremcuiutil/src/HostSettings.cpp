#include "cui/HostSettings.h"

#include "cui/Host.h"

namespace cui {

std::string HostSettings::GetDefaultVmPath() const
{
   if (!host_ || host_->GetPath().empty()) {
      return std::string();
   }
   return host_->GetCtx().Get(host_->GetPath() + "settingsState/val/defaultVmPath");
}

}  // namespace cui

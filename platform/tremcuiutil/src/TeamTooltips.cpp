#include "cui/LocalizedString.h"
#include "cui/Team.h"

namespace cui {

std::string Team::GetPowerOnTooltip() const
{
   return GetPowerSuspendActionState() == 3
             ? Format("@&!*@*@(msg.team.tooltip.resume)Resume the virtual machines of the team \"%s\"", name_.c_str())
             : Format("@&!*@*@(msg.team.tooltip.powerOn)Power on the virtual machines of the team \"%s\"",
                      name_.c_str());
}

std::string Team::GetPowerOffTooltip() const
{
   return Format("@&!*@*@(msg.team.tooltip.powerOff)Power off the virtual machines of the team \"%s\"", name_.c_str());
}

std::string Team::GetPowerSuspendTooltip() const
{
   return Format("@&!*@*@(msg.team.tooltip.suspend)Suspend the virtual machines of the team \"%s\"", name_.c_str());
}

std::string Team::GetPowerResetTooltip() const
{
   return Format("@&!*@*@(msg.team.tooltip.reset)Reset the virtual machines of the team \"%s\"", name_.c_str());
}

}  // namespace cui

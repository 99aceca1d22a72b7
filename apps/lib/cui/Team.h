// A team of machines, kept in a team file.
#pragma once

#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/VM.h"

namespace cui {

class TeamNet;

class Team : public sigc::trackable {
public:
   Team(std::string filename, std::string name);
   virtual ~Team();

   const std::string &GetFilename() const { return filename_; }
   const std::string &GetName() const { return name_; }
   const std::vector<VM *> &GetVMs() const { return vms_; }
   VM *GetCurrentVM() const { return current_; }
   // Powered on when any machine is, else the state of the first machine, else powered off.
   VM::PowerState GetPowerState() const;
   bool HasVM(const std::string &vmPath) const;
   // The team's networks (LAN segments), owned by the team.
   const std::vector<TeamNet *> &GetNets() const { return nets_; }
   // 3 while the team is suspended (power on then resumes it), else 1 when it can be suspended
   // (a machine runs), else 0.
   int GetPowerSuspendActionState() const;
   // The power buttons' tooltips for the team (TeamTooltips.cpp).
   std::string GetPowerOnTooltip() const;
   std::string GetPowerOffTooltip() const;
   std::string GetPowerSuspendTooltip() const;
   std::string GetPowerResetTooltip() const;
   // What the user may do with the team now: nothing while it is busy; deleting needs every
   // machine off.
   bool GetCanAddRemove() const { return !busy_; }
   bool GetCanEditSettings() const { return !busy_; }
   bool GetCanDeleteTeam() const { return !busy_ && GetPowerState() != VM::POWERED_ON; }
   bool GetCanDeleteVM() const { return GetCanDeleteTeam(); }

   sigc::signal<void> changed;

protected:
   std::string filename_;
   std::string name_;
   std::vector<VM *> vms_;   // owned by the machine manager
   VM *current_ = nullptr;
   std::vector<TeamNet *> nets_;
   bool busy_ = false;
};

}  // namespace cui

namespace wui {

// The Windows side's team: the one the team manager hands out.
class Team : public cui::Team {
public:
   using cui::Team::Team;

   bool GetBusy() const { return busy_; }
   // Whether the team can go to power state `state` now (0 on, 1 off, 2 suspended, 4 reset).
   bool IsPowerStateEnabled(int state) const;
   // Makes one of the team's own machines its current one; raises `changed`.
   void SetCurrentVM(cui::VM *vm)
   {
      if (vm && vm != current_ && HasVM(vm->GetVmPath())) {
         current_ = vm;
         changed.emit();
      }
   }
};

}  // namespace wui

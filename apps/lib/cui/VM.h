// A virtual machine as the model library knows it.
#pragma once

#include <string>

#include <sigc++/sigc++.h>

namespace cui {

class VM : public sigc::trackable {
public:
   enum PowerState { POWERED_ON = 0, POWERED_OFF = 1, SUSPENDED = 2, POWER_UNKNOWN = 3 };
   // State of one power action: not possible now, possible, under way.
   enum ActionState { ACTION_UNAVAILABLE = 0, ACTION_AVAILABLE = 1, ACTION_RUNNING = 2 };

   // `vmPath` is the machine's database node ("/vm/#0001/"), `filename` its configuration file.
   VM(std::string vmPath, std::string filename, std::string name);
   virtual ~VM();

   const std::string &GetVmPath() const { return vmPath_; }
   const std::string &GetFilename() const { return filename_; }
   const std::string &GetName() const { return name_; }
   PowerState GetPowerState() const { return powerState_; }
   ActionState GetPowerOnActionState() const { return powerOnAction_; }
   ActionState GetPowerOffActionState() const { return powerOffAction_; }
   ActionState GetPowerSuspendActionState() const { return suspendAction_; }
   bool GetInTeam() const { return inTeam_; }
   bool GetPowerOnAtStartup() const { return powerOnAtStartup_; }
   bool GetGUIRestricted() const { return guiRestricted_; }

   sigc::signal<void> changed;
   sigc::signal<void> powerStateChanged;

protected:
   // Raises powerStateChanged and changed when the state differs.
   void SetPowerState(PowerState state);

   std::string vmPath_;
   std::string filename_;
   std::string name_;
   PowerState powerState_ = POWERED_OFF;
   ActionState powerOnAction_ = ACTION_AVAILABLE;
   ActionState powerOffAction_ = ACTION_UNAVAILABLE;
   ActionState suspendAction_ = ACTION_UNAVAILABLE;
   bool inTeam_ = false;
   bool powerOnAtStartup_ = false;
   bool guiRestricted_ = false;
};

}  // namespace cui

namespace wui {

// The Windows side's machine: the one the machine manager hands out.
class VM : public cui::VM {
public:
   using cui::VM::VM;
};

}  // namespace wui

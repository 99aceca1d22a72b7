// A team of machines, kept in a team file.
#pragma once

#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/VM.h"

namespace cui {

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

   sigc::signal<void> changed;

protected:
   std::string filename_;
   std::string name_;
   std::vector<VM *> vms_;   // owned by the machine manager
   VM *current_ = nullptr;
};

}  // namespace cui

namespace wui {

// The Windows side's team: the one the team manager hands out.
class Team : public cui::Team {
public:
   using cui::Team::Team;
};

}  // namespace wui

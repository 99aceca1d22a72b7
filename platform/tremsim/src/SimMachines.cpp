#include "tremsim/SimMachines.h"

#include <cstdlib>

#include "SimHostConfig.h"
#include "cui/Error.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"
#include "tremsim/SimSnapshots.h"

namespace cuisim {

namespace {

std::string InUseText(const std::string &cfgPath)
{
   return cui::Format("@&!*@*@(msg.host.vm.inUse)The virtual machine \"%s\" is in use by another program or "
                      "user. Close it there, or wait until it is closed, and try again.", cfgPath.c_str());
}

// Takes the lock file of `cfgPath`; INVALID_HANDLE_VALUE where the folder takes no lock file
// (read-only media). Throws when someone else holds it.
HANDLE TakeLock(const std::string &cfgPath)
{
   std::string lock = SimMachines::LockPath(cfgPath);
   HANDLE handle = CreateFileW(WidePathFromUtf8(lock).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
   if (handle != INVALID_HANDLE_VALUE) {
      return handle;
   }
   DWORD error = GetLastError();
   bool exists = File_Exists(lock);
   if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || (error == ERROR_ACCESS_DENIED && exists)) {
      throw cui::Error(InUseText(cfgPath));
   }
   Warning("SimHost: %s is opened without a lock file (error %lu)\n", cfgPath.c_str(), error);
   return INVALID_HANDLE_VALUE;
}

}  // namespace

SimMachines::~SimMachines()
{
   // Ending work under way writes its end state to the machines' files; the locks go with them.
   machines_.clear();
}

void SimMachines::RegisterOps(SimCmdOwner &hostCmds, SimCmdOwner &vmCmds)
{
   hostCmds.Register("openVM", [this](SimCommand &cmd) {
      SimMachine &machine = Open(cmd.In("cfgPath"), cmd.In("client"), cmd.In("user"));
      cmd.SetOut("vmPath", machine.GetVmPath());
   });
   hostCmds.Register("closeVM", [this](SimCommand &cmd) { Close(cmd.In("vmPath")); });
   for (const char *op : {"powerOn", "powerOff", "suspend", "reset"}) {
      vmCmds.Register(op, [this](SimCommand &cmd) { OnPowerOp(cmd); });
   }
   vmCmds.Register("setCfgState", [this](SimCommand &cmd) { OnSetCfgState(cmd); });
   SimSnapshots::RegisterOps(vmCmds, *this);
   vmCmds.OnFailure([this](SimCommand &cmd, const std::string &error) {
      if (SimMachine *machine = Find(cmd.Owner())) {
         machine->LogFailure(cmd.Op(), error);
      }
   });
}

SimMachine &SimMachines::Open(const std::string &cfgPath, const std::string &client, const std::string &user)
{
   if (cfgPath.empty()) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.vm.noPath)No virtual machine configuration file was given."));
   }
   // Registered already, by this host or by another that shares the database.
   bool registered = FindByCfgPath(cfgPath) != nullptr;
   for (const std::string &vm : ctx_.Elements("/vm/#")) {
      registered = registered || cuiutil::SameFilePath(ctx_.Get(vm + "cfgFile"), cfgPath);
   }
   if (registered) {
      throw cui::Error(InUseText(cfgPath));
   }
   SimVmxConfig config;
   std::string error;
   if (!config.Load(cfgPath, error)) {
      throw cui::Error(error);
   }
   HANDLE lock = TakeLock(cfgPath);
   std::unique_ptr<SimMachine> machine(new SimMachine(ctx_, std::move(config), lock, client));
   machine->SetOpener(SimConnections::Opener(user));
   std::string vmPath = machine->Register();
   SimMachine &opened = *machine;
   machines_[vmPath] = std::move(machine);
   return opened;
}

void SimMachines::Close(const std::string &vmPath)
{
   auto it = machines_.find(cuiutil::WithSlash(vmPath));
   if (it == machines_.end()) {
      // Gone already: closing twice is no failure, but an unknown node is left alone.
      Log("SimHost: closeVM: %s is not open\n", vmPath.c_str());
      return;
   }
   it->second->Unregister();
   machines_.erase(it);
}

SimMachine *SimMachines::Find(const std::string &vmPath) const
{
   auto it = machines_.find(cuiutil::WithSlash(vmPath));
   return it == machines_.end() ? nullptr : it->second.get();
}

SimMachine *SimMachines::FindByCfgPath(const std::string &cfgPath) const
{
   for (const auto &entry : machines_) {
      if (cuiutil::SameFilePath(entry.second->GetCfgPath(), cfgPath)) {
         return entry.second.get();
      }
   }
   return nullptr;
}

SimMachine &SimMachines::Machine(SimCommand &cmd) const
{
   SimMachine *machine = Find(cmd.Owner());
   if (!machine) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.vm.notOpen)The virtual machine is not open on the host."));
   }
   return *machine;
}

void SimMachines::OnPowerOp(SimCommand &cmd)
{
   SimMachine &machine = Machine(cmd);
   vmdb::Ctx ctx = cmd.Ctx();
   std::string element = cmd.Element();
   int option = static_cast<int>(std::strtol(cmd.In("option").c_str(), nullptr, 10));
   std::string error = machine.StartPower(cmd.Op(), option, [ctx, element](const std::string &result) mutable {
      SimCmdOwner::Answer(ctx, element, result);
   });
   if (!error.empty()) {
      throw cui::Error(error);
   }
   cmd.Defer();
}

std::vector<std::pair<std::string, std::string>> SimMachines::CollectValues(vmdb::Ctx &ctx, const std::string &path,
                                                                           long &generationNo) const
{
   std::vector<std::pair<std::string, std::string>> values;
   // Values may sit deeper than one level ("gui/restricted", "dev/#0002/present"): collect the leaves.
   std::vector<std::string> stack = {""};
   while (!stack.empty()) {
      std::string rel = stack.back();
      stack.pop_back();
      std::vector<std::string> children = ctx.Children(path + (rel.empty() ? "" : "/" + rel));
      if (children.empty() && !rel.empty()) {
         std::string value = ctx.Get(path + "/" + rel);
         if (rel == "generationNo") {
            generationNo = std::strtol(value.c_str(), nullptr, 10);
         } else {
            values.push_back({rel, value});
         }
      }
      // Reversed, so the stack hands them out in database order.
      for (auto child = children.rbegin(); child != children.rend(); ++child) {
         stack.push_back(rel.empty() ? *child : rel + "/" + *child);
      }
   }
   return values;
}

void SimMachines::OnSetCfgState(SimCommand &cmd)
{
   SimMachine &machine = Machine(cmd);
   long generationNo = -1;
   std::vector<std::pair<std::string, std::string>> values =
      CollectValues(cmd.Ctx(), cmd.Element() + "op/" + cmd.Op() + "/in/val", generationNo);
   std::string error = machine.SetCfgState(generationNo, values);
   if (!error.empty()) {
      throw cui::Error(error);
   }
}

bool SimMachines::ApplyCfgRequest(const std::string &statePath)
{
   const char kStateName[] = "cfgState";
   std::string state = cuiutil::WithSlash(statePath);
   std::string element = cuiutil::WithSlash(ctx_.Get(state + "new"));
   if (element.empty() || SimHostConfig::NeverAnswers(kStateName)) {
      return false;
   }
   std::string queue = state + "req/";
   if (element.compare(0, queue.size(), queue) != 0 || element.size() == queue.size() || !ctx_.Exists(element)) {
      Warning("SimHost: %snew names %s, which is no request of that state\n", state.c_str(), element.c_str());
      ctx_.Set(state + "new", "");
      return true;
   }
   std::string error;
   // "/vm/#0001/vmx/cfgState/" belongs to "/vm/#0001/".
   SimMachine *machine = Find(state.substr(0, state.find('/', 4) + 1));
   if (SimHostConfig::Fails(kStateName)) {
      error = SimHostConfig::FailText(kStateName);
   } else if (!machine) {
      error = cui::GetLocalString("@&!*@*@(msg.host.vm.notOpen)The virtual machine is not open on the host.");
   } else {
      long generationNo = -1;
      std::vector<std::pair<std::string, std::string>> values =
         CollectValues(ctx_, cuiutil::WithoutSlash(element + "val"), generationNo);
      error = machine->SetCfgState(generationNo, values);
   }
   vmdb::Batch batch(ctx_);
   if (!error.empty()) {
      Log("SimHost: the request %s failed: %s\n", element.c_str(), error.c_str());
      ctx_.Set(element + "status/error/errMsg", error);
   }
   ctx_.Set(element + "status", error.empty() ? "ok" : "error");
   ctx_.Set(state + "new", "");
   return true;
}

}  // namespace cuisim

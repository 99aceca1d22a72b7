#include "tremsim/SimHost.h"

#include "SimHostConfig.h"
#include "SimRecorder.h"
#include "SimScreenshot.h"
#include "tremorybase/Log.h"
#include "tremsim/SimClone.h"
#include "tremsim/SimDevices.h"
#include "tremsim/SimFavorites.h"
#include "tremsim/SimMachineFiles.h"
#include "tremsim/SimStateOwner.h"
#include "vmdb/Store.h"

namespace cuisim {

namespace {

std::vector<std::string> Split(const std::string &path)
{
   std::vector<std::string> parts;
   size_t pos = path.empty() || path[0] != '/' ? 0 : 1;
   while (pos < path.size()) {
      size_t end = path.find('/', pos);
      if (end == std::string::npos) {
         end = path.size();
      }
      if (end > pos) {
         parts.push_back(path.substr(pos, end - pos));
      }
      pos = end + 1;
   }
   return parts;
}

std::string Join(const std::vector<std::string> &parts, size_t count)
{
   std::string path = "/";
   for (size_t i = 0; i < count; i++) {
      path += parts[i] + "/";
   }
   return path;
}

bool IsElement(const std::string &name)
{
   return name.size() > 1 && name[0] == '#';
}

std::unique_ptr<SimHost> &Instance()
{
   static std::unique_ptr<SimHost> instance;
   return instance;
}

}  // namespace

SimWork SimWork::FromChange(const std::string &changedPath)
{
   SimWork work;
   // Only a command's "op", a request's "new" and the preferences' element ask anything of the
   // host: every other write (most of them the host's own) is told apart without splitting it.
   std::string_view path = changedPath;
   std::string_view last = path.substr(path.rfind('/') + 1);
   std::string_view prefs = SimStateOwner::kPrefsElement;
   if (last != "op" && last != "new" && !(prefs.size() == path.size() + 1 && prefs.compare(0, path.size(), path) == 0)) {
      return work;
   }
   std::vector<std::string> p = Split(changedPath);
   size_t n = p.size();
   if (n < 2 || !IsElement(p[1])) {
      if (changedPath + "/" == SimStateOwner::kPrefsElement) {
         work.kind = PrefsElement;
         work.target = SimStateOwner::kPrefsElement;
      } else if (n >= 3 && p[0] == "user" && p[n - 1] == "new" && SimStateOwner::Owns(p[n - 2])) {
         work.kind = StateRequest;
         work.target = Join(p, n - 1);
      }
      return work;
   }
   if (p[0] == "host2" && n == 7 && p[2] == "util" && p[3] == "vm" && p[4] == "cmd" && IsElement(p[5]) && p[6] == "op") {
      work.kind = HostCommand;
   } else if (p[0] == "vm" && n == 5 && p[2] == "cmd" && IsElement(p[3]) && p[4] == "op") {
      work.kind = MachineCommand;
   } else if (p[0] == "vm" && n == 6 && p[2] == "user" && p[3] == "cmd" && IsElement(p[4]) && p[5] == "op") {
      work.kind = MachineUserCommand;
   } else if (p[0] == "vm" && n == 5 && p[2] == "vmx" && p[3] == "cfgState" && p[4] == "new") {
      work.kind = CfgRequest;
   } else if ((p[0] == "host2" || p[0] == "vm") && n >= 4 && p[n - 1] == "new" && SimStateOwner::Owns(p[n - 2])) {
      work.kind = StateRequest;
      work.owner = Join(p, 2);
      work.target = Join(p, n - 1);
      return work;
   } else {
      return work;
   }
   work.owner = Join(p, 2);
   work.target = Join(p, n - 1);
   return work;
}

SimHost::SimHost(const vmdb::Ctx &ctx) : ctx_(ctx.NewCtx())
{
   for (const char *root : {"/host2", "/vm", "/user"}) {
      watches_.push_back(ctx_.Watch(root, vmdb::Ctx::kWatchSubtree,
                                    [this](const std::string &changed) { OnChange(changed); }));
   }
   RegisterMachineUserOps(vmUserCmds_);
   machines_.RegisterOps(hostCmds_, vmCmds_);
   creator_.RegisterOps(hostCmds_);
   registry_.RegisterOps(hostCmds_);
   movies_.RegisterOps(vmCmds_);
   RegisterScreenshotOps(vmCmds_, machines_);
   RegisterMachineFileOps(hostCmds_, vmCmds_, machines_, registry_);
   RegisterRecorderOps(vmCmds_, machines_);
   RegisterCloneOps(hostCmds_, vmCmds_, machines_);
   RegisterDeviceOps(vmCmds_, machines_);
   teams_.RegisterOps(hostCmds_);
   ScanAtStart();
}

SimHost::~SimHost()
{
   for (sigc::connection &watch : watches_) {
      watch.disconnect();
   }
   for (PollTimerId timer : timers_) {
      Poll_RemoveTimer(timer);
   }
}

void SimHost::OnChange(const std::string &changedPath)
{
   registry_.OnHostChange(changedPath);
   settings_.OnHostChange(changedPath);
   SimWork work = SimWork::FromChange(changedPath);
   if (work.kind != SimWork::None) {
      Schedule(work);
   }
}

void SimHost::Schedule(const SimWork &work)
{
   if (!pending_.insert({work.kind, work.target}).second) {
      return;
   }
   // The id is known only once the timer exists; the callback finds it through a shared slot.
   auto id = std::make_shared<PollTimerId>(0);
   *id = Poll_AddTimer(SimHostConfig::DelayMs(), false, [this, work, id]() {
      timers_.erase(*id);
      pending_.erase({work.kind, work.target});
      Carry(work);
   });
   timers_.insert(*id);
}

void SimHost::Carry(const SimWork &work)
{
   try {
      switch (work.kind) {
      case SimWork::HostCommand:
         hostCmds_.Execute(ctx_, work.owner, work.target);
         break;
      case SimWork::MachineCommand:
         vmCmds_.Execute(ctx_, work.owner, work.target);
         break;
      case SimWork::MachineUserCommand:
         vmUserCmds_.Execute(ctx_, work.owner, work.target);
         break;
      case SimWork::StateRequest:
         ApplyStateRequest(work.target, true);
         break;
      case SimWork::CfgRequest:
         machines_.ApplyCfgRequest(work.target);
         break;
      case SimWork::PrefsElement:
         SimStateOwner::SeedPrefsElement(ctx_);
         break;
      case SimWork::None:
         break;
      }
   } catch (const std::exception &e) {
      Warning("SimHost: %s failed: %s\n", work.target.c_str(), e.what());
   }
}

void SimHost::ScanAtStart()
{
   try {
      for (const char *state : {"/user/prefState/", SimFavorites::kState}) {
         SimStateOwner::Apply(ctx_, state, false);
      }
      SimFavorites::Purge(ctx_, SimFavorites::kState);
      SimStateOwner::SeedPrefsElement(ctx_);
      for (const std::string &host : ctx_.Elements("/host2/#")) {
         registry_.LoadHost(host);
         settings_.LoadHost(host);
         ApplyStateRequest(host + "settingsState/", false);
         for (const std::string &cmd : ctx_.Elements(host + "util/vm/cmd/#")) {
            Schedule(SimWork::FromChange(cmd + "op"));
         }
      }
      for (const std::string &vm : ctx_.Elements("/vm/#")) {
         for (const char *state : {"settingsState/", "mks/grabState/"}) {
            SimStateOwner::Apply(ctx_, vm + state, false);
         }
         for (const char *queue : {"cmd/#", "user/cmd/#"}) {
            for (const std::string &cmd : ctx_.Elements(vm + queue)) {
               Schedule(SimWork::FromChange(cmd + "op"));
            }
         }
      }
   } catch (const std::exception &e) {
      Warning("SimHost: looking for work left from before failed: %s\n", e.what());
   }
}

void SimHost::ApplyStateRequest(const std::string &statePath, bool keepStatus)
{
   if (statePath.compare(0, 7, "/host2/") == 0 && SimStateOwner::StateName(statePath) == "settingsState") {
      SimStateOwner::Apply(ctx_, statePath, keepStatus, [this](const std::string &state, const std::string &element) {
         return settings_.Accept(state, element);
      });
      return;
   }
   if (SimDevices::IsUsbConnectState(statePath)) {
      SimStateOwner::Apply(ctx_, statePath, keepStatus, [this](const std::string &state, const std::string &element) {
         return SimDevices::AcceptUsbRequest(ctx_, state, element);
      });
      return;
   }
   SimStateOwner::Apply(ctx_, statePath, keepStatus);
}

void SimHost::RunFor(const vmdb::Ctx &ctx)
{
   std::unique_ptr<SimHost> &instance = Instance();
   if (!ctx.IsValid()) {
      instance.reset();
      return;
   }
   auto storeOf = [](const vmdb::Ctx &c) { return &vmdbstore::ContextFromRawHandle(c.GetRawHandle())->GetStore(); };
   if (instance && storeOf(instance->ctx_) == storeOf(ctx)) {
      return;
   }
   instance.reset();
   instance.reset(new SimHost(ctx));
   Log("SimHost: answering for the hosts and machines of the database\n");
}

SimHost *SimHost::Get()
{
   return Instance().get();
}

void SimHost::LoadRegisteredVMs(const vmdb::Ctx &ctx, const std::string &hostPath)
{
   SimHost *host = Get();
   if (!host || !ctx.IsValid() || hostPath.empty()) {
      return;
   }
   auto storeOf = [](const vmdb::Ctx &c) { return &vmdbstore::ContextFromRawHandle(c.GetRawHandle())->GetStore(); };
   if (storeOf(host->ctx_) == storeOf(ctx)) {
      host->registry_.LoadHost(hostPath);
   }
}

}  // namespace cuisim

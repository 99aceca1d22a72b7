#include "cui/VM.h"

#include <windows.h>

#include <cstdlib>

#include "ModelCmd.h"
#include "PathText.h"
#include "cui/GuestOS.h"
#include "cui/LocalizedString.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace cui {

namespace {

VM::PowerState PowerStateOf(const std::string &execState)
{
   if (execState == "poweredOn") {
      return VM::POWERED_ON;
   }
   return execState == "suspended" ? VM::SUSPENDED : VM::POWERED_OFF;
}

// Posts `abort` with `text`: the slot conventions never call back inside the call.
void PostAbort(const AbortSlot &abort, const std::string &text)
{
   AbortSlot slot = abort;
   Error error(text);
   Poll_Post([slot, error]() { CallSlot(slot, false, error); });
}

template <class T>
bool Update(T &member, const T &value)
{
   if (member == value) {
      return false;
   }
   member = value;
   return true;
}

}  // namespace

VM::VM(const vmdb::Ctx &ctx, const std::string &vmPath, Host *host)
   : ctx_(ctx.NewCtx()), vmPath_(cuiutil::WithSlash(vmPath)), host_(host)
{
   Refresh();
   watch_ = ctx_.Watch(cuiutil::WithoutSlash(vmPath_), vmdb::Ctx::kWatchSubtree,
                       [this](const std::string &) { OnWatch(); });
}

VM::~VM()
{
   watch_.disconnect();
}

std::string VM::GetGuestOSName() const
{
   const GuestOSInfo *os = FindGuestOS(guestOS_);
   return (os ? *os : OtherGuestOS()).displayName;
}

void VM::OnWatch()
{
   if (registered_) {
      Refresh();
   }
}

void VM::SetUnregistered()
{
   registered_ = false;
   watch_.disconnect();
}

void VM::Refresh()
{
   if (!ctx_.Exists(cuiutil::WithoutSlash(vmPath_) + "/cfgFile")) {
      if (registered_) {
         vanished.emit();   // the manager takes it out and raises `removed`
      }
      return;
   }
   const std::string cfg = vmPath_ + "vmx/cfgState/val/";
   const std::string exec = vmPath_ + "vmx/execState/";

   bool nameDiffers = Update(name_, ctx_.Get(cfg + "displayName"));
   bool notesDiffer = Update(notes_, ctx_.Get(cfg + "annotation"));
   bool configDiffers = Update(generationNo_, ctx_.GetInt(cfg + "generationNo", -1));
   configDiffers = Update(filename_, ctx_.Get(vmPath_ + "cfgFile")) || configDiffers;
   guestOS_ = ctx_.Get(cfg + "guestOS");
   memoryMB_ = ctx_.GetInt(cfg + "memoryMB", 0);
   cpuCount_ = ctx_.GetInt(cfg + "cpuCount", 1);
   configVersion_ = static_cast<int>(ctx_.GetInt(cfg + "configVersion", 0));
   hardwareVersion_ = static_cast<int>(ctx_.GetInt(cfg + "hardwareVersion", 0));
   guiRestricted_ = ctx_.GetBool(cfg + "gui/restricted", false);
   powerOnAtStartup_ = ctx_.GetBool(cfg + "gui/powerOnAtStartup", false);
   fullScreenAtPowerOn_ = ctx_.GetBool(cfg + "gui/fullScreenAtPowerOn", false);
   exitAtPowerOff_ = ctx_.GetBool(cfg + "gui/exitAtPowerOff", false);
   teamFile_ = ctx_.Get(cfg + "teamFile");

   bool powerDiffers = Update(powerState_, PowerStateOf(ctx_.Get(exec + "val")));
   bool actionDiffers = Update(pending_, ctx_.Get(exec + "pending"));
   poweredOnAt_ = static_cast<time_t>(std::strtoll(ctx_.Get(exec + "poweredOnAt").c_str(), nullptr, 10));
   screenshot_ = ctx_.Get(exec + "screenshot");

   if (configDiffers) {
      configChanged.emit();
   }
   if (nameDiffers) {
      nameChanged.emit();
   }
   if (notesDiffer) {
      notesChanged.emit();
   }
   if (powerDiffers) {
      powerStateChanged.emit();
   }
   if (actionDiffers) {
      actionStateChanged.emit();
   }
   changed.emit();
}

VM::ActionState VM::GetPowerOnActionState() const
{
   std::string op = PendingPowerOp();
   if (op == "powerOn") {
      return ACTION_RUNNING;
   }
   return op.empty() && registered_ && powerState_ != POWERED_ON ? ACTION_AVAILABLE : ACTION_UNAVAILABLE;
}

VM::ActionState VM::GetPowerOffActionState() const
{
   std::string op = PendingPowerOp();
   if (op == "powerOff") {
      return ACTION_RUNNING;
   }
   return op.empty() && registered_ && powerState_ != POWERED_OFF ? ACTION_AVAILABLE : ACTION_UNAVAILABLE;
}

VM::ActionState VM::GetPowerSuspendActionState() const
{
   std::string op = PendingPowerOp();
   if (op == "suspend") {
      return ACTION_RUNNING;
   }
   return op.empty() && registered_ && powerState_ == POWERED_ON ? ACTION_AVAILABLE : ACTION_UNAVAILABLE;
}

bool VM::GetBusy(int mask) const
{
   return (mask & BUSY_POWER) && !PendingPowerOp().empty();
}

void VM::SetPowerState(PowerState state, PowerOption option, const AbortSlot &abort, const DoneSlot &done)
{
   const char *op = nullptr;
   switch (state) {
   case POWERED_ON:
   case POWER_ON_FORK:
      op = "powerOn";
      break;
   case POWERED_OFF:
      op = "powerOff";
      break;
   case SUSPENDED:
      op = "suspend";
      break;
   case RESET:
      op = "reset";
      break;
   }
   if (!op) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.power.badState)The power state %d is not known.", static_cast<int>(state)));
      return;
   }
   if (!registered_) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.closed)The virtual machine \"%s\" is no longer open.", name_.c_str()));
      return;
   }
   if (!PendingPowerOp().empty()) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.power.busy)The virtual machine \"%s\" is busy with another power "
                              "operation. Try again when it has finished.", name_.c_str()));
      return;
   }
   try {
      cuiutil::ModelCmd::Send(ctx_, vmPath_ + "cmd/##/", op, {{"option", std::to_string(static_cast<int>(option))}}, {},
                              sigc::bind(sigc::mem_fun(*this, &VM::OnPowerAnswer), std::string(op), abort, done));
   } catch (const Error &e) {
      PostAbort(abort, e.what());
      return;
   }
   requested_ = op;
   actionStateChanged.emit();
   changed.emit();
}

void VM::OnPowerAnswer(std::string error, std::map<std::string, std::string>, std::string op, AbortSlot abort,
                       DoneSlot done)
{
   bool wasRequested = requested_ == op;
   if (wasRequested) {
      requested_.clear();
   }
   if (registered_) {
      Refresh();
      // The host's "pending" went before its answer: the operation is over for callers only now.
      if (wasRequested) {
         actionStateChanged.emit();
         changed.emit();
      }
   }
   if (!error.empty()) {
      Log("VM %s: %s failed: %s\n", vmPath_.c_str(), op.c_str(), error.c_str());
      CallSlot(abort, false, Error(error));
   } else {
      CallSlot(done);
   }
}

void VM::PowerOff(const AbortSlot &abort, const DoneSlot &done)
{
   SetPowerState(POWERED_OFF, POWEROP_DEFAULT, abort, done);
}

void VM::GetSuspendScreenshot(const AbortSlot &abort, const sigc::slot<void, std::string> &pathSlot)
{
   if (!registered_) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.closed)The virtual machine \"%s\" is no longer open.", name_.c_str()));
      return;
   }
   std::string path = powerState_ == SUSPENDED ? screenshot_ : std::string();
   if (!path.empty() && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      path.clear();
   }
   sigc::slot<void, std::string> slot = pathSlot;
   Poll_Post([slot, path]() { CallSlot(slot, path); });
}

}  // namespace cui

// The machine commands beside power and snapshots: the tools image, Ctrl+Alt+Del, the power
// buttons' tooltips, and the host's deletion of a machine from the disk.
#include "cui/VM.h"

#include "ModelCmd.h"
#include "cui/Confirm.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace cui {

namespace {

void PostAbortText(const AbortSlot &abort, const std::string &text)
{
   AbortSlot slot = abort;
   Error error(text);
   Poll_Post([slot, error]() { CallSlot(slot, false, error); });
}

// Bound to no object: the answer may come after the machine or the host has gone.
void OnCommandAnswer(std::string error, cuiutil::ModelCmd::Outputs, std::string what, AbortSlot abort, DoneSlot done)
{
   if (!error.empty()) {
      Log("%s failed: %s\n", what.c_str(), error.c_str());
      CallSlot(abort, false, Error(error));
   } else {
      CallSlot(done);
   }
}

void OnCtrlAltDelAnswer(std::string error, cuiutil::ModelCmd::Outputs)
{
   if (!error.empty()) {
      Warning("Send Ctrl+Alt+Del failed: %s\n", error.c_str());
   }
}

}  // namespace

bool VM::GetToolsISOMounted() const
{
   // The host stamps the mount with the boot it belongs to: a later boot has no image mounted.
   if (!registered_ || powerState_ != POWERED_ON) {
      return false;
   }
   std::string stamp = ctx_.Get(vmPath_ + "vmx/execState/toolsInstall");
   return !stamp.empty() && stamp == ctx_.Get(vmPath_ + "vmx/execState/poweredOnAt");
}

int VM::GetProductCompat() const
{
   return static_cast<int>(ctx_.GetInt(vmPath_ + "vmx/cfgState/val/productCompat", 0));
}

void VM::ToggleToolsInstall(const AbortSlot &abort, const DoneSlot &done)
{
   if (!registered_ || powerState_ != POWERED_ON) {
      PostAbortText(abort, Format("@&!*@*@(msg.vm.tools.notOn)The tools can be installed in \"%s\" only while it "
                                  "is powered on.",
                                  name_.c_str()));
      return;
   }
   try {
      cuiutil::ModelCmd::Send(ctx_, vmPath_ + "cmd/##/", "toggleToolsInstall", {}, {},
                              sigc::bind(&OnCommandAnswer, "VM " + vmPath_ + ": toggleToolsInstall", abort, done));
   } catch (const Error &e) {
      PostAbortText(abort, e.what());
   }
}

void VM::SendCtrlAltDel()
{
   if (!registered_ || powerState_ != POWERED_ON) {
      throw Error(
         Format("@&!*@*@(msg.vm.ctrlAltDel.notOn)The virtual machine \"%s\" is not powered on.", name_.c_str()));
   }
   cuiutil::ModelCmd::Send(ctx_, vmPath_ + "cmd/##/", "sendCtrlAltDel", {}, {}, sigc::ptr_fun(&OnCtrlAltDelAnswer));
}

std::string VM::GetPowerTooltip(const VM *vm, int op, int option)
{
   if (!vm) {
      switch (op) {
         case POWERED_ON:
         case POWER_ON_FORK:
            return GetLocalString("@&!*@*@(msg.vm.tooltip.powerOnNone)Power on this virtual machine");
         case POWERED_OFF:
            return GetLocalString("@&!*@*@(msg.vm.tooltip.powerOffNone)Power off this virtual machine");
         case SUSPENDED:
            return GetLocalString("@&!*@*@(msg.vm.tooltip.suspendNone)Suspend this virtual machine");
         case RESET:
            return GetLocalString("@&!*@*@(msg.vm.tooltip.resetNone)Reset this virtual machine");
         default:
            return std::string();
      }
   }
   // Hard names what the host does; the other options name what the machine's configuration
   // makes of the stop (its guest asked to shut down or restart itself).
   const std::string cfg = vm->vmPath_ + "vmx/cfgState/val/";
   auto throughGuest = [&](const char *key) {
      return option != POWEROP_HARD && vm->powerState_ == POWERED_ON && vm->ctx_.Get(cfg + key) == "soft";
   };
   const char *name = vm->name_.c_str();
   switch (op) {
      case POWERED_ON:
      case POWER_ON_FORK:
         return vm->powerState_ == SUSPENDED ? Format("@&!*@*@(msg.vm.tooltip.resume)Resume \"%s\"", name)
                                             : Format("@&!*@*@(msg.vm.tooltip.powerOn)Power on \"%s\"", name);
      case POWERED_OFF:
         return throughGuest("power/offMode")
                   ? Format("@&!*@*@(msg.vm.tooltip.shutDown)Shut down the guest of \"%s\"", name)
                   : Format("@&!*@*@(msg.vm.tooltip.powerOff)Power off \"%s\"", name);
      case SUSPENDED:
         return Format("@&!*@*@(msg.vm.tooltip.suspend)Suspend \"%s\"", name);
      case RESET:
         return throughGuest("power/resetMode")
                   ? Format("@&!*@*@(msg.vm.tooltip.restart)Restart the guest of \"%s\"", name)
                   : Format("@&!*@*@(msg.vm.tooltip.reset)Reset \"%s\"", name);
      default:
         return std::string();
   }
}

void Host::DeleteVM(const std::string &cfgPath, DlgMgr *dlgMgr, const DoneSlot &done, const AbortSlot &abort)
{
   if (path_.empty() || cfgPath.empty()) {
      PostAbortText(abort, GetLocalString("@&!*@*@(msg.host.delete.nothing)There is no virtual machine to delete."));
      return;
   }
   const std::string queue = path_ + "util/vm/cmd/##/";
   vmdb::Ctx ctx = ctx_;
   auto send = [ctx, queue, cfgPath, done, abort]() {
      try {
         cuiutil::ModelCmd::Send(ctx, queue, "deleteVMFromDisk", {{"cfgPath", cfgPath}}, {},
                                 sigc::bind(&OnCommandAnswer, "Host: deleteVMFromDisk " + cfgPath, abort, done));
      } catch (const Error &e) {
         CallSlot(abort, false, e);
      }
   };
   std::string text = Format(
      "@&!*@*@(msg.host.delete.question)Are you sure you want to delete \"%s\" and the files "
      "of its virtual machine from the disk? This cannot be undone.",
      cfgPath.c_str());
   // Confirm deletes itself once answered; No is the default, and No ends it silently.
   auto *confirm = new Confirm(std::string(), dlgMgr, text, Confirm::YES_NO, 1);
   confirm->SetAnswerSlot(sigc::slot<void>(send));
   confirm->Invoke();
}

}  // namespace cui

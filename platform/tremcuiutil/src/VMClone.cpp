// The machine's clone operation and the host's writability check: both are commands to the host
// ("cloneVM" on the machine's queue, "checkWritablePath" on the host's), answered from poll steps.
#include "cui/Host.h"
#include "cui/Snapshot.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"

#include <algorithm>
#include <memory>

#include "ModelCmd.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace cui {

namespace {

// The host writes the step of the clone under way here: "prepare", "snapshot", "copy".
const char kCloneStep[] = "vmx/cloneState/step";

void PostFailure(const AbortSlot &failed, const std::string &text)
{
   AbortSlot slot = failed;
   Error error(text);
   Poll_Post([slot, error]() { CallSlot(slot, false, error); });
}

}  // namespace

bool VM::IsTemplate() const
{
   return ctx_.GetBool(vmPath_ + "vmx/cfgState/val/templateVM", false);
}

int VM::GetLongestHardDiskNameLength() const
{
   size_t longest = 0;
   for (const std::string &device : ctx_.Elements(vmPath_ + "vmx/cfgState/val/dev/#")) {
      if (ctx_.Get(device + "type") != "disk") {
         continue;
      }
      std::string file = ctx_.Get(device + "fileName");
      size_t slash = file.find_last_of("\\/");
      longest = std::max(longest, file.size() - (slash == std::string::npos ? 0 : slash + 1));
   }
   return static_cast<int>(longest);
}

bool VM::IsCloneable(int snapshotUid, int type, int *error) const
{
   int code = CLONE_OK;
   const SnapshotTree *tree = GetSnapshotTree();
   if (!registered_ || !tree) {
      code = CLONE_ERR_CLOSED;
   } else if (GetBusy(BUSY_ANY)) {
      code = CLONE_ERR_BUSY;
   } else if (snapshotUid > 0) {
      const Snapshot *snapshot = tree->GetSnapshot(snapshotUid);
      if (!snapshot) {
         code = CLONE_ERR_NO_SNAPSHOT;
      } else if (snapshot->GetPowerState() != Snapshot::POWERED_OFF) {
         code = CLONE_ERR_SNAPSHOT_NOT_OFF;
      }
   } else if (IsTemplate()) {
      code = CLONE_ERR_TEMPLATE;
   } else if (powerState_ != POWERED_OFF) {
      code = CLONE_ERR_NOT_POWERED_OFF;
   } else if (type == CLONE_LINKED && !tree->IsMultipleEnabled()) {
      code = CLONE_ERR_SINGLE_SNAPSHOT;
   }
   if (error) {
      *error = code;
   }
   return code == CLONE_OK;
}

std::string VM::GetErrorText(int code)
{
   switch (code) {
   case CLONE_OK:
      return std::string();
   case CLONE_ERR_CLOSED:
      return GetLocalString("@&!*@*@(msg.vm.clone.closed)The virtual machine is no longer open.");
   case CLONE_ERR_BUSY:
      return GetLocalString("@&!*@*@(msg.vm.clone.busy)The virtual machine is busy with another operation. Try "
                            "again when it has finished.");
   case CLONE_ERR_NOT_POWERED_OFF:
      return GetLocalString("@&!*@*@(msg.vm.clone.notPoweredOff)The current state of a virtual machine can be "
                            "cloned only while it is powered off. Power it off, or clone one of its snapshots.");
   case CLONE_ERR_NO_SNAPSHOT:
      return GetLocalString("@&!*@*@(msg.vm.clone.noSnapshot)The snapshot to clone from no longer exists.");
   case CLONE_ERR_SNAPSHOT_NOT_OFF:
      return GetLocalString("@&!*@*@(msg.vm.clone.snapshotNotOff)Only snapshots taken while the virtual machine "
                            "was powered off can be cloned.");
   case CLONE_ERR_SINGLE_SNAPSHOT:
      return GetLocalString("@&!*@*@(msg.vm.clone.singleSnapshot)A linked clone of the current state needs a new "
                            "snapshot, and this virtual machine keeps only one snapshot.");
   case CLONE_ERR_TEMPLATE:
      return GetLocalString("@&!*@*@(msg.vm.clone.template)The current state of a template cannot be cloned. "
                            "Clone one of its snapshots, or switch the template mode off first.");
   default:
      return Format("@&!*@*@(msg.vm.clone.unknown)The virtual machine cannot be cloned (code %d).", code);
   }
}

void VM::Clone(int snapshotUid, bool full, const std::string &name, const std::string &path, const AbortSlot &failed,
               const DoneSlot &done, const DoneSlot &snapshotStep)
{
   int code = CLONE_OK;
   if (!IsCloneable(snapshotUid, full ? CLONE_FULL : CLONE_LINKED, &code)) {
      PostFailure(failed, GetErrorText(code));
      return;
   }
   const bool takesSnapshot = !full && snapshotUid == 0;
   // The step watch and the answer share these; neither reaches back into the machine, which
   // may be closed before the host answers.
   auto stepSeen = std::make_shared<bool>(false);
   auto watch = std::make_shared<sigc::connection>();
   DoneSlot step = snapshotStep;
   if (takesSnapshot) {
      vmdb::Ctx ctx = ctx_.NewCtx();
      std::string stepPath = vmPath_ + kCloneStep;
      *watch = ctx.Watch(stepPath, vmdb::Ctx::kWatchNode, [ctx, stepPath, stepSeen, step](const std::string &) {
         // The snapshot is taken once the host goes on to copy.
         if (!*stepSeen && ctx.Get(stepPath) == "copy") {
            *stepSeen = true;
            CallSlot(step);
         }
      });
   }
   std::string vmPath = vmPath_;
   cuiutil::ModelCmd::AnswerSlot answer = [vmPath, watch, stepSeen, step, failed, done,
                                           takesSnapshot](std::string error, cuiutil::ModelCmd::Outputs outputs) {
      watch->disconnect();
      if (!error.empty()) {
         Log("VM %s: cloneVM failed: %s\n", vmPath.c_str(), error.c_str());
         CallSlot(failed, false, Error(error));
         return;
      }
      Log("VM %s: cloned to %s\n", vmPath.c_str(), outputs["cfgPath"].c_str());
      if (takesSnapshot && !*stepSeen) {
         *stepSeen = true;
         CallSlot(step);
      }
      CallSlot(done);
   };
   try {
      cuiutil::ModelCmd::Send(ctx_, vmPath_ + "cmd/##/", "cloneVM",
                              {{"uid", std::to_string(snapshotUid)}, {"full", full ? "1" : "0"}, {"name", name},
                               {"cfgPath", path}},
                              {"cfgPath"}, answer);
   } catch (const Error &e) {
      watch->disconnect();
      PostFailure(failed, e.what());
   }
}

void Host::GetWritablePath(const std::string &path, const AbortSlot &abort, const WritablePathSlot &done)
{
   if (path_.empty()) {
      PostFailure(abort, GetLocalString("@&!*@*@(msg.host.registration.noHost)There is no host to ask about its "
                                        "virtual machines."));
      return;
   }
   AbortSlot failed = abort;
   WritablePathSlot answered = done;
   cuiutil::ModelCmd::AnswerSlot answer = [failed, answered](std::string error, cuiutil::ModelCmd::Outputs outputs) {
      if (!error.empty()) {
         CallSlot(failed, false, Error(error));
         return;
      }
      CallSlot(answered, outputs["writable"] == "1", outputs["path"], outputs["reason"]);
   };
   try {
      cuiutil::ModelCmd::Send(ctx_, path_ + "util/vm/cmd/##/", "checkWritablePath", {{"path", path}},
                              {"writable", "path", "reason"}, answer);
   } catch (const Error &e) {
      PostFailure(abort, e.what());
   }
}

}  // namespace cui

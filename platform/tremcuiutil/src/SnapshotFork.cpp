// Forks: linked clones of a machine made from its current snapshot in one host operation.
#include "cui/SnapshotTree.h"

#include <sstream>

#include "ModelCmd.h"
#include "cui/LocalizedString.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace cui {

namespace {

void OnForkAnswer(std::string error, cuiutil::ModelCmd::Outputs outputs,
                  sigc::slot<void, std::vector<std::string>> forked, AbortSlot abort)
{
   if (!error.empty()) {
      Log("SnapshotTree: forkVM failed: %s\n", error.c_str());
      CallSlot(abort, false, Error(error));
      return;
   }
   std::vector<std::string> paths;
   std::istringstream lines(outputs["cfgPaths"]);
   for (std::string line; std::getline(lines, line);) {
      if (!line.empty()) {
         paths.push_back(line);
      }
   }
   CallSlot(forked, paths);
}

}  // namespace

bool VM::IsForkable() const
{
   return registered_ && powerState_ == POWERED_OFF && !GetBusy(BUSY_ANY) && snapshotTree_->GetCurrent() != nullptr;
}

void SnapshotTree::Fork(int count, const sigc::slot<void, std::vector<std::string>> &forked, const AbortSlot &abort)
{
   if (closed_ || !vm_.IsForkable() || count < 1) {
      PostAbort(abort, Format("@&!*@*@(msg.snapshot.fork.refused)\"%s\" cannot be forked now: it must be powered off "
                              "and have a current snapshot.",
                              vm_.GetName().c_str()));
      return;
   }
   try {
      // Bound to no object: the clones exist once the host has answered, whatever became of us.
      cuiutil::ModelCmd::Send(ctx_, vm_.GetVmPath() + "cmd/##/", "forkVM", {{"count", std::to_string(count)}},
                              {"cfgPaths"}, sigc::bind(&OnForkAnswer, forked, abort));
   } catch (const Error &e) {
      PostAbort(abort, e.what());
   }
}

}  // namespace cui

#include "ModelCmd.h"

#include <memory>

#include "cui/LocalizedString.h"
#include "tremorybase/Log.h"

namespace cuiutil {

namespace {

struct Pending {
   vmdb::Ctx ctx;
   std::string element;
   std::string op;
   std::vector<std::string> outputs;
   ModelCmd::AnswerSlot answer;
   sigc::connection watch;
};

std::map<Pending *, std::shared_ptr<Pending>> &PendingCommands()
{
   static std::map<Pending *, std::shared_ptr<Pending>> pending;
   return pending;
}

void OnStatus(Pending *raw)
{
   auto &all = PendingCommands();
   auto it = all.find(raw);
   if (it == all.end()) {
      return;
   }
   std::shared_ptr<Pending> cmd = it->second;
   std::string status = cmd->ctx.Get(cmd->element + "status");
   if (status.empty()) {
      return;
   }
   all.erase(it);
   cmd->watch.disconnect();
   std::string error;
   if (status == "error") {
      error = cmd->ctx.Get(cmd->element + "status/error/errMsg");
      if (error.empty()) {
         error = cui::GetLocalString("@&!*@*@(msg.rpc.cmd.failed)The operation failed.");
      }
   }
   ModelCmd::Outputs outputs;
   for (const std::string &key : cmd->outputs) {
      outputs[key] = cmd->ctx.Get(cmd->element + "op/" + cmd->op + "/out/" + key);
   }
   cmd->ctx.Remove(cmd->element, true);
   if (!cmd->answer.empty() && !cmd->answer.blocked()) {
      cmd->answer(error, outputs);
   }
}

}  // namespace

void ModelCmd::Send(const vmdb::Ctx &ctx, const std::string &queue, const std::string &op,
                    const std::vector<std::pair<std::string, std::string>> &inputs,
                    const std::vector<std::string> &outputs, const AnswerSlot &answer)
{
   std::shared_ptr<Pending> cmd = std::make_shared<Pending>();
   cmd->ctx = ctx.NewCtx();
   cmd->op = op;
   cmd->outputs = outputs;
   cmd->answer = answer;
   {
      vmdb::Batch batch(cmd->ctx);
      cmd->element = cmd->ctx.Append(queue);
      for (const auto &input : inputs) {
         cmd->ctx.Set(cmd->element + "op/" + op + "/in/" + input.first, input.second);
      }
      cmd->ctx.Set(cmd->element + "op", op);
   }
   Pending *raw = cmd.get();
   cmd->watch = cmd->ctx.Watch(cmd->element + "status", vmdb::Ctx::kWatchNode,
                               [raw](const std::string &) { OnStatus(raw); });
   PendingCommands()[raw] = cmd;
}

size_t ModelCmd::GetPendingCount()
{
   return PendingCommands().size();
}

}  // namespace cuiutil

#include "tremsim/SimCmdOwner.h"

#include "SimHostConfig.h"
#include "cui/Error.h"
#include "tremorybase/Log.h"

namespace cuisim {

SimCommand::SimCommand(vmdb::Ctx &ctx, std::string owner, std::string element, std::string op)
   : ctx_(ctx), owner_(std::move(owner)), element_(std::move(element)), op_(std::move(op))
{
}

std::string SimCommand::In(const std::string &key) const
{
   return ctx_.Get(element_ + "op/" + op_ + "/in/" + key);
}

bool SimCommand::HasIn(const std::string &key) const
{
   return ctx_.Exists(element_ + "op/" + op_ + "/in/" + key);
}

void SimCommand::SetOut(const std::string &key, const std::string &value)
{
   ctx_.Set(element_ + "op/" + op_ + "/out/" + key, value);
}

bool SimCmdOwner::Execute(vmdb::Ctx &ctx, const std::string &owner, const std::string &element)
{
   std::string op = ctx.Get(element + "op");
   if (op.empty() || !ctx.Get(element + "status").empty()) {
      return false;
   }
   if (SimHostConfig::NeverAnswers(op)) {
      Log("SimHost: leaving \"%s\" at %s unanswered\n", op.c_str(), element.c_str());
      return false;
   }
   std::string error;
   auto handler = handlers_.find(op);
   if (SimHostConfig::Fails(op)) {
      error = SimHostConfig::FailText(op);
   } else if (handler == handlers_.end()) {
      error = "The " + who_ + " does not support the operation \"" + op + "\".";
   } else {
      try {
         SimCommand command(ctx, owner, element, op);
         handler->second(command);
         if (command.IsDeferred()) {
            return true;
         }
      } catch (const std::exception &e) {
         error = e.what();
      }
   }
   if (!error.empty() && failed_) {
      try {
         SimCommand command(ctx, owner, element, op);
         failed_(command, error);
      } catch (const std::exception &e) {
         Warning("SimHost: following the failure of \"%s\" failed: %s\n", op.c_str(), e.what());
      }
   }
   Answer(ctx, element, error);
   return true;
}

void SimCmdOwner::Answer(vmdb::Ctx &ctx, const std::string &element, const std::string &error)
{
   if (!ctx.Exists(element + "op")) {
      return;
   }
   vmdb::Batch batch(ctx);
   if (!error.empty()) {
      Log("SimHost: \"%s\" at %s failed: %s\n", ctx.Get(element + "op").c_str(), element.c_str(), error.c_str());
      ctx.Set(element + "status/error/errMsg", error);
   }
   ctx.Set(element + "status", error.empty() ? "ok" : "error");
}

void RegisterMachineUserOps(SimCmdOwner &owner)
{
   owner.Register("set", [](SimCommand &cmd) {
      std::string user = cmd.In("username");
      if (user.empty()) {
         throw cui::Error("A user name is required.");
      }
      // The password would go to the host's credential store; the database never keeps it.
      cmd.Ctx().Set(cmd.Owner() + "user/username", user);
   });
   owner.Register("unset", [](SimCommand &cmd) { cmd.Ctx().Set(cmd.Owner() + "user/username", ""); });
}

}  // namespace cuisim

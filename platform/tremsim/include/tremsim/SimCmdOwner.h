// The owner of one kind of command queue (a host's "util/vm/cmd/", a machine's "cmd/" or
// "user/cmd/"): a table of operation name -> handler, and the one way a command is carried out.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "cui/VmdbCtx.h"

namespace cuisim {

// What a handler sees of one command.
class SimCommand {
public:
   SimCommand(vmdb::Ctx &ctx, std::string owner, std::string element, std::string op);

   vmdb::Ctx &Ctx() { return ctx_; }
   // The host's or machine's node ("/vm/#0001/"), with a trailing "/".
   const std::string &Owner() const { return owner_; }
   const std::string &Element() const { return element_; }
   const std::string &Op() const { return op_; }
   // The input at "op/<op>/in/<key>"; empty when missing.
   std::string In(const std::string &key) const;
   bool HasIn(const std::string &key) const;
   // Writes a result at "op/<op>/out/<key>"; the sender reads it before removing the element.
   void SetOut(const std::string &key, const std::string &value);

   // The work goes on after the handler returns: the status is written later by
   // SimCmdOwner::Answer (an operation that takes a few poll steps).
   void Defer() { deferred_ = true; }
   bool IsDeferred() const { return deferred_; }

private:
   vmdb::Ctx &ctx_;
   std::string owner_;
   std::string element_;
   std::string op_;
   bool deferred_ = false;
};

// Does the work; throws cui::Error to fail with its text.
typedef std::function<void(SimCommand &)> SimOpHandler;

class SimCmdOwner {
public:
   // `who` names the owner in the text of an unknown operation ("host", "virtual machine").
   explicit SimCmdOwner(std::string who) : who_(std::move(who)) {}

   void Register(const std::string &op, SimOpHandler handler) { handlers_[op] = std::move(handler); }
   bool Knows(const std::string &op) const { return handlers_.count(op) != 0; }
   // Called with each command Execute answers with an error (refused, failing, unknown), before
   // the answer is written.
   void OnFailure(std::function<void(SimCommand &, const std::string & /*error*/)> failed) { failed_ = std::move(failed); }

   // Carries out the command at `element` and sets its status: "ok", or "error" with the text at
   // "status/error/errMsg". False when there is nothing to answer (no op yet, answered, gone)
   // or the operation is configured never to be answered.
   bool Execute(vmdb::Ctx &ctx, const std::string &owner, const std::string &element);

   // Sets the status of the command at `element`: "ok" for an empty `error`, else "error" with
   // it. Nothing when the sender has removed the element meanwhile.
   static void Answer(vmdb::Ctx &ctx, const std::string &element, const std::string &error);

private:
   std::string who_;
   std::map<std::string, SimOpHandler> handlers_;
   std::function<void(SimCommand &, const std::string &)> failed_;
};

// The machine's "user/cmd/" operations: "set" (in/username, in/password) and "unset".
void RegisterMachineUserOps(SimCmdOwner &owner);

}  // namespace cuisim

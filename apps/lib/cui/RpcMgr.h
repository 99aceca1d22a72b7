// The request manager: database commands and requests sent without blocking, their outcome
// reported through signals raised from a poll step.
//
// Command: NewCmd(queue, op), e.g. NewCmd(vmPath + "user/cmd/##/", "set"); cmd["username/"] = ...
// Invoke appends an element to the queue and, in one batch, writes "op" := op and each input
// under "op/<op>/in/<key>". The queue's owner answers by setting the element's "status": "error"
// raises abort(false, text of "status/error/errMsg"), any other text raises done. The element is
// removed once the answer is read.
//
// Request: NewReq(statePath + "req/#"); req["val/"] = ...; Invoke appends an element and, in
// one batch, writes the values into it and submits it by writing its path into the state's
// "new" node. A "new" already set refuses the request: abort(false, error), element left
// unsubmitted. The owner applies it and clears "new"; the element's "status" then tells the
// outcome: "error" raises abort (text at "status/error/errMsg"), "resubmit" raises resubmit (the
// state changed under the request; send it again), anything else done.
//
// A command or request lives until its outcome is raised, also after the caller lets go of it.
#pragma once

#include <map>
#include <memory>
#include <string>

#include <sigc++/sigc++.h>

#include "cui/Error.h"
#include "cui/VmdbCtx.h"

namespace vmdbLayout {
namespace rpc {

class Mgr;

// What commands and requests share: inputs, signals, the one Invoke.
class RpcImpl : public sigc::trackable, public std::enable_shared_from_this<RpcImpl> {
public:
   virtual ~RpcImpl();

   // The input at `key` ("username/", "val/", "val/connected/port/"); the trailing "/" is optional.
   vmdb::Value &operator[](const std::string &key) { return inputs_[key]; }
   // Sends it; false (and abort raised from a poll step) when it could not be sent. Once only.
   bool Invoke();
   bool IsInvoked() const { return invoked_; }
   // The element written by Invoke (absolute, trailing "/"); empty before.
   const std::string &GetElementPath() const { return element_; }

   sigc::signal<void, bool, cui::Error> abort;   // (cancelled, error)
   sigc::signal<void> done;

protected:
   RpcImpl(Mgr &mgr, std::string queue);
   // Writes the element inside the open batch; throws cui::Error to refuse.
   virtual void Write(vmdb::Ctx &ctx) = 0;
   // The path watched for the answer, and whether the answer has come.
   virtual std::string AnswerPath() const = 0;
   virtual bool IsAnswered(vmdb::Ctx &ctx) const = 0;
   // Raises the outcome; called once.
   virtual void Finish(vmdb::Ctx &ctx) = 0;
   static std::string InputPath(const std::string &key);

   Mgr &mgr_;
   std::string queue_;
   std::string element_;
   std::map<std::string, vmdb::Value> inputs_;

private:
   friend class Mgr;
   void OnAnswer();
   bool invoked_ = false;
   bool finished_ = false;
   sigc::connection watch_;
};

class CmdImpl : public RpcImpl {
public:
   CmdImpl(Mgr &mgr, std::string queue, std::string op);
   const std::string &GetOp() const { return op_; }

protected:
   void Write(vmdb::Ctx &ctx) override;
   std::string AnswerPath() const override;
   bool IsAnswered(vmdb::Ctx &ctx) const override;
   void Finish(vmdb::Ctx &ctx) override;

private:
   std::string op_;
};

class ReqImpl : public RpcImpl {
public:
   ReqImpl(Mgr &mgr, std::string queue);
   // The state node ("…/mks/grabState/"), the queue without its "req/#".
   const std::string &GetStatePath() const { return state_; }

   sigc::signal<void> resubmit;

protected:
   void Write(vmdb::Ctx &ctx) override;
   std::string AnswerPath() const override;
   bool IsAnswered(vmdb::Ctx &ctx) const override;
   void Finish(vmdb::Ctx &ctx) override;

private:
   std::string state_;
};

// Handles the callers hold: cmd["key/"] = value; cmd->abort.connect(...); cmd->Invoke().
template <class Impl>
class Handle {
public:
   Handle() = default;
   explicit Handle(std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}
   Impl *operator->() const { return impl_.get(); }
   Impl &operator*() const { return *impl_; }
   vmdb::Value &operator[](const std::string &key) const { return (*impl_)[key]; }
   explicit operator bool() const { return impl_ != nullptr; }

private:
   std::shared_ptr<Impl> impl_;
};

typedef Handle<CmdImpl> Cmd;
typedef Handle<ReqImpl> Req;

class Mgr {
public:
   // Works on a context of its own on `ctx`'s database; relative queues are taken from "/".
   explicit Mgr(const vmdb::Ctx &ctx);
   ~Mgr();   // what is still pending is dropped without a signal

   Cmd NewCmd(const std::string &queue, const std::string &op);
   Req NewReq(const std::string &queue);

   vmdb::Ctx &GetCtx() { return ctx_; }
   size_t GetPendingCount() const { return pending_.size(); }

   Mgr(const Mgr &) = delete;
   Mgr &operator=(const Mgr &) = delete;
   // Commands and requests must not outlive their manager.

private:
   friend class RpcImpl;
   // Holds an invoked command or request until its outcome; Release hands the last hold back.
   std::shared_ptr<RpcImpl> Keep(RpcImpl *rpc);
   std::shared_ptr<RpcImpl> Release(RpcImpl *rpc);

   vmdb::Ctx ctx_;
   std::map<RpcImpl *, std::shared_ptr<RpcImpl>> pending_;
};

}  // namespace rpc
}  // namespace vmdbLayout

namespace cui {

// Turns a completion (cancelled, error) into an abort slot for a command's or request's abort
// signal: it calls the completion under the CallSlot rule and logs what the completion throws.
cui::AbortSlot MakeRPCAbortSlot(const cui::AbortSlot &completion);

}  // namespace cui

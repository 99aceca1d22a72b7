#include "cui/RpcMgr.h"

#include "cui/LocalizedString.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace vmdbLayout {
namespace rpc {

namespace {

const char kRefusedText[] =
   "@&!*@*@(msg.rpc.req.pending)Another change of this setting is still being applied. Try again later.";
const char kFailedText[] = "@&!*@*@(msg.rpc.cmd.failed)The operation failed.";

// The error text an owner left at "status/error/errMsg", or a general one.
cui::Error OwnerError(vmdb::Ctx &ctx, const std::string &element)
{
   std::string text = ctx.Get(element + "status/error/errMsg");
   return cui::Error(text.empty() ? cui::GetLocalString(kFailedText) : text);
}

}  // namespace

// ---- RpcImpl ----

RpcImpl::RpcImpl(Mgr &mgr, std::string queue) : mgr_(mgr), queue_(std::move(queue)) {}

RpcImpl::~RpcImpl()
{
   watch_.disconnect();
}

std::string RpcImpl::InputPath(const std::string &key)
{
   size_t begin = key.find_first_not_of('/');
   size_t end = key.find_last_not_of('/');
   return begin == std::string::npos ? std::string() : key.substr(begin, end - begin + 1);
}

bool RpcImpl::Invoke()
{
   if (invoked_) {
      return false;
   }
   invoked_ = true;
   std::shared_ptr<RpcImpl> self = mgr_.Keep(this);
   vmdb::Ctx &ctx = mgr_.GetCtx();
   try {
      vmdb::Batch batch(ctx);
      element_ = ctx.Append(queue_);
      Write(ctx);
   } catch (const cui::Error &e) {
      // Refused or not writable: the caller hears of it from a poll step, as of any outcome.
      finished_ = true;
      std::weak_ptr<RpcImpl> weak = self;
      cui::Error error = e;
      Poll_Post([weak, error]() {
         if (std::shared_ptr<RpcImpl> rpc = weak.lock()) {
            rpc->mgr_.Release(rpc.get());
            rpc->abort.emit(false, error);
         }
      });
      return false;
   }
   watch_ = ctx.Watch(AnswerPath(), vmdb::Ctx::kWatchNode, sigc::hide(sigc::mem_fun(*this, &RpcImpl::OnAnswer)));
   return true;
}

void RpcImpl::OnAnswer()
{
   vmdb::Ctx &ctx = mgr_.GetCtx();
   if (finished_ || !IsAnswered(ctx)) {
      return;
   }
   finished_ = true;
   watch_.disconnect();
   std::shared_ptr<RpcImpl> self = mgr_.Release(this);
   try {
      Finish(ctx);
   } catch (const cui::Error &e) {
      abort.emit(false, e);
   }
}

// ---- CmdImpl ----

CmdImpl::CmdImpl(Mgr &mgr, std::string queue, std::string op) : RpcImpl(mgr, std::move(queue)), op_(std::move(op)) {}

void CmdImpl::Write(vmdb::Ctx &ctx)
{
   ctx.Set(element_ + "op", op_);
   std::string in = element_ + "op/" + op_ + "/in/";
   for (const auto &input : inputs_) {
      ctx.Set(in + InputPath(input.first), input.second);
   }
}

std::string CmdImpl::AnswerPath() const
{
   return element_ + "status";
}

bool CmdImpl::IsAnswered(vmdb::Ctx &ctx) const
{
   return !ctx.Get(element_ + "status").empty();
}

void CmdImpl::Finish(vmdb::Ctx &ctx)
{
   bool failed = ctx.Get(element_ + "status") == "error";
   cui::Error error = failed ? OwnerError(ctx, element_) : cui::Error();
   ctx.Unwatch(AnswerPath());   // the element's own path: no other command watches it
   ctx.Remove(element_, true);
   if (failed) {
      abort.emit(false, error);
   } else {
      done.emit();
   }
}

// ---- ReqImpl ----

ReqImpl::ReqImpl(Mgr &mgr, std::string queue) : RpcImpl(mgr, std::move(queue))
{
   std::string q = queue_;
   while (!q.empty() && q.back() == '/') {
      q.pop_back();
   }
   const std::string tail = "req/#";
   if (q.size() < tail.size() || q.compare(q.size() - tail.size(), tail.size(), tail) != 0) {
      throw cui::Error("vmdbLayout::rpc::Mgr::NewReq: not a request queue: " + queue_);
   }
   state_ = q.substr(0, q.size() - tail.size());
}

void ReqImpl::Write(vmdb::Ctx &ctx)
{
   if (ctx.Test(state_ + "new")) {
      throw cui::Error(cui::GetLocalString(kRefusedText));
   }
   for (const auto &input : inputs_) {
      ctx.Set(element_ + InputPath(input.first), input.second);
   }
   ctx.Set(state_ + "new", element_);
}

std::string ReqImpl::AnswerPath() const
{
   return state_ + "new";
}

bool ReqImpl::IsAnswered(vmdb::Ctx &ctx) const
{
   return ctx.Get(state_ + "new") != element_;
}

void ReqImpl::Finish(vmdb::Ctx &ctx)
{
   std::string status = ctx.Get(element_ + "status");
   if (status == "error") {
      abort.emit(false, OwnerError(ctx, element_));
   } else if (status == "resubmit") {
      resubmit.emit();
   } else {
      done.emit();
   }
}

// ---- Mgr ----

Mgr::Mgr(const vmdb::Ctx &ctx) : ctx_(ctx.NewCtx()) {}

Mgr::~Mgr()
{
   pending_.clear();
}

Cmd Mgr::NewCmd(const std::string &queue, const std::string &op)
{
   return Cmd(std::make_shared<CmdImpl>(*this, queue, op));
}

Req Mgr::NewReq(const std::string &queue)
{
   return Req(std::make_shared<ReqImpl>(*this, queue));
}

std::shared_ptr<RpcImpl> Mgr::Keep(RpcImpl *rpc)
{
   std::shared_ptr<RpcImpl> shared = rpc->shared_from_this();
   pending_[rpc] = shared;
   return shared;
}

std::shared_ptr<RpcImpl> Mgr::Release(RpcImpl *rpc)
{
   std::shared_ptr<RpcImpl> kept;
   auto it = pending_.find(rpc);
   if (it != pending_.end()) {
      kept = it->second;
      pending_.erase(it);
   }
   return kept;
}

}  // namespace rpc
}  // namespace vmdbLayout

namespace cui {

cui::AbortSlot MakeRPCAbortSlot(const cui::AbortSlot &completion)
{
   return [completion](bool cancelled, cui::Error error) {
      try {
         cui::CallSlot(completion, cancelled, error);
      } catch (const std::exception &e) {
         Warning("rpc abort slot failed: %s\n", e.what());
      }
   };
}

}  // namespace cui

#include "zoltVmdbForms.h"

#include "zoltApp.h"
#include "zoltAppDb.h"

#include "cui/Registry.h"
#include "tremorybase/Log.h"
#include "tremorybase/ScopeGuard.h"

namespace {

// `path` below `base`, with exactly one slash between them.
_bstr_t Join(const _bstr_t &base, const _bstr_t &path)
{
   std::string joined = zoltdb::Text(base);
   if (!joined.empty() && joined.back() != '/') {
      joined += '/';
   }
   return _bstr_t((joined + zoltdb::Text(path)).c_str());
}

IVmdbContextPtr NewContextOf(const IVmdbDatabasePtr &db)
{
   if (!db) {
      _com_issue_error(E_POINTER);
   }
   return db->NewContext();
}

vmdbLayout::rpc::Mgr &ManagerOrRegistered(vmdbLayout::rpc::Mgr *mgr)
{
   if (!mgr) {
      mgr = cui::GetRpcMgr();
   }
   if (!mgr) {
      throw cui::Error("No request manager is registered.");
   }
   return *mgr;
}

}  // namespace

// ---- VmdbCommand ----

VmdbCommand::VmdbCommand(const IVmdbDatabasePtr &db, const _bstr_t &owner, const _bstr_t &queue, const _bstr_t &op)
   : ctx_(NewContextOf(db))
{
   ctx_->ChangePath(owner);
   ctx_->ChangePath(ctx_->AppendElement(queue));
   element_ = ctx_->CurrentPath();
   ctx_->OpenBatch();
   batchOpen_ = true;
   // The destructor does not run for a half-built command: drop the element here.
   ScopeGuard dropHalfBuilt([this]() {
      ctx_->RemoveNode(element_, VARIANT_TRUE);
      ctx_->CloseBatch(-1);
   });
   ctx_->WriteValue(L"op", _variant_t(op));
   ctx_->ChangePath(_bstr_t(L"op/") + op);
   opPath_ = ctx_->CurrentPath();
   dropHalfBuilt.Dismiss();
}

VmdbCommand::~VmdbCommand()
{
   try {
      Finish();
   } catch (const _com_error &e) {
      Warning("VmdbCommand: could not remove the command %s: %s\n", zoltdb::Text(opPath_).c_str(),
              zoltdb::Text(e.Description()).c_str());
   }
}

void VmdbCommand::SetInput(const _bstr_t &key, const _variant_t &value)
{
   ctx_->WriteValue(Join(L"in", key), value);
}

_variant_t VmdbCommand::GetInput(const _bstr_t &key)
{
   return ctx_->ReadValue(Join(L"in", key));
}

_bstr_t VmdbCommand::Send()
{
   ctx_->CloseBatch(-1);
   batchOpen_ = false;
   sent_ = true;
   // No time limit: the wait ends with the owner's answer, or when the element is gone (its owner's
   // node was removed), which a wait on the status alone would never notice.
   while (ctx_->WaitUntilChanged(L"../../status", _variant_t(L""), VARIANT_FALSE, kOwnerCheckMs) == VARIANT_FALSE) {
      if (ctx_->TestNode(L"../..") == VARIANT_FALSE) {
         Warning("VmdbCommand: %s went away before it was answered\n", zoltdb::Text(opPath_).c_str());
         break;
      }
   }
   status_ = _bstr_t(ctx_->ReadValue(L"../../status"));
   return status_;
}

bool VmdbCommand::Failed() const
{
   std::string status = zoltdb::Text(status_);
   return status.empty() || status == "error";
}

_bstr_t VmdbCommand::GetErrorText()
{
   if (!sent_ || !Failed() || !ctx_) {
      return _bstr_t(L"");
   }
   return _bstr_t(ctx_->ReadValue(L"../../status/error/errMsg"));
}

bool VmdbCommand::ReportFailure(int resId, const _bstr_t &detail)
{
   if (!sent_ || !Failed()) {
      return false;
   }
   ReportCommandError(opPath_, resId, detail);
   return true;
}

void VmdbCommand::Finish()
{
   if (!ctx_) {
      return;
   }
   IVmdbContextPtr ctx = ctx_;
   ctx_ = nullptr;
   if (batchOpen_) {
      // Never sent: removed inside its own batch, so the owner never sees a command at all.
      batchOpen_ = false;
      ctx->RemoveNode(element_, VARIANT_TRUE);
      ctx->CloseBatch(-1);
   } else if (sent_) {
      ctx->ChangePath(opPath_);
      ctx->RemoveNode(L"../..", VARIANT_TRUE);
   }
}

// ---- VmdbRequest ----

VmdbRequest::VmdbRequest(const IVmdbDatabasePtr &db, const _bstr_t &owner, const _bstr_t &state)
   : ctx_(NewContextOf(db))
{
   ctx_->ChangePath(owner);
   element_ = ctx_->FullPath(ctx_->AppendElement(Join(state, "req/#")));
   ctx_->ChangePath(element_);
}

VmdbRequest::~VmdbRequest() = default;

void VmdbRequest::WaitUntilIdle()
{
   ctx_->WaitUntilChanged(L"../../new", _variant_t(L""), VARIANT_TRUE, -1);
}

void VmdbRequest::SetValue(const _bstr_t &key, const _variant_t &value)
{
   values_.emplace_back(key, value);
}

bool VmdbRequest::Submit()
{
   ctx_->OpenBatch();
   {
      ScopeGuard closeBatch([this]() { ctx_->CloseBatch(-1); });
      // Tested inside the batch, so no other submission can slip in between the test and ours.
      if (ctx_->TestNode(L"../../new") != VARIANT_FALSE) {
         return false;
      }
      for (const auto &value : values_) {
         ctx_->WriteValue(value.first, value.second);
      }
      ctx_->WriteValue(L"../../new", _variant_t(element_));
   }
   submitted_ = true;
   return true;
}

bool VmdbRequest::SubmitOrRefuse(UINT refusedId)
{
   if (Submit()) {
      return true;
   }
   Log("VmdbRequest: %s refused, another change is pending\n", zoltdb::Text(element_).c_str());
   if (gApp) {
      gApp->MessageBoxRes(refusedId, MB_OK | MB_ICONEXCLAMATION);
   }
   return false;
}

bool VmdbRequest::WaitUntilApplied(long limitMs)
{
   return ctx_->WaitUntilChanged(L"../../new", _variant_t(L""), VARIANT_TRUE, limitMs) != VARIANT_FALSE;
}

_bstr_t VmdbRequest::GetStatus()
{
   return _bstr_t(ctx_->ReadValue(L"status"));
}

// ---- The request manager's forms ----

vmdbLayout::rpc::Cmd SendVmdbCmd(vmdbLayout::rpc::Mgr *mgr, const std::string &queue, const std::string &op,
                                 const VmdbInputs &inputs, const cui::AbortSlot &onAbort,
                                 const cui::DoneSlot &onDone)
{
   vmdbLayout::rpc::Cmd cmd = ManagerOrRegistered(mgr).NewCmd(queue, op);
   for (const auto &input : inputs) {
      cmd[input.first] = input.second;
   }
   cmd->abort.connect(cui::MakeRPCAbortSlot(onAbort));
   if (!onDone.empty()) {
      cmd->done.connect(onDone);
   }
   cmd->Invoke();
   return cmd;
}

vmdbLayout::rpc::Req SendVmdbReq(vmdbLayout::rpc::Mgr *mgr, const std::string &queue, const VmdbInputs &values,
                                 const cui::AbortSlot &onAbort, const cui::DoneSlot &onDone,
                                 const sigc::slot<void> &onResubmit)
{
   vmdbLayout::rpc::Req req = ManagerOrRegistered(mgr).NewReq(queue);
   for (const auto &value : values) {
      req[value.first] = value.second;
   }
   req->abort.connect(cui::MakeRPCAbortSlot(onAbort));
   if (!onDone.empty()) {
      req->done.connect(onDone);
   }
   if (!onResubmit.empty()) {
      req->resubmit.connect(onResubmit);
   }
   req->Invoke();
   return req;
}

vmdbLayout::rpc::Req SendGrabRequest(vmdbLayout::rpc::Mgr *mgr, const cui::VM *vm, const sigc::slot<void> &onResubmit)
{
   if (!vm) {
      return vmdbLayout::rpc::Req();
   }
   return SendVmdbReq(mgr, vm->GetVmPath() + "mks/grabState/req/#", {{"val/", vmdb::Value("grabbed")}},
                      cui::AbortSlot(), cui::DoneSlot(), onResubmit);
}

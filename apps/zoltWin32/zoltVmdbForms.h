// The two ways the application asks a host's or a machine's own process to act through the state
// database: a command appended to a command queue, and a request to change a state node. Each
// comes blocking, on a context of its own (VmdbCommand, VmdbRequest), and without blocking,
// through the model library's request manager (SendVmdbCmd, SendVmdbReq).
//
// Blocking command, e.g. a host's "createVMCfg":
//    VmdbCommand cmd(db, cui::appdata::kCurrentHost, "util/vm/cmd/##/", "createVMCfg");
//    cmd.SetInput("file", path);
//    cmd.Send();                                  // waits until the host sets the status
//    cmd.ReportFailure(IDS_NEW_VM_FAILED, name);  // the error box when the status is "error"
//    cmd.Finish();                                // removes the element
//
// Blocking request, e.g. a device's connection:
//    VmdbRequest req(db, devicePath, "connectState");
//    req.SetValue("val/connected", true);
//    if (!req.SubmitOrRefuse(252)) return;   // another change is pending
#pragma once

#include "cui/Error.h"
#include "cui/RpcMgr.h"
#include "cui/VM.h"
#include "cui/VmdbCtx.h"
#include "vmdb/VmdbInterfaces.h"

#include <windows.h>
#include <comdef.h>

#include <string>
#include <utility>
#include <vector>

// A command on a context of its own. The construction appends the element, opens the batch and
// writes "op"; nothing is visible to the queue's owner before Send closes the batch.
class VmdbCommand {
public:
   // `owner` is the node that holds the queue (a link is followed: cui::appdata::kCurrentHost);
   // `queue` its command queue ("util/vm/cmd/##/", "cmd/##", "user/cmd/##/"). Raises _com_error.
   VmdbCommand(const IVmdbDatabasePtr &db, const _bstr_t &owner, const _bstr_t &queue, const _bstr_t &op);
   // A command never sent is dropped unseen; a sent one is removed as by Finish. Never throws.
   ~VmdbCommand();

   // An input under the operation's "in/" ("file", "access/private"). Only before Send.
   void SetInput(const _bstr_t &key, const _variant_t &value);
   _variant_t GetInput(const _bstr_t &key);
   // For a component that writes the inputs itself: the context, standing at the operation's
   // node ("…/op/createVMCfg/"), and that node's path.
   IVmdbContextPtr GetContext() const { return ctx_; }
   const _bstr_t &GetOpPath() const { return opPath_; }

   // Closes the batch and waits, without a time limit, until the owner sets the status; runs
   // poll steps meanwhile. The wait also ends when the element or its owner is removed (the owner
   // went away): the status is then empty. Returns the status.
   _bstr_t Send();
   const _bstr_t &GetStatus() const { return status_; }
   bool IsSent() const { return sent_; }
   // "error", or no answer at all; any other text is success.
   bool Failed() const;
   // The owner's error text ("status/error/errMsg"); empty unless it failed.
   _bstr_t GetErrorText();
   // When it failed: the error box with resource `resId` and `detail` (the error text as second
   // insert). True when it failed.
   bool ReportFailure(int resId, const _bstr_t &detail);
   // Removes the element and lets go of the context; later calls do nothing.
   void Finish();

   // How often the wait looks whether the element is still there.
   static constexpr long kOwnerCheckMs = 250;

   VmdbCommand(const VmdbCommand &) = delete;
   VmdbCommand &operator=(const VmdbCommand &) = delete;

private:
   IVmdbContextPtr ctx_;
   _bstr_t element_;
   _bstr_t opPath_;
   _bstr_t status_;
   bool batchOpen_ = false;
   bool sent_ = false;
};

// A request to change a state node, on a context of its own. The construction appends the
// element to the state's "req/#"; the values are written and submitted in one batch by Submit.
class VmdbRequest {
public:
   // `owner` is the node that holds the state; `state` the state's path under it ("connectState",
   // "mks/grabState", "settingsState"). Raises _com_error.
   VmdbRequest(const IVmdbDatabasePtr &db, const _bstr_t &owner, const _bstr_t &state);
   ~VmdbRequest();

   // The element's absolute path ("…/connectState/req/#0001/").
   const _bstr_t &GetElement() const { return element_; }
   // Waits, without a time limit, until no submission of anybody is pending.
   void WaitUntilIdle();
   // The wanted value ("val") or a part of it ("val/connected/port"); written by Submit.
   void SetValue(const _bstr_t &key, const _variant_t &value);
   // Writes the values and submits them, unless a submission is pending: then false, and the
   // element is left in the queue, unsubmitted, with nothing written into it.
   bool Submit();
   // Submit; a refusal is shown as resource string `refusedId` with the exclamation icon.
   bool SubmitOrRefuse(UINT refusedId);
   // Waits until the owner took the submission ("new" empty again); `limitMs` -1 waits without
   // limit. False when the limit passed first.
   bool WaitUntilApplied(long limitMs = -1);
   // The outcome the owner left in the element ("ok", "error"); empty before.
   _bstr_t GetStatus();

   VmdbRequest(const VmdbRequest &) = delete;
   VmdbRequest &operator=(const VmdbRequest &) = delete;

private:
   IVmdbContextPtr ctx_;
   _bstr_t element_;
   std::vector<std::pair<_bstr_t, _variant_t>> values_;
   bool submitted_ = false;
};

// Inputs of a command or values of a request sent through the request manager: key -> value
// ("username/", "val/", "val/connected/port/").
typedef std::vector<std::pair<std::string, vmdb::Value>> VmdbInputs;

// Sends `op` with `inputs` to `queue` ("…/user/cmd/##/") and returns at once. `onAbort` gets
// (false, error) when the owner failed it, `onDone` is called when it is done. `mgr` null takes
// the registered manager; none raises cui::Error.
vmdbLayout::rpc::Cmd SendVmdbCmd(vmdbLayout::rpc::Mgr *mgr, const std::string &queue, const std::string &op,
                                 const VmdbInputs &inputs, const cui::AbortSlot &onAbort,
                                 const cui::DoneSlot &onDone);
// Sends a request on `queue` (the state's "…/mks/grabState/req/#") with `values` and returns at
// once. The manager waits, refuses while another submission is pending (onAbort) and submits;
// `onResubmit` runs when the owner asks for the request again.
vmdbLayout::rpc::Req SendVmdbReq(vmdbLayout::rpc::Mgr *mgr, const std::string &queue, const VmdbInputs &values,
                                 const cui::AbortSlot &onAbort, const cui::DoneSlot &onDone,
                                 const sigc::slot<void> &onResubmit);
// The input grab of a machine: a request of "grabbed" on its "mks/grabState", sent also when it
// is grabbed already. No result is awaited; `onResubmit` runs when the owner asks for it again.
// Nothing is sent for a null machine (an empty handle then).
vmdbLayout::rpc::Req SendGrabRequest(vmdbLayout::rpc::Mgr *mgr, const cui::VM *vm, const sigc::slot<void> &onResubmit);

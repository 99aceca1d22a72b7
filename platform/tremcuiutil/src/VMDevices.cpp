// A running machine's removable devices: connecting and disconnecting them.
#include "cui/VM.h"

#include <windows.h>
#include <comdef.h>

#include "ModelCmd.h"
#include "cui/LocalizedString.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace cui {

namespace {

[[noreturn]] void ThrowComError(HRESULT hr, const std::string &text)
{
   IErrorInfo *info = nullptr;
   ICreateErrorInfo *create = nullptr;
   if (SUCCEEDED(CreateErrorInfo(&create))) {
      BSTR description = BstrFromUtf8(text);
      create->SetDescription(description);
      SysFreeString(description);
      create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void **>(&info));
      create->Release();
   }
   // The error takes over the reference.
   throw _com_error(hr, info, false);
}

// Bound to no object: the answer may come after the machine has gone.
void OnConnectDeviceAnswer(std::string error, cuiutil::ModelCmd::Outputs, std::string what)
{
   if (!error.empty()) {
      Warning("%s failed: %s\n", what.c_str(), error.c_str());
   }
}

}  // namespace

bool VM::IsRemDevConnected(const std::string &key) const
{
   return registered_ && !key.empty() && ctx_.GetBool(vmPath_ + "vmx/execState/dev/" + key + "/connected", false);
}

void VM::ToggleRemDev(const std::string &key)
{
   if (!registered_ || powerState_ != POWERED_ON) {
      ThrowComError(E_FAIL, Format("@&!*@*@(msg.vm.dev.notOn)The devices of \"%s\" can be connected or "
                                   "disconnected only while it is powered on.", name_.c_str()));
   }
   if (ctx_.Test(vmPath_ + "vmx/cfgState/new")) {
      ThrowComError(kSubmissionPending, GetLocalString("@&!*@*@(msg.vm.dev.pending)Another client is submitting "
                                                       "changes to the configuration."));
   }
   bool found = false;
   for (const std::string &device : ctx_.Elements(vmPath_ + "vmx/cfgState/val/dev/#")) {
      found = found || (!key.empty() && ctx_.Get(device + "key") == key && ctx_.Get(device + "media") == "removable");
   }
   if (!found) {
      ThrowComError(E_FAIL, Format("@&!*@*@(msg.vm.dev.unknown)The virtual machine \"%s\" has no removable device "
                                   "\"%s\".", name_.c_str(), key.c_str()));
   }
   bool connect = !IsRemDevConnected(key);
   try {
      cuiutil::ModelCmd::Send(ctx_, vmPath_ + "cmd/##/", "connectDevice", {{"key", key}, {"connect", connect ? "1" : "0"}},
                              {}, sigc::bind(&OnConnectDeviceAnswer, "VM " + vmPath_ + ": connectDevice " + key));
   } catch (const Error &e) {
      ThrowComError(E_FAIL, e.what());
   }
   Log("VM %s: %s %s\n", vmPath_.c_str(), connect ? "connecting" : "disconnecting", key.c_str());
}

}  // namespace cui

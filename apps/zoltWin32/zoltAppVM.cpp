// Machine commands the model library and the start-up call. Each is the least that keeps the
// program sound until the machine commands land.
#include "zoltApp.h"

#include "cui/cui.h"
#include "tremorybase/Log.h"

void CZOLTApp::RegisterVM(_bstr_t cfgPath, cui::AbortSlot onAbort, cui::DoneSlot)
{
   Log("CZOLTApp::RegisterVM %s\n", static_cast<const char *>(cfgPath));
   cui::CallSlot(onAbort, false, cui::Error("Virtual machines cannot be registered in this build."));
}

void CZOLTApp::OnPowerCommand(int commandId, cui::VM *vm)
{
   Log("CZOLTApp::OnPowerCommand %d %s\n", commandId, vm ? vm->GetVmPath().c_str() : "");
}

int CZOLTApp::NewVM(_bstr_t &, _bstr_t &, _bstr_t &, bool)
{
   Log("CZOLTApp::NewVM: the new-machine wizard is not available in this build\n");
   return 0;
}

_bstr_t CZOLTApp::CloneVM(cui::VM *vm, cui::SnapshotTree *, int, HWND, bool, bool, bool)
{
   Log("CZOLTApp::CloneVM %s: the clone wizard is not available in this build\n", vm ? vm->GetVmPath().c_str() : "");
   return _bstr_t("");
}

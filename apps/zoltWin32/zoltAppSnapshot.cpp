// Snapshot commands: logged only, the least that keeps the program sound until they land.
#include "zoltApp.h"

#include "cui/VM.h"
#include "tremorybase/Log.h"

void CZOLTApp::OnSnapshotCommand(CommandId id, wui::VM *vm)
{
   Log("CZOLTApp::OnSnapshotCommand %u %s\n", static_cast<unsigned>(id), vm ? vm->GetVmPath().c_str() : "");
}

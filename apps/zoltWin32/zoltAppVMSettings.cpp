// VM > Settings: the model library's settings window of a machine, shown modeless.
#include "zoltApp.h"

#include "cui/Host.h"
#include "cui/MVMTMgr.h"
#include "cui/VM.h"
#include "cui/VMSettings.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"

void CZOLTApp::EditVMSettings(cui::VM *vm)
{
   if (!vm) {
      return;
   }
   cui::MVMTemplate *mvmt = GetMVMTForVM(vm);
   ClearTransientObjIfSame(mvmt ? mvmt->GetFilename() : vm->GetVmPath());
   cui::Host *host = vm->GetHost();
   std::string hostPath = host ? host->GetPath() : std::string();
   if (!TremAppUtil_CheckLockout(ctx_, hostPath.c_str(), "lockoutEditVM") || !vm->GetCanDoVMSettings()) {
      return;
   }
   if (wui::dialog::VMSettings *settings = wui::dialog::VMSettings::CreateInstance(vm)) {
      settings->Show(1, 0, 0);
   }
}

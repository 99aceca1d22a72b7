// VM and Zephro menu commands. Grab input is sent, Close closes the machine's tab, Remove drops
// the machine from the host and closes its tab, the capture commands capture the screen or a
// movie, Settings shows the machine's settings window; every other command is logged only, the
// least that keeps the program sound until the menus' commands land.
#include "zoltApp.h"
#include "zoltAppDb.h"

#include "cui/VM.h"
#include "res/resource.h"
#include "tremorybase/Log.h"

void CZOLTApp::OnVMCommand(CommandId id, _bstr_t &path, CommandSource source)
{
   Log("CZOLTApp::OnVMCommand %u %s %d\n", static_cast<unsigned>(id), zoltdb::Text(path).c_str(),
       static_cast<int>(source));
   if (id == IDM_VM_GRAB_INPUT) {
      GrabInput(ResolveCommandVM(source, path));
   } else if (id == IDM_VM_CLOSE) {
      if (cui::VM *vm = ResolveCommandVM(source, path)) {
         CloseVMTab(vm->GetVmPath(), true, sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted));
      }
   } else if (id == IDM_VM_REMOVE) {
      RemoveVM(ResolveCommandVM(source, path), sigc::mem_fun(*this, &CZOLTApp::OnOperationAborted), sigc::slot<void>());
   } else if (id == IDM_VM_SETTINGS) {
      cui::VM *vm = ResolveCommandVM(source, path);
      if (vm && vm->GetCanDoVMSettings()) {
         EditVMSettings(vm);
      }
   } else if (id == IDM_VM_CAPTURE_SCREEN) {
      CaptureScreen(ResolveCommandVM(source, path));
   } else if (id == IDM_VM_CAPTURE_MOVIE) {
      cui::VM *vm = ResolveCommandVM(source, path);
      if (vm && vm->GetCanStopMovieCapture()) {
         CaptureMovie(vm, 1);
      } else if (vm && vm->GetCanStartMovieCapture()) {
         CaptureMovie(vm, 0);
      } else {
         MessageBoxRes(IDS_MOVIE_CAPTURE_UNAVAILABLE, MB_OK | MB_ICONWARNING);
      }
   }
}

void CZOLTApp::OnZephroCommand(CommandId id, _bstr_t &path, CommandSource source)
{
   Log("CZOLTApp::OnZephroCommand %u %s %d\n", static_cast<unsigned>(id), zoltdb::Text(path).c_str(),
       static_cast<int>(source));
}

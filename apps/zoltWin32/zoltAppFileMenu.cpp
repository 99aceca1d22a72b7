// File, Edit and View menu commands. Each is the least that keeps the program sound until the
// menu's commands land: the command is logged and nothing else happens.
#include "zoltApp.h"

#include "cui/Registry.h"
#include "cui/WuiPrefs.h"
#include "res/resource.h"
#include "tremorybase/Log.h"

void CZOLTApp::OnFileCommand(CommandId id)
{
   Log("CZOLTApp::OnFileCommand %u\n", static_cast<unsigned>(id));
   switch (id) {
   case IDM_FILE_NEW_VM:
      NewVMAndOpen();
      break;
   case IDM_FILE_NEW_ZEPHRO_TEMPLATE:
      RunHostVMCommand();
      break;
   case IDM_FILE_OPEN:
      OnFileOpen();
      break;
   case IDM_FILE_CLOSE:
      if (wui::GetPrefs()->GetCurrentObjType() == "vm") {
         CloseCurrentVMTab();
      }
      break;
   default:
      break;
   }
}

void CZOLTApp::OnEditCommand(CommandId id)
{
   Log("CZOLTApp::OnEditCommand %u\n", static_cast<unsigned>(id));
}

void CZOLTApp::HandleViewMenuOps(CommandId id)
{
   Log("CZOLTApp::HandleViewMenuOps %u\n", static_cast<unsigned>(id));
}

// The command dispatcher: every command ends here and goes to one handler group.
#include "zoltApp.h"

#include "cui/Team.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"

void CZOLTApp::MenuButtonClicked(CommandId id, _bstr_t &path, CommandSource source)
{
   Log("CZOLTApp::MenuButtonClicked %u %s %d\n", static_cast<unsigned>(id),
       static_cast<const char *>(path) ? static_cast<const char *>(path) : "", static_cast<int>(source));
}

wui::VM *CZOLTApp::ResolveCommandVM(CommandSource, const _bstr_t &, wui::Team **team)
{
   if (team) {
      *team = nullptr;
   }
   return nullptr;
}

// Team menu commands: logged only, the least that keeps the program sound until they land.
#include "zoltApp.h"
#include "zoltAppDb.h"

#include "tremorybase/Log.h"

void CZOLTApp::OnTeamCommand(CommandId id, _bstr_t &path, CommandSource source)
{
   Log("CZOLTApp::OnTeamCommand %u %s %d\n", static_cast<unsigned>(id), zoltdb::Text(path).c_str(),
       static_cast<int>(source));
}

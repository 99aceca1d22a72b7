// Host and Help menu commands, the home tab and the Zephro server popup. Each is the least that
// keeps the program sound until these commands land: the command is logged and nothing else happens.
#include "zoltApp.h"
#include "zoltAppDb.h"

#include "tremorybase/Log.h"

void CZOLTApp::OnHostCommand(CommandId id)
{
   Log("CZOLTApp::OnHostCommand %u\n", static_cast<unsigned>(id));
}

void CZOLTApp::OnHelpCommand(CommandId id)
{
   Log("CZOLTApp::OnHelpCommand %u\n", static_cast<unsigned>(id));
}

void CZOLTApp::CloseHomepage()
{
   Log("CZOLTApp::CloseHomepage\n");
}

void CZOLTApp::OnQuenServerCommand(CommandId id, _bstr_t &path, CommandSource source)
{
   Log("CZOLTApp::OnQuenServerCommand %u %s %d\n", static_cast<unsigned>(id), zoltdb::Text(path).c_str(),
       static_cast<int>(source));
}

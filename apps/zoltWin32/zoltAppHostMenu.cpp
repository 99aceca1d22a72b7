// Host and Help menu commands, the home tab and the Zephro server popup. Help runs the tip of the
// day and the about box; the others are the least that keeps the program sound until they land:
// the command is logged and nothing else happens.
#include "zoltApp.h"
#include "zoltAbout.h"
#include "zoltAppDb.h"
#include "zoltFrame.h"
#include "zoltTips.h"

#include "tremorybase/Log.h"

void CZOLTApp::OnHostCommand(CommandId id)
{
   Log("CZOLTApp::OnHostCommand %u\n", static_cast<unsigned>(id));
}

void CZOLTApp::OnHelpCommand(CommandId id)
{
   Log("CZOLTApp::OnHelpCommand %u\n", static_cast<unsigned>(id));
   HWND owner = frame_ && frame_->m_hWnd ? frame_->m_hWnd : GetActiveWindow();
   if (id == IDM_HELP_TIP_OF_THE_DAY) {
      CZOLTTips tips;
      tips.DoModal(owner);
   } else if (id == IDM_HELP_ABOUT) {
      CZOLTAbout about;
      about.DoModal(owner);
   }
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

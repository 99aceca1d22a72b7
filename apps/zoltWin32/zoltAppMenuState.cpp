// Menu item state: one rule per command id, asked before a menu opens.
#include "zoltApp.h"

bool CZOLTApp::UpdateMenuItemState(HMENU, CommandId, CommandSource, const _bstr_t &)
{
   return false;
}

void CZOLTApp::UpdatePopupMenu(HMENU, CommandSource, const _bstr_t &)
{
}

#include "cui/DiskMgrUtils.h"

#include "cui/DlgMgr.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "tremorybase/Log.h"

namespace wui {
namespace DiskMgrUtils {

void RunMapDisconnectDlgInWS(HWND)
{
   Log("wui::DiskMgrUtils::RunMapDisconnectDlgInWS: no disk-mapping service is installed\n");
   if (cui::DlgMgr *dlgMgr = cui::GetDlgMgr()) {
      dlgMgr->NewError(cui::GetLocalString("@&!*@*@(msg.diskMgr.noService)Virtual disks cannot be mapped: no "
                                           "disk-mapping service is installed on this host."),
                       "");
   }
}

}  // namespace DiskMgrUtils
}  // namespace wui

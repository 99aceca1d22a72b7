// Mapping a machine's virtual disks as drives of the host.
#pragma once

#include <windows.h>

namespace wui {
namespace DiskMgrUtils {

// The map-or-disconnect window over `owner`. No disk-mapping service is part of this library:
// the user is told so in an error dialog.
void RunMapDisconnectDlgInWS(HWND owner);

}  // namespace DiskMgrUtils
}  // namespace wui

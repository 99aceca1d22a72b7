// What the library's own objects tell the registry (internal).
#pragma once

namespace wui {
class DlgMgr;
}

namespace cuiutil {

// A library dialog manager is going away: the registry forgets it if it holds it.
void ForgetLibDlgMgr(wui::DlgMgr *dlgMgr);

}  // namespace cuiutil

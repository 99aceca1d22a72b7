// The host settings and preferences windows: which settings pages they show, in which order, and
// how long they wait for another client's submission before they refuse to open.
#pragma once

#include <vector>

namespace zoltsettings {

// How long a settings window waits for another client's pending submission to be taken.
const long kPendingWaitMs = 15000;

// Pages of the host settings window: UI mode 1 (remote) has the general and connection pages,
// the others the lockout page.
std::vector<const wchar_t *> HostSettingsPages(bool remoteMode);
// Pages of the preferences window; the host's pages follow the preference pages when
// `withHostPages` (UI mode 0 and a current machine whose interface is not restricted).
std::vector<const wchar_t *> PreferencePages(bool remoteMode, bool withHostPages);

}  // namespace zoltsettings

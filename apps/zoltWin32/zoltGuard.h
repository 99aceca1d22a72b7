// Runs a callback that the model library or a dialog hands back, so that nothing it throws
// reaches the caller.
#pragma once

#include <sigc++/sigc++.h>

// Calls `slot` unless it is empty or blocked; whatever it throws is logged as a warning.
void Guard(const sigc::slot<void> &slot);

// The clone wizard's last page: it starts the clone when it first shows and marks each step as
// the host reaches it: preparing, the snapshot a linked clone of the current state needs,
// creating the clone, and the outcome. From here the sheet can only be closed, once it is over.
#pragma once

#include <vector>

namespace clonewz {

// The step lines the page shows, top to bottom: four for a linked clone of the current state
// (it takes a snapshot), three otherwise.
std::vector<int> ProgressSteps(bool linked, bool fromSnapshot);

}  // namespace clonewz

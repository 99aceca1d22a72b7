// The clone wizard's type page: a linked clone, which keeps using the source's disks, or a full
// clone, an independent copy. Worked out again each time the page shows, since the source
// chosen on the page before decides what is possible.
#pragma once

#include <string>

class CCloneWz;

namespace clonewz {

// What the type page offers for the wizard's source now.
struct TypeChoice {
   bool linkedPossible = false;
   bool fullPossible = false;
   bool linked = true;        // the kind checked
   std::string reasons;       // why a kind is not possible, one line each; empty when both are
   bool showCloneNote = false;   // both possible and the source is itself a clone
};
// The offer for `wizard`: the kind checked stays the wizard's choice while that is possible.
TypeChoice ComputeTypeChoice(const CCloneWz &wizard);

}  // namespace clonewz

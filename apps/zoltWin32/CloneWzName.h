// The clone wizard's name and location page: the clone's name and the folder it goes to, which
// follows the name until the user types a folder of their own. Next checks both, then asks the
// host whether it can write there, and moves on by itself once it can.
#pragma once

#include <functional>
#include <string>

namespace clonewz {

// What is at a path on the host (PathExists: 0 nothing, 1 a folder, 2 a file; with a pattern,
// whether the folder holds a match).
typedef std::function<int(const std::string & /*path*/, const std::string & /*pattern*/)> ExistsFn;

// The checks of the name and the location as typed (already trimmed), in the order name,
// location, existence; the message of the last one that fails, empty when all pass. `reserve`
// gets the room kept free after the location for the clone's files.
std::string CheckNameAndLocation(const std::string &name, const std::string &location, int osType,
                                 int longestDiskName, int extraReserve, const ExistsFn &exists, int *reserve = nullptr);

}  // namespace clonewz

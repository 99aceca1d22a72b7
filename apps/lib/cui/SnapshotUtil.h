// Checks of the texts a user gives a snapshot, shared by the take dialog and the snapshot
// manager's details pane. Lengths are counted as the host stores them: UTF-8 bytes.
#pragma once

#include <string>

#include "cui/Util.h"   // wui::util::snapshot::CanTakeSnapshot, CanRestoreSnapshot

namespace cui {
namespace utf8 {

// `text` without the blanks (spaces, tabs, line ends) at either end.
std::string Trim(const std::string &text);

}  // namespace utf8
}  // namespace cui

namespace wui {
namespace util {
namespace snapshot {

// What ValidateName and ValidateDescription answer; `message` is set for every code but OK.
enum ValidationError {
   VALID = 0,
   NAME_EMPTY = 1,
   NAME_TOO_LONG = 2,
   NAME_CONTROL_CHARACTER = 3,   // a line end or another control character
   DESCRIPTION_TOO_LONG = 4,
   TEXT_NOT_UTF8 = 5,
};

int ValidateName(const std::string &name, std::string &message);
int ValidateDescription(const std::string &description, std::string &message);

}  // namespace snapshot
}  // namespace util
}  // namespace wui

// Reading a list view of this process as a user reads it.
#pragma once

#include <windows.h>

#include <string>

namespace testsupport {

// The text of a cell (`column` 0 is the item itself), as UTF-8; at most 511 characters.
std::string ListViewCellText(HWND list, int row, int column);

}  // namespace testsupport

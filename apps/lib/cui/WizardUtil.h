// Helpers of the library's wizards: the checks of a name or folder a user typed, and the
// enabling of a whole property sheet while the host is asked something.
#pragma once

#include <windows.h>

#include <string>

namespace wui {
namespace util {

// The tests ValidatePath makes (a mask) and the one it answers failed.
enum PathTest {
   PATH_OK = 0,
   PATH_BAD_CHARS = 1,    // a character the host's file names may not hold
   PATH_EMPTY = 2,
   PATH_TOO_LONG = 0x10,  // with `reserve` characters added, longer than the host allows (260)
};
const int kMaxPath = 260;

// The first test of `tests` that `text` fails, on a host of `osType` (cui::Host::GetOSType:
// 2 Linux, else Windows); PATH_OK when it passes them. On Windows a colon is allowed only as a
// drive's ("C:"), and separators of either kind are allowed (a folder path).
PathTest ValidatePath(int osType, int tests, const std::string &text, int reserve);

// `text` without its leading blanks.
std::string TrimLeft(const std::string &text);
// A folder path as typed: blanks at both ends go; on Windows (`windows`) "/" becomes "\".
std::string TrimFilePath(const std::string &text, bool windows);

// Disables the sheet's own buttons and every control of its pages that is enabled, or enables
// again what it disabled (a control its page disabled stays so).
void EnableAllControls(HWND sheet, bool enable);

}  // namespace util
}  // namespace wui

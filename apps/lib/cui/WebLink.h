// The maker's web addresses by link number, and the help that opens through them in the
// program's browser launcher (cui::Browse).
#pragma once

#include <windows.h>

#include <string>

namespace weblink {

// Link numbers the program asks for.
enum {
   LINK_UPDATE_HELP = 153,    // what to check when the update check fails
   LINK_GUIDE = 216,          // the getting-started guide
   LINK_ZEPHRO_GUIDE = 217,   // the Zephro guide
   LINK_MANUAL = 238,         // the user's manual
};

// The address of link `id`: the configuration key "link.<id>" when set, else the built-in
// address; with `secure` the address is given as "https://", else "http://". A malloc'd text
// (release it with free); null for a link number that names no link.
char *Lookup(int id, bool secure);

}  // namespace weblink

namespace wui {
namespace util {

// Opens the help `helpValue` (the application context's help value) in the browser: the
// address is the configuration key "link.help" (else the built-in help address) followed by
// the value's page. False when no launcher took it; the failure is logged.
bool ShowHelp(HWND owner, const std::string &helpValue);

}  // namespace util
}  // namespace wui

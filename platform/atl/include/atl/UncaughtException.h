// The one catch-all of the boundaries: window and dialog procedures, event sinks, and the
// program's Guard call it so an exception never unwinds into the system.
#pragma once

namespace atl {

// Call only inside a catch (...) block. Rethrows the exception being handled to learn what it
// is (a standard exception, a COM error, anything else) and logs it as a warning.
void HandleUncaughtException();

} // namespace atl

// The single-instance hand-off: a command line offered to the running frames of the program.
#pragma once

#include <windows.h>

// How long a running instance may take to answer before it counts as refusing.
const UINT kHandOffTimeoutMs = 5000;

// Offers `commandLine` (UTF-8; it goes with its terminating zero) to each running "ZOLTFrame"
// window in turn. True when one took it; that window has then been restored and brought to the
// front. An empty command line is never offered.
bool HandOffCommandLine(const char *commandLine);

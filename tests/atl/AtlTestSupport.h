// Shared by the layer's tests: COM and the host classes are set up once, and the log goes to
// a file of the test run so tests can read what the boundaries logged.
#pragma once

#include <string>

// Everything logged so far.
std::string LogText();
// Runs the messages already queued for this thread.
void PumpMessages();

// Shared by the layer's tests: COM and the host classes are set up once, and the log goes to
// a file of the test run so tests can read what the boundaries logged.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Everything logged so far.
std::string LogText();
// Runs the messages already queued for this thread.
void PumpMessages();

// One text per script (Latin-1, Greek, Cyrillic, CJK), as UTF-8 and as UTF-16: no one code page
// holds them all.
struct TextSample {
   const char *utf8;
   const wchar_t *wide;
};
const std::vector<TextSample> &TextSamples();

// Asks `owner` for a tip's text the way a tooltip does (TTN_GETDISPINFO, in the form the owner
// asks for); the text the tooltip got.
std::wstring TipTextFrom(HWND owner);

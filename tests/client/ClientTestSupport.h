// Shared by the client tests: COM with the database's classes, a log file, the configuration
// reset between tests, and a helper that answers a modal box from a timer.
#pragma once

#include "vmdb/ClientInterfaces.h"

#include <functional>
#include <string>

// The log written since the object was made.
class LogTail {
public:
   LogTail();
   std::string Text() const;

private:
   long long start_;
};

// Each test gets its own in-memory database and a context on it.
IVmdbDatabasePtr ConnectNamed(const wchar_t *name);

std::string Text(const _bstr_t &text);

// While `run` shows a modal window of this thread, `onWindow` is called (from a timer) for every
// visible top-level window of the thread whose class is `windowClass`, until it answers true.
// Returns how often it was called with a window and answered true (0 or 1).
int AnswerModal(const wchar_t *windowClass, const std::function<bool(HWND)> &onWindow,
                const std::function<void()> &run);

// The texts of a window's children, one per line.
std::string ChildTexts(HWND window);

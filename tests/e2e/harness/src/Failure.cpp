#include "e2e/Failure.h"

#include "FailureText.h"

#include "tremorybase/Text.h"

#include <cstdio>
#include <map>
#include <mutex>

namespace e2e {

namespace {

// Per thread, kept in one map rather than in a thread-local string: a thread-local object with
// a destructor is freed wrongly at thread exit by the 32-bit runtime. A node's address is stable,
// so the reference LastFailure gives stays good while other threads fail.
std::mutex failuresLock;
std::map<DWORD, std::string> failures;

std::string &ThreadFailure()
{
   std::lock_guard<std::mutex> hold(failuresLock);
   return failures[GetCurrentThreadId()];
}

} // namespace

const std::string &LastFailure()
{
   return ThreadFailure();
}

void ClearFailure()
{
   ThreadFailure().clear();
}

bool Fail(const std::string &reason)
{
   ThreadFailure() = reason;
   return false;
}

bool FailWithSystemError(const std::string &reason, DWORD error)
{
   WCHAR text[256] = L"";
   FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                  text, ARRAYSIZE(text), nullptr);
   std::string message = reason + " (error " + std::to_string(error) + ": " + Utf8FromWide(text);
   while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
      message.pop_back();
   }
   return Fail(message + ")");
}

std::string DescribeWindow(HWND window)
{
   WCHAR className[256] = L"";
   GetClassNameW(window, className, ARRAYSIZE(className));
   char text[64];
   std::snprintf(text, sizeof text, "window %p", static_cast<void *>(window));
   return std::string(text) + " of class \"" + Utf8FromWide(className) + "\"";
}

} // namespace e2e

#include "e2e/Failure.h"

#include "FailureText.h"

#include <cstdio>

namespace e2e {

namespace {
thread_local std::string lastFailure;
}

const std::string &LastFailure()
{
   return lastFailure;
}

void ClearFailure()
{
   lastFailure.clear();
}

bool Fail(const std::string &reason)
{
   lastFailure = reason;
   return false;
}

bool FailWithSystemError(const std::string &reason, DWORD error)
{
   char text[256] = "";
   FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                  text, sizeof text, nullptr);
   std::string message = reason + " (error " + std::to_string(error) + ": " + text;
   while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
      message.pop_back();
   }
   return Fail(message + ")");
}

std::string DescribeWindow(HWND window)
{
   char className[128] = "";
   GetClassNameA(window, className, sizeof className);
   char text[64];
   std::snprintf(text, sizeof text, "window %p", static_cast<void *>(window));
   return std::string(text) + " of class \"" + className + "\"";
}

} // namespace e2e

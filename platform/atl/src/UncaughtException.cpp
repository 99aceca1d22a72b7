#include "atl/UncaughtException.h"

#include <comdef.h>

#include <exception>
#include <string>

#include "tremorybase/Log.h"

namespace atl {

namespace {

// ErrorMessage() follows the build's character set.
[[maybe_unused]] std::string Narrow(const wchar_t *text)
{
   if (!text) {
      return std::string();
   }
   int len = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
   if (len <= 1) {
      return std::string();
   }
   std::string out(static_cast<size_t>(len - 1), '\0');
   WideCharToMultiByte(CP_ACP, 0, text, -1, &out[0], len, nullptr, nullptr);
   return out;
}

[[maybe_unused]] std::string Narrow(const char *text)
{
   return text ? std::string(text) : std::string();
}

void LogCurrent()
{
   try {
      throw;
   } catch (const std::exception &e) {
      Warning("Guard: Uncaught exception: %s\n", e.what());
   } catch (const _com_error &e) {
      char hr[16];
      wsprintfA(hr, "0x%08lX", static_cast<unsigned long>(e.Error()));
      std::string text = std::string("COM error ") + hr;
      std::string message = Narrow(e.ErrorMessage());
      // FormatMessage texts end in a line break; the log line supplies its own.
      while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
         message.pop_back();
      }
      if (!message.empty()) {
         text += " (" + message + ")";
      }
      Warning("Guard: Uncaught exception: %s\n", text.c_str());
   }
}

} // namespace

void HandleUncaughtException()
{
   try {
      LogCurrent();
   } catch (...) {
      // Neither kind we can describe, or describing it failed (out of memory).
      Warning("Guard: Uncaught exception.\n");
   }
}

} // namespace atl

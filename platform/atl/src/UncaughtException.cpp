#include "atl/UncaughtException.h"

#include <comdef.h>

#include <exception>
#include <string>

#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace atl {

namespace {

// What the system says about `hr`, as UTF-8; _com_error::ErrorMessage() would give it in the
// system's code page.
std::string SystemMessage(HRESULT hr)
{
   wchar_t *text = nullptr;
   DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
   std::string message = length && text ? Utf8FromWide(std::wstring_view(text, length)) : std::string();
   LocalFree(text);
   return message;
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
      std::string message = SystemMessage(e.Error());
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

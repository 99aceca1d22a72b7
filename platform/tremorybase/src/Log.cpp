#include "tremorybase/Log.h"

#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Str.h"
#include "tremorybase/Text.h"

#include <windows.h>

#include <cstdio>
#include <mutex>
#include <string>

namespace {

struct LogState {
   std::recursive_mutex lock;
   FILE *file = nullptr;
   std::string fileName;
   bool atLineStart = true;
};

LogState &State()
{
   static LogState state;
   return state;
}

[[noreturn]] void DefaultPanicHandler(const char *)
{
   ExitProcess(3);
}

PanicHandler g_panicHandler = DefaultPanicHandler;

// Each line starts with the local time; a line may be built by several calls.
void WriteText(const std::string &text)
{
   LogState &s = State();
   std::lock_guard<std::recursive_mutex> hold(s.lock);
   FILE *out = s.file ? s.file : stderr;
   size_t pos = 0;
   while (pos < text.size()) {
      if (s.atLineStart) {
         SYSTEMTIME t;
         GetLocalTime(&t);
         fprintf(out, "%04u-%02u-%02uT%02u:%02u:%02u.%03u| ", t.wYear, t.wMonth, t.wDay, t.wHour,
                 t.wMinute, t.wSecond, t.wMilliseconds);
      }
      size_t end = text.find('\n', pos);
      size_t next = end == std::string::npos ? text.size() : end + 1;
      fwrite(text.data() + pos, 1, next - pos, out);
      s.atLineStart = end != std::string::npos;
      pos = next;
   }
   fflush(out);
}

std::string DefaultLogName(const char *appName)
{
   std::string dir = File_GetTempFolder();
   if (dir.empty()) {
      dir = ".\\";
   }
   return dir + Str_Format("%s-%lu.log", appName && *appName ? appName : "app",
                           static_cast<unsigned long>(GetCurrentProcessId()));
}

}  // namespace

void LogV(const char *fmt, va_list args)
{
   WriteText(Str_FormatV(fmt, args));
}

void WarningV(const char *fmt, va_list args)
{
   WriteText(Str_FormatV(fmt, args));
}

void Log(const char *fmt, ...)
{
   va_list args;
   va_start(args, fmt);
   LogV(fmt, args);
   va_end(args);
}

void Warning(const char *fmt, ...)
{
   va_list args;
   va_start(args, fmt);
   WarningV(fmt, args);
   va_end(args);
}

void Panic(const char *fmt, ...)
{
   va_list args;
   va_start(args, fmt);
   std::string text = Str_FormatV(fmt, args);
   va_end(args);

   std::string line = "PANIC: " + text;
   if (line.empty() || line.back() != '\n') {
      line += '\n';
   }
   WriteText(line);
   g_panicHandler(text.c_str());
   // A handler that returns breaks the promise that Panic never does.
   DefaultPanicHandler(text.c_str());
}

void Panic_SetHandler(PanicHandler handler)
{
   g_panicHandler = handler ? handler : DefaultPanicHandler;
}

bool Log_Start(const char *appName, const char *configKey, const char *defaultFile)
{
   if (Config_GetBool("test.log.fail", false)) {
      Warning("Log: Refusing to start the log (test.log.fail).\n");
      return false;
   }
   std::string name;
   if (configKey && *configKey) {
      name = Config_GetString(configKey, "");
   }
   if (name.empty() && defaultFile && *defaultFile) {
      name = defaultFile;
   }
   if (name.empty()) {
      name = DefaultLogName(appName);
   }

   FILE *file = _wfopen(WidePathFromUtf8(name).c_str(), L"wb");
   if (!file) {
      Warning("Log: Cannot open the log file %s.\n", name.c_str());
      return false;
   }
   LogState &s = State();
   {
      std::lock_guard<std::recursive_mutex> hold(s.lock);
      if (s.file) {
         fclose(s.file);
      }
      s.file = file;
      s.fileName = name;
      s.atLineStart = true;
   }
   Log("Log for %s started, process %lu.\n", appName && *appName ? appName : "app",
       static_cast<unsigned long>(GetCurrentProcessId()));
   return true;
}

void Log_Stop()
{
   LogState &s = State();
   std::lock_guard<std::recursive_mutex> hold(s.lock);
   if (s.file) {
      fclose(s.file);
      s.file = nullptr;
   }
   s.fileName.clear();
   s.atLineStart = true;
}

const char *Log_GetFileName()
{
   return State().fileName.c_str();
}

// Log, warning and panic of the base library. Lines go to the log file opened by Log_Start
// (before that, to standard error). Every call is printf-style (C99 formats: %zu, %lld); callers
// end lines with "\n". Each line starts with the local time and is flushed at once.
#pragma once

#include <cstdarg>

typedef void (*LogFunc)(const char *fmt, ...);

void Log(const char *fmt, ...) __attribute__((format(gnu_printf, 1, 2)));
void Warning(const char *fmt, ...) __attribute__((format(gnu_printf, 1, 2)));
// Logs "PANIC: " and the text, then calls the panic handler (default: ends the process with 3).
[[noreturn]] void Panic(const char *fmt, ...) __attribute__((format(gnu_printf, 1, 2)));

void LogV(const char *fmt, va_list args);
void WarningV(const char *fmt, va_list args);

// Replaces what Panic does after logging; the handler must not return (it may throw).
typedef void (*PanicHandler)(const char *text);
void Panic_SetHandler(PanicHandler handler);

#define NOT_IMPLEMENTED() Panic("NOT_IMPLEMENTED %s:%d\n", __FILE__, __LINE__)
#define NOT_REACHED() Panic("NOT_REACHED %s:%d\n", __FILE__, __LINE__)

// Opens the log under the given name. The file name comes from the configuration key
// `configKey` ("ui.log.filename"); when the key is unset, `defaultFile` when not empty, else a
// file "<appName>-<pid>.log" under %TEMP%. False when the log cannot be opened (or when the
// configuration key "test.log.fail" is true).
bool Log_Start(const char *appName, const char *configKey, const char *defaultFile);
void Log_Stop();
// The open log file's path; empty before Log_Start.
const char *Log_GetFileName();

// Bounded printf-style formatting.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

// Formats into buf[max], always zero-terminated (when max > 0). Returns the length written, or -1
// when the text did not fit and was truncated.
int Str_Sprintf(char *buf, size_t max, const char *fmt, ...) __attribute__((format(gnu_printf, 3, 4)));
int Str_Vsprintf(char *buf, size_t max, const char *fmt, va_list args);

// Formats into a string of whatever length the text needs.
std::string Str_Format(const char *fmt, ...) __attribute__((format(gnu_printf, 1, 2)));
std::string Str_FormatV(const char *fmt, va_list args);

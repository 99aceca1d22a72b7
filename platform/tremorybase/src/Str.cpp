#include "tremorybase/Str.h"

#include <cstdio>

int Str_Vsprintf(char *buf, size_t max, const char *fmt, va_list args)
{
   if (max == 0) {
      return -1;
   }
   int n = vsnprintf(buf, max, fmt, args);
   if (n < 0 || static_cast<size_t>(n) >= max) {
      buf[max - 1] = '\0';
      return -1;
   }
   return n;
}

int Str_Sprintf(char *buf, size_t max, const char *fmt, ...)
{
   va_list args;
   va_start(args, fmt);
   int n = Str_Vsprintf(buf, max, fmt, args);
   va_end(args);
   return n;
}

std::string Str_FormatV(const char *fmt, va_list args)
{
   char small[256];
   va_list copy;
   va_copy(copy, args);
   int n = vsnprintf(small, sizeof small, fmt, copy);
   va_end(copy);
   if (n < 0) {
      return std::string();
   }
   if (static_cast<size_t>(n) < sizeof small) {
      return std::string(small, n);
   }
   std::string text(static_cast<size_t>(n) + 1, '\0');
   vsnprintf(&text[0], text.size(), fmt, args);
   text.resize(n);
   return text;
}

std::string Str_Format(const char *fmt, ...)
{
   va_list args;
   va_start(args, fmt);
   std::string text = Str_FormatV(fmt, args);
   va_end(args);
   return text;
}

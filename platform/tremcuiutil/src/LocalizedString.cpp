#include "cui/LocalizedString.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace cui {

const char kLocalizedMarker[] = "@&!*@*@(";

namespace {

// Splits a literal into id and default text; false when it has no well-formed marker.
bool SplitLiteral(const std::string &literal, std::string *id, std::string *text)
{
   const size_t markerLen = sizeof(kLocalizedMarker) - 1;
   if (literal.compare(0, markerLen, kLocalizedMarker) != 0) {
      return false;
   }
   size_t close = literal.find(')', markerLen);
   if (close == std::string::npos) {
      return false;
   }
   if (id) {
      *id = literal.substr(markerLen, close - markerLen);
   }
   if (text) {
      *text = literal.substr(close + 1);
   }
   return true;
}

bool IsBlankLine(const std::string &line)
{
   return line.find_first_not_of(" \t") == std::string::npos;
}

// Cuts `text` to at most `max` bytes without splitting a UTF-8 sequence.
void CutUtf8(std::string &text, size_t max)
{
   if (text.size() <= max) {
      return;
   }
   size_t end = max;
   while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
      --end;
   }
   text.resize(end);
}

}  // namespace

LocalizedString::LocalizedString(const char *literal) : literal_(literal ? literal : "")
{
}

std::string LocalizedString::GetId() const
{
   std::string id;
   return SplitLiteral(literal_, &id, nullptr) ? id : std::string();
}

std::string LocalizedString::GetText() const
{
   return GetLocalString(literal_);
}

std::string GetLocalString(const std::string &literal)
{
   std::string text;
   return SplitLiteral(literal, nullptr, &text) ? text : literal;
}

std::string GetLocalString(const char *literal)
{
   return GetLocalString(std::string(literal ? literal : ""));
}

std::string FormatV(const char *literal, va_list args)
{
   std::string format = GetLocalString(literal);
   va_list copy;
   va_copy(copy, args);
   int needed = std::vsnprintf(nullptr, 0, format.c_str(), copy);
   va_end(copy);
   if (needed <= 0) {
      return std::string();
   }
   std::vector<char> buffer(static_cast<size_t>(needed) + 1);
   std::vsnprintf(buffer.data(), buffer.size(), format.c_str(), args);
   return std::string(buffer.data(), static_cast<size_t>(needed));
}

std::string Format(const char *literal, ...)
{
   va_list args;
   va_start(args, literal);
   std::string out = FormatV(literal, args);
   va_end(args);
   return out;
}

std::string SanitizeMessage(const std::string &text)
{
   // Lines with "\r\n" and "\r" as "\n", other control characters as blanks, trailing blanks cut.
   std::vector<std::string> lines(1);
   for (size_t i = 0; i < text.size(); ++i) {
      char c = text[i];
      if (c == '\r' || c == '\n') {
         if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
         }
         lines.emplace_back();
      } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
         lines.back() += ' ';
      } else {
         lines.back() += c;
      }
   }
   for (std::string &line : lines) {
      size_t end = line.find_last_not_of(' ');
      line.resize(end == std::string::npos ? 0 : end + 1);
   }

   std::string out;
   size_t kept = 0;
   bool pendingBlank = false;
   bool cut = false;
   for (const std::string &line : lines) {
      if (IsBlankLine(line)) {
         pendingBlank = kept > 0;
         continue;
      }
      size_t need = (pendingBlank ? 2 : 1);
      if (kept + need > kMaxMessageLines) {
         cut = true;
         break;
      }
      if (kept > 0) {
         out += pendingBlank ? "\n\n" : "\n";
         out += line;
      } else {
         out += line.substr(line.find_first_not_of(" \t"));
      }
      kept += need;
      pendingBlank = false;
   }
   if (out.size() > kMaxMessageChars) {
      cut = true;
   }
   if (cut) {
      CutUtf8(out, kMaxMessageChars - 3);
      out += "...";
   }
   return out;
}

}  // namespace cui

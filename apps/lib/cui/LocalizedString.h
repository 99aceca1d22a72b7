// Localized message literals: "@&!*@*@(" + message id + ")" + default text, the default text
// with printf-style inserts. There is no message catalogue: the text shown is the default text.
#pragma once

#include <cstdarg>
#include <string>

namespace cui {

extern const char kLocalizedMarker[];   // "@&!*@*@("

// One literal. Only copies the text, so globals of it are safe at static initialisation.
class LocalizedString {
public:
   explicit LocalizedString(const char *literal);

   // "msg.x.y"; empty when the literal has no well-formed marker.
   std::string GetId() const;
   // The text to show (see GetLocalString).
   std::string GetText() const;
   const std::string &GetLiteral() const { return literal_; }

private:
   std::string literal_;
};

// The default text of a literal; a text without the marker (or with an unterminated id) passes
// unchanged.
std::string GetLocalString(const char *literal);
std::string GetLocalString(const std::string &literal);

// printf-style formatting of the localized text of `literal`.
std::string Format(const char *literal, ...) __attribute__((format(gnu_printf, 1, 2)));
std::string FormatV(const char *literal, va_list args);

// Makes an error text fit for a message box: line ends become "\n", other control characters
// blanks, trailing blanks of each line and blank lines at both ends go, a run of blank lines
// becomes one, and the result keeps at most kMaxMessageLines lines and kMaxMessageChars bytes
// (cut on a character boundary, "..." marking the cut).
const size_t kMaxMessageLines = 30;
const size_t kMaxMessageChars = 2000;
std::string SanitizeMessage(const std::string &text);

}  // namespace cui

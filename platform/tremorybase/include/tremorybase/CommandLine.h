// Splitting a command line into arguments (Windows quoting rules) and a getopt-style parser.
#pragma once

#include <string>
#include <vector>

// Splits `text` into at most `maxArgs` arguments, argument 0 being `argv0` whatever the text says.
// Quoting follows the Windows rules: blanks (and line ends) separate, "..." groups, 2n backslashes before a quote
// give n backslashes and a quote delimiter, 2n+1 give n backslashes and a literal quote; "" inside
// quotes is a literal quote. Arguments past the limit are dropped.
std::vector<std::string> CommandLine_Split(const char *text, const char *argv0, size_t maxArgs);

// getopt-style option parser over argv[first..]. Letters followed by ':' in `optionString` take a
// value (the rest of the argument, or the next argument). A letter not in the string, or a value
// letter with no value, answers '?' with `optionChar` set to the letter. Parsing stops at the first
// argument that is not an option ("-" alone or not starting with '-'), and after "--" (skipped).
// Options may be grouped ("-qx"). Any character of the string, the blank included, is an option.
class OptionParser {
public:
   OptionParser(const std::vector<std::string> &args, const char *optionString, size_t first = 1);
   // The next option letter, or -1 when the options end. `Index()` is then the first argument that
   // is not an option.
   int Next();
   const std::string &Value() const { return value_; }   // the value of a value letter
   int OptionChar() const { return optionChar_; }         // the letter last read
   size_t Index() const { return index_; }                // the argument being read (or next one)
   // The text of the argument that held the letter last read.
   const std::string &CurrentArgument() const { return current_; }

private:
   const std::vector<std::string> &args_;
   std::string options_;
   size_t index_;
   size_t charPos_ = 0;
   std::string value_;
   std::string current_;
   int optionChar_ = 0;
};

// Turns zolt's command line, or the first line of an options file, into CommandLineOptions.
// No window is shown here: a parse hands back the message box it wants, and the start-up code
// (zoltCommandLine) shows it, so every text can be checked without a window.
#pragma once

#include "CommandLineOptions.h"

#include <string>
#include <vector>

// The result of a parse, which is also the start-up's decision.
enum ParseResult {
   PARSE_GO_ON = 0,   // start the program
   PARSE_STOP = 1,    // end now with exit code 0
   PARSE_FAILED = 2,  // end now with exit code 1
};

// A message box for the user: its text and its MB_ICON* flag. No box when the text is empty.
struct StartupBox {
   std::string text;
   unsigned int icon = 0;
};

struct ParseOutcome {
   int result = PARSE_GO_ON;
   StartupBox box;
};

class CommandLineParser {
public:
   // Arguments read, argument 0 included; files after them are kept apart (filesPastLimit).
   static constexpr size_t MAX_ARGS = 256;
   static constexpr size_t OPTIONS_LINE_SIZE = 2000;  // buffer for an options file's first line
   static const char OPTION_STRING[];

   // `programPath` is argument 0 and names the program in the options-file errors. Without
   // `showErrors` no box is asked for and -r does not end the parse.
   CommandLineParser(const std::string &programPath, bool showErrors);

   // A whole command line; "-o file" alone reads the options from that file instead.
   ParseOutcome Parse(const char *text, CommandLineOptions &options) const;
   // The options in the first line of `fileName`.
   ParseOutcome ReadOptionsFile(const char *fileName, CommandLineOptions &options) const;

   static const char *UsageText();
   // `text` fit for a log: the value of every -w (the password) is masked.
   static std::string TextForLog(const char *text);

private:
   ParseOutcome ParseText(const char *text, bool allowOptionsFile, CommandLineOptions &options) const;
   // `pastLimit`: the arguments the limit cut off; their leading files go to filesPastLimit.
   ParseOutcome ParseArguments(const std::vector<std::string> &args, const std::vector<std::string> &pastLimit,
                               CommandLineOptions &options) const;
   ParseOutcome InvalidOption(const std::string &argument) const;
   ParseOutcome End(int result, const std::string &text, unsigned int icon) const;

   std::string programPath_;
   bool showErrors_;
};

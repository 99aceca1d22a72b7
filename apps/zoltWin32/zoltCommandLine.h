// Start-up side of the command line: takes it from the system in UTF-8, parses it with the
// program's own path as argument 0 and shows what went wrong in a message box.
#pragma once

#include "CommandLineOptions.h"
#include "CommandLineParser.h"

#include <string>

// The arguments of a whole command line (GetCommandLineW's, in UTF-8): the program's name and the
// blanks after it taken off, by the rules the runtime uses for WinMain's narrow argument.
std::string ArgumentsOfCommandLine(const std::string &commandLine);

// Fills `options` from `text`; answers a ParseResult. Without `showErrors` nothing is shown and
// -r does not end the parse (a command line handed over by a second instance).
int ParseCommandLine(const char *text, bool showErrors, CommandLineOptions &options);

// Fills `options` from the first line of `fileName`; answers a ParseResult.
int ReadOptionsFile(const char *fileName, const char *programPath, bool showErrors,
                    CommandLineOptions &options);

// An error box with no owner and the application's title.
void ShowStartupError(const char *text);

// Shows `box` (no owner, the application's title) unless it is empty.
void ShowStartupBox(const StartupBox &box);

// The path of the running program in UTF-8 (at most MAX_PATH characters).
std::string GetProgramPath();

#include "CommandLineParser.h"

#include "tremorybase/CommandLine.h"
#include "tremorybase/Text.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

const char USAGE_TEXT[] =
   "Usage: tremory [OPTION ...] [--] [configuration file(s)]\n"
   "where OPTIONS are:\n"
   "       -v              \t\t Show program version\n"
   "       -x              \t\t Power on when a virtual machine or team is opened\n"
   "       -X              \t\t Same as -x but also go into full screen mode;\n"
   "                       \t\t not applicable to teams\n"
   "       -q              \t\t Close virtual machine at power off\n"
   "       -s NAME=VALUE   \t Set variable NAME to VALUE\n"
   "       -f hotfixFile   \t\t Hot fix file name\n"
   "       -t              \t\t Open a virtual machine or team in a new tab in an existing window\n"
   "       -n              \t\t Open a new window\n"
   "       -B              \t\t Bare window (hide controls)\n";

const char BLANK_OPTION_TEXT[] =
   "There is a space character in your options.  Perhaps you are trying to pass two separate "
   "options (such as -q -x) in the first line of your configuration file.  If so, you need to "
   "merge them (-qx).";

const char EMPTY_FILE_TEXT[] = "Invalid empty virtual machine configuration filename.";

const size_t INVALID_OPTION_SIZE = 1024;
const char PASSWORD_MASK[] = "********";

std::string QuoteForLog(const std::string &arg)
{
   if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
      return arg;
   }
   std::string quoted = "\"";
   for (char c : arg) {
      if (c == '"') {
         quoted += '\\';
      }
      quoted += c;
   }
   return quoted + "\"";
}

}  // namespace

// "s:" twice, "p" that no case takes, and the final blank are all meant: see ParseArguments.
const char CommandLineParser::OPTION_STRING[] = "?E:xXqs:pavTgGs:f:h:u:w:P:c:lN:HtnrB ";

CommandLineParser::CommandLineParser(const std::string &programPath, bool showErrors)
   : programPath_(programPath), showErrors_(showErrors)
{
}

const char *CommandLineParser::UsageText()
{
   return USAGE_TEXT;
}

ParseOutcome CommandLineParser::Parse(const char *text, CommandLineOptions &options) const
{
   return ParseText(text, true, options);
}

ParseOutcome CommandLineParser::ParseText(const char *text, bool allowOptionsFile,
                                          CommandLineOptions &options) const
{
   std::vector<std::string> args = CommandLine_Split(text, programPath_.c_str(), SIZE_MAX);
   std::vector<std::string> pastLimit;
   if (args.size() > MAX_ARGS) {
      pastLimit.assign(args.begin() + MAX_ARGS, args.end());
      args.resize(MAX_ARGS);
   }
   // An options file may not name another one: a file naming itself would never end.
   if (allowOptionsFile && args.size() == 3 && args[1] == "-o") {
      return ReadOptionsFile(args[2].c_str(), options);
   }
   return ParseArguments(args, pastLimit, options);
}

ParseOutcome CommandLineParser::ReadOptionsFile(const char *fileName, CommandLineOptions &options) const
{
   FILE *file = _wfopen(WidePathFromUtf8(fileName).c_str(), L"r");
   if (file == nullptr) {
      return End(PARSE_FAILED,
                 programPath_ + ": Cannot open command line options file \"" + fileName + "\"",
                 MB_ICONERROR);
   }
   char line[OPTIONS_LINE_SIZE] = "";
   if (fgets(line, sizeof line, file) == nullptr) {
      line[0] = '\0';
   }
   fclose(file);

   size_t length = strlen(line);
   if (length == OPTIONS_LINE_SIZE - 1) {
      return End(PARSE_FAILED, programPath_ + ": Line too long in file \"" + fileName + "\"",
                 MB_ICONERROR);
   }
   // The line's end is not part of the last argument (a quoted one would keep it).
   while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r')) {
      line[--length] = '\0';
   }
   return ParseText(line, false, options);
}

ParseOutcome CommandLineParser::ParseArguments(const std::vector<std::string> &args,
                                               const std::vector<std::string> &pastLimit,
                                               CommandLineOptions &options) const
{
   OptionParser parser(args, OPTION_STRING, 1);
   for (int option = parser.Next(); option != -1; option = parser.Next()) {
      switch (option) {
      case 'v': options.mode = CommandLineOptions::MODE_ABOUT; break;
      case 'T': options.mode = CommandLineOptions::MODE_PRINT_VERSION; break;
      case 'x': options.powerOn = true; break;
      case 'X':
         options.powerOn = true;
         options.fullScreen = true;
         break;
      case 'q':
         options.quitAtPowerOff = true;
         options.newWindow = true;
         break;
      case 'n': options.newWindow = true; break;
      case 't': options.newTab = true; break;
      case 'B': options.showControls = false; break;
      case 's': options.setVariables += " -s " + parser.Value(); break;
      case 'f': options.hotFixFile = parser.Value(); break;
      case 'c': options.files.push_back(parser.Value()); break;
      case 'h': options.host = parser.Value(); break;
      case 'u': options.user = parser.Value(); break;
      case 'w': options.password = parser.Value(); break;
      case 'P': options.port = parser.Value(); break;
      case 'N': options.databaseName = parser.Value(); break;
      case 'E': options.optionE = parser.Value(); break;
      case 'l': options.local = true; break;
      case 'a': options.pollOption = true; break;
      case 'H':
         options.localHeadless = true;
         options.forceDeskmoorMode = true;
         break;
      case 'r':
         options.refreshSnapshots = true;
         // At start-up -r only refreshes; a handed-over command line goes on to open its files.
         if (showErrors_) {
            return End(PARSE_STOP, "", 0);
         }
         break;
      case 'g':
      case 'G':
         break;
      case ' ':
         // A blank inside one argument: options quoted together, or a merged options-file line.
         return End(PARSE_FAILED, BLANK_OPTION_TEXT, MB_ICONERROR);
      case '?':
         // Unknown letters and missing values come back as '?' too; only "-?" asks for help.
         if (parser.CurrentArgument().size() > 1 && parser.CurrentArgument()[1] == '?') {
            return End(PARSE_STOP, USAGE_TEXT, MB_ICONINFORMATION);
         }
         return InvalidOption(parser.CurrentArgument());
      default:  // -p among them: listed in the option string, but never an option of zolt
         return InvalidOption(parser.CurrentArgument());
      }
   }

   // The files follow the options; an option after them ends the list and is ignored. A list
   // the limit cut goes on past it, so that no file given is left out of the report.
   for (size_t i = parser.Index(); i < args.size() + pastLimit.size(); i++) {
      const std::string &arg = i < args.size() ? args[i] : pastLimit[i - args.size()];
      if (!arg.empty() && arg[0] == '-') {
         break;
      }
      if (arg.empty()) {
         return End(PARSE_FAILED, EMPTY_FILE_TEXT, MB_ICONERROR);
      }
      (i < args.size() ? options.files : options.filesPastLimit).push_back(arg);
   }
   if (options.host.empty() && (!options.files.empty() || !options.filesPastLimit.empty())) {
      options.local = true;
   }
   return End(PARSE_GO_ON, "", 0);
}

ParseOutcome CommandLineParser::InvalidOption(const std::string &argument) const
{
   char text[INVALID_OPTION_SIZE];
   snprintf(text, sizeof text, "Invalid option: %s\n\n%s", argument.c_str(), USAGE_TEXT);
   return End(PARSE_FAILED, text, MB_ICONERROR);
}

ParseOutcome CommandLineParser::End(int result, const std::string &text, unsigned int icon) const
{
   ParseOutcome outcome;
   outcome.result = result;
   if (showErrors_ && !text.empty()) {
      outcome.box.text = text;
      outcome.box.icon = icon;
   }
   return outcome;
}

std::string CommandLineParser::TextForLog(const char *text)
{
   std::vector<std::string> args = CommandLine_Split(text, "", MAX_ARGS);
   std::vector<std::string> shown = args;
   // Options after the files are ignored by the parse, but their password must not be shown
   // either: every run of options is read, wherever it stands.
   size_t i = 1;
   while (i < args.size()) {
      if (args[i].size() < 2 || args[i][0] != '-') {
         i++;
         continue;
      }
      OptionParser parser(args, OPTION_STRING, i);
      for (int option = parser.Next(); option != -1; option = parser.Next()) {
         if (option != 'w') {
            continue;
         }
         size_t last = parser.Index() - 1;
         if (args[last] == parser.CurrentArgument()) {
            // "-wvalue": the value ends the argument.
            std::string &arg = shown[last];
            arg = arg.substr(0, arg.size() - parser.Value().size()) + PASSWORD_MASK;
         } else {
            shown[last] = PASSWORD_MASK;  // "-w value"
         }
      }
      i = parser.Index() > i ? parser.Index() : i + 1;
   }

   std::string joined;
   for (size_t n = 1; n < shown.size(); n++) {
      joined += (n > 1 ? " " : "") + QuoteForLog(shown[n]);
   }
   return joined;
}

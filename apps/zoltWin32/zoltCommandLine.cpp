#include "zoltCommandLine.h"

#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "tremorybase/Text.h"

#include <windows.h>

std::string ArgumentsOfCommandLine(const std::string &commandLine)
{
   // Bytes of UTF-8 past ASCII are never blanks: compared unsigned.
   auto blankOrEnd = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
   size_t i = 0;
   bool quoted = false;
   while (i < commandLine.size() && commandLine[i] != '\0' && (!blankOrEnd(commandLine[i]) || quoted)) {
      if (commandLine[i] == '"') {
         quoted = !quoted;
      }
      ++i;
   }
   while (i < commandLine.size() && commandLine[i] != '\0' && blankOrEnd(commandLine[i])) {
      ++i;
   }
   return commandLine.substr(i);
}

int ParseCommandLine(const char *text, bool showErrors, CommandLineOptions &options)
{
   ParseOutcome outcome = CommandLineParser(GetProgramPath(), showErrors).Parse(text, options);
   ShowStartupBox(outcome.box);
   return outcome.result;
}

int ReadOptionsFile(const char *fileName, const char *programPath, bool showErrors,
                    CommandLineOptions &options)
{
   ParseOutcome outcome =
      CommandLineParser(programPath, showErrors).ReadOptionsFile(fileName, options);
   ShowStartupBox(outcome.box);
   return outcome.result;
}

void ShowStartupError(const char *text)
{
   StartupBox box;
   box.text = text;
   box.icon = MB_ICONERROR;
   ShowStartupBox(box);
}

void ShowStartupBox(const StartupBox &box)
{
   if (box.text.empty()) {
      return;
   }
   MessageBoxUtf8(nullptr, box.text, LoadAppTitle(), box.icon);
}

std::string GetProgramPath()
{
   wchar_t path[MAX_PATH + 1] = L"";
   DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
   return Utf8FromWide(std::wstring_view(path, length < MAX_PATH ? length : MAX_PATH));
}

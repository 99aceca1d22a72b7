#include "zoltCommandLine.h"

#include "zoltResources.h"

#include <windows.h>

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
   MessageBoxA(nullptr, box.text.c_str(), LoadAppTitle().c_str(), box.icon);
}

std::string GetProgramPath()
{
   char path[MAX_PATH + 1] = "";
   DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
   return std::string(path, length < MAX_PATH ? length : MAX_PATH);
}

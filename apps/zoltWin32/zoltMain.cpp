// Process entry of zolt.
#include "CommandLineOptions.h"
#include "zoltCommandLine.h"

#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
   setvbuf(stderr, nullptr, _IONBF, 0);

   CommandLineOptions options;
   switch (ParseCommandLine(commandLine, true, options)) {
   case PARSE_STOP:
      return 0;
   case PARSE_FAILED:
      return 1;
   default:
      break;
   }
   return 0;
}

// The parsed command line of zolt, and the bound argument of an action deferred until a file opened.
#pragma once

#include <string>
#include <vector>

struct CommandLineOptions {
   // Values of `mode`.
   static constexpr int MODE_RUN = 0;
   static constexpr int MODE_ABOUT = 1;          // -v
   static constexpr int MODE_PRINT_VERSION = 2;  // -T

   std::vector<std::string> files;
   // Files named after the argument limit: never opened, but named in the report of the opens.
   std::vector<std::string> filesPastLimit;
   std::string optionE;
   bool powerOn = false;
   bool fullScreen = false;
   bool quitAtPowerOff = false;
   bool pollOption = false;
   bool keepVmxOnline = false;
   bool asIfRemote = false;
   bool localHeadless = false;
   bool forceDeskmoorMode = false;
   std::string host;
   std::string user;
   std::string password;
   std::string port;
   bool debugMks = false;
   int mode = MODE_RUN;
   std::string setVariables;  // " -s NAME=VALUE" once per -s, in command-line order
   std::string databaseName;
   bool local = false;
   std::string hotFixFile;
   bool newTab = false;
   bool newWindow = false;
   bool refreshSnapshots = false;
   bool showControls = true;
};

// What to do with a file once it has been opened: its path and the options it was opened with.
struct PendingOpen {
   std::string path;
   CommandLineOptions options;
};

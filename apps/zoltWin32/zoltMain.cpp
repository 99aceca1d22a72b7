// Process entry of zolt.
#include "CommandLineOptions.h"
#include "zoltApp.h"
#include "zoltCommandLine.h"
#include "zoltHandOff.h"
#include "zoltKeyLocator.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "atl/Atl.h"
#include "cui/Util.h"
#include "tremappcfg/TremAppCfg.h"
#include "tremappsdk/TremAppSdk.h"
#include "tremcryptolib/CryptoLib.h"
#include "tremhwcfg/TremHwCfg.h"
#include "tremorybase/Base.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"
#include "vmdb/Classes.h"
#include "vmdb/ClientClasses.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

const char kFipsFailed[] = "Failed to enable FIPS-mode, check your installation.\n";
const char kKeyLocatorFailed[] = "Could not initialize KeyLocator module.";
const char kLoggingFailed[] = "Could not initialize logging.";

// Creates, runs and deletes the application; false when an exception ended it.
bool RunApplication(const CommandLineOptions &options)
{
   std::unique_ptr<CZOLTApp> app;
   try {
      app = std::make_unique<CZOLTApp>(options);
      gApp = app.get();
      app->Run();
      app.reset();
      return true;
   } catch (...) {
      wui::GenericExceptionHandler();
      if (app) {
         Warning("Exception caught; trying to exit app.\n");
         try {
            app->Exit();
            app.reset();
         } catch (...) {
            Warning("Exception caught while exiting app.\n");
            // What failed to exit is not destroyed as well.
            app.release();
         }
      }
   }
   gApp = nullptr;
   return false;
}

}  // namespace

// zolt run with the arguments of a command line (UTF-8, without the program's name); the
// benchmarks run it inside their own process this way.
int ZoltMain(HINSTANCE instance, const char *commandLine)
{
   setvbuf(stderr, nullptr, _IONBF, 0);
   if (HandOffCommandLine(commandLine)) {
      return 0;
   }

   CryptoLib_SetLogFunctions(Log, Warning, Panic);
   if (!CryptoLib_EnableFIPSMode()) {
      Warning("%s", kFipsFailed);
      MessageBoxUtf8(nullptr, kFipsFailed, LoadAppTitle(), MB_ICONERROR);
      return 1;
   }

   CommandLineOptions options;
   switch (ParseCommandLine(commandLine, true, options)) {
   case PARSE_STOP:
      return 0;
   case PARSE_FAILED:
      return 1;
   default:
      break;
   }

   if (!StartKeyLocator()) {
      Warning("%s\n", kKeyLocatorFailed);
      MessageBoxUtf8(nullptr, kKeyLocatorFailed, LoadAppTitle(), MB_ICONERROR);
      return 1;
   }
   Base_Init();
   Base_SetKeyLocator(GetKeyLocatorHandle());
   Base_SetAppName(BASE_NAME_APP, "zolt");
   if (!Log_Start("zolt", "ui.log.filename", "")) {
      Warning("%s\n", kLoggingFailed);
      ShowStartupError(kLoggingFailed);
      StopKeyLocator();
      return 1;
   }
   Base_InitPoll(nullptr, nullptr, nullptr);
   _Module.Init(nullptr, instance);
   CoInitialize(nullptr);
   vmdb::RegisterClasses();
   vmdb::RegisterClientClasses();
   tremhwcfg::RegisterClasses();
   tremappsdk::RegisterClasses();
   tremappcfg::RegisterClasses();
   Base_InitComplete();

   bool normal = RunApplication(options);

   atl::ClassTable::RevokeAllFromCom();
   CoUninitialize();
   Log("Exited %s.\n", normal ? "normally" : "abnormally");
   if (normal) {
      Base_PrepareExit(0);
   }
   Base_Exit();
   StopKeyLocator();
   return normal ? 0 : -1;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
   // The narrow argument holds the command line in the system's code page, in which most names
   // cannot be written: the wide one, in UTF-8, is the one used.
   const std::string arguments = ArgumentsOfCommandLine(Utf8FromWide(GetCommandLineW()));
   return ZoltMain(instance, arguments.c_str());
}

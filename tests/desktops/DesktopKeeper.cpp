// Keeps the desktop of a Wine prefix in use for a whole test run. Wine ends its desktop process
// (explorer.exe) once no program uses the desktop, and the next program that needs it starts it
// again, handing on its own output handles: under ctest those are a test's output pipes, which
// ctest then waits on until the desktop process ends, seconds or minutes after the test did.
// Started by scripts/test with harmless handles, this program is the one that starts (or keeps)
// the desktop process. It prints "ready" once it holds the desktop and waits until it is ended.
#include <windows.h>

#include <cstdio>

int main()
{
   if (!GetDesktopWindow()) {
      std::fprintf(stderr, "desktopkeeper: no desktop window (error %lu)\n", GetLastError());
      return 1;
   }
   std::puts("ready");
   std::fflush(stdout);
   Sleep(INFINITE);
   return 0;
}

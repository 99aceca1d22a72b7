// Times the menu state of a machine's full popup (menu 415, as a tab or a list shows it) for a
// running machine: one UpdatePopupMenu over a freshly loaded popup, in microseconds. zolt runs
// in this process and powers the machine on as its command line asks (-x).
#include "BenchReport.h"
#include "ZoltInProcess.h"

#include "res/resource.h"
#include "zoltApp.h"

#include "cui/cui.h"

#include "e2e/Failure.h"
#include "e2e/Process.h"
#include "e2e/TestFolder.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

const char kMachine[] = "Delta Machine";
const int kPopups = 200;
const double kBoundMs = 20000;

bool Enabled(HMENU menu, UINT id)
{
   UINT state = GetMenuState(menu, id, MF_BYCOMMAND);
   return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

class MenuStateDriver : public bench::ZoltDriver {
public:
   explicit MenuStateDriver(const std::string &path) : path_(path) {}

   bool Tick(HWND frame) override
   {
      wui::VMMgr *vms = wui::GetVMMgr();
      cui::VM *vm = vms ? vms->GetVMByCfgPath(path_) : nullptr;
      if (!measured_) {
         if (vm && vm->GetPowerState() == cui::VM::POWERED_ON) {
            measured_ = true;
            Measure(vm->GetVmPath());
            // Off again before the frame closes, so closing asks nothing.
            PostMessageA(bench::CommandBarOf(frame), WM_COMMAND, MAKEWPARAM(IDM_VM_POWER_OFF, 1), 0);
            clock_.Restart();
            return true;
         }
         return Within("the machine was not powered on");
      }
      if (vm && vm->GetPowerState() == cui::VM::POWERED_OFF) {
         return false;
      }
      return Within("the machine was not powered off");
   }

   std::vector<double> micros;

private:
   void Measure(const std::string &vmPath)
   {
      const _bstr_t path(vmPath.c_str());
      for (int i = 0; i < kPopups && !failed; ++i) {
         HMENU popup = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MENU_VM));
         HMENU items = popup ? GetSubMenu(popup, 0) : nullptr;
         if (!items) {
            fprintf(stderr, "menustatebench: menu %d could not be loaded.\n", IDR_MENU_VM);
            failed = true;
            break;
         }
         bench::Stopwatch clock;
         gApp->UpdatePopupMenu(items, kSourceVMPopup, path);
         micros.push_back(clock.Seconds() * 1e6);
         if (!Enabled(items, IDM_VM_POWER_OFF) || Enabled(items, IDM_VM_POWER_ON)) {
            fprintf(stderr, "menustatebench: the popup's power items are not those of a running machine.\n");
            failed = true;
         }
         DestroyMenu(popup);
      }
   }

   bool Within(const char *failure)
   {
      if (clock_.Ms() < kBoundMs) {
         return true;
      }
      fprintf(stderr, "menustatebench: %s within %.0f ms.\n", failure, kBoundMs);
      failed = true;
      return false;
   }

   std::string path_;
   bench::Stopwatch clock_;
   bool measured_ = false;
};

}  // namespace

int main()
{
   e2e::TestFolder folder;
   std::string machine = bench::WriteMachine(folder, kMachine);
   if (machine.empty() || !bench::ConfigureZolt(folder)) {
      fprintf(stderr, "menustatebench: %s\n", e2e::LastFailure().c_str());
      return 1;
   }
   MenuStateDriver driver(machine);
   if (!bench::RunZolt("-x " + e2e::QuoteArgument(machine), driver)) {
      return 1;
   }
   bench::Figure("VM popup menu state, running machine", bench::Median(driver.micros), "us", "<1000");
   return 0;
}

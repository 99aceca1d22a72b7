// The capture tests' fixture: the machine "Desk" with a 640x480 guest screen, opened through the
// model, and hard power changes that wait for their completion.
#pragma once

#include "MachineTestSupport.h"

#include "cui/VM.h"

class CaptureTest : public MachineTest {
protected:
   // Writes "desk.vmx" and opens it; null when the open failed.
   cui::VM *OpenDesk()
   {
      return Open(WriteVmx("desk.vmx", {
                                          {"configVersion", "8"},
                                          {"displayName", "Desk"},
                                          {"guestOS", "winxp"},
                                          {"memoryMB", "256"},
                                          {"display.width", "640"},
                                          {"display.height", "480"},
                                       }));
   }

   // Opens the machine and powers it on; null when either failed.
   cui::VM *OpenRunning()
   {
      cui::VM *vm = OpenDesk();
      if (vm && !Power(vm, cui::VM::POWERED_ON)) {
         return nullptr;
      }
      return vm;
   }

   bool Power(cui::VM *vm, cui::VM::PowerState state)
   {
      Outcome outcome;
      vm->SetPowerState(state, cui::VM::POWEROP_HARD, outcome.Abort(), outcome.Done());
      EXPECT_TRUE(Until([&]() { return outcome.finished; }));
      return outcome.done;
   }
};

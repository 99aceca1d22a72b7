// The power commands of one machine, carried out by the simulated host and seen in the
// database; the log-on hint before power-on; the transient tab at power-on.
#include "MachineCmdsFixture.h"

#include "res/resource.h"
#include "tremorybase/Config.h"

class PowerCommand : public MachineCmds {
protected:
   wui::VM *OpenedVm(const std::string &name, bool newTab = false)
   {
      Outcome outcome;
      std::string file = WriteVmx(name);
      EXPECT_TRUE(OpenThroughApp(file, newTab, true, true, outcome));
      return dynamic_cast<wui::VM *>(wui::GetVMMgr()->GetVMByCfgPath(file));
   }
   std::string ExecState(cui::VM *vm) const { return Read(vm->GetVmPath() + "vmx/execState/val"); }
   // Runs the command and waits until the machine has settled in `state`.
   bool Run(CommandId id, wui::VM *vm, cui::VM::PowerState state)
   {
      app_->OnPowerCommand(id, vm);
      return PollUntil([&]() { return vm->GetBusy(cui::VM::BUSY_POWER); }, 2000) && WaitForState(vm, state, 8000);
   }
};

TEST_F(PowerCommand, EachCommandTakesTheMachineWhereItSays)
{
   app_->OnPowerCommand(IDM_VM_POWER_ON, nullptr);
   wui::VM *vm = OpenedVm("cycle");
   ASSERT_TRUE(vm);
   struct Step {
      CommandId id;
      cui::VM::PowerState state;
      const char *exec;
   };
   const Step steps[] = {
      {IDM_VM_POWER_ON, cui::VM::POWERED_ON, "poweredOn"},
      {IDM_VM_SUSPEND, cui::VM::SUSPENDED, "suspended"},
      {IDM_VM_POWER_ON, cui::VM::POWERED_ON, "poweredOn"},
      {IDM_VM_RESET, cui::VM::POWERED_ON, "poweredOn"},
      {IDM_VM_POWER_OFF, cui::VM::POWERED_OFF, "poweredOff"},
      {IDM_VM_START_GUEST, cui::VM::POWERED_ON, "poweredOn"},
      {IDM_VM_SUSPEND_GUEST, cui::VM::SUSPENDED, "suspended"},
      {IDM_VM_START_GUEST, cui::VM::POWERED_ON, "poweredOn"},
      {IDM_VM_RESTART_GUEST, cui::VM::POWERED_ON, "poweredOn"},
      {IDM_VM_SHUT_DOWN_GUEST, cui::VM::POWERED_OFF, "poweredOff"},
   };
   for (const Step &step : steps) {
      SCOPED_TRACE(step.id);
      ASSERT_TRUE(Run(step.id, vm, step.state)) << "state " << vm->GetPowerState();
      EXPECT_EQ(ExecState(vm), step.exec);
   }
}

TEST_F(PowerCommand, PowerOnClearsAMatchingTransientTabOtherCommandsKeepIt)
{
   wui::Prefs *prefs = wui::GetPrefs();
   wui::VM *guest = OpenedVm("guest start", true);
   ASSERT_TRUE(guest);
   ASSERT_NE(prefs->GetTransientObj(), "");
   ASSERT_TRUE(Run(IDM_VM_START_GUEST, guest, cui::VM::POWERED_ON));
   EXPECT_EQ(prefs->GetTransientObj(), "") << "the started machine's tab is kept";

   wui::VM *stopped = OpenedVm("stopped", true);
   ASSERT_TRUE(stopped);
   ASSERT_TRUE(PowerTo(stopped, cui::VM::POWERED_ON));
   std::string transient = prefs->GetTransientObj();
   ASSERT_NE(transient, "");
   ASSERT_TRUE(Run(IDM_VM_POWER_OFF, stopped, cui::VM::POWERED_OFF));
   EXPECT_EQ(prefs->GetTransientObj(), transient);
}

TEST_F(PowerCommand, ANewForkIsPoweredOnByItsFile)
{
   wui::VM *vm = OpenedVm("fork");
   ASSERT_TRUE(vm);
   app_->PowerOnOpenedVM(_bstr_t(vm->GetFilename().c_str()));
   EXPECT_TRUE(WaitForState(vm, cui::VM::POWERED_ON, 8000));
   app_->PowerOnOpenedVM(_bstr_t((folder_ + "\\unknown.vmx").c_str()));
}

// The log-on hint belongs to the sessions over a connection to the local host (UI mode 1).
class PowerOnHint : public PowerCommand {
protected:
   void SetUp() override
   {
      MakeApp(true);
      _bstr_t error;
      ASSERT_TRUE(app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error));
      ASSERT_NE(wui::GetPrefs()->GetSessionPath(), "");
   }
   wui::VM *Machine(const std::string &name) { return dynamic_cast<wui::VM *>(OpenVm(name)); }
   // True when the command started powering the machine on.
   bool PowerOnStarts(wui::VM *vm)
   {
      app_->OnPowerCommand(IDM_VM_POWER_ON, vm);
      return PollUntil([&]() { return vm->GetPowerState() == cui::VM::POWERED_ON || vm->GetBusy(cui::VM::BUSY_POWER); },
                       1500);
   }
};

TEST_F(PowerOnHint, CancelOnTheHintSendsNothing)
{
   Config_Set("test.vmmsg.answer", "1");
   wui::VM *vm = Machine("hinted");
   ASSERT_TRUE(vm);
   EXPECT_FALSE(PowerOnStarts(vm));
   EXPECT_EQ(ExecState(vm), "poweredOff");

   Config_Set("test.vmmsg.answer", "0");
   EXPECT_TRUE(PowerOnStarts(vm)) << "OK goes on";
}

TEST_F(PowerOnHint, NoHintForAMachineWithAnAccountOrInARemoteSession)
{
   Config_Set("test.vmmsg.answer", "1");
   wui::VM *account = Machine("account");
   ASSERT_TRUE(account);
   Write(account->GetVmPath() + "user/username", "builder");
   EXPECT_TRUE(PowerOnStarts(account));

   wui::VM *remote = Machine("remote");
   ASSERT_TRUE(remote);
   wui::GetPrefs()->SetRemoteSession(true);
   EXPECT_TRUE(PowerOnStarts(remote));
   wui::GetPrefs()->SetRemoteSession(false);

   // The guest's start-up never asks.
   wui::VM *guest = Machine("guest");
   ASSERT_TRUE(guest);
   app_->OnPowerCommand(IDM_VM_START_GUEST, guest);
   EXPECT_TRUE(WaitForState(guest, cui::VM::POWERED_ON, 8000));
}

#include "MachineTestSupport.h"

#include <windows.h>

#include "cui/Power.h"
#include "cui/VM.h"
#include "tremorybase/Config.h"
#include "tremorybase/Text.h"
#include "tremsim/SimMachine.h"

namespace {

const std::vector<KeyValueEntry> kMachine = {
   {"configVersion", "8"}, {"displayName", "Desk"}, {"guestOS", "winxp"}, {"memoryMB", "256"},
};

class PowerTest : public MachineTest {
protected:
   // Asks for a power change and waits for its outcome, recording the execution states the
   // database went through and the power-state signals.
   Outcome Power(cui::VM *vm, cui::VM::PowerState state, cui::VM::PowerOption option = cui::VM::POWEROP_DEFAULT)
   {
      Outcome outcome;
      seen.clear();
      signals = 0;
      std::string exec = vm->GetVmPath() + "vmx/execState/val";
      sigc::connection watch = run_->ctx.Watch(exec, vmdb::Ctx::kWatchNode, [this, exec](const std::string &) {
         seen.push_back(run_->raw->Read(exec));
      });
      sigc::connection signal = vm->powerStateChanged.connect([this]() { ++signals; });
      vm->SetPowerState(state, option, outcome.Abort(), outcome.Done());
      EXPECT_TRUE(Until([&]() { return outcome.finished; }));
      watch.disconnect();
      signal.disconnect();
      return outcome;
   }

   std::vector<std::string> seen;
   int signals = 0;
};

TEST_F(PowerTest, PowerOperationsMoveTheStateOverSeveralStepsAndReportTheirEnd)
{
   cui::VM *vm = Open(WriteVmx("desk.vmx", kMachine));
   ASSERT_NE(nullptr, vm);
   const std::string exec = vm->GetVmPath() + "vmx/execState/";

   // While the power-on is under way: pending in the database, running and busy in the model.
   Outcome on;
   vm->SetPowerState(cui::VM::POWERED_ON, cui::VM::POWEROP_DEFAULT, on.Abort(), on.Done());
   EXPECT_EQ(cui::VM::ACTION_RUNNING, vm->GetPowerOnActionState()) << "under way from the moment it is asked";
   EXPECT_TRUE(vm->GetBusy(cui::VM::BUSY_POWER));
   EXPECT_FALSE(vm->GetBusy(cui::VM::BUSY_CONFIG));
   ASSERT_TRUE(Until([&]() { return run_->raw->Read(exec + "pending") == "powerOn"; }));
   EXPECT_EQ("poweredOff", run_->raw->Read(exec + "val")) << "the state changes only at the end";
   Outcome refused;
   vm->SetPowerState(cui::VM::SUSPENDED, cui::VM::POWEROP_DEFAULT, refused.Abort(), refused.Done());
   ASSERT_TRUE(Until([&]() { return refused.finished && on.finished; }));
   EXPECT_FALSE(refused.done) << "a second operation while one is under way is refused";
   EXPECT_NE(std::string::npos, refused.error.find("busy")) << refused.error;
   EXPECT_TRUE(on.done) << on.error;
   EXPECT_EQ("poweredOn", run_->raw->Read(exec + "val"));
   EXPECT_EQ("", run_->raw->Read(exec + "pending"));
   EXPECT_NE("", run_->raw->Read(exec + "poweredOnAt"));
   EXPECT_EQ(cui::VM::POWERED_ON, vm->GetPowerState());
   EXPECT_EQ(cui::VM::ACTION_UNAVAILABLE, vm->GetPowerOnActionState());
   EXPECT_EQ(cui::VM::ACTION_AVAILABLE, vm->GetPowerOffActionState());
   EXPECT_EQ(cui::VM::ACTION_AVAILABLE, vm->GetPowerSuspendActionState());
   EXPECT_FALSE(vm->GetBusy(cui::VM::BUSY_ANY));
   EXPECT_NE(0, vm->GetPoweredOnAt());

   // Reset and the guest's own restart keep it running.
   Outcome reset = Power(vm, cui::VM::RESET);
   EXPECT_TRUE(reset.done) << reset.error;
   EXPECT_EQ(0, signals);
   Outcome restart = Power(vm, cui::VM::RESET, wui::util::Power::GetVMMenuPowerOption(vm, cui::VM::RESET, false));
   EXPECT_TRUE(restart.done) << restart.error;
   EXPECT_EQ(cui::VM::POWERED_ON, vm->GetPowerState());

   // Suspend: state file and screenshot beside the configuration.
   Outcome suspend = Power(vm, cui::VM::SUSPENDED);
   EXPECT_TRUE(suspend.done) << suspend.error;
   EXPECT_EQ(std::vector<std::string>{"suspended"}, seen);
   EXPECT_EQ(1, signals);
   EXPECT_EQ(cui::VM::SUSPENDED, vm->GetPowerState());
   std::string stateFile = cuisim::SimMachine::StateFilePath(vm->GetFilename());
   std::string shot = cuisim::SimMachine::ScreenshotPath(vm->GetFilename());
   EXPECT_EQ("suspended", Value(ReadEntries(stateFile), "state"));
   EXPECT_EQ("desk-suspended.bmp", Value(ReadEntries(stateFile), "screenshot"));
   EXPECT_EQ(shot, vm->GetSuspendScreenshotPath());
   HANDLE bmp =
      CreateFileW(WidePathFromUtf8(shot).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
   ASSERT_NE(INVALID_HANDLE_VALUE, bmp);
   char magic[2] = {};
   DWORD got = 0;
   ::ReadFile(bmp, magic, 2, &got, nullptr);
   EXPECT_GT(GetFileSize(bmp, nullptr), 320u * 240u * 3u);
   CloseHandle(bmp);
   EXPECT_EQ(std::string("BM"), std::string(magic, 2));
   std::string given = "<none>";
   Outcome screenshot;
   vm->GetSuspendScreenshot(screenshot.Abort(), [&given](std::string path) { given = path; });
   EXPECT_EQ("<none>", given) << "answered from a poll step, not inside the call";
   ASSERT_TRUE(Until([&]() { return given != "<none>"; }));
   EXPECT_EQ(shot, given);

   // Resume drops the screenshot; power off drops the state file.
   Outcome resume = Power(vm, cui::VM::POWERED_ON);
   EXPECT_TRUE(resume.done) << resume.error;
   EXPECT_EQ(std::vector<std::string>{"poweredOn"}, seen);
   EXPECT_FALSE(FileExists(shot));
   EXPECT_EQ("poweredOn", Value(ReadEntries(stateFile), "state"));
   Outcome off = Power(vm, cui::VM::POWERED_OFF, cui::VM::POWEROP_SOFT);
   EXPECT_TRUE(off.done) << off.error;
   EXPECT_EQ(std::vector<std::string>{"poweredOff"}, seen);
   EXPECT_EQ(cui::VM::POWERED_OFF, vm->GetPowerState());
   EXPECT_FALSE(FileExists(stateFile));
}

TEST_F(PowerTest, ImpossibleAndConfiguredFailuresReachTheAbortSlot)
{
   cui::VM *vm = Open(WriteVmx("desk.vmx", kMachine));
   ASSERT_NE(nullptr, vm);

   Outcome suspendOff = Power(vm, cui::VM::SUSPENDED);
   EXPECT_FALSE(suspendOff.done);
   EXPECT_FALSE(suspendOff.cancelled);
   EXPECT_EQ("The virtual machine \"Desk\" is not powered on.", suspendOff.error);
   Outcome offOff = Power(vm, cui::VM::POWERED_OFF);
   EXPECT_EQ("The virtual machine \"Desk\" is already powered off.", offOff.error);

   Config_Set("test.host.fail", "powerOn");
   Config_Set("test.host.failText", "Not enough memory to power on.");
   Outcome failed = Power(vm, cui::VM::POWERED_ON);
   EXPECT_EQ("Not enough memory to power on.", failed.error);
   EXPECT_EQ(cui::VM::POWERED_OFF, vm->GetPowerState());
   EXPECT_EQ(cui::VM::ACTION_AVAILABLE, vm->GetPowerOnActionState()) << "a failure leaves nothing under way";
   Config_Set("test.host.fail", "");

   // A fork's power-on is a power-on.
   Outcome fork = Power(vm, cui::VM::POWER_ON_FORK, cui::VM::POWEROP_FORK);
   EXPECT_TRUE(fork.done) << fork.error;
   EXPECT_EQ(cui::VM::POWERED_ON, vm->GetPowerState());

   Outcome unknown = Power(vm, static_cast<cui::VM::PowerState>(7));
   EXPECT_FALSE(unknown.done);
   EXPECT_FALSE(unknown.error.empty());
}

TEST_F(PowerTest, ASuspendedMachineIsStillSuspendedAfterARestart)
{
   std::string file = WriteVmx("desk.vmx", kMachine);
   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON).done);
   ASSERT_TRUE(Power(vm, cui::VM::SUSPENDED).done);

   // A new program: new database, new model, same files.
   NewRun();
   EXPECT_FALSE(FileExists(file + ".lck")) << "the lock went with the host that held it";
   vm = Open(file);
   ASSERT_NE(nullptr, vm);
   EXPECT_EQ(cui::VM::SUSPENDED, vm->GetPowerState());
   EXPECT_EQ("suspended", run_->raw->Read(vm->GetVmPath() + "vmx/execState/val"));
   EXPECT_EQ(cuisim::SimMachine::ScreenshotPath(file), vm->GetSuspendScreenshotPath());
   EXPECT_EQ(cui::VM::ACTION_AVAILABLE, vm->GetPowerOnActionState());

   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON).done);
   EXPECT_EQ(cui::VM::POWERED_ON, vm->GetPowerState());

   // A run that ends while an operation is under way leaves the files at that operation's end.
   Outcome pending;
   vm->SetPowerState(cui::VM::SUSPENDED, cui::VM::POWEROP_DEFAULT, pending.Abort(), pending.Done());
   ASSERT_TRUE(Until([&]() { return run_->raw->Read(vm->GetVmPath() + "vmx/execState/pending") == "suspend"; }));
   NewRun();
   vm = Open(file);
   ASSERT_NE(nullptr, vm);
   EXPECT_EQ(cui::VM::SUSPENDED, vm->GetPowerState());
}

TEST_F(PowerTest, AllRunningMachinesArePoweredOffSuspendedOrClosedTogether)
{
   cui::VM *a = Open(WriteVmx("a.vmx", kMachine));
   cui::VM *b = Open(WriteVmx("b.vmx", kMachine));
   cui::VM *c = Open(WriteVmx("c.vmx", kMachine));
   ASSERT_TRUE(a && b && c);
   ASSERT_TRUE(Power(a, cui::VM::POWERED_ON).done);

   // b is still powering on when all are asked to power off: it is waited for, then powered off.
   Outcome bOn;
   b->SetPowerState(cui::VM::POWERED_ON, cui::VM::POWEROP_DEFAULT, bOn.Abort(), bOn.Done());
   Outcome all;
   run_->mgr->PowerOffVMs(0, all.Abort(), all.Done());
   ASSERT_TRUE(Until([&]() { return all.finished; }));
   EXPECT_TRUE(all.done) << all.error;
   EXPECT_TRUE(bOn.done) << bOn.error;
   for (cui::VM *vm : {a, b, c}) {
      EXPECT_EQ(cui::VM::POWERED_OFF, vm->GetPowerState()) << vm->GetFilename();
   }

   ASSERT_TRUE(Power(a, cui::VM::POWERED_ON).done);
   Outcome suspendAll;
   run_->mgr->SuspendVMs(0, suspendAll.Abort(), suspendAll.Done());
   ASSERT_TRUE(Until([&]() { return suspendAll.finished; }));
   EXPECT_TRUE(suspendAll.done) << suspendAll.error;
   EXPECT_EQ(cui::VM::SUSPENDED, a->GetPowerState());
   EXPECT_EQ(cui::VM::POWERED_OFF, c->GetPowerState());

   // Nothing running: done all the same, from a later poll step.
   Outcome none;
   run_->mgr->PowerOffVMs(0, none.Abort(), none.Done());
   EXPECT_FALSE(none.finished);
   ASSERT_TRUE(Until([&]() { return none.finished; }));
   EXPECT_TRUE(none.done);

   // A failure is reported once, through the abort slot.
   ASSERT_TRUE(Power(b, cui::VM::POWERED_ON).done);
   Config_Set("test.host.fail", "powerOff");
   Outcome failing;
   run_->mgr->PowerOffVMs(0, failing.Abort(), failing.Done());
   ASSERT_TRUE(Until([&]() { return failing.finished; }));
   EXPECT_FALSE(failing.done);
   Config_Set("test.host.fail", "");

   Outcome closeAll;
   run_->mgr->CloseAllVMs(closeAll.Abort(), closeAll.Done());
   EXPECT_TRUE(run_->mgr->GetVMs().empty());
   ASSERT_TRUE(Until([&]() { return closeAll.finished; }));
   EXPECT_TRUE(closeAll.done) << closeAll.error;
   EXPECT_TRUE(run_->ctx.Elements("/vm/#").empty());
}

TEST_F(PowerTest, ConfigurationChangesAreWrittenToTheFileAndMirrored)
{
   std::string file = WriteVmx("desk.vmx", kMachine);
   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   long generation = vm->GetGenerationNo();
   int notesSignals = 0;
   vm->notesChanged.connect([&notesSignals]() { ++notesSignals; });

   std::string queue = vm->GetVmPath() + "cmd/##/";
   EXPECT_EQ("ok", SendCommand(queue, "setCfgState",
                               {{"val/generationNo", std::to_string(generation)}, {"val/annotation", "line one\nline two"}}));
   EXPECT_TRUE(Until([&]() { return notesSignals == 1; }));
   EXPECT_EQ("line one\nline two", vm->GetNotes());
   EXPECT_EQ(generation + 1, vm->GetGenerationNo());
   EXPECT_EQ("line one\nline two", Value(ReadEntries(file), "annotation"));

   std::string error;
   EXPECT_EQ("error", SendCommand(queue, "setCfgState",
                                  {{"val/generationNo", std::to_string(generation)}, {"val/annotation", "stale"}}, &error));
   EXPECT_NE(std::string::npos, error.find("changed meanwhile")) << error;
   EXPECT_EQ("line one\nline two", Value(ReadEntries(file), "annotation"));

   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON).done);
   EXPECT_EQ("error", SendCommand(queue, "setCfgState", {{"val/memoryMB", "512"}}, &error));
   EXPECT_NE(std::string::npos, error.find("only while the virtual machine is powered off")) << error;
   EXPECT_EQ("ok", SendCommand(queue, "setCfgState", {{"val/displayName", "Desk 2"}}));
   EXPECT_TRUE(Until([&]() { return vm->GetName() == "Desk 2"; }));
   EXPECT_EQ("256", Value(ReadEntries(file), "memoryMB"));
}

}  // namespace

#include "MachineTestSupport.h"

#include <windows.h>

#include "tremorybase/Config.h"
#include "cui/VM.h"

namespace {

const std::vector<KeyValueEntry> kMachine = {
   {"configVersion", "8"},        {"displayName", "Desk"},       {"guestOS", "winxp"},
   {"memoryMB", "256"},           {"display.width", "1024"},     {"display.height", "768"},
   {"disk0.present", "TRUE"},     {"disk0.fileName", "desk.img"}, {"cdrom0.present", "TRUE"},
   {"cdrom0.fileName", "a.iso"},  {"floppy0.present", "FALSE"},
};

class ConsoleDeviceTest : public MachineTest {
protected:
   bool Power(cui::VM *vm, cui::VM::PowerState state)
   {
      Outcome outcome;
      vm->SetPowerState(state, cui::VM::POWEROP_DEFAULT, outcome.Abort(), outcome.Done());
      EXPECT_TRUE(Until([&]() { return outcome.finished; }));
      EXPECT_TRUE(outcome.done) << outcome.error;
      return outcome.done;
   }

   std::string Read(const std::string &path) const { return run_->raw->Read(path); }
   bool Exists(const std::string &path) const { return run_->raw->Exists(path); }

   // The device element of `key` relative to the state's value ("dev/#0002/").
   std::string DeviceElement(const std::string &vmPath, const std::string &key)
   {
      std::string val = vmPath + "vmx/cfgState/val/";
      for (const std::string &element : run_->ctx.Elements(val + "dev/#")) {
         if (Read(element + "key") == key) {
            return element.substr(val.size());
         }
      }
      ADD_FAILURE() << "no device " << key;
      return "dev/#9999/";
   }

   struct Field {
      std::string rel;   // below the request's "val/"
      std::string value;
      bool isBool;
   };

   // Submits a request on the machine's "vmx/cfgState" as the hardware utility does and waits for
   // its status; the element is removed afterwards.
   std::string Submit(const std::string &vmPath, const std::vector<Field> &fields, std::string *errMsg = nullptr)
   {
      std::unique_ptr<vmdbstore::Context> c = run_->store->NewContext();
      std::string state = vmPath + "vmx/cfgState/";
      std::string element = c->AppendElement(state + "req/#");
      c->OpenBatch();
      for (const Field &field : fields) {
         if (field.isBool) {
            c->WriteBool(element + "val/" + field.rel, field.value == "1");
         } else {
            c->Write(element + "val/" + field.rel, field.value);
         }
      }
      c->CloseBatch();
      c->Write(state + "new", element);
      EXPECT_TRUE(c->WaitUntilChanged(element + "status", "", false, 5000)) << "the request was never answered";
      EXPECT_EQ("", c->Read(state + "new")) << "the request stays pending";
      std::string status = c->Read(element + "status");
      if (errMsg) {
         *errMsg = c->Read(element + "status/error/errMsg");
      }
      c->Remove(element, true);
      return status;
   }
};

TEST_F(ConsoleDeviceTest, ConsoleNodesAreWrittenAtPowerOnAndClearedWhenTheMachineStops)
{
   cui::VM *vm = Open(WriteVmx("desk.vmx", kMachine));
   ASSERT_NE(nullptr, vm);
   const std::string mks = vm->GetVmPath() + "mks/";
   EXPECT_FALSE(Exists(mks + "guestWidth")) << "a machine that is off has no guest screen";

   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON));
   EXPECT_EQ("1024", Read(mks + "guestWidth"));
   EXPECT_EQ("768", Read(mks + "guestHeight"));
   EXPECT_EQ("1024", Read(mks + "virtualScreen/width"));
   EXPECT_EQ("768", Read(mks + "virtualScreen/height"));
   EXPECT_EQ("0", Read(mks + "movieCapture"));
   EXPECT_EQ("windowed", Read(mks + "windowState/val"));

   // The console's own state while it runs: connected, full screen, grabbed through the request form.
   run_->raw->Write(mks + "connected", "1");
   run_->raw->Write(mks + "windowState/val", "fullScreen");
   std::unique_ptr<vmdbstore::Context> c = run_->store->NewContext();
   std::string grab = c->AppendElement(mks + "grabState/req/#");
   c->Write(grab + "val", "grabbed");
   c->Write(mks + "grabState/new", grab);
   ASSERT_TRUE(c->WaitUntilChanged(mks + "grabState/new", "", true, 5000));
   EXPECT_EQ("ok", Read(grab + "status"));
   EXPECT_EQ("grabbed", Read(mks + "grabState/val"));

   // A reset keeps the guest running: nothing of the console changes.
   ASSERT_TRUE(Power(vm, cui::VM::RESET));
   EXPECT_EQ("fullScreen", Read(mks + "windowState/val"));
   EXPECT_EQ("1", Read(mks + "connected"));

   ASSERT_TRUE(Power(vm, cui::VM::SUSPENDED));
   EXPECT_FALSE(Exists(mks + "guestWidth"));
   EXPECT_FALSE(Exists(mks + "guestHeight"));
   EXPECT_FALSE(Exists(mks + "virtualScreen/width"));
   EXPECT_FALSE(Exists(mks + "connected"));
   EXPECT_EQ("", Read(mks + "grabState/val"));
   EXPECT_EQ("windowed", Read(mks + "windowState/val"));
   EXPECT_EQ("0", Read(mks + "movieCapture"));

   // Resumed: the guest screen is back.
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON));
   EXPECT_EQ("1024", Read(mks + "guestWidth"));
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_OFF));
   EXPECT_FALSE(Exists(mks + "guestWidth"));
}

TEST_F(ConsoleDeviceTest, AMachineStillRunningFromBeforeHasItsConsoleAtOnceAndBadSizesFallBack)
{
   std::vector<KeyValueEntry> odd = kMachine;
   odd.push_back({"display.width", "100000"});   // the last entry wins
   std::string file = WriteVmx("odd.vmx", odd);
   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON));
   EXPECT_EQ("800", Read(vm->GetVmPath() + "mks/guestWidth"));
   EXPECT_EQ("600", Read(vm->GetVmPath() + "mks/guestHeight"));

   // The program ends with the machine running; the next run finds it powered on.
   NewRun();
   vm = Open(file);
   ASSERT_NE(nullptr, vm);
   EXPECT_EQ(cui::VM::POWERED_ON, vm->GetPowerState());
   EXPECT_EQ("800", Read(vm->GetVmPath() + "mks/guestWidth"));
   EXPECT_EQ("windowed", Read(vm->GetVmPath() + "mks/windowState/val"));
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_OFF));
}

TEST_F(ConsoleDeviceTest, DeviceRequestsChangeOnlyTheFieldsTheyName)
{
   std::string file = WriteVmx("desk.vmx", kMachine);
   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   const std::string vmPath = vm->GetVmPath();
   const std::string val = vmPath + "vmx/cfgState/val/";
   std::string cdrom = DeviceElement(vmPath, "cdrom0");
   long generation = std::stol(Read(val + "generationNo"));

   EXPECT_EQ("ok", Submit(vmPath, {{cdrom + "fileName", "b.iso", false}}));
   std::vector<KeyValueEntry> entries = ReadEntries(file);
   EXPECT_EQ("b.iso", Value(entries, "cdrom0.fileName"));
   EXPECT_EQ("TRUE", Value(entries, "cdrom0.present")) << "a field the request does not name stays";
   EXPECT_EQ("desk.img", Value(entries, "disk0.fileName"));
   EXPECT_EQ(std::to_string(generation + 1), Read(val + "generationNo"));
   cdrom = DeviceElement(vmPath, "cdrom0");
   EXPECT_EQ("b.iso", Read(val + cdrom + "fileName"));
   EXPECT_EQ("1", Read(val + cdrom + "present"));

   // Disconnected (a boolean, as the dialog writes it), and a setting beside it in one request.
   EXPECT_EQ("ok", Submit(vmPath, {{cdrom + "present", "0", true}, {"annotation", "spare", false}}));
   entries = ReadEntries(file);
   EXPECT_EQ("FALSE", Value(entries, "cdrom0.present"));
   EXPECT_EQ("b.iso", Value(entries, "cdrom0.fileName"));
   EXPECT_EQ("spare", Value(entries, "annotation"));
   EXPECT_EQ(std::to_string(generation + 2), Read(val + "generationNo"));
   EXPECT_EQ("0", Read(val + DeviceElement(vmPath, "cdrom0") + "present"));

   // A hardware change while powered off is fine.
   EXPECT_EQ("ok", Submit(vmPath, {{DeviceElement(vmPath, "disk0") + "present", "0", true}}));
   EXPECT_EQ("FALSE", Value(ReadEntries(file), "disk0.present"));
}

TEST_F(ConsoleDeviceTest, AnAdapterGoesOnAPrivateNetworkAndUnknownNetworksOrFieldsAreRefused)
{
   std::vector<KeyValueEntry> entries = kMachine;
   entries.push_back({"net0.present", "TRUE"});
   entries.push_back({"net0.network", "nat"});
   std::string file = WriteVmx("desk.vmx", entries);
   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   const std::string vmPath = vm->GetVmPath();
   const std::string net = DeviceElement(vmPath, "net0");
   std::string error;

   EXPECT_EQ("error", Submit(vmPath, {{net + "network", "wormhole", false}}, &error));
   EXPECT_NE(std::string::npos, error.find("\"wormhole\" is not known")) << error;
   EXPECT_EQ("error", Submit(vmPath, {{DeviceElement(vmPath, "cdrom0") + "pvnID", "pvn-1", false}}, &error));
   EXPECT_NE(std::string::npos, error.find("cannot be changed")) << error;
   EXPECT_EQ("nat", Value(ReadEntries(file), "net0.network"));

   EXPECT_EQ("ok", Submit(vmPath, {{net + "network", "pvn", false}, {net + "pvnID", "pvn-3", false}}));
   EXPECT_EQ("pvn", Value(ReadEntries(file), "net0.network"));
   EXPECT_EQ("pvn-3", Value(ReadEntries(file), "net0.pvnID"));
   std::vector<cui::vmdevice::NIC> nics = vm->GetNICs();
   ASSERT_EQ(1u, nics.size());
   EXPECT_EQ(cui::vmdevice::NIC::HOSTIF_PVN, nics[0].GetHostIF());
   EXPECT_EQ("pvn-3", nics[0].GetPVN());
   EXPECT_EQ("pvn", nics[0].GetNetwork());

   // Adapters are hardware: not while the machine runs.
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON));
   EXPECT_EQ("error", Submit(vmPath, {{DeviceElement(vmPath, "net0") + "network", "nat", false}}, &error));
   EXPECT_NE(std::string::npos, error.find("only while the virtual machine is powered off")) << error;
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_OFF));
}

TEST_F(ConsoleDeviceTest, DeviceRequestsTheHostCannotCarryOutAreRefusedAndChangeNothing)
{
   std::string file = WriteVmx("desk.vmx", kMachine);
   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   const std::string vmPath = vm->GetVmPath();
   const std::string generationNo = vmPath + "vmx/cfgState/val/generationNo";
   const std::string before = Read(generationNo);
   std::string error;

   EXPECT_EQ("error", Submit(vmPath, {{"dev/#0099/present", "1", true}}, &error));
   EXPECT_NE(std::string::npos, error.find("has no device")) << error;
   EXPECT_EQ("error", Submit(vmPath, {{DeviceElement(vmPath, "cdrom0") + "label", "Mine", false}}, &error));
   EXPECT_NE(std::string::npos, error.find("cannot be changed")) << error;
   // All or nothing: the good field of a refused request is not applied either.
   EXPECT_EQ("error", Submit(vmPath, {{DeviceElement(vmPath, "cdrom0") + "fileName", "c.iso", false},
                                      {"dev/#0099/fileName", "x", false}}, &error));
   EXPECT_EQ("error", Submit(vmPath, {{"generationNo", std::to_string(std::stol(before) - 1), false},
                                      {"annotation", "stale", false}}, &error));
   EXPECT_NE(std::string::npos, error.find("changed meanwhile")) << error;
   EXPECT_EQ(before, Read(generationNo));
   EXPECT_EQ("a.iso", Value(ReadEntries(file), "cdrom0.fileName"));

   // Running: removable media may change, the rest of the hardware may not.
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON));
   EXPECT_EQ("error", Submit(vmPath, {{DeviceElement(vmPath, "disk0") + "present", "0", true}}, &error));
   EXPECT_NE(std::string::npos, error.find("only while the virtual machine is powered off")) << error;
   EXPECT_EQ("TRUE", Value(ReadEntries(file), "disk0.present"));
   EXPECT_EQ("ok", Submit(vmPath, {{DeviceElement(vmPath, "cdrom0") + "fileName", "d.iso", false}}));
   EXPECT_EQ("d.iso", Value(ReadEntries(file), "cdrom0.fileName"));

   // A "new" that names no request of the state is cleared and answers nothing.
   run_->raw->Write(vmPath + "vmx/cfgState/new", "/elsewhere/#0001/");
   EXPECT_TRUE(run_->raw->WaitUntilChanged(vmPath + "vmx/cfgState/new", "", true, 5000));
   EXPECT_FALSE(Exists("/elsewhere/#0001/status"));

   // Configured to fail: the configured text.
   Config_Set("test.host.fail", "cfgState");
   Config_Set("test.host.failText", "The host is busy.");
   EXPECT_EQ("error", Submit(vmPath, {{DeviceElement(vmPath, "cdrom0") + "fileName", "e.iso", false}}, &error));
   EXPECT_EQ("The host is busy.", error);
   EXPECT_EQ("d.iso", Value(ReadEntries(file), "cdrom0.fileName"));
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_OFF));
}

}  // namespace

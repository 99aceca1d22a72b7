// Machines whose folders, files and settings are named in other scripts than English: the
// simulated host creates, registers, lists, opens and runs them, and their files keep the UTF-8
// bytes of those names.
#include "MachineTestSupport.h"

#include <windows.h>

#include "cui/Host.h"
#include "cui/VM.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Text.h"
#include "tremsim/SimMachine.h"
#include "tremsim/SimRegistry.h"
#include "tremsim/SimVmCreator.h"

namespace {

const char kHostQueue[] = "/host2/#0000/util/vm/cmd/##/";

// "Máquinas virtuales\Prüfung"
const char kSpanishFolder[] = "M\xC3\xA1quinas virtuales\\Pr\xC3\xBC" "fung";
// "Prüfung ß"
const char kGermanName[] = "Pr\xC3\xBC" "fung \xC3\x9F";
// "Εικονικές μηχανές"
const char kGreekFolder[] = "\xCE\x95\xCE\xB9\xCE\xBA\xCE\xBF\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAD\xCF\x82 "
                            "\xCE\xBC\xCE\xB7\xCF\x87\xCE\xB1\xCE\xBD\xCE\xAD\xCF\x82";
// "Тестовая машина"
const char kCyrillicName[] = "\xD0\xA2\xD0\xB5\xD1\x81\xD1\x82\xD0\xBE\xD0\xB2\xD0\xB0\xD1\x8F "
                             "\xD0\xBC\xD0\xB0\xD1\x88\xD0\xB8\xD0\xBD\xD0\xB0";
// "Рабочая станция"
const char kCyrillicRename[] = "\xD0\xA0\xD0\xB0\xD0\xB1\xD0\xBE\xD1\x87\xD0\xB0\xD1\x8F "
                               "\xD1\x81\xD1\x82\xD0\xB0\xD0\xBD\xD1\x86\xD0\xB8\xD1\x8F";
// "仮想マシンのメモ 🖥": CJK and a character outside the basic plane.
const char kNotes[] = "\xE4\xBB\xAE\xE6\x83\xB3\xE3\x83\x9E\xE3\x82\xB7\xE3\x83\xB3"
                      "\xE3\x81\xAE\xE3\x83\xA1\xE3\x83\xA2 \xF0\x9F\x96\xA5";

class NamesTest : public MachineTest {
protected:
   void SetUp() override
   {
      MachineTest::SetUp();
      Config_Set("test.host.vmListFolder", Path("Hosts").c_str());
   }
   void TearDown() override
   {
      Config_Set("test.host.vmListFolder", "");
      MachineTest::TearDown();
   }

   // The host of the run, as the program's host object sees it.
   std::unique_ptr<cui::Host> LocalHost()
   {
      return std::unique_ptr<cui::Host>(new cui::Host(nullptr, run_->ctx, "/host2/#0000/"));
   }

   static std::string Bytes(const std::string &path)
   {
      std::string bytes;
      std::string error;
      EXPECT_TRUE(File_Read(path, bytes, error)) << error;
      return bytes;
   }

   // Waits for a power change the machine was asked for; true when it was made.
   bool Power(cui::VM *vm, cui::VM::PowerState state)
   {
      Outcome outcome;
      vm->SetPowerState(state, cui::VM::POWEROP_DEFAULT, outcome.Abort(), outcome.Done());
      EXPECT_TRUE(Until([&]() { return outcome.finished; }));
      EXPECT_TRUE(outcome.done) << outcome.error;
      return outcome.done && vm->GetPowerState() == state;
   }
};

// The same path with every letter in upper case, as Windows folds it.
std::string Upper(const std::string &path)
{
   std::wstring wide = WideFromUtf8(path);
   CharUpperBuffW(&wide[0], static_cast<DWORD>(wide.size()));
   return Utf8FromWide(wide);
}

}  // namespace

TEST_F(NamesTest, AMachineInASpanishAndGermanFolderIsCreatedRegisteredListedAndRun)
{
   const std::string file = Path(std::string(kSpanishFolder) + "\\" + kGermanName + ".vmx");
   std::string error;
   ASSERT_EQ("ok", SendCommand(kHostQueue, "createVMCfg",
                               {{"file", file}, {"config/displayName", kGermanName}, {"config/guestOS", "winxp"}},
                               &error))
      << error;
   // The configuration's bytes are the name's UTF-8, unescaped; the disk is named after it.
   std::string vmx = Bytes(file);
   EXPECT_NE(std::string::npos, vmx.find(std::string("displayName = \"") + kGermanName + "\"\n")) << vmx;
   EXPECT_NE(std::string::npos, vmx.find(std::string("disk0.fileName = \"") + kGermanName + "-disk1.img\"\n"));
   EXPECT_TRUE(File_Exists(cuisim::SimVmCreator::DiskPath(file)));

   std::unique_ptr<cui::Host> host = LocalHost();
   Outcome registered;
   host->RegisterVM(file, registered.Abort(), registered.Done());
   ASSERT_TRUE(Until([&]() { return registered.finished; }));
   ASSERT_TRUE(registered.done) << registered.error;
   EXPECT_EQ(host->GetRegisteredVMs(), std::vector<std::string>{file});
   EXPECT_EQ(host->GetRegisteredVMPath(Upper(file)), file) << "case is folded beyond ASCII";
   EXPECT_EQ(Bytes(Path("Hosts\\localhost.vms")), file + "\r\n");

   // A new run finds the registration in the list file once it works with the host.
   host.reset();
   NewRun();
   host = LocalHost();
   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   EXPECT_EQ(host->GetRegisteredVMs(), std::vector<std::string>{file});
   EXPECT_EQ(kGermanName, vm->GetName());
   EXPECT_EQ(kGermanName, run_->raw->Read(vm->GetVmPath() + "vmx/cfgState/val/displayName"));
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON));
   ASSERT_TRUE(Power(vm, cui::VM::SUSPENDED));
   // The state file and the screenshot beside the configuration carry the machine's name too.
   EXPECT_EQ(cuisim::SimMachine::StateFilePath(file),
             Path(std::string(kSpanishFolder) + "\\" + kGermanName + ".vmss"));
   EXPECT_EQ("suspended", Value(ReadEntries(cuisim::SimMachine::StateFilePath(file)), "state"));
   EXPECT_EQ(std::string(kGermanName) + "-suspended.bmp",
             Value(ReadEntries(cuisim::SimMachine::StateFilePath(file)), "screenshot"));
   EXPECT_EQ(Bytes(cuisim::SimMachine::ScreenshotPath(file)).compare(0, 2, "BM"), 0);
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON));
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_OFF));
   EXPECT_EQ(vmx, Bytes(file)) << "running the machine changed nothing in its configuration";

   Outcome unregistered;
   host->UnregisterVM(Upper(file), unregistered.Abort(), unregistered.Done());
   ASSERT_TRUE(Until([&]() { return unregistered.finished; }));
   EXPECT_TRUE(unregistered.done) << unregistered.error;
   EXPECT_TRUE(host->GetRegisteredVMs().empty());
   EXPECT_EQ(Bytes(Path("Hosts\\localhost.vms")), "");
}

TEST_F(NamesTest, AGreekFolderAndACyrillicNameKeepTheirBytesWhenTheHostWritesTheConfigurationBack)
{
   ASSERT_TRUE(File_MakeFolders(Path(kGreekFolder)));
   const std::string file = WriteVmx(std::string(kGreekFolder) + "\\" + kCyrillicName + ".vmx",
                                     {{"configVersion", "8"},
                                      {"displayName", kCyrillicName},
                                      {"guestOS", "winxp"},
                                      {"memoryMB", "256"},
                                      {"annotation", kNotes},
                                      {"guestinfo.owner", kGermanName}});
   const std::string before = Bytes(file);
   EXPECT_NE(std::string::npos, before.find(std::string("annotation = \"") + kNotes + "\"\n"));

   std::unique_ptr<cui::Host> host = LocalHost();
   Outcome registered;
   host->RegisterVM(file, registered.Abort(), registered.Done());
   ASSERT_TRUE(Until([&]() { return registered.finished; }));
   ASSERT_TRUE(registered.done) << registered.error;
   EXPECT_EQ(host->GetRegisteredVMs(), std::vector<std::string>{file});

   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   const std::string val = vm->GetVmPath() + "vmx/cfgState/val/";
   EXPECT_EQ(kCyrillicName, vm->GetName());
   EXPECT_EQ(kNotes, run_->raw->Read(val + "annotation"));
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON));
   EXPECT_EQ("poweredOn", run_->raw->Read(vm->GetVmPath() + "vmx/execState/val"));
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_OFF));

   // The host writes the file again for a change of one value: that line changes, every other
   // line is the same bytes as before, the unknown key's included.
   std::string error;
   ASSERT_EQ("ok", SendCommand(vm->GetVmPath() + "cmd/##/", "setCfgState", {{"val/displayName", kCyrillicRename}},
                               &error))
      << error;
   std::string expected = before;
   const std::string oldLine = std::string("displayName = \"") + kCyrillicName + "\"";
   expected.replace(expected.find(oldLine), oldLine.size(), std::string("displayName = \"") + kCyrillicRename + "\"");
   EXPECT_EQ(expected, Bytes(file));
   EXPECT_TRUE(Until([&]() { return vm->GetName() == kCyrillicRename; }));

   // And a value written back as it was read leaves the file as it was.
   ASSERT_EQ("ok", SendCommand(vm->GetVmPath() + "cmd/##/", "setCfgState",
                               {{"val/annotation", run_->raw->Read(val + "annotation")}}, &error))
      << error;
   EXPECT_EQ(expected, Bytes(file));
}

TEST_F(NamesTest, AMachineAtAPathOf259CharactersIsCreatedRegisteredAndOpened)
{
   // Greek folders down to a configuration whose path is 259 characters long; its disk image,
   // its temporary file and its lock file beside it are longer than a plain path may be.
   std::string folder = Path(kGreekFolder);
   while (WideFromUtf8(folder).size() + 1 + 17 + 20 < 259) {
      folder += std::string("\\") + kGreekFolder;
   }
   const std::string name = std::string(259 - WideFromUtf8(folder).size() - 1 - 4, 'm');
   const std::string file = folder + "\\" + name + ".vmx";
   ASSERT_EQ(259u, WideFromUtf8(file).size());

   std::string error;
   ASSERT_EQ("ok", SendCommand(kHostQueue, "createVMCfg", {{"file", file}, {"config/displayName", kCyrillicName}},
                               &error))
      << error;
   EXPECT_TRUE(File_Exists(file));
   EXPECT_TRUE(File_Exists(cuisim::SimVmCreator::DiskPath(file)));

   std::unique_ptr<cui::Host> host = LocalHost();
   Outcome registered;
   host->RegisterVM(file, registered.Abort(), registered.Done());
   ASSERT_TRUE(Until([&]() { return registered.finished; }));
   ASSERT_TRUE(registered.done) << registered.error;
   EXPECT_EQ(host->GetRegisteredVMs(), std::vector<std::string>{file}) << "listed as given, without a prefix";

   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   EXPECT_EQ(kCyrillicName, vm->GetName());
   EXPECT_TRUE(Power(vm, cui::VM::POWERED_ON));
   EXPECT_TRUE(Power(vm, cui::VM::POWERED_OFF));
}

TEST_F(NamesTest, AHostNamedInAnotherScriptKeepsItsNameInItsListFile)
{
   // "Διακομιστής": its list is a file of that name; ASCII punctuation becomes "_".
   const std::string greek = "\xCE\x94\xCE\xB9\xCE\xB1\xCE\xBA\xCE\xBF\xCE\xBC\xCE\xB9\xCF\x83\xCF\x84\xCE\xAE\xCF\x82";
   run_->raw->Write("/host2/#0007/name", greek);
   run_->raw->Write("/host2/#0008/name", "far.example:902/" + greek);
   cuisim::SimRegistry registry(run_->ctx);
   const std::string list = registry.ListFile("/host2/#0007/");
   EXPECT_EQ(Path("Hosts\\" + greek + ".vms"), list);
   EXPECT_EQ(Path("Hosts\\far.example_902_" + greek + ".vms"), registry.ListFile("/host2/#0008/"));

   const std::vector<std::string> paths = {Path(std::string(kSpanishFolder) + "\\a.vmx"), Path(kGreekFolder)};
   std::string error;
   ASSERT_TRUE(cuisim::SimRegistry::WriteList(list, paths, error)) << error;
   std::vector<std::string> read;
   ASSERT_TRUE(cuisim::SimRegistry::ReadList(list, read, error)) << error;
   EXPECT_EQ(paths, read);
}

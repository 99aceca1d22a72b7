#include "MachineTestSupport.h"

#include <windows.h>

#include "cui/VM.h"
#include "tremorybase/File.h"
#include "tremorybase/Text.h"
#include "tremsim/SimVmCreator.h"

namespace {

const char kQueue[] = "/host2/#0000/util/vm/cmd/##/";

class NewVMTest : public MachineTest {
protected:
   std::vector<std::pair<std::string, std::string>> Inputs(const std::string &file)
   {
      return {{"file", file},
              {"access/private", "1"},
              {"config/displayName", "Web Server"},
              {"config/guestOS", "win2003"},
              {"config/memoryMB", "512"},
              {"config/cpuCount", "2"},
              {"config/diskSizeMB", "20480"},
              {"config/network", "bridged"}};
   }
};

TEST_F(NewVMTest, CreateWritesTheChosenValuesAndTheMachineOpensWithThem)
{
   // The new machine's own folder does not exist yet: the host makes it.
   std::string file = Path("Web Server\\Web Server.vmx");
   std::string error;
   ASSERT_EQ("ok", SendCommand(kQueue, "createVMCfg", Inputs(file), &error)) << error;

   std::vector<KeyValueEntry> vmx = ReadEntries(file);
   EXPECT_EQ("Web Server", Value(vmx, "displayName"));
   EXPECT_EQ("win2003", Value(vmx, "guestOS"));
   EXPECT_EQ("512", Value(vmx, "memoryMB"));
   EXPECT_EQ("2", Value(vmx, "cpuCount"));
   EXPECT_EQ("TRUE", Value(vmx, "access.private"));
   EXPECT_EQ("20480", Value(vmx, "disk0.sizeMB"));
   EXPECT_EQ("bridged", Value(vmx, "net0.network"));
   std::string disk = cuisim::SimVmCreator::DiskPath(file);
   EXPECT_EQ("Web Server-disk1.img", Value(vmx, "disk0.fileName"));
   HANDLE image =
      CreateFileW(WidePathFromUtf8(disk).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
   ASSERT_NE(INVALID_HANDLE_VALUE, image) << "the disk image is made beside the configuration";
   EXPECT_EQ(0u, GetFileSize(image, nullptr)) << "its size is recorded, not written";
   CloseHandle(image);

   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   EXPECT_EQ("Web Server", vm->GetName());
   EXPECT_EQ("Windows Server 2003", vm->GetGuestOSName());
   EXPECT_EQ(512, vm->GetMemoryMB());
   EXPECT_EQ(2, vm->GetCPUCount());
   EXPECT_EQ("bridged", Value(vmx, "net0.network"));

   // Without a network the machine has no adapter; without sizes it has its guest's defaults.
   std::string plain = Path("plain.vmx");
   ASSERT_EQ("ok", SendCommand(kQueue, "createVMCfg",
                               {{"file", plain}, {"config/guestOS", "dos"}, {"config/network", "none"}}, &error))
      << error;
   std::vector<KeyValueEntry> small = ReadEntries(plain);
   EXPECT_EQ("<missing>", Value(small, "net0.present"));
   EXPECT_EQ("32", Value(small, "memoryMB"));
   EXPECT_EQ("2048", Value(small, "disk0.sizeMB"));
   EXPECT_EQ("plain", Value(small, "displayName"));
   EXPECT_EQ("FALSE", Value(small, "access.private"));
}

TEST_F(NewVMTest, CreateRefusesAnExistingFileAnEmptyPathAnUnwritableFolderAndBadValues)
{
   std::string existing = WriteVmx("mine.vmx", {{"displayName", "Precious"}});
   std::string error;
   EXPECT_EQ("error", SendCommand(kQueue, "createVMCfg", Inputs(existing), &error));
   EXPECT_NE(std::string::npos, error.find("already exists")) << error;
   EXPECT_EQ("Precious", Value(ReadEntries(existing), "displayName")) << "the existing file is untouched";

   EXPECT_EQ("error", SendCommand(kQueue, "createVMCfg", Inputs(""), &error));
   EXPECT_NE(std::string::npos, error.find("No file name")) << error;

   // A folder that cannot be made: its parent is a file.
   std::string blocker = WriteVmx("blocker.txt", {});
   EXPECT_EQ("error", SendCommand(kQueue, "createVMCfg", Inputs(blocker + "\\sub\\x.vmx"), &error));
   EXPECT_NE(std::string::npos, error.find("cannot be created in the folder")) << error;
   EXPECT_FALSE(FileExists(blocker + "\\sub"));

   auto with = [this](const std::string &key, const std::string &value) {
      std::vector<std::pair<std::string, std::string>> inputs = Inputs(Path("bad.vmx"));
      for (auto &input : inputs) {
         if (input.first == key) {
            input.second = value;
         }
      }
      return inputs;
   };
   for (const auto &bad : std::vector<std::pair<std::string, std::string>>{{"config/memoryMB", "2"},
                                                                           {"config/memoryMB", "lots"},
                                                                           {"config/cpuCount", "9"},
                                                                           {"config/diskSizeMB", "-1"},
                                                                           {"config/guestOS", "plan9"},
                                                                           {"config/network", "carrier pigeon"},
                                                                           {"file", Path("bad.txt")}}) {
      EXPECT_EQ("error", SendCommand(kQueue, "createVMCfg", with(bad.first, bad.second), &error))
         << bad.first << "=" << bad.second;
      EXPECT_FALSE(error.empty());
   }
   EXPECT_FALSE(FileExists(Path("bad.vmx")));
}

TEST_F(NewVMTest, DeleteRemovesOnlyWhatCreateMadeInThisRun)
{
   std::string error;
   std::string existing = WriteVmx("existing.vmx", {{"displayName", "Keep me"}});
   EXPECT_EQ("error", SendCommand(kQueue, "deleteVM", {{"cfgPath", existing}}, &error));
   EXPECT_NE(std::string::npos, error.find("is not deleted")) << error;
   EXPECT_TRUE(FileExists(existing));
   EXPECT_EQ("error", SendCommand(kQueue, "deleteVM", {{"cfgPath", ""}}, &error));

   // A machine made now, and open: refused until it is closed.
   std::string file = Path("Scratch\\scratch.vmx");
   ASSERT_EQ("ok", SendCommand(kQueue, "createVMCfg", Inputs(file), &error)) << error;
   cui::VM *vm = Open(file);
   ASSERT_NE(nullptr, vm);
   EXPECT_EQ("error", SendCommand(kQueue, "deleteVM", {{"cfgPath", file}}, &error));
   EXPECT_NE(std::string::npos, error.find("is open")) << error;
   Outcome closed;
   run_->mgr->CloseVM(vm, closed.Abort(), closed.Done());
   ASSERT_TRUE(Until([&]() { return closed.finished; }));

   std::string other = file;
   for (char &c : other) {
      c = c == '\\' ? '/' : c;
   }
   EXPECT_EQ("ok", SendCommand(kQueue, "deleteVM", {{"cfgPath", other}}, &error)) << error;
   EXPECT_FALSE(FileExists(file));
   EXPECT_FALSE(FileExists(cuisim::SimVmCreator::DiskPath(file)));
   EXPECT_FALSE(FileExists(Path("Scratch"))) << "the folder made for it goes too";

   // Once deleted it is no longer one of this run's: a file written there later is kept.
   ASSERT_TRUE(File_MakeFolders(Path("Scratch")));
   WriteVmx("Scratch\\scratch.vmx", {{"displayName", "Someone else's"}});
   EXPECT_EQ("error", SendCommand(kQueue, "deleteVM", {{"cfgPath", file}}, &error));
   EXPECT_TRUE(FileExists(file));

   // A new run forgets what the last one made.
   std::string made = Path("made.vmx");
   ASSERT_EQ("ok", SendCommand(kQueue, "createVMCfg", Inputs(made), &error)) << error;
   NewRun();
   EXPECT_EQ("error", SendCommand(kQueue, "deleteVM", {{"cfgPath", made}}, &error));
   EXPECT_TRUE(FileExists(made));
}

}  // namespace

// The writers of a machine's configuration file (the host for a settings change, the list of
// registered machines for a rename) read it first: a file that cannot be read is not written over.
#include "DamagedFiles.h"
#include "SessionFixture.h"

#include "RegVmsCtl.h"

#include "tremorybase/File.h"
#include "tremorybase/Text.h"

namespace {

class VmxWrites : public SessionFixture {
protected:
   // Asks the host for a new display name as the settings window does; "ok" or the error text.
   std::string Rename(cui::VM *vm, const std::string &name)
   {
      const std::string state = vm->GetVmPath() + "vmx/cfgState/";
      const std::string element = state + "req/#00" + std::to_string(10 + next_++) + "/";
      Write(element + "val/displayName", name);
      Write(state + "new", element);
      EXPECT_TRUE(PollUntil([&]() { return !Read(element + "status").empty(); }));
      return Read(element + "status") == "ok" ? "ok" : Read(element + "status/error/errMsg");
   }

   static std::string Bytes(const std::string &path)
   {
      std::string bytes;
      std::string error;
      File_Read(path, bytes, error);
      return bytes;
   }

   int next_ = 0;
};

TEST_F(VmxWrites, AConfigurationThatCannotBeReadIsNotWrittenOver)
{
   cui::VM *vm = OpenVm("Alpha");
   ASSERT_TRUE(vm);
   const std::string file = folder_ + "\\Alpha.vmx";
   ASSERT_EQ("ok", Rename(vm, "Alpha Two"));
   const std::string whole = Bytes(file);
   ASSERT_NE(std::string::npos, whole.find("Alpha Two"));

   for (const DamagedFile &vmx : DamagedVersions(whole, 4, "line ", "displayName = \"Alpha Two\"\nguestOS other\n",
                                                 "line 2: expected '=' after the key")) {
      SCOPED_TRACE(vmx.what);
      std::string error;
      ASSERT_TRUE(File_Replace(file, vmx.bytes, error)) << error;
      std::string refused = Rename(vm, "Alpha Three");
      EXPECT_NE(std::string::npos, refused.find("\"" + file + "\" was not written: it cannot be read")) << refused;
      EXPECT_NE(std::string::npos, refused.find(vmx.says)) << refused;
      EXPECT_FALSE(tremappsdk::WriteVmxDisplayName(WideFromUtf8(file), L"Alpha Four", error));
      EXPECT_TRUE(Bytes(file) == vmx.bytes) << "byte for byte as it was";
      EXPECT_FALSE(File_Exists(file + ".tmp"));
   }

   std::string error;
   ASSERT_TRUE(File_Replace(file, whole, error)) << error;
   EXPECT_EQ("ok", Rename(vm, "Alpha Three"));
   EXPECT_NE(std::string::npos, Bytes(file).find("displayName = \"Alpha Three\""));
}

}  // namespace

// The team file as the simulated host reads and writes it: well-formed, damaged and hostile files.
#include "tremsim/SimTeamFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tremorybase/File.h"

namespace {

class TeamFile : public ::testing::Test {
protected:
   void SetUp() override
   {
      static int count = 0;
      folder_ = File_GetTempFolder() + "zolt-teamfile-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++count) + "\\";
      ASSERT_TRUE(File_MakeFolders(folder_.substr(0, folder_.size() - 1)));
      path_ = folder_ + "Lab.vmtm";
   }
   void TearDown() override
   {
      File_Delete(path_);
      File_Delete(path_ + ".tmp");
      File_RemoveFolder(folder_.substr(0, folder_.size() - 1));
   }
   void Write(const std::string &text)
   {
      std::string error;
      ASSERT_TRUE(File_Replace(path_, text, error)) << error;
   }
   std::string Read() const
   {
      std::string text;
      std::string error;
      EXPECT_TRUE(File_Read(path_, text, error)) << error;
      return text;
   }
   // Loads text that must be refused; the error text.
   std::string Refused(const std::string &text)
   {
      Write(text);
      cuisim::SimTeamFile file;
      std::string error;
      EXPECT_FALSE(file.Load(path_, error)) << text.substr(0, 200);
      EXPECT_TRUE(file.members.empty()) << "a refused file leaves nothing behind";
      return error;
   }

   std::string folder_;
   std::string path_;
};

bool Contains(const std::string &text, const std::string &part)
{
   return text.find(part) != std::string::npos;
}

}  // namespace

TEST_F(TeamFile, WellFormedFileGivesMembersAndLansInIndexOrderAndKeepsUnknownKeys)
{
   Write(".encoding = \"UTF-8\"\n"
         "team.name = \"Lab\"\n"
         "team.notes = \"two machines\\nand a LAN\"\n"
         "# the second one first\n"
         "vm2.cfgPath = \"C:\\\\Elsewhere\\\\db.vmx\"\n"
         "vm2.startupOrder = \"2\"\n"
         "vm0.cfgPath = \"Web\\\\web.vmx\"\n"
         "vm0.startupOrder = \"1\"\n"
         "vm0.startupDelay = \"3\"\n"
         "vm0.futureKey = \"kept\"\n"
         "lan0.id = \"pvn-1\"\n"
         "lan0.name = \"LAN 1\"\n"
         "lan0.bandwidth = \"1000\"\n"
         "lan0.loss = \"5\"\n"
         "team.futureKey = \"also kept\"\n");
   cuisim::SimTeamFile file;
   std::string error;
   ASSERT_TRUE(file.Load(path_, error)) << error;
   EXPECT_EQ("Lab", file.name);
   EXPECT_EQ("two machines\nand a LAN", file.notes);
   ASSERT_EQ(2u, file.members.size());
   EXPECT_EQ(folder_ + "Web\\web.vmx", file.members[0].cfgPath) << "relative to the team's folder";
   EXPECT_EQ(1, file.members[0].startupOrder);
   EXPECT_EQ(3, file.members[0].startupDelay);
   EXPECT_EQ("C:\\Elsewhere\\db.vmx", file.members[1].cfgPath);
   EXPECT_EQ(0, file.members[1].startupDelay);
   ASSERT_EQ(1u, file.lans.size());
   EXPECT_EQ("pvn-1", file.lans[0].id);
   EXPECT_EQ(1000, file.lans[0].bandwidth);
   EXPECT_EQ(5, file.lans[0].loss);

   // Written back whole: members renumbered, the one inside the folder relative, unknown keys kept.
   ASSERT_TRUE(file.Save(error)) << error;
   EXPECT_FALSE(File_Exists(path_ + ".tmp"));
   std::string text = Read();
   EXPECT_TRUE(Contains(text, "vm0.cfgPath = \"Web\\\\web.vmx\"")) << text;
   EXPECT_TRUE(Contains(text, "vm1.cfgPath = \"C:\\\\Elsewhere\\\\db.vmx\"")) << text;
   EXPECT_TRUE(Contains(text, "vm0.futureKey = \"kept\"")) << text;
   EXPECT_TRUE(Contains(text, "team.futureKey = \"also kept\"")) << text;
   cuisim::SimTeamFile again;
   ASSERT_TRUE(again.Load(path_, error)) << error;
   EXPECT_EQ(file.members[1].cfgPath, again.members[1].cfgPath);
   EXPECT_EQ(file.notes, again.notes);

   // A path that climbs out of the folder is resolved, and kept absolute.
   EXPECT_EQ("C:\\Teams\\Other\\x.vmx", cuisim::SimTeamFile::Resolve("C:\\Teams\\Lab\\", "..\\Other\\.\\x.vmx"));
   EXPECT_FALSE(cuisim::SimTeamFile::IsInside("C:\\Teams\\Lab\\", "C:\\Teams\\Other\\x.vmx"));
   EXPECT_EQ("C:\\x.vmx", cuisim::SimTeamFile::Resolve("C:\\a\\", "..\\..\\..\\x.vmx")) << "never above the root";
}

TEST_F(TeamFile, DamagedFilesAreRefusedWithTheLineThatIsWrong)
{
   struct Case {
      const char *text;
      const char *expected;
   };
   const Case cases[] = {
      {"team.name = \"Lab\"\nvm0.startupOrder = \"1\"\n", "line 2: vm0 has no cfgPath"},
      {"vm0.cfgPath = \"a.vmx\"\n\n# comment\nvm1.cfgPath = \"A.VMX\"\n", "line 4: vm1 names the same virtual machine"},
      {"vm0.cfgPath = \"sub\\\\a.vmx\"\nvm1.cfgPath = \"sub\\\\..\\\\sub/a.vmx\"\n", "line 2: vm1 names the same"},
      {"vm0.cfgPath = \"a.vmx\"\nvm0.startupOrder = \"first\"\n", "line 2: the value of vm0.startupOrder is not a whole"},
      {"vm0.cfgPath = \"a.vmx\"\nvm0.startupDelay = \"-2\"\n", "line 2: the start-up delay of vm0 is negative"},
      {"lan0.id = \"p\"\nlan0.name = \"L\"\nlan0.bandwidth = \"-1\"\n", "line 3: the bandwidth of lan0 is negative"},
      {"lan0.id = \"p\"\nlan0.name = \"L\"\nlan0.loss = \"101\"\n", "line 3: the packet loss of lan0"},
      {"lan0.id = \"p\"\nlan1.id = \"q\"\nlan1.name = \"L\"\n", "line 1: lan0 has no name"},
      {"team.name = \"La\"b\"\nvm0.cfgPath = \"a.vmx\"\n", "line 1: unexpected text after the value"},
      {"team.name = \"Lab\"\nteam.notes = \"open\n", "line 2: missing closing quote"},
      {"vm0.cfgPath = \"\"\n", "line 1: vm0.cfgPath is empty"},
   };
   for (const Case &c : cases) {
      std::string error = Refused(c.text);
      EXPECT_TRUE(Contains(error, c.expected)) << error;
      EXPECT_TRUE(Contains(error, path_)) << "the text names the file: " << error;
   }

   // A 200,000-character line, and random bytes.
   std::string error = Refused("team.name = \"Lab\"\nteam.notes = \"" + std::string(200000, 'x') + "\"\n");
   EXPECT_TRUE(Contains(error, "line 2: line too long")) << error;
   std::string noise;
   srand(7);
   for (int i = 0; i < 100000; ++i) {
      noise += static_cast<char>(rand() & 0xff);
   }
   Refused(noise);

   cuisim::SimTeamFile missing;
   File_Delete(path_);
   EXPECT_FALSE(missing.Load(path_, error));
   EXPECT_TRUE(Contains(error, "was not found")) << error;
}

TEST_F(TeamFile, TenThousandMembersAreReadAndADuplicateAmongThemFoundQuickly)
{
   std::string text = "team.name = \"Big\"\n";
   for (int i = 0; i < 10000; ++i) {
      std::string n = std::to_string(i);
      text += "vm" + n + ".cfgPath = \"m" + n + "\\\\m" + n + ".vmx\"\nvm" + n + ".startupOrder = \"" + n + "\"\n";
   }
   Write(text);
   cuisim::SimTeamFile file;
   std::string error;
   DWORD start = GetTickCount();
   ASSERT_TRUE(file.Load(path_, error)) << error;
   EXPECT_EQ(10000u, file.members.size());
   EXPECT_EQ(folder_ + "m9999\\m9999.vmx", file.members.back().cfgPath);
   ASSERT_TRUE(file.Save(error)) << error;

   Write(text + "vm10000.cfgPath = \"M5000\\\\m5000.vmx\"\n");
   EXPECT_FALSE(file.Load(path_, error));
   EXPECT_TRUE(Contains(error, "line 20002: vm10000 names the same virtual machine as vm5000")) << error;
   EXPECT_EQ(10000u, file.members.size()) << "a refused load leaves what was read before";
   EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST_F(TeamFile, AFileThatCannotBeReadIsNeverWrittenOver)
{
   cuisim::SimTeamFile file;
   std::string problem;
   ASSERT_TRUE(file.Parse("team.name = \"New\"\nvm0.cfgPath = \"a.vmx\"\n", path_, problem)) << problem;
   std::string error;
   ASSERT_TRUE(file.Save(error)) << error << " (a new file may be written)";

   const std::string damaged = "team.name = \"Lab\"\nvm0.cfgPath = \"a.vmx\"\nvm1.cfgPath = \"a.vmx\"\n";
   Write(damaged);
   EXPECT_FALSE(file.Save(error));
   EXPECT_TRUE(Contains(error, "kept as it is")) << error;
   EXPECT_EQ(damaged, Read());

   // Text given to be saved is checked as a file is.
   EXPECT_FALSE(file.Parse("lan0.id = \"p\"\nlan0.name = \"L\"\nlan0.loss = \"-3\"\n", path_, problem));
   EXPECT_EQ("line 3: the packet loss of lan0 is not from 0 to 100 percent", problem);
   EXPECT_EQ("New", file.name) << "a refused text changes nothing";
}

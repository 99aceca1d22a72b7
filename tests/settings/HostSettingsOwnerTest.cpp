// The simulated host's side of host settings: what it refuses, what it keeps across a restart,
// and the lockout policies it applies to the host.
#include "DamagedFiles.h"
#include "SessionFixture.h"

#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/KeyValueFile.h"

namespace {

const std::string kHost = "/host2/#0000/";
const std::string kState = kHost + "settingsState/";

class HostSettingsOwner : public SessionFixture {
protected:
   void SetUp() override
   {
      SessionFixture::SetUp();
      StartSession();
   }
   void TearDown() override
   {
      Config_Set("test.host.vmListFolder", "");
      SessionFixture::TearDown();
   }
   // A session on the local host, whose settings file is in the test's folder. Making a new
   // application tears the last one down, which clears the folder's key.
   void StartSession()
   {
      if (hostsFolder_.empty()) {
         hostsFolder_ = folder_ + "\\hosts";
      }
      Config_Set("test.host.vmListFolder", hostsFolder_.c_str());
      _bstr_t error;
      ASSERT_TRUE(app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error));
      ASSERT_TRUE(PollUntil([this]() { return Exists(kState + "val/memory/max"); }));
   }

   // Submits one value as another client would and returns the outcome ("ok" or the error text).
   std::string Submit(const std::string &key, const std::string &value)
   {
      const std::string element = kState + "req/#00" + std::to_string(10 + next_++) + "/";
      Write(element + "val/" + key, value);
      Write(kState + "new", element);
      EXPECT_TRUE(PollUntil([&]() { return !Read(element + "status").empty(); })) << key;
      std::string status = Read(element + "status");
      return status == "ok" ? status : Read(element + "status/error/errMsg");
   }

   std::string hostsFolder_;
   int next_ = 0;
};

}  // namespace

TEST_F(HostSettingsOwner, RefusesWhatTheHostCannotTake)
{
   const std::string memory = Read(kState + "val/memory/max");
   Write(kHost + "info/memoryMB", "1000");
   struct Case {
      const char *key;
      std::string value;
      const char *says;
   } refused[] = {
      {"memory/max", "1001", "more than the 1000 MB of memory the host has"},
      {"memory/max", "2", "at least 4"},
      {"memory/max", "lots", "is not a number"},
      {"defaultVmPath", "", "No default folder"},
      {"defaultVmPath", folder_ + "\\file.txt\\machines", "cannot be created or written to"},
      {"memory/swap", "always", "does not know the setting \"always\""},
      {"priority/ungrabbed", "high", "does not know"},
      {"connections/port", "70000", "from 1 to 65535"},
   };
   std::string detail;
   ASSERT_TRUE(File_Replace(folder_ + "\\file.txt", "a file, not a folder", detail)) << detail;
   for (const Case &c : refused) {
      std::string outcome = Submit(c.key, c.value);
      EXPECT_NE(std::string::npos, outcome.find(c.says)) << c.key << "=" << c.value << ": " << outcome;
   }
   EXPECT_EQ(memory, Read(kState + "val/memory/max")) << "nothing refused reaches the state";
   EXPECT_FALSE(Exists(kState + "val/defaultVmPath"));

   const std::string machines = folder_ + "\\new folder\\machines";
   EXPECT_EQ("ok", Submit("defaultVmPath", machines));
   EXPECT_TRUE(File_IsFolder(machines)) << "made for the user";
   EXPECT_EQ(machines, Read(kState + "val/defaultVmPath"));
   EXPECT_EQ("ok", Submit("memory/max", "1000"));
}

TEST_F(HostSettingsOwner, SettingsSurviveARestartOfTheHost)
{
   EXPECT_EQ("ok", Submit("memory/max", "640"));
   EXPECT_EQ("ok", Submit("priority/grabbed", "high"));
   std::vector<KeyValueEntry> entries;
   std::string error;
   ASSERT_TRUE(KeyValueFile::Read(hostsFolder_ + "\\localhost.settings", entries, error)) << error;
   ASSERT_NE(nullptr, KeyValueFile::Find(entries, "memory/max"));
   EXPECT_EQ("640", *KeyValueFile::Find(entries, "memory/max"));

   MakeApp(false);   // a new database, as a new run has
   StartSession();
   EXPECT_EQ("640", Read(kState + "val/memory/max"));
   EXPECT_EQ("high", Read(kState + "val/priority/grabbed"));
   EXPECT_EQ("normal", Read(kState + "val/priority/ungrabbed")) << "a default";
}

TEST_F(HostSettingsOwner, AnUnwritableSettingsFileRefusesTheRequest)
{
   std::string detail;
   ASSERT_TRUE(File_Replace(hostsFolder_ + "-blocked", "a file where the folder should be", detail)) << detail;
   Config_Set("test.host.vmListFolder", (hostsFolder_ + "-blocked").c_str());
   const std::string memory = Read(kState + "val/memory/max");
   std::string outcome = Submit("memory/max", "512");
   EXPECT_NE(std::string::npos, outcome.find("could not be saved")) << outcome;
   EXPECT_EQ(memory, Read(kState + "val/memory/max"));
}

TEST_F(HostSettingsOwner, LockoutPoliciesReachTheHost)
{
   IVmdbContextPtr ctx = app_->GetDatabase()->NewContext();
   EXPECT_TRUE(TremAppUtil_CheckLockout(ctx, kHost.c_str(), "lockoutCreateVM"));
   EXPECT_EQ("ok", Submit("policy/lockoutCreateVM", "1"));
   EXPECT_FALSE(TremAppUtil_CheckLockout(ctx, kHost.c_str(), "lockoutCreateVM"));
   EXPECT_TRUE(TremAppUtil_CheckLockout(ctx, kHost.c_str(), "lockoutEditVM"));

   MakeApp(false);
   StartSession();
   ctx = app_->GetDatabase()->NewContext();
   EXPECT_FALSE(TremAppUtil_CheckLockout(ctx, kHost.c_str(), "lockoutCreateVM")) << "kept across a restart";
}

TEST_F(HostSettingsOwner, ADamagedSettingsFileIsKeptAndRefusesEverySaveNamingTheFileAndTheLine)
{
   const std::string file = hostsFolder_ + "\\localhost.settings";
   const std::string defaultMemory = Read(kState + "val/memory/max");
   ASSERT_EQ("ok", Submit("memory/max", "640"));
   std::string whole;
   std::string error;
   ASSERT_TRUE(File_Read(file, whole, error)) << error;
   for (const DamagedFile &settings : DamagedVersions(whole, 4, "line ", "memory/max = \"640\"\nmemory/swap = most\n",
                                                      "line 2: expected a quoted value")) {
      SCOPED_TRACE(settings.what);
      ASSERT_TRUE(File_Replace(file, settings.bytes, error)) << error;
      MakeApp(false);
      StartSession();
      EXPECT_EQ(defaultMemory, Read(kState + "val/memory/max")) << "the host starts from the defaults";
      std::string outcome = Submit("memory/max", "512");
      EXPECT_NE(std::string::npos, outcome.find("\"" + file + "\" cannot be read")) << outcome;
      EXPECT_NE(std::string::npos, outcome.find(settings.says)) << outcome;
      EXPECT_EQ(defaultMemory, Read(kState + "val/memory/max")) << "a refused request changes nothing";
      std::string now;
      ASSERT_TRUE(File_Read(file, now, error)) << error;
      EXPECT_TRUE(now == settings.bytes) << "byte for byte as it was";
      EXPECT_FALSE(File_Exists(file + ".tmp"));
   }

   // A folder where the file should be stays there.
   ASSERT_TRUE(File_Delete(file));
   ASSERT_TRUE(File_MakeFolders(file));
   EXPECT_NE(std::string::npos, Submit("memory/max", "512").find("it is a folder"));
   EXPECT_TRUE(File_IsFolder(file));
   ASSERT_TRUE(File_RemoveFolder(file));

   // Mended meanwhile: its values are taken up, and the request goes on top of them.
   ASSERT_TRUE(File_Replace(file, whole, error)) << error;
   EXPECT_EQ("ok", Submit("priority/grabbed", "high"));
   EXPECT_EQ("640", Read(kState + "val/memory/max"));
   std::vector<KeyValueEntry> entries;
   ASSERT_TRUE(KeyValueFile::Read(file, entries, error)) << error;
   ASSERT_NE(nullptr, KeyValueFile::Find(entries, "memory/max"));
   EXPECT_EQ("640", *KeyValueFile::Find(entries, "memory/max"));
   ASSERT_NE(nullptr, KeyValueFile::Find(entries, "priority/grabbed"));
   EXPECT_EQ("high", *KeyValueFile::Find(entries, "priority/grabbed"));
}

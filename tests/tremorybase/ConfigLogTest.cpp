#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Log.h"
#include "tremorybase/Str.h"
#include "tremorybase/Text.h"

#include "TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// Points the configuration at a file of the test's own for the test's duration.
class ConfigFile {
public:
   explicit ConfigFile(const std::string &path)
   {
      SetEnvironmentVariableW(L"TREMORY_CONFIG", WideFromUtf8(path).c_str());
      Config_Reload();
   }
   ~ConfigFile()
   {
      SetEnvironmentVariableW(L"TREMORY_CONFIG", nullptr);
      Config_Reload();
   }
};

struct PanicSeen : std::runtime_error {
   using std::runtime_error::runtime_error;
};

void ThrowingPanicHandler(const char *text)
{
   throw PanicSeen(text);
}

}  // namespace

TEST(Str, FormatsWithinBounds)
{
   char buf[8];
   EXPECT_EQ(5, Str_Sprintf(buf, sizeof buf, "%s-%d", "ab", 42));
   EXPECT_STREQ("ab-42", buf);
   EXPECT_EQ(7, Str_Sprintf(buf, sizeof buf, "%07d", 1));   // exactly fills, with its zero
   EXPECT_STREQ("0000001", buf);
   EXPECT_EQ(-1, Str_Sprintf(buf, sizeof buf, "%s", "truncated text"));
   EXPECT_STREQ("truncat", buf);
   EXPECT_EQ(-1, Str_Sprintf(buf, 0, "x"));

   EXPECT_EQ("size 12 of 34", Str_Format("size %zu of %lld", static_cast<size_t>(12), 34LL));
   std::string longText(1000, 'y');
   EXPECT_EQ("<" + longText + ">", Str_Format("<%s>", longText.c_str()));
}

TEST(Config, ReadsTheFileNamedByTheEnvironment)
{
   TempDir dir;
   std::string path = dir.File("config");
   ASSERT_TRUE(WriteTextFile(path, "# test settings\n"
                                   "ui.log.filename = \"C:\\\\logs\\\\zolt.log\"\n"
                                   "vmfork.enable = \"TRUE\"\n"
                                   "flag.off = \"no\"\n"
                                   "flag.odd = \"maybe\"\n"
                                   "vmfork.numClones = \"3\"\n"
                                   "hex = \"0x10\"\n"
                                   "leadingZero = \"010\"\n"
                                   "notANumber = \"3x\"\n"));
   ConfigFile config(path);

   EXPECT_EQ(path, Config_GetFileName());
   EXPECT_EQ("C:\\logs\\zolt.log", Config_GetString("ui.log.filename", ""));
   EXPECT_EQ("fallback", Config_GetString("missing.key", "fallback"));
   EXPECT_TRUE(Config_GetBool("vmfork.enable", false));
   EXPECT_FALSE(Config_GetBool("flag.off", true));
   EXPECT_TRUE(Config_GetBool("flag.odd", true));    // not a truth value: the default
   EXPECT_FALSE(Config_GetBool("missing.key", false));
   EXPECT_EQ(3, Config_GetLong("vmfork.numClones", 1));
   EXPECT_EQ(16, Config_GetLong("hex", 1));
   EXPECT_EQ(10, Config_GetLong("leadingZero", 1));
   EXPECT_EQ(7, Config_GetLong("notANumber", 7));
   EXPECT_EQ(1, Config_GetLong("missing.key", 1));

   // Run-time keys add to and override the file until the configuration is read again.
   Config_Set("vmfork.numClones", "5");
   Config_Set("new.key", "value");
   EXPECT_EQ(5, Config_GetLong("vmfork.numClones", 1));
   EXPECT_EQ("value", Config_GetString("new.key", ""));
   EXPECT_TRUE(Config_SetAssignment("assigned=a=b"));
   EXPECT_EQ("a=b", Config_GetString("assigned", ""));
   EXPECT_FALSE(Config_SetAssignment("=novalue"));
   EXPECT_FALSE(Config_SetAssignment("noequals"));
   EXPECT_EQ("", Config_GetString("noequals", ""));
   Config_Reload();
   EXPECT_EQ(3, Config_GetLong("vmfork.numClones", 1));
   EXPECT_EQ("", Config_GetString("new.key", ""));
}

TEST(Config, MissingOrBrokenFiles)
{
   TempDir dir;
   {
      ConfigFile config(dir.File("absent"));
      EXPECT_EQ("", Config_GetFileName());
      EXPECT_EQ("d", Config_GetString("ui.log.filename", "d"));
      Config_Set("only.at.runtime", "1");
      EXPECT_TRUE(Config_GetBool("only.at.runtime", false));
   }
   std::string broken = dir.File("broken");
   ASSERT_TRUE(WriteTextFile(broken, "before = \"1\"\nthis is wrong\nafter = \"2\"\n"));
   ConfigFile config(broken);
   EXPECT_EQ("1", Config_GetString("before", ""));   // keys before the error still count
   EXPECT_EQ("", Config_GetString("after", ""));
}

TEST(Config, FileAndLogInFoldersNamedInAnyScript)
{
   TempDir dir;
   // "Ρυθμίσεις" and "Журнал": the environment, the configuration file's name and the log's
   // all carry names the system's code page cannot write.
   std::string settings = dir.File("\xCE\xA1\xCF\x85\xCE\xB8\xCE\xBC\xCE\xAF\xCF\x83\xCE\xB5\xCE\xB9\xCF\x82");
   std::string logs = dir.File("\xD0\x96\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB");
   ASSERT_TRUE(File_MakeFolders(settings));
   ASSERT_TRUE(File_MakeFolders(logs));
   std::string logPath = logs + "\\zolt.log";
   std::string configPath = settings + "\\config";
   ASSERT_TRUE(WriteTextFile(configPath, KeyValueFile::Format({{"ui.log.filename", logPath},
                                                              {"owner", "Jos\xC3\xA9 \xE5\xB1\xB1\xE7\x94\xB0"}})));
   ConfigFile config(configPath);
   EXPECT_EQ(configPath, Config_GetEnvironment("TREMORY_CONFIG"));
   EXPECT_EQ(configPath, Config_GetFileName());
   EXPECT_EQ("Jos\xC3\xA9 \xE5\xB1\xB1\xE7\x94\xB0", Config_GetString("owner", ""));

   ASSERT_TRUE(Log_Start("zolt", "ui.log.filename", ""));
   EXPECT_EQ(logPath, Log_GetFileName());
   Log("Opened %s.\n", "M\xC3\xA1quina.vmx");
   Log_Stop();
   EXPECT_NE(std::string::npos, ReadTextFile(logPath).find("| Opened M\xC3\xA1quina.vmx.\n"))
      << "log lines are the program's UTF-8 bytes";
}

TEST(Log, WritesFlushedLinesToTheConfiguredFile)
{
   TempDir dir;
   std::string logPath = dir.File("zolt.log");
   ConfigFile config(dir.File("absent"));
   Config_Set("ui.log.filename", logPath.c_str());

   ASSERT_TRUE(Log_Start("zolt", "ui.log.filename", ""));
   EXPECT_EQ(logPath, Log_GetFileName());
   Log("Opened %s in %d ms.\n", "a.vmx", 12);
   Warning("Something is odd: ");
   Warning("%s\n", "continued on the same line");

   // Readable while the log is open: every line is already flushed.
   std::string text = ReadTextFile(logPath);
   EXPECT_NE(std::string::npos, text.find("| Opened a.vmx in 12 ms.\n")) << text;
   EXPECT_NE(std::string::npos, text.find("| Something is odd: continued on the same line\n")) << text;

   Panic_SetHandler(ThrowingPanicHandler);
   try {
      NOT_IMPLEMENTED();
      ADD_FAILURE() << "Panic returned";
   } catch (const PanicSeen &e) {
      EXPECT_EQ(0, strncmp(e.what(), "NOT_IMPLEMENTED ", 16)) << e.what();
   }
   EXPECT_THROW(NOT_REACHED(), PanicSeen);
   EXPECT_THROW(Panic("Disk %s is gone", "d1"), PanicSeen);
   Panic_SetHandler(nullptr);
   Log_Stop();
   EXPECT_STREQ("", Log_GetFileName());

   text = ReadTextFile(logPath);
   std::string file = __FILE__;
   EXPECT_NE(std::string::npos, text.find("| PANIC: NOT_IMPLEMENTED " + file + ":")) << text;
   EXPECT_NE(std::string::npos, text.find("| PANIC: NOT_REACHED " + file + ":")) << text;
   EXPECT_NE(std::string::npos, text.find("| PANIC: Disk d1 is gone\n")) << text;
}

TEST(LogDeathTest, DefaultPanicEndsTheProcessWithThree)
{
   EXPECT_EXIT(Panic("Cannot go on.\n"), ::testing::ExitedWithCode(3), "");
}

TEST(Log, StartChoosesOrRefusesItsFile)
{
   TempDir dir;
   ConfigFile config(dir.File("absent"));

   std::string fallback = dir.File("fallback.log");
   ASSERT_TRUE(Log_Start("zolt", "ui.log.filename", fallback.c_str()));
   EXPECT_EQ(fallback, Log_GetFileName());
   Log_Stop();

   ASSERT_TRUE(Log_Start("zolt", "ui.log.filename", ""));
   std::string name = Log_GetFileName();
   Log_Stop();
   std::string expected = Str_Format("zolt-%lu.log", static_cast<unsigned long>(GetCurrentProcessId()));
   ASSERT_GT(name.size(), expected.size());
   EXPECT_EQ(expected, name.substr(name.size() - expected.size()));
   std::string temp = File_GetTempFolder();
   EXPECT_EQ(0, _strnicmp(name.c_str(), temp.c_str(), temp.size())) << name;
   File_Delete(name);

   EXPECT_FALSE(Log_Start("zolt", "ui.log.filename", dir.File("no-such-dir\\x.log").c_str()));
   EXPECT_STREQ("", Log_GetFileName());

   Config_Set("test.log.fail", "true");
   EXPECT_FALSE(Log_Start("zolt", "ui.log.filename", fallback.c_str()));
   EXPECT_STREQ("", Log_GetFileName());
}

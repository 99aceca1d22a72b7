#include "tremorybase/KeyValueFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

namespace {

std::vector<KeyValueEntry> ParseOk(const std::string &text)
{
   std::vector<KeyValueEntry> entries;
   std::string error;
   EXPECT_TRUE(KeyValueFile::Parse(text, entries, error)) << error;
   return entries;
}

std::string ParseError(const std::string &text)
{
   std::vector<KeyValueEntry> entries;
   std::string error;
   EXPECT_FALSE(KeyValueFile::Parse(text, entries, error));
   return error;
}

}  // namespace

TEST(KeyValueFile, ParsesLinesCommentsAndEscapes)
{
   auto entries = ParseOk("\xEF\xBB\xBF# a machine\r\n"
                          "\r\n"
                          "displayName = \"My \\\"first\\\" machine\"\r\n"
                          "  scsi0:0.fileName=\"C:\\\\vms\\\\disk.vmdk\"   # trailing comment\n"
                          "notes = \"one\\ntwo\\tthree\\r\\x41\\x7e\"\n"
                          "empty = \"\"\n"
                          "displayName = \"renamed\"");
   ASSERT_EQ(5u, entries.size());
   EXPECT_EQ("displayName", entries[0].key);
   EXPECT_EQ("My \"first\" machine", entries[0].value);
   EXPECT_EQ("scsi0:0.fileName", entries[1].key);
   EXPECT_EQ("C:\\vms\\disk.vmdk", entries[1].value);
   EXPECT_EQ("one\ntwo\tthree\rA~", entries[2].value);
   EXPECT_EQ("", entries[3].value);

   // The last entry of a key wins; unknown keys are simply absent.
   ASSERT_NE(nullptr, KeyValueFile::Find(entries, "displayName"));
   EXPECT_EQ("renamed", *KeyValueFile::Find(entries, "displayName"));
   EXPECT_EQ(nullptr, KeyValueFile::Find(entries, "memsize"));
}

TEST(KeyValueFile, ReportsTheLineOfASyntaxError)
{
   EXPECT_EQ("line 3: expected '=' after the key", ParseError("a = \"1\"\n# c\nbroken\n"));
   EXPECT_EQ("line 2: expected a quoted value", ParseError("a = \"1\"\nb = 2\n"));
   EXPECT_EQ("line 1: missing closing quote", ParseError("a = \"open\n"));
   EXPECT_EQ("line 1: missing closing quote", ParseError("a = \"ends in \\\"\n"));
   EXPECT_EQ("line 2: unknown escape \\q", ParseError("\na = \"\\q\"\n"));
   EXPECT_EQ("line 1: bad \\x escape", ParseError("a = \"\\x4\"\n"));
   EXPECT_EQ("line 1: unexpected text after the value", ParseError("a = \"1\" b\n"));
   EXPECT_EQ("line 1: expected a key", ParseError("= \"1\"\n"));

   // What came before the error is kept, so a caller may use it.
   std::vector<KeyValueEntry> entries;
   std::string error;
   EXPECT_FALSE(KeyValueFile::Parse("a = \"1\"\nb\n", entries, error));
   ASSERT_EQ(1u, entries.size());
   EXPECT_EQ("a", entries[0].key);
}

TEST(KeyValueFile, BoundsLineLengthAndValueSizeByLine)
{
   std::string maxValue(KeyValueFile::kMaxValue, 'v');
   auto entries = ParseOk("a = \"" + maxValue + "\"\n");
   ASSERT_EQ(1u, entries.size());
   EXPECT_EQ(KeyValueFile::kMaxValue, entries[0].value.size());

   EXPECT_EQ("line 2: value too long", ParseError("a = \"1\"\nb = \"" + maxValue + "v\"\n"));
   EXPECT_EQ("line 3: line too long",
             ParseError("a = \"1\"\n\n# " + std::string(KeyValueFile::kMaxLine, 'c') + "\n"));
}

TEST(KeyValueFile, WriteReplacesTheFileThroughATemporaryName)
{
   TempDir dir;
   std::string path = dir.File("machine.vmx");
   std::vector<KeyValueEntry> entries = {
      {"displayName", "Quote \" backslash \\ newline \n tab \t bell \x07 del \x7f"},
      {"utf8", "caf\xC3\xA9"},
      {"empty", ""},
   };
   std::string error;
   ASSERT_TRUE(KeyValueFile::Write(path, entries, error)) << error;
   EXPECT_FALSE(FileExists(path + ".tmp"));

   std::vector<KeyValueEntry> read;
   ASSERT_TRUE(KeyValueFile::Read(path, read, error)) << error;
   ASSERT_EQ(entries.size(), read.size());
   for (size_t i = 0; i < entries.size(); i++) {
      EXPECT_EQ(entries[i].key, read[i].key);
      EXPECT_EQ(entries[i].value, read[i].value);
   }

   // A crash between writing the temporary file and renaming it leaves a half file behind;
   // reading ignores it and the next write replaces both.
   ASSERT_TRUE(WriteTextFile(path + ".tmp", "displayName = \"half"));
   read.clear();
   ASSERT_TRUE(KeyValueFile::Read(path, read, error)) << error;
   EXPECT_EQ(entries[0].value, *KeyValueFile::Find(read, "displayName"));

   std::vector<KeyValueEntry> second = {{"displayName", "second"}};
   ASSERT_TRUE(KeyValueFile::Write(path, second, error)) << error;
   EXPECT_FALSE(FileExists(path + ".tmp"));
   EXPECT_EQ("displayName = \"second\"\n", ReadTextFile(path));
}

TEST(KeyValueFile, WriteAndReadRefuseWhatTheyCannotDo)
{
   TempDir dir;
   std::string path = dir.File("prefs");
   std::string error;
   ASSERT_TRUE(KeyValueFile::Write(path, {{"kept", "1"}}, error)) << error;

   EXPECT_FALSE(KeyValueFile::Write(path, {{"bad key", "1"}}, error));
   EXPECT_FALSE(KeyValueFile::Write(path, {{"", "1"}}, error));
   EXPECT_FALSE(KeyValueFile::Write(path, {{"big", std::string(KeyValueFile::kMaxValue + 1, 'x')}}, error));
   // Within the value size, but its escapes would make a line the reader refuses.
   EXPECT_FALSE(KeyValueFile::Write(path, {{"lines", std::string(KeyValueFile::kMaxValue, '\n')}}, error));
   EXPECT_EQ("kept = \"1\"\n", ReadTextFile(path));   // the old file is untouched

   // Escapes that just fit are written and read back whole.
   std::string fits = std::string(5000, '\t') + std::string(KeyValueFile::kMaxValue - 5000, 'y');
   ASSERT_TRUE(KeyValueFile::Write(path, {{"fits", fits}}, error)) << error;
   std::vector<KeyValueEntry> back;
   ASSERT_TRUE(KeyValueFile::Read(path, back, error)) << error;
   ASSERT_EQ(back.size(), 1u);
   EXPECT_EQ(back[0].value, fits);
   ASSERT_TRUE(KeyValueFile::Write(path, {{"kept", "1"}}, error)) << error;

   EXPECT_FALSE(KeyValueFile::Write(dir.File("no-such-dir\\file"), {{"a", "1"}}, error));

   std::vector<KeyValueEntry> entries;
   EXPECT_FALSE(KeyValueFile::Read(dir.File("missing"), entries, error));
   EXPECT_NE(std::string::npos, error.find("missing"));

   ASSERT_TRUE(WriteTextFile(path, "a = \"1\"\nb = 2\n"));
   EXPECT_FALSE(KeyValueFile::Read(path, entries, error));
   EXPECT_NE(std::string::npos, error.find("line 2:")) << error;
}

TEST(KeyValueFile, ReadForAUserTellsAMissingFileFromADamagedOneWithoutThePath)
{
   TempDir dir;
   std::vector<KeyValueEntry> entries;
   std::string problem;
   bool missing = false;
   EXPECT_FALSE(KeyValueFile::Read(dir.File("none"), entries, problem, missing));
   EXPECT_TRUE(missing);

   std::string path = dir.File("prefs");
   ASSERT_TRUE(WriteTextFile(path, "a = \"1\"\nb = \"cut sh"));
   EXPECT_FALSE(KeyValueFile::Read(path, entries, problem, missing));
   EXPECT_FALSE(missing);
   EXPECT_EQ(problem, "line 2: missing closing quote");
   EXPECT_TRUE(entries.empty()) << "nothing of a damaged file is handed out";

   EXPECT_FALSE(KeyValueFile::Read(dir.Path(), entries, problem, missing));
   EXPECT_FALSE(missing);
   EXPECT_EQ(problem, "it is a folder");

   ASSERT_TRUE(WriteTextFile(path, "a = \"1\"\n"));
   EXPECT_TRUE(KeyValueFile::Read(path, entries, problem, missing));
   EXPECT_EQ(entries.size(), 1u);
}

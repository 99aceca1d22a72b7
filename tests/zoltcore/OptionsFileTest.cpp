#include "CommandLineParser.h"
#include "TempFile.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

const char PROGRAM[] = "C:\\zolt\\zolt.exe";

struct Parsed {
   ParseOutcome outcome;
   CommandLineOptions options;
};

Parsed ReadFile(const std::string &path, bool showErrors = true)
{
   Parsed parsed;
   parsed.outcome = CommandLineParser(PROGRAM, showErrors).ReadOptionsFile(path.c_str(), parsed.options);
   return parsed;
}

// "-o file" on the command line itself.
Parsed ParseWithOptionsFile(const std::string &path)
{
   Parsed parsed;
   std::string text = "-o \"" + path + "\"";
   parsed.outcome = CommandLineParser(PROGRAM, true).Parse(text.c_str(), parsed.options);
   return parsed;
}

// A first line of `length` characters, the newline included: -x and one long file name.
std::string LineOfLength(size_t length)
{
   return "-x " + std::string(length - 4, 'f') + "\n";
}

using Files = std::vector<std::string>;

}  // namespace

TEST(OptionsFile, FirstLineIsParsedAsTheCommandLine)
{
   TempFile file("-x -s A=B a.vmx b.vmx\n-q c.vmx\n");
   Parsed parsed = ParseWithOptionsFile(file.Path());
   EXPECT_EQ(PARSE_GO_ON, parsed.outcome.result);
   EXPECT_TRUE(parsed.options.powerOn);
   EXPECT_FALSE(parsed.options.quitAtPowerOff);
   EXPECT_EQ(" -s A=B", parsed.options.setVariables);
   EXPECT_EQ((Files{"a.vmx", "b.vmx"}), parsed.options.files);
   EXPECT_TRUE(parsed.options.local);
}

TEST(OptionsFile, LineEndIsNotPartOfTheLastArgument)
{
   Parsed plain = ReadFile(TempFile("-x a.vmx\n").Path());
   EXPECT_EQ(Files{"a.vmx"}, plain.options.files);

   // An unclosed quote would otherwise carry the line end into the value.
   TempFile quoted("-s \"A=B\n");
   EXPECT_EQ(" -s A=B", ReadFile(quoted.Path()).options.setVariables);

   TempFile crlf("-c \"C:\\My VMs\\a.vmx\r\n");
   EXPECT_EQ(Files{"C:\\My VMs\\a.vmx"}, ReadFile(crlf.Path()).options.files);
}

TEST(OptionsFile, LineOf1999CharactersIsTooLong)
{
   TempFile fits(LineOfLength(1998));
   Parsed parsed = ReadFile(fits.Path());
   EXPECT_EQ(PARSE_GO_ON, parsed.outcome.result);
   ASSERT_EQ(1u, parsed.options.files.size());
   EXPECT_EQ(1994u, parsed.options.files[0].size());
   EXPECT_TRUE(parsed.options.powerOn);

   TempFile tooLong(LineOfLength(1999));
   Parsed refused = ParseWithOptionsFile(tooLong.Path());
   EXPECT_EQ(PARSE_FAILED, refused.outcome.result);
   EXPECT_EQ(std::string(PROGRAM) + ": Line too long in file \"" + tooLong.Path() + "\"",
             refused.outcome.box.text);
   EXPECT_EQ(static_cast<unsigned>(MB_ICONERROR), refused.outcome.box.icon);
   EXPECT_TRUE(refused.options.files.empty());

   // A last line without its newline counts the same way.
   TempFile noNewline(std::string(1999, 'f'));
   EXPECT_EQ(PARSE_FAILED, ReadFile(noNewline.Path()).outcome.result);
   TempFile muchLonger(std::string(5000, 'f') + "\n");
   EXPECT_EQ(PARSE_FAILED, ReadFile(muchLonger.Path(), false).outcome.result);
   EXPECT_TRUE(ReadFile(muchLonger.Path(), false).outcome.box.text.empty());
}

TEST(OptionsFile, MissingFileCannotBeOpened)
{
   std::string missing = TempFile::MissingPath();
   Parsed parsed = ParseWithOptionsFile(missing);
   EXPECT_EQ(PARSE_FAILED, parsed.outcome.result);
   EXPECT_EQ(std::string(PROGRAM) + ": Cannot open command line options file \"" + missing + "\"",
             parsed.outcome.box.text);
   EXPECT_EQ(static_cast<unsigned>(MB_ICONERROR), parsed.outcome.box.icon);

   Parsed quiet = ReadFile(missing, false);
   EXPECT_EQ(PARSE_FAILED, quiet.outcome.result);
   EXPECT_TRUE(quiet.outcome.box.text.empty());
}

TEST(OptionsFile, ErrorsOfTheLineAreThoseOfTheCommandLine)
{
   TempFile blank("\"-q -x\" a.vmx\n");
   Parsed merged = ReadFile(blank.Path());
   EXPECT_EQ(PARSE_FAILED, merged.outcome.result);
   EXPECT_EQ(0u, merged.outcome.box.text.find("There is a space character in your options."));

   TempFile help("-?\n");
   EXPECT_EQ(PARSE_STOP, ReadFile(help.Path()).outcome.result);

   TempFile empty("");
   Parsed nothing = ReadFile(empty.Path());
   EXPECT_EQ(PARSE_GO_ON, nothing.outcome.result);
   EXPECT_TRUE(nothing.options.files.empty());
}

TEST(OptionsFile, OnlyTheExactFormReadsAFile)
{
   TempFile file("-x a.vmx\n");
   // With a third argument "-o" is an ordinary (invalid) option.
   std::string text = "-o \"" + file.Path() + "\" b.vmx";
   CommandLineOptions options;
   ParseOutcome outcome = CommandLineParser(PROGRAM, true).Parse(text.c_str(), options);
   EXPECT_EQ(PARSE_FAILED, outcome.result);
   EXPECT_EQ(0u, outcome.box.text.find("Invalid option: -o\n\n"));
   EXPECT_FALSE(options.powerOn);
}

TEST(OptionsFile, FileCannotNameAnotherOptionsFile)
{
   // Otherwise a file naming itself, or one that names it back, would be read for ever.
   TempFile other("-x\n");
   TempFile naming("-o \"" + other.Path() + "\"\n");
   Parsed parsed = ReadFile(naming.Path());
   EXPECT_EQ(PARSE_FAILED, parsed.outcome.result);
   EXPECT_EQ(0u, parsed.outcome.box.text.find("Invalid option: -o\n\n"));
   EXPECT_FALSE(parsed.options.powerOn);
}

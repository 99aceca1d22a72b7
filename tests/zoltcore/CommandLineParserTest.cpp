#include "CommandLineParser.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

const char PROGRAM[] = "C:\\Program Files\\Tremory\\zolt.exe";

struct Parsed {
   ParseOutcome outcome;
   CommandLineOptions options;
};

Parsed Parse(const char *text, bool showErrors = true)
{
   Parsed parsed;
   parsed.outcome = CommandLineParser(PROGRAM, showErrors).Parse(text, parsed.options);
   return parsed;
}

std::string InvalidOptionText(const std::string &argument)
{
   return "Invalid option: " + argument + "\n\n" + CommandLineParser::UsageText();
}

using Files = std::vector<std::string>;

}  // namespace

TEST(CommandLineParser, EmptyCommandLineStartsWithTheDefaults)
{
   Parsed parsed = Parse("");
   EXPECT_EQ(PARSE_GO_ON, parsed.outcome.result);
   EXPECT_TRUE(parsed.outcome.box.text.empty());
   EXPECT_TRUE(parsed.options.files.empty());
   EXPECT_FALSE(parsed.options.local);
   EXPECT_TRUE(parsed.options.showControls);
   EXPECT_EQ(CommandLineOptions::MODE_RUN, parsed.options.mode);
}

TEST(CommandLineParser, FlagOptionsSetTheirFields)
{
   EXPECT_EQ(CommandLineOptions::MODE_ABOUT, Parse("-v").options.mode);
   EXPECT_EQ(CommandLineOptions::MODE_PRINT_VERSION, Parse("-T").options.mode);

   Parsed x = Parse("-x");
   EXPECT_TRUE(x.options.powerOn);
   EXPECT_FALSE(x.options.fullScreen);

   Parsed bigX = Parse("-X");
   EXPECT_TRUE(bigX.options.powerOn);
   EXPECT_TRUE(bigX.options.fullScreen);

   Parsed qx = Parse("-qx");
   EXPECT_EQ(PARSE_GO_ON, qx.outcome.result);
   EXPECT_TRUE(qx.options.quitAtPowerOff);
   EXPECT_TRUE(qx.options.newWindow);
   EXPECT_TRUE(qx.options.powerOn);
   EXPECT_FALSE(qx.options.fullScreen);

   Parsed rest = Parse("-n -t -B -l -a -H -g -G");
   EXPECT_EQ(PARSE_GO_ON, rest.outcome.result);
   EXPECT_TRUE(rest.options.newWindow);
   EXPECT_FALSE(rest.options.quitAtPowerOff);
   EXPECT_TRUE(rest.options.newTab);
   EXPECT_FALSE(rest.options.showControls);
   EXPECT_TRUE(rest.options.local);
   EXPECT_TRUE(rest.options.pollOption);
   EXPECT_TRUE(rest.options.localHeadless);
   EXPECT_TRUE(rest.options.forceDeskmoorMode);
   EXPECT_FALSE(rest.options.keepVmxOnline);
   EXPECT_FALSE(rest.options.asIfRemote);
   EXPECT_FALSE(rest.options.debugMks);
}

TEST(CommandLineParser, ValueOptionsTakeAttachedOrFollowingValues)
{
   Parsed parsed = Parse("-h server -uadmin -w \"s3 cret\" -P 902 -N db1 -Eextra -f fix.vmhr -c a.vmx");
   ASSERT_EQ(PARSE_GO_ON, parsed.outcome.result);
   EXPECT_EQ("server", parsed.options.host);
   EXPECT_EQ("admin", parsed.options.user);
   EXPECT_EQ("s3 cret", parsed.options.password);
   EXPECT_EQ("902", parsed.options.port);
   EXPECT_EQ("db1", parsed.options.databaseName);
   EXPECT_EQ("extra", parsed.options.optionE);
   EXPECT_EQ("fix.vmhr", parsed.options.hotFixFile);
   EXPECT_EQ(Files{"a.vmx"}, parsed.options.files);
}

TEST(CommandLineParser, EverySetOptionIsAppendedInOrder)
{
   EXPECT_EQ(" -s A=B -s C=D", Parse("-s A=B -s C=D").options.setVariables);
   EXPECT_EQ(" -s A=B -s C=D", Parse("-sA=B -x -s C=D").options.setVariables);
   EXPECT_EQ(" -s name=two words", Parse("-s \"name=two words\"").options.setVariables);
}

TEST(CommandLineParser, QuestionMarkShowsTheUsageAndStops)
{
   Parsed parsed = Parse("-?");
   EXPECT_EQ(PARSE_STOP, parsed.outcome.result);
   EXPECT_EQ(CommandLineParser::UsageText(), parsed.outcome.box.text);
   EXPECT_EQ(static_cast<unsigned>(MB_ICONINFORMATION), parsed.outcome.box.icon);

   Parsed quiet = Parse("-x -?", false);
   EXPECT_EQ(PARSE_STOP, quiet.outcome.result);
   EXPECT_TRUE(quiet.outcome.box.text.empty());
}

TEST(CommandLineParser, UnknownOptionsAreInvalid)
{
   // -p is in the option string, -Z is not, -s lacks its value, -x? is not a help request.
   for (const char *argument : {"-p", "-Z", "-s", "-x?", "-o"}) {
      Parsed parsed = Parse(argument);
      EXPECT_EQ(PARSE_FAILED, parsed.outcome.result) << argument;
      EXPECT_EQ(InvalidOptionText(argument), parsed.outcome.box.text) << argument;
      EXPECT_EQ(static_cast<unsigned>(MB_ICONERROR), parsed.outcome.box.icon) << argument;

      Parsed quiet = Parse(argument, false);
      EXPECT_EQ(PARSE_FAILED, quiet.outcome.result) << argument;
      EXPECT_TRUE(quiet.outcome.box.text.empty()) << argument;
   }
   // The whole argument is named, not only the letter.
   EXPECT_EQ(InvalidOptionText("-xpq"), Parse("-c a.vmx -xpq").outcome.box.text);
}

TEST(CommandLineParser, InvalidOptionTextIsCutAt1023Characters)
{
   std::string argument = "-Z" + std::string(1500, 'a');
   Parsed parsed = Parse(argument.c_str());
   EXPECT_EQ(PARSE_FAILED, parsed.outcome.result);
   EXPECT_EQ(1023u, parsed.outcome.box.text.size());
   EXPECT_EQ(InvalidOptionText(argument).substr(0, 1023), parsed.outcome.box.text);
}

TEST(CommandLineParser, BlankInsideAnOptionAsksToMergeThem)
{
   Parsed parsed = Parse("\"-q -x\" a.vmx");
   EXPECT_EQ(PARSE_FAILED, parsed.outcome.result);
   EXPECT_EQ("There is a space character in your options.  Perhaps you are trying to pass two "
             "separate options (such as -q -x) in the first line of your configuration file.  "
             "If so, you need to merge them (-qx).",
             parsed.outcome.box.text);
   EXPECT_EQ(static_cast<unsigned>(MB_ICONERROR), parsed.outcome.box.icon);
   EXPECT_EQ(PARSE_FAILED, Parse("\"-q -x\"", false).outcome.result);
}

TEST(CommandLineParser, RefreshStopsAtStartUpButNotForAHandedOverLine)
{
   Parsed startup = Parse("-r a.vmx");
   EXPECT_EQ(PARSE_STOP, startup.outcome.result);
   EXPECT_TRUE(startup.outcome.box.text.empty());
   EXPECT_TRUE(startup.options.refreshSnapshots);

   Parsed handedOver = Parse("-r -x a.vmx", false);
   EXPECT_EQ(PARSE_GO_ON, handedOver.outcome.result);
   EXPECT_TRUE(handedOver.options.refreshSnapshots);
   EXPECT_TRUE(handedOver.options.powerOn);
   EXPECT_EQ(Files{"a.vmx"}, handedOver.options.files);
}

TEST(CommandLineParser, FilesFollowTheOptionsUntilAnOption)
{
   Parsed two = Parse("-x \"C:\\My VMs\\a.vmx\" b.vmtm");
   EXPECT_EQ(PARSE_GO_ON, two.outcome.result);
   EXPECT_EQ((Files{"C:\\My VMs\\a.vmx", "b.vmtm"}), two.options.files);

   // An option after the files is ignored, and so is everything after it.
   Parsed late = Parse("a.vmx -x b.vmx");
   EXPECT_EQ(PARSE_GO_ON, late.outcome.result);
   EXPECT_EQ(Files{"a.vmx"}, late.options.files);
   EXPECT_FALSE(late.options.powerOn);

   // -c files come first, then the positional ones; "--" ends the options.
   EXPECT_EQ((Files{"c.vmx", "d.vmx"}), Parse("-c c.vmx -- d.vmx").options.files);
}

TEST(CommandLineParser, EmptyFileNameIsAnError)
{
   Parsed parsed = Parse("-x a.vmx \"\" b.vmx");
   EXPECT_EQ(PARSE_FAILED, parsed.outcome.result);
   EXPECT_EQ("Invalid empty virtual machine configuration filename.", parsed.outcome.box.text);
   EXPECT_EQ(static_cast<unsigned>(MB_ICONERROR), parsed.outcome.box.icon);

   Parsed quiet = Parse("\"\"", false);
   EXPECT_EQ(PARSE_FAILED, quiet.outcome.result);
   EXPECT_TRUE(quiet.outcome.box.text.empty());
}

TEST(CommandLineParser, FilesWithoutAHostAreLocal)
{
   EXPECT_TRUE(Parse("a.vmx").options.local);
   EXPECT_TRUE(Parse("-c a.vmx").options.local);
   EXPECT_FALSE(Parse("-h server a.vmx").options.local);
   EXPECT_FALSE(Parse("-h server").options.local);
   EXPECT_TRUE(Parse("-h server -l").options.local);

   // An empty -h value is no host.
   Parsed emptyHost = Parse("-h \"\" a.vmx");
   EXPECT_EQ(PARSE_GO_ON, emptyHost.outcome.result);
   EXPECT_TRUE(emptyHost.options.host.empty());
   EXPECT_TRUE(emptyHost.options.local);
}

TEST(CommandLineParser, FilesPastTheArgumentLimitAreKeptApartNotDropped)
{
   std::string text;
   for (int i = 1; i <= 300; i++) {
      text += " f" + std::to_string(i);
   }
   Parsed parsed = Parse(text.c_str());
   ASSERT_EQ(255u, parsed.options.files.size());
   EXPECT_EQ("f255", parsed.options.files.back());
   ASSERT_EQ(45u, parsed.options.filesPastLimit.size());
   EXPECT_EQ("f256", parsed.options.filesPastLimit.front());
   EXPECT_EQ("f300", parsed.options.filesPastLimit.back());

   // An option past the limit ends the list there as it does before it; an empty name past it
   // is as wrong as one before it.
   Parsed ended = Parse((text + " -x late.vmx").c_str());
   EXPECT_EQ(PARSE_GO_ON, ended.outcome.result);
   EXPECT_EQ(45u, ended.options.filesPastLimit.size());
   EXPECT_FALSE(ended.options.powerOn);
   EXPECT_EQ(PARSE_FAILED, Parse((text + " \"\"").c_str()).outcome.result);

   // Options fill the arguments: the files after them are all past the limit, and still local.
   std::string options;
   for (int i = 1; i <= 255; i++) {
      options += " -x";
   }
   Parsed late = Parse((options + " a.vmx b.vmx").c_str());
   EXPECT_TRUE(late.options.files.empty());
   EXPECT_EQ((Files{"a.vmx", "b.vmx"}), late.options.filesPastLimit);
   EXPECT_TRUE(late.options.local);

   EXPECT_TRUE(Parse("a.vmx b.vmx").options.filesPastLimit.empty());
}

TEST(CommandLineParser, PasswordIsMaskedForTheLog)
{
   EXPECT_EQ("-h server -u me -w ******** a.vmx",
             CommandLineParser::TextForLog("-h server -u me -w secret a.vmx"));
   EXPECT_EQ("-w******** -x", CommandLineParser::TextForLog("-wsecret -x"));
   EXPECT_EQ("-xw********", CommandLineParser::TextForLog("-xwsecret"));
   EXPECT_EQ("-x -w ********", CommandLineParser::TextForLog("-x -w \"two words\""));
   // Ignored options after the files carry no password into the log either.
   EXPECT_EQ("a.vmx -w ********", CommandLineParser::TextForLog("a.vmx -w secret"));
   // Everything else stays readable.
   EXPECT_EQ("-u \"my user\" \"C:\\My VMs\\a.vmx\"",
             CommandLineParser::TextForLog("-u \"my user\" \"C:\\My VMs\\a.vmx\""));
   EXPECT_EQ("-s A=B", CommandLineParser::TextForLog("-s A=B"));
}

#include "tremorybase/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The program's own option string: "s:" twice and a trailing blank that makes ' ' an option.
const char kOptions[] = "?E:xXqs:pavTgGs:f:h:u:w:P:c:lN:HtnrB ";

std::vector<std::string> Args(std::initializer_list<const char *> list)
{
   std::vector<std::string> args = {"zolt.exe"};
   for (const char *a : list) {
      args.push_back(a);
   }
   return args;
}

struct Seen {
   int letter;
   std::string value;
   std::string argument;
};

// Runs the parser to the end and records what each step answered.
std::vector<Seen> ParseAll(OptionParser &parser)
{
   std::vector<Seen> seen;
   for (int c; (c = parser.Next()) != -1;) {
      seen.push_back({c, parser.Value(), parser.CurrentArgument()});
      if (seen.size() > 100) {
         break;
      }
   }
   return seen;
}

}  // namespace

TEST(CommandLineSplit, FollowsWindowsQuotingRules)
{
   auto args = CommandLine_Split("a  b\tc", "C:\\zolt.exe", 256);
   EXPECT_EQ((std::vector<std::string>{"C:\\zolt.exe", "a", "b", "c"}), args);

   EXPECT_EQ("a b", CommandLine_Split("\"a b\" c", "p", 256).at(1));
   EXPECT_EQ("x\"y z", CommandLine_Split("x\"\"\"y z\"", "p", 256).at(1));
   EXPECT_EQ("a\"b", CommandLine_Split("\"a\"\"b\"", "p", 256).at(1));
   EXPECT_EQ("a\\\\b", CommandLine_Split("a\\\\b", "p", 256).at(1));       // no quote: literal
   EXPECT_EQ("a\"b", CommandLine_Split("a\\\"b", "p", 256).at(1));         // \" is a quote
   EXPECT_EQ("a\\b c", CommandLine_Split("a\\\\\"b c\"", "p", 256).at(1)); // \\" is \ and a delimiter
   EXPECT_EQ("a\\\"b", CommandLine_Split("a\\\\\\\"b", "p", 256).at(1));   // \\\" is \"
   EXPECT_EQ("C:\\dir\\", CommandLine_Split("C:\\dir\\", "p", 256).at(1));

   auto empty = CommandLine_Split("\"\" x", "p", 256);
   ASSERT_EQ(3u, empty.size());
   EXPECT_EQ("", empty[1]);
   EXPECT_EQ("x", empty[2]);

   auto unterminated = CommandLine_Split("\"open to the end", "p", 256);
   ASSERT_EQ(2u, unterminated.size());
   EXPECT_EQ("open to the end", unterminated[1]);
}

TEST(CommandLineSplit, ArgumentZeroIsAlwaysTheProgramAndTheCountIsBounded)
{
   auto args = CommandLine_Split("other.exe -x", "C:\\Program Files\\zolt.exe", 256);
   ASSERT_EQ(3u, args.size());
   EXPECT_EQ("C:\\Program Files\\zolt.exe", args[0]);
   EXPECT_EQ("other.exe", args[1]);

   EXPECT_EQ(1u, CommandLine_Split("", "p", 256).size());
   EXPECT_EQ(1u, CommandLine_Split(nullptr, "p", 256).size());
   EXPECT_EQ(1u, CommandLine_Split("   \t ", "p", 256).size());

   std::string text;
   for (int i = 1; i <= 300; i++) {
      text += "a" + std::to_string(i) + " ";
   }
   auto many = CommandLine_Split(text.c_str(), "p", 256);
   ASSERT_EQ(256u, many.size());
   EXPECT_EQ("a1", many[1]);
   EXPECT_EQ("a255", many[255]);
}

TEST(OptionParser, GroupedAttachedAndSeparateValues)
{
   auto args = Args({"-qx", "-sA=B", "-s", "C=D", "-xsE=F", "-h", "-notAnOption", "vm.vmx"});
   OptionParser parser(args, kOptions);
   auto seen = ParseAll(parser);
   ASSERT_EQ(7u, seen.size());
   EXPECT_EQ('q', seen[0].letter);
   EXPECT_EQ('x', seen[1].letter);
   EXPECT_EQ("-qx", seen[1].argument);
   EXPECT_EQ('s', seen[2].letter);
   EXPECT_EQ("A=B", seen[2].value);
   EXPECT_EQ('s', seen[3].letter);
   EXPECT_EQ("C=D", seen[3].value);
   EXPECT_EQ('x', seen[4].letter);
   EXPECT_EQ('s', seen[5].letter);
   EXPECT_EQ("E=F", seen[5].value);
   // A separate value is taken whatever it looks like.
   EXPECT_EQ('h', seen[6].letter);
   EXPECT_EQ("-notAnOption", seen[6].value);
   EXPECT_EQ(8u, parser.Index());
   EXPECT_EQ("vm.vmx", args[parser.Index()]);
}

TEST(OptionParser, QuestionMarkForHelpUnknownLettersAndMissingValues)
{
   auto args = Args({"-?", "-k", "-p", "-x:", "-s"});
   OptionParser parser(args, kOptions);
   auto seen = ParseAll(parser);
   ASSERT_EQ(6u, seen.size());

   // A real -? and an unknown letter both answer '?'; the argument's text tells them apart.
   EXPECT_EQ('?', seen[0].letter);
   EXPECT_EQ('?', seen[0].argument[1]);
   EXPECT_EQ('?', seen[1].letter);
   EXPECT_EQ("-k", seen[1].argument);

   EXPECT_EQ('p', seen[2].letter);
   EXPECT_EQ('x', seen[3].letter);
   EXPECT_EQ('?', seen[4].letter);   // ':' is never an option letter
   EXPECT_EQ("-x:", seen[4].argument);

   EXPECT_EQ('?', seen[5].letter);   // -s at the end has no value
   EXPECT_EQ('s', parser.OptionChar());
   EXPECT_EQ("-s", parser.CurrentArgument());
   EXPECT_EQ(6u, parser.Index());
}

TEST(OptionParser, BlankIsAnOptionLetter)
{
   auto args = Args({"-q -x"});
   OptionParser parser(args, kOptions);
   EXPECT_EQ('q', parser.Next());
   EXPECT_EQ(' ', parser.Next());
   EXPECT_EQ('?', parser.Next());   // '-' inside a group is not a letter of the string
   EXPECT_EQ('-', parser.OptionChar());
   EXPECT_EQ('x', parser.Next());
   EXPECT_EQ(-1, parser.Next());
   EXPECT_EQ(2u, parser.Index());
}

TEST(OptionParser, WhereTheOptionsEnd)
{
   {
      auto args = Args({"-x", "--", "-q", "vm.vmx"});
      OptionParser parser(args, kOptions);
      EXPECT_EQ('x', parser.Next());
      EXPECT_EQ(-1, parser.Next());
      EXPECT_EQ(3u, parser.Index());   // "--" is skipped
   }
   {
      auto args = Args({"-x", "-", "-q"});
      OptionParser parser(args, kOptions);
      EXPECT_EQ('x', parser.Next());
      EXPECT_EQ(-1, parser.Next());
      EXPECT_EQ(2u, parser.Index());   // "-" alone is an argument
   }
   {
      auto args = Args({"-x", "a.vmx", "-q"});
      OptionParser parser(args, kOptions);
      EXPECT_EQ('x', parser.Next());
      EXPECT_EQ(-1, parser.Next());
      EXPECT_EQ(-1, parser.Next());
      EXPECT_EQ(2u, parser.Index());
   }
   {
      auto args = Args({"", "-x"});
      OptionParser parser(args, kOptions);
      EXPECT_EQ(-1, parser.Next());
      EXPECT_EQ(1u, parser.Index());
   }
   {
      auto args = Args({});
      OptionParser parser(args, kOptions);
      EXPECT_EQ(-1, parser.Next());
      EXPECT_EQ(1u, parser.Index());
   }
}

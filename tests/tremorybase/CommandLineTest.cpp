#include "tremorybase/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The program's own option string: "s:" twice and a trailing blank that makes ' ' an option.
const char kOptions[] = "?E:xXqs:pavTgGs:f:h:u:w:P:c:lN:HtnrB ";

// Parses `argv[1..]` to the end: each answer as its letter, "(value)" after a value, "[argument]"
// after a '?', blanks between; then "|" and the index where the options ended.
std::string Trace(std::vector<std::string> argv)
{
   argv.insert(argv.begin(), "zolt.exe");
   OptionParser parser(argv, kOptions);
   std::string trace;
   for (int c, n = 0; (c = parser.Next()) != -1 && n < 50; n++) {
      trace += static_cast<char>(c);
      if (!parser.Value().empty()) {
         trace += "(" + parser.Value() + ")";
      }
      if (c == '?') {
         trace += "[" + parser.CurrentArgument() + "]";
      }
      trace += " ";
   }
   return trace + "|" + std::to_string(parser.Index());
}

std::string Arg(const char *text, size_t i)
{
   auto args = CommandLine_Split(text, "p", 256);
   return i < args.size() ? args[i] : "<none>";
}

}  // namespace

TEST(CommandLineSplit, FollowsWindowsQuotingRules)
{
   EXPECT_EQ((std::vector<std::string>{"C:\\zolt.exe", "a", "b", "c"}), CommandLine_Split("a  b\tc", "C:\\zolt.exe", 256));
   EXPECT_EQ("a b", Arg("\"a b\" c", 1));
   EXPECT_EQ("a\"b", Arg("\"a\"\"b\"", 1));          // "" inside quotes is a quote
   EXPECT_EQ("a\\\\b", Arg("a\\\\b", 1));             // backslashes without a quote are literal
   EXPECT_EQ("a\"b", Arg("a\\\"b", 1));               // \" is a quote
   EXPECT_EQ("a\\b c", Arg("a\\\\\"b c\"", 1));       // \\" is \ and a delimiter
   EXPECT_EQ("a\\\"b", Arg("a\\\\\\\"b", 1));         // \\\" is \"
   EXPECT_EQ("C:\\dir\\", Arg("C:\\dir\\", 1));
   EXPECT_EQ("", Arg("\"\" x", 1));                    // an empty argument is kept
   EXPECT_EQ("x", Arg("\"\" x", 2));
   EXPECT_EQ("open to the end", Arg("\"open to the end", 1));
   // UTF-8 arguments (a Spanish and German path, a Greek and a CJK word) split at ASCII blanks only.
   const char utf8[] = "-x \"C:\\M\xC3\xA1quinas virtuales\\Pr\xC3\xBC" "fung.vmx\" "
                       "\xCE\x95\xCE\xBB \xE4\xBB\xAE\xE6\x83\xB3";
   EXPECT_EQ("C:\\M\xC3\xA1quinas virtuales\\Pr\xC3\xBC" "fung.vmx", Arg(utf8, 2));
   EXPECT_EQ("\xCE\x95\xCE\xBB", Arg(utf8, 3));
   EXPECT_EQ("\xE4\xBB\xAE\xE6\x83\xB3", Arg(utf8, 4));
}

TEST(CommandLineSplit, ArgumentZeroIsAlwaysTheProgramAndTheCountIsBounded)
{
   auto args = CommandLine_Split("other.exe -x", "C:\\Program Files\\zolt.exe", 256);
   EXPECT_EQ((std::vector<std::string>{"C:\\Program Files\\zolt.exe", "other.exe", "-x"}), args);
   EXPECT_EQ(1u, CommandLine_Split(nullptr, "p", 256).size());
   EXPECT_EQ(1u, CommandLine_Split("   \t ", "p", 256).size());

   std::string text;
   for (int i = 1; i <= 300; i++) {
      text += "a" + std::to_string(i) + " ";
   }
   auto many = CommandLine_Split(text.c_str(), "p", 256);
   ASSERT_EQ(256u, many.size());
   EXPECT_EQ("a255", many[255]);
}

TEST(OptionParser, GroupedAttachedAndSeparateValues)
{
   EXPECT_EQ("q x s(A=B) s(C=D) x s(E=F) |6", Trace({"-qx", "-sA=B", "-s", "C=D", "-xsE=F", "vm.vmx"}));
   // A separate value is taken whatever it looks like.
   EXPECT_EQ("h(-x) E(--) |5", Trace({"-h", "-x", "-E", "--"}));
}

TEST(OptionParser, QuestionMarkForHelpUnknownLettersMissingValuesAndBlanks)
{
   // A real -? and an unknown letter both answer '?'; the argument's text tells them apart.
   EXPECT_EQ("?[-?] ?[-k] p x ?[-x:] |5", Trace({"-?", "-k", "-p", "-x:"}));
   EXPECT_EQ("?[-s] |2", Trace({"-s"}));
   // The blank is a letter of the string; a dash inside a group is not.
   EXPECT_EQ("q   ?[-q -x] x |2", Trace({"-q -x"}));

   std::vector<std::string> argv = {"zolt.exe", "-xs"};
   OptionParser parser(argv, kOptions);
   EXPECT_EQ('x', parser.Next());
   EXPECT_EQ('?', parser.Next());
   EXPECT_EQ('s', parser.OptionChar());
   EXPECT_EQ("-xs", parser.CurrentArgument());
   EXPECT_EQ(-1, parser.Next());
}

TEST(OptionParser, WhereTheOptionsEnd)
{
   EXPECT_EQ("x |3", Trace({"-x", "--", "-q", "vm.vmx"}));   // "--" is skipped
   EXPECT_EQ("x |2", Trace({"-x", "-", "-q"}));              // "-" alone is an argument
   EXPECT_EQ("x |2", Trace({"-x", "a.vmx", "-q"}));
   EXPECT_EQ("|1", Trace({"", "-x"}));
   EXPECT_EQ("|1", Trace({}));
}

// The files of a command line taken once each, and the one message that names those that could
// not be opened.
#include "zoltCommandLineOpens.h"
#include "zoltOpenFailures.h"

#include "tremorybase/Text.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

using Files = std::vector<std::string>;

const char kLogFile[] = "C:\\logs\\zolt.log";
const char kNotFoundHeading[] =
   "The virtual machine configuration file was not found. It may have been moved or deleted.";
const char kLimitHeading[] = "The limit of open virtual machines was reached. Close some of them to open these:";

std::string NotFound(const std::string &path)
{
   return "The virtual machine configuration file \"" + path + "\" was not found. It may have been moved or deleted.";
}

std::string Numbered(const char *prefix, int i)
{
   char name[64];
   snprintf(name, sizeof name, "%s%03d.vmx", prefix, i);
   return name;
}

std::vector<std::string> Lines(const std::string &text)
{
   std::vector<std::string> lines;
   size_t start = 0;
   for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
   }
   lines.push_back(text.substr(start));
   return lines;
}

size_t Count(const std::string &text, const std::string &part)
{
   size_t count = 0;
   for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
      ++count;
   }
   return count;
}

// A machine file in a folder of its own, both with names too long for the 8.3 form.
class LongNamedFile {
public:
   LongNamedFile()
   {
      wchar_t temp[MAX_PATH];
      GetTempPathW(MAX_PATH, temp);
      folder_ = std::wstring(temp) + L"Machines With Long Names " + std::to_wstring(GetCurrentProcessId());
      CreateDirectoryW(folder_.c_str(), nullptr);
      file_ = folder_ + L"\\A Machine Named At Length.vmx";
      HANDLE handle = CreateFileW(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      CloseHandle(handle);
   }
   ~LongNamedFile()
   {
      DeleteFileW(file_.c_str());
      RemoveDirectoryW(folder_.c_str());
   }
   std::string Long() const { return Utf8FromWide(file_); }
   std::string Short() const
   {
      wchar_t shortPath[MAX_PATH] = L"";
      GetShortPathNameW(file_.c_str(), shortPath, MAX_PATH);
      return Utf8FromWide(shortPath);
   }

private:
   std::wstring folder_;
   std::wstring file_;
};

std::string Upper(std::string text)
{
   for (char &c : text) {
      if (c >= 'a' && c <= 'z') {
         c = static_cast<char>(c - 'a' + 'A');
      }
   }
   return text;
}

std::string WithSlashes(std::string text)
{
   for (char &c : text) {
      if (c == '\\') {
         c = '/';
      }
   }
   return text;
}

}  // namespace

TEST(CommandLineFiles, AFileNamedAgainInAnotherFormOpensOnce)
{
   LongNamedFile machine;
   const std::string shortName = machine.Short();
   ASSERT_FALSE(shortName.empty());
   ASSERT_NE(shortName, machine.Long()) << "the system gave no short form";

   CommandLineOptions options;
   options.files = {machine.Long(), Upper(machine.Long()), shortName, WithSlashes(machine.Long()),
                    "C:\\missing\\Other.vmx", "c:\\MISSING\\other.VMX", "second.vmx"};
   // Past the argument limit: names of files already taken, a new one twice, a third file.
   options.filesPastLimit = {shortName, "SECOND.vmx", "C:\\late\\one.vmx", "c:/late/ONE.vmx", "two.vmx"};
   std::vector<std::string> pastLimit;
   EXPECT_EQ((Files{machine.Long(), "C:\\missing\\Other.vmx", "second.vmx"}), DistinctFiles(options, pastLimit));
   EXPECT_EQ((Files{"C:\\late\\one.vmx", "two.vmx"}), pastLimit);

   EXPECT_EQ(FileKey(shortName), FileKey(machine.Long()));
   EXPECT_NE(FileKey("C:\\missing\\Other.vmx"), FileKey("C:\\missing\\Other.vmx.bak"));
}

TEST(OpenFailuresMessage, ManyFailuresOfOneReasonNameTwentyFilesThenCountTheRest)
{
   std::vector<OpenFailure> failures;
   for (int i = 1; i <= 300; ++i) {
      const std::string path = Numbered("C:\\vms\\m", i);
      failures.push_back(OpenFailure{path, OpenFailure::REASON, NotFound(path)});
   }
   std::vector<std::string> expected = {"300 of the 300 files given on the command line could not be opened.", "",
                                        kNotFoundHeading};
   for (int i = 1; i <= 20; ++i) {
      expected.push_back("    " + Numbered("C:\\vms\\m", i));
   }
   for (const char *line : {"    and 280 more.", "", "The log lists every file that could not be opened, with its reason:",
                            kLogFile}) {
      expected.push_back(line);
   }
   EXPECT_EQ(expected, Lines(OpenFailures::Message(failures, 300, kLogFile)));

   // Twenty or fewer are all named, with nothing more to count; without a log none is named.
   failures.resize(20);
   const std::string twenty = OpenFailures::Message(failures, 25, "");
   EXPECT_EQ(0u, twenty.find("20 of the 25 files"));
   EXPECT_NE(std::string::npos, twenty.find(Numbered("C:\\vms\\m", 20)));
   EXPECT_EQ(std::string::npos, twenty.find("more."));
   EXPECT_EQ(std::string::npos, twenty.find("log"));
   EXPECT_EQ(23u, Lines(twenty).size()) << twenty;

   EXPECT_EQ("", OpenFailures::Message({}, 3, kLogFile));
}

TEST(OpenFailuresMessage, TheLimitIsSaidOnceFirstAndNamesTheFilesItKept)
{
   std::vector<OpenFailure> failures;
   for (int i = 1; i <= 25; ++i) {
      const std::string path = Numbered("C:\\gone\\g", i);
      failures.push_back(OpenFailure{path, OpenFailure::REASON, NotFound(path)});
      if (i <= 3) {
         failures.push_back(OpenFailure{Numbered("C:\\vms\\kept", i), OpenFailure::LIMIT, ""});
      }
   }
   failures.push_back(OpenFailure{"C:\\late.vmx", OpenFailure::PAST_ARGUMENTS, ""});
   const std::string text = OpenFailures::Message(failures, 60, kLogFile);
   const std::vector<std::string> lines = Lines(text);

   EXPECT_EQ("29 of the 60 files given on the command line could not be opened.", lines[0]);
   EXPECT_EQ(1u, Count(text, "limit of open virtual machines")) << text;
   ASSERT_GE(lines.size(), 28u);
   EXPECT_EQ(kLimitHeading, lines[2]);
   EXPECT_EQ((Files{"    C:\\vms\\kept001.vmx", "    C:\\vms\\kept002.vmx", "    C:\\vms\\kept003.vmx"}),
             Files(lines.begin() + 3, lines.begin() + 6));
   EXPECT_EQ("", lines[6]);
   EXPECT_EQ(kNotFoundHeading, lines[7]);
   // Twenty names in all: the not-found files get what the limit left, but for the one name kept
   // for the files past the arguments, which come last.
   EXPECT_EQ("    " + Numbered("C:\\gone\\g", 16), lines[23]);
   EXPECT_EQ("    and 9 more.", lines[24]);
   EXPECT_EQ("", lines[25]);
   EXPECT_EQ("A command line is read up to 255 arguments; these files came after them:", lines[26]);
   EXPECT_EQ("    C:\\late.vmx", lines[27]);

   // Refused by the limit alone: the limit is still said once.
   std::vector<OpenFailure> limited(40, OpenFailure{"C:\\vms\\same.vmx", OpenFailure::LIMIT, ""});
   const std::string onlyLimit = OpenFailures::Message(limited, 68, "");
   EXPECT_EQ(1u, Count(onlyLimit, kLimitHeading));
   EXPECT_EQ(20u, Count(onlyLimit, "    C:\\vms\\same.vmx"));
   EXPECT_NE(std::string::npos, onlyLimit.find("\n    and 20 more."));
   EXPECT_EQ(std::string::npos, onlyLimit.find("other reasons"));
}

TEST(OpenFailuresMessage, ReasonsGroupTheirFilesAndLongNamesAreShortened)
{
   const std::string longName = "C:\\" + std::string(300, 'd') + "\\tail.vmx";
   std::vector<OpenFailure> failures = {
      {"C:\\a.vmx", OpenFailure::REASON, NotFound("c:\\A.VMX")},                        // path in other case
      {"C:\\b.vmx", OpenFailure::REASON, "Teams cannot be opened in this build."},      // no path in it
      {"C:\\c.vmx", OpenFailure::REASON, NotFound("C:\\c.vmx")},
      {"C:\\d.imp", OpenFailure::REASON, "\"C:\\d.imp\" cannot be imported:\nno importer is installed."},
      {longName, OpenFailure::REASON, "The file\r\nis damaged."},
      {"C:\\f.vmx", OpenFailure::REASON, "A fifth reason."},
   };
   const std::string text = OpenFailures::Message(failures, 6, "");
   const std::vector<std::string> lines = Lines(text);
   const std::vector<std::string> expected = {
      "6 of the 6 files given on the command line could not be opened.",
      "",
      kNotFoundHeading,
      "    C:\\a.vmx",
      "    C:\\c.vmx",
      "",
      "Teams cannot be opened in this build.",
      "    C:\\b.vmx",
      "",
      "Cannot be imported: no importer is installed.",
      "    C:\\d.imp",
      "",
      "The file is damaged.",
      "    " + longName.substr(0, 66) + "..." + longName.substr(longName.size() - 131),
      "",
      "1 more could not be opened for other reasons.",
   };
   EXPECT_EQ(expected, lines);
   EXPECT_LE(lines[13].size(), OpenFailures::kMaxLineChars + 4);
}

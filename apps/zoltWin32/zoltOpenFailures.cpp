#include "zoltOpenFailures.h"

#include "CommandLineParser.h"
#include "zoltMsg.h"

#include "cui/LocalizedString.h"
#include "tremorybase/Log.h"

#include <algorithm>

namespace {

const char kIntro[] = ZOLT_MSG("msg.openFailures.intro", "%zu of the %zu files given on the command line could not be opened.");
const char kLimitHeading[] = ZOLT_MSG("msg.openFailures.limit",
                                      "The limit of open virtual machines was reached. Close some of them to open these:");
const char kLimitReason[] = ZOLT_MSG("msg.openFailures.limitReason", "The limit of open virtual machines was reached.");
const char kPastArgumentsHeading[] = ZOLT_MSG("msg.openFailures.pastArguments",
                                              "A command line is read up to %zu arguments; these files came after them:");
const char kPastArgumentsReason[] = ZOLT_MSG("msg.openFailures.pastArgumentsReason",
                                             "It came after the %zu arguments a command line is read up to.");
const char kMore[] = ZOLT_MSG("msg.openFailures.more", "and %zu more.");
const char kOtherReasons[] = ZOLT_MSG("msg.openFailures.otherReasons", "%zu more could not be opened for other reasons.");
const char kLogFile[] = ZOLT_MSG("msg.openFailures.logFile",
                                 "The log lists every file that could not be opened, with its reason:\n%s");
const char kIndent[] = "    ";

const size_t kArgumentsRead = CommandLineParser::MAX_ARGS - 1;

bool IsContinuationByte(char c)
{
   return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// `text` cut to about `max` bytes in its middle, so a path keeps its start and its file name.
std::string Shorten(const std::string &text, size_t max)
{
   if (text.size() <= max) {
      return text;
   }
   size_t headEnd = max / 3;
   while (headEnd > 0 && IsContinuationByte(text[headEnd])) {
      --headEnd;
   }
   size_t tailStart = text.size() - (max - max / 3 - 3);
   while (tailStart < text.size() && IsContinuationByte(text[tailStart])) {
      ++tailStart;
   }
   return text.substr(0, headEnd) + "..." + text.substr(tailStart);
}

std::string LowerAscii(std::string text)
{
   for (char &c : text) {
      if (c >= 'A' && c <= 'Z') {
         c = static_cast<char>(c - 'A' + 'a');
      }
   }
   return text;
}

// An error text on one line.
std::string OneLine(const std::string &text)
{
   std::string line = cui::SanitizeMessage(text);
   for (char &c : line) {
      if (c == '\n') {
         c = ' ';
      }
   }
   return line;
}

// The reason as the heading of its files: without the file's own quoted path, which the names
// under it show, so that the same failure of many files reads once.
std::string ReasonHeading(const std::string &reason, const std::string &path)
{
   std::string text = OneLine(reason);
   const std::string quoted = LowerAscii("\"" + path + "\"");
   for (size_t at = LowerAscii(text).find(quoted); !path.empty() && at != std::string::npos;
        at = LowerAscii(text).find(quoted)) {
      size_t end = at + quoted.size();
      // One blank next to the path goes with it.
      if (end < text.size() && text[end] == ' ') {
         ++end;
      } else if (at > 0 && text[at - 1] == ' ') {
         --at;
      }
      text.erase(at, end - at);
   }
   while (!text.empty() && text[0] == ' ') {
      text.erase(0, 1);
   }
   if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') {
      text[0] = static_cast<char>(text[0] - 'a' + 'A');
   }
   if (text.empty()) {
      text = OneLine(reason);
   }
   return Shorten(text, OpenFailures::kMaxLineChars);
}

std::string LoggedReason(const OpenFailure &failure)
{
   switch (failure.kind) {
   case OpenFailure::LIMIT: return cui::GetLocalString(kLimitReason);
   case OpenFailure::PAST_ARGUMENTS: return cui::Format(kPastArgumentsReason, kArgumentsRead);
   case OpenFailure::REASON: break;
   }
   std::string text = OneLine(failure.reason);
   return text.empty() ? "(no reason given)" : text;
}

struct Group {
   std::string heading;
   std::vector<std::string> names;
};

void AddToGroup(std::vector<Group> &groups, const std::string &heading, const std::string &name)
{
   for (Group &group : groups) {
      if (group.heading == heading) {
         group.names.push_back(name);
         return;
      }
   }
   groups.push_back(Group{heading, {name}});
}

}  // namespace

void OpenFailures::Add(const std::string &path, OpenFailure::Kind kind, const std::string &reason)
{
   failures_.push_back(OpenFailure{path, kind, reason});
   Warning("OpenFailures: %s was not opened: %s\n", path.c_str(), LoggedReason(failures_.back()).c_str());
}

std::string OpenFailures::Message(const std::vector<OpenFailure> &failures, size_t filesNamed,
                                  const std::string &logFile)
{
   if (failures.empty()) {
      return std::string();
   }
   // The limit first, said once, then the other reasons in the order they came, the files past
   // the arguments last. Each reason shown names one file at least; the names left go in order.
   Group limit{cui::GetLocalString(kLimitHeading), {}};
   Group pastArguments{cui::Format(kPastArgumentsHeading, kArgumentsRead), {}};
   std::vector<Group> reasons;
   for (const OpenFailure &failure : failures) {
      switch (failure.kind) {
      case OpenFailure::LIMIT: limit.names.push_back(failure.path); break;
      case OpenFailure::PAST_ARGUMENTS: pastArguments.names.push_back(failure.path); break;
      case OpenFailure::REASON: AddToGroup(reasons, ReasonHeading(failure.reason, failure.path), failure.path); break;
      }
   }
   std::vector<Group> groups;
   if (!limit.names.empty()) {
      groups.push_back(limit);
   }
   const size_t reasonsShown = kMaxReasons - groups.size() - (pastArguments.names.empty() ? 0 : 1);
   groups.insert(groups.end(), reasons.begin(), reasons.begin() + std::min(reasons.size(), reasonsShown));
   if (!pastArguments.names.empty()) {
      groups.push_back(pastArguments);
   }

   std::string lines;
   size_t extraNames = kMaxNames - groups.size();
   size_t unnamed = failures.size();
   for (const Group &group : groups) {
      const size_t shown = std::min(group.names.size(), 1 + extraNames);
      extraNames -= shown - 1;
      unnamed -= group.names.size();
      lines += (lines.empty() ? "" : "\n") + group.heading + "\n";
      for (size_t n = 0; n < shown; ++n) {
         lines += kIndent + Shorten(group.names[n], kMaxLineChars) + "\n";
      }
      if (shown < group.names.size()) {
         lines += kIndent + cui::Format(kMore, group.names.size() - shown) + "\n";
      }
   }
   if (unnamed > 0) {
      lines += "\n" + cui::Format(kOtherReasons, unnamed) + "\n";
   }

   std::string text = cui::Format(kIntro, failures.size(), std::max(filesNamed, failures.size())) + "\n\n" + lines;
   if (!logFile.empty()) {
      text += "\n" + cui::Format(kLogFile, logFile.c_str());
   } else {
      text.pop_back();
   }
   return text;
}

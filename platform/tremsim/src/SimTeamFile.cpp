#include "tremsim/SimTeamFile.h"
#include "SimHostPath.h"

#include <cerrno>
#include <cstdlib>
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "cui/LocalizedString.h"
#include "tremorybase/File.h"
#include "tremorybase/Str.h"

namespace cuisim {

namespace {

// Largest index of "vm<N>" and "lan<N>": nine digits.
const size_t kMaxIndexDigits = 9;
const long kMaxNumber = 1000000000L;

// "vm12.cfgPath" with `prefix` "vm" gives index 12 and field "cfgPath"; false for another key.
bool SplitIndexed(const std::string &key, const char *prefix, long &index, std::string &field)
{
   size_t n = std::char_traits<char>::length(prefix);
   if (key.compare(0, n, prefix) != 0) {
      return false;
   }
   size_t dot = key.find('.', n);
   if (dot == std::string::npos || dot == n || dot - n > kMaxIndexDigits || dot + 1 == key.size()) {
      return false;
   }
   for (size_t i = n; i < dot; ++i) {
      if (key[i] < '0' || key[i] > '9') {
         return false;
      }
   }
   index = std::strtol(key.c_str() + n, nullptr, 10);
   field = key.substr(dot + 1);
   return true;
}

// A whole decimal number within +-1e9; false for anything else ("", "12abc", "1e3").
bool ParseNumber(const std::string &text, long &value)
{
   if (text.empty() || text.size() > 12) {
      return false;
   }
   char *end = nullptr;
   errno = 0;
   long number = std::strtol(text.c_str(), &end, 10);
   if (errno != 0 || *end != '\0' || text[0] == ' ' || text[0] == '+' || number > kMaxNumber || number < -kMaxNumber) {
      return false;
   }
   value = number;
   return true;
}

// The line of entry `index` in `text`, counted as KeyValueFile::Parse counts lines.
unsigned EntryLine(const std::string &text, size_t index)
{
   size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
   unsigned lineNo = 0;
   size_t seen = 0;
   while (pos < text.size()) {
      lineNo++;
      size_t end = text.find('\n', pos);
      size_t stop = end == std::string::npos ? text.size() : end;
      size_t first = text.find_first_not_of(" \t\r", pos);
      bool entry = first != std::string::npos && first < stop && text[first] != '#';
      if (entry && seen++ == index) {
         return lineNo;
      }
      pos = end == std::string::npos ? text.size() : end + 1;
   }
   return lineNo;
}

}  // namespace

std::string SimTeamFile::Resolve(const std::string &folder, const std::string &cfgPath)
{
   std::string path = IsAbsolutePath(cfgPath) ? cfgPath : folder + cfgPath;
   for (char &c : path) {
      if (c == '/') {
         c = '\\';
      }
   }
   // Lexical: "a\.\b\..\c" is "a\c"; ".." never climbs above the root part.
   std::string root;
   size_t start = 0;
   if (path.size() > 1 && path[1] == ':') {
      root = path.substr(0, path.size() > 2 && path[2] == '\\' ? 3 : 2);
   } else if (path.compare(0, 2, "\\\\") == 0) {
      root = "\\\\";
   } else if (!path.empty() && path[0] == '\\') {
      root = "\\";
   }
   start = root.size();
   std::vector<std::string> parts;
   while (start <= path.size()) {
      size_t end = path.find('\\', start);
      if (end == std::string::npos) {
         end = path.size();
      }
      std::string part = path.substr(start, end - start);
      if (part == "..") {
         if (!parts.empty()) {
            parts.pop_back();
         }
      } else if (!part.empty() && part != ".") {
         parts.push_back(part);
      }
      start = end + 1;
   }
   std::string out = root;
   for (size_t i = 0; i < parts.size(); ++i) {
      out += (i ? "\\" : "") + parts[i];
   }
   return out;
}

std::string SimTeamFile::PathKey(const std::string &path)
{
   std::string key = LowerAscii(path);
   for (char &c : key) {
      if (c == '/') {
         c = '\\';
      }
   }
   return key;
}

bool SimTeamFile::IsInside(const std::string &folder, const std::string &path)
{
   std::string base = PathKey(folder);
   std::string file = PathKey(path);
   return !base.empty() && file.size() > base.size() && file.compare(0, base.size(), base) == 0;
}

std::string SimTeamFile::GetFolder() const
{
   size_t slash = path_.find_last_of("\\/");
   return slash == std::string::npos ? std::string() : path_.substr(0, slash + 1);
}

bool SimTeamFile::FromEntries(const std::vector<KeyValueEntry> &entries, size_t &badIndex, std::string &what)
{
   struct Indexed {
      SimTeamMember member;
      SimTeamLan lan;
      size_t firstEntry = 0;
      size_t cfgEntry = 0;
      bool hasPath = false;
      bool hasId = false;
      bool hasName = false;
      size_t nameEntry = 0;
   };
   std::map<long, Indexed> vmIndex;
   std::map<long, Indexed> lanIndex;
   std::string newName;
   std::string newNotes;
   std::vector<KeyValueEntry> newOthers;
   std::string folder = GetFolder();

   for (size_t i = 0; i < entries.size(); ++i) {
      const KeyValueEntry &entry = entries[i];
      long index = 0;
      std::string field;
      long number = 0;
      auto fail = [&](const std::string &text) {
         badIndex = i;
         what = text;
         return false;
      };
      if (entry.key == "team.name") {
         newName = entry.value;
      } else if (entry.key == "team.notes") {
         newNotes = entry.value;
      } else if (entry.key == ".encoding") {
         continue;   // always written as UTF-8
      } else if (SplitIndexed(entry.key, "vm", index, field)) {
         auto inserted = vmIndex.emplace(index, Indexed());
         Indexed &vm = inserted.first->second;
         if (inserted.second) {
            vm.firstEntry = i;
         }
         if (field == "cfgPath") {
            if (entry.value.empty()) {
               return fail(Str_Format("vm%ld.cfgPath is empty", index));
            }
            vm.member.cfgPath = Resolve(folder, entry.value);
            vm.cfgEntry = i;
            vm.hasPath = true;
         } else if (field == "startupOrder" || field == "startupDelay") {
            if (!ParseNumber(entry.value, number)) {
               return fail(Str_Format("the value of %s is not a whole number", entry.key.c_str()));
            }
            if (field == "startupDelay" && number < 0) {
               return fail(Str_Format("the start-up delay of vm%ld is negative", index));
            }
            (field == "startupOrder" ? vm.member.startupOrder : vm.member.startupDelay) = static_cast<int>(number);
         } else {
            vm.member.extra.push_back({field, entry.value});
         }
      } else if (SplitIndexed(entry.key, "lan", index, field)) {
         auto inserted = lanIndex.emplace(index, Indexed());
         Indexed &lan = inserted.first->second;
         if (inserted.second) {
            lan.firstEntry = i;
         }
         if (field == "id") {
            lan.lan.id = entry.value;
            lan.hasId = !entry.value.empty();
         } else if (field == "name") {
            lan.lan.name = entry.value;
            lan.hasName = !entry.value.empty();
            lan.nameEntry = i;
         } else if (field == "bandwidth" || field == "loss") {
            if (!ParseNumber(entry.value, number)) {
               return fail(Str_Format("the value of %s is not a whole number", entry.key.c_str()));
            }
            if (field == "bandwidth" && number < 0) {
               return fail(Str_Format("the bandwidth of lan%ld is negative", index));
            }
            if (field == "loss" && (number < 0 || number > 100)) {
               return fail(Str_Format("the packet loss of lan%ld is not from 0 to 100 percent", index));
            }
            (field == "bandwidth" ? lan.lan.bandwidth : lan.lan.loss) = number;
         } else {
            lan.lan.extra.push_back({field, entry.value});
         }
      } else {
         newOthers.push_back(entry);
      }
   }

   std::vector<SimTeamMember> newMembers;
   std::unordered_map<std::string, long> seen;
   for (auto &entry : vmIndex) {
      Indexed &vm = entry.second;
      if (!vm.hasPath) {
         badIndex = vm.firstEntry;
         what = Str_Format("vm%ld has no cfgPath", entry.first);
         return false;
      }
      auto named = seen.emplace(PathKey(vm.member.cfgPath), entry.first);
      if (!named.second) {
         badIndex = vm.cfgEntry;
         what = Str_Format("vm%ld names the same virtual machine as vm%ld", entry.first, named.first->second);
         return false;
      }
      newMembers.push_back(std::move(vm.member));
   }
   std::vector<SimTeamLan> newLans;
   std::unordered_set<std::string> ids;
   std::unordered_set<std::string> names;
   for (auto &entry : lanIndex) {
      Indexed &lan = entry.second;
      if (!lan.hasId || !lan.hasName) {
         badIndex = lan.firstEntry;
         what = Str_Format("lan%ld has no %s", entry.first, lan.hasId ? "name" : "id");
         return false;
      }
      if (!ids.insert(lan.lan.id).second) {
         badIndex = lan.firstEntry;
         what = Str_Format("lan%ld has the id of another LAN", entry.first);
         return false;
      }
      if (!names.insert(LowerAscii(lan.lan.name)).second) {
         badIndex = lan.nameEntry;
         what = Str_Format("lan%ld has the name of another LAN", entry.first);
         return false;
      }
      newLans.push_back(std::move(lan.lan));
   }
   name = newName;
   notes = newNotes;
   members = std::move(newMembers);
   lans = std::move(newLans);
   others = std::move(newOthers);
   return true;
}

bool SimTeamFile::Parse(const std::string &text, const std::string &path, std::string &problem)
{
   std::vector<KeyValueEntry> entries;
   if (!KeyValueFile::Parse(text, entries, problem)) {
      return false;
   }
   std::string oldPath = path_;
   path_ = path;
   size_t bad = 0;
   std::string what;
   if (!FromEntries(entries, bad, what)) {
      path_ = oldPath;
      problem = Str_Format("line %u: %s", EntryLine(text, bad), what.c_str());
      return false;
   }
   return true;
}

bool SimTeamFile::Load(const std::string &path, std::string &error)
{
   std::vector<KeyValueEntry> entries;
   std::string problem;
   bool missing = false;
   if (!KeyValueFile::Read(path, entries, problem, missing)) {
      if (missing) {
         error = cui::Format("@&!*@*@(msg.host.team.missing)The team file \"%s\" was not found. It may have been "
                             "moved or deleted.", path.c_str());
      } else if (problem.compare(0, 5, "line ") == 0) {
         error = cui::Format("@&!*@*@(msg.host.team.damaged)The team file \"%s\" is damaged and cannot be read "
                             "(%s).", path.c_str(), problem.c_str());
      } else {
         error = cui::Format("@&!*@*@(msg.host.team.unreadable)The team file \"%s\" cannot be read (%s).",
                             path.c_str(), problem.c_str());
      }
      return false;
   }
   std::string oldPath = path_;
   path_ = path;
   size_t bad = 0;
   std::string what;
   if (!FromEntries(entries, bad, what)) {
      path_ = oldPath;
      // The line is counted again only for the message: the file was read once above.
      std::string text;
      std::string readError;
      unsigned line = File_Read(path, text, readError) ? EntryLine(text, bad) : static_cast<unsigned>(bad + 1);
      error = cui::Format("@&!*@*@(msg.host.team.damaged)The team file \"%s\" is damaged and cannot be read (%s).",
                          path.c_str(), Str_Format("line %u: %s", line, what.c_str()).c_str());
      return false;
   }
   return true;
}

std::vector<KeyValueEntry> SimTeamFile::ToEntries() const
{
   std::string folder = GetFolder();
   std::vector<KeyValueEntry> entries = {{".encoding", "UTF-8"}, {"team.name", name}};
   if (!notes.empty()) {
      entries.push_back({"team.notes", notes});
   }
   for (size_t i = 0; i < members.size(); ++i) {
      const SimTeamMember &member = members[i];
      std::string vm = "vm" + std::to_string(i) + ".";
      std::string cfgPath = IsInside(folder, member.cfgPath) ? member.cfgPath.substr(folder.size()) : member.cfgPath;
      entries.push_back({vm + "cfgPath", cfgPath});
      entries.push_back({vm + "startupOrder", std::to_string(member.startupOrder)});
      entries.push_back({vm + "startupDelay", std::to_string(member.startupDelay)});
      for (const KeyValueEntry &extra : member.extra) {
         entries.push_back({vm + extra.key, extra.value});
      }
   }
   for (size_t i = 0; i < lans.size(); ++i) {
      const SimTeamLan &lan = lans[i];
      std::string prefix = "lan" + std::to_string(i) + ".";
      entries.push_back({prefix + "id", lan.id});
      entries.push_back({prefix + "name", lan.name});
      entries.push_back({prefix + "bandwidth", std::to_string(lan.bandwidth)});
      entries.push_back({prefix + "loss", std::to_string(lan.loss)});
      for (const KeyValueEntry &extra : lan.extra) {
         entries.push_back({prefix + extra.key, extra.value});
      }
   }
   entries.insert(entries.end(), others.begin(), others.end());
   return entries;
}

void SimTeamFile::KeepUnknownFrom(const SimTeamFile &old)
{
   others = old.others;
   std::unordered_map<std::string, const SimTeamMember *> oldMembers;
   for (const SimTeamMember &member : old.members) {
      oldMembers[PathKey(member.cfgPath)] = &member;
   }
   for (SimTeamMember &member : members) {
      auto found = oldMembers.find(PathKey(member.cfgPath));
      if (found != oldMembers.end() && member.extra.empty()) {
         member.extra = found->second->extra;
      }
   }
   std::unordered_map<std::string, const SimTeamLan *> oldLans;
   for (const SimTeamLan &lan : old.lans) {
      oldLans[lan.id] = &lan;
   }
   for (SimTeamLan &lan : lans) {
      auto found = oldLans.find(lan.id);
      if (found != oldLans.end() && lan.extra.empty()) {
         lan.extra = found->second->extra;
      }
   }
}

bool SimTeamFile::Save(std::string &error) const
{
   // The file may have changed since it was read: one that cannot be read now is not replaced.
   if (File_Exists(path_)) {
      SimTeamFile onDisk;
      std::string problem;
      if (!onDisk.Load(path_, problem)) {
         error = cui::Format("@&!*@*@(msg.host.team.kept)The team file \"%s\" was not written: it cannot be read, "
                             "and it is kept as it is. %s", path_.c_str(), problem.c_str());
         return false;
      }
   }
   std::string detail;
   if (!KeyValueFile::Write(path_, ToEntries(), detail)) {
      error = cui::Format("@&!*@*@(msg.host.team.unwritable)The team file \"%s\" could not be written: %s",
                          path_.c_str(), detail.c_str());
      return false;
   }
   return true;
}

}  // namespace cuisim

// A team file (".vmtm", ".vmt"): key = "value" lines read through KeyValueFile as untrusted input.
//
//   team.name, team.notes
//   vm<N>.cfgPath       the member's machine file, relative to the team file's folder or absolute
//   vm<N>.startupOrder  smaller starts first (default 0)
//   vm<N>.startupDelay  seconds to wait after the member is on (default 0, never negative)
//   lan<N>.id, lan<N>.name, lan<N>.bandwidth (kbit/s, 0 unlimited), lan<N>.loss (percent, 0-100)
//
// Members and LANs come in index order; unknown keys (of the file, of a member, of a LAN) are kept
// and written back. A damaged file is refused with the line that is wrong ("line 7: ...").
#pragma once

#include <string>
#include <vector>

#include "tremorybase/KeyValueFile.h"

namespace cuisim {

struct SimTeamMember {
   std::string cfgPath;   // absolute, folders "." and ".." resolved
   int startupOrder = 0;
   int startupDelay = 0;
   std::vector<KeyValueEntry> extra;   // unknown keys of the member, without "vm<N>."
};

struct SimTeamLan {
   std::string id;
   std::string name;
   long bandwidth = 0;
   long loss = 0;
   std::vector<KeyValueEntry> extra;
};

class SimTeamFile {
public:
   // Reads `path`; false with a text a user understands (missing, unreadable, damaged with its line).
   bool Load(const std::string &path, std::string &error);
   // Parses the contents of a team file as if it were the file `path`; false with `problem`
   // ("line 7: ..."), the file's fields unchanged then.
   bool Parse(const std::string &text, const std::string &path, std::string &problem);
   // Writes the file whole (temporary file and rename). A file there that cannot be read (damaged
   // since, a folder) is refused and kept as it is.
   bool Save(std::string &error) const;

   // The file's lines as Save writes them: members inside the team's folder relative to it.
   std::vector<KeyValueEntry> ToEntries() const;
   // Takes the unknown keys of `old` (of the file, and of the members and LANs both have).
   void KeepUnknownFrom(const SimTeamFile &old);

   const std::string &GetPath() const { return path_; }
   void SetPath(const std::string &path) { path_ = path; }
   std::string GetFolder() const;

   std::string name;
   std::string notes;
   std::vector<SimTeamMember> members;
   std::vector<SimTeamLan> lans;
   std::vector<KeyValueEntry> others;   // unknown keys of the file, in its order

   // `cfgPath` made absolute against `folder` (with its trailing separator), "." and ".." resolved.
   static std::string Resolve(const std::string &folder, const std::string &cfgPath);
   // A key that is the same for the same file: lower case, backslashes.
   static std::string PathKey(const std::string &path);
   // Whether `path` (resolved) lies inside `folder`.
   static bool IsInside(const std::string &folder, const std::string &path);

private:
   // Takes `entries` in; false with `badIndex` the entry that is wrong and `what` why.
   bool FromEntries(const std::vector<KeyValueEntry> &entries, size_t &badIndex, std::string &what);

   std::string path_;
};

}  // namespace cuisim

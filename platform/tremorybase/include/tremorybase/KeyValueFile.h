// The one file syntax of the stand-ins: lines of `key = "value"`, '#' comments and blank lines.
// Values are quoted; inside them \" \\ \n \r \t and \xHH escapes are understood.
// Lines longer than kMaxLine or values longer than kMaxValue are refused with their line number.
// Keys and values are bytes: UTF-8 text is written as it is and reads back the same.
// Files are written to a temporary name and renamed over the old one.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct KeyValueEntry {
   std::string key;
   std::string value;
};

class KeyValueFile {
public:
   static const size_t kMaxLine = 65536;
   static const size_t kMaxValue = 60000;

   // Parses text. On a syntax error: false, `error` = "line N: what".
   static bool Parse(const std::string &text, std::vector<KeyValueEntry> &entries, std::string &error);
   // Reads and parses a file; a missing or unreadable file is an error too.
   static bool Read(const std::string &path, std::vector<KeyValueEntry> &entries, std::string &error);
   // Reads and parses a file as Read does, telling a missing file apart. On failure `problem`
   // says in words for a user, without the path, what is wrong ("line 3: missing closing
   // quote", "it is a folder", the system's reason), and `missing` whether the file is not there.
   static bool Read(const std::string &path, std::vector<KeyValueEntry> &entries, std::string &problem,
                    bool &missing);
   static std::string Format(const std::vector<KeyValueEntry> &entries);
   // Writes "<path>.tmp" (flushed), then renames it over `path`.
   static bool Write(const std::string &path, const std::vector<KeyValueEntry> &entries, std::string &error);
   // Looks a key up; the last entry with that key wins. Null when absent.
   static const std::string *Find(const std::vector<KeyValueEntry> &entries, const std::string &key);
};

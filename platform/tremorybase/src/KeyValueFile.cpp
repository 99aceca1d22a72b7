#include "tremorybase/KeyValueFile.h"

#include "tremorybase/File.h"
#include "tremorybase/Str.h"

#include <windows.h>

namespace {

bool IsBlank(char c)
{
   return c == ' ' || c == '\t';
}

// A key is anything up to a blank or '=' that cannot be mistaken for the rest of the syntax.
bool IsKeyChar(char c)
{
   return static_cast<unsigned char>(c) > ' ' && c != '=' && c != '"' && c != '#' && c != 0x7f;
}

int HexDigit(char c)
{
   if (c >= '0' && c <= '9') return c - '0';
   if (c >= 'a' && c <= 'f') return c - 'a' + 10;
   if (c >= 'A' && c <= 'F') return c - 'A' + 10;
   return -1;
}

// Parses one non-blank, non-comment line. On failure `what` says why.
bool ParseLine(const std::string &line, KeyValueEntry &entry, std::string &what)
{
   size_t i = 0;
   size_t n = line.size();
   while (i < n && IsBlank(line[i])) i++;
   size_t keyStart = i;
   while (i < n && IsKeyChar(line[i])) i++;
   if (i == keyStart) {
      what = "expected a key";
      return false;
   }
   entry.key.assign(line, keyStart, i - keyStart);
   while (i < n && IsBlank(line[i])) i++;
   if (i >= n || line[i] != '=') {
      what = "expected '=' after the key";
      return false;
   }
   i++;
   while (i < n && IsBlank(line[i])) i++;
   if (i >= n || line[i] != '"') {
      what = "expected a quoted value";
      return false;
   }
   i++;
   entry.value.clear();
   for (;;) {
      if (i >= n) {
         what = "missing closing quote";
         return false;
      }
      char c = line[i++];
      if (c == '"') {
         break;
      }
      if (c == '\\') {
         if (i >= n) {
            what = "missing closing quote";
            return false;
         }
         char e = line[i++];
         switch (e) {
         case '"': c = '"'; break;
         case '\\': c = '\\'; break;
         case 'n': c = '\n'; break;
         case 'r': c = '\r'; break;
         case 't': c = '\t'; break;
         case 'x': {
            int hi = i < n ? HexDigit(line[i]) : -1;
            int lo = i + 1 < n ? HexDigit(line[i + 1]) : -1;
            if (hi < 0 || lo < 0) {
               what = "bad \\x escape";
               return false;
            }
            c = static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
         }
         default:
            what = Str_Format("unknown escape \\%c", e);
            return false;
         }
      }
      if (entry.value.size() >= KeyValueFile::kMaxValue) {
         what = "value too long";
         return false;
      }
      entry.value += c;
   }
   while (i < n && IsBlank(line[i])) i++;
   if (i < n && line[i] != '#') {
      what = "unexpected text after the value";
      return false;
   }
   return true;
}

}  // namespace

const size_t KeyValueFile::kMaxLine;
const size_t KeyValueFile::kMaxValue;

bool KeyValueFile::Parse(const std::string &text, std::vector<KeyValueEntry> &entries, std::string &error)
{
   size_t pos = 0;
   // A byte-order mark from an editor is not part of the first key.
   if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
      pos = 3;
   }
   unsigned lineNo = 0;
   while (pos < text.size()) {
      lineNo++;
      size_t end = text.find('\n', pos);
      size_t next = end == std::string::npos ? text.size() : end + 1;
      size_t len = (end == std::string::npos ? text.size() : end) - pos;
      if (len > 0 && text[pos + len - 1] == '\r') {
         len--;
      }
      if (len > kMaxLine) {
         error = Str_Format("line %u: line too long", lineNo);
         return false;
      }
      std::string line(text, pos, len);
      pos = next;

      size_t first = line.find_first_not_of(" \t");
      if (first == std::string::npos || line[first] == '#') {
         continue;
      }
      KeyValueEntry entry;
      std::string what;
      if (!ParseLine(line, entry, what)) {
         error = Str_Format("line %u: %s", lineNo, what.c_str());
         return false;
      }
      entries.push_back(std::move(entry));
   }
   return true;
}

bool KeyValueFile::Read(const std::string &path, std::vector<KeyValueEntry> &entries, std::string &error)
{
   std::string text;
   if (!File_Read(path, text, error)) {
      return false;
   }
   if (!Parse(text, entries, error)) {
      error = path + ": " + error;
      return false;
   }
   return true;
}

bool KeyValueFile::Read(const std::string &path, std::vector<KeyValueEntry> &entries, std::string &problem,
                        bool &missing)
{
   std::string text;
   std::string error;
   missing = false;
   if (!File_Read(path, text, error)) {
      DWORD code = GetLastError();
      missing = File_IsMissing(code);
      problem = File_Problem(path, code);
      return false;
   }
   if (!Parse(text, entries, problem)) {
      entries.clear();
      return false;
   }
   return true;
}

std::string KeyValueFile::Format(const std::vector<KeyValueEntry> &entries)
{
   std::string text;
   for (const KeyValueEntry &e : entries) {
      text += e.key;
      text += " = \"";
      for (char c : e.value) {
         switch (c) {
         case '"': text += "\\\""; break;
         case '\\': text += "\\\\"; break;
         case '\n': text += "\\n"; break;
         case '\r': text += "\\r"; break;
         case '\t': text += "\\t"; break;
         default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
               text += Str_Format("\\x%02X", static_cast<unsigned char>(c));
            } else {
               text += c;
            }
         }
      }
      text += "\"\n";
   }
   return text;
}

bool KeyValueFile::Write(const std::string &path, const std::vector<KeyValueEntry> &entries, std::string &error)
{
   // Refuse what could not be read back, rather than writing a file the parser rejects.
   for (const KeyValueEntry &e : entries) {
      bool keyOk = !e.key.empty();
      for (char c : e.key) {
         keyOk = keyOk && IsKeyChar(c);
      }
      if (!keyOk) {
         error = Str_Format("invalid key \"%s\"", e.key.c_str());
         return false;
      }
      // Escapes lengthen the line: the written line must fit too.
      if (e.value.size() > kMaxValue || Format({e}).size() - 1 > kMaxLine) {
         error = Str_Format("value of %s too long", e.key.c_str());
         return false;
      }
   }
   return File_Replace(path, Format(entries), error);
}

const std::string *KeyValueFile::Find(const std::vector<KeyValueEntry> &entries, const std::string &key)
{
   for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
      if (it->key == key) {
         return &it->value;
      }
   }
   return nullptr;
}

#include "cui/DlgScript.h"

#include <cstdlib>
#include <sstream>

#include "tremorybase/File.h"

namespace cui {

namespace {

struct KindInfo {
   const char *name;
   DlgMgr::Slot slot;
   const char *names;   // the argument names it takes, blank-separated, besides "reply"
};

const KindInfo kKinds[] = {
   {"info", DlgMgr::SLOT_INFO, "text title"},
   {"warning", DlgMgr::SLOT_WARNING, "text title"},
   {"error", DlgMgr::SLOT_ERROR, "text title"},
   {"hint", DlgMgr::SLOT_HINT, "text title key"},
   {"question", DlgMgr::SLOT_QUESTION, "text title choice cancel default icon"},
   {"squestion", DlgMgr::SLOT_SQUESTION, "text title choice cancel default key"},
   {"password", DlgMgr::SLOT_PASSWORD, "text"},
   {"activate", DlgMgr::SLOT_ACTIVATE, "text title type"},
   {"authenticate", DlgMgr::SLOT_AUTHENTICATE, "text title mode"},
   {"changePassword", DlgMgr::SLOT_CHANGE_PASSWORD, "text"},
   {"connectTo", DlgMgr::SLOT_CONNECT_TO, "text title"},
   {"progress", DlgMgr::SLOT_PROGRESS, "text cancelable percent"},
   {"fileBrowser", DlgMgr::SLOT_FILE_BROWSER, "title dir file filter index"},
   {"closeRoamingVM", DlgMgr::SLOT_CLOSE_ROAMING_VM, "sync"},
};

const KindInfo *FindKind(const std::string &name)
{
   for (const KindInfo &k : kKinds) {
      if (name == k.name) {
         return &k;
      }
   }
   return nullptr;
}

bool Takes(const KindInfo &kind, const std::string &name)
{
   std::istringstream names(kind.names);
   std::string n;
   while (names >> n) {
      if (n == name) {
         return true;
      }
   }
   return name == "reply";
}

// Splits a line into words; a quoted part of a word is unescaped. False with `what` on an
// unterminated quote or an unknown escape.
bool Tokenize(const std::string &line, std::vector<std::string> &words, std::string &what)
{
   size_t i = 0;
   while (i < line.size()) {
      if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
         ++i;
         continue;
      }
      if (line[i] == '#') {
         break;
      }
      std::string word;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
         if (line[i] != '"') {
            word += line[i++];
            continue;
         }
         ++i;
         bool closed = false;
         while (i < line.size()) {
            char c = line[i++];
            if (c == '"') {
               closed = true;
               break;
            }
            if (c != '\\') {
               word += c;
               continue;
            }
            if (i >= line.size()) {
               break;
            }
            char e = line[i++];
            switch (e) {
            case '"':
            case '\\':
               word += e;
               break;
            case 'n':
               word += '\n';
               break;
            case 't':
               word += '\t';
               break;
            default:
               what = std::string("unknown escape \\") + e;
               return false;
            }
         }
         if (!closed) {
            what = "unterminated quote";
            return false;
         }
      }
      words.push_back(word);
   }
   return true;
}

bool ParseInt(const std::string &value, int &out)
{
   if (value.empty()) {
      return false;
   }
   char *end = nullptr;
   long n = strtol(value.c_str(), &end, 10);
   if (*end != '\0' || n < -100000 || n > 100000) {
      return false;
   }
   out = static_cast<int>(n);
   return true;
}

bool ParseBool(const std::string &value, bool &out)
{
   if (value == "1" || value == "true") {
      out = true;
      return true;
   }
   if (value == "0" || value == "false") {
      out = false;
      return true;
   }
   return false;
}

bool ParseReplies(const std::string &value, std::vector<Dlg::RepliedAction> &out)
{
   std::istringstream list(value);
   std::string action;
   out.clear();
   while (std::getline(list, action, ',')) {
      if (action == "enable") {
         out.push_back(Dlg::ENABLE);
      } else if (action == "keepDisabled") {
         out.push_back(Dlg::KEEP_DISABLED);
      } else if (action == "destroy") {
         out.push_back(Dlg::DESTROY);
      } else {
         return false;
      }
   }
   return !out.empty();
}

// One "name=value" into the call; false with `what` when the name or the value is wrong.
bool Apply(DlgScriptCall &call, const std::string &name, const std::string &value, std::string &what)
{
   bool ok = true;
   if (name == "text") {
      call.text = value;
   } else if (name == "title") {
      call.title = value;
   } else if (name == "choice") {
      call.choices.push_back(value);
   } else if (name == "key") {
      // A part of a preference path: no separators, nothing a path gives meaning to.
      ok = !value.empty() && value.find_first_of("/#\\ \t\r\n") == std::string::npos;
      call.hintKey = value;
   } else if (name == "cancel") {
      ok = ParseInt(value, call.cancelIndex);
   } else if (name == "default") {
      ok = ParseInt(value, call.defaultIndex);
   } else if (name == "icon") {
      ok = ParseInt(value, call.icon) && (call.icon == 0 || call.icon == 1);
   } else if (name == "mode") {
      ok = ParseInt(value, call.mode);
   } else if (name == "type") {
      ok = ParseInt(value, call.type) && (call.type == 0 || call.type == 1);
   } else if (name == "cancelable") {
      ok = ParseBool(value, call.cancelable);
   } else if (name == "percent") {
      ok = ParseInt(value, call.percent) && call.percent >= 0 && call.percent <= 100;
   } else if (name == "sync") {
      ok = ParseBool(value, call.canSync);
   } else if (name == "dir") {
      call.dir = value;
   } else if (name == "file") {
      call.file = value;
   } else if (name == "index") {
      ok = ParseInt(value, call.filterIndex);
   } else if (name == "filter") {
      size_t bar = value.find('|');
      ok = bar != std::string::npos && bar > 0 && bar + 1 < value.size();
      if (ok) {
         std::vector<std::string> patterns;
         std::istringstream list(value.substr(bar + 1));
         std::string p;
         while (std::getline(list, p, ';')) {
            if (!p.empty()) {
               patterns.push_back(p);
            }
         }
         call.filters.push_back({value.substr(0, bar), patterns});
      }
   } else if (name == "reply") {
      ok = ParseReplies(value, call.replies);
   }
   if (!ok) {
      what = "bad value for " + name + ": " + DlgScript::Quote(value);
   }
   return ok;
}

bool ParseLine(const std::string &line, DlgScriptCall &call, std::string &what)
{
   std::vector<std::string> words;
   if (!Tokenize(line, words, what)) {
      return false;
   }
   if (words.empty()) {
      what = "no kind";
      return false;
   }
   const KindInfo *kind = FindKind(words[0]);
   if (!kind) {
      what = "unknown kind " + DlgScript::Quote(words[0]);
      return false;
   }
   call.kind = kind->name;
   call.slot = kind->slot;
   for (size_t i = 1; i < words.size(); ++i) {
      size_t equals = words[i].find('=');
      if (equals == std::string::npos || equals == 0) {
         what = "expected name=value, found " + DlgScript::Quote(words[i]);
         return false;
      }
      std::string name = words[i].substr(0, equals);
      if (!Takes(*kind, name)) {
         what = call.kind + " takes no " + name;
         return false;
      }
      if (!Apply(call, name, words[i].substr(equals + 1), what)) {
         return false;
      }
   }
   return true;
}

bool IsBlank(const std::string &line)
{
   size_t first = line.find_first_not_of(" \t\r");
   return first == std::string::npos || line[first] == '#';
}

}  // namespace

std::vector<DlgScriptCall> DlgScript::Parse(const std::string &text, std::vector<std::string> &errors)
{
   std::vector<DlgScriptCall> calls;
   std::istringstream lines(text);
   std::string line;
   int number = 0;
   while (std::getline(lines, line)) {
      ++number;
      if (IsBlank(line)) {
         continue;
      }
      DlgScriptCall call;
      call.line = number;
      std::string what;
      if (line.size() > kMaxLine) {
         what = "line too long";
      } else if (ParseLine(line, call, what)) {
         calls.push_back(call);
         continue;
      }
      errors.push_back("line " + std::to_string(number) + ": " + what);
   }
   return calls;
}

bool DlgScript::Read(const std::string &path, std::vector<DlgScriptCall> &calls, std::vector<std::string> &errors)
{
   std::string text;
   std::string error;
   if (!File_Read(path, text, error)) {
      errors.push_back("cannot read " + Quote(path));
      return false;
   }
   calls = Parse(text, errors);
   return true;
}

std::string DlgScript::Quote(const std::string &text)
{
   std::string out = "\"";
   for (char c : text) {
      switch (c) {
      case '"':
         out += "\\\"";
         break;
      case '\\':
         out += "\\\\";
         break;
      case '\n':
         out += "\\n";
         break;
      case '\t':
         out += "\\t";
         break;
      default:
         out += c;
      }
   }
   return out + "\"";
}

}  // namespace cui

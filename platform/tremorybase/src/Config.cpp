#include "tremorybase/Config.h"

#include "tremorybase/File.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace {

struct ConfigState {
   std::mutex lock;
   bool loaded = false;
   std::string fileName;
   std::map<std::string, std::string> keys;
};

ConfigState &State()
{
   static ConfigState state;
   return state;
}

std::string ConfigPath()
{
   std::string path = Config_GetEnvironment("TREMORY_CONFIG");
   if (!path.empty()) {
      return path;
   }
   std::string appData = Config_GetEnvironment("APPDATA");
   return appData.empty() ? std::string() : appData + "\\Tremory\\config";
}

// Called with the lock held. Warnings are logged after it is released (the log reads the config).
void LoadLocked(ConfigState &s, std::string &warning)
{
   s.loaded = true;
   s.fileName.clear();
   std::string path = ConfigPath();
   if (path.empty() || !File_Exists(path)) {
      return;
   }
   std::vector<KeyValueEntry> entries;
   std::string error;
   // Keys before a syntax error still count; the rest of the file is ignored.
   if (!KeyValueFile::Read(path, entries, error)) {
      warning = "Config: " + error + ".\n";
   }
   for (KeyValueEntry &e : entries) {
      s.keys[e.key] = e.value;
   }
   s.fileName = path;
}

bool Lookup(const char *key, std::string &value)
{
   ConfigState &s = State();
   std::string warning;
   bool found = false;
   {
      std::lock_guard<std::mutex> hold(s.lock);
      if (!s.loaded) {
         LoadLocked(s, warning);
      }
      auto it = s.keys.find(key ? key : "");
      if (it != s.keys.end()) {
         value = it->second;
         found = true;
      }
   }
   if (!warning.empty()) {
      Warning("%s", warning.c_str());
   }
   return found;
}

}  // namespace

std::string Config_GetEnvironment(const char *name)
{
   // GetEnvironmentVariable sees changes made with SetEnvironmentVariable, getenv does not.
   std::wstring wideName = WideFromUtf8(name ? name : "");
   std::wstring value(MAX_PATH, L'\0');
   DWORD n = GetEnvironmentVariableW(wideName.c_str(), &value[0], static_cast<DWORD>(value.size()));
   if (n >= value.size()) {
      // Too small: n is the size needed, its zero included.
      value.resize(n);
      n = GetEnvironmentVariableW(wideName.c_str(), &value[0], static_cast<DWORD>(value.size()));
   }
   if (n == 0 || n >= value.size()) {
      return std::string();
   }
   value.resize(n);
   return Utf8FromWide(value);
}

std::string Config_GetString(const char *key, const char *defaultValue)
{
   std::string value;
   if (Lookup(key, value)) {
      return value;
   }
   return defaultValue ? defaultValue : "";
}

bool Config_GetBool(const char *key, bool defaultValue)
{
   std::string value;
   if (!Lookup(key, value)) {
      return defaultValue;
   }
   if (!lstrcmpiA(value.c_str(), "true") || value == "1" || !lstrcmpiA(value.c_str(), "yes")) {
      return true;
   }
   if (!lstrcmpiA(value.c_str(), "false") || value == "0" || !lstrcmpiA(value.c_str(), "no")) {
      return false;
   }
   return defaultValue;
}

long Config_GetLong(const char *key, long defaultValue)
{
   std::string value;
   if (!Lookup(key, value) || value.empty()) {
      return defaultValue;
   }
   // Decimal unless marked hexadecimal: a leading zero is not octal here.
   const char *text = value.c_str();
   int base = (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) ? 16 : 10;
   char *end = nullptr;
   long n = strtol(text, &end, base);
   return *end == '\0' ? n : defaultValue;
}

void Config_Set(const char *key, const char *value)
{
   ConfigState &s = State();
   std::string warning;
   {
      std::lock_guard<std::mutex> hold(s.lock);
      if (!s.loaded) {
         LoadLocked(s, warning);
      }
      s.keys[key ? key : ""] = value ? value : "";
   }
   if (!warning.empty()) {
      Warning("%s", warning.c_str());
   }
}

bool Config_SetAssignment(const char *assignment)
{
   const char *eq = assignment ? strchr(assignment, '=') : nullptr;
   if (!eq || eq == assignment) {
      return false;
   }
   std::string key(assignment, eq - assignment);
   Config_Set(key.c_str(), eq + 1);
   return true;
}

std::string Config_GetFileName()
{
   ConfigState &s = State();
   std::string warning;
   std::string name;
   {
      std::lock_guard<std::mutex> hold(s.lock);
      if (!s.loaded) {
         LoadLocked(s, warning);
      }
      name = s.fileName;
   }
   if (!warning.empty()) {
      Warning("%s", warning.c_str());
   }
   return name;
}

void Config_Reload()
{
   ConfigState &s = State();
   std::lock_guard<std::mutex> hold(s.lock);
   s.loaded = false;
   s.keys.clear();
   s.fileName.clear();
}

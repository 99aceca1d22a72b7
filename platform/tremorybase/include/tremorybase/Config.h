// Configuration keys: "name = "value"" lines from %APPDATA%\Tremory\config, or from the file
// that the environment variable TREMORY_CONFIG names. Loaded on first use; Config_Set adds or
// replaces a key for this run only.
#pragma once

#include <string>

std::string Config_GetString(const char *key, const char *defaultValue);
bool Config_GetBool(const char *key, bool defaultValue);   // "true"/"false", "1"/"0", "yes"/"no"
long Config_GetLong(const char *key, long defaultValue);
void Config_Set(const char *key, const char *value);
// Config_Set from a "NAME=VALUE" text (the form of a -s option). False when there is no '=' or
// no name.
bool Config_SetAssignment(const char *assignment);
// The file the keys were read from (empty when none was found).
std::string Config_GetFileName();
// The environment variable `name` as UTF-8, as this process sees it now; empty when unset.
std::string Config_GetEnvironment(const char *name);
// Forgets every key and reads the file again at next use (tests).
void Config_Reload();

#include "tremsim/SimHostSettings.h"

#include <windows.h>

#include <algorithm>

#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "SimHostPath.h"
#include "tremorybase/File.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Log.h"
#include "vmdb/Store.h"

namespace cuisim {

namespace {

const char kValues[] = "settingsState/val/";
const char kPolicies[] = "policy/";
const long kMinReservedMB = 4;
// The code of a request made over settings that changed meanwhile.
const char kChangedMeanwhileCode[] = "0x80040114";

bool IsNumber(const std::string &text)
{
   return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}

bool StartsWith(const std::string &text, const char *prefix)
{
   return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// The folder exists or can be made, and a file can be written into it.
std::string FolderRefusal(const std::string &folder)
{
   if (folder.find_first_not_of(" \t") == std::string::npos) {
      return cui::GetLocalString("@&!*@*@(msg.host.settings.noFolder)No default folder for virtual machines was given.");
   }
   std::string probe = cuiutil::WithoutSlash(folder);
   while (!probe.empty() && (probe.back() == '\\' || probe.back() == '/')) {
      probe.pop_back();
   }
   probe += "\\~settings-check.tmp";
   std::string detail;
   if (!File_MakeFolders(folder) || !File_IsFolder(folder) || !File_Replace(probe, "", detail)) {
      return cui::Format("@&!*@*@(msg.host.settings.folderUnwritable)The folder \"%s\" cannot be used for virtual "
                         "machines: it cannot be created or written to.",
                         folder.c_str());
   }
   File_Delete(probe);
   return std::string();
}

std::string ChoiceRefusal(const std::string &key, const std::string &value, std::initializer_list<const char *> known)
{
   for (const char *choice : known) {
      if (value == choice) {
         return std::string();
      }
   }
   return cui::Format("@&!*@*@(msg.host.settings.badChoice)The host does not know the setting \"%s\" for \"%s\".",
                      value.c_str(), key.c_str());
}

}  // namespace

std::string SimHostSettings::SettingsFile(const std::string &hostPath) const
{
   std::string list = registry_.ListFile(hostPath);
   size_t dot = list.rfind('.');
   return list.empty() || dot == std::string::npos ? std::string() : list.substr(0, dot) + ".settings";
}

long SimHostSettings::HostMemoryMB(const std::string &hostPath) const
{
   long memory = ctx_.GetInt(cuiutil::WithSlash(hostPath) + "info/memoryMB", 0);
   if (memory <= 0) {
      MEMORYSTATUSEX status = {};
      status.dwLength = sizeof status;
      if (GlobalMemoryStatusEx(&status)) {
         memory = static_cast<long>(status.ullTotalPhys / (1024 * 1024));
      }
   }
   return memory;
}

std::vector<std::pair<std::string, std::string>> SimHostSettings::Defaults(const std::string &hostPath) const
{
   // A quarter of the memory stays with the host, in whole 4 MB steps.
   long reserved = std::max(kMinReservedMB, HostMemoryMB(hostPath) * 3 / 4 / 4 * 4);
   return {{"memory/max", std::to_string(reserved)}, {"memory/swap", "some"},
           {"priority/grabbed", "normal"},           {"priority/ungrabbed", "normal"},
           {"devices/disableAutorun", "1"},          {"devices/usbAutoConnect", "1"},
           {"connections/port", "4030"},             {"connections/remoteAllowed", "0"},
           {"tools/autoUpgrade", "0"}};
}

std::string SimHostSettings::Check(const std::string &hostPath, const std::string &key, const std::string &value) const
{
   if (key == "defaultVmPath") {
      return FolderRefusal(value);
   }
   if (key == "memory/max") {
      long memory = HostMemoryMB(hostPath);
      if (!IsNumber(value) || std::stol(value) < kMinReservedMB) {
         return cui::Format("@&!*@*@(msg.host.settings.memoryNumber)The reserved memory \"%s\" is not a number of "
                            "megabytes of at least %ld.",
                            value.c_str(), kMinReservedMB);
      }
      if (memory > 0 && std::stol(value) > memory) {
         return cui::Format("@&!*@*@(msg.host.settings.memoryTooLarge)The reserved memory of %s MB is more than the "
                            "%ld MB of memory the host has.",
                            value.c_str(), memory);
      }
      return std::string();
   }
   if (key == "memory/swap") {
      return ChoiceRefusal(key, value, {"fit", "some", "most"});
   }
   if (key == "priority/grabbed") {
      return ChoiceRefusal(key, value, {"normal", "high"});
   }
   if (key == "priority/ungrabbed") {
      return ChoiceRefusal(key, value, {"normal", "low"});
   }
   if (key == "connections/port" && (!IsNumber(value) || std::stol(value) < 1 || std::stol(value) > 65535)) {
      return cui::Format("@&!*@*@(msg.host.settings.badPort)The port \"%s\" is not a number from 1 to 65535.",
                         value.c_str());
   }
   return std::string();
}

std::vector<std::pair<std::string, std::string>> SimHostSettings::Values(const std::string &root) const
{
   std::vector<std::pair<std::string, std::string>> values;
   std::vector<std::string> pending = {""};
   while (!pending.empty()) {
      std::string key = pending.back();
      pending.pop_back();
      std::string path = cuiutil::WithoutSlash(root + key);
      std::vector<std::string> children = ctx_.Children(path);
      std::string value;
      if (!key.empty() && ctx_.Get(path, value) && (children.empty() || !value.empty())) {
         values.emplace_back(key, value);
      }
      for (auto it = children.rbegin(); it != children.rend(); ++it) {
         pending.push_back(key + *it + "/");
      }
   }
   for (auto &entry : values) {
      entry.first = cuiutil::WithoutSlash(entry.first);
   }
   return values;
}

void SimHostSettings::ApplyPolicies(const std::string &hostPath,
                                    const std::vector<std::pair<std::string, std::string>> &values)
{
   for (const auto &entry : values) {
      if (StartsWith(entry.first, kPolicies)) {
         ctx_.Set(hostPath + entry.first, entry.second);
      }
   }
}

void SimHostSettings::LoadHost(const std::string &hostPath)
{
   const std::string host = cuiutil::WithSlash(hostPath);
   if (host.empty() || loaded_.count(host) || !ctx_.Exists(cuiutil::WithoutSlash(host))) {
      return;
   }
   loaded_.insert(host);
   std::vector<KeyValueEntry> entries;
   const std::string file = SettingsFile(host);
   std::string problem;
   bool missing = false;
   if (!file.empty() && !KeyValueFile::Read(file, entries, problem, missing) && !missing) {
      Warning("SimHost: the settings of %s were not read from %s: %s; the file is kept as it is and not written "
              "while it cannot be read\n",
              host.c_str(), file.c_str(), problem.c_str());
      unreadable_.insert(host);
   }
   std::vector<std::pair<std::string, std::string>> loaded;
   for (const KeyValueEntry &entry : entries) {
      // Keys are paths below "val/": nothing that climbs out of it.
      if (!entry.key.empty() && entry.key[0] != '/' && entry.key.find("..") == std::string::npos) {
         loaded.emplace_back(entry.key, entry.value);
      }
   }
   vmdb::Batch batch(ctx_);
   for (const auto &entry : loaded) {
      ctx_.Set(host + kValues + entry.first, entry.second);
   }
   for (const auto &entry : Defaults(host)) {
      if (!ctx_.Exists(host + kValues + entry.first)) {
         ctx_.Set(host + kValues + entry.first, entry.second);
      }
   }
   if (!ctx_.Exists(host + "settingsState/version")) {
      ctx_.Set(host + "settingsState/version", "1");
   }
   ApplyPolicies(host, loaded);
   if (!loaded.empty()) {
      Log("SimHost: %u settings of %s from %s\n", static_cast<unsigned>(loaded.size()), host.c_str(), file.c_str());
   }
}

std::string SimHostSettings::RequireReadableFile(const std::string &host)
{
   const std::string file = SettingsFile(host);
   std::vector<KeyValueEntry> entries;
   std::string problem;
   bool missing = false;
   if (file.empty() || KeyValueFile::Read(file, entries, problem, missing) || missing) {
      // Mended since it could not be read: its values come first, the request goes over them.
      if (unreadable_.erase(host)) {
         loaded_.erase(host);
         LoadHost(host);
      }
      return std::string();
   }
   Warning("SimHost: the settings of %s are not saved: %s cannot be read (%s)\n", host.c_str(), file.c_str(),
           problem.c_str());
   return cui::Format("@&!*@*@(msg.host.settings.unreadable)The host settings were not saved: the settings file "
                      "\"%s\" cannot be read (%s). It is kept as it is; mend or remove it, then try again.",
                      file.c_str(), problem.c_str());
}

void SimHostSettings::OnHostChange(const std::string &changedPath)
{
   FollowHostChange(ctx_, changedPath, loaded_, [this](const std::string &host) { LoadHost(host); });
}

std::string SimHostSettings::Accept(const std::string &statePath, const std::string &element)
{
   const std::string host = HostOfPath(statePath);
   if (host.empty()) {
      return std::string();
   }
   LoadHost(host);
   const std::string state = cuiutil::WithSlash(statePath);
   const std::string request = cuiutil::WithSlash(element);
   const long version = ctx_.GetInt(state + "version", 0);
   std::string base;
   if (ctx_.Get(request + "baseVersion", base) && !base.empty() && base != std::to_string(version)) {
      ctx_.Set(request + "status/error/code", kChangedMeanwhileCode);
      return cui::GetLocalString("@&!*@*@(msg.host.settings.changedMeanwhile)The host settings were changed by "
                                 "another client while these changes were made.");
   }
   std::string refusal = RequireReadableFile(host);
   if (!refusal.empty()) {
      return refusal;
   }
   const std::vector<std::pair<std::string, std::string>> asked = Values(request + "val/");
   for (const auto &entry : asked) {
      refusal = Check(host, entry.first, entry.second);
      if (!refusal.empty()) {
         return refusal;
      }
   }
   // The settings as they will be once merged, written before the merge: a file that cannot be
   // written refuses the request and leaves the host as it was.
   std::vector<std::pair<std::string, std::string>> merged = Values(host + kValues);
   for (const auto &entry : asked) {
      auto same = [&entry](const std::pair<std::string, std::string> &v) { return v.first == entry.first; };
      auto it = std::find_if(merged.begin(), merged.end(), same);
      if (it == merged.end()) {
         merged.push_back(entry);
      } else {
         it->second = entry.second;
      }
   }
   const std::string file = SettingsFile(host);
   if (!file.empty()) {
      std::vector<KeyValueEntry> entries;
      for (const auto &entry : merged) {
         entries.push_back({entry.first, entry.second});
      }
      size_t slash = file.find_last_of("\\/");
      std::string error;
      if ((slash != std::string::npos && !File_MakeFolders(file.substr(0, slash))) ||
          !KeyValueFile::Write(file, entries, error)) {
         return cui::Format("@&!*@*@(msg.host.settings.unwritable)The host settings could not be saved in \"%s\": %s",
                            file.c_str(), error.empty() ? "the folder cannot be written to" : error.c_str());
      }
   }
   ApplyPolicies(host, asked);
   ctx_.Set(state + "version", std::to_string(version + 1));
   Log("SimHost: %u host settings of %s changed\n", static_cast<unsigned>(asked.size()), host.c_str());
   return std::string();
}

}  // namespace cuisim

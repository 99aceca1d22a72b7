#include "tremsim/SimRegistry.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

#include "cui/Error.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "SimHostPath.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"
#include "tremsim/SimVmxConfig.h"
#include "vmdb/Store.h"

namespace cuisim {

namespace {

const char kRegistered[] = "vms/registeredvms/";
// A list file larger than this is not a list this host wrote, nor a line longer than the
// longest path (32767 UTF-16 units, each at most 3 bytes of UTF-8).
const size_t kMaxListBytes = 4 * 1024 * 1024;
const size_t kMaxLineBytes = 32767 * 3;

bool EndsWithVmx(const std::string &path)
{
   return path.size() > 4 && cuiutil::SameFilePath(path.substr(path.size() - 4), ".vmx");
}

vmdbstore::Store &StoreOf(const vmdb::Ctx &ctx)
{
   return vmdbstore::ContextFromRawHandle(ctx.GetRawHandle())->GetStore();
}

// A line of a list this host wrote: an absolute path in UTF-8 text. Empty when it is one, else
// what is wrong with it.
std::string LineProblem(const std::string &line)
{
   if (line.size() > kMaxLineBytes) {
      return "too long";
   }
   for (char c : line) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
         return "not text";
      }
   }
   if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, line.data(), static_cast<int>(line.size()), nullptr, 0) ==
       0) {
      return "not UTF-8 text";
   }
   bool drive = line.size() >= 3 && std::isalpha(static_cast<unsigned char>(line[0])) && line[1] == ':' &&
                (line[2] == '\\' || line[2] == '/');
   bool share = line.size() >= 3 && (line[0] == '\\' || line[0] == '/') && (line[1] == '\\' || line[1] == '/');
   return drive || share ? std::string() : "not the full path of a file";
}

}  // namespace

const char SimRegistry::kLocalHost[] = "/host2/#0000/";

void SimRegistry::RegisterOps(SimCmdOwner &hostCmds)
{
   hostCmds.Register("registerVM", [this](SimCommand &cmd) { Register(cmd.Owner(), cmd.In("cfgPath")); });
   hostCmds.Register("unregisterVM", [this](SimCommand &cmd) { Unregister(cmd.Owner(), cmd.In("cfgPath")); });
}

std::string SimRegistry::HostName(const std::string &hostPath) const
{
   std::string name = ctx_.Get(hostPath + "name");
   if (name.empty()) {
      name = hostPath == kLocalHost ? "localhost" : "host" + hostPath.substr(std::string("/host2/#").size());
   }
   // The name becomes a file name: letters, digits, '.', '-', '_' and the bytes of characters
   // beyond ASCII (a name in any script) stay.
   for (char &c : name) {
      unsigned char byte = static_cast<unsigned char>(c);
      if (byte < 0x80 && !std::isalnum(byte) && c != '.' && c != '-' && c != '_') {
         c = '_';
      }
   }
   while (!name.empty() && name[0] == '.') {
      name.erase(0, 1);
   }
   return name.empty() ? "host" : name;
}

std::string SimRegistry::ListFile(const std::string &hostPath) const
{
   std::string folder = Config_GetString("test.host.vmListFolder", "");
   if (folder.empty()) {
      const std::string &userFile = StoreOf(ctx_).UserFile();
      if (userFile.empty()) {
         return std::string();
      }
      size_t slash = userFile.find_last_of("\\/");
      folder = (slash == std::string::npos ? std::string() : userFile.substr(0, slash + 1)) + "Hosts";
   }
   while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
      folder.pop_back();
   }
   return folder + "\\" + HostName(cuiutil::WithSlash(hostPath)) + ".vms";
}

bool SimRegistry::ReadList(const std::string &file, std::vector<std::string> &paths, std::string &error)
{
   paths.clear();
   std::string text;
   std::string detail;
   if (!File_Read(file, text, detail, kMaxListBytes)) {
      DWORD code = GetLastError();
      if (File_IsMissing(code)) {
         return true;
      }
      error = File_Problem(file, code);
      return false;
   }
   unsigned lineNo = 0;
   for (size_t pos = 0; pos < text.size();) {
      ++lineNo;
      size_t end = text.find('\n', pos);
      std::string line = text.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
      pos = end == std::string::npos ? text.size() : end + 1;
      size_t first = line.find_first_not_of(" \t\r");
      if (first == std::string::npos) {
         continue;
      }
      line = line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
      std::string problem = LineProblem(line);
      if (!problem.empty()) {
         error = "line " + std::to_string(lineNo) + ": " + problem;
         paths.clear();
         return false;
      }
      paths.push_back(line);
   }
   // Every line this host writes ends with its line end: a list without one was cut short.
   if (!text.empty() && text.back() != '\n') {
      error = "it ends in the middle of a line";
      paths.clear();
      return false;
   }
   return true;
}

bool SimRegistry::WriteList(const std::string &file, const std::vector<std::string> &paths, std::string &error)
{
   size_t slash = file.find_last_of("\\/");
   if (slash != std::string::npos && !File_MakeFolders(file.substr(0, slash))) {
      error = File_Problem(file.substr(0, slash), GetLastError());
      return false;
   }
   std::string text;
   for (const std::string &path : paths) {
      text += path + "\r\n";
   }
   std::string detail;
   if (!File_Replace(file, text, detail)) {
      error = File_Problem(file, GetLastError());
      return false;
   }
   return true;
}

std::vector<std::string> SimRegistry::Listed(const std::string &hostPath) const
{
   std::vector<std::string> paths;
   for (const std::string &element : ctx_.Elements(hostPath + kRegistered + "#")) {
      std::string path = ctx_.Get(element + "cfgPath");
      if (!path.empty()) {
         paths.push_back(path);
      }
   }
   return paths;
}

std::string SimRegistry::FindEntry(const std::string &hostPath, const std::string &fullPath) const
{
   for (const std::string &element : ctx_.Elements(hostPath + kRegistered + "#")) {
      std::string path = ctx_.Get(element + "cfgPath");
      if (!path.empty() && cuiutil::SameFilePath(cuiutil::FullFilePath(path), fullPath)) {
         return element;
      }
   }
   return std::string();
}

void SimRegistry::LoadHost(const std::string &hostPath)
{
   const std::string host = cuiutil::WithSlash(hostPath);
   if (host.empty() || loaded_.count(host) || !ctx_.Exists(cuiutil::WithoutSlash(host))) {
      return;
   }
   loaded_.insert(host);
   std::string file;
   std::vector<std::string> paths;
   std::string error;
   if (!ReadHostList(host, file, paths, error)) {
      Warning("SimHost: the registered virtual machines of %s were not read from %s: %s; the list is kept as it is "
              "and not changed while it cannot be read\n",
              host.c_str(), file.c_str(), error.c_str());
      // Told once a run, however often the host comes and goes.
      if (unreadable_.insert(host).second) {
         StoreOf(ctx_).AddNotice(vmdbstore::kNoticeVmList, file, error, ctx_.Get(host + "name"));
      }
      return;
   }
   if (!file.empty()) {
      AddListed(host, paths, file);
   }
}

bool SimRegistry::ReadHostList(const std::string &host, std::string &file, std::vector<std::string> &paths,
                               std::string &error) const
{
   file = ListFile(host);
   return file.empty() || ReadList(file, paths, error);
}

void SimRegistry::AddListed(const std::string &host, const std::vector<std::string> &paths, const std::string &file)
{
   std::vector<std::string> listed = Listed(host);
   vmdb::Batch batch(ctx_);
   size_t added = 0;
   for (const std::string &path : paths) {
      bool known = std::any_of(listed.begin(), listed.end(),
                               [&path](const std::string &l) { return cuiutil::SameFilePath(l, path); });
      if (!known) {
         ctx_.Set(ctx_.Append(host + kRegistered + "##") + "cfgPath", path);
         listed.push_back(path);
         ++added;
      }
   }
   Log("SimHost: %u registered virtual machines of %s from %s\n", static_cast<unsigned>(added), host.c_str(),
       file.c_str());
}

void SimRegistry::RequireReadableList(const std::string &host)
{
   std::string file;
   std::vector<std::string> paths;
   std::string error;
   if (!ReadHostList(host, file, paths, error)) {
      Warning("SimHost: %s cannot be read (%s): registrations on %s are refused\n", file.c_str(), error.c_str(),
              host.c_str());
      throw cui::Error(cui::Format("@&!*@*@(msg.host.registration.unreadable)The list of virtual machines registered "
                                   "on this host, \"%s\", cannot be read (%s). It is kept as it is, and no virtual "
                                   "machine can be registered or removed until the file is mended or removed.",
                                   file.c_str(), error.c_str()));
   }
   // Mended since it was found unreadable: what it lists comes first.
   if (unreadable_.erase(host) && !file.empty()) {
      AddListed(host, paths, file);
   }
}

void SimRegistry::OnHostChange(const std::string &changedPath)
{
   FollowHostChange(ctx_, changedPath, loaded_, [this](const std::string &host) { LoadHost(host); });
}

void SimRegistry::Save(const std::string &hostPath, const std::vector<std::string> &paths) const
{
   const std::string file = ListFile(hostPath);
   std::string error;
   if (!file.empty() && !WriteList(file, paths, error)) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.registration.unwritable)The list of registered virtual machines "
                                   "\"%s\" could not be saved: %s",
                                   file.c_str(), error.c_str()));
   }
}

void SimRegistry::Register(const std::string &hostPath, const std::string &cfgPath)
{
   if (cfgPath.empty()) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.registration.noPath)No virtual machine configuration file "
                                           "was given."));
   }
   const std::string host = cuiutil::WithSlash(hostPath);
   const std::string full = cuiutil::FullFilePath(cfgPath);
   if (!EndsWithVmx(full)) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.registration.notVmx)\"%s\" is not a virtual machine "
                                   "configuration file: its name does not end in \".vmx\".",
                                   cfgPath.c_str()));
   }
   SimVmxConfig config;
   std::string error;
   if (!config.Load(full, error)) {
      throw cui::Error(error);
   }
   LoadHost(host);
   RequireReadableList(host);
   if (!FindEntry(host, full).empty()) {
      Log("SimHost: %s is registered on %s already\n", full.c_str(), host.c_str());
      return;
   }
   std::vector<std::string> paths = Listed(host);
   paths.push_back(full);
   Save(host, paths);
   ctx_.Set(ctx_.Append(host + kRegistered + "##") + "cfgPath", full);
   Log("SimHost: registered %s on %s\n", full.c_str(), host.c_str());
}

void SimRegistry::Unregister(const std::string &hostPath, const std::string &cfgPath)
{
   if (cfgPath.empty()) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.registration.noPath)No virtual machine configuration file "
                                           "was given."));
   }
   const std::string host = cuiutil::WithSlash(hostPath);
   LoadHost(host);
   RequireReadableList(host);
   const std::string entry = FindEntry(host, cuiutil::FullFilePath(cfgPath));
   if (entry.empty()) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.registration.notListed)The virtual machine \"%s\" is not "
                                   "registered on this host.",
                                   cfgPath.c_str()));
   }
   const std::string listedPath = ctx_.Get(entry + "cfgPath");
   std::vector<std::string> paths = Listed(host);
   paths.erase(std::remove(paths.begin(), paths.end(), listedPath), paths.end());
   Save(host, paths);
   ctx_.Remove(entry, true);
   Log("SimHost: unregistered %s from %s\n", listedPath.c_str(), host.c_str());
}

}  // namespace cuisim

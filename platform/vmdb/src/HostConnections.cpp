#include "HostConnections.h"

#include "tremorybase/Config.h"

#include <algorithm>
#include <cctype>

namespace vmdb {

const char HostConnections::kConnections[] = "/db/connection/";
const char HostConnections::kProductName[] = "Tremory Deskmoor";
const char HostConnections::kProductVersion[] = "6.0.0";

namespace {

std::string Lower(std::string text)
{
   std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
   return text;
}

std::string WithSlash(std::string path)
{
   if (!path.empty() && path.back() != '/') {
      path += '/';
   }
   return path;
}

// True when `dest` (or its host name) is one of the comma-separated names of `list`.
bool Listed(const std::string &list, const std::string &dest)
{
   std::string name = HostConnections::HostName(dest);
   for (size_t pos = 0;;) {
      size_t end = list.find(',', pos);
      std::string item = list.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
      size_t first = item.find_first_not_of(' ');
      if (first != std::string::npos) {
         item = Lower(item.substr(first, item.find_last_not_of(' ') - first + 1));
         if (item == Lower(dest) || item == name) {
            return true;
         }
      }
      if (end == std::string::npos) {
         return false;
      }
      pos = end + 1;
   }
}

}  // namespace

HostConnections::HostConnections(vmdbstore::Context &ctx, std::string localHost)
   : ctx_(ctx), local_(std::move(localHost)), current_(local_)
{
}

std::string HostConnections::HostName(const std::string &dest)
{
   size_t first = dest.find_first_not_of(' ');
   if (first == std::string::npos) {
      return std::string();
   }
   std::string name = dest.substr(first, dest.find_last_not_of(' ') - first + 1);
   return Lower(name.substr(0, name.find(':')));
}

std::string HostConnections::Connect(const std::string &dest, const std::string &user, const std::string &password)
{
   std::string name = HostName(dest);
   std::string host;
   if (name.empty() || name == "localhost") {
      host = local_;
   } else if (!Listed(Config_GetString("test.remoteHosts", ""), dest)) {
      throw ConnectionError(E_FAIL, "Cannot connect to host " + dest);
   } else {
      std::string required = Config_GetString("test.remotePassword", "");
      if (!required.empty() && password != required) {
         throw ConnectionError(E_ACCESSDENIED, "Incorrect user name or password.");
      }
      host = RemoteHost(name);
   }
   ctx_.OpenBatch();
   try {
      std::string cnx = ctx_.AppendElement(std::string(kConnections) + "##");
      ctx_.Write(cnx + "dest", dest);
      ctx_.Write(cnx + "user", user);
      ctx_.Write(cnx + "lastError", "0");
      std::string slot = ctx_.AppendElement(cnx + "hosts/##");
      ctx_.Write(slot.substr(0, slot.size() - 1), host);
      ctx_.CloseBatch();
      return cnx;
   } catch (...) {
      ctx_.CloseBatch();
      throw;
   }
}

std::string HostConnections::RemoteHost(const std::string &name)
{
   for (std::string e = ctx_.NextElement("/host2/#"); !e.empty(); e = ctx_.NextElement(e)) {
      if (e != local_ && Lower(ctx_.Read(e + "name")) == name) {
         return e;
      }
   }
   ctx_.OpenBatch();
   try {
      std::string host = ctx_.AppendElement("/host2/##");
      ctx_.Write(host + "name", name);
      ctx_.Write(host + "setup/product/name", kProductName);
      ctx_.Write(host + "setup/product/versionDotted", kProductVersion);
      ctx_.Write(host + "vms/registeredvms", "");
      ctx_.Write(host + "util/vm/cmd", "");
      ctx_.CloseBatch();
      return host;
   } catch (...) {
      ctx_.CloseBatch();
      throw;
   }
}

std::string HostConnections::Checked(const std::string &cnxPath) const
{
   std::string cnx = WithSlash(cnxPath);
   if (cnx.compare(0, sizeof kConnections - 1, kConnections) != 0 || !ctx_.Exists(cnx + "lastError")) {
      throw ConnectionError(E_INVALIDARG, "VMClient: no connection " + cnxPath);
   }
   return cnx;
}

std::vector<std::string> HostConnections::Hosts(const std::string &cnx) const
{
   std::vector<std::string> hosts;
   for (std::string e = ctx_.NextElement(cnx + "hosts/#"); !e.empty(); e = ctx_.NextElement(e)) {
      hosts.push_back(ctx_.Read(e.substr(0, e.size() - 1)));
   }
   return hosts;
}

long HostConnections::HostCount(const std::string &cnxPath) const
{
   return static_cast<long>(Hosts(Checked(cnxPath)).size());
}

std::string HostConnections::HostPath(const std::string &cnxPath, long index) const
{
   std::vector<std::string> hosts = Hosts(Checked(cnxPath));
   if (index < 0 || static_cast<size_t>(index) >= hosts.size()) {
      throw ConnectionError(E_INVALIDARG, "VMClient: the connection has no host " + std::to_string(index));
   }
   return hosts[index];
}

void HostConnections::Attach(const std::string &cnxPath, const std::string &hostPath)
{
   std::string cnx = Checked(cnxPath);
   std::vector<std::string> hosts = Hosts(cnx);
   std::string host = WithSlash(hostPath);
   if (std::find(hosts.begin(), hosts.end(), host) == hosts.end()) {
      throw ConnectionError(E_INVALIDARG, "VMClient: " + hostPath + " is no host of " + cnxPath);
   }
   ctx_.Write(cnx + "attachedHost", host);
   current_ = host;
}

void HostConnections::Release(const std::string &hostPath)
{
   std::string host = WithSlash(hostPath);
   for (std::string e = ctx_.NextElement(std::string(kConnections) + "#"); !e.empty();
        e = ctx_.NextElement(e)) {
      if (ctx_.Read(e + "attachedHost") == host) {
         ctx_.Remove(e + "attachedHost", true);
      }
   }
   if (current_ == host) {
      current_ = local_;
   }
}

void HostConnections::Disconnect(const std::string &cnxPath)
{
   std::string cnx = Checked(cnxPath);
   std::vector<std::string> hosts = Hosts(cnx);
   ctx_.Remove(cnx, true);
   for (const std::string &host : hosts) {
      if (current_ == host) {
         current_ = local_;
      }
      bool used = host == local_;
      for (std::string e = ctx_.NextElement(std::string(kConnections) + "#"); !used && !e.empty();
           e = ctx_.NextElement(e)) {
         std::vector<std::string> others = Hosts(e);
         used = std::find(others.begin(), others.end(), host) != others.end();
      }
      if (!used) {
         ctx_.Remove(host, true);
      }
   }
}

}  // namespace vmdb

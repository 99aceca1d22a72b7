#include "HostConnections.h"

#include "tremorybase/Poll.h"

#include <algorithm>
#include <cctype>

namespace vmdb {

const char HostConnections::kConnections[] = "/db/connection/";
const char HostConnections::kProductName[] = "Tremory Deskmoor";
const char HostConnections::kProductVersion[] = "6.0.0";
const char HostConnections::kRemoteOs[] = "Linux 2.6";

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

// Waits for an answer that never comes, for `ms`, pumping messages as a blocking call of a
// single-threaded apartment does, so the program's windows still paint meanwhile.
void WaitForNoAnswer(long ms)
{
   const DWORD start = GetTickCount();
   while (static_cast<long>(GetTickCount() - start) < ms) {
      Poll_Step(50);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
         if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
         }
         TranslateMessage(&msg);
         DispatchMessageW(&msg);
      }
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
   std::string account = user;
   if (name.empty() || name == "localhost") {
      host = local_;
   } else {
      Destination parsed;
      std::string error;
      if (!ParseDestination(dest, parsed, error)) {
         throw ConnectionError(E_INVALIDARG, error);
      }
      RemoteHost remote;
      if (!RemoteHosts::Find(parsed.host, remote)) {
         throw ConnectionError(E_FAIL, "Cannot connect to host " + dest);
      }
      if (parsed.port && parsed.port != remote.port) {
         throw ConnectionError(HRESULT_FROM_WIN32(ERROR_CONNECTION_REFUSED),
                               "The host " + remote.name + " refused the connection on port " +
                                  std::to_string(parsed.port) + ".");
      }
      if (remote.noAnswer) {
         const long ms = RemoteHosts::ConnectTimeoutMs();
         WaitForNoAnswer(ms);
         const long seconds = (ms + 999) / 1000;
         throw ConnectionError(HRESULT_FROM_WIN32(ERROR_TIMEOUT),
                               "The host " + remote.name + " did not answer within " + std::to_string(seconds) +
                                  (seconds == 1 ? " second." : " seconds."));
      }
      if (account.empty()) {
         account = parsed.user;
      }
      if (!RemoteHosts::Accepts(remote, account, password)) {
         throw ConnectionError(E_ACCESSDENIED, "Incorrect user name or password.");
      }
      host = MakeRemoteHost(remote);
   }
   ctx_.OpenBatch();
   try {
      std::string cnx = ctx_.AppendElement(std::string(kConnections) + "##");
      ctx_.Write(cnx + "dest", dest);
      ctx_.Write(cnx + "user", account);
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

std::string HostConnections::MakeRemoteHost(const RemoteHost &remote)
{
   for (std::string e = ctx_.NextElement("/host2/#"); !e.empty(); e = ctx_.NextElement(e)) {
      if (e != local_ && Lower(ctx_.Read(e + "name")) == remote.name) {
         return e;
      }
   }
   ctx_.OpenBatch();
   try {
      std::string host = ctx_.AppendElement("/host2/##");
      ctx_.Write(host + "name", remote.name);
      ctx_.Write(host + "setup/product/name", kProductName);
      ctx_.Write(host + "setup/product/versionDotted", kProductVersion);
      ctx_.Write(host + "info/hostname", remote.name);
      ctx_.Write(host + "info/osVersion", kRemoteOs);
      ctx_.Write(host + "info/memoryMB", "8192");
      ctx_.Write(host + "vms/registeredvms", "");
      for (const std::string &vm : remote.vms) {
         ctx_.Write(ctx_.AppendElement(host + "vms/registeredvms/##") + "cfgPath", vm);
      }
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

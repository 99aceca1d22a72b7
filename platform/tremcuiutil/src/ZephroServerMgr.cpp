#include "cui/ZephroServerMgr.h"

#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace cui {

namespace {

ZephroServerMgrImpl *gInstance = nullptr;

const int kSecurePort = 443;
const int kPlainPort = 80;
const int kMaxPort = 65535;

bool StartsWith(const std::string &text, const char *prefix)
{
   const size_t length = strlen(prefix);
   if (text.size() < length) {
      return false;
   }
   for (size_t i = 0; i < length; ++i) {
      if (tolower(static_cast<unsigned char>(text[i])) != prefix[i]) {
         return false;
      }
   }
   return true;
}

// A host name or an IPv4 literal: letters, digits, '-', '.' and '_', not starting with '.' or '-'.
bool IsHostName(const std::string &host)
{
   if (host.empty() || host[0] == '.' || host[0] == '-') {
      return false;
   }
   return std::all_of(host.begin(), host.end(), [](char c) {
      return isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_' ||
             static_cast<unsigned char>(c) >= 0x80;
   });
}

bool IsIPv6Literal(const std::string &host)
{
   return !host.empty() && host.find(':') != std::string::npos &&
          std::all_of(host.begin(), host.end(), [](char c) { return isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.'; });
}

}  // namespace

ZephroServer::ZephroServer(std::string host, int port, bool flag) : host_(std::move(host)), port_(port), flag_(flag) {}

ZephroServer::~ZephroServer() = default;

std::string ZephroServer::GetID() const
{
   return zephroutil::AddressToString(host_, port_, flag_);
}

void ZephroServer::GetAddress(std::string &host, int &port, bool &flag) const
{
   host = host_;
   port = port_;
   flag = flag_;
}

ZephroServerMgr::~ZephroServerMgr() = default;

ZephroServerMgrImpl::ZephroServerMgrImpl() : alive_(std::make_shared<bool>(true))
{
   gInstance = this;
}

ZephroServerMgrImpl::~ZephroServerMgrImpl()
{
   *alive_ = false;
   for (ZephroServer *server : servers_) {
      delete server;
   }
   if (gInstance == this) {
      gInstance = nullptr;
   }
}

ZephroServerMgr *ZephroServerMgrImpl::GetInstance()
{
   return gInstance;
}

std::vector<ZephroServer *> ZephroServerMgrImpl::GetServers() const
{
   return servers_;
}

ZephroServer *ZephroServerMgrImpl::GetServerByID(const std::string &id) const
{
   for (ZephroServer *server : servers_) {
      if (server->GetID() == id) {
         return server;
      }
   }
   return nullptr;
}

void ZephroServerMgrImpl::Connect(const std::string &host, int port, bool flag, wui::DlgMgr *, const AbortSlot &failed,
                                  const ConnectedSlot &, const std::string &)
{
   const std::string address = zephroutil::AddressToString(host, port, flag);
   std::string checkedHost;
   int checkedPort = port;
   bool checkedFlag = flag;
   std::string reason = zephroutil::StringToAddress(address, checkedHost, checkedPort, checkedFlag);
   if (reason.empty()) {
      reason = "Cannot connect to the Zephro server " + address + ": no management server can be reached from this computer.";
   }
   Log("ZephroServerMgr::Connect %s: %s\n", address.c_str(), reason.c_str());
   std::shared_ptr<bool> alive = alive_;
   Poll_Post([alive, failed, reason]() {
      if (*alive) {
         CallSlot(failed, false, Error(reason));
      }
   });
}

void ZephroServerMgrImpl::Disconnect(ZephroServer *server, const AbortSlot &, const DoneSlot &done)
{
   auto found = std::find(servers_.begin(), servers_.end(), server);
   if (found != servers_.end()) {
      Log("ZephroServerMgr::Disconnect %s\n", server->GetID().c_str());
      servers_.erase(found);
      delete server;
   }
   std::shared_ptr<bool> alive = alive_;
   Poll_Post([alive, done]() {
      if (*alive) {
         CallSlot(done);
      }
   });
}

namespace zephroutil {

std::string AddressToString(const std::string &host, int port, bool flag)
{
   std::string text = flag ? "" : "http://";
   text += IsIPv6Literal(host) ? "[" + host + "]" : host;
   return text + ":" + std::to_string(port);
}

std::string StringToAddress(const std::string &text, std::string &host, int &port, bool &flag)
{
   const std::string invalid = "\"" + text + "\" is not a valid server address.";
   std::string rest = text;
   while (!rest.empty() && isspace(static_cast<unsigned char>(rest.back()))) {
      rest.pop_back();
   }
   rest.erase(0, rest.find_first_not_of(" \t"));
   if (rest.empty()) {
      return "No server address was given.";
   }
   bool secure = true;
   if (StartsWith(rest, "https://")) {
      rest.erase(0, 8);
   } else if (StartsWith(rest, "http://")) {
      rest.erase(0, 7);
      secure = false;
   } else if (rest.find("://") != std::string::npos) {
      return invalid;
   }
   if (!rest.empty() && rest.back() == '/') {
      rest.pop_back();
   }

   std::string name;
   std::string portText;
   if (!rest.empty() && rest[0] == '[') {
      size_t close = rest.find(']');
      if (close == std::string::npos) {
         return invalid;
      }
      name = rest.substr(1, close - 1);
      std::string after = rest.substr(close + 1);
      if (!after.empty()) {
         if (after[0] != ':') {
            return invalid;
         }
         portText = after.substr(1);
         if (portText.empty()) {
            return invalid;
         }
      }
      if (!IsIPv6Literal(name)) {
         return invalid;
      }
   } else {
      size_t colon = rest.find(':');
      name = rest.substr(0, colon);
      if (colon != std::string::npos) {
         portText = rest.substr(colon + 1);
         if (portText.empty()) {
            return invalid;
         }
      }
      if (!IsHostName(name)) {
         return invalid;
      }
   }

   int number = secure ? kSecurePort : kPlainPort;
   if (!portText.empty()) {
      char *end = nullptr;
      long value = strtol(portText.c_str(), &end, 10);
      if (!isdigit(static_cast<unsigned char>(portText[0])) || *end != '\0' || value < 1 || value > kMaxPort) {
         return "The port of the server address \"" + text + "\" must be a number from 1 to 65535.";
      }
      number = static_cast<int>(value);
   }
   host = name;
   port = number;
   flag = secure;
   return "";
}

}  // namespace zephroutil

}  // namespace cui

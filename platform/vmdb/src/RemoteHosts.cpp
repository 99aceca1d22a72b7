#include "RemoteHosts.h"

#include "tremorybase/Config.h"

#include <algorithm>
#include <cctype>

namespace vmdb {

namespace {

std::string Lower(std::string text)
{
   std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
   return text;
}

std::string Trimmed(const std::string &text)
{
   size_t first = text.find_first_not_of(" \t");
   if (first == std::string::npos) {
      return std::string();
   }
   return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "1".."65535" only: no sign, no blanks, no leading zeros beyond the number itself.
bool ParsePort(const std::string &text, unsigned &port)
{
   if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
      return false;
   }
   unsigned long value = std::stoul(text);
   if (value < 1 || value > 65535) {
      return false;
   }
   port = static_cast<unsigned>(value);
   return true;
}

}  // namespace

bool ParseDestination(const std::string &text, Destination &dest, std::string &error)
{
   dest = Destination();
   std::string rest = Trimmed(text);
   // The last '@' separates the user: a user name may hold one, a host name never does.
   size_t at = rest.rfind('@');
   if (at != std::string::npos) {
      dest.user = Trimmed(rest.substr(0, at));
      rest = Trimmed(rest.substr(at + 1));
   }
   std::string port;
   if (!rest.empty() && rest[0] == '[') {
      size_t close = rest.find(']');
      if (close == std::string::npos) {
         error = "The host address " + rest + " has no closing bracket.";
         return false;
      }
      dest.host = rest.substr(1, close - 1);
      std::string after = rest.substr(close + 1);
      if (!after.empty()) {
         if (after[0] != ':') {
            error = "Unexpected text after the host address: " + after;
            return false;
         }
         port = after.substr(1);
         if (port.empty()) {
            error = "The port after " + rest.substr(0, close + 1) + " is missing.";
            return false;
         }
      }
   } else {
      size_t colon = rest.find(':');
      // A second colon without brackets is an IPv6 address without a port.
      if (colon != std::string::npos && rest.find(':', colon + 1) == std::string::npos) {
         port = rest.substr(colon + 1);
         rest = rest.substr(0, colon);
         if (port.empty()) {
            error = "The port after " + rest + " is missing.";
            return false;
         }
      }
      dest.host = Trimmed(rest);
   }
   dest.host = Lower(dest.host);
   if (dest.host.empty()) {
      error = "No host name was given.";
      return false;
   }
   if (!port.empty() && !ParsePort(Trimmed(port), dest.port)) {
      error = "The port " + port + " is not a number from 1 to 65535.";
      return false;
   }
   return true;
}

std::vector<std::string> RemoteHosts::Split(const std::string &list, char separator)
{
   std::vector<std::string> items;
   for (size_t pos = 0; pos <= list.size();) {
      size_t end = list.find(separator, pos);
      if (end == std::string::npos) {
         end = list.size();
      }
      std::string item = Trimmed(list.substr(pos, end - pos));
      if (!item.empty()) {
         items.push_back(item);
      }
      pos = end + 1;
   }
   return items;
}

bool RemoteHosts::Find(const std::string &name, RemoteHost &host)
{
   const std::string wanted = Lower(Trimmed(name));
   if (wanted.empty()) {
      return false;
   }
   for (const std::string &item : Split(Config_GetString("test.remoteHosts", ""), ',')) {
      Destination listed;
      std::string error;
      if (!ParseDestination(item, listed, error) || listed.host != wanted) {
         continue;
      }
      host = RemoteHost();
      host.name = listed.host;
      host.port = listed.port ? listed.port : kDefaultPort;
      host.anyUserPassword = Config_GetString("test.remotePassword", "");
      const std::string prefix = "test.remoteHost." + host.name + ".";
      for (const std::string &pair : Split(Config_GetString((prefix + "users").c_str(), ""), ',')) {
         size_t colon = pair.find(':');
         host.users[Trimmed(pair.substr(0, colon))] = colon == std::string::npos ? std::string() : pair.substr(colon + 1);
      }
      host.vms = Split(Config_GetString((prefix + "vms").c_str(), ""), ';');
      host.noAnswer = Config_GetBool((prefix + "noAnswer").c_str(), false);
      return true;
   }
   return false;
}

bool RemoteHosts::Accepts(const RemoteHost &host, const std::string &user, const std::string &password)
{
   if (!host.users.empty()) {
      auto found = host.users.find(user);
      return found != host.users.end() && found->second == password;
   }
   return host.anyUserPassword.empty() || password == host.anyUserPassword;
}

long RemoteHosts::ConnectTimeoutMs()
{
   long ms = Config_GetLong("vmdb.connect.timeoutMs", 30000);
   return ms > 0 ? ms : 30000;
}

}  // namespace vmdb

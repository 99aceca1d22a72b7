#include "tremsim/SimConnections.h"

#include <windows.h>

#include "cui/PathText.h"
#include "tremorybase/Config.h"
#include "tremorybase/Text.h"

namespace cuisim {

namespace {

std::string Trimmed(const std::string &text)
{
   size_t first = text.find_first_not_of(" \t");
   if (first == std::string::npos) {
      return std::string();
   }
   return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::string SimConnections::LocalUserName()
{
   wchar_t name[256] = L"";
   DWORD size = 256;
   return GetUserNameW(name, &size) ? Utf8FromWide(name) : std::string();
}

std::string SimConnections::LocalComputerName()
{
   wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
   DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
   return GetComputerNameW(name, &size) ? Utf8FromWide(name) : std::string();
}

SimConnection SimConnections::Opener(const std::string &user)
{
   SimConnection connection;
   connection.user = user.empty() ? LocalUserName() : user;
   connection.from = LocalComputerName();
   connection.since = time(nullptr);
   return connection;
}

std::vector<SimConnection> SimConnections::Parse(const std::string &list, const std::string &localComputer,
                                                 time_t since)
{
   std::vector<SimConnection> connections;
   for (size_t pos = 0; pos <= list.size();) {
      size_t end = list.find(',', pos);
      if (end == std::string::npos) {
         end = list.size();
      }
      std::string item = Trimmed(list.substr(pos, end - pos));
      pos = end + 1;
      size_t at = item.rfind('@');
      SimConnection connection;
      connection.user = Trimmed(item.substr(0, at));
      connection.from = at == std::string::npos ? localComputer : Trimmed(item.substr(at + 1));
      connection.since = since;
      if (!connection.user.empty()) {
         connections.push_back(connection);
      }
   }
   return connections;
}

std::vector<SimConnection> SimConnections::Configured(time_t since)
{
   std::string list = Config_GetString("test.machine.otherUsers", "");
   return list.empty() ? std::vector<SimConnection>() : Parse(list, LocalComputerName(), since);
}

void SimConnections::Write(vmdb::Ctx &ctx, const std::string &cnxPath, const std::vector<SimConnection> &connections)
{
   std::string path = cuiutil::WithSlash(cnxPath);
   vmdb::Batch batch(ctx);
   ctx.Remove(cuiutil::WithoutSlash(path), true);
   for (const SimConnection &connection : connections) {
      std::string element = ctx.Append(path + "#");
      ctx.Set(element + "user", connection.user);
      ctx.Set(element + "from", connection.from);
      ctx.Set(element + "since", vmdb::Value(static_cast<long long>(connection.since)));
   }
}

}  // namespace cuisim

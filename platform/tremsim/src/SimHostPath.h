// What the host's parts share: the host a changed path lies under, following a host that appears
// or goes, and the path tests of the files they keep.
#pragma once

#include "cui/PathText.h"
#include "cui/VmdbCtx.h"

#include <set>
#include <string>

namespace cuisim {

// A path with a drive ("C:...") or from the root ("\\..." or "/..."); relative ones are read
// against a file's folder.
inline bool IsAbsolutePath(const std::string &path)
{
   return (path.size() > 1 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

// `text` with its ASCII letters in lower case: paths compared as the host compares them.
inline std::string LowerAscii(std::string text)
{
   for (char &c : text) {
      if (c >= 'A' && c <= 'Z') {
         c = static_cast<char>(c - 'A' + 'a');
      }
   }
   return text;
}

// "/host2/#0001/settingsState/..." gives "/host2/#0001/"; empty outside a host node.
inline std::string HostOfPath(const std::string &path)
{
   const std::string root = "/host2/#";
   if (path.compare(0, root.size(), root) != 0) {
      return std::string();
   }
   size_t end = path.find('/', root.size());
   return end == std::string::npos ? path + "/" : path.substr(0, end + 1);
}

// After a change under a host: a host that went is forgotten from `loaded`; one still there is
// loaded by `load` (which does nothing for a host loaded already).
template <class Load>
void FollowHostChange(const vmdb::Ctx &ctx, const std::string &changedPath, std::set<std::string> &loaded, Load load)
{
   const std::string host = HostOfPath(changedPath);
   if (host.empty()) {
      return;
   }
   if (!ctx.Exists(cuiutil::WithoutSlash(host))) {
      loaded.erase(host);
      return;
   }
   load(host);
}

}  // namespace cuisim

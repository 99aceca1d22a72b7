#include "cui/Cnx.h"

#include "cui/PathText.h"

#include <map>
#include <memory>

namespace cui {

Cnx *Cnx::ForPath(const std::string &cnxPath)
{
   static std::map<std::string, std::unique_ptr<Cnx>> connections;
   const std::string path = cuiutil::WithSlash(cnxPath);
   if (path.empty()) {
      return nullptr;
   }
   std::unique_ptr<Cnx> &cnx = connections[path];
   if (!cnx) {
      cnx.reset(new Cnx(path));
   }
   return cnx.get();
}

}  // namespace cui

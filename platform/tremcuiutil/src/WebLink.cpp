#include "cui/WebLink.h"

#include "cui/Registry.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"

#include <cstdlib>
#include <cstring>

namespace {

struct BuiltInLink {
   int id;
   const char *address;   // without its scheme
};

const BuiltInLink kLinks[] = {
   {weblink::LINK_UPDATE_HELP, "www.tremory.example/support/update-check/"},
   {weblink::LINK_GUIDE, "www.tremory.example/docs/getting-started/"},
   {weblink::LINK_ZEPHRO_GUIDE, "www.tremory.example/docs/zephro-guide/"},
   {weblink::LINK_MANUAL, "www.tremory.example/docs/manual/"},
};

const char kHelpBase[] = "https://www.tremory.example/help/";

// "www.x/" becomes "https://www.x/" or "http://www.x/"; an address with a scheme of its own
// changes only between the two.
std::string WithScheme(std::string address, bool secure)
{
   const char *scheme = secure ? "https://" : "http://";
   if (address.compare(0, 8, "https://") == 0) {
      address.erase(0, 8);
   } else if (address.compare(0, 7, "http://") == 0) {
      address.erase(0, 7);
   }
   return scheme + address;
}

}  // namespace

namespace weblink {

char *Lookup(int id, bool secure)
{
   std::string address = Config_GetString(("link." + std::to_string(id)).c_str(), "");
   if (address.empty()) {
      for (const BuiltInLink &link : kLinks) {
         if (link.id == id) {
            address = link.address;
         }
      }
   }
   if (address.empty()) {
      Warning("weblink::Lookup: there is no link %d\n", id);
      return nullptr;
   }
   address = WithScheme(address, secure);
   char *text = static_cast<char *>(malloc(address.size() + 1));
   if (text) {
      memcpy(text, address.c_str(), address.size() + 1);
   }
   return text;
}

}  // namespace weblink

namespace wui {
namespace util {

bool ShowHelp(HWND, const std::string &helpValue)
{
   std::string address = Config_GetString("link.help", "");
   if (address.empty()) {
      address = kHelpBase;
   }
   if (!address.empty() && address.back() != '/') {
      address += '/';
   }
   address += (helpValue.empty() ? std::string("index") : helpValue) + ".html";
   if (!cui::Browse(address)) {
      Warning("wui::util::ShowHelp: no browser launcher took %s\n", address.c_str());
      return false;
   }
   return true;
}

}  // namespace util
}  // namespace wui

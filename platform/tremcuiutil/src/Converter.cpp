#include "cui/Converter.h"

#include "PathText.h"
#include "tremorybase/Log.h"

namespace wui {
namespace p2v {

Converter::Converter() = default;

Converter::~Converter() = default;

void Converter::ShowProgressDialog()
{
   if (IsBusy()) {
      Log("wui::p2v::Converter: %zu conversion(s) running\n", converting_.size());
   }
}

bool Converter::IsBeingConverted(const std::string &cfgPath) const
{
   for (const std::string &path : converting_) {
      if (cuiutil::SameFilePath(path, cfgPath)) {
         return true;
      }
   }
   return false;
}

}  // namespace p2v
}  // namespace wui

#include "cui/Converter.h"

#include "cui/LocalizedString.h"
#include "cui/PathText.h"
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

void Converter::Open(HWND, const std::string &path, const cui::AbortSlot &abort, const cui::DoneSlot &)
{
   Log("wui::p2v::Converter::Open %s\n", path.c_str());
   cui::CallSlot(abort, false,
                 cui::Error(cui::Format("@&!*@*@(msg.p2v.noImporter)\"%s\" cannot be imported: no importer is "
                                        "installed.", path.c_str())));
}

void Converter::Import(HWND, const cui::AbortSlot &abort)
{
   Log("wui::p2v::Converter::Import\n");
   cui::CallSlot(abort, false,
                 cui::Error("@&!*@*@(msg.p2v.noImporterInstalled)Nothing can be imported: no importer is installed."));
}

}  // namespace p2v
}  // namespace wui

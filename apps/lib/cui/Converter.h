// Physical-to-virtual conversions started from the program. None runs in this library, so the
// converter is never busy.
#pragma once

#include <windows.h>

#include <set>
#include <string>

#include "cui/Error.h"

namespace wui {
namespace p2v {

class Converter {
public:
   Converter();
   ~Converter();

   bool IsBusy() const { return !converting_.empty(); }
   // Shows the progress of the running conversion; nothing when none runs.
   void ShowProgressDialog();
   // True while a conversion writes the machine at that configuration path.
   bool IsBeingConverted(const std::string &cfgPath) const;
   // Imports another product's machine or image file (".vmc", ".spf", ".sv2i") through the
   // import wizard over `owner`. No importer is part of this library: `abort` hears why.
   void Open(HWND owner, const std::string &path, const cui::AbortSlot &abort, const cui::DoneSlot &done);
   // File > Import: the import wizard over `owner`; `abort` hears why nothing was imported.
   void Import(HWND owner, const cui::AbortSlot &abort);

private:
   std::set<std::string> converting_;
};

}  // namespace p2v
}  // namespace wui

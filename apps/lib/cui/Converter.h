// Physical-to-virtual conversions started from the program. None runs in this library, so the
// converter is never busy.
#pragma once

#include <set>
#include <string>

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

private:
   std::set<std::string> converting_;
};

}  // namespace p2v
}  // namespace wui

#include "cui/AppContext.h"

#include "cui/Registry.h"

namespace wui {

AppContext::AppContext(std::string editionTitle, std::string helpValue)
   : editionTitle_(std::move(editionTitle)), helpValue_(std::move(helpValue))
{
}

AppContext::~AppContext()
{
   // Edition objects are globals: by the time they go, the registry may be gone too, and it
   // holds plain pointers only, so nothing is touched here.
}

}  // namespace wui

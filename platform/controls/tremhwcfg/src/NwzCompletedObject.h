// "tremhwcfg.NwzCompleted.9": shows the completion dialog over a window.
#pragma once

#include <string>

#include "atl/ComObject.h"
#include "tremhwcfg/TremHwCfg.h"

namespace tremhwcfg {

class NwzCompletedObject : public atl::ComObject<ITremNwzCompleted> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   HRESULT __stdcall raw_SetConfigFile(BSTR path) override;
   HRESULT __stdcall raw_Show(INT_PTR owner) override;

private:
   std::wstring configFile_;
};

}  // namespace tremhwcfg

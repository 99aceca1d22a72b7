// "TremappPropObj": the page-data object of one state. Keeps the context, the request element
// and the client host's path its caller hands it, for the pages to read.
#pragma once

#include <string>

#include "atl/ComObject.h"
#include "tremappcfg/TremAppCfg.h"

namespace tremappcfg {

class PropObj : public atl::ComObject<ITremappPropObj> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   HRESULT __stdcall raw_SetContext(IVmdbContext *ctx) override;
   HRESULT __stdcall raw_SetElementPath(BSTR path) override;
   HRESULT __stdcall raw_SetHostPath(BSTR path) override;
   HRESULT __stdcall raw_GetContext(IVmdbContext **ctx) override;
   HRESULT __stdcall raw_GetElementPath(BSTR *path) override;
   HRESULT __stdcall raw_GetHostPath(BSTR *path) override;

private:
   IVmdbContextPtr ctx_;
   std::wstring element_;
   std::wstring hostPath_;
};

}  // namespace tremappcfg

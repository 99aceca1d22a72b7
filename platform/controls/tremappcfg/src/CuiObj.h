// "CuiObj": hands the team pages the editable team they change. It is a page-data object too,
// so the property frame takes it; it belongs to no database state.
#pragma once

#include "atl/ComObject.h"
#include "tremappcfg/TeamCfg.h"

namespace tremappcfg {

class CuiObjObject : public atl::ComObject<ITremappPropObj, ICuiObj> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   HRESULT __stdcall raw_SetTeamEditable(cui::TeamEditable *editable) override;
   HRESULT __stdcall raw_GetTeamEditable(cui::TeamEditable **editable) override;

   HRESULT __stdcall raw_SetContext(IVmdbContext *ctx) override;
   HRESULT __stdcall raw_SetElementPath(BSTR path) override;
   HRESULT __stdcall raw_SetHostPath(BSTR path) override;
   HRESULT __stdcall raw_GetContext(IVmdbContext **ctx) override;
   HRESULT __stdcall raw_GetElementPath(BSTR *path) override;
   HRESULT __stdcall raw_GetHostPath(BSTR *path) override;

private:
   cui::TeamEditable *editable_ = nullptr;
};

}  // namespace tremappcfg

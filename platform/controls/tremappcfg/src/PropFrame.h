// "TremappPropFrame": the modal property sheet around the settings pages. Makes each page by its
// ProgID, binds it to the data object of its state, shows the sheet and, when the user confirms,
// lets every accepted page write its changes. An element whose state has a "version" gets the
// version the pages showed as its "baseVersion".
#pragma once

#include <string>
#include <vector>

#include "atl/ComObject.h"
#include "tremappcfg/TremAppCfg.h"

namespace tremappcfg {

class PropFrame : public atl::ComObject<ITremappPropFrame> {
public:
   static HRESULT Create(REFIID iid, void **ppv);

   HRESULT __stdcall raw_AddDataObject(ITremappPropObj *data) override;
   HRESULT __stdcall raw_AddPage(BSTR progId) override;
   HRESULT __stdcall raw_ShowModal(INT_PTR owner, BSTR title, VARIANT_BOOL *confirmed) override;

private:
   // Makes and binds every page; on failure nothing is left made.
   HRESULT MakePages(std::vector<ITremappCfgPagePtr> &pages, std::vector<HPROPSHEETPAGE> &sheets);

   std::vector<ITremappPropObjPtr> data_;
   std::vector<std::wstring> progIds_;
   bool showing_ = false;
};

}  // namespace tremappcfg

#include "tremappcfg/TremAppCfg.h"

#include <utility>

#include "CfgPage.h"
#include "PropFrame.h"
#include "PropObj.h"
#include "atl/ClassTable.h"

namespace tremappcfg {

namespace {

// The pages' class ids differ in their last byte only: the page's place in AllPages().
CLSID PageClassId(size_t index)
{
   CLSID clsid = {0x5b0e2c71, 0x3d48, 0x4f96, {0xa2, 0x1c, 0x7e, 0x40, 0x93, 0xd6, 0x18, 0x00}};
   clsid.Data4[7] = static_cast<unsigned char>(index);
   return clsid;
}

// One creator per page, so each ProgID makes its own page.
template <size_t... Index>
void RegisterPages(std::index_sequence<Index...>)
{
   (atl::ClassTable::Register(AllPages()[Index].progId, PageClassId(Index), &CfgPage::Create<Index>), ...);
}

}  // namespace

void RegisterClasses()
{
   atl::ClassTable::Register(L"TremappPropObj", __uuidof(TremappPropObj), &PropObj::Create);
   atl::ClassTable::Register(L"TremappPropFrame", __uuidof(TremappPropFrame), &PropFrame::Create);
   RegisterPages(std::make_index_sequence<kPageTotal>());
}

}  // namespace tremappcfg

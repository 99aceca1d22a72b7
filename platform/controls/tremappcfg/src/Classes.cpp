#include "tremappcfg/TremAppCfg.h"

#include <utility>

#include "CfgPage.h"
#include "CuiObj.h"
#include "PropFrame.h"
#include "PropObj.h"
#include "TeamAddLANDlg.h"
#include "TeamListView.h"
#include "TeamPage.h"
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

// The team pages' class ids follow the settings pages' in the same series.
void RegisterTeamClasses()
{
   atl::ClassTable::Register(L"TeamAddLANDlg", __uuidof(TeamAddLANDlg), &TeamAddLANDlgObject::Create);
   atl::ClassTable::Register(L"CuiObj", __uuidof(CuiObj), &CuiObjObject::Create);
   atl::ClassTable::Register(L"TeamListViewWnd", __uuidof(TeamListView), &TeamListViewObject::Create);
   atl::ClassTable::Register(L"tremappcfg.PropTeamSummary.9", PageClassId(kPageTotal),
                             &TeamPage::Create<TeamSummaryPage>);
   atl::ClassTable::Register(L"tremappcfg.PropTeamVMs.9", PageClassId(kPageTotal + 1), &TeamPage::Create<TeamVMsPage>);
   atl::ClassTable::Register(L"tremappcfg.PropTeamLANs.9", PageClassId(kPageTotal + 2),
                             &TeamPage::Create<TeamLANsPage>);
   atl::ClassTable::Register(L"tremappcfg.PropTeamOptions.9", PageClassId(kPageTotal + 3),
                             &TeamPage::Create<TeamOptionsPage>);
}

}  // namespace

void RegisterClasses()
{
   atl::ClassTable::Register(L"TremappPropObj", __uuidof(TremappPropObj), &PropObj::Create);
   atl::ClassTable::Register(L"TremappPropFrame", __uuidof(TremappPropFrame), &PropFrame::Create);
   RegisterPages(std::make_index_sequence<kPageTotal>());
   RegisterTeamClasses();
}

}  // namespace tremappcfg

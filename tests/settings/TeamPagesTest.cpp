// The team pages and the checks of typed LAN and start-up values: what the pages refuse, and
// what they leave in the editable team after OK and after Cancel.
#include "SessionFixture.h"
#include "SheetDriver.h"

#include "cui/Team.h"
#include "cui/TeamEditable.h"
#include "tremappcfg/TeamCfg.h"
#include "tremappcfg/TremAppCfgRes.h"

#include <commctrl.h>

using namespace tremappcfg;

TEST(TeamValues, LANValuesAreRefusedByTheFirstWrongFieldWithItsReason)
{
   struct Case {
      const wchar_t *name;
      const wchar_t *bandwidth;
      const wchar_t *loss;
      LANField refused;
      UINT reason;
   };
   const Case cases[] = {
      {L"  ", L"0", L"0", LANField::Name, IDS_TEAM_LAN_EMPTY_NAME},
      {L"lan 1", L"0", L"0", LANField::Name, IDS_TEAM_LAN_NAME_TAKEN},
      {L"Fast", L"-1", L"0", LANField::Bandwidth, IDS_TEAM_LAN_BAD_BANDWIDTH},
      {L"Fast", L"", L"0", LANField::Bandwidth, IDS_TEAM_LAN_BAD_BANDWIDTH},
      {L"Fast", L"99999999999", L"0", LANField::Bandwidth, IDS_TEAM_LAN_BAD_BANDWIDTH},
      {L"Fast", L"10", L"101", LANField::Loss, IDS_TEAM_LAN_BAD_LOSS},
      {L"Fast", L"10", L"5%", LANField::Loss, IDS_TEAM_LAN_BAD_LOSS},
      {L" Fast ", L" 10 ", L"100", LANField::None, 0},
   };
   for (const Case &c : cases) {
      LANInput input;
      input.name = c.name;
      input.bandwidth = c.bandwidth;
      input.loss = c.loss;
      UINT reason = 12345;
      EXPECT_EQ(CheckLANValues(input, {L"LAN 1"}, reason), c.refused) << input.name.size();
      EXPECT_EQ(reason, c.reason);
      if (c.refused == LANField::None) {
         EXPECT_EQ(input.name, L"Fast");
         EXPECT_EQ(input.bandwidthValue, 10);
         EXPECT_EQ(input.lossValue, 100);
      }
   }
   int value = -1;
   EXPECT_TRUE(ParseStartupValue(L"9999", value));
   EXPECT_EQ(value, 9999);
   EXPECT_FALSE(ParseStartupValue(L"10000", value));
   EXPECT_FALSE(ParseStartupValue(L"-1", value));
   EXPECT_FALSE(ParseStartupValue(L"", value));
}

class TeamPages : public SessionFixture {
protected:
   void SetUp() override
   {
      static bool registered = false;
      if (!registered) {
         registered = true;
         tremappcfg::RegisterClasses();
      }
      SessionFixture::SetUp();
   }

   // The editable of a team that follows no host node, loaded, with one LAN and one member.
   std::unique_ptr<cui::TeamEditable> Loaded(cui::Team &team)
   {
      auto editable = std::make_unique<cui::TeamEditable>(&team);
      bool loaded = false;
      editable->Load([](bool, cui::Error) {}, [&](cui::TeamEditable *) { loaded = true; });
      EXPECT_TRUE(PollUntil([&]() { return loaded; }));
      editable->AddNet("LAN 1", 0, 0);
      editable->AddVMPath("C:\\teams\\one.vmx");
      return editable;
   }

   bool Show(cui::TeamEditable &editable, const wchar_t *page)
   {
      ICuiObjPtr holder;
      EXPECT_EQ(S_OK, holder.CreateInstance(__uuidof(CuiObj), nullptr, CLSCTX_ALL));
      holder->raw_SetTeamEditable(&editable);
      ITremappPropFramePtr frame;
      EXPECT_EQ(S_OK, frame.CreateInstance(__uuidof(TremappPropFrame), nullptr, CLSCTX_ALL));
      frame->AddDataObject(ITremappPropObjPtr(holder));
      frame->AddPage(page);
      return frame->ShowModal(nullptr, L"Team");
   }
};

TEST_F(TeamPages, TheLANPageRefusesBadValuesAndAChangeKeepsTheLANsNetwork)
{
   cui::Team team("C:\\teams\\t.vmtm", "T");
   std::unique_ptr<cui::TeamEditable> editable = Loaded(team);
   const std::string id = editable->GetNets()[0].id;
   std::vector<std::string> refusals;
   SheetDriver drive([&](HWND sheet) {
      HWND page = PropSheet_GetCurrentPageHwnd(sheet);
      const char *const bad[][3] = {{"LAN 2", "0", "200"}, {"", "0", "0"}, {"lan 1", "5", "0"}};
      for (const auto &values : bad) {
         SetItemText(page, IDC_TEAM_LAN_NAME, values[0]);
         SetItemText(page, IDC_TEAM_LAN_BANDWIDTH, values[1]);
         SetItemText(page, IDC_TEAM_LAN_LOSS, values[2]);
         SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_TEAM_LAN_ADD, BN_CLICKED), 0);
         refusals.push_back(ItemText(page, IDC_CFG_ERROR));
      }
      SetItemText(page, IDC_TEAM_LAN_NAME, "Core");
      SetItemText(page, IDC_TEAM_LAN_BANDWIDTH, "64");
      SetItemText(page, IDC_TEAM_LAN_LOSS, "1");
      SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_TEAM_LAN_CHANGE, BN_CLICKED), 0);
      SetItemText(page, IDC_TEAM_LAN_NAME, "Edge");
      SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_TEAM_LAN_ADD, BN_CLICKED), 0);
      PressSheetButton(sheet, PSBTN_OK);
   });
   EXPECT_TRUE(Show(*editable, L"tremappcfg.PropTeamLANs.9"));
   ASSERT_EQ(refusals.size(), 3u);
   EXPECT_EQ(refusals[0].rfind("Loss:", 0), 0u) << refusals[0];
   EXPECT_EQ(refusals[1].rfind("Name:", 0), 0u) << refusals[1];
   EXPECT_EQ(refusals[2].rfind("Name:", 0), 0u) << refusals[2];
   ASSERT_EQ(editable->GetNets().size(), 2u);
   EXPECT_EQ(editable->GetNets()[0].name, "Core");
   EXPECT_EQ(editable->GetNets()[0].id, id) << "a changed LAN keeps its network";
   EXPECT_EQ(editable->GetNets()[0].bandwidth, 64);
   EXPECT_EQ(editable->GetNets()[0].loss, 1);
   EXPECT_EQ(editable->GetNets()[1].name, "Edge");
}

TEST_F(TeamPages, SummaryAndMembersTakeTheirValuesOnlyOnOK)
{
   cui::Team team("C:\\teams\\t.vmtm", "T");
   std::unique_ptr<cui::TeamEditable> editable = Loaded(team);
   {
      SheetDriver cancel([&](HWND sheet) {
         SetItemText(PropSheet_GetCurrentPageHwnd(sheet), IDC_TEAM_NAME, "Renamed");
         PressSheetButton(sheet, PSBTN_CANCEL);
      });
      EXPECT_FALSE(Show(*editable, L"tremappcfg.PropTeamSummary.9"));
   }
   EXPECT_EQ(editable->GetName(), "T");

   std::string refusal;
   SheetDriver ok([&](HWND sheet) {
      HWND page = PropSheet_GetCurrentPageHwnd(sheet);
      SetItemText(page, IDC_TEAM_VM_ORDER, "abc");
      PressSheetButton(sheet, PSBTN_OK);
      refusal = ItemText(page, IDC_CFG_ERROR);
      SetItemText(page, IDC_TEAM_VM_ORDER, "3");
      SetItemText(page, IDC_TEAM_VM_DELAY, "30");
      PressSheetButton(sheet, PSBTN_OK);
   });
   EXPECT_TRUE(Show(*editable, L"tremappcfg.PropTeamVMs.9"));
   EXPECT_EQ(refusal.rfind("Start-up", 0), 0u) << refusal;
   ASSERT_EQ(editable->GetMembers().size(), 1u);
   EXPECT_EQ(editable->GetMembers()[0].startupOrder, 3);
   EXPECT_EQ(editable->GetMembers()[0].startupDelay, 30);
}

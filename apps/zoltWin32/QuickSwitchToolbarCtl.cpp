#include "QuickSwitchToolbarCtl.h"

#include "resource.h"
#include "zoltResources.h"

namespace {

const UINT kNormal[] = {12208, 12210, 12206};

}  // namespace

void CQuickSwitchToolbarCtl::AddButtons()
{
   AddButton(IDM_TB_MINIMIZE, 22, 0, "", 0);
   AddButton(IDM_TB_LEAVE_QUICK_SWITCH, 17, 1, "", 0);
   AddButton(IDM_FILE_EXIT, 23, 2, "", 0);
}

HWND CQuickSwitchToolbarCtl::Init(HWND rebar)
{
   if (!CreateToolbar(rebar, kCommonStyle)) {
      return nullptr;
   }
   SetWindowLongPtr(GWL_STYLE, GetWindowLongPtr(GWL_STYLE) & ~(CCS_ADJUSTABLE | TBSTYLE_ALTDRAG));
   SetImageLists(kNormal, nullptr, nullptr, 3);
   AddButtons();
   // Never stored: always the table's order.
   for (size_t i = 0; i < buttons_.size(); ++i) {
      InsertItem(static_cast<int>(i), buttons_[i]->item);
      TBBUTTONINFOW info = {};
      info.cbSize = sizeof info;
      info.dwMask = TBIF_SIZE;
      info.cx = kButtonWidth;
      SendMessage(TB_SETBUTTONINFOW, buttons_[i]->command, reinterpret_cast<LPARAM>(&info));
   }
   return m_hWnd;
}

bool CQuickSwitchToolbarCtl::GetTooltipText(CommandId command, std::string &text)
{
   switch (command) {
   case IDM_TB_MINIMIZE:
      text = LoadResString(IDS_TIP_MINIMIZE);
      return true;
   case IDM_TB_LEAVE_QUICK_SWITCH:
      text = LoadResString(IDS_TIP_LEAVE_QUICK_SWITCH);
      return true;
   case IDM_FILE_EXIT:
      text = LoadResString(IDS_TIP_EXIT);
      return true;
   default:
      return false;
   }
}

LRESULT CQuickSwitchToolbarCtl::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   switch (LOWORD(wParam)) {
   case IDM_TB_MINIMIZE:
      EmitClicked(CLICK_MINIMIZE, "CQuickSwitchToolbarCtl");
      break;
   case IDM_TB_LEAVE_QUICK_SWITCH:
      EmitClicked(CLICK_QUICK_SWITCH, "CQuickSwitchToolbarCtl");
      break;
   case IDM_FILE_EXIT:
      EmitClicked(CLICK_EXIT, "CQuickSwitchToolbarCtl");
      break;
   default:
      break;
   }
   return 0;
}

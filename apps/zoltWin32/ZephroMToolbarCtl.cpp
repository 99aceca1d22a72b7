#include "ZephroMToolbarCtl.h"

#include "resource.h"
#include "zoltResources.h"

#include "cui/MVMTMgr.h"
#include "cui/Registry.h"
#include "cui/WuiPrefs.h"

namespace {

const UINT kNormal[] = {11740, 11743, 11746, 11749, 11752};
const UINT kDisabled[] = {11741, 11744, 11747, 11750, 11753};
const UINT kHot[] = {11742, 11745, 11748, 11751, 11754};

bool HasCurrentMVMT()
{
   wui::Prefs *prefs = wui::GetPrefs();
   cui::MVMTMgr *mgr = cui::GetMVMTMgr();
   return prefs && mgr && prefs->GetCurrentObjType() == "mvmt" &&
          mgr->GetMVMTByFilename(prefs->GetCurrentObjPath()) != nullptr;
}

}  // namespace

void CZephroMToolbarCtl::AddButtons()
{
   AddButton(IDM_ZEPHRO_POLICIES, 8, 0, IDS_TB_ZEPHRO_POLICIES);
   AddButton(IDM_ZEPHRO_PACKAGE_SETTINGS, 9, 1, IDS_TB_ZEPHRO_PACKAGE_SETTINGS);
   AddButton(IDM_ZEPHRO_NEW_PACKAGE, 10, 2, IDS_TB_ZEPHRO_NEW_PACKAGE);
   AddButton(IDM_ZEPHRO_NEW_PORTABLE_PACKAGE, 11, 3, IDS_TB_ZEPHRO_NEW_PORTABLE_PACKAGE);
   AddButton(IDM_ZEPHRO_PREVIEW, 12, 4, IDS_TB_ZEPHRO_PREVIEW);
}

HWND CZephroMToolbarCtl::Init(HWND rebar)
{
   if (!CreateWithItems(rebar, kCommonStyle, kNormal, kDisabled, kHot, 5, {8, 9, 10, 11, kSeparatorItem, 12})) {
      return nullptr;
   }
   if (wui::Prefs *prefs = wui::GetPrefs()) {
      connections_.push_back(prefs->currentObjChanged.connect(sigc::mem_fun(*this, &CZephroMToolbarCtl::UpdateButtons)));
   }
   UpdateButtons();
   return m_hWnd;
}

void CZephroMToolbarCtl::UpdateButtons()
{
   // The managed machine is looked up each time, so a template that went is never touched.
   bool current = HasCurrentMVMT();
   for (const auto &record : buttons_) {
      SetButtonState(record->command, current, false);
   }
   AutoSizeBand();
}

bool CZephroMToolbarCtl::GetTooltipText(CommandId command, std::string &text)
{
   UINT id = 0;
   switch (command) {
   case IDM_ZEPHRO_POLICIES:
      id = IDS_TIP_ZEPHRO_POLICIES;
      break;
   case IDM_ZEPHRO_NEW_PACKAGE:
      id = IDS_TIP_ZEPHRO_NEW_PACKAGE;
      break;
   case IDM_ZEPHRO_NEW_PORTABLE_PACKAGE:
      id = IDS_TIP_ZEPHRO_NEW_PORTABLE_PACKAGE;
      break;
   case IDM_ZEPHRO_PREVIEW:
      id = IDS_TIP_ZEPHRO_PREVIEW;
      break;
   case IDM_ZEPHRO_PACKAGE_SETTINGS:
      id = IDS_TIP_ZEPHRO_PACKAGE_SETTINGS;
      break;
   default:
      return false;
   }
   text = LoadResString(id);
   return true;
}

LRESULT CZephroMToolbarCtl::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL &)
{
   switch (LOWORD(wParam)) {
   case IDM_ZEPHRO_POLICIES:
      EmitClicked(CLICK_ZEPHRO_POLICIES, "CZephroMToolbarCtl");
      break;
   case IDM_ZEPHRO_NEW_PACKAGE:
      EmitClicked(CLICK_ZEPHRO_NEW_PACKAGE, "CZephroMToolbarCtl");
      break;
   case IDM_ZEPHRO_PREVIEW:
      EmitClicked(CLICK_ZEPHRO_PREVIEW, "CZephroMToolbarCtl");
      break;
   case IDM_ZEPHRO_PACKAGE_SETTINGS:
      EmitClicked(CLICK_ZEPHRO_PACKAGE_SETTINGS, "CZephroMToolbarCtl");
      break;
   case IDM_ZEPHRO_NEW_PORTABLE_PACKAGE:
      EmitClicked(CLICK_ZEPHRO_NEW_PORTABLE_PACKAGE, "CZephroMToolbarCtl");
      break;
   default:
      break;
   }
   return 0;
}

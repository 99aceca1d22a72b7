#include "zoltTips.h"

#include "cui/Prefs.h"
#include "cui/Registry.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

const char CZOLTTips::kStartupPref[] = "val/zolt/tip/startup";
const char CZOLTTips::kIndexPref[] = "val/zolt/tip/index";

CZOLTTips::CZOLTTips() : cui::TipMgr(std::string()) {}

CZOLTTips::~CZOLTTips() = default;

std::string CZOLTTips::PrefPath(const char *node) const
{
   return std::string(cui::kPrefsRequestPath) + node;
}

LRESULT CZOLTTips::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   tipText_ = GetDlgItem(IDC_TIP_TEXT);
   BYTE charset = GetSystemMetrics(SM_DBCSENABLED) ? SHIFTJIS_CHARSET : ANSI_CHARSET;
   headingFont_.reset(CreateFontW(20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, PROOF_QUALITY, 6, L"Arial"));
   SendDlgItemMessage(IDC_TIP_HEADING, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont_.get()), FALSE);
   try {
      ctx_ = cui::GetNewVmdbCtx();
      CheckDlgButton(IDC_TIP_STARTUP, ctx_.Test(PrefPath(kStartupPref)) ? BST_CHECKED : BST_UNCHECKED);
      index_ = static_cast<short>(ctx_.GetInt(PrefPath(kIndexPref), 0));
      SetHost(wui::GetCurrentHost());
      AskNextTip();
   } catch (const cui::Error &e) {
      Warning("CZOLTTips::OnInitDialog failed: %s\n", e.what());
   }
   CenterWindow(GetParent());
   return TRUE;
}

void CZOLTTips::AskNextTip()
{
   // Bound to the trackable dialog, so the slot goes with it.
   GetNextTip(index_, DoneSlot(), sigc::mem_fun(*this, &CZOLTTips::OnTip));
}

void CZOLTTips::OnTip(std::string text, short newIndex)
{
   index_ = newIndex;
   SetWindowTextW(tipText_, WideFromUtf8(text).c_str());
}

LRESULT CZOLTTips::OnCloseBox(UINT, WPARAM, LPARAM, BOOL &)
{
   SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
   return 0;
}

LRESULT CZOLTTips::OnNextTip(WORD, WORD, HWND, BOOL &)
{
   AskNextTip();
   return 0;
}

LRESULT CZOLTTips::OnClose(WORD, WORD, HWND, BOOL &)
{
   // Read and unhook everything first: a modeless run is destroyed by EndDialog.
   bool startup = IsDlgButtonChecked(IDC_TIP_STARTUP) == BST_CHECKED;
   SendDlgItemMessage(IDC_TIP_HEADING, WM_SETFONT, 0, FALSE);
   headingFont_.reset();
   try {
      if (ctx_.IsValid()) {
         ctx_.Set(PrefPath(kIndexPref), vmdb::Value(static_cast<int>(index_)));
         ctx_.Set(PrefPath(kStartupPref), vmdb::Value(startup ? -1 : 0));
      }
   } catch (const cui::Error &e) {
      Warning("CZOLTTips::OnClose failed: %s\n", e.what());
   }
   EndDialog(IDCANCEL);
   return 0;
}

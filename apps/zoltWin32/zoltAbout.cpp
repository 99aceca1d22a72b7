#include "zoltAbout.h"

#include "zoltApp.h"
#include "zoltResources.h"

#include "cui/Util.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Text.h"

namespace {

const char *const kNotice[] = {
   "Copyright 2026 Tremory, Inc. All rights reserved.",
   "This product is protected by copyright and intellectual property laws and may be covered by "
   "one or more patents.",
   "Tremory, Deskmoor and Zephro are marks of Tremory, Inc.",
   "All other marks and names mentioned herein may be marks of their respective companies.",
};
const int kNoticeIds[] = {1246, 1117, 1118, 1119};

}  // namespace

CZOLTAbout::~CZOLTAbout()
{
   // The page is gone with the box by now; its resource library can go after it.
   if (icon_) {
      DestroyIcon(icon_);
   }
   if (resLib_) {
      FreeLibrary(resLib_);
   }
}

LRESULT CZOLTAbout::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   frame_ = GetDlgItem(IDC_ABOUT_FRAME);
   RECT area = {};
   ::GetWindowRect(frame_, &area);
   ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT *>(&area), 2);

   resLib_ = LoadLibraryA("zoltRes.dll");
   if (page_.Create(m_hWnd, resLib_)) {
      page_.SetWindowPos(nullptr, area.left, area.top, area.right - area.left, area.bottom - area.top,
                         SWP_NOZORDER | SWP_SHOWWINDOW);
      ::ShowWindow(frame_, SW_HIDE);
   }

   std::string title;
   if (wui::util::HasZephroExtension()) {
      title = LoadResString(IDS_ZEPHRO_EDITION);
      icon_ = LoadIconImage(GetResourceInstance(), IDI_ZOLT_ZEPHRO, true);
   } else {
      title = CZOLTApp::GetAppTitle();
   }
   ::SetWindowTextW(m_hWnd, WideFromUtf8(tremapputil::ResString(IDS_ABOUT_TITLE).Format({title})).c_str());

   for (int i = 0; i < 4; ++i) {
      notice_[i] = GetDlgItem(kNoticeIds[i]);
      ::SetWindowTextA(notice_[i], kNotice[i]);
   }

   if (!icon_) {
      icon_ = LoadResLibImage();
   }
   if (!icon_) {
      icon_ = LoadIconImage(GetResourceInstance(), IDI_ZOLT, true);
   }
   // The template's icon is the dialog manager's shared one: it is replaced, never destroyed.
   if (icon_) {
      SendDlgItemMessage(IDC_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon_), 0);
   }
   CenterWindow(GetParent());
   return TRUE;
}

LRESULT CZOLTAbout::OnClose(WORD, WORD id, HWND, BOOL &)
{
   EndDialog(id);
   return 0;
}

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "AtlTestSupport.h"
#include "atl/Atl.h"
#include "resource.h"

namespace {

class CNameDialog : public CDialogImpl<CNameDialog> {
public:
   enum { IDD = IDD_ATL_TEST };

   BEGIN_MSG_MAP(CNameDialog)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      COMMAND_ID_HANDLER(IDOK, OnOK)
      COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
      COMMAND_ID_HANDLER(IDC_THROW, OnThrow)
      NOTIFY_CODE_HANDLER(TTN_GETDISPINFOW, OnTipText)
   END_MSG_MAP()

   LRESULT OnInitDialog(UINT, WPARAM, LPARAM lParam, BOOL &)
   {
      initParam = lParam;
      SetDlgItemText(IDC_NAME, L"initial");
      return TRUE;
   }
   LRESULT OnOK(WORD, WORD id, HWND, BOOL &)
   {
      char text[64] = "";
      GetDlgItemText(IDC_NAME, text, sizeof(text));
      name = text;
      EndDialog(id);
      return 0;
   }
   LRESULT OnCancel(WORD, WORD id, HWND, BOOL &)
   {
      EndDialog(id);
      return 0;
   }
   LRESULT OnThrow(WORD, WORD, HWND, BOOL &) { throw std::runtime_error("dialog handler failed"); }
   LRESULT OnTipText(int, LPNMHDR hdr, BOOL &)
   {
      reinterpret_cast<NMTTDISPINFOW *>(hdr)->lpszText = const_cast<LPWSTR>(tip.c_str());
      return 0;
   }
   void OnFinalMessage(HWND) override { ++finals; }

   LPARAM initParam = 0;
   std::string name;
   std::wstring tip;
   int finals = 0;
};

CNameDialog *g_modal = nullptr;
bool g_clicked = false;

// Plays the user of the modal dialog from inside its message loop.
void CALLBACK TypeAndClickOK(HWND, UINT, UINT_PTR timer, DWORD)
{
   if (!g_modal || !g_modal->m_hWnd) {
      return;   // not up yet
   }
   KillTimer(nullptr, timer);
   g_clicked = true;
   g_modal->SetDlgItemText(IDC_NAME, "typed by the test");
   g_modal->GetDlgItem(IDOK).SendMessage(BM_CLICK);
}

TEST(AtlDialog, ModalDialogRunsUntilItsMapEndsIt)
{
   CNameDialog dlg;
   g_modal = &dlg;
   g_clicked = false;
   UINT_PTR timer = SetTimer(nullptr, 0, 20, TypeAndClickOK);
   ASSERT_NE(0u, timer);
   INT_PTR result = dlg.DoModal(nullptr, 1234);
   g_modal = nullptr;
   KillTimer(nullptr, timer);

   EXPECT_TRUE(g_clicked);
   EXPECT_EQ(IDOK, result);
   EXPECT_EQ(1234, dlg.initParam);
   EXPECT_EQ("typed by the test", dlg.name);
   EXPECT_EQ(nullptr, dlg.m_hWnd);
   EXPECT_EQ(1, dlg.finals);
}

TEST(AtlDialog, ModelessDialogLivesUntilEndedAndSurvivesAThrowingHandler)
{
   CNameDialog dlg;
   HWND wnd = dlg.Create(nullptr, 77);
   ASSERT_TRUE(wnd);
   EXPECT_EQ(wnd, dlg.m_hWnd);
   EXPECT_EQ(77, dlg.initParam);
   char text[64] = "";
   dlg.GetDlgItemText(IDC_NAME, text, sizeof(text));
   EXPECT_STREQ("initial", text);

   dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_THROW, BN_CLICKED), 0);
   EXPECT_NE(std::string::npos, LogText().find("Guard: Uncaught exception: dialog handler failed\n"));
   EXPECT_TRUE(IsWindow(wnd));

   dlg.SetDlgItemText(IDC_NAME, "modeless");
   dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
   EXPECT_EQ("modeless", dlg.name);
   EXPECT_FALSE(IsWindow(wnd));
   EXPECT_EQ(nullptr, dlg.m_hWnd);
   EXPECT_EQ(1, dlg.finals);
}

TEST(AtlDialog, TitleItemsAndNotificationsKeepEveryScript)
{
   const std::vector<TextSample> &samples = TextSamples();
   CNameDialog dlg;
   HWND wnd = dlg.Create(nullptr);
   ASSERT_TRUE(wnd);
   EXPECT_TRUE(IsWindowUnicode(wnd));
   for (const TextSample &s : samples) {
      SCOPED_TRACE(s.utf8);
      dlg.SetWindowText(s.utf8);
      wchar_t wide[128] = L"";
      GetWindowTextW(wnd, wide, 128);
      EXPECT_STREQ(s.wide, wide);

      dlg.SetDlgItemText(IDC_NAME, s.utf8);
      GetDlgItemTextW(wnd, IDC_NAME, wide, 128);
      EXPECT_STREQ(s.wide, wide);
      dlg.SetDlgItemText(IDC_NAME, L"");
      dlg.SetDlgItemText(IDC_NAME, s.wide);
      char narrow[128] = "";
      EXPECT_EQ(strlen(s.utf8), dlg.GetDlgItemText(IDC_NAME, narrow, sizeof(narrow)));
      EXPECT_STREQ(s.utf8, narrow);

      dlg.tip = s.wide;
      EXPECT_EQ(s.wide, TipTextFrom(wnd));
   }
   // What the user typed last comes out of the dialog as UTF-8.
   dlg.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
   EXPECT_EQ(samples[3].utf8, dlg.name);
}

} // namespace

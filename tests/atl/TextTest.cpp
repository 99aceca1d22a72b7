#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>

#include "AtlTestSupport.h"
#include "atl/Atl.h"

namespace {

std::wstring WideText(HWND wnd)
{
   wchar_t text[256] = L"";
   GetWindowTextW(wnd, text, 256);
   return text;
}

class CTextWindow : public CWindowImpl<CTextWindow, CWindow, CFrameWinTraits> {
public:
   DECLARE_WND_CLASS(TEXT("AtlTestText"))

   CTextWindow() : m_edit(TEXT("EDIT"), this, 1) {}

   BEGIN_MSG_MAP(CTextWindow)
      NOTIFY_CODE_HANDLER(TTN_GETDISPINFOW, OnTipText)
   ALT_MSG_MAP(1)
      MESSAGE_HANDLER(WM_CHAR, OnEditChar)
   END_MSG_MAP()

   LRESULT OnTipText(int, LPNMHDR hdr, BOOL &)
   {
      reinterpret_cast<NMTTDISPINFOW *>(hdr)->lpszText = const_cast<LPWSTR>(tip.c_str());
      return 0;
   }
   LRESULT OnEditChar(UINT, WPARAM ch, LPARAM, BOOL &bHandled)
   {
      typed += static_cast<wchar_t>(ch);
      bHandled = FALSE;
      return 0;
   }

   std::wstring tip;
   std::wstring typed;
   CContainedWindow m_edit;
};

TEST(AtlText, WindowTextKeepsEveryScriptThroughNarrowWideAndMessageCalls)
{
   for (const TextSample &s : TextSamples()) {
      SCOPED_TRACE(s.utf8);
      CTextWindow wnd;
      ASSERT_TRUE(wnd.Create(nullptr, CWindow::rcDefault, s.utf8));
      EXPECT_TRUE(IsWindowUnicode(wnd));
      EXPECT_EQ(s.wide, WideText(wnd));

      wnd.SetWindowText("");
      wnd.SetWindowText(s.utf8);
      EXPECT_EQ(s.wide, WideText(wnd));
      char narrow[256] = "";
      EXPECT_EQ(static_cast<int>(strlen(s.utf8)), wnd.GetWindowText(narrow, sizeof(narrow)));
      EXPECT_STREQ(s.utf8, narrow);
      EXPECT_EQ(static_cast<int>(strlen(s.utf8)), wnd.GetWindowTextLength());

      wnd.SetWindowText(L"");
      wnd.SetWindowText(s.wide);
      BSTR bstr = nullptr;
      ASSERT_TRUE(wnd.GetWindowText(bstr));
      EXPECT_STREQ(s.wide, bstr);
      SysFreeString(bstr);

      // Messages sent through the wrapper carry wide text.
      wnd.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
      EXPECT_EQ(0, wnd.GetWindowTextLength());
      wnd.SendMessage(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(s.wide));
      wchar_t wide[256] = L"";
      EXPECT_EQ(static_cast<LRESULT>(wcslen(s.wide)), wnd.SendMessage(WM_GETTEXT, 256, reinterpret_cast<LPARAM>(wide)));
      EXPECT_STREQ(s.wide, wide);
      EXPECT_TRUE(wnd.DestroyWindow());
   }
}

TEST(AtlText, ChildControlsTipsAndTypedCharactersOfALayerWindowKeepEveryScript)
{
   CTextWindow wnd;
   ASSERT_TRUE(wnd.Create(nullptr, CWindow::rcDefault, "controls"));
   CWindow list;
   RECT rc = {0, 0, 200, 100};
   ASSERT_TRUE(list.Create(TEXT("LISTBOX"), wnd, rc, nullptr, WS_CHILD | WS_VISIBLE, 0, 20));
   RECT editRc = {0, 100, 200, 124};
   ASSERT_TRUE(wnd.m_edit.Create(wnd, editRc, nullptr, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 21));
   EXPECT_TRUE(IsWindowUnicode(wnd.m_edit));

   for (const TextSample &s : TextSamples()) {
      SCOPED_TRACE(s.utf8);
      LRESULT at = list.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.wide));
      ASSERT_GE(at, 0);
      wchar_t item[256] = L"";
      EXPECT_EQ(static_cast<LRESULT>(wcslen(s.wide)), list.SendMessage(LB_GETTEXT, at, reinterpret_cast<LPARAM>(item)));
      EXPECT_STREQ(s.wide, item);

      // A control asks its layer parent for the notification form and gets the W ones.
      wnd.tip = s.wide;
      EXPECT_EQ(s.wide, TipTextFrom(wnd));

      wnd.m_edit.SetWindowText(s.utf8);
      EXPECT_EQ(s.wide, WideText(wnd.m_edit));
   }

   // Characters typed into a subclassed control reach the map and the control whole.
   wnd.m_edit.SetWindowText("");
   const wchar_t typed[] = L"\u00E9\u03A9\u0416\u4EEE";
   for (const wchar_t *c = typed; *c; ++c) {
      SendMessageW(wnd.m_edit, WM_CHAR, *c, 1);
   }
   EXPECT_EQ(typed, wnd.typed);
   EXPECT_EQ(typed, WideText(wnd.m_edit));
   wnd.DestroyWindow();
}

TEST(AtlText, NarrowBufferTooSmallIsCutAtACharacterBoundary)
{
   // 1, 2, 3 and 4 bytes of UTF-8: characters end after bytes 1, 3, 6 and 10.
   const char text[] = u8"a\u00E9\u4EEE\U0001F5A5";
   ASSERT_EQ(10u, strlen(text));
   const struct {
      int size;
      int kept;
   } cuts[] = {{64, 10}, {11, 10}, {10, 6}, {8, 6}, {7, 6}, {6, 3}, {5, 3}, {4, 3}, {3, 1}, {2, 1}, {1, 0}};

   CTextWindow wnd;
   ASSERT_TRUE(wnd.Create(nullptr, CWindow::rcDefault, text));
   CWindow edit;
   RECT rc = {0, 0, 200, 24};
   ASSERT_TRUE(edit.Create(TEXT("EDIT"), wnd, rc, text, WS_CHILD | ES_AUTOHSCROLL, 0, 30));
   EXPECT_EQ(10, wnd.GetWindowTextLength());

   for (const auto &cut : cuts) {
      SCOPED_TRACE(cut.size);
      char buffer[64];
      memset(buffer, 'X', sizeof(buffer));
      EXPECT_EQ(cut.kept, wnd.GetWindowText(buffer, cut.size));
      EXPECT_EQ(std::string(text, static_cast<size_t>(cut.kept)), std::string(buffer));
      memset(buffer, 'X', sizeof(buffer));
      EXPECT_EQ(static_cast<UINT>(cut.kept), wnd.GetDlgItemText(30, buffer, cut.size));
      EXPECT_EQ(std::string(text, static_cast<size_t>(cut.kept)), std::string(buffer));
   }
   // No room at all: nothing written.
   char untouched[4] = "XY";
   EXPECT_EQ(0, wnd.GetWindowText(untouched, 0));
   EXPECT_STREQ("XY", untouched);
   wnd.DestroyWindow();
}

} // namespace

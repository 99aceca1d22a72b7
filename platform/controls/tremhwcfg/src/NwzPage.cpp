#include "NwzPage.h"

#include "NwzSheet.h"
#include "NwzText.h"
#include "tremhwcfg/TremHwCfgRes.h"

namespace tremhwcfg {

CNwzPage::CNwzPage(CNwzSheet &sheet, UINT dialogId, UINT titleId, UINT subtitleId)
   : sheet_(sheet), dialogId_(dialogId), title_(LoadText(titleId)), subtitle_(LoadText(subtitleId))
{
}

PROPSHEETPAGEW CNwzPage::Describe(const std::wstring &caption, bool first, bool last)
{
   caption_ = caption;
   first_ = first;
   last_ = last;
   PROPSHEETPAGEW page;
   ZeroMemory(&page, sizeof(page));
   page.dwSize = sizeof(page);
   page.dwFlags = PSP_USETITLE | PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
   page.hInstance = ResourceModule();
   page.pszTemplate = MAKEINTRESOURCEW(dialogId_);
   page.pfnDlgProc = PageProc;
   page.lParam = reinterpret_cast<LPARAM>(this);
   page.pszTitle = caption_.c_str();
   page.pszHeaderTitle = title_.c_str();
   page.pszHeaderSubTitle = subtitle_.c_str();
   return page;
}

// The sheet creates a page's dialog itself; the page object rides in on WM_INITDIALOG's
// PROPSHEETPAGE and is attached before the layer's dialog procedure sees any message.
INT_PTR CALLBACK CNwzPage::PageProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
   if (!atl::detail::FindObject(wnd, atl::detail::kImplProp)) {
      if (msg != WM_INITDIALOG) {
         return FALSE;
      }
      auto *page = reinterpret_cast<CNwzPage *>(reinterpret_cast<PROPSHEETPAGEW *>(lParam)->lParam);
      page->m_hWnd = wnd;
      atl::detail::AttachObject(wnd, atl::detail::kImplProp, page);
   }
   return DialogProc(wnd, msg, wParam, lParam);
}

LRESULT CNwzPage::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   Load();
   return TRUE;
}

LRESULT CNwzPage::OnCtlColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL &handled)
{
   if (::GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) != IDC_NWZ_ERROR) {
      handled = FALSE;
      return 0;
   }
   HDC dc = reinterpret_cast<HDC>(wParam);
   ::SetTextColor(dc, RGB(0xB0, 0x00, 0x00));
   ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
   return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CNwzPage::OnSetActive(int, LPNMHDR, BOOL &)
{
   DWORD buttons = (first_ ? 0 : PSWIZB_BACK) | (last_ ? PSWIZB_FINISH : PSWIZB_NEXT);
   ::SendMessageW(GetParent(), PSM_SETWIZBUTTONS, 0, buttons);
   ClearError();
   Refresh();
   return 0;
}

LRESULT CNwzPage::OnWizNext(int, LPNMHDR, BOOL &)
{
   return Accept() ? 0 : -1;
}

LRESULT CNwzPage::OnWizFinish(int, LPNMHDR, BOOL &)
{
   if (!Accept()) {
      return TRUE;   // the sheet stays open
   }
   sheet_.MarkFinished();
   return FALSE;
}

bool CNwzPage::Accept()
{
   std::wstring refusal = Store();
   if (refusal.empty()) {
      sheet_.Record(refusal);
   }
   if (!refusal.empty()) {
      ShowError(refusal);
      return false;
   }
   ClearError();
   return true;
}

std::wstring CNwzPage::ItemText(int id) const
{
   HWND item = ::GetDlgItem(m_hWnd, id);
   int length = ::GetWindowTextLengthW(item);
   std::wstring text(static_cast<size_t>(length) + 1, L'\0');
   int copied = ::GetWindowTextW(item, &text[0], length + 1);
   text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
   return text;
}

void CNwzPage::ShowError(const std::wstring &text)
{
   ::SetDlgItemTextW(m_hWnd, IDC_NWZ_ERROR, text.c_str());
   ::MessageBeep(MB_ICONWARNING);
}

void CNwzPage::ClearError()
{
   ::SetDlgItemTextW(m_hWnd, IDC_NWZ_ERROR, L"");
}

void CNwzPage::PressButton(int button)
{
   ::PostMessageW(GetParent(), PSM_PRESSBUTTON, button, 0);
}

}  // namespace tremhwcfg

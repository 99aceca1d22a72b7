#include "TeamPage.h"

#include "CfgText.h"
#include "cui/Team.h"
#include "cui/TeamEditable.h"
#include "tremappcfg/TremAppCfgRes.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace tremappcfg {

HRESULT TeamPage::raw_Bind(ITremappPropObj *const *objects, long count)
{
   if (!objects && count > 0) {
      return E_POINTER;
   }
   for (long i = 0; i < count; ++i) {
      ICuiObjPtr holder;
      if (!objects[i] || FAILED(objects[i]->QueryInterface(__uuidof(ICuiObj), reinterpret_cast<void **>(&holder)))) {
         continue;
      }
      cui::TeamEditable *editable = nullptr;
      if (holder->raw_GetTeamEditable(&editable) == S_OK && editable) {
         editable_ = editable;
         return S_OK;
      }
   }
   Warning("tremappcfg: a team page has no team to edit\n");
   return E_INVALIDARG;
}

HRESULT TeamPage::raw_CreatePage(HPROPSHEETPAGE *page)
{
   if (!page) {
      return E_POINTER;
   }
   if (!editable_) {
      return E_UNEXPECTED;
   }
   PROPSHEETPAGEW description;
   ZeroMemory(&description, sizeof description);
   description.dwSize = sizeof description;
   description.hInstance = ResourceModule();
   description.pszTemplate = MAKEINTRESOURCEW(dialogId_);
   description.pfnDlgProc = &TeamPage::DialogProc;
   description.lParam = reinterpret_cast<LPARAM>(this);
   *page = ::CreatePropertySheetPageW(&description);
   return *page ? S_OK : HRESULT_FROM_WIN32(::GetLastError());
}

HRESULT TeamPage::raw_IsAccepted()
{
   return accepted_ ? S_OK : S_FALSE;
}

HRESULT TeamPage::raw_Commit()
{
   if (!accepted_) {
      return S_FALSE;
   }
   try {
      CommitValues();
      return S_OK;
   } catch (const cui::Error &e) {
      Warning("tremappcfg: a team page's values were refused: %s\n", e.what());
      return E_INVALIDARG;
   }
}

void TeamPage::ShowError(HWND wnd, const std::wstring &text, int focus)
{
   ::SetDlgItemTextW(wnd, IDC_CFG_ERROR, text.c_str());
   if (!text.empty()) {
      ::MessageBeep(MB_ICONWARNING);
   }
   if (focus) {
      ::SetFocus(::GetDlgItem(wnd, focus));
   }
}

std::wstring TeamPage::ItemText(HWND wnd, int id)
{
   HWND item = ::GetDlgItem(wnd, id);
   int length = ::GetWindowTextLengthW(item);
   std::wstring text(static_cast<size_t>(length) + 1, L'\0');
   int copied = ::GetWindowTextW(item, &text[0], length + 1);
   text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
   return text;
}

void TeamPage::AddColumn(HWND list, int index, UINT textId, int width)
{
   std::wstring text = LoadText(textId);
   LVCOLUMNW column = {};
   column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
   column.pszText = &text[0];
   column.cx = width;
   column.iSubItem = index;
   ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

int TeamPage::SelectedRow(HWND list)
{
   return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

INT_PTR CALLBACK TeamPage::DialogProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
   if (msg == WM_INITDIALOG) {
      auto *page = reinterpret_cast<TeamPage *>(reinterpret_cast<PROPSHEETPAGEW *>(lParam)->lParam);
      ::SetWindowLongPtrW(wnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
   }
   auto *page = reinterpret_cast<TeamPage *>(::GetWindowLongPtrW(wnd, DWLP_USER));
   if (!page) {
      return FALSE;
   }
   // Nothing a page throws may reach the sheet's message loop.
   try {
      return page->Route(wnd, msg, wParam, lParam);
   } catch (const std::exception &e) {
      Warning("tremappcfg: a team page failed: %s\n", e.what());
      ShowError(wnd, WideFromUtf8(e.what()));
   } catch (const _com_error &e) {
      Warning("tremappcfg: a team page failed: 0x%08lx\n", static_cast<unsigned long>(e.Error()));
   }
   return FALSE;
}

INT_PTR TeamPage::Route(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
   switch (msg) {
   case WM_INITDIALOG:
      accepted_ = false;
      OnInit(wnd);
      return TRUE;
   case WM_COMMAND:
      OnCommand(wnd, LOWORD(wParam), HIWORD(wParam));
      return FALSE;
   case WM_NOTIFY:
      break;
   default:
      return FALSE;
   }
   const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
   switch (header->code) {
   case PSN_KILLACTIVE:
      // TRUE keeps the page up until its values can be taken.
      ::SetWindowLongPtrW(wnd, DWLP_MSGRESULT, TakeValues(wnd) ? FALSE : TRUE);
      return TRUE;
   case PSN_APPLY:
      if (TakeValues(wnd)) {
         accepted_ = true;
         ::SetWindowLongPtrW(wnd, DWLP_MSGRESULT, PSNRET_NOERROR);
      } else {
         ::SetWindowLongPtrW(wnd, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
      }
      return TRUE;
   case PSN_RESET:
      accepted_ = false;
      return TRUE;
   default:
      OnNotify(wnd, header);
      return FALSE;
   }
}

TeamSummaryPage::TeamSummaryPage() : TeamPage(IDD_CFG_TEAM_SUMMARY) {}

namespace {

// The notes keep "\n" line ends; the edit control wants "\r\n".
std::wstring WithCrLf(const std::wstring &text)
{
   std::wstring out;
   for (wchar_t c : text) {
      if (c == L'\n') {
         out += L'\r';
      }
      if (c != L'\r') {
         out += c;
      }
   }
   return out;
}

std::wstring WithoutCr(const std::wstring &text)
{
   std::wstring out;
   for (wchar_t c : text) {
      if (c != L'\r') {
         out += c;
      }
   }
   return out;
}

}  // namespace

void TeamSummaryPage::OnInit(HWND wnd)
{
   ::SendDlgItemMessageW(wnd, IDC_TEAM_NAME, EM_LIMITTEXT, 256, 0);
   ::SendDlgItemMessageW(wnd, IDC_TEAM_NOTES, EM_LIMITTEXT, 8192, 0);
   ::SetDlgItemTextW(wnd, IDC_TEAM_NAME, WideFromUtf8(editable_->GetName()).c_str());
   ::SetDlgItemTextW(wnd, IDC_TEAM_NOTES, WithCrLf(WideFromUtf8(editable_->GetNotes())).c_str());
}

bool TeamSummaryPage::TakeValues(HWND wnd)
{
   std::wstring name = ItemText(wnd, IDC_TEAM_NAME);
   size_t first = name.find_first_not_of(L" \t");
   if (first == std::wstring::npos) {
      ShowError(wnd, LoadText(IDS_TEAM_EMPTY_NAME), IDC_TEAM_NAME);
      return false;
   }
   name = name.substr(first, name.find_last_not_of(L" \t") - first + 1);
   ShowError(wnd, L"");
   name_ = Utf8FromWide(name);
   notes_ = Utf8FromWide(WithoutCr(ItemText(wnd, IDC_TEAM_NOTES)));
   return true;
}

void TeamSummaryPage::CommitValues()
{
   editable_->SetName(name_);
   editable_->SetNotes(notes_);
}

TeamOptionsPage::TeamOptionsPage() : TeamPage(IDD_CFG_TEAM_OPTIONS) {}

void TeamOptionsPage::OnInit(HWND wnd)
{
   cui::Team *team = editable_->GetTeam();
   ::SetDlgItemTextW(wnd, IDC_TEAM_FILE, team ? WideFromUtf8(team->GetFilename()).c_str() : L"");
}

}  // namespace tremappcfg

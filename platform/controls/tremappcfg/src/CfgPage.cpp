#include "CfgPage.h"

#include <commctrl.h>

#include "CfgText.h"
#include "tremappcfg/TremAppCfgRes.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace tremappcfg {

namespace {

std::string ItemText(HWND wnd, int id)
{
   HWND item = ::GetDlgItem(wnd, id);
   int length = ::GetWindowTextLengthW(item);
   std::wstring text(static_cast<size_t>(length) + 1, L'\0');
   int copied = ::GetWindowTextW(item, &text[0], length + 1);
   text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
   return Utf8FromWide(text);
}

}  // namespace

HRESULT CfgPage::CreateFor(const PageSpec &spec, REFIID iid, void **ppv)
{
   if (!ppv) {
      return E_POINTER;
   }
   *ppv = nullptr;
   CfgPage *page = new (std::nothrow) CfgPage(spec);
   if (!page) {
      return E_OUTOFMEMORY;
   }
   HRESULT hr = page->QueryInterface(iid, ppv);
   page->Release();
   return hr;
}

HRESULT CfgPage::raw_Bind(ITremappPropObj *const *objects, long count)
{
   if (!objects && count > 0) {
      return E_POINTER;
   }
   for (long i = 0; i < count; ++i) {
      if (!objects[i]) {
         continue;
      }
      BSTR path = nullptr;
      IVmdbContext *ctx = nullptr;
      if (FAILED(objects[i]->raw_GetElementPath(&path))) {
         continue;
      }
      std::string element = Utf8FromBstr(path);
      SysFreeString(path);
      if (ElementBelongsTo(spec_.state, element) && SUCCEEDED(objects[i]->raw_GetContext(&ctx))) {
         ctx_.Attach(ctx);
         element_ = element;
         return S_OK;
      }
   }
   Warning("tremappcfg: no data object for the page %s\n", Utf8FromWide(spec_.progId).c_str());
   return E_INVALIDARG;
}

HRESULT CfgPage::raw_CreatePage(HPROPSHEETPAGE *page)
{
   if (!page) {
      return E_POINTER;
   }
   if (!ctx_) {
      return E_UNEXPECTED;
   }
   PROPSHEETPAGEW description;
   ZeroMemory(&description, sizeof description);
   description.dwSize = sizeof description;
   description.hInstance = ResourceModule();
   description.pszTemplate = MAKEINTRESOURCEW(spec_.dialogId);
   description.pfnDlgProc = &CfgPage::DialogProc;
   description.lParam = reinterpret_cast<LPARAM>(this);
   *page = ::CreatePropertySheetPageW(&description);
   return *page ? S_OK : HRESULT_FROM_WIN32(::GetLastError());
}

HRESULT CfgPage::raw_IsAccepted()
{
   return isAccepted_ ? S_OK : S_FALSE;
}

HRESULT CfgPage::raw_Commit()
{
   if (!isAccepted_) {
      return S_FALSE;
   }
   try {
      int written = WriteChanged(ctx_, element_, spec_, shown_, accepted_);
      if (written > 0) {
         Log("tremappcfg: %s wrote %d changed values into %s\n", Utf8FromWide(spec_.progId).c_str(), written,
             element_.c_str());
      }
      return S_OK;
   } catch (const _com_error &e) {
      Warning("tremappcfg: %s could not write into %s: 0x%08lx\n", Utf8FromWide(spec_.progId).c_str(),
              element_.c_str(), static_cast<unsigned long>(e.Error()));
      return e.Error();
   }
}

void CfgPage::ShowValue(HWND wnd, const Field &field, const std::string &value)
{
   switch (field.kind) {
   case FieldKind::Check:
      ::CheckDlgButton(wnd, field.control, IsTrueText(value) ? BST_CHECKED : BST_UNCHECKED);
      break;
   case FieldKind::Folder:
   case FieldKind::Number:
      ::SetDlgItemTextW(wnd, field.control, WideFromUtf8(value).c_str());
      break;
   case FieldKind::Choice: {
      HWND combo = ::GetDlgItem(wnd, field.control);
      ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
      int selected = 0;
      for (size_t i = 0; i < field.choices.size(); ++i) {
         std::wstring text = LoadText(field.choices[i].textId);
         ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
         if (value == field.choices[i].value) {
            selected = static_cast<int>(i);
         }
      }
      ::SendMessageW(combo, CB_SETCURSEL, selected, 0);
      break;
   }
   }
}

void CfgPage::OnInitDialog(HWND wnd)
{
   isAccepted_ = false;
   try {
      shown_ = ReadFields(ctx_, element_, spec_);
      for (const Field &field : spec_.fields) {
         ShowValue(wnd, field, shown_[field.control]);
      }
      if (spec_.showsHostMemory) {
         long memory = HostMemoryMB(ctx_, HostOfElement(element_));
         std::wstring text = FormatText(IDS_CFG_HOST_MEMORY, {std::to_wstring(memory)});
         ::SetDlgItemTextW(wnd, IDC_CFG_HOST_MEMORY, text.c_str());
      }
   } catch (const _com_error &e) {
      Warning("tremappcfg: %s could not read %s: 0x%08lx\n", Utf8FromWide(spec_.progId).c_str(), element_.c_str(),
              static_cast<unsigned long>(e.Error()));
   }
}

FieldValues CfgPage::CollectValues(HWND wnd) const
{
   FieldValues values;
   for (const Field &field : spec_.fields) {
      std::string value;
      switch (field.kind) {
      case FieldKind::Check:
         value = ::IsDlgButtonChecked(wnd, field.control) == BST_CHECKED ? "1" : "0";
         break;
      case FieldKind::Folder:
      case FieldKind::Number:
         value = ItemText(wnd, field.control);
         break;
      case FieldKind::Choice: {
         LRESULT index = ::SendDlgItemMessageW(wnd, field.control, CB_GETCURSEL, 0, 0);
         if (index >= 0 && static_cast<size_t>(index) < field.choices.size()) {
            value = field.choices[static_cast<size_t>(index)].value;
         }
         break;
      }
      }
      values[field.control] = value;
   }
   return values;
}

bool CfgPage::CheckValues(HWND wnd)
{
   FieldValues values = CollectValues(wnd);
   UINT reason = 0;
   int refused = FindRefusedField(spec_, values, reason);
   if (refused != 0) {
      ::SetDlgItemTextW(wnd, IDC_CFG_ERROR, LoadText(reason).c_str());
      ::SetFocus(::GetDlgItem(wnd, refused));
      ::MessageBeep(MB_ICONWARNING);
      return false;
   }
   ::SetDlgItemTextW(wnd, IDC_CFG_ERROR, L"");
   accepted_ = values;
   return true;
}

INT_PTR CALLBACK CfgPage::DialogProc(HWND wnd, UINT msg, WPARAM, LPARAM lParam)
{
   if (msg == WM_INITDIALOG) {
      auto *page = reinterpret_cast<CfgPage *>(reinterpret_cast<PROPSHEETPAGEW *>(lParam)->lParam);
      ::SetWindowLongPtrW(wnd, DWLP_USER, reinterpret_cast<LONG_PTR>(page));
      page->OnInitDialog(wnd);
      return TRUE;
   }
   auto *page = reinterpret_cast<CfgPage *>(::GetWindowLongPtrW(wnd, DWLP_USER));
   if (!page || msg != WM_NOTIFY) {
      return FALSE;
   }
   const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
   switch (header->code) {
   case PSN_KILLACTIVE:
      // TRUE keeps the page up until its values can be taken.
      ::SetWindowLongPtrW(wnd, DWLP_MSGRESULT, page->CheckValues(wnd) ? FALSE : TRUE);
      return TRUE;
   case PSN_APPLY:
      if (page->CheckValues(wnd)) {
         page->isAccepted_ = true;
         ::SetWindowLongPtrW(wnd, DWLP_MSGRESULT, PSNRET_NOERROR);
      } else {
         ::SetWindowLongPtrW(wnd, DWLP_MSGRESULT, PSNRET_INVALID_NOCHANGEPAGE);
      }
      return TRUE;
   case PSN_RESET:
      page->isAccepted_ = false;
      return TRUE;
   default:
      return FALSE;
   }
}

}  // namespace tremappcfg

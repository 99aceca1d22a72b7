#include "PropFrame.h"

#include <commctrl.h>

#include <algorithm>

#include "CfgText.h"
#include "PageFields.h"
#include "atl/ClassTable.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace tremappcfg {

namespace {

_variant_t ReadStateVersion(const ITremappPropObjPtr &data)
{
   try {
      std::string state = StateOfElement(Utf8FromBstr(data->GetElementPath().GetBSTR()));
      return state.empty() ? _variant_t() : data->GetContext()->ReadValue((state + "version").c_str());
   } catch (const _com_error &e) {
      Warning("TremappPropFrame: the version of a state cannot be read: 0x%08lx\n", static_cast<unsigned long>(e.Error()));
      return _variant_t();
   }
}

HRESULT WriteBaseVersion(const ITremappPropObjPtr &data, const _variant_t &version)
{
   if (ValueText(version).empty()) {
      return S_OK;
   }
   try {
      std::string element = Utf8FromBstr(data->GetElementPath().GetBSTR());
      data->GetContext()->WriteValue((element + "baseVersion").c_str(), version);
      return S_OK;
   } catch (const _com_error &e) {
      return e.Error();
   }
}

// Places the sheet over the middle of its owner, kept on the owner's monitor.
int CALLBACK CenterOnOwner(HWND sheet, UINT msg, LPARAM)
{
   HWND owner = ::GetWindow(sheet, GW_OWNER);
   if (msg != PSCB_INITIALIZED || !owner || !::IsWindowVisible(owner)) {
      return 0;
   }
   RECT own, mine;
   ::GetWindowRect(owner, &own);
   ::GetWindowRect(sheet, &mine);
   MONITORINFO monitor = {};
   monitor.cbSize = sizeof monitor;
   ::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
   const RECT &work = monitor.rcWork;
   LONG width = mine.right - mine.left;
   LONG height = mine.bottom - mine.top;
   LONG x = own.left + ((own.right - own.left) - width) / 2;
   LONG y = own.top + ((own.bottom - own.top) - height) / 2;
   x = std::max(work.left, std::min(x, work.right - width));
   y = std::max(work.top, std::min(y, work.bottom - height));
   ::SetWindowPos(sheet, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
   return 0;
}

}  // namespace

HRESULT PropFrame::Create(REFIID iid, void **ppv)
{
   return atl::CreateComObject<PropFrame>(iid, ppv);
}

HRESULT PropFrame::raw_AddDataObject(ITremappPropObj *data)
{
   if (!data) {
      return E_POINTER;
   }
   data_.push_back(data);
   return S_OK;
}

HRESULT PropFrame::raw_AddPage(BSTR progId)
{
   if (!progId || !*progId) {
      return E_INVALIDARG;
   }
   progIds_.emplace_back(progId, SysStringLen(progId));
   return S_OK;
}

HRESULT PropFrame::MakePages(std::vector<ITremappCfgPagePtr> &pages, std::vector<HPROPSHEETPAGE> &sheets)
{
   std::vector<ITremappPropObj *> objects;
   for (const ITremappPropObjPtr &data : data_) {
      objects.push_back(data);
   }
   HRESULT hr = S_OK;
   for (const std::wstring &progId : progIds_) {
      ITremappCfgPagePtr page;
      hr = atl::ClassTable::CreateByName(progId.c_str(), __uuidof(ITremappCfgPage), reinterpret_cast<void **>(&page));
      if (SUCCEEDED(hr)) {
         hr = page->raw_Bind(objects.data(), static_cast<long>(objects.size()));
      }
      HPROPSHEETPAGE sheet = nullptr;
      if (SUCCEEDED(hr)) {
         hr = page->raw_CreatePage(&sheet);
      }
      if (FAILED(hr)) {
         Warning("TremappPropFrame: the page %s could not be made: 0x%08lx\n", Utf8FromWide(progId).c_str(),
                 static_cast<unsigned long>(hr));
         break;
      }
      pages.push_back(page);
      sheets.push_back(sheet);
   }
   if (FAILED(hr)) {
      for (HPROPSHEETPAGE sheet : sheets) {
         ::DestroyPropertySheetPage(sheet);
      }
      sheets.clear();
      pages.clear();
   }
   return hr;
}

HRESULT PropFrame::raw_ShowModal(INT_PTR owner, BSTR title, VARIANT_BOOL *confirmed)
{
   if (!confirmed) {
      return E_POINTER;
   }
   *confirmed = VARIANT_FALSE;
   if (progIds_.empty() || data_.empty()) {
      return E_UNEXPECTED;
   }
   if (showing_) {
      return HRESULT_FROM_WIN32(ERROR_BUSY);
   }
   std::vector<ITremappCfgPagePtr> pages;
   std::vector<HPROPSHEETPAGE> sheets;
   HRESULT hr = MakePages(pages, sheets);
   if (FAILED(hr)) {
      return hr;
   }
   // The version of each state as the pages show it: the owner refuses changes made over a newer one.
   std::vector<_variant_t> versions;
   for (const ITremappPropObjPtr &data : data_) {
      versions.push_back(ReadStateVersion(data));
   }
   std::wstring caption = title ? std::wstring(title, SysStringLen(title)) : std::wstring();
   PROPSHEETHEADERW header;
   ZeroMemory(&header, sizeof header);
   header.dwSize = sizeof header;
   header.dwFlags = PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP | PSH_USECALLBACK;
   header.pfnCallback = &CenterOnOwner;
   header.hwndParent = reinterpret_cast<HWND>(owner);
   header.hInstance = ResourceModule();
   header.pszCaption = caption.c_str();
   header.nPages = static_cast<UINT>(sheets.size());
   header.phpage = sheets.data();

   showing_ = true;
   INT_PTR shown = ::PropertySheetW(&header);
   showing_ = false;
   if (shown < 0) {
      DWORD error = ::GetLastError();
      Warning("TremappPropFrame: the sheet could not be shown (error %lu)\n", error);
      return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
   }
   // OK sends PSN_APPLY to every page that was shown; Cancel (PSN_RESET) takes it back.
   bool accepted = false;
   for (const ITremappCfgPagePtr &page : pages) {
      accepted = accepted || page->raw_IsAccepted() == S_OK;
   }
   if (!accepted) {
      return S_OK;
   }
   for (const ITremappCfgPagePtr &page : pages) {
      hr = page->raw_Commit();
      if (FAILED(hr)) {
         return hr;
      }
   }
   for (size_t i = 0; i < data_.size(); ++i) {
      hr = WriteBaseVersion(data_[i], versions[i]);
      if (FAILED(hr)) {
         return hr;
      }
   }
   *confirmed = VARIANT_TRUE;
   return S_OK;
}

}  // namespace tremappcfg

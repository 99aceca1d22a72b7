#include "NwzSheet.h"

#include <cwchar>

#include "NwzPages.h"
#include "NwzText.h"
#include "tremhwcfg/TremHwCfgRes.h"
#include "tremorybase/Log.h"

namespace tremhwcfg {

namespace {

std::wstring HexCode(HRESULT hr)
{
   wchar_t text[16];
   swprintf(text, 16, L"%08lx", static_cast<unsigned long>(hr));
   return text;
}

}  // namespace

CNwzSheet::CNwzSheet(const NwzRunOptions &options)
   : options_(options), documents_(DocumentsFolder())
{
   settings_.SetGuest(settings_.guestOS);
   settings_.folder = DefaultFolder(documents_, settings_.name);
   caption_ = LoadText(IsTemplate() ? IDS_NWZ_TEMPLATE_CAPTION : IDS_NWZ_CAPTION);
}

CNwzSheet::~CNwzSheet() = default;

void CNwzSheet::BuildPages()
{
   pages_.clear();
   pages_.push_back(std::make_unique<CNwzNamePage>(*this));
   pages_.push_back(std::make_unique<CNwzGuestPage>(*this));
   pages_.push_back(std::make_unique<CNwzMemoryPage>(*this));
   pages_.push_back(std::make_unique<CNwzDiskPage>(*this));
   pages_.push_back(std::make_unique<CNwzNetworkPage>(*this));
   if (IsTemplate()) {
      pages_.push_back(std::make_unique<CNwzTemplatePage>(*this));
   }
   pages_.push_back(std::make_unique<CNwzFinishPage>(*this));
}

short CNwzSheet::Run(HWND parent)
{
   if (!options_.ctx || options_.opPath.empty()) {
      Warning("NWZ: no database context or operation path to record the new machine in\n");
      return TREMNWZ_FAILED;
   }
   BuildPages();
   std::vector<PROPSHEETPAGEW> descriptions;
   for (size_t i = 0; i < pages_.size(); ++i) {
      descriptions.push_back(pages_[i]->Describe(caption_, i == 0, i + 1 == pages_.size()));
   }
   PROPSHEETHEADERW header;
   ZeroMemory(&header, sizeof(header));
   header.dwSize = sizeof(header);
   header.dwFlags = PSH_WIZARD97 | PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_USEICONID;
   header.hwndParent = parent;
   header.hInstance = ResourceModule();
   header.pszIcon = MAKEINTRESOURCEW(32512);   // IDI_APPLICATION
   header.pszCaption = caption_.c_str();
   header.nPages = static_cast<UINT>(descriptions.size());
   header.nStartPage = 0;
   header.ppsp = descriptions.data();

   finished_ = false;
   if (options_.runningSignal) {
      options_.runningSignal->emit(true);
   }
   INT_PTR shown = ::PropertySheetW(&header);
   if (options_.runningSignal) {
      options_.runningSignal->emit(false);
   }
   pages_.clear();
   if (shown < 0) {
      Warning("NWZ: the wizard could not be shown (error %lu)\n", ::GetLastError());
      LeaveFileEmpty();
      return TREMNWZ_FAILED;
   }
   if (!finished_) {
      LeaveFileEmpty();
      return TREMNWZ_CANCELLED;
   }
   Log("NWZ: new machine \"%s\" chosen\n", Utf8FromWide(settings_.ConfigFile()).c_str());
   return TREMNWZ_FINISHED;
}

bool CNwzSheet::Record(std::wstring &error)
{
   try {
      WriteInputs(options_.ctx, options_.opPath, settings_);
      return true;
   } catch (const _com_error &e) {
      _bstr_t description = e.Description();
      std::wstring why = description.length() ? static_cast<const wchar_t *>(description)
                                              : FormatInserts(L"0x%1", {HexCode(e.Error())});
      error = FormatText(IDS_NWZ_ERR_WRITE, {why});
      Warning("NWZ: recording the new machine's settings failed: %s\n", Utf8FromWide(why).c_str());
      return false;
   }
}

void CNwzSheet::LeaveFileEmpty()
{
   try {
      ClearFileInput(options_.ctx, options_.opPath);
   } catch (const _com_error &e) {
      Warning("NWZ: clearing the new machine's file failed (0x%08lx)\n", static_cast<unsigned long>(e.Error()));
   }
}

void CNwzSheet::SwitchToExistingMachine(HWND page)
{
   if (options_.switchSignal) {
      options_.switchSignal->emit(true);
   }
   ::PostMessageW(::GetParent(page), PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
}

}  // namespace tremhwcfg

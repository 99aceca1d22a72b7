#include "zoltWizard.h"

#include "zoltApp.h"
#include "zoltDlgMgr.h"
#include "zoltGuard.h"
#include "zoltResources.h"

#include "cui/Registry.h"
#include "cui/Util.h"
#include "res/resource.h"
#include "tremorybase/Log.h"

#include <vector>

namespace wui {
namespace wizard {

namespace {

const DWORD kSheetFlags = PSH_WIZARD97 | PSH_HEADER | PSH_WATERMARK | PSH_USECALLBACK;

// The wizard whose sheet is being created, until the sheet's callback has put it in the window.
Wizard *sCreating = nullptr;

Wizard *WizardOf(HWND sheet)
{
   return reinterpret_cast<Wizard *>(GetWindowLongPtrA(sheet, GWLP_USERDATA));
}

}  // namespace

Page::Page(Wizard *owner, int templateId, const char *title, const char *subtitle)
   : owner_(owner),
     templateId_(templateId),
     title_(title ? title : ""),
     subtitle_(subtitle ? subtitle : ""),
     hasHeader_(!title_.empty() || !subtitle_.empty())
{
   PROPSHEETPAGEA page = {};
   page.dwSize = sizeof(page);
   page.hInstance = GetResourceInstance();
   page.pszTemplate = MAKEINTRESOURCEA(templateId);
   page.pfnDlgProc = WizardPageProc;
   page.lParam = reinterpret_cast<LPARAM>(this);
   if (hasHeader_) {
      page.dwFlags = PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
      page.pszHeaderTitle = title_.c_str();
      page.pszHeaderSubTitle = subtitle_.c_str();
   } else {
      page.dwFlags = PSP_HIDEHEADER;
   }
   handle_ = CreatePropertySheetPageA(&page);
   if (!handle_) {
      Warning("wui::wizard::Page: the page %d could not be made (error %lu)\n", templateId,
              static_cast<unsigned long>(GetLastError()));
   }
}

Page::~Page()
{
   if (window_ && IsWindow(window_)) {
      SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
   }
}

INT_PTR CALLBACK Page::WizardPageProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
   if (msg == WM_INITDIALOG) {
      auto *sheetPage = reinterpret_cast<PROPSHEETPAGEA *>(lParam);
      auto *page = reinterpret_cast<Page *>(sheetPage->lParam);
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
      page->window_ = window;
   }
   auto *page = reinterpret_cast<Page *>(GetWindowLongPtrA(window, GWLP_USERDATA));
   if (!page) {
      return 0;
   }
   // Nothing thrown may leave a dialog procedure.
   INT_PTR result = 0;
   try {
      result = page->OnMessage(window, msg, wParam, lParam);
   } catch (const std::exception &e) {
      Warning("wui::wizard::Page %d: message 0x%x: %s\n", page->templateId_, msg, e.what());
   } catch (...) {
      Warning("wui::wizard::Page %d: message 0x%x failed\n", page->templateId_, msg);
   }
   return result;
}

INT_PTR Page::OnMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
   if (INT_PTR handled = owner_->ProcessPageMessage(this, window, msg, wParam, lParam)) {
      return handled;
   }
   switch (msg) {
      case WM_DESTROY:
         SetWindowLongPtrA(window, GWLP_USERDATA, 0);
         window_ = nullptr;
         return 1;
      case WM_NOTIFY: {
         const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
         switch (header->code) {
            case PSN_QUERYCANCEL:
            case PSN_WIZFINISH:
               PostMessageA(window, WM_WIZARD_BUTTON, 0, static_cast<LPARAM>(header->code));
               SetWindowLongPtrA(window, DWLP_MSGRESULT, 1);
               return 1;
            case PSN_WIZNEXT:
            case PSN_WIZBACK:
               PostMessageA(window, WM_WIZARD_BUTTON, 0, static_cast<LPARAM>(header->code));
               SetWindowLongPtrA(window, DWLP_MSGRESULT, -1);
               return 1;
            case PSN_SETACTIVE:
               // A result left from this page's last refused press would make the sheet pass it over.
               SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
               return 1;
            default:
               return 0;
         }
      }
      case WM_WIZARD_BUTTON:
         owner_->OnPageButton(static_cast<UINT>(lParam));
         return 1;
      default:
         return 0;
   }
}

Wizard::Wizard()
{
   for (int i = 0; i < cui::wizard::kButtonCount; ++i) {
      shown_[i] = true;
      sensitive_[i] = true;
   }
}

Wizard::~Wizard()
{
   if (sheet_ && IsWindow(sheet_)) {
      HWND sheet = sheet_;
      sheet_ = nullptr;
      SetWindowLongPtrA(sheet, GWLP_USERDATA, 0);
      DestroyWindow(sheet);
   }
}

bool Wizard::Run(std::unique_ptr<Wizard> wizard, HWND parent)
{
   if (!wizard) {
      return false;
   }
   std::vector<HPROPSHEETPAGE> handles;
   for (int i = 0; i < wizard->GetPageCount(); ++i) {
      Page *page = dynamic_cast<Page *>(wizard->GetPage(i));
      if (!page || !page->GetHandle()) {
         Warning("wui::wizard::Wizard::Run: the page %d cannot be shown\n", i);
         for (HPROPSHEETPAGE handle : handles) {
            DestroyPropertySheetPage(handle);
         }
         return false;
      }
      handles.push_back(page->GetHandle());
   }
   if (handles.empty()) {
      return false;
   }
   PROPSHEETHEADERA header = {};
   header.dwSize = sizeof(header);
   header.dwFlags = kSheetFlags;
   header.hwndParent = parent;
   header.hInstance = GetResourceInstance();
   header.nPages = static_cast<UINT>(handles.size());
   header.phpage = handles.data();
   header.nStartPage = 0;
   header.pfnCallback = WizardSheetCallback;
   header.pszbmHeader = MAKEINTRESOURCEA(IDB_CLONEWZ_HEADER);
   header.pszbmWatermark =
      MAKEINTRESOURCEA(wui::util::HasZephroExtension() ? IDB_CLONEWZ_WATERMARK_ZEPHRO : IDB_CLONEWZ_WATERMARK);
   sCreating = wizard.get();
   PropertySheetA(&header);
   sCreating = nullptr;
   // The sheet is gone; the wizard goes with this one owner.
   wizard->sheet_ = nullptr;
   const bool finished = wizard->IsFinished();
   wizard.reset();
   return finished;
}

int CALLBACK Wizard::WizardSheetCallback(HWND window, UINT msg, LPARAM)
{
   if (sCreating && window) {
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(sCreating));
      sCreating = nullptr;
   }
   if (msg == PSCB_INITIALIZED && window) {
      if (Wizard *wizard = WizardOf(window)) {
         wizard->OnSheetInitialized(window);
      }
   }
   return 0;
}

void Wizard::OnSheetInitialized(HWND sheet)
{
   sheet_ = sheet;
   if (::DlgMgr *app = gApp ? gApp->GetDlgMgr() : nullptr) {
      savedOwner_ = app->GetDefaultOwner();
      ownerSaved_ = true;
      app->SetDefaultOwner(sheet);
   }
   if (startPage_) {
      Page *page = startPage_;
      startPage_ = nullptr;
      ShowPage(page);
   }
   if (buttonsPending_) {
      UpdateSheetButtons();
      buttonsPending_ = false;
   }
}

INT_PTR Wizard::ProcessPageMessage(Page *, HWND, UINT, WPARAM, LPARAM)
{
   return 0;
}

void Wizard::Close()
{
   if (ownerSaved_) {
      if (::DlgMgr *app = gApp ? gApp->GetDlgMgr() : nullptr) {
         app->SetDefaultOwner(savedOwner_);
      }
      ownerSaved_ = false;
   }
   if (sheet_ && IsWindow(sheet_)) {
      HWND sheet = sheet_;
      sheet_ = nullptr;
      DestroyWindow(sheet);
   }
}

void Wizard::ShowPage(cui::wizard::Page *libraryPage)
{
   Page *page = dynamic_cast<Page *>(libraryPage);
   if (!page) {
      return;
   }
   if (!sheet_) {
      startPage_ = page;
      return;
   }
   SendMessageA(sheet_, PSM_SETCURSEL, 0, reinterpret_cast<LPARAM>(page->GetHandle()));
}

void Wizard::SetButtonSensitive(cui::wizard::WizardButton button, bool sensitive)
{
   if (button < 0 || button >= cui::wizard::kButtonCount) {
      return;
   }
   sensitive_[button] = sensitive;
   if (sheet_) {
      UpdateSheetButtons();
   } else {
      buttonsPending_ = true;
   }
}

void Wizard::SetButtonVisible(cui::wizard::WizardButton button, bool visible)
{
   if (button < 0 || button >= cui::wizard::kButtonCount) {
      return;
   }
   shown_[button] = visible;
   if (sheet_) {
      UpdateSheetButtons();
   } else {
      buttonsPending_ = true;
   }
}

DWORD Wizard::GetButtonFlags() const
{
   using namespace cui::wizard;
   DWORD flags = 0;
   if (shown_[BUTTON_BACK] && sensitive_[BUTTON_BACK]) {
      flags |= PSWIZB_BACK;
   }
   if (shown_[BUTTON_NEXT] && sensitive_[BUTTON_NEXT]) {
      flags |= PSWIZB_NEXT;
   } else if (shown_[BUTTON_FINISH]) {
      flags |= sensitive_[BUTTON_FINISH] ? PSWIZB_FINISH : PSWIZB_DISABLEDFINISH;
   }
   return flags;
}

void Wizard::UpdateSheetButtons()
{
   PostMessageA(sheet_, PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(GetButtonFlags()));
}

void Wizard::OnPageButton(UINT code)
{
   switch (code) {
      case PSN_QUERYCANCEL:
         OnClicked(cui::wizard::BUTTON_CANCEL);
         break;
      case PSN_WIZBACK:
         OnClicked(cui::wizard::BUTTON_BACK);
         break;
      case PSN_WIZNEXT:
         OnClicked(cui::wizard::BUTTON_NEXT);
         break;
      case PSN_WIZFINISH:
         OnClicked(cui::wizard::BUTTON_FINISH);
         break;
      default:
         break;
   }
}

void Wizard::OnClicked(int button)
{
   HWND sheet = sheet_;
   if (!sheet || !IsWindowEnabled(sheet)) {
      return;
   }
   SetChoice(button);
   EnableWindow(sheet, FALSE);
   RepliedAction action = ENABLE;
   try {
      action = Reply();
   } catch (const std::exception &e) {
      // The library's failure ends nothing: the user can go on or cancel.
      Warning("wui::wizard::Wizard::OnClicked %d: %s\n", button, e.what());
      ReportError(_bstr_t(e.what()), -1, _bstr_t(""));
   }
   Log("wui::wizard::Wizard::OnClicked:%d Reply %d\n", button, static_cast<int>(action));
   switch (action) {
      case ENABLE:
         if (sheet_ && IsWindow(sheet_)) {
            EnableWindow(sheet_, TRUE);
         }
         break;
      case KEEP_DISABLED:
         break;
      case DESTROY:
         Close();
         break;
   }
}

cui::DlgMgr *Wizard::Target() const
{
   return wui::GetDlgMgr();
}

cui::DlgInfo *Wizard::NewInfo(const std::string &text, const std::string &title)
{
   return Target() ? Target()->NewInfo(text, title) : nullptr;
}

cui::DlgWarning *Wizard::NewWarning(const std::string &text, const std::string &title)
{
   return Target() ? Target()->NewWarning(text, title) : nullptr;
}

cui::DlgError *Wizard::NewError(const std::string &text, const std::string &title)
{
   return Target() ? Target()->NewError(text, title) : nullptr;
}

cui::DlgHint *Wizard::NewHint(const std::string &text, const std::string &title)
{
   return Target() ? Target()->NewHint(text, title) : nullptr;
}

cui::DlgQuestion *Wizard::NewQuestion(const std::string &text, const std::vector<std::string> &choices,
                                      int cancelIndex, int defaultIndex, const std::string &title,
                                      cui::DlgQuestion::Icon icon)
{
   return Target() ? Target()->NewQuestion(text, choices, cancelIndex, defaultIndex, title, icon) : nullptr;
}

cui::DlgSQuestion *Wizard::NewSQuestion(const std::string &text, const std::vector<std::string> &choices,
                                        int cancelIndex, int defaultIndex, const std::string &title)
{
   return Target() ? Target()->NewSQuestion(text, choices, cancelIndex, defaultIndex, title) : nullptr;
}

cui::DlgPassword *Wizard::NewPassword(const std::string &text)
{
   return Target() ? Target()->NewPassword(text) : nullptr;
}

cui::DlgActivate *Wizard::NewActivate(cui::DlgActivate::Type type, const std::string &text, const std::string &title)
{
   return Target() ? Target()->NewActivate(type, text, title) : nullptr;
}

cui::DlgAuthenticate *Wizard::NewAuthenticate(int mode, const std::string &text, const std::string &title)
{
   return Target() ? Target()->NewAuthenticate(mode, text, title) : nullptr;
}

cui::DlgChangePassword *Wizard::NewChangePassword(const std::string &text)
{
   return Target() ? Target()->NewChangePassword(text) : nullptr;
}

cui::DlgConnectTo *Wizard::NewConnectTo(const std::string &text, const std::string &title)
{
   return Target() ? Target()->NewConnectTo(text, title) : nullptr;
}

cui::DlgProgress *Wizard::NewProgress(const std::string &text)
{
   return Target() ? Target()->NewProgress(text) : nullptr;
}

cui::DlgFileBrowser *Wizard::NewFileBrowser(cui::Host *host, const std::string &initialDir, const std::string &title,
                                            const std::string &initialFile,
                                            const cui::DlgFileBrowser::FilterList &filters, int filterIndex)
{
   return Target() ? Target()->NewFileBrowser(host, initialDir, title, initialFile, filters, filterIndex) : nullptr;
}

cui::DlgCloseRoamingVM *Wizard::NewCloseRoamingVM(bool canSync)
{
   return Target() ? Target()->NewCloseRoamingVM(canSync) : nullptr;
}

bool Wizard::Implements(Slot) const
{
   return true;
}

}  // namespace wizard
}  // namespace wui

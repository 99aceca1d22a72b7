#include "CloneWz.h"

#include <commctrl.h>
#include <prsht.h>

#include "CloneWzPath.h"
#include "CloneWzPages.h"
#include "zoltDlgMgr.h"
#include "zoltResources.h"

#include "cui/DlgMgr.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "cui/Util.h"
#include "cui/VM.h"
#include "res/resource.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace {

const char kCaption[] = "@&!*@*@(msg.cloneWz.title)Clone Virtual Machine Wizard";
// The local host's node, where the library puts it.
const char kLocalHostPath[] = "/host2/#0000/";

}  // namespace

CCloneWz::CCloneWz(cui::VM *vm, cui::SnapshotTree *tree, int snapshotUid)
   : vm_(vm), tree_(tree), snapshotUid_(snapshotUid)
{
   if (vm_) {
      sourceIsClone_ = vm_->IsClone();
   }
}

CCloneWz::~CCloneWz()
{
   for (sigc::connection &connection : pageConnections_) {
      connection.disconnect();
   }
}

bool CCloneWz::Run(HWND parent)
{
   struct PageDef {
      int id;
      UINT title;
      UINT subtitle;
      DLGPROC proc;
   };
   const PageDef defs[] = {
      {kWelcomePage, 0, 0, clonewz::WelcomePageProc},
      {kSourcePage, IDS_CLONEWZ_SOURCE_TITLE, IDS_CLONEWZ_SOURCE_SUBTITLE, clonewz::SourcePageProc},
      {kTypePage, IDS_CLONEWZ_TYPE_TITLE, IDS_CLONEWZ_TYPE_SUBTITLE, clonewz::TypePageProc},
      {kNamePage, IDS_CLONEWZ_NAME_TITLE, IDS_CLONEWZ_NAME_SUBTITLE, clonewz::NamePageProc},
      {kProgressPage, IDS_CLONEWZ_PROGRESS_TITLE, IDS_CLONEWZ_PROGRESS_SUBTITLE, clonewz::ProgressPageProc},
   };
   const size_t count = sizeof(defs) / sizeof(defs[0]);
   HINSTANCE module = GetResourceInstance();
   std::wstring titles[count];
   std::wstring subtitles[count];
   HPROPSHEETPAGE pages[count] = {};
   for (size_t i = 0; i < count; ++i) {
      PROPSHEETPAGEW page;
      ZeroMemory(&page, sizeof(page));
      page.dwSize = sizeof(page);
      page.hInstance = module;
      page.pszTemplate = MAKEINTRESOURCEW(defs[i].id);
      page.pfnDlgProc = defs[i].proc;
      page.lParam = reinterpret_cast<LPARAM>(this);
      if (defs[i].title) {
         titles[i] = WideFromUtf8(LoadResString(defs[i].title));
         subtitles[i] = WideFromUtf8(LoadResString(defs[i].subtitle));
         page.dwFlags = PSP_USEHEADERTITLE | PSP_USEHEADERSUBTITLE;
         page.pszHeaderTitle = titles[i].c_str();
         page.pszHeaderSubTitle = subtitles[i].c_str();
      } else {
         page.dwFlags = PSP_HIDEHEADER;
      }
      pages[i] = CreatePropertySheetPageW(&page);
      if (!pages[i]) {
         Warning("CCloneWz::Run: page %d could not be made (error %lu)\n", defs[i].id, GetLastError());
         for (size_t made = 0; made < i; ++made) {
            DestroyPropertySheetPage(pages[made]);
         }
         return false;
      }
   }
   std::wstring caption = WideFromUtf8(cui::GetLocalString(kCaption));
   PROPSHEETHEADERW header;
   ZeroMemory(&header, sizeof(header));
   header.dwSize = sizeof(header);
   // No callback is given: the flag only asks for the newer sheet.
   header.dwFlags = PSH_WIZARD97 | PSH_HEADER | PSH_WATERMARK | PSH_USECALLBACK;
   header.hwndParent = parent;
   header.hInstance = module;
   header.pszCaption = caption.c_str();
   header.nPages = count;
   header.nStartPage = 0;
   header.phpage = pages;
   header.pszbmWatermark = MAKEINTRESOURCEW(wui::util::HasZephroExtension() ? IDB_CLONEWZ_WATERMARK_ZEPHRO
                                                                           : IDB_CLONEWZ_WATERMARK);
   header.pszbmHeader = MAKEINTRESOURCEW(IDB_CLONEWZ_HEADER);
   Log("CCloneWz::Run: cloning %s, snapshot %d\n", vm_ ? vm_->GetFilename().c_str() : "(none)", snapshotUid_);
   INT_PTR shown = PropertySheetW(&header);
   for (sigc::connection &connection : pageConnections_) {
      connection.disconnect();
   }
   pageConnections_.clear();
   if (shown < 0) {
      Warning("CCloneWz::Run: the wizard could not be shown (error %lu)\n", GetLastError());
      return false;
   }
   bool made = !cancelled_ && completed_;
   Log("CCloneWz::Run: %s\n", made ? path_.c_str() : "no clone made");
   return made;
}

void CCloneWz::SetNameAndPath(const std::string &name, const std::string &folder)
{
   name_ = name;
   path_ = clonewz::ConfigPath(folder, name, GetOSType());
}

void CCloneWz::StartClone(const cui::AbortSlot &failed, const cui::DoneSlot &done, const cui::DoneSlot &snapshotStep)
{
   if (!vm_) {
      cui::CallSlot(failed, false, cui::Error(cui::VM::GetErrorText(cui::VM::CLONE_ERR_CLOSED)));
      return;
   }
   vm_->Clone(snapshotUid_, !linked_, name_, path_, failed, done, snapshotStep);
}

int CCloneWz::GetPrevPage(int page)
{
   switch (page) {
   case kSourcePage:
      return kWelcomePage;
   case kTypePage:
      return kSourcePage;
   case kNamePage:
      return kTypePage;
   default:
      NOT_IMPLEMENTED();
   }
}

int CCloneWz::GetNextPage(int page)
{
   switch (page) {
   case kWelcomePage:
      return kSourcePage;
   case kSourcePage:
      return kTypePage;
   case kTypePage:
      return kNamePage;
   case kNamePage:
      return kProgressPage;
   default:
      NOT_IMPLEMENTED();
   }
}

DWORD CCloneWz::GetWizardButtons(int page)
{
   switch (page) {
   case kSourcePage:
   case kTypePage:
   case kNamePage:
      return PSWIZB_BACK | PSWIZB_NEXT;
   default:
      NOT_IMPLEMENTED();
   }
}

_bstr_t CCloneWz::GetClonePath() const
{
   if (cancelled_ || !completed_) {
      return _bstr_t(L"");
   }
   return _bstr_t(WideFromUtf8(path_).c_str());
}

void CCloneWz::SetVM(cui::VM *vm)
{
   vm_ = vm;
   sourceIsClone_ = vm_ && vm_->IsClone();
   tree_ = vm_ ? vm_->GetSnapshotTree() : nullptr;
   longestDiskName_ = -1;
   machineChanged.emit();
}

void CCloneWz::SetPath(const std::string &path, bool edited)
{
   path_ = path;
   if (edited) {
      pathEdited_ = true;
   }
   pathChanged.emit(path_);
}

bool CCloneWz::IsCloneable(int type, int *error) const
{
   if (!vm_) {
      if (error) {
         *error = cui::VM::CLONE_ERR_CLOSED;
      }
      return false;
   }
   return vm_->IsCloneable(snapshotUid_, type, error);
}

int CCloneWz::GetLongestDiskNameLength()
{
   if (longestDiskName_ < 0 && vm_) {
      longestDiskName_ = vm_->GetLongestHardDiskNameLength();
   }
   return longestDiskName_ < 0 ? 0 : longestDiskName_;
}

std::string CCloneWz::GetDefaultName() const
{
   std::string source = vm_ ? vm_->GetName() : std::string();
   return clonewz::FileNameOf(tremapputil::ResString(IDS_CLONEWZ_DEFAULT_NAME).Format({source}));
}

std::string CCloneWz::GetDefaultFolder() const
{
   return clonewz::DefaultFolder(clonewz::PreferredFolder(), vm_ ? vm_->GetFilename() : std::string());
}

cui::Host *CCloneWz::GetHost()
{
   cui::Host *host = vm_ ? vm_->GetHost() : nullptr;
   if (!host) {
      host = cui::GetClientHost();
   }
   if (!host) {
      host = wui::GetCurrentHost();
   }
   if (!host && cui::GetVmdbCtx().IsValid()) {
      if (!ownHost_) {
         ownHost_.reset(new cui::Host(nullptr, cui::GetVmdbCtx(), kLocalHostPath));
      }
      host = ownHost_.get();
   }
   return host;
}

int CCloneWz::GetOSType()
{
   cui::Host *host = GetHost();
   return host ? host->GetOSType() : 1;
}

void CCloneWz::SetValidated(const std::string &name, const std::string &location)
{
   validated_ = true;
   validatedName_ = name;
   validatedLocation_ = location;
}

void CCloneWz::ClearValidated()
{
   validated_ = false;
   validatedName_.clear();
   validatedLocation_.clear();
}

bool CCloneWz::IsValidated(const std::string &name, const std::string &location) const
{
   return validated_ && name == validatedName_ && location == validatedLocation_;
}

int CCloneWz::FirstPageToFinish() const
{
   if (!IsCloneable(cui::VM::CLONE_EITHER)) {
      return kSourcePage;
   }
   if (!IsCloneable(linked_ ? cui::VM::CLONE_LINKED : cui::VM::CLONE_FULL)) {
      return kTypePage;
   }
   if (!validated_) {
      return kNamePage;
   }
   return kProgressPage;
}

void CCloneWz::SetTitleFont(HFONT font)
{
   titleFont_.reset(font);
}

namespace clonewz {

CCloneWz *AttachWizard(HWND page, UINT msg, LPARAM lParam)
{
   if (msg == WM_INITDIALOG) {
      auto *wizard = reinterpret_cast<CCloneWz *>(reinterpret_cast<PROPSHEETPAGEW *>(lParam)->lParam);
      SetWindowLongPtrW(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(wizard));
      return wizard;
   }
   auto *wizard = reinterpret_cast<CCloneWz *>(GetWindowLongPtrW(page, GWLP_USERDATA));
   if (msg == WM_DESTROY) {
      SetWindowLongPtrW(page, GWLP_USERDATA, 0);
   }
   return wizard;
}

void ReportPageFailure(const char *what, bool showIt)
{
   Warning("CCloneWz: a page failed: %s\n", what);
   if (showIt) {
      ShowError(what);
   }
}

INT_PTR Answer(HWND page, LONG_PTR result)
{
   SetWindowLongPtrW(page, DWLP_MSGRESULT, result);
   return TRUE;
}

bool HandleNavigation(HWND page, CCloneWz &wizard, int pageId, const NMHDR &header, INT_PTR &result)
{
   HWND sheet = GetParent(page);
   switch (header.code) {
   case PSN_QUERYCANCEL:
      wizard.SetCancelled(true);
      result = Answer(page, FALSE);
      return true;
   case PSN_WIZBACK:
      result = Answer(page, wizard.GetPrevPage(pageId));
      return true;
   case PSN_WIZFINISH: {
      // Finish before the last page still goes through every page's check: to the first page
      // whose choice does not hold, or through the name page's check to the clone.
      int target = wizard.FirstPageToFinish();
      Log("CCloneWz: Finish on page %d goes to page %d\n", pageId, target);
      if (target != pageId) {
         PostMessageW(sheet, PSM_SETCURSELID, 0, target);
      }
      if (target == CCloneWz::kNamePage) {
         PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
      }
      result = Answer(page, TRUE);
      return true;
   }
   default:
      return false;
   }
}

void MakeSheetDialogOwner(HWND sheet)
{
   wui::DlgMgr *libDlgMgr = wui::GetDlgMgr();
   if (!libDlgMgr) {
      return;
   }
   libDlgMgr->SetDefaultOwner(sheet);
   if (auto *appDlgMgr = dynamic_cast<::DlgMgr *>(libDlgMgr->GetAppDlgMgr())) {
      appDlgMgr->SetDefaultOwner(sheet);
   }
}

void ShowError(const std::string &text)
{
   Log("CCloneWz: %s\n", text.c_str());
   wui::DlgMgr *dlgMgr = wui::GetDlgMgr();
   if (!dlgMgr || !dlgMgr->NewError(text, "")) {
      Warning("CCloneWz: the error could not be shown\n");
   }
}

std::string ItemText(HWND page, int id)
{
   HWND item = GetDlgItem(page, id);
   int length = GetWindowTextLengthW(item);
   std::wstring text(static_cast<size_t>(length) + 1, L'\0');
   int copied = GetWindowTextW(item, &text[0], length + 1);
   text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
   return Utf8FromWide(text);
}

void SetItemText(HWND page, int id, const std::string &text)
{
   SetDlgItemTextW(page, id, WideFromUtf8(text).c_str());
}

std::string ResText(unsigned int id)
{
   return LoadResString(id);
}

// The first page: what the wizard does, or why this machine cannot be cloned.
static INT_PTR WelcomePageMessage(HWND page, UINT msg, WPARAM, LPARAM lParam)
{
   CCloneWz *wizard = AttachWizard(page, msg, lParam);
   if (!wizard) {
      return FALSE;
   }
   switch (msg) {
   case WM_INITDIALOG: {
      MakeSheetDialogOwner(GetParent(page));
      NONCLIENTMETRICSW metrics;
      ZeroMemory(&metrics, sizeof(metrics));
      metrics.cbSize = sizeof(metrics);
      if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
         LOGFONTW font = metrics.lfMessageFont;
         font.lfWeight = FW_BOLD;
         lstrcpynW(font.lfFaceName, L"Verdana Bold", LF_FACESIZE);
         font.lfHeight = -(12 * GetDeviceCaps(atl::ScopedWindowDC(page), LOGPIXELSY)) / 72;
         wizard->SetTitleFont(CreateFontIndirectW(&font));
         SendDlgItemMessageW(page, IDC_CLONEWZ_WELCOME_TITLE, WM_SETFONT,
                             reinterpret_cast<WPARAM>(wizard->GetTitleFont()), TRUE);
      }
      int error = 0;
      if (wizard->GetVM() && !wizard->IsCloneable(cui::VM::CLONE_EITHER, &error)) {
         SetItemText(page, IDC_CLONEWZ_WELCOME_TEXT, cui::VM::GetErrorText(error));
      }
      return TRUE;
   }
   case WM_NOTIFY: {
      const NMHDR &header = *reinterpret_cast<NMHDR *>(lParam);
      INT_PTR result = FALSE;
      if (header.code == PSN_SETACTIVE) {
         bool cannot = wizard->GetVM() && !wizard->IsCloneable(cui::VM::CLONE_EITHER);
         PropSheet_SetWizButtons(GetParent(page), cannot ? 0 : PSWIZB_NEXT);
         return Answer(page, 0);
      }
      if (header.code == PSN_WIZNEXT) {
         return Answer(page, wizard->GetNextPage(CCloneWz::kWelcomePage));
      }
      if (header.code == PSN_WIZBACK) {
         return Answer(page, -1);   // nothing comes before
      }
      if (HandleNavigation(page, *wizard, CCloneWz::kWelcomePage, header, result)) {
         return result;
      }
      return FALSE;
   }
   default:
      return FALSE;
   }
}

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
   return Guarded([&]() { return WelcomePageMessage(page, msg, wParam, lParam); });
}

}  // namespace clonewz

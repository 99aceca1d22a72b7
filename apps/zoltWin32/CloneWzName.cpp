#include "CloneWzName.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "CloneWz.h"
#include "CloneWzPages.h"
#include "CloneWzPath.h"

#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/VM.h"
#include "cui/WizardUtil.h"
#include "res/resource.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace clonewz {

namespace {

const int kNameTests = wui::util::PATH_BAD_CHARS | wui::util::PATH_EMPTY | wui::util::PATH_TOO_LONG;

// Set while the page writes its own edits, whose changes are then not the user's.
bool gFilling = false;

std::string LongPathText(int characters)
{
   return cui::Format("@&!*@*@(msg.cloneWzPath.update.longPath)The path is too long. A virtual machine's path "
                      "may have at most %d characters.", characters);
}

// A name is one file name: it holds no separator and no drive's colon either.
bool HasSeparator(const std::string &name)
{
   return name.find_first_of("\\/:") != std::string::npos;
}

HWND Sheet(HWND page)
{
   return GetParent(page);
}

void Fill(HWND page, int id, const std::string &text)
{
   gFilling = true;
   SetItemText(page, id, text);
   gFilling = false;
}

void OnLocationTyped(HWND page, CCloneWz &wizard)
{
   std::string text = ItemText(page, IDC_CLONEWZ_LOCATION);
   if (text != wizard.GetPath()) {
      wizard.SetPath(text, true);
   }
}

void OnNameTyped(HWND page, CCloneWz &wizard)
{
   std::string name = ItemText(page, IDC_CLONEWZ_NAME);
   wizard.SetName(name);
   if (!wizard.GetPathEdited()) {
      // The location follows the name through the path-changed signal.
      wizard.SetPath(NormalizeFolder(wizard.GetDefaultFolder(), wizard.GetOSType()) + FileNameOf(name), false);
   }
   OnLocationTyped(page, wizard);
}

void FillDefaults(HWND page, CCloneWz &wizard)
{
   if (wizard.GetName().empty() || wizard.GetPath().empty()) {
      std::string folder = NormalizeFolder(wizard.GetDefaultFolder(), wizard.GetOSType());
      std::string name = UniqueName(wizard.GetDefaultName(), [&folder](const std::string &candidate) {
         return PathExists(folder + FileNameOf(candidate)) != 0;
      });
      // Typed as if by the user: the location follows.
      SetItemText(page, IDC_CLONEWZ_NAME, name);
      return;
   }
   std::string location = FolderOf(wizard.GetPath());
   Fill(page, IDC_CLONEWZ_NAME, wizard.GetName());
   Fill(page, IDC_CLONEWZ_LOCATION, location);
   wizard.SetPath(location, false);
}

void SetUpAutoComplete(HWND page, const CCloneWz &wizard)
{
   cui::VM *vm = wizard.GetVM();
   if (!vm || !wizard.GetSnapshotTree() || (vm->GetHost() && vm->GetHost()->GetCnx())) {
      return;
   }
   // Loaded by name: the program links nothing else of the shell's light library.
   typedef HRESULT(WINAPI * AutoCompleteFn)(HWND, DWORD);
   HMODULE shlwapi = LoadLibraryW(L"shlwapi.dll");
   auto autoComplete = shlwapi ? reinterpret_cast<AutoCompleteFn>(
                                    reinterpret_cast<void *>(GetProcAddress(shlwapi, "SHAutoComplete")))
                               : nullptr;
   if (!autoComplete || FAILED(autoComplete(GetDlgItem(page, IDC_CLONEWZ_LOCATION), SHACF_FILESYSTEM))) {
      Log("CCloneWz: no file-system completion for the location\n");
   }
}

int CALLBACK BrowseCallback(HWND window, UINT msg, LPARAM, LPARAM data)
{
   if (msg == BFFM_INITIALIZED && data) {
      SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
   }
   return 0;
}

void Browse(HWND page)
{
   std::wstring title = WideFromUtf8(ResText(IDS_CLONEWZ_BROWSE_TITLE));
   std::wstring start = WideFromUtf8(ItemText(page, IDC_CLONEWZ_LOCATION));
   wchar_t chosen[MAX_PATH] = L"";
   BROWSEINFOW info;
   ZeroMemory(&info, sizeof(info));
   info.hwndOwner = Sheet(page);
   info.pszDisplayName = chosen;
   info.lpszTitle = title.c_str();
   info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
   info.lpfn = BrowseCallback;
   info.lParam = reinterpret_cast<LPARAM>(start.c_str());
   LPITEMIDLIST item = SHBrowseForFolderW(&info);
   if (!item) {
      return;
   }
   wchar_t path[MAX_PATH] = L"";
   if (SHGetPathFromIDListW(item, path) && path[0]) {
      SetDlgItemTextW(page, IDC_CLONEWZ_LOCATION, path);
   }
   CoTaskMemFree(item);
}

// Answers of the host's writability check, for the page while it still shows.
CCloneWz *LivePage(HWND page)
{
   return IsWindow(page) ? AttachWizard(page, WM_NULL, 0) : nullptr;
}

void EnableSheet(HWND page, CCloneWz &wizard)
{
   wui::util::EnableAllControls(Sheet(page), true);
   PropSheet_SetWizButtons(Sheet(page), wizard.GetWizardButtons(CCloneWz::kNamePage));
}

void OnWritableAnswer(HWND page, std::string nameText, std::string locationText, std::string name,
                      std::string location, bool writable, std::string checked, std::string reason)
{
   CCloneWz *wizard = LivePage(page);
   if (!wizard) {
      return;
   }
   EnableSheet(page, *wizard);
   if (!writable) {
      Log("CCloneWz: %s cannot be written: %s\n", checked.c_str(), reason.c_str());
      ShowError(cui::Format("@&!*@*@(msg.cui.wizard.new.notWritable)The folder \"%s\" cannot be written. Choose "
                            "another location.", location.c_str()));
      wizard->ClearValidated();
      return;
   }
   wizard->SetNameAndPath(name, NormalizeFolder(location, wizard->GetOSType()));
   // Only these texts passed: an edit before the press below is checked again.
   wizard->SetValidated(nameText, locationText);
   PostMessageW(Sheet(page), PSM_PRESSBUTTON, PSBTN_NEXT, 0);
}

void OnWritableFailed(HWND page, bool cancelled, cui::Error error)
{
   CCloneWz *wizard = LivePage(page);
   if (!wizard) {
      return;
   }
   EnableSheet(page, *wizard);
   if (!cancelled) {
      ShowError(error.what());
   }
}

// Next: the page to show, or -1 to stay (a message shown, or the host asked).
LONG_PTR Validate(HWND page, CCloneWz &wizard)
{
   std::string nameText = ItemText(page, IDC_CLONEWZ_NAME);
   std::string locationText = ItemText(page, IDC_CLONEWZ_LOCATION);
   if (wizard.IsValidated(nameText, locationText)) {
      return wizard.GetNextPage(CCloneWz::kNamePage);
   }
   wizard.ClearValidated();
   cui::Host *host = wizard.GetHost();
   int osType = wizard.GetOSType();
   std::string name = wui::util::TrimLeft(nameText);
   std::string location = wui::util::TrimFilePath(locationText, osType != 2);
   std::string message = CheckNameAndLocation(name, location, osType, wizard.GetLongestDiskNameLength(),
                                              wizard.GetExtraPathReserve(), PathExists);
   if (message.empty() && !host) {
      message = cui::GetLocalString("@&!*@*@(msg.host.registration.noHost)There is no host to ask about its virtual "
                                    "machines.");
   }
   if (!message.empty()) {
      ShowError(message);
      return -1;
   }
   wui::util::EnableAllControls(Sheet(page), false);
   Log("CCloneWz: asking whether %s can be written\n", location.c_str());
   host->GetWritablePath(
      location, [page](bool cancelled, cui::Error error) { OnWritableFailed(page, cancelled, error); },
      [page, nameText, locationText, name, location](bool writable, std::string checked, std::string reason) {
         OnWritableAnswer(page, nameText, locationText, name, location, writable, checked, reason);
      });
   return -1;
}

}  // namespace

std::string CheckNameAndLocation(const std::string &name, const std::string &location, int osType,
                                 int longestDiskName, int extraReserve, const ExistsFn &exists, int *reserve)
{
   std::string message;
   switch (wui::util::ValidatePath(osType, kNameTests, name, 0)) {
   case wui::util::PATH_BAD_CHARS:
      message = cui::GetLocalString("@&!*@*@(msg.cloneWzPath.update.badName)A name may not contain any of these "
                                    "characters: > < * : / \\ \" ? |");
      break;
   case wui::util::PATH_EMPTY:
      message = cui::GetLocalString("@&!*@*@(msg.cloneWzPath.update.emptyName)Type a name for the clone.");
      break;
   case wui::util::PATH_TOO_LONG:
      message = LongPathText(wui::util::kMaxPath);
      break;
   default:
      if (osType != 2 && HasSeparator(name)) {
         message = cui::GetLocalString("@&!*@*@(msg.cloneWzPath.update.badName)A name may not contain any of these "
                                       "characters: > < * : / \\ \" ? |");
      }
      break;
   }
   int room = PathReserve(name, longestDiskName, extraReserve);
   if (reserve) {
      *reserve = room;
   }
   switch (wui::util::ValidatePath(osType, kNameTests, location, room)) {
   case wui::util::PATH_BAD_CHARS:
      message = cui::GetLocalString("@&!*@*@(msg.cloneWzPath.update.badPath)The location holds characters a folder "
                                    "name may not contain: < > * ? \" |");
      break;
   case wui::util::PATH_EMPTY:
      message = cui::GetLocalString("@&!*@*@(msg.cloneWzPath.update.emptyPath)Type the folder the clone goes to.");
      break;
   case wui::util::PATH_TOO_LONG:
      message = LongPathText(wui::util::kMaxPath - (extraReserve + 70));
      break;
   default:
      break;
   }
   if (!location.empty() && exists) {
      int found = exists(location, std::string());
      bool machine = found == 1 ? exists(location, "*.vmx") || exists(location, "*.vmdk") : found != 0;
      if (machine) {
         message = cui::GetLocalString("@&!*@*@(msg.cloneWzPath.update.vmExists)A virtual machine already exists "
                                       "in this location. Choose another name or location.");
      }
   }
   return message;
}

static INT_PTR NamePageMessage(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
   CCloneWz *wizard = AttachWizard(page, msg, lParam);
   if (!wizard) {
      return FALSE;
   }
   switch (msg) {
   case WM_INITDIALOG:
      SendDlgItemMessageW(page, IDC_CLONEWZ_NAME, EM_LIMITTEXT, wui::util::kMaxPath, 0);
      SendDlgItemMessageW(page, IDC_CLONEWZ_LOCATION, EM_LIMITTEXT, wui::util::kMaxPath, 0);
      wizard->KeepPageConnection(wizard->pathChanged.connect([page](std::string path) {
         if (IsWindow(page) && ItemText(page, IDC_CLONEWZ_LOCATION) != path) {
            SetItemText(page, IDC_CLONEWZ_LOCATION, path);
         }
      }));
      wizard->KeepPageConnection(wizard->machineChanged.connect([page]() {
         if (CCloneWz *current = LivePage(page)) {
            SetUpAutoComplete(page, *current);
         }
      }));
      SetUpAutoComplete(page, *wizard);
      return TRUE;
   case WM_COMMAND:
      if (HIWORD(wParam) == EN_CHANGE && (LOWORD(wParam) == IDC_CLONEWZ_NAME || LOWORD(wParam) == IDC_CLONEWZ_LOCATION)) {
         // Whatever changes after a check has to pass it again.
         wizard->ClearValidated();
         if (!gFilling) {
            if (LOWORD(wParam) == IDC_CLONEWZ_NAME) {
               OnNameTyped(page, *wizard);
            } else {
               OnLocationTyped(page, *wizard);
            }
         }
      } else if (LOWORD(wParam) == IDC_CLONEWZ_BROWSE && HIWORD(wParam) == BN_CLICKED) {
         Browse(page);
      }
      return FALSE;
   case WM_NOTIFY: {
      const NMHDR &header = *reinterpret_cast<NMHDR *>(lParam);
      INT_PTR result = FALSE;
      switch (header.code) {
      case PSN_SETACTIVE:
         PropSheet_SetWizButtons(Sheet(page), wizard->GetWizardButtons(CCloneWz::kNamePage));
         FillDefaults(page, *wizard);
         wizard->ClearValidated();
         return Answer(page, 0);
      case PSN_WIZNEXT:
         return Answer(page, Validate(page, *wizard));
      case PSN_WIZFINISH:
         // Finish is this page's Next, once the pages before hold.
         if (wizard->FirstPageToFinish() == CCloneWz::kNamePage || wizard->FirstPageToFinish() == CCloneWz::kProgressPage) {
            LONG_PTR next = Validate(page, *wizard);
            if (next != -1) {
               PostMessageW(Sheet(page), PSM_SETCURSELID, 0, next);
            }
            return Answer(page, TRUE);
         }
         HandleNavigation(page, *wizard, CCloneWz::kNamePage, header, result);
         return result;
      case PSN_WIZBACK: {
         std::string location = wui::util::TrimFilePath(ItemText(page, IDC_CLONEWZ_LOCATION), wizard->GetOSType() != 2);
         wizard->SetPath(NormalizeFolder(location, wizard->GetOSType()), false);
         wizard->ClearPathEdited();
         return Answer(page, wizard->GetPrevPage(CCloneWz::kNamePage));
      }
      default:
         if (HandleNavigation(page, *wizard, CCloneWz::kNamePage, header, result)) {
            return result;
         }
         return FALSE;
      }
   }
   default:
      return FALSE;
   }
}

INT_PTR CALLBACK NamePageProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam)
{
   return Guarded([&]() { return NamePageMessage(page, msg, wParam, lParam); });
}

}  // namespace clonewz

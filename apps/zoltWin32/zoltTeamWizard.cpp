// The new-team wizard: its pages by kind, the welcome, name, choice and summary pages.
#include "zoltTeamWizard.h"

#include "zoltApp.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "cui/TeamEditable.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "cui/WizardUtil.h"
#include "res/resource.h"
#include "res/teamwz.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

#include <comdef.h>
#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <new>

namespace wui {
namespace wizard {

namespace {

const int kLinux = 2;
const char kInvalidPath[] =
   "@&!*@*@(msg.wui.wizard.teamWizard.invalidPath)The location of the team must be the absolute path of a folder.";
const int kTemplates[cui::wizard::Team::kPageKinds] = {
   IDD_TEAMWZ_WELCOME,  IDD_TEAMWZ_NAME,     IDD_TEAMWZ_ADD_VMS, IDD_TEAMWZ_VM_LIST,
   IDD_TEAMWZ_ADD_LANS, IDD_TEAMWZ_LAN_LIST, IDD_TEAMWZ_SUMMARY,
};

std::string ItemText(HWND window, int id)
{
   wchar_t text[1024] = L"";
   GetDlgItemTextW(window, id, text, 1024);
   return Utf8FromWide(text);
}

void SetItemText(HWND window, int id, const std::string &text)
{
   SetDlgItemTextW(window, id, WideFromUtf8(text).c_str());
}

// File-system completion in an edit box, where the shell offers it.
void AddPathCompletion(HWND edit)
{
   typedef HRESULT(WINAPI * AutoCompleteFn)(HWND, DWORD);
   HMODULE shlwapi = LoadLibraryA("shlwapi.dll");
   auto complete = shlwapi ? reinterpret_cast<AutoCompleteFn>(
                                reinterpret_cast<void (*)()>(GetProcAddress(shlwapi, "SHAutoComplete")))
                           : nullptr;
   if (complete) {
      complete(edit, SHACF_FILESYSTEM);
   }
}

int CALLBACK BrowseCallback(HWND window, UINT msg, LPARAM, LPARAM data)
{
   if (msg == BFFM_INITIALIZED && data) {
      SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
   }
   return 0;
}

}  // namespace

TeamWizard::TeamWizard(cui::Host *host) : cui::wizard::Team(host)
{
   Init();
   SetPath(DefaultLocation(GetName()));
}

TeamWizard::~TeamWizard()
{
   summaryList_ = nullptr;
   if (sharedIcons_) {
      ImageList_Destroy(sharedIcons_);
   }
}

std::string TeamWizard::DefaultLocation(const std::string &name)
{
   std::string folder = Config_GetString("ui.defaultVMFolder", "");
   if (folder.empty()) {
      wchar_t documents[MAX_PATH] = L"";
      if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents))) {
         folder = Utf8FromWide(documents) + "\\My Virtual Machines";
      }
   }
   while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) {
      folder.pop_back();
   }
   return folder.empty() ? name : folder + "\\" + name;
}

std::string TeamWizard::CleanLocation(const std::string &text, int osType)
{
   std::string path = wui::util::TrimFilePath(text, osType != kLinux);
   const size_t root = osType == kLinux ? 1 : (path.size() >= 2 && path[1] == ':' ? 3 : 2);
   while (path.size() > root && (path.back() == '\\' || path.back() == '/')) {
      path.pop_back();
   }
   return path;
}

cui::wizard::Page *TeamWizard::CreatePage(int kind, const std::string &title, const std::string &subtitle)
{
   if (kind < 0 || kind >= kPageKinds) {
      throw cui::Error(cui::Format("@&!*@*@(msg.wui.wizard.teamWizard.badPage)zoltTeamWizard: there is no page "
                                   "of kind %d.", kind));
   }
   if (kind == PAGE_WELCOME) {
      return new Page(this, kTemplates[kind], nullptr, nullptr);
   }
   const std::string titleText = cui::GetLocalString(title);
   const std::string subtitleText = cui::GetLocalString(subtitle);
   return new Page(this, kTemplates[kind], titleText.c_str(), subtitleText.c_str());
}

cui::TeamEditable *TeamWizard::CreateTeamEditable()
{
   return new (std::nothrow) cui::TeamEditable(GetTeam());
}

void TeamWizard::OnNamePageValidate(const cui::wizard::ValidateSlot &done)
{
   const std::string path = GetPath();
   const int os = GetOSType();
   if (wui::util::ValidatePath(os, wui::util::PATH_BAD_CHARS | wui::util::PATH_EMPTY, path, 0) != wui::util::PATH_OK ||
       !cui::wizard::IsAbsolutePath(path, os)) {
      done(false, kInvalidPath);
      return;
   }
   cui::wizard::New::OnNamePageValidate(done);
}

INT_PTR TeamWizard::ProcessPageMessage(Page *page, HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
   switch (page->GetTemplateId()) {
      case IDD_TEAMWZ_WELCOME:
         return OnWelcomeMessage(window, msg);
      case IDD_TEAMWZ_NAME:
         return OnNameMessage(window, msg, wParam, lParam);
      case IDD_TEAMWZ_ADD_VMS:
         return OnChoiceMessage(window, msg, wParam, IDC_TEAMWZ_ADD_VMS_YES, true);
      case IDD_TEAMWZ_VM_LIST:
         return OnVMListMessage(window, msg, wParam, lParam);
      case IDD_TEAMWZ_ADD_LANS:
         return OnChoiceMessage(window, msg, wParam, IDC_TEAMWZ_ADD_LANS_YES, false);
      case IDD_TEAMWZ_LAN_LIST:
         return OnLANListMessage(window, msg, wParam, lParam);
      case IDD_TEAMWZ_SUMMARY:
         return OnSummaryMessage(window, msg, lParam);
      default:
         return 0;
   }
}

INT_PTR TeamWizard::OnWelcomeMessage(HWND window, UINT msg)
{
   if (msg == WM_INITDIALOG) {
      NONCLIENTMETRICSA metrics = {};
      metrics.cbSize = sizeof(metrics);
      SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
      LOGFONTA font = metrics.lfMessageFont;
      lstrcpynA(font.lfFaceName, "Verdana Bold", LF_FACESIZE);
      font.lfWeight = FW_BOLD;
      HDC screen = GetDC(nullptr);
      font.lfHeight = -(12 * GetDeviceCaps(screen, LOGPIXELSY)) / 72;
      ReleaseDC(nullptr, screen);
      titleFont_.reset(CreateFontIndirectA(&font));
      SendDlgItemMessageA(window, IDC_TEAMWZ_WELCOME_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(titleFont_.get()),
                          TRUE);
   } else if (msg == WM_DESTROY) {
      SendDlgItemMessageA(window, IDC_TEAMWZ_WELCOME_TITLE, WM_SETFONT, 0, FALSE);
      titleFont_.reset();
   }
   return 0;
}

INT_PTR TeamWizard::OnNameMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
   switch (msg) {
      case WM_INITDIALOG:
         SetItemText(window, IDC_TEAMWZ_NAME, GetName());
         SetItemText(window, IDC_TEAMWZ_LOCATION, GetPath());
         SendDlgItemMessageA(window, IDC_TEAMWZ_NAME, EM_LIMITTEXT, wui::util::kMaxPath, 0);
         SendDlgItemMessageA(window, IDC_TEAMWZ_LOCATION, EM_LIMITTEXT, wui::util::kMaxPath, 0);
         if (!GetHost() || !GetHost()->GetCnx()) {
            AddPathCompletion(GetDlgItem(window, IDC_TEAMWZ_LOCATION));
         }
         return 0;
      case WM_COMMAND:
         if (HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == IDC_TEAMWZ_NAME) {
            SetName(ItemText(window, IDC_TEAMWZ_NAME));
         } else if (HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == IDC_TEAMWZ_LOCATION) {
            SetPath(ItemText(window, IDC_TEAMWZ_LOCATION));
         } else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDC_TEAMWZ_BROWSE) {
            BrowseLocation(window);
         }
         return 0;
      case WM_NOTIFY: {
         const UINT code = reinterpret_cast<const NMHDR *>(lParam)->code;
         if (code == PSN_WIZBACK || code == PSN_WIZNEXT || code == PSN_WIZFINISH) {
            SetPath(CleanLocation(ItemText(window, IDC_TEAMWZ_LOCATION), GetOSType()));
         }
         return 0;
      }
      default:
         return 0;
   }
}

void TeamWizard::BrowseLocation(HWND window)
{
   std::wstring title = WideFromUtf8(LoadResString(IDS_CLONEWZ_BROWSE_TITLE));
   std::wstring start = WideFromUtf8(ItemText(window, IDC_TEAMWZ_LOCATION));
   wchar_t chosen[MAX_PATH] = L"";
   BROWSEINFOW info = {};
   info.hwndOwner = GetSheet();
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
      SetDlgItemTextW(window, IDC_TEAMWZ_LOCATION, path);
   }
   CoTaskMemFree(item);
}

INT_PTR TeamWizard::OnChoiceMessage(HWND window, UINT msg, WPARAM wParam, int yesId, bool vms)
{
   if (msg == WM_INITDIALOG) {
      const bool yes = vms ? GetAddVMs() : GetAddLANs();
      CheckRadioButton(window, yesId, yesId + 1, yes ? yesId : yesId + 1);
   } else if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED &&
              (LOWORD(wParam) == yesId || LOWORD(wParam) == yesId + 1)) {
      const bool yes = IsDlgButtonChecked(window, yesId) == BST_CHECKED;
      if (vms) {
         SetAddVMs(yes);
      } else {
         SetAddLANs(yes);
      }
   }
   return 0;
}

INT_PTR TeamWizard::OnSummaryMessage(HWND window, UINT msg, LPARAM lParam)
{
   if (msg == WM_INITDIALOG) {
      CreateSummaryList(window);
      return 0;
   }
   if (msg == WM_DESTROY) {
      summaryList_ = nullptr;
      return 0;
   }
   if (msg != WM_NOTIFY || !summaryList_) {
      return 0;
   }
   const UINT code = reinterpret_cast<const NMHDR *>(lParam)->code;
   try {
      if (code == PSN_SETACTIVE) {
         FillSummary(window);
         _com_util::CheckError(summaryList_->raw_Reload());
         _com_util::CheckError(summaryList_->raw_PutSelection(0));
         const std::string hostPath = GetHost() ? GetHost()->GetPath() : std::string();
         const bool allowed =
            !gApp || TremAppUtil_CheckLockout(gApp->GetContext(), hostPath.c_str(), "lockoutEditVM");
         EnableWindow(GetDlgItem(window, IDC_TEAMWZ_SUMMARY_LIST), allowed);
      } else if (code == PSN_WIZBACK || code == PSN_WIZNEXT || code == PSN_WIZFINISH) {
         VARIANT_BOOL mayLeave = VARIANT_TRUE;
         _com_util::CheckError(summaryList_->raw_QueryLeave(&mayLeave));
         if (mayLeave == VARIANT_FALSE) {
            SetWindowLongPtrA(window, DWLP_MSGRESULT, code == PSN_WIZFINISH ? TRUE : -1);
            return 1;
         }
      }
   } catch (const _com_error &e) {
      Report(cui::Format("@&!*@*@(msg.wui.wizard.teamWizard.listFailed)The team list does not answer (0x%08lx).",
                         static_cast<unsigned long>(e.Error())));
   }
   return 0;
}

void TeamWizard::CreateSummaryList(HWND window)
{
   HWND placeholder = GetDlgItem(window, IDC_TEAMWZ_SUMMARY_LIST);
   RECT place = {};
   GetWindowRect(placeholder, &place);
   MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&place), 2);
   DestroyWindow(placeholder);
   ITeamListViewPtr list;
   HRESULT hr = list.CreateInstance(__uuidof(TeamListView), nullptr, CLSCTX_ALL);
   if (SUCCEEDED(hr)) {
      hr = list->raw_CreateWnd(window, &place);
   }
   if (FAILED(hr)) {
      ReportComCreateFailure("TeamListViewWnd", hr);
      return;
   }
   try {
      HWND control = nullptr;
      _com_util::CheckError(list->raw_GetWindow(&control));
      _com_util::CheckError(list->raw_PutId(IDC_TEAMWZ_SUMMARY_LIST));
      _com_util::CheckError(list->raw_PutImages(SharedIcons()));
      SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      SendMessageW(control, WM_SETFONT, SendMessageW(window, WM_GETFONT, 0, 0), TRUE);
      _com_util::CheckError(list->raw_PutTeamEditable(GetTeamEditable()));
      // The list needs no in-place activation; a control that offers it is told nothing more.
      IOleInPlaceActiveObject *active = nullptr;
      hr = list->QueryInterface(IID_IOleInPlaceActiveObject, reinterpret_cast<void **>(&active));
      if (active) {
         active->Release();
      }
      if (FAILED(hr) && hr != E_NOINTERFACE) {
         _com_issue_error(hr);
      }
      summaryList_ = list;
   } catch (const _com_error &e) {
      ReportComCreateFailure("TeamListViewWnd", e.Error());
   }
}

void TeamWizard::FillSummary(HWND window)
{
   std::string text = LoadResString(IDS_TEAMWZ_SUMMARY_TEXT);
   size_t at = text.find("%1");
   if (at != std::string::npos) {
      text.replace(at, 2, GetName());
   }
   at = text.find("%2");
   if (at != std::string::npos) {
      text.replace(at, 2, GetPath());
   }
   SetItemText(window, IDC_TEAMWZ_SUMMARY_TEXT, text);
}

HIMAGELIST TeamWizard::SharedIcons()
{
   if (!sharedIcons_) {
      sharedIcons_ = CreateSharedIconImageList();
   }
   return sharedIcons_;
}

}  // namespace wizard
}  // namespace wui

#include "zoltCaptureFileDlg.h"

#include <commdlg.h>

#include "atl/FileDialog.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "res/resource.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace {

const DWORD kSaveFlags = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                         OFN_PATHMUSTEXIST | OFN_ENABLESIZING;
static_assert(kSaveFlags == 0x88082e, "the save box's flags");
const UINT kQualityStrings[] = {IDS_MOVIE_QUALITY_HIGH, IDS_MOVIE_QUALITY_MEDIUM, IDS_MOVIE_QUALITY_LOW};

}  // namespace

bool HasFileExtension(const std::string &path)
{
   size_t end = path.find_last_not_of(" .");
   if (end == std::string::npos) {
      return false;
   }
   std::string name = path.substr(0, end + 1);
   size_t slash = name.find_last_of("\\/");
   if (slash != std::string::npos) {
      name.erase(0, slash + 1);
   }
   size_t dot = name.rfind('.');
   return dot != std::string::npos && dot + 1 < name.size();
}

void CZOLTCaptureFileDlg::SetInitialFile(const std::string &name, const std::string &dir)
{
   // The dialog's buffer counts characters: a long name is cut there, never inside a character.
   initialName_ = WideFromUtf8(name).substr(0, MAX_PATH - 1);
   initialDir_ = WideFromUtf8(dir);
}

std::string CZOLTCaptureFileDlg::GetInitialName() const
{
   return Utf8FromWide(initialName_);
}

bool CZOLTCaptureFileDlg::DoModal(HWND owner)
{
   std::wstring filter = LoadDialogFilter(filterId_);
   wchar_t file[MAX_PATH] = L"";
   initialName_.copy(file, MAX_PATH - 1);
   OPENFILENAMEW ofn = {};
   ofn.lStructSize = sizeof ofn;
   ofn.hwndOwner = owner;
   ofn.hInstance = GetResourceInstance();
   ofn.lpstrFilter = filter.c_str();
   ofn.lpstrFile = file;
   ofn.nMaxFile = MAX_PATH;
   ofn.lpstrInitialDir = initialDir_.empty() ? nullptr : initialDir_.c_str();
   ofn.Flags = kSaveFlags;
   ofn.lCustData = reinterpret_cast<LPARAM>(this);
   ofn.lpfnHook = &CZOLTCaptureFileDlg::HookProc;
   if (withQuality_) {
      ofn.Flags |= OFN_ENABLETEMPLATE;
      ofn.lpTemplateName = MAKEINTRESOURCEW(IDD_MOVIE_OPTIONS);
   }
   if (!atl::GetSaveFileName(&ofn)) {
      DWORD error = atl::FileDialogError();
      if (error != 0) {
         Warning("CZOLTCaptureFileDlg::DoModal: the save dialog failed: 0x%lx\n", static_cast<unsigned long>(error));
      }
      return false;
   }
   file_ = Utf8FromWide(file);
   return true;
}

UINT_PTR CALLBACK CZOLTCaptureFileDlg::HookProc(HWND hook, UINT msg, WPARAM, LPARAM lParam)
{
   // No exception may cross back into the system's dialog.
   try {
      if (msg == WM_INITDIALOG) {
         auto *ofn = reinterpret_cast<OPENFILENAMEW *>(lParam);
         auto *dlg = reinterpret_cast<CZOLTCaptureFileDlg *>(ofn->lCustData);
         SetWindowLongPtrW(hook, DWLP_USER, reinterpret_cast<LONG_PTR>(dlg));
         dlg->OnInitDialog(hook);
         return TRUE;
      }
      auto *dlg = reinterpret_cast<CZOLTCaptureFileDlg *>(GetWindowLongPtrW(hook, DWLP_USER));
      if (dlg && msg == WM_NOTIFY && reinterpret_cast<NMHDR *>(lParam)->code == CDN_FILEOK) {
         bool accept = dlg->OnFileOk(hook);
         SetWindowLongPtrW(hook, DWLP_MSGRESULT, accept ? 0 : 1);
         return accept ? 0 : 1;
      }
   } catch (const std::exception &e) {
      Warning("CZOLTCaptureFileDlg::HookProc failed: %s\n", e.what());
   } catch (...) {
      Warning("CZOLTCaptureFileDlg::HookProc failed: an exception of an unknown kind\n");
   }
   return 0;
}

void CZOLTCaptureFileDlg::OnInitDialog(HWND hook)
{
   if (!withQuality_) {
      return;
   }
   HWND box = GetDlgItem(hook, IDC_MOVIE_QUALITY);
   for (UINT id : kQualityStrings) {
      SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(LoadResString(id)).c_str()));
   }
   int count = static_cast<int>(sizeof kQualityStrings / sizeof kQualityStrings[0]);
   SendMessageW(box, CB_SETCURSEL, quality_ >= 0 && quality_ < count ? quality_ : 0, 0);
}

bool CZOLTCaptureFileDlg::OnFileOk(HWND hook)
{
   HWND dialog = GetParent(hook);
   wchar_t path[MAX_PATH] = L"";
   SendMessageW(dialog, CDM_GETFILEPATH, MAX_PATH, reinterpret_cast<LPARAM>(path));
   if (!HasFileExtension(Utf8FromWide(path))) {
      MessageBoxUtf8(dialog, LoadResString(IDS_FILE_NAME_INVALID), LoadAppTitle(), MB_OK | MB_ICONEXCLAMATION);
      return false;
   }
   if (withQuality_) {
      LRESULT chosen = SendDlgItemMessageW(hook, IDC_MOVIE_QUALITY, CB_GETCURSEL, 0, 0);
      if (chosen != CB_ERR) {
         quality_ = static_cast<int>(chosen);
      }
   }
   return true;
}

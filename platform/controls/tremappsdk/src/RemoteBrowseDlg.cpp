#include "RemoteBrowseDlg.h"

#include "ComError.h"
#include "DbUtil.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"

namespace tremappsdk {

namespace {

std::wstring Text(BSTR text)
{
   return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

bool IsFolder(const std::wstring &path)
{
   DWORD attributes = GetFileAttributesW(path.c_str());
   return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::wstring &path)
{
   DWORD attributes = GetFileAttributesW(path.c_str());
   return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

CRemoteBrowseWnd::CRemoteBrowseWnd(const std::wstring &title, const std::wstring &filter,
                                   const std::wstring &startFolder, const std::wstring &root, bool caseSensitive)
   : title_(title), filters_(ParseBrowseFilter(filter)), start_(startFolder), root_(root),
     caseSensitive_(caseSensitive)
{
   if (filters_.empty()) {
      filters_.push_back(BrowseFilter{L"*.*", {L"*.*"}});
   }
}

LRESULT CRemoteBrowseWnd::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   if (!title_.empty()) {
      SetWindowTextW(m_hWnd, title_.c_str());
   }
   HWND types = GetDlgItem(IDC_TREMAPPSDK_BROWSE_TYPE);
   for (const BrowseFilter &filter : filters_) {
      ::SendMessageW(types, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(filter.label.c_str()));
   }
   ::SendMessageW(types, CB_SETCURSEL, 0, 0);
   // A start folder that is gone leaves the browser at the host's root.
   if (start_.empty() || !ShowFolder(start_)) {
      ShowFolder(root_);
   }
   CenterWindow(GetParent());
   ::SetFocus(GetDlgItem(IDC_TREMAPPSDK_BROWSE_NAME));
   return FALSE;
}

bool CRemoteBrowseWnd::ShowFolder(const std::wstring &folder)
{
   LRESULT type = SendDlgItemMessageW(m_hWnd, IDC_TREMAPPSDK_BROWSE_TYPE, CB_GETCURSEL, 0, 0);
   const BrowseFilter &filter = filters_[type >= 0 && static_cast<size_t>(type) < filters_.size() ? type : 0];
   std::wstring full = CombineBrowsePath(std::wstring(), folder);
   std::vector<BrowseEntry> entries;
   if (!ListBrowseFolder(full, filter.patterns, caseSensitive_, entries)) {
      Warning("RemoteBrowseDlg: the folder %s cannot be read\n", Utf8FromWide(full).c_str());
      return false;
   }
   folder_ = full;
   entries_ = entries;
   SetDlgItemTextW(m_hWnd, IDC_TREMAPPSDK_BROWSE_FOLDER, folder_.c_str());
   HWND list = GetDlgItem(IDC_TREMAPPSDK_BROWSE_LIST);
   ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
   ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
   for (const BrowseEntry &entry : entries_) {
      std::wstring shown = entry.folder && entry.name != L".." ? L"[" + entry.name + L"]" : entry.name;
      ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
   }
   ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
   ::InvalidateRect(list, nullptr, TRUE);
   return true;
}

const BrowseEntry *CRemoteBrowseWnd::SelectedEntry() const
{
   LRESULT index = ::SendMessageW(GetDlgItem(IDC_TREMAPPSDK_BROWSE_LIST), LB_GETCURSEL, 0, 0);
   return index >= 0 && static_cast<size_t>(index) < entries_.size() ? &entries_[index] : nullptr;
}

void CRemoteBrowseWnd::Open(const std::wstring &name)
{
   std::wstring path = CombineBrowsePath(folder_, name);
   if (IsFolder(path)) {
      if (ShowFolder(path)) {
         SetDlgItemTextW(m_hWnd, IDC_TREMAPPSDK_BROWSE_NAME, L"");
      }
      return;
   }
   if (!IsFile(path)) {
      std::wstring text = FormatResString(IDS_TREMAPPSDK_BROWSE_NOT_FOUND, path.c_str());
      ::MessageBoxW(m_hWnd, text.c_str(), title_.c_str(), MB_OK | MB_ICONEXCLAMATION);
      return;
   }
   path_ = path;
   EndDialog(IDOK);
}

LRESULT CRemoteBrowseWnd::OnListDblClk(WORD, WORD, HWND, BOOL &)
{
   if (const BrowseEntry *entry = SelectedEntry()) {
      Open(entry->name);
   }
   return 0;
}

LRESULT CRemoteBrowseWnd::OnListSelChange(WORD, WORD, HWND, BOOL &)
{
   const BrowseEntry *entry = SelectedEntry();
   if (entry && !entry->folder) {
      SetDlgItemTextW(m_hWnd, IDC_TREMAPPSDK_BROWSE_NAME, entry->name.c_str());
   }
   return 0;
}

LRESULT CRemoteBrowseWnd::OnTypeChange(WORD, WORD, HWND, BOOL &)
{
   ShowFolder(folder_);
   return 0;
}

LRESULT CRemoteBrowseWnd::OnOK(WORD, WORD, HWND, BOOL &)
{
   wchar_t typed[MAX_PATH * 2] = L"";
   GetDlgItemTextW(m_hWnd, IDC_TREMAPPSDK_BROWSE_NAME, typed, MAX_PATH * 2);
   std::wstring name = typed;
   size_t first = name.find_first_not_of(L" \t");
   name = first == std::wstring::npos ? std::wstring() : name.substr(first, name.find_last_not_of(L" \t") - first + 1);
   if (name.empty()) {
      // Enter on a listed folder goes into it, as a double click does.
      const BrowseEntry *entry = SelectedEntry();
      if (entry) {
         Open(entry->name);
      }
      return 0;
   }
   Open(name);
   return 0;
}

LRESULT CRemoteBrowseWnd::OnCancel(WORD, WORD, HWND, BOOL &)
{
   path_.clear();
   EndDialog(IDCANCEL);
   return 0;
}

HRESULT RemoteBrowseObject::Fail(HRESULT hr, const wchar_t *text) const
{
   return SetComErrorInfo(__uuidof(IRemoteBrowseDlg), text, hr);
}

HRESULT __stdcall RemoteBrowseObject::raw_SetConnection(BSTR cnxPath)
{
   std::wstring path = Text(cnxPath);
   if (path.empty()) {
      return Fail(E_INVALIDARG, L"RemoteBrowseDlg: no connection was given");
   }
   cnxPath_ = path;
   return S_OK;
}

HRESULT __stdcall RemoteBrowseObject::raw_Browse(HWND owner, BSTR hostPath, long osType, BSTR title, BSTR filter,
                                                 BSTR startFolder, BSTR *path)
{
   if (!path) {
      return E_POINTER;
   }
   *path = nullptr;
   if (cnxPath_.empty()) {
      return Fail(E_UNEXPECTED, L"RemoteBrowseDlg: browsing needs a connection");
   }
   if (Text(hostPath).empty()) {
      return Fail(E_INVALIDARG, L"RemoteBrowseDlg: no host was given");
   }
   const bool linuxHost = osType == 2;
   std::wstring root = linuxHost ? L"/" : L"C:\\";
   Log("RemoteBrowseDlg: browsing %s over %s from %s\n", Utf8FromWide(Text(hostPath)).c_str(),
       Utf8FromWide(cnxPath_).c_str(), Utf8FromWide(Text(startFolder)).c_str());
   CRemoteBrowseWnd wnd(Text(title), Text(filter), Text(startFolder), root, linuxHost);
   INT_PTR answer = wnd.DoModal(owner);
   if (answer == -1) {
      return Fail(E_FAIL, L"RemoteBrowseDlg: the browser window cannot be shown");
   }
   if (answer == IDOK && !wnd.GetPath().empty()) {
      *path = SysAllocString(wnd.GetPath().c_str());
      return *path ? S_OK : E_OUTOFMEMORY;
   }
   return S_FALSE;
}

}  // namespace tremappsdk

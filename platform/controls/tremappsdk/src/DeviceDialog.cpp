#include "DeviceDialog.h"

#include <commdlg.h>

#include "DeviceGlyph.h"
#include "atl/FileDialog.h"

namespace tremappsdk {

DeviceChange DeviceChange::Between(const DeviceInfo &before, bool present, const std::wstring &fileName)
{
   DeviceChange change;
   change.present = present;
   change.presentChanged = present != before.present;
   change.fileName = fileName;
   change.fileChanged = fileName != before.fileName;
   return change;
}

bool CDeviceDialog::HasImage() const
{
   return device_.type == L"disk" || device_.type == L"cdrom" || device_.type == L"floppy";
}

LRESULT CDeviceDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   std::wstring label = device_.label.empty() ? LoadResString(DeviceTypeStringId(device_.type)) : device_.label;
   SetWindowTextW(m_hWnd, label.c_str());
   SetDlgItemTextW(m_hWnd, IDC_TREMAPPSDK_DEV_TYPE, LoadResString(DeviceTypeStringId(device_.type)).c_str());
   SetDlgItemTextW(m_hWnd, IDC_TREMAPPSDK_DEV_KEY, device_.key.c_str());
   CheckDlgButton(IDC_TREMAPPSDK_DEV_CONNECTED, device_.present ? BST_CHECKED : BST_UNCHECKED);
   SetDlgItemTextW(m_hWnd, IDC_TREMAPPSDK_DEV_FILE, device_.fileName.c_str());
   // A disk's image is part of the machine: it is shown, not changed here.
   bool removable = device_.type == L"cdrom" || device_.type == L"floppy";
   ::EnableWindow(GetDlgItem(IDC_TREMAPPSDK_DEV_FILE), removable);
   ::EnableWindow(GetDlgItem(IDC_TREMAPPSDK_DEV_BROWSE), removable);
   for (int id : {IDC_TREMAPPSDK_DEV_FILE, IDC_TREMAPPSDK_DEV_BROWSE, IDC_TREMAPPSDK_DEV_FILE_LABEL}) {
      ::ShowWindow(GetDlgItem(id), HasImage() ? SW_SHOW : SW_HIDE);
   }
   ::EnableWindow(GetDlgItem(IDC_TREMAPPSDK_DEV_CONNECTED), device_.type != L"disk");
   return TRUE;
}

LRESULT CDeviceDialog::OnOK(WORD, WORD, HWND, BOOL &)
{
   bool present = IsDlgButtonChecked(IDC_TREMAPPSDK_DEV_CONNECTED) == BST_CHECKED;
   std::wstring file = device_.fileName;
   if (device_.type == L"cdrom" || device_.type == L"floppy") {
      wchar_t text[MAX_PATH] = {};
      GetDlgItemTextW(m_hWnd, IDC_TREMAPPSDK_DEV_FILE, text, MAX_PATH);
      file = text;
   }
   change_ = DeviceChange::Between(device_, present, file);
   EndDialog(IDOK);
   return 0;
}

LRESULT CDeviceDialog::OnCancel(WORD, WORD, HWND, BOOL &)
{
   change_ = DeviceChange();
   EndDialog(IDCANCEL);
   return 0;
}

LRESULT CDeviceDialog::OnBrowse(WORD, WORD, HWND, BOOL &)
{
   wchar_t file[MAX_PATH] = {};
   GetDlgItemTextW(m_hWnd, IDC_TREMAPPSDK_DEV_FILE, file, MAX_PATH);
   std::wstring filter = LoadResString(IDS_TREMAPPSDK_IMAGE_FILTER);
   for (wchar_t &c : filter) {
      if (c == L'|') {
         c = L'\0';
      }
   }
   OPENFILENAMEW ofn = {};
   ofn.lStructSize = sizeof(ofn);
   ofn.hwndOwner = m_hWnd;
   ofn.lpstrFilter = filter.c_str();
   ofn.lpstrFile = file;
   ofn.nMaxFile = MAX_PATH;
   ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
   if (atl::GetOpenFileName(&ofn)) {
      SetDlgItemTextW(m_hWnd, IDC_TREMAPPSDK_DEV_FILE, file);
   }
   return 0;
}

}  // namespace tremappsdk

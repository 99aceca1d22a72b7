// The remote file browser: the modal window and the "RemoteBrowseDlg" object that runs it.
#pragma once

#include <string>
#include <vector>

#include "RemoteBrowseList.h"
#include "atl/Atl.h"
#include "atl/ComObject.h"
#include "tremappsdk/RemoteBrowseDlg.h"
#include "tremappsdkRes.h"

namespace tremappsdk {

class CRemoteBrowseWnd : public CDialogImpl<CRemoteBrowseWnd> {
public:
   enum { IDD = IDD_TREMAPPSDK_REMOTE_BROWSE };

   CRemoteBrowseWnd(const std::wstring &title, const std::wstring &filter, const std::wstring &startFolder,
                    const std::wstring &root, bool caseSensitive);

   BEGIN_MSG_MAP(CRemoteBrowseWnd)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      COMMAND_HANDLER(IDC_TREMAPPSDK_BROWSE_LIST, LBN_DBLCLK, OnListDblClk)
      COMMAND_HANDLER(IDC_TREMAPPSDK_BROWSE_LIST, LBN_SELCHANGE, OnListSelChange)
      COMMAND_HANDLER(IDC_TREMAPPSDK_BROWSE_TYPE, CBN_SELCHANGE, OnTypeChange)
      COMMAND_ID_HANDLER(IDOK, OnOK)
      COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
   END_MSG_MAP()

   // The chosen file after IDOK.
   const std::wstring &GetPath() const { return path_; }
   const std::wstring &GetFolder() const { return folder_; }

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnListDblClk(WORD, WORD, HWND, BOOL &);
   LRESULT OnListSelChange(WORD, WORD, HWND, BOOL &);
   LRESULT OnTypeChange(WORD, WORD, HWND, BOOL &);
   LRESULT OnOK(WORD, WORD, HWND, BOOL &);
   LRESULT OnCancel(WORD, WORD, HWND, BOOL &);

   // Shows `folder`; false (and nothing changed) when it cannot be read.
   bool ShowFolder(const std::wstring &folder);
   // Goes into a folder or chooses a file: the typed or listed `name` taken in the shown folder.
   void Open(const std::wstring &name);
   const BrowseEntry *SelectedEntry() const;

   std::wstring title_;
   std::vector<BrowseFilter> filters_;
   std::wstring start_;
   std::wstring root_;
   bool caseSensitive_;
   std::wstring folder_;
   std::vector<BrowseEntry> entries_;
   std::wstring path_;
};

class RemoteBrowseObject : public atl::ComObject<IRemoteBrowseDlg, ISupportErrorInfo> {
public:
   HRESULT __stdcall InterfaceSupportsErrorInfo(REFIID iid) override
   {
      return iid == __uuidof(IRemoteBrowseDlg) ? S_OK : S_FALSE;
   }
   HRESULT __stdcall raw_SetConnection(BSTR cnxPath) override;
   HRESULT __stdcall raw_Browse(HWND owner, BSTR hostPath, long osType, BSTR title, BSTR filter, BSTR startFolder,
                                BSTR *path) override;

private:
   HRESULT Fail(HRESULT hr, const wchar_t *text) const;

   std::wstring cnxPath_;
};

}  // namespace tremappsdk

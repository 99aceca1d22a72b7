// The open-machine dialog of a session against a host: the host's registered machines to pick
// one or more from, and Browse for a configuration file that is not listed (registered first
// when the host does not know it yet).
#pragma once

#include "atl/Atl.h"
#include "cui/HostVMList.h"
#include "vmdb/VmdbInterfaces.h"

#include "res/resource.h"

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <sigc++/sigc++.h>

// Where the dialog's controls go for a client area: the instruction texts across the top, the
// list below them, the buttons kept at their distance from the bottom right corner.
struct OpenRemoteLayout {
   RECT text1;
   RECT text2;
   RECT list;
   RECT browse;
   RECT ok;
   RECT cancel;
};

// `current` holds the controls' rectangles as they are now and `client` the old client size;
// the answer is laid out for `newClient`.
OpenRemoteLayout LayOutOpenRemote(const OpenRemoteLayout &current, SIZE client, SIZE newClient);

class COpenRemoteDlg : public CDialogImpl<COpenRemoteDlg>, public sigc::trackable {
public:
   enum { IDD = IDD_OPEN_REMOTE };
   // Pairs of (identifier, configuration path); an identifier is empty for a browsed file.
   typedef std::vector<std::pair<std::string, std::string>> Result;

   COpenRemoteDlg(IVmdbContext *ctx, std::shared_ptr<cui::HostVMList> vmList);
   ~COpenRemoteDlg() override;

   BEGIN_MSG_MAP(COpenRemoteDlg)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnCtlColorStatic)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      NOTIFY_HANDLER(IDC_OPEN_REMOTE_LIST, NM_DBLCLK, OnListDblClk)
      COMMAND_ID_HANDLER(IDOK, OnOK)
      COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
      COMMAND_HANDLER(IDC_OPEN_REMOTE_BROWSE, BN_CLICKED, OnBrowse)
   END_MSG_MAP()

   // Valid after the dialog ended with IDOK.
   Result GetResult() const { return result_; }

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnCtlColorStatic(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnListDblClk(int, LPNMHDR, BOOL &);
   LRESULT OnOK(WORD, WORD, HWND, BOOL &);
   LRESULT OnCancel(WORD, WORD, HWND, BOOL &);
   LRESULT OnBrowse(WORD, WORD, HWND, BOOL &);

   void FillList();
   // The file the user picked on the current host; empty when none.
   std::string AskFile();
   void OnRegistered(std::string path);
   void Finish(const std::string &path);
   // Browse and OK stay off while a registration is under way.
   void SetRegistering(bool registering);
   void LayOut();
   RECT ChildRect(int id) const;

   IVmdbContextPtr ctx_;
   std::shared_ptr<cui::HostVMList> vmList_;
   HWND list_ = nullptr;
   Result result_;
   COLORREF windowColor_ = 0;
   atl::ScopedBrush windowBrush_;
   bool browseAllowed_ = true;
   bool registering_ = false;
   bool ended_ = false;
   OpenRemoteLayout layout_ = {};
   SIZE client_ = {0, 0};
};

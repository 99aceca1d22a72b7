// The take dialog: asks the name and description of a new snapshot (command 40059) or session
// recording (628), then issues the take or the recording and ends. The request's failure is
// reported by the application, since the dialog is gone by the time the host answers.
#pragma once

#include "atl/Atl.h"
#include "res/resource.h"
#include "zoltCommandId.h"

#include <windows.h>

#include <string>

#include <sigc++/sigc++.h>

namespace cui {
class Error;
class SessionRecordMgr;
class SnapshotTree;
class VM;
}  // namespace cui

class CZOLTSnapshotTake : public CDialogImpl<CZOLTSnapshotTake>, public sigc::trackable {
public:
   enum { IDD = IDD_SNAPSHOT_TAKE };

   CZOLTSnapshotTake(cui::VM *vm, CommandId cmd);

   INT_PTR DoModal(HWND parent);

   BEGIN_MSG_MAP(CZOLTSnapshotTake)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      COMMAND_ID_HANDLER(IDOK, OnOK)
      COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
   END_MSG_MAP()

   // What the request was issued with once OK was accepted (tests read them).
   const std::string &GetName() const { return name_; }
   const std::string &GetDescription() const { return description_; }

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnOK(WORD, WORD, HWND, BOOL &);
   LRESULT OnCancel(WORD, WORD, HWND, BOOL &);
   void DisableAll();

   HWND nameEdit_ = nullptr;
   HWND descriptionEdit_ = nullptr;
   cui::VM *vm_;
   cui::SnapshotTree *tree_;
   cui::SessionRecordMgr *recorder_;
   CommandId cmd_;
   std::string name_;
   std::string description_;
};

// Where a take or recording that fails after the dialog closed is reported: the application's
// error report when there is an application, else the log.
void ReportSnapshotFailure(bool cancelled, cui::Error error);

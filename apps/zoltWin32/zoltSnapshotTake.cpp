#include "zoltSnapshotTake.h"

#include "zoltApp.h"
#include "zoltWndUtil.h"

#include "cui/Error.h"
#include "cui/SessionRecordMgr.h"
#include "cui/SnapshotTree.h"
#include "cui/SnapshotUtil.h"
#include "cui/VM.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"

void ReportSnapshotFailure(bool cancelled, cui::Error error)
{
   if (cancelled) {
      return;
   }
   Warning("CZOLTSnapshotTake: the request failed: %s\n", error.what());
   if (gApp) {
      gApp->OnOperationAborted(false, error);
   }
}

namespace {

void LogTaken()
{
   Log("CZOLTSnapshotTake: done\n");
}

}  // namespace

CZOLTSnapshotTake::CZOLTSnapshotTake(cui::VM *vm, CommandId cmd)
   : vm_(vm), tree_(vm ? vm->GetSnapshotTree() : nullptr), recorder_(vm ? vm->GetSessionRecordMgr() : nullptr),
     cmd_(cmd)
{
}

INT_PTR CZOLTSnapshotTake::DoModal(HWND parent)
{
   return CDialogImpl<CZOLTSnapshotTake>::DoModal(parent);
}

LRESULT CZOLTSnapshotTake::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   nameEdit_ = ::GetDlgItem(m_hWnd, IDC_SNAPSHOT_NAME);
   descriptionEdit_ = ::GetDlgItem(m_hWnd, IDC_SNAPSHOT_DESCRIPTION);
   SetWindowTextUtf8(descriptionEdit_, "");
   const std::string machine = vm_ ? vm_->GetName() : std::string();
   std::string name;
   switch (cmd_) {
   case IDM_VM_SNAPSHOT_TAKE:
      SetWindowTextUtf8(m_hWnd, tremapputil::ResString(IDS_SNAPSHOT_TAKE_TITLE).Format({machine}));
      name = tree_ ? tree_->GenerateName() : std::string();
      break;
   case IDM_VM_REPLAY_RECORD:
      SetWindowTextUtf8(m_hWnd, tremapputil::ResString(IDS_SNAPSHOT_RECORD_TITLE).Format({machine}));
      name = recorder_ ? recorder_->GenerateName() : std::string();
      break;
   default:
      NOT_IMPLEMENTED();
   }
   SetWindowTextUtf8(nameEdit_, name);
   ::SendMessageW(nameEdit_, EM_LIMITTEXT, cui::SnapshotTree::MAX_DISPLAY_NAME_LENGTH, 0);
   ::SendMessageW(descriptionEdit_, EM_LIMITTEXT, cui::SnapshotTree::MAX_DESCRIPTION_LENGTH, 0);
   CenterWindow(GetParent());
   ::SetFocus(nameEdit_);
   ::SendMessageW(nameEdit_, EM_SETSEL, 0, -1);
   return FALSE;
}

LRESULT CZOLTSnapshotTake::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   notify_callbacks();
   bHandled = FALSE;
   return 0;
}

void CZOLTSnapshotTake::DisableAll()
{
   for (HWND control : {nameEdit_, descriptionEdit_, ::GetDlgItem(m_hWnd, IDOK), ::GetDlgItem(m_hWnd, IDCANCEL)}) {
      ::EnableWindow(control, FALSE);
   }
}

LRESULT CZOLTSnapshotTake::OnOK(WORD, WORD, HWND, BOOL &)
{
   const std::string name = GetWindowTextUtf8(nameEdit_);
   const std::string description = GetWindowTextUtf8(descriptionEdit_);
   std::string message;
   if (wui::util::snapshot::ValidateName(name, message) != 0 ||
       wui::util::snapshot::ValidateDescription(description, message) != 0) {
      MessageBoxUtf8(m_hWnd, message, CZOLTApp::GetAppTitle(), MB_OK | MB_ICONERROR);
      return 0;
   }
   name_ = name;
   description_ = description;
   DisableAll();
   EndDialog(IDOK);
   // The dialog is gone before the host answers: the failure goes to the application, which
   // outlives it, and not to a slot bound to this dialog.
   const cui::AbortSlot failed = sigc::ptr_fun(&ReportSnapshotFailure);
   const cui::DoneSlot done = sigc::ptr_fun(&LogTaken);
   switch (cmd_) {
   case IDM_VM_SNAPSHOT_TAKE:
      if (tree_) {
         Log("CZOLTSnapshotTake: take \"%s\"\n", name.c_str());
         tree_->Take(name, description, failed, done);
      }
      break;
   case IDM_VM_REPLAY_RECORD:
      if (recorder_ && recorder_->GetCanRecord()) {
         Log("CZOLTSnapshotTake: record \"%s\"\n", name.c_str());
         recorder_->Record(name, description, failed, done);
      }
      break;
   default:
      NOT_IMPLEMENTED();
   }
   return 0;
}

LRESULT CZOLTSnapshotTake::OnCancel(WORD, WORD, HWND, BOOL &)
{
   DisableAll();
   EndDialog(IDCANCEL);
   if (tree_) {
      tree_->CancelTake(sigc::ptr_fun(&LogTaken));
   }
   return 0;
}

// The snapshot manager: the modal dialog in which a user sees a machine's snapshots and session
// recordings in the grid, reads and edits the selected one in the details pane, and goes to,
// plays, deletes, clones or takes snapshots. It also answers an automation message
// (WM_COPYDATA) that selects a snapshot by name for callers outside the program.
#pragma once

#include "atl/Atl.h"
#include "res/resource.h"
#include "zoltSnapshotDetails.h"
#include "zoltSnapshotGrid.h"
#include "zoltWindowMessages.h"

#include <windows.h>

#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cui {
class Error;
class SnapshotTree;
class VM;
}  // namespace cui

// Results of the automation message.
enum SnapshotAutomationResult {
   AUTOMATION_DONE = 0,
   AUTOMATION_NOT_FOUND = 2,        // no snapshot of that name, or a name without its terminating zero
   AUTOMATION_INVALID_OP = 87,
};

// The name an automation message carries: the text before the first zero within cbData bytes.
// False when the data holds no zero (an unterminated name); no data at all is the empty name.
bool ReadAutomationName(const COPYDATASTRUCT *data, std::string &name);

// The status bar's count text: snapshots and recordings.
std::string SnapshotCountText(size_t snapshots, size_t recordings);

class CZOLTSnapshotMgr : public CDialogImpl<CZOLTSnapshotMgr>, public sigc::trackable {
public:
   enum { IDD = IDD_SNAPSHOT_MGR };
   static const int kMinWidth = 520;
   static const int kMinHeight = 370;
   static const int kDefaultWidth = 550;
   static const int kDefaultHeight = 480;

   explicit CZOLTSnapshotMgr(cui::VM *vm);
   ~CZOLTSnapshotMgr() override;

   // Runs the manager until it is closed; the ending command id.
   INT_PTR DoModal(HWND parent);

   static constexpr UINT WM_SHOW_MODEL = WM_ZOLT_SHOW_MODEL;

   BEGIN_MSG_MAP(CZOLTSnapshotMgr)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_COPYDATA, OnCopyData)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      MESSAGE_HANDLER(WM_GETMINMAXINFO, OnGetMinMaxInfo)
      MESSAGE_HANDLER(WM_HELP, OnHelp)
      MESSAGE_HANDLER(WM_SHOW_MODEL, OnShowModel)
      COMMAND_ID_HANDLER(IDC_SNAPSHOT_GOTO, OnGoto)
      COMMAND_ID_HANDLER(IDC_SNAPSHOT_DELETE, OnDelete)
      COMMAND_ID_HANDLER(IDC_SNAPSHOT_DELETE_CHILDREN, OnDelete)
      COMMAND_ID_HANDLER(IDC_SNAPSHOT_CLONE, OnClone)
      COMMAND_ID_HANDLER(IDC_SNAPSHOT_TAKE, OnTake)
      COMMAND_ID_HANDLER(IDC_SNAPSHOT_SELECT_ALL, OnSelectAll)
      COMMAND_ID_HANDLER(IDHELP, OnHelpButton)
      COMMAND_ID_HANDLER(IDCANCEL, OnClose)
   END_MSG_MAP()

   // From the grid after every selection change.
   void OnSelectionChanged();
   // The automation: applies `op` to the snapshot named `name` (the current state when empty).
   int AutomationSelect(int op, const std::string &name);

   // One operation at a time: false when one is pending.
   bool BeginBusy();
   void EndBusy();
   bool IsBusy() const { return !pending_.empty(); }

   cui::VM *GetVM() const { return vm_; }
   cui::SnapshotTree *GetTree() const { return tree_; }
   CZOLTSnapshotGrid &GetGrid() { return grid_; }
   CZOLTSnapshotDetails &GetDetails() { return details_; }
   HWND GetStatusBar() const { return statusBar_; }

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnCopyData(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnGetMinMaxInfo(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnHelp(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnGoto(WORD, WORD, HWND, BOOL &);
   LRESULT OnDelete(WORD, WORD, HWND, BOOL &);
   LRESULT OnClone(WORD, WORD, HWND, BOOL &);
   LRESULT OnTake(WORD, WORD, HWND, BOOL &);
   LRESULT OnSelectAll(WORD, WORD, HWND, BOOL &);
   LRESULT OnHelpButton(WORD, WORD, HWND, BOOL &);
   LRESULT OnClose(WORD, WORD, HWND, BOOL &);

   // The tree or the machine changed: ShowModel once the changes of the moment are in.
   void OnTreeChanged();
   void OnModelChanged();
   LRESULT OnShowModel(UINT, WPARAM, LPARAM, BOOL &);
   // The grid, details and notice as the model is now.
   void ShowModel();
   void UpdateButtons();
   void UpdateStatusText();
   void LayOut(int width, int height);
   void RestorePlacement();
   void SavePlacement();
   // The one snapshot selected other than the current state; null otherwise.
   cui::Snapshot *GetSingleSnapshot() const;
   void SelectAlone(cui::Snapshot *snapshot);
   void OnOperationDone();
   void OnOperationFailed(bool cancelled, cui::Error error);
   void OnDeleteDone(int nextUid);
   void ShowHelp();

   cui::VM *vm_;
   cui::SnapshotTree *tree_;
   CZOLTSnapshotGrid grid_;
   CZOLTSnapshotDetails details_;
   HWND statusBar_ = nullptr;
   std::vector<int> pending_;   // the operation under way (at most one)
   HICON icon_ = nullptr;
   bool showModelPosted_ = false;
};

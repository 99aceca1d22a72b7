// The snapshot manager's details pane: the selected snapshot's name, description, creation time
// and screenshot, with the Take snapshot, Clone and Delete buttons whose commands go to the
// manager. Edits are written back only when committed (Rename), which the manager and the grid
// do before every selection change and command.
#pragma once

#include "atl/Atl.h"
#include "res/resource.h"

#include <windows.h>

#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cui {
class Error;
class Snapshot;
class SnapshotTree;
class VM;
}  // namespace cui

class CZOLTSnapshotMgr;

// A snapshot's creation time (seconds since 1970, UTC) as the user's local date and time.
std::string FormatSnapshotTime(long long seconds);

class CZOLTSnapshotDetails : public CDialogImpl<CZOLTSnapshotDetails>, public sigc::trackable {
public:
   enum { IDD = IDD_SNAPSHOT_DETAILS };

   CZOLTSnapshotDetails(CZOLTSnapshotMgr *mgr, cui::VM *vm);
   ~CZOLTSnapshotDetails() override;

   BEGIN_MSG_MAP(CZOLTSnapshotDetails)
      MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
      MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
      MESSAGE_HANDLER(WM_SIZE, OnSize)
      COMMAND_HANDLER(IDC_SNAPSHOT_TAKE, BN_CLICKED, OnButton)
      COMMAND_HANDLER(IDC_SNAPSHOT_CLONE, BN_CLICKED, OnButton)
      COMMAND_HANDLER(IDC_SNAPSHOT_DELETE, BN_CLICKED, OnButton)
      COMMAND_HANDLER(IDC_SNAPSHOT_NAME, EN_CHANGE, OnEditChange)
      COMMAND_HANDLER(IDC_SNAPSHOT_DESCRIPTION, EN_CHANGE, OnEditChange)
   END_MSG_MAP()

   // The grid's selection, from the manager after each change; nothing happens when it is the
   // one already kept.
   void SetSelection(const std::vector<int> &uids);
   // Shows the selection again (the tree or the machine changed). Text the user typed and has
   // not committed stays while the same snapshot is shown.
   void Update();
   // Commits the edits: true when there was nothing to commit or the rename was issued, false
   // when the user must correct the text (the message has been shown).
   bool Rename();

   cui::Snapshot *GetShown() const { return shown_; }
   const std::vector<int> &GetSelection() const { return selection_; }
   // The user changed the name or description since it was shown or committed.
   bool IsDirty() const { return dirty_; }
   HBITMAP GetScreenshot() const { return screenshot_; }

   static LRESULT CALLBACK EditProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);

private:
   LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL &);
   LRESULT OnButton(WORD, WORD, HWND, BOOL &);
   LRESULT OnEditChange(WORD, WORD, HWND, BOOL &);

   void Refill(bool shownChanged);
   void UpdateButtons();
   // Asks the lockout once per shown snapshot; false when the host's policy forbids editing.
   bool AllowEdit();
   void SetScreenshot(HBITMAP bitmap);
   void OnScreenshot(int uid, HBITMAP bitmap);
   void OnSuspendScreenshot(std::string path);
   void OnRenameFailed(bool cancelled, cui::Error error);
   void ShowError(const std::string &text);
   RECT ChildRect(int id) const;

   CZOLTSnapshotMgr *mgr_;
   cui::VM *vm_;
   cui::SnapshotTree *tree_;
   cui::Snapshot *shown_ = nullptr;
   int shownUid_ = -1;
   std::vector<int> selection_;
   bool editAllowed_ = false;
   bool dirty_ = false;
   // A rename sent and not yet seen in the tree, with what it asked for.
   bool issued_ = false;
   std::string issuedName_;
   std::string issuedDescription_;
   bool filling_ = false;
   atl::ScopedBitmap screenshot_;
   atl::ScopedBitmap source_;   // the picture as it came, kept to scale again on a resize
   // Geometry of the template: client size, and each control's rectangle.
   SIZE initial_ = {0, 0};
   std::vector<std::pair<int, RECT>> places_;
};

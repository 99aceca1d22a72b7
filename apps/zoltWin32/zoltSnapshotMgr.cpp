#include "zoltSnapshotMgr.h"

#include "zoltApp.h"
#include "zoltDlgMgr.h"
#include "zoltMsg.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "cui/AppContext.h"
#include "cui/Host.h"
#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "cui/SessionRecordMgr.h"
#include "cui/Snapshot.h"
#include "cui/SnapshotTree.h"
#include "cui/SnapshotUtil.h"
#include "cui/VM.h"
#include "cui/WebLink.h"
#include "cui/WuiPrefs.h"
#include "tremapputil/ResString.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Log.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

namespace {

const char kBtnGoto[] = ZOLT_MSG("msg.zolt.snapshotMgr.btnGoto", "&Go To");
const char kBtnPlay[] = ZOLT_MSG("msg.zolt.snapshotMgr.btnPlay", "&Play");
const char kStrNoItem[] = ZOLT_MSG("msg.zolt.snapshotMgr.strNoItem", "No snapshots");
const char kStrRecordings[] = ZOLT_MSG("msg.zolt.snapshotMgr.strRecordings", "Recordings: %d");
const char kStrSnapshots[] = ZOLT_MSG("msg.zolt.snapshotMgr.strSnapshots", "Snapshots: %d");
const char kStrSelected[] = ZOLT_MSG("msg.zolt.snapshotMgr.strSelected", " selected");
const char kStrUnreadable[] = ZOLT_MSG("msg.zolt.snapshotMgr.strUnreadable", "The snapshot list could not be read.");
const char kStrReadAgain[] = ZOLT_MSG("msg.zolt.snapshotMgr.strReadAgain",
                                      "Once the file is mended or removed, open the snapshot manager again.");

const int kGap = 10;
const int kButtonGap = 6;

bool LockoutAllows(cui::VM *vm, const char *policy)
{
   cui::Host *host = vm ? vm->GetHost() : nullptr;
   const std::string hostPath = host ? host->GetPath() : std::string();
   IVmdbContext *ctx = gApp ? gApp->GetContext().GetInterfacePtr() : nullptr;
   return TremAppUtil_CheckLockout(ctx, hostPath.c_str(), policy);
}

}  // namespace

bool ReadAutomationName(const COPYDATASTRUCT *data, std::string &name)
{
   name.clear();
   if (!data || data->cbData == 0) {
      return true;
   }
   if (!data->lpData) {
      return false;
   }
   // Never read past the bytes the sender says it sent.
   const char *bytes = static_cast<const char *>(data->lpData);
   const void *end = std::memchr(bytes, '\0', data->cbData);
   if (!end) {
      name.assign(bytes, data->cbData);
      return false;
   }
   name.assign(bytes, static_cast<const char *>(end) - bytes);
   return true;
}

std::string SnapshotCountText(size_t snapshots, size_t recordings)
{
   if (snapshots < 1 && recordings < 1) {
      return cui::GetLocalString(kStrNoItem);
   }
   const std::string recordingText = cui::Format(kStrRecordings, static_cast<int>(recordings));
   if (snapshots < 1) {
      return recordingText;
   }
   const std::string snapshotText = cui::Format(kStrSnapshots, static_cast<int>(snapshots));
   return recordings < 1 ? snapshotText : snapshotText + ", " + recordingText;
}

CZOLTSnapshotMgr::CZOLTSnapshotMgr(cui::VM *vm)
   : vm_(vm), tree_(vm ? vm->GetSnapshotTree() : nullptr), grid_(this), details_(this, vm)
{
}

CZOLTSnapshotMgr::~CZOLTSnapshotMgr()
{
   if (icon_) {
      ::DestroyIcon(icon_);
   }
}

INT_PTR CZOLTSnapshotMgr::DoModal(HWND parent)
{
   return CDialogImpl<CZOLTSnapshotMgr>::DoModal(parent);
}

LRESULT CZOLTSnapshotMgr::OnInitDialog(UINT, WPARAM, LPARAM, BOOL &)
{
   if (gApp && gApp->GetDlgMgr()) {
      gApp->GetDlgMgr()->SetDefaultOwner(m_hWnd);
   }
   if (vm_ && !vm_->GetName().empty()) {
      SetWindowTextUtf8(m_hWnd, tremapputil::ResString(IDS_SNAPSHOT_MGR_TITLE).Format({vm_->GetName()}));
   }
   grid_.Create(m_hWnd);
   details_.Create(m_hWnd);
   CreateStatusBar(statusBar_, m_hWnd, IDC_SNAPSHOT_STATUS);
   // Tab order: the grid, the details pane, then the buttons.
   ::SetWindowPos(details_.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
   ::SetWindowPos(grid_.m_hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
   RestorePlacement();

   icon_ = LoadIconImage(GetResourceInstance(), wui::util::HasZephroExtension() ? IDI_ZOLT_ZEPHRO : IDI_ZOLT, true);
   if (icon_) {
      ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
   }
   if (tree_) {
      tree_->changed.connect(sigc::mem_fun(*this, &CZOLTSnapshotMgr::OnTreeChanged));
   }
   if (vm_) {
      vm_->changed.connect(sigc::mem_fun(*this, &CZOLTSnapshotMgr::OnModelChanged));
   }
   ShowModel();
   if (tree_) {
      SelectAlone(tree_->GetYAH());
   }
   // A file the user has mended since shows its list now; one still damaged keeps the notice.
   if (tree_ && !tree_->GetFileError().empty()) {
      Log("CZOLTSnapshotMgr: the snapshot list could not be read; asking the host again\n");
      vm_->RefreshSnapshotState(cui::AbortSlot(), cui::DoneSlot());
   }
   // A restored placement of the template's own size sends no WM_SIZE.
   RECT client;
   GetClientRect(&client);
   LayOut(client.right, client.bottom);
   return FALSE;   // the grid's keyboard window has the focus
}

LRESULT CZOLTSnapshotMgr::OnDestroy(UINT, WPARAM, LPARAM, BOOL &bHandled)
{
   notify_callbacks();
   bHandled = FALSE;
   return 0;
}

void CZOLTSnapshotMgr::OnTreeChanged()
{
   // The layout, the grid's cells and the details hold the tree's snapshots, and a deleted one
   // is freed now: shown again at once, before any queued command can reach one.
   if (m_hWnd) {
      ShowModel();
   }
}

void CZOLTSnapshotMgr::OnModelChanged()
{
   // The machine changes several times for one delivery of the host's writes, and the grid of
   // a long list takes a while to lay out: shown once they are done.
   if (m_hWnd && !showModelPosted_) {
      showModelPosted_ = PostMessage(WM_SHOW_MODEL) != FALSE;
   }
}

LRESULT CZOLTSnapshotMgr::OnShowModel(UINT, WPARAM, LPARAM, BOOL &)
{
   showModelPosted_ = false;
   ShowModel();
   return 0;
}

void CZOLTSnapshotMgr::ShowModel()
{
   details_.Update();
   const std::string fileError = tree_ ? tree_->GetFileError() : std::string();
   grid_.SetNotice(fileError.empty() ? std::string()
                                     : cui::GetLocalString(kStrUnreadable) + "\n\n" + fileError + "\n\n" +
                                          cui::GetLocalString(kStrReadAgain));
   grid_.BuildLayout(tree_);
}

void CZOLTSnapshotMgr::SelectAlone(cui::Snapshot *snapshot)
{
   GridItem *cell = grid_.FindItem(snapshot);
   if (!cell) {
      cell = grid_.GetYAHCell();
   }
   if (cell && grid_.Select(GRID_SELECT_ONLY, cell)) {
      grid_.EnsureVisible(grid_.GetFocusCell());
      ::InvalidateRect(grid_.m_hWnd, nullptr, FALSE);
   }
}

void CZOLTSnapshotMgr::OnSelectionChanged()
{
   details_.SetSelection(grid_.GetSelectedUIDList());
   UpdateButtons();
   UpdateStatusText();
}

cui::Snapshot *CZOLTSnapshotMgr::GetSingleSnapshot() const
{
   const std::set<int> &uids = grid_.GetSelectedUIDs();
   if (uids.size() != 1 || *uids.begin() == 0 || !tree_) {
      return nullptr;
   }
   return tree_->GetSnapshot(*uids.begin());
}

void CZOLTSnapshotMgr::UpdateButtons()
{
   if (!m_hWnd) {
      return;
   }
   cui::Snapshot *snapshot = GetSingleSnapshot();
   const bool play = snapshot && snapshot->HasRecordings();
   SetDlgItemTextUtf8(m_hWnd, IDC_SNAPSHOT_GOTO, cui::GetLocalString(play ? kBtnPlay : kBtnGoto));
   const bool enabled = !IsBusy() && tree_ && tree_->IsCmdEnabled(cui::SnapshotTree::CMD_GOTO) && snapshot &&
                        wui::util::snapshot::CanRestoreSnapshot(vm_, snapshot);
   ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SNAPSHOT_GOTO), enabled);
}

void CZOLTSnapshotMgr::UpdateStatusText()
{
   if (!statusBar_ || !tree_) {
      return;
   }
   const std::set<int> &uids = grid_.GetSelectedUIDs();
   std::string text;
   if (!tree_->GetFileError().empty()) {
      text = cui::GetLocalString(kStrUnreadable);
   } else if (uids.empty()) {
      size_t snapshots = 0;
      size_t recordings = 0;
      for (cui::SnapshotTree::FlatIterator it = tree_->begin(); it != tree_->end(); ++it) {
         ++((*it)->HasRecordings() ? recordings : snapshots);
      }
      text = SnapshotCountText(snapshots, recordings);
   } else if (uids.size() == 1 && *uids.begin() == 0) {
      text = tremapputil::ResString(IDS_SNAPSHOT_YAH_SELECTED).Text();
   } else {
      size_t snapshots = 0;
      size_t recordings = 0;
      for (int uid : uids) {
         const cui::Snapshot *snapshot = tree_->GetSnapshot(uid);
         if (snapshot && uid != 0) {
            ++(snapshot->HasRecordings() ? recordings : snapshots);
         }
      }
      text = SnapshotCountText(snapshots, recordings) + cui::GetLocalString(kStrSelected);
   }
   SetWindowTextUtf8(statusBar_, text);
}

bool CZOLTSnapshotMgr::BeginBusy()
{
   if (IsBusy()) {
      return false;
   }
   pending_.push_back(1);
   for (int id : {IDHELP, IDCANCEL, IDC_SNAPSHOT_GOTO}) {
      ::EnableWindow(::GetDlgItem(m_hWnd, id), FALSE);
   }
   ::EnableWindow(details_.m_hWnd, FALSE);
   ::EnableWindow(grid_.m_hWnd, FALSE);
   return true;
}

void CZOLTSnapshotMgr::EndBusy()
{
   pending_.clear();
   if (!m_hWnd) {
      return;
   }
   for (int id : {IDHELP, IDCANCEL, IDC_SNAPSHOT_GOTO}) {
      ::EnableWindow(::GetDlgItem(m_hWnd, id), TRUE);
   }
   ::EnableWindow(details_.m_hWnd, TRUE);
   ::EnableWindow(grid_.m_hWnd, TRUE);
   // Disabling the grid took the keyboard focus with it.
   HWND focused = ::GetFocus();
   if ((!focused || !::IsChild(m_hWnd, focused)) && ::GetActiveWindow() == m_hWnd && grid_.GetKeyboardWindow()) {
      ::SetFocus(grid_.GetKeyboardWindow());
   }
   UpdateButtons();
}

void CZOLTSnapshotMgr::OnOperationDone()
{
   EndBusy();
}

void CZOLTSnapshotMgr::OnOperationFailed(bool cancelled, cui::Error error)
{
   EndBusy();
   if (cancelled) {
      return;
   }
   Warning("CZOLTSnapshotMgr: the operation failed: %s\n", error.what());
   if (gApp) {
      gApp->OnOperationAborted(false, error);
   }
}

LRESULT CZOLTSnapshotMgr::OnGoto(WORD, WORD, HWND, BOOL &)
{
   cui::Snapshot *snapshot = GetSingleSnapshot();
   if (!snapshot || !details_.Rename()) {
      return 0;
   }
   // The commit may have rebuilt the tree's objects: find the snapshot again.
   snapshot = GetSingleSnapshot();
   if (!snapshot || !tree_->IsCmdEnabled(cui::SnapshotTree::CMD_GOTO) ||
       !wui::util::snapshot::CanRestoreSnapshot(vm_, snapshot) || !BeginBusy()) {
      return 0;
   }
   const int uid = snapshot->GetUID();
   Log("CZOLTSnapshotMgr::OnGoto: %d\n", uid);
   cui::AbortSlot failed = sigc::mem_fun(*this, &CZOLTSnapshotMgr::OnOperationFailed);
   cui::DoneSlot done = sigc::mem_fun(*this, &CZOLTSnapshotMgr::OnOperationDone);
   if (snapshot->HasRecordings()) {
      cui::SessionRecordMgr *recorder = vm_->GetSessionRecordMgr();
      cui::Recording *recording = recorder ? recorder->GetRecordingWithUID(uid) : nullptr;
      if (!recording) {
         EndBusy();
         return 0;
      }
      recorder->Play(recording, true, failed, done);
   } else {
      tree_->Restore(uid, failed, done);
   }
   return 0;
}

LRESULT CZOLTSnapshotMgr::OnDelete(WORD, WORD id, HWND, BOOL &)
{
   std::vector<int> uids = grid_.GetSelectedUIDList();
   if (uids.empty() || !tree_) {
      return 0;
   }
   for (int uid : uids) {
      if (uid == 0) {
         return 0;   // the current state is no snapshot to delete
      }
   }
   if (!LockoutAllows(vm_, "lockoutEditVM") || !BeginBusy()) {
      return 0;
   }
   int nextUid = 0;
   if (uids.size() == 1 && grid_.GetLayout()) {
      cui::Snapshot *next = grid_.GetLayout()->GetNextOfKin(tree_->GetSnapshot(uids[0]));
      nextUid = next ? next->GetUID() : 0;
   }
   const bool withChildren = id == IDC_SNAPSHOT_DELETE_CHILDREN;
   Log("CZOLTSnapshotMgr::OnDelete: %u snapshot(s)%s\n", static_cast<unsigned>(uids.size()),
       withChildren ? " with children" : "");
   tree_->Delete(uids, withChildren, true, sigc::mem_fun(*this, &CZOLTSnapshotMgr::OnOperationFailed),
                 sigc::bind(sigc::mem_fun(*this, &CZOLTSnapshotMgr::OnDeleteDone), nextUid));
   return 0;
}

void CZOLTSnapshotMgr::OnDeleteDone(int nextUid)
{
   EndBusy();
   cui::Snapshot *next = tree_ ? tree_->GetSnapshot(nextUid) : nullptr;
   SelectAlone(next ? next : (tree_ ? tree_->GetYAH() : nullptr));
}

LRESULT CZOLTSnapshotMgr::OnClone(WORD, WORD, HWND, BOOL &)
{
   const std::set<int> &uids = grid_.GetSelectedUIDs();
   if (uids.size() != 1 || !LockoutAllows(vm_, "lockoutCreateVM")) {
      return 0;
   }
   if (gApp) {
      gApp->CloneVM(vm_, tree_, *uids.begin(), m_hWnd, true, true, true);
   }
   return 0;
}

LRESULT CZOLTSnapshotMgr::OnTake(WORD, WORD, HWND, BOOL &)
{
   if (!details_.Rename()) {
      return 0;
   }
   if (gApp) {
      gApp->OnSnapshotCommand(IDM_VM_SNAPSHOT_TAKE, static_cast<wui::VM *>(vm_));
   }
   return 0;
}

LRESULT CZOLTSnapshotMgr::OnSelectAll(WORD, WORD, HWND, BOOL &)
{
   grid_.SelectAll();
   return 0;
}

void CZOLTSnapshotMgr::ShowHelp()
{
   wui::AppContext *context = wui::GetAppContext();
   wui::util::ShowHelp(m_hWnd, context ? context->GetHelpValue() : std::string());
}

LRESULT CZOLTSnapshotMgr::OnHelp(UINT, WPARAM, LPARAM, BOOL &)
{
   ShowHelp();
   return TRUE;
}

LRESULT CZOLTSnapshotMgr::OnHelpButton(WORD, WORD, HWND, BOOL &)
{
   ShowHelp();
   return 0;
}

LRESULT CZOLTSnapshotMgr::OnClose(WORD, WORD id, HWND, BOOL &)
{
   // No close while an operation runs: its answer would find no window.
   if (!details_.Rename() || !BeginBusy()) {
      return 0;
   }
   notify_callbacks();
   SavePlacement();
   pending_.clear();
   EndDialog(id);
   return 0;
}

LRESULT CZOLTSnapshotMgr::OnCopyData(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   const auto *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
   std::string name;
   const bool terminated = ReadAutomationName(data, name);
   const ULONG_PTR op = data ? data->dwData : static_cast<ULONG_PTR>(-1);
   Log("CZOLTSnapshotMgr::OnAutomationSelect: op: %d, \"%s\"\n", static_cast<int>(op), name.c_str());
   if (op > GRID_SELECT_CLEAR) {
      Log("CZOLTSnapshotMgr::OnAutomationSelect: Invalid operation.\n");
      return AUTOMATION_INVALID_OP;
   }
   if (!terminated) {
      Log("CZOLTSnapshotMgr::OnAutomationSelect: \"%s\" not found.\n", name.c_str());
      return AUTOMATION_NOT_FOUND;
   }
   return AutomationSelect(static_cast<int>(op), name);
}

int CZOLTSnapshotMgr::AutomationSelect(int op, const std::string &name)
{
   if (op < GRID_SELECT_ONLY || op > GRID_SELECT_CLEAR) {
      Log("CZOLTSnapshotMgr::OnAutomationSelect: Invalid operation.\n");
      return AUTOMATION_INVALID_OP;
   }
   if (op == GRID_SELECT_CLEAR) {
      grid_.Select(GRID_SELECT_CLEAR, nullptr);
      return AUTOMATION_DONE;
   }
   cui::Snapshot *found = nullptr;
   if (name.empty()) {
      found = tree_ ? tree_->GetYAH() : nullptr;
   } else if (tree_) {
      for (cui::SnapshotTree::FlatIterator it = tree_->begin(); it != tree_->end() && !found; ++it) {
         if ((*it)->GetDisplayName() == name) {
            found = *it;
         }
      }
   }
   GridItem *cell = grid_.FindItem(found);
   if (!cell) {
      Log("CZOLTSnapshotMgr::OnAutomationSelect: \"%s\" not found.\n", name.c_str());
      return AUTOMATION_NOT_FOUND;
   }
   if (grid_.Select(op, cell)) {
      grid_.EnsureVisible(grid_.GetFocusCell());   // the cell itself may have been rebuilt
   }
   ::InvalidateRect(grid_.m_hWnd, nullptr, FALSE);
   return AUTOMATION_DONE;
}

LRESULT CZOLTSnapshotMgr::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   auto *info = reinterpret_cast<MINMAXINFO *>(lParam);
   info->ptMinTrackSize.x = std::max(info->ptMinTrackSize.x, static_cast<LONG>(kMinWidth));
   info->ptMinTrackSize.y = std::max(info->ptMinTrackSize.y, static_cast<LONG>(kMinHeight));
   return 0;
}

LRESULT CZOLTSnapshotMgr::OnSize(UINT, WPARAM, LPARAM lParam, BOOL &)
{
   LayOut(LOWORD(lParam), HIWORD(lParam));
   return 0;
}

void CZOLTSnapshotMgr::LayOut(int width, int height)
{
   if (!grid_.m_hWnd || !details_.m_hWnd) {
      return;
   }
   RECT rc;
   int statusHeight = 0;
   if (statusBar_) {
      ::GetWindowRect(statusBar_, &rc);
      statusHeight = rc.bottom - rc.top;
   }
   ::GetWindowRect(details_.m_hWnd, &rc);
   const int detailsHeight = rc.bottom - rc.top;
   const int gridBottom = std::max(kGap, height - statusHeight - detailsHeight - 50);
   ::SetWindowPos(grid_.m_hWnd, nullptr, kGap, kGap, std::max(0, width - 2 * kGap), gridBottom - kGap,
                  SWP_NOZORDER | SWP_NOACTIVATE);
   ::SetWindowPos(details_.m_hWnd, nullptr, kGap, gridBottom + kGap, std::max(0, width - 2 * kGap), detailsHeight,
                  SWP_NOZORDER | SWP_NOACTIVATE);
   if (statusBar_) {
      ::SetWindowPos(statusBar_, nullptr, 0, height - statusHeight, width, statusHeight, SWP_NOZORDER | SWP_NOACTIVATE);
   }
   int right = width - kGap;
   const int bottom = height - statusHeight - kGap;
   for (int id : {IDHELP, IDCANCEL, IDC_SNAPSHOT_GOTO}) {
      HWND button = ::GetDlgItem(m_hWnd, id);
      ::GetWindowRect(button, &rc);
      const int w = rc.right - rc.left;
      const int h = rc.bottom - rc.top;
      ::SetWindowPos(button, nullptr, right - w, bottom - h, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      ::InvalidateRect(button, nullptr, TRUE);
      right -= w + kButtonGap;
   }
   if (statusBar_) {
      ::InvalidateRect(statusBar_, nullptr, TRUE);
   }
   InvalidateRect(nullptr, TRUE);
}

void CZOLTSnapshotMgr::RestorePlacement()
{
   wui::Prefs *prefs = wui::GetPrefs();
   RECT saved;
   if (prefs && prefs->GetSnapshotManagerPlacement(saved)) {
      WINDOWPLACEMENT placement = {};
      placement.length = sizeof placement;
      ::GetWindowPlacement(m_hWnd, &placement);
      placement.flags = 0;
      placement.showCmd = SW_SHOWNORMAL;
      placement.rcNormalPosition = saved;
      ::SetWindowPlacement(m_hWnd, &placement);
      return;
   }
   ::SetWindowPos(m_hWnd, nullptr, 0, 0, kDefaultWidth, kDefaultHeight, SWP_NOMOVE | SWP_NOZORDER);
   CenterWindow(GetParent());
}

void CZOLTSnapshotMgr::SavePlacement()
{
   wui::Prefs *prefs = wui::GetPrefs();
   WINDOWPLACEMENT placement = {};
   placement.length = sizeof placement;
   if (prefs && ::GetWindowPlacement(m_hWnd, &placement)) {
      prefs->SetSnapshotManagerPlacement(placement.rcNormalPosition, 0);
   }
}

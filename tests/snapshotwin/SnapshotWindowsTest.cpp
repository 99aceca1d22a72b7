// The snapshot manager's windows in-process, on a machine of the simulated host with a branched
// tree of snapshots: the grid's selection operations and keys, the details pane's commit, the
// automation message, deleting, and the take dialog whose failure outlives it.
#include "MachineTestSupport.h"

#include "tremsim/SimSnapshots.h"
#include "zoltSnapshotMgr.h"
#include "zoltSnapshotTake.h"
#include "zoltWndUtil.h"

#include "cui/MsgSource.h"
#include "cui/Snapshot.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

#include <windows.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::vector<KeyValueEntry> kMachine = {
   {"configVersion", "8"}, {"displayName", "Desk"}, {"guestOS", "winxp"}, {"memoryMB", "256"},
};

// Base ─ Patched ─ Leaf ─ (current state)
//   ├── Branch ─ Twin (5)
//   └── Twin (6)
// The flat order is 1, 2, 4, 3, 5, 6: the first "Twin" is 5.
void WriteTree(const std::string &cfgPath)
{
   cuisim::SimSnapshotFile file;
   struct Row {
      int uid, parent;
      const char *name, *description;
      int power;
      bool recording;
   };
   const Row rows[] = {{1, 0, "Base", "Fresh install", 1, false}, {2, 1, "Patched", "", 1, false},
                       {3, 1, "Branch", "", 1, true},            {4, 2, "Leaf", "", 1, false},
                       {5, 3, "Twin", "", 1, false},             {6, 1, "Twin", "", 1, false}};
   for (const Row &row : rows) {
      cuisim::SimSnapshot &s = file.snapshots[row.uid];
      s.uid = row.uid;
      s.parent = row.parent;
      s.displayName = row.name;
      s.description = row.description;
      s.createTime = 1700000000 + row.uid * 60;
      s.powerState = row.power;
      s.recording = row.recording;
   }
   file.lastUid = 6;
   file.current = 4;
   std::string error;
   ASSERT_TRUE(file.Save(cuisim::SimSnapshotFile::PathOf(cfgPath), error)) << error;
}

void PumpMessages()
{
   MSG msg;
   while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
   }
}

// Closes the message boxes this thread shows, from another thread, and counts them.
class BoxCloser {
public:
   BoxCloser() { thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr); }
   ~BoxCloser()
   {
      stop_ = true;
      WaitForSingleObject(thread_, 5000);
      CloseHandle(thread_);
   }
   long Count() const { return count_; }

private:
   static BOOL CALLBACK Find(HWND wnd, LPARAM param)
   {
      auto *self = reinterpret_cast<BoxCloser *>(param);
      char name[16] = "";
      GetClassNameA(wnd, name, sizeof name);
      DWORD pid = 0;
      GetWindowThreadProcessId(wnd, &pid);
      if (pid == GetCurrentProcessId() && lstrcmpA(name, "#32770") == 0 && IsWindowVisible(wnd) &&
          GetDlgItem(wnd, IDOK) && !self->seen_.count(wnd)) {
         self->seen_.insert(wnd);
         InterlockedIncrement(&self->count_);
         PostMessageW(wnd, WM_COMMAND, IDOK, 0);
      }
      return TRUE;
   }
   static DWORD WINAPI Run(LPVOID param)
   {
      auto *self = static_cast<BoxCloser *>(param);
      while (!self->stop_) {
         EnumWindows(Find, reinterpret_cast<LPARAM>(param));
         Sleep(20);
      }
      return 0;
   }
   HANDLE thread_ = nullptr;
   volatile bool stop_ = false;
   volatile long count_ = 0;
   std::set<HWND> seen_;
};

class SnapshotWindows : public MachineTest {
protected:
   void SetUp() override
   {
      MachineTest::SetUp();
      std::string cfg = WriteVmx("desk.vmx", kMachine);
      WriteTree(cfg);
      vm_ = Open(cfg);
      ASSERT_NE(nullptr, vm_);
      tree_ = vm_->GetSnapshotTree();
      ASSERT_NE(nullptr, tree_);
      ASSERT_EQ(6u, tree_->GetCount());
   }
   void TearDown() override
   {
      if (mgr_) {
         if (mgr_->m_hWnd) {
            DestroyWindow(mgr_->m_hWnd);
         }
         mgr_.reset();
      }
      MachineTest::TearDown();
   }
   CZOLTSnapshotMgr &OpenManager()
   {
      mgr_.reset(new CZOLTSnapshotMgr(vm_));
      EXPECT_NE(nullptr, mgr_->Create(nullptr));
      ShowWindow(mgr_->m_hWnd, SW_SHOW);
      return *mgr_;
   }
   GridItem *Cell(int uid) { return mgr_->GetGrid().FindItem(tree_->GetSnapshot(uid)); }
   std::set<int> Selected() { return mgr_->GetGrid().GetSelectedUIDs(); }
   std::string Status() { return GetWindowTextUtf8(mgr_->GetStatusBar()); }
   std::string DetailsText(int id) { return GetDlgItemTextUtf8(mgr_->GetDetails().m_hWnd, id); }
   bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
   LRESULT Automate(ULONG_PTR op, const void *data, DWORD bytes)
   {
      COPYDATASTRUCT copy = {op, bytes, const_cast<void *>(data)};
      return SendMessageW(mgr_->m_hWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy));
   }
   LRESULT Automate(ULONG_PTR op, const std::string &name) { return Automate(op, name.c_str(), name.size() + 1); }
   bool WaitIdle()
   {
      return Until([&]() {
         PumpMessages();
         return !mgr_->IsBusy() && !tree_->IsBusy();
      });
   }
   void Key(UINT vk)
   {
      HWND keys = mgr_->GetGrid().GetKeyboardWindow();
      SendMessageW(keys, WM_KEYDOWN, vk, 0);
   }
   cuisim::SimSnapshotFile LoadFile()
   {
      cuisim::SimSnapshotFile file;
      std::string error;
      EXPECT_TRUE(file.Load(cuisim::SimSnapshotFile::PathOf(vm_->GetFilename()), error)) << error;
      return file;
   }

   cui::VM *vm_ = nullptr;
   cui::SnapshotTree *tree_ = nullptr;
   std::unique_ptr<CZOLTSnapshotMgr> mgr_;
};

TEST_F(SnapshotWindows, OpeningSelectsTheCurrentStateAloneWithItsButtonsAndStatus)
{
   CZOLTSnapshotMgr &mgr = OpenManager();
   EXPECT_EQ(std::set<int>{0}, Selected());
   EXPECT_EQ(mgr.GetGrid().GetYAHCell(), mgr.GetGrid().GetFocusCell());
   EXPECT_EQ("The current state of the virtual machine is selected.", Status());
   EXPECT_EQ("Desk - Snapshot Manager", GetWindowTextUtf8(mgr.m_hWnd));
   EXPECT_FALSE(Enabled(mgr.m_hWnd, IDC_SNAPSHOT_GOTO));
   HWND details = mgr.GetDetails().m_hWnd;
   EXPECT_TRUE(Enabled(details, IDC_SNAPSHOT_TAKE));
   EXPECT_TRUE(Enabled(details, IDC_SNAPSHOT_CLONE));
   EXPECT_FALSE(Enabled(details, IDC_SNAPSHOT_DELETE));
   EXPECT_FALSE(Enabled(details, IDC_SNAPSHOT_NAME));

   // Six snapshots, the current state, the machine and the connectors: every selectable cell
   // stands where the layout put it.
   size_t selectable = 0;
   for (const auto &cell : mgr.GetGrid().GetCells()) {
      if (cell->IsSelectable()) {
         ++selectable;
         cui::SnapshotLayout::Loc loc = mgr.GetGrid().GetLayout()->GetLoc(cell->GetSnapshot());
         EXPECT_EQ(loc.row, cell->GetRow());
         EXPECT_EQ(loc.col, cell->GetColumn());
      }
   }
   EXPECT_EQ(7u, selectable);

   // The window never becomes smaller than 520 x 370.
   SetWindowPos(mgr.m_hWnd, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
   RECT rc;
   GetWindowRect(mgr.m_hWnd, &rc);
   EXPECT_GE(rc.right - rc.left, 520);
   EXPECT_GE(rc.bottom - rc.top, 370);
}

TEST_F(SnapshotWindows, SelectionOperationsKeepTheCurrentStateAlone)
{
   CZOLTSnapshotMgr &mgr = OpenManager();
   CZOLTSnapshotGrid &grid = mgr.GetGrid();

   ASSERT_TRUE(grid.Select(GRID_SELECT_ONLY, Cell(2)));
   EXPECT_EQ(std::set<int>{2}, Selected());
   EXPECT_EQ("Patched", DetailsText(IDC_SNAPSHOT_NAME));
   EXPECT_TRUE(Enabled(mgr.m_hWnd, IDC_SNAPSHOT_GOTO));
   EXPECT_EQ("Snapshots: 1 selected", Status());

   grid.Select(GRID_SELECT_ADD, Cell(3));
   EXPECT_EQ((std::set<int>{2, 3}), Selected());
   EXPECT_EQ(Cell(3), grid.GetAnchorCell());
   EXPECT_EQ("Snapshots: 1, Recordings: 1 selected", Status());
   // Several: the fields empty and locked, Go to off, Delete on.
   EXPECT_EQ("", DetailsText(IDC_SNAPSHOT_NAME));
   EXPECT_FALSE(Enabled(mgr.GetDetails().m_hWnd, IDC_SNAPSHOT_NAME));
   EXPECT_FALSE(Enabled(mgr.m_hWnd, IDC_SNAPSHOT_GOTO));
   EXPECT_TRUE(Enabled(mgr.GetDetails().m_hWnd, IDC_SNAPSHOT_DELETE));

   grid.Select(GRID_SELECT_ADD, grid.GetYAHCell());
   EXPECT_EQ((std::set<int>{2, 3}), Selected()) << "the current state is only ever selected alone";

   EXPECT_EQ(grid.GetYAHCell(), grid.GetAnchorCell()) << "added last, the anchor even though dropped";
   grid.Select(GRID_SELECT_REMOVE, Cell(2));
   EXPECT_EQ(std::set<int>{3}, Selected());
   grid.Select(GRID_SELECT_ADD, Cell(3));

   // A range runs from the anchor (Branch) to the cell, in reading order: Branch, Twin (5).
   grid.Select(GRID_SELECT_RANGE, Cell(5));
   EXPECT_EQ((std::set<int>{3, 5}), Selected());
   EXPECT_EQ(Cell(3), grid.GetAnchorCell()) << "a range does not move the anchor";
   EXPECT_EQ(Cell(5), grid.GetFocusCell());

   grid.Select(GRID_SELECT_FOCUS, Cell(6));
   EXPECT_EQ((std::set<int>{3, 5}), Selected());
   EXPECT_EQ(Cell(6), grid.GetFocusCell());

   grid.Select(GRID_SELECT_CLEAR, nullptr);
   EXPECT_TRUE(Selected().empty());
   EXPECT_EQ("Snapshots: 5, Recordings: 1", Status());
   EXPECT_FALSE(Enabled(mgr.GetDetails().m_hWnd, IDC_SNAPSHOT_DELETE));
   EXPECT_FALSE(Enabled(mgr.GetDetails().m_hWnd, IDC_SNAPSHOT_CLONE));

   // With nothing selected a range starts at the focus cell (Twin 6, the last in reading order).
   grid.Select(GRID_SELECT_RANGE, Cell(5));
   EXPECT_EQ((std::set<int>{5, 6}), Selected());

   grid.SelectAll();
   EXPECT_EQ((std::set<int>{1, 2, 3, 4, 5, 6}), Selected());

   // Clicks: plain, Ctrl toggles, a click on empty space with Ctrl changes nothing, without it clears.
   auto centre = [&](int uid) {
      RECT rc = Cell(uid)->GetRect();
      return POINT{(rc.left + rc.right) / 2, rc.top + 10};
   };
   grid.ClickAt(centre(4), false, false);
   EXPECT_EQ(std::set<int>{4}, Selected());
   grid.ClickAt(centre(1), true, false);
   EXPECT_EQ((std::set<int>{1, 4}), Selected());
   grid.ClickAt(centre(1), true, false);
   EXPECT_EQ(std::set<int>{4}, Selected());
   grid.ClickAt(POINT{2, 2}, true, false);
   EXPECT_EQ(std::set<int>{4}, Selected());
   grid.ClickAt(POINT{2, 2}, false, false);
   EXPECT_TRUE(Selected().empty());
}

TEST_F(SnapshotWindows, TheKeyboardWindowGetsArrowsEscAndEnterAndNavigatesTheTree)
{
   CZOLTSnapshotMgr &mgr = OpenManager();
   CZOLTSnapshotGrid &grid = mgr.GetGrid();
   HWND keys = grid.GetKeyboardWindow();
   ASSERT_NE(nullptr, keys);

   MSG esc = {keys, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
   LRESULT code = SendMessageW(keys, WM_GETDLGCODE, VK_ESCAPE, reinterpret_cast<LPARAM>(&esc));
   EXPECT_TRUE(code & DLGC_WANTARROWS);
   EXPECT_TRUE(code & DLGC_WANTMESSAGE) << "Esc must reach the grid inside the dialog";
   MSG tab = {keys, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
   EXPECT_FALSE(SendMessageW(keys, WM_GETDLGCODE, VK_TAB, reinterpret_cast<LPARAM>(&tab)) & DLGC_WANTMESSAGE)
      << "Tab still moves between the controls";

   // From the current state: left goes to its parent (Leaf), then Patched, then Base.
   Key(VK_LEFT);
   EXPECT_EQ(std::set<int>{4}, Selected());
   Key(VK_LEFT);
   Key(VK_LEFT);
   EXPECT_EQ(std::set<int>{1}, Selected());
   EXPECT_EQ("Base", DetailsText(IDC_SNAPSHOT_NAME));
   // Right goes to the first child; down to the nearest snapshot below in that column.
   Key(VK_RIGHT);
   EXPECT_EQ(std::set<int>{2}, Selected());
   Key(VK_DOWN);
   EXPECT_EQ(std::set<int>{3}, Selected()) << "Branch stands below Patched";
   Key(VK_END);
   EXPECT_EQ(std::set<int>{5}, Selected()) << "the last of Branch's row";
   Key(VK_HOME);
   EXPECT_EQ(std::set<int>{3}, Selected());
   Key(VK_SPACE);
   EXPECT_EQ(std::set<int>{3}, Selected());

   // Enter on a snapshot asks the manager to go to it; Esc closes the manager.
   SendMessageW(keys, WM_KEYDOWN, VK_RETURN, 0);
   ASSERT_TRUE(WaitIdle());
   EXPECT_TRUE(IsWindow(mgr.m_hWnd));
   Key(VK_ESCAPE);
   EXPECT_FALSE(IsWindow(mgr.m_hWnd)) << "Esc in the grid closes the manager";
}

TEST_F(SnapshotWindows, AGridWithoutFocusOrAnchorTakesKeysAndMenusSafely)
{
   HWND host = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
   ASSERT_NE(nullptr, host);
   {
      CZOLTSnapshotGrid grid(nullptr);
      ASSERT_NE(nullptr, grid.Create(host));
      grid.BuildLayout(nullptr);
      EXPECT_EQ(nullptr, grid.GetFocusCell());
      EXPECT_EQ(nullptr, grid.GetAnchorCell());
      for (UINT vk : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_SPACE, VK_RETURN}) {
         grid.OnKey(vk, false, false);
         grid.OnKey(vk, true, true);
      }
      EXPECT_TRUE(grid.Select(GRID_SELECT_RANGE, nullptr));
      SendMessageW(grid.m_hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(grid.m_hWnd), MAKELPARAM(0xFFFF, 0xFFFF));
      EXPECT_TRUE(grid.GetSelectedUIDs().empty());
      grid.DestroyWindow();
   }
   DestroyWindow(host);
}

TEST_F(SnapshotWindows, AutomationSelectsByNameAndRefusesWhatItCannotRead)
{
   OpenManager();
   EXPECT_EQ(0, Automate(GRID_SELECT_ONLY, "Twin"));
   EXPECT_EQ(std::set<int>{5}, Selected()) << "the first of two of that name in the flat order";
   EXPECT_EQ(0, Automate(GRID_SELECT_ADD, "Base"));
   EXPECT_EQ((std::set<int>{1, 5}), Selected());
   EXPECT_EQ(0, Automate(GRID_SELECT_ONLY, ""));
   EXPECT_EQ(std::set<int>{0}, Selected()) << "an empty name is the current state";
   EXPECT_EQ(2, Automate(GRID_SELECT_ONLY, "Nowhere"));
   EXPECT_EQ(std::set<int>{0}, Selected());
   EXPECT_EQ(87, Automate(9, "Base"));
   EXPECT_EQ(87, Automate(static_cast<ULONG_PTR>(-1), "Base"));
   // Four bytes of "BaseXYZ" hold no zero: unterminated, whatever follows them in memory.
   const char unterminated[] = "BaseXYZ";
   EXPECT_EQ(2, Automate(GRID_SELECT_ONLY, unterminated, 4));
   EXPECT_EQ(std::set<int>{0}, Selected());
   EXPECT_EQ(0, Automate(GRID_SELECT_CLEAR, nullptr, 0));
   EXPECT_TRUE(Selected().empty());
}

TEST_F(SnapshotWindows, ATypedRenameSurvivesARefreshAndIsCommittedOnlyWhenChanged)
{
   CZOLTSnapshotMgr &mgr = OpenManager();
   CZOLTSnapshotDetails &details = mgr.GetDetails();
   mgr.GetGrid().Select(GRID_SELECT_ONLY, Cell(2));
   ASSERT_EQ("Patched", DetailsText(IDC_SNAPSHOT_NAME));

   // Committing what is shown writes nothing.
   EXPECT_TRUE(details.Rename());
   EXPECT_FALSE(tree_->IsBusy()) << "no rename was sent for an unchanged name";

   SetDlgItemTextUtf8(details.m_hWnd, IDC_SNAPSHOT_NAME, "  Patched twice ");
   EXPECT_TRUE(details.IsDirty());
   // Another snapshot is renamed meanwhile: the tree changes, the typed text stays.
   Outcome renamed;
   tree_->Rename(6, "Other twin", "", renamed.Abort(), renamed.Done());
   ASSERT_TRUE(Until([&]() { return renamed.finished; }));
   ASSERT_TRUE(WaitIdle());
   EXPECT_EQ("Other twin", tree_->GetSnapshot(6)->GetDisplayName());
   EXPECT_EQ("  Patched twice ", DetailsText(IDC_SNAPSHOT_NAME));
   EXPECT_EQ(std::set<int>{2}, Selected());

   // Moving on commits the trimmed name.
   ASSERT_TRUE(mgr.GetGrid().Select(GRID_SELECT_ONLY, Cell(1)));
   ASSERT_TRUE(WaitIdle());
   EXPECT_EQ("Patched twice", tree_->GetSnapshot(2)->GetDisplayName());
   EXPECT_EQ("Patched twice", LoadFile().snapshots[2].displayName);
   EXPECT_EQ("Base", DetailsText(IDC_SNAPSHOT_NAME));

   // A blank name is refused with a message and the selection stays.
   SetDlgItemTextUtf8(details.m_hWnd, IDC_SNAPSHOT_NAME, "   ");
   {
      BoxCloser closer;
      EXPECT_FALSE(mgr.GetGrid().Select(GRID_SELECT_ONLY, Cell(3)));
      EXPECT_EQ(1, closer.Count());
   }
   EXPECT_EQ(std::set<int>{1}, Selected());
   EXPECT_EQ("Base", tree_->GetSnapshot(1)->GetDisplayName());
}

TEST_F(SnapshotWindows, DeletingSelectsTheNextOfKinAndWithChildrenTakesTheBranch)
{
   CZOLTSnapshotMgr &mgr = OpenManager();
   mgr.GetGrid().Select(GRID_SELECT_ONLY, Cell(2));
   SendMessageW(mgr.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SNAPSHOT_DELETE, BN_CLICKED), 0);
   EXPECT_TRUE(mgr.IsBusy());
   EXPECT_FALSE(Enabled(mgr.m_hWnd, IDCANCEL));
   // Close is refused while the delete runs.
   SendMessageW(mgr.m_hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
   EXPECT_TRUE(IsWindow(mgr.m_hWnd));
   ASSERT_TRUE(WaitIdle());
   cuisim::SimSnapshotFile file = LoadFile();
   EXPECT_EQ(0u, file.snapshots.count(2));
   EXPECT_EQ(1, file.snapshots[4].parent) << "Leaf moves up to Base";
   EXPECT_EQ(std::set<int>{3}, Selected()) << "the next sibling of Patched";
   EXPECT_TRUE(Enabled(mgr.m_hWnd, IDCANCEL));

   SendMessageW(mgr.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SNAPSHOT_DELETE_CHILDREN, 0), 0);
   ASSERT_TRUE(WaitIdle());
   file = LoadFile();
   EXPECT_EQ(0u, file.snapshots.count(3));
   EXPECT_EQ(0u, file.snapshots.count(5)) << "Branch's child went with it";
   EXPECT_EQ(3u, file.snapshots.size());
   EXPECT_EQ(std::set<int>{4}, Selected()) << "Leaf, Base's child now, follows Branch";

   // Nothing selected: Delete does nothing.
   mgr.GetGrid().Select(GRID_SELECT_CLEAR, nullptr);
   SendMessageW(mgr.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_SNAPSHOT_DELETE, BN_CLICKED), 0);
   EXPECT_FALSE(mgr.IsBusy());
}

TEST_F(SnapshotWindows, AListThatCouldNotBeReadIsSaidInTheManagerUntilTheFileIsMended)
{
   const std::string cfg = vm_->GetFilename();
   const std::string path = cuisim::SimSnapshotFile::PathOf(cfg);
   std::string good;
   std::string error;
   ASSERT_TRUE(File_Read(path, good, error)) << error;
   const std::string damaged = good.substr(0, good.find("Patched") + 3);
   ASSERT_TRUE(File_Replace(path, damaged, error)) << error;
   NewRun();
   vm_ = Open(cfg);
   ASSERT_NE(nullptr, vm_);
   tree_ = vm_->GetSnapshotTree();

   CZOLTSnapshotMgr &mgr = OpenManager();
   CZOLTSnapshotGrid &grid = mgr.GetGrid();
   const std::string notice = grid.GetNotice();
   EXPECT_EQ(0u, notice.find("The snapshot list could not be read.")) << notice;
   EXPECT_NE(std::string::npos, notice.find(path)) << notice;
   EXPECT_NE(std::string::npos, notice.find("missing closing quote")) << notice;
   EXPECT_EQ(notice, GetWindowTextUtf8(grid.m_hWnd)) << "read out to those who cannot see it";
   EXPECT_EQ("The snapshot list could not be read.", Status());
   // Opening the manager read the file again: still damaged, said a second time, kept.
   ASSERT_TRUE(Until([&]() {
      PumpMessages();
      return vm_->GetMsgSource()->GetEntries().size() == 2 && !tree_->IsBusy();
   }));
   EXPECT_EQ(notice, grid.GetNotice());
   // The current state stays, so Take is offered (and refused with the host's text).
   EXPECT_EQ(std::set<int>{0}, Selected());
   EXPECT_TRUE(Enabled(mgr.GetDetails().m_hWnd, IDC_SNAPSHOT_TAKE));

   // Beside the cells, the whole notice in view at the manager's first size; at its smallest
   // the grid scrolls to it.
   RECT client;
   GetClientRect(grid.m_hWnd, &client);
   RECT shown = grid.GetNoticeRect();
   EXPECT_GE(shown.left, grid.GetYAHCell()->GetWideRect().right);
   EXPECT_GT(shown.right - shown.left, 200);
   EXPECT_LE(shown.right, client.right);
   EXPECT_LE(shown.bottom, client.bottom) << "the notice is cut off";
   SetWindowPos(mgr.m_hWnd, nullptr, 0, 0, CZOLTSnapshotMgr::kMinWidth, CZOLTSnapshotMgr::kMinHeight,
                SWP_NOMOVE | SWP_NOZORDER);
   PumpMessages();
   GetClientRect(grid.m_hWnd, &client);
   EXPECT_LT(client.bottom, grid.GetNoticeRect().bottom);
   EXPECT_GE(grid.GetContentRect().bottom, grid.GetNoticeRect().bottom) << "what is out of view can be scrolled to";
   EXPECT_TRUE(GetWindowLongW(grid.m_hWnd, GWL_STYLE) & WS_VSCROLL);
   std::string kept;
   ASSERT_TRUE(File_Read(path, kept, error)) << error;
   EXPECT_EQ(damaged, kept);

   // Mended, the manager opened again shows the six.
   DestroyWindow(mgr.m_hWnd);
   ASSERT_TRUE(File_Replace(path, good, error)) << error;
   CZOLTSnapshotMgr &again = OpenManager();
   ASSERT_TRUE(Until([&]() {
      PumpMessages();
      return tree_->GetCount() == 6;
   }));
   EXPECT_EQ("", again.GetGrid().GetNotice());
   EXPECT_EQ("The current state of the virtual machine is selected.", Status());
}

TEST_F(SnapshotWindows, ATakeThatFailsAfterTheDialogClosedIsStillReported)
{
   const std::string log = folder_ + "\\take.log";
   Config_Set("ui.log.filename", log.c_str());
   ASSERT_TRUE(Log_Start("snapshotwin", "ui.log.filename", log.c_str()));
   Config_Set("test.host.fail", "createSnapshot");
   {
      CZOLTSnapshotTake take(vm_, IDM_VM_SNAPSHOT_TAKE);
      ASSERT_NE(nullptr, take.Create(nullptr));
      EXPECT_EQ("Take Snapshot of Desk", GetWindowTextUtf8(take.m_hWnd));
      EXPECT_EQ(tree_->GenerateName(), GetDlgItemTextUtf8(take.m_hWnd, IDC_SNAPSHOT_NAME));
      // An empty name is refused with a message; the dialog stays.
      SetDlgItemTextUtf8(take.m_hWnd, IDC_SNAPSHOT_NAME, "");
      {
         BoxCloser closer;
         SendMessageW(take.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
         EXPECT_EQ(1, closer.Count());
      }
      ASSERT_TRUE(IsWindow(take.m_hWnd));
      SetDlgItemTextUtf8(take.m_hWnd, IDC_SNAPSHOT_NAME, "Doomed");
      SetDlgItemTextUtf8(take.m_hWnd, IDC_SNAPSHOT_DESCRIPTION, "fails on the host");
      SendMessageW(take.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      EXPECT_EQ("Doomed", take.GetName());
      EXPECT_FALSE(take.m_hWnd && IsWindow(take.m_hWnd)) << "the dialog ended";
   }
   ASSERT_TRUE(Until([&]() { return !tree_->IsBusy(); }));
   Log_Stop();
   Config_Set("ui.log.filename", "");
   std::ifstream in(log);
   std::stringstream text;
   text << in.rdbuf();
   EXPECT_NE(text.str().find("CZOLTSnapshotTake: the request failed: The host could not carry out"),
             std::string::npos)
      << text.str();
   EXPECT_EQ(6u, tree_->GetCount());
}

}  // namespace

// The clone wizard's sheet run in this process over machines of the simulated host, driven page
// by page from a thread timer inside its modal loop, as a user presses its buttons: a snapshot
// cloned as linked after the type page followed a change of source, a linked clone of the current
// state with its snapshot step, a Finish pressed early, a failed clone and a cancel.
#include "MachineTestSupport.h"

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <functional>
#include <string>
#include <vector>

#include "CloneWz.h"
#include "cui/SnapshotTree.h"
#include "cui/VM.h"
#include "res/resource.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"

namespace {

const wchar_t kCaption[] = L"Clone Virtual Machine Wizard";
const int kSheetNext = 0x3024;
const int kSheetFinish = 0x3025;
const int kTickMs = 25;
const int kMaxTicks = 800;   // 20 s for a whole script

struct Found {
   HWND window;
   HWND owner;
   const wchar_t *className;
   const wchar_t *caption;
};

BOOL CALLBACK FindThreadWindow(HWND window, LPARAM data)
{
   Found &found = *reinterpret_cast<Found *>(data);
   wchar_t className[64] = L"";
   wchar_t caption[128] = L"";
   GetClassNameW(window, className, 64);
   GetWindowTextW(window, caption, 128);
   bool owned = !found.owner || GetWindow(window, GW_OWNER) == found.owner;
   if (IsWindowVisible(window) && owned && (!found.className || lstrcmpW(className, found.className) == 0) &&
       (!found.caption || lstrcmpW(caption, found.caption) == 0)) {
      found.window = window;
      return FALSE;
   }
   return TRUE;
}

HWND CurrentPage(HWND sheet)
{
   return reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

// The page shows when its marker control is there.
bool OnPage(HWND sheet, int marker)
{
   return GetDlgItem(CurrentPage(sheet), marker) != nullptr;
}

HWND Item(HWND sheet, int id)
{
   return GetDlgItem(CurrentPage(sheet), id);
}

bool Shown(HWND sheet, int id)
{
   return IsWindowVisible(Item(sheet, id)) != FALSE;
}

bool Enabled(HWND window)
{
   return window && IsWindowEnabled(window);
}

std::string Text(HWND window)
{
   wchar_t text[1024] = L"";
   GetWindowTextW(window, text, 1024);
   return Utf8FromWide(text);
}

void SetText(HWND sheet, int id, const std::string &text)
{
   SetWindowTextW(Item(sheet, id), WideFromUtf8(text).c_str());
}

void Press(HWND sheet, int button)
{
   PostMessageW(sheet, PSM_PRESSBUTTON, button, 0);
}

// Checks one of a page's two radio buttons, as a program does.
void Choose(HWND sheet, int first, int last, int id)
{
   CheckRadioButton(CurrentPage(sheet), first, last, id);
}

// Steps a user takes in the sheet: each waits until `ready` holds, then acts once.
struct Step {
   std::string what;
   std::function<bool(HWND)> ready;
   std::function<void(HWND)> act;
};

class SheetScript {
public:
   explicit SheetScript(std::vector<Step> steps) : steps_(std::move(steps))
   {
      current_ = this;
      timer_ = SetTimer(nullptr, 0, kTickMs, OnTimer);
   }
   ~SheetScript()
   {
      KillTimer(nullptr, timer_);
      current_ = nullptr;
   }

   bool Finished() const { return next_ == steps_.size(); }
   std::string Stuck() const { return next_ < steps_.size() ? steps_[next_].what : std::string(); }

   SheetScript(const SheetScript &) = delete;
   SheetScript &operator=(const SheetScript &) = delete;

private:
   static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD)
   {
      if (current_) {
         current_->Tick();
      }
   }

   void Tick()
   {
      ++ticks_;
      // The program's frame keeps the poll loop going under a modal sheet; so does the script. A
      // step may open a modal box of its own (an error's), whose loop ticks here again: that tick
      // only acts, so the box can be answered.
      if (!polling_) {
         polling_ = true;
         Poll_Step(0);
         polling_ = false;
      }
      if (acting_) {
         return;
      }
      acting_ = true;
      Found found = {nullptr, nullptr, L"#32770", kCaption};
      EnumThreadWindows(GetCurrentThreadId(), FindThreadWindow, reinterpret_cast<LPARAM>(&found));
      if (found.window && next_ < steps_.size() && steps_[next_].ready(found.window)) {
         steps_[next_].act(found.window);
         ++next_;
      }
      if (ticks_ > kMaxTicks && found.window) {
         // Stuck: end the sheet so the test reports instead of hanging.
         DestroyWindow(found.window);
      }
      acting_ = false;
   }

   static SheetScript *current_;
   std::vector<Step> steps_;
   size_t next_ = 0;
   UINT_PTR timer_ = 0;
   int ticks_ = 0;
   bool polling_ = false;
   bool acting_ = false;
};

SheetScript *SheetScript::current_ = nullptr;

Step PressOn(const std::string &what, int marker, int button)
{
   return {what, [marker](HWND sheet) { return OnPage(sheet, marker); },
           [button](HWND sheet) { Press(sheet, button); }};
}

// A wizard whose clone operation throws, as a derived wizard's may.
class ThrowingCloneWz : public CCloneWz {
public:
   using CCloneWz::CCloneWz;
   void StartClone(const cui::AbortSlot &, const cui::DoneSlot &, const cui::DoneSlot &) override
   {
      throw cui::Error("The clone broke.");
   }
};

class CloneWzSheet : public MachineTest {
protected:
   void SetUp() override
   {
      MachineTest::SetUp();
      Config_Set("ui.defaultVMFolder", folder_.c_str());
   }
   void TearDown() override
   {
      Config_Set("ui.defaultVMFolder", "");
      MachineTest::TearDown();
   }
   cui::VM *OpenSource(const std::string &name, const std::vector<KeyValueEntry> &extra, const std::string &snapshots)
   {
      std::string error;
      EXPECT_TRUE(File_Replace(Path(name + ".vmdk"), "DISK", error)) << error;
      std::vector<KeyValueEntry> entries = {{"configVersion", "8"}, {"displayName", name}, {"guestOS", "winxp"},
                                            {"disk0.present", "TRUE"}, {"disk0.fileName", name + ".vmdk"}};
      entries.insert(entries.end(), extra.begin(), extra.end());
      std::string vmx = WriteVmx(name + ".vmx", entries);
      if (!snapshots.empty()) {
         EXPECT_TRUE(File_Replace(Path(name + ".snapshot"), snapshots, error)) << error;
      }
      return Open(vmx);
   }
   // Runs the wizard with the script; false when the script did not get through.
   bool RunScripted(CCloneWz &wizard, std::vector<Step> steps, bool &made)
   {
      SheetScript script(std::move(steps));
      made = wizard.Run(nullptr);
      EXPECT_TRUE(script.Finished()) << "stuck at: " << script.Stuck();
      return script.Finished();
   }
};

TEST_F(CloneWzSheet, ASnapshotClonedAsLinkedAfterTheTypePageFollowedTheSource)
{
   // One snapshot kept: the current state clones only in full, the snapshot also as linked.
   cui::VM *vm = OpenSource("Source", {{"snapshot.multiple", "FALSE"}}, "displayName = \"Kept\"\n");
   ASSERT_NE(nullptr, vm);
   CCloneWz wizard(vm, vm->GetSnapshotTree(), 0);
   std::string location = Path("Clones\\Linked One") + "\\";
   bool linkedWasOff = false;
   bool followed = false;
   std::string proposedName;
   bool made = false;
   RunScripted(wizard,
               {
                  {"welcome", [](HWND sheet) { return OnPage(sheet, IDC_CLONEWZ_WELCOME_TITLE); },
                   [](HWND sheet) {
                      EXPECT_TRUE(Enabled(GetDlgItem(sheet, kSheetNext)));
                      Press(sheet, PSBTN_NEXT);
                   }},
                  {"source, current state", [](HWND sheet) { return OnPage(sheet, IDC_CLONEWZ_SOURCE_CURRENT); },
                   [](HWND sheet) {
                      EXPECT_EQ(BST_CHECKED, SendMessageW(Item(sheet, IDC_CLONEWZ_SOURCE_CURRENT), BM_GETCHECK, 0, 0));
                      EXPECT_EQ("Kept", Text(Item(sheet, IDC_CLONEWZ_SNAPSHOT_LIST)));
                      Press(sheet, PSBTN_NEXT);
                   }},
                  {"type for the current state", [](HWND sheet) { return OnPage(sheet, IDC_CLONEWZ_TYPE_LINKED); },
                   [&linkedWasOff](HWND sheet) {
                      linkedWasOff = !Enabled(Item(sheet, IDC_CLONEWZ_TYPE_LINKED));
                      EXPECT_EQ(BST_CHECKED, SendMessageW(Item(sheet, IDC_CLONEWZ_TYPE_FULL), BM_GETCHECK, 0, 0));
                      EXPECT_TRUE(Shown(sheet, IDC_CLONEWZ_TYPE_REASONS));
                      Press(sheet, PSBTN_BACK);
                   }},
                  {"source, the snapshot", [](HWND sheet) { return OnPage(sheet, IDC_CLONEWZ_SOURCE_SNAPSHOT); },
                   [](HWND sheet) {
                      Choose(sheet, IDC_CLONEWZ_SOURCE_CURRENT, IDC_CLONEWZ_SOURCE_SNAPSHOT, IDC_CLONEWZ_SOURCE_SNAPSHOT);
                      Press(sheet, PSBTN_NEXT);
                   }},
                  {"type for the snapshot", [](HWND sheet) { return OnPage(sheet, IDC_CLONEWZ_TYPE_LINKED); },
                   [&followed](HWND sheet) {
                      followed = Enabled(Item(sheet, IDC_CLONEWZ_TYPE_LINKED)) &&
                                 SendMessageW(Item(sheet, IDC_CLONEWZ_TYPE_LINKED), BM_GETCHECK, 0, 0) == BST_CHECKED &&
                                 !Shown(sheet, IDC_CLONEWZ_TYPE_REASONS);
                      Press(sheet, PSBTN_NEXT);
                   }},
                  {"name", [](HWND sheet) { return OnPage(sheet, IDC_CLONEWZ_NAME); },
                   [&](HWND sheet) {
                      proposedName = Text(Item(sheet, IDC_CLONEWZ_NAME));
                      SetText(sheet, IDC_CLONEWZ_NAME, "Linked One");
                      // The location follows the name until one is typed.
                      EXPECT_EQ(folder_ + "\\Linked One", Text(Item(sheet, IDC_CLONEWZ_LOCATION)));
                      SetText(sheet, IDC_CLONEWZ_LOCATION, location);
                      SetText(sheet, IDC_CLONEWZ_NAME, "Linked One");
                      EXPECT_EQ(location, Text(Item(sheet, IDC_CLONEWZ_LOCATION))) << "a typed location stays";
                      Press(sheet, PSBTN_NEXT);
                   }},
                  {"progress, done",
                   [](HWND sheet) { return OnPage(sheet, IDC_CLONEWZ_STEP_PREPARE) && Shown(sheet, IDC_CLONEWZ_STEP_DONE); },
                   [](HWND sheet) {
                      EXPECT_FALSE(Shown(sheet, IDC_CLONEWZ_STEP_SNAPSHOT)) << "a snapshot source takes none";
                      EXPECT_TRUE(Shown(sheet, IDC_CLONEWZ_MARK_PREPARE));
                      EXPECT_TRUE(Shown(sheet, IDC_CLONEWZ_MARK_CREATE));
                      EXPECT_FALSE(Shown(sheet, IDC_CLONEWZ_FAILED_ICON));
                      EXPECT_EQ("Creating the linked clone", Text(Item(sheet, IDC_CLONEWZ_STEP_CREATE)));
                      EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, IDCANCEL))) << "no cancel once the clone runs";
                      EXPECT_EQ("Close", Text(GetDlgItem(sheet, kSheetFinish)));
                      Press(sheet, PSBTN_FINISH);
                   }},
               },
               made);
   EXPECT_EQ("Clone of Source", proposedName);
   EXPECT_TRUE(linkedWasOff) << "the current state of a one-snapshot machine clones only in full";
   EXPECT_TRUE(followed) << "the type page did not follow the snapshot chosen";
   ASSERT_TRUE(made);
   std::string cfg = Path("Clones\\Linked One\\Linked One.vmx");
   EXPECT_EQ(std::wstring(WideFromUtf8(cfg)), static_cast<const wchar_t *>(wizard.GetClonePath()));
   ASSERT_TRUE(FileExists(cfg));
   EXPECT_EQ("1", Value(ReadEntries(cfg), "cloneOf0.snapshotUID"));
   EXPECT_EQ("Linked One", Value(ReadEntries(cfg), "displayName"));
}

TEST_F(CloneWzSheet, ALinkedCloneOfTheCurrentStateShowsItsSnapshotStep)
{
   cui::VM *vm = OpenSource("Current", {}, "");
   ASSERT_NE(nullptr, vm);
   CCloneWz wizard(vm, vm->GetSnapshotTree(), 0);
   bool made = false;
   RunScripted(wizard,
               {
                  PressOn("welcome", IDC_CLONEWZ_WELCOME_TITLE, PSBTN_NEXT),
                  {"source", [](HWND sheet) { return OnPage(sheet, IDC_CLONEWZ_SOURCE_CURRENT); },
                   [](HWND sheet) {
                      EXPECT_FALSE(Enabled(Item(sheet, IDC_CLONEWZ_SOURCE_SNAPSHOT))) << "no snapshot to clone";
                      Press(sheet, PSBTN_NEXT);
                   }},
                  PressOn("type", IDC_CLONEWZ_TYPE_LINKED, PSBTN_NEXT),
                  {"name", [](HWND sheet) { return OnPage(sheet, IDC_CLONEWZ_NAME); },
                   [this](HWND sheet) {
                      EXPECT_EQ(folder_ + "\\Clone of Current", Text(Item(sheet, IDC_CLONEWZ_LOCATION)));
                      Press(sheet, PSBTN_NEXT);
                   }},
                  {"progress, done",
                   [](HWND sheet) { return OnPage(sheet, IDC_CLONEWZ_STEP_PREPARE) && Shown(sheet, IDC_CLONEWZ_STEP_DONE); },
                   [](HWND sheet) {
                      EXPECT_TRUE(Shown(sheet, IDC_CLONEWZ_STEP_SNAPSHOT));
                      EXPECT_TRUE(Shown(sheet, IDC_CLONEWZ_MARK_SNAPSHOT)) << "the snapshot step was never marked";
                      EXPECT_TRUE(Shown(sheet, IDC_CLONEWZ_MARK_DONE));
                      Press(sheet, PSBTN_FINISH);
                   }},
               },
               made);
   ASSERT_TRUE(made);
   EXPECT_TRUE(FileExists(Path("Clone of Current\\Clone of Current.vmx")));
   EXPECT_TRUE(Until([&]() { return vm->GetSnapshotTree()->GetCount() == 1; })) << "no snapshot taken for the clone";
}

TEST_F(CloneWzSheet, FinishPressedEarlyStillChecksEveryPage)
{
   // One snapshot kept: the linked clone checked at first is not possible for the current state.
   cui::VM *vm = OpenSource("Early", {{"snapshot.multiple", "FALSE"}}, "displayName = \"Kept\"\n");
   ASSERT_NE(nullptr, vm);
   CCloneWz wizard(vm, vm->GetSnapshotTree(), 0);
   bool made = false;
   RunScripted(wizard,
               {
                  PressOn("welcome", IDC_CLONEWZ_WELCOME_TITLE, PSBTN_NEXT),
                  PressOn("source, finish at once", IDC_CLONEWZ_SOURCE_CURRENT, PSBTN_FINISH),
                  {"the type page Finish stopped at", [](HWND sheet) { return OnPage(sheet, IDC_CLONEWZ_TYPE_LINKED); },
                   [](HWND sheet) {
                      EXPECT_FALSE(Enabled(Item(sheet, IDC_CLONEWZ_TYPE_LINKED)));
                      EXPECT_EQ(BST_CHECKED, SendMessageW(Item(sheet, IDC_CLONEWZ_TYPE_FULL), BM_GETCHECK, 0, 0));
                      Press(sheet, PSBTN_FINISH);
                   }},
                  // The name page is checked on the way (with the host's writability check), then the clone runs.
                  {"progress, done",
                   [](HWND sheet) { return OnPage(sheet, IDC_CLONEWZ_STEP_PREPARE) && Shown(sheet, IDC_CLONEWZ_STEP_DONE); },
                   [](HWND sheet) {
                      EXPECT_EQ("Creating the full clone", Text(Item(sheet, IDC_CLONEWZ_STEP_CREATE)));
                      Press(sheet, PSBTN_FINISH);
                   }},
               },
               made);
   ASSERT_TRUE(made);
   std::string cfg = Path("Clone of Early\\Clone of Early.vmx");
   ASSERT_TRUE(FileExists(cfg));
   EXPECT_TRUE(FileExists(Path("Clone of Early\\Clone of Early.vmdk"))) << "the disk is copied";
   EXPECT_EQ("<missing>", Value(ReadEntries(cfg), "cloneOf0")) << "a full clone";
}

TEST_F(CloneWzSheet, AFailureOfTheCloneIsReportedAndTheWizardEndsWithoutAClone)
{
   cui::VM *vm = OpenSource("Broken", {}, "");
   ASSERT_NE(nullptr, vm);
   ThrowingCloneWz wizard(vm, vm->GetSnapshotTree(), 0);
   std::string boxText;
   bool made = true;
   RunScripted(wizard,
               {
                  PressOn("welcome", IDC_CLONEWZ_WELCOME_TITLE, PSBTN_NEXT),
                  PressOn("source", IDC_CLONEWZ_SOURCE_CURRENT, PSBTN_NEXT),
                  PressOn("type", IDC_CLONEWZ_TYPE_LINKED, PSBTN_NEXT),
                  PressOn("name", IDC_CLONEWZ_NAME, PSBTN_NEXT),
                  {"the error box",
                   [](HWND sheet) {
                      Found box = {nullptr, sheet, L"#32770", nullptr};
                      EnumThreadWindows(GetCurrentThreadId(), FindThreadWindow, reinterpret_cast<LPARAM>(&box));
                      return box.window != nullptr;
                   },
                   [&boxText](HWND sheet) {
                      Found box = {nullptr, sheet, L"#32770", nullptr};
                      EnumThreadWindows(GetCurrentThreadId(), FindThreadWindow, reinterpret_cast<LPARAM>(&box));
                      boxText = Text(GetDlgItem(box.window, 0xFFFF));
                      PostMessageW(box.window, WM_COMMAND, IDOK, 0);
                   }},
                  {"progress, failed",
                   // The buttons' change is posted: Close is offered once it has come.
                   [](HWND sheet) {
                      return Shown(sheet, IDC_CLONEWZ_FAILED_ICON) && Enabled(GetDlgItem(sheet, kSheetFinish));
                   },
                   [](HWND sheet) {
                      EXPECT_TRUE(Shown(sheet, IDC_CLONEWZ_STEP_DONE));
                      EXPECT_EQ("The clone failed.", Text(Item(sheet, IDC_CLONEWZ_STEP_DONE)));
                      Press(sheet, PSBTN_FINISH);
                   }},
               },
               made);
   EXPECT_EQ("The clone broke.", boxText);
   EXPECT_FALSE(made);
   EXPECT_EQ(0u, wizard.GetClonePath().length());
}

TEST_F(CloneWzSheet, CancelEndsTheWizardWithoutAClone)
{
   cui::VM *vm = OpenSource("Cancelled", {}, "");
   ASSERT_NE(nullptr, vm);
   CCloneWz wizard(vm, vm->GetSnapshotTree(), 0);
   bool made = true;
   RunScripted(wizard,
               {
                  PressOn("welcome", IDC_CLONEWZ_WELCOME_TITLE, PSBTN_NEXT),
                  PressOn("source", IDC_CLONEWZ_SOURCE_CURRENT, PSBTN_NEXT),
                  PressOn("type, cancel", IDC_CLONEWZ_TYPE_LINKED, PSBTN_CANCEL),
               },
               made);
   EXPECT_FALSE(made);
   EXPECT_TRUE(wizard.GetCancelled());
   EXPECT_FALSE(FileExists(Path("Clone of Cancelled")));
}

}  // namespace

// zolt.exe's clone wizard driven as a user does: the machine page's clone link opens it, Next
// and Finish are clicked, the name and folder typed. A powered-off machine cloned in full after
// two refused folders; a snapshot cloned as linked. Each clone opens in its tab, whose machine
// page shows it (the linked one with its parent). Each page of the wizard is kept as a screenshot.
#include "ZoltPageSupport.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <prsht.h>

#include <string>

namespace {

const DWORD kCloneMs = 30000;
const int kSheetNext = 0x3024;
const int kSheetFinish = 0x3025;
const char kCaption[] = "Clone Virtual Machine Wizard";

class CloneRun : public zoltrun::ZoltRun {
public:
   explicit CloneRun(const e2e::TestFolder &folder) : ZoltRun(folder), folder_(folder) {}

   // Starts zolt with the machine and waits for its page; null when either is missing.
   HWND StartAtPage(e2e::Process &process, const std::string &vmx, HWND &frame)
   {
      frame = ZoltRun::Start(process, "-H " + e2e::QuoteArgument(vmx));
      return frame ? zoltpage::WaitForMachinePage(frame) : nullptr;
   }
   void Screenshot(HWND window, const std::string &name) const { zoltpage::KeepScreenshot(folder_, window, name); }

private:
   const e2e::TestFolder &folder_;
};

std::string Text(HWND window)
{
   return e2e::ReadText(window).value_or("<none>");
}

HWND CurrentPage(HWND sheet)
{
   return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

HWND PageItem(HWND sheet, int id)
{
   return GetDlgItem(CurrentPage(sheet), id);
}

bool WaitForPageWith(HWND sheet, int id)
{
   return e2e::WaitUntil([&]() { return PageItem(sheet, id) != nullptr; }, kCloneMs, 50);
}

bool Shown(HWND window)
{
   return window && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

// A click in the middle of a control, through the mouse.
bool ClickOn(HWND control)
{
   RECT rect = {};
   GetClientRect(control, &rect);
   return e2e::Click(control, rect.right / 2, rect.bottom / 2);
}

// A click on a radio button's circle.
bool ClickRadio(HWND radio)
{
   RECT rect = {};
   GetClientRect(radio, &rect);
   return e2e::Click(radio, 6, rect.bottom / 2);
}

// Whether the control has its program's keyboard focus.
bool HasFocus(HWND control)
{
   GUITHREADINFO info = {};
   info.cbSize = sizeof(info);
   DWORD thread = GetWindowThreadProcessId(control, nullptr);
   return GetGUIThreadInfo(thread, &info) && info.hwndFocus == control;
}

// Replaces an edit's text by typing: a click into it, its text selected with End and
// Shift+Home once it has the focus, then the keys.
bool TypeInto(HWND edit, const std::string &text)
{
   RECT rect = {};
   GetClientRect(edit, &rect);
   if (!e2e::Click(edit, 4, rect.bottom / 2) ||
       !e2e::WaitUntil([&]() { return HasFocus(edit); }, kCloneMs, 20) || !e2e::PressKey(edit, VK_END) ||
       !e2e::PressKey(edit, VK_HOME, e2e::kShift)) {
      ADD_FAILURE() << "no focus in the edit for typing \"" << text << "\"";
      return false;
   }
   if (e2e::TypeText(edit, text) && e2e::WaitUntil([&]() { return Text(edit) == text; }, kCloneMs, 50)) {
      return true;
   }
   ADD_FAILURE() << "typed \"" << text << "\", the edit shows \"" << Text(edit) << "\"";
   return false;
}

// Whether the middle of the control is on screen, not under another window.
bool Uncovered(HWND control)
{
   RECT rect = {};
   GetWindowRect(control, &rect);
   POINT middle = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
   return WindowFromPoint(middle) == control;
}

bool ClickNext(HWND sheet)
{
   HWND next = GetDlgItem(sheet, kSheetNext);
   return e2e::WaitUntil([&]() { return IsWindowEnabled(next) && Uncovered(next); }, kCloneMs, 50) && ClickOn(next);
}

// The message dialog the wizard shows over its sheet; null when none comes.
HWND WaitForMessage(const e2e::Process &zolt, HWND sheet)
{
   HWND found = nullptr;
   e2e::WaitUntil(
      [&]() {
         for (HWND window : e2e::FindTopLevelWindows({"#32770", "", false, zolt.Id()})) {
            if (window != sheet && GetDlgItem(window, 1182)) {
               found = window;
            }
         }
         return found != nullptr;
      },
      kCloneMs, 50);
   return found;
}

// Opens the wizard with the machine page's clone link and waits for its welcome page.
HWND OpenWizard(const e2e::Process &zolt, HWND page)
{
   HWND link = GetDlgItem(page, 1213);
   if (!link || !e2e::WaitUntil([&]() { return IsWindowEnabled(link) != FALSE; }, kCloneMs, 50) || !ClickOn(link)) {
      ADD_FAILURE() << "the clone link cannot be clicked";
      return nullptr;
   }
   HWND sheet = e2e::WaitForWindow({"#32770", kCaption, false, zolt.Id()}, kCloneMs);
   if (!sheet || !WaitForPageWith(sheet, IDC_CLONEWZ_WELCOME_TITLE)) {
      ADD_FAILURE() << "no wizard: " << e2e::LastFailure();
      return nullptr;
   }
   return sheet;
}

// Waits on the progress page for the clone's end and closes the wizard.
void FinishProgress(const CloneRun &run, HWND sheet, const std::string &shot)
{
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_CLONEWZ_STEP_PREPARE)) << run.Log();
   ASSERT_TRUE(e2e::WaitUntil([&]() { return Shown(PageItem(sheet, IDC_CLONEWZ_STEP_DONE)); }, kCloneMs, 50))
      << run.Log();
   EXPECT_FALSE(Shown(PageItem(sheet, IDC_CLONEWZ_FAILED_ICON))) << Text(PageItem(sheet, IDC_CLONEWZ_STEP_DONE));
   EXPECT_FALSE(Shown(GetDlgItem(sheet, IDCANCEL))) << "the clone cannot be cancelled from here";
   HWND close = GetDlgItem(sheet, kSheetFinish);
   ASSERT_TRUE(e2e::WaitUntil([&]() { return IsWindowEnabled(close) != FALSE; }, kCloneMs, 50));
   EXPECT_EQ("Close", Text(close));
   run.Screenshot(sheet, shot);
   ASSERT_TRUE(ClickOn(close));
   EXPECT_TRUE(e2e::WaitForWindowGone(sheet, kCloneMs));
}

bool WaitForPageText(HWND page, int id, const std::string &text)
{
   return e2e::WaitUntil([&]() { return Text(GetDlgItem(page, id)) == text; }, kCloneMs, 50);
}

std::string DiskLines(const std::string &name)
{
   return "disk0.present = \"TRUE\"\ndisk0.fileName = \"" + name + ".vmdk\"\n";
}

}  // namespace

TEST(ZoltClone, APoweredOffMachineIsClonedInFullPageByPage)
{
   e2e::TestFolder folder;
   // In a folder of its own: clones are proposed in the folder that holds it.
   folder.MakeFolder("Origin");
   std::string vmx = folder.WriteFile("Origin\\Origin.vmx", zoltrun::MachineVmx("Origin", DiskLines("Origin")));
   folder.WriteFile("Origin\\Origin.vmdk", "the disk of Origin");
   folder.MakeFolder("Taken");
   folder.WriteFile("Taken\\Taken.vmx", zoltrun::MachineVmx("Taken"));
   folder.WriteFile("plain.txt", "a file, not a folder");
   CloneRun run(folder);
   e2e::Process zolt;
   HWND frame = nullptr;
   HWND page = run.StartAtPage(zolt, vmx, frame);
   ASSERT_TRUE(page) << "no machine page";
   ASSERT_TRUE(WaitForPageText(page, 1060, "Origin"));

   HWND sheet = OpenWizard(zolt, page);
   ASSERT_TRUE(sheet);
   run.Screenshot(sheet, "clonewz-1-welcome.png");
   ASSERT_TRUE(ClickNext(sheet));

   ASSERT_TRUE(WaitForPageWith(sheet, IDC_CLONEWZ_SOURCE_CURRENT));
   EXPECT_EQ(BST_CHECKED, SendMessageA(PageItem(sheet, IDC_CLONEWZ_SOURCE_CURRENT), BM_GETCHECK, 0, 0));
   EXPECT_FALSE(IsWindowEnabled(PageItem(sheet, IDC_CLONEWZ_SOURCE_SNAPSHOT))) << "the machine has no snapshot";
   run.Screenshot(sheet, "clonewz-2-source.png");
   ASSERT_TRUE(ClickNext(sheet));

   ASSERT_TRUE(WaitForPageWith(sheet, IDC_CLONEWZ_TYPE_FULL));
   ASSERT_TRUE(ClickRadio(PageItem(sheet, IDC_CLONEWZ_TYPE_FULL)));
   ASSERT_TRUE(e2e::WaitUntil(
      [&]() { return SendMessageA(PageItem(sheet, IDC_CLONEWZ_TYPE_FULL), BM_GETCHECK, 0, 0) == BST_CHECKED; },
      kCloneMs, 50));
   run.Screenshot(sheet, "clonewz-3-type.png");
   ASSERT_TRUE(ClickNext(sheet));

   ASSERT_TRUE(WaitForPageWith(sheet, IDC_CLONEWZ_NAME));
   HWND name = PageItem(sheet, IDC_CLONEWZ_NAME);
   HWND location = PageItem(sheet, IDC_CLONEWZ_LOCATION);
   EXPECT_EQ("Clone of Origin", Text(name));
   EXPECT_EQ(folder.PathOf("Clone of Origin"), Text(location));
   ASSERT_TRUE(TypeInto(name, "Origin Full"));
   // A folder that holds a machine already: refused, and the wizard stays on the page.
   ASSERT_TRUE(TypeInto(location, folder.PathOf("Taken")));
   ASSERT_TRUE(ClickNext(sheet));
   HWND message = WaitForMessage(zolt, sheet);
   ASSERT_TRUE(message) << run.Log();
   EXPECT_NE(std::string::npos, Text(GetDlgItem(message, 1182)).find("already exists")) << Text(GetDlgItem(message, 1182));
   run.Screenshot(message, "clonewz-4-refused.png");
   ASSERT_TRUE(e2e::ClickButton(message, 1241));
   ASSERT_TRUE(e2e::WaitForWindowGone(message, kCloneMs));
   // A folder below a file: the host cannot write there.
   ASSERT_TRUE(TypeInto(location, folder.PathOf("plain.txt\\Origin Full")));
   ASSERT_TRUE(ClickNext(sheet));
   message = WaitForMessage(zolt, sheet);
   ASSERT_TRUE(message) << run.Log();
   EXPECT_NE(std::string::npos, Text(GetDlgItem(message, 1182)).find("cannot be written")) << Text(GetDlgItem(message, 1182));
   ASSERT_TRUE(e2e::ClickButton(message, 1241));
   ASSERT_TRUE(e2e::WaitForWindowGone(message, kCloneMs));
   // Still usable: a good folder, typed with its trailing separator, goes through.
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_CLONEWZ_NAME));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return IsWindowEnabled(location) != FALSE; }, kCloneMs, 50));
   ASSERT_TRUE(TypeInto(location, folder.PathOf("Copies\\Origin Full") + "\\"));
   run.Screenshot(sheet, "clonewz-5-name.png");
   ASSERT_TRUE(ClickNext(sheet));

   ASSERT_TRUE(WaitForPageWith(sheet, IDC_CLONEWZ_STEP_PREPARE));
   EXPECT_FALSE(Shown(PageItem(sheet, IDC_CLONEWZ_STEP_SNAPSHOT))) << "a full clone takes no snapshot";
   EXPECT_EQ("Creating the full clone", Text(PageItem(sheet, IDC_CLONEWZ_STEP_CREATE)));
   FinishProgress(run, sheet, "clonewz-6-progress.png");

   // The clone opens in its tab and its page shows it: a full clone has no parent.
   std::string clone = folder.PathOf("Copies\\Origin Full\\Origin Full.vmx");
   EXPECT_TRUE(WaitForPageText(page, 1060, "Origin Full")) << Text(GetDlgItem(page, 1060)) << run.Log();
   EXPECT_NE(std::string::npos, Text(GetDlgItem(page, 1057)).find("Origin Full.vmx")) << Text(GetDlgItem(page, 1057));
   EXPECT_FALSE(Shown(GetDlgItem(page, 1211)));
   EXPECT_EQ("the disk of Origin", e2e::ReadTextFile(folder.PathOf("Copies\\Origin Full\\Origin Full.vmdk")).value_or(""));
   std::string file = e2e::ReadTextFile(clone).value_or("");
   EXPECT_NE(std::string::npos, file.find("displayName = \"Origin Full\"")) << file;
   run.Screenshot(frame, "clonewz-7-full-clone-page.png");
   run.Close(zolt, frame);
}

TEST(ZoltClone, ASnapshotIsClonedAsLinkedAndItsPageShowsTheParent)
{
   e2e::TestFolder folder;
   folder.MakeFolder("Parent");
   std::string vmx = folder.WriteFile("Parent\\Parent.vmx", zoltrun::MachineVmx("Parent", DiskLines("Parent")));
   folder.WriteFile("Parent\\Parent.vmdk", "the disk of Parent");
   folder.WriteFile("Parent\\Parent.snapshot", "snapshot.lastUID = \"2\"\nsnapshot.current = \"2\"\n"
                                       "snapshot1.displayName = \"Installed\"\nsnapshot1.powerState = \"1\"\n"
                                       "snapshot2.parent = \"1\"\nsnapshot2.displayName = \"Patched\"\n"
                                       "snapshot2.description = \"After the service pack\"\n"
                                       "snapshot2.powerState = \"1\"\n");
   CloneRun run(folder);
   e2e::Process zolt;
   HWND frame = nullptr;
   HWND page = run.StartAtPage(zolt, vmx, frame);
   ASSERT_TRUE(page) << "no machine page";
   ASSERT_TRUE(WaitForPageText(page, 1060, "Parent"));

   HWND sheet = OpenWizard(zolt, page);
   ASSERT_TRUE(sheet);
   ASSERT_TRUE(ClickNext(sheet));

   ASSERT_TRUE(WaitForPageWith(sheet, IDC_CLONEWZ_SOURCE_SNAPSHOT));
   HWND snapshotRadio = PageItem(sheet, IDC_CLONEWZ_SOURCE_SNAPSHOT);
   ASSERT_TRUE(IsWindowEnabled(snapshotRadio));
   ASSERT_TRUE(ClickRadio(snapshotRadio));
   ASSERT_TRUE(e2e::WaitUntil([&]() { return SendMessageA(snapshotRadio, BM_GETCHECK, 0, 0) == BST_CHECKED; },
                              kCloneMs, 50));
   // The current snapshot is proposed, with its description.
   EXPECT_EQ("Patched", Text(PageItem(sheet, IDC_CLONEWZ_SNAPSHOT_LIST)));
   EXPECT_EQ("After the service pack", Text(PageItem(sheet, IDC_CLONEWZ_SOURCE_MESSAGE)));
   run.Screenshot(sheet, "clonewz-linked-2-source.png");
   ASSERT_TRUE(ClickNext(sheet));

   ASSERT_TRUE(WaitForPageWith(sheet, IDC_CLONEWZ_TYPE_LINKED));
   EXPECT_EQ(BST_CHECKED, SendMessageA(PageItem(sheet, IDC_CLONEWZ_TYPE_LINKED), BM_GETCHECK, 0, 0));
   run.Screenshot(sheet, "clonewz-linked-3-type.png");
   ASSERT_TRUE(ClickNext(sheet));

   ASSERT_TRUE(WaitForPageWith(sheet, IDC_CLONEWZ_NAME));
   HWND location = PageItem(sheet, IDC_CLONEWZ_LOCATION);
   ASSERT_TRUE(TypeInto(PageItem(sheet, IDC_CLONEWZ_NAME), "Parent Linked"));
   ASSERT_TRUE(TypeInto(location, folder.PathOf("Linked")));
   run.Screenshot(sheet, "clonewz-linked-4-name.png");
   ASSERT_TRUE(ClickNext(sheet));
   ASSERT_TRUE(WaitForPageWith(sheet, IDC_CLONEWZ_STEP_PREPARE));
   EXPECT_EQ("Creating the linked clone", Text(PageItem(sheet, IDC_CLONEWZ_STEP_CREATE)));
   FinishProgress(run, sheet, "clonewz-linked-5-progress.png");

   EXPECT_TRUE(WaitForPageText(page, 1060, "Parent Linked")) << Text(GetDlgItem(page, 1060)) << run.Log();
   EXPECT_TRUE(WaitForPageText(page, 1212, "Parent")) << Text(GetDlgItem(page, 1212));
   EXPECT_TRUE(Shown(GetDlgItem(page, 1211)));
   std::string file = e2e::ReadTextFile(folder.PathOf("Linked\\Parent Linked.vmx")).value_or("");
   EXPECT_NE(std::string::npos, file.find("cloneOf0.snapshotUID = \"2\"")) << file;
   run.Screenshot(frame, "clonewz-linked-6-clone-page.png");
   run.Close(zolt, frame);
}

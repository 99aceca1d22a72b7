// zolt.exe in its default mode: File > Open, chosen through the menu bar with the keyboard, shows
// the host's registered machines and opens the one chosen; Browse picks another configuration
// file (in the common open dialog on the local host, in the host's own browser on a remote one),
// registers it and opens it once.
#include "ScreenImage.h"
#include "ZoltPageSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"
#include "tremappsdkRes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zoltrun::kHostMs;
using zoltrun::LowerAscii;

const char kDialogCaption[] = "Open Virtual Machine";
const char kBrowseCaption[] = "Browse for Virtual Machine";

// The mnemonic of a menu text ("&Open...\tCtrl+O" gives 'O').
UINT MnemonicOf(const std::string &text)
{
   size_t amp = text.find('&');
   return amp == std::string::npos || amp + 1 >= text.size() ? 0 : static_cast<UINT>(toupper(text[amp + 1]));
}

// Alt+F opens the File menu; the Open item's mnemonic chooses it. The open dialog, or null.
HWND OpenThroughFileMenu(HWND frame, const e2e::Process &zolt)
{
   if (!e2e::PressKey(frame, 'F', e2e::kAlt)) {
      ADD_FAILURE() << e2e::LastFailure();
      return nullptr;
   }
   HWND popup = e2e::WaitForPopupMenu(zolt.Id());
   if (!popup) {
      ADD_FAILURE() << "Alt+F opens the File menu";
      return nullptr;
   }
   std::optional<e2e::MenuItem> open = e2e::FindMenuItem(frame, IDM_FILE_OPEN, e2e::PopupMenuOf(popup));
   if (!open || !open->enabled || !MnemonicOf(open->text)) {
      ADD_FAILURE() << "File > Open is there and enabled: " << e2e::LastFailure();
      return nullptr;
   }
   e2e::PressKey(frame, MnemonicOf(open->text));
   return e2e::WaitForWindow({"#32770", kDialogCaption, false, zolt.Id()});
}

// Keeps a picture of the whole window, caption included, once it has painted; the window lies
// on the screen.
void KeepWindowShot(const e2e::TestFolder &folder, HWND window, const std::string &name)
{
   Sleep(400);
   RECT rc = {};
   GetWindowRect(window, &rc);
   EXPECT_GE(rc.left, 0) << name;
   EXPECT_GE(rc.top, 0) << name;
   EXPECT_LE(rc.right, GetSystemMetrics(SM_CXSCREEN)) << name;
   EXPECT_LE(rc.bottom, GetSystemMetrics(SM_CYSCREEN)) << name;
   e2e::ScreenImage image = e2e::CaptureWindowFromScreen(window);
   e2e::SavePng(image, folder.PathOf(name));
   e2e::SavePng(image, e2e::TestProgramFolder() + "\\" + name);
}

// The edit control a file name is typed into: the box itself or the edit inside its combo box.
HWND EditIn(HWND box)
{
   struct Finder {
      static BOOL CALLBACK OnChild(HWND child, LPARAM data)
      {
         char cls[16] = "";
         GetClassNameA(child, cls, sizeof cls);
         if (lstrcmpiA(cls, "Edit") == 0) {
            *reinterpret_cast<HWND *>(data) = child;
            return FALSE;
         }
         return TRUE;
      }
   };
   HWND found = box;
   EnumChildWindows(box, &Finder::OnChild, reinterpret_cast<LPARAM>(&found));
   return found;
}

}  // namespace

TEST(ZoltOpenRemote, FileOpenListsTheHostsMachinesOpensTheChosenOneAndBrowseRegistersAnother)
{
   e2e::TestFolder folder;
   const std::string listed = folder.WriteFile("Listed Box.vmx", zoltrun::MachineVmx("Listed Box"));
   const std::string other = folder.WriteFile("Other Box.vmx", zoltrun::MachineVmx("Other Box"));
   zoltrun::ZoltRun run(folder, zoltrun::RegisteredMachinesConfig(folder, {listed}));
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "");
   ASSERT_TRUE(frame);

   HWND dialog = OpenThroughFileMenu(frame, zolt);
   ASSERT_TRUE(dialog) << e2e::LastFailure() << run.Log();
   HWND list = GetDlgItem(dialog, IDC_OPEN_REMOTE_LIST);
   std::vector<std::string> rows = zoltpage::ListViewRows(list);
   ASSERT_EQ(rows.size(), 1u) << run.Log();
   EXPECT_EQ(LowerAscii(rows[0]), LowerAscii("Listed Box | " + e2e::ToWindowsPath(listed)));
   EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_OPEN_REMOTE_EMPTY)));
   EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_OPEN_REMOTE_BROWSE)));
   KeepWindowShot(folder, dialog, "open-remote.png");

   // The first row is selected: OK opens it.
   ASSERT_TRUE(e2e::ClickButton(dialog, IDOK));
   EXPECT_TRUE(e2e::WaitForWindowGone(dialog));
   EXPECT_TRUE(run.WaitForLog("Listed Box.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened")) << run.Log();

   // Browse: the local host's common open dialog, driven by typing the path and Enter.
   dialog = OpenThroughFileMenu(frame, zolt);
   ASSERT_TRUE(dialog) << run.Log();
   ASSERT_TRUE(e2e::ClickButton(dialog, IDC_OPEN_REMOTE_BROWSE));
   HWND browse = e2e::WaitForWindow({"#32770", kBrowseCaption, false, zolt.Id()});
   ASSERT_TRUE(browse) << e2e::LastFailure();
   HWND name = GetDlgItem(browse, 0x47c) ? GetDlgItem(browse, 0x47c) : GetDlgItem(browse, 0x480);
   ASSERT_TRUE(name);
   ASSERT_TRUE(e2e::TypeText(EditIn(name), e2e::ToWindowsPath(other))) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(browse, VK_RETURN));
   EXPECT_TRUE(e2e::WaitForWindowGone(browse));
   EXPECT_TRUE(e2e::WaitForWindowGone(dialog)) << "a registered file ends the dialog";
   EXPECT_TRUE(run.WaitForLog("Other Box.vmx as /vm/#0002/ (poweredOff)")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("Host: registerVM ")) << run.Log();

   // Registered and opened once; the listed machine stayed as it was.
   const std::string log = run.Log();
   EXPECT_EQ(zoltrun::Count(log, "Host: registerVM "), 1u) << log;
   EXPECT_EQ(zoltrun::Count(log, "Other Box.vmx as /vm/#"), 1u) << log;
   EXPECT_EQ(log.find("Error opening a VM"), std::string::npos) << log;

   // The next File > Open lists both machines.
   dialog = OpenThroughFileMenu(frame, zolt);
   ASSERT_TRUE(dialog);
   EXPECT_EQ(zoltpage::ListViewRows(GetDlgItem(dialog, IDC_OPEN_REMOTE_LIST)).size(), 2u);
   ASSERT_TRUE(e2e::ClickButton(dialog, IDCANCEL));
   EXPECT_TRUE(e2e::WaitForWindowGone(dialog));
   run.Close(zolt, frame);
}

TEST(ZoltOpenRemote, OnARemoteHostBrowseRunsTheHostsFileBrowserAndOpensTheRegisteredFile)
{
   e2e::TestFolder folder;
   const std::string vmx = folder.WriteFile("Far Box.vmx", zoltrun::MachineVmx("Far Box"));
   zoltrun::ZoltRun run(folder, "test.remoteHosts = \"farhost\"\n");
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-h farhost -u joe -w pw");
   ASSERT_TRUE(frame);

   HWND dialog = OpenThroughFileMenu(frame, zolt);
   ASSERT_TRUE(dialog) << run.Log();
   EXPECT_TRUE(zoltpage::ListViewRows(GetDlgItem(dialog, IDC_OPEN_REMOTE_LIST)).empty());
   EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_OPEN_REMOTE_EMPTY))) << "the empty-list label shows";
   KeepWindowShot(folder, dialog, "open-remote-empty.png");

   ASSERT_TRUE(e2e::ClickButton(dialog, IDC_OPEN_REMOTE_BROWSE));
   HWND browse = e2e::WaitForWindow({"#32770", kBrowseCaption, false, zolt.Id()});
   ASSERT_TRUE(browse) << e2e::LastFailure() << run.Log();
   EXPECT_FALSE(GetDlgItem(browse, 0x47c) || GetDlgItem(browse, 0x480)) << "the host's browser, not the local one";
   KeepWindowShot(folder, browse, "remote-browse.png");
   HWND name = GetDlgItem(browse, IDC_TREMAPPSDK_BROWSE_NAME);
   ASSERT_TRUE(name);
   ASSERT_TRUE(e2e::Click(name, 5, 5)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::TypeText(name, e2e::ToWindowsPath(vmx))) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(browse, VK_RETURN));
   EXPECT_TRUE(e2e::WaitForWindowGone(browse));
   EXPECT_TRUE(e2e::WaitForWindowGone(dialog));
   EXPECT_TRUE(run.WaitForLog("RemoteBrowseDlg: browsing /host2/#0001/ over /db/connection/#0001/")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("Host: registerVM ")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("Far Box.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
   EXPECT_EQ(zoltrun::Count(run.Log(), "Host: registerVM "), 1u) << run.Log();
   run.Close(zolt, frame);
}

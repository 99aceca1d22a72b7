// zolt.exe's machine page as a user sees it: the machine's name, state, guest, file and memory
// from its configuration; the clone, snapshot and remote-display rows in their order; a device's
// settings opened from the device list; notes typed on the page kept in the machine's
// configuration file across a tab switch and a restart; a suspended machine's screenshot opened
// in its window. Screenshots of the page are kept for a look.
#include "ScreenImage.h"
#include "ZoltPageSupport.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

const DWORD kPowerMs = 20000;

class PageRun : public zoltrun::ZoltRun {
public:
   explicit PageRun(const e2e::TestFolder &folder) : ZoltRun(folder), folder_(folder) {}

   // Starts zolt in the desktop mode with the machine and waits for its window.
   HWND Start(e2e::Process &process, const std::string &vmx)
   {
      return ZoltRun::Start(process, "-H " + e2e::QuoteArgument(vmx));
   }
   // Starts zolt with the machine and waits for the page that shows it; null when either is missing.
   HWND StartAtPage(e2e::Process &process, const std::string &vmx, HWND &frame)
   {
      frame = Start(process, vmx);
      return frame ? zoltpage::WaitForMachinePage(frame) : nullptr;
   }
   // A second instance that hands the machine over and ends.
   bool HandOver(const std::string &vmx) { return ZoltRun::HandOver("-H -t " + e2e::QuoteArgument(vmx)); }
   // The window's client area as the user sees it, kept beside the test program.
   void Screenshot(HWND window, const std::string &name) const { zoltpage::KeepScreenshot(folder_, window, name); }

private:
   const e2e::TestFolder &folder_;
};

std::string VmxText(const std::string &name, const std::string &notes = "")
{
   return zoltpage::VmxText(name, 384, notes.empty() ? std::string() : "annotation = \"" + notes + "\"\n");
}

// A 24-bit bitmap file of one colour with a light band across its top.
std::string BitmapFile(int width, int height)
{
   int stride = (width * 3 + 3) & ~3;
   std::string pixels;
   for (int y = height - 1; y >= 0; --y) {
      std::string row;
      for (int x = 0; x < width; ++x) {
         bool band = y < 20;
         row += band ? std::string("\xf0\xf0\xf0", 3) : std::string("\x3c\x6e\x1e", 3);   // blue, green, red
      }
      row.resize(static_cast<size_t>(stride), '\0');
      pixels += row;
   }
   auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
   auto le16 = [](uint16_t v) { return std::string{char(v), char(v >> 8)}; };
   std::string info = le32(40) + le32(static_cast<uint32_t>(width)) + le32(static_cast<uint32_t>(height)) + le16(1) +
                      le16(24) + le32(0) + le32(static_cast<uint32_t>(pixels.size())) + le32(2835) + le32(2835) +
                      le32(0) + le32(0);
   return "BM" + le32(static_cast<uint32_t>(14 + info.size() + pixels.size())) + le32(0) + le32(54) + info + pixels;
}

bool IsShown(HWND window)
{
   return (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string Text(HWND page, int id)
{
   return e2e::ReadText(GetDlgItem(page, id)).value_or("<none>");
}

bool WaitForText(HWND page, int id, const std::string &text)
{
   return e2e::WaitUntil([&]() { return Text(page, id) == text; }, kPowerMs, 50);
}

// The page's device list (the list view inside the hardware control) and its rows.
HWND DeviceList(HWND page)
{
   for (const e2e::ChildWindow &child : e2e::ListChildren(page)) {
      if (child.className == "SysListView32") {
         return child.window;
      }
   }
   return nullptr;
}

std::vector<std::string> DeviceRows(HWND page)
{
   HWND list = DeviceList(page);
   return list ? zoltpage::ListViewRows(list) : std::vector<std::string>();
}

std::string Joined(const std::vector<std::string> &rows)
{
   std::string text;
   for (const std::string &row : rows) {
      text += row + "\n";
   }
   return text;
}

int TopOf(HWND page, int id)
{
   RECT rect = {};
   GetWindowRect(GetDlgItem(page, id), &rect);
   return rect.top;
}

}  // namespace

TEST(ZoltPage, MachinePageShowsTheConfigurationAndState)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("Page Box.vmx", VmxText("Page Box", "Kept for the build tests"));
   PageRun run(folder);
   e2e::Process zolt;
   HWND frame = nullptr;
   HWND page = run.StartAtPage(zolt, vmx, frame);
   ASSERT_TRUE(page) << "no machine page";

   EXPECT_TRUE(WaitForText(page, 1060, "Page Box")) << Text(page, 1060);
   EXPECT_EQ(Text(page, 1053), "Powered off");
   EXPECT_NE(Text(page, 1055).find("XP"), std::string::npos) << Text(page, 1055);
   EXPECT_NE(Text(page, 1057).find("Page Box.vmx"), std::string::npos) << Text(page, 1057);
   EXPECT_EQ(Text(page, 1059), "Tremory Deskmoor 5.x (hardware version 4)");
   // Memory and processors head the device list.
   std::vector<std::string> devices;
   EXPECT_TRUE(e2e::WaitUntil([&]() { return (devices = DeviceRows(page)).size() >= 2; }, kPowerMs, 100));
   ASSERT_GE(devices.size(), 2u) << Joined(devices);
   EXPECT_EQ(devices[0], "Memory | 384 MB") << Joined(devices);
   EXPECT_EQ(devices[1], "Processors | 1") << Joined(devices);
   EXPECT_TRUE(WaitForText(page, 1070, "Kept for the build tests")) << Text(page, 1070);
   // Powered off: the power link is offered and no screenshot part is shown.
   EXPECT_TRUE(IsWindowEnabled(GetDlgItem(page, 1063)));
   EXPECT_FALSE(IsShown(GetDlgItem(page, 1069)));
   run.Screenshot(frame, "machine-page-powered-off.png");
   run.Close(zolt, frame);
}

TEST(ZoltPage, CloneSnapshotAndRemoteDisplayRowsStackInTheirOrder)
{
   e2e::TestFolder folder;
   folder.WriteFile("Base Box.vmx", VmxText("Base Box"));
   folder.WriteFile("Middle Box.vmx", zoltpage::VmxText("Middle Box", 384, "cloneOf0 = \"Base Box.vmx\"\n"));
   std::string vmx = folder.WriteFile("Leaf Box.vmx", zoltpage::VmxText("Leaf Box", 384,
                                                                        "cloneOf0 = \"Middle Box.vmx\"\n"
                                                                        "remoteDisplay.enabled = \"TRUE\"\n"
                                                                        "remoteDisplay.port = \"5905\"\n"));
   folder.WriteFile("Leaf Box.snapshot", "displayName = \"Before the service pack\"\n");
   PageRun run(folder);
   e2e::Process zolt;
   HWND frame = nullptr;
   HWND page = run.StartAtPage(zolt, vmx, frame);
   ASSERT_TRUE(page) << "no machine page";
   EXPECT_TRUE(WaitForText(page, 1060, "Leaf Box")) << Text(page, 1060);
   EXPECT_EQ(Text(page, 1238), "Before the service pack");
   EXPECT_EQ(Text(page, 1212), "Middle Box\r\nBase Box");
   for (int id : {1237, 1238, 1211, 1212}) {
      EXPECT_TRUE(IsShown(GetDlgItem(page, id))) << id;
   }
   // No remote display: the snapshot row takes the top row, the clone row the next one.
   EXPECT_FALSE(IsShown(GetDlgItem(page, 41895)));
   EXPECT_EQ(TopOf(page, 1237), TopOf(page, 41895));
   EXPECT_GT(TopOf(page, 1211), TopOf(page, 1237));
   EXPECT_EQ(TopOf(page, 1212), TopOf(page, 1211));
   run.Screenshot(frame, "machine-page-clone.png");

   // Powered on, the remote-display listener takes the top row and the others move down.
   ASSERT_TRUE(e2e::ClickButton(page, 1063));
   EXPECT_TRUE(WaitForText(page, 1053, "Powered on")) << Text(page, 1053);
   EXPECT_TRUE(e2e::WaitUntil([&]() { return IsShown(GetDlgItem(page, 41895)); }, kPowerMs, 50));
   EXPECT_EQ(Text(page, 41896), "Listening on port 5905, 0 users connected");
   EXPECT_GT(TopOf(page, 1237), TopOf(page, 41895));
   EXPECT_GT(TopOf(page, 1211), TopOf(page, 1237));
   zolt.Kill();
}

TEST(ZoltPage, DoubleClickingADeviceOpensItsSettings)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("Device Box.vmx",
                                      zoltpage::VmxText("Device Box", 256, "cdrom0.present = \"TRUE\"\n"));
   PageRun run(folder);
   e2e::Process zolt;
   HWND frame = nullptr;
   HWND page = run.StartAtPage(zolt, vmx, frame);
   ASSERT_TRUE(page) << "no machine page";
   std::vector<std::string> devices;
   ASSERT_TRUE(e2e::WaitUntil([&]() { return (devices = DeviceRows(page)).size() >= 3; }, kPowerMs, 100));
   EXPECT_EQ(devices[2].find("CD-ROM"), 0u) << Joined(devices);

   // A double click on the drive's row opens the settings of that device.
   HWND list = DeviceList(page);
   RECT row = zoltpage::ListViewRowRect(list, 2);
   ASSERT_GT(row.bottom, row.top);
   LPARAM at = MAKELPARAM(row.left + 10, (row.top + row.bottom) / 2);
   PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
   PostMessageA(list, WM_LBUTTONUP, 0, at);
   PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
   PostMessageA(list, WM_LBUTTONUP, 0, at);
   HWND dialog = e2e::WaitForDialog(zolt.Id(), "", kPowerMs);
   ASSERT_TRUE(dialog) << run.Log();
   EXPECT_NE(e2e::ReadText(dialog).value_or("").find("CD-ROM"), std::string::npos) << e2e::ReadText(dialog).value_or("");
   PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
   EXPECT_TRUE(e2e::WaitForWindowGone(dialog));
   run.Close(zolt, frame);
}

TEST(ZoltPage, NotesTypedOnThePageAreKeptInTheConfigurationFile)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("Notes Box.vmx", VmxText("Notes Box"));
   std::string other = folder.WriteFile("Other Box.vmx", VmxText("Other Box"));
   PageRun run(folder);
   {
      e2e::Process zolt;
      HWND frame = nullptr;
      HWND page = run.StartAtPage(zolt, vmx, frame);
      ASSERT_TRUE(page) << "no machine page";
      HWND notes = GetDlgItem(page, 1070);
      // The invitation shows until the user clicks in to type.
      EXPECT_TRUE(WaitForText(page, 1070, "Type here to enter notes for this virtual machine.")) << Text(page, 1070);
      PostMessageA(notes, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
      PostMessageA(notes, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
      ASSERT_TRUE(WaitForText(page, 1070, ""));
      ASSERT_TRUE(e2e::PostChars(notes, "Snapshot before upgrading"));
      ASSERT_TRUE(WaitForText(page, 1070, "Snapshot before upgrading"));
      // Another machine's tab becomes current: what was typed goes to the machine left, and
      // the page shows the other machine with its own (no) notes.
      ASSERT_TRUE(run.HandOver(other));
      EXPECT_TRUE(WaitForText(page, 1060, "Other Box")) << Text(page, 1060);
      // The editor still has the focus, so it is left empty for typing rather than inviting.
      EXPECT_TRUE(WaitForText(page, 1070, "")) << Text(page, 1070);
      EXPECT_TRUE(e2e::WaitForFileText(vmx, "annotation = \"Snapshot before upgrading\"", kPowerMs))
         << e2e::LastFailure();
      run.Close(zolt, frame);
   }
   std::string file = e2e::ReadTextFile(vmx).value_or("");
   EXPECT_NE(file.find("annotation = \"Snapshot before upgrading\""), std::string::npos) << file;
   // Nothing typed for the other machine: its file got no notes, least of all the invitation.
   std::string otherFile = e2e::ReadTextFile(other).value_or("");
   EXPECT_EQ(otherFile.find("annotation"), std::string::npos) << otherFile;
   {
      e2e::Process zolt;
      HWND frame = nullptr;
      HWND page = run.StartAtPage(zolt, vmx, frame);
      ASSERT_TRUE(page) << "no machine page";
      EXPECT_TRUE(WaitForText(page, 1070, "Snapshot before upgrading")) << Text(page, 1070);
      run.Close(zolt, frame);
   }
}

TEST(ZoltPage, SuspendedMachinesScreenshotOpensInItsWindow)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("Shot Box.vmx", VmxText("Shot Box"));
   // Suspended by an earlier run, which left the guest's screen beside the configuration.
   folder.WriteFile("Shot Box-suspended.bmp", BitmapFile(320, 200));
   folder.WriteFile("Shot Box.vmss", "state = \"suspended\"\npoweredOnAt = \"1\"\n"
                                     "screenshot = \"Shot Box-suspended.bmp\"\n");
   PageRun run(folder);
   e2e::Process zolt;
   HWND frame = nullptr;
   HWND page = run.StartAtPage(zolt, vmx, frame);
   ASSERT_TRUE(page) << "no machine page";
   EXPECT_TRUE(WaitForText(page, 1053, "Suspended")) << Text(page, 1053);
   HWND shot = GetDlgItem(page, 1069);
   // The thumbnail is shown and enabled once the picture has been read.
   ASSERT_TRUE(e2e::WaitUntil([&]() { return IsShown(shot) && IsWindowEnabled(shot); }, kPowerMs, 50))
      << Text(page, 1069);
   EXPECT_TRUE(IsShown(GetDlgItem(page, 1068)));
   run.Screenshot(frame, "machine-page-suspended.png");

   ASSERT_TRUE(e2e::ClickButton(page, 1069));
   HWND dialog = e2e::WaitForWindow({"#32770", "Suspended screenshot of", true, zolt.Id()});
   ASSERT_TRUE(dialog) << e2e::LastFailure();
   std::string title = e2e::ReadText(dialog).value_or("");
   EXPECT_NE(title.find("Shot Box.vmx"), std::string::npos) << title;
   // The picture at its own size.
   RECT client = {};
   GetClientRect(dialog, &client);
   EXPECT_EQ(client.right, 320);
   EXPECT_EQ(client.bottom, 200);
   // The window paints after it shows.
   size_t guest = 0;
   EXPECT_TRUE(e2e::WaitUntil(
      [&]() {
         guest = e2e::CaptureClientFromScreen(dialog).CountColour(RGB(30, 110, 60));
         return guest > 320u * 200u / 2;
      },
      kPowerMs, 50))
      << "the guest's picture is shown: " << guest << " of its pixels";
   run.Screenshot(dialog, "screenshot-window.png");
   // A click anywhere closes it.
   PostMessageA(dialog, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
   EXPECT_TRUE(e2e::WaitForWindowGone(dialog));
   run.Close(zolt, frame);
}

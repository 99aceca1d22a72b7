// zolt.exe's VM > Removable Devices and the recent snapshots of VM > Snapshot as a user meets
// them: a running machine with a CD-ROM drive and two USB devices of the host, the drive and a
// USB device connected from the keyboard, the menu read again, and a recent snapshot chosen; then
// the same lists in the full-screen toolbar's machine menu.
#include "ScreenImage.h"
#include "SidebarSupport.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

using zoltrun::MachineVmx;

std::string Texts(const std::vector<e2e::MenuItem> &items)
{
   std::string all;
   for (const e2e::MenuItem &item : items) {
      all += (item.separator ? std::string("----") : item.text) + (item.checked ? " [checked]" : "") + "\n";
   }
   return all;
}

const e2e::MenuItem *ItemWithSubmenuId(const std::vector<e2e::MenuItem> &items, UINT id)
{
   for (const e2e::MenuItem &item : items) {
      if (item.submenu && item.id == id) {
         return &item;
      }
   }
   return nullptr;
}

class DeviceRun : public zoltrun::ZoltRun {
public:
   explicit DeviceRun(const e2e::TestFolder &folder, const std::string &extraConfig = "")
      : ZoltRun(folder, "test.host.stepMs = \"20\"\ntest.host.usbDevices = \"usb-1:Flash Drive,usb-2:Card Reader\"\n" +
                           extraConfig),
        folder_(folder)
   {
   }

   // The whole screen with whatever menus are open, kept in the test folder and beside the test.
   void Screenshot(const std::string &name) const
   {
      e2e::ScreenImage image = e2e::CaptureWindowFromScreen(GetDesktopWindow());
      e2e::SavePng(image, folder_.PathOf(name));
      e2e::SavePng(image, e2e::TestProgramFolder() + "\\" + name);
   }

private:
   const e2e::TestFolder &folder_;
};

// An open popup menu of the process whose menu can be read: a popup that is going away (the
// last menu closing) is passed over.
HMENU WaitForOpenPopup(DWORD processId)
{
   HMENU menu = nullptr;
   e2e::WaitUntil([&]() {
      HWND popup = e2e::WaitForPopupMenu(processId, 200);
      menu = popup && IsWindowVisible(popup) ? e2e::PopupMenuOf(popup, 500) : nullptr;
      return menu != nullptr;
   }, e2e::kReplyTimeoutMs);
   return menu;
}

// Opens VM (Alt+M) and returns the VM popup's items; `vmMenu` gets its handle.
std::optional<std::vector<e2e::MenuItem>> OpenVMMenu(HWND frame, DWORD processId, HMENU &vmMenu)
{
   if (!e2e::PressKey(frame, 'M', e2e::kAlt)) {
      return std::nullopt;
   }
   vmMenu = WaitForOpenPopup(processId);
   return vmMenu ? e2e::ReadMenu(frame, vmMenu) : std::nullopt;
}

// Closes every open menu level, one Escape each, and leaves the menu bar.
void CloseMenus(HWND frame, DWORD processId)
{
   for (int i = 0; i < 4; ++i) {
      HWND popup = e2e::WaitForPopupMenu(processId, 200);
      if (!popup) {
         break;
      }
      e2e::PressKey(frame, VK_ESCAPE);
      e2e::WaitForWindowGone(popup);
   }
   e2e::PressKey(frame, VK_ESCAPE);
}

const char kSnapshots[] = "snapshot.lastUID = \"3\"\nsnapshot.current = \"3\"\nsnapshot.mru = \"3 2 1\"\n"
                          "snapshot1.displayName = \"Clean install\"\nsnapshot1.powerState = \"1\"\n"
                          "snapshot2.parent = \"1\"\nsnapshot2.displayName = \"Tools added\"\n"
                          "snapshot2.powerState = \"1\"\n"
                          "snapshot3.parent = \"2\"\nsnapshot3.displayName = \"Updated\"\n"
                          "snapshot3.powerState = \"1\"\n";

}  // namespace

TEST(ZoltDeviceMenu, DevicesConnectFromTheKeyboardAndARecentSnapshotIsChosen)
{
   e2e::TestFolder folder;
   std::string vmx = folder.WriteFile("devices.vmx", MachineVmx("Devices", "cdrom0.present = \"TRUE\"\n"
                                                                            "cdrom0.startConnected = \"FALSE\"\n"
                                                                            "cdrom0.fileName = \"C:\\\\iso\\\\tools.iso\"\n"));
   folder.WriteFile("devices.snapshot", kSnapshots);
   DeviceRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "-H " + e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("SimHost: registered")) << run.Log();
   ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_ON)) << run.Log();
   ASSERT_TRUE(e2e::PressKey(frame, 'B', e2e::kControl));
   ASSERT_TRUE(run.WaitForLog("powerOn done")) << run.Log();
   ASSERT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_OFF)) << run.Log();
   DWORD pid = zolt.Id();

   // Alt+M, D: the drive (not connected at power-on), a separator and the USB devices.
   HMENU vmMenu = nullptr;
   auto vmItems = OpenVMMenu(frame, pid, vmMenu);
   ASSERT_TRUE(vmItems) << e2e::LastFailure();
   const e2e::MenuItem *devicesItem = ItemWithSubmenuId(*vmItems, IDM_VM_DEVICES_MENU);
   ASSERT_TRUE(devicesItem) << Texts(*vmItems);
   HMENU devicesMenu = devicesItem->submenu;
   ASSERT_TRUE(e2e::PressKey(frame, 'D'));
   auto devices = e2e::ReadMenu(frame, devicesMenu);
   ASSERT_TRUE(devices);
   ASSERT_EQ(3u, devices->size()) << Texts(*devices);
   EXPECT_EQ((*devices)[0].text, "CD-ROM Drive");
   EXPECT_FALSE((*devices)[0].checked);
   EXPECT_TRUE((*devices)[1].separator);
   EXPECT_EQ((*devices)[2].text, "&USB Devices");
   auto drive = e2e::ReadMenu(frame, (*devices)[0].submenu);
   ASSERT_TRUE(drive && drive->size() == 2u);
   EXPECT_EQ((*drive)[0].id, static_cast<UINT>(IDM_VM_DEVICE_FIRST));
   EXPECT_EQ((*drive)[0].text, "&Connect");

   // Right opens the drive's submenu, C connects it.
   ASSERT_TRUE(e2e::PressKey(frame, VK_RIGHT));
   ASSERT_TRUE(e2e::PressKey(frame, 'C'));
   ASSERT_TRUE(run.WaitForLog("The device \"cdrom0\" was connected.")) << run.Log();

   // Alt+M, D, U, Enter: the first USB device.
   ASSERT_TRUE(OpenVMMenu(frame, pid, vmMenu)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(frame, 'D'));
   ASSERT_TRUE(e2e::PressKey(frame, 'U'));
   ASSERT_TRUE(e2e::PressKey(frame, VK_RETURN));
   ASSERT_TRUE(run.WaitForLog("USB device Flash Drive connected on port 1")) << run.Log();

   // The menu again: both connected, checked, with their connection.
   ASSERT_TRUE(OpenVMMenu(frame, pid, vmMenu)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(frame, 'D'));
   devices = e2e::ReadMenu(frame, devicesMenu);
   ASSERT_TRUE(devices && devices->size() == 3u);
   EXPECT_EQ((*devices)[0].text, "CD-ROM Drive (C:\\iso\\tools.iso)");
   EXPECT_TRUE((*devices)[0].checked);
   drive = e2e::ReadMenu(frame, (*devices)[0].submenu);
   ASSERT_TRUE(drive && !drive->empty());
   EXPECT_EQ((*drive)[0].text, "Dis&connect");
   ASSERT_TRUE(e2e::PressKey(frame, 'U'));
   auto usb = e2e::ReadMenu(frame, (*devices)[2].submenu);
   ASSERT_TRUE(usb && usb->size() == 2u) << (usb ? Texts(*usb) : std::string());
   EXPECT_EQ((*usb)[0].text, "Flash Drive (port 1)");
   EXPECT_TRUE((*usb)[0].checked);
   EXPECT_EQ((*usb)[1].text, "Card Reader");
   EXPECT_FALSE((*usb)[1].checked);
   run.Screenshot("device-menu.png");
   CloseMenus(frame, pid);

   // Alt+M, S: the recent snapshots below the manager's item, newest first; 2 chooses the second.
   ASSERT_TRUE(OpenVMMenu(frame, pid, vmMenu)) << e2e::LastFailure();
   const e2e::MenuItem *snapshotItem = nullptr;
   auto again = e2e::ReadMenu(frame, vmMenu);
   ASSERT_TRUE(again && (snapshotItem = ItemWithSubmenuId(*again, IDM_VM_SNAPSHOT_MENU)));
   ASSERT_TRUE(e2e::PressKey(frame, 'S'));
   auto snapshots = e2e::ReadMenu(frame, snapshotItem->submenu);
   ASSERT_TRUE(snapshots && snapshots->size() >= 4u);
   std::vector<std::string> recent;
   for (size_t i = snapshots->size() - 3; i < snapshots->size(); ++i) {
      recent.push_back((*snapshots)[i].text);
   }
   EXPECT_TRUE((*snapshots)[snapshots->size() - 4].separator) << Texts(*snapshots);
   EXPECT_EQ(recent, (std::vector<std::string>{"&1   Updated", "&2   Tools added", "&3   Clean install"}))
      << Texts(*snapshots);
   run.Screenshot("recent-snapshots.png");
   ASSERT_TRUE(e2e::PressKey(frame, '2'));
   ASSERT_TRUE(run.WaitForLog("revertToSnapshot done")) << run.Log();
   EXPECT_TRUE(zoltrun::WaitForToolbarButton(frame, IDM_VM_POWER_ON)) << "the snapshot was taken powered off";

   ASSERT_TRUE(OpenVMMenu(frame, pid, vmMenu)) << e2e::LastFailure();
   ASSERT_TRUE(e2e::PressKey(frame, 'S'));
   snapshots = e2e::ReadMenu(frame, snapshotItem->submenu);
   ASSERT_TRUE(snapshots && snapshots->size() >= 3u);
   EXPECT_EQ((*snapshots)[snapshots->size() - 3].text, "&1   Tools added") << "the one chosen is the most recent now";
   CloseMenus(frame, pid);
   run.Close(zolt, frame);
}

// Zolt in full screen on a running machine with a CD-ROM drive, its toolbar pinned; the machine
// menu opened with a click on the toolbar's machine button, then `keys`.
class FullScreenMenuRun : public DeviceRun {
public:
   explicit FullScreenMenuRun(const e2e::TestFolder &folder)
      : DeviceRun(folder, "vmdb.preload = " +
                             e2e::QuoteValue(folder.WriteFile("preload.vmdb",
                                                              "/user/prefState/val/zolt/fsToolbar/pin = \"1\"\n")) +
                             "\n"),
        folder_(folder)
   {
   }

   bool StartInFullScreen()
   {
      std::string vmx = folder_.WriteFile("full.vmx", MachineVmx("Full", "cdrom0.present = \"TRUE\"\n"));
      folder_.WriteFile("full.snapshot", kSnapshots);
      frame_ = Start(zolt_, "-H -x " + e2e::QuoteArgument(vmx));
      if (!frame_ || !WaitForLog("powerOn done") || !zoltrun::WaitForToolbarButton(frame_, IDM_VM_RESET) ||
          !zoltrun::Command(frame_, IDM_VIEW_FULL_SCREEN)) {
         ADD_FAILURE() << "not running in full screen\n" << Log();
         return false;
      }
      if (!e2e::WaitUntil([&]() {
             toolbar_ = zoltside::FindDescendant(zoltside::FindDescendant(frame_, "ZOLTFSToolbar"), "ToolbarWindow32");
             return toolbar_ && IsWindowVisible(toolbar_);
          }, zoltrun::kHostMs)) {
         ADD_FAILURE() << "no full-screen toolbar\n" << Log();
         return false;
      }
      return true;
   }

   bool ChooseFromMachineMenu(const std::vector<UINT> &keys)
   {
      RECT machine = zoltside::RemoteRect(toolbar_, TB_GETRECT, 1004);
      // Two clicks on the name within the double-click time leave full screen.
      DWORD sinceClick = GetTickCount() - lastClick_;
      if (lastClick_ && sinceClick <= GetDoubleClickTime()) {
         Sleep(GetDoubleClickTime() - sinceClick + 50);
      }
      lastClick_ = GetTickCount();
      if (IsRectEmpty(&machine) ||
          !e2e::Click(toolbar_, (machine.left + machine.right) / 2, (machine.top + machine.bottom) / 2) ||
          !WaitForOpenPopup(zolt_.Id())) {
         ADD_FAILURE() << "the machine menu did not open: " << e2e::LastFailure();
         return false;
      }
      for (UINT key : keys) {
         if (!e2e::PressKey(toolbar_, key)) {
            ADD_FAILURE() << e2e::LastFailure();
            return false;
         }
      }
      return true;
   }

   // Powers the machine off when it still runs (closing would ask about it), then closes.
   void PowerOffAndClose()
   {
      if (Log().find("powerOff done") == std::string::npos && Log().find("revertToSnapshot done") == std::string::npos) {
         zoltrun::Command(frame_, IDM_VM_POWER_OFF);
         EXPECT_TRUE(WaitForLog("powerOff done")) << Log();
      }
      Close(zolt_, frame_);
   }

private:
   const e2e::TestFolder &folder_;
   e2e::Process zolt_;
   HWND frame_ = nullptr;
   HWND toolbar_ = nullptr;
   DWORD lastClick_ = 0;
};

TEST(ZoltDeviceMenu, TheFullScreenMachineMenuHandsUsbItemsToItsDeviceList)
{
   e2e::TestFolder folder;
   FullScreenMenuRun run(folder);
   ASSERT_TRUE(run.StartInFullScreen());
   // D, U, Down, Enter: the second USB device.
   ASSERT_TRUE(run.ChooseFromMachineMenu({'D', 'U', VK_DOWN, VK_RETURN}));
   EXPECT_TRUE(run.WaitForLog("USB device Card Reader connected on port 1")) << run.Log();
   // The button opens its menu again after a command was chosen from it.
   ASSERT_TRUE(run.ChooseFromMachineMenu({VK_ESCAPE}));
   run.PowerOffAndClose();
}

TEST(ZoltDeviceMenu, TheFullScreenMachineMenuHandsRecentSnapshotsToItsList)
{
   e2e::TestFolder folder;
   FullScreenMenuRun run(folder);
   ASSERT_TRUE(run.StartInFullScreen());
   // S, 3: the third recent snapshot.
   ASSERT_TRUE(run.ChooseFromMachineMenu({'S', '3'}));
   ASSERT_TRUE(run.WaitForLog("revertToSnapshot done")) << run.Log();
   EXPECT_TRUE(e2e::WaitUntil([&]() {
      return e2e::ReadTextFile(folder.PathOf("full.snapshot")).value_or("").find("snapshot.current = \"1\"") !=
             std::string::npos;
   }, zoltrun::kHostMs)) << e2e::ReadTextFile(folder.PathOf("full.snapshot")).value_or("");
   run.PowerOffAndClose();
}

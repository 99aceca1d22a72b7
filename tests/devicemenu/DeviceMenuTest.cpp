// The removable-devices popup built for the current machine: its items, ids and checks, what
// choosing them asks of the host, the refusals, and the id ranges it never leaves.
#include "DeviceMenuFixture.h"

#include "zoltRemovableDeviceMenu.h"
#include "zoltResources.h"

#include "cui/Registry.h"
#include "cui/VM.h"
#include "cui/VMMgr.h"
#include "cui/VmdbCtx.h"
#include "res/resource.h"
#include "tremorybase/Config.h"

#include <memory>

namespace {

const std::vector<KeyValueEntry> kTwoDrives = {
   {"cdrom0.present", "TRUE"}, {"cdrom0.fileName", "C:\\iso\\tools.iso"},
   {"disk0.present", "TRUE"},  {"disk0.fileName", "disk0.img"},
   {"floppy0.present", "TRUE"}, {"floppy0.startConnected", "FALSE"},
};

// Owns a popup for the device menu to fill.
struct Popup {
   Popup() : menu(CreatePopupMenu()) {}
   ~Popup() { DestroyMenu(menu); }
   HMENU menu;
};

}  // namespace

class DeviceMenu : public DeviceMenuFixture {
protected:
   // The USB elements of the machine, in order.
   std::vector<std::string> Usb(cui::VM *vm) const { return cui::GetVmdbCtx().Elements(vm->GetVmPath() + "vmx/usbDev/#"); }
   std::vector<std::string> Requests(const std::string &usb) const
   {
      return cui::GetVmdbCtx().Elements(usb + "connectState/req/#");
   }
};

TEST_F(DeviceMenu, StaysEmptyWithoutAPoweredOnMachine)
{
   CZOLTRemovableDeviceMenu devices;
   Popup popup;
   AppendMenuW(popup.menu, MF_STRING, IDM_VM_DEVICE_FIRST, L"(None)");
   devices.Build(popup.menu);
   EXPECT_EQ(0, GetMenuItemCount(popup.menu)) << "no current object";

   Machine("Off", kTwoDrives, false);
   devices.Build(popup.menu);
   EXPECT_EQ(0, GetMenuItemCount(popup.menu)) << "a machine that is powered off: no devices, no USB list";
   EXPECT_TRUE(devices.GetEntries().empty());
}

TEST_F(DeviceMenu, RemovableDevicesComeFirstWithTwoIdsEachThenTheUsbList)
{
   cui::VM *vm = Machine("Two drives", kTwoDrives, true);
   ASSERT_TRUE(vm);
   CZOLTRemovableDeviceMenu devices;
   Popup popup;
   devices.Build(popup.menu);

   ASSERT_EQ(4, GetMenuItemCount(popup.menu));
   EXPECT_EQ(Text(popup.menu, 0), L"CD-ROM Drive (C:\\iso\\tools.iso)");
   EXPECT_TRUE(State(popup.menu, 0) & MF_CHECKED) << "connected at power-on";
   HMENU cd = GetSubMenu(popup.menu, 0);
   ASSERT_TRUE(cd);
   EXPECT_EQ(IDM_VM_DEVICE_FIRST, Id(cd, 0));
   EXPECT_EQ(Text(cd, 0), Res(IDS_DEVICE_DISCONNECT));
   EXPECT_EQ(50002u, Id(cd, 1));
   EXPECT_EQ(Text(cd, 1), Res(IDS_DEVICE_EDIT));

   EXPECT_EQ(Text(popup.menu, 1), L"Floppy Drive") << "not connected: no connection text";
   EXPECT_FALSE(State(popup.menu, 1) & MF_CHECKED);
   HMENU floppy = GetSubMenu(popup.menu, 1);
   EXPECT_EQ(50003u, Id(floppy, 0));
   EXPECT_EQ(Text(floppy, 0), Res(IDS_DEVICE_CONNECT));
   EXPECT_EQ(50004u, Id(floppy, 1));

   EXPECT_TRUE(IsSeparator(popup.menu, 2));
   EXPECT_EQ(Text(popup.menu, 3), Res(IDS_USB_DEVICES));
   HMENU usb = GetSubMenu(popup.menu, 3);
   ASSERT_TRUE(usb);
   ASSERT_EQ(2, GetMenuItemCount(usb));
   EXPECT_EQ(50104u, Id(usb, 0)) << "50100 plus the four entries before it";
   EXPECT_EQ(Text(usb, 0), L"Flash Drive");
   EXPECT_EQ(50105u, Id(usb, 1));
   EXPECT_FALSE(State(usb, 0) & MF_CHECKED);

   const auto &entries = devices.GetEntries();
   ASSERT_EQ(6u, entries.size());
   EXPECT_EQ(entries.at(50001).key, L"cdrom0");
   EXPECT_EQ(entries.at(50001).kind, CZOLTRemovableDeviceMenu::KIND_CONNECTED);
   EXPECT_EQ(entries.at(50003).kind, CZOLTRemovableDeviceMenu::KIND_NOT_CONNECTED);
   EXPECT_EQ(entries.at(50004).kind, CZOLTRemovableDeviceMenu::KIND_EDIT);
   EXPECT_EQ(entries.at(50105).key, L"usb-2");

   // A second build starts over.
   devices.Build(popup.menu);
   EXPECT_EQ(4, GetMenuItemCount(popup.menu));
   EXPECT_EQ(6u, devices.GetEntries().size());
}

TEST_F(DeviceMenu, WithoutDevicesOnlyTheUsbListShowsAndItSaysItIsEmpty)
{
   Config_Set("test.host.usbDevices", "");
   ASSERT_TRUE(Machine("Bare", {{"disk0.present", "TRUE"}}, true));
   CZOLTRemovableDeviceMenu devices;
   Popup popup;
   devices.Build(popup.menu);
   ASSERT_EQ(1, GetMenuItemCount(popup.menu)) << "no separator before the USB list";
   HMENU usb = GetSubMenu(popup.menu, 0);
   ASSERT_TRUE(usb);
   ASSERT_EQ(1, GetMenuItemCount(usb));
   EXPECT_EQ(0u, Id(usb, 0));
   EXPECT_EQ(Text(usb, 0), Res(IDS_USB_NONE));
   EXPECT_EQ(MF_GRAYED | MF_DISABLED, State(usb, 0) & (MF_GRAYED | MF_DISABLED));
}

TEST_F(DeviceMenu, UsbItemsShowTheirPortAndAskTheHostToToggleThem)
{
   cui::VM *vm = Machine("Usb", {}, true);
   ASSERT_TRUE(vm);
   std::vector<std::string> usb = Usb(vm);
   ASSERT_EQ(2u, usb.size());
   Write(usb[1] + "connectState/val", "connected");
   Write(usb[1] + "connectState/val/connected/port", "2");

   CZOLTRemovableDeviceMenu devices;
   Popup popup;
   devices.Build(popup.menu);
   HMENU list = GetSubMenu(popup.menu, 0);
   ASSERT_TRUE(list);
   EXPECT_EQ(Text(list, 1), L"Card Reader (port 2)");
   EXPECT_TRUE(State(list, 1) & MF_CHECKED);
   EXPECT_FALSE(State(list, 0) & MF_CHECKED);

   // The connected one is disconnected: "disconnected" without a port, then "new" names it.
   EXPECT_TRUE(devices.ExecCommand(Id(list, 1), nullptr));
   std::vector<std::string> requests = Requests(usb[1]);
   ASSERT_EQ(1u, requests.size());
   EXPECT_EQ(Read(requests[0] + "val"), "disconnected");
   EXPECT_FALSE(Exists(requests[0] + "val/connected/port"));
   EXPECT_EQ(Read(usb[1] + "connectState/new"), requests[0]);
   ASSERT_TRUE(PollUntil([&]() { return Read(usb[1] + "connectState/val") == "disconnected"; }));

   // The other one is connected: port 1 asked, and the host gives the lowest free port.
   Write(usb[1] + "connectState/val", "connected");
   Write(usb[1] + "connectState/val/connected/port", "1");
   EXPECT_TRUE(devices.ExecCommand(0x10000 | Id(list, 0), nullptr)) << "only the low 16 bits count";
   requests = Requests(usb[0]);
   ASSERT_EQ(1u, requests.size());
   EXPECT_EQ(Read(requests[0] + "val"), "connected");
   EXPECT_EQ(Read(requests[0] + "val/connected/port"), "1");
   EXPECT_EQ(Read(usb[0] + "connectState/new"), requests[0]);
   ASSERT_TRUE(PollUntil([&]() { return Read(usb[0] + "connectState/val") == "connected"; }));
   EXPECT_EQ(Read(usb[0] + "connectState/val/connected/port"), "2");
   EXPECT_EQ(Read(requests[0] + "status"), "ok");
}

TEST_F(DeviceMenu, AUsbChangeWhileAnotherIsPendingIsRefusedAndWritesNothing)
{
   Config_Set("test.host.noAnswer", "connectState");
   cui::VM *vm = Machine("Pending", {}, true);
   ASSERT_TRUE(vm);
   std::string usb = Usb(vm).at(0);
   CZOLTRemovableDeviceMenu devices;
   Popup popup;
   devices.Build(popup.menu);
   UINT id = Id(GetSubMenu(popup.menu, 0), 0);
   devices.ExecCommand(id, nullptr);
   ASSERT_EQ(1u, Requests(usb).size());
   std::string pending = Read(usb + "connectState/new");

   DialogAnswerer answerer([](HWND box) { Press(box, IDOK); });
   devices.ExecCommand(id, nullptr);
   EXPECT_TRUE(answerer.Answered());
   EXPECT_NE(answerer.Text().find(LoadResString(IDS_USB_PENDING)), std::string::npos) << answerer.Text();
   EXPECT_EQ(1u, Requests(usb).size()) << "no second request is left behind";
   EXPECT_EQ(Read(usb + "connectState/new"), pending);
}

TEST_F(DeviceMenu, RemovableDevicesToggleThroughTheHostAndBootAsConfigured)
{
   cui::VM *vm = Machine("Toggle", kTwoDrives, true);
   ASSERT_TRUE(vm);
   CZOLTRemovableDeviceMenu devices;
   Popup popup;
   devices.Build(popup.menu);
   EXPECT_FALSE(vm->IsRemDevConnected("floppy0"));

   EXPECT_TRUE(devices.ExecCommand(50003, nullptr));
   ASSERT_TRUE(PollUntil([&]() { return vm->IsRemDevConnected("floppy0"); }));
   EXPECT_TRUE(devices.ExecCommand(50001, nullptr));
   ASSERT_TRUE(PollUntil([&]() { return !vm->IsRemDevConnected("cdrom0"); }));
   devices.Build(popup.menu);
   EXPECT_EQ(Text(popup.menu, 0), L"CD-ROM Drive");
   EXPECT_TRUE(State(popup.menu, 1) & MF_CHECKED);
   EXPECT_EQ(Text(GetSubMenu(popup.menu, 1), 0), Res(IDS_DEVICE_DISCONNECT));

   // Edit opens the device's settings window; cancelled, it changes nothing.
   {
      DialogAnswerer answerer([](HWND dialog) { Press(dialog, IDCANCEL); });
      EXPECT_TRUE(devices.ExecCommand(50002, nullptr));
      EXPECT_TRUE(answerer.Answered());
      EXPECT_NE(answerer.Text().find("tools.iso"), std::string::npos) << answerer.Text();
   }
   EXPECT_FALSE(vm->IsRemDevConnected("cdrom0"));

   // The configuration is untouched: the next boot connects as it says.
   ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_OFF));
   ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_ON));
   EXPECT_TRUE(vm->IsRemDevConnected("cdrom0"));
   EXPECT_FALSE(vm->IsRemDevConnected("floppy0"));
}

TEST_F(DeviceMenu, AConnectionOutlivesARestartOfTheProgramWhileTheMachineRuns)
{
   cui::VM *vm = Machine("Kept", kTwoDrives, true);
   ASSERT_TRUE(vm);
   std::string cfgPath = vm->GetFilename();
   {
      CZOLTRemovableDeviceMenu devices;
      Popup popup;
      devices.Build(popup.menu);
      devices.ExecCommand(50003, nullptr);
      ASSERT_TRUE(PollUntil([&]() { return vm->IsRemDevConnected("floppy0"); }));
   }
   MakeApp(false);
   _bstr_t error;
   ASSERT_TRUE(app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error));
   Outcome outcome;
   ASSERT_TRUE(OpenThroughApp(cfgPath, false, true, true, outcome));
   cui::VM *again = wui::GetVMMgr()->GetVMByCfgPath(cfgPath);
   ASSERT_TRUE(again);
   EXPECT_EQ(cui::VM::POWERED_ON, again->GetPowerState());
   EXPECT_TRUE(again->IsRemDevConnected("floppy0")) << "the guest's connection, not the configuration's";
   EXPECT_TRUE(again->IsRemDevConnected("cdrom0"));
}

TEST_F(DeviceMenu, RemovableToggleFailuresAreShownAndUnknownIdsDoNothing)
{
   Config_Set("test.host.noAnswer", "cfgState");
   cui::VM *vm = Machine("Busy", kTwoDrives, true);
   ASSERT_TRUE(vm);
   CZOLTRemovableDeviceMenu devices;
   Popup popup;
   devices.Build(popup.menu);
   size_t commands = cui::GetVmdbCtx().Elements(vm->GetVmPath() + "cmd/#").size();

   // Another client's configuration change is under way.
   Write(vm->GetVmPath() + "vmx/cfgState/new", vm->GetVmPath() + "vmx/cfgState/req/#0009/");
   {
      DialogAnswerer answerer([](HWND box) { Press(box, IDOK); });
      devices.ExecCommand(50001, nullptr);
      EXPECT_TRUE(answerer.Answered());
      EXPECT_NE(answerer.Text().find(LoadResString(IDS_SETTINGS_SUBMISSION_PENDING)), std::string::npos)
         << answerer.Text();
   }
   EXPECT_EQ(commands, cui::GetVmdbCtx().Elements(vm->GetVmPath() + "cmd/#").size());

   // Ids of no item of the last build, and ids outside both ranges.
   EXPECT_TRUE(devices.ExecCommand(50099, nullptr));
   EXPECT_TRUE(devices.ExecCommand(50100, nullptr));
   EXPECT_FALSE(devices.ExecCommand(50200, nullptr));
   EXPECT_FALSE(devices.ExecCommand(50000, nullptr));
   EXPECT_EQ(commands, cui::GetVmdbCtx().Elements(vm->GetVmPath() + "cmd/#").size()) << "nothing toggled";
}

TEST_F(DeviceMenu, ListsStopAtTheEndOfTheirIdRanges)
{
   std::vector<KeyValueEntry> drives;
   for (int i = 0; i < 60; ++i) {
      drives.push_back({"cdrom" + std::to_string(i) + ".present", "TRUE"});
   }
   Config_Set("test.host.usbDevices", "a:A,b:B,c:C");
   ASSERT_TRUE(Machine("Many drives", drives, true));
   CZOLTRemovableDeviceMenu devices;
   Popup popup;
   devices.Build(popup.menu);
   const auto &entries = devices.GetEntries();
   EXPECT_EQ(CZOLTRemovableDeviceMenu::kMaxRemovableDevices + 2, static_cast<size_t>(GetMenuItemCount(popup.menu)))
      << "49 drives, the separator and the USB list";
   EXPECT_EQ(entries.count(IDM_VM_DEVICE_LAST), 0u) << "a drive's second id would be a USB id";
   EXPECT_EQ(entries.rbegin()->first, static_cast<uint32_t>(IDM_VM_USB_LAST));
   HMENU usb = GetSubMenu(popup.menu, GetMenuItemCount(popup.menu) - 1);
   ASSERT_EQ(2, GetMenuItemCount(usb)) << "50198 and 50199; the third has no id left";
   EXPECT_EQ(50198u, Id(usb, 0));
   for (const auto &entry : entries) {
      bool usbEntry = entry.second.key.size() == 1;
      EXPECT_EQ(usbEntry, entry.first >= IDM_VM_USB_FIRST) << entry.first;
      EXPECT_LE(entry.first, static_cast<uint32_t>(IDM_VM_USB_LAST));
   }
}

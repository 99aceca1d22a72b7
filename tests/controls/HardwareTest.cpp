#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "ControlsTestSupport.h"
#include "DeviceDialog.h"
#include "HardwareCtl.h"
#include "SdkUtil.h"
#include "atl/Atl.h"

namespace {

using namespace controls_test;

class ControlsHardware : public ::testing::Test {
protected:
   void SetUp() override
   {
      db = NewDatabase(L"hardware");
      ctx = db->NewContext();
      vm = AddMachine(ctx, L"#0001", L"C:\\vms\\xp\\xp.vmx", L"Windows XP", L"poweredOff");
      cfgState = vm + L"vmx/cfgState";
   }

   IVmdbDatabasePtr db;
   IVmdbContextPtr ctx;
   std::wstring vm;
   std::wstring cfgState;
};

TEST_F(ControlsHardware, ListsTheDevicesAndADoubleClickNamesTheChosenOne)
{
   HWND parent = NewParent(400, 200);
   HWND host = NewHost(parent, L"tremappsdk.HardwareCtl.9", 400, 200);
   CAxWindow ax(host);
   IHardwareCtlPtr hardware;
   ASSERT_EQ(S_OK, ax.QueryControl(__uuidof(IHardwareCtl), reinterpret_cast<void **>(&hardware)));
   hardware->PutDatabase(db);
   hardware->PutReadOnly(0);
   hardware->PutBorder(0);
   hardware->PutPath(cfgState.c_str());
   EventRecorder recorder;
   ASSERT_EQ(S_OK, recorder.Connect(hardware, DIID__IHardwareCtlEvents));
   Drain();

   HWND list = GetDlgItem(ControlWindow(host), tremappsdk::CHardwareWnd::kListId);
   ASSERT_TRUE(list);
   // Memory and processors come first, then the devices in configuration order.
   ASSERT_EQ(5, ListView_GetItemCount(list));
   auto cell = [&](int row, int column) {
      wchar_t text[128] = {};
      LVITEMW item = {};
      item.iSubItem = column;
      item.pszText = text;
      item.cchTextMax = 128;
      SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
      return std::wstring(text);
   };
   EXPECT_EQ(L"Memory", cell(0, 0));
   EXPECT_EQ(L"256 MB", cell(0, 1));
   EXPECT_EQ(L"Processors", cell(1, 0));
   EXPECT_EQ(L"1", cell(1, 1));
   EXPECT_EQ(L"CD-ROM (IDE 1:0)", cell(3, 0));
   EXPECT_EQ(L"No media (Not connected)", cell(3, 1));

   // A device added to the configuration, and a memory change, show up after the next poll step.
   ctx->WriteValue((cfgState + L"/val/dev/#0004/key").c_str(), _variant_t(L"floppy0"));
   ctx->WriteValue((cfgState + L"/val/dev/#0004/type").c_str(), _variant_t(L"floppy"));
   ctx->WriteValue((cfgState + L"/val/memoryMB").c_str(), _variant_t(L"1024"));
   Drain();
   EXPECT_EQ(6, ListView_GetItemCount(list));
   EXPECT_EQ(L"1024 MB", cell(0, 1));

   auto doubleClick = [&](int index) {
      RECT row = {};
      row.left = LVIR_BOUNDS;
      SendMessage(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row));
      LPARAM at = MAKELPARAM(row.left + 20, (row.top + row.bottom) / 2);
      SendMessage(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
      SendMessage(list, WM_LBUTTONUP, 0, at);
      SendMessage(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
      SendMessage(list, WM_LBUTTONUP, 0, at);
      Drain();
   };
   // The memory line is not a device: no edit event.
   doubleClick(0);
   EXPECT_EQ(0u, recorder.events.size());
   doubleClick(3);
   ASSERT_EQ(1u, recorder.events.size());
   EXPECT_EQ(tremappsdk::kHardwareEdit, recorder.events[0].dispid);
   std::wstring chosen(hardware->GetPath());
   EXPECT_EQ(cfgState + L"/val/dev/#0002/", chosen);
   EXPECT_EQ(L"cdrom0", Text(ctx->ReadValue((chosen + L"key").c_str())));

   // Read-only: no edit event; a new path clears the choice.
   hardware->PutReadOnly(1);
   doubleClick(3);
   EXPECT_EQ(1u, recorder.events.size());
   hardware->PutPath(L"");
   Drain();
   EXPECT_EQ(L"", std::wstring(hardware->GetPath()));
   EXPECT_EQ(0, ListView_GetItemCount(list));

   recorder.Disconnect();
   hardware = nullptr;
   DestroyWindow(parent);
}

TEST_F(ControlsHardware, UtilityNamesDevicesByKeyAndRefusesUnknownOnes)
{
   ITremAppSdkUtilPtr util;
   ASSERT_EQ(S_OK, util.CreateInstance(__uuidof(TremAppSdkUtil), nullptr, CLSCTX_ALL));
   // Without a context nothing can be read.
   EXPECT_THROW(util->GetDeviceName(L"cdrom0"), _com_error);

   util->SetDatabase(db);
   util->SetVMPath(vm.c_str());
   util->SetCfgStatePath((vm + L"vmx/cfgState/").c_str());
   EXPECT_EQ(L"CD-ROM (IDE 1:0)", std::wstring(util->GetDeviceName(L"cdrom0")));
   EXPECT_EQ(VARIANT_FALSE, util->IsDeviceConnected(L"cdrom0"));
   EXPECT_EQ(VARIANT_TRUE, util->IsDeviceConnected(L"net0"));
   EXPECT_EQ(L"No media", std::wstring(util->GetConnectionText(L"cdrom0")));
   EXPECT_EQ(L"disk0.img", std::wstring(util->GetConnectionText(L"disk0")));
   EXPECT_EQ(L"Connected", std::wstring(util->GetConnectionText(L"net0")));
   try {
      util->IsDeviceConnected(L"sound7");
      ADD_FAILURE() << "an unknown device was answered";
   } catch (const _com_error &e) {
      EXPECT_EQ(E_INVALIDARG, e.Error());
      ASSERT_TRUE(e.Description().length());
      EXPECT_NE(std::wstring::npos, std::wstring(static_cast<const wchar_t *>(e.Description())).find(L"sound7"));
   }
   EXPECT_THROW(util->EditDevice(L"", nullptr), _com_error);

   // A context handed in later (the device menu's way) replaces the database's, and null lets go.
   util->SetContext(db->NewContext());
   EXPECT_EQ(VARIANT_TRUE, util->IsDeviceConnected(L"disk0"));
   util->SetContext(nullptr);
   EXPECT_THROW(util->IsDeviceConnected(L"disk0"), _com_error);
}

TEST_F(ControlsHardware, DeviceChangeIsSubmittedAsARequestWithTheChangedFieldsOnly)
{
   tremappsdk::DeviceInfo cdrom;
   cdrom.element = cfgState + L"/val/dev/#0002/";
   cdrom.key = L"cdrom0";
   cdrom.type = L"cdrom";
   cdrom.present = false;

   tremappsdk::DeviceChange none = tremappsdk::DeviceChange::Between(cdrom, false, L"");
   EXPECT_FALSE(none.Any());
   tremappsdk::DeviceChange connect = tremappsdk::DeviceChange::Between(cdrom, true, L"");
   EXPECT_TRUE(connect.presentChanged);
   EXPECT_FALSE(connect.fileChanged);

   std::wstring request = tremappsdk::SdkUtil::SubmitChange(ctx, cfgState, cdrom, connect);
   EXPECT_EQ(cfgState + L"/req/#0001/", request);
   EXPECT_EQ(VARIANT_TRUE, ctx->TestNode((request + L"val/dev/#0002/present").c_str()));
   EXPECT_EQ(VARIANT_FALSE, ctx->TestNode((request + L"val/dev/#0002/fileName").c_str()));
   EXPECT_EQ(request, Text(ctx->ReadValue((cfgState + L"/new").c_str())));
   // The configuration itself is the host's to change.
   EXPECT_EQ(L"0", Text(ctx->ReadValue((cfgState + L"/val/dev/#0002/present").c_str())));

   tremappsdk::DeviceChange media = tremappsdk::DeviceChange::Between(cdrom, false, L"D:\\iso\\tools.iso");
   std::wstring second = tremappsdk::SdkUtil::SubmitChange(ctx, cfgState + L"/", cdrom, media);
   EXPECT_EQ(L"D:\\iso\\tools.iso", Text(ctx->ReadValue((second + L"val/dev/#0002/fileName").c_str())));
   EXPECT_EQ(VARIANT_FALSE, ctx->TestNode((second + L"val/dev/#0002/present").c_str()));
}

}  // namespace

namespace {

using namespace controls_test;

std::wstring ItemText(HWND dialog, int id)
{
   wchar_t text[MAX_PATH] = {};
   GetDlgItemTextW(dialog, id, text, MAX_PATH);
   return text;
}

TEST(ControlsDeviceDialog, DriveTakesAnImageAndAConnectionADiskNeither)
{
   tremappsdk::DeviceInfo cdrom;
   cdrom.key = L"cdrom0";
   cdrom.type = L"cdrom";
   cdrom.label = L"CD-ROM (IDE 1:0)";
   cdrom.fileName = L"D:\\old.iso";
   {
      tremappsdk::CDeviceDialog dialog(cdrom);
      HWND wnd = dialog.Create(nullptr);
      ASSERT_TRUE(wnd);
      EXPECT_EQ(L"cdrom0", ItemText(wnd, IDC_TREMAPPSDK_DEV_KEY));
      EXPECT_EQ(L"D:\\old.iso", ItemText(wnd, IDC_TREMAPPSDK_DEV_FILE));
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(wnd, IDC_TREMAPPSDK_DEV_FILE)));
      SetDlgItemTextW(wnd, IDC_TREMAPPSDK_DEV_FILE, L"D:\\new.iso");
      SendDlgItemMessageW(wnd, IDC_TREMAPPSDK_DEV_CONNECTED, BM_CLICK, 0, 0);
      SendMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      EXPECT_FALSE(IsWindow(wnd));
      EXPECT_TRUE(dialog.Change().presentChanged);
      EXPECT_TRUE(dialog.Change().present);
      EXPECT_TRUE(dialog.Change().fileChanged);
      EXPECT_EQ(L"D:\\new.iso", dialog.Change().fileName);
   }
   {
      tremappsdk::CDeviceDialog dialog(cdrom);
      HWND wnd = dialog.Create(nullptr);
      ASSERT_TRUE(wnd);
      SetDlgItemTextW(wnd, IDC_TREMAPPSDK_DEV_FILE, L"D:\\other.iso");
      SendMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      EXPECT_FALSE(dialog.Change().Any());
   }

   tremappsdk::DeviceInfo disk;
   disk.key = L"disk0";
   disk.type = L"disk";
   disk.fileName = L"disk0.img";
   disk.present = true;
   tremappsdk::CDeviceDialog dialog(disk);
   HWND wnd = dialog.Create(nullptr);
   ASSERT_TRUE(wnd);
   EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wnd, IDC_TREMAPPSDK_DEV_FILE)));
   EXPECT_FALSE(IsWindowEnabled(GetDlgItem(wnd, IDC_TREMAPPSDK_DEV_CONNECTED)));
   SendMessageW(wnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
   EXPECT_FALSE(dialog.Change().Any());
}

}  // namespace

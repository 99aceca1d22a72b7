#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ControlsTestSupport.h"
#include "DeviceDialog.h"
#include "HardwareCtl.h"
#include "SwitchCtl.h"
#include "atl/Atl.h"
#include "cui/AppDataPaths.h"
#include "tremorybase/Text.h"

namespace {

using namespace controls_test;

// Names in Latin-1, Greek, Cyrillic and CJK: no one code page holds them all.
const std::wstring kLatin = L"Maschine f\u00FCr K\u00F6ln";
const std::wstring kGreek = L"\u0395\u03B9\u03BA\u03BF\u03BD\u03B9\u03BA\u03AE \u03BC\u03B7\u03C7\u03B1\u03BD\u03AE";
const std::wstring kCyrillic = L"\u0412\u0438\u0440\u0442\u0443\u0430\u043B\u044C\u043D\u0430\u044F";
const std::wstring kCjk = L"\u4EEE\u60F3\u30DE\u30B7\u30F3";

const std::wstring kDiskFile = L"C:\\\u0394\u03AF\u03C3\u03BA\u03BF\u03B9\\disk0.img";
const std::wstring kIsoFile = L"D:\\" + kLatin + L".iso";

// A machine whose devices are labelled in three scripts and whose images have non-ASCII names.
std::wstring AddMachineInScripts(IVmdbContext *ctx, const std::wstring &element, const std::wstring &cfgFile,
                                 const std::wstring &name, const std::wstring &state)
{
   std::wstring vm = AddMachine(ctx, element, cfgFile, name, state);
   std::wstring dev = vm + L"vmx/cfgState/val/dev/";
   ctx->WriteValue((dev + L"#0001/label").c_str(), _variant_t(kGreek.c_str()));
   ctx->WriteValue((dev + L"#0001/fileName").c_str(), _variant_t(kDiskFile.c_str()));
   ctx->WriteValue((dev + L"#0002/label").c_str(), _variant_t(kCyrillic.c_str()));
   ctx->WriteValue((dev + L"#0002/fileName").c_str(), _variant_t(kIsoFile.c_str()));
   ctx->WriteValue((dev + L"#0003/label").c_str(), _variant_t(kCjk.c_str()));
   return vm;
}

template <class TWnd>
TWnd *WindowOf(HWND wnd)
{
   auto *base = static_cast<atl::CWindowImplBaseT<> *>(atl::detail::FindObject(wnd, atl::detail::kImplProp));
   return static_cast<TWnd *>(base);
}

TEST(ControlsText, StatusbarTipsKeepDeviceNamesAndImagesInEveryScript)
{
   IVmdbDatabasePtr db = NewDatabase(L"text-statusbar");
   IVmdbContextPtr ctx = db->NewContext();
   std::wstring cfg = L"C:\\M\u00E1quinas\\" + kCjk + L".vmx";
   std::wstring vm = AddMachineInScripts(ctx, L"#0001", cfg, kCjk, L"poweredOn");
   SetCurrent(ctx, AddRecord(ctx, L"#0001", L"vm", cfg));

   HWND parent = NewParent(640, 24);
   HWND host = NewHost(parent, L"tremappsdk.VMStatusbarCtl.9", 640, 24);
   CAxWindow ax(host);
   IVMStatusbarCtlPtr bar;
   ASSERT_EQ(S_OK, ax.QueryControl(__uuidof(IVMStatusbarCtl), reinterpret_cast<void **>(&bar)));
   bar->PutDatabase(db);
   Drain();

   EXPECT_EQ(vm, std::wstring(bar->GetVMPath()));
   std::vector<std::wstring> expected = {
      kGreek + L" - " + kDiskFile,
      kCyrillic + L" - " + kIsoFile + L" (Not connected)",
      kCjk + L" - Connected",
   };
   EXPECT_EQ(expected, TipTexts(ControlWindow(host)));

   bar = nullptr;
   DestroyWindow(parent);
}

TEST(ControlsText, SwitchTabLabelsAndEventPathsKeepEveryScript)
{
   IVmdbDatabasePtr db = NewDatabase(L"text-switch");
   IVmdbContextPtr ctx = db->NewContext();
   std::wstring greekCfg = L"C:\\\u0395\u03B9\u03BA\u03CC\u03BD\u03B5\u03C2\\a.vmx";
   AddMachine(ctx, L"#0001", greekCfg, kGreek, L"poweredOn");
   AddMachine(ctx, L"#0002", L"C:\\vms\\b.vmx", kCyrillic, L"poweredOff");
   std::wstring team = L"C:\\" + kLatin + L"\\" + kCjk + L".vmtm";
   SetCurrent(ctx, AddRecord(ctx, L"#0000", L"home", L""));
   AddRecord(ctx, L"#0001", L"vm", greekCfg);
   AddRecord(ctx, L"#0002", L"vm", L"C:\\vms\\b.vmx");
   AddRecord(ctx, L"#0003", L"team", team);

   HWND parent = NewParent(800, 24);
   HWND host = NewHost(parent, L"tremappsdk.VMSwitchCtl.9", 800, 24);
   CAxWindow ax(host);
   IVMSwitchCtlPtr tabs;
   ASSERT_EQ(S_OK, ax.QueryControl(__uuidof(IVMSwitchCtl), reinterpret_cast<void **>(&tabs)));
   tabs->PutContext(db->NewContext());
   tabs->PutLinkPath(cui::appdata::kCurrentObj);
   tabs->PutArrayPath(cui::appdata::kOpenedObj);
   EventRecorder recorder;
   ASSERT_EQ(S_OK, recorder.Connect(tabs, DIID__IVMSwitchCtlEvents));
   HWND strip = ControlWindow(host);
   Drain();

   // Each tab's tip is its label in full: a machine's display name, a team's file title.
   EXPECT_EQ((std::vector<std::wstring>{L"Home", kGreek, kCyrillic, kCjk}), TipTexts(strip));

   tremappsdk::TabStripLayout layout = WindowOf<tremappsdk::CSwitchWnd>(strip)->Layout();
   ASSERT_EQ(4u, layout.tabs.size());
   for (size_t tab : {size_t{1}, size_t{3}}) {
      recorder.events.clear();
      const RECT &text = layout.tabs[tab].text;
      Click(strip, WM_RBUTTONDOWN, WM_RBUTTONUP, (text.left + text.right) / 2, (text.top + text.bottom) / 2);
      ASSERT_EQ(1u, recorder.events.size());
      EXPECT_EQ(tab == 1 ? greekCfg : team, Text(recorder.events[0].args.at(2)));
   }

   recorder.Disconnect();
   tabs = nullptr;
   DestroyWindow(parent);
}

TEST(ControlsText, ConsoleNoticesQuestionsAndMenuPathsKeepEveryScript)
{
   IVmdbDatabasePtr db = NewDatabase(L"text-mks");
   IVmdbContextPtr ctx = db->NewContext();
   std::wstring cfg = L"C:\\" + kCyrillic + L"\\" + kCjk + L".vmx";
   std::wstring vm = AddMachine(ctx, L"#0001", cfg, kGreek, L"poweredOn");
   SetCurrent(ctx, AddRecord(ctx, L"#0001", L"vm", cfg));

   HWND parent = NewParent(640, 480);
   HWND host = NewHost(parent, L"tremappsdk.MksCtl.9", 640, 480);
   CAxWindow ax(host);
   IMksCtlPtr mks;
   ASSERT_EQ(S_OK, ax.QueryControl(__uuidof(IMksCtl), reinterpret_cast<void **>(&mks)));
   mks->PutContext(db->NewContext());
   mks->PutLinkPath(cui::appdata::kCurrentObj);
   EventRecorder recorder;
   ASSERT_EQ(S_OK, recorder.Connect(mks, DIID__IMksCtlEvents));
   Drain();

   std::wstring notice = kLatin + L" \u2014 " + kCjk;
   mks->PutMessageText(notice.c_str());
   EXPECT_EQ(notice, std::wstring(mks->GetMessageText()));

   std::wstring question = kCyrillic + L"? " + kGreek + L";";
   ctx->WriteValue((vm + L"mks/question/text").c_str(), _variant_t(question.c_str()));
   Drain();
   ASSERT_EQ(1u, recorder.events.size());
   EXPECT_EQ(tremappsdk::kMksMessage, recorder.events[0].dispid);
   EXPECT_EQ(question, Text(recorder.events[0].args.at(0)));

   recorder.events.clear();
   Click(ControlWindow(host), WM_RBUTTONDOWN, WM_RBUTTONUP, 100, 50);
   ASSERT_EQ(1u, recorder.events.size());
   EXPECT_EQ(cfg, Text(recorder.events[0].args.at(2)));

   recorder.Disconnect();
   mks = nullptr;
   DestroyWindow(parent);
}

TEST(ControlsText, HardwareListUtilityAndDeviceDialogKeepEveryScript)
{
   IVmdbDatabasePtr db = NewDatabase(L"text-hardware");
   IVmdbContextPtr ctx = db->NewContext();
   std::wstring vm = AddMachineInScripts(ctx, L"#0001", L"C:\\vms\\xp.vmx", kLatin, L"poweredOff");

   HWND parent = NewParent(400, 200);
   HWND host = NewHost(parent, L"tremappsdk.HardwareCtl.9", 400, 200);
   CAxWindow ax(host);
   IHardwareCtlPtr hardware;
   ASSERT_EQ(S_OK, ax.QueryControl(__uuidof(IHardwareCtl), reinterpret_cast<void **>(&hardware)));
   hardware->PutDatabase(db);
   hardware->PutPath((vm + L"vmx/cfgState").c_str());
   Drain();
   HWND list = GetDlgItem(ControlWindow(host), tremappsdk::CHardwareWnd::kListId);
   ASSERT_TRUE(list);
   auto cell = [&](int row, int column) {
      wchar_t text[256] = L"";
      LVITEMW item = {};
      item.iSubItem = column;
      item.pszText = text;
      item.cchTextMax = 256;
      SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
      return std::wstring(text);
   };
   // Memory and processors first, then the devices.
   ASSERT_EQ(5, ListView_GetItemCount(list));
   EXPECT_EQ(kGreek, cell(2, 0));
   EXPECT_EQ(kDiskFile, cell(2, 1));
   EXPECT_EQ(kCyrillic, cell(3, 0));
   EXPECT_EQ(kIsoFile + L" (Not connected)", cell(3, 1));
   EXPECT_EQ(kCjk, cell(4, 0));

   ITremAppSdkUtilPtr util;
   ASSERT_EQ(S_OK, util.CreateInstance(__uuidof(TremAppSdkUtil), nullptr, CLSCTX_ALL));
   util->SetDatabase(db);
   util->SetVMPath(vm.c_str());
   EXPECT_EQ(kCyrillic, std::wstring(util->GetDeviceName(L"cdrom0")));
   EXPECT_EQ(kIsoFile, std::wstring(util->GetConnectionText(L"cdrom0")));

   // The dialog shows the label and image as they are and hands back what was typed.
   tremappsdk::DeviceInfo cdrom;
   cdrom.key = L"cdrom0";
   cdrom.type = L"cdrom";
   cdrom.label = kCyrillic;
   cdrom.fileName = kIsoFile;
   tremappsdk::CDeviceDialog dialog(cdrom);
   ASSERT_TRUE(dialog.Create(nullptr));
   CWindow wnd(dialog.m_hWnd);
   char title[256] = "";
   wnd.GetWindowText(title, sizeof(title));
   EXPECT_EQ(Utf8FromWide(kCyrillic), title);
   char file[256] = "";
   wnd.GetDlgItemText(IDC_TREMAPPSDK_DEV_FILE, file, sizeof(file));
   EXPECT_EQ(Utf8FromWide(kIsoFile), file);
   std::wstring typed = L"E:\\" + kGreek + L"\\" + kCjk + L".iso";
   wnd.SetDlgItemText(IDC_TREMAPPSDK_DEV_FILE, Utf8FromWide(typed).c_str());
   wnd.SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
   EXPECT_TRUE(dialog.Change().fileChanged);
   EXPECT_EQ(typed, dialog.Change().fileName);

   hardware = nullptr;
   DestroyWindow(parent);
}

}  // namespace

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "StatusbarCtl.h"
#include "atl/Atl.h"

namespace {

using namespace controls_test;

const int kStatusId = 1;

// Hosts the status bar and sinks its events the way the frame does.
class CStatusOwner : public CWindowImpl<CStatusOwner>,
                     public CTremappsdk_IDispEventImpl<kStatusId, CStatusOwner, &DIID__IVMStatusbarCtlEvents> {
public:
   BEGIN_MSG_MAP(CStatusOwner)
   END_MSG_MAP()

   BEGIN_SINK_MAP(CStatusOwner)
      SINK_ENTRY_EX(kStatusId, DIID__IVMStatusbarCtlEvents, tremappsdk::kStatusbarCaptureMovie, OnCaptureMovie)
   END_SINK_MAP()

   void __stdcall OnCaptureMovie(BSTR vmPath) { captures.push_back(vmPath ? vmPath : L""); }

   std::vector<std::wstring> captures;
};

TEST(ControlsStatusbar, FollowsTheCurrentMachineAndRaisesTheCaptureEventFromItsIndicator)
{
   IVmdbDatabasePtr db = NewDatabase(L"statusbar");
   IVmdbContextPtr ctx = db->NewContext();
   std::wstring vm = AddMachine(ctx, L"#0001", L"C:\\vms\\xp\\xp.vmx", L"Windows XP", L"poweredOn");
   AddMachine(ctx, L"#0002", L"C:\\vms\\lin\\lin.vmx", L"Linux box", L"poweredOff", L"linux26");
   std::wstring home = AddRecord(ctx, L"#0000", L"home", L"");
   std::wstring xp = AddRecord(ctx, L"#0001", L"vm", L"C:\\vms\\xp\\xp.vmx");
   SetCurrent(ctx, home);

   HWND parent = NewParent(640, 100);
   CStatusOwner owner;
   RECT rc = {0, 0, 640, 100};
   ASSERT_TRUE(owner.Create(parent, rc, nullptr, WS_CHILD | WS_VISIBLE));
   HWND host = CreateWindowExA(0, "AtlAxWin71", "tremappsdk.VMStatusbarCtl.9", WS_CHILD | WS_VISIBLE, 0, 70, 640, 22,
                               owner, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusId)), GetModuleHandle(nullptr),
                               nullptr);
   ASSERT_TRUE(host);
   CAxWindow ax(host);
   IVMStatusbarCtlPtr bar;
   ASSERT_EQ(S_OK, ax.QueryControl(__uuidof(IVMStatusbarCtl), reinterpret_cast<void **>(&bar)));
   bar->PutDatabase(db);
   ASSERT_EQ(S_OK, AtlAdviseSinkMap(&owner, true));
   Drain();

   // The home tab shows no machine; the can-fit property starts true and keeps what it is given.
   EXPECT_EQ(L"", std::wstring(bar->GetVMPath()));
   EXPECT_EQ(VARIANT_TRUE, bar->GetCanFitWindow());
   bar->PutCanFitWindow(VARIANT_FALSE);
   EXPECT_EQ(VARIANT_FALSE, bar->GetCanFitWindow());
   bar->PutCanFitWindow(VARIANT_TRUE);

   SetCurrent(ctx, xp);
   Drain();
   EXPECT_EQ(vm, std::wstring(bar->GetVMPath()));

   HWND barWnd = ControlWindow(host);
   ASSERT_TRUE(barWnd);
   RECT client;
   GetClientRect(barWnd, &client);

   // Without a capture a click where the indicator would be raises nothing.
   Click(barWnd, WM_LBUTTONDOWN, WM_LBUTTONUP, client.right - 40, 10);
   EXPECT_TRUE(owner.captures.empty());

   ctx->WriteValue((vm + L"mks/movieCapture").c_str(), _variant_t(true));
   Drain();
   tremappsdk::StatusbarLayout layout =
      tremappsdk::StatusbarLayout::Compute(client.right, client.bottom, 3, true, true);
   Click(barWnd, WM_LBUTTONDOWN, WM_LBUTTONUP, layout.record.left + 10, 10);
   ASSERT_EQ(1u, owner.captures.size());
   EXPECT_EQ(vm, owner.captures[0]);
   // A tip over each device and over the indicator.
   auto *base = static_cast<atl::CWindowImplBaseT<> *>(atl::detail::FindObject(barWnd, atl::detail::kImplProp));
   auto *window = static_cast<tremappsdk::CStatusbarWnd *>(base);
   EXPECT_EQ(4, window->TipCount());

   // The machine closes: the bar forgets it and its indicator.
   ctx->RemoveNode(vm.c_str(), VARIANT_TRUE);
   Drain();
   EXPECT_EQ(L"", std::wstring(bar->GetVMPath()));
   Click(barWnd, WM_LBUTTONDOWN, WM_LBUTTONUP, layout.record.left + 10, 10);
   EXPECT_EQ(1u, owner.captures.size());
   EXPECT_EQ(0, window->TipCount());

   EXPECT_EQ(S_OK, AtlAdviseSinkMap(&owner, false));
   bar = nullptr;
   DestroyWindow(parent);
   EXPECT_FALSE(IsWindow(barWnd));
}

}  // namespace

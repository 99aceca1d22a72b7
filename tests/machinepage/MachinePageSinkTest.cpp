// The machine page's window: it listens to its hardware list through a sink of its own, next to
// the database sink of the page template, and lets go of exactly that connection when it goes.
#include "zoltStatusVM.h"

#include "atl/Atl.h"
#include "tremappsdk/TremAppSdk.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

class MachinePageWindow : public ::testing::Test {
protected:
   void SetUp() override
   {
      ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
      static bool registered = false;
      if (!registered) {
         atl::AtlAxWinInit();
         tremappsdk::RegisterClasses();
         registered = true;
      }
      holder_ = CreateWindowExA(0, "Static", "machine page test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 600,
                                400, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
      ASSERT_TRUE(holder_);
   }
   void TearDown() override
   {
      DestroyWindow(holder_);
      CoUninitialize();
   }

   // The event source of the hardware list the page holds; `control` keeps the list alive.
   static CComPtr<IConnectionPoint> HardwareEvents(HWND page, CComPtr<IUnknown> &control)
   {
      CComPtr<IConnectionPoint> point;
      HWND host = FindWindowExA(page, nullptr, "AtlAxWin71", nullptr);
      if (!host || FAILED(atl::AtlAxGetControl(host, &control)) || !control) {
         return point;
      }
      CComPtr<IConnectionPointContainer> container;
      if (SUCCEEDED(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void **>(&container)))) {
         container->FindConnectionPoint(DIID__IHardwareCtlEvents, &point);
      }
      return point;
   }

   HWND holder_ = nullptr;
};

}  // namespace

TEST_F(MachinePageWindow, HardwareListSinkKeepsItsOwnCookieAndIsUnadvisedWithThePage)
{
   CZOLTStatusVM page;
   ASSERT_TRUE(page.Create(holder_, nullptr));
   CComPtr<IUnknown> hardware;
   CComPtr<IConnectionPoint> events = HardwareEvents(page.m_hWnd, hardware);
   ASSERT_TRUE(events) << "the page holds a hardware list";
   ASSERT_TRUE(page.IsAdvised());
   const DWORD cookie = page.m_dwEventCookie;
   EXPECT_NE(cookie, 0xFEFEFEFEu);

   DestroyWindow(page.m_hWnd);
   EXPECT_FALSE(page.IsAdvised());
   EXPECT_EQ(page.m_dwEventCookie, 0xFEFEFEFEu);
   // The list still lives (the test holds it): the page's connection is gone from it, so a
   // second unadvise with the page's cookie finds nothing.
   EXPECT_EQ(events->Unadvise(cookie), CONNECT_E_NOCONNECTION);
}

#include <gtest/gtest.h>

#include "ControlsTestSupport.h"
#include "SwitchCtl.h"
#include "atl/Atl.h"
#include "cui/AppDataPaths.h"
#include "tremorybase/Text.h"

namespace {

using namespace controls_test;
using tremappsdk::TabStripLayout;

class ControlsSwitch : public ::testing::Test {
protected:
   void SetUp() override
   {
      db = NewDatabase(L"switch");
      ctx = db->NewContext();
      AddMachine(ctx, L"#0001", L"C:\\vms\\xp\\xp.vmx", L"Windows XP", L"poweredOn");
      AddMachine(ctx, L"#0002", L"C:\\vms\\lin\\lin.vmx", L"Linux box", L"poweredOff", L"linux26");
      home = AddRecord(ctx, L"#0000", L"home", L"");
      xp = AddRecord(ctx, L"#0001", L"vm", L"C:\\vms\\xp\\xp.vmx");
      lin = AddRecord(ctx, L"#0002", L"vm", L"C:\\vms\\lin\\lin.vmx");
      SetCurrent(ctx, home);

      parent = NewParent(600, 24);
      host = NewHost(parent, L"tremappsdk.VMSwitchCtl.9", 600, 24);
      CAxWindow ax(host);
      ASSERT_EQ(S_OK, ax.QueryControl(__uuidof(IVMSwitchCtl), reinterpret_cast<void **>(&tabs)));
      tabs->PutContext(db->NewContext());
      tabs->PutLinkPath(cui::appdata::kCurrentObj);
      tabs->PutArrayPath(cui::appdata::kOpenedObj);
      ASSERT_EQ(S_OK, recorder.Connect(tabs, DIID__IVMSwitchCtlEvents));
      strip = ControlWindow(host);
      ASSERT_TRUE(strip);
      Drain();
   }
   void TearDown() override
   {
      recorder.Disconnect();
      tabs = nullptr;
      DestroyWindow(parent);
      db = nullptr;
   }

   // The tab boxes as the strip lays them out now.
   tremappsdk::CSwitchWnd *Window()
   {
      auto *base = static_cast<atl::CWindowImplBaseT<> *>(atl::detail::FindObject(strip, atl::detail::kImplProp));
      return static_cast<tremappsdk::CSwitchWnd *>(base);
   }
   TabStripLayout Layout() { return Window()->Layout(); }
   POINT Centre(const RECT &rc) { return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}; }

   IVmdbDatabasePtr db;
   IVmdbContextPtr ctx;
   std::wstring home, xp, lin;
   HWND parent = nullptr, host = nullptr, strip = nullptr;
   IVMSwitchCtlPtr tabs;
   EventRecorder recorder;
};

TEST_F(ControlsSwitch, OneTabPerRecordAndAClickMakesItsRecordCurrent)
{
   EXPECT_EQ(3, tabs->GetTabCount());
   EXPECT_EQ(3, Window()->TipCount());
   TabStripLayout layout = Layout();
   ASSERT_EQ(3u, layout.tabs.size());
   // The running machine's label is its display name, wider than "Home".
   EXPECT_GT(layout.tabs[1].box.right - layout.tabs[1].box.left, layout.tabs[0].box.right - layout.tabs[0].box.left);

   POINT second = Centre(layout.tabs[2].text);
   Click(strip, WM_LBUTTONDOWN, WM_LBUTTONUP, second.x, second.y);
   EXPECT_EQ(lin, CurrentRecord(ctx));
   EXPECT_TRUE(recorder.events.empty());

   // A record opened elsewhere becomes a tab after the next poll step; a closed one goes.
   AddRecord(ctx, L"#0003", L"team", L"C:\\teams\\lab.vmtm");
   ctx->RemoveNode(xp.c_str(), VARIANT_TRUE);
   Drain();
   EXPECT_EQ(3, tabs->GetTabCount());
   layout = Layout();
   POINT team = Centre(layout.tabs[2].text);
   Click(strip, WM_LBUTTONDOWN, WM_LBUTTONUP, team.x, team.y);
   EXPECT_EQ(WideFromUtf8(cui::appdata::kOpenedObj) + L"/#0003/", CurrentRecord(ctx));
}

TEST_F(ControlsSwitch, CloseBoxSelectsItsTabAndAsksToCloseItOnlyWhenReleasedOnIt)
{
   TabStripLayout layout = Layout();
   POINT close = Centre(layout.tabs[1].close);

   // Pressed on the close box, released elsewhere: nothing.
   Click(strip, WM_LBUTTONDOWN, 0, close.x, close.y);
   POINT away = Centre(layout.tabs[2].text);
   Click(strip, 0, WM_LBUTTONUP, away.x, away.y);
   EXPECT_TRUE(recorder.events.empty());
   EXPECT_EQ(home, CurrentRecord(ctx));

   Click(strip, WM_LBUTTONDOWN, WM_LBUTTONUP, close.x, close.y);
   ASSERT_EQ(1u, recorder.events.size());
   EXPECT_EQ(tremappsdk::kSwitchTabCommand, recorder.events[0].dispid);
   ASSERT_EQ(2u, recorder.events[0].args.size());
   EXPECT_EQ(L"C:\\vms\\xp\\xp.vmx", Text(recorder.events[0].args[0]));
   EXPECT_EQ(1, static_cast<long>(recorder.events[0].args[1]));
   // The program closes the current tab: the strip made this one current first.
   EXPECT_EQ(xp, CurrentRecord(ctx));
}

TEST_F(ControlsSwitch, RightClickAsksForTheContextMenuOfTheTabKind)
{
   TabStripLayout layout = Layout();
   struct Case {
      int tab;
      const wchar_t *path;
      long kind;
   } cases[] = {{0, L"", 1}, {1, L"C:\\vms\\xp\\xp.vmx", 8}, {2, L"C:\\vms\\lin\\lin.vmx", 7}};
   for (const Case &c : cases) {
      recorder.events.clear();
      POINT at = Centre(layout.tabs[static_cast<size_t>(c.tab)].text);
      Click(strip, WM_RBUTTONDOWN, WM_RBUTTONUP, at.x, at.y);
      ASSERT_EQ(1u, recorder.events.size()) << c.tab;
      const EventRecorder::Event &e = recorder.events[0];
      EXPECT_EQ(tremappsdk::kSwitchContextMenu, e.dispid);
      ASSERT_EQ(4u, e.args.size());
      POINT screen = at;
      ClientToScreen(strip, &screen);
      EXPECT_EQ(screen.x, static_cast<long>(e.args[0]));
      EXPECT_EQ(screen.y, static_cast<long>(e.args[1]));
      EXPECT_EQ(c.path, Text(e.args[2]));
      EXPECT_EQ(c.kind, static_cast<long>(e.args[3]));
   }
   // The selection does not move on a right click; a click past the tabs asks nothing.
   EXPECT_EQ(home, CurrentRecord(ctx));
   recorder.events.clear();
   Click(strip, WM_RBUTTONDOWN, WM_RBUTTONUP, 590, 12);
   EXPECT_TRUE(recorder.events.empty());

   // Powering the second machine on changes its kind.
   ctx->WriteValue(L"/vm/#0002/vmx/execState/val", _variant_t(L"poweredOn"));
   Drain();
   POINT lin = Centre(Layout().tabs[2].text);
   Click(strip, WM_RBUTTONDOWN, WM_RBUTTONUP, lin.x, lin.y);
   ASSERT_EQ(1u, recorder.events.size());
   EXPECT_EQ(8, static_cast<long>(recorder.events[0].args[3]));
}

}  // namespace

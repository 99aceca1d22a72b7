#include <gtest/gtest.h>

#include <utility>

#include "ControlsTestSupport.h"
#include "GuestScreen.h"
#include "atl/Atl.h"
#include "cui/AppDataPaths.h"

namespace {

using namespace controls_test;

class ControlsMks : public ::testing::Test {
protected:
   void SetUp() override
   {
      db = NewDatabase(L"mks");
      ctx = db->NewContext();
      vm = AddMachine(ctx, L"#0001", L"C:\\vms\\xp\\xp.vmx", L"Windows XP", L"poweredOn");
      home = AddRecord(ctx, L"#0000", L"home", L"");
      xp = AddRecord(ctx, L"#0001", L"vm", L"C:\\vms\\xp\\xp.vmx");
      SetCurrent(ctx, xp);

      parent = NewParent(640, 480);
      host = NewHost(parent, L"tremappsdk.MksCtl.9", 640, 480);
      CAxWindow ax(host);
      ASSERT_EQ(S_OK, ax.QueryControl(__uuidof(IMksCtl), reinterpret_cast<void **>(&mks)));
      mks->PutContext(db->NewContext());
      mks->PutLinkPath(cui::appdata::kCurrentObj);
      ASSERT_EQ(S_OK, recorder.Connect(mks, DIID__IMksCtlEvents));
      console = ControlWindow(host);
      ASSERT_TRUE(console);
      Drain();
   }
   void TearDown() override
   {
      recorder.Disconnect();
      mks = nullptr;
      DestroyWindow(parent);
      db = nullptr;
   }

   // How many pixels of the console differ from its plain background, of how many.
   std::pair<int, int> Drawn()
   {
      RedrawWindow(console, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      RECT rc;
      GetClientRect(console, &rc);
      BITMAPINFO info = {};
      info.bmiHeader.biSize = sizeof(info.bmiHeader);
      info.bmiHeader.biWidth = rc.right;
      info.bmiHeader.biHeight = -rc.bottom;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      void *bits = nullptr;
      HDC dc = GetDC(console);
      HDC mem = CreateCompatibleDC(dc);
      HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
      HGDIOBJ old = SelectObject(mem, bitmap);
      BitBlt(mem, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
      GdiFlush();
      const DWORD *pixels = static_cast<const DWORD *>(bits);
      int total = rc.right * rc.bottom, drawn = 0;
      for (int i = 0; i < total; i++) {
         drawn += (pixels[i] & 0xffffff) != 0x404040;
      }
      SelectObject(mem, old);
      DeleteObject(bitmap);
      DeleteDC(mem);
      ReleaseDC(console, dc);
      return {drawn, total};
   }
   std::vector<long> GrabEvents()
   {
      std::vector<long> out;
      for (const EventRecorder::Event &e : recorder.events) {
         if (e.dispid == tremappsdk::kMksGrab) {
            out.push_back(static_cast<bool>(e.args.at(0)) ? 1 : 0);
         }
      }
      return out;
   }

   IVmdbDatabasePtr db;
   IVmdbContextPtr ctx;
   std::wstring vm, home, xp;
   HWND parent = nullptr, host = nullptr, console = nullptr;
   IMksCtlPtr mks;
   EventRecorder recorder;
};

TEST_F(ControlsMks, RunningMachineGetsAGuestScreenAndAStoppedOneAPlainNotice)
{
   EXPECT_EQ(vm, std::wstring(mks->GetVMPath()));
   EXPECT_EQ(800, mks->GetGuestWidth());
   EXPECT_EQ(600, mks->GetGuestHeight());
   std::pair<int, int> running = Drawn();
   EXPECT_GT(running.first, running.second * 9 / 10);

   ctx->WriteValue((vm + L"vmx/execState/val").c_str(), _variant_t(L"poweredOff"));
   Drain();
   // A notice on the plain background.
   std::pair<int, int> stopped = Drawn();
   EXPECT_GT(stopped.first, 100);
   EXPECT_LT(stopped.first, stopped.second / 10);

   // The home tab has no machine: the console shows nothing but its background.
   SetCurrent(ctx, home);
   Drain();
   EXPECT_EQ(L"", std::wstring(mks->GetVMPath()));
   EXPECT_EQ(0, Drawn().first);

   EXPECT_EQ(0, mks->GetReservedWidth());
   EXPECT_EQ(0, mks->GetReservedHeight());
}

TEST_F(ControlsMks, ClickGrabsCtrlAltAndTheReleaseOperationLetGo)
{
   Click(console, WM_LBUTTONDOWN, WM_LBUTTONUP, 320, 240);
   EXPECT_EQ(VARIANT_TRUE, mks->GetGrabbed());
   mks->ReleaseInput();
   EXPECT_EQ(VARIANT_FALSE, mks->GetGrabbed());
   // Releasing twice tells nothing new.
   mks->ReleaseInput();
   EXPECT_EQ((std::vector<long>{1, 0}), GrabEvents());

   // No grab while the container shows a machine message.
   mks->PutMessageActive(VARIANT_TRUE);
   Click(console, WM_LBUTTONDOWN, WM_LBUTTONUP, 320, 240);
   EXPECT_EQ(VARIANT_FALSE, mks->GetGrabbed());
   mks->PutMessageActive(VARIANT_FALSE);
   EXPECT_EQ(VARIANT_FALSE, mks->GetMessageActive());

   // A stopped machine cannot be grabbed; stopping a grabbed one lets go.
   Click(console, WM_LBUTTONDOWN, WM_LBUTTONUP, 320, 240);
   EXPECT_EQ(VARIANT_TRUE, mks->GetGrabbed());
   ctx->WriteValue((vm + L"vmx/execState/val").c_str(), _variant_t(L"suspended"));
   Drain();
   EXPECT_EQ(VARIANT_FALSE, mks->GetGrabbed());
   Click(console, WM_LBUTTONDOWN, WM_LBUTTONUP, 320, 240);
   EXPECT_EQ(VARIANT_FALSE, mks->GetGrabbed());
   EXPECT_EQ((std::vector<long>{1, 0, 1, 0}), GrabEvents());
}

TEST_F(ControlsMks, RightClickAsksForTheMachineMenuAndQuestionsAreAnswered)
{
   Click(console, WM_RBUTTONDOWN, WM_RBUTTONUP, 100, 50);
   ASSERT_EQ(1u, recorder.events.size());
   const EventRecorder::Event &menu = recorder.events[0];
   EXPECT_EQ(tremappsdk::kMksContextMenu, menu.dispid);
   POINT screen = {100, 50};
   ClientToScreen(console, &screen);
   EXPECT_EQ(screen.x, static_cast<long>(menu.args.at(0)));
   EXPECT_EQ(screen.y, static_cast<long>(menu.args.at(1)));
   EXPECT_EQ(L"C:\\vms\\xp\\xp.vmx", Text(menu.args.at(2)));
   EXPECT_EQ(8, static_cast<long>(menu.args.at(3)));

   recorder.events.clear();
   recorder.answer = 1;
   std::wstring question = vm + L"mks/question/";
   ctx->WriteValue((question + L"buttonSet").c_str(), _variant_t(L"yesNo"));
   ctx->WriteValue((question + L"text").c_str(), _variant_t(L"The CD-ROM door is locked. Unlock it?"));
   Drain();
   ASSERT_EQ(1u, recorder.events.size());
   const EventRecorder::Event &ask = recorder.events[0];
   EXPECT_EQ(tremappsdk::kMksMessage, ask.dispid);
   ASSERT_EQ(8u, ask.args.size());
   EXPECT_EQ(L"The CD-ROM door is locked. Unlock it?", Text(ask.args[0]));
   EXPECT_EQ(L"yesNo", Text(ask.args[1]));
   EXPECT_EQ(L"info", Text(ask.args[2]));
   EXPECT_EQ(L"1", Text(ctx->ReadValue((question + L"answer").c_str())));
   // Asked once only, however often the machine's nodes change.
   ctx->WriteValue((vm + L"mks/guestWidth").c_str(), _variant_t(L"1024"));
   ctx->WriteValue((vm + L"mks/guestHeight").c_str(), _variant_t(L"768"));
   Drain();
   size_t asked = 0, relayouts = 0;
   for (const EventRecorder::Event &e : recorder.events) {
      asked += e.dispid == tremappsdk::kMksMessage;
      relayouts += e.dispid == tremappsdk::kMksRelayout;
   }
   EXPECT_EQ(1u, asked);
   EXPECT_GE(relayouts, 1u);
   EXPECT_EQ(1024, mks->GetGuestWidth());
   EXPECT_EQ(768, mks->GetGuestHeight());

   mks->PutMessageText(L"Connecting...");
   EXPECT_EQ(L"Connecting...", std::wstring(mks->GetMessageText()));
}

}  // namespace

namespace {

// Percent of the pixels of a drawn guest screen that are black.
int BlackShare(DWORD uptimeMs)
{
   HDC screen = GetDC(nullptr);
   HDC dc = CreateCompatibleDC(screen);
   HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 300);
   ReleaseDC(nullptr, screen);
   HGDIOBJ old = SelectObject(dc, bitmap);
   tremappsdk::GuestInfo info;
   info.name = L"Windows XP";
   info.guestOS = L"Windows XP";
   info.guestId = L"winxp";
   info.memoryMB = 256;
   tremappsdk::GuestScreen::Draw(dc, RECT{0, 0, 400, 300}, info, uptimeMs);
   int black = 0, points = 0;
   for (int y = 0; y < 300; y += 5) {
      for (int x = 0; x < 400; x += 5) {
         points++;
         black += GetPixel(dc, x, y) == RGB(0, 0, 0);
      }
   }
   SelectObject(dc, old);
   DeleteObject(bitmap);
   DeleteDC(dc);
   return black * 100 / points;
}

TEST(ControlsGuestScreen, StartsWithATextScreenThenShowsADesktop)
{
   EXPECT_GT(BlackShare(500), 80);
   EXPECT_LT(BlackShare(tremappsdk::GuestScreen::kBootMs + 60000), 5);
}

}  // namespace

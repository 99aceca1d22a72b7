// The dialog factory and its windows, driven through their messages as the user would.
#include "WindowText.h"
#include "zoltDlgKinds.h"
#include "zoltDlgMgr.h"

#include "zoltMonitors.h"

#include "atl/Atl.h"
#include "res/resource.h"
#include "tremorybase/Log.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

void Pump()
{
   MSG msg;
   while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
   }
}

using testsupport::TextOf;

void Press(HWND dlg, int id)
{
   SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
   Pump();
}

class DlgWindows : public ::testing::Test {
protected:
   void SetUp() override
   {
      if (!_Module.GetResourceInstance()) {
         _Module.Init(nullptr, GetModuleHandleA(nullptr));
      }
      owner_ = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 100, 100, 600, 400, nullptr, nullptr,
                               nullptr, nullptr);
      mgr_.SetDefaultOwner(owner_);
      mgr_.SetDefaultTitle(std::string("Tremory Deskmoor"));
      mgr_.SetModalStateSlot([this](bool up) { (up ? ups_ : downs_)++; });
   }
   void TearDown() override
   {
      Pump();
      DestroyWindow(owner_);
   }

   HWND owner_ = nullptr;
   DlgMgr mgr_;
   int ups_ = 0;
   int downs_ = 0;
};

TEST_F(DlgWindows, TitlesFollowTheTitleRule)
{
   cui::DlgInfo *plain = mgr_.NewInfo("hello", "");
   cui::DlgInfo *titled = mgr_.NewInfo("hello", "Copy");
   cui::DlgPassword *password = mgr_.NewPassword("secret?");
   cui::DlgProgress *progress = mgr_.NewProgress("working");
   ASSERT_TRUE(plain && titled && password && progress);
   EXPECT_EQ(TextOf(plain->GetDlgWindow()), "Tremory Deskmoor");
   EXPECT_EQ(TextOf(titled->GetDlgWindow()), "Copy - Tremory Deskmoor");
   EXPECT_EQ(TextOf(password->GetDlgWindow()), "Tremory Deskmoor");
   EXPECT_EQ(TextOf(progress->GetDlgWindow()), "Tremory Deskmoor");
   EXPECT_EQ(mgr_.FormatTitle("Copy"), "Copy - Tremory Deskmoor");
   EXPECT_EQ(TextOf(GetDlgItem(plain->GetDlgWindow(), IDC_VMDLG_TEXT)), "hello");
   for (cui::Dlg *dlg : std::vector<cui::Dlg *>{plain, titled, password, progress}) {
      dlg->DeleteDlg();
   }
   Pump();
   EXPECT_EQ(mgr_.GetDlgCount(), 0u);
}

TEST_F(DlgWindows, OwnerStaysDisabledUntilTheLastDialogCloses)
{
   cui::DlgInfo *first = mgr_.NewInfo("one", "");
   ASSERT_NE(DlgMgr::GetMsgHook(), nullptr);
   HHOOK hook = DlgMgr::GetMsgHook();
   cui::DlgWarning *second = mgr_.NewWarning("two", "");
   EXPECT_EQ(DlgMgr::GetMsgHook(), hook) << "one hook for all dialogs";
   EXPECT_EQ(GetWindow(first->GetDlgWindow(), GW_OWNER), owner_);
   EXPECT_FALSE(IsWindowEnabled(owner_));

   Press(first->GetDlgWindow(), IDC_VMDLG_FIRST);  // nobody answers: the dialog goes
   EXPECT_EQ(mgr_.GetDlgCount(), 1u);
   EXPECT_FALSE(IsWindowEnabled(owner_)) << "another dialog of the owner is still up";
   EXPECT_EQ(DlgMgr::GetMsgHook(), hook);

   SendMessageA(second->GetDlgWindow(), WM_CLOSE, 0, 0);  // the close box answers OK
   Pump();
   EXPECT_EQ(mgr_.GetDlgCount(), 0u);
   EXPECT_TRUE(IsWindowEnabled(owner_));
   EXPECT_EQ(DlgMgr::GetMsgHook(), nullptr);
   EXPECT_EQ(ups_, 2);
   EXPECT_EQ(downs_, 2);
}

TEST_F(DlgWindows, OwnerChangesOnlyMoveLaterDialogsAndTheRestoreSlotPutsItBack)
{
   sigc::slot<void> restore;
   mgr_.GetRestoreOwnerSlot(restore);
   cui::DlgInfo *before = mgr_.NewInfo("before", "");
   HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                nullptr, nullptr);
   mgr_.SetDefaultOwner(other);
   cui::DlgInfo *after = mgr_.NewInfo("after", "");
   EXPECT_EQ(GetWindow(before->GetDlgWindow(), GW_OWNER), owner_);
   EXPECT_EQ(GetWindow(after->GetDlgWindow(), GW_OWNER), other);
   restore();
   EXPECT_EQ(mgr_.GetDefaultOwner(), owner_);
   before->DeleteDlg();
   after->DeleteDlg();
   Pump();
   DestroyWindow(other);
}

TEST_F(DlgWindows, CustomQuestionAnswersTheCheckedChoiceOrTheCancelChoice)
{
   int answers = 0;
   int last = -1;
   auto connect = [&](cui::DlgQuestion *q) {
      q->cui::DlgChoice::ConnectReply([&](int choice) {
         ++answers;
         last = choice;
         return cui::Dlg::DESTROY;
      });
   };
   cui::DlgQuestion *q = mgr_.NewQuestion("Keep or replace?", {"Keep", "Replace", "Cancel"}, 2, -1, "",
                                          cui::DlgQuestion::ICON_QUESTION);
   connect(q);
   HWND dlg = q->GetDlgWindow();
   EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, IDC_VMDLG_CHOICE_FIRST)));
   EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, IDC_VMDLG_CHOICE_FIRST + 1)));
   EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, IDC_VMDLG_CHOICE_FIRST + 2)));
   EXPECT_EQ(TextOf(GetDlgItem(dlg, IDC_VMDLG_CHOICE_FIRST + 1)), "Replace");
   EXPECT_EQ(TextOf(GetDlgItem(dlg, IDC_VMDLG_SECOND)), "Cancel");
   EXPECT_NE(SendDlgItemMessageA(dlg, IDC_VMDLG_ICON, STM_GETIMAGE, IMAGE_ICON, 0), 0);
   SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);  // Escape
   Pump();
   EXPECT_EQ(answers, 1);
   EXPECT_EQ(last, 2);

   q = mgr_.NewQuestion("Pick", {"", "A", "B", "C"}, -1, 2, "", cui::DlgQuestion::ICON_ERROR);
   connect(q);
   dlg = q->GetDlgWindow();
   EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_VMDLG_CHOICE_FIRST + 1, BM_GETCHECK, 0, 0), BST_CHECKED)
      << "the default answer's choice is checked, found by its answer, not its place";
   HMENU menu = GetSystemMenu(dlg, FALSE);
   EXPECT_EQ(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1)) << "no close box";
   SendMessageA(dlg, WM_CLOSE, 0, 0);
   Pump();
   EXPECT_EQ(answers, 1) << "without a cancel choice closing does nothing";
   SendDlgItemMessageA(dlg, IDC_VMDLG_CHOICE_FIRST + 1, BM_SETCHECK, BST_UNCHECKED, 0);
   SendDlgItemMessageA(dlg, IDC_VMDLG_CHOICE_FIRST + 2, BM_SETCHECK, BST_CHECKED, 0);
   Press(dlg, IDC_VMDLG_FIRST);
   EXPECT_EQ(answers, 2);
   EXPECT_EQ(last, 3);

   q = mgr_.NewQuestion("Sure?", {"_Yes", "_No"}, 1, 0, "", cui::DlgQuestion::ICON_QUESTION);
   connect(q);
   dlg = q->GetDlgWindow();
   EXPECT_EQ(TextOf(GetDlgItem(dlg, IDC_VMDLG_FIRST)), "&Yes");
   EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, IDC_VMDLG_CHOICE_FIRST)));
   Press(dlg, IDC_VMDLG_SECOND);
   EXPECT_EQ(last, 1);
   EXPECT_EQ(mgr_.GetDlgCount(), 0u);
}

TEST_F(DlgWindows, RepliesEnableKeepDisabledOrDestroy)
{
   std::vector<cui::Dlg::RepliedAction> script = {cui::Dlg::ENABLE, cui::Dlg::KEEP_DISABLED};
   int replies = 0;
   cui::DlgHint *hint = mgr_.NewHint("a hint", "");
   hint->cui::Dlg::ConnectReply([&]() { return script[replies++]; });
   HWND dlg = hint->GetDlgWindow();
   EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, IDC_VMDLG_CHECK)));
   EXPECT_FALSE(hint->IsSuppressed());
   SendDlgItemMessageA(dlg, IDC_VMDLG_CHECK, BM_SETCHECK, BST_CHECKED, 0);
   EXPECT_TRUE(hint->IsSuppressed());

   Press(dlg, IDC_VMDLG_FIRST);
   EXPECT_EQ(replies, 1);
   EXPECT_TRUE(IsWindowEnabled(dlg));
   Press(dlg, IDC_VMDLG_FIRST);
   EXPECT_EQ(replies, 2);
   EXPECT_TRUE(IsWindowVisible(dlg));
   EXPECT_FALSE(IsWindowEnabled(dlg));
   Press(dlg, IDC_VMDLG_FIRST);
   EXPECT_EQ(replies, 2) << "a press on a greyed dialog is ignored";
   hint->DeleteDlg();
   Pump();
   EXPECT_FALSE(IsWindow(dlg));
}

TEST_F(DlgWindows, ADialogDeletedWhileItAnswersIsNotTouchedAgain)
{
   cui::DlgError *error = mgr_.NewError("failed", "");
   error->ConnectReply([error]() {
      error->DeleteDlg();
      return cui::Dlg::DESTROY;
   });
   Press(error->GetDlgWindow(), IDC_VMDLG_FIRST);
   EXPECT_EQ(mgr_.GetDlgCount(), 0u);

   cui::DlgProgress *progress = mgr_.NewProgress("copying");
   HWND dlg = progress->GetDlgWindow();
   EXPECT_FALSE(GetWindowLongA(dlg, GWL_STYLE) & WS_SYSMENU) << "no close box on a progress window";
   EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, IDCANCEL)));
   progress->SetCancelable(true);
   EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, IDCANCEL)));
   progress->SetText("copying");
   EXPECT_EQ(TextOf(GetDlgItem(dlg, IDC_PROGRESS_TEXT)), "copying");
   progress->SetProgress(40);
   EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_PROGRESS_BAR, PBM_GETPOS, 0, 0), 40);
   progress->ConnectReply([progress]() {
      progress->DeleteDlg();
      return cui::Dlg::DESTROY;
   });
   Press(dlg, IDCANCEL);
   EXPECT_FALSE(IsWindow(dlg));
   EXPECT_EQ(mgr_.GetDlgCount(), 0u);
}

TEST_F(DlgWindows, AWindowTheClosingDialogOwnedPassesToItsOwner)
{
   cui::DlgInfo *info = mgr_.NewInfo("parent", "");
   HWND dlg = info->GetDlgWindow();
   HWND child = CreateWindowExA(0, "STATIC", "owned", WS_POPUP, 0, 0, 20, 20, dlg, nullptr, nullptr, nullptr);
   info->DeleteDlg();
   Pump();
   ASSERT_TRUE(IsWindow(child));
   EXPECT_EQ(GetWindow(child, GW_OWNER), owner_);
   EXPECT_TRUE(IsWindowEnabled(owner_)) << "an owned plain window is no dialog of the owner";
   DestroyWindow(child);
}

TEST_F(DlgWindows, KeysTakenByTheActiveDialogReachTheLoopAsNullMessages)
{
   int last = -1;
   cui::DlgQuestion *q = mgr_.NewQuestion("Keep?", {"Keep", "Replace", "Cancel"}, 2, 0, "",
                                          cui::DlgQuestion::ICON_QUESTION);
   q->cui::DlgChoice::ConnectReply([&](int choice) {
      last = choice;
      return cui::Dlg::DESTROY;
   });
   HWND dlg = q->GetDlgWindow();
   SetActiveWindow(dlg);
   ASSERT_EQ(GetActiveWindow(), dlg);

   PostMessageA(GetDlgItem(dlg, IDC_VMDLG_CHOICE_FIRST), WM_MOUSEMOVE, 0, 0);
   MSG msg = {};
   ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
   EXPECT_EQ(msg.message, static_cast<UINT>(WM_MOUSEMOVE)) << "other messages arrive unchanged";

   PostMessageA(GetDlgItem(dlg, IDC_VMDLG_CHOICE_FIRST), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
   ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
   EXPECT_EQ(msg.message, static_cast<UINT>(WM_NULL)) << "the dialog handled the key already";
   Pump();
   EXPECT_EQ(last, 2) << "Escape answered the cancel choice";
}

TEST_F(DlgWindows, AMessageTallerThanTheWorkAreaIsClampedAndScrolls)
{
   std::string text;
   for (int i = 0; i < 300; ++i) {
      text += "Line " + std::to_string(i) + "\n";
   }
   cui::DlgWarning *warning = mgr_.NewWarning(text, "");
   HWND dlg = warning->GetDlgWindow();
   RECT window;
   GetWindowRect(dlg, &window);
   RECT work;
   SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
   EXPECT_LE(window.bottom - window.top, work.bottom - work.top);
   EXPECT_GE(window.top, work.top);
   HWND message = GetDlgItem(dlg, IDC_VMDLG_TEXT);
   EXPECT_TRUE(GetWindowLongA(message, GWL_STYLE) & WS_VSCROLL) << "the text scrolls instead";
   RECT button;
   GetWindowRect(GetDlgItem(dlg, IDC_VMDLG_FIRST), &button);
   EXPECT_LE(button.bottom, window.bottom) << "the OK button stays on the dialog";
   warning->DeleteDlg();
   Pump();
}

// Two monitors side by side on the one virtual screen, each with a strip taken off its work area.
std::vector<MonitorArea> TwoMonitors()
{
   return {MonitorArea{{0, 0, 640, 1024}, {0, 0, 640, 990}},
           MonitorArea{{640, 0, 1280, 1024}, {640, 60, 1280, 1024}}};
}

class MonitorSourceSwap {
public:
   explicit MonitorSourceSwap(MonitorSource source) : previous_(SetMonitorSource(source)) {}
   ~MonitorSourceSwap() { SetMonitorSource(previous_); }

private:
   MonitorSource previous_;
};

TEST(Monitors, TheNearestIsTheMostOverlappedElseTheClosest)
{
   const std::vector<MonitorArea> two = TwoMonitors();
   MonitorArea found = {};
   ASSERT_TRUE(FindNearestMonitor(two, RECT{600, 10, 800, 100}, found));
   EXPECT_EQ(found.monitor.left, 640) << "more of it lies on the right monitor";
   ASSERT_TRUE(FindNearestMonitor(two, RECT{-300, 10, -100, 100}, found));
   EXPECT_EQ(found.monitor.left, 0) << "off every screen: the closest";
   ASSERT_TRUE(FindNearestMonitor(two, RECT{2000, 10, 2100, 100}, found));
   EXPECT_EQ(found.monitor.left, 640);
   EXPECT_FALSE(FindNearestMonitor({}, RECT{0, 0, 10, 10}, found));
   EXPECT_FALSE(GetMonitors().empty()) << "Windows reports at least one";
}

TEST_F(DlgWindows, ADialogIsCentredOnItsOwnerWithinTheOwnersMonitor)
{
   MonitorSourceSwap swap(TwoMonitors);
   // The owner stands at the left edge and the top of the right monitor.
   MoveWindow(owner_, 650, 0, 200, 100, TRUE);
   cui::DlgInfo *info = mgr_.NewInfo("Centred where the owner is.", "");
   HWND dlg = info->GetDlgWindow();
   RECT rect;
   GetWindowRect(dlg, &rect);
   const int width = rect.right - rect.left;
   ASSERT_GT(width, 200) << "wider than its owner, so it must be pushed back onto the monitor";
   EXPECT_EQ(rect.left, 640) << "kept inside the owner's monitor, not the whole screen";
   EXPECT_EQ(rect.top, 60) << "below the strip taken off that monitor's work area";

   // An owner in the middle of the left monitor: centred on it exactly.
   MoveWindow(owner_, 100, 300, 400, 300, TRUE);
   cui::DlgInfo *centred = mgr_.NewInfo("Centred.", "");
   RECT second;
   GetWindowRect(centred->GetDlgWindow(), &second);
   EXPECT_EQ((second.left + second.right) / 2, 300);
   EXPECT_NEAR((second.top + second.bottom) / 2, 450, 1);
   cui::DlgProgress *progress = mgr_.NewProgress("Copying");
   RECT third;
   GetWindowRect(progress->GetDlgWindow(), &third);
   EXPECT_EQ((third.left + third.right) / 2, 300) << "the progress window too";
   info->DeleteDlg();
   centred->DeleteDlg();
   progress->DeleteDlg();
   Pump();
}

[[noreturn]] void ThrowingPanic(const char *text)
{
   throw std::runtime_error(text);
}

TEST(DlgMgrPanics, KindsTheProgramDoesNotBuildStopWithTheirSourceLine)
{
   Panic_SetHandler(ThrowingPanic);
   DlgMgr mgr;
   auto panicText = [](const std::function<void()> &call) {
      try {
         call();
      } catch (const std::runtime_error &e) {
         return std::string(e.what());
      }
      return std::string("no panic");
   };
   EXPECT_EQ(panicText([&] { mgr.NewActivate(cui::DlgActivate::Type(), "", ""); }), "NOT_IMPLEMENTED zoltDlgMgr:285\n");
   EXPECT_EQ(panicText([&] { mgr.NewAuthenticate(0, "", ""); }), "NOT_IMPLEMENTED zoltDlgMgr:311\n");
   EXPECT_EQ(panicText([&] { mgr.NewChangePassword(""); }), "NOT_IMPLEMENTED zoltDlgMgr:335\n");
   EXPECT_EQ(panicText([&] { mgr.NewConnectTo("", ""); }), "NOT_IMPLEMENTED zoltDlgMgr:360\n");
   EXPECT_EQ(panicText([&] { mgr.NewCloseRoamingVM(true); }), "NOT_IMPLEMENTED zoltDlgMgr:441\n");
   EXPECT_FALSE(mgr.Implements(cui::DlgMgr::SLOT_ACTIVATE)) << "the library shows its own window instead";
   EXPECT_TRUE(mgr.Implements(cui::DlgMgr::SLOT_PROGRESS));
   EXPECT_EQ(mgr.GetDlgCount(), 0u);
   Panic_SetHandler(nullptr);
}

TEST(DlgMgrLifetime, DestructorEndsEvenWhenADialogNoLongerAnnouncesItsEnd)
{
   if (!_Module.GetResourceInstance()) {
      _Module.Init(nullptr, GetModuleHandleA(nullptr));
   }
   auto *mgr = new DlgMgr;
   cui::DlgInfo *a = mgr->NewInfo("a", "");
   mgr->NewInfo("b", "");
   a->destroyed.clear();
   delete mgr;
   Pump();
   EXPECT_EQ(DlgMgr::GetMsgHook(), nullptr);
}

TEST(DlgFileBrowserFilters, AllFilesIsAppendedAndMinusOnePicksTheLastGiven)
{
   cui::DlgFileBrowser::FilterList filters = {{"Machines", {"*.vmx"}}, {"Teams", {"*.vmtm", "*.vmt"}}};
   DlgFileBrowser browser("Open", "", filters, -1, "", nullptr);
   ASSERT_EQ(browser.GetFilters().size(), 3u);
   EXPECT_EQ(browser.GetFilterIndex(), 2) << "one-based: Teams";
   const std::string text = browser.BuildFilterText();
   const std::string expected = std::string("Machines\0*.vmx\0Teams\0*.vmtm;*.vmt\0All files\0*.*\0\0", 49);
   EXPECT_EQ(text, expected);
}

VOID CALLBACK CancelOpenBox(HWND, UINT, UINT_PTR id, DWORD)
{
   HWND box = FindWindowA("#32770", "Pick a machine");
   if (box) {
      PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
      KillTimer(nullptr, id);
   }
}

TEST(DlgFileBrowserRun, ACancelledChoiceAnswersNoPath)
{
   auto *browser = new DlgFileBrowser("Pick a machine", "a.vmx", {}, -1, "", nullptr);
   bool cancelled = false;
   std::string path = "unset";
   browser->ConnectReply([&](bool c, std::string p) {
      cancelled = c;
      path = p;
      return cui::Dlg::DESTROY;
   });
   UINT_PTR timer = SetTimer(nullptr, 0, 100, CancelOpenBox);
   browser->Run();  // deletes itself on DESTROY
   KillTimer(nullptr, timer);
   EXPECT_TRUE(cancelled);
   EXPECT_EQ(path, "") << "never the box's title";
}

}  // namespace

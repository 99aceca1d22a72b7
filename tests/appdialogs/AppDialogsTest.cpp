// The application's message box, its modal state, the error boxes and the report of a file that
// cannot be opened, on an application object built in-process. The log goes to a file of the
// test's own, so the lines the program writes can be read back.
#include "WindowText.h"
#include "zoltApp.h"
#include "zoltDlgMgr.h"
#include "zoltFrame.h"
#include "zoltGuard.h"
#include "zoltResources.h"

#include "atl/Atl.h"
#include "res/resource.h"
#include "tremapputil/TremAppUtil.h"
#include "tremorybase/Base.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"
#include "vmdb/ClientClasses.h"
#include "vmdb/Classes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace {

std::string gLogFile;

std::string ReadLog()
{
   std::ifstream in(gLogFile, std::ios::binary);
   std::stringstream text;
   text << in.rdbuf();
   return text.str();
}

size_t CountOf(const std::string &text, const std::string &part)
{
   size_t count = 0;
   for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) {
      ++count;
   }
   return count;
}

void Pump()
{
   MSG msg;
   while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
   }
}

using testsupport::TextOf;
using testsupport::WideTextOf;

// What a message box looked like when it came up, and the button that answers it.
struct SeenBox {
   bool seen = false;
   HWND owner = nullptr;
   std::string caption;
   std::string text;
   std::wstring wideText;
   int modalDepth = -1;
};
SeenBox gSeen;
int gAnswer = IDOK;
HHOOK gCbtHook = nullptr;

LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam)
{
   if (code == HCBT_ACTIVATE) {
      HWND box = reinterpret_cast<HWND>(wParam);
      char cls[16] = "";
      GetClassNameA(box, cls, sizeof cls);
      if (lstrcmpA(cls, "#32770") == 0 && !gSeen.seen) {
         gSeen.seen = true;
         gSeen.owner = GetWindow(box, GW_OWNER);
         gSeen.caption = TextOf(box);
         gSeen.text = TextOf(GetDlgItem(box, 0xFFFF));
         gSeen.wideText = WideTextOf(GetDlgItem(box, 0xFFFF));
         gSeen.modalDepth = TremAppUtil_GetModalDepth();
         PostMessageA(box, WM_COMMAND, MAKEWPARAM(gAnswer, BN_CLICKED), 0);
      }
   }
   return CallNextHookEx(gCbtHook, code, wParam, lParam);
}

// The process's base library, log, poll loop, COM and database classes, once.
void StartProcess()
{
   static bool started = false;
   if (started) {
      return;
   }
   started = true;
   char temp[MAX_PATH] = "";
   GetTempPathA(MAX_PATH, temp);
   gLogFile = std::string(temp) + "zolt-appdialogs-" + std::to_string(GetCurrentProcessId()) + ".log";
   Config_Set("ui.log.filename", gLogFile.c_str());
   Base_Init();
   Log_Start("appdialogs", "ui.log.filename", "");
   Base_InitPoll(nullptr, nullptr, nullptr);
   _Module.Init(nullptr, GetModuleHandleA(nullptr));
   CoInitialize(nullptr);
   vmdb::RegisterClasses();
   vmdb::RegisterClientClasses();
   Base_InitComplete();
}

class AppDialogs : public ::testing::Test {
protected:
   static void SetUpTestSuite() { StartProcess(); }

   void SetUp() override
   {
      Config_Set("test.vmmsg.answer", "0");
      Config_Set("test.comFailure.silent", "true");
      static int count = 0;
      CommandLineOptions options;
      options.databaseName = "appdialogs-" + std::to_string(++count);
      options.forceDeskmoorMode = true;
      app_ = new CZOLTApp(options);
      gApp = app_;
      depth_ = TremAppUtil_GetModalDepth();
      gSeen = SeenBox();
      gCbtHook = SetWindowsHookExA(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
   }

   void TearDown() override
   {
      UnhookWindowsHookEx(gCbtHook);
      gCbtHook = nullptr;
      Pump();
      delete app_;
      app_ = nullptr;
      gApp = nullptr;
      Poll_Reset();
      Config_Set("test.vmmsg.answer", "");
   }

   // The log written since the test began.
   std::string NewLog() const { return ReadLog().substr(logStart_); }

   CZOLTApp *app_ = nullptr;
   int depth_ = 0;
   size_t logStart_ = ReadLog().size();
};

TEST_F(AppDialogs, MessageBoxWithoutAFrameWindowHasNoOwnerAndLowersTheModalStateAfterwards)
{
   gAnswer = IDNO;
   EXPECT_EQ(app_->MessageBox("Delete the machine?", MB_YESNO), IDNO) << "the button pressed";
   ASSERT_TRUE(gSeen.seen);
   EXPECT_EQ(gSeen.owner, nullptr) << "the frame has no window yet";
   EXPECT_EQ(gSeen.text, "Delete the machine?");
   EXPECT_EQ(gSeen.caption, app_->GetWindowTitle());
   EXPECT_EQ(gSeen.modalDepth, depth_ + 1) << "the modal state is up while the box is";
   EXPECT_EQ(TremAppUtil_GetModalDepth(), depth_) << "and goes with it";
}

TEST_F(AppDialogs, MessageBoxIsOwnedByTheFrameOnceItHasAWindowAndResourceTextsAreLoaded)
{
   HWND frame = app_->GetFrame()->CreateFrame("Tremory Deskmoor");
   ASSERT_TRUE(frame);
   gAnswer = IDOK;
   EXPECT_EQ(app_->MessageBoxRes(IDS_NO_PERMISSION, MB_OK), IDOK);
   ASSERT_TRUE(gSeen.seen);
   EXPECT_EQ(gSeen.owner, frame);
   EXPECT_EQ(gSeen.text, LoadResString(IDS_NO_PERMISSION));
   EXPECT_FALSE(gSeen.text.empty());
   EXPECT_EQ(TremAppUtil_GetModalDepth(), depth_);

   // A frame whose window is gone owns nothing.
   DestroyWindow(frame);
   gSeen = SeenBox();
   EXPECT_EQ(app_->MessageBox("Again?", MB_OK), IDOK);
   EXPECT_EQ(gSeen.owner, nullptr);
   EXPECT_EQ(TremAppUtil_GetModalDepth(), depth_);
}

TEST_F(AppDialogs, BeginModalRaisesNowAndItsRestoreSlotLowersOnEveryWayOut)
{
   {
      sigc::slot<void> restore;
      restore.block();
      app_->BeginModal(restore);
      EXPECT_EQ(TremAppUtil_GetModalDepth(), depth_ + 1);
      EXPECT_FALSE(restore.blocked()) << "the caller's slot is unblocked";
      // The slot keeps what it needs: a copy runs after the original is gone.
      sigc::slot<void> copy = restore;
      restore = sigc::slot<void>();
      Guard(copy);
      EXPECT_EQ(TremAppUtil_GetModalDepth(), depth_);
   }
   {
      // The restore slot runs through Guard after a step that failed: still lowered.
      sigc::slot<void> restore;
      app_->BeginModal(restore);
      try {
         throw std::runtime_error("the wizard failed");
      } catch (const std::exception &) {
         Guard(restore);
      }
      EXPECT_EQ(TremAppUtil_GetModalDepth(), depth_);
   }
   {
      // A dialog manager's restore slot and BeginModal's, taken together, both come back.
      HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
      DlgMgr *mgr = app_->GetDlgMgr();
      mgr->SetDefaultOwner(owner);
      sigc::slot<void> modal;
      sigc::slot<void> owning;
      app_->BeginModal(modal);
      mgr->GetRestoreOwnerSlot(owning);
      mgr->SetDefaultOwner(nullptr);
      Guard(modal);
      Guard(owning);
      EXPECT_EQ(mgr->GetDefaultOwner(), owner);
      EXPECT_EQ(TremAppUtil_GetModalDepth(), depth_);
      DestroyWindow(owner);
   }
}

// The visible message dialog of this thread, into *found.
BOOL CALLBACK FindMessageBox(HWND wnd, LPARAM found)
{
   if (GetDlgItem(wnd, IDC_VMDLG_TEXT) && IsWindowVisible(wnd)) {
      *reinterpret_cast<HWND *>(found) = wnd;
      return FALSE;
   }
   return TRUE;
}

TEST_F(AppDialogs, AFileThatCannotBeOpenedIsReportedThroughTheDialogFactory)
{
   DlgMgr *mgr = app_->GetDlgMgr();
   OnOpenFileDone(true, cui::Error("ignored"), "C:\\VMs\\a.txt");
   EXPECT_EQ(mgr->GetDlgCount(), 0u) << "a cancel says nothing";

   OnOpenFileDone(false, cui::Error("ignored"), "C:\\VMs\\a.txt");
   ASSERT_EQ(mgr->GetDlgCount(), 1u);
   EXPECT_EQ(TremAppUtil_GetModalDepth(), depth_ + 1);
   HWND box = nullptr;
   EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, reinterpret_cast<LPARAM>(&box));
   ASSERT_TRUE(box);
   EXPECT_EQ(TextOf(GetDlgItem(box, IDC_VMDLG_TEXT)), "Cannot open the file \"C:\\VMs\\a.txt\": its format is unknown.");
   EXPECT_TRUE(SendDlgItemMessageA(box, IDC_VMDLG_ICON, STM_GETIMAGE, IMAGE_ICON, 0)) << "the error icon";
   SendMessageA(box, WM_CLOSE, 0, 0);
   Pump();
   EXPECT_EQ(mgr->GetDlgCount(), 0u);
   EXPECT_EQ(TremAppUtil_GetModalDepth(), depth_);
}

TEST_F(AppDialogs, BoxesAndDialogFieldsShowAndReadTextsOutsideAscii)
{
   gAnswer = IDOK;
   EXPECT_EQ(app_->MessageBox(u8"\u0394\u03b9\u03b1\u03b3\u03c1\u03b1\u03c6\u03ae; \u0423\u0434\u0430\u043b\u0438\u0442\u044c?", MB_OK),
             IDOK);
   ASSERT_TRUE(gSeen.seen);
   EXPECT_EQ(gSeen.wideText, L"\u0394\u03b9\u03b1\u03b3\u03c1\u03b1\u03c6\u03ae; \u0423\u0434\u0430\u043b\u0438\u0442\u044c?");

   // The message dialog names the file as the user named it.
   OnOpenFileDone(false, cui::Error("ignored"), u8"C:\\M\u00e1quinas virtuales\\\u4eee\u60f3.txt");
   HWND box = nullptr;
   EnumThreadWindows(GetCurrentThreadId(), FindMessageBox, reinterpret_cast<LPARAM>(&box));
   ASSERT_TRUE(box);
   EXPECT_EQ(WideTextOf(GetDlgItem(box, IDC_VMDLG_TEXT)),
             L"Cannot open the file \"C:\\M\u00e1quinas virtuales\\\u4eee\u60f3.txt\": its format is unknown.");
   SendMessageW(box, WM_CLOSE, 0, 0);
   Pump();

   // What is typed into a password field is read back whole.
   cui::DlgPassword *password = app_->GetDlgMgr()->NewPassword("Password?");
   ASSERT_TRUE(password);
   HWND dialog = password->GetDlgWindow();
   SetDlgItemTextW(dialog, IDC_VMDLG_PASSWORD, L"p\u00e4ss \u03c9\u03c1\u03b1 \u5bc6\u7801 \U0001f511");
   SetDlgItemTextW(dialog, IDC_VMDLG_CONFIRM, L"\u041f\u0430\u0440\u043e\u043b\u044c");
   EXPECT_EQ(password->GetPassword(), u8"p\u00e4ss \u03c9\u03c1\u03b1 \u5bc6\u7801 \U0001f511");
   EXPECT_EQ(password->GetConfirmation(), u8"\u041f\u0430\u0440\u043e\u043b\u044c");
   password->DeleteDlg();
   Pump();
}

TEST_F(AppDialogs, ErrorBoxesAreLoggedThenShownThroughTheMessageObject)
{
   ReportError(_bstr_t("a.vmx"), IDS_OPEN_FILE_UNKNOWN_FORMAT, _bstr_t(""));
   ReportComError(_com_error(static_cast<HRESULT>(0x80040125)), -1, _bstr_t("ignored"));
   ReportComError(_com_error(static_cast<HRESULT>(0x80004005)), -1, _bstr_t(""));
   app_->GetContext()->WriteValue(L"/appdialogs/cmd/status/error/errMsg", _variant_t("The machine is locked."));
   ReportCommandError(_bstr_t("/appdialogs/cmd/op/#1/"), -1, _bstr_t(""));
   const std::string log = NewLog();
   const std::string unknown = "Cannot open the file \"a.vmx\": its format is unknown.";
   EXPECT_EQ(CountOf(log, "| " + unknown + "\n"), 1u) << log;
   EXPECT_EQ(CountOf(log, "VMMsg: error: " + app_->GetWindowTitle() + ": " + unknown + "\n"), 1u) << log;
   EXPECT_EQ(CountOf(log, "VMMsg: error: " + app_->GetWindowTitle() + ": " + LoadResString(IDS_NO_PERMISSION) + "\n"),
             1u)
      << "the no-permission code always shows its own text";
   EXPECT_EQ(CountOf(log, "Unknown error (0x80004005).\n"), 2u) << "a failed call shows its code (logged, then shown)";
   EXPECT_EQ(CountOf(log, "VMMsg: error: " + app_->GetWindowTitle() + ": The machine is locked.\n"), 1u)
      << "a failed command shows its own error text: " << log;
   EXPECT_EQ(CountOf(log, "VMMsg: error: "), 4u);
}

TEST(GuardLog, EachKindOfThrowIsLoggedOnceAndNothingElse)
{
   StartProcess();
   const size_t start = ReadLog().size();
   Guard([] { throw std::runtime_error("the slot broke"); });
   Guard([] { throw 7; });
   Guard([] {});
   const std::string log = ReadLog().substr(start);
   EXPECT_EQ(CountOf(log, "Guard: Uncaught exception: the slot broke\n"), 1u) << log;
   EXPECT_EQ(CountOf(log, "Guard: Uncaught exception.\n"), 1u) << log;
   EXPECT_EQ(CountOf(log, "\n"), 2u) << "nothing else: " << log;
}

}  // namespace

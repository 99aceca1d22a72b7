#include "cui/DlgMgr.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>

#include "LibDlgWindow.h"
#include "cui/Confirm.h"
#include "tremorybase/Text.h"

namespace {

using cuiutil::LibDlgWindow;

class ProgramInfo : public cui::DlgInfo {};

// A program's factory: it makes information boxes and declares nothing else; errors would end
// the process, as a factory's unimplemented operations do.
class ProgramDlgMgr : public cui::DlgMgr {
public:
   cui::DlgInfo *NewInfo(const std::string &text, const std::string &) override
   {
      infoTexts.push_back(text);
      return new ProgramInfo;
   }
   cui::DlgError *NewError(const std::string &text, const std::string &) override
   {
      ADD_FAILURE() << "the program's factory was asked for an error: " << text;
      return nullptr;
   }
   bool Implements(Slot slot) const override { return slot == SLOT_INFO; }

   std::vector<std::string> infoTexts;
};

struct Owner {
   HWND hwnd = CreateWindowExW(0, L"STATIC", L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                               nullptr, nullptr, nullptr);
   ~Owner() { DestroyWindow(hwnd); }
};

std::string WindowText(HWND window)
{
   wchar_t text[512] = L"";
   GetWindowTextW(window, text, 512);
   return Utf8FromWide(text);
}

std::string ItemText(HWND dlg, int id)
{
   return WindowText(GetDlgItem(dlg, id));
}

void SetItemText(HWND dlg, int id, const std::string &text)
{
   SetDlgItemTextW(dlg, id, WideFromUtf8(text).c_str());
}

void Click(HWND dlg, size_t button)
{
   SendMessageW(GetDlgItem(dlg, static_cast<int>(LibDlgWindow::kButtonBase + button)), BM_CLICK, 0, 0);
}

void PressEscape(HWND dlg)
{
   SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

HWND OnlyOwnWindow(const wui::DlgMgrImpl &mgr)
{
   std::vector<cui::Dlg *> own = mgr.GetOwnDlgs();
   return own.size() == 1 ? own[0]->GetDlgWindow() : nullptr;
}

}  // namespace

TEST(WuiDlgMgrImpl, ForwardsWhatTheProgramImplementsAndShowsItsOwnWindowForTheRest)
{
   Owner owner;
   ProgramDlgMgr program;
   wui::DlgMgrImpl mgr(&program);
   mgr.SetDefaultOwner(owner.hwnd);
   mgr.SetTitle("zolt");

   cui::DlgInfo *info = mgr.NewInfo("Machine A powered off.", "");
   ASSERT_NE(nullptr, info);
   EXPECT_NE(nullptr, dynamic_cast<ProgramInfo *>(info));
   EXPECT_EQ(&program, info->GetDlgMgr());
   EXPECT_EQ(std::vector<std::string>{"Machine A powered off."}, program.infoTexts);
   EXPECT_TRUE(mgr.GetOwnDlgs().empty());
   delete info;

   cui::DlgError *error = mgr.NewError("The disk is full.\nFree some space.", "");
   ASSERT_NE(nullptr, error);
   EXPECT_EQ(&mgr, error->GetDlgMgr());
   HWND dlg = OnlyOwnWindow(mgr);
   ASSERT_TRUE(IsWindow(dlg));
   EXPECT_EQ(owner.hwnd, GetWindow(dlg, GW_OWNER));
   EXPECT_FALSE(IsWindowEnabled(owner.hwnd));
   EXPECT_EQ("zolt", WindowText(dlg));
   EXPECT_EQ("The disk is full.\r\nFree some space.", ItemText(dlg, LibDlgWindow::kText));
   EXPECT_EQ("OK", ItemText(dlg, LibDlgWindow::kButtonBase));

   int replies = 0;
   error->ConnectReply([&replies]() {
      ++replies;
      return cui::Dlg::DESTROY;
   });
   Click(dlg, 0);
   EXPECT_EQ(1, replies);
   EXPECT_FALSE(IsWindow(dlg));
   EXPECT_TRUE(mgr.GetOwnDlgs().empty());
   EXPECT_TRUE(IsWindowEnabled(owner.hwnd));

   // A given title is used as it is.
   cui::DlgWarning *warning = mgr.NewWarning("Low memory.", "Machine A");
   ASSERT_NE(nullptr, warning);
   EXPECT_EQ("Machine A", WindowText(warning->GetDlgWindow()));
   warning->DeleteDlg();
   EXPECT_TRUE(mgr.GetOwnDlgs().empty());
   EXPECT_TRUE(IsWindowEnabled(owner.hwnd));
}

TEST(WuiDlgMgrImpl, OwnQuestionFollowsTheReplyProtocol)
{
   Owner owner;
   wui::DlgMgrImpl mgr(nullptr);
   mgr.SetDefaultOwner(owner.hwnd);
   cui::DlgQuestion *q =
      mgr.NewQuestion("Replace the file?", {"_Keep", "_Replace", "Cancel"}, 2, 0, "Files", cui::DlgQuestion::ICON_QUESTION);
   ASSERT_NE(nullptr, q);
   HWND dlg = q->GetDlgWindow();
   EXPECT_EQ("&Keep", ItemText(dlg, LibDlgWindow::kButtonBase));
   EXPECT_EQ("&Replace", ItemText(dlg, LibDlgWindow::kButtonBase + 1));
   EXPECT_EQ("Cancel", ItemText(dlg, LibDlgWindow::kButtonBase + 2));

   std::vector<int> choices;
   std::vector<cui::Dlg::RepliedAction> answers = {cui::Dlg::ENABLE, cui::Dlg::KEEP_DISABLED, cui::Dlg::DESTROY};
   q->ConnectReply([&](int choice) {
      choices.push_back(choice);
      return answers[choices.size() - 1];
   });
   Click(dlg, 1);
   EXPECT_TRUE(IsWindowEnabled(dlg));   // ENABLE: the user may answer again
   Click(dlg, 1);
   EXPECT_FALSE(IsWindowEnabled(dlg));   // KEEP_DISABLED: greyed while the library works
   PressEscape(dlg);                     // ignored while disabled
   EXPECT_EQ((std::vector<int>{1, 1}), choices);
   q->Reenable();
   EXPECT_TRUE(q->IsEnabled());
   PressEscape(dlg);                     // closing answers the cancel index
   EXPECT_EQ((std::vector<int>{1, 1, 2}), choices);
   EXPECT_FALSE(IsWindow(dlg));

   // Without a cancel index closing does nothing; the default choice is the default button.
   cui::DlgQuestion *noCancel = mgr.NewQuestion("Pick one.", {"A", "", "C"}, -1, 2, "", cui::DlgQuestion::ICON_ERROR);
   ASSERT_NE(nullptr, noCancel);
   dlg = noCancel->GetDlgWindow();
   PressEscape(dlg);
   EXPECT_TRUE(IsWindow(dlg));
   EXPECT_EQ(LibDlgWindow::kButtonBase + 1, LOWORD(SendMessageW(dlg, DM_GETDEFID, 0, 0)));
   int answered = -1;
   noCancel->ConnectReply([&answered](int choice) {
      answered = choice;
      return cui::Dlg::DESTROY;
   });
   Click(dlg, 1);   // the empty choice shows nothing, so "C" keeps its answer 2
   EXPECT_EQ(2, answered);
   EXPECT_FALSE(IsWindow(dlg));

   // More choices than buttons fit: radio choices under OK answer the one checked.
   cui::DlgSQuestion *many = mgr.NewSQuestion("Which?", {"a", "b", "c", "d", "e"}, 4, 3, "");
   ASSERT_NE(nullptr, many);
   dlg = many->GetDlgWindow();
   EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dlg, LibDlgWindow::kRadioBase + 3));
   CheckRadioButton(dlg, LibDlgWindow::kRadioBase, LibDlgWindow::kRadioBase + 4, LibDlgWindow::kRadioBase + 1);
   CheckDlgButton(dlg, LibDlgWindow::kCheckBox, BST_CHECKED);
   std::string got;
   many->ConnectReply([&got](int choice, bool suppressed) {
      got = std::to_string(choice) + (suppressed ? " suppressed" : "");
      return cui::Dlg::DESTROY;
   });
   Click(dlg, 0);
   EXPECT_EQ("1 suppressed", got);
   EXPECT_TRUE(IsWindowEnabled(owner.hwnd));
}

TEST(WuiDlgMgrImpl, OwnDialogsReadTheirFieldsBeforeTheReply)
{
   Owner owner;
   wui::DlgMgrImpl mgr(nullptr);
   mgr.SetDefaultOwner(owner.hwnd);
   std::string got;

   cui::DlgPassword *password = mgr.NewPassword("Password for the recovery key:");
   ASSERT_NE(nullptr, password);
   HWND dlg = password->GetDlgWindow();
   SetItemText(dlg, LibDlgWindow::kFieldBase + 1, "abc");
   SetItemText(dlg, LibDlgWindow::kFieldBase + 3, "abd");
   password->ConnectReply([&got](int choice, std::string p, std::string c) {
      got = std::to_string(choice) + ":" + p + ":" + c;
      return cui::Dlg::DESTROY;
   });
   Click(dlg, 0);
   EXPECT_EQ("0:abc:abd", got);

   // Password only; setting the password submits it.
   cui::DlgAuthenticate *auth = mgr.NewAuthenticate(0, "Log in to the server.", "Server");
   ASSERT_NE(nullptr, auth);
   EXPECT_EQ(nullptr, GetDlgItem(auth->GetDlgWindow(), LibDlgWindow::kFieldBase + 3));
   auth->ConnectReply([&got](bool cancelled, std::string user, std::string pw, std::string) {
      got = (cancelled ? "cancelled " : "") + user + ":" + pw;
      return cui::Dlg::KEEP_DISABLED;
   });
   auth->SetPassword("pw");
   EXPECT_EQ(":pw", got);
   EXPECT_FALSE(auth->IsEnabled());
   auth->DeleteDlg();

   cui::DlgConnectTo *connect = mgr.NewConnectTo("Server and port:", "Connect");
   ASSERT_NE(nullptr, connect);
   dlg = connect->GetDlgWindow();
   SetItemText(dlg, LibDlgWindow::kFieldBase + 1, "srv.example");
   SetItemText(dlg, LibDlgWindow::kFieldBase + 3, "8443");
   CheckDlgButton(dlg, LibDlgWindow::kCheckBox, BST_CHECKED);
   connect->ConnectReply([&got](bool cancelled, std::string address, int port, bool secure) {
      got = (cancelled ? "cancelled " : "") + address + ":" + std::to_string(port) + (secure ? " secure" : "");
      return cui::Dlg::KEEP_DISABLED;
   });
   Click(dlg, 0);
   EXPECT_EQ("srv.example:8443 secure", got);
   connect->SetOutcome(false, cui::Error("Connection refused."));
   EXPECT_TRUE(IsWindowEnabled(dlg));
   EXPECT_NE(std::string::npos, ItemText(dlg, LibDlgWindow::kText).find("Connection refused."));
   connect->SetOutcome(true, cui::Error());
   EXPECT_FALSE(IsWindow(dlg));

   cui::DlgProgress *progress = mgr.NewProgress("Copying...");
   ASSERT_NE(nullptr, progress);
   dlg = progress->GetDlgWindow();
   HWND cancel = GetDlgItem(dlg, LibDlgWindow::kButtonBase);
   EXPECT_FALSE(IsWindowVisible(cancel));
   progress->SetCancelable(true);
   EXPECT_TRUE(IsWindowVisible(cancel));
   progress->SetProgress(40);
   EXPECT_EQ(40, SendDlgItemMessageW(dlg, LibDlgWindow::kProgress, PBM_GETPOS, 0, 0));
   progress->SetText("Copying disk 2...");
   EXPECT_EQ("Copying disk 2...", ItemText(dlg, LibDlgWindow::kText));
   bool cancelled = false;
   progress->ConnectReply([&cancelled]() {
      cancelled = true;
      return cui::Dlg::DESTROY;
   });
   Click(dlg, 0);
   EXPECT_TRUE(cancelled);
   EXPECT_FALSE(IsWindow(dlg));
}

TEST(WuiDlgMgrImpl, TextsInAnyScriptReachTheWindowsAndComeBackFromTheirFields)
{
   // The owner's caption, a Greek word, is the title of a dialog that has none of its own.
   const char greek[] = "\xCE\x9C\xCE\xB7\xCF\x87\xCE\xB1\xCE\xBD\xCE\xAD\xCF\x82";
   const char cyrillic[] = "\xD0\x94\xD0\xB8\xD1\x81\xD0\xBA \xD0\xBF\xD0\xBE\xD0\xBB\xD0\xBE\xD0\xBD.";   // "disk full"
   const char cjk[] = "\xE4\xBB\xAE\xE6\x83\xB3 \xF0\x9F\x96\xA5";   // CJK and a character beyond the basic plane
   Owner owner;
   SetWindowTextW(owner.hwnd, WideFromUtf8(greek).c_str());
   wui::DlgMgrImpl mgr(nullptr);
   mgr.SetDefaultOwner(owner.hwnd);

   cui::DlgError *error = mgr.NewError(cyrillic, "");
   ASSERT_NE(nullptr, error);
   HWND dlg = error->GetDlgWindow();
   EXPECT_EQ(greek, WindowText(dlg));
   EXPECT_EQ(cyrillic, ItemText(dlg, LibDlgWindow::kText));
   error->DeleteDlg();

   cui::DlgQuestion *q =
      mgr.NewQuestion(cjk, {std::string("_") + greek, cjk}, 1, 0, cjk, cui::DlgQuestion::ICON_QUESTION);
   ASSERT_NE(nullptr, q);
   EXPECT_EQ(cjk, WindowText(q->GetDlgWindow()));
   EXPECT_EQ(std::string("&") + greek, ItemText(q->GetDlgWindow(), LibDlgWindow::kButtonBase));
   EXPECT_EQ(cjk, ItemText(q->GetDlgWindow(), LibDlgWindow::kButtonBase + 1));
   q->DeleteDlg();

   cui::DlgPassword *password = mgr.NewPassword(greek);
   ASSERT_NE(nullptr, password);
   std::string got;
   password->ConnectReply([&got](int, std::string p, std::string c) {
      got = p + "|" + c;
      return cui::Dlg::DESTROY;
   });
   SetItemText(password->GetDlgWindow(), LibDlgWindow::kFieldBase + 1, cjk);
   SetItemText(password->GetDlgWindow(), LibDlgWindow::kFieldBase + 3, cyrillic);
   Click(password->GetDlgWindow(), 0);
   EXPECT_EQ(std::string(cjk) + "|" + cyrillic, got);
}

TEST(WuiDlgMgrImpl, ForgetsAGoneProgramFactoryAndTakesItsOwnDialogsAlongWhenDestroyed)
{
   auto program = std::make_unique<ProgramDlgMgr>();
   auto mgr = std::make_unique<wui::DlgMgr>(program.get());
   EXPECT_TRUE(mgr->Forwards(cui::DlgMgr::SLOT_INFO));
   EXPECT_FALSE(mgr->Forwards(cui::DlgMgr::SLOT_ERROR));
   program.reset();
   EXPECT_EQ(nullptr, mgr->GetAppDlgMgr());
   EXPECT_FALSE(mgr->Forwards(cui::DlgMgr::SLOT_INFO));

   cui::DlgInfo *info = mgr->NewInfo("Shown by the library.", "");
   ASSERT_NE(nullptr, info);
   cui::DlgCloseRoamingVM *roaming = mgr->NewCloseRoamingVM(false);
   ASSERT_NE(nullptr, roaming);
   HWND roamingWindow = roaming->GetDlgWindow();
   EXPECT_EQ(nullptr, GetDlgItem(roamingWindow, LibDlgWindow::kButtonBase + 2));   // no sync choice
   int gone = 0;
   info->destroyed.connect([&gone]() { ++gone; });
   roaming->destroyed.connect([&gone]() { ++gone; });
   mgr.reset();
   EXPECT_EQ(2, gone);
   EXPECT_FALSE(IsWindow(roamingWindow));
}

TEST(WuiDlgMgrImpl, ConfirmCallsItsAnswerOnlyOnYesAndGoesWithItsQuestion)
{
   Owner owner;
   wui::DlgMgrImpl mgr(nullptr);
   mgr.SetDefaultOwner(owner.hwnd);
   int removed = 0;
   for (size_t button : {1, 0}) {
      auto *confirm = new cui::Confirm("", &mgr, "Remove Machine A from the favourites?", cui::Confirm::YES_NO, 0);
      confirm->SetAnswerSlot([&removed]() { ++removed; });
      confirm->Invoke();
      HWND dlg = OnlyOwnWindow(mgr);
      ASSERT_TRUE(IsWindow(dlg));
      EXPECT_EQ("&Yes", ItemText(dlg, LibDlgWindow::kButtonBase));
      EXPECT_EQ("&No", ItemText(dlg, LibDlgWindow::kButtonBase + 1));
      Click(dlg, button);
      EXPECT_FALSE(IsWindow(dlg));
   }
   EXPECT_EQ(1, removed);   // No first, then Yes

   // Without a dialog it goes at once, without an answer.
   ProgramDlgMgr none;
   auto *unanswered = new cui::Confirm("", &none, "Delete?", cui::Confirm::OK_CANCEL, 0);
   unanswered->SetAnswerSlot([&removed]() { ++removed; });
   unanswered->Invoke();
   EXPECT_EQ(1, removed);
}

TEST(WuiDlgMgrImpl, MainLoopKeysReachTheLibrarysOwnActiveDialog)
{
   Owner owner;
   wui::DlgMgr mgr(nullptr);
   mgr.SetDefaultOwner(owner.hwnd);
   cui::DlgQuestion *q = mgr.NewQuestion("Stop?", {"Stop", "Cancel"}, 1, 0, "", cui::DlgQuestion::ICON_QUESTION);
   ASSERT_NE(nullptr, q);
   HWND dlg = q->GetDlgWindow();
   int answered = -1;
   q->ConnectReply([&answered](int choice) {
      answered = choice;
      return cui::Dlg::DESTROY;
   });
   SetActiveWindow(dlg);
   ASSERT_EQ(dlg, GetActiveWindow());

   MSG mouse = {GetDlgItem(dlg, LibDlgWindow::kButtonBase), WM_MOUSEMOVE, 0, 0, 0, {0, 0}};
   EXPECT_FALSE(mgr.PreTranslateMessage(&mouse, true));
   MSG escape = {GetDlgItem(dlg, LibDlgWindow::kButtonBase), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
   EXPECT_TRUE(mgr.PreTranslateMessage(&escape, false));
   EXPECT_EQ(1, answered);
   EXPECT_FALSE(IsWindow(dlg));
   // Not one of its windows: left to the main loop.
   MSG other = {owner.hwnd, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
   EXPECT_FALSE(mgr.PreTranslateMessage(&other, false));
}

// The machine's message log: what the simulated host logs and keeps, how the machine reads it,
// and the library's log window over it (rows, following, one window, Copy, the machine closing).
#include "ListViewText.h"
#include "MachineTestSupport.h"

#include <windows.h>

#include <commctrl.h>

#include "cui/DlgMgr.h"
#include "cui/MessageLog.h"
#include "cui/Registry.h"
#include "cui/VM.h"
#include "tremorybase/Config.h"
#include "tremorybase/Text.h"

namespace {

using Entry = cui::MsgSource::Entry;
using wui::dialog::MessageLog;

const std::vector<KeyValueEntry> kMachine = {
   {"configVersion", "8"}, {"displayName", "Desk"}, {"guestOS", "winxp"}, {"memoryMB", "256"},
};

const char kPoweredOn[] = "The virtual machine was powered on.";

// Writes an entry of the machine's log at element `element` ("#0001"), as the host does.
void WriteEntry(vmdb::Ctx &ctx, const std::string &vmPath, const std::string &element, long long time,
                const std::string &kind, const std::string &text)
{
   std::string path = vmPath + "vmx/execState/msgLog/" + element + "/";
   vmdb::Batch batch(ctx);
   ctx.Set(path + "time", std::to_string(time));
   ctx.Set(path + "kind", kind);
   ctx.Set(path + "text", text);
}

class MessageLogTest : public MachineTest {
protected:
   void SetUp() override
   {
      MachineTest::SetUp();
      vm_ = Open(WriteVmx("Desk.vmx", kMachine));
      ASSERT_TRUE(vm_);
      source_ = vm_->GetMsgSource();
      ASSERT_TRUE(source_);
   }
   void TearDown() override
   {
      if (MessageLog *log = source_ ? MessageLog::Find(source_) : nullptr) {
         log->Close();
      }
      delete wui::GetDlgMgr();
      MachineTest::TearDown();
   }

   HWND ShowLog()
   {
      MessageLog *log = MessageLog::CreateInstance(source_);
      EXPECT_TRUE(log);
      if (!log) {
         return nullptr;
      }
      log->Show();
      return log->GetWindow();
   }
   // The list's rows as the user reads them: "time | type | message".
   static std::vector<std::string> Rows(HWND dlg)
   {
      HWND list = GetDlgItem(dlg, MessageLog::kList);
      std::vector<std::string> rows;
      int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
      int order[3] = {0, 1, 2};
      SendMessageW(list, LVM_GETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(order));
      for (int row = 0; row < count; ++row) {
         std::string line;
         for (int column : order) {
            line += (line.empty() ? "" : " | ") + testsupport::ListViewCellText(list, row, column);
         }
         rows.push_back(line);
      }
      return rows;
   }
   static std::string Title(HWND window)
   {
      wchar_t text[256] = L"";
      GetWindowTextW(window, text, 256);
      return Utf8FromWide(text);
   }
   static std::string Row(const Entry &entry)
   {
      return wui::dialog::FormatMsgTime(entry.time) + " | " + wui::dialog::MsgKindName(entry.kind) + " | " + entry.text;
   }
   // The clipboard's Unicode text, checked to end in a zero within its block.
   static std::wstring Clipboard()
   {
      std::wstring text;
      if (!OpenClipboard(nullptr)) {
         ADD_FAILURE() << "the clipboard cannot be opened";
         return text;
      }
      HANDLE data = GetClipboardData(CF_UNICODETEXT);
      const wchar_t *chars = data ? static_cast<const wchar_t *>(GlobalLock(data)) : nullptr;
      if (chars) {
         size_t units = GlobalSize(data) / sizeof(wchar_t);
         size_t length = 0;
         while (length < units && chars[length]) {
            ++length;
         }
         EXPECT_LT(length, units) << "no terminating zero";
         text.assign(chars, length);
         GlobalUnlock(data);
      }
      CloseClipboard();
      return text;
   }
   static void ClearClipboard()
   {
      if (OpenClipboard(nullptr)) {
         EmptyClipboard();
         CloseClipboard();
      }
   }
   bool Gone(HWND dlg) { return Until([&]() { return !IsWindow(dlg); }); }
   std::string Power(const char *op)
   {
      std::string error;
      std::string status = SendCommand(vm_->GetVmPath() + "cmd/##", op, {{"option", "1"}}, &error);
      return status == "ok" ? status : status + ": " + error;
   }
   std::vector<std::string> Texts() const
   {
      std::vector<std::string> texts;
      for (const Entry &entry : source_->GetEntries()) {
         texts.push_back(entry.kind + ": " + entry.text);
      }
      return texts;
   }

   cui::VM *vm_ = nullptr;
   cui::MsgSource *source_ = nullptr;
};

TEST(MessageLogRules, AListGoesOnFromWhatIsShownWhenOnlyItsOldestWereDropped)
{
   Entry a{100, "info", "a"};
   Entry b{101, "warning", "b"};
   Entry c{102, "error", "c"};
   Entry d{103, "info", "d"};
   using wui::dialog::MsgLogContinuation;
   EXPECT_EQ(0u, MsgLogContinuation({}, {a, b}));
   EXPECT_EQ(0u, MsgLogContinuation({a, b}, {a, b}));
   EXPECT_EQ(0u, MsgLogContinuation({a, b}, {a, b, c}));
   EXPECT_EQ(1u, MsgLogContinuation({a, b, c}, {b, c, d}));
   EXPECT_EQ(2u, MsgLogContinuation({a, b, c}, {c, d}));
   EXPECT_EQ(3u, MsgLogContinuation({a, b, c}, {d}));
   EXPECT_EQ(1u, MsgLogContinuation({a, b}, {b, a}));
   // Not a continuation: nothing shown is kept.
   EXPECT_EQ(3u, MsgLogContinuation({a, b, c}, {a, c}));
   EXPECT_EQ(2u, MsgLogContinuation({a, b}, {}));
}

TEST(MessageLogRules, CopiedLinesAreTimeTypeAndMessageOnePerRow)
{
   std::vector<Entry> entries = {{1700000000, "info", "Started"}, {1700000060, "error", "Two\tparts\r\nand a line"}};
   std::wstring first = WideFromUtf8(wui::dialog::FormatMsgTime(1700000000));
   std::wstring second = WideFromUtf8(wui::dialog::FormatMsgTime(1700000060));
   ASSERT_FALSE(first.empty());
   EXPECT_NE(first, second);
   EXPECT_EQ(first + L"\tInformation\tStarted\r\n" + second + L"\tError\tTwo parts  and a line\r\n",
             wui::dialog::FormatMsgLines(entries, {}));
   EXPECT_EQ(second + L"\tError\tTwo parts  and a line\r\n", wui::dialog::FormatMsgLines(entries, {1}));
   EXPECT_EQ(L"", wui::dialog::FormatMsgLines(entries, {7}));
   EXPECT_EQ("Warning", wui::dialog::MsgKindName("warning"));
   EXPECT_EQ("debug", wui::dialog::MsgKindName("debug"));
}

TEST_F(MessageLogTest, EntriesAppearInTheHostsOrderAndNewOnesAreAppendedWhileOpen)
{
   // Past "#ffff" element names no longer sort as the host added them.
   std::string vmPath = vm_->GetVmPath();
   WriteEntry(run_->ctx, vmPath, "#10000", 1700000300, "error", "Third");
   WriteEntry(run_->ctx, vmPath, "#fffe", 1700000100, "info", "First");
   WriteEntry(run_->ctx, vmPath, "#ffff", 1700000200, "warning", "Second");
   ASSERT_TRUE(Until([&]() { return source_->GetEntries().size() == 3; }));
   EXPECT_EQ((std::vector<std::string>{"info: First", "warning: Second", "error: Third"}), Texts());
   EXPECT_EQ(1700000200, static_cast<long long>(source_->GetEntries()[1].time));
   EXPECT_EQ("Desk", source_->GetName());

   HWND dlg = ShowLog();
   ASSERT_TRUE(dlg);
   EXPECT_EQ("Message Log - Desk", Title(dlg));
   std::vector<Entry> entries = source_->GetEntries();
   EXPECT_EQ((std::vector<std::string>{Row(entries[0]), Row(entries[1]), Row(entries[2])}), Rows(dlg));
   EXPECT_EQ("Information", wui::dialog::MsgKindName(entries[0].kind));

   // The user selects a row; the host logs the power-on; the selection stays on its row.
   HWND list = GetDlgItem(dlg, MessageLog::kList);
   ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
   ASSERT_EQ("ok", Power("powerOn"));
   ASSERT_TRUE(Until([&]() { return Rows(dlg).size() == 4; }));
   std::vector<std::string> rows = Rows(dlg);
   EXPECT_NE(std::string::npos, rows[3].find(std::string("Information | ") + kPoweredOn)) << rows[3];
   EXPECT_EQ(1, ListView_GetNextItem(list, -1, LVNI_SELECTED));
   EXPECT_EQ(-1, ListView_GetNextItem(list, 1, LVNI_SELECTED)) << "only the row the user chose is selected";

   // The host drops its oldest entry as it adds one: the chosen row keeps its selection.
   {
      vmdb::Batch batch(run_->ctx);
      run_->ctx.Remove(vmPath + "vmx/execState/msgLog/#fffe", true);
      WriteEntry(run_->ctx, vmPath, "#20000", 1700000400, "warning", "Fifth");
   }
   Entry fifth{1700000400, "warning", "Fifth"};
   ASSERT_TRUE(Until([&]() { return Rows(dlg).size() == 4 && Rows(dlg)[3] == Row(fifth); })) << Rows(dlg).size();
   rows = Rows(dlg);
   EXPECT_EQ(Row(entries[1]), rows[0]);
   EXPECT_EQ(0, ListView_GetNextItem(list, -1, LVNI_SELECTED));
   EXPECT_EQ(-1, ListView_GetNextItem(list, 0, LVNI_SELECTED));

   // A name change shows in the title.
   ASSERT_EQ("ok", SendCommand(vmPath + "cmd/##", "setCfgState", {{"val/displayName", "Work Desk"}}));
   EXPECT_TRUE(Until([&]() { return Title(dlg) == "Message Log - Work Desk"; }))
      << Title(dlg);
}

TEST_F(MessageLogTest, TheListOpensAtTheNewestAndFollowsNewOnesOnlyFromTheEnd)
{
   std::string vmPath = vm_->GetVmPath();
   char element[16];
   for (int i = 1; i <= 60; ++i) {
      snprintf(element, sizeof element, "#%04x", i);
      WriteEntry(run_->ctx, vmPath, element, 1700000000 + i, "info", "Entry " + std::to_string(i));
   }
   ASSERT_TRUE(Until([&]() { return source_->GetEntries().size() == 60; }));
   HWND dlg = ShowLog();
   ASSERT_TRUE(dlg);
   HWND list = GetDlgItem(dlg, MessageLog::kList);
   auto lastShown = [&]() {
      return ListView_GetTopIndex(list) + ListView_GetCountPerPage(list) >= ListView_GetItemCount(list);
   };
   ASSERT_LT(ListView_GetCountPerPage(list), 60) << "the test needs a list longer than the window";
   EXPECT_TRUE(lastShown());

   // Scrolled back, the user stays where he is as entries arrive.
   ListView_EnsureVisible(list, 0, FALSE);
   WriteEntry(run_->ctx, vmPath, "#003d", 1700000100, "info", "Entry 61");
   ASSERT_TRUE(Until([&]() { return ListView_GetItemCount(list) == 61; }));
   EXPECT_EQ(0, ListView_GetTopIndex(list));

   // Back at the end, the new ones are shown as they come.
   ListView_EnsureVisible(list, 60, FALSE);
   WriteEntry(run_->ctx, vmPath, "#003e", 1700000101, "error", "Entry 62");
   ASSERT_TRUE(Until([&]() { return ListView_GetItemCount(list) == 62; }));
   EXPECT_TRUE(lastShown()) << ListView_GetTopIndex(list);

   // Made larger, the list fills the window.
   RECT before;
   GetWindowRect(list, &before);
   SetWindowPos(dlg, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
   RECT after;
   GetWindowRect(list, &after);
   RECT client;
   GetClientRect(dlg, &client);
   EXPECT_GT(after.right - after.left, before.right - before.left);
   EXPECT_GT(after.bottom - after.top, before.bottom - before.top);
   EXPECT_GT(after.right - after.left, client.right * 9 / 10);
   RECT close;
   GetWindowRect(GetDlgItem(dlg, IDCANCEL), &close);
   EXPECT_GT(close.top, after.bottom) << "the buttons stay below the list";
}

TEST_F(MessageLogTest, ASecondInstanceForTheSourceIsTheWindowThatIsUp)
{
   HWND dlg = ShowLog();
   ASSERT_TRUE(dlg);
   MessageLog *first = MessageLog::Find(source_);
   EXPECT_EQ(first, MessageLog::CreateInstance(source_));
   EXPECT_EQ(dlg, ShowLog());
   EXPECT_EQ(dlg, GetForegroundWindow());
   EXPECT_EQ(nullptr, MessageLog::CreateInstance(nullptr));
   EXPECT_TRUE(wui::GetDlgMgr()->IsRegistered(dlg)) << "a modeless window gets its dialog keys";

   // Escape (IDCANCEL) closes the window and ends the object; a new one can be made after.
   SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
   ASSERT_TRUE(Gone(dlg));
   EXPECT_EQ(nullptr, MessageLog::Find(source_));
   HWND again = ShowLog();
   ASSERT_TRUE(again);
   EXPECT_TRUE(IsWindowVisible(again));
}

TEST_F(MessageLogTest, CopyPutsTheSelectedRowsOrAllOfThemOnTheClipboard)
{
   std::string vmPath = vm_->GetVmPath();
   WriteEntry(run_->ctx, vmPath, "#0001", 1700000000, "info", "Alpha");
   WriteEntry(run_->ctx, vmPath, "#0002", 1700000100, "warning", "Beta");
   WriteEntry(run_->ctx, vmPath, "#0003", 1700000200, "error", "Gamma");
   ASSERT_TRUE(Until([&]() { return source_->GetEntries().size() == 3; }));
   HWND dlg = ShowLog();
   ASSERT_TRUE(dlg);
   std::wstring alpha = WideFromUtf8(wui::dialog::FormatMsgTime(1700000000)) + L"\tInformation\tAlpha\r\n";
   std::wstring beta = WideFromUtf8(wui::dialog::FormatMsgTime(1700000100)) + L"\tWarning\tBeta\r\n";
   std::wstring gamma = WideFromUtf8(wui::dialog::FormatMsgTime(1700000200)) + L"\tError\tGamma\r\n";

   ClearClipboard();
   SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(MessageLog::kCopy, BN_CLICKED), 0);
   EXPECT_EQ(alpha + beta + gamma, Clipboard()) << "none selected: all rows";

   HWND list = GetDlgItem(dlg, MessageLog::kList);
   ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
   ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
   ClearClipboard();
   ASSERT_TRUE(MessageLog::Find(source_)->Copy());
   EXPECT_EQ(alpha + gamma, Clipboard());

   // Ctrl+C in the list copies too.
   ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
   ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
   ClearClipboard();
   NMLVKEYDOWN key = {};
   key.hdr.hwndFrom = list;
   key.hdr.idFrom = MessageLog::kList;
   key.hdr.code = LVN_KEYDOWN;
   key.wVKey = 'C';
   BYTE keys[256] = {};
   GetKeyboardState(keys);
   BYTE control = keys[VK_CONTROL];
   keys[VK_CONTROL] = 0x80;
   SetKeyboardState(keys);
   SendMessageW(dlg, WM_NOTIFY, MessageLog::kList, reinterpret_cast<LPARAM>(&key));
   keys[VK_CONTROL] = control;
   SetKeyboardState(keys);
   EXPECT_EQ(beta, Clipboard());
}

TEST_F(MessageLogTest, ClosingTheMachineWhileTheLogIsOpenClosesIt)
{
   HWND dlg = ShowLog();
   ASSERT_TRUE(dlg);
   Outcome closed;
   run_->mgr->CloseVM(vm_, closed.Abort(), closed.Done());
   EXPECT_TRUE(Gone(dlg));
   EXPECT_EQ(nullptr, MessageLog::Find(source_));
   EXPECT_TRUE(Until([&]() { return closed.finished; }));
   EXPECT_TRUE(closed.done) << closed.error;

   // A log made but never shown goes with its machine too.
   vm_ = Open(Path("Desk.vmx"));
   ASSERT_TRUE(vm_);
   source_ = vm_->GetMsgSource();
   ASSERT_TRUE(MessageLog::CreateInstance(source_));
   Outcome again;
   run_->mgr->CloseVM(vm_, again.Abort(), again.Done());
   EXPECT_EQ(nullptr, MessageLog::Find(source_));
   EXPECT_TRUE(Until([&]() { return again.finished; }));
   source_ = nullptr;
   vm_ = nullptr;
}

TEST_F(MessageLogTest, TheHostLogsOperationsAndFailuresAndKeepsTheNewest200)
{
   ASSERT_EQ("ok", Power("powerOn"));
   ASSERT_EQ("ok", SendCommand(vm_->GetVmPath() + "cmd/##", "createSnapshot", {{"name", "Clean"}}));
   ASSERT_EQ("ok", Power("suspend"));
   ASSERT_EQ("ok", Power("powerOn"));
   ASSERT_EQ("ok", SendCommand(vm_->GetVmPath() + "cmd/##", "revertToSnapshot", {{"uid", "0"}}));
   ASSERT_EQ("ok", SendCommand(vm_->GetVmPath() + "cmd/##", "removeSnapshot", {}));
   ASSERT_EQ("ok", Power("powerOff"));
   EXPECT_NE("ok", Power("suspend"));
   Config_Set("test.host.fail", "powerOn");
   Config_Set("test.host.failText", "No room for the memory.");
   EXPECT_NE("ok", Power("powerOn"));
   Config_Set("test.host.fail", "");
   ASSERT_TRUE(Until([&]() { return source_->GetEntries().size() == 9; })) << source_->GetEntries().size();
   EXPECT_EQ((std::vector<std::string>{
                "info: The virtual machine was powered on.",
                "info: Snapshot \"Clean\" was taken.",
                "info: The virtual machine was suspended.",
                "info: The virtual machine was resumed.",
                "info: The virtual machine was reverted to snapshot \"Clean\".",
                "info: Snapshot \"Clean\" was deleted.",
                "info: The virtual machine was powered off.",
                "error: The virtual machine could not be suspended: The virtual machine \"Desk\" is not powered on.",
                "error: The virtual machine could not be powered on: No room for the memory.",
             }),
             Texts());
   time_t now = time(nullptr);
   EXPECT_LE(now - source_->GetEntries().front().time, 60);

   // 200 more refusals push the nine out, oldest first; the newest stays last.
   for (int i = 0; i < 199; ++i) {
      ASSERT_NE("ok", Power("reset"));
   }
   ASSERT_EQ("ok", Power("powerOn"));
   ASSERT_TRUE(Until([&]() { return !source_->GetEntries().empty() && source_->GetEntries().back().text == kPoweredOn; }));
   std::vector<std::string> texts = Texts();
   ASSERT_EQ(200u, texts.size());
   EXPECT_EQ("error: The virtual machine could not be reset: The virtual machine \"Desk\" is not powered on.", texts[0]);
   EXPECT_EQ(200u, run_->ctx.Elements(vm_->GetVmPath() + "vmx/execState/msgLog/#").size());

   // The log lives as long as the registration.
   std::string vmPath = vm_->GetVmPath();
   Outcome closed;
   run_->mgr->CloseVM(vm_, closed.Abort(), closed.Done());
   ASSERT_TRUE(Until([&]() { return closed.finished; }));
   EXPECT_FALSE(run_->ctx.Exists(vmPath + "vmx/execState/msgLog"));
   source_ = nullptr;
   vm_ = nullptr;
}

}  // namespace

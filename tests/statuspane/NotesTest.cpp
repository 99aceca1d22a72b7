// When the notes editor saves, what it saves and where: typed text only, never the invitation,
// the old machine's text to the old machine when the target moves on.
#include "zoltStatusNotes.h"

#include "cui/Registry.h"
#include "cui/RpcMgr.h"
#include "cui/VmdbCtx.h"
#include "vmdb/Classes.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const char kKey[] = "op/setCfgState/in/val/annotation/";
const char kInvitation[] = "Type here to enter notes for this virtual machine.";

std::string Text(const _bstr_t &text)
{
   return text.length() ? static_cast<const char *>(text) : "";
}

// A window that hands its children's notifications back to them, as a page does.
class CHostWindow : public CWindowImpl<CHostWindow> {
public:
   BEGIN_MSG_MAP(CHostWindow)
      REFLECT_NOTIFICATIONS()
   END_MSG_MAP()
};

class NotesTest : public ::testing::Test {
protected:
   void SetUp() override
   {
      ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
      vmdb::RegisterClasses();
      ASSERT_TRUE(SUCCEEDED(db_.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL)));
      db_->Connect(::testing::UnitTest::GetInstance()->current_test_info()->name(), VMDB_CONNECT_NAMED);
      ctx_ = db_->NewContext();
      ctx_->WriteValue(L"/vm/#0001/vmx/cfgState/val/generationNo", _variant_t(L"3"));
      ctx_->WriteValue(L"/vm/#0002/vmx/cfgState/val/generationNo", _variant_t(L"7"));
      rpc_ = std::make_unique<vmdbLayout::rpc::Mgr>(vmdb::Ctx(ctx_->GetRawHandle(), true, vmdb::Ctx::kAll));
      cui::SetRpcMgr(rpc_.get());
      RECT rect = {0, 0, 300, 200};
      host_.Create(nullptr, &rect, "notes test", WS_OVERLAPPEDWINDOW);
      HWND edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 10, 10, 200, 100, host_.m_hWnd,
                                  reinterpret_cast<HMENU>(1070), nullptr, nullptr);
      ASSERT_TRUE(notes_.Attach(edit, ctx_));
      notes_.SetInvitation(kInvitation);
   }
   void TearDown() override
   {
      host_.DestroyWindow();
      cui::SetRpcMgr(nullptr);
      rpc_.reset();
      ctx_ = nullptr;
      db_ = nullptr;
      CoUninitialize();
   }

   // What the user does: replaces the whole text by typing (a multi-line edit reports no change
   // for text set by a program).
   void Type(const char *text)
   {
      SendMessageA(notes_.m_hWnd, EM_SETSEL, 0, -1);
      if (!*text) {
         SendMessageA(notes_.m_hWnd, WM_CHAR, VK_BACK, 0);
      }
      for (const char *c = text; *c; ++c) {
         SendMessageA(notes_.m_hWnd, WM_CHAR, static_cast<unsigned char>(*c), 0);
      }
   }
   // Typing as a Unicode keyboard delivers it: one UTF-16 unit per character message.
   void TypeWide(const wchar_t *text)
   {
      SendMessageW(notes_.m_hWnd, EM_SETSEL, 0, -1);
      for (const wchar_t *c = text; *c; ++c) {
         SendMessageW(notes_.m_hWnd, WM_CHAR, *c, 0);
      }
   }
   std::wstring ShownWide()
   {
      wchar_t text[256] = L"";
      GetWindowTextW(notes_.m_hWnd, text, 256);
      return text;
   }
   std::string Shown()
   {
      char text[256] = "";
      GetWindowTextA(notes_.m_hWnd, text, sizeof(text));
      return text;
   }
   // The annotations sent to a machine's command queue, in order.
   std::vector<std::string> Sent(const std::string &vm)
   {
      std::vector<std::string> sent;
      std::string queue = vm + "cmd/#";
      for (_bstr_t e = ctx_->NextElement(queue.c_str()); e.length(); e = ctx_->NextElement(e)) {
         std::string element = Text(e);
         EXPECT_EQ(Text(_bstr_t(ctx_->ReadValue((element + "op").c_str()))), "setCfgState");
         sent.push_back(Text(_bstr_t(ctx_->ReadValue((element + "op/setCfgState/in/val/annotation").c_str()))) + "@" +
                        Text(_bstr_t(ctx_->ReadValue((element + "op/setCfgState/in/val/generationNo").c_str()))));
      }
      return sent;
   }

   IVmdbDatabasePtr db_;
   IVmdbContextPtr ctx_;
   std::unique_ptr<vmdbLayout::rpc::Mgr> rpc_;
   CHostWindow host_;
   CZOLTStatusNotes notes_;
};

}  // namespace

TEST(StatusNotesRules, InvitationIsNoNotesAndSavesNeedATarget)
{
   EXPECT_EQ(statusnotes::NotesOf(kInvitation, kInvitation), "");
   EXPECT_EQ(statusnotes::NotesOf("Disk layout notes", kInvitation), "Disk layout notes");
   EXPECT_EQ(statusnotes::NotesOf("", ""), "");
   EXPECT_TRUE(statusnotes::ShouldSave(true, true, "/vm/#0001/", kKey));
   EXPECT_FALSE(statusnotes::ShouldSave(false, true, "/vm/#0001/", kKey));
   EXPECT_FALSE(statusnotes::ShouldSave(true, false, "/vm/#0001/", kKey));
   EXPECT_FALSE(statusnotes::ShouldSave(true, true, "", kKey));
   EXPECT_FALSE(statusnotes::ShouldSave(true, true, "/vm/#0001/", ""));
}

TEST_F(NotesTest, TypedTextIsSavedOnceWithTheGenerationAndUnchangedTextNever)
{
   notes_.SetTarget("/vm/#0001/", kKey, true, "setCfgState");
   notes_.ShowNotes("");
   EXPECT_EQ(Shown(), kInvitation);
   EXPECT_FALSE(notes_.IsChanged());
   notes_.SaveNotes();
   EXPECT_TRUE(Sent("/vm/#0001/").empty());

   Type("Needs 2 GB for the build");
   EXPECT_TRUE(notes_.IsChanged());
   notes_.SaveNotes();
   EXPECT_EQ(Sent("/vm/#0001/"), std::vector<std::string>{"Needs 2 GB for the build@3"});
   EXPECT_FALSE(notes_.IsChanged());
   // Nothing new typed: nothing more sent, also on losing the focus.
   SendMessageA(host_.m_hWnd, WM_COMMAND, MAKEWPARAM(1070, EN_KILLFOCUS), reinterpret_cast<LPARAM>(notes_.m_hWnd));
   EXPECT_EQ(Sent("/vm/#0001/").size(), 1u);
}

TEST_F(NotesTest, LosingTheFocusSavesAndBringsTheInvitationBackForEmptyNotes)
{
   notes_.SetTarget("/vm/#0001/", kKey, true, "setCfgState");
   notes_.ShowNotes("Old notes");
   Type("");
   SendMessageA(host_.m_hWnd, WM_COMMAND, MAKEWPARAM(1070, EN_KILLFOCUS), reinterpret_cast<LPARAM>(notes_.m_hWnd));
   // Clearing the notes is saved as empty notes; the invitation shows again and is no change.
   EXPECT_EQ(Sent("/vm/#0001/"), std::vector<std::string>{"@3"});
   EXPECT_EQ(Shown(), kInvitation);
   EXPECT_FALSE(notes_.IsChanged());
   EXPECT_EQ(notes_.GetNotes(), "");
}

TEST_F(NotesTest, TheInvitationIsNeverSavedAsNotes)
{
   notes_.SetTarget("/vm/#0001/", kKey, true, "setCfgState");
   notes_.ShowNotes("Real notes");
   // The invitation put back as text that counts as typed still saves no invitation.
   Type(kInvitation);
   notes_.SaveNotes();
   EXPECT_EQ(Sent("/vm/#0001/"), std::vector<std::string>{"@3"});
   // Focus on the invitation empties the editor for typing, without a change.
   notes_.ShowNotes("");
   SendMessageA(notes_.m_hWnd, WM_SETFOCUS, 0, 0);
   EXPECT_EQ(Shown(), "");
   EXPECT_FALSE(notes_.IsChanged());
}

TEST_F(NotesTest, MovingToAnotherMachineSavesTheTypedTextToTheMachineLeft)
{
   notes_.SetTarget("/vm/#0001/", kKey, true, "setCfgState");
   notes_.ShowNotes("");
   Type("First machine's notes");
   notes_.SetTarget("/vm/#0002/", kKey, true, "setCfgState");
   EXPECT_EQ(Sent("/vm/#0001/"), std::vector<std::string>{"First machine's notes@3"});
   EXPECT_TRUE(Sent("/vm/#0002/").empty());
   EXPECT_FALSE(notes_.IsChanged());
   // The same target again changes nothing and keeps what is being typed.
   Type("Second");
   notes_.SetTarget("/vm/#0002/", kKey, true, "setCfgState");
   EXPECT_TRUE(notes_.IsChanged());
   EXPECT_EQ(Shown(), "Second");
}

TEST_F(NotesTest, RequestFormWritesTheValueUnderItsKey)
{
   notes_.SetTarget("/vm/#0001/mvmt/", "val/notes/", false, "");
   Type("Template notes");
   notes_.SaveNotes();
   _bstr_t element = ctx_->NextElement(L"/vm/#0001/mvmt/req/#");
   ASSERT_TRUE(element.length());
   EXPECT_EQ(Text(_bstr_t(ctx_->ReadValue((Text(element) + "val/notes").c_str()))), "Template notes");
   EXPECT_EQ(Text(_bstr_t(ctx_->ReadValue(L"/vm/#0001/mvmt/new"))), Text(element));
   EXPECT_FALSE(notes_.IsChanged());
}

TEST_F(NotesTest, NotesInAnyScriptShowAndSaveAsWritten)
{
   notes_.SetTarget("/vm/#0001/", kKey, true, "setCfgState");
   notes_.ShowNotes(u8"Caf\u00e9 \u2014 \u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac");
   EXPECT_EQ(ShownWide(), L"Caf\u00e9 \u2014 \u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac");
   EXPECT_FALSE(notes_.IsChanged()) << "shown, not typed";

   TypeWide(L"\u041f\u0440\u043e\u0432\u0435\u0440\u043a\u0430 \u4eee\u60f3\u30de\u30b7\u30f3");
   EXPECT_TRUE(notes_.IsChanged());
   EXPECT_EQ(notes_.GetNotes(), u8"\u041f\u0440\u043e\u0432\u0435\u0440\u043a\u0430 \u4eee\u60f3\u30de\u30b7\u30f3");
   notes_.SaveNotes();
   EXPECT_EQ(Sent("/vm/#0001/"),
             std::vector<std::string>{u8"\u041f\u0440\u043e\u0432\u0435\u0440\u043a\u0430 \u4eee\u60f3\u30de\u30b7\u30f3@3"});
}

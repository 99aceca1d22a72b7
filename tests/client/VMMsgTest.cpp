#include "ClientTestSupport.h"

#include "tremorybase/Config.h"

#include <gtest/gtest.h>

namespace {

IVMMsgPtr NewMsg()
{
   IVMMsgPtr msg;
   EXPECT_EQ(S_OK, msg.CreateInstance(__uuidof(VMMsg), nullptr, CLSCTX_ALL));
   msg->Init(-1);
   return msg;
}

TEST(VMMsg, TestAnswerIsReturnedAndTheMessageLogged)
{
   IVMMsgPtr msg = NewMsg();
   Config_Set("test.vmmsg.answer", "1");
   LogTail log;
   EXPECT_EQ(1, msg->Message(L"The disk is full.", L"zolt", L"yesNo", L"error", L""));
   EXPECT_NE(std::string::npos, log.Text().find("VMMsg: error: zolt: The disk is full.\n"));

   Config_Set("test.vmmsg.answer", "0");
   EXPECT_EQ(0, msg->Message(L"Revert?", L"Machine A", L"okCancel", L"hintQuestion", L"snapshotRevert"));
   EXPECT_NE(std::string::npos, log.Text().find("VMMsg: hintQuestion: Machine A: Revert?\n"));

   long answer = 7;
   EXPECT_EQ(E_INVALIDARG, msg->raw_Message(_bstr_t(L"t"), _bstr_t(L"c"), _bstr_t(L"ok"), _bstr_t(L"fatal"), nullptr, &answer));
   EXPECT_EQ(E_INVALIDARG, msg->raw_Message(_bstr_t(L"t"), _bstr_t(L"c"), _bstr_t(L"yesNoCancel"), _bstr_t(L"info"), nullptr, &answer));
   IVMMsgPtr other;
   other.CreateInstance(__uuidof(VMMsg), nullptr, CLSCTX_ALL);
   EXPECT_EQ(E_INVALIDARG, other->raw_Init(3));
}

TEST(VMMsg, RealBoxIsOwnedByTheOwnerAndMapsEachButton)
{
   HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, nullptr, nullptr);
   ASSERT_TRUE(owner);
   IVMMsgPtr msg = NewMsg();
   msg->SetOwner(owner);
   EXPECT_EQ(owner, msg->GetOwner());

   struct Case {
      const wchar_t *set;
      int button;
      long answer;
   };
   // Each real box costs Wine about two seconds to take down: one case per button set.
   for (const Case &c : {Case{L"yesNo", IDNO, 1}, Case{L"okCancel", IDCANCEL, 1}, Case{L"ok", IDOK, 0}}) {
      SCOPED_TRACE(std::string(_bstr_t(c.set)) + " button " + std::to_string(c.button));
      HWND boxOwner = nullptr;
      bool ownerDisabled = false;
      std::string texts;
      long answer = -1;
      int answered = AnswerModal(
         L"#32770",
         [&](HWND box) {
            boxOwner = GetWindow(box, GW_OWNER);
            ownerDisabled = !IsWindowEnabled(owner);
            texts = ChildTexts(box);
            if (!GetDlgItem(box, c.button)) {
               return false;
            }
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(c.button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, c.button)));
            return true;
         },
         [&] { answer = msg->Message(L"Power off the machine?", L"Machine A", c.set, L"warning", L""); });
      EXPECT_EQ(1, answered);
      EXPECT_EQ(owner, boxOwner);
      EXPECT_TRUE(ownerDisabled);
      EXPECT_NE(std::string::npos, texts.find("Power off the machine?"));
      EXPECT_EQ(c.answer, answer);
   }

   // An owner that went away: the box has none, and Yes answers 0.
   DestroyWindow(owner);
   HWND boxOwner = owner;
   long answer = -1;
   int answered = AnswerModal(
      L"#32770",
      [&](HWND box) {
         boxOwner = GetWindow(box, GW_OWNER);
         PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
         return true;
      },
      [&] { answer = msg->Message(L"Keep it?", L"zolt", L"yesNo", L"info", L""); });
   EXPECT_EQ(1, answered);
   EXPECT_EQ(nullptr, boxOwner);
   EXPECT_EQ(0, answer);
}

TEST(VMMsg, HintTurnedOffInThePreferencesIsNotShown)
{
   IVmdbDatabasePtr db = ConnectNamed(L"vmmsg-hints");
   IVmdbContextPtr ctx = db->NewContext();
   ctx->WriteValue(L"/user/prefState/req/#ZOLT/val/hints/snapshotRemove/disabled", _variant_t(true));
   ctx->WriteValue(L"/user/prefState/req/#ZOLT/val/hints/snapshotSave/disabled", _variant_t(false));

   IVMMsgPtr msg = NewMsg();
   Config_Set("test.vmmsg.answer", "1");
   // Without a context no hint is known to be off.
   EXPECT_EQ(1, msg->Message(L"Remove?", L"Machine A", L"yesNo", L"hintQuestion", L"snapshotRemove"));

   msg->SetContext(ctx);
   LogTail log;
   EXPECT_EQ(0, msg->Message(L"Remove?", L"Machine A", L"yesNo", L"hintQuestion", L"snapshotRemove"));
   EXPECT_EQ(std::string::npos, log.Text().find("Remove?"));
   EXPECT_EQ(1, msg->Message(L"Save?", L"Machine A", L"yesNo", L"hint", L"snapshotSave"));
   EXPECT_EQ(1, msg->Message(L"Log in?", L"Machine A", L"okCancel", L"hint", L"interactiveLogin"));
   // A message without a hint key is never suppressed.
   EXPECT_EQ(1, msg->Message(L"Failed.", L"zolt", L"ok", L"error", L""));

   msg->SetContext(nullptr);
   EXPECT_EQ(1, msg->Message(L"Remove?", L"Machine A", L"yesNo", L"hintQuestion", L"snapshotRemove"));
}

}  // namespace

// The "do not show again" answer of a hint, remembered in the preferences of a real database.
#include <gtest/gtest.h>

#include "TestDb.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Text.h"
#include "vmdb/ClientClasses.h"
#include "vmdb/ClientInterfaces.h"
#include "vmdb/Classes.h"

namespace {

const char kRevertOff[] = "/user/prefState/req/#ZOLT/val/hints/snapshotRevert/disabled";

struct Com {
   Com()
   {
      CoInitialize(nullptr);
      static bool registered = [] {
         vmdb::RegisterClasses();
         vmdb::RegisterClientClasses();
         return true;
      }();
      (void)registered;
   }
   ~Com()
   {
      for (const char *key : {"test.vmmsg.answer", "test.vmmsg.suppress"}) {
         Config_Set(key, "");
      }
   }
};

IVMMsgPtr NewMsg(IVmdbContext *ctx)
{
   IVMMsgPtr msg;
   EXPECT_EQ(S_OK, msg.CreateInstance(__uuidof(VMMsg), nullptr, CLSCTX_ALL));
   msg->Init(-1);
   msg->SetContext(ctx);
   return msg;
}

std::string TempFile(const char *name)
{
   return File_GetTempFolder() + name + std::to_string(GetCurrentProcessId());
}

// Ticks the check box of the hint box and presses `button` once the box is up.
int gButton = 0;
std::string gCheckBoxText;
BOOL CALLBACK TickAndAnswer(HWND window, LPARAM)
{
   HWND check = GetDlgItem(window, 1243);
   if (!check || !IsWindowVisible(window)) {
      return TRUE;
   }
   wchar_t text[128] = L"";
   GetWindowTextW(check, text, 128);
   gCheckBoxText = Utf8FromWide(text);
   SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
   PostMessageW(window, WM_COMMAND, MAKEWPARAM(gButton, BN_CLICKED), 0);
   return FALSE;
}

void CALLBACK AnswerHintBox(HWND, UINT, UINT_PTR timer, DWORD)
{
   EnumThreadWindows(GetCurrentThreadId(), &TickAndAnswer, 0);
   if (!gCheckBoxText.empty()) {
      KillTimer(nullptr, timer);
   }
}

}  // namespace

TEST(VMMsgHint, TickedCheckBoxTurnsTheHintOffForGoodOnlyWhenAnsweredYes)
{
   Com com;
   std::string userFile = TempFile("zolt-hints-");
   Config_Set("vmdb.userFile", userFile.c_str());
   {
      IVmdbDatabasePtr db;
      ASSERT_EQ(S_OK, db.CreateInstance(__uuidof(VmdbDatabase), nullptr, CLSCTX_ALL));
      db->ConnectDefault();
      IVmdbContextPtr ctx = db->NewContext();
      ctx->RemoveNode(L"/user/prefState/req/#ZOLT/val/hints/", VARIANT_TRUE);
      IVMMsgPtr msg = NewMsg(ctx);

      // Answered No with the box ticked: asked again next time.
      Config_Set("test.vmmsg.answer", "1");
      Config_Set("test.vmmsg.suppress", "true");
      EXPECT_EQ(1, msg->Message(L"Revert?", L"Machine A", L"yesNo", L"hintQuestion", L"snapshotRevert"));
      EXPECT_EQ(VARIANT_FALSE, ctx->TestNode(kRevertOff));
      // Not ticked: nothing remembered.
      Config_Set("test.vmmsg.answer", "0");
      Config_Set("test.vmmsg.suppress", "false");
      EXPECT_EQ(0, msg->Message(L"Revert?", L"Machine A", L"yesNo", L"hintQuestion", L"snapshotRevert"));
      EXPECT_EQ(VARIANT_FALSE, ctx->TestNode(kRevertOff));

      // The real box: ticked and answered Yes.
      Config_Set("test.vmmsg.answer", "");
      gButton = IDYES;
      SetTimer(nullptr, 0, 100, &AnswerHintBox);
      EXPECT_EQ(0, msg->Message(L"Revert?", L"Machine A", L"yesNo", L"hintQuestion", L"snapshotRevert"));
      EXPECT_EQ("Do not show this message again", gCheckBoxText);
      EXPECT_NE(VARIANT_FALSE, ctx->TestNode(kRevertOff));
      // From now on it is not shown and answers 0, whatever the canned answer says.
      Config_Set("test.vmmsg.answer", "1");
      EXPECT_EQ(0, msg->Message(L"Revert?", L"Machine A", L"yesNo", L"hintQuestion", L"snapshotRevert"));

      // A message without a hint key has no box of its own to tick.
      Config_Set("test.vmmsg.suppress", "true");
      Config_Set("test.vmmsg.answer", "0");
      EXPECT_EQ(0, msg->Message(L"Failed.", L"zolt", L"ok", L"info", L""));
      db->Disconnect();   // saves the user file
   }

   // Another run: the saved preferences keep the hint off.
   TestDb fresh;
   std::string error;
   ASSERT_TRUE(fresh.store->Load(userFile, error, "/user/")) << error;
   EXPECT_TRUE(fresh.ctx.Test(kRevertOff));
   Config_Set("vmdb.userFile", "");
   File_Delete(userFile);
}

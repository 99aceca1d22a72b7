// The console's way through the client objects: connecting it to a machine, a machine's
// questions, and following the requests the program submits without waiting.
#include "ClientTestSupport.h"

#include "tremorybase/Config.h"
#include "tremorybase/Poll.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// The HRESULT and error text a failed call left for its caller.
std::pair<HRESULT, std::string> Failure(const std::function<void()> &call)
{
   try {
      call();
   } catch (const _com_error &e) {
      return {e.Error(), Text(e.Description())};
   }
   return {S_OK, "(no error)"};
}

void Write(IVmdbContextPtr &ctx, const wchar_t *path, const wchar_t *value)
{
   ctx->WriteValue(path, _variant_t(value));
}

bool Has(IVmdbContextPtr &ctx, const wchar_t *path)
{
   return ctx->TestNode(path) != VARIANT_FALSE;
}

TEST(VMClientConsole, RefusalsTellTheUserWhichMachineAndWhy)
{
   IVmdbDatabasePtr db = ConnectNamed(L"console-connect");
   IVmdbContextPtr ctx = db->NewContext();
   IVMClientPtr client;
   ASSERT_EQ(S_OK, client.CreateInstance(__uuidof(VMClient), nullptr, CLSCTX_ALL));
   client->Init(ctx->GetRawHandle(), 0, VARIANT_FALSE);

   Write(ctx, L"/vm/#0001/cfgFile", L"C:\\vms\\desk.vmx");
   Write(ctx, L"/vm/#0001/vmx/cfgState/val/displayName", L"Desk");
   Write(ctx, L"/vm/#0001/vmx/execState/val", L"poweredOff");
   auto off = Failure([&] { client->ConnectMks(L"/vm/#0001/"); });
   EXPECT_EQ(E_FAIL, off.first);
   EXPECT_EQ("The virtual machine \"Desk\" is not powered on.", off.second);
   EXPECT_FALSE(Has(ctx, L"/vm/#0001/mks/connected")) << "a refused console is not marked connected";

   // A machine without a display name is named by its file.
   Write(ctx, L"/vm/#0002/cfgFile", L"C:\\vms\\other.vmx");
   EXPECT_EQ("The virtual machine \"C:\\vms\\other.vmx\" is not powered on.",
             Failure([&] { client->ConnectMks(L"/vm/#0002/"); }).second);

   auto missing = Failure([&] { client->ConnectMks(L"/vm/#0009/"); });
   EXPECT_EQ(E_INVALIDARG, missing.first);
   EXPECT_EQ("The virtual machine \"/vm/#0009/\" is not open.", missing.second);
   EXPECT_EQ("The virtual machine \"C:\\vms\\desk.vmx\" is not open.",
             Failure([&] { client->ConnectMks(L"C:\\vms\\desk.vmx"); }).second);
}

IVMMsgPtr NewMsg()
{
   IVMMsgPtr msg;
   EXPECT_EQ(S_OK, msg.CreateInstance(__uuidof(VMMsg), nullptr, CLSCTX_ALL));
   msg->Init(-1);
   return msg;
}

TEST(VMMsgMachine, AMachinesQuestionIsAskedUnderItsNameAndAnswered)
{
   IVMMsgPtr msg = NewMsg();
   Config_Set("test.vmmsg.answer", "1");
   LogTail log;
   EXPECT_EQ(1, msg->MachineMessage(L"The guest wants to restart. Allow it?", L"Desk", L"yesNo", L"warning", 0));
   EXPECT_NE(std::string::npos, log.Text().find("VMMsg: warning: Desk: The guest wants to restart. Allow it?\n"));

   long answer = 7;
   EXPECT_EQ(E_INVALIDARG, msg->raw_MachineMessage(_bstr_t(L"t"), _bstr_t(L"Desk"), _bstr_t(L"ok"), _bstr_t(L"info"), 0,
                                                   1, 0, 0, &answer));
   EXPECT_EQ(0, answer);
   EXPECT_EQ(E_INVALIDARG, msg->raw_MachineMessage(_bstr_t(L"t"), _bstr_t(L"Desk"), _bstr_t(L"ok"), _bstr_t(L"fatal"), 0,
                                                   0, 0, 0, &answer));
}

TEST(VMMsgMachine, TheDefaultAnswerHasTheFocusInTheRealBox)
{
   IVMMsgPtr msg = NewMsg();
   std::string title;
   HWND focused = nullptr;
   HWND noButton = nullptr;
   long answer = -1;
   int answered = AnswerModal(
      L"#32770",
      [&](HWND box) {
         noButton = GetDlgItem(box, IDNO);
         if (!noButton) {
            return false;
         }
         wchar_t text[128] = L"";
         GetWindowTextW(box, text, 128);
         title = Text(_bstr_t(text));
         // Found before the box has set its focus (a loaded machine): looked at again.
         focused = GetFocus();
         if (!focused || GetParent(focused) != box) {
            return false;
         }
         // What Enter would press: the button that has the focus.
         PostMessageW(box, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focused), BN_CLICKED), reinterpret_cast<LPARAM>(focused));
         return true;
      },
      [&] { answer = msg->MachineMessage(L"Keep the changes?", L"Desk", L"yesNo", L"hintQuestion", 1); });
   EXPECT_EQ(1, answered);
   EXPECT_EQ("Desk", title);
   EXPECT_EQ(noButton, focused);
   EXPECT_EQ(1, answer);
}

class VMMsgFollow : public ::testing::Test {
protected:
   void SetUp() override
   {
      std::string name = std::string("vmmsg-follow-") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
      db = ConnectNamed(std::wstring(name.begin(), name.end()).c_str());
      ctx = db->NewContext();
      msg = NewMsg();
      msg->SetContext(db->NewContext());
      Config_Set("test.vmmsg.answer", "0");
      Write(ctx, L"/vm/#0001/vmx/cfgState/val/displayName", L"Desk");
   }

   // Appends an element to `queue` ("/vm/#0001/cmd/##") and returns its path.
   std::wstring NewElement(const wchar_t *queue)
   {
      _bstr_t element = ctx->AppendElement(queue);
      Write(ctx, (std::wstring(element) + L"op").c_str(), L"createSnapshot");
      return std::wstring(element);
   }

   void Answer(const std::wstring &element, const wchar_t *status, const wchar_t *error = nullptr)
   {
      ctx->OpenBatch();
      if (error) {
         Write(ctx, (element + L"status/error/errMsg").c_str(), error);
      }
      Write(ctx, (element + L"status").c_str(), status);
      ctx->CloseBatch();
   }

   // Runs poll steps until the log shows `line` or a second has passed.
   static bool LogShows(const LogTail &log, const std::string &line)
   {
      return Poll_RunUntil([&] { return log.Text().find(line) != std::string::npos; }, 1000);
   }

   IVmdbDatabasePtr db;
   IVmdbContextPtr ctx;
   IVMMsgPtr msg;
};

TEST_F(VMMsgFollow, AFailedCommandIsShownUnderTheMachinesNameOnce)
{
   LogTail log;
   std::wstring cmd = NewElement(L"/vm/#0001/cmd/##");
   msg->FollowRequest(cmd.c_str());
   msg->FollowRequest(cmd.c_str());   // handed over twice, reported once
   Answer(cmd, L"error", L"The snapshot could not be taken.");
   EXPECT_TRUE(LogShows(log, "VMMsg: /vm/#0001/cmd/#0001/ failed: The snapshot could not be taken.\n"));
   EXPECT_TRUE(LogShows(log, "VMMsg: error: Desk: The snapshot could not be taken.\n"));

   // No longer followed: a later answer at the same element shows nothing.
   Answer(cmd, L"error", L"Again.");
   Poll_RunUntil([] { return false; }, 100);
   std::string text = log.Text();
   EXPECT_EQ(std::string::npos, text.find("Again."));
   size_t shown = text.find("VMMsg: error: Desk:");
   EXPECT_EQ(std::string::npos, text.find("VMMsg: error: Desk:", shown + 1)) << "shown twice:\n" << text;
}

TEST_F(VMMsgFollow, SuccessRemovalAndEarlierAnswersAreHandledWithoutABox)
{
   LogTail log;
   std::wstring ok = NewElement(L"/vm/#0001/cmd/##");
   msg->FollowRequest(ok.c_str());
   Answer(ok, L"ok");
   std::wstring removed = NewElement(L"/vm/#0001/cmd/##");
   msg->FollowRequest(removed.c_str());
   ctx->RemoveNode(removed.c_str(), VARIANT_TRUE);
   Poll_RunUntil([] { return false; }, 100);
   // The same paths come back failing: they are no longer followed.
   Answer(ok, L"error", L"Late failure.");
   Answer(removed, L"error", L"Reused element.");

   // A request whose answer came before it was handed over is reported at once.
   std::wstring early = NewElement(L"/host2/#0000/util/vm/cmd/##");
   Answer(early, L"error", L"The host refused.");
   msg->FollowRequest(early.c_str());
   EXPECT_NE(std::string::npos, log.Text().find("VMMsg: error: : The host refused.\n"));

   // The senders of settings requests report their failures themselves: only the log has it.
   std::wstring settings = NewElement(L"/host2/#0000/settingsState/req/#");
   msg->FollowRequest(settings.c_str());
   Answer(settings, L"error", L"Settings refused.");
   EXPECT_TRUE(LogShows(log, "failed: Settings refused.\n"));
   EXPECT_EQ(std::string::npos, log.Text().find("VMMsg: error: : Settings refused."));

   Poll_RunUntil([] { return false; }, 100);
   EXPECT_EQ(std::string::npos, log.Text().find("Late failure.")) << log.Text();
   EXPECT_EQ(std::string::npos, log.Text().find("Reused element.")) << log.Text();
}

TEST_F(VMMsgFollow, FollowingNeedsAContextAndANodeAndEndsWithTheContext)
{
   IVMMsgPtr bare = NewMsg();
   EXPECT_EQ(E_UNEXPECTED, bare->raw_FollowRequest(_bstr_t(L"/vm/#0001/")));
   EXPECT_EQ(E_INVALIDARG, msg->raw_FollowRequest(_bstr_t(L"/vm/#0001/cmd/#0042/")));
   EXPECT_EQ(E_INVALIDARG, msg->raw_FollowRequest(_bstr_t(L"C:\\vms\\desk.vmx")));
   EXPECT_EQ(E_INVALIDARG, msg->raw_FollowRequest(_bstr_t(L"")));

   LogTail log;
   std::wstring cmd = NewElement(L"/vm/#0001/cmd/##");
   msg->FollowRequest(cmd.c_str());
   msg->SetContext(nullptr);
   Answer(cmd, L"error", L"Nobody listens.");
   Poll_RunUntil([] { return false; }, 100);
   EXPECT_EQ(std::string::npos, log.Text().find("Nobody listens."));
}

}  // namespace

// The view in a real application object: a question the console raises for the machine it shows
// goes to the application's message object as a machine message under the machine's name, with
// the console's default answer on the focused button; the answer goes back to the machine, and
// the console's message flag is lowered afterwards, also when the message fails. A tab whose team
// is gone is closed.
#include "SessionFixture.h"
#include "zoltView.h"

#include "tremappsdk/TremAppSdk.h"
#include "tremorybase/Config.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

// What the box of a machine message showed, and the answer given by pressing its focused button.
struct BoxSeen {
   bool shown = false;
   std::string title;
   int focusedId = 0;
};
BoxSeen *gBoxSeen = nullptr;

BOOL CALLBACK PressFocusedButton(HWND window, LPARAM)
{
   char className[16] = "";
   GetClassNameA(window, className, sizeof(className));
   if (!IsWindowVisible(window) || std::string(className) != "#32770") {
      return TRUE;
   }
   char title[128] = "";
   GetWindowTextA(window, title, sizeof(title));
   HWND focused = GetFocus();
   gBoxSeen->shown = true;
   gBoxSeen->title = title;
   gBoxSeen->focusedId = focused ? GetDlgCtrlID(focused) : 0;
   PostMessageA(window, WM_COMMAND, MAKEWPARAM(gBoxSeen->focusedId, BN_CLICKED), reinterpret_cast<LPARAM>(focused));
   return FALSE;
}

void CALLBACK OnBoxTimer(HWND, UINT, UINT_PTR, DWORD)
{
   if (gBoxSeen && !gBoxSeen->shown) {
      EnumThreadWindows(GetCurrentThreadId(), PressFocusedButton, 0);
   }
}

class ViewConsole : public SessionFixture {
protected:
   void SetUp() override
   {
      static bool registered = false;
      if (!registered) {
         tremappsdk::RegisterClasses();
         registered = true;
      }
      SessionFixture::SetUp();
      holder_ = CreateWindowExA(0, "Static", "view test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
      RECT rect = {0, 0, 600, 400};
      ASSERT_TRUE(view_.Create(holder_, &rect, nullptr, CZOLTView::kChildStyle));
      // The machine shown by the current tab, in its console.
      cui::VM *vm = OpenVm("Quiz");
      ASSERT_NE(vm, nullptr);
      vmPath_ = vm->GetVmPath();
      const std::string record = "/appdata/Tremory/zolt/openedObj/#viewTest/";
      Write(record + "type", "vm");
      Write(record + "path", vmPath_);
      Write(record + "viewType", "console");
      wui::GetPrefs()->SetCurrentObj(record);
      ASSERT_TRUE(PollUntil([this]() { return Console()->GetVMPath() == _bstr_t(vmPath_.c_str()); }));
   }
   void TearDown() override
   {
      DestroyWindow(holder_);
      Config_Set("test.vmmsg.answer", "0");
      SessionFixture::TearDown();
   }

   IMksCtlPtr Console()
   {
      IMksCtlPtr console;
      atl::CAxWindow(view_.GetConsoleHost()).QueryControl(&console);
      return console;
   }

   // Puts a question to the user the way the machine does; the console asks it once.
   void Ask(const std::string &text, const std::string &kind, int defaultAnswer)
   {
      const std::string question = vmPath_ + "mks/question/";
      cui::GetVmdbCtx().Remove(question + "answer");
      Write(question + "buttonSet", "yesNo");
      Write(question + "kind", kind);
      Write(question + "defaultAnswer", std::to_string(defaultAnswer));
      Write(question + "text", text);
      Poll(300);
   }
   std::string Answer() const { return Read(vmPath_ + "mks/question/answer"); }

   HWND holder_ = nullptr;
   CZOLTView view_;
   std::string vmPath_;
};

TEST_F(ViewConsole, MachineQuestionIsAskedUnderTheMachinesNameAndAnswered)
{
   // A real box: its title is the machine's name, the console's default answer has the focus,
   // and the button pressed is the machine's answer.
   Config_Set("test.vmmsg.answer", "");
   BoxSeen seen;
   gBoxSeen = &seen;
   UINT_PTR timer = SetTimer(nullptr, 0, 100, OnBoxTimer);
   Ask("The CD-ROM door is locked. Unlock it?", "warning", 1);
   KillTimer(nullptr, timer);
   gBoxSeen = nullptr;
   EXPECT_TRUE(seen.shown);
   EXPECT_EQ(seen.title, "Quiz");
   EXPECT_EQ(seen.focusedId, IDNO);
   EXPECT_EQ(Answer(), "1") << "the answer reaches the machine";
   EXPECT_EQ(Console()->GetMessageActive(), VARIANT_FALSE) << "the flag is lowered after the message";

   // A message the message object refuses (a kind it does not know) gets no answer, and the
   // flag still comes down.
   Config_Set("test.vmmsg.answer", "0");
   Ask("Something odd happened.", "fatal", 0);
   EXPECT_EQ(Answer(), "") << "no answer for a failed message";
   EXPECT_EQ(Console()->GetMessageActive(), VARIANT_FALSE);

   Ask("Keep the changes?", "hintQuestion", 0);
   EXPECT_EQ(Answer(), "0");
}

TEST_F(ViewConsole, ATabWhoseTeamIsGoneIsClosed)
{
   const std::string record = "/appdata/Tremory/zolt/openedObj/#goneTeam/";
   Write(record + "type", "team");
   Write(record + "path", folder_ + "\\gone.vmtm");
   Write(record + "viewType", "summary");
   wui::GetPrefs()->SetCurrentObj(record);
   EXPECT_TRUE(PollUntil([&]() { return !Exists(record + "type"); })) << "the record outlived its team";
   EXPECT_TRUE(IsWindow(view_.m_hWnd));
}

}  // namespace

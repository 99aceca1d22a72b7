// The new-machine command: the wizard run inside the host's "createVMCfg", what is kept when it
// is finished, cancelled or fails, and opening the new machine.
#include "MachineCmdsFixture.h"

#include "WizardDriver.h"
#include "tremhwcfg/TremHwCfgRes.h"
#include "tremorybase/Config.h"
#include "tremorybase/Log.h"

#include <fstream>
#include <sstream>

namespace {

std::wstring Caption(UINT id)
{
   wchar_t text[256] = L"";
   LoadStringW(GetModuleHandleW(nullptr), id, text, 256);
   return text;
}

std::wstring Wide(const std::string &text)
{
   return std::wstring(text.begin(), text.end());
}

bool FileExists(const std::string &path)
{
   return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

class NewVM : public MachineCmds {
protected:
   // Fills the name page and goes on through the other pages with their defaults, then finishes.
   static void FinishWizard(HWND sheet, const std::wstring &name, const std::wstring &folder)
   {
      wiztest::SetItemText(sheet, IDC_NWZ_NAME, name);
      wiztest::SetItemText(sheet, IDC_NWZ_LOCATION, folder);
      for (int i = 0; i < 8 && wiztest::CurrentPageId(sheet) != IDD_NWZ_FINISH; ++i) {
         wiztest::Press(sheet, PSBTN_NEXT);
      }
      ASSERT_EQ(wiztest::CurrentPageId(sheet), IDD_NWZ_FINISH);
      wiztest::Press(sheet, PSBTN_FINISH);
   }
   int CommandsLeft() const
   {
      return CountElements(Read(cui::appdata::kCurrentHost) + "util/vm/cmd/#");
   }
};

TEST_F(NewVM, AFinishedWizardMakesTheFileOpensItAndShowsTheCompletionPage)
{
   std::string file = folder_ + "\\Built Box.vmx";
   wiztest::WizardDriver wizard(Caption(IDS_NWZ_CAPTION),
                                [&](HWND sheet) { FinishWizard(sheet, L"Built Box", Wide(folder_)); });
   wiztest::WizardDriver completed(L"Virtual Machine Created",
                                   [](HWND page) { PostMessageA(page, WM_COMMAND, IDOK, 0); });
   app_->NewVMAndOpen();
   ASSERT_TRUE(wizard.Ran());
   ASSERT_TRUE(PollUntil([&]() { return completed.Ran(); }, 5000)) << "the completion page follows the open";

   ASSERT_TRUE(FileExists(file));
   EXPECT_NE(FileText(file).find("displayName = \"Built Box\""), std::string::npos) << FileText(file);
   cui::VM *vm = wui::GetVMMgr()->GetVMByCfgPath(file);
   ASSERT_TRUE(vm);
   EXPECT_EQ(Current(), RecordOf(vm)) << "the new machine's tab is current";
   EXPECT_EQ(CommandsLeft(), 0) << "the command's element is removed";
}

TEST_F(NewVM, ACancelledWizardKeepsAFileThatWasThereAndCreatesNothing)
{
   std::string existing = WriteVmx("Old Box");
   std::string before = FileText(existing);
   wiztest::WizardDriver wizard(Caption(IDS_NWZ_CAPTION), [&](HWND sheet) {
      wiztest::SetItemText(sheet, IDC_NWZ_NAME, L"Old Box");
      wiztest::SetItemText(sheet, IDC_NWZ_LOCATION, Wide(folder_));
      wiztest::Press(sheet, PSBTN_CANCEL);
   });
   _bstr_t cfgFile("unchanged");
   _bstr_t user("u");
   _bstr_t password("p");
   EXPECT_EQ(app_->NewVM(cfgFile, user, password, true), 0);
   ASSERT_TRUE(wizard.Ran());
   EXPECT_EQ(std::string(static_cast<const char *>(user)), "u");
   EXPECT_TRUE(FileExists(existing));
   EXPECT_EQ(FileText(existing), before);
   EXPECT_EQ(CommandsLeft(), 0);
   EXPECT_EQ(RecordCount(), 1);

   // Closed before anything was named: no command reaches the host, so it has nothing to refuse.
   const size_t logBefore = LogMark();
   wiztest::WizardDriver closed(Caption(IDS_NWZ_CAPTION), [](HWND sheet) { PostMessageA(sheet, WM_CLOSE, 0, 0); });
   EXPECT_EQ(app_->NewVM(cfgFile, user, password, true), 0);
   ASSERT_TRUE(closed.Ran());
   const std::string logged = LoggedSince(logBefore);
   EXPECT_EQ(logged.find("createVMCfg"), std::string::npos) << logged;
   EXPECT_EQ(CommandsLeft(), 0);
}

TEST_F(NewVM, AFailedCreationIsReportedAndNothingIsOpened)
{
   Config_Set("test.host.fail", "createVMCfg");
   std::string file = folder_ + "\\Failing Box.vmx";
   wiztest::WizardDriver wizard(Caption(IDS_NWZ_CAPTION),
                                [&](HWND sheet) { FinishWizard(sheet, L"Failing Box", Wide(folder_)); });
   wiztest::WizardDriver completed(L"Virtual Machine Created",
                                   [](HWND page) { PostMessageA(page, WM_COMMAND, IDOK, 0); });
   app_->NewVMAndOpen();
   Config_Set("test.host.fail", "");
   ASSERT_TRUE(wizard.Ran());
   Poll(300);
   EXPECT_FALSE(completed.Ran());
   EXPECT_FALSE(FileExists(file));
   EXPECT_EQ(wui::GetVMMgr()->GetVMs().size(), 0u) << "no open of a missing file";
   EXPECT_EQ(RecordCount(), 1);
   EXPECT_EQ(CommandsLeft(), 0);
}

TEST_F(NewVM, ALockedOutHostGetsNoWizard)
{
   Write(wui::GetCurrentHost()->GetPath() + "policy/lockoutCreateVM", "1");
   wiztest::WizardDriver wizard(Caption(IDS_NWZ_CAPTION), [](HWND sheet) { wiztest::Press(sheet, PSBTN_CANCEL); });
   _bstr_t cfgFile;
   _bstr_t user;
   _bstr_t password;
   EXPECT_EQ(app_->NewVM(cfgFile, user, password, true), 0);
   Poll(200);
   EXPECT_FALSE(wizard.Ran());
   EXPECT_EQ(CommandsLeft(), 0);
}

// The new-machine wizard driven through its pages as a user would, with the command's inputs
// read back from the state database.
#include <gtest/gtest.h>

#include <vector>

#include "WizardDriver.h"
#include "atl/ClassTable.h"
#include "WizardTestSupport.h"
#include "tremhwcfg/TremHwCfgRes.h"

using namespace wiztest;

namespace {

std::wstring MachineCaption()
{
   return Text(IDS_NWZ_CAPTION);
}

void ExpectRefused(HWND sheet, int pageId, const std::wstring &refusal)
{
   Press(sheet, PSBTN_NEXT);
   EXPECT_EQ(pageId, CurrentPageId(sheet));
   EXPECT_EQ(refusal, ItemText(CurrentPage(sheet), IDC_NWZ_ERROR));
}

bool ContainsText(const std::wstring &text, const std::wstring &part)
{
   return text.find(part) != std::wstring::npos;
}

}  // namespace

TEST(NwzWizard, FinishedRunRecordsEveryChoiceAndTheAccount)
{
   CommandElement command;
   ScratchFolder folder;
   ITremNwzPtr wizard = CreateWizard(command);
   ASSERT_TRUE(wizard);
   std::wstring file = folder.Sub(L"Test Box.vmx");

   WizardDriver driver(MachineCaption(), [&](HWND sheet) {
      EXPECT_EQ(IDD_NWZ_NAME, CurrentPageId(sheet));
      EXPECT_FALSE(IsWindowVisible(GetDlgItem(CurrentPage(sheet), IDC_NWZ_FROM_MACHINE)));
      SetItemText(sheet, IDC_NWZ_NAME, L"Test Box");
      SetItemText(sheet, IDC_NWZ_LOCATION, folder.Path());
      EXPECT_EQ(file, ItemText(CurrentPage(sheet), IDC_NWZ_FILE));
      SaveShot(sheet, "1-name");
      Press(sheet, PSBTN_NEXT);

      ASSERT_EQ(IDD_NWZ_GUEST, CurrentPageId(sheet));
      // The inputs are written as the user goes, not only at the end.
      EXPECT_EQ(file, command.Input(L"file"));
      ASSERT_TRUE(SelectListItem(sheet, IDC_NWZ_GUEST_LIST, L"Windows Vista"));
      SaveShot(sheet, "2-guest");
      Press(sheet, PSBTN_NEXT);

      ASSERT_EQ(IDD_NWZ_MEMORY, CurrentPageId(sheet));
      EXPECT_EQ(L"512", ItemText(CurrentPage(sheet), IDC_NWZ_MEMORY));
      SetItemText(sheet, IDC_NWZ_MEMORY, L"1024");
      SendDlgItemMessageW(CurrentPage(sheet), IDC_NWZ_CPUS, CB_SETCURSEL, 1, 0);
      SaveShot(sheet, "3-memory");
      Press(sheet, PSBTN_NEXT);

      ASSERT_EQ(IDD_NWZ_DISK, CurrentPageId(sheet));
      EXPECT_EQ(L"16", ItemText(CurrentPage(sheet), IDC_NWZ_DISK));
      SetItemText(sheet, IDC_NWZ_DISK, L"20");
      SaveShot(sheet, "4-disk");
      Press(sheet, PSBTN_NEXT);

      ASSERT_EQ(IDD_NWZ_NETWORK, CurrentPageId(sheet));
      EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(CurrentPage(sheet), IDC_NWZ_NET_NAT));
      Check(sheet, IDC_NWZ_NET_NAT, false);
      Check(sheet, IDC_NWZ_NET_BRIDGED, true);
      SaveShot(sheet, "5-network");
      Press(sheet, PSBTN_NEXT);

      ASSERT_EQ(IDD_NWZ_FINISH, CurrentPageId(sheet));
      std::wstring summary = ItemText(CurrentPage(sheet), IDC_NWZ_SUMMARY);
      EXPECT_TRUE(ContainsText(summary, file)) << summary.c_str();
      EXPECT_TRUE(ContainsText(summary, L"1024 MB"));
      EXPECT_TRUE(ContainsText(summary, L"20 GB"));
      EXPECT_TRUE(ContainsText(summary, Text(IDS_NWZ_NET_BRIDGED)));
      EXPECT_EQ(Text(IDS_NWZ_OPEN_NOTE), ItemText(CurrentPage(sheet), IDC_NWZ_OPEN_NOTE));
      Check(sheet, IDC_NWZ_PRIVATE, true);
      SetItemText(sheet, IDC_NWZ_USER, L"alice");
      SetItemText(sheet, IDC_NWZ_PASSWORD, L"s3cret");
      SaveShot(sheet, "6-finish");
      Press(sheet, PSBTN_FINISH);
   });
   EXPECT_EQ(TREMNWZ_FINISHED, wizard->Run());
   EXPECT_TRUE(driver.Ran());

   EXPECT_EQ(file, command.Input(L"file"));
   EXPECT_EQ(L"1", command.Input(L"access/private"));
   EXPECT_EQ(L"Test Box", command.Input(L"config/displayName"));
   EXPECT_EQ(L"vista", command.Input(L"config/guestOS"));
   EXPECT_EQ(L"1024", command.Input(L"config/memoryMB"));
   EXPECT_EQ(L"2", command.Input(L"config/cpuCount"));
   EXPECT_EQ(L"20480", command.Input(L"config/diskSizeMB"));
   EXPECT_EQ(L"bridged", command.Input(L"config/network"));
   EXPECT_EQ(_bstr_t(L"alice"), wizard->GetVMUserName());
   EXPECT_EQ(_bstr_t(L"s3cret"), wizard->GetVMUserPassword());
   // The wizard only describes the machine: the host makes it.
   EXPECT_FALSE(Exists(file));
}

TEST(NwzWizard, ProposalsFollowTheNameAndGuestUntilTheUserChoosesOtherwise)
{
   CommandElement command;
   ITremNwzPtr wizard = CreateWizard(command);
   ASSERT_TRUE(wizard);
   wizard->SetOpenWhenDone(VARIANT_FALSE);
   std::wstring proposed = DocumentsFolder() + L"\\Machines\\Alpha";

   WizardDriver driver(MachineCaption(), [&](HWND sheet) {
      SetItemText(sheet, IDC_NWZ_NAME, L"Alpha");
      EXPECT_EQ(proposed, ItemText(CurrentPage(sheet), IDC_NWZ_LOCATION));
      EXPECT_EQ(proposed + L"\\Alpha.vmx", ItemText(CurrentPage(sheet), IDC_NWZ_FILE));
      Press(sheet, PSBTN_NEXT);
      EXPECT_EQ(proposed + L"\\Alpha.vmx", command.Input(L"file"));

      // Back keeps what was typed; a new name moves the proposed folder along.
      Press(sheet, PSBTN_BACK);
      ASSERT_EQ(IDD_NWZ_NAME, CurrentPageId(sheet));
      EXPECT_EQ(L"Alpha", ItemText(CurrentPage(sheet), IDC_NWZ_NAME));
      SetItemText(sheet, IDC_NWZ_NAME, L"Beta");
      EXPECT_EQ(DocumentsFolder() + L"\\Machines\\Beta", ItemText(CurrentPage(sheet), IDC_NWZ_LOCATION));
      // A location the user typed stays when the name changes again.
      SetItemText(sheet, IDC_NWZ_LOCATION, L"C:\\Elsewhere");
      SetItemText(sheet, IDC_NWZ_NAME, L"Gamma");
      EXPECT_EQ(L"C:\\Elsewhere", ItemText(CurrentPage(sheet), IDC_NWZ_LOCATION));
      EXPECT_EQ(L"C:\\Elsewhere\\Gamma.vmx", ItemText(CurrentPage(sheet), IDC_NWZ_FILE));
      Press(sheet, PSBTN_NEXT);

      ASSERT_TRUE(SelectListItem(sheet, IDC_NWZ_GUEST_LIST, L"MS-DOS"));
      Press(sheet, PSBTN_NEXT);
      EXPECT_EQ(L"32", ItemText(CurrentPage(sheet), IDC_NWZ_MEMORY));
      EXPECT_TRUE(ContainsText(ItemText(CurrentPage(sheet), IDC_NWZ_MEMORY_RANGE), L"MS-DOS"));
      Press(sheet, PSBTN_BACK);
      ASSERT_TRUE(SelectListItem(sheet, IDC_NWZ_GUEST_LIST, L"Windows Vista"));
      Press(sheet, PSBTN_NEXT);
      EXPECT_EQ(L"512", ItemText(CurrentPage(sheet), IDC_NWZ_MEMORY));
      SetItemText(sheet, IDC_NWZ_MEMORY, L"768");
      Press(sheet, PSBTN_NEXT);
      EXPECT_EQ(L"16", ItemText(CurrentPage(sheet), IDC_NWZ_DISK));

      // The user's memory stays with another guest; the untouched disk size follows it.
      Press(sheet, PSBTN_BACK);
      Press(sheet, PSBTN_BACK);
      ASSERT_EQ(IDD_NWZ_GUEST, CurrentPageId(sheet));
      ASSERT_TRUE(SelectListItem(sheet, IDC_NWZ_GUEST_LIST, L"MS-DOS"));
      Press(sheet, PSBTN_NEXT);
      EXPECT_EQ(L"768", ItemText(CurrentPage(sheet), IDC_NWZ_MEMORY));
      Press(sheet, PSBTN_NEXT);
      EXPECT_EQ(L"2", ItemText(CurrentPage(sheet), IDC_NWZ_DISK));
      Press(sheet, PSBTN_NEXT);
      Press(sheet, PSBTN_NEXT);
      ASSERT_EQ(IDD_NWZ_FINISH, CurrentPageId(sheet));
      EXPECT_EQ(Text(IDS_NWZ_ADD_NOTE), ItemText(CurrentPage(sheet), IDC_NWZ_OPEN_NOTE));
      Press(sheet, PSBTN_FINISH);
   });
   EXPECT_EQ(TREMNWZ_FINISHED, wizard->Run());
   EXPECT_EQ(L"C:\\Elsewhere\\Gamma.vmx", command.Input(L"file"));
   EXPECT_EQ(L"dos", command.Input(L"config/guestOS"));
   EXPECT_EQ(L"768", command.Input(L"config/memoryMB"));
   EXPECT_EQ(L"2048", command.Input(L"config/diskSizeMB"));
   EXPECT_EQ(L"nat", command.Input(L"config/network"));
   EXPECT_EQ(L"0", command.Input(L"access/private"));
   EXPECT_EQ(_bstr_t(L""), wizard->GetVMUserName());
}

TEST(NwzWizard, BadInputIsRefusedOnThePageAndCancelLeavesNothingToMake)
{
   CommandElement command;
   ScratchFolder folder;
   folder.WriteFile(L"taken.vmx");
   folder.WriteFile(L"plain.txt");
   ITremNwzPtr wizard = CreateWizard(command);
   ASSERT_TRUE(wizard);
   std::wstring fresh = folder.Sub(L"new\\deeper");

   WizardDriver driver(MachineCaption(), [&](HWND sheet) {
      SetItemText(sheet, IDC_NWZ_NAME, L"   ");
      ExpectRefused(sheet, IDD_NWZ_NAME, Text(IDS_NWZ_ERR_NAME_EMPTY));
      SaveShot(sheet, "7-refused-name");
      for (const wchar_t *bad : {L"a?b", L"back\\slash", L"dot."}) {
         SetItemText(sheet, IDC_NWZ_NAME, bad);
         ExpectRefused(sheet, IDD_NWZ_NAME, Text(IDS_NWZ_ERR_NAME_CHARS));
      }
      SetItemText(sheet, IDC_NWZ_NAME, L"taken");
      SetItemText(sheet, IDC_NWZ_LOCATION, L"relative\\folder");
      ExpectRefused(sheet, IDD_NWZ_NAME, Text(IDS_NWZ_ERR_LOCATION_RELATIVE));
      SetItemText(sheet, IDC_NWZ_LOCATION, L"");
      ExpectRefused(sheet, IDD_NWZ_NAME, Text(IDS_NWZ_ERR_LOCATION_EMPTY));
      std::wstring underFile = folder.Sub(L"plain.txt\\sub");
      SetItemText(sheet, IDC_NWZ_LOCATION, underFile);
      ExpectRefused(sheet, IDD_NWZ_NAME, Text(IDS_NWZ_ERR_FOLDER, underFile));
      SetItemText(sheet, IDC_NWZ_LOCATION, folder.Path());
      ExpectRefused(sheet, IDD_NWZ_NAME, Text(IDS_NWZ_ERR_EXISTS, folder.Sub(L"taken.vmx")));
      // Nothing was recorded while the page refused.
      EXPECT_EQ(L"", command.Input(L"file"));

      SetItemText(sheet, IDC_NWZ_LOCATION, fresh);
      Press(sheet, PSBTN_NEXT);
      ASSERT_EQ(IDD_NWZ_GUEST, CurrentPageId(sheet));
      EXPECT_EQ(fresh + L"\\taken.vmx", command.Input(L"file"));
      Press(sheet, PSBTN_NEXT);

      ASSERT_EQ(IDD_NWZ_MEMORY, CurrentPageId(sheet));
      std::wstring outOfRange = Text(IDS_NWZ_ERR_MEMORY, L"4", L"3600");
      for (const wchar_t *bad : {L"0", L"", L"abc", L"3604", L"99999999999"}) {
         SetItemText(sheet, IDC_NWZ_MEMORY, bad);
         ExpectRefused(sheet, IDD_NWZ_MEMORY, outOfRange);
      }
      SetItemText(sheet, IDC_NWZ_MEMORY, L"6");
      ExpectRefused(sheet, IDD_NWZ_MEMORY, Text(IDS_NWZ_ERR_MEMORY_STEP, L"4", L"3600", L"4"));
      SaveShot(sheet, "8-refused-memory");
      SetItemText(sheet, IDC_NWZ_MEMORY, L"8");
      Press(sheet, PSBTN_NEXT);

      ASSERT_EQ(IDD_NWZ_DISK, CurrentPageId(sheet));
      for (const wchar_t *bad : {L"0", L"951", L"1.5"}) {
         SetItemText(sheet, IDC_NWZ_DISK, bad);
         ExpectRefused(sheet, IDD_NWZ_DISK, Text(IDS_NWZ_ERR_DISK, L"1", L"950"));
      }
      SetItemText(sheet, IDC_NWZ_DISK, L"1");
      Press(sheet, PSBTN_NEXT);
      ASSERT_EQ(IDD_NWZ_NETWORK, CurrentPageId(sheet));
      EXPECT_EQ(L"8", command.Input(L"config/memoryMB"));
      EXPECT_EQ(L"1024", command.Input(L"config/diskSizeMB"));
      Press(sheet, PSBTN_CANCEL);
   });
   EXPECT_EQ(TREMNWZ_CANCELLED, wizard->Run());
   EXPECT_TRUE(driver.Ran());
   // The file chosen before Cancel is gone from the inputs, so nothing is made or deleted.
   EXPECT_EQ(L"", command.Input(L"file"));
   EXPECT_FALSE(Exists(folder.Sub(L"new")));
   EXPECT_TRUE(Exists(folder.Sub(L"taken.vmx")));
}

TEST(NwzWizard, RemoteHostChecksOnlyTheFormOfThePathAndCannotBeBrowsed)
{
   CommandElement command;
   ScratchFolder folder;
   folder.WriteFile(L"plain.txt");
   ITremNwzPtr wizard = CreateWizard(command);
   ASSERT_TRUE(wizard);
   wizard->SetHostPath(L"/host2/#0001/");
   wizard->SetClientHostPath(L"/host/");
   std::wstring remote = folder.Sub(L"plain.txt\\on-the-host");

   WizardDriver driver(MachineCaption(), [&](HWND sheet) {
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(CurrentPage(sheet), IDC_NWZ_BROWSE)));
      SetItemText(sheet, IDC_NWZ_NAME, L"Remote");
      SetItemText(sheet, IDC_NWZ_LOCATION, L"relative");
      ExpectRefused(sheet, IDD_NWZ_NAME, Text(IDS_NWZ_ERR_LOCATION_RELATIVE));
      SetItemText(sheet, IDC_NWZ_LOCATION, remote);
      Press(sheet, PSBTN_NEXT);
      EXPECT_EQ(IDD_NWZ_GUEST, CurrentPageId(sheet));
      EXPECT_EQ(remote + L"\\Remote.vmx", command.Input(L"file"));
      Press(sheet, PSBTN_CANCEL);
   });
   EXPECT_EQ(TREMNWZ_CANCELLED, wizard->Run());
   EXPECT_EQ(L"", command.Input(L"file"));
}

TEST(NwzWizard, RunWithoutAPlaceToRecordFailsWithoutShowing)
{
   CLSID clsid;
   ASSERT_EQ(S_OK, atl::ClassTable::ClassIdFromName(L"tremhwcfg.Nwz.9", &clsid));
   ITremNwzPtr wizard;
   ASSERT_EQ(S_OK, wizard.CreateInstance(clsid, nullptr, 0x17));
   WizardDriver driver(MachineCaption(), [](HWND sheet) { Press(sheet, PSBTN_CANCEL); });
   EXPECT_EQ(TREMNWZ_FAILED, wizard->Run());
   EXPECT_FALSE(driver.Ran());
}

TEST(NwzWizard, TemplateModeAsksTheTemplateOptionsAndTellsTheApplication)
{
   CommandElement command;
   ScratchFolder folder;
   ITremNwzPtr wizard = CreateWizard(command);
   ASSERT_TRUE(wizard);
   ITremNwzTemplatePtr twin(wizard);
   ASSERT_TRUE(twin);
   TremNwzSignal switchSignal;
   TremNwzSignal runningSignal;
   std::vector<bool> switches;
   std::vector<bool> running;
   switchSignal.connect([&switches](bool on) { switches.push_back(on); });
   runningSignal.connect([&running](bool on) { running.push_back(on); });
   twin->SetMode(TREMNWZ_MODE_TEMPLATE);
   twin->SetAppSignals(reinterpret_cast<INT_PTR>(&switchSignal), reinterpret_cast<INT_PTR>(&runningSignal));

   WizardDriver driver(Text(IDS_NWZ_TEMPLATE_CAPTION), [&](HWND sheet) {
      EXPECT_EQ(std::vector<bool>{true}, running);
      EXPECT_TRUE(IsWindowVisible(GetDlgItem(CurrentPage(sheet), IDC_NWZ_FROM_MACHINE)));
      SetItemText(sheet, IDC_NWZ_NAME, L"Golden");
      SetItemText(sheet, IDC_NWZ_LOCATION, folder.Path());
      for (int page = 0; page < 5; ++page) {
         Press(sheet, PSBTN_NEXT);
      }
      ASSERT_EQ(IDD_NWZ_TEMPLATE, CurrentPageId(sheet));
      HWND server = GetDlgItem(CurrentPage(sheet), IDC_NWZ_SERVER);
      EXPECT_FALSE(IsWindowEnabled(server));
      Check(sheet, IDC_NWZ_TO_SERVER, true);
      Click(sheet, IDC_NWZ_TO_SERVER);
      EXPECT_TRUE(IsWindowEnabled(server));
      ExpectRefused(sheet, IDD_NWZ_TEMPLATE, Text(IDS_NWZ_ERR_SERVER));
      SetItemText(sheet, IDC_NWZ_SERVER, L"srv-one");
      Check(sheet, IDC_NWZ_POWER_ON, true);
      Check(sheet, IDC_NWZ_NEW_TAB, false);
      SaveShot(sheet, "9-template");
      Press(sheet, PSBTN_NEXT);
      ASSERT_EQ(IDD_NWZ_FINISH, CurrentPageId(sheet));
      EXPECT_EQ(Text(IDS_NWZ_TEMPLATE_NOTE), ItemText(CurrentPage(sheet), IDC_NWZ_OPEN_NOTE));
      Press(sheet, PSBTN_FINISH);
   });
   EXPECT_EQ(TREMNWZ_FINISHED, wizard->Run());
   EXPECT_EQ((std::vector<bool>{true, false}), running);
   EXPECT_TRUE(switches.empty());
   EXPECT_EQ(folder.Sub(L"Golden.vmx"), command.Input(L"file"));
   EXPECT_EQ(VARIANT_TRUE, twin->GetPowerOnWhenOpened());
   EXPECT_EQ(VARIANT_FALSE, twin->GetOpenInNewTab());
   EXPECT_EQ(VARIANT_TRUE, twin->GetMakeCurrent());
   EXPECT_EQ(VARIANT_TRUE, twin->IsForZephroServer());
   EXPECT_EQ(_bstr_t(L"srv-one"), twin->GetZephroServerName());
   // No server manager runs in this test: the server is not connected.
   EXPECT_EQ(0, twin->GetZephroServer());
}

TEST(NwzWizard, TemplateFromAnExistingMachineSwitchesAndEndsAsCancelled)
{
   CommandElement command;
   ScratchFolder folder;
   ITremNwzPtr wizard = CreateWizard(command);
   ASSERT_TRUE(wizard);
   ITremNwzTemplatePtr twin(wizard);
   TremNwzSignal switchSignal;
   std::vector<bool> switches;
   switchSignal.connect([&switches](bool on) { switches.push_back(on); });
   EXPECT_EQ(E_INVALIDARG, twin->raw_SetMode(7));
   twin->SetMode(TREMNWZ_MODE_TEMPLATE);
   twin->SetAppSignals(reinterpret_cast<INT_PTR>(&switchSignal), 0);

   WizardDriver driver(Text(IDS_NWZ_TEMPLATE_CAPTION), [&](HWND sheet) {
      SetItemText(sheet, IDC_NWZ_NAME, L"Golden");
      SetItemText(sheet, IDC_NWZ_LOCATION, folder.Path());
      Press(sheet, PSBTN_NEXT);
      EXPECT_EQ(folder.Sub(L"Golden.vmx"), command.Input(L"file"));
      Press(sheet, PSBTN_BACK);
      Click(sheet, IDC_NWZ_FROM_MACHINE);
   });
   EXPECT_EQ(TREMNWZ_CANCELLED, wizard->Run());
   EXPECT_EQ(std::vector<bool>{true}, switches);
   EXPECT_EQ(L"", command.Input(L"file"));
}

TEST(NwzCompleted, ShowsTheNewFileAndClosesWithTheUser)
{
   CLSID clsid;
   ASSERT_EQ(S_OK, atl::ClassTable::ClassIdFromName(L"tremhwcfg.NwzCompleted.9", &clsid));
   ITremNwzCompletedPtr page;
   ASSERT_EQ(S_OK, page.CreateInstance(clsid, nullptr, 0x17));
   page->SetConfigFile(L"C:\\Machines\\Alpha\\Alpha.vmx");
   std::wstring shown;
   WizardDriver driver(L"Virtual Machine Created", [&](HWND dialog) {
      shown = ItemText(dialog, IDC_NWZC_FILE);
      SaveShot(dialog, "10-completed");
      SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
   });
   EXPECT_EQ(S_OK, page->raw_Show(0));
   EXPECT_TRUE(driver.Ran());
   EXPECT_EQ(Text(IDS_NWZC_FILE, L"C:\\Machines\\Alpha\\Alpha.vmx"), shown);
}

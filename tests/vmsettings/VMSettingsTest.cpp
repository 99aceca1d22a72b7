#include "MachineTestSupport.h"

#include <windows.h>

#include "cui/DlgMgr.h"
#include "cui/Registry.h"
#include "cui/RpcMgr.h"
#include "cui/VM.h"
#include "cui/VMSettings.h"

namespace {

using wui::dialog::VMSettings;
using wui::dialog::VMSettingsValues;

const std::vector<KeyValueEntry> kMachine = {
   {"configVersion", "8"}, {"displayName", "Desk"},     {"guestOS", "winxp"},
   {"memoryMB", "256"},    {"cpuCount", "1"},           {"annotation", "First line\nSecond line"},
};

class VMSettingsTest : public MachineTest {
protected:
   void SetUp() override
   {
      MachineTest::SetUp();
      rpc_.reset(new vmdbLayout::rpc::Mgr(run_->ctx));
      cui::SetRpcMgr(rpc_.get());
      vmx_ = WriteVmx("Desk.vmx", kMachine);
      vm_ = Open(vmx_);
      ASSERT_TRUE(vm_);
   }
   void TearDown() override
   {
      if (VMSettings *settings = vm_ ? VMSettings::Find(vm_) : nullptr) {
         settings->Close();
      }
      delete wui::GetDlgMgr();
      cui::SetRpcMgr(nullptr);
      rpc_.reset();
      MachineTest::TearDown();
   }

   HWND ShowSettings()
   {
      VMSettings *settings = VMSettings::CreateInstance(vm_);
      EXPECT_TRUE(settings);
      if (!settings) {
         return nullptr;
      }
      settings->Show(1, 0, 0);
      return settings->GetWindow();
   }
   static std::string Text(HWND dlg, int id)
   {
      char text[512] = "";
      GetDlgItemTextA(dlg, id, text, sizeof text);
      return text;
   }
   static void Press(HWND dlg, int id) { SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
   // The names under "val/" of each request sent to the machine's configuration state.
   std::vector<std::vector<std::string>> Requests() const
   {
      std::vector<std::vector<std::string>> requests;
      for (const std::string &element : run_->ctx.Elements(vm_->GetVmPath() + "vmx/cfgState/req/#")) {
         requests.push_back(run_->ctx.Children(element + "val"));
      }
      return requests;
   }
   bool Gone(HWND dlg) { return Until([&]() { return !IsWindow(dlg); }); }
   // The library's error boxes that are up, closed once counted.
   size_t TakeErrors()
   {
      std::vector<cui::Dlg *> own = wui::GetDlgMgr()->GetOwnDlgs();
      for (cui::Dlg *dlg : own) {
         dlg->DeleteDlg();
      }
      return own.size();
   }

   std::unique_ptr<vmdbLayout::rpc::Mgr> rpc_;
   std::string vmx_;
   cui::VM *vm_ = nullptr;
};

TEST(VMSettingsRules, OnlyChangedFieldsAreSentAndHardwareOnlyWhenItCanChange)
{
   VMSettingsValues before{"Desk", 256, 1, "notes"};
   VMSettingsValues after = before;
   EXPECT_TRUE(wui::dialog::ChangedSettings(before, after, true).empty());
   after.memoryMB = 512;
   after.notes = "other";
   auto changed = wui::dialog::ChangedSettings(before, after, true);
   ASSERT_EQ(2u, changed.size());
   EXPECT_EQ("memoryMB", changed[0].first);
   EXPECT_EQ("512", changed[0].second);
   EXPECT_EQ("annotation", changed[1].first);
   // A running machine's hardware is never sent.
   after.cpuCount = 2;
   changed = wui::dialog::ChangedSettings(before, after, false);
   ASSERT_EQ(1u, changed.size());
   EXPECT_EQ("annotation", changed[0].first);

   // Memory: 4 to 3600, a multiple of 4; processors 1 or 2; a name is needed.
   for (long memory : {4L, 3600L, 1024L}) {
      after = before;
      after.memoryMB = memory;
      EXPECT_EQ("", wui::dialog::CheckSettings(before, after, true)) << memory;
   }
   for (long memory : {0L, 3L, 3604L, 258L, -1L}) {
      after = before;
      after.memoryMB = memory;
      EXPECT_NE("", wui::dialog::CheckSettings(before, after, true)) << memory;
      EXPECT_EQ("", wui::dialog::CheckSettings(before, after, false)) << "unchangeable, so not sent: " << memory;
   }
   after = before;
   after.cpuCount = 3;
   EXPECT_NE("", wui::dialog::CheckSettings(before, after, true));
   after = before;
   after.displayName = "  ";
   EXPECT_NE("", wui::dialog::CheckSettings(before, after, true));
   // A value the configuration had already is not the user's to mend.
   VMSettingsValues odd{"Odd", 257, 4, ""};
   VMSettingsValues renamed = odd;
   renamed.displayName = "Even";
   EXPECT_EQ("", wui::dialog::CheckSettings(odd, renamed, true));
}

TEST_F(VMSettingsTest, OKWithANewNameAndMemoryRewritesTheConfigurationAndTheDatabase)
{
   HWND dlg = ShowSettings();
   ASSERT_TRUE(dlg);
   char title[256] = "";
   GetWindowTextA(dlg, title, sizeof title);
   EXPECT_STREQ("Desk - Virtual Machine Settings", title);
   EXPECT_EQ("Desk", Text(dlg, VMSettings::kNameEdit));
   EXPECT_EQ("256", Text(dlg, VMSettings::kMemoryEdit));
   EXPECT_EQ("1", Text(dlg, VMSettings::kCPUCombo));
   EXPECT_EQ("First line\r\nSecond line", Text(dlg, VMSettings::kNotesEdit));
   EXPECT_TRUE(wui::GetDlgMgr()->IsRegistered(dlg)) << "keyboard navigation of a modeless window";

   SetDlgItemTextA(dlg, VMSettings::kNameEdit, "Work Desk");
   SetDlgItemTextA(dlg, VMSettings::kMemoryEdit, "1024");
   SendDlgItemMessageA(dlg, VMSettings::kCPUCombo, CB_SETCURSEL, 1, 0);
   Press(dlg, IDOK);
   ASSERT_TRUE(Gone(dlg)) << "the window closes once the host has applied the change";
   EXPECT_EQ(0u, TakeErrors());
   EXPECT_EQ(nullptr, VMSettings::Find(vm_));

   std::vector<KeyValueEntry> file = ReadEntries(vmx_);
   EXPECT_EQ("Work Desk", Value(file, "displayName"));
   EXPECT_EQ("1024", Value(file, "memoryMB"));
   EXPECT_EQ("2", Value(file, "cpuCount"));
   EXPECT_EQ("First line\nSecond line", Value(file, "annotation"));
   std::string val = vm_->GetVmPath() + "vmx/cfgState/val/";
   EXPECT_EQ("Work Desk", run_->ctx.Get(val + "displayName"));
   EXPECT_EQ("1024", run_->ctx.Get(val + "memoryMB"));
   EXPECT_TRUE(Until([&]() { return vm_->GetMemoryMB() == 1024 && vm_->GetName() == "Work Desk"; }));
}

TEST_F(VMSettingsTest, CancelAndUnchangedOKSendNothingAndOnlyChangedKeysAreSent)
{
   HWND dlg = ShowSettings();
   ASSERT_TRUE(dlg);
   SetDlgItemTextA(dlg, VMSettings::kMemoryEdit, "512");
   Press(dlg, IDCANCEL);
   ASSERT_TRUE(Gone(dlg));
   // OK with nothing changed (the notes' line ends included) closes without a request.
   dlg = ShowSettings();
   ASSERT_TRUE(dlg);
   Press(dlg, IDOK);
   ASSERT_TRUE(Gone(dlg));
   EXPECT_TRUE(Requests().empty());
   EXPECT_EQ("256", Value(ReadEntries(vmx_), "memoryMB"));

   // A memory size the guest table refuses is shown as an error and sent nowhere.
   dlg = ShowSettings();
   ASSERT_TRUE(dlg);
   SetDlgItemTextA(dlg, VMSettings::kMemoryEdit, "258");
   Press(dlg, IDOK);
   EXPECT_EQ(1u, TakeErrors());
   EXPECT_TRUE(IsWindow(dlg));
   EXPECT_TRUE(Requests().empty());

   SetDlgItemTextA(dlg, VMSettings::kMemoryEdit, "512");
   Press(dlg, IDOK);
   ASSERT_TRUE(Gone(dlg));
   std::vector<std::vector<std::string>> requests = Requests();
   ASSERT_EQ(1u, requests.size());
   EXPECT_EQ((std::vector<std::string>{"generationNo", "memoryMB"}), requests[0]);
   std::vector<KeyValueEntry> file = ReadEntries(vmx_);
   EXPECT_EQ("512", Value(file, "memoryMB"));
   EXPECT_EQ("Desk", Value(file, "displayName"));
}

TEST_F(VMSettingsTest, ASecondInstanceForTheMachineIsTheWindowThatIsUp)
{
   HWND dlg = ShowSettings();
   ASSERT_TRUE(dlg);
   VMSettings *first = VMSettings::Find(vm_);
   SetDlgItemTextA(dlg, VMSettings::kNameEdit, "Typed");
   EXPECT_EQ(first, VMSettings::CreateInstance(vm_));
   EXPECT_EQ(dlg, ShowSettings());
   EXPECT_EQ("Typed", Text(dlg, VMSettings::kNameEdit)) << "what was typed stays";
   EXPECT_EQ(dlg, GetForegroundWindow());
}

TEST_F(VMSettingsTest, ClosingTheMachineClosesItsSettings)
{
   HWND dlg = ShowSettings();
   ASSERT_TRUE(dlg);
   Outcome closed;
   run_->mgr->CloseVM(vm_, closed.Abort(), closed.Done());
   EXPECT_TRUE(Gone(dlg));
   EXPECT_EQ(nullptr, VMSettings::Find(vm_));
   vm_ = nullptr;
   EXPECT_TRUE(Until([&]() { return closed.finished; }));
}

TEST_F(VMSettingsTest, ARunningMachineKeepsItsMemoryAndProcessors)
{
   Outcome on;
   vm_->SetPowerState(cui::VM::POWERED_ON, cui::VM::POWEROP_DEFAULT, on.Abort(), on.Done());
   ASSERT_TRUE(Until([&]() { return on.finished; }));
   ASSERT_TRUE(on.done) << on.error;

   HWND dlg = ShowSettings();
   ASSERT_TRUE(dlg);
   EXPECT_TRUE(GetWindowLongA(GetDlgItem(dlg, VMSettings::kMemoryEdit), GWL_STYLE) & ES_READONLY);
   EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, VMSettings::kCPUCombo)));
   EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, VMSettings::kHardwareNote)));
   // Text put into the read-only field by other means is not sent either.
   SetDlgItemTextA(dlg, VMSettings::kMemoryEdit, "1024");
   SetDlgItemTextA(dlg, VMSettings::kNameEdit, "Running Desk");
   Press(dlg, IDOK);
   ASSERT_TRUE(Gone(dlg));
   EXPECT_EQ(0u, TakeErrors());
   std::vector<KeyValueEntry> file = ReadEntries(vmx_);
   EXPECT_EQ("Running Desk", Value(file, "displayName"));
   EXPECT_EQ("256", Value(file, "memoryMB"));

   // Powered off while the window is up, the hardware can be changed again.
   dlg = ShowSettings();
   ASSERT_TRUE(dlg);
   Outcome off;
   vm_->SetPowerState(cui::VM::POWERED_OFF, cui::VM::POWEROP_HARD, off.Abort(), off.Done());
   ASSERT_TRUE(Until([&]() { return off.finished; }));
   EXPECT_TRUE(Until([&]() { return IsWindowEnabled(GetDlgItem(dlg, VMSettings::kCPUCombo)) != FALSE; }));
   EXPECT_FALSE(GetWindowLongA(GetDlgItem(dlg, VMSettings::kMemoryEdit), GWL_STYLE) & ES_READONLY);
   EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, VMSettings::kHardwareNote)));
}

}  // namespace

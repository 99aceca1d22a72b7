// VM > Settings through the application: the host's lockout keeps the window shut, an allowed
// command shows the library's settings window once and clears the machine's transient tab.
#include "MachineCmdsFixture.h"

#include "cui/Host.h"
#include "cui/VMSettings.h"
#include "res/resource.h"

class EditVMSettingsCmd : public MachineCmds {
protected:
   void TearDown() override
   {
      if (vm_) {
         if (wui::dialog::VMSettings *settings = wui::dialog::VMSettings::Find(vm_)) {
            settings->Close();
         }
      }
      MachineCmds::TearDown();
   }
   void Settings()
   {
      _bstr_t path(vm_->GetVmPath().c_str());
      app_->OnVMCommand(IDM_VM_SETTINGS, path, kSourceVMPopup);
   }

   cui::VM *vm_ = nullptr;
};

TEST_F(EditVMSettingsCmd, LockoutKeepsItShutAndAnAllowedCommandShowsOneWindow)
{
   Outcome outcome;
   std::string file = WriteVmx("locked");
   ASSERT_TRUE(OpenThroughApp(file, true, true, true, outcome));
   vm_ = wui::GetVMMgr()->GetVMByCfgPath(file);
   ASSERT_TRUE(vm_);
   ASSERT_TRUE(vm_->GetHost());
   wui::Prefs *prefs = wui::GetPrefs();
   ASSERT_NE(prefs->GetTransientObj(), "");

   std::string policy = vm_->GetHost()->GetPath() + "policy/lockoutEditVM";
   Write(policy, "1");
   Settings();
   EXPECT_EQ(nullptr, wui::dialog::VMSettings::Find(vm_)) << "locked out";
   EXPECT_EQ(prefs->GetTransientObj(), "") << "the tab the user works on is kept";

   Write(policy, "0");
   Settings();
   wui::dialog::VMSettings *settings = wui::dialog::VMSettings::Find(vm_);
   ASSERT_TRUE(settings);
   HWND window = settings->GetWindow();
   ASSERT_TRUE(IsWindowVisible(window));
   EXPECT_EQ(app_->GetFrameWindow(), GetWindow(window, GW_OWNER)) << "owned by the main window";
   Settings();
   EXPECT_EQ(settings, wui::dialog::VMSettings::Find(vm_));
   EXPECT_EQ(window, settings->GetWindow());
}

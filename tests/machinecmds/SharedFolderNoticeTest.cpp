// The power commands hand each machine the texts of its shared-folder notification; a boot that
// has the folders disabled shows them in the program's hint.
#include "MachineCmdsFixture.h"

#include "zoltDlgMgr.h"

#include "res/resource.h"
#include "tremorybase/Config.h"
#include "tremorybase/KeyValueFile.h"

namespace {

class SharedFolderNotice : public MachineCmds {
protected:
   wui::VM *OpenedVm(const std::string &name, const std::vector<KeyValueEntry> &extra)
   {
      std::string file = folder_ + "\\" + name + ".vmx";
      std::vector<KeyValueEntry> entries = {{"displayName", name}, {"guestOS", "other"}};
      entries.insert(entries.end(), extra.begin(), extra.end());
      std::string error;
      EXPECT_TRUE(KeyValueFile::Write(file, entries, error)) << error;
      Outcome outcome;
      EXPECT_TRUE(OpenThroughApp(file, false, true, true, outcome));
      return dynamic_cast<wui::VM *>(wui::GetVMMgr()->GetVMByCfgPath(file));
   }
};

// The program's hint window of this thread: the one with a "do not show again" box.
HWND FindHint()
{
   for (HWND w = GetTopWindow(nullptr); w; w = GetNextWindow(w, GW_HWNDNEXT)) {
      if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && GetDlgItem(w, IDC_VMDLG_CHECK)) {
         return w;
      }
   }
   return nullptr;
}

const std::vector<KeyValueEntry> kDisabledFolders = {{"sharedFolder0.present", "TRUE"},
                                                      {"sharedFolder.defaultDisabled", "TRUE"}};

}  // namespace

TEST_F(SharedFolderNotice, PowerOnGivesTheTextsAndTheDisabledFoldersAreShownInAHint)
{
   Config_Set("test.vmmsg.answer", "0");
   wui::VM *vm = OpenedVm("shares", kDisabledFolders);
   ASSERT_TRUE(vm);
   cui::SharedFolderMgr *folders = vm->GetSharedFolderMgr();
   ASSERT_TRUE(folders);
   EXPECT_EQ(folders->GetNotificationText(), "");

   app_->OnPowerCommand(IDM_VM_POWER_ON, vm);
   EXPECT_EQ(folders->GetNotificationText(), "Shared folders are disabled.") << "handed over before anything else";
   EXPECT_NE(folders->GetNotificationDetail().find("VM > Settings > Shared Folders"), std::string::npos)
      << folders->GetNotificationDetail();
   ASSERT_TRUE(WaitForState(vm, cui::VM::POWERED_ON, 8000));
   HWND hint = nullptr;
   ASSERT_TRUE(PollUntil([&]() { return (hint = FindHint()) != nullptr; }));
   char text[1024] = "";
   GetDlgItemTextA(hint, IDC_VMDLG_TEXT, text, sizeof text);
   EXPECT_EQ(std::string(text).find("Shared folders are disabled."), 0u) << text;
   EXPECT_NE(std::string(text).find("VM > Settings > Shared Folders"), std::string::npos) << text;
   Press(hint, IDC_VMDLG_FIRST);
   EXPECT_TRUE(PollUntil([&]() { return folders->GetNotification() == nullptr; })) << "the hint went with its OK";
}

TEST_F(SharedFolderNotice, OtherPowerCommandsGiveTheTextsTooAndAMachineWithoutFoldersShowsNothing)
{
   Config_Set("test.vmmsg.answer", "0");
   wui::VM *vm = OpenedVm("plain", {});
   ASSERT_TRUE(vm);
   ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_ON));
   cui::SharedFolderMgr *folders = vm->GetSharedFolderMgr();
   ASSERT_EQ(folders->GetNotificationText(), "");
   app_->OnPowerCommand(IDM_VM_RESTART_GUEST, vm);
   EXPECT_EQ(folders->GetNotificationText(), "Shared folders are disabled.");
   ASSERT_TRUE(PollUntil([&]() { return vm->GetBusy(cui::VM::BUSY_POWER); }, 2000));
   ASSERT_TRUE(WaitForState(vm, cui::VM::POWERED_ON, 8000));

   app_->OnPowerCommand(IDM_VM_POWER_OFF, vm);
   ASSERT_TRUE(WaitForState(vm, cui::VM::POWERED_OFF, 8000));
   app_->OnPowerCommand(IDM_VM_POWER_ON, vm);
   ASSERT_TRUE(WaitForState(vm, cui::VM::POWERED_ON, 8000));
   PollUntil([]() { return false; }, 300);
   EXPECT_EQ(FindHint(), nullptr);
   EXPECT_EQ(app_->GetDlgMgr()->GetDlgCount(), 0u);
   EXPECT_FALSE(folders->GetDisabled());
}

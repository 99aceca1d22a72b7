// Opening machines through the application: the open flags, the limit of opened objects, the
// connections of an opened machine, and closing its tab with and without the question.
#include "MachineCmdsFixture.h"

#include "res/resource.h"
#include "tremorybase/Config.h"
#include "zoltDlgMgr.h"
#include "zoltResources.h"

class OpenVM : public MachineCmds {};

TEST_F(OpenVM, FlagsDecideTheTabItsSelectionAndWhetherItIsTransient)
{
   wui::Prefs *prefs = wui::GetPrefs();
   ASSERT_EQ(Current(), cui::appdata::kHomeObj);

   // Open tab, not current: a tab of its own, the home tab stays current.
   Outcome quiet;
   ASSERT_TRUE(OpenThroughApp(WriteVmx("quiet"), false, true, false, quiet));
   ASSERT_EQ(quiet.dones, 1) << quiet.error;
   cui::VM *quietVm = wui::GetVMMgr()->GetVMByCfgPath(WriteVmx("quiet"));
   ASSERT_TRUE(quietVm);
   EXPECT_NE(RecordOf(quietVm), "");
   EXPECT_EQ(Current(), cui::appdata::kHomeObj);

   // No tab: the machine is open, no record is made.
   Outcome hidden;
   ASSERT_TRUE(OpenThroughApp(WriteVmx("hidden"), false, false, true, hidden));
   ASSERT_EQ(hidden.dones, 1) << hidden.error;
   cui::VM *hiddenVm = wui::GetVMMgr()->GetVMByCfgPath(WriteVmx("hidden"));
   ASSERT_TRUE(hiddenVm);
   EXPECT_EQ(RecordOf(hiddenVm), "");

   // New tab and current: the transient tab, selected.
   Outcome transient;
   ASSERT_TRUE(OpenThroughApp(WriteVmx("transient"), true, true, true, transient));
   ASSERT_EQ(transient.dones, 1) << transient.error;
   cui::VM *transientVm = wui::GetVMMgr()->GetVMByCfgPath(WriteVmx("transient"));
   ASSERT_TRUE(transientVm);
   std::string record = RecordOf(transientVm);
   ASSERT_NE(record, "");
   EXPECT_EQ(Current(), record);
   EXPECT_EQ(prefs->GetTransientObj(), record);

   // Current, not new: a lasting tab, selected, and the transient one stays as it is.
   Outcome lasting;
   ASSERT_TRUE(OpenThroughApp(WriteVmx("lasting"), false, true, true, lasting));
   cui::VM *lastingVm = wui::GetVMMgr()->GetVMByCfgPath(WriteVmx("lasting"));
   ASSERT_TRUE(lastingVm);
   EXPECT_EQ(Current(), RecordOf(lastingVm));
   EXPECT_EQ(prefs->GetTransientObj(), "");
}

TEST_F(OpenVM, EmptyPathAndMissingFileFailThroughTheErrorSlot)
{
   Outcome empty;
   EXPECT_FALSE(app_->OpenVM(_bstr_t(""), OpenFlags().MakeCurrent(), empty.Abort(), empty.Done()));
   EXPECT_EQ(empty.aborts, 1);
   EXPECT_EQ(empty.error, "Error opening a VM.");

   Outcome missing;
   int before = RecordCount();
   EXPECT_TRUE(OpenThroughApp(folder_ + "\\nowhere.vmx", false, true, true, missing));
   EXPECT_EQ(missing.aborts, 1);
   EXPECT_FALSE(missing.cancelled);
   EXPECT_NE(missing.error, "");
   EXPECT_EQ(missing.dones, 0);
   EXPECT_EQ(RecordCount(), before);
   EXPECT_EQ(Current(), cui::appdata::kHomeObj);
}

TEST_F(OpenVM, TheTwentyNinthRecordIsRefusedWithItsMessage)
{
   FillRecordsTo(27);
   Outcome accepted;
   ASSERT_TRUE(OpenThroughApp(WriteVmx("last"), false, true, true, accepted));
   ASSERT_EQ(accepted.dones, 1) << accepted.error;
   EXPECT_EQ(RecordCount(), 28);

   std::string refusedFile = WriteVmx("refused");
   Outcome refused;
   DialogAnswerer box([](HWND dlg) { PostMessageA(dlg, WM_COMMAND, IDOK, 0); });
   EXPECT_FALSE(app_->OpenVM(_bstr_t(refusedFile.c_str()), OpenFlags().NewTab().MakeCurrent(),
                             refused.Abort(), refused.Done()));
   EXPECT_TRUE(box.Answered());
   EXPECT_NE(box.Text().find(LoadResString(IDS_TOO_MANY_OPENED_OBJS)), std::string::npos) << box.Text();
   EXPECT_EQ(refused.aborts, 1);
   EXPECT_EQ(refused.error, "Error opening a VM config file.");
   Poll(100);
   EXPECT_EQ(wui::GetVMMgr()->GetVMByCfgPath(refusedFile), nullptr) << "the manager never saw it";
   EXPECT_EQ(RecordCount(), 28);
}

TEST_F(OpenVM, ARefusedOpenLeavesNoPathToMakeCurrent)
{
   FillRecordsTo(28);
   std::string file = WriteVmx("refused");
   Outcome refused;
   {
      DialogAnswerer box([](HWND dlg) { PostMessageA(dlg, WM_COMMAND, IDOK, 0); });
      ASSERT_FALSE(app_->OpenVM(_bstr_t(file.c_str()), OpenFlags().NewTab().MakeCurrent(), refused.Abort(),
                                refused.Done()));
   }
   // With room again, a transient open that is not to be made current takes a tab only when it
   // is the open the user asked for last; the refused one is not.
   cui::GetVmdbCtx().Remove(Record("f001"));
   cui::GetVmdbCtx().Remove(Record("f002"));
   Outcome later;
   ASSERT_TRUE(OpenThroughApp(file, true, true, false, later));
   ASSERT_EQ(later.dones, 1) << later.error;
   cui::VM *vm = wui::GetVMMgr()->GetVMByCfgPath(file);
   ASSERT_TRUE(vm);
   EXPECT_EQ(RecordOf(vm), "") << "a stale path made the later open take a tab";
   EXPECT_EQ(Current(), cui::appdata::kHomeObj);
}

TEST_F(OpenVM, ReopeningReplacesTheRemovalConnectionOnce)
{
   std::string file = WriteVmx("again");
   Outcome first;
   ASSERT_TRUE(OpenThroughApp(file, false, true, true, first));
   Outcome second;
   ASSERT_TRUE(OpenThroughApp(file, false, true, true, second));
   ASSERT_EQ(second.dones, 1) << second.error;
   cui::VM *vm = wui::GetVMMgr()->GetVMByCfgPath(file);
   ASSERT_TRUE(vm);
   EXPECT_EQ(vm->removed.size(), 1u) << "one tab closer per machine";
   EXPECT_EQ(RecordCount(), 2) << "home and one tab";
}

class CloseVMTab : public MachineCmds {
protected:
   cui::VM *OpenedVm(const std::string &name)
   {
      Outcome outcome;
      std::string file = WriteVmx(name);
      EXPECT_TRUE(OpenThroughApp(file, false, true, true, outcome));
      return wui::GetVMMgr()->GetVMByCfgPath(file);
   }
};

TEST_F(CloseVMTab, AMachineThatGoesAwayClosesItsOwnTab)
{
   cui::VM *vm = OpenedVm("leaving");
   ASSERT_TRUE(vm);
   ASSERT_NE(RecordOf(vm), "");
   std::string vmPath = vm->GetVmPath();
   Outcome closed;
   wui::GetVMMgr()->CloseVM(vm, closed.Abort(), closed.Done());
   ASSERT_TRUE(PollUntil([&]() { return CountElements(cui::appdata::kOpenedObjElements) == 1; }));
   EXPECT_EQ(Current(), cui::appdata::kHomeObj);
   EXPECT_EQ(wui::GetVMMgr()->GetVMByVMPath(vmPath), nullptr);
}

TEST_F(CloseVMTab, ARecordWhoseMachineIsGoneIsClosedWithoutIt)
{
   Write(Record("0100") + "type", "vm");
   Write(Record("0100") + "path", "/vm/#0099/");
   Outcome outcome;
   app_->CloseVMTab("/vm/#0099/", true, outcome.Abort(), outcome.Done());
   EXPECT_EQ(outcome.dones, 1);
   EXPECT_EQ(outcome.aborts, 0);
   EXPECT_FALSE(Exists(Record("0100")));
}

TEST_F(CloseVMTab, APoweredOffMachineClosesWithoutAQuestion)
{
   cui::VM *vm = OpenedVm("off");
   ASSERT_TRUE(vm);
   std::string file = vm->GetFilename();
   Outcome outcome;
   app_->CloseVMTab(vm->GetVmPath(), true, outcome.Abort(), outcome.Done());
   EXPECT_EQ(outcome.dones, 1);
   EXPECT_EQ(app_->GetDlgMgr()->GetDlgCount(), 0u);
   EXPECT_EQ(RecordCount(), 1);
   EXPECT_EQ(wui::GetVMMgr()->GetVMByCfgPath(file), nullptr);
}

TEST_F(CloseVMTab, APoweredOnMachineAsksAndEachAnswerDoesItsPart)
{
   struct Case {
      int choice;                 // radio index, or -1 for the Cancel button
      cui::VM::PowerState after;  // the machine's state once answered
      bool closed;
   };
   const Case cases[] = {
      {-1, cui::VM::POWERED_ON, false},
      {0, cui::VM::SUSPENDED, true},
      {1, cui::VM::POWERED_OFF, true},
      {2, cui::VM::POWERED_ON, true},
   };
   int n = 0;
   for (const Case &c : cases) {
      SCOPED_TRACE(c.choice);
      std::string name = "running" + std::to_string(n++);
      cui::VM *vm = OpenedVm(name);
      ASSERT_TRUE(vm);
      ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_ON));
      std::string file = vm->GetFilename();
      std::string vmPath = vm->GetVmPath();
      int recordsBefore = RecordCount();

      Outcome outcome;
      app_->CloseVMTab(vmPath, true, outcome.Abort(), outcome.Done());
      ASSERT_EQ(app_->GetDlgMgr()->GetDlgCount(), 1u) << "the question is up";
      EXPECT_EQ(outcome.dones + outcome.aborts, 0) << "the question alone closes nothing";
      HWND dlg = nullptr;
      for (HWND w = GetTopWindow(nullptr); w && !dlg; w = GetNextWindow(w, GW_HWNDNEXT)) {
         dlg = GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId() && GetDlgItem(w, IDC_VMDLG_SECOND) ? w : nullptr;
      }
      ASSERT_TRUE(dlg);
      if (c.choice < 0) {
         Press(dlg, IDC_VMDLG_SECOND);
      } else {
         SendDlgItemMessageA(dlg, IDC_VMDLG_CHOICE_FIRST + c.choice, BM_CLICK, 0, 0);
         Press(dlg, IDC_VMDLG_FIRST);
      }
      if (c.closed) {
         ASSERT_TRUE(PollUntil([&]() { return outcome.dones == 1; }, 8000)) << outcome.error;
         EXPECT_EQ(RecordCount(), recordsBefore - 1);
         Poll(300);
         cui::VM *reopened = OpenVm(name);
         ASSERT_TRUE(reopened);
         EXPECT_EQ(reopened->GetPowerState(), c.after);
         if (reopened->GetPowerState() != cui::VM::POWERED_OFF) {
            ASSERT_TRUE(PowerTo(reopened, cui::VM::POWERED_OFF));
         }
      } else {
         Poll(200);
         EXPECT_EQ(outcome.aborts, 1);
         EXPECT_TRUE(outcome.cancelled);
         EXPECT_EQ(RecordCount(), recordsBefore);
         EXPECT_EQ(vm->GetPowerState(), c.after);
         ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_OFF));
      }
      EXPECT_EQ(app_->GetDlgMgr()->GetDlgCount(), 0u);
   }
}

TEST_F(CloseVMTab, RunningInTheBackgroundByPreferenceAsksNothing)
{
   Write("/user/prefState/req/#ZOLT/val/zolt/backgroundOnClose", "1");
   Write("/user/prefState/val/zolt/backgroundOnClose", "1");
   cui::VM *vm = OpenedVm("background");
   ASSERT_TRUE(vm);
   ASSERT_TRUE(PowerTo(vm, cui::VM::POWERED_ON));
   Outcome outcome;
   app_->CloseVMTab(vm->GetVmPath(), true, outcome.Abort(), outcome.Done());
   EXPECT_EQ(app_->GetDlgMgr()->GetDlgCount(), 0u);
   EXPECT_EQ(outcome.dones, 1);
   Poll(300);
   cui::VM *again = OpenVm("background");
   ASSERT_TRUE(again);
   EXPECT_EQ(again->GetPowerState(), cui::VM::POWERED_ON) << "it went on running";
   ASSERT_TRUE(PowerTo(again, cui::VM::POWERED_OFF));
}

TEST_F(CloseVMTab, TheRegisteredMachinesCheckClosesOnlyUnregisteredMachineTabs)
{
   cui::VM *kept = OpenedVm("kept");
   cui::VM *dropped = OpenedVm("dropped");
   ASSERT_TRUE(kept && dropped);
   std::string hostPath = wui::GetCurrentHost()->GetPath();
   // Registered under the file's name in other letter case and slash direction.
   std::string keptFile = kept->GetFilename();
   for (char &ch : keptFile) {
      ch = ch == '\\' ? '/' : static_cast<char>(toupper(static_cast<unsigned char>(ch)));
   }
   Write(hostPath + "vms/registeredvms/#0001/cfgPath", keptFile);
   // A record of another kind whose path is no registered machine either.
   Write(Record("0200") + "type", "hotfix");
   Write(Record("0200") + "path", "C:\\fix\\request.vmhr");
   std::string droppedRecord = RecordOf(dropped);
   wui::GetPrefs()->SetCurrentObj(RecordOf(kept));

   app_->OnRegisteredVMsChanged();
   Poll(100);
   EXPECT_NE(RecordOf(kept), "");
   EXPECT_FALSE(Exists(droppedRecord));
   EXPECT_TRUE(Exists(Record("0200")));
   EXPECT_TRUE(Exists(cui::appdata::kHomeObj));
}

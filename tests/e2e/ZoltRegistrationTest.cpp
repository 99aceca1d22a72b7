// zolt.exe in its default mode, working against the local host: a machine named on the command
// line and a machine made with the wizard are registered on the host, open in a tab, and the
// saved tab opens again at the next start. The host's list lives beside the run's user data.
#include "WizardPages.h"
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "res/resource.h"
#include "tremhwcfg/TremHwCfgRes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using zoltrun::LowerAscii;
using zoltrun::NextPageWith;
using zoltrun::SetPageText;

// One run after another on the same user data; no "-H" and no "deskmoorMode" preference, so
// zolt starts in its remote-host mode with the local host.
class RegistrationRun : public zoltrun::ZoltRun {
public:
   explicit RegistrationRun(const e2e::TestFolder &folder)
      : ZoltRun(folder,
                "vmdb.preload = " +
                   e2e::QuoteValue(
                      folder.WriteFile("preload.vmdb", "/user/prefState/val/zolt/saveOpenedObjs = \"1\"\n")) +
                   "\n"),
        hostsList_(folder.PathOf("Hosts\\localhost.vms"))
   {
   }

   // Each run starts with an empty log.
   HWND Start(e2e::Process &process, const std::string &arguments)
   {
      e2e::RemovePath(LogPath());
      return ZoltRun::Start(process, arguments);
   }
   // The host's list file, in lower case (the host may write another letter case of the path).
   std::string HostsList() const { return LowerAscii(e2e::ReadTextFile(hostsList_).value_or("")); }

private:
   std::string hostsList_;
};

}  // namespace

TEST(ZoltRegistration, ACommandLineMachineIsRegisteredOpenedAndReopenedAtTheNextStart)
{
   e2e::TestFolder folder;
   const std::string vmx = folder.WriteFile("Listed.vmx", zoltrun::MachineVmx("Listed"));
   RegistrationRun run(folder);
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt, e2e::QuoteArgument(vmx));
      ASSERT_TRUE(frame);
      ASSERT_TRUE(run.WaitForLog("Listed.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
      EXPECT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened /appdata/Tremory/zolt/openedObj/#0001/")) << run.Log();
      EXPECT_EQ(run.HostsList(), LowerAscii(vmx) + "\r\n") << "registered once, on the local host";
      run.Close(zolt, frame);
   }
   {
      // No file given: the saved tab reopens, since the host still lists its machine.
      e2e::Process zolt;
      HWND frame = run.Start(zolt, "");
      ASSERT_TRUE(frame);
      EXPECT_TRUE(run.WaitForLog("Listed.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
      EXPECT_TRUE(run.WaitForLog("CZOLTApp::OnCtxCurrentObj: /vm/#0001/")) << run.Log();
      EXPECT_EQ(run.Log().find("Open object error"), std::string::npos) << run.Log();
      run.Close(zolt, frame);
   }
   {
      // Given again, it stays one entry.
      e2e::Process zolt;
      HWND frame = run.Start(zolt, e2e::QuoteArgument(vmx));
      ASSERT_TRUE(frame);
      ASSERT_TRUE(run.WaitForLog("Listed.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
      EXPECT_EQ(run.HostsList(), LowerAscii(vmx) + "\r\n");
      run.Close(zolt, frame);
   }
}

TEST(ZoltRegistration, TheWizardsNewMachineIsRegisteredAndOpened)
{
   e2e::TestFolder folder;
   RegistrationRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "");
   ASSERT_TRUE(frame);

   HWND sheet = zoltrun::OpenNewMachineWizard(frame, zolt);
   ASSERT_TRUE(sheet);
   SetPageText(sheet, IDC_NWZ_NAME, "Registered Box");
   SetPageText(sheet, IDC_NWZ_LOCATION, folder.Path());
   // Name, guest, memory, disk, network, ready: the defaults but for the name and folder.
   ASSERT_TRUE(NextPageWith(sheet, IDC_NWZ_GUEST_LIST));
   ASSERT_TRUE(NextPageWith(sheet, IDC_NWZ_MEMORY));
   ASSERT_TRUE(NextPageWith(sheet, IDC_NWZ_DISK));
   ASSERT_TRUE(NextPageWith(sheet, IDC_NWZ_NET_NAT));
   ASSERT_TRUE(NextPageWith(sheet, IDC_NWZ_SUMMARY));
   PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_FINISH, 0);

   HWND completed = e2e::WaitForWindow({"#32770", "Virtual Machine Created", false, zolt.Id()});
   ASSERT_TRUE(completed) << e2e::LastFailure() << run.Log();
   ASSERT_TRUE(e2e::ClickButton(completed, IDOK));
   EXPECT_TRUE(e2e::WaitForWindowGone(completed));

   const std::string vmx = folder.PathOf("Registered Box.vmx");
   EXPECT_TRUE(run.WaitForLog("Registered Box.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
   EXPECT_TRUE(run.WaitForLog("CZOLTApp::OpenTabInt: opened /appdata/Tremory/zolt/openedObj/#0001/")) << run.Log();
   EXPECT_EQ(run.HostsList(), LowerAscii(vmx) + "\r\n");
   EXPECT_EQ(run.Log().find("Error opening a VM"), std::string::npos) << run.Log();
   run.Close(zolt, frame);
}

// Pure rules of the machine commands: the record/replay buttons, the power tooltips, the hardware
// descriptions, the helper launch and the fork count.
#include "PowerToolbarCtl.h"
#include "VPlayToolbarCtl.h"
#include "zoltMachineCmds.h"

#include "cui/HardwareVersion.h"
#include "cui/SessionRecordMgr.h"
#include "cui/Team.h"
#include "res/resource.h"

#include <gtest/gtest.h>

namespace {

struct Buttons {
   VPlayButtonState play, record, stop;
};

Buttons Of(const VPlayFacts &facts)
{
   return {VPlayButtonStateOf(facts, IDM_VM_REPLAY_PLAY), VPlayButtonStateOf(facts, IDM_VM_REPLAY_RECORD),
           VPlayButtonStateOf(facts, IDM_VM_REPLAY_STOP)};
}

class TeamOf : public cui::Team {
public:
   TeamOf() : cui::Team("lab.vmtm", "Lab") {}
};

}  // namespace

TEST(VPlayButtons, RecordAndPlayArePushedWhileTheyRunAndStopEndsEither)
{
   VPlayFacts live;
   live.state = cui::SessionRecordMgr::STATE_LIVE;
   live.canPlay = true;
   live.canRecord = true;
   Buttons b = Of(live);
   EXPECT_TRUE(b.play.enabled && !b.play.pushed);
   EXPECT_TRUE(b.record.enabled && !b.record.pushed);
   EXPECT_FALSE(b.stop.enabled);

   VPlayFacts recording;
   recording.state = cui::SessionRecordMgr::STATE_RECORDING;
   recording.canStop = true;
   b = Of(recording);
   EXPECT_TRUE(b.record.pushed && b.record.enabled) << "a pushed button stays enabled";
   EXPECT_FALSE(b.play.enabled || b.play.pushed);
   EXPECT_TRUE(b.stop.enabled && !b.stop.pushed);

   VPlayFacts playing;
   playing.state = cui::SessionRecordMgr::STATE_PLAYING;
   playing.canGoLive = true;
   b = Of(playing);
   EXPECT_TRUE(b.play.pushed && b.play.enabled);
   EXPECT_FALSE(b.record.enabled);
   EXPECT_TRUE(b.stop.enabled) << "stop goes live";

   b = Of(VPlayFacts());
   EXPECT_FALSE(b.play.enabled || b.record.enabled || b.stop.enabled);
   EXPECT_FALSE(VPlayButtonStateOf(live, IDM_VM_POWER_ON).enabled);
}

TEST(PowerTooltips, TheModelNamesTheMachineOrTeamAndTheAction)
{
   EXPECT_EQ("Power on this virtual machine", PowerTooltipText(false, nullptr, nullptr, IDM_VM_POWER_ON));
   EXPECT_EQ("Reset this virtual machine", PowerTooltipText(false, nullptr, nullptr, IDM_VM_RESET));
   EXPECT_EQ("", PowerTooltipText(false, nullptr, nullptr, IDM_VM_SETTINGS));
   TeamOf team;
   EXPECT_EQ("Power off the virtual machines of the team \"Lab\"",
             PowerTooltipText(true, &team, nullptr, IDM_VM_POWER_OFF));
   EXPECT_EQ("Suspend the virtual machines of the team \"Lab\"",
             PowerTooltipText(true, &team, nullptr, IDM_VM_SUSPEND));
   EXPECT_EQ("Power on the virtual machines of the team \"Lab\"",
             PowerTooltipText(true, &team, nullptr, IDM_VM_POWER_ON));
   EXPECT_EQ("", PowerTooltipText(true, nullptr, nullptr, IDM_VM_POWER_ON)) << "an unknown team has nothing to say";
}

TEST(HardwareVersions, TheDescriptionNamesTheReleaseTheHardwareMatches)
{
   EXPECT_EQ("Tremory Deskmoor 5.x (hardware version 4)", cui::HardwareVersion(4, 0).GetVMVersionDescription());
   EXPECT_EQ("Tremory Deskmoor 6.x (hardware version 4)", cui::HardwareVersion(4, 6).GetVMVersionDescription())
      << "a product compatibility given wins";
   EXPECT_EQ("Tremory Deskmoor 6.x (hardware version 6)",
             cui::HardwareVersion(cui::HardwareVersion::kNewest, 0).GetVMVersionDescription());
   EXPECT_EQ("Hardware version 9", cui::HardwareVersion(9, 0).GetVMVersionDescription());
   EXPECT_FALSE(cui::HardwareVersion(4, 0).IsNewest());
   EXPECT_TRUE(cui::HardwareVersion(6, 0).IsNewest());
}

TEST(HelperLaunch, ThePathsAreQuotedSoSpacesCannotSplitThem)
{
   std::wstring exe = HelperExecutable(L"C:\\Program Files\\Tremory\\zolt.exe", L"nuvix", L"exe");
   EXPECT_EQ(L"C:\\Program Files\\Tremory\\nuvix.exe", exe);
   EXPECT_EQ(L"\"C:\\Program Files\\Tremory\\nuvix.exe\" \"D:\\My VMs\\a.vmx\"",
             HelperCommandLine(exe, L"D:\\My VMs\\a.vmx"));
   EXPECT_EQ(L"nuvix.exe", HelperExecutable(L"zolt.exe", L"nuvix", L"exe"));
}

TEST(ForkCount, OneCloneUnlessTheConfigurationAsksForMoreWithinBounds)
{
   EXPECT_EQ(1, ForkCloneCount(0));
   EXPECT_EQ(1, ForkCloneCount(-3));
   EXPECT_EQ(5, ForkCloneCount(5));
   EXPECT_EQ(64, ForkCloneCount(1000));
}

// Which opener a file goes to, by its extension.
#include "zoltFileKind.h"

#include <gtest/gtest.h>

TEST(FileKind, ExtensionsMatchWithoutRegardToCase)
{
   EXPECT_EQ(FileKindOf("C:\\vms\\a.VMX"), FileKind::Machine);
   EXPECT_EQ(FileKindOf("C:\\vms\\a.vmx"), FileKind::Machine);
   EXPECT_EQ(FileKindOf("C:\\teams\\t.VmTm"), FileKind::Team);
   EXPECT_EQ(FileKindOf("C:\\teams\\t.VMT"), FileKind::Team);
   EXPECT_EQ(FileKindOf("C:\\img\\disk.SV2I"), FileKind::Import);
   EXPECT_EQ(FileKindOf("C:\\img\\disk.Spf"), FileKind::Import);
   EXPECT_EQ(FileKindOf("C:\\img\\old.vmc"), FileKind::Import);
   EXPECT_EQ(FileKindOf("C:\\fix\\r.vmhr"), FileKind::HotFix);
   EXPECT_EQ(FileKindOf("C:\\fix\\r.VMHF"), FileKind::HotFix);
   EXPECT_EQ(FileKindOf("C:\\m\\master.vmxa"), FileKind::Template);
   EXPECT_EQ(FileKindOf("C:\\m\\master.VMXA"), FileKind::Template);
   EXPECT_TRUE(IsTeamFile("x.vmtm"));
   EXPECT_FALSE(IsTeamFile("x.vmx"));
}

TEST(FileKind, OnlyTheWholeLastExtensionCounts)
{
   // A longer extension that starts like a known one is not that one.
   EXPECT_EQ(FileKindOf("a.vmxa"), FileKind::Template);
   EXPECT_EQ(FileKindOf("a.vmxx"), FileKind::Unknown);
   EXPECT_EQ(FileKindOf("a.vm"), FileKind::Unknown);
   EXPECT_EQ(FileKindOf("a.vmx.txt"), FileKind::Unknown);
   EXPECT_EQ(FileKindOf("a.txt.vmx"), FileKind::Machine);
   EXPECT_EQ(FileKindOf("a.vmx."), FileKind::Unknown);
}

TEST(FileKind, AFolderNamesDotDoesNotMakeAnExtension)
{
   EXPECT_EQ(FileExtension("C:\\my.vmx\\machine"), "");
   EXPECT_EQ(FileKindOf("C:\\my.vmx\\machine"), FileKind::Unknown);
   EXPECT_EQ(FileKindOf("C:/my.vmtm/machine"), FileKind::Unknown);
   EXPECT_EQ(FileExtension("C:\\my.d\\machine.Vmx"), ".Vmx");
   EXPECT_EQ(FileKindOf(""), FileKind::Unknown);
}

TEST(FileKind, AnOverlongPathStillGivesItsExtension)
{
   std::string folder(400, 'f');
   EXPECT_EQ(FileKindOf("C:\\" + folder + "\\a.vmtm"), FileKind::Team);
   EXPECT_EQ(FileKindOf("C:\\" + folder + ".vmx\\a"), FileKind::Unknown);
}

// The wizard's rules without windows: names, folders, memory and disk bounds, the guest table
// the pages propose from, and the texts' inserts.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "NwzSettings.h"
#include "NwzText.h"
#include "WizardTestSupport.h"
#include "cui/GuestOS.h"
#include "tremhwcfg/TremHwCfgRes.h"

using namespace tremhwcfg;

TEST(NwzRules, NamesThatCannotBeFileNamesAreRefused)
{
   EXPECT_EQ(0u, CheckName(L"My Machine"));
   EXPECT_EQ(0u, CheckName(L"  padded  "));
   EXPECT_EQ(0u, CheckName(L"v1.2 (test)"));
   EXPECT_EQ(static_cast<UINT>(IDS_NWZ_ERR_NAME_EMPTY), CheckName(L""));
   EXPECT_EQ(static_cast<UINT>(IDS_NWZ_ERR_NAME_EMPTY), CheckName(L" \t "));
   for (const wchar_t *bad : {L"a/b", L"a\\b", L"c:", L"a*", L"q?", L"\"x\"", L"<x>", L"a|b", L"trailing.", L"tab\x01"}) {
      EXPECT_EQ(static_cast<UINT>(IDS_NWZ_ERR_NAME_CHARS), CheckName(bad)) << bad;
   }
}

TEST(NwzRules, FoldersMustBeFullPathsShortEnoughForTheFile)
{
   EXPECT_EQ(0u, CheckFolderSyntax(L"C:\\Machines\\A", L"A"));
   EXPECT_EQ(0u, CheckFolderSyntax(L"d:\\", L"A"));
   EXPECT_EQ(0u, CheckFolderSyntax(L"\\\\server\\share\\vms", L"A"));
   EXPECT_EQ(static_cast<UINT>(IDS_NWZ_ERR_LOCATION_EMPTY), CheckFolderSyntax(L"  ", L"A"));
   for (const wchar_t *bad : {L"Machines", L"\\Machines", L"C:Machines", L"\\\\server", L"\\\\server\\",
                              L"C:\\a?b", L"C:\\a:b", L"C:\\a|b"}) {
      EXPECT_EQ(static_cast<UINT>(IDS_NWZ_ERR_LOCATION_RELATIVE), CheckFolderSyntax(bad, L"A")) << bad;
   }
   std::wstring deep = L"C:\\" + std::wstring(240, L'd');
   EXPECT_EQ(0u, CheckFolderSyntax(deep, L"A"));
   EXPECT_EQ(static_cast<UINT>(IDS_NWZ_ERR_PATH_LONG), CheckFolderSyntax(deep, std::wstring(20, L'n')));
}

TEST(NwzRules, FolderThatCanBeMadeIsProbedWithoutLeavingAnythingBehind)
{
   wiztest::ScratchFolder scratch;
   scratch.WriteFile(L"file.txt");
   EXPECT_TRUE(FolderCanBeMade(scratch.Path()));
   EXPECT_TRUE(FolderCanBeMade(scratch.Sub(L"a\\b\\c")));
   EXPECT_FALSE(wiztest::Exists(scratch.Sub(L"a")));
   EXPECT_FALSE(FolderCanBeMade(scratch.Sub(L"file.txt")));
   EXPECT_FALSE(FolderCanBeMade(scratch.Sub(L"file.txt\\below")));
   // Only the scratch file is left in the folder.
   WIN32_FIND_DATAW found;
   HANDLE search = FindFirstFileW(scratch.Sub(L"*").c_str(), &found);
   ASSERT_NE(INVALID_HANDLE_VALUE, search);
   std::set<std::wstring> names;
   do {
      names.insert(found.cFileName);
   } while (FindNextFileW(search, &found));
   FindClose(search);
   EXPECT_EQ((std::set<std::wstring>{L".", L"..", L"file.txt"}), names);
}

TEST(NwzRules, MemoryAndDiskAreWholeNumbersInRange)
{
   int memoryMB = -1;
   EXPECT_EQ(0u, CheckMemory(L" 512 ", memoryMB));
   EXPECT_EQ(512, memoryMB);
   EXPECT_EQ(0u, CheckMemory(L"4", memoryMB));
   EXPECT_EQ(0u, CheckMemory(L"3600", memoryMB));
   memoryMB = -1;
   for (const wchar_t *bad : {L"0", L"3604", L"", L"-8", L"+8", L"8 8", L"1e3", L"4294967300"}) {
      EXPECT_EQ(static_cast<UINT>(IDS_NWZ_ERR_MEMORY), CheckMemory(bad, memoryMB)) << bad;
   }
   EXPECT_EQ(static_cast<UINT>(IDS_NWZ_ERR_MEMORY_STEP), CheckMemory(L"130", memoryMB));
   EXPECT_EQ(-1, memoryMB);

   int diskSizeMB = -1;
   EXPECT_EQ(0u, CheckDisk(L"1", diskSizeMB));
   EXPECT_EQ(1024, diskSizeMB);
   EXPECT_EQ(0u, CheckDisk(L"950", diskSizeMB));
   EXPECT_EQ(950 * 1024, diskSizeMB);
   for (const wchar_t *bad : {L"0", L"951", L"2.5", L"", L"99999999999999"}) {
      EXPECT_EQ(static_cast<UINT>(IDS_NWZ_ERR_DISK), CheckDisk(bad, diskSizeMB)) << bad;
   }
}

TEST(NwzRules, ConfigFileAndProposedFolderJoinCleanly)
{
   NwzSettings settings;
   EXPECT_EQ(L"", settings.ConfigFile());
   settings.name = L"  Box ";
   settings.folder = L"C:\\vms\\\\";
   EXPECT_EQ(L"C:\\vms\\Box.vmx", settings.ConfigFile());
   settings.folder = L"D:\\";
   EXPECT_EQ(L"D:\\Box.vmx", settings.ConfigFile());
   EXPECT_EQ(L"C:\\Docs\\Machines\\Box", DefaultFolder(L"C:\\Docs\\", L" Box "));
   EXPECT_EQ(L"C:\\Docs\\Machines", DefaultFolder(L"C:\\Docs", L""));
}

// The wizard proposes each guest's defaults: they must pass its own checks, or Next would refuse
// a page the user never touched.
TEST(NwzRules, EveryGuestHasDefaultsTheWizardAccepts)
{
   std::set<std::string> ids;
   for (const cui::GuestOSInfo &os : cui::kGuestOSTable) {
      EXPECT_TRUE(ids.insert(os.id).second) << os.id;
      int memoryMB = 0;
      int diskSizeMB = 0;
      EXPECT_EQ(0u, CheckMemory(std::to_wstring(os.defaultMemoryMB), memoryMB)) << os.id;
      EXPECT_EQ(0, os.defaultDiskMB % 1024) << os.id;
      EXPECT_EQ(0u, CheckDisk(std::to_wstring(os.defaultDiskMB / 1024), diskSizeMB)) << os.id;
      EXPECT_EQ(&os, cui::FindGuestOS(os.id));
   }
   EXPECT_EQ((std::set<std::string>{"winxp", "win2000", "win2003", "vista", "linux26", "linux24", "solaris10",
                                    "freebsd", "dos", "other"}),
             ids);
   EXPECT_EQ(nullptr, cui::FindGuestOS("WinXP"));
   EXPECT_STREQ("other", cui::OtherGuestOS().id);

   NwzSettings settings;
   settings.SetGuest("no-such-guest");
   EXPECT_EQ("other", settings.guestOS);
}

TEST(NwzRules, TextInsertsAreFilledInOrder)
{
   EXPECT_EQ(L"b then a, 100%", FormatInserts(L"%2 then %1, 100%%", {L"a", L"b"}));
   EXPECT_EQ(L"[] and [x]", FormatInserts(L"[%3] and [%1]", {L"x"}));
   EXPECT_EQ(L"trailing %", FormatInserts(L"trailing %", {}));
   EXPECT_EQ(L"From 4 MB to 3600 MB. Recommended for Other: 256 MB.",
             FormatText(IDS_NWZ_MEMORY_RANGE, {L"4", L"3600", L"Other", L"256"}));
}

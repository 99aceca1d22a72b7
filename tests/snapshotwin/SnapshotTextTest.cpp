// The texts a user gives a snapshot, the automation message's name and the status bar's counts:
// pure functions, no window.
#include "zoltSnapshotDetails.h"
#include "zoltSnapshotMgr.h"

#include "cui/SnapshotTree.h"
#include "cui/SnapshotUtil.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using namespace wui::util::snapshot;

TEST(SnapshotText, NamesAreOneLineOfOneToEightyBytesAfterTrimming)
{
   std::string message;
   EXPECT_EQ(VALID, ValidateName("Before the update", message));
   EXPECT_TRUE(message.empty());

   EXPECT_EQ(NAME_EMPTY, ValidateName(cui::utf8::Trim(" \t \r\n"), message));
   EXPECT_FALSE(message.empty());
   EXPECT_EQ("a b", cui::utf8::Trim("  a b\t\r\n"));

   EXPECT_EQ(VALID, ValidateName(std::string(cui::SnapshotTree::MAX_DISPLAY_NAME_LENGTH, 'x'), message));
   EXPECT_EQ(NAME_TOO_LONG, ValidateName(std::string(cui::SnapshotTree::MAX_DISPLAY_NAME_LENGTH + 1, 'x'), message));
   EXPECT_NE(message.find("80"), std::string::npos) << message;
   // Forty Cyrillic letters are eighty bytes: the host's limit counts bytes.
   std::string cyrillic;
   for (int i = 0; i < 40; ++i) {
      cyrillic += "\xD0\x96";
   }
   EXPECT_EQ(VALID, ValidateName(cyrillic, message));
   EXPECT_EQ(NAME_TOO_LONG, ValidateName(cyrillic + "\xD0\x96", message));

   EXPECT_EQ(NAME_CONTROL_CHARACTER, ValidateName("two\nlines", message));
   EXPECT_EQ(NAME_CONTROL_CHARACTER, ValidateName("tab\there", message));
   EXPECT_EQ(TEXT_NOT_UTF8, ValidateName("bad \xC3", message));
   EXPECT_EQ(TEXT_NOT_UTF8, ValidateName("stray \x80 byte", message));
}

TEST(SnapshotText, DescriptionsMayBeEmptyAndSpanLinesUpToTheLimit)
{
   std::string message;
   EXPECT_EQ(VALID, ValidateDescription("", message));
   EXPECT_EQ(VALID, ValidateDescription("first line\r\nsecond line", message));
   EXPECT_EQ(VALID, ValidateDescription(std::string(cui::SnapshotTree::MAX_DESCRIPTION_LENGTH, 'd'), message));
   EXPECT_EQ(DESCRIPTION_TOO_LONG,
             ValidateDescription(std::string(cui::SnapshotTree::MAX_DESCRIPTION_LENGTH + 1, 'd'), message));
   EXPECT_FALSE(message.empty());
   EXPECT_EQ(TEXT_NOT_UTF8, ValidateDescription("cut \xE2\x82", message));
}

TEST(SnapshotText, TheAutomationNameIsReadOnlyWithinTheBytesSent)
{
   std::string name;
   char terminated[] = "Base\0garbage";
   COPYDATASTRUCT data = {0, sizeof terminated, terminated};
   EXPECT_TRUE(ReadAutomationName(&data, name));
   EXPECT_EQ("Base", name);

   // No zero within cbData: unterminated, and nothing past cbData is read (the buffer's own zero
   // lies beyond the four bytes given).
   char unterminated[] = "BaseXYZ";
   data.cbData = 4;
   data.lpData = unterminated;
   EXPECT_FALSE(ReadAutomationName(&data, name));
   EXPECT_EQ("Base", name);

   data.cbData = 0;
   data.lpData = nullptr;
   EXPECT_TRUE(ReadAutomationName(&data, name));
   EXPECT_EQ("", name);
   data.cbData = 5;
   EXPECT_FALSE(ReadAutomationName(&data, name)) << "bytes promised, none given";
   EXPECT_TRUE(ReadAutomationName(nullptr, name));
   EXPECT_EQ("", name);
}

TEST(SnapshotText, TheStatusCountNamesSnapshotsAndRecordingsThatThereAre)
{
   EXPECT_EQ("No snapshots", SnapshotCountText(0, 0));
   EXPECT_EQ("Snapshots: 3", SnapshotCountText(3, 0));
   EXPECT_EQ("Recordings: 2", SnapshotCountText(0, 2));
   EXPECT_EQ("Snapshots: 3, Recordings: 1", SnapshotCountText(3, 1));
}

TEST(SnapshotText, CreationTimesShowTheDateAndTheTime)
{
   EXPECT_EQ("", FormatSnapshotTime(0));
   const std::string shown = FormatSnapshotTime(1700000000);   // 14 November 2023
   EXPECT_NE(shown.find("2023"), std::string::npos) << shown;
   EXPECT_NE(shown.find(':'), std::string::npos) << shown;
}

}  // namespace

// Files of the user's that zolt cannot read, and zolt ended in the middle of writing one, as a user
// meets them: a damaged favourites-and-preferences file is told once at start-up in a warning box
// and left byte for byte as it was, whatever the user does; so is a damaged list of registered
// machines; and zolt killed while it saves a favourite leaves a file the next start reads whole.
#include "SidebarSupport.h"
#include "ZoltRun.h"

#include "e2e/Harness.h"

#include "res/resource.h"

#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

const char kFavoritesClass[] = "TremappsdkVMList";
const char kRegVmsClass[] = "TremappsdkRegVms";
const char kToldInLog[] = "CZOLTApp: the user is told that ";
const char kDesktopMode[] = "/user/prefState/val/zolt/deskmoorMode = \"1\"\n";

// The desktop mode (which lists favourites) from a preload, so that it holds whatever the user
// file holds.
std::string DesktopModeConfig(const e2e::TestFolder &folder)
{
   return "vmdb.preload = " + e2e::QuoteValue(folder.WriteFile("preload.vmdb", kDesktopMode)) + "\n";
}

// Waits for zolt's warning box saying `part`, checks that it says `also` too and answers it with
// the Enter key, as a user does. False (the failure added) when no such box came.
bool AnswerWarning(const e2e::Process &zolt, const std::string &part, const std::vector<std::string> &also)
{
   HWND box = zoltrun::WaitForBoxSaying(zolt, part);
   if (!box) {
      ADD_FAILURE() << "no box saying " << part;
      return false;
   }
   const std::string text = e2e::DialogMessage(box);
   for (const std::string &word : also) {
      EXPECT_NE(text.find(word), std::string::npos) << word << " in:\n" << text;
   }
   EXPECT_TRUE(e2e::PressKey(box, VK_RETURN)) << e2e::LastFailure();
   return e2e::WaitForWindowGone(box);
}

// File > Add to Favorites chosen with the keyboard, once zolt waits for input (a slow start may
// still be busy with its files when the window shows).
bool AddToFavoritesByKeyboard(HWND frame, const e2e::Process &zolt)
{
   WaitForInputIdle(zolt.Handle(), zoltrun::kHostMs);
   if (!e2e::PressKey(frame, 'F', e2e::kAlt) || !e2e::WaitForPopupMenu(zolt.Id(), zoltrun::kHostMs)) {
      ADD_FAILURE() << "no File menu: " << e2e::LastFailure();
      return false;
   }
   return e2e::PressKey(frame, 'F');
}

HWND FavoritesTree(HWND frame)
{
   HWND sidebar = zoltside::WaitForSidebar(frame);
   return sidebar ? zoltside::ListTree(sidebar, kFavoritesClass) : nullptr;
}

// Adds the machine of the current tab, `name`, to the favourites from the keyboard and waits
// until the side bar lists it.
bool AddFavourite(HWND frame, const e2e::Process &zolt, const std::string &name)
{
   HWND tree = FavoritesTree(frame);
   zoltside::TreeRow row;
   return tree && AddToFavoritesByKeyboard(frame, zolt) && zoltside::WaitForRow(tree, name, row, zoltrun::kHostMs);
}

// The user file read as zolt reads it; false with the reason when it does not parse.
bool ReadUserFile(const std::string &path, std::vector<KeyValueEntry> &entries, std::string &error)
{
   std::optional<std::string> text = e2e::ReadTextFile(path);
   if (!text) {
      error = "cannot read " + path;
      return false;
   }
   entries.clear();
   return KeyValueFile::Parse(*text, entries, error);
}

bool Holds(const std::vector<KeyValueEntry> &entries, const std::string &value)
{
   for (const KeyValueEntry &entry : entries) {
      if (entry.value == value) {
         return true;
      }
   }
   return false;
}

unsigned long long FileSize(const std::string &path)
{
   WIN32_FILE_ATTRIBUTE_DATA data = {};
   if (!GetFileAttributesExW(WidePathFromUtf8(path).c_str(), GetFileExInfoStandard, &data)) {
      return 0;
   }
   return (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

TEST(ZoltDamagedFiles, ADamagedUserFileIsToldOnceAndStaysByteForByteAfterAFavouriteIsAdded)
{
   e2e::TestFolder folder;
   const std::string damaged = std::string(kDesktopMode) + "/user/vmlistState/val/item/%230001/present = 1\n";
   const std::string userFile = folder.WriteFile("user.vmdb", damaged);
   const std::string vmx = folder.WriteFile("Favourite.vmx", zoltrun::MachineVmx("Favourite"));
   zoltrun::ZoltRun run(folder, DesktopModeConfig(folder));
   {
      e2e::Process zolt;
      HWND frame = run.Start(zolt, e2e::QuoteArgument(vmx));
      ASSERT_TRUE(frame);
      ASSERT_TRUE(AnswerWarning(zolt, "favorites and preferences could not be read",
                                {e2e::ToWindowsPath(userFile), "line 2", "kept as it is", "not saved"}))
         << run.Log();
      ASSERT_TRUE(run.WaitForLog("Favourite.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
      EXPECT_TRUE(AddFavourite(frame, zolt, "Favourite")) << run.Log();
      // Past the save delay, so a save would have been written by now.
      Sleep(2500);
      EXPECT_EQ(e2e::ReadTextFile(userFile).value_or(""), damaged);
      run.Close(zolt, frame);
   }
   EXPECT_EQ(e2e::ReadTextFile(userFile).value_or(""), damaged) << "byte for byte as it was";
   EXPECT_FALSE(e2e::PathExists(userFile + ".bad"));
   EXPECT_FALSE(e2e::PathExists(userFile + ".tmp"));
   const std::string log = run.Log();
   EXPECT_EQ(zoltrun::Count(log, kToldInLog), 1u) << log;
   EXPECT_NE(log.find("vmdb: the user file "), std::string::npos) << log;
}

TEST(ZoltDamagedFiles, ADamagedListOfRegisteredMachinesIsToldOnceAndKept)
{
   e2e::TestFolder folder;
   folder.MakeFolder("Hosts");
   const std::string vmx = folder.WriteFile("Listed.vmx", zoltrun::MachineVmx("Listed"));
   // The second line is no path: not a list this host wrote.
   const std::string damaged = e2e::ToWindowsPath(vmx) + "\r\nListed.vmx\r\n";
   const std::string list = folder.WriteFile("Hosts\\localhost.vms", damaged);
   zoltrun::ZoltRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, "");
   ASSERT_TRUE(frame);
   ASSERT_TRUE(AnswerWarning(zolt, "registered on this computer could not be read",
                             {e2e::ToWindowsPath(list), "line 2", "kept as it is"}))
      << run.Log();
   HWND sidebar = zoltside::WaitForSidebar(frame);
   HWND tree = sidebar ? zoltside::ListTree(sidebar, kRegVmsClass) : nullptr;
   ASSERT_TRUE(tree) << run.Log();
   Sleep(500);
   EXPECT_TRUE(zoltside::VisibleRows(tree).empty()) << "nothing is taken from a list that cannot be read";
   run.Close(zolt, frame);
   EXPECT_EQ(e2e::ReadTextFile(list).value_or(""), damaged);
   EXPECT_EQ(zoltrun::Count(run.Log(), kToldInLog), 1u) << run.Log();
}

TEST(ZoltDamagedFiles, KilledWhileAFavouriteIsSavedTheUserFileIsWholeAtTheNextStart)
{
   e2e::TestFolder folder;
   // A large file takes a while to write: kills land inside the write as well as around it.
   std::string padding = kDesktopMode;
   const size_t kPadding = 2000;
   for (size_t i = 0; i < kPadding; ++i) {
      padding += "/user/prefState/val/test/pad" + std::to_string(i) + " = \"" + std::string(300, 'p') + "\"\n";
   }
   const std::string userFile = folder.WriteFile("user.vmdb", padding);
   zoltrun::ZoltRun run(folder, DesktopModeConfig(folder) + "vmdb.saveDelayMs = \"1\"\n");
   auto expectWhole = [&](std::vector<KeyValueEntry> &entries) {
      std::string error;
      ASSERT_TRUE(ReadUserFile(userFile, entries, error)) << error;
      size_t padded = 0;
      for (const KeyValueEntry &entry : entries) {
         padded += entry.key.compare(0, 28, "/user/prefState/val/test/pad") == 0;
      }
      EXPECT_EQ(padded, kPadding) << "every value of the file is there";
   };
   // Killed in the middle of the save (as soon as the temporary file it writes is there), and
   // right after it (as soon as the file is replaced).
   int midWrite = 0;
   for (int i = 0; i < 6; ++i) {
      SCOPED_TRACE("run " + std::to_string(i));
      const std::string name = "Kill" + std::to_string(i);
      const std::string vmx = folder.WriteFile(name + ".vmx", zoltrun::MachineVmx(name));
      e2e::Process zolt;
      HWND frame = run.Start(zolt, e2e::QuoteArgument(vmx));
      ASSERT_TRUE(frame);
      ASSERT_TRUE(run.WaitForLog(name + ".vmx as /vm/#0001/ (poweredOff)")) << run.Log();
      ASSERT_TRUE(FavoritesTree(frame)) << run.Log();
      const unsigned long long before = FileSize(userFile);
      ASSERT_TRUE(AddToFavoritesByKeyboard(frame, zolt));
      const bool inTheMiddle = i % 2 == 0;
      if (inTheMiddle) {
         // The temporary file lives only while the save writes it: a busy machine may look too
         // late, and then this run's kill comes after the save (counted below only when it did not).
         EXPECT_TRUE(e2e::WaitUntil(
            [&]() { return e2e::PathExists(userFile + ".tmp") || FileSize(userFile) != before; }, zoltrun::kHostMs, 0));
      } else {
         EXPECT_TRUE(e2e::WaitUntil([&]() { return FileSize(userFile) != before; }, zoltrun::kHostMs, 0));
      }
      ASSERT_TRUE(zolt.Kill());
      midWrite += inTheMiddle && e2e::PathExists(userFile + ".tmp");
      std::vector<KeyValueEntry> entries;
      expectWhole(entries);
      if (!inTheMiddle) {
         EXPECT_TRUE(Holds(entries, name)) << "a favourite saved before the kill is kept";
      }
   }
   EXPECT_GT(midWrite, 0) << "no kill came while the file was being written";

   // The next start reads the file (no warning), and a ".tmp" a kill leaves does not stop the
   // next save: a normal end writes every favourite the list shows.
   if (!e2e::PathExists(userFile + ".tmp")) {
      ASSERT_TRUE(e2e::WriteTextFile(userFile + ".tmp", "/user/prefState/val/test/half = \"ha"));
   }
   const std::string vmx = folder.WriteFile("Final.vmx", zoltrun::MachineVmx("Final"));
   e2e::Process zolt;
   HWND frame = run.Start(zolt, e2e::QuoteArgument(vmx));
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("Final.vmx as /vm/#0001/ (poweredOff)")) << run.Log();
   ASSERT_TRUE(AddFavourite(frame, zolt, "Final")) << run.Log();
   std::vector<std::string> listed;
   for (const zoltside::TreeRow &each : zoltside::VisibleRows(FavoritesTree(frame))) {
      listed.push_back(each.text);
   }
   run.Close(zolt, frame);
   EXPECT_EQ(run.Log().find(kToldInLog), std::string::npos) << run.Log();
   EXPECT_FALSE(e2e::PathExists(userFile + ".tmp"));
   std::vector<KeyValueEntry> entries;
   expectWhole(entries);
   for (const std::string &name : listed) {
      EXPECT_TRUE(Holds(entries, name)) << name;
   }
}

// The file operations the stand-ins share: whole reads, replacing writes, folders.
#include "tremorybase/File.h"

#include "TestFiles.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace {

// "Máquinas virtuales" and "Prüfung".
const char kSpanish[] = "M\xC3\xA1quinas virtuales";
const char kGerman[] = "Pr\xC3\xBC" "fung";

}  // namespace

TEST(File, ReplaceWritesBytesAsTheyAreAndLeavesNoTemporaryFile)
{
   TempDir dir;
   std::string path = dir.File(std::string(kGerman) + ".vmx");
   std::string error;
   // Bytes of every value, a zero and invalid UTF-8 included, come back unchanged.
   const char raw[] = "a = \"\xC3\xA9\xE4\xBB\xAE\"\r\n\0\xFF\x80";
   const std::string bytes(raw, sizeof raw - 1);
   ASSERT_TRUE(File_Replace(path, bytes, error)) << error;
   std::string read;
   ASSERT_TRUE(File_Read(path, read, error)) << error;
   EXPECT_EQ(read, bytes);

   ASSERT_TRUE(File_Replace(path, "", error)) << error;
   ASSERT_TRUE(File_Read(path, read, error));
   EXPECT_EQ(read, "");
   EXPECT_FALSE(File_Exists(path + ".tmp"));

   // A folder in the way: the rename fails, the temporary file goes and the error says why.
   std::string folder = dir.File(kSpanish);
   ASSERT_TRUE(File_MakeFolders(folder));
   EXPECT_FALSE(File_Replace(folder, "x", error));
   EXPECT_NE(GetLastError(), 0u);
   EXPECT_NE(error.find("cannot rename over " + folder), std::string::npos) << error;
   EXPECT_FALSE(File_Exists(folder + ".tmp"));
   EXPECT_TRUE(File_IsFolder(folder));
}

TEST(File, ReadRefusesMissingAndOversizedFilesAndTellsWhy)
{
   TempDir dir;
   std::string missing = dir.File(kSpanish);
   std::string read = "stale";
   std::string error;
   EXPECT_FALSE(File_Read(missing, read, error));
   EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
   EXPECT_EQ(error, "cannot open " + missing + " (error 2)");
   EXPECT_EQ(read, "");
   EXPECT_FALSE(File_Read(dir.File("no-folder\\x"), read, error));
   EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

   std::string big = dir.File("big");
   ASSERT_TRUE(File_Replace(big, std::string(100, 'b'), error)) << error;
   EXPECT_TRUE(File_Read(big, read, error, 100));
   EXPECT_FALSE(File_Read(big, read, error, 99));
   EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_TOO_LARGE));
   EXPECT_EQ(read, "") << "nothing of a refused file is handed out";
}

TEST(File, MakeFoldersMakesTheMissingOnesAndTellsWhichSoTheyCanGoAgain)
{
   TempDir dir;
   std::string outer = dir.File(kSpanish);
   std::string inner = outer + "\\" + kGerman;
   std::vector<std::string> made;
   ASSERT_TRUE(File_MakeFolders(inner + "\\", &made));
   EXPECT_EQ(made, (std::vector<std::string>{outer, inner}));
   EXPECT_TRUE(File_IsFolder(inner));

   made.clear();
   EXPECT_TRUE(File_MakeFolders(inner, &made)) << "there already";
   EXPECT_TRUE(made.empty());
   EXPECT_TRUE(File_MakeFolders(outer + "/" + kGerman + "/deeper", &made));
   EXPECT_EQ(made.size(), 1u);

   // A file where a folder should be: nothing is made under it.
   std::string error;
   std::string file = dir.File("file");
   ASSERT_TRUE(File_Replace(file, "x", error));
   made.clear();
   EXPECT_FALSE(File_MakeFolders(file + "\\sub\\subsub", &made));
   EXPECT_TRUE(made.empty());
   EXPECT_FALSE(File_Exists(file + "\\sub"));

   // Removal takes empty folders only.
   EXPECT_FALSE(File_RemoveFolder(outer));
   EXPECT_TRUE(File_RemoveFolder(inner + "\\deeper"));
   EXPECT_TRUE(File_RemoveFolder(inner));
   EXPECT_TRUE(File_RemoveFolder(outer));
   EXPECT_FALSE(File_Exists(outer));

   std::string temp = File_GetTempFolder();
   ASSERT_FALSE(temp.empty());
   EXPECT_EQ(temp.back(), '\\');
   EXPECT_TRUE(File_IsFolder(temp));
}

TEST(File, RenameAndDeleteTakeNamesInAnyScript)
{
   TempDir dir;
   std::string from = dir.File(kGerman);
   std::string to = dir.File("\xCE\x95\xCE\xB9\xCE\xBA\xCF\x8C\xCE\xBD\xCE\xB1");   // Greek
   std::string error;
   ASSERT_TRUE(File_Replace(from, "1", error));
   ASSERT_TRUE(File_Replace(to, "2", error));
   EXPECT_FALSE(File_Rename(from, to, false)) << "no replacing unless asked";
   ASSERT_TRUE(File_Rename(from, to, true));
   std::string read;
   ASSERT_TRUE(File_Read(to, read, error));
   EXPECT_EQ(read, "1");
   EXPECT_FALSE(File_Exists(from));
   EXPECT_TRUE(File_Delete(to));
   EXPECT_FALSE(File_Delete(to));
   EXPECT_FALSE(File_Exists(to));
}

// The file operations the stand-ins share: whole reads, replacing writes, folders.
#include "tremorybase/File.h"
#include "tremorybase/Text.h"

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

namespace {

// Holds a file open for reading and writing but not for deletion, as an editor or a scanner may,
// until it is let go or, with `forMs`, a thread lets go of it that long after it was opened.
class HeldFile {
public:
   explicit HeldFile(const std::string &path)
      : handle_(CreateFileW(WidePathFromUtf8(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
   {
   }
   ~HeldFile()
   {
      if (thread_) {
         WaitForSingleObject(thread_, INFINITE);
         CloseHandle(thread_);
      } else if (handle_ != INVALID_HANDLE_VALUE) {
         CloseHandle(handle_);
      }
   }
   bool IsHeld() const { return handle_ != INVALID_HANDLE_VALUE; }
   void LetGoAfter(DWORD ms)
   {
      delayMs_ = ms;
      thread_ = CreateThread(nullptr, 0, &HeldFile::LetGo, this, 0, nullptr);
   }

private:
   static DWORD WINAPI LetGo(void *self)
   {
      HeldFile *held = static_cast<HeldFile *>(self);
      Sleep(held->delayMs_);
      CloseHandle(held->handle_);
      return 0;
   }

   HANDLE handle_;
   HANDLE thread_ = nullptr;
   DWORD delayMs_ = 0;
};

}  // namespace

TEST(File, AReplaceRefusedForAMomentIsTriedAgainAndOneRefusedForLongerLeavesTheOldFile)
{
   TempDir dir;
   std::string path = dir.File(kSpanish);
   std::string error;
   ASSERT_TRUE(File_Replace(path, "old", error)) << error;
   {
      HeldFile held(path);
      ASSERT_TRUE(held.IsHeld());
      held.LetGoAfter(100);
      EXPECT_TRUE(File_Replace(path, "new", error)) << error;
   }
   EXPECT_EQ(ReadTextFile(path), "new");
   EXPECT_FALSE(File_Exists(path + ".tmp"));

   HeldFile held(path);
   ASSERT_TRUE(held.IsHeld());
   ULONGLONG start = GetTickCount64();
   EXPECT_FALSE(File_Replace(path, "lost", error));
   ULONGLONG took = GetTickCount64() - start;
   DWORD code = GetLastError();
   EXPECT_TRUE(code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION) << code;
   EXPECT_NE(error.find("cannot rename over " + path), std::string::npos) << error;
   EXPECT_GE(took, 200u) << "tried again before giving up";
   EXPECT_LT(took, 1000u) << "reported well within a second";
   EXPECT_EQ(ReadTextFile(path), "new");
   EXPECT_FALSE(File_Exists(path + ".tmp"));
}

TEST(File, ALeftOverTemporaryFileIsWrittenOverAndProblemsAreToldInWords)
{
   TempDir dir;
   std::string path = dir.File(kGerman);
   std::string error;
   ASSERT_TRUE(File_Replace(path, "whole", error)) << error;
   // What a process killed between the write and the rename leaves.
   ASSERT_TRUE(WriteTextFile(path + ".tmp", "ha"));
   ASSERT_TRUE(File_Replace(path, "next", error)) << error;
   EXPECT_EQ(ReadTextFile(path), "next");
   EXPECT_FALSE(File_Exists(path + ".tmp"));

   std::string read;
   std::string folder = dir.File(kSpanish);
   ASSERT_TRUE(File_MakeFolders(folder));
   EXPECT_FALSE(File_Read(folder, read, error));
   EXPECT_FALSE(File_IsMissing(GetLastError()));
   EXPECT_EQ(File_Problem(folder, GetLastError()), "it is a folder");
   EXPECT_FALSE(File_Read(dir.File("none"), read, error));
   EXPECT_TRUE(File_IsMissing(GetLastError()));
   EXPECT_FALSE(File_Read(path, read, error, 2));
   EXPECT_EQ(File_Problem(path, GetLastError()), "it is too large");
   EXPECT_FALSE(File_Problem(path, ERROR_ACCESS_DENIED).empty());
}

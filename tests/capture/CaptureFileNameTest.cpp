#include <gtest/gtest.h>

#include "zoltCaptureFileDlg.h"

TEST(CaptureFileNameTest, OnlyANameWithAnExtensionIsTaken)
{
   EXPECT_TRUE(HasFileExtension("C:\\shots\\desk.bmp"));
   EXPECT_TRUE(HasFileExtension("desk.b"));
   EXPECT_TRUE(HasFileExtension("C:/shots/my.desk.avi"));
   EXPECT_TRUE(HasFileExtension("desk.bmp. "));   // the system drops the trailing dot and blank

   EXPECT_FALSE(HasFileExtension("C:\\shots\\desk"));
   EXPECT_FALSE(HasFileExtension("desk."));
   EXPECT_FALSE(HasFileExtension("desk. . "));
   EXPECT_FALSE(HasFileExtension("C:\\shots.d\\desk")) << "a dot in a folder's name is not the file's";
   EXPECT_FALSE(HasFileExtension("C:/shots.d/desk"));
   EXPECT_FALSE(HasFileExtension(""));
   EXPECT_FALSE(HasFileExtension("..."));
}

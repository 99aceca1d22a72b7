#include "CaptureTest.h"
#include "MediaFiles.h"

#include <windows.h>

#include "cui/VM.h"
#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/Text.h"

namespace {

class ScreenshotTest : public CaptureTest {
protected:
   // What SaveScreenshot called back with, in order.
   struct Shot {
      std::vector<std::string> calls;
      bool succeeded = false;
      std::string error;
   };

   void Save(cui::VM *vm, const std::string &file, int format, Shot &shot)
   {
      vm->SaveScreenshot(
         file, format,
         [&shot](bool succeeded, cui::Error error) {
            shot.calls.push_back("completion");
            shot.succeeded = succeeded;
            shot.error = error.what();
         },
         [&shot]() { shot.calls.push_back("saved"); });
      EXPECT_TRUE(Until([&]() { return !shot.calls.empty() && shot.calls.back() == "completion"; }));
   }
};

TEST_F(ScreenshotTest, APoweredOnMachineIsSavedAsABitmapOfItsGuestScreen)
{
   cui::VM *vm = OpenDesk();
   ASSERT_NE(nullptr, vm);
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON));

   std::string file = Path("shot.bmp");
   Shot shot;
   Save(vm, file, cui::VM::SCREENSHOT_BMP, shot);
   ASSERT_EQ((std::vector<std::string>{"saved", "completion"}), shot.calls) << "saved comes first, then the completion";
   EXPECT_TRUE(shot.succeeded) << shot.error;

   BitmapFile bitmap;
   std::string error;
   ASSERT_TRUE(ReadBitmap(file, bitmap, error)) << error;
   EXPECT_EQ(640, bitmap.width);
   EXPECT_EQ(480, bitmap.height);
   // The guest's desktop at the top, its lighter task bar along the bottom.
   uint8_t b, g, r;
   bitmap.Pixel(2, 2, b, g, r);
   EXPECT_EQ(32, r);
   EXPECT_EQ(84, g);
   EXPECT_EQ(140, b);
   bitmap.Pixel(bitmap.width - 3, bitmap.height - 3, b, g, r);
   EXPECT_EQ(200, r);
   EXPECT_EQ(200, g);
   EXPECT_EQ(200, b);
   EXPECT_FALSE(FileExists(file + ".tmp")) << "nothing is left beside the picture";
}

TEST_F(ScreenshotTest, AMachineThatIsNotRunningOrAnUnknownFormatIsRefusedWithoutAFile)
{
   cui::VM *vm = OpenDesk();
   ASSERT_NE(nullptr, vm);
   std::string file = Path("off.bmp");

   Shot off;
   Save(vm, file, cui::VM::SCREENSHOT_BMP, off);
   EXPECT_EQ(std::vector<std::string>{"completion"}, off.calls) << "never saved";
   EXPECT_FALSE(off.succeeded);
   EXPECT_NE(std::string::npos, off.error.find("not powered on")) << off.error;
   EXPECT_NE(std::string::npos, off.error.find("Desk")) << off.error;
   EXPECT_FALSE(FileExists(file));

   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON));
   Shot format;
   Save(vm, file, 7, format);
   EXPECT_EQ(std::vector<std::string>{"completion"}, format.calls);
   EXPECT_FALSE(format.succeeded);
   EXPECT_FALSE(FileExists(file));

   // A folder that does not exist: the host's failure reaches the completion.
   Shot nowhere;
   Save(vm, Path("missing\\shot.bmp"), cui::VM::SCREENSHOT_BMP, nowhere);
   EXPECT_EQ(std::vector<std::string>{"completion"}, nowhere.calls);
   EXPECT_FALSE(nowhere.succeeded);
   EXPECT_FALSE(nowhere.error.empty());

   ASSERT_TRUE(Power(vm, cui::VM::SUSPENDED));
   Shot suspended;
   Save(vm, file, cui::VM::SCREENSHOT_BMP, suspended);
   EXPECT_FALSE(suspended.succeeded);
   EXPECT_FALSE(FileExists(file));
}

TEST_F(ScreenshotTest, APictureThatCannotTakeThePlaceOfTheFileThereLeavesItAsItWas)
{
   cui::VM *vm = OpenRunning();
   ASSERT_NE(nullptr, vm);
   const std::string file = Path("kept.bmp");
   const std::string precious = "last year's picture";
   std::string error;
   ASSERT_TRUE(File_Replace(file, precious, error)) << error;
   // Held by another program for longer than the host tries again.
   HANDLE held = CreateFileW(WidePathFromUtf8(file).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
   ASSERT_NE(INVALID_HANDLE_VALUE, held);
   Shot shot;
   Save(vm, file, cui::VM::SCREENSHOT_BMP, shot);
   CloseHandle(held);
   EXPECT_FALSE(shot.succeeded);
   EXPECT_NE(std::string::npos, shot.error.find("cannot be written")) << shot.error;
   std::string bytes;
   ASSERT_TRUE(File_Read(file, bytes, error)) << error;
   EXPECT_EQ(precious, bytes);
   EXPECT_FALSE(FileExists(file + ".tmp"));

   // Let go, the same picture replaces it.
   Shot again;
   Save(vm, file, cui::VM::SCREENSHOT_BMP, again);
   EXPECT_TRUE(again.succeeded) << again.error;
   BitmapFile bitmap;
   EXPECT_TRUE(ReadBitmap(file, bitmap, error)) << error;
}

}  // namespace

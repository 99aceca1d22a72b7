// zolt.exe capturing a running machine: VM > Capture Screen with its save dialog refusing a name
// without an extension, VM > Capture Movie with its quality box and its stop, and both commands
// doing nothing for a machine that is not running. Each run has its own configuration and log.
#include "ZoltRun.h"
#include "e2e/Harness.h"

#include "MediaFiles.h"
#include "res/resource.h"
#include "tremorybase/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zoltrun::Command;
using zoltrun::kHostMs;

const int kFileNameCombo = 0x47c;   // the save dialog's file name: a combo box, or
const int kFileNameEdit = 0x480;    // an edit control

class CaptureRun : public zoltrun::ZoltRun {
public:
   explicit CaptureRun(const e2e::TestFolder &folder)
      : ZoltRun(folder, "", false),
        vmx_(folder.WriteFile("shot.vmx",
                              zoltrun::MachineVmx("Shot", "display.width = \"640\"\ndisplay.height = \"480\"\n")))
   {
   }

   // Starts zolt in the desktop mode (-H) with the machine, powered on when `powerOn`.
   HWND Start(e2e::Process &process, bool powerOn)
   {
      return ZoltRun::Start(process, std::string("-H ") + (powerOn ? "-x " : "") + e2e::QuoteArgument(vmx_));
   }
   // Starts zolt with the machine powered on; null (the failure added) until it runs.
   HWND StartRunning(e2e::Process &process)
   {
      HWND frame = Start(process, true);
      if (frame && !WaitForLog("powerOn done, poweredOn")) {
         ADD_FAILURE() << "the machine did not power on\n" << Log();
         return nullptr;
      }
      // Capture is offered once the frame shows the machine running, as its reset button does.
      if (frame && !zoltrun::WaitForToolbarButton(frame, IDM_VM_RESET)) {
         ADD_FAILURE() << "the frame does not show the machine running\n" << Log();
         return nullptr;
      }
      return frame;
   }
   // Sends a capture command and waits for its save dialog; null (the failure added) when none shows.
   HWND OpenSaveDialog(const e2e::Process &process, HWND frame, WORD command)
   {
      if (!Command(frame, command)) {
         ADD_FAILURE() << "the command was not sent";
         return nullptr;
      }
      HWND dialog = e2e::WaitForDialog(process.Id(), "", kHostMs);
      EXPECT_TRUE(dialog) << Log();
      return dialog;
   }
   // Powers a running machine off (closing its tab would ask first), then closes the window.
   void Close(e2e::Process &process, HWND frame, bool running)
   {
      if (running) {
         EXPECT_TRUE(Command(frame, IDM_VM_POWER_OFF));
         EXPECT_TRUE(WaitForLog("powerOff done, poweredOff")) << Log();
      }
      ZoltRun::Close(process, frame);
   }

private:
   std::string vmx_;
};

// The process's dialog other than `except` (a message box over the save dialog).
HWND WaitForOtherDialog(DWORD processId, HWND except)
{
   HWND found = nullptr;
   e2e::WaitUntil(
      [&]() {
         for (HWND w : e2e::FindTopLevelWindows({"#32770", "", false, processId})) {
            if (w != except) {
               found = w;
               return true;
            }
         }
         return false;
      },
      e2e::kReplyTimeoutMs);
   return found;
}

// The screenshots waiting in temporary files ("bmp*.tmp" in the user's temporary folder, which
// zolt shares with this test under the same prefix).
size_t TemporaryScreenshots()
{
   size_t count = 0;
   for (const std::string &name : e2e::ListFolder(e2e::TemporaryFolder()).value_or(std::vector<std::string>())) {
      if (name.compare(0, 3, "bmp") == 0 && name.size() > 7 && name.compare(name.size() - 4, 4, ".tmp") == 0) {
         ++count;
      }
   }
   return count;
}

HWND FileNameBox(HWND dialog)
{
   HWND name = GetDlgItem(dialog, kFileNameCombo);
   return name ? name : GetDlgItem(dialog, kFileNameEdit);
}

// Types `path` into the save dialog's file name and presses Save.
bool ChooseFile(HWND dialog, const std::string &path)
{
   HWND name = FileNameBox(dialog);
   if (!name) {
      ADD_FAILURE() << "no file name box in the save dialog";
      return false;
   }
   return e2e::SetText(name, path) && e2e::ClickButton(dialog, IDOK);
}

}  // namespace

TEST(ZoltCapture, TheScreenIsSavedAsABitmapUnderANameWithAnExtension)
{
   e2e::TestFolder folder;
   CaptureRun run(folder);
   e2e::Process zolt;
   HWND frame = run.StartRunning(zolt);
   ASSERT_TRUE(frame);

   HWND dialog = run.OpenSaveDialog(zolt, frame, IDM_VM_CAPTURE_SCREEN);
   ASSERT_TRUE(dialog);
   EXPECT_EQ(GetWindow(dialog, GW_OWNER), frame) << "the frame owns the save dialog";

   // No extension: the dialog says so and stays.
   ASSERT_TRUE(ChooseFile(dialog, folder.PathOf("shot")));
   HWND box = WaitForOtherDialog(zolt.Id(), dialog);
   ASSERT_TRUE(box);
   EXPECT_NE(e2e::DialogMessage(box).find("The file name above is not valid"), std::string::npos)
      << e2e::DialogMessage(box);
   ASSERT_TRUE(e2e::ClickButton(box, IDOK));
   ASSERT_TRUE(e2e::WaitForWindowGone(box));
   EXPECT_TRUE(IsWindowVisible(dialog)) << "the save dialog stays open";
   EXPECT_FALSE(e2e::ReadTextFile(folder.PathOf("shot")).has_value());

   std::string file = folder.PathOf("shot.bmp");
   ASSERT_TRUE(ChooseFile(dialog, file));
   ASSERT_TRUE(e2e::WaitForWindowGone(dialog));
   BitmapFile bitmap;
   std::string error;
   ASSERT_TRUE(e2e::WaitUntil([&]() { return ReadBitmap(file, bitmap, error); }, kHostMs, 100)) << error;
   EXPECT_EQ(640, bitmap.width);
   EXPECT_EQ(480, bitmap.height);
   EXPECT_TRUE(run.WaitForLog("screenshot saved to")) << run.Log();
   EXPECT_EQ(run.Log().find("Cannot capture the screen"), std::string::npos) << run.Log();
   run.Close(zolt, frame, true);
}

TEST(ZoltCapture, AScreenshotThatCannotBeMovedIsReportedAndItsTemporaryFileDeleted)
{
   e2e::TestFolder folder;
   CaptureRun run(folder);
   std::string locked = folder.WriteFile("locked.bmp", "old");
   // Held open without sharing: the picture cannot replace it.
   HANDLE held =
      CreateFileW(WideFromUtf8(locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
   ASSERT_NE(INVALID_HANDLE_VALUE, held);
   size_t tempsBefore = TemporaryScreenshots();
   e2e::Process zolt;
   HWND frame = run.StartRunning(zolt);
   ASSERT_TRUE(frame);

   HWND dialog = run.OpenSaveDialog(zolt, frame, IDM_VM_CAPTURE_SCREEN);
   ASSERT_TRUE(dialog);
   EXPECT_EQ(tempsBefore + 1, TemporaryScreenshots()) << "the picture waits in a temporary file";
   ASSERT_TRUE(ChooseFile(dialog, locked));
   // The dialog asks before replacing the file.
   HWND replace = WaitForOtherDialog(zolt.Id(), dialog);
   ASSERT_TRUE(replace);
   ASSERT_TRUE(e2e::ClickButton(replace, IDYES));
   ASSERT_TRUE(e2e::WaitForWindowGone(dialog));

   HWND error = WaitForOtherDialog(zolt.Id(), nullptr);
   ASSERT_TRUE(error) << run.Log();
   std::string message = e2e::DialogMessage(error);
   EXPECT_NE(message.find("Cannot capture the screen. Cannot move the picture from its temporary file: "),
             std::string::npos) << message;
   ASSERT_TRUE(e2e::ClickButtonByText(error, "OK")) << e2e::LastFailure();
   ASSERT_TRUE(e2e::WaitForWindowGone(error));
   EXPECT_TRUE(e2e::WaitUntil([&]() { return TemporaryScreenshots() == tempsBefore; }, kHostMs, 100))
      << "the completion deletes the temporary file";
   CloseHandle(held);
   EXPECT_EQ("old", e2e::ReadTextFile(locked).value_or(""));
   run.Close(zolt, frame, true);
}

TEST(ZoltCapture, AMovieIsCapturedWithTheChosenQualityUntilItIsStopped)
{
   e2e::TestFolder folder;
   CaptureRun run(folder);
   e2e::Process zolt;
   HWND frame = run.StartRunning(zolt);
   ASSERT_TRUE(frame);

   HWND dialog = run.OpenSaveDialog(zolt, frame, IDM_VM_CAPTURE_MOVIE);
   ASSERT_TRUE(dialog);
   HWND quality = e2e::WaitForChild(dialog, IDC_MOVIE_QUALITY);
   ASSERT_TRUE(quality) << "the quality box is added to the save dialog";
   EXPECT_EQ(3, SendMessageA(quality, CB_GETCOUNT, 0, 0));
   EXPECT_EQ(1, SendMessageA(quality, CB_GETCURSEL, 0, 0)) << "the machine's quality (medium) is preselected";
   SendMessageA(quality, CB_SETCURSEL, 2, 0);
   std::string proposed = e2e::ReadText(FileNameBox(dialog)).value_or("");
   EXPECT_NE(proposed.find("Shot.avi"), std::string::npos) << proposed;

   std::string file = folder.PathOf("shot.avi");
   ASSERT_TRUE(ChooseFile(dialog, file));
   ASSERT_TRUE(e2e::WaitForWindowGone(dialog));
   ASSERT_TRUE(run.WaitForLog("capturing a movie to")) << run.Log();
   EXPECT_NE(run.Log().find("(160x120)"), std::string::npos) << "low quality: a quarter of the guest\n" << run.Log();
   Sleep(1200);

   // The same command stops the capture under way.
   ASSERT_TRUE(Command(frame, IDM_VM_CAPTURE_MOVIE));
   ASSERT_TRUE(run.WaitForLog("movie capture to")) << run.Log();
   AviFile avi;
   std::string error;
   ASSERT_TRUE(ReadAvi(file, avi, error)) << error;
   EXPECT_GE(avi.frameChunks, 3u);
   EXPECT_EQ(avi.frameChunks, avi.totalFrames);
   EXPECT_EQ(avi.frameChunks, avi.indexEntries);
   EXPECT_EQ(160, avi.width);
   EXPECT_EQ(120, avi.height);
   EXPECT_EQ(run.Log().find("The video could not be captured"), std::string::npos) << run.Log();
   run.Close(zolt, frame, true);
}

TEST(ZoltCapture, NothingIsCapturedFromAMachineThatIsOff)
{
   e2e::TestFolder folder;
   CaptureRun run(folder);
   e2e::Process zolt;
   HWND frame = run.Start(zolt, false);
   ASSERT_TRUE(frame);
   ASSERT_TRUE(run.WaitForLog("(poweredOff)")) << run.Log();

   // Both items are disabled: no file is asked for and the host is asked for nothing.
   ASSERT_TRUE(Command(frame, IDM_VM_CAPTURE_MOVIE));
   ASSERT_TRUE(Command(frame, IDM_VM_CAPTURE_SCREEN));
   EXPECT_FALSE(e2e::WaitForDialog(zolt.Id(), "", 1500)) << run.Log();
   std::string log = run.Log();
   EXPECT_EQ(log.find("capturing a movie"), std::string::npos) << log;
   EXPECT_EQ(log.find("screenshot saved"), std::string::npos) << log;
   run.Close(zolt, frame, false);
}

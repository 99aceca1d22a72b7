#include "CaptureTest.h"
#include "MediaFiles.h"

#include <windows.h>

#include "cui/Movie.h"
#include "cui/VM.h"
#include "tremorybase/File.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"
#include "tremsim/SimHost.h"

namespace {

class MovieTest : public CaptureTest {
protected:
   std::string Start(cui::VM *vm, const std::string &file, int quality, Outcome &outcome)
   {
      vm->GetMovie()->StartCapture(file, quality, outcome.Abort(), outcome.Done());
      EXPECT_TRUE(Until([&]() { return outcome.finished; }));
      return outcome.error;
   }

   unsigned Frames(cui::VM *vm) const
   {
      return cuisim::SimHost::Get()->Movies().GetFrameCount(vm->GetVmPath());
   }

   // Runs poll steps until the capture has written `count` frames.
   bool UntilFrames(cui::VM *vm, unsigned count)
   {
      return Until([&]() { return Frames(vm) >= count; });
   }
};

TEST_F(MovieTest, ACaptureWritesAPlayableMovieWhoseHeaderCountsItsFrames)
{
   cui::VM *vm = OpenRunning();
   ASSERT_NE(nullptr, vm);
   ASSERT_NE(nullptr, vm->GetMovie());
   EXPECT_TRUE(vm->GetCanStartMovieCapture());
   EXPECT_FALSE(vm->GetCanStopMovieCapture());
   int signals = 0;
   vm->movieStateChanged.connect([&signals]() { ++signals; });

   std::string file = Path("desk.avi");
   Outcome started;
   EXPECT_EQ("", Start(vm, file, cui::Movie::QUALITY_MEDIUM, started));
   EXPECT_TRUE(started.done);
   EXPECT_TRUE(vm->GetCanStopMovieCapture());
   EXPECT_FALSE(vm->GetCanStartMovieCapture()) << "one capture at a time";
   EXPECT_EQ("1", run_->raw->Read(vm->GetVmPath() + "mks/movieCapture")) << "the status bar follows this";
   EXPECT_EQ(file, vm->GetMovie()->GetFilename());
   EXPECT_GT(signals, 0);

   Outcome second;
   EXPECT_NE("", Start(vm, Path("other.avi"), cui::Movie::QUALITY_LOW, second)) << "a second start is refused";
   EXPECT_FALSE(FileExists(Path("other.avi")));

   ASSERT_TRUE(UntilFrames(vm, 4));
   signals = 0;
   Outcome stopped;
   vm->GetMovie()->StopCapture(stopped.Abort(), stopped.Done());
   ASSERT_TRUE(Until([&]() { return stopped.finished; }));
   EXPECT_TRUE(stopped.done) << stopped.error;
   EXPECT_FALSE(vm->GetCanStopMovieCapture());
   EXPECT_TRUE(vm->GetCanStartMovieCapture());
   EXPECT_EQ("0", run_->raw->Read(vm->GetVmPath() + "mks/movieCapture"));
   EXPECT_GT(signals, 0);

   AviFile avi;
   std::string error;
   ASSERT_TRUE(ReadAvi(file, avi, error)) << error;
   EXPECT_GE(avi.frameChunks, 4u);
   EXPECT_EQ(avi.frameChunks, avi.totalFrames);
   EXPECT_EQ(avi.frameChunks, avi.streamLength);
   EXPECT_EQ(avi.frameChunks, avi.indexEntries);
   EXPECT_EQ(320, avi.width) << "medium quality: half the guest's size";
   EXPECT_EQ(240, avi.height);
   EXPECT_EQ(24, avi.bitCount);
   EXPECT_GT(avi.rate, 0u);
   ASSERT_FALSE(avi.firstFrame.empty());
   // Bottom-up rows: the last row of the data is the guest desktop's top edge.
   size_t top = avi.firstFrame.size() - ((320 * 3 + 3) & ~3u);
   EXPECT_EQ(140, avi.firstFrame[top]);
   EXPECT_EQ(84, avi.firstFrame[top + 1]);
   EXPECT_EQ(32, avi.firstFrame[top + 2]);

   // Stopping again is no failure.
   Outcome again;
   vm->GetMovie()->StopCapture(again.Abort(), again.Done());
   ASSERT_TRUE(Until([&]() { return again.finished; }));
   EXPECT_TRUE(again.done) << again.error;
}

TEST_F(MovieTest, ACaptureEndsWithACompleteFileWhenTheMachinePowersOffOrCloses)
{
   cui::VM *vm = OpenRunning();
   ASSERT_NE(nullptr, vm);
   std::string first = Path("off.avi");
   Outcome started;
   ASSERT_EQ("", Start(vm, first, cui::Movie::QUALITY_LOW, started));
   ASSERT_TRUE(UntilFrames(vm, 2));
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_OFF));
   ASSERT_TRUE(Until([&]() { return !vm->GetCanStopMovieCapture(); }));
   std::string vmPath = vm->GetVmPath();
   ASSERT_TRUE(Until([&]() { return !cuisim::SimHost::Get()->Movies().IsCapturing(vmPath); }));
   EXPECT_FALSE(started.cancelled);
   EXPECT_EQ("", started.error) << "a normal end reports nothing";
   AviFile avi;
   std::string error;
   ASSERT_TRUE(ReadAvi(first, avi, error)) << error;
   EXPECT_GE(avi.frameChunks, 2u);
   EXPECT_EQ(avi.frameChunks, avi.totalFrames);
   EXPECT_EQ(160, avi.width) << "low quality: a quarter of the guest's size";

   Outcome refused;
   EXPECT_NE("", Start(vm, Path("never.avi"), cui::Movie::QUALITY_LOW, refused));
   EXPECT_FALSE(vm->GetCanStartMovieCapture());
   EXPECT_FALSE(FileExists(Path("never.avi")));

   // Closed while capturing: the host lets the machine go and finishes the file.
   ASSERT_TRUE(Power(vm, cui::VM::POWERED_ON));
   std::string second = Path("closed.avi");
   Outcome again;
   ASSERT_EQ("", Start(vm, second, cui::Movie::QUALITY_HIGH, again));
   ASSERT_TRUE(UntilFrames(vm, 2));
   Outcome closed;
   run_->mgr->CloseVM(vm, closed.Abort(), closed.Done());
   ASSERT_TRUE(Until([&]() { return closed.finished; }));
   ASSERT_TRUE(Until([&]() { return !cuisim::SimHost::Get()->Movies().IsCapturing(vmPath); }));
   AviFile big;
   ASSERT_TRUE(ReadAvi(second, big, error)) << error;
   EXPECT_GE(big.frameChunks, 2u);
   EXPECT_EQ(big.frameChunks, big.indexEntries);
   EXPECT_EQ(640, big.width);
}

TEST_F(MovieTest, AFileThatCannotBeWrittenIsRefusedAndNothingRuns)
{
   cui::VM *vm = OpenRunning();
   ASSERT_NE(nullptr, vm);
   Outcome outcome;
   std::string error = Start(vm, Path("missing\\desk.avi"), cui::Movie::QUALITY_LOW, outcome);
   EXPECT_FALSE(outcome.cancelled);
   EXPECT_NE(std::string::npos, error.find("missing")) << error;
   EXPECT_FALSE(vm->GetCanStopMovieCapture());
   EXPECT_TRUE(vm->GetCanStartMovieCapture());
   EXPECT_EQ(0u, Frames(vm));
}

TEST_F(MovieTest, AMovieAppearsUnderItsNameOnlyWholeAndAFailedOneLeavesTheFileThereAsItWas)
{
   cui::VM *vm = OpenRunning();
   ASSERT_NE(nullptr, vm);
   const std::string vmPath = vm->GetVmPath();
   const std::string precious = "a movie of last year's holiday";
   std::string error;

   // Under way, the movie grows beside the chosen name; the file there stays until the end.
   const std::string file = Path("desk.avi");
   ASSERT_TRUE(File_Replace(file, precious, error)) << error;
   Outcome started;
   ASSERT_EQ("", Start(vm, file, cui::Movie::QUALITY_LOW, started));
   ASSERT_TRUE(UntilFrames(vm, 2));
   EXPECT_TRUE(FileExists(file + ".tmp"));
   std::string bytes;
   ASSERT_TRUE(File_Read(file, bytes, error)) << error;
   EXPECT_EQ(precious, bytes) << "a capture killed now leaves the old file";
   Outcome stopped;
   vm->GetMovie()->StopCapture(stopped.Abort(), stopped.Done());
   ASSERT_TRUE(Until([&]() { return stopped.finished; }));
   AviFile avi;
   ASSERT_TRUE(ReadAvi(file, avi, error)) << error;
   EXPECT_GE(avi.frameChunks, 2u);
   EXPECT_FALSE(FileExists(file + ".tmp"));

   // A capture that cannot start: the file under the name is left alone.
   const std::string kept = Path("kept.avi");
   ASSERT_TRUE(File_Replace(kept, precious, error)) << error;
   ASSERT_TRUE(File_MakeFolders(kept + ".tmp"));
   Outcome refused;
   EXPECT_NE("", Start(vm, kept, cui::Movie::QUALITY_LOW, refused));
   ASSERT_TRUE(File_Read(kept, bytes, error)) << error;
   EXPECT_EQ(precious, bytes);
   EXPECT_TRUE(File_RemoveFolder(kept + ".tmp"));

   // One that cannot be finished, because another program holds the file for longer than the
   // retries: the old file stays and the half movie goes.
   Outcome again;
   ASSERT_EQ("", Start(vm, kept, cui::Movie::QUALITY_LOW, again));
   ASSERT_TRUE(UntilFrames(vm, 2));
   HANDLE held = CreateFileW(WidePathFromUtf8(kept).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
   ASSERT_NE(INVALID_HANDLE_VALUE, held);
   Outcome ended;
   vm->GetMovie()->StopCapture(ended.Abort(), ended.Done());
   ASSERT_TRUE(Until([&]() { return !cuisim::SimHost::Get()->Movies().IsCapturing(vmPath); }));
   CloseHandle(held);
   EXPECT_NE(std::string::npos, run_->raw->Read(vmPath + "mks/movie/error").find("cannot be finished"))
      << run_->raw->Read(vmPath + "mks/movie/error");
   ASSERT_TRUE(File_Read(kept, bytes, error)) << error;
   EXPECT_EQ(precious, bytes);
   EXPECT_FALSE(FileExists(kept + ".tmp"));
}

}  // namespace

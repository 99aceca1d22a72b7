#include "tremsim/SimMovies.h"

#include <cstdlib>

#include "cui/Error.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "tremorybase/Log.h"

namespace cuisim {

namespace {

const int kFramesPerSecond = 1000 / SimMovies::kFrameMs;

// The frame's size for a quality (0 high, 1 medium, 2 low); even sizes suit every player.
void FrameSize(long guestWidth, long guestHeight, int quality, int &width, int &height)
{
   int divisor = quality == 2 ? 4 : quality == 1 ? 2 : 1;
   width = static_cast<int>(guestWidth / divisor) & ~1;
   height = static_cast<int>(guestHeight / divisor) & ~1;
}

}  // namespace

SimMovies::~SimMovies()
{
   for (auto &entry : captures_) {
      Capture &capture = *entry.second;
      Poll_RemoveTimer(capture.timer);
      capture.watch.disconnect();
      std::string error;
      if (!capture.writer.Close(error)) {
         Warning("SimHost: %s: the movie %s is not complete: %s\n", entry.first.c_str(), capture.file.c_str(),
                 error.c_str());
      }
   }
}

void SimMovies::RegisterOps(SimCmdOwner &vmCmds)
{
   vmCmds.Register("startMovieCapture", [this](SimCommand &cmd) {
      int quality = static_cast<int>(std::strtol(cmd.In("quality").c_str(), nullptr, 10));
      Start(cmd.Owner(), cmd.In("fileName"), quality);
   });
   vmCmds.Register("stopMovieCapture", [this](SimCommand &cmd) { Stop(cmd.Owner()); });
}

SimMachine *SimMovies::RunningMachine(const std::string &vmPath) const
{
   SimMachine *machine = machines_.Find(vmPath);
   return machine && machine->GetExecState() == SimMachine::kPoweredOn ? machine : nullptr;
}

void SimMovies::Start(const std::string &path, const std::string &file, int quality)
{
   std::string vmPath = cuiutil::WithSlash(path);
   SimMachine *machine = machines_.Find(vmPath);
   if (!machine) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.vm.notOpen)The virtual machine is not open on the host."));
   }
   std::string name = ctx_.Get(vmPath + "vmx/cfgState/val/displayName");
   if (machine->GetExecState() != SimMachine::kPoweredOn) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.movie.notOn)A movie of \"%s\" cannot be captured: the virtual "
                                   "machine is not powered on.", name.c_str()));
   }
   if (captures_.count(vmPath)) {
      throw cui::Error(cui::Format("@&!*@*@(msg.host.movie.running)A movie of \"%s\" is being captured already.",
                                   name.c_str()));
   }
   if (file.empty()) {
      throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.movie.noFile)No file was given for the movie."));
   }
   std::unique_ptr<Capture> capture(new Capture);
   capture->file = file;
   long guestWidth = 0;
   long guestHeight = 0;
   machine->GetGuestSize(guestWidth, guestHeight);
   FrameSize(guestWidth, guestHeight, quality, capture->width, capture->height);
   std::string error;
   // The first frame at once: a capture stopped right away still gives a movie.
   if (!capture->writer.Open(file, capture->width, capture->height, kFramesPerSecond, error) ||
       !WriteFrame(*machine, *capture, error)) {
      // The file already under that name, if any, stays as it was.
      capture->writer.Abandon();
      throw cui::Error(cui::Format("@&!*@*@(msg.host.movie.cannotWrite)The movie \"%s\" cannot be written: %s",
                                   file.c_str(), error.c_str()));
   }
   capture->timer = Poll_AddTimer(kFrameMs, true, [this, vmPath]() { OnFrame(vmPath); });
   // The file is finished as soon as the guest stops, not at the next frame.
   capture->watch = ctx_.Watch(vmPath + "vmx/execState/val", vmdb::Ctx::kWatchNode, [this, vmPath](const std::string &) {
      if (captures_.count(vmPath) && !RunningMachine(vmPath)) {
         Stop(vmPath);
      }
   });
   Log("SimHost: %s: capturing a movie to %s (%dx%d)\n", vmPath.c_str(), file.c_str(), capture->width,
       capture->height);
   captures_[vmPath] = std::move(capture);
   WriteState(vmPath, true, file, std::string());
}

void SimMovies::Stop(const std::string &path, const std::string &failure)
{
   std::string vmPath = cuiutil::WithSlash(path);
   auto it = captures_.find(vmPath);
   if (it == captures_.end()) {
      return;
   }
   std::unique_ptr<Capture> capture = std::move(it->second);
   captures_.erase(it);
   Poll_RemoveTimer(capture->timer);
   capture->watch.disconnect();
   std::string error = failure;
   std::string closeError;
   if (!capture->writer.Close(closeError) && error.empty()) {
      error = cui::Format("@&!*@*@(msg.host.movie.cannotFinish)The movie \"%s\" cannot be finished: %s",
                          capture->file.c_str(), closeError.c_str());
   }
   Log("SimHost: %s: movie capture to %s ended, %u frames%s%s\n", vmPath.c_str(), capture->file.c_str(),
       capture->writer.GetFrameCount(), error.empty() ? "" : ": ", error.c_str());
   WriteState(vmPath, false, capture->file, error);
}

bool SimMovies::IsCapturing(const std::string &vmPath) const
{
   return captures_.count(cuiutil::WithSlash(vmPath)) != 0;
}

unsigned SimMovies::GetFrameCount(const std::string &vmPath) const
{
   auto it = captures_.find(cuiutil::WithSlash(vmPath));
   return it == captures_.end() ? 0 : it->second->writer.GetFrameCount();
}

void SimMovies::OnFrame(const std::string &vmPath)
{
   auto it = captures_.find(vmPath);
   if (it == captures_.end()) {
      return;
   }
   SimMachine *machine = RunningMachine(vmPath);
   if (!machine) {
      Stop(vmPath);
      return;
   }
   std::string error;
   if (!WriteFrame(*machine, *it->second, error)) {
      Stop(vmPath, cui::Format("@&!*@*@(msg.host.movie.stopped)The capture of the movie \"%s\" stopped: %s",
                               it->second->file.c_str(), error.c_str()));
   }
}

bool SimMovies::WriteFrame(SimMachine &machine, Capture &capture, std::string &error)
{
   std::vector<char> pixels;
   return machine.GuestScreen().Render(capture.width, capture.height, pixels, error) &&
          capture.writer.AddFrame(pixels, error);
}

void SimMovies::WriteState(const std::string &vmPath, bool capturing, const std::string &file, const std::string &error)
{
   // A closed machine has no node left to write.
   if (!ctx_.Exists(cuiutil::WithoutSlash(vmPath))) {
      return;
   }
   vmdb::Batch batch(ctx_);
   ctx_.Set(vmPath + "mks/movie/fileName", file);
   ctx_.Set(vmPath + "mks/movie/error", error);
   ctx_.Set(vmPath + "mks/movieCapture", vmdb::Value(capturing ? 1 : 0));
}

}  // namespace cuisim

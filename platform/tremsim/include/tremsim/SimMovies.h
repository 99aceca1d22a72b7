// The simulated host's movie captures: while a machine is captured, a few frames a second of its
// guest screen are appended to an uncompressed video file. Machine operations on
// "/vm/#…/cmd/##/":
//   "startMovieCapture"   in/fileName, in/quality (cui::Movie::Quality: the frame is the guest
//                         screen at full, half or quarter size)
//   "stopMovieCapture"    ends the capture; no capture is no failure
// While a capture runs, "mks/movieCapture" is 1 and "mks/movie/fileName" names the file. A
// capture ends with the guest: when the machine leaves the powered-on state or is closed, or
// when the host stops, the file is finished; a capture that fails (the disk, the file's largest
// size) ends with the text in "mks/movie/error". The file appears under its name only once it is
// complete (SimAviWriter); a capture that cannot start or finish leaves a file already there as it was.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "cui/VmdbCtx.h"
#include "tremorybase/Poll.h"
#include "tremsim/SimAviWriter.h"
#include "tremsim/SimCmdOwner.h"
#include "tremsim/SimMachines.h"

namespace cuisim {

class SimMovies {
public:
   static const unsigned kFrameMs = 250;

   SimMovies(const vmdb::Ctx &ctx, SimMachines &machines) : ctx_(ctx), machines_(machines) {}
   // Finishes every capture's file; the database is left alone (it may be going away too).
   ~SimMovies();

   void RegisterOps(SimCmdOwner &vmCmds);

   // Starts capturing the machine at `vmPath`; throws cui::Error with a text a user understands.
   void Start(const std::string &vmPath, const std::string &file, int quality);
   // Ends the machine's capture; `error` (empty for a normal end) goes to "mks/movie/error".
   void Stop(const std::string &vmPath, const std::string &error = std::string());
   bool IsCapturing(const std::string &vmPath) const;
   // Frames written so far by the machine's capture (0 when none runs).
   unsigned GetFrameCount(const std::string &vmPath) const;

   SimMovies(const SimMovies &) = delete;
   SimMovies &operator=(const SimMovies &) = delete;

private:
   struct Capture {
      std::string file;
      int width = 0;
      int height = 0;
      SimAviWriter writer;
      PollTimerId timer = 0;
      sigc::connection watch;   // the machine's execution state
   };

   // Appends one frame, or ends the capture when the guest has stopped or writing fails.
   void OnFrame(const std::string &vmPath);
   // The running machine at `vmPath`; null when it is closed or not powered on.
   SimMachine *RunningMachine(const std::string &vmPath) const;
   bool WriteFrame(SimMachine &machine, Capture &capture, std::string &error);
   void WriteState(const std::string &vmPath, bool capturing, const std::string &file, const std::string &error);

   vmdb::Ctx ctx_;
   SimMachines &machines_;
   std::map<std::string, std::unique_ptr<Capture>> captures_;   // by the machine's path
};

}  // namespace cuisim

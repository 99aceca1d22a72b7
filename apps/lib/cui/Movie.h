// A machine's movie: its console captured to a video file by the host. The host shows a capture
// under way as "mks/movieCapture" 1 (the file in "mks/movie/fileName"); a capture that the host
// ended because it failed leaves its text in "mks/movie/error". A capture also ends when the
// machine stops running. The machine (cui::VM::GetMovie) owns its movie and raises
// `movieStateChanged` when a capture starts or ends.
#pragma once

#include <map>
#include <string>

#include <sigc++/sigc++.h>

#include "cui/Error.h"
#include "cui/VmdbCtx.h"

namespace cui {

class VM;

class Movie : public sigc::trackable {
public:
   // The picture the host keeps: the guest screen at full, half or quarter size.
   enum Quality { QUALITY_HIGH = 0, QUALITY_MEDIUM = 1, QUALITY_LOW = 2 };

   Movie(VM &vm, const vmdb::Ctx &ctx);
   ~Movie();

   // A capture runs, or its start was asked and not yet answered.
   bool IsCapturing() const { return capturing_ || starting_; }
   // The file of the capture under way or last made.
   const std::string &GetFilename() const { return file_; }

   // Asks the host to capture into `file` with `quality`. `done` runs once the capture runs;
   // `abort` (false, the host's text) when it cannot start, and later when the host ends the
   // capture because it failed.
   void StartCapture(const std::string &file, int quality, const AbortSlot &abort, const DoneSlot &done = DoneSlot());
   // Asks the host to end the capture and finish its file; `done` runs when the file is complete.
   void StopCapture(const AbortSlot &abort, const DoneSlot &done = DoneSlot());

   Movie(const Movie &) = delete;
   Movie &operator=(const Movie &) = delete;

protected:
   friend class VM;
   // The host's state as the machine last read it; true when the capture state changed.
   bool Follow(bool capturing, const std::string &file, const std::string &error);

private:
   void OnStartAnswer(std::string error, std::map<std::string, std::string> outputs, AbortSlot abort, DoneSlot done);
   void OnStopAnswer(std::string error, std::map<std::string, std::string> outputs, AbortSlot abort, DoneSlot done);

   VM &vm_;
   vmdb::Ctx ctx_;
   bool capturing_ = false;
   bool starting_ = false;
   std::string file_;
   AbortSlot failed_;   // the running capture's abort slot
};

}  // namespace cui

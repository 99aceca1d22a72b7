#include "cui/Movie.h"

#include "ModelCmd.h"
#include "cui/LocalizedString.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

namespace cui {

namespace {

// The slot conventions never call back inside the call, nor inside the machine's refresh.
void PostAbort(const AbortSlot &abort, const std::string &text)
{
   AbortSlot slot = abort;
   Error error(text);
   Poll_Post([slot, error]() { CallSlot(slot, false, error); });
}

}  // namespace

Movie::Movie(VM &vm, const vmdb::Ctx &ctx) : vm_(vm), ctx_(ctx) {}

Movie::~Movie() = default;

bool Movie::Follow(bool capturing, const std::string &file, const std::string &error)
{
   bool was = IsCapturing();
   if (capturing_ && !capturing) {
      if (!error.empty()) {
         Log("VM %s: the movie capture ended: %s\n", vm_.GetVmPath().c_str(), error.c_str());
         PostAbort(failed_, error);
      }
      failed_ = AbortSlot();
   }
   capturing_ = capturing;
   if (!file.empty()) {
      file_ = file;
   }
   return was != IsCapturing();
}

void Movie::StartCapture(const std::string &file, int quality, const AbortSlot &abort, const DoneSlot &done)
{
   if (!vm_.IsRegistered()) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.closed)The virtual machine \"%s\" is no longer open.",
                              vm_.GetName().c_str()));
      return;
   }
   if (IsCapturing()) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.movie.running)A movie of \"%s\" is being captured already.",
                              vm_.GetName().c_str()));
      return;
   }
   try {
      cuiutil::ModelCmd::Send(ctx_, vm_.GetVmPath() + "cmd/##/", "startMovieCapture",
                              {{"fileName", file}, {"quality", std::to_string(quality)}}, {},
                              sigc::bind(sigc::mem_fun(*this, &Movie::OnStartAnswer), abort, done));
   } catch (const Error &e) {
      PostAbort(abort, e.what());
      return;
   }
   starting_ = true;
   file_ = file;
   vm_.movieStateChanged.emit();
}

void Movie::OnStartAnswer(std::string error, std::map<std::string, std::string>, AbortSlot abort, DoneSlot done)
{
   starting_ = false;
   if (!error.empty()) {
      Log("VM %s: startMovieCapture failed: %s\n", vm_.GetVmPath().c_str(), error.c_str());
      vm_.movieStateChanged.emit();
      CallSlot(abort, false, Error(error));
      return;
   }
   // The host's state may reach the machine before or after this answer.
   capturing_ = ctx_.GetBool(vm_.GetVmPath() + "mks/movieCapture", false);
   if (capturing_) {
      failed_ = abort;
   }
   vm_.movieStateChanged.emit();
   CallSlot(done);
}

void Movie::StopCapture(const AbortSlot &abort, const DoneSlot &done)
{
   if (!vm_.IsRegistered()) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.closed)The virtual machine \"%s\" is no longer open.",
                              vm_.GetName().c_str()));
      return;
   }
   try {
      cuiutil::ModelCmd::Send(ctx_, vm_.GetVmPath() + "cmd/##/", "stopMovieCapture", {}, {},
                              sigc::bind(sigc::mem_fun(*this, &Movie::OnStopAnswer), abort, done));
   } catch (const Error &e) {
      PostAbort(abort, e.what());
   }
}

void Movie::OnStopAnswer(std::string error, std::map<std::string, std::string>, AbortSlot abort, DoneSlot done)
{
   if (!error.empty()) {
      Log("VM %s: stopMovieCapture failed: %s\n", vm_.GetVmPath().c_str(), error.c_str());
      CallSlot(abort, false, Error(error));
      return;
   }
   std::string path = vm_.GetVmPath();
   if (Follow(ctx_.GetBool(path + "mks/movieCapture", false), ctx_.Get(path + "mks/movie/fileName"),
              ctx_.Get(path + "mks/movie/error"))) {
      vm_.movieStateChanged.emit();
   }
   CallSlot(done);
}

}  // namespace cui

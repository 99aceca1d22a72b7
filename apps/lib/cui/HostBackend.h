// What the model library asks of the hosts and machines behind the database: something that
// answers the command queues and request states the model writes there. The program installs one
// at start-up (the simulated host's); the library knows it only through this interface.
#pragma once

#include <string>

#include "cui/VmdbCtx.h"

namespace cui {

class HostBackend {
public:
   virtual ~HostBackend() = default;

   // Answers the hosts and machines of `ctx`'s database from now on (kept when it already answers
   // there); an empty context stops it.
   virtual void AnswerDatabase(const vmdb::Ctx &ctx) = 0;
   // Makes sure the host at `hostPath` has its registered machines in `ctx`'s database before the
   // model reads them: the host node may have been made by a write the backend has not seen yet.
   virtual void LoadRegisteredVMs(const vmdb::Ctx &ctx, const std::string &hostPath) = 0;
};

// The run's backend (ownership stays with the caller); null before and after. Installing one while
// a model context is registered moves the answering from the old backend to the new one. Without
// a backend the model's commands and requests stay unanswered (the registry logs so).
void SetHostBackend(HostBackend *backend);
HostBackend *GetHostBackend();

}  // namespace cui

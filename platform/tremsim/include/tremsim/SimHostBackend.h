// The simulated host behind the model library's host seam: the program installs it with
// cui::SetHostBackend(&cuisim::SimHostBackend::Get()) before it registers the model context.
#pragma once

#include <string>

#include "cui/HostBackend.h"

namespace cuisim {

class SimHostBackend : public cui::HostBackend {
public:
   static SimHostBackend &Get();

   // Runs the one SimHost on `ctx`'s database; an empty context stops it.
   void AnswerDatabase(const vmdb::Ctx &ctx) override;
   void LoadRegisteredVMs(const vmdb::Ctx &ctx, const std::string &hostPath) override;
};

}  // namespace cuisim

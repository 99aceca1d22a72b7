#include "tremsim/SimHostBackend.h"

#include "tremsim/SimHost.h"

namespace cuisim {

SimHostBackend &SimHostBackend::Get()
{
   static SimHostBackend backend;
   return backend;
}

void SimHostBackend::AnswerDatabase(const vmdb::Ctx &ctx)
{
   SimHost::RunFor(ctx);
}

void SimHostBackend::LoadRegisteredVMs(const vmdb::Ctx &ctx, const std::string &hostPath)
{
   SimHost::LoadRegisteredVMs(ctx, hostPath);
}

}  // namespace cuisim

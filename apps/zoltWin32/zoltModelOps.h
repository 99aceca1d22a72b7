// What the session and tab code asks of the machine, team, hot-fix and managed-template models,
// in one place. The operations those models do not offer yet answer here as a session without
// such objects would: nothing to close, no appliance view, a team that stays as it is.
#pragma once

#include "cui/Error.h"

namespace cui {
class Team;
class VM;
}  // namespace cui

namespace zoltmodel {

// Busy with an operation: a team, or a machine for the given busy mask.
bool IsTeamBusy(cui::Team *team);
bool IsVMBusy(cui::VM *vm, int mask);
// Powered on, or a power change under way.
bool IsVMRunning(cui::VM *vm);

// Teams power on with option 3.
void PowerOnTeam(cui::Team *team);
// The machine shows its appliance view at power on (it has one, enabled, with its fields).
bool ShowsApplianceView(cui::VM *vm);

// The session's machines: powered off or suspended (option 0), closed; then `done`, or `onAbort`.
void PowerOffVMs(const cui::AbortSlot &onAbort, const cui::DoneSlot &done);
void SuspendVMs(const cui::AbortSlot &onAbort, const cui::DoneSlot &done);
void CloseAllVMs(const cui::AbortSlot &onAbort, const cui::DoneSlot &done);
// Every team, hot-fix request and managed template of the session is closed.
void CloseAllTeams();
void CloseAllHotFixRequests();
void CloseAllMVMTs();

}  // namespace zoltmodel

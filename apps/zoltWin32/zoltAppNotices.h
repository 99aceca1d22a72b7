// The notices the stand-ins leave in the state database for the user ("/notice/#", see
// vmdb/Store.h): a file of the user's that could not be read and is kept as it is. The program
// shows each once, as a warning: those of the start-up once the window is there, later ones (a
// host's list, read when the host appears) as they come.
#pragma once

#include "cui/VmdbCtx.h"

#include <sigc++/sigc++.h>

#include <functional>
#include <string>

// The text of one notice, for the user: what could not be read, where it is kept, what zolt does now.
std::string AppNoticeText(const std::string &kind, const std::string &file, const std::string &problem,
                          const std::string &host);

// Takes the notices out of the database, oldest first, and hands the text of each to `show`.
// Each is taken out before it is shown, so a notice is shown once even when `show` runs poll steps.
void ShowAppNotices(const vmdb::Ctx &ctx, const std::function<void(const std::string &)> &show);

// Shows the notices there are now and, from then on, those that come (through a watch on the
// context, from a poll step), for as long as `owner` and the context live.
void WatchAppNotices(const vmdb::Ctx &ctx, const sigc::trackable &owner,
                     const std::function<void(const std::string &)> &show);

#include "zoltAppNotices.h"

#include "zoltMsg.h"

#include "cui/LocalizedString.h"
#include "cui/Registry.h"
#include "tremorybase/Log.h"
#include "vmdb/Store.h"

namespace {

const char kUserFileText[] = ZOLT_MSG(
   "msg.zolt.notice.userFile",
   "Your favorites and preferences could not be read from \"%s\" (%s).\n\n"
   "The file is kept as it is. Until the next start the default favorites and preferences are "
   "used, and the changes you make are not saved, so that the file is not overwritten. To use it "
   "again, mend or remove the file, then start again.");
const char kVmListText[] = ZOLT_MSG(
   "msg.zolt.notice.vmList",
   "The list of virtual machines registered on %s could not be read from \"%s\" (%s).\n\n"
   "The file is kept as it is. The host lists none of its virtual machines, and virtual machines "
   "cannot be registered or removed until the file is mended or removed.");
const char kLocalHostName[] = ZOLT_MSG("msg.zolt.notice.localHost", "this computer");
const char kOtherFileText[] = ZOLT_MSG("msg.zolt.notice.otherFile",
                                       "The file \"%s\" could not be read (%s). It is kept as it is.");

}  // namespace

std::string AppNoticeText(const std::string &kind, const std::string &file, const std::string &problem,
                          const std::string &host)
{
   if (kind == vmdbstore::kNoticeUserFile) {
      return cui::Format(kUserFileText, file.c_str(), problem.c_str());
   }
   if (kind == vmdbstore::kNoticeVmList) {
      std::string name = host.empty() || host == "localhost" ? cui::GetLocalString(kLocalHostName) : host;
      return cui::Format(kVmListText, name.c_str(), file.c_str(), problem.c_str());
   }
   return cui::Format(kOtherFileText, file.c_str(), problem.c_str());
}

void ShowAppNotices(const vmdb::Ctx &ctx, const std::function<void(const std::string &)> &show)
{
   if (!ctx.IsValid()) {
      return;
   }
   vmdb::Ctx db = ctx;
   for (const std::string &notice : db.Elements(std::string(vmdbstore::kNotices) + "#")) {
      const std::string kind = db.Get(notice + "kind");
      const std::string file = db.Get(notice + "file");
      const std::string problem = db.Get(notice + "problem");
      const std::string text = AppNoticeText(kind, file, problem, db.Get(notice + "host"));
      db.Remove(notice, true);
      Log("CZOLTApp: the user is told that %s (%s) could not be read and is kept: %s\n", file.c_str(), kind.c_str(),
          problem.c_str());
      show(text);
   }
}

void WatchAppNotices(const vmdb::Ctx &ctx, const sigc::trackable &owner,
                     const std::function<void(const std::string &)> &show)
{
   if (!ctx.IsValid()) {
      return;
   }
   // The slot reads through the registered context rather than hold one: a context kept by its
   // own watch would never close, and the user file is saved when the last context goes.
   vmdb::Ctx watcher = ctx;
   watcher.Watch(std::string(vmdbstore::kNotices), vmdb::Ctx::kWatchSubtree,
                 sigc::track_obj([show](const std::string &) { ShowAppNotices(cui::GetVmdbCtx(), show); }, owner));
   ShowAppNotices(ctx, show);
}

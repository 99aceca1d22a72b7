#include "cui/WuiPrefs.h"

#include "PathText.h"

namespace wui {

namespace {

const std::string kCurrentObj = std::string(cui::kAppDataPath) + "currentObj";
const std::string kTransientObj = std::string(cui::kAppDataPath) + "transientObj";
const std::string kSessionPath = std::string(cui::kAppDataPath) + "session/cnxPath";

}  // namespace

Prefs::Prefs() : cui::Prefs()
{
   WatchCurrentObj();
}

Prefs::Prefs(const vmdb::Ctx &ctx) : cui::Prefs(ctx)
{
   WatchCurrentObj();
}

Prefs::~Prefs()
{
   currentObjWatch_.disconnect();
}

void Prefs::WatchCurrentObj()
{
   currentObjWatch_ = ctx_.Watch(kCurrentObj, vmdb::Ctx::kWatchNode, [this](const std::string &) {
      currentObjChanged.emit();
   });
}

bool Prefs::GetFullScreen() const
{
   return GetBool("val/zolt/view/fullScreen", false);
}

void Prefs::SetFullScreen(bool on)
{
   SetBool("val/zolt/view/fullScreen", on);
}

// The absolute path a link node points at; empty when unset. Read as a value, so it also works
// where the schema has not declared the node a link; a relative value is resolved by the database.
std::string Prefs::LinkValue(const std::string &link) const
{
   std::string value = ctx_.Get(link);
   if (value.empty() || value[0] == '/') {
      return value;
   }
   return ctx_.FullPath(link + "/");
}

std::string Prefs::RecordField(const std::string &link, const char *field) const
{
   std::string record = LinkValue(link);
   return record.empty() ? record : ctx_.Get(cuiutil::WithSlash(record) + field);
}

std::string Prefs::GetCurrentObj() const
{
   return LinkValue(kCurrentObj);
}

std::string Prefs::GetCurrentObjType() const
{
   return RecordField(kCurrentObj, "type");
}

std::string Prefs::GetCurrentObjPath() const
{
   return RecordField(kCurrentObj, "path");
}

void Prefs::SetCurrentObj(const std::string &recordPath)
{
   ctx_.Set(kCurrentObj, recordPath);
}

std::string Prefs::GetTransientObj() const
{
   return LinkValue(kTransientObj);
}

std::string Prefs::GetTransientObjType() const
{
   return RecordField(kTransientObj, "type");
}

std::string Prefs::GetTransientObjPath() const
{
   return RecordField(kTransientObj, "path");
}

void Prefs::SetTransientObj(const std::string &recordPath)
{
   ctx_.Set(kTransientObj, recordPath);
}

void Prefs::UnsetTransientObj()
{
   ctx_.Remove(kTransientObj, true);
}

std::string Prefs::GetSessionPath() const
{
   return LinkValue(kSessionPath);
}

void Prefs::SetSessionPath(const std::string &cnxPath)
{
   ctx_.Set(kSessionPath, cnxPath);
}

}  // namespace wui

#include "cui/WuiPrefs.h"

#include "cui/AppDataPaths.h"
#include "cui/PathText.h"

#include <cstdlib>

namespace wui {

namespace {

using cui::appdata::kCurrentObj;
using cui::appdata::kTransientObj;
using cui::appdata::kSessionCnxPath;

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

bool Prefs::GetTabShow() const
{
   return GetBool("val/zolt/view/tabs", true);
}

std::string Prefs::GetViewType() const
{
   std::string type = RecordField(kCurrentObj, "viewType");
   return type.empty() ? "summary" : type;
}

void Prefs::SetFullScreen(bool on)
{
   SetBool("val/zolt/view/fullScreen", on);
}

void Prefs::SetTabShow(bool on)
{
   SetBool("val/zolt/view/tabs", on);
}

void Prefs::SetViewType(const std::string &type)
{
   std::string record = LinkValue(kCurrentObj);
   if (!record.empty()) {
      ctx_.Set(cuiutil::WithSlash(record) + "viewType", type);
   }
}

bool Prefs::GetFitWindowEvent() const
{
   return GetBool("val/zolt/view/fitWindowEvent", false);
}

void Prefs::SetFitWindowEvent(bool on)
{
   SetBool("val/zolt/view/fitWindowEvent", on);
}

bool Prefs::GetFitGuestEvent(int *width, int *height) const
{
   if (width) {
      *width = std::atoi(GetString("val/zolt/view/fitGuestEvent/width").c_str());
   }
   if (height) {
      *height = std::atoi(GetString("val/zolt/view/fitGuestEvent/height").c_str());
   }
   return GetBool("val/zolt/view/fitGuestEvent/on", false);
}

void Prefs::SetFitGuestEvent(bool on, int width, int height)
{
   SetString("val/zolt/view/fitGuestEvent/width", std::to_string(width));
   SetString("val/zolt/view/fitGuestEvent/height", std::to_string(height));
   SetBool("val/zolt/view/fitGuestEvent/on", on);
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

std::string Prefs::ToolbarPath(int type)
{
   return "val/zolt/toolbar/" + std::to_string(type) + "/";
}

int Prefs::GetToolbarIndex(int type) const
{
   return static_cast<int>(ctx_.GetInt(request_ + ToolbarPath(type) + "index", -1));
}

void Prefs::SetToolbarIndex(int type, int index)
{
   ctx_.Set(request_ + ToolbarPath(type) + "index", vmdb::Value(index));
}

int Prefs::GetToolbarLength(int type) const
{
   return static_cast<int>(ctx_.GetInt(request_ + ToolbarPath(type) + "length", 0));
}

void Prefs::SetToolbarLength(int type, int length)
{
   ctx_.Set(request_ + ToolbarPath(type) + "length", vmdb::Value(length));
}

bool Prefs::GetToolbarNewLine(int type) const
{
   return GetBool(ToolbarPath(type) + "newLine", false);
}

void Prefs::SetToolbarNewLine(int type, bool on)
{
   SetBool(ToolbarPath(type) + "newLine", on);
}

bool Prefs::GetToolbarShow(int type) const
{
   return GetBool(ToolbarPath(type) + "show", true);
}

void Prefs::SetToolbarShow(int type, bool on)
{
   SetBool(ToolbarPath(type) + "show", on);
}

void Prefs::GetToolbarItems(int type, std::vector<ToolbarItem> &items) const
{
   std::string text;
   if (!ctx_.Get(request_ + ToolbarPath(type) + "items", text) || text.empty()) {
      return;
   }
   std::vector<ToolbarItem> stored;
   size_t start = 0;
   while (start <= text.size()) {
      size_t end = text.find(',', start);
      std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
      char *rest = nullptr;
      long value = strtol(part.c_str(), &rest, 10);
      if (!part.empty() && rest && *rest == '\0') {
         stored.push_back(static_cast<ToolbarItem>(value));
      }
      if (end == std::string::npos) {
         break;
      }
      start = end + 1;
   }
   items.swap(stored);
}

void Prefs::SetToolbarItems(int type, const std::vector<ToolbarItem> &items)
{
   std::string text;
   for (ToolbarItem item : items) {
      text += (text.empty() ? "" : ",") + std::to_string(item);
   }
   ctx_.Set(request_ + ToolbarPath(type) + "items", text);
}

void Prefs::SetDefaultToolbarButtons()
{
   for (int type = TOOLBAR_MENU; type <= TOOLBAR_VPLAY; ++type) {
      const std::string node = request_ + ToolbarPath(type) + "items";
      if (!ctx_.Exists(node)) {
         continue;
      }
      std::vector<ToolbarItem> items;
      GetToolbarItems(type, items);
      if (items.empty()) {
         ctx_.Remove(node, true);
      } else {
         SetToolbarItems(type, items);
      }
   }
}

namespace {
const char kSnapshotMgrPlacement[] = "val/zolt/snapshotMgr/placement/";
}

bool Prefs::GetSnapshotManagerPlacement(RECT &rect) const
{
   const std::string base = request_ + kSnapshotMgrPlacement;
   RECT saved = {static_cast<LONG>(ctx_.GetInt(base + "left", 0)), static_cast<LONG>(ctx_.GetInt(base + "top", 0)),
                 static_cast<LONG>(ctx_.GetInt(base + "right", 0)), static_cast<LONG>(ctx_.GetInt(base + "bottom", 0))};
   if (saved.right <= saved.left || saved.bottom <= saved.top) {
      return false;
   }
   rect = saved;
   return true;
}

void Prefs::SetSnapshotManagerPlacement(const RECT &rect, int flags)
{
   const std::string base = request_ + kSnapshotMgrPlacement;
   vmdb::Batch batch(ctx_);
   ctx_.Set(base + "left", vmdb::Value(static_cast<long>(rect.left)));
   ctx_.Set(base + "top", vmdb::Value(static_cast<long>(rect.top)));
   ctx_.Set(base + "right", vmdb::Value(static_cast<long>(rect.right)));
   ctx_.Set(base + "bottom", vmdb::Value(static_cast<long>(rect.bottom)));
   ctx_.Set(base + "flags", vmdb::Value(static_cast<long>(flags)));
}

std::string Prefs::GetSessionPath() const
{
   return LinkValue(kSessionCnxPath);
}

void Prefs::SetSessionPath(const std::string &cnxPath)
{
   ctx_.Set(kSessionCnxPath, cnxPath);
}

}  // namespace wui

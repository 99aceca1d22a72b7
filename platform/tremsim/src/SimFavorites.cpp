#include "tremsim/SimFavorites.h"

#include <map>
#include <set>

#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "tremorybase/Log.h"

namespace cuisim {

namespace {

const char kNoItemText[] = "@&!*@*@(msg.vmlist.noItem)The favorites list has no such entry.";
const char kBlankNameText[] = "@&!*@*@(msg.vmlist.blankName)A name in the favorites list cannot be blank.";
const char kBadParentText[] = "@&!*@*@(msg.vmlist.badParent)The entry cannot be moved into that folder.";

// "/a/b/#0003/" gives "#0003".
std::string LastName(const std::string &path)
{
   std::string p = cuiutil::WithoutSlash(path);
   return p.substr(p.rfind('/') + 1);
}

bool IsBlank(const std::string &text)
{
   return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

std::string ItemsArray(const std::string &statePath)
{
   return cuiutil::WithSlash(statePath) + "val/item/#";
}

// The present folders of the state: id to parentID.
std::map<long, long> PresentFolders(vmdb::Ctx &ctx, const std::string &statePath)
{
   std::map<long, long> folders;
   for (const std::string &item : SimFavorites::PresentItems(ctx, statePath)) {
      if (ctx.Get(item + "type") == "folder") {
         folders[ctx.GetInt(item + "id", 0)] = ctx.GetInt(item + "parentID", 0);
      }
   }
   return folders;
}

// True when `folder` is `id` or lies inside it.
bool IsWithin(const std::map<long, long> &folders, long folder, long id)
{
   // The chain is bounded by the number of folders, so a loop already in the data ends too.
   for (size_t steps = 0; folder != 0 && steps <= folders.size(); steps++) {
      if (folder == id) {
         return true;
      }
      auto it = folders.find(folder);
      if (it == folders.end()) {
         return false;
      }
      folder = it->second;
   }
   return false;
}

}  // namespace

const char SimFavorites::kState[] = "/user/vmlistState/";

std::string SimFavorites::CfgPathOf(vmdb::Ctx &ctx, const std::string &item)
{
   std::string type = ctx.Get(item + "type");
   if (type.empty() || type == "folder") {
      return std::string();
   }
   return ctx.Get(item + "type/" + type + "/cfgPath");
}

std::vector<std::string> SimFavorites::PresentItems(vmdb::Ctx &ctx, const std::string &statePath)
{
   std::vector<std::string> items;
   for (const std::string &item : ctx.Elements(ItemsArray(statePath))) {
      if (ctx.Test(item + "present")) {
         items.push_back(item);
      }
   }
   return items;
}

std::string SimFavorites::Check(vmdb::Ctx &ctx, const std::string &statePath, const std::string &element)
{
   std::string state = cuiutil::WithSlash(statePath);
   std::map<long, long> folders = PresentFolders(ctx, state);
   std::vector<std::string> present = PresentItems(ctx, state);
   std::vector<std::string> addedFiles;
   for (const std::string &reqItem : ctx.Elements(element + "val/item/#")) {
      std::string target = state + "val/item/" + LastName(reqItem) + "/";
      if (!ctx.Exists(target)) {
         return cui::GetLocalString(kNoItemText);
      }
      for (const std::string &type : ctx.Children(reqItem + "type")) {
         std::string name;
         if (ctx.Get(reqItem + "type/" + type + "/name", name) && IsBlank(name)) {
            return cui::GetLocalString(kBlankNameText);
         }
      }
      if (ctx.Exists(reqItem + "parentID")) {
         long parent = ctx.GetInt(reqItem + "parentID", -1);
         bool isFolder = ctx.Get(target + "type") == "folder";
         long id = ctx.GetInt(target + "id", 0);
         if (parent != 0 && (folders.count(parent) == 0 || (isFolder && IsWithin(folders, parent, id)))) {
            return cui::GetLocalString(kBadParentText);
         }
      }
      if (!ctx.Test(reqItem + "present") || ctx.Test(target + "present")) {
         continue;
      }
      std::string file = CfgPathOf(ctx, target);
      if (file.empty()) {
         continue;
      }
      bool listed = false;
      for (const std::string &other : present) {
         listed = listed || (other != target && cuiutil::SameFilePath(file, CfgPathOf(ctx, other)));
      }
      for (const std::string &added : addedFiles) {
         listed = listed || cuiutil::SameFilePath(file, added);
      }
      if (listed) {
         // A second element for a listed file (an add sent twice): the list keeps the first.
         Log("SimHost: %s lists a file the favorites already hold; dropped\n", target.c_str());
         ctx.Remove(reqItem, true);
         ctx.Remove(target, true);
      } else {
         addedFiles.push_back(file);
      }
   }
   return std::string();
}

void SimFavorites::Settle(vmdb::Ctx &ctx, const std::string &statePath, const std::string &element)
{
   std::string state = cuiutil::WithSlash(statePath);
   for (const std::string &reqItem : ctx.Elements(element + "val/item/#")) {
      std::string folder = state + "val/item/" + LastName(reqItem) + "/";
      if (!ctx.Exists(reqItem + "present") || ctx.Test(reqItem + "present") || ctx.Get(folder + "type") != "folder") {
         continue;
      }
      long id = ctx.GetInt(folder + "id", 0);
      long parent = ctx.GetInt(folder + "parentID", 0);
      for (const std::string &item : ctx.Elements(ItemsArray(state))) {
         if (item != folder && ctx.GetInt(item + "parentID", 0) == id) {
            ctx.Set(item + "parentID", vmdb::Value(parent));
         }
      }
   }
}

void SimFavorites::Purge(vmdb::Ctx &ctx, const std::string &statePath)
{
   std::string state = cuiutil::WithSlash(statePath);
   vmdb::Batch batch(ctx);
   std::string pending = cuiutil::WithSlash(ctx.Get(state + "new"));
   std::set<std::string> named;
   size_t requests = 0;
   for (const std::string &element : ctx.Elements(state + "req/#")) {
      if (element == pending) {
         for (const std::string &reqItem : ctx.Elements(element + "val/item/#")) {
            named.insert(LastName(reqItem));
         }
      } else {
         ctx.Remove(element, true);
         requests++;
      }
   }
   size_t items = 0;
   for (const std::string &item : ctx.Elements(ItemsArray(state))) {
      if (!ctx.Test(item + "present") && named.count(LastName(item)) == 0) {
         ctx.Remove(item, true);
         items++;
      }
   }
   // Items whose folder went without them (written by an older owner) come back to the top.
   std::map<long, long> folders = PresentFolders(ctx, state);
   for (const std::string &item : ctx.Elements(ItemsArray(state))) {
      long parent = ctx.GetInt(item + "parentID", 0);
      if (parent != 0 && folders.count(parent) == 0) {
         ctx.Set(item + "parentID", vmdb::Value(0));
      }
   }
   if (requests || items) {
      Log("SimHost: %s: purged %u answered requests and %u removed entries\n", state.c_str(),
          static_cast<unsigned>(requests), static_cast<unsigned>(items));
   }
}

}  // namespace cuisim

#include "zoltUiSchema.h"

#include "zoltComObjects.h"

namespace {

const char *const kObjTypes[] = {"home", "vm", "mvmt", "hotfix", "team", "quen", ""};
const char *const kViewTypes[] = {"summary", "appliance", "console", ""};
const char *const kObjStatus[] = {"unopened", "loading", "done", ""};
const char *const kUpdateAvailable[] = {"no", "yes", "error", ""};

IVmdbSchemaPtr NewSchemaNode(const char *name)
{
   IVmdbSchemaPtr node;
   CreateComObject(__uuidof(VmdbSchema), "VmdbSchema", node);
   node->SetName(name);
   return node;
}

void AddDir(IVmdbUtil *util, const char *name)
{
   AddSchemaNode(util, name, VMDB_TYPE_DIR, "");
   util->ChangeSchemaPath(name);
}

void Up(IVmdbUtil *util, int levels)
{
   for (int i = 0; i < levels; i++) {
      util->ChangeSchemaPath("..");
   }
}

}  // namespace

void AddSchemaNode(IVmdbUtil *util, const char *name, long type, const char *defaultValue)
{
   IVmdbSchemaPtr node = NewSchemaNode(name);
   node->SetType(type);
   if (defaultValue && *defaultValue) {
      node->SetDefault(defaultValue);
   }
   node->AddToParent(util);
}

void AddSchemaNode(IVmdbUtil *util, const char *name, const char *const *values, const char *defaultValue)
{
   IVmdbSchemaPtr node = NewSchemaNode(name);
   node->SetType(VMDB_TYPE_ENUM);
   for (const char *const *value = values; value && **value; value++) {
      node->AddEnumValue(*value);
   }
   node->SetDefault(defaultValue);
   node->AddToParent(util);
}

void AddSchemaLink(IVmdbUtil *util, const char *name, const char *targetPattern)
{
   IVmdbSchemaPtr node = NewSchemaNode(name);
   node->SetType(VMDB_TYPE_LINK);
   node->SetLinkTarget(targetPattern);
   node->AddToParent(util);
}

void BuildUiSchema(IVmdbDatabase *db)
{
   IVmdbUtilPtr util;
   CreateComObject(__uuidof(VmdbUtil), "VmdbUtil", util);
   util->Attach(db);

   AddDir(util, "appdata");
   AddDir(util, "Tremory");
   AddDir(util, "zolt");
   AddSchemaNode(util, "deskmoorMode", VMDB_TYPE_FLAG, "0");
   AddSchemaLink(util, "localHost", "/host2/#");
   AddSchemaLink(util, "currentHost", "/host2/#");
   AddSchemaLink(util, "currentObj", "../openedObj/#");

   AddDir(util, "session");
   AddSchemaLink(util, "cnxPath", "/db/connection/#/");
   AddSchemaNode(util, "active", VMDB_TYPE_FLAG, "0");
   AddSchemaNode(util, "remote", VMDB_TYPE_FLAG, "0");
   AddSchemaNode(util, "user", VMDB_TYPE_TEXT, "");
   AddSchemaNode(util, "dest", VMDB_TYPE_TEXT, "");
   Up(util, 1);

   AddDir(util, "openedObj");
   AddDir(util, "#");
   AddSchemaNode(util, "type", kObjTypes, "home");
   AddSchemaNode(util, "path", VMDB_TYPE_TEXT, "");
   AddSchemaNode(util, "viewType", kViewTypes, "summary");
   AddSchemaNode(util, "status", kObjStatus, "unopened");
   Up(util, 2);
   AddSchemaLink(util, "transientObj", "../openedObj/#");

   AddDir(util, "webUpdate");
   AddSchemaNode(util, "updateAvailable", kUpdateAvailable, "no");
   AddSchemaNode(util, "url", VMDB_TYPE_TEXT, "");
   AddSchemaNode(util, "info", VMDB_TYPE_TEXT, "");
   AddSchemaNode(util, "message", VMDB_TYPE_TEXT, "");
   Up(util, 4);
}

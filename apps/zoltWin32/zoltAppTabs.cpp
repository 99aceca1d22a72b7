// Saved tabs: the opened objects of a session are written into the user's preferences when it
// ends and reopened when the next session starts.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltResources.h"
#include "zoltWndUtil.h"

#include "cui/AppDataPaths.h"
#include "cui/cui.h"
#include "res/resource.h"
#include "tremorybase/Log.h"

#include <set>
#include <vector>

namespace {


std::string SavedTabsPrefix()
{
   cui::LocalHost *host = dynamic_cast<cui::LocalHost *>(cui::GetClientHost());
   if (!host) {
      throw cui::Error("there is no client host");
   }
   return host->GetOpenedObjsPrefix();
}

// What a saved tab records of an opened record; false for a record of a type not saved.
bool DescribeRecord(const IVmdbContextPtr &ctx, const std::string &type, const std::string &path, std::string &file,
                    std::string &name)
{
   file.clear();
   name.clear();
   if (type == "home") {
      name = LoadResString(IDS_HOME_TAB_TITLE);
   } else if (type == "vm") {
      cui::VMMgr *vmMgr = cui::GetVMMgr();
      cui::VM *vm = vmMgr ? vmMgr->GetVMByVMPath(path) : nullptr;
      if (vm) {
         file = vm->GetFilename();
         name = vm->GetName();
      }
   } else if (type == "team") {
      cui::TeamMgr *teamMgr = cui::GetTeamMgr();
      cui::Team *team = teamMgr ? teamMgr->GetTeamByCfgPath(path) : nullptr;
      if (team) {
         name = team->GetName();
      }
   } else if (type == "hotfix") {
      file = zoltdb::ReadText(ctx, (path + "/hotfixPath").c_str());
      name = LoadResString(IDS_HOTFIX_REQUEST_NAME);
   } else {
      return false;
   }
   return true;
}

bool SameDestination(const std::string &a, const std::string &b)
{
   return SameTextNoCase(a, b);
}

}  // namespace

void CZOLTApp::LoadOpenedObjs()
{
   try {
      const bool zephro = wui::util::HasZephroExtension();
      // A later session (another host, a reconnect) restores its tabs instead of opening the
      // start-up files, and powering them on, again.
      if (!startupObjectsOpened_) {
         startupObjectsOpened_ = true;
         if (OpenFromOptions(options_, false)) {
            return;
         }
      }
      restoreExpected_ = 0;
      restoreAnswered_ = 0;
      restoreFinished_ = false;
      savedCurrentType_.clear();
      savedCurrentKey_.clear();
      IVmdbContextPtr ctx = zoltdb::NewContextAt(db_, zoltdb::kPrefsZoltPath);
      if (!zoltdb::ReadFlag(ctx, "saveOpenedObjs")) {
         restoreFinished_ = true;
         OpenHomepage();
         return;
      }
      const std::string prefix = SavedTabsPrefix();
      const std::string savedCurrentPath = zoltdb::ReadText(ctx, (prefix + "/currentObj/path").c_str());
      const std::string sessionDest = zoltdb::ReadText(ctx, cui::appdata::kSessionDest);

      // Every open is started before any answer may end the restore: a failure reported at once
      // must not finish it while later tabs are still to come.
      restoreLooping_ = true;
      std::vector<std::string> elements;
      for (_bstr_t element = ctx->NextElement((prefix + "/openedObj/#").c_str()); element.length() > 0;
           element = ctx->NextElement(element)) {
         elements.push_back(zoltdb::Text(element));
      }
      for (const std::string &element : elements) {
         if (!zoltdb::ReadFlag(ctx, (element + "present").c_str())) {
            continue;
         }
         const std::string type = zoltdb::ReadText(ctx, (element + "type").c_str());
         const std::string path = zoltdb::ReadText(ctx, (element + "path").c_str());
         const bool current = path == savedCurrentPath;
         sigc::slot<void, bool, cui::Error> failed = sigc::mem_fun(*this, &CZOLTApp::OnRestoredObjFailed);
         sigc::slot<void> opened = sigc::mem_fun(*this, &CZOLTApp::OnRestoredObjOpened);
         if (type == "home") {
            if (zoltdb::ReadFlag(ctx, "view/homepage")) {
               OpenHomepage();
               if (current) {
                  savedCurrentType_ = type;
               }
            }
         } else if (type == "vm") {
            if (!SameDestination(zoltdb::ReadText(ctx, (element + "dest").c_str()), sessionDest)) {
               continue;
            }
            const std::string file = zoltdb::ReadText(ctx, (element + "file").c_str());
            if (current) {
               savedCurrentType_ = type;
               savedCurrentKey_ = file;
            }
            ++restoreExpected_;
            OpenVM(_bstr_t(file.c_str()), OpenFlags().MakeCurrent(current), failed, opened);
         } else if (type == "mvmt" && zephro) {
            const std::string file = zoltdb::ReadText(ctx, (element + "file").c_str());
            ++restoreExpected_;
            OpenMVMT(_bstr_t(file.c_str()), OpenFlags().Second().MakeCurrent(current), failed, opened);
         } else if (type == "team") {
            if (current) {
               savedCurrentType_ = type;
               savedCurrentKey_ = path;
            }
            ++restoreExpected_;
            OpenTeam(_bstr_t(path.c_str()), OpenFlags().MakeCurrent(current), failed, opened);
         }
      }
      restoreLooping_ = false;
      FinishRestore();
   } catch (const _com_error &e) {
      restoreLooping_ = false;
      Warning("CZOLTApp::LoadOpenedObjs failed: %s\n", zoltdb::ComText(e).c_str());
   } catch (const std::exception &e) {
      restoreLooping_ = false;
      Warning("CZOLTApp::LoadOpenedObjs failed: %s\n", e.what());
   }
}

void CZOLTApp::OnRestoredObjOpened()
{
   ++restoreAnswered_;
   FinishRestore();
}

void CZOLTApp::OnRestoredObjFailed(bool, cui::Error error)
{
   --restoreExpected_;
   FinishRestore();
   Warning("Open object error: %s\n", error.what());
}

void CZOLTApp::FinishRestore()
{
   if (restoreLooping_ || restoreFinished_) {
      return;
   }
   if (restoreExpected_ <= 0) {
      restoreFinished_ = true;
      OpenHomepage();
      return;
   }
   if (restoreExpected_ != restoreAnswered_) {
      return;
   }
   restoreFinished_ = true;
   // The tab that was current when the tabs were saved takes the selection; its record is found
   // by what the saved tab opened, since a machine's database path is new in every run.
   _bstr_t record;
   if (savedCurrentType_ == "home") {
      IVmdbContextPtr ctx = zoltdb::NewAppDataContext(db_);
      record = ctx->TestNode(cui::appdata::kHomeObj) ? _bstr_t(cui::appdata::kHomeObj) : _bstr_t("");
   } else if (savedCurrentType_ == "vm") {
      wui::VMMgr *vmMgr = wui::GetVMMgr();
      cui::VM *vm = vmMgr ? vmMgr->GetVMByCfgPath(savedCurrentKey_) : nullptr;
      record = vm ? FindOpenedObj(_bstr_t("vm"), _bstr_t(vm->GetVmPath().c_str()), false) : _bstr_t("");
   } else if (savedCurrentType_ == "team") {
      record = FindOpenedObj(_bstr_t("team"), _bstr_t(savedCurrentKey_.c_str()), false);
   }
   if (record.length() > 0) {
      wui::GetPrefs()->SetCurrentObj(zoltdb::Text(record));
   }
}

void CZOLTApp::SaveOpenedObjs()
{
   IVmdbContextPtr ctx = zoltdb::NewContextAt(db_, zoltdb::kPrefsZoltPath);
   if (!zoltdb::ReadFlag(ctx, "saveOpenedObjs")) {
      return;
   }
   // Opened records in the order they were made: the home record first, then by name.
   std::set<std::string> records;
   for (_bstr_t element = ctx->NextElement(cui::appdata::kOpenedObjElements); element.length() > 0;
        element = ctx->NextElement(element)) {
      records.insert(zoltdb::Text(element));
   }
   const std::string prefix = SavedTabsPrefix();
   const std::string dest = zoltdb::ReadText(ctx, cui::appdata::kSessionDest);
   const std::string user = zoltdb::ReadText(ctx, cui::appdata::kSessionUser);

   // The saved tabs of this destination are rewritten in place and the ones left over are
   // marked gone, so the preferences hold one set per destination however often it is saved.
   std::vector<std::string> reusable;
   for (_bstr_t element = ctx->NextElement((prefix + "/openedObj/#").c_str()); element.length() > 0;
        element = ctx->NextElement(element)) {
      std::string saved = zoltdb::Text(element);
      if (SameDestination(zoltdb::ReadText(ctx, (saved + "dest").c_str()), dest) ||
          zoltdb::ReadText(ctx, (saved + "type").c_str()) == "home") {
         reusable.push_back(saved);
      }
   }
   size_t next = 0;
   for (const std::string &record : records) {
      const std::string type = zoltdb::ReadText(ctx, (record + "type").c_str());
      const std::string path = zoltdb::ReadText(ctx, (record + "path").c_str());
      std::string file;
      std::string name;
      if (!DescribeRecord(ctx, type, path, file, name)) {
         continue;
      }
      std::string saved = next < reusable.size() ? reusable[next++]
                                                 : zoltdb::Text(ctx->AppendElement((prefix + "/openedObj/#").c_str()));
      ctx->WriteValue((saved + "present").c_str(), zoltdb::Flag(true));
      ctx->WriteValue((saved + "type").c_str(), _variant_t(type.c_str()));
      ctx->WriteValue((saved + "path").c_str(), _variant_t(path.c_str()));
      ctx->WriteValue((saved + "file").c_str(), _variant_t(file.c_str()));
      ctx->WriteValue((saved + "name").c_str(), _variant_t(name.c_str()));
      if (type != "home") {
         ctx->WriteValue((saved + "dest").c_str(), _variant_t(dest.c_str()));
         ctx->WriteValue((saved + "user").c_str(), _variant_t(user.c_str()));
      } else {
         ctx->RemoveNode((saved + "dest").c_str(), VARIANT_TRUE);
         ctx->RemoveNode((saved + "user").c_str(), VARIANT_TRUE);
      }
   }
   for (; next < reusable.size(); ++next) {
      ctx->WriteValue((reusable[next] + "present").c_str(), zoltdb::Flag(false));
   }

   wui::Prefs *prefs = wui::GetPrefs();
   if (!prefs->GetCurrentObj().empty()) {
      ctx->WriteValue((prefix + "/currentObj/type").c_str(), _variant_t(prefs->GetCurrentObjType().c_str()));
      ctx->WriteValue((prefix + "/currentObj/path").c_str(), _variant_t(prefs->GetCurrentObjPath().c_str()));
   }
}

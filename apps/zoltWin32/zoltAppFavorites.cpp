// The favourites list "/user/vmlistState/": lookups, adds and removes of machines, teams and
// managed templates. Items are written directly; their presence changes through requests.
#include "zoltApp.h"

#include "zoltAppDb.h"
#include "zoltWndUtil.h"

#include "res/resource.h"

#include "cui/AppDataPaths.h"
#include "cui/Confirm.h"
#include "cui/MVMTMgr.h"
#include "cui/Registry.h"
#include "cui/RpcMgr.h"
#include "cui/Team.h"
#include "cui/VM.h"
#include "tremapputil/ResString.h"
#include "tremorybase/Log.h"

#include <cstdlib>
#include <set>

namespace {

const char kFavoritesState[] = "/user/vmlistState/";
const char kFavoritesQueue[] = "/user/vmlistState/req/#/";
const char kFavoritesItems[] = "val/item/#";
// A request refused because another client's submission was pending is sent again, this often.
const int kMaxRefusedResends = 50;

_variant_t ReadRaw(const IVmdbContextPtr &ctx, const char *path)
{
   return ctx->ReadValue(path);
}

// The first element of the item array; empty when the list has never held an item.
_bstr_t FirstItem(const IVmdbContextPtr &ctx)
{
   if (!ctx->TestNode("val/item")) {
      return _bstr_t("");
   }
   return ctx->NextElement(kFavoritesItems);
}

}  // namespace

void CZOLTApp::FindCfgPathInFavorites(_bstr_t &itemPath, const _bstr_t &cfgPath)
{
   itemPath = _bstr_t("");
   const std::string wanted = zoltdb::Text(cfgPath);
   if (wanted.empty()) {
      return;
   }
   try {
      IVmdbContextPtr ctx = zoltdb::NewContextAt(db_, kFavoritesState);
      for (_bstr_t item = FirstItem(ctx); item.length() > 0; item = ctx->NextElement(item)) {
         if (!ctx->TestNode(item + "present")) {
            continue;
         }
         const std::string type = zoltdb::ReadText(ctx, item + "type");
         if (type != "vm" && type != "team" && type != "mvmt") {
            continue;
         }
         if (SameTextNoCase(zoltdb::ReadText(ctx, item + ("type/" + type + "/cfgPath").c_str()), wanted)) {
            itemPath = ctx->FullPath(item);
            return;
         }
      }
   } catch (const _com_error &e) {
      Warning("CZOLTApp::FindCfgPathInFavorites failed: %s\n", zoltdb::ComText(e).c_str());
   }
}

bool CZOLTApp::IsInFavorites(const std::string &cfgPath)
{
   _bstr_t item;
   FindCfgPathInFavorites(item, _bstr_t(cfgPath.c_str()));
   return item.length() > 0;
}

bool CZOLTApp::IsVMInFavorites(cui::VM *vm)
{
   return vm && IsInFavorites(vm->GetFilename());
}

bool CZOLTApp::IsTeamInFavorites(cui::Team *team)
{
   return team && IsInFavorites(team->GetFilename());
}

bool CZOLTApp::IsMVMTInFavorites(cui::MVMTemplate *mvmt)
{
   return mvmt && IsInFavorites(mvmt->GetFilename());
}

int CZOLTApp::NewFavoriteId()
{
   IVmdbContextPtr ctx = zoltdb::NewContextAt(db_, kFavoritesState);
   std::set<long> ids;
   for (_bstr_t item = FirstItem(ctx); item.length() > 0; item = ctx->NextElement(item)) {
      if (ctx->TestNode(item + "id")) {
         ids.insert(std::strtol(zoltdb::ReadText(ctx, item + "id").c_str(), nullptr, 10));
      }
   }
   int id = 1;
   while (ids.count(id)) {
      ++id;
   }
   return id;
}

void CZOLTApp::AddFavoriteItem(const std::string &type, const std::string &cfgPath, const FavoriteFields &fields)
{
   if (IsInFavorites(cfgPath)) {
      return;
   }
   try {
      IVmdbContextPtr ctx = zoltdb::NewContextAt(db_, kFavoritesState);
      const _bstr_t element = ctx->AppendElement(kFavoritesItems);
      const long id = NewFavoriteId();
      ctx->ChangePath(element);
      ctx->WriteValue("id", _variant_t(id));
      ctx->WriteValue("parentID", _variant_t(0L));
      ctx->WriteValue("ix", _variant_t(-1L));
      ctx->WriteValue("type", _variant_t(type.c_str()));
      const std::string typeNode = "type/" + type + "/";
      for (const auto &field : fields) {
         ctx->WriteValue((typeNode + field.first).c_str(), field.second);
      }
      SubmitFavoritePresence(zoltdb::Text(element), true, 0);
   } catch (const _com_error &e) {
      ReportComError(e, IDS_FAVORITES_UPDATE_FAILED, _bstr_t(""));
   }
}

// The one request that makes an item present or not. A resubmit or a refusal sends the same
// request again for the same element, so a retried add never leaves a second element behind.
void CZOLTApp::SubmitFavoritePresence(const std::string &element, bool present, int resends)
{
   vmdbLayout::rpc::Req req = cui::GetRpcMgr()->NewReq(kFavoritesQueue);
   req[element + "present/"] = vmdb::Value(present ? 1L : 0L);
   req->resubmit.connect(sigc::bind(sigc::mem_fun(*this, &CZOLTApp::SubmitFavoritePresence), element, present, 0));
   const std::string state = kFavoritesState;
   req->abort.connect([this, element, present, resends, state](bool, cui::Error error) {
      IVmdbContextPtr ctx = zoltdb::NewContextAt(db_, "/");
      // A submission of another client was pending: the request was not sent; try again.
      if (ctx->TestNode((state + "new").c_str()) && resends < kMaxRefusedResends) {
         SubmitFavoritePresence(element, present, resends + 1);
         return;
      }
      ReportError(_bstr_t(error.GetText().c_str()), IDS_FAVORITES_UPDATE_FAILED, _bstr_t(""));
   });
   req->Invoke();
}

void CZOLTApp::AddVmListItem(cui::VM *vm)
{
   if (!vm || vm->GetInTeam()) {
      return;
   }
   AddFavoriteItem("vm", vm->GetFilename(),
                   {{"name", _variant_t(vm->GetName().c_str())},
                    {"cfgPath", _variant_t(vm->GetFilename().c_str())},
                    {"vmPath", _variant_t(vm->GetVmPath().c_str())},
                    {"isClone", zoltdb::Flag(vm->IsClone())},
                    {"cfgVersion", _variant_t(static_cast<long>(vm->GetConfigVersion()))},
                    {"dest", ReadRaw(ctx_, cui::appdata::kSessionDest)},
                    {"user", ReadRaw(ctx_, cui::appdata::kSessionUser)}});
}

void CZOLTApp::AddTeamToVMList(cui::Team *team)
{
   if (!team) {
      return;
   }
   AddFavoriteItem("team", team->GetFilename(),
                   {{"name", _variant_t(team->GetName().c_str())},
                    {"cfgPath", _variant_t(team->GetFilename().c_str())},
                    {"isClone", _variant_t(false)},
                    {"dest", ReadRaw(ctx_, cui::appdata::kSessionDest)},
                    {"user", ReadRaw(ctx_, cui::appdata::kSessionUser)}});
}

void CZOLTApp::AddMVMTToVMList(cui::MVMTemplate *mvmt)
{
   if (!mvmt) {
      return;
   }
   AddFavoriteItem("mvmt", mvmt->GetFilename(),
                   {{"name", _variant_t(mvmt->GetName().c_str())},
                    {"cfgPath", _variant_t(mvmt->GetFilename().c_str())},
                    {"isClone", zoltdb::Flag(mvmt->IsClone())}});
}

void CZOLTApp::RemoveFromVMList(_bstr_t &cfgPath, bool confirmed)
{
   _bstr_t item;
   FindCfgPathInFavorites(item, cfgPath);
   if (item.length() == 0) {
      return;
   }
   try {
      IVmdbContextPtr ctx = zoltdb::NewContextAt(db_, "/");
      if (!confirmed) {
         const std::string type = zoltdb::ReadText(ctx, item + "type");
         const std::string name = zoltdb::ReadText(ctx, item + ("type/" + type + "/name/").c_str());
         const std::string question = tremapputil::ResString(IDS_REMOVE_FAVORITE_QUESTION).Format({name.c_str()});
         auto *confirm = new cui::Confirm("", nullptr, question, cui::Confirm::YES_NO, 0);
         confirm->SetAnswerSlot(
            sigc::bind(sigc::mem_fun(*this, &CZOLTApp::RemoveFromVMListConfirmed), zoltdb::Text(cfgPath)));
         confirm->Invoke();
         return;
      }
      const std::string relative = zoltdb::Text(util_->RelativePath(kFavoritesState, item));
      SubmitFavoritePresence(relative, false, 0);
   } catch (const _com_error &e) {
      ReportComError(e, IDS_FAVORITES_UPDATE_FAILED, _bstr_t(""));
   }
}

void CZOLTApp::RemoveFromVMListConfirmed(std::string cfgPath)
{
   _bstr_t path(cfgPath.c_str());
   RemoveFromVMList(path, true);
}

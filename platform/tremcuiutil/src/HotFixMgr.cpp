#include "cui/HotFixMgr.h"

#include <unknwn.h>

#include "cui/PathText.h"
#include "cui/Registry.h"

namespace cui {

HotFixRequest::HotFixRequest(std::string hotFixPath, std::string filePath)
   : hotFixPath_(std::move(hotFixPath)), filePath_(std::move(filePath))
{
}

HotFixRequest::~HotFixRequest() = default;

HotFixMgr::HotFixMgr(IUnknown *client) : client_(client)
{
   if (client_) {
      client_->AddRef();
   }
}

HotFixMgr::~HotFixMgr()
{
   if (GetHotFixMgr() == this) {
      SetHotFixMgr(nullptr);
   }
   requests_.clear();
   if (client_) {
      client_->Release();
   }
}

std::vector<HotFixRequest *> HotFixMgr::GetHotFixRequests() const
{
   std::vector<HotFixRequest *> out;
   for (const auto &r : requests_) {
      out.push_back(r.get());
   }
   return out;
}

HotFixRequest *HotFixMgr::GetRequestByHotFixPath(const std::string &hotFixPath) const
{
   std::string wanted = cuiutil::WithSlash(hotFixPath);
   for (const auto &r : requests_) {
      if (!wanted.empty() && cuiutil::WithSlash(r->GetHotFixPath()) == wanted) {
         return r.get();
      }
   }
   return nullptr;
}

void HotFixMgr::AddRequest(std::unique_ptr<HotFixRequest> request)
{
   requests_.push_back(std::move(request));
}

}  // namespace cui

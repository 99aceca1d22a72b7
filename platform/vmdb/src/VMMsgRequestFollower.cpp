#include "VMMsgRequestFollower.h"

#include "tremorybase/Log.h"

#include <algorithm>

namespace vmdb {

VMMsgRequestFollower::VMMsgRequestFollower(vmdbstore::Store &store, FailedFn failed)
   : ctx_(store.NewContext()), failed_(std::move(failed))
{
   ctx_->SetWatchHandler([this](const std::string &watchPath, const std::string &) { OnChange(watchPath); });
}

bool VMMsgRequestFollower::Follow(const std::string &path)
{
   std::string element = path;
   if (element.empty() || element[0] != '/') {
      return false;
   }
   if (element.back() != '/') {
      element += '/';
   }
   if (!ctx_->Exists(element)) {
      return false;
   }
   if (std::find(followed_.begin(), followed_.end(), element) != followed_.end()) {
      return true;
   }
   if (Settle(element)) {
      return true;
   }
   if (followed_.size() >= kMaxFollowed) {
      Warning("VMMsg: no longer following %s: too many requests are open\n", followed_.front().c_str());
      Drop(followed_.front());
   }
   followed_.push_back(element);
   // The status node tells the answer; the element's own node tells that the sender removed it.
   ctx_->Watch(element + "status", vmdbstore::kWatchNode);
   ctx_->Watch(element, vmdbstore::kWatchNode);
   return true;
}

void VMMsgRequestFollower::OnChange(const std::string &watchPath)
{
   std::string element = watchPath;
   if (element.size() > 6 && element.compare(element.size() - 6, 6, "status") == 0) {
      element.erase(element.size() - 6);
   }
   if (std::find(followed_.begin(), followed_.end(), element) == followed_.end()) {
      return;
   }
   Settle(element);
}

bool VMMsgRequestFollower::Settle(const std::string &element)
{
   bool gone = !ctx_->Exists(element);
   std::string status = gone ? std::string() : ctx_->Read(element + "status");
   if (!gone && status != "ok" && status != "error") {
      return false;
   }
   // Let go first: the report may show a box, and the element may change meanwhile.
   Drop(element);
   if (status == "error") {
      failed_(element, ctx_->Read(element + "status/error/errMsg"));
   }
   return true;
}

void VMMsgRequestFollower::Drop(const std::string &element)
{
   auto it = std::find(followed_.begin(), followed_.end(), element);
   if (it == followed_.end()) {
      return;
   }
   followed_.erase(it);
   ctx_->Unwatch(element + "status");
   ctx_->Unwatch(element);
}

}  // namespace vmdb

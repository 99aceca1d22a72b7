#include "cui/NotificationMgr.h"

#include <algorithm>

namespace cui {

int NotificationMgr::Post(Notification::Type type, const std::string &text, const std::string &detail)
{
   int id = nextId_++;
   kept_.emplace_back(id, type, text, detail);
   // Old notifications go first, read or not: a stream of posts never grows the list.
   while (kept_.size() > kMaxKept) {
      kept_.pop_front();
   }
   notified.emit(id);
   return id;
}

Notification *NotificationMgr::Find(int id)
{
   auto found = std::find_if(kept_.begin(), kept_.end(), [id](const Notification &n) { return n.GetId() == id; });
   return found == kept_.end() ? nullptr : &*found;
}

const Notification *NotificationMgr::Get(int id) const
{
   return const_cast<NotificationMgr *>(this)->Find(id);
}

void NotificationMgr::MarkRead(int id)
{
   if (Notification *notification = Find(id)) {
      notification->read_ = true;
   }
}

std::vector<int> NotificationMgr::GetUnread() const
{
   std::vector<int> ids;
   for (const Notification &notification : kept_) {
      if (!notification.IsRead()) {
         ids.push_back(notification.GetId());
      }
   }
   return ids;
}

void NotificationMgr::Clear()
{
   kept_.clear();
}

NotificationMgr *GetNotificationMgr()
{
   static NotificationMgr mgr;
   return &mgr;
}

}  // namespace cui

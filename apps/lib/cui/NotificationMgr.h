// Notifications: short messages the library posts for the user without asking anything (a shared
// folder that could not be reached, a device the host took back, ...). The program shows them
// where it likes (the frame puts them in a tooltip over its status bar) and marks them read when
// the user has seen them.
//
// Posting: cui::GetNotificationMgr()->Post(type, text, detail). The manager keeps the last
// kMaxKept notifications; `notified` tells every listener the new one's id, on the thread that
// posted it.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

namespace cui {

class Notification {
public:
   enum Type { TYPE_INFO = 0, TYPE_WARNING = 1, TYPE_ERROR = 2 };

   Notification(int id, Type type, const std::string &text, const std::string &detail)
      : id_(id), type_(type), text_(text), detail_(detail)
   {
   }

   int GetId() const { return id_; }
   Type GetType() const { return type_; }
   // One line: what happened.
   const std::string &GetText() const { return text_; }
   // More about it (may be empty).
   const std::string &GetDetail() const { return detail_; }
   bool IsRead() const { return read_; }

private:
   friend class NotificationMgr;

   int id_;
   Type type_;
   std::string text_;
   std::string detail_;
   bool read_ = false;
};

class NotificationMgr {
public:
   static constexpr size_t kMaxKept = 64;

   // Adds an unread notification and emits `notified` with its id (ids start at 1).
   int Post(Notification::Type type, const std::string &text, const std::string &detail = std::string());
   // The notification with `id`, or null when there is none (never posted, or dropped as old).
   const Notification *Get(int id) const;
   // Marks it read; nothing for an unknown id.
   void MarkRead(int id);
   // The ids of the unread notifications, oldest first.
   std::vector<int> GetUnread() const;
   // Forgets every notification (ids go on counting).
   void Clear();

   sigc::signal<void, int> notified;

private:
   Notification *Find(int id);

   std::deque<Notification> kept_;
   int nextId_ = 1;
};

// The library's one notification manager; it lives for the whole process.
NotificationMgr *GetNotificationMgr();

}  // namespace cui

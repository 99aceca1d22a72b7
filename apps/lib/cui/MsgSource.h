// The messages the host has logged for one machine: what happened to it that a user may want to
// look back on (power operations, snapshots, failures). The host keeps them under the machine's
// "vmx/execState/msgLog/#/" ("time" in seconds since 1970, UTC; "kind" "info", "warning" or
// "error"; "text"), oldest first, for as long as the machine is registered. The machine owns
// its source and reads it again in its refresh; `changed` follows.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/VmdbCtx.h"

namespace cui {

class MsgSource : public sigc::trackable {
public:
   struct Entry {
      time_t time = 0;
      std::string kind;   // "info", "warning", "error"
      std::string text;

      bool operator==(const Entry &other) const
      {
         return time == other.time && kind == other.kind && text == other.text;
      }
   };

   MsgSource() = default;
   MsgSource(const MsgSource &) = delete;
   MsgSource &operator=(const MsgSource &) = delete;

   // Oldest first.
   const std::vector<Entry> &GetEntries() const { return entries_; }
   // The machine's display name.
   const std::string &GetName() const { return name_; }
   // The machine was closed: the entries stay as they were last read.
   bool IsClosed() const { return closed_; }

   // For the owning machine: reads the elements of `logPath` ("…/msgLog/#") in `ctx`, in the
   // order the host added them, and takes `name`; raises `changed` when either differs.
   void Follow(const vmdb::Ctx &ctx, const std::string &logPath, const std::string &name);
   // For the owning machine: it was closed. Raises `closed` once.
   void SetClosed();

   sigc::signal<void> changed;   // entries or name
   sigc::signal<void> closed;

private:
   std::vector<Entry> entries_;
   std::string name_;
   bool closed_ = false;
};

}  // namespace cui

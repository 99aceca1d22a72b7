// The tip-of-the-day source: a ring of short tips about the program, walked by index.
#pragma once

#include <string>
#include <vector>

#include <sigc++/sigc++.h>

#include "cui/Error.h"

namespace cui {

class Host;

class TipMgr {
public:
   // (success, the failure when not)
   typedef sigc::slot<void, bool, Error> DoneSlot;
   // (tip text, the index to ask for next)
   typedef sigc::slot<void, std::string, short> TipSlot;

   // `tipFile` names a text file of tips, one a line (blank lines and lines starting with '#'
   // skipped); empty takes the tips built into the library.
   explicit TipMgr(const std::string &tipFile);
   virtual ~TipMgr() = default;

   // Tips about the local computer (its devices, its files) are skipped while the host is a
   // remote one. Null is the local host.
   void SetHost(Host *host) { host_ = host; }
   Host *GetHost() const { return host_; }

   // Gives `tip` the first tip at or after `index` (an index out of range starts over at 0) and
   // the index after it, wrapping at the end, then `done` (true). With no tip to give, only
   // `done` (false, the reason) is called.
   void GetNextTip(short index, const DoneSlot &done, const TipSlot &tip);

   // The tips this manager walks for the current host, in order.
   std::vector<std::string> GetTips() const;

private:
   struct Tip {
      std::string text;
      bool localOnly;
   };

   bool IsRemote() const;

   std::vector<Tip> tips_;
   Error loadError_;
   Host *host_ = nullptr;
};

}  // namespace cui

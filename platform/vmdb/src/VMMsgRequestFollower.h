// Follows request and command elements handed to "VMMsg" after they were submitted, until the
// owner answers them: a failure ("status" "error") is handed on with its "status/error/errMsg",
// so a sender that does not wait for the answer still has its failure shown.
#pragma once

#include "vmdb/Store.h"

#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace vmdb {

class VMMsgRequestFollower {
public:
   // (element path, error text): a followed element was answered with an error.
   typedef std::function<void(const std::string &, const std::string &)> FailedFn;

   VMMsgRequestFollower(vmdbstore::Store &store, FailedFn failed);

   // Starts following `element` ("/vm/#0001/cmd/#0003/"). False for a path that names no node.
   // An element answered already is handed on at once; following an element twice counts once.
   bool Follow(const std::string &element);
   size_t Count() const { return followed_.size(); }

   // How many elements are followed at most; the oldest is let go for a new one.
   static const size_t kMaxFollowed = 256;

private:
   void OnChange(const std::string &watchPath);
   // When the element is answered or gone: lets it go, hands a failure on, and answers true.
   bool Settle(const std::string &element);
   void Drop(const std::string &element);

   std::unique_ptr<vmdbstore::Context> ctx_;
   FailedFn failed_;
   std::deque<std::string> followed_;
};

}  // namespace vmdb

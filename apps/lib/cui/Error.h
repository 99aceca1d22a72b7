// Failures and the slot conventions of the model library.
//
// Asynchronous operations take first an abort slot and then a done slot, return at once and call
// one of them later on the same thread. The abort slot's flag is true for a cancel (handlers stay
// silent then) and false for a failure described by the error. An empty slot, or one whose
// blocked flag is set, is not called: use CallSlot.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include <sigc++/sigc++.h>

namespace cui {

// A model-library failure; `what` gives the text shown to the user.
class Error : public std::exception {
public:
   Error() = default;
   explicit Error(std::string text) : text_(std::move(text)) {}
   explicit Error(const char *text) : text_(text ? text : "") {}

   const char *what() const noexcept override { return text_.c_str(); }
   const std::string &GetText() const { return text_; }
   bool IsEmpty() const { return text_.empty(); }

private:
   std::string text_;
};

typedef sigc::slot<void, bool, Error> AbortSlot;   // (cancelled, error)
typedef sigc::slot<void> DoneSlot;

// Calls `slot` with `args` unless it is empty or blocked; true when it was called.
template <class Slot, class... Args>
bool CallSlot(const Slot &slot, Args &&...args)
{
   if (slot.empty() || slot.blocked()) {
      return false;
   }
   slot(std::forward<Args>(args)...);
   return true;
}

// Hands `abortSlot` the cancel: (true, an empty error), under the CallSlot rule.
void Cancel(const AbortSlot &abortSlot);

}  // namespace cui

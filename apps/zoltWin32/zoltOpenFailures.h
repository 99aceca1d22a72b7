// The files of one command line that could not be opened, and the one message that names them
// all: a screenful of names grouped by reason, the rest counted, the limit of open machines said
// once.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct OpenFailure {
   enum Kind {
      REASON,          // the open failed; `reason` says why
      LIMIT,           // kept from opening by the limit of open machines
      PAST_ARGUMENTS,  // named after the arguments the command line reads
   };
   std::string path;
   Kind kind = REASON;
   std::string reason;
};

class OpenFailures {
public:
   // Names the message shows, and reasons it shows them under; each reason counts the names it
   // leaves out ("and N more"). The limit of open machines and the files past the arguments
   // always have a place.
   static constexpr size_t kMaxNames = 20;
   static constexpr size_t kMaxReasons = 4;
   // A longer name or reason is shortened in the message (the log keeps it whole).
   static constexpr size_t kMaxLineChars = 200;

   // Adds a failure and logs it, one line with its reason.
   void Add(const std::string &path, OpenFailure::Kind kind, const std::string &reason = std::string());
   bool Empty() const { return failures_.empty(); }
   const std::vector<OpenFailure> &Items() const { return failures_; }

   // The message naming `failures` of the `filesNamed` files of a command line; `logFile` (may
   // be empty) is named as the place that lists them all.
   static std::string Message(const std::vector<OpenFailure> &failures, size_t filesNamed,
                              const std::string &logFile);

private:
   std::vector<OpenFailure> failures_;
};

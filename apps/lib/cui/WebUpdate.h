// The update check: asks the maker's update service whether a newer release of a product exists.
//
// The service stands in as a local answer: the configuration key "webUpdate.answerFile" names a
// file of `key = "value"` lines (ParseWebUpdateAnswer). Without it there is no service to reach
// and every check fails. "webUpdate.answerDelayMs" (300) is how long the answer takes.
#pragma once

#include <string>

#include <sigc++/sigc++.h>

#include "cui/Error.h"

namespace cui {

struct WebUpdateAnswer {
   enum Kind { UP_TO_DATE, AVAILABLE, FAILED };
   Kind kind = FAILED;
   std::string version;   // of the newer release
   std::string url;       // where it can be had
   std::string info;      // what it brings
   std::string message;   // what to tell the user; empty: the program's own text
   std::string error;     // why the check failed
};

// The service's answer from its text:
//   answer  = "upToDate" | "available" | "error"   (required)
//   version, url, info, message                     (for "available")
//   error                                           (for "error"; a general text when absent)
// False, with a reason, for a syntax error, a missing or unknown answer, or an "available" answer
// with neither version nor url.
bool ParseWebUpdateAnswer(const std::string &text, WebUpdateAnswer &answer, std::string &error);

// The preference of the automatic checks: under "/user/prefState/req/#ZOLT/val/zolt/webUpdate/",
// `checkPeriod` ("manual", "daily" (the default), "weekly", "monthly", "custom" with `checkValue`
// days) and `lastCheck/time` (seconds since 1970, written after every answered check). The
// period in seconds, 0 for "manual" or a custom value that is not a positive number of days.
long long WebUpdateCheckPeriod(const std::string &period, const std::string &customDays);
// Whether an automatic check is due at `now` (seconds since 1970) after one at `lastCheck` (empty
// or not a number: never checked).
bool IsWebUpdateCheckDue(long long periodSeconds, const std::string &lastCheck, long long now);

class WebUpdate {
public:
   // (available, info, message, url)
   typedef sigc::slot<void, bool, std::string, std::string, std::string> ResultSlot;

   // Asks the service about `product`; returns at once and answers from a later poll step: the
   // result slot with the answer, or the abort slot with (false, the failure). A check that was
   // not asked for by the user (`interactive` false) runs only when the preference says it is
   // due; otherwise the abort slot gets the cancel (true).
   static void Check(const std::string &product, bool interactive, const AbortSlot &onAbort,
                     const ResultSlot &onResult);
   // How many checks have asked the service in this run.
   static int GetServiceRequestCount();
};

}  // namespace cui

namespace wui {
namespace util {

// The product the update service is asked about: the edition's title ("zolt" when none is set).
std::string GetWebUpdateProduct();

}  // namespace util
}  // namespace wui

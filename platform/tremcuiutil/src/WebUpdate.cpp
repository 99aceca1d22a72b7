#include "cui/WebUpdate.h"

#include "cui/AppContext.h"
#include "cui/Registry.h"
#include "cui/VmdbCtx.h"
#include "tremorybase/Config.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

#include <cctype>
#include <ctime>

namespace cui {

static bool AnswerFromEntries(const std::vector<KeyValueEntry> &entries, WebUpdateAnswer &answer, std::string &error);

namespace {

const char kPrefs[] = "/user/prefState/req/#ZOLT/val/zolt/webUpdate/";
const long long kDay = 24 * 60 * 60;
int gServiceRequests = 0;

bool IsNumber(const std::string &text)
{
   if (text.empty() || text.size() > 18) {
      return false;
   }
   for (char c : text) {
      if (!std::isdigit(static_cast<unsigned char>(c))) {
         return false;
      }
   }
   return true;
}

// What the service answers now.
WebUpdateAnswer AskService()
{
   WebUpdateAnswer answer;
   const std::string file = Config_GetString("webUpdate.answerFile", "");
   if (file.empty()) {
      answer.error = "The update service cannot be reached.";
      return answer;
   }
   std::vector<KeyValueEntry> entries;
   std::string error;
   if (!KeyValueFile::Read(file, entries, error) || !AnswerFromEntries(entries, answer, error)) {
      answer = WebUpdateAnswer();
      answer.error = "The update service gave an answer that cannot be read: " + error;
   }
   return answer;
}

void RecordCheckTime(long long now)
{
   vmdb::Ctx ctx = GetVmdbCtx();
   if (ctx.IsValid()) {
      ctx.Set(std::string(kPrefs) + "lastCheck/time", vmdb::Value(std::to_string(now)));
   }
}

}  // namespace

bool ParseWebUpdateAnswer(const std::string &text, WebUpdateAnswer &answer, std::string &error)
{
   answer = WebUpdateAnswer();
   std::vector<KeyValueEntry> entries;
   return KeyValueFile::Parse(text, entries, error) && AnswerFromEntries(entries, answer, error);
}

static bool AnswerFromEntries(const std::vector<KeyValueEntry> &entries, WebUpdateAnswer &answer, std::string &error)
{
   answer = WebUpdateAnswer();
   auto value = [&entries](const char *key) {
      const std::string *found = KeyValueFile::Find(entries, key);
      return found ? *found : std::string();
   };
   const std::string kind = value("answer");
   if (kind == "upToDate") {
      answer.kind = WebUpdateAnswer::UP_TO_DATE;
   } else if (kind == "available") {
      answer.kind = WebUpdateAnswer::AVAILABLE;
      answer.version = value("version");
      answer.url = value("url");
      answer.info = value("info");
      answer.message = value("message");
      if (answer.version.empty() && answer.url.empty()) {
         error = "an available update names neither its version nor its address";
         return false;
      }
   } else if (kind == "error") {
      answer.kind = WebUpdateAnswer::FAILED;
      answer.error = value("error");
      if (answer.error.empty()) {
         answer.error = "The update service could not answer.";
      }
   } else {
      error = kind.empty() ? "no answer is given" : "unknown answer \"" + kind + "\"";
      return false;
   }
   return true;
}

long long WebUpdateCheckPeriod(const std::string &period, const std::string &customDays)
{
   if (period.empty() || period == "daily") {
      return kDay;
   }
   if (period == "weekly") {
      return 7 * kDay;
   }
   if (period == "monthly") {
      return 30 * kDay;
   }
   if (period == "custom" && IsNumber(customDays) && customDays.size() <= 5) {
      return std::stoll(customDays) * kDay;
   }
   return 0;
}

bool IsWebUpdateCheckDue(long long periodSeconds, const std::string &lastCheck, long long now)
{
   if (periodSeconds <= 0) {
      return false;
   }
   // A last check in the future (the clock was set back) does not hold the next one off.
   return !IsNumber(lastCheck) || std::stoll(lastCheck) > now || now - std::stoll(lastCheck) >= periodSeconds;
}

void WebUpdate::Check(const std::string &product, bool interactive, const AbortSlot &onAbort,
                      const ResultSlot &onResult)
{
   const long long now = static_cast<long long>(time(nullptr));
   if (!interactive) {
      vmdb::Ctx ctx = GetVmdbCtx();
      std::string period, days, last;
      if (ctx.IsValid()) {
         period = ctx.Get(std::string(kPrefs) + "checkPeriod");
         days = ctx.Get(std::string(kPrefs) + "checkValue");
         last = ctx.Get(std::string(kPrefs) + "lastCheck/time");
      }
      if (!IsWebUpdateCheckDue(WebUpdateCheckPeriod(period, days), last, now)) {
         Log("WebUpdate: no check of %s is due (period \"%s\")\n", product.c_str(), period.c_str());
         Cancel(onAbort);
         return;
      }
   }
   Log("WebUpdate: checking %s%s\n", product.c_str(), interactive ? " (asked by the user)" : "");
   ++gServiceRequests;
   long delay = Config_GetLong("webUpdate.answerDelayMs", 300);
   Poll_AddTimer(static_cast<unsigned>(delay > 0 ? delay : 1), false, [product, onAbort, onResult]() {
      WebUpdateAnswer answer = AskService();
      if (answer.kind == WebUpdateAnswer::FAILED) {
         Log("WebUpdate: the check of %s failed: %s\n", product.c_str(), answer.error.c_str());
         CallSlot(onAbort, false, Error(answer.error));
         return;
      }
      RecordCheckTime(static_cast<long long>(time(nullptr)));
      const bool available = answer.kind == WebUpdateAnswer::AVAILABLE;
      Log("WebUpdate: %s\n", available ? ("version " + answer.version + " is available at " + answer.url).c_str()
                                       : "no newer version");
      CallSlot(onResult, available, answer.info, answer.message, answer.url);
   });
}

int WebUpdate::GetServiceRequestCount()
{
   return gServiceRequests;
}

}  // namespace cui

namespace wui {
namespace util {

std::string GetWebUpdateProduct()
{
   AppContext *context = GetAppContext();
   return context && !context->GetEditionTitle().empty() ? context->GetEditionTitle() : std::string("zolt");
}

}  // namespace util
}  // namespace wui

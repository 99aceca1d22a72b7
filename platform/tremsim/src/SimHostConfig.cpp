#include "SimHostConfig.h"

#include "tremorybase/Config.h"

namespace cuisim {

namespace {

const unsigned kDefaultDelayMs = 5;
const unsigned kMaxDelayMs = 60000;
const unsigned kDefaultStepMs = 60;

unsigned Bounded(long value)
{
   return value < 0 ? 0 : value > static_cast<long>(kMaxDelayMs) ? kMaxDelayMs : static_cast<unsigned>(value);
}

}  // namespace

bool SimHostConfig::Listed(const std::string &list, const std::string &name)
{
   for (size_t pos = 0;;) {
      size_t end = list.find(',', pos);
      std::string item = list.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
      size_t first = item.find_first_not_of(' ');
      size_t last = item.find_last_not_of(' ');
      if (first != std::string::npos && item.compare(first, last - first + 1, name) == 0) {
         return true;
      }
      if (end == std::string::npos) {
         return false;
      }
      pos = end + 1;
   }
}

bool SimHostConfig::Fails(const std::string &name)
{
   return !name.empty() && Listed(Config_GetString("test.host.fail", ""), name);
}

std::string SimHostConfig::FailText(const std::string &name)
{
   std::string text = Config_GetString("test.host.failText", "");
   return text.empty() ? "The host could not carry out \"" + name + "\"." : text;
}

bool SimHostConfig::NeverAnswers(const std::string &name)
{
   return !name.empty() && Listed(Config_GetString("test.host.noAnswer", ""), name);
}

unsigned SimHostConfig::DelayMs()
{
   return Bounded(Config_GetLong("test.host.delayMs", kDefaultDelayMs));
}

unsigned SimHostConfig::StepMs()
{
   return Bounded(Config_GetLong("test.host.stepMs", kDefaultStepMs));
}

}  // namespace cuisim

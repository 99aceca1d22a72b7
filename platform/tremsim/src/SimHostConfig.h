// The simulated host's configuration keys, read at each use so a test may change them mid-run.
//
//   "test.host.fail"      comma-separated operation or state names that fail ("createVMCfg,prefState")
//   "test.host.failText"  the error text such a failure leaves at "status/error/errMsg"
//   "test.host.noAnswer"  comma-separated operation or state names the host never answers
//   "test.host.delayMs"   how long the host takes to start on new work (default 5 ms)
//   "test.host.stepMs"    the length of one step of a power operation (default 60 ms; a few
//                         steps make one operation)
#pragma once

#include <string>

namespace cuisim {

class SimHostConfig {
public:
   static bool Fails(const std::string &name);
   static std::string FailText(const std::string &name);
   static bool NeverAnswers(const std::string &name);
   static unsigned DelayMs();
   static unsigned StepMs();

   // True when `name` is one of the comma-separated items of `list` (blanks around items ignored).
   static bool Listed(const std::string &list, const std::string &name);
};

}  // namespace cuisim

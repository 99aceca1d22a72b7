// What every benchmark program shares: a stopwatch, the median, and the result lines that
// scripts/bench collects, one per figure:
//    BENCH<TAB>row<TAB>value<TAB>unit<TAB>goal<TAB>reference
// `goal` is a comparison on the value ("<16", ">=1000000") or, with "ratio" in front, on
// value / reference ("ratio<=2"); empty when the row has none. `reference` is the same figure of
// a yardstick measured in the same run; empty when there is none.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

class Stopwatch {
public:
   Stopwatch() { Restart(); }
   void Restart() { QueryPerformanceCounter(&start_); }
   double Seconds() const
   {
      LARGE_INTEGER now, frequency;
      QueryPerformanceCounter(&now);
      QueryPerformanceFrequency(&frequency);
      return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(frequency.QuadPart);
   }
   double Ms() const { return Seconds() * 1000.0; }

private:
   LARGE_INTEGER start_;
};

// The middle value (the upper middle of an even count); 0 for none.
inline double Median(std::vector<double> values)
{
   if (values.empty()) {
      return 0;
   }
   std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
   return values[values.size() / 2];
}

inline void Figure(const std::string &row, double value, const std::string &unit, const std::string &goal = "")
{
   printf("BENCH\t%s\t%.9g\t%s\t%s\t\n", row.c_str(), value, unit.c_str(), goal.c_str());
   fflush(stdout);
}

inline void FigureWithReference(const std::string &row, double value, const std::string &unit, const std::string &goal,
                                double reference)
{
   printf("BENCH\t%s\t%.9g\t%s\t%s\t%.9g\n", row.c_str(), value, unit.c_str(), goal.c_str(), reference);
   fflush(stdout);
}

}  // namespace bench

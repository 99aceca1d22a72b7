// Test programs write their output unbuffered: into a pipe the C runtime would buffer it, and a
// program that dies at once would leave nothing to say how far it got.
#include <cstdio>

namespace {

const bool gUnbuffered = []() {
   std::setvbuf(stdout, nullptr, _IONBF, 0);
   std::setvbuf(stderr, nullptr, _IONBF, 0);
   return true;
}();

}  // namespace

// The damaged versions of a file that the tests of its readers and writers try: cut short, random
// bytes and one line broken, each with the start of what its reader says about it.
#pragma once

#include <string>
#include <vector>

struct DamagedFile {
   const char *what;   // "cut short", "random bytes", "one line broken", ...
   std::string bytes;
   std::string says;   // how the reader's account of it begins
};

// 300 bytes of every value, a zero first: no reader takes them for its text.
inline std::string RandomBytes()
{
   std::string bytes;
   for (unsigned i = 0; i < 300; ++i) {
      bytes += static_cast<char>((i * 2654435761u) >> 24);
   }
   return bytes;
}

// `whole` without its last `cut` bytes, random bytes (told as a fault of line 1, unless
// `randomSays` says otherwise) and `broken`, a version with one line broken.
inline std::vector<DamagedFile> DamagedVersions(const std::string &whole, size_t cut, const std::string &cutSays,
                                                const std::string &broken, const std::string &brokenSays,
                                                const std::string &randomSays = "line 1: ")
{
   return {{"cut short", whole.substr(0, whole.size() - cut), cutSays},
           {"random bytes", RandomBytes(), randomSays},
           {"one line broken", broken, brokenSays}};
}

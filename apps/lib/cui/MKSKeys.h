// The console key combination: which modifiers are held. Read by the preferences and by the
// console control, which has none of the library's signals, so this header stands alone.
#pragma once

#include <string>

namespace cui {

struct MKSKeys {
   enum State { UP = 0, DOWN = 1, EITHER = 2 };
   int alt = UP;
   int shift = UP;
   int ctrl = UP;
   int gui = UP;
};

// Every modifier equal, or EITHER on one side.
inline bool MatchMKSKeys(const MKSKeys &a, const MKSKeys &b)
{
   auto same = [](int x, int y) { return x == MKSKeys::EITHER || y == MKSKeys::EITHER || x == y; };
   return same(a.alt, b.alt) && same(a.shift, b.shift) && same(a.ctrl, b.ctrl) && same(a.gui, b.gui);
}

// The combination a "val/zolt/hotkeys/modifiers" text names: modifier words ("ctrl", "shift",
// "alt") joined by '-', each at most once, at least two of them. False (keys untouched) for
// anything else.
inline bool ParseMKSKeys(const std::string &text, MKSKeys &keys)
{
   MKSKeys parsed;
   int count = 0;
   size_t start = 0;
   while (start <= text.size()) {
      size_t end = text.find('-', start);
      if (end == std::string::npos) {
         end = text.size();
      }
      std::string word = text.substr(start, end - start);
      int *field = word == "ctrl" ? &parsed.ctrl : word == "shift" ? &parsed.shift : word == "alt" ? &parsed.alt : nullptr;
      if (!field || *field == MKSKeys::DOWN) {
         return false;
      }
      *field = MKSKeys::DOWN;
      ++count;
      start = end + 1;
   }
   if (count < 2) {
      return false;
   }
   keys = parsed;
   return true;
}

// The combination as the user reads it ("Ctrl+Alt").
inline std::string MKSKeySequence(const MKSKeys &keys)
{
   std::string text;
   auto add = [&text](bool down, const char *name) {
      if (down) {
         text += text.empty() ? name : std::string("+") + name;
      }
   };
   add(keys.ctrl == MKSKeys::DOWN, "Ctrl");
   add(keys.shift == MKSKeys::DOWN, "Shift");
   add(keys.alt == MKSKeys::DOWN, "Alt");
   return text;
}

}  // namespace cui

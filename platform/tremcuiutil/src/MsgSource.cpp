#include "cui/MsgSource.h"

#include <algorithm>
#include <cstdlib>

namespace cui {

namespace {

// The number of an element path ("…/msgLog/#001f/"): the host numbers them as it adds them, and
// past "#ffff" their names no longer sort as their numbers do.
unsigned long ElementNumber(const std::string &element)
{
   size_t end = element.size();
   while (end > 0 && element[end - 1] == '/') {
      --end;
   }
   size_t hash = element.rfind('#', end);
   return hash == std::string::npos ? 0 : std::strtoul(element.c_str() + hash + 1, nullptr, 16);
}

}  // namespace

void MsgSource::Follow(const vmdb::Ctx &ctx, const std::string &logPath, const std::string &name)
{
   if (closed_) {
      return;
   }
   std::vector<std::string> elements = ctx.Elements(logPath);
   std::stable_sort(elements.begin(), elements.end(), [](const std::string &a, const std::string &b) {
      return ElementNumber(a) < ElementNumber(b);
   });
   std::vector<Entry> entries;
   entries.reserve(elements.size());
   for (const std::string &element : elements) {
      Entry entry;
      entry.time = static_cast<time_t>(std::strtoll(ctx.Get(element + "time").c_str(), nullptr, 10));
      entry.kind = ctx.Get(element + "kind");
      entry.text = ctx.Get(element + "text");
      entries.push_back(std::move(entry));
   }
   if (entries == entries_ && name == name_) {
      return;
   }
   entries_ = std::move(entries);
   name_ = name;
   changed.emit();
}

void MsgSource::SetClosed()
{
   if (closed_) {
      return;
   }
   closed_ = true;
   closed.emit();
}

}  // namespace cui

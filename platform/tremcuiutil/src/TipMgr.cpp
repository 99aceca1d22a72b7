#include "cui/TipMgr.h"

#include <cstdio>
#include <memory>

#include "cui/Host.h"
#include "tremorybase/Text.h"

namespace cui {

namespace {

// A line of a tips file is cut at kMaxTipLength; tips past kMaxTips are dropped.
const size_t kMaxTipLength = 1024;
const size_t kMaxTips = 1000;

struct BuiltInTip {
   const char *text;
   bool localOnly;
};

const BuiltInTip kBuiltInTips[] = {
   {"Double-click a machine in the side bar to open it in a tab of its own.", false},
   {"Press Ctrl+Alt to take the keyboard and mouse back from a running machine.", false},
   {"Take a snapshot before you try something risky: reverting to it brings the machine back "
    "exactly as it was.",
    false},
   {"Add the machines you use most to the Favorites, and group them in folders of your own.", false},
   {"Drag files from your desktop onto the console of a running machine to copy them into it.", true},
   {"A team starts, suspends and stops several machines together, in the order you give.", false},
   {"Connect to another host from the File menu to manage the machines registered there.", false},
   {"Full screen mode gives the machine the whole display; Ctrl+Alt+Enter takes you there and back.",
    false},
   {"USB devices plugged into this computer can be connected to a running machine from the VM menu.",
    true},
   {"Shared folders let a machine read and write a folder of this computer without a network.", true},
   {"A linked clone shares the disks of its parent, so it takes a moment to make and little space.",
    false},
   {"Quick Switch mode shows every open machine as a tab along the top of a full screen.", false},
   {"The Summary view of a machine shows its devices, its notes and what it is doing at a glance.",
    false},
};

struct FileCloser {
   void operator()(FILE *file) const { fclose(file); }
};

}  // namespace

TipMgr::TipMgr(const std::string &tipFile)
{
   if (tipFile.empty()) {
      for (const BuiltInTip &tip : kBuiltInTips) {
         tips_.push_back({tip.text, tip.localOnly});
      }
      return;
   }
   std::unique_ptr<FILE, FileCloser> file(_wfopen(WidePathFromUtf8(tipFile).c_str(), L"rb"));
   if (!file) {
      loadError_ = Error("The tips file \"" + tipFile + "\" cannot be read.");
      return;
   }
   std::string line;
   auto takeLine = [&]() {
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
         line.pop_back();
      }
      if (!line.empty() && line[0] != '#' && tips_.size() < kMaxTips) {
         tips_.push_back({line, false});
      }
      line.clear();
   };
   for (int c = fgetc(file.get()); c != EOF; c = fgetc(file.get())) {
      if (c == '\n') {
         takeLine();
      } else if (line.size() < kMaxTipLength) {
         line += static_cast<char>(c);
      }
   }
   takeLine();
   if (tips_.empty()) {
      loadError_ = Error("The tips file \"" + tipFile + "\" holds no tips.");
   }
}

bool TipMgr::IsRemote() const
{
   return host_ && host_->GetCnx() != nullptr;
}

std::vector<std::string> TipMgr::GetTips() const
{
   std::vector<std::string> tips;
   bool remote = IsRemote();
   for (const Tip &tip : tips_) {
      if (!remote || !tip.localOnly) {
         tips.push_back(tip.text);
      }
   }
   return tips;
}

void TipMgr::GetNextTip(short index, const DoneSlot &done, const TipSlot &tip)
{
   std::vector<std::string> tips = GetTips();
   if (tips.empty()) {
      CallSlot(done, false, loadError_.IsEmpty() ? Error("There are no tips to show.") : loadError_);
      return;
   }
   size_t at = index < 0 || static_cast<size_t>(index) >= tips.size() ? 0 : static_cast<size_t>(index);
   short next = static_cast<short>((at + 1) % tips.size());
   CallSlot(tip, tips[at], next);
   CallSlot(done, true, Error());
}

}  // namespace cui

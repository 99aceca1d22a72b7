#include "cui/SnapshotTree.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <set>
#include <sstream>

#include "ModelCmd.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "cui/VM.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"
#include "tremorybase/Text.h"

namespace cui {

namespace {

std::vector<int> ParseUids(const std::string &text)
{
   std::vector<int> uids;
   std::istringstream in(text);
   long uid = 0;
   while (in >> uid) {
      if (uid > 0) {
         uids.push_back(static_cast<int>(uid));
      }
   }
   return uids;
}

}  // namespace

SnapshotTree::SnapshotTree(VM &vm, const vmdb::Ctx &ctx, const std::string &vmPath)
   : vm_(vm), ctx_(ctx), base_(cuiutil::WithSlash(vmPath) + "vmx/chkptState/"), yah_(new Snapshot(this, 0))
{
   Refresh();
}

SnapshotTree::~SnapshotTree() = default;

void SnapshotTree::PostAbort(const AbortSlot &abort, const std::string &text) const
{
   AbortSlot slot = abort;
   Error error(text);
   Poll_Post([slot, error]() { CallSlot(slot, false, error); });
}

Snapshot *SnapshotTree::GetSnapshot(int uid) const
{
   if (uid == 0) {
      return yah_.get();
   }
   auto it = snapshots_.find(uid);
   return it == snapshots_.end() ? nullptr : it->second.get();
}

bool SnapshotTree::IsBusy() const
{
   return !requested_.empty() || !hostPending_.empty();
}

bool SnapshotTree::IsCmdEnabled(int command) const
{
   if (closed_ || !vm_.IsRegistered()) {
      return false;
   }
   bool idle = !IsBusy();
   bool powerIdle = !vm_.GetBusy(VM::BUSY_POWER);
   bool any = !flat_.empty();
   switch (command) {
   case CMD_TAKE:
      return idle && powerIdle;
   case CMD_REVERT:
      return idle && powerIdle && current_ != nullptr;
   case CMD_GOTO:
      return idle && powerIdle && any;
   case CMD_DELETE:
   case CMD_RENAME:
      return idle && any;
   case CMD_CLONE:
      return idle;
   case CMD_SCREENSHOT:
      return any;
   case CMD_MANAGER:
      return multiple_;
   default:
      return false;
   }
}

std::string SnapshotTree::GenerateName() const
{
   std::set<std::string> names;
   for (Snapshot *snapshot : flat_) {
      names.insert(snapshot->GetDisplayName());
   }
   for (size_t n = flat_.size() + 1;; ++n) {
      std::string name = Format("@&!*@*@(msg.snapshot.defaultName)Snapshot %u", static_cast<unsigned>(n));
      if (!names.count(name)) {
         return name;
      }
   }
}

void SnapshotTree::Refresh()
{
   const std::string val = base_ + "val/";
   // Everything read, in one text, so an unchanged node raises nothing.
   std::string signature = ctx_.Get(val + "multiple") + '\x1f' + ctx_.Get(val + "current") + '\x1f' +
                           ctx_.Get(val + "maxMRU") + '\x1f' + ctx_.Get(val + "mru") + '\x1f' +
                           ctx_.Get(base_ + "pending") + '\x1f' + ctx_.Get(base_ + "fileError") + '\x1f' + requested_;
   static const char *const kFields[] = {"uid",        "parent",     "displayName", "description", "createTime",
                                         "powerState", "screenshot", "clones",      "recording"};
   // The host gives each mirror of the list a generation: one read already is not read again.
   const std::string generation = ctx_.Get(val + "generation");
   if (generation.empty() || generation != rowsGeneration_) {
      rows_.clear();
      const std::vector<std::string> items = ctx_.Elements(val + "item/#");
      rows_.reserve(items.size());
      for (const std::string &item : items) {
         // One walk to the item for all its fields.
         rows_.push_back(ctx_.GetChildValues(item, kFields, std::size(kFields)));
      }
      rowsGeneration_ = generation;
      std::string text;
      for (const std::vector<std::string> &row : rows_) {
         for (const std::string &field : row) {
            text += '\x1e';
            text += field;
         }
      }
      // The signature carries a version of the rows, not their text: a short text to compare.
      if (text != rowsText_) {
         rowsText_ = std::move(text);
         ++rowsVersion_;
      }
   }
   signature += '\x1f' + std::to_string(rowsVersion_);
   if (signature == signature_) {
      return;
   }
   signature_ = signature;
   const std::vector<std::vector<std::string>> &rows = rows_;

   multiple_ = ctx_.GetBool(val + "multiple", true);
   maxMRU_ = static_cast<int>(ctx_.GetInt(val + "maxMRU", 10));
   hostPending_ = ctx_.Get(base_ + "pending");
   fileError_ = ctx_.Get(base_ + "fileError");
   // "current" missing: the single form, whose one snapshot is current.
   int currentUid = static_cast<int>(ctx_.GetInt(val + "current", -1));

   std::set<int> seen;
   int firstUid = 0;
   for (size_t i = 0; i < rows.size(); ++i) {
      const std::vector<std::string> &row = rows[i];
      long uid = std::strtol(row[0].c_str(), nullptr, 10);
      // An element without a UID (the single form's bare item) takes one past the others.
      if (uid <= 0) {
         uid = 1000000 + static_cast<long>(i);
      }
      if (!seen.insert(static_cast<int>(uid)).second) {
         Warning("SnapshotTree %s: UID %ld listed twice\n", base_.c_str(), uid);
         continue;
      }
      if (i == 0) {
         firstUid = static_cast<int>(uid);
      }
      std::unique_ptr<Snapshot> &snapshot = snapshots_[static_cast<int>(uid)];
      if (!snapshot) {
         snapshot.reset(new Snapshot(this, static_cast<int>(uid)));
      }
      snapshot->parentUid_ = static_cast<int>(std::strtol(row[1].c_str(), nullptr, 10));
      snapshot->name_ = row[2];
      snapshot->description_ = row[3];
      snapshot->timestamp_ = std::strtoll(row[4].c_str(), nullptr, 10);
      long power = std::strtol(row[5].c_str(), nullptr, 10);
      snapshot->powerState_ = power >= Snapshot::POWERED_OFF && power <= Snapshot::POWERED_ON
                                 ? static_cast<int>(power)
                                 : static_cast<int>(Snapshot::POWERED_OFF);
      snapshot->screenshot_ = row[6];
      snapshot->clones_ = static_cast<int>(std::strtol(row[7].c_str(), nullptr, 10));
      snapshot->recording_ = row[8] == "1";
   }
   for (auto it = snapshots_.begin(); it != snapshots_.end();) {
      it = seen.count(it->first) ? std::next(it) : snapshots_.erase(it);
   }
   mru_.clear();
   for (int uid : ParseUids(ctx_.Get(val + "mru"))) {
      if (snapshots_.count(uid) && std::find(mru_.begin(), mru_.end(), uid) == mru_.end()) {
         mru_.push_back(uid);
      }
   }
   Link(currentUid < 0 ? firstUid : currentUid);
   changed.emit();
}

void SnapshotTree::Link(int currentUid)
{
   roots_.clear();
   flat_.clear();
   for (auto &entry : snapshots_) {
      entry.second->children_.clear();
      entry.second->parent_ = nullptr;
   }
   // By UID: older snapshots come first among their siblings.
   for (auto &entry : snapshots_) {
      Snapshot *snapshot = entry.second.get();
      auto parent = snapshots_.find(snapshot->parentUid_);
      if (parent != snapshots_.end() && parent->second.get() != snapshot) {
         snapshot->parent_ = parent->second.get();
         parent->second->children_.push_back(snapshot);
      } else {
         roots_.push_back(snapshot);
      }
   }
   // Depth first from the roots; a snapshot left unreached sits in a loop of parents (a damaged
   // list): it is cut from its parent and walked as a root.
   std::set<Snapshot *> reached;
   auto walk = [this, &reached](Snapshot *root) {
      std::vector<Snapshot *> stack = {root};
      while (!stack.empty()) {
         Snapshot *node = stack.back();
         stack.pop_back();
         reached.insert(node);
         flat_.push_back(node);
         for (auto child = node->children_.rbegin(); child != node->children_.rend(); ++child) {
            stack.push_back(*child);
         }
      }
   };
   for (Snapshot *root : roots_) {
      walk(root);
   }
   for (auto &entry : snapshots_) {
      Snapshot *snapshot = entry.second.get();
      if (reached.count(snapshot)) {
         continue;
      }
      Warning("SnapshotTree %s: snapshot %d is its own ancestor\n", base_.c_str(), snapshot->uid_);
      std::vector<Snapshot *> &siblings = snapshot->parent_->children_;
      siblings.erase(std::find(siblings.begin(), siblings.end(), snapshot));
      snapshot->parent_ = nullptr;
      roots_.push_back(snapshot);
      walk(snapshot);
   }
   current_ = GetSnapshot(currentUid);
   if (current_ == yah_.get()) {
      current_ = nullptr;
   }
   yah_->parent_ = current_;
}

void SnapshotTree::Send(const std::string &op, const std::vector<std::pair<std::string, std::string>> &inputs,
                        const AbortSlot &abort, const DoneSlot &done)
{
   if (closed_ || !vm_.IsRegistered()) {
      PostAbort(abort, Format("@&!*@*@(msg.vm.closed)The virtual machine \"%s\" is no longer open.",
                              vm_.GetName().c_str()));
      return;
   }
   if (IsBusy()) {
      PostAbort(abort, Format("@&!*@*@(msg.snapshot.busy)The virtual machine \"%s\" is busy with another snapshot "
                              "operation. Try again when it has finished.", vm_.GetName().c_str()));
      return;
   }
   try {
      cuiutil::ModelCmd::Send(ctx_, vm_.GetVmPath() + "cmd/##/", op, inputs, {"uid"},
                              sigc::bind(sigc::mem_fun(*this, &SnapshotTree::OnAnswer), op, abort, done));
   } catch (const Error &e) {
      PostAbort(abort, e.what());
      return;
   }
   requested_ = op;
   signature_.clear();
   Refresh();
}

void SnapshotTree::OnAnswer(std::string error, std::map<std::string, std::string>, std::string op, AbortSlot abort,
                            DoneSlot done)
{
   requested_.clear();
   if (!closed_) {
      // The machine's state first (a revert moves it), then this tree, which it refreshes too.
      signature_.clear();
      vm_.Refresh(true);
   }
   if (!error.empty()) {
      Log("SnapshotTree %s: %s failed: %s\n", base_.c_str(), op.c_str(), error.c_str());
      CallSlot(abort, false, Error(error));
   } else {
      CallSlot(done);
   }
}

void SnapshotTree::BeginTake(const AbortSlot &abort, const DoneSlot &done)
{
   // Refused before the user names a snapshot the host would refuse to take.
   if (!fileError_.empty() && !closed_) {
      PostAbort(abort, fileError_);
      return;
   }
   if (!IsCmdEnabled(CMD_TAKE)) {
      PostAbort(abort, Format("@&!*@*@(msg.snapshot.cannotTake)A snapshot of \"%s\" cannot be taken now: the virtual "
                              "machine is closed or busy.", vm_.GetName().c_str()));
      return;
   }
   takeBegun_ = true;
   DoneSlot slot = done;
   Poll_Post([slot]() { CallSlot(slot); });
}

void SnapshotTree::CancelTake(const DoneSlot &done)
{
   takeBegun_ = false;
   DoneSlot slot = done;
   Poll_Post([slot]() { CallSlot(slot); });
}

void SnapshotTree::Take(const std::string &name, const std::string &description, const AbortSlot &abort,
                        const DoneSlot &done)
{
   takeBegun_ = false;
   if (name.size() > MAX_DISPLAY_NAME_LENGTH || description.size() > MAX_DESCRIPTION_LENGTH) {
      PostAbort(abort, Format("@&!*@*@(msg.snapshot.tooLong)A snapshot name may have at most %u characters and a "
                              "description at most %u.", static_cast<unsigned>(MAX_DISPLAY_NAME_LENGTH),
                              static_cast<unsigned>(MAX_DESCRIPTION_LENGTH)));
      return;
   }
   Send("createSnapshot", {{"name", name.empty() ? GenerateName() : name}, {"description", description}}, abort, done);
}

void SnapshotTree::Restore(int uid, bool stayPoweredOff, bool updateMRU, const AbortSlot &abort, const DoneSlot &done)
{
   if (uid <= 0 || !GetSnapshot(uid)) {
      PostAbort(abort, Format("@&!*@*@(msg.snapshot.notFound)The virtual machine \"%s\" has no such snapshot.",
                              vm_.GetName().c_str()));
      return;
   }
   Send("revertToSnapshot",
        {{"uid", std::to_string(uid)}, {"stayPoweredOff", stayPoweredOff ? "1" : "0"}, {"updateMRU", updateMRU ? "1" : "0"}},
        abort, done);
}

void SnapshotTree::Delete(const std::vector<int> &uids, bool withChildren, bool deleteFiles, const AbortSlot &abort,
                          const DoneSlot &done)
{
   std::string list;
   for (int uid : uids) {
      if (uid <= 0 || !GetSnapshot(uid)) {
         PostAbort(abort, Format("@&!*@*@(msg.snapshot.notFound)The virtual machine \"%s\" has no such snapshot.",
                                 vm_.GetName().c_str()));
         return;
      }
      list += (list.empty() ? "" : " ") + std::to_string(uid);
   }
   if (list.empty()) {
      PostAbort(abort, GetLocalString("@&!*@*@(msg.snapshot.noneChosen)No snapshot was chosen."));
      return;
   }
   Send("removeSnapshot",
        {{"uids", list}, {"children", withChildren ? "1" : "0"}, {"deleteFiles", deleteFiles ? "1" : "0"}}, abort, done);
}

void SnapshotTree::Rename(int uid, const std::string &name, const std::string &description, const AbortSlot &abort,
                          const DoneSlot &done)
{
   Snapshot *snapshot = uid > 0 ? GetSnapshot(uid) : nullptr;
   if (!snapshot) {
      PostAbort(abort, Format("@&!*@*@(msg.snapshot.notFound)The virtual machine \"%s\" has no such snapshot.",
                              vm_.GetName().c_str()));
      return;
   }
   if (snapshot->GetDisplayName() == name && snapshot->GetDescription() == description) {
      DoneSlot slot = done;
      Poll_Post([slot]() { CallSlot(slot); });
      return;
   }
   if (name.empty() || name.size() > MAX_DISPLAY_NAME_LENGTH || description.size() > MAX_DESCRIPTION_LENGTH) {
      PostAbort(abort, Format("@&!*@*@(msg.snapshot.badName)A snapshot needs a name of 1 to %u characters and a "
                              "description of at most %u.", static_cast<unsigned>(MAX_DISPLAY_NAME_LENGTH),
                              static_cast<unsigned>(MAX_DESCRIPTION_LENGTH)));
      return;
   }
   Send("renameSnapshot", {{"uid", std::to_string(uid)}, {"name", name}, {"description", description}}, abort, done);
}

void SnapshotTree::GetScreenshot(int uid, const ScreenshotSlot &slot)
{
   Snapshot *snapshot = GetSnapshot(uid);
   std::string path = snapshot ? snapshot->GetScreenshotPath() : std::string();
   ScreenshotSlot copy = slot;
   Poll_Post([copy, uid, path]() {
      HBITMAP bitmap = nullptr;
      if (!path.empty()) {
         bitmap = static_cast<HBITMAP>(
            LoadImageW(nullptr, WidePathFromUtf8(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
      }
      if (!CallSlot(copy, uid, bitmap) && bitmap) {
         DeleteObject(bitmap);
      }
   });
}

}  // namespace cui

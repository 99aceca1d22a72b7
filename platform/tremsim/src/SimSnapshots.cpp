#include "tremsim/SimSnapshots.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <set>
#include <sstream>

#include "SimHostConfig.h"
#include "cui/Error.h"
#include "cui/LocalizedString.h"
#include "cui/PathText.h"
#include "cui/Snapshot.h"
#include "cui/SnapshotTree.h"
#include "tremorybase/File.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Log.h"
#include "tremorybase/Text.h"
#include "tremsim/SimMachine.h"
#include "tremsim/SimMachines.h"

namespace cuisim {

namespace {

const char kPrefix[] = "snapshot";

std::vector<int> ParseUids(const std::string &text)
{
   std::vector<int> uids;
   std::istringstream in(text);
   long uid = 0;
   while (in >> uid) {
      if (uid > 0 && std::find(uids.begin(), uids.end(), static_cast<int>(uid)) == uids.end()) {
         uids.push_back(static_cast<int>(uid));
      }
   }
   return uids;
}

std::string JoinUids(const std::vector<int> &uids)
{
   std::string text;
   for (int uid : uids) {
      text += (text.empty() ? "" : " ") + std::to_string(uid);
   }
   return text;
}

long Number(const std::string &text)
{
   return std::strtol(text.c_str(), nullptr, 10);
}

// "snapshot12.displayName" gives 12 and "displayName"; 0 for any other key.
int SplitKey(const std::string &key, std::string &field)
{
   size_t n = sizeof(kPrefix) - 1;
   size_t dot = key.find('.', n);
   if (key.compare(0, n, kPrefix) != 0 || dot == std::string::npos || dot == n) {
      return 0;
   }
   for (size_t i = n; i < dot; ++i) {
      if (key[i] < '0' || key[i] > '9') {
         return 0;
      }
   }
   field = key.substr(dot + 1);
   long uid = Number(key.substr(n, dot - n));
   return uid > 0 && uid < 100000000 ? static_cast<int>(uid) : 0;
}

// The nearest ancestor of `uid` that is not in `gone`; 0 when none.
int SurvivingAncestor(const SimSnapshotFile &file, int uid, const std::set<int> &gone)
{
   // Bounded: a damaged file may hold a loop of parents.
   for (size_t steps = 0; uid != 0 && steps <= file.snapshots.size(); ++steps) {
      auto it = file.snapshots.find(uid);
      if (it == file.snapshots.end()) {
         return 0;
      }
      uid = it->second.parent;
      if (!gone.count(uid)) {
         return file.snapshots.count(uid) ? uid : 0;
      }
   }
   return 0;
}

std::string NoSnapshotText(const std::string &name)
{
   return cui::Format("@&!*@*@(msg.host.snapshot.none)The virtual machine \"%s\" has no snapshot.", name.c_str());
}

std::string UnknownText(const std::string &name, int uid)
{
   return cui::Format("@&!*@*@(msg.host.snapshot.unknown)The virtual machine \"%s\" has no snapshot %d.", name.c_str(),
                      uid);
}

}  // namespace

std::string SimSnapshotFile::PathOf(const std::string &cfgPath)
{
   return SimVmxConfig::Folder(cfgPath) + SimVmxConfig::BaseName(cfgPath) + ".snapshot";
}

bool ReadKeptFile(const std::string &path, std::vector<KeyValueEntry> &entries, std::string &problem)
{
   bool missing = false;
   entries.clear();
   if (KeyValueFile::Read(path, entries, problem, missing) || missing) {
      problem.clear();
      return true;
   }
   // The parser quotes a bad escape's byte as it is: the reason stays valid UTF-8 on one line.
   problem = Utf8FromWide(WideFromUtf8(problem));
   std::replace_if(problem.begin(), problem.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, '?');
   return false;
}

bool SimSnapshotFile::Load(const std::string &path, std::string &error)
{
   *this = SimSnapshotFile();
   std::vector<KeyValueEntry> entries;
   if (!ReadKeptFile(path, entries, error)) {
      return false;
   }
   const std::string *lastText = KeyValueFile::Find(entries, "snapshot.lastUID");
   if (!lastText) {
      const std::string *name = KeyValueFile::Find(entries, "displayName");
      if (name && !name->empty()) {
         SimSnapshot only;
         only.uid = lastUid = current = 1;
         only.displayName = *name;
         const std::string *description = KeyValueFile::Find(entries, "description");
         only.description = description ? *description : std::string();
         snapshots[1] = only;
      }
      return true;
   }
   for (const KeyValueEntry &entry : entries) {
      std::string field;
      int uid = SplitKey(entry.key, field);
      if (!uid) {
         continue;
      }
      SimSnapshot &snapshot = snapshots[uid];
      snapshot.uid = uid;
      if (field == "parent") {
         snapshot.parent = static_cast<int>(Number(entry.value));
      } else if (field == "displayName") {
         snapshot.displayName = entry.value;
      } else if (field == "description") {
         snapshot.description = entry.value;
      } else if (field == "createTime") {
         snapshot.createTime = std::strtoll(entry.value.c_str(), nullptr, 10);
      } else if (field == "powerState") {
         snapshot.powerState = static_cast<int>(Number(entry.value));
      } else if (field == "screenshot") {
         snapshot.screenshot = entry.value;
      } else if (field == "clones") {
         snapshot.clones = static_cast<int>(Number(entry.value));
      } else if (field == "recording") {
         snapshot.recording = entry.value == "1";
      }
   }
   lastUid = static_cast<int>(Number(*lastText));
   for (const auto &entry : snapshots) {
      lastUid = std::max(lastUid, entry.first);
   }
   const std::string *cur = KeyValueFile::Find(entries, "snapshot.current");
   current = cur && snapshots.count(static_cast<int>(Number(*cur))) ? static_cast<int>(Number(*cur)) : 0;
   const std::string *mruText = KeyValueFile::Find(entries, "snapshot.mru");
   for (int uid : ParseUids(mruText ? *mruText : std::string())) {
      if (snapshots.count(uid)) {
         mru.push_back(uid);
      }
   }
   return true;
}

bool SimSnapshotFile::Save(const std::string &path, std::string &error) const
{
   std::vector<KeyValueEntry> entries = {
      {"snapshot.lastUID", std::to_string(lastUid)},
      {"snapshot.current", std::to_string(current)},
      {"snapshot.mru", JoinUids(mru)},
   };
   for (const auto &entry : snapshots) {
      const SimSnapshot &s = entry.second;
      std::string key = kPrefix + std::to_string(s.uid) + ".";
      entries.push_back({key + "parent", std::to_string(s.parent)});
      entries.push_back({key + "displayName", s.displayName});
      entries.push_back({key + "description", s.description});
      entries.push_back({key + "createTime", std::to_string(s.createTime)});
      entries.push_back({key + "powerState", std::to_string(s.powerState)});
      entries.push_back({key + "screenshot", s.screenshot});
      entries.push_back({key + "clones", std::to_string(s.clones)});
      entries.push_back({key + "recording", s.recording ? "1" : "0"});
   }
   return KeyValueFile::Write(path, entries, error);
}

namespace {

// Every value MirrorTo writes, in one text: a list that mirrors to the same text needs no writing.
std::string MirrorText(const SimSnapshotFile &file, const SimVmxConfig &config)
{
   std::string text = std::to_string(config.GetBool("snapshot.multiple", true)) + '\x1f' +
                      std::to_string(config.GetInt("snapshot.maxMRU", 10)) + '\x1f' + SimVmxConfig::Folder(config.GetPath()) +
                      '\x1f' + std::to_string(file.current) + '\x1f';
   for (int uid : file.mru) {
      text += std::to_string(uid) + ' ';
   }
   for (const auto &entry : file.snapshots) {
      const SimSnapshot &s = entry.second;
      text += '\x1e' + std::to_string(s.uid) + '\x1f' + std::to_string(s.parent) + '\x1f' + s.displayName + '\x1f' +
              s.description + '\x1f' + std::to_string(s.createTime) + '\x1f' + std::to_string(s.powerState) + '\x1f' +
              s.screenshot + '\x1f' + std::to_string(s.clones) + '\x1f' + (s.recording ? '1' : '0');
   }
   return text;
}

// Never the same twice in a run, so a reader that saw one generation of a list is never told
// that another list is the one it saw.
std::string NextGeneration()
{
   static unsigned long long generation = 0;
   return std::to_string(++generation);
}

}  // namespace

void SimSnapshotFile::MirrorTo(vmdb::Ctx &ctx, const std::string &chkptPath, const SimVmxConfig &config) const
{
   std::string val = cuiutil::WithSlash(chkptPath) + "val/";
   std::string folder = SimVmxConfig::Folder(config.GetPath());
   vmdb::Batch batch(ctx);
   ctx.Set(val + "generation", NextGeneration());
   // Each snapshot in the element named after its UID, written over what is there: a value that
   // did not change raises no change, so a take on a long list changes a few nodes, not all.
   ctx.Set(val + "multiple", vmdb::Value(config.GetBool("snapshot.multiple", true)));
   ctx.Set(val + "current", vmdb::Value(current));
   ctx.Set(val + "maxMRU", vmdb::Value(config.GetInt("snapshot.maxMRU", 10)));
   ctx.Set(val + "mru", JoinUids(mru));
   std::set<std::string> listed;
   for (const auto &entry : snapshots) {
      const SimSnapshot &s = entry.second;
      char name[16];
      std::snprintf(name, sizeof name, "#%04x/", static_cast<unsigned>(s.uid));
      std::string element = val + "item/" + name;
      listed.insert(element);
      static const char *const kFields[] = {"uid",        "parent",     "displayName", "description",
                                            "createTime", "powerState", "screenshot",  "clones"};
      ctx.SetChildValues(element, kFields,
                         {std::to_string(s.uid), std::to_string(s.parent), s.displayName, s.description,
                          std::to_string(s.createTime), std::to_string(s.powerState),
                          s.screenshot.empty() ? std::string() : folder + s.screenshot, std::to_string(s.clones)});
      ctx.Set(element + "recording", vmdb::Value(s.recording));
   }
   for (const std::string &element : ctx.Elements(val + "item/#")) {
      if (!listed.count(cuiutil::WithSlash(element))) {
         ctx.Remove(cuiutil::WithoutSlash(element), true);
      }
   }
}

SimSnapshots::SimSnapshots(SimMachine &machine) : machine_(machine)
{
   ReadFile();
}

void SimSnapshots::ReadFile()
{
   std::string reason;
   unreadable_.clear();
   if (!file_.Load(SimSnapshotFile::PathOf(machine_.GetCfgPath()), reason)) {
      MarkUnreadable(reason);
   }
}

void SimSnapshots::MarkUnreadable(const std::string &reason)
{
   // Nothing is written over the file: the list is empty until it is mended or removed.
   file_ = SimSnapshotFile();
   unreadable_ = reason;
   unreadableLogged_ = false;
   Warning("SimHost: the snapshot file %s cannot be read and is kept as it is: %s\n",
           SimSnapshotFile::PathOf(machine_.GetCfgPath()).c_str(), reason.c_str());
}

std::string SimSnapshots::GetUnreadableText() const
{
   if (unreadable_.empty()) {
      return std::string();
   }
   return cui::Format("@&!*@*@(msg.host.snapshot.unreadable)The snapshot list of \"%s\" could not be read from "
                      "\"%s\" (%s). The file is kept as it is: no snapshot can be taken, reverted to, deleted or "
                      "renamed until the file is mended or removed.",
                      MachineName().c_str(), SimSnapshotFile::PathOf(machine_.GetCfgPath()).c_str(),
                      unreadable_.c_str());
}

std::string SimSnapshots::Reload()
{
   std::string busy = BusyText();
   if (!busy.empty()) {
      return busy;
   }
   ReadFile();
   Mirror();
   return GetUnreadableText();
}

SimSnapshots::~SimSnapshots()
{
   if (!pending_.empty()) {
      FinishNow(false);
   }
}

std::string SimSnapshots::Folder() const
{
   return SimVmxConfig::Folder(machine_.GetCfgPath());
}

std::string SimSnapshots::MachineName() const
{
   return machine_.GetConfig().GetDisplayName();
}

void SimSnapshots::Mirror()
{
   if (machine_.GetVmPath().empty()) {
      return;
   }
   std::string chkpt = machine_.GetVmPath() + "vmx/chkptState/";
   vmdb::Ctx &ctx = machine_.GetCtx();
   vmdb::Batch batch(ctx);
   // Most mirrors follow a step of an operation and leave the list as it was.
   std::string text = MirrorText(file_, machine_.GetConfig());
   if (text != mirroredText_ || !ctx.Exists(chkpt + "val/generation")) {
      file_.MirrorTo(ctx, chkpt, machine_.GetConfig());
      mirroredText_ = std::move(text);
   }
   ctx.Set(chkpt + "pending", pending_);
   const std::string unreadable = GetUnreadableText();
   ctx.Set(chkpt + "fileError", unreadable);
   if (!unreadable.empty() && !unreadableLogged_) {
      unreadableLogged_ = true;
      machine_.LogMessage("error", unreadable);
   }
}

std::string SimSnapshots::BusyText() const
{
   if (!pending_.empty() || !machine_.GetPending().empty()) {
      return cui::Format("@&!*@*@(msg.host.snapshot.busy)The virtual machine \"%s\" is busy with another operation. "
                         "Try again when it has finished.", MachineName().c_str());
   }
   return std::string();
}

std::string SimSnapshots::Refusal(bool needsSnapshot) const
{
   // An unreadable file first: no retry helps until it is mended.
   if (!unreadable_.empty()) {
      return GetUnreadableText();
   }
   std::string busy = BusyText();
   if (!busy.empty()) {
      return busy;
   }
   if (needsSnapshot && file_.snapshots.empty()) {
      return NoSnapshotText(MachineName());
   }
   return std::string();
}

std::string SimSnapshots::Start(const std::string &op, unsigned steps, std::function<std::string()> finish, DoneFn done)
{
   pending_ = op;
   stepsLeft_ = steps;
   finish_ = std::move(finish);
   done_ = std::move(done);
   Log("SimHost: %s: %s started\n", machine_.GetVmPath().c_str(), op.c_str());
   if (!machine_.GetVmPath().empty()) {
      // The list itself changes only when the operation ends.
      machine_.GetCtx().Set(machine_.GetVmPath() + "vmx/chkptState/pending", pending_);
   }
   unsigned stepMs = SimHostConfig::StepMs();
   timer_ = Poll_AddTimer(stepMs ? stepMs : 1, true, [this]() { Step(); });
   return std::string();
}

void SimSnapshots::Step()
{
   if (stepsLeft_ > 1) {
      --stepsLeft_;
      return;
   }
   Finish(true);
}

void SimSnapshots::FinishNow(bool writeDb)
{
   if (!pending_.empty()) {
      Finish(writeDb);
   }
}

void SimSnapshots::Finish(bool writeDb)
{
   if (timer_) {
      Poll_RemoveTimer(timer_);
      timer_ = 0;
   }
   std::string op = pending_;
   std::function<std::string()> finish = std::move(finish_);
   DoneFn done = std::move(done_);
   finish_ = nullptr;
   done_ = nullptr;
   writeDb_ = writeDb;
   std::string error = finish ? finish() : std::string();
   writeDb_ = true;
   pending_.clear();
   if (!writeDb) {
      return;
   }
   Mirror();
   Log("SimHost: %s: %s %s\n", machine_.GetVmPath().c_str(), op.c_str(), error.empty() ? "done" : error.c_str());
   if (!error.empty()) {
      machine_.LogFailure(op, error);
   }
   if (done) {
      done(error);
   }
}

std::string SimSnapshots::Commit(const SimSnapshotFile &changed)
{
   const std::string path = SimSnapshotFile::PathOf(machine_.GetCfgPath());
   // The last guard before the write: a file damaged since it was read (by another program or
   // by hand) is not written over either.
   SimSnapshotFile onDisk;
   std::string error;
   if (!unreadable_.empty() || !onDisk.Load(path, error)) {
      if (unreadable_.empty()) {
         MarkUnreadable(error);
      }
      return GetUnreadableText();
   }
   if (!changed.Save(path, error)) {
      return cui::Format("@&!*@*@(msg.host.snapshot.cannotSave)The snapshots of \"%s\" cannot be saved: %s",
                         MachineName().c_str(), error.c_str());
   }
   file_ = changed;
   return std::string();
}

std::string SimSnapshots::StartTake(const std::string &name, const std::string &description,
                                    std::function<void(int)> taken, DoneFn done)
{
   std::string refusal = Refusal(false);
   if (!refusal.empty()) {
      return refusal;
   }
   if (name.size() > cui::SnapshotTree::MAX_DISPLAY_NAME_LENGTH ||
       description.size() > cui::SnapshotTree::MAX_DESCRIPTION_LENGTH) {
      return cui::Format("@&!*@*@(msg.host.snapshot.tooLong)A snapshot name may have at most %u characters and a "
                         "description at most %u.", static_cast<unsigned>(cui::SnapshotTree::MAX_DISPLAY_NAME_LENGTH),
                         static_cast<unsigned>(cui::SnapshotTree::MAX_DESCRIPTION_LENGTH));
   }
   return Start("createSnapshot", kTakeSteps,
                [this, name, description, taken]() {
                   std::string error = FinishTake(name, description);
                   if (error.empty() && taken) {
                      taken(file_.current);
                   }
                   return error;
                },
                std::move(done));
}

std::string SimSnapshots::FinishTake(const std::string &name, const std::string &description)
{
   SimSnapshotFile changed = file_;
   bool single = !machine_.GetConfig().GetBool("snapshot.multiple", true);
   std::vector<std::string> replaced;
   if (single) {
      for (const auto &entry : changed.snapshots) {
         replaced.push_back(entry.second.screenshot);
      }
      changed.snapshots.clear();
      changed.mru.clear();
      changed.current = 0;
   }
   SimSnapshot snapshot;
   snapshot.uid = ++changed.lastUid;
   snapshot.parent = changed.current;
   snapshot.displayName = name;
   if (snapshot.displayName.empty()) {
      snapshot.displayName = cui::Format("@&!*@*@(msg.snapshot.defaultName)Snapshot %u",
                                         static_cast<unsigned>(changed.snapshots.size() + 1));
   }
   snapshot.description = description;
   snapshot.createTime = static_cast<long long>(time(nullptr));
   const std::string &exec = machine_.GetExecState();
   snapshot.powerState = exec == SimMachine::kPoweredOn  ? cui::Snapshot::POWERED_ON
                         : exec == SimMachine::kSuspended ? cui::Snapshot::SUSPENDED
                                                          : cui::Snapshot::POWERED_OFF;
   if (snapshot.powerState != cui::Snapshot::POWERED_OFF) {
      // The guest's screen as it is now: a running machine's, or the one it was suspended with.
      std::string file = SimVmxConfig::BaseName(machine_.GetCfgPath()) + "-snapshot" + std::to_string(snapshot.uid) + ".bmp";
      std::string error;
      if (machine_.GuestScreen().SaveBitmap(Folder() + file, error)) {
         snapshot.screenshot = file;
      } else {
         Warning("SimHost: no screenshot for snapshot %d of %s: %s\n", snapshot.uid, machine_.GetCfgPath().c_str(),
                 error.c_str());
      }
   }
   changed.snapshots[snapshot.uid] = snapshot;
   changed.current = snapshot.uid;
   changed.mru.insert(changed.mru.begin(), snapshot.uid);
   std::string error = Commit(changed);
   if (!error.empty()) {
      if (!snapshot.screenshot.empty()) {
         File_Delete(Folder() + snapshot.screenshot);
      }
      return error;
   }
   for (const std::string &shot : replaced) {
      if (!shot.empty()) {
         File_Delete(Folder() + shot);
      }
   }
   if (writeDb_) {
      machine_.LogMessage("info", cui::Format("@&!*@*@(msg.host.log.taken)Snapshot \"%s\" was taken.",
                                              snapshot.displayName.c_str()));
   }
   return std::string();
}

std::string SimSnapshots::StartRevert(int uid, bool stayPoweredOff, bool updateMRU, DoneFn done)
{
   std::string refusal = Refusal(true);
   if (!refusal.empty()) {
      return refusal;
   }
   if (uid == 0) {
      uid = file_.current;
      if (uid == 0) {
         return cui::Format("@&!*@*@(msg.host.snapshot.noCurrent)The virtual machine \"%s\" has no current snapshot "
                            "to revert to.", MachineName().c_str());
      }
   }
   if (!file_.snapshots.count(uid)) {
      return UnknownText(MachineName(), uid);
   }
   return Start("revertToSnapshot", kRevertSteps,
                [this, uid, stayPoweredOff, updateMRU]() { return FinishRevert(uid, stayPoweredOff, updateMRU); },
                std::move(done));
}

std::string SimSnapshots::FinishRevert(int uid, bool stayPoweredOff, bool updateMRU)
{
   auto it = file_.snapshots.find(uid);
   if (it == file_.snapshots.end()) {
      return UnknownText(MachineName(), uid);
   }
   // A copy: the commit replaces the list `it` points into.
   const SimSnapshot snapshot = it->second;
   SimSnapshotFile changed = file_;
   changed.current = uid;
   if (updateMRU) {
      changed.mru.erase(std::remove(changed.mru.begin(), changed.mru.end(), uid), changed.mru.end());
      changed.mru.insert(changed.mru.begin(), uid);
   }
   std::string error = Commit(changed);
   if (!error.empty()) {
      return error;
   }
   const char *state = SimMachine::kPoweredOff;
   if (!stayPoweredOff && snapshot.powerState == cui::Snapshot::POWERED_ON) {
      state = SimMachine::kPoweredOn;
   } else if (!stayPoweredOff && snapshot.powerState == cui::Snapshot::SUSPENDED) {
      state = SimMachine::kSuspended;
   }
   machine_.RestoreExecState(state, snapshot.screenshot.empty() ? std::string() : Folder() + snapshot.screenshot,
                             writeDb_);
   if (writeDb_) {
      machine_.LogMessage("info", cui::Format("@&!*@*@(msg.host.log.reverted)The virtual machine was reverted to "
                                              "snapshot \"%s\".", snapshot.displayName.c_str()));
   }
   return std::string();
}

std::string SimSnapshots::StartRemove(std::vector<int> uids, bool withChildren, bool deleteFiles, DoneFn done)
{
   std::string refusal = Refusal(true);
   if (!refusal.empty()) {
      return refusal;
   }
   if (uids.empty()) {
      if (!file_.current) {
         return cui::Format("@&!*@*@(msg.host.snapshot.noCurrentRemove)The virtual machine \"%s\" has no current "
                            "snapshot to remove.", MachineName().c_str());
      }
      uids.push_back(file_.current);
   }
   for (int uid : uids) {
      if (!file_.snapshots.count(uid)) {
         return UnknownText(MachineName(), uid);
      }
   }
   return Start("removeSnapshot", kRemoveSteps,
                [this, uids, withChildren, deleteFiles]() { return FinishRemove(uids, withChildren, deleteFiles); },
                std::move(done));
}

std::string SimSnapshots::FinishRemove(const std::vector<int> &uids, bool withChildren, bool deleteFiles)
{
   SimSnapshotFile changed = file_;
   std::set<int> gone(uids.begin(), uids.end());
   if (withChildren) {
      // Whole branches: a snapshot goes when any ancestor goes. Parents have smaller UIDs only
      // in a sound file, so walk up from each snapshot instead.
      for (const auto &entry : changed.snapshots) {
         int up = entry.second.parent;
         for (size_t steps = 0; up != 0 && steps <= changed.snapshots.size(); ++steps) {
            if (gone.count(up)) {
               gone.insert(entry.first);
               break;
            }
            auto parent = changed.snapshots.find(up);
            up = parent == changed.snapshots.end() ? 0 : parent->second.parent;
         }
      }
   }
   for (auto &entry : changed.snapshots) {
      if (!gone.count(entry.first) && gone.count(entry.second.parent)) {
         entry.second.parent = SurvivingAncestor(file_, entry.first, gone);
      }
   }
   if (gone.count(changed.current)) {
      changed.current = SurvivingAncestor(file_, changed.current, gone);
   }
   std::vector<std::string> shots;
   std::vector<std::string> names;
   for (int uid : gone) {
      auto it = changed.snapshots.find(uid);
      if (it != changed.snapshots.end()) {
         shots.push_back(it->second.screenshot);
         names.push_back(it->second.displayName);
         changed.snapshots.erase(it);
      }
   }
   changed.mru.erase(std::remove_if(changed.mru.begin(), changed.mru.end(), [&gone](int uid) { return gone.count(uid) != 0; }),
                     changed.mru.end());
   std::string error = Commit(changed);
   if (!error.empty()) {
      return error;
   }
   for (const std::string &shot : shots) {
      if (deleteFiles && !shot.empty()) {
         File_Delete(Folder() + shot);
      }
   }
   for (const std::string &name : names) {
      if (writeDb_) {
         machine_.LogMessage("info", cui::Format("@&!*@*@(msg.host.log.deleted)Snapshot \"%s\" was deleted.", name.c_str()));
      }
   }
   return std::string();
}

std::string SimSnapshots::Rename(int uid, const std::string &name, const std::string &description)
{
   if (!unreadable_.empty() || !pending_.empty()) {
      return Refusal(false);
   }
   if (!file_.snapshots.count(uid)) {
      return file_.snapshots.empty() ? NoSnapshotText(MachineName()) : UnknownText(MachineName(), uid);
   }
   if (name.empty() || name.size() > cui::SnapshotTree::MAX_DISPLAY_NAME_LENGTH ||
       description.size() > cui::SnapshotTree::MAX_DESCRIPTION_LENGTH) {
      return cui::Format("@&!*@*@(msg.snapshot.badName)A snapshot needs a name of 1 to %u characters and a "
                         "description of at most %u.", static_cast<unsigned>(cui::SnapshotTree::MAX_DISPLAY_NAME_LENGTH),
                         static_cast<unsigned>(cui::SnapshotTree::MAX_DESCRIPTION_LENGTH));
   }
   SimSnapshotFile changed = file_;
   changed.snapshots[uid].displayName = name;
   changed.snapshots[uid].description = description;
   std::string error = Commit(changed);
   // A failed commit may have found the file damaged: the node says so then.
   Mirror();
   return error;
}

void SimSnapshots::RegisterOps(SimCmdOwner &vmCmds, SimMachines &machines)
{
   auto machineOf = [&machines](SimCommand &cmd) -> SimMachine & {
      SimMachine *machine = machines.Find(cmd.Owner());
      if (!machine) {
         throw cui::Error(cui::GetLocalString("@&!*@*@(msg.host.vm.notOpen)The virtual machine is not open on the host."));
      }
      return *machine;
   };
   // Answered when the operation ends; the command's context and element outlive the handler.
   auto answer = [](SimCommand &cmd) {
      vmdb::Ctx ctx = cmd.Ctx();
      std::string element = cmd.Element();
      return [ctx, element](const std::string &error) mutable { SimCmdOwner::Answer(ctx, element, error); };
   };
   auto deferUnless = [](SimCommand &cmd, const std::string &error) {
      if (!error.empty()) {
         throw cui::Error(error);
      }
      cmd.Defer();
   };
   vmCmds.Register("createSnapshot", [=](SimCommand &cmd) {
      vmdb::Ctx ctx = cmd.Ctx();
      std::string element = cmd.Element();
      auto taken = [ctx, element](int uid) mutable {
         // Nothing when the sender has removed the element meanwhile.
         if (ctx.Exists(element + "op")) {
            ctx.Set(element + "op/createSnapshot/out/uid", vmdb::Value(uid));
         }
      };
      deferUnless(cmd, machineOf(cmd).GetSnapshots().StartTake(cmd.In("name"), cmd.In("description"), taken, answer(cmd)));
   });
   vmCmds.Register("revertToSnapshot", [=](SimCommand &cmd) {
      deferUnless(cmd, machineOf(cmd).GetSnapshots().StartRevert(static_cast<int>(Number(cmd.In("uid"))),
                                                                 cmd.In("stayPoweredOff") == "1",
                                                                 cmd.In("updateMRU") != "0", answer(cmd)));
   });
   vmCmds.Register("removeSnapshot", [=](SimCommand &cmd) {
      std::vector<int> uids = ParseUids(cmd.In("uids"));
      if (uids.empty() && cmd.HasIn("uid")) {
         uids = ParseUids(cmd.In("uid"));
      }
      deferUnless(cmd, machineOf(cmd).GetSnapshots().StartRemove(uids, cmd.In("children") == "1",
                                                                 cmd.In("deleteFiles") != "0", answer(cmd)));
   });
   vmCmds.Register("refreshSnapshots", [=](SimCommand &cmd) {
      std::string error = machineOf(cmd).GetSnapshots().Reload();
      if (!error.empty()) {
         throw cui::Error(error);
      }
   });
   vmCmds.Register("renameSnapshot", [=](SimCommand &cmd) {
      std::string error = machineOf(cmd).GetSnapshots().Rename(static_cast<int>(Number(cmd.In("uid"))), cmd.In("name"),
                                                               cmd.In("description"));
      if (!error.empty()) {
         throw cui::Error(error);
      }
   });
}

}  // namespace cuisim

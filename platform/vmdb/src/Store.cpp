#include "vmdb/Store.h"

#include "Node.h"
#include "PathResolver.h"
#include "WatchTable.h"

#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Log.h"
#include "tremorybase/Poll.h"

#include <windows.h>

#include <array>
#include <cstdio>

namespace vmdbstore {

const char kNotices[] = "/notice/";
const char kNoticeUserFile[] = "userFile";
const char kNoticeVmList[] = "vmList";

namespace {

// Keys of the file syntax cannot hold blanks, '=', '"' or '#': those (and '%') are written %XX.
bool NeedsEscape(unsigned char c)
{
   return c <= ' ' || c == '=' || c == '"' || c == '#' || c == '%' || c == 0x7f;
}

std::string EncodeKey(const std::string &path)
{
   static const char hex[] = "0123456789ABCDEF";
   std::string key;
   key.reserve(path.size() + 8);
   for (char ch : path) {
      unsigned char c = static_cast<unsigned char>(ch);
      if (NeedsEscape(c)) {
         key += '%';
         key += hex[c >> 4];
         key += hex[c & 15];
      } else {
         key += ch;
      }
   }
   return key;
}

int HexValue(char c)
{
   if (c >= '0' && c <= '9') return c - '0';
   if (c >= 'a' && c <= 'f') return c - 'a' + 10;
   if (c >= 'A' && c <= 'F') return c - 'A' + 10;
   return -1;
}

std::string DecodeKey(const std::string &key)
{
   std::string path;
   path.reserve(key.size());
   for (size_t i = 0; i < key.size(); i++) {
      if (key[i] == '%' && i + 2 < key.size() && HexValue(key[i + 1]) >= 0 && HexValue(key[i + 2]) >= 0) {
         path += static_cast<char>(HexValue(key[i + 1]) * 16 + HexValue(key[i + 2]));
         i += 2;
      } else {
         path += key[i];
      }
   }
   return path;
}

std::string DefaultUserFile()
{
   std::string dir = Config_GetEnvironment("APPDATA");
   if (dir.empty()) {
      return "zolt-user.db";
   }
   dir += "\\Tremory";
   File_MakeFolders(dir);
   return dir + "\\zolt-user.db";
}

std::map<std::string, std::weak_ptr<Store>> &Databases()
{
   static std::map<std::string, std::weak_ptr<Store>> databases;
   return databases;
}

bool IsTrueText(const std::string &v)
{
   return v == "1" || _stricmp(v.c_str(), "true") == 0 || _stricmp(v.c_str(), "yes") == 0;
}

bool IsFalseText(const std::string &v)
{
   return v == "0" || _stricmp(v.c_str(), "false") == 0 || _stricmp(v.c_str(), "no") == 0;
}

}  // namespace

Store::Store()
   : root_(new Node), schemaRoot_(new SchemaNode), watches_(new WatchTable)
{
   root_->schema = schemaRoot_.get();
}

Store::~Store()
{
   try {
      Flush();
   } catch (const std::exception &e) {
      Warning("vmdb: shutting the database down failed: %s\n", e.what());
   }
}

void Store::Flush()
{
   if (persistent_) {
      Save();
   }
   if (!dumpFile_.empty()) {
      Dump(dumpFile_);
   }
}

std::shared_ptr<Store> Store::Connect(const std::string &name)
{
   auto &databases = Databases();
   std::shared_ptr<Store> store = databases[name].lock();
   if (!store) {
      store = Create(name.empty());
      databases[name] = store;
   }
   return store;
}

std::shared_ptr<Store> Store::Create(bool persistent)
{
   std::shared_ptr<Store> store(new Store);
   if (persistent) {
      store->StartPersistence();
   }
   return store;
}

void Store::StartPersistence()
{
   persistent_ = true;
   userFile_ = Config_GetString("vmdb.userFile", "");
   if (userFile_.empty()) {
      userFile_ = DefaultUserFile();
   }
   dumpFile_ = Config_GetString("vmdb.dump", "");
   saveDelayMs_ = Config_GetLong("vmdb.saveDelayMs", 2000);
   LoadUserFile();
   std::string preload = Config_GetString("vmdb.preload", "");
   if (!preload.empty()) {
      std::string error;
      if (!Load(preload, error)) {
         Warning("vmdb: preload file %s not loaded: %s\n", preload.c_str(), error.c_str());
      }
   }
}

void Store::LoadUserFile()
{
   std::vector<KeyValueEntry> entries;
   std::string problem;
   bool missing = false;
   if (KeyValueFile::Read(userFile_, entries, problem, missing)) {
      Apply(entries, userFile_, "/user/");
      return;
   }
   if (missing) {
      return;
   }
   // What cannot be read stays as it is, where it is, for the user to mend or to look at: the
   // run starts from the defaults and writes nothing over it.
   userFileKept_ = true;
   Warning("vmdb: the user file %s cannot be read (%s); it is kept as it is, the favorites and preferences start "
           "from their defaults and are not saved in this run\n",
           userFile_.c_str(), problem.c_str());
   AddNotice(kNoticeUserFile, userFile_, problem);
}

void Store::AddNotice(const std::string &kind, const std::string &file, const std::string &problem,
                      const std::string &host)
{
   std::unique_ptr<Context> ctx = NewContext();
   std::string notice = ctx->AppendElement(std::string(kNotices) + "#");
   ctx->OpenBatch();
   ctx->Write(notice + "kind", kind);
   ctx->Write(notice + "file", file);
   ctx->Write(notice + "problem", problem);
   if (!host.empty()) {
      ctx->Write(notice + "host", host);
   }
   ctx->CloseBatch();
}

bool Store::Load(const std::string &file, std::string &error, const std::string &onlyUnder)
{
   std::vector<KeyValueEntry> entries;
   if (!KeyValueFile::Read(file, entries, error)) {
      return false;
   }
   Apply(entries, file, onlyUnder);
   return true;
}

void Store::Apply(const std::vector<KeyValueEntry> &entries, const std::string &file, const std::string &onlyUnder)
{
   std::unique_ptr<Context> ctx = NewContext();
   for (const KeyValueEntry &e : entries) {
      std::string path = DecodeKey(e.key);
      if (!onlyUnder.empty() && path.compare(0, onlyUnder.size(), onlyUnder) != 0) {
         Warning("vmdb: %s: %s is not under %s, skipped\n", file.c_str(), path.c_str(), onlyUnder.c_str());
         continue;
      }
      try {
         ctx->Write(path, e.value);
      } catch (const Error &err) {
         Warning("vmdb: %s: %s skipped: %s\n", file.c_str(), path.c_str(), err.what());
      }
   }
}

void Store::CollectEntries(const Node *node, std::string &path, std::vector<std::pair<std::string, std::string>> &out) const
{
   size_t len = path.size();
   for (const auto &child : node->children) {
      path += '/';
      path += child.first;
      const Node *c = child.second.get();
      if (c->children.empty() || !c->value.empty()) {
         out.emplace_back(path, c->value);
      }
      CollectEntries(c, path, out);
      path.resize(len);
   }
}

namespace {

std::vector<KeyValueEntry> ToEntries(const std::vector<std::pair<std::string, std::string>> &pairs)
{
   std::vector<KeyValueEntry> entries;
   entries.reserve(pairs.size());
   for (const auto &p : pairs) {
      entries.push_back(KeyValueEntry{EncodeKey(p.first), p.second});
   }
   return entries;
}

}  // namespace

bool Store::Save()
{
   if (userFile_.empty()) {
      return false;
   }
   if (userFileKept_) {
      if (!keptLogged_) {
         keptLogged_ = true;
         Warning("vmdb: %s is not saved: it could not be read at start and is kept as it is\n", userFile_.c_str());
      }
      return false;
   }
   std::vector<std::pair<std::string, std::string>> pairs;
   if (const Node *user = root_->Find("user")) {
      std::string path = "/user";
      if (user->children.empty() && !user->value.empty()) {
         pairs.emplace_back(path, user->value);
      }
      CollectEntries(user, path, pairs);
   }
   std::string error;
   if (!KeyValueFile::Write(userFile_, ToEntries(pairs), error)) {
      Warning("vmdb: saving %s failed: %s\n", userFile_.c_str(), error.c_str());
      return false;
   }
   return true;
}

bool Store::Dump(const std::string &file) const
{
   std::vector<std::pair<std::string, std::string>> pairs;
   std::string path;
   CollectEntries(root_.get(), path, pairs);
   std::string error;
   if (!KeyValueFile::Write(file, ToEntries(pairs), error)) {
      Warning("vmdb: dumping to %s failed: %s\n", file.c_str(), error.c_str());
      return false;
   }
   return true;
}

std::unique_ptr<Context> Store::NewContext()
{
   return std::unique_ptr<Context>(new Context(shared_from_this()));
}

Node *Store::CreateChild(Node *parent, std::string_view name)
{
   if (Node *existing = parent->Find(name)) {
      return existing;
   }
   std::unique_ptr<Node> node(new Node);
   node->name.assign(name.data(), name.size());
   node->parent = parent;
   Node *raw = node.get();
   parent->children.emplace(raw->name, std::move(node));
   nodeCount_++;
   ApplySchema(raw, parent->schema ? parent->schema->Match(raw->name) : nullptr);
   return raw;
}

// Gives a node its declaration: its default when it has no value yet, and the declared children
// that carry something (directories, texts, flags, enumerations; links stay unset).
void Store::ApplySchema(Node *node, const SchemaNode *schema)
{
   node->schema = schema;
   if (!schema) {
      return;
   }
   if (node->value.empty() && !schema->defaultValue.empty()) {
      node->value = schema->defaultValue;
   }
   for (const auto &decl : schema->children) {
      if (decl.first == "#" || decl.second->type == NodeType::Link) {
         continue;
      }
      if (!node->Find(decl.first)) {
         CreateChild(node, decl.first);
      }
   }
   for (auto &child : node->children) {
      const SchemaNode *match = schema->Match(child.first);
      if (child.second->schema != match) {
         ApplySchema(child.second.get(), match);
      }
   }
}

void Store::AttachDeclared(Node *node, std::vector<std::string_view> &pattern, size_t at, const SchemaNode *decl)
{
   if (at == pattern.size()) {
      if (decl->name == "#") {
         for (auto &child : node->children) {
            if (child.first[0] == '#') {
               ApplySchema(child.second.get(), decl);
            }
         }
      } else if (Node *existing = node->Find(decl->name)) {
         ApplySchema(existing, decl);
      } else if (decl->type != NodeType::Link) {
         CreateChild(node, decl->name);
      }
      return;
   }
   if (pattern[at] == "#") {
      std::vector<Node *> elements;
      for (auto &child : node->children) {
         if (child.first[0] == '#') {
            elements.push_back(child.second.get());
         }
      }
      for (Node *e : elements) {
         AttachDeclared(e, pattern, at + 1, decl);
      }
   } else if (Node *child = node->Find(pattern[at])) {
      AttachDeclared(child, pattern, at + 1, decl);
   }
}

void Store::Declare(const std::string &parentPath, const SchemaDecl &decl)
{
   std::string name = decl.name;
   while (name.size() > 1 && name.back() == '/') {
      name.pop_back();
   }
   if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos || name.size() > kMaxName) {
      throw Error(Error::BadSchema, "bad schema node name \"" + decl.name + "\"");
   }
   if (decl.type == NodeType::Enum && decl.values.empty()) {
      throw Error(Error::BadSchema, "enumeration \"" + name + "\" without values");
   }
   std::vector<std::string_view> pattern;
   SplitAbsolute(parentPath, pattern);
   SchemaNode *parent = schemaRoot_.get();
   for (std::string_view part : pattern) {
      auto it = parent->children.find(part);
      if (it == parent->children.end()) {
         std::unique_ptr<SchemaNode> dir(new SchemaNode);
         dir->name.assign(part.data(), part.size());
         it = parent->children.emplace(dir->name, std::move(dir)).first;
      }
      parent = it->second.get();
   }
   std::unique_ptr<SchemaNode> &slot = parent->children[name];
   if (!slot) {
      slot.reset(new SchemaNode);
   }
   slot->name = name;
   slot->type = decl.type;
   slot->values = decl.values;
   slot->defaultValue = decl.type == NodeType::Flag ? (IsTrueText(decl.defaultValue) ? "1" : "0") : decl.defaultValue;
   slot->linkTarget = decl.linkTarget;
   if (decl.type == NodeType::Enum && slot->defaultValue.empty()) {
      slot->defaultValue = decl.values.front();
   }
   AttachDeclared(root_.get(), pattern, 0, slot.get());
}

void Store::SetValue(Context *writer, Node *node, std::string_view value, bool isBool, bool created)
{
   if (const SchemaNode *s = node->schema) {
      if (s->type == NodeType::Flag) {
         std::string text(value);
         if (IsTrueText(text)) {
            value = "1";
         } else if (IsFalseText(text)) {
            value = "0";
         } else {
            throw Error(Error::BadValue, "\"" + text + "\" is not a flag value for " + node->name);
         }
      } else if (s->type == NodeType::Enum) {
         bool listed = false;
         for (const std::string &v : s->values) {
            listed = listed || v == value;
         }
         if (!listed) {
            throw Error(Error::BadValue, "\"" + std::string(value) + "\" is not one of the values of " + node->name);
         }
      }
   }
   if (!created && node->value == value && node->isBool == isBool) {
      return;
   }
   node->value.assign(value.data(), value.size());
   node->isBool = isBool;
   if (!watchEntries_.empty()) {
      RecordChange(writer, PathOf(node), false);
   }
}

void Store::RemoveSubtree(Context *writer, Node *node)
{
   if (!watchEntries_.empty()) {
      std::string path = PathOf(node);
      RecordChange(writer, path, false);
      // Watches on nodes inside the subtree hear that their node went away.
      RecordRemoved(writer, node, path);
   }
   size_t count = 0;
   std::vector<const Node *> stack{node};
   while (!stack.empty()) {
      const Node *n = stack.back();
      stack.pop_back();
      count++;
      for (const auto &c : n->children) {
         stack.push_back(c.second.get());
      }
   }
   nodeCount_ -= count;
   Node *parent = node->parent;
   parent->children.erase(parent->children.find(std::string_view(node->name)));
}

// Watches on nodes inside a removed subtree hear that their node went away, in walk order.
void Store::RecordRemoved(Context *writer, const Node *node, const std::string &path)
{
   for (const auto &c : node->children) {
      std::string childPath = path + "/" + c.first;
      RecordChange(writer, childPath, true);
      RecordRemoved(writer, c.second.get(), childPath);
   }
}

void Store::RecordChange(Context *writer, std::string path, bool exactOnly)
{
   if (watchEntries_.empty()) {
      return;
   }
   if (writer && writer->batchDepth_ > 0) {
      writer->held_.push_back(Change{std::move(path), exactOnly});
      return;
   }
   ready_.push_back(Change{std::move(path), exactOnly});
   ScheduleDelivery();
}

void Store::CommitHeld(Context *ctx)
{
   if (ctx->held_.empty()) {
      return;
   }
   for (Change &c : ctx->held_) {
      ready_.push_back(std::move(c));
   }
   ctx->held_.clear();
   ScheduleDelivery();
}

void Store::ScheduleDelivery()
{
   // A posted delivery that has not run for a second was dropped (Poll_Reset): post again.
   ULONGLONG now = GetTickCount64();
   if (deliveryPosted_ && now - deliveryPostedAt_ < 1000) {
      return;
   }
   deliveryPosted_ = true;
   deliveryPostedAt_ = now;
   std::weak_ptr<Store> weak = shared_from_this();
   Poll_Post([weak]() {
      if (std::shared_ptr<Store> store = weak.lock()) {
         store->DeliverPending();
      }
   });
}

void Store::ScheduleSave()
{
   if (!persistent_ || saveDelayMs_ <= 0 || savePosted_) {
      return;
   }
   savePosted_ = true;
   std::weak_ptr<Store> weak = shared_from_this();
   Poll_AddTimer(static_cast<unsigned>(saveDelayMs_), false, [weak]() {
      if (std::shared_ptr<Store> store = weak.lock()) {
         store->savePosted_ = false;
         store->Save();
      }
   });
}

void Store::DeliverPending()
{
   deliveryPosted_ = false;
   ++deliverySerial_;
   std::shared_ptr<Store> keep = shared_from_this();
   std::vector<uint64_t> ids;
   std::array<std::string_view, kMaxDepth> parts;
   // Only what is ready now: changes that handlers cause wait for the next step.
   size_t count = ready_.size();
   while (count-- > 0 && !ready_.empty()) {
      Change change = std::move(ready_.front());
      ready_.pop_front();
      size_t depth = 0;
      std::string_view path = change.path;
      size_t pos = 1;
      while (pos < path.size() && depth < kMaxDepth) {
         size_t end = path.find('/', pos);
         if (end == std::string_view::npos) {
            end = path.size();
         }
         parts[depth++] = path.substr(pos, end - pos);
         pos = end + 1;
      }
      ids.clear();
      watches_->Match(parts.data(), depth, change.exactOnly, ids);
      for (uint64_t id : ids) {
         auto it = watchEntries_.find(id);
         if (it == watchEntries_.end()) {
            continue;   // unwatched by an earlier handler
         }
         if (it->second.once) {
            if (it->second.heardIn == deliverySerial_) {
               continue;
            }
            it->second.heardIn = deliverySerial_;
         }
         Context *owner = it->second.owner;
         // Held, not borrowed: the handler may unwatch.
         std::shared_ptr<const std::string> watchPath = it->second.path;
         try {
            owner->Deliver(*watchPath, change.path);
         } catch (const std::exception &e) {
            Warning("vmdb: watch handler for %s failed: %s\n", watchPath->c_str(), e.what());
         } catch (...) {
            Warning("vmdb: watch handler for %s failed\n", watchPath->c_str());
         }
      }
   }
   if (!ready_.empty()) {
      ScheduleDelivery();
   }
}

void Store::Unregister(Context *ctx)
{
   for (auto &reg : ctx->watchRegs_) {
      watches_->Remove(reg.second.id);
      watchEntries_.erase(reg.second.id);
   }
   ctx->watchRegs_.clear();
}

}  // namespace vmdbstore

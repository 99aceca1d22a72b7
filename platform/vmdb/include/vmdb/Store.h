// The state database core: a tree of text values addressed by slash paths, with schema, links,
// array elements, write batches and watches. The COM objects are a thin face over it; the model
// library uses it directly through the raw handles those objects hand out.
//
// Paths: "/a/b" is absolute; anything else is relative to a context's current path; ".." steps
// up; a trailing "/" is allowed. A link node (declared by the schema) is followed when a path
// passes through it or ends in it with a trailing "/"; a path that ends at a link names the link
// node itself, whose value is the target path. In reads, "#" stands for the first element.
// Element names begin with "#"; elements are walked in ascending order of name.
//
// Watches: mode 0 hears writes to the node, its creation and its removal; mode 1 also hears
// every write below it; mode 2 hears what mode 1 does, but once per delivery step, with the
// first changed path (for watchers that read the subtree again whatever changed). A write that leaves a value as it was is no change, unless it made
// nodes; nodes a write makes on the way are told only to watches on those very nodes. Changes reach the
// watchers from a poll step, after the write batch that made them has closed, in write order.
//
// Files (the default database): "/user/" is kept in the user file, %APPDATA%\Tremory\zolt-user.db
// unless the configuration key "vmdb.userFile" names another; it is loaded at creation, saved
// on Save, "vmdb.saveDelayMs" (2000; 0 = never) after a write under "/user/", and at the end.
// "vmdb.preload" names a file loaded into the tree at creation, "vmdb.dump" one the whole tree
// is written to at the end. All use the key-value file syntax, one `path = "value"` per node;
// blanks, '=', '"', '#' and '%' in a path are written %XX ("/host2/%230001/name").
// A user file that is there but cannot be read (bad syntax, unreadable bytes, a folder in its
// place) is left exactly as it is: the run starts from the defaults, never saves over it, and
// leaves a notice for the user.
//
// Notices (in memory only): a file the stand-ins could not read and keep as it is, one element
// of "/notice/#" with "kind" (kNoticeUserFile, kNoticeVmList), "file", "problem" (what is wrong,
// "line 3: missing closing quote") and, for a host's file, "host". The program shows each once
// and removes it.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

struct KeyValueEntry;

namespace vmdbstore {

extern const char kNotices[];          // "/notice/"
extern const char kNoticeUserFile[];   // "userFile": the user file
extern const char kNoticeVmList[];     // "vmList": a host's list of registered machines

// Schema node types; the numbers are the ones the schema objects take.
enum class NodeType : int {
   Dir = 0,
   Text = 1,
   Flag = 3,
   Enum = 4,
   Link = 5,
};

enum WatchMode : int {
   kWatchNode = 0,      // the node itself
   kWatchSubtree = 1,   // the node and everything below it
   kWatchSubtreeOnce = 2,   // as kWatchSubtree, heard once per delivery step
};

const size_t kMaxName = 255;
const size_t kMaxValue = 16384;
const size_t kMaxDepth = 64;

class Error : public std::runtime_error {
public:
   enum Code { BadPath, BadValue, NotEmpty, BadSchema, Io };
   Error(Code code, const std::string &what) : std::runtime_error(what), code_(code) {}
   Code code() const { return code_; }

private:
   Code code_;
};

struct SchemaDecl {
   std::string name;                  // "#" declares the element template of an array
   NodeType type = NodeType::Text;
   std::vector<std::string> values;   // enumeration texts
   std::string defaultValue;          // flags and enumerations
   std::string linkTarget;            // links: target pattern, "#" for any element
};

struct Node;
struct SchemaNode;
class WatchTable;
class Context;
struct ContextAccess;

// Called for each change a watch matched: the watch path as registered, the changed node's path.
typedef std::function<void(const std::string &watchPath, const std::string &changedPath)> WatchHandler;

class Store : public std::enable_shared_from_this<Store> {
public:
   // The process's database of that name, made on first use. The default one (empty name) loads
   // the user file and the "vmdb.preload" file at creation, and saves the user file and writes
   // the "vmdb.dump" file when its last user lets go. Named ones live in memory only.
   static std::shared_ptr<Store> Connect(const std::string &name);
   // A private in-memory database (tests, benchmarks); `persistent` gives it the default's files.
   static std::shared_ptr<Store> Create(bool persistent = false);
   ~Store();

   std::unique_ptr<Context> NewContext();

   // Declares a node under `parentPath` (absolute, "#" for elements) and gives it, with its
   // default, to every existing matching parent; declaring again replaces the declaration.
   void Declare(const std::string &parentPath, const SchemaDecl &decl);

   // Writes "/user/" to the user file. False (and logged) when it cannot, or when the user file
   // could not be read at creation and is kept.
   bool Save();
   // What happens when the last user lets go, done now: the user file and the dump file (if any)
   // are written. The COM database object calls it when it disconnects, so the files are
   // written while the process is still whole, whoever keeps the store alive afterwards.
   void Flush();
   // Writes the whole tree, in the same syntax.
   bool Dump(const std::string &file) const;
   // Writes each `path = "value"` of a file into the tree. False (with `error`) when it does not parse.
   bool Load(const std::string &file, std::string &error, const std::string &onlyUnder = "");
   const std::string &UserFile() const { return userFile_; }
   // True when the user file is there but could not be read, so it is not written in this run.
   bool IsUserFileKept() const { return userFileKept_; }
   // Adds a notice (see above) for the user.
   void AddNotice(const std::string &kind, const std::string &file, const std::string &problem,
                  const std::string &host = std::string());

   // Delivers the changes whose batches have closed (what the posted poll callback does).
   void DeliverPending();
   // Counts deliveries: watch handlers that see the same number are in one delivery, where every
   // change it brings is already in the tree.
   uint64_t DeliverySerial() const { return deliverySerial_; }
   size_t NodeCount() const { return nodeCount_; }

   Store(const Store &) = delete;
   Store &operator=(const Store &) = delete;

private:
   friend class Context;
   friend struct ContextAccess;
   struct Change {
      std::string path;
      bool exactOnly;   // a node inside a removed subtree: only watches on that very node hear of it
   };
   struct WatchEntry {
      Context *owner;
      std::shared_ptr<const std::string> path;   // as the owner gave it
      bool once;                                 // kWatchSubtreeOnce
      uint64_t heardIn;                          // the delivery step it was last told in
   };

   Store();
   void StartPersistence();
   void LoadUserFile();
   // Writes each entry into the tree; `file` names them in warnings.
   void Apply(const std::vector<KeyValueEntry> &entries, const std::string &file, const std::string &onlyUnder);

   Node *Root() { return root_.get(); }
   Node *CreateChild(Node *parent, std::string_view name);
   void ApplySchema(Node *node, const SchemaNode *schema);
   void AttachDeclared(Node *node, std::vector<std::string_view> &pattern, size_t at, const SchemaNode *decl);
   // `created`: the write made the node (or nodes above it), so it is a change whatever the value.
   void SetValue(Context *writer, Node *node, std::string_view value, bool isBool, bool created);
   void RemoveSubtree(Context *writer, Node *node);
   void RecordChange(Context *writer, std::string path, bool exactOnly);
   void RecordRemoved(Context *writer, const Node *node, const std::string &path);
   void CommitHeld(Context *ctx);
   void ScheduleDelivery();
   void ScheduleSave();
   void Unregister(Context *ctx);
   void CollectEntries(const Node *node, std::string &path, std::vector<std::pair<std::string, std::string>> &out) const;

   std::unique_ptr<Node> root_;
   std::unique_ptr<SchemaNode> schemaRoot_;
   std::unique_ptr<WatchTable> watches_;
   std::unordered_map<uint64_t, WatchEntry> watchEntries_;
   uint64_t nextWatchId_ = 1;
   std::deque<Change> ready_;
   bool deliveryPosted_ = false;
   uint64_t deliverySerial_ = 0;
   unsigned long long deliveryPostedAt_ = 0;   // GetTickCount64 of the last post
   bool savePosted_ = false;
   size_t nodeCount_ = 1;
   bool persistent_ = false;
   std::string userFile_;
   bool userFileKept_ = false;
   bool keptLogged_ = false;
   std::string dumpFile_;
   long saveDelayMs_ = 0;
};

// A view of the database with a current path, its own write batch and its own watches.
class Context {
public:
   ~Context();   // closes an open batch (its writes stand) and drops its watches

   void ChangePath(std::string_view path);
   const std::string &CurrentPath() const { return current_; }
   std::string FullPath(std::string_view path) const;

   // False when the node does not exist (`value` is then empty).
   bool Read(std::string_view path, std::string &value) const;
   std::string Read(std::string_view path) const;
   // The values of the named children of the node at `path`, one walk for all of them: a
   // missing node or child gives "" (links among the children are not followed).
   void ReadChildren(std::string_view path, const char *const *names, size_t count,
                     std::vector<std::string> &values) const;
   // Writes values[i] to the child names[i] of the node at `path` (made as needed), one walk for
   // all of them; each change is announced as a Write's is. A name must be a plain one (not
   // empty, no "/", not "." or "..", no element "#").
   void WriteChildren(std::string_view path, const char *const *names, const std::string *values, size_t count);
   // True when the node is a flag, or was last written as a boolean.
   bool IsBoolean(std::string_view path) const;
   bool Exists(std::string_view path) const;
   // True when the node exists and holds a true value: a value other than "", "0" and "false",
   // or no value but children.
   bool Test(std::string_view path) const;

   void Write(std::string_view path, std::string_view value);
   void WriteBool(std::string_view path, bool value);
   // `arrayPath` ends in "#" or "##" (optionally "/"); returns it with that part replaced by the
   // new element's name and a "/".
   std::string AppendElement(std::string_view arrayPath);
   // "a/#" gives the first element "a/#0001/", "a/#0001" the one after it (also after a removed
   // one); empty when there is none.
   std::string NextElement(std::string_view path) const;
   // The names of a node's children, in ascending order; empty when the node is missing.
   std::vector<std::string> Children(std::string_view path) const;
   // Removing a missing node is not an error; a node with children needs `recursive`.
   void Remove(std::string_view path, bool recursive);

   // Watches fire for writes of a batch only once the outermost batch closes.
   void OpenBatch();
   void CloseBatch();
   int BatchDepth() const { return batchDepth_; }

   // Waits, running poll steps, until the value at `path` equals `value` (untilEqual) or differs
   // from it; `limitMs` -1 means no limit. False when the limit passed first.
   bool WaitUntilChanged(std::string_view path, std::string_view value, bool untilEqual, long limitMs);

   // Changes reach the handler from a poll step. Watching a path twice counts twice.
   void SetWatchHandler(WatchHandler handler) { handler_ = std::move(handler); }
   void Watch(std::string_view path, WatchMode mode);
   void Unwatch(std::string_view path);   // every mode of that path

   Store &GetStore() { return *store_; }
   std::shared_ptr<Store> GetStoreShared() { return store_; }

   Context(const Context &) = delete;
   Context &operator=(const Context &) = delete;

private:
   friend class Store;
   friend struct ContextAccess;
   explicit Context(std::shared_ptr<Store> store);
   void Deliver(const std::string &watchPath, const std::string &changedPath);

   std::shared_ptr<Store> store_;
   std::string current_ = "/";
   std::vector<std::string_view> currentParts_;
   int batchDepth_ = 0;
   std::vector<Store::Change> held_;
   WatchHandler handler_;
   struct WatchReg {
      uint64_t id;
      int count;
   };
   std::map<std::pair<std::string, int>, WatchReg> watchRegs_;
};

inline Store *StoreFromRawHandle(intptr_t handle) { return reinterpret_cast<Store *>(handle); }
inline Context *ContextFromRawHandle(intptr_t handle) { return reinterpret_cast<Context *>(handle); }

}  // namespace vmdbstore

// zolt.exe sessions from start to exit: the tabs saved when a session ends and reopened at the
// next start, a session with a remote host given on the command line, and the exit that ends
// the session. Each run has its own configuration, log, user data and a dump of the database
// taken when the program lets go of it.
#include "e2e/Harness.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const DWORD kExitMs = 30000;

class SessionRun {
public:
   // `preload` holds database lines ("path = \"value\"") loaded at every start.
   SessionRun(const e2e::TestFolder &folder, const std::string &preload, const std::string &extraConfig = "")
      : log_(folder.PathOf("zolt.log")), dump_(folder.PathOf("dump.vmdb"))
   {
      std::string preloadFile = folder.WriteFile("preload.vmdb", preload);
      config_ = folder.WriteFile("config", "ui.log.filename = " + e2e::QuoteValue(log_) + "\n" +
                                              "vmdb.userFile = " + e2e::QuoteValue(folder.PathOf("user.vmdb")) + "\n" +
                                              "vmdb.preload = " + e2e::QuoteValue(preloadFile) + "\n" +
                                              "vmdb.dump = " + e2e::QuoteValue(dump_) + "\n" +
                                              "test.comFailure.silent = \"true\"\n" +
                                              "test.vmmsg.answer = \"0\"\n" + extraConfig);
   }

   // Starts the program, waits for its window, asks it to close and waits for it to end;
   // returns the dump of its database.
   std::string RunAndClose(const std::string &arguments = "")
   {
      e2e::RemovePath(dump_);
      e2e::Process zolt;
      e2e::ProcessOptions options;
      // -l without -h: a session with the local host, without the login dialog.
      options.arguments = (arguments.find("-h ") == std::string::npos ? "-l " : "") + arguments;
      options.environment = {{"TREMORY_CONFIG", config_}};
      if (!zolt.Start(ZOLT_EXE, options)) {
         ADD_FAILURE() << e2e::LastFailure();
         return "";
      }
      HWND frame = e2e::WaitForWindow({"ZOLTFrame", "", false, zolt.Id()});
      if (!frame) {
         ADD_FAILURE() << e2e::LastFailure();
         return "";
      }
      EXPECT_TRUE(e2e::RequestClose(frame)) << e2e::LastFailure();
      EXPECT_TRUE(zolt.WaitForExit(kExitMs)) << e2e::LastFailure();
      EXPECT_EQ(zolt.ExitCode(), 0);
      return e2e::ReadTextFile(dump_).value_or("");
   }

   std::string Log() const { return e2e::ReadTextFile(log_).value_or(""); }

private:
   std::string log_;
   std::string dump_;
   std::string config_;
};

// Database files write a node's "#" as "%23" (values keep theirs).
std::string Node(const std::string &path)
{
   std::string escaped;
   for (char c : path) {
      escaped += c == '#' ? std::string("%23") : std::string(1, c);
   }
   return escaped;
}

// The dump holds the line "<path> = <value>"; `path` is written with plain "#".
bool Has(const std::string &dump, const std::string &path, const std::string &value)
{
   const std::string line = Node(path) + " = " + value;
   for (size_t at = dump.find(line); at != std::string::npos; at = dump.find(line, at + 1)) {
      size_t end = at + line.size();
      if ((at == 0 || dump[at - 1] == '\n') && (end == dump.size() || dump[end] == '\r' || dump[end] == '\n')) {
         return true;
      }
   }
   return false;
}

bool HasNode(const std::string &dump, const std::string &path)
{
   return dump.find(Node(path)) != std::string::npos;
}

const char kSavedTabs[] = "/user/prefState/val/zolt/savedTabs/";

}  // namespace

TEST(ZoltSession, TabsAreSavedAtExitAndReopenedWithTheCurrentOneSelected)
{
   e2e::TestFolder folder;
   // A tab saved by an earlier run whose file is gone by now.
   std::string missing = folder.PathOf("gone.vmx");
   SessionRun run(folder, std::string("/user/prefState/val/zolt/saveOpenedObjs = \"1\"\n") +
                             "/user/prefState/val/zolt/savedTabs/openedObj/%230001/present = \"1\"\n" +
                             "/user/prefState/val/zolt/savedTabs/openedObj/%230001/type = \"vm\"\n" +
                             "/user/prefState/val/zolt/savedTabs/openedObj/%230001/path = \"/vm/#0001/\"\n" +
                             "/user/prefState/val/zolt/savedTabs/openedObj/%230001/file = " +
                             e2e::QuoteValue(missing) + "\n");

   std::string first = run.RunAndClose();
   EXPECT_NE(run.Log().find("Open object error: "), std::string::npos) << "the missing file was tried";
   EXPECT_TRUE(Has(first, "/appdata/Tremory/zolt/openedObj/#0000/type", "\"home\"")) << first;
   // The home tab, the one tab of the session, is saved over the old set and is current.
   EXPECT_TRUE(Has(first, std::string(kSavedTabs) + "openedObj/#0001/type", "\"home\"")) << first;
   EXPECT_TRUE(Has(first, std::string(kSavedTabs) + "openedObj/#0001/present", "\"1\"")) << first;
   EXPECT_TRUE(Has(first, std::string(kSavedTabs) + "currentObj/type", "\"home\"")) << first;
   EXPECT_FALSE(HasNode(first, std::string(kSavedTabs) + "openedObj/#0002/")) << "one set per destination";

   std::string second = run.RunAndClose();
   EXPECT_TRUE(Has(second, "/appdata/Tremory/zolt/currentObj", "\"/appdata/Tremory/zolt/openedObj/#0000/\""))
      << second;
   EXPECT_FALSE(HasNode(second, std::string(kSavedTabs) + "openedObj/#0002/")) << "saving again does not grow";
}

TEST(ZoltSession, WithSavingOffNothingIsSaved)
{
   e2e::TestFolder folder;
   SessionRun run(folder, "/user/prefState/val/zolt/saveOpenedObjs = \"0\"\n");
   std::string dump = run.RunAndClose();
   EXPECT_TRUE(Has(dump, "/appdata/Tremory/zolt/openedObj/#0000/type", "\"home\"")) << dump;
   EXPECT_FALSE(HasNode(dump, kSavedTabs)) << dump;
   EXPECT_TRUE(Has(dump, "/appdata/Tremory/zolt/session/active", "\"0\"")) << "the session ended at exit";
}

TEST(ZoltSession, RemoteHostFromTheCommandLine)
{
   e2e::TestFolder folder;
   SessionRun run(folder, "", "test.remoteHosts = \"farhost\"\ntest.remotePassword = \"secret\"\n");
   std::string dump = run.RunAndClose("-h farhost -u joe -w secret");
   EXPECT_TRUE(Has(dump, "/appdata/Tremory/zolt/session/dest", "\"farhost\"")) << dump;
   EXPECT_TRUE(Has(dump, "/appdata/Tremory/zolt/session/user", "\"joe\"")) << dump;
   EXPECT_TRUE(Has(dump, "/appdata/Tremory/zolt/session/active", "\"0\"")) << "the session ended at exit";
   EXPECT_FALSE(HasNode(dump, "/db/connection/#0001/")) << "and its connection went";
   // A wrong password opens the login dialog again (ZoltLoginTest).
}

TEST(ZoltSession, ExitAsksNothingWithoutRunningMachinesInTheLocalMode)
{
   e2e::TestFolder folder;
   SessionRun run(folder, "/user/prefState/val/zolt/deskmoorMode = \"1\"\n");
   std::string dump = run.RunAndClose();
   EXPECT_TRUE(Has(dump, "/appdata/Tremory/zolt/session/active", "\"0\"")) << dump;
   EXPECT_EQ(run.Log().find("VMMsg: "), std::string::npos) << "no question was raised";
   EXPECT_NE(run.Log().find("Exited normally."), std::string::npos);
}

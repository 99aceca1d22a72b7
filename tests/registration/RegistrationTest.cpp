// Registering machines on the session's host: what the host lists right after the call, what it
// keeps in its list file, what a fresh database finds there, what it refuses, and the program's
// remove and command-line registration.
#include "DamagedFiles.h"
#include "MachineCmdsFixture.h"

#include "tremorybase/Config.h"
#include "tremorybase/File.h"
#include "tremorybase/KeyValueFile.h"
#include "tremorybase/Text.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

namespace {

std::string Upper(std::string text)
{
   std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
   return text;
}

std::string ReadFileText(const std::string &path)
{
   std::string text;
   std::string error;
   File_Read(path, text, error);
   return text;
}

void WriteFileText(const std::string &path, const std::string &text)
{
   std::string error;
   EXPECT_TRUE(File_Replace(path, text, error)) << error;
}

bool FileExists(const std::string &path)
{
   return File_Exists(path);
}

BOOL CALLBACK CollectTexts(HWND window, LPARAM data)
{
   wchar_t text[2048] = L"";
   GetWindowTextW(window, text, 2048);
   *reinterpret_cast<std::string *>(data) += Utf8FromWide(text) + "\n";
   return TRUE;
}

BOOL CALLBACK CollectWindowTexts(HWND window, LPARAM data)
{
   if (IsWindowVisible(window)) {
      CollectTexts(window, data);
      EnumChildWindows(window, &CollectTexts, data);
   }
   return TRUE;
}

// True when a visible window of this thread, or one of its controls, shows `text`.
bool ThreadWindowShows(const std::string &text)
{
   std::string all;
   EnumThreadWindows(GetCurrentThreadId(), &CollectWindowTexts, reinterpret_cast<LPARAM>(&all));
   return all.find(text) != std::string::npos;
}

class Registration : public MachineCmds {
protected:
   void SetUp() override
   {
      MachineCmds::SetUp();
      listFolder_ = folder_ + "\\Hosts";
      Config_Set("test.host.vmListFolder", listFolder_.c_str());
   }
   void TearDown() override
   {
      Config_Set("test.host.vmListFolder", "");
      MachineCmds::TearDown();
   }

   // A new application on a new database; the list folder stays (MakeApp runs TearDown).
   void Restart(bool remoteMode)
   {
      MakeApp(remoteMode);
      Config_Set("test.host.vmListFolder", listFolder_.c_str());
   }

   cui::Host &Host() const { return *wui::GetCurrentHost(); }
   std::string ListFile() const { return listFolder_ + "\\localhost.vms"; }
   int Registered() const { return static_cast<int>(Host().GetRegisteredVMs().size()); }
   // Registers or unregisters through the host; the answer is there when the call returns.
   Outcome Register(const std::string &file)
   {
      Outcome outcome;
      Host().RegisterVM(file, outcome.Abort(), outcome.Done());
      return outcome;
   }
   Outcome Unregister(const std::string &file)
   {
      Outcome outcome;
      Host().UnregisterVM(file, outcome.Abort(), outcome.Done());
      return outcome;
   }

   std::string listFolder_;
};

TEST_F(Registration, ARegisteredFileIsListedOnReturnAndKeptInTheHostsListOnce)
{
   ASSERT_TRUE(wui::GetCurrentHost());
   const std::string vmx = WriteVmx("Alpha");
   EXPECT_EQ(Host().GetRegisteredVMPath(vmx), "");

   Outcome first = Register(vmx);
   EXPECT_EQ(first.dones, 1) << first.error;
   EXPECT_EQ(first.aborts, 0);
   const std::string listed = Host().GetRegisteredVMPath(vmx);
   ASSERT_NE(listed, "");
   EXPECT_EQ(_stricmp(listed.c_str(), vmx.c_str()), 0) << listed;
   EXPECT_EQ(ReadFileText(ListFile()), listed + "\r\n");

   // The same file in another letter case, with forward slashes or relative to the current
   // folder is the same registration.
   std::string slashed = Upper(vmx);
   std::replace(slashed.begin(), slashed.end(), '\\', '/');
   EXPECT_EQ(Host().GetRegisteredVMPath(slashed), listed);
   wchar_t current[MAX_PATH] = L"";
   GetCurrentDirectoryW(MAX_PATH, current);
   SetCurrentDirectoryW(WideFromUtf8(folder_).c_str());
   EXPECT_EQ(Host().GetRegisteredVMPath("alpha.VMX"), listed);
   Outcome relative = Register("Alpha.vmx");
   SetCurrentDirectoryW(current);
   EXPECT_EQ(relative.dones, 1) << relative.error;

   Outcome again = Register(slashed);
   EXPECT_EQ(again.dones, 1) << again.error;
   EXPECT_EQ(Registered(), 1);
   EXPECT_EQ(ReadFileText(ListFile()), listed + "\r\n");
   EXPECT_FALSE(FileExists(ListFile() + ".tmp"));

   // A second machine is appended; the host's list changes only through its own watch.
   const std::string beta = WriteVmx("Beta");
   int changes = 0;
   sigc::connection watch = Host().registeredVMsChanged.connect([&]() { ++changes; });
   EXPECT_EQ(Register(beta).dones, 1);
   EXPECT_TRUE(PollUntil([&]() { return changes > 0; }));
   watch.disconnect();
   EXPECT_EQ(Registered(), 2);
   EXPECT_EQ(ReadFileText(ListFile()), listed + "\r\n" + Host().GetRegisteredVMPath(beta) + "\r\n");
}

TEST_F(Registration, FilesThatAreNoMachineConfigurationAreRefused)
{
   std::string error;
   const std::string text = folder_ + "\\notes.txt";
   ASSERT_TRUE(KeyValueFile::Write(text, {{"displayName", "Notes"}}, error)) << error;
   const std::string damaged = folder_ + "\\damaged.vmx";
   WriteFileText(damaged, "this line is not a setting\n");
   const std::string folderNamedVmx = folder_ + "\\folder.vmx";
   ASSERT_TRUE(File_MakeFolders(folderNamedVmx));

   struct Case {
      std::string file;
      std::string says;
   };
   const Case cases[] = {
      {"", "No virtual machine configuration file"},
      {folder_ + "\\missing.vmx", "was not found"},
      {text, "does not end in \".vmx\""},
      {damaged, "is damaged"},
      {folderNamedVmx, "cannot be read"},
   };
   for (const Case &c : cases) {
      Outcome outcome = Register(c.file);
      EXPECT_EQ(outcome.aborts, 1) << c.file;
      EXPECT_EQ(outcome.dones, 0) << c.file;
      EXPECT_FALSE(outcome.cancelled);
      EXPECT_NE(outcome.error.find(c.says), std::string::npos) << c.file << ": " << outcome.error;
   }
   EXPECT_EQ(Registered(), 0);
   EXPECT_FALSE(FileExists(ListFile()));
   EXPECT_EQ(CountElements("/host2/#0000/util/vm/cmd/#"), 0) << "each command is removed after its answer";
}

TEST_F(Registration, UnregisteringDropsOnlyThatEntryAndRefusesAFileNotListed)
{
   const std::string alpha = WriteVmx("Alpha");
   const std::string beta = WriteVmx("Beta");
   ASSERT_EQ(Register(alpha).dones, 1);
   ASSERT_EQ(Register(beta).dones, 1);

   Outcome dropped = Unregister(Upper(alpha));
   EXPECT_EQ(dropped.dones, 1) << dropped.error;
   EXPECT_EQ(Host().GetRegisteredVMPath(alpha), "");
   EXPECT_NE(Host().GetRegisteredVMPath(beta), "");
   EXPECT_EQ(ReadFileText(ListFile()), Host().GetRegisteredVMPath(beta) + "\r\n");

   Outcome again = Unregister(alpha);
   EXPECT_EQ(again.aborts, 1);
   EXPECT_NE(again.error.find("is not registered"), std::string::npos) << again.error;
   EXPECT_EQ(Unregister("").aborts, 1);
   EXPECT_EQ(Registered(), 1);
}

TEST_F(Registration, AFreshDatabaseFindsTheListIncludingFilesThatHaveGone)
{
   const std::string kept = WriteVmx("Kept");
   const std::string gone = WriteVmx("Gone");
   ASSERT_EQ(Register(kept).dones, 1);
   ASSERT_EQ(Register(gone).dones, 1);
   ASSERT_TRUE(File_Delete(gone));

   // A new application on a new database: the list is there before any poll step ran.
   Restart(false);
   _bstr_t error;
   ASSERT_TRUE(app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error));
   ASSERT_TRUE(wui::GetCurrentHost());
   EXPECT_NE(Host().GetRegisteredVMPath(kept), "");
   EXPECT_NE(Host().GetRegisteredVMPath(gone), "") << "a real host keeps an entry whose file went";
   EXPECT_EQ(Registered(), 2);
   EXPECT_EQ(CountElements("/host2/#0000/vms/registeredvms/#"), 2) << "loaded once, not once per look";

   // Blank lines and line ends of another system are read too.
   WriteFileText(ListFile(), "\n" + kept + "\n\n  \r\n");
   Restart(false);
   ASSERT_TRUE(app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error));
   EXPECT_EQ(Registered(), 1);
}

TEST_F(Registration, AListThatCannotBeReadIsKeptAsItIsToldOnceAndRefusesEveryChange)
{
   const std::string alpha = WriteVmx("Alpha");
   const std::string beta = WriteVmx("Beta");
   const std::string gamma = WriteVmx("Gamma");
   ASSERT_EQ(Register(alpha).dones, 1);
   ASSERT_EQ(Register(beta).dones, 1);
   const std::string whole = ReadFileText(ListFile());
   std::vector<DamagedFile> damaged =
      DamagedVersions(whole, 6, "it ends in the middle of a line", Host().GetRegisteredVMPath(alpha) + "\r\nBeta.vmx\r\n",
                      "line 2: not the full path of a file");
   damaged.push_back({"too large", std::string(4 * 1024 * 1024 + 1, 'C'), "it is too large"});
   for (const DamagedFile &list : damaged) {
      SCOPED_TRACE(list.what);
      WriteFileText(ListFile(), list.bytes);
      Restart(false);
      _bstr_t error;
      ASSERT_TRUE(app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error));
      EXPECT_EQ(Registered(), 0) << "nothing is taken from a list that cannot be read";

      Outcome added = Register(gamma);
      EXPECT_EQ(added.aborts, 1);
      EXPECT_NE(added.error.find("\"" + ListFile() + "\", cannot be read"), std::string::npos) << added.error;
      Outcome removed = Unregister(alpha);
      EXPECT_EQ(removed.aborts, 1);
      EXPECT_NE(removed.error.find("cannot be read"), std::string::npos) << removed.error;
      EXPECT_EQ(Registered(), 0);
      EXPECT_TRUE(ReadFileText(ListFile()) == list.bytes) << "byte for byte as it was";
      EXPECT_FALSE(FileExists(ListFile() + ".tmp"));

      const std::vector<std::string> notices = cui::GetVmdbCtx().Elements("/notice/#");
      ASSERT_EQ(notices.size(), 1u) << "told once";
      EXPECT_EQ(Read(notices[0] + "kind"), "vmList");
      EXPECT_EQ(Read(notices[0] + "file"), ListFile());
      EXPECT_EQ(Read(notices[0] + "problem").compare(0, list.says.size(), list.says), 0)
         << Read(notices[0] + "problem");
   }

   // Mended while the program runs: what it lists is kept, and the change goes on top of it.
   WriteFileText(ListFile(), whole);
   Outcome added = Register(gamma);
   EXPECT_EQ(added.dones, 1) << added.error;
   EXPECT_EQ(Registered(), 3);
   EXPECT_EQ(ReadFileText(ListFile()), whole + Host().GetRegisteredVMPath(gamma) + "\r\n");
}

TEST_F(Registration, AFolderInTheListsPlaceIsLeftWhereItIs)
{
   ASSERT_TRUE(File_MakeFolders(ListFile()));
   Restart(false);
   _bstr_t error;
   ASSERT_TRUE(app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error));
   Outcome added = Register(WriteVmx("Alpha"));
   EXPECT_EQ(added.aborts, 1);
   EXPECT_NE(added.error.find("it is a folder"), std::string::npos) << added.error;
   EXPECT_TRUE(File_IsFolder(ListFile()));
   const std::vector<std::string> notices = cui::GetVmdbCtx().Elements("/notice/#");
   ASSERT_EQ(notices.size(), 1u);
   EXPECT_EQ(Read(notices[0] + "problem"), "it is a folder");
   EXPECT_TRUE(File_RemoveFolder(ListFile()));
}

TEST_F(Registration, ARemoteHostKeepsAListOfItsOwn)
{
   Restart(true);
   Config_Set("test.remoteHosts", "far.example");
   const std::string vmx = WriteVmx("Far");
   _bstr_t error;
   ASSERT_TRUE(app_->NewSession(true, _bstr_t("far.example"), _bstr_t("user"), _bstr_t("pw"), &error))
      << static_cast<const char *>(error);
   ASSERT_TRUE(wui::GetCurrentHost());
   ASSERT_NE(Host().GetPath(), "/host2/#0000/");
   ASSERT_EQ(Register(vmx).dones, 1);
   EXPECT_EQ(ReadFileText(listFolder_ + "\\far.example.vms"), Host().GetRegisteredVMPath(vmx) + "\r\n");
   EXPECT_FALSE(FileExists(ListFile())) << "the local host's list is untouched";
}

TEST_F(Registration, RemoveVMClosesTheTabOnceTheHostDroppedTheMachine)
{
   const std::string vmx = WriteVmx("Removed");
   ASSERT_EQ(Register(vmx).dones, 1);
   Outcome opened;
   ASSERT_TRUE(OpenThroughApp(vmx, false, true, true, opened));
   cui::VM *vm = wui::GetVMMgr()->GetVMByCfgPath(vmx);
   ASSERT_TRUE(vm);
   ASSERT_NE(RecordOf(vm), "");
   const std::string vmPath = vm->GetVmPath();

   Outcome removed;
   app_->RemoveVM(vm, removed.Abort(), removed.Done());
   EXPECT_EQ(removed.aborts, 0) << removed.error;
   EXPECT_EQ(removed.dones, 1);
   EXPECT_EQ(Host().GetRegisteredVMPath(vmx), "");
   EXPECT_EQ(ReadFileText(ListFile()), "");
   EXPECT_EQ(wui::GetVMMgr()->GetVMByVMPath(vmPath), nullptr);
   for (const std::string &record : cui::GetVmdbCtx().Elements(kOpenedObjs)) {
      EXPECT_NE(Read(record + "path"), vmPath) << "the tab is closed";
   }

   // A machine the host does not list: the refusal reaches the completion and the tab stays.
   Outcome other;
   ASSERT_TRUE(OpenThroughApp(WriteVmx("Unlisted"), false, true, true, other));
   cui::VM *unlisted = wui::GetVMMgr()->GetVMByCfgPath(folder_ + "\\Unlisted.vmx");
   ASSERT_TRUE(unlisted);
   Outcome refused;
   app_->RemoveVM(unlisted, refused.Abort(), refused.Done());
   EXPECT_EQ(refused.aborts, 1);
   EXPECT_EQ(refused.dones, 0);
   EXPECT_NE(RecordOf(unlisted), "");
}

TEST_F(Registration, TheRemoteHostModeRegistersACommandLineFileAndOpensIt)
{
   Restart(true);
   _bstr_t error;
   ASSERT_TRUE(app_->NewSession(false, _bstr_t(""), _bstr_t(""), _bstr_t(""), &error));
   const std::string vmx = WriteVmx("FromCommandLine");

   CommandLineOptions options;
   options.files = {vmx};
   options.local = true;
   ASSERT_TRUE(app_->OpenFromOptions(options, true));
   EXPECT_NE(Host().GetRegisteredVMPath(vmx), "") << "registered before the open went on";
   ASSERT_TRUE(PollUntil([&]() { return wui::GetVMMgr()->GetVMByCfgPath(vmx) != nullptr; }));
   EXPECT_NE(RecordOf(wui::GetVMMgr()->GetVMByCfgPath(vmx)), "") << "it has a tab";

   // Given again (a hand-off), it stays one entry.
   wui::GetVMMgr()->CloseVM(wui::GetVMMgr()->GetVMByCfgPath(vmx), cui::AbortSlot(), cui::DoneSlot());
   ASSERT_TRUE(app_->OpenFromOptions(options, true));
   EXPECT_EQ(Registered(), 1);

   // A file the host refuses is neither registered nor opened, and the user is told why.
   options.files = {folder_ + "\\missing.vmx"};
   ASSERT_TRUE(app_->OpenFromOptions(options, true));
   EXPECT_TRUE(PollUntil([&]() { return ThreadWindowShows("missing.vmx\" was not found"); }));
   EXPECT_EQ(Registered(), 1);
   EXPECT_EQ(wui::GetVMMgr()->GetVMByCfgPath(folder_ + "\\missing.vmx"), nullptr);
}

}  // namespace
